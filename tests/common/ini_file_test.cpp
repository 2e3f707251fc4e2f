// Private-profile behaviours of the INI class and its functions.
#include "base/ini_file.h"
#include "base/text_file.h"
#include "support/test_install.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <tuple>

namespace {

struct IniFixture : ::testing::Test {
    TestInstall inst;
    QString path = inst.file(QStringLiteral("t.ini"));
    void write(const QByteArray& bytes) { inst.writeBytes(QStringLiteral("t.ini"), bytes); }
    QByteArray bytes() const { return fileBytes(path); }
    QString get(const char* sec, const char* key, const char* def = "", int size = 256) const
    {
        return profile::getString(QString::fromUtf8(sec), QString::fromUtf8(key), QString::fromUtf8(def), path, size);
    }
};

TEST_F(IniFixture, ReadsLikeGetPrivateProfileString)
{
    write("; comment\r\n[ section1 ]\r\n  Key1 = val1  \r\nquoted=\"val2\"\r\nsingle='x'\r\nmismatch=\"abc'\r\n"
          "inline=v ;x\r\nnovalue\r\n=emptyname\r\ndup=first\r\ndup=second\n[section1]\rother=later section\r\n"
          "[Sec2] trailing text\r\nk=\x82\xa0\r\n"); // あ in CP932
    // section, key, default, value read
    const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
        {"section1", "key1", "", "val1"}, // case-insensitive, trimmed
        {"SECTION1", "KEY1", "", "val1"},
        {"section1", "quoted", "", "val2"}, // one pair of quotes removed
        {"section1", "single", "", "x"},
        {"section1", "mismatch", "", "\"abc'"}, // mismatched quotes stay
        {"section1", "inline", "", "v ;x"},     // no inline comments
        {"section1", "novalue", "def", "def"},  // entry without '=' gives the default
        {"section1", "dup", "", "first"},       // first key wins
        {"section1", "other", "d", "d"},        // only the first section is searched
        {"sec2", "k", "", "あ"},
        {"section1", "missing", "dflt  ", "dflt"}, // default loses trailing blanks
        {"nosuch", "key1", "x", "x"},
        {"", "key1", "x", "x"},
        {"section1", "", "x", "x"},
    };
    for (const auto& [sec, key, def, want] : cases)
        EXPECT_EQ(get(sec, key, def), QString::fromUtf8(want)) << sec << "/" << key;
    EXPECT_EQ(get("section1", "key1", "", 4), QStringLiteral("val")); // nSize-1 characters
}

TEST_F(IniFixture, LongValuesAreCutAtACharacterBoundary)
{
    QByteArray v;
    v += 'a';
    for (int i = 0; i < 200; ++i)
        v += "\x82\xa0"; // あ, two bytes each
    write("[s]\r\nk=" + v + "\r\n");
    const QString got = get("s", "k");
    EXPECT_EQ(encodeCp932(got).size(), 255); // 'a' + 127 × 2 bytes
    EXPECT_EQ(got.size(), 128);
}

TEST_F(IniFixture, IntegersParseLikeTheWindowsFunction)
{
    write("[s]\r\na=-1\r\nb=+1\r\nc=42A94967297\r\nd=B4294967297\r\ne=4294967297\r\nf=\r\ng=\"12\"\r\nh=0x1F\r\n");
    const std::pair<const char*, int> cases[] = {{"a", -1}, {"b", 1},  {"c", 42}, {"d", 0}, {"e", 1},
                                                 {"f", 7},  {"g", 12}, {"h", 31}, {"zz", 7}};
    for (const auto& [key, want] : cases)
        EXPECT_EQ(profile::getInt(QStringLiteral("s"), QString::fromLatin1(key), 7, path), want) << key;
    EXPECT_EQ(profile::getInt(QStringLiteral("s"), QStringLiteral("a"), 7, inst.file(QStringLiteral("none.ini"))), 7);
}

TEST_F(IniFixture, WritesEditOnlyTheAffectedLine)
{
    // 髙 (NEC/IBM code) stays byte for byte.
    const QByteArray original =
        "; settings shared by the suite\r\n\r\n[A]\r\nKey = old\r\n  ; keep me\r\nx=1\r\n\r\n[B]\n"
        "y=\xfb\xfc\n";
    write(original);
    ASSERT_TRUE(profile::writeString(QStringLiteral("a"), QStringLiteral("KEY"), QStringLiteral("new"), path));
    QByteArray want = original;
    want.replace("Key = old", "Key=new");
    EXPECT_EQ(bytes(), want);

    // A new key becomes the last entry of its section; a new section goes at the end.
    ASSERT_TRUE(profile::writeString(QStringLiteral("A"), QStringLiteral("z"), QStringLiteral("2"), path));
    want.replace("x=1\r\n", "x=1\r\nz=2\r\n");
    EXPECT_EQ(bytes(), want);
    ASSERT_TRUE(profile::writeString(QStringLiteral("印刷"), QStringLiteral("キー"), QStringLiteral("値"), path));
    want += encodeCp932(QStringLiteral("[印刷]\r\nキー=値\r\n"));
    EXPECT_EQ(bytes(), want);

    // No value deletes the key, no key deletes the section.
    ASSERT_TRUE(profile::writeString(QStringLiteral("A"), QStringLiteral("z"), std::nullopt, path));
    ASSERT_TRUE(profile::writeString(QStringLiteral("印刷"), std::nullopt, std::nullopt, path));
    EXPECT_EQ(bytes(),
              original.left(original.indexOf("Key")) + "Key=new\r\n  ; keep me\r\nx=1\r\n\r\n[B]\ny=\xfb\xfc\n");
}

