// CP932 as Windows writes it, byte-order marks, line splitting, replacing writes.
#include "base/text_file.h"
#include "support/test_install.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

TEST(Cp932, RoundTripsTheCharactersTheSuiteUses)
{
    EXPECT_EQ(encodeCp932(QStringLiteral("～－①髙")), QByteArray("\x81\x60\x81\x7c\x87\x40\xfb\xfc"));
    EXPECT_EQ(decodeCp932("\xee\xe0"), QStringLiteral("髙"));
    EXPECT_EQ(encodeCp932(QStringLiteral("表ソ\\")), QByteArray("\x95\x5c\x83\x5c\x5c"));
    // Best fit first, then "?" per character CP932 cannot hold.
    EXPECT_EQ(encodeCp932(QString(QChar(0x301C)) + QChar(0x2212)), QByteArray("\x81\x60\x81\x7c"));
    EXPECT_EQ(encodeCp932(QStringLiteral("a😀b") + QChar(0x00E9)), QByteArray("a?b?"));
    EXPECT_FALSE(fitsCp932(QStringLiteral("😀")));
}

TEST(Cp932, ControlCodesAreThemselvesAndInvalidBytesAreMarked)
{
    // Windows maps every ASCII byte to itself (ICU's table exchanges 0x1A, 0x1C and 0x7F).
    const QByteArray controls("\x1a\x1c\x7f\x1a", 4);
    const QString asText = QString(QChar(0x1A)) + QChar(0x1C) + QChar(0x7F) + QChar(0x1A);
    EXPECT_EQ(decodeCp932(controls), asText);
    EXPECT_EQ(encodeCp932(asText), controls);
    EXPECT_EQ(encodeCp932(QStringLiteral("表") + QChar(0x1A) + QStringLiteral("ソ")),
              QByteArray("\x95\x5c\x1a\x83\x5c"));
    // A lead byte without its trail, a byte CP932 does not use: U+FFFD, and the next
    // character is kept.
    EXPECT_EQ(decodeCp932("\x81\r\n\xa0,\x82\x7f\x82\xa0"), QString::fromUtf16(u"\uFFFD\r\n\uFFFD,\uFFFD\u007Fあ"));
    EXPECT_EQ(encodeCp932(QString(QChar(QChar::ReplacementCharacter))), QByteArray("?"));
}

TEST(TextFiles, ByteOrderMarksAndLines)
{
    TextEncoding e;
    EXPECT_EQ(decodeText("\xEF\xBB\xBF\xE3\x81\x82", &e), QStringLiteral("あ"));
    EXPECT_EQ(e, TextEncoding::Utf8Bom);
    EXPECT_EQ(decodeText(QByteArray("\xFF\xFE\x42\x30", 4), &e), QStringLiteral("あ"));
    EXPECT_EQ(e, TextEncoding::Utf16LeBom);
    EXPECT_EQ(decodeText("\x82\xa0", &e), QStringLiteral("あ"));
    EXPECT_EQ(e, TextEncoding::Cp932);
    EXPECT_EQ(splitLines(QStringLiteral("a\r\nb\rc\nd")), (QStringList{"a", "b", "c", "d"}));
    EXPECT_EQ(splitLines(QStringLiteral("a\r\n\r\n")), (QStringList{"a", ""}));
}

TEST(TextFiles, ReplacingWriteReportsRunTimeErrors)
{
    TestInstall inst;
    const QString p = inst.file(QStringLiteral("TMP/x.csv"));
    ASSERT_TRUE(writeFileReplacing(p, "one"));
    ASSERT_TRUE(writeFileReplacing(p, "two"));
    EXPECT_EQ(fileBytes(p), QByteArray("two"));
    VbError err;
    EXPECT_FALSE(writeFileReplacing(inst.file(QStringLiteral("NOFOLDER/x.csv")), "x", &err));
    EXPECT_EQ(err.number, 76);
    EXPECT_EQ(err.parenText(), QStringLiteral("(76)パスが見つかりません。"));

    // A full disk: the old file stays whole (never replaced by a short one), error 61.
    bool written = true;
    {
        ScopedFullDisk full;
        written = writeFileReplacing(p, "three", &err);
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(err.parenText(), QStringLiteral("(61)ディスクの空き容量が不足しています。"));
    EXPECT_EQ(fileBytes(p), QByteArray("two"));
    EXPECT_EQ(QDir(inst.file(QStringLiteral("TMP"))).entryList(QDir::Files), QStringList{"x.csv"}); // no leftovers
}

} // namespace
