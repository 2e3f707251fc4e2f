// Layouts: parsing, values and formats, marks, conditional blocks, grids, pagination.
#include "viewer_test_util.h"

#include "support/test_install.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

namespace {

// Texts of the options a page marks with a circle (the option text in the marked rect).
QStringList circledTexts(const PageContent& page)
{
    QStringList out;
    for (const DrawOp& e : page.ops)
        for (const DrawOp& t : page.ops)
            if (e.kind == DrawOp::Kind::Ellipse && t.kind == DrawOp::Kind::Text && t.rect == e.rect)
                out.append(t.text);
    return out;
}

int countOps(const PageContent& page, DrawOp::Kind kind)
{
    return int(std::count_if(page.ops.begin(), page.ops.end(), [&](const DrawOp& op) { return op.kind == kind; }));
}

// The first drawing of a page that matches (nullptr: none).
const DrawOp* findOp(const PageContent& page, const std::function<bool(const DrawOp&)>& match)
{
    const auto it = std::find_if(page.ops.begin(), page.ops.end(), match);
    return it == page.ops.end() ? nullptr : &*it;
}

bool hasText(const PageContent& page, const QString& text)
{
    return findOp(page, [&](const DrawOp& op) { return op.kind == DrawOp::Kind::Text && op.text == text; });
}

} // namespace

TEST(ViewerLayout, UnusableLayoutsAreRefusedWithTheReason)
{
    const std::pair<QByteArray, QString> cases[] = {
        {R"({"page": {}})", "wfd"},
        {R"({"wfd":1,"items":[{"type":"text","x":1,"y":1,"w":1,"h":1},{"type":"blink"}]})", "items[1]"},
        {R"({"wfd":1,"items":[{"type":"text","x":1,"y":1,"w":1}]})", "「h」"},
        {R"({"wfd":1,"items":[{"type":"mark","column":"c","options":[]}]})", "options"},
        {R"({"wfd":1,"items":[{"type":"group","when":{"column":"c"},"items":[]}]})", "条件"},
        {R"({"wfd":1,"page":{"size":"Letter"}})", "Letter"},
        {R"({"wfd":1,"detail":{"x":0,"w":10,"top":10,"bottom":14,"height":6}})", "detail"},
        {R"({"wfd":1,"font":{"family":"Comic"}})", "Comic"},
    };
    for (const auto& [json, expected] : cases) {
        Layout l;
        QString error;
        EXPECT_FALSE(parseLayout(json, &l, &error)) << json.toStdString();
        EXPECT_TRUE(error.contains(expected)) << error.toStdString();
    }
}

TEST(ViewerLayout, ValuesAndFormats)
{
    const std::tuple<QString, QString, QString> cases[] = {
        {"2024/04/01", "date:ggge年m月", "令和6年4月"},
        {"2024/04", "date:ggge年m月", "令和6年4月"},
        {"1989/01/07", "date:e", "64"},
        {"1989/01/08", "date:ggge", "平成1"},
        {"9:5:7", "date:h:nn", "9:05"},
        {"", "date:e", ""},
        {"未定", "date:e", ""},
        {"0", "map:0=マッサ;*=鍼灸", "マッサ"},
        {"2", "map:0=マッサ;*=鍼灸", "鍼灸"},
        {"-1", "map:-1=", ""},
        {"7", "map:-1=", "7"},
        {"2024/04", "weekday:1", "月"},
        {"2024/04", "weekday:31", ""},
    };
    for (const auto& [value, format, expected] : cases)
        EXPECT_EQ(formatValue(value, format), expected) << format.toStdString() << " " << value.toStdString();

    Report r = reportOf(R"({"wfd":1,"items":[{"type":"text","x":0,"y":0,"w":9,"h":9,
                                              "text":"{名} {{名}} {@page}/{@pages} {@title}"}]})",
                        "\"名\"\r\n\"A\"\r\n\"B\"\r\n");
    EXPECT_EQ(referencedColumns(r.layout), QStringList{"名"});
    r.title = "題";
    EXPECT_TRUE(hasText(r.composePage(1), "B {名} 2/2 題"));
}

