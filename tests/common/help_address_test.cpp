// The browser given exactly the address scripted mode writes as OPEN.
#include "common/online_help.h"

#include "base/text_file.h"
#include "platform/scripted_platform.h"
#include "support/test_install.h"
#include "widgets/qt_platform.h"

#include <QDesktopServices>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

// Takes the place of the browser: notes the address as a browser's command line gets it.
class BrowserStandIn : public QObject {
    Q_OBJECT
public:
    Q_INVOKABLE void open(const QUrl& url) { argument = QString::fromLatin1(url.toEncoded()); }
    QString argument;
};

// (The address encoded for the browser: the online help's cases.)
TEST(HelpAddress, TheBrowserGetsTheOpenLine)
{
    TestInstall inst;
    inst.writeBytes(
        QStringLiteral("Kovani.Ver"),
        cp932Lines({"[OnlineHelp]", QStringLiteral("ADDRESS=https://help.example.jp/my manual/a|b.html#top")}));
    inst.writeBytes(QStringLiteral("EmapUser.ini"), "ZENRIN_USER=abc,ZENRIN_PWD=x y");
    const QString want = QStringLiteral("https://help.example.jp/my%20manual/a%7Cb.html?zi=cba&zp=y%20x&lk=1#top");

    ScriptedPlatform scripted;
    setPlatform(&scripted);
    testing::internal::CaptureStderr();
    vOnlineHelp(1);
    const QString line = QString::fromStdString(testing::internal::GetCapturedStderr());
    EXPECT_EQ(line, QStringLiteral("OPEN\t") + want + u'\n');

    // The desktop's services hand the address to the system's handler of https addresses,
    // which gives the browser the address's encoded form.
    BrowserStandIn browser;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &browser, "open");
    QtPlatform desktop;
    setPlatform(&desktop);
    vOnlineHelp(1);
    setPlatform(nullptr);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    EXPECT_EQ(browser.argument, want);
}

} // namespace

#include "help_address_test.moc"
