// Layouts: parsing, values and formats, marks, conditional blocks, grids, pagination.
#include "layout.h"
#include "page_compose.h"
#include "viewer_test_util.h"

#include <gtest/gtest.h>

namespace {

Report reportOf(const QByteArray& json, const QString& csv)
{
    Report r;
    QString error;
    EXPECT_TRUE(parseLayout(json, &r.layout, &error)) << error.toStdString();
    if (!csv.isEmpty()) {
        EXPECT_TRUE(buildCsvTable(csv, CsvOptions(), true, {}, &r.data, &error)) << error.toStdString();
        r.hasData = true;
    }
    return r;
}

QString parseError(const QByteArray& json)
{
    Layout l;
    QString error;
    EXPECT_FALSE(parseLayout(json, &l, &error));
    return error;
}

} // namespace

TEST(ViewerLayout, UnusableLayoutsAreRefusedWithTheReason)
{
    EXPECT_TRUE(parseError("{\"wfd\": 1,\n \"items\": [ }").contains(QStringLiteral("2 行目")));
    EXPECT_TRUE(parseError("{\"page\": {}}").contains(QStringLiteral("wfd")));
    EXPECT_TRUE(parseError("{\"wfd\":1,\"items\":[{\"type\":\"text\",\"x\":1,\"y\":1,\"w\":1,\"h\":1},"
                           "{\"type\":\"blink\"}]}")
                    .contains(QStringLiteral("items[1]")));
    EXPECT_TRUE(parseError("{\"wfd\":1,\"items\":[{\"type\":\"text\",\"x\":1,\"y\":1,\"w\":1}]}").contains(u"「h」"));
    EXPECT_TRUE(parseError("{\"wfd\":1,\"items\":[{\"type\":\"mark\",\"column\":\"c\",\"options\":[]}]}")
                    .contains(u"options"));
    EXPECT_TRUE(parseError("{\"wfd\":1,\"items\":[{\"type\":\"group\",\"when\":{\"column\":\"c\"},\"items\":[]}]}")
                    .contains(QStringLiteral("条件")));
    EXPECT_TRUE(parseError("{\"wfd\":1,\"page\":{\"size\":\"Letter\"}}").contains(u"Letter"));
    EXPECT_TRUE(parseError("{\"wfd\":1,\"detail\":{\"x\":0,\"w\":10,\"top\":10,\"bottom\":14,\"height\":6}}")
                    .contains(u"detail"));
    EXPECT_TRUE(parseError("{\"wfd\":1,\"font\":{\"family\":\"Comic\"}}").contains(u"Comic"));
}