TEST(ViewerLayout, MarksFollowTheValue)
{
    const Report r = reportOf(R"({"wfd":1,"items":[{"type":"mark","column":"v","options":[
                                    {"value":0,"text":"自立","x":0,"y":0,"w":10,"h":5},
                                    {"value":1,"text":"一部介助","x":10,"y":0,"w":10,"h":5},
                                    {"value":2,"text":"全介助","x":20,"y":0,"w":10,"h":5}]},
                                  {"type":"mark","column":"f","shape":"tick","boxes":true,"options":[
                                    {"value":1,"x":0,"y":10,"w":4,"h":4}]}]})",
                              "\"v\",\"f\"\r\n0,1\r\n2,0\r\n-1,1\r\n,\r\n\"01\",\"1\"\r\n");
    ASSERT_EQ(r.pageCount(), 5);
    // -1 is printed blank, an empty value marks nothing, "01" is 1.
    const QStringList circled[] = {{"自立"}, {"全介助"}, {}, {}, {"一部介助"}};
    for (int page = 0; page < 5; ++page) {
        const PageContent p = r.composePage(page);
        EXPECT_EQ(circledTexts(p), circled[page]) << page;
        // The option labels and the check box are drawn whatever the value; the tick only for 1.
        EXPECT_TRUE(hasText(p, "一部介助"));
        EXPECT_EQ(countOps(p, DrawOp::Kind::Rect), 1);
        EXPECT_EQ(countOps(p, DrawOp::Kind::Tick), page == 1 || page == 3 ? 0 : 1) << page;
    }
}

TEST(ViewerLayout, GroupsAppearOnlyWhenTheirConditionsHold)
{
    const Report r = reportOf(
        R"({"wfd":1,"items":[
            {"type":"group","when":{"column":"k","equals":"0"},"items":[
              {"type":"text","x":0,"y":0,"w":9,"h":9,"text":"マッサージ"}]},
            {"type":"group","when":{"column":"k","notEquals":0},"items":[
              {"type":"text","x":0,"y":0,"w":9,"h":9,"text":"はり・きゅう"},
              {"type":"group","when":[{"column":"t","notEmpty":true},{"column":"k","in":[2,3]}],"items":[
                {"type":"text","x":0,"y":0,"w":9,"h":9,"text":"{t}"}]}]},
            {"type":"group","when":{"column":"i枠線表示","equals":1},"items":[{"type":"box","x":0,"y":0,"w":9,"h":9}]}]})",
        "\"k\",\"t\",\"i枠線表示\"\r\n0,\"x\",1\r\n1,\"x\",0\r\n2,\"\",1\r\n3,\"表\",1\r\n");
    const PageContent massage = r.composePage(0), acu = r.composePage(1), noText = r.composePage(2);
    EXPECT_TRUE(hasText(massage, "マッサージ"));
    EXPECT_FALSE(hasText(massage, "はり・きゅう"));
    EXPECT_EQ(countOps(massage, DrawOp::Kind::Rect), 1);
    EXPECT_TRUE(hasText(acu, "はり・きゅう"));
    EXPECT_FALSE(hasText(acu, "x"));                    // k = 1 is not in [2, 3]
    EXPECT_EQ(countOps(acu, DrawOp::Kind::Rect), 0);    // no frame lines
    EXPECT_EQ(countOps(noText, DrawOp::Kind::Text), 1); // t empty
    EXPECT_TRUE(hasText(r.composePage(3), "表"));
}

