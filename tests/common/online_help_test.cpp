// The online help: the address from Kovani.Ver, the account of EmapUser.ini in the query,
// what reaches the browser, and the scripted mode's line.
#include "common/online_help.h"

#include "base/text_file.h"
#include "support/recorded_messages.h"
#include "support/test_install.h"

#include <gtest/gtest.h>

namespace {

const QString kAddress = QStringLiteral("https://help.example.jp/manual/index.html");

TEST(OnlineHelp, AddressAccountAndTopicMakeTheAddressOpened)
{
    struct Case {
        const char* what;
        QStringList kovani; // lines of Kovani.Ver; empty: no file
        QByteArray account; // EmapUser.ini bytes; null: no file
        short topic;
        QString opened{}; // what the browser gets; empty: nothing
        QString message{};
    };
    const auto at = [](const QString& address) { return QStringList{"[OnlineHelp]", "ADDRESS=" + address}; };
    const QStringList version = at(kAddress);
    const QString withAccount = kAddress + QStringLiteral("?zi=cba&zp=zyx&lk="); // the account's fields reversed
    const QStringList withQuery = at("https://help.example.jp/?site=kv ");
    const QByteArray abc = "ZENRIN_USER=abc,ZENRIN_PWD=xyz", none;
    const Case cases[] = {
        {"no version file", {}, abc, 1, {}, "環境ファイルの取得に失敗しました。"},
        {"no ADDRESS", {"[OnlineHelp]"}, abc, 1},
        {"blank ADDRESS", {"[OnlineHelp]", "ADDRESS=   "}, abc, 1},
        {"not http", {"[OnlineHelp]", "ADDRESS=ftp://help.example.jp/"}, abc, 1},
        {"no account file", version, none, 1, kAddress},
        {"topic 1", version, abc, 1, withAccount + "1"},
        {"topic 0", version, abc, 0, withAccount + "1"},
        {"topic 3", version, abc, 3, withAccount + "3"},
        // Fields split at commas and line ends; the last of each kind wins.
        {"repeated fields", version, "ZENRIN_USER=old\r\nZENRIN_PWD=old,ZENRIN_USER=abc\nZENRIN_PWD=xyz\r\n", 1,
         withAccount + "1"},
        {"an empty account file", version, "", 1, kAddress + "?zi=&zp=&lk=1"},
        // Values that would cut or split the address travel percent-encoded (UTF-8).
        {"a Japanese name", version, encodeCp932(QStringLiteral("ZENRIN_USER=山田,ZENRIN_PWD=a b")), 1,
         kAddress + "?zi=%E7%94%B0%E5%B1%B1&zp=b%20a&lk=1"},
        {"&#%+ in the password", version, "ZENRIN_USER=u,ZENRIN_PWD=p&#%+=", 1,
         kAddress + "?zi=u&zp=%3D%2B%25%23%26p&lk=1"},
        {"ADDRESS with a query", withQuery, abc, 1, "https://help.example.jp/?site=kv&zi=cba&zp=zyx&lk=1"},
        // What an address cannot hold travels percent-encoded; the query goes before a fragment.
        {"a blank", at("https://help.example.jp/my manual/index.html"), none, 1,
         "https://help.example.jp/my%20manual/index.html"},
        {"a bar", at("https://help.example.jp/a|b.html"), abc, 1,
         "https://help.example.jp/a%7Cb.html?zi=cba&zp=zyx&lk=1"},
        {"Japanese", at("https://help.example.jp/ヘルプ/"), none, 1,
         "https://help.example.jp/%E3%83%98%E3%83%AB%E3%83%97/"},
        {"a fragment", at("https://help.example.jp/index.html#使い方"), abc, 1,
         "https://help.example.jp/index.html?zi=cba&zp=zyx&lk=1#%E4%BD%BF%E3%81%84%E6%96%B9"},
        {"a query and a fragment", at("https://help.example.jp/?site=kv#top"), abc, 1,
         "https://help.example.jp/?site=kv&zi=cba&zp=zyx&lk=1#top"},
        {"a query in the fragment", at("https://help.example.jp/#/page?x=1"), abc, 1,
         "https://help.example.jp/?zi=cba&zp=zyx&lk=1#/page?x=1"},
        {"no valid address", at("http://[broken"), abc, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestInstall inst;
        ScopedRecordingPlatform rec;
        if (!c.kovani.isEmpty())
            inst.writeBytes(QStringLiteral("Kovani.Ver"), cp932Lines(c.kovani));
        if (!c.account.isNull())
            inst.writeBytes(QStringLiteral("EmapUser.ini"), c.account);
        vOnlineHelp(c.topic);
        EXPECT_EQ(rec.opened, c.opened.isEmpty() ? QStringList() : QStringList{c.opened});
        expectSaid(
            rec, c.message.isEmpty() ? QList<Said>() : QList<Said>{{c.message, MsgIcon::Critical, "データ参照エラー"}});
    }
}

// (The scripted mode's OPEN line: the help address test.)

} // namespace