TEST(ViewerLayout, ValuesAndFormats)
{
    EXPECT_EQ(formatValue(QStringLiteral("2024/04/01"), QStringLiteral("date:ggge年m月")), QStringLiteral("令和6年4月"));
    EXPECT_EQ(formatValue(QStringLiteral("2024/04"), QStringLiteral("date:ggge年m月")), QStringLiteral("令和6年4月"));
    EXPECT_EQ(formatValue(QStringLiteral("1989/01/07"), QStringLiteral("date:e")), QStringLiteral("64"));
    EXPECT_EQ(formatValue(QStringLiteral("1989/01/08"), QStringLiteral("date:ggge")), QStringLiteral("平成1"));
    EXPECT_EQ(formatValue(QStringLiteral("9:5:7"), QStringLiteral("date:h:nn")), QStringLiteral("9:05"));
    EXPECT_EQ(formatValue(QString(), QStringLiteral("date:e")), QString());
    EXPECT_EQ(formatValue(QStringLiteral("未定"), QStringLiteral("date:e")), QString());
    EXPECT_EQ(formatValue(QStringLiteral("0"), QStringLiteral("map:0=マッサ;*=鍼灸")), QStringLiteral("マッサ"));
    EXPECT_EQ(formatValue(QStringLiteral("2"), QStringLiteral("map:0=マッサ;*=鍼灸")), QStringLiteral("鍼灸"));
    EXPECT_EQ(formatValue(QStringLiteral("-1"), QStringLiteral("map:-1=")), QString());
    EXPECT_EQ(formatValue(QStringLiteral("7"), QStringLiteral("map:-1=")), QStringLiteral("7"));
    EXPECT_EQ(formatValue(QStringLiteral("2024/04"), QStringLiteral("weekday:1")), QStringLiteral("月"));
    EXPECT_EQ(formatValue(QStringLiteral("2024/04"), QStringLiteral("weekday:31")), QString());
    EXPECT_TRUE(sameValue(QStringLiteral("03"), QStringLiteral("3")));
    EXPECT_FALSE(sameValue(QStringLiteral("-1"), QStringLiteral("1")));

    const Report r = reportOf("{\"wfd\":1,\"items\":[{\"type\":\"text\",\"x\":0,\"y\":0,\"w\":9,\"h\":9,"
                              "\"text\":\"{名} {{名}} {@page}/{@pages} {@title}\"},"
                              "{\"type\":\"text\",\"name\":\"Head.Note\",\"x\":0,\"y\":0,\"w\":9,\"h\":9,\"text\":\"既定\"}]}",
                              QStringLiteral("\"名\"\r\n\"A\"\r\n\"B\"\r\n"));
    Report titled = r;
    titled.title = QStringLiteral("題");
    titled.itemValues.insert(QStringLiteral("Head.Note"), QStringLiteral("差し替え"));
    const PageContent p = titled.composePage(1);
    EXPECT_TRUE(hasText(p, QStringLiteral("B {名} 2/2 題")));
    EXPECT_TRUE(hasText(p, QStringLiteral("差し替え")));
    EXPECT_FALSE(hasText(p, QStringLiteral("既定")));
    EXPECT_EQ(referencedColumns(r.layout), QStringList{QStringLiteral("名")});
}

TEST(ViewerLayout, MarksFollowTheValue)
{
    const QByteArray json = "{\"wfd\":1,\"items\":["
                            "{\"type\":\"mark\",\"column\":\"v\",\"options\":["
                            "{\"value\":0,\"text\":\"自立\",\"x\":0,\"y\":0,\"w\":10,\"h\":5},"
                            "{\"value\":1,\"text\":\"一部介助\",\"x\":10,\"y\":0,\"w\":10,\"h\":5},"
                            "{\"value\":2,\"text\":\"全介助\",\"x\":20,\"y\":0,\"w\":10,\"h\":5}]},"
                            "{\"type\":\"mark\",\"column\":\"f\",\"shape\":\"tick\",\"boxes\":true,\"options\":["
                            "{\"value\":1,\"x\":0,\"y\":10,\"w\":4,\"h\":4}]}]}";
    const Report r = reportOf(json, QStringLiteral("\"v\",\"f\"\r\n0,1\r\n2,0\r\n-1,1\r\n,\r\n\"01\",\"1\"\r\n"));
    ASSERT_EQ(r.pageCount(), 5);
    EXPECT_EQ(circledTexts(r.composePage(0)), QStringList{QStringLiteral("自立")});
    EXPECT_EQ(circledTexts(r.composePage(1)), QStringList{QStringLiteral("全介助")});
    EXPECT_TRUE(circledTexts(r.composePage(2)).isEmpty()); // -1: printed blank
    EXPECT_TRUE(circledTexts(r.composePage(3)).isEmpty()); // empty: nothing marked
    EXPECT_EQ(circledTexts(r.composePage(4)), QStringList{QStringLiteral("一部介助")});
    // The option labels and the check box are drawn whatever the value; the tick only for 1.
    for (int page : {0, 1, 2, 3}) {
        const PageContent p = r.composePage(page);
        EXPECT_TRUE(hasText(p, QStringLiteral("一部介助")));
        EXPECT_EQ(countOps(p, DrawOp::Kind::Rect), 1);
        EXPECT_EQ(countOps(p, DrawOp::Kind::Tick), page == 0 || page == 2 ? 1 : 0) << page;
    }
}

