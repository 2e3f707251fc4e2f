#include "online_help.h"

#include "base/globals.h"
#include "base/ini_file.h"
#include "base/opl_string.h"
#include "base/paths.h"
#include "base/text_file.h"
#include "base/vb.h"
#include "common/sys_settings.h"
#include "platform/platform.h"

#include <QRegularExpression>
#include <QUrl>
#include <algorithm>
#include <cstdio>

namespace {

QString reversed(const QString& s)
{
    // By characters, so a character outside the BMP keeps its two halves in order.
    QList<uint> codes = s.toUcs4();
    std::reverse(codes.begin(), codes.end());
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(codes.constData()), codes.size());
}

// Unreserved characters stay as they are (so ordinary accounts give the address unchanged);
// anything else becomes a UTF-8 escape, so &, #, +, %, = or a blank cannot cut or split it.
QString encoded(const QString& value) { return QString::fromLatin1(QUrl::toPercentEncoding(value)); }

} // namespace

short iLoadHelpAddress()
{
    clsOplIniFile ini;
    if (ini.iInit(appFile(QStringLiteral("Kovani.Ver"))) != 0)
        return -1;
    const QString value = ini.csGetProfileString(QStringLiteral("OnlineHelp"), QStringLiteral("ADDRESS"));
    const QString trimmed = vb::trim(value);
    if (!trimmed.isEmpty() && trimmed.left(4) == QLatin1String("http"))
        gHelpAddress = vb::rtrim(csCutNull(value));
    else
        gHelpAddress.clear();
    return 0;
}

short iReadHelpAccount(QString* user, QString* password)
{
    QByteArray bytes;
    if (!readWholeFile(appFile(QStringLiteral("EmapUser.ini")), &bytes))
        return -1;
    static const QRegularExpression separators(QStringLiteral("[,\r\n]"));
    const QString userKey = QStringLiteral("ZENRIN_USER=");
    const QString passwordKey = QStringLiteral("ZENRIN_PWD=");
    for (const QString& field : decodeCp932(bytes).split(separators)) {
        if (field.startsWith(userKey))
            *user = field.mid(userKey.size());
        else if (field.startsWith(passwordKey))
            *password = field.mid(passwordKey.size());
    }
    return 0;
}

QString helpAddressWithQuery(const QString& address, bool haveAccount, const QString& user, const QString& password,
                             short topic)
{
    // Read as tolerantly as a browser's address bar: blanks, "|" and other characters an
    // address cannot hold come out percent-encoded (UTF-8), so the browser gets a valid address.
    QUrl url(address, QUrl::TolerantMode);
    if (!url.isValid())
        return {};
    if (haveAccount) {
        const QString query = QStringLiteral("zi=") + encoded(reversed(user)) + QStringLiteral("&zp=")
            + encoded(reversed(password)) + QStringLiteral("&lk=") + QString::number(topic >= 1 ? topic : 1);
        // The query goes before a "#fragment", after a query the address already has.
        const QString existing = url.query(QUrl::FullyEncoded);
        url.setQuery(existing.isEmpty() ? query : existing + u'&' + query, QUrl::StrictMode);
    }
    return QString::fromLatin1(url.toEncoded());
}

void vOnlineHelp(short topic)
{
    if (iLoadHelpAddress() == -1) {
        platform().messageBox(QStringLiteral("環境ファイルの取得に失敗しました。"), MsgButtons::Ok, MsgIcon::Critical,
                              QStringLiteral("データ参照エラー"));
        return;
    }
    QString user, password;
    const bool haveAccount = iReadHelpAccount(&user, &password) == 0;
    if (gHelpAddress.isEmpty())
        return;
    const QString address = helpAddressWithQuery(gHelpAddress, haveAccount, user, password, topic);
    if (address.isEmpty()) {
        // Not reported to the operator, as a failure of the browser is not; the address of the
        // version file carries no account values.
        std::fprintf(stderr, "Kovani.Ver: ADDRESS is not a usable address: %s\n", qPrintable(gHelpAddress));
        return;
    }
    // The credentials stay in the query (the help server needs them); no copy of the
    // address is logged or kept anywhere else.
    platform().openUrl(address);
}