TEST_F(IniFixture, WriteCreatesTheFileAndKeepsAByteOrderMark)
{
    ASSERT_TRUE(profile::writeString(QStringLiteral("S"), QStringLiteral("k"), QString(), path));
    EXPECT_EQ(bytes(), QByteArray("[S]\r\nk=\r\n"));

    write("\xEF\xBB\xBF[S]\r\nk=1\r\n");
    ASSERT_TRUE(profile::writeString(QStringLiteral("S"), QStringLiteral("名"), QStringLiteral("値"), path));
    EXPECT_EQ(bytes(), QByteArray("\xEF\xBB\xBF[S]\r\nk=1\r\n") + QStringLiteral("名=値\r\n").toUtf8());
    EXPECT_EQ(get("S", "名"), QStringLiteral("値"));

    EXPECT_FALSE(profile::writeString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v"),
                                      inst.file(QStringLiteral("no/such/folder/x.ini"))));
}

TEST_F(IniFixture, AWriteLeavesEveryOtherLineAsStored)
{
    // A key added to an earlier section: the last line keeps its missing line end.
    write("[A]\r\na=1\r\n[B]\r\nb=\x81"); // the last line ends in half a character
    ASSERT_TRUE(profile::writeString(QStringLiteral("A"), QStringLiteral("n"), QStringLiteral("2"), path));
    EXPECT_EQ(bytes(), QByteArray("[A]\r\na=1\r\nn=2\r\n[B]\r\nb=\x81"));

    // UTF-16 is split on its own units: a lone surrogate on another line and a last odd
    // byte stay as they were; the new lines are UTF-16 too.
    const QByteArray bom("\xFF\xFE", 2);
    const QByteArray a = QByteArray("[\0A\0]\0\r\0\n\0", 10);
    const QByteArray lone = QByteArray("x\0=\0\x00\xD8\r\0\n\0", 10); // x=<U+D800>
    write(bom + a + lone + "\x42");
    ASSERT_TRUE(profile::writeString(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("値"), path));
    EXPECT_EQ(bytes(), bom + a + lone + QByteArray("k\0=\0\x24\x50\r\0\n\0", 10) + "\x42");
    EXPECT_EQ(get("A", "k"), QStringLiteral("値"));

    // A DOS end-of-file mark (0x1A) is trimmed like a blank.
    write("[S]\r\nk=v\x1a\r\n\x1a");
    EXPECT_EQ(get("S", "k"), QStringLiteral("v"));
}

TEST_F(IniFixture, ClassReportsItsErrors)
{
    clsOplIniFile ini;
    EXPECT_EQ(ini.iInit(QString()), -1);
    EXPECT_EQ(ini.CsErrStr(), QStringLiteral("Iniファイル名を指定してください。"));
    // A path built the Windows way is shown as the native path it names.
    for (const auto& [given, shown] :
         {std::pair{QStringLiteral("/none.ini"), QStringLiteral("/none.ini")},
          std::pair{QStringLiteral("\\DATA\\none.ini"), QStringLiteral("/DATA/none.ini")}}) {
        EXPECT_EQ(ini.iInit(inst.path() + given), -1);
        EXPECT_EQ(ini.CsErrStr(), "指定されたIni（" + inst.path() + shown + "）ファイルが見つかりません。");
    }

    write("[S]\r\nn=12\r\nt=abc   \r\n");
    ASSERT_EQ(ini.iInit(path), 0);
    EXPECT_EQ(ini.nGetProfileLong(QStringLiteral("S"), QStringLiteral("n")), 12);
    EXPECT_EQ(ini.nGetProfileLong(QStringLiteral("S"), QStringLiteral("none")), 0);
    EXPECT_EQ(ini.csGetProfileString(QStringLiteral("S"), QStringLiteral("t")), QStringLiteral("abc"));
    EXPECT_NE(ini.iWriteProfileString(QStringLiteral("S"), QStringLiteral("n"), QStringLiteral("13")), 0);
    EXPECT_EQ(ini.nGetProfileLong(QStringLiteral("S"), QStringLiteral("n")), 13);

    // A failed write gives 0 (a caller reading the result as success or failure sees failure)
    // and keeps the reason: a read-only file (root may write anyway), a vanished folder.
    QFile::setPermissions(path, QFileDevice::ReadOwner);
    if (!QFileInfo(path).isWritable()) {
        EXPECT_EQ(ini.iWriteProfileString(QStringLiteral("S"), QStringLiteral("n"), QStringLiteral("14")), 0);
        EXPECT_EQ(ini.CsErrStr(), QStringLiteral("Iniファイルの書込に失敗しました。"));
        EXPECT_EQ(ini.nGetProfileLong(QStringLiteral("S"), QStringLiteral("n")), 13);
    }
    inst.writeBytes(QStringLiteral("gone/t.ini"), "[S]\r\nn=1\r\n");
    clsOplIniFile gone;
    ASSERT_EQ(gone.iInit(inst.file(QStringLiteral("gone/t.ini"))), 0);
    QDir(inst.file(QStringLiteral("gone"))).removeRecursively();
    EXPECT_EQ(gone.iWriteProfileString(QStringLiteral("S"), QStringLiteral("n"), QStringLiteral("2")), 0);
    EXPECT_EQ(gone.CsErrStr(), QStringLiteral("Iniファイルの書込に失敗しました。"));
}

} // namespace