TEST(ViewerLayout, GroupsAppearOnlyWhenTheirConditionsHold)
{
    const QByteArray json =
        "{\"wfd\":1,\"items\":["
        "{\"type\":\"group\",\"when\":{\"column\":\"k\",\"equals\":\"0\"},\"items\":["
        "{\"type\":\"text\",\"x\":0,\"y\":0,\"w\":9,\"h\":9,\"text\":\"マッサージ\"}]},"
        "{\"type\":\"group\",\"when\":{\"column\":\"k\",\"notEquals\":0},\"items\":["
        "{\"type\":\"text\",\"x\":0,\"y\":0,\"w\":9,\"h\":9,\"text\":\"はり・きゅう\"},"
        "{\"type\":\"group\",\"when\":[{\"column\":\"t\",\"notEmpty\":true},{\"column\":\"k\",\"in\":[2,3]}],\"items\":["
        "{\"type\":\"text\",\"x\":0,\"y\":0,\"w\":9,\"h\":9,\"text\":\"{t}\"}]}]},"
        "{\"type\":\"group\",\"when\":{\"column\":\"i枠線表示\",\"equals\":1},\"items\":["
        "{\"type\":\"box\",\"x\":0,\"y\":0,\"w\":9,\"h\":9}]}]}";
    const Report r = reportOf(json, QStringLiteral("\"k\",\"t\",\"i枠線表示\"\r\n0,\"x\",1\r\n1,\"x\",0\r\n2,\"\",1\r\n3,\"表\",1\r\n"));
    const PageContent massage = r.composePage(0), acu = r.composePage(1), noText = r.composePage(2), all = r.composePage(3);
    EXPECT_TRUE(hasText(massage, QStringLiteral("マッサージ")));
    EXPECT_FALSE(hasText(massage, QStringLiteral("はり・きゅう")));
    EXPECT_EQ(countOps(massage, DrawOp::Kind::Rect), 1);
    EXPECT_TRUE(hasText(acu, QStringLiteral("はり・きゅう")));
    EXPECT_FALSE(hasText(acu, QStringLiteral("x")));       // k = 1 is not in [2, 3]
    EXPECT_EQ(countOps(acu, DrawOp::Kind::Rect), 0);       // no frame lines
    EXPECT_EQ(countOps(noText, DrawOp::Kind::Text), 1);    // t empty
    EXPECT_TRUE(hasText(all, QStringLiteral("表")));
}

TEST(ViewerLayout, GridWrapsAt41CellsKeepingLineBreaks)
{
    const QString full41(41, QChar(0x3042)); // あ × 41
    bool over = true;
    EXPECT_EQ(wrapToGrid(full41, 41, 10, &over), QStringList{full41});
    EXPECT_FALSE(over);
    EXPECT_EQ(wrapToGrid(full41 + QStringLiteral("い"), 41, 10), (QStringList{full41, QStringLiteral("い")}));
    // A full line followed by a line break adds no empty line; an empty line in the text stays.
    EXPECT_EQ(wrapToGrid(full41 + QStringLiteral("\r\nい\r\n\r\nう\r\n"), 41, 10),
              (QStringList{full41, QStringLiteral("い"), QString(), QStringLiteral("う")}));
    // Half-width characters take half a cell: 82 of them fill one line.
    const QString half82(82, u'a');
    EXPECT_EQ(wrapToGrid(half82 + u'b', 41, 10), (QStringList{half82, QStringLiteral("b")}));
    // 40 full-width and one half-width leave half a cell: a full-width character goes on.
    const QString forty = QString(40, QChar(0x3042)) + u'a';
    EXPECT_EQ(wrapToGrid(forty + QStringLiteral("い"), 41, 10), (QStringList{forty, QStringLiteral("い")}));
    // An 11th line is cut off and reported.
    QString eleven;
    for (int i = 0; i < 11; ++i)
        eleven += QString::number(i) + QStringLiteral("\r\n");
    const QStringList cut = wrapToGrid(eleven, 41, 10, &over);
    EXPECT_EQ(cut.size(), 10);
    EXPECT_EQ(cut.last(), QStringLiteral("9"));
    EXPECT_TRUE(over);
    // A character outside the basic plane stays whole.
    EXPECT_EQ(wrapToGrid(QString(40, QChar(0x3042)) + QStringLiteral("𠮷𠮷"), 41, 10).value(1), QStringLiteral("𠮷"));
}

