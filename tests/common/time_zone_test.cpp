// The local time zone named once at start: the same local times, a set TZ left alone.
#include "base/time_zone.h"

#include <QDateTime>
#include <ctime>
#include <gtest/gtest.h>

namespace {

int offsetOn(const QDate& d) { return QDateTime(d, QTime(12, 0)).offsetFromUtc(); }

TEST(TimeZone, PinningKeepsTheSystemZoneAndLeavesASetOneAlone)
{
    const QByteArray before = qgetenv("TZ");
    const bool wasSet = qEnvironmentVariableIsSet("TZ");
    qunsetenv("TZ");
    tzset();
    const int winter = offsetOn(QDate(2024, 1, 15)), summer = offsetOn(QDate(2024, 7, 15));
    pinLocalTimeZone();
    EXPECT_EQ(offsetOn(QDate(2024, 1, 15)), winter);
    EXPECT_EQ(offsetOn(QDate(2024, 7, 15)), summer);

    qputenv("TZ", "Asia/Tokyo");
    tzset();
    pinLocalTimeZone();
    EXPECT_EQ(qgetenv("TZ"), QByteArray("Asia/Tokyo"));
    EXPECT_EQ(offsetOn(QDate(2024, 7, 15)), 9 * 3600);
    wasSet ? qputenv("TZ", before) : qunsetenv("TZ");
    tzset();
}

} // namespace