TEST(ViewerLayout, GridWrapsAt41CellsKeepingLineBreaks)
{
    const QString full41(41, QChar(0x3042)), forty(40, QChar(0x3042)), half82(82, u'a');
    const std::tuple<QString, QStringList, bool> cases[] = {
        {full41, {full41}, false},
        {full41 + "い", {full41, "い"}, false},
        // A full line followed by a line break adds no empty line; an empty line in the text stays.
        {full41 + "\r\nい\r\n\r\nう\r\n", {full41, "い", "", "う"}, false},
        // Half-width characters take half a cell; after 40.5 cells a full-width character goes on.
        {half82 + "b", {half82, "b"}, false},
        {forty + "aい", {forty + "a", "い"}, false},
        // An 11th line is cut off and reported; a character outside the basic plane stays whole.
        {"0\n1\n2\n3\n4\n5\n6\n7\n8\n9\n10", {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"}, true},
        {forty + "𠮷𠮷", {forty + "𠮷", "𠮷"}, false},
    };
    for (const auto& [text, lines, overflow] : cases) {
        bool over = !overflow;
        EXPECT_EQ(wrapToGrid(text, 41, 10, &over), lines) << text.toStdString();
        EXPECT_EQ(over, overflow) << text.toStdString();
    }
    // The reason box (41 × 10 cells of 10.5 pt in 176 × 80 mm) fits a longer text: more lines
    // first, then smaller type down to 7 pt, then it cuts with a mark.
    // The text; the size, columns, rows and whether it is cut.
    using Fit = std::tuple<double, int, int, bool>;
    for (const auto& [text, fit] : {std::pair{QString(410, u'あ'), Fit{10.5, 41, 10, false}},
                                    std::pair{QString(500, u'あ'), Fit{10.5, 41, 14, false}},
                                    std::pair{QString(1000, u'あ'), Fit{7.5, 57, 20, false}},
                                    std::pair{QStringLiteral("痛み\n").repeated(250), Fit{7, 61, 21, true}}}) {
        const FittedGrid g = fitGrid(text, 41, 10, {176, 80}, 10.5);
        EXPECT_EQ(std::tuple(g.sizePt, g.cols, g.rows, g.cut), fit);
        EXPECT_EQ(g.lines.size(), qMin(g.rows, gridLineCount(text, g.cols))); // as the entry window counts
        EXPECT_EQ(g.lines.last().endsWith(kCutMark), g.cut);
    }
    // Text cut off by a grid is reported by page.
    const Document d = documentOf(reportOf(R"({"wfd":1,"items":[{"type":"grid","x":0,"y":0,"w":20,"h":10,"cols":2,
                                                   "rows":2,"text":"{r}"}]})",
                                           "\"r\"\r\n\"あいうえ\"\r\n\"あいうえお\"\r\n"));
    EXPECT_EQ(d.overflowNotes(),
              QStringList{"2 ページ: 文字を 7 ポイントまで小さくしても枠に入りきらないため、最後を「…（以下略）」として"
                          "切って印刷します。"});
}

TEST(ViewerLayout, TablePagesBreak)
{
    EXPECT_EQ(paginate(0, 26), (QList<PageSlice>{{0, 0, 0}}));
    EXPECT_EQ(paginate(30, 26), (QList<PageSlice>{{0, 26, 0}, {26, 4, 0}}));
    EXPECT_EQ(paginate(52, 26), (QList<PageSlice>{{0, 26, 0}, {26, 26, 0}}));
    EXPECT_EQ(paginate(30, 26, 24), (QList<PageSlice>{{0, 2, 24}, {2, 26, 0}, {28, 2, 0}}));
    EXPECT_EQ(paginate(3, 26, 99), (QList<PageSlice>{{0, 1, 25}, {1, 2, 0}}));

    // (The monthly table's 30 users on two pages, each with the header: the PDF in render_test.)
}