TEST(ViewerLayout, TextCutOffByAGridIsReportedByPage)
{
    Document d;
    d.reports.append(reportOf("{\"wfd\":1,\"items\":[{\"type\":\"grid\",\"x\":0,\"y\":0,\"w\":20,\"h\":10,"
                              "\"cols\":2,\"rows\":2,\"text\":\"{r}\"}]}",
                              QStringLiteral("\"r\"\r\n\"あいうえ\"\r\n\"あいうえお\"\r\n")));
    d.finish();
    const QStringList notes = d.overflowNotes();
    ASSERT_EQ(notes.size(), 1);
    EXPECT_TRUE(notes[0].startsWith(QStringLiteral("2 ページ"))) << notes[0].toStdString();
}

TEST(ViewerLayout, Pagination)
{
    EXPECT_EQ(paginate(0, 26), (QList<PageSlice>{{0, 0, 0}}));
    EXPECT_EQ(paginate(30, 26), (QList<PageSlice>{{0, 26, 0}, {26, 4, 0}}));
    EXPECT_EQ(paginate(52, 26), (QList<PageSlice>{{0, 26, 0}, {26, 26, 0}}));
    EXPECT_EQ(paginate(30, 26, 24), (QList<PageSlice>{{0, 2, 24}, {2, 26, 0}, {28, 2, 0}}));
    EXPECT_EQ(paginate(3, 26, 99), (QList<PageSlice>{{0, 1, 25}, {1, 2, 0}}));
}

TEST(ViewerLayout, TablePagesRepeatTheHeader)
{
    Report r;
    r.layout = repoLayout(QStringLiteral("利用者別月間実績チェック表.wfd"));
    r.data = sampleTable(QStringLiteral("利用者別月間実績.csv"));
    r.hasData = true;
    ASSERT_EQ(r.layout.rowsPerPage(), 26);
    ASSERT_EQ(r.data.records.size(), 30);
    ASSERT_EQ(r.pageCount(), 2);
    for (int page = 0; page < 2; ++page) {
        const PageContent p = r.composePage(page);
        EXPECT_TRUE(hasText(p, QStringLiteral("利用者別月間実績チェック表"))) << page;
        EXPECT_TRUE(hasText(p, QStringLiteral("拠点名：ほっと訪問マッサージ～東京"))) << page;
        EXPECT_TRUE(hasText(p, QStringLiteral("対象年月：令和6年4月分"))) << page;
        EXPECT_TRUE(hasText(p, QStringLiteral("出力日時：2024/05/02 9:05"))) << page;
        EXPECT_TRUE(hasText(p, QStringLiteral("%1 / 2 ページ").arg(page + 1))) << page;
        EXPECT_TRUE(hasText(p, QStringLiteral("31"))); // day headings
    }
    const PageContent first = r.composePage(0), second = r.composePage(1);
    EXPECT_TRUE(hasText(first, QStringLiteral("12601")));  // the 26th user
    EXPECT_FALSE(hasText(first, QStringLiteral("12701")));
    EXPECT_TRUE(hasText(second, QStringLiteral("12701")));
    EXPECT_TRUE(hasText(first, QStringLiteral("佐藤　一郎")));
    EXPECT_TRUE(hasText(first, QStringLiteral("ｽﾐｽ")));
    EXPECT_TRUE(hasText(first, QStringLiteral("マッサ")));
    EXPECT_TRUE(hasText(first, QStringLiteral("鍼灸")));
}

TEST(ViewerLayout, ContinuationFormMarksAndBlocks)
{
    Report r;
    r.layout = repoLayout(QStringLiteral("継続理由・状況記入書_R03.wfd"));
    r.data = sampleTable(QStringLiteral("継続理由・状況記入書.csv"));
    r.hasData = true;
    ASSERT_EQ(r.pageCount(), 3);
    QStringList expected;

    // Massage user: the five movements, eras, previous evaluation 有り, change 改善小.
    const PageContent massage = r.composePage(0);
    expected = QStringList{QStringLiteral("自立"), QStringLiteral("一部介助"), QStringLiteral("全介助"),
                           QStringLiteral("一部介助"), QStringLiteral("自立"), QStringLiteral("昭"),
                           QStringLiteral("令"), QStringLiteral("有り"), QStringLiteral("改善小")};
    EXPECT_EQ(circledTexts(massage), expected);
    EXPECT_EQ(countOps(massage, DrawOp::Kind::Tick), 5); // 麻痺, その他, 部位 1, 3, 5
    EXPECT_TRUE(hasText(massage, QStringLiteral("利用者の状態の評価（マッサージ）")));
    EXPECT_FALSE(hasText(massage, QStringLiteral("痛みなし")));
    EXPECT_TRUE(hasText(massage, QStringLiteral("令和6年4月")));
    EXPECT_EQ(namedOp(massage, QStringLiteral("施術回数"))->text, QStringLiteral("18"));

    // Acupuncture user: NRS 7, 無し, no change; born 1989/01/07 (Shōwa 64).
    const PageContent acu = r.composePage(1);
    expected = QStringList{QStringLiteral("7"), QStringLiteral("昭"), QStringLiteral("平"), QStringLiteral("無し")};
    EXPECT_EQ(circledTexts(acu), expected);
    EXPECT_EQ(countOps(acu, DrawOp::Kind::Tick), 4); // はり, きゅう, 腰痛症, その他
    EXPECT_TRUE(hasText(acu, QStringLiteral("痛みなし")));
    EXPECT_TRUE(hasText(acu, QStringLiteral("坐骨神経痛")));
    EXPECT_TRUE(hasText(acu, QStringLiteral("64")));
    EXPECT_FALSE(hasText(acu, QStringLiteral("利用者の状態の評価（マッサージ）")));

    // Blank form (フォーマット印刷 1): no evaluation marked, no count.
    const PageContent blank = r.composePage(2);
    expected = QStringList{QStringLiteral("昭"), QStringLiteral("令")};
    EXPECT_EQ(circledTexts(blank), expected);
    EXPECT_EQ(namedOp(blank, QStringLiteral("施術回数")), nullptr);

    // The reason keeps its line break and wraps at 41 cells.
    for (const DrawOp& op : massage.ops)
        if (op.kind == DrawOp::Kind::GridText) {
            ASSERT_EQ(op.cols, 41);
            ASSERT_EQ(op.rows, 10);
            ASSERT_EQ(op.lines.size(), 3);
            EXPECT_TRUE(op.lines[0].startsWith(QStringLiteral("脳梗塞後遺症")));
            EXPECT_TRUE(op.lines[2].startsWith(QStringLiteral("家族の介護負担")));
        }
}

TEST(ViewerLayout, PaperZoomAndOffsetOfTheOutput)
{
    Document d;
    Report r;
    r.layout = repoLayout(QStringLiteral("施術計画書.wfd"));
    d.reports.append(r);
    d.finish();
    ASSERT_EQ(d.pageCount(), 1); // a layout without data: its fixed page
    EXPECT_EQ(d.pageLayout(0).pageSize().id(), QPageSize::A4);
    EXPECT_DOUBLE_EQ(d.contentScale(0), 1.0);
    d.output.paper = QStringLiteral("A5");
    d.output.zoomPercent = 90;
    EXPECT_EQ(d.pageLayout(0).pageSize().id(), QPageSize::A5);
    EXPECT_EQ(d.pageLayout(0).orientation(), QPageLayout::Portrait);
    EXPECT_NEAR(d.contentScale(0), 148.0 / 210.0 * 0.9, 1e-3);
}