TEST(ViewerLayout, ContinuationFormMarksAndBlocks)
{
    const Report r = sampleReport("継続理由・状況記入書_R03.wfd", "継続理由・状況記入書.csv");
    ASSERT_EQ(r.pageCount(), 3);
    // Massage user: the five movements, eras, previous evaluation 有り, change 改善小.
    const PageContent massage = r.composePage(0), acu = r.composePage(1), blank = r.composePage(2);
    EXPECT_EQ(circledTexts(massage),
              (QStringList{"自立", "一部介助", "全介助", "一部介助", "自立", "昭", "令", "有り", "改善小"}));
    EXPECT_EQ(countOps(massage, DrawOp::Kind::Tick), 5); // 麻痺, その他, 部位 1, 3, 5
    const auto count = [](const DrawOp& op) { return op.name == "施術回数"; };
    EXPECT_EQ(findOp(massage, count)->text, "18");

    // Acupuncture user: NRS 7, 無し, no change; born 1989/01/07 (Shōwa 64). (Which block each page
    // shows: the PDF texts in render_test.)
    EXPECT_EQ(circledTexts(acu), (QStringList{"7", "昭", "平", "無し"}));
    EXPECT_EQ(countOps(acu, DrawOp::Kind::Tick), 4); // はり, きゅう, 腰痛症, その他
    EXPECT_TRUE(hasText(acu, "64"));

    // Blank form (フォーマット印刷 1): no evaluation marked, no count.
    EXPECT_EQ(circledTexts(blank), (QStringList{"昭", "令"}));
    EXPECT_EQ(findOp(blank, count), nullptr);

    // The reason keeps its line break and wraps at 41 cells.
    const DrawOp* grid = findOp(massage, [](const DrawOp& op) { return op.kind == DrawOp::Kind::GridText; });
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(std::pair(grid->cols, grid->rows), std::pair(41, 10));
    ASSERT_EQ(grid->lines.size(), 3);
    EXPECT_TRUE(grid->lines[0].startsWith("脳梗塞後遺症"));
    EXPECT_TRUE(grid->lines[2].startsWith("家族の介護負担"));
}

TEST(ViewerLayout, PaperAndZoomOfTheOutput)
{
    Report fixed; // a layout without data: its fixed page
    fixed.layout = sampleReport("施術計画書.wfd", "施術計画書.csv").layout;
    Document d = documentOf(fixed);
    ASSERT_EQ(d.pageCount(), 1);
    EXPECT_EQ(std::pair(d.pageLayout(0).pageSize().id(), d.contentScale(0)), std::pair(QPageSize::A4, 1.0));
    d.output = {"A5", 90, {}};
    EXPECT_EQ(std::pair(d.pageLayout(0).pageSize().id(), d.pageLayout(0).orientation()),
              std::pair(QPageSize::A5, QPageLayout::Portrait));
    EXPECT_NEAR(d.contentScale(0), 148.0 / 210.0 * 0.9, 1e-3);
}

namespace {

// A box a layout places, with the conditions under which it shows.
struct Placed {
    QRectF rect;
    QString what;
    QList<Condition> when;
    bool text = false; // holds text (texts, option labels, grids)
    bool mayOverlap = false;
    double size = 0; // its text's designed size
};

void collect(const QList<LayoutItem>& items, const QList<Condition>& when, double dy, const QString& where,
             QList<Placed>* out)
{
    for (const LayoutItem& it : items) {
        const QString what = where + u' ' + (it.text.isEmpty() ? it.column : it.text).left(24);
        switch (it.kind) {
        case LayoutItem::Kind::Text:
        case LayoutItem::Kind::Grid:
            out->append({it.rect.translated(0, dy), what, when, true, it.mayOverlap, it.font.size});
            break;
        case LayoutItem::Kind::Box:
            out->append({it.rect.translated(0, dy), what + QStringLiteral(" (box)"), when, false, false});
            break;
        case LayoutItem::Kind::Line: {
            const QLineF l = it.line.translated(0, dy);
            out->append({QRectF(l.p1(), l.p2()).normalized(), what + QStringLiteral(" (line)"), when, false, false});
            break;
        }
        case LayoutItem::Kind::Mark:
            for (const MarkOption& o : it.options)
                out->append(
                    {o.rect.translated(0, dy), what + u' ' + o.text, when, !o.text.isEmpty(), false, it.font.size});
            break;
        case LayoutItem::Kind::Group: collect(it.items, when + it.when, dy, where, out); break;
        }
    }
}

// Whether a value of its column meets a condition (as the viewer decides it).
bool meets(const Condition& c, const QString& v)
{
    const bool listed =
        std::any_of(c.values.begin(), c.values.end(), [&](const QString& w) { return sameValue(v, w); });
    switch (c.op) {
    case Condition::Op::Equals:
    case Condition::Op::In: return listed;
    case Condition::Op::NotEquals:
    case Condition::Op::NotIn: return !listed;
    case Condition::Op::Empty: return v.trimmed().isEmpty();
    case Condition::Op::NotEmpty: return !v.trimmed().isEmpty();
    }
    return false;
}

// Conditions that can never hold together: no value of a column they share (one either names,
// empty, or any other) meets both (k = 0 and k ≠ 0, k = 0 and k = 1, …).
bool exclusive(const QList<Condition>& a, const QList<Condition>& b)
{
    for (const Condition& x : a)
        for (const Condition& y : b) {
            const QStringList values = x.values + y.values + QStringList{QString(), QStringLiteral("(another value)")};
            if (x.column == y.column && std::none_of(values.begin(), values.end(), [&](const QString& v) {
                    return meets(x, v) && meets(y, v);
                }))
                return true;
        }
    return false;
}

} // namespace

TEST(ViewerLayout, EveryBoxInsideThePrintableMarginNoTextTooSmallNoTextsOverlap)
{
    // Printed pages are filed: nothing may fall into the edge printers cannot reach, no text is
    // designed below legibility, and no text may run into another one (texts shown under
    // exclusive conditions never meet).
    const char* const layouts[] = {"利用者別月間実績チェック表.wfd", "利用者別月間予定チェック表.wfd",
                                   "継続理由・状況記入書.wfd", "継続理由・状況記入書_R03.wfd", "施術計画書.wfd"};
    for (const char* name : layouts) {
        SCOPED_TRACE(name);
        Layout l;
        QString error;
        ASSERT_TRUE(parseLayout(fileBytes(layoutsDir() + QString::fromUtf8(name)), &l, &error)) << error.toStdString();
        QList<Placed> placed;
        collect(l.items, {}, 0, QStringLiteral("page"), &placed);
        if (l.hasDetail) {
            ASSERT_GT(l.rowsPerPage(), 0);
            const double last = l.detailArea.top() + (l.rowsPerPage() - 1) * l.rowHeight;
            collect(l.detailItems, {}, l.detailArea.top(), QStringLiteral("first row"), &placed);
            collect(l.detailItems, {}, last, QStringLiteral("last row"), &placed);
            EXPECT_LE(last + l.rowHeight, l.detailArea.bottom() + 1e-6);
        }
        const QSizeF page = l.pageSizeMm();
        const double m = kPrintableMarginMm, eps = 1e-6;
        for (const Placed& p : placed) {
            if (p.text) {
                EXPECT_GE(p.size, kMinTextPt) << p.what.toStdString(); // nothing designed below legibility
            }
            EXPECT_TRUE(p.rect.left() >= m - eps && p.rect.top() >= m - eps && p.rect.right() <= page.width() - m + eps
                        && p.rect.bottom() <= page.height() - m + eps)
                << p.what.toStdString() << " at " << p.rect.left() << "," << p.rect.top() << " - " << p.rect.right()
                << "," << p.rect.bottom();
        }
        for (qsizetype i = 0; i < placed.size(); ++i)
            for (qsizetype j = i + 1; j < placed.size(); ++j) {
                const Placed &a = placed[i], &b = placed[j];
                if (!a.text || !b.text || a.mayOverlap || b.mayOverlap || exclusive(a.when, b.when))
                    continue;
                const QRectF both = a.rect.intersected(b.rect);
                EXPECT_FALSE(both.width() > 0.01 && both.height() > 0.01)
                    << a.what.toStdString() << " overlaps " << b.what.toStdString();
            }
    }
}

TEST(ViewerLayout, ShrinkToFitStopsAtALegibleSizeThenWrapsOrCuts)
{
    // Every character a full em wide; lines 1.45 em high (as the CJK fonts measure).
    const auto width = [](const QString& t, double pt) { return t.size() * pt * 25.4 / 72; };
    const auto line = [](double pt) { return 1.45 * pt * 25.4 / 72; };
    // The text, its designed size and box; the size, lines and cut fitted.
    using Case = std::tuple<QString, double, QSizeF, double, QStringList, bool>;
    const Case cases[] = {
        {"佐藤", 9, {20, 6}, 9, {"佐藤"}, false},                                           // fits as it is
        {"山田太郎", 9, {11, 6}, 9 * 11 / (4 * 9 * 25.4 / 72) * 0.98, {"山田太郎"}, false}, // shrinks, above 7 pt
        {"長谷川", 7, {6.2, 6}, 7, {"長谷", "川"}, false}, // at 7 pt it wraps onto two lines
        {QString(25, u'あ'), 9, {28.5, 6}, 7, {QString(11, u'あ'), QString(10, u'あ') + "…"}, true}, // then cuts
        {"長谷川", 7, {6.2, 3}, 7, {"長…"}, true},                                                   // one line only
        {"お客様の名前", 6, {30, 3}, 6, {"お客様の名前"}, false}, // designed below 7 pt: kept
    };
    for (const auto& [text, pt, box, size, lines, cut] : cases) {
        const FittedText f = fitText(text, pt, box, width, line);
        EXPECT_NEAR(f.sizePt, size, 1e-6) << text.toStdString();
        EXPECT_EQ(std::pair(f.lines, f.cut), std::pair(lines, cut)) << text.toStdString();
        EXPECT_GE(f.sizePt, qMin(7.0, pt));
        for (const QString& l : f.wrapped ? f.lines : QStringList()) {
            EXPECT_LE(width(l, f.sizePt), box.width() + 1e-9) << l.toStdString();
        }
    }
}

TEST(ViewerLayout, PagesShrinkIntoAPrintersPrintableArea)
{
    const QSizeF a4(210, 297);
    EXPECT_EQ(fitToPrintable(a4, {}), PrintFit());
    EXPECT_EQ(fitToPrintable(a4, QMarginsF(4.2, 4.2, 4.2, 4.2)), PrintFit()); // within the layouts' 5 mm
    // 6.35 mm all round: 200 mm of layout into 197.3 mm of paper, centred.
    const PrintFit even = fitToPrintable(a4, QMarginsF(6.35, 6.35, 6.35, 6.35));
    EXPECT_NEAR(even.scale, 197.3 / 200, 1e-9);
    const auto landed = [](const PrintFit& f, QPointF mm) { return f.offsetMm + f.scale * mm; };
    EXPECT_NEAR(landed(even, {5, 5}).x(), 6.35, 1e-9);
    EXPECT_NEAR(landed(even, {205, 292}).x(), 210 - 6.35, 1e-9);
    EXPECT_NEAR(landed(even, {105, 148.5}).y(), 148.5, 1e-9); // the centre stays
    EXPECT_GE(landed(even, {5, 5}).y(), 6.35);
    EXPECT_LE(landed(even, {205, 292}).y(), 297 - 6.35);
    // A wide top edge only: the layout's printable area lands inside the printer's.
    const PrintFit top = fitToPrintable(a4, QMarginsF(3, 12, 3, 3));
    EXPECT_NEAR(top.scale, 282.0 / 287, 1e-9);
    EXPECT_GE(landed(top, {5, 5}).y(), 12 - 1e-9);
    EXPECT_LE(landed(top, {205, 292}).y(), 294 + 1e-9);
    EXPECT_GE(landed(top, {5, 5}).x(), 3);
}
