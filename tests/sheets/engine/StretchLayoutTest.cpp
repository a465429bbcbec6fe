// Rows whose text runs longer than its cell: the row's rules must follow the
// text, on one page and across a page end. Golden rectangles in tenths of a
// millimetre, on the real ruled detail band of the text-only sheet.
#include "EngineTestSupport.h"

#include "TestFiles.h"
#include "sheets/engine/BandStretch.h"
#include "sheets/engine/ReportRenderer.h"
#include "sheets/engine/TextMeasurer.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace dorimek::report {
namespace {

using dorimek::testing::sjis;
using enginetest::findTool;
using enginetest::kTol;
using enginetest::lineHeightOf;
using enginetest::runTool;

// Page of the text-only sheet: top margin 5 mm, left 3 mm, bands end above 247 mm.
constexpr double kTop = 50, kLeft = 30, kLimit = 2470;
constexpr double kTitle = 116.4, kHeader = 148.2, kDetail = 214.3;
constexpr double kFirstRow = kTop + kTitle + kHeader;
// Efficacy and caution cells: 18.26 mm from 1.06 mm; name cell 9.53 mm from 0.53 mm.
constexpr double kMemoTop = 10.6, kMemoHeight = 182.6, kMemoBottom = 193.2;
constexpr double kNameHeight = 95.3, kNameBottom = 100.6;

// clang-format off
constexpr ElementRow kHeaderTable[] = {
    {"RpLabel3", kLabel, 71.44, 2.12, 8.73, 4.50, 12, kAutoSize | kWordWrap, "効能"},
    {"RpLabel4", kLabel, 134.94, 2.12, 8.73, 4.50, 12, kAutoSize | kWordWrap, "注意"},
    {"RpShape1", kHorLine, 2.12, 0, 171.19, 0.26},
    {"RpShape5", kVertLine, 2.12, 0, 0.26, 17.20},
    {"RpShape6", kVertLine, 173.30, 0, 0.26, 17.20},
    {"RpShape12", kVertLine, 43.39, 0, 0.26, 17.20},
    {"RpShape13", kVertLine, 108.48, 0, 0.26, 17.20},
    {"RpShape10", kHorLine, 2.12, 13.23, 171.19, 2.38},
};

constexpr ElementRow kDetailTable[] = {
    {"RpLabel8", kLabel, 4.23, 16.14, 38.36, 4.50, 11, kWordWrap},
    {"RpShape2", kHorLine, 2.12, 20.64, 171.45, 0.26},
    {"RpLabel7", kLabel, 4.23, 11.11, 38.36, 4.50, 11, kWordWrap},
    {"RpShape7", kVertLine, 2.12, -0.53, 0.26, 21.17},
    {"RpShape8", kVertLine, 173.30, -0.53, 0.26, 21.17},
    {"RpShape14", kVertLine, 43.39, -0.53, 0.26, 21.17},
    {"RpShape15", kVertLine, 108.48, -0.53, 0.26, 21.17},
    {"RpShape18", kHorLine, 2.12, 10.58, 41.27, 0.26, 0, kDotted},
    {"RpShape19", kHorLine, 2.12, 15.35, 41.27, 0.26, 0, kDotted},
    {"RpMemo1", kMemo, 44.98, 1.06, 61.12, 18.26, 12, kWordWrap | kAutoStretch},
    {"RpMemo2", kMemo, 110.07, 1.06, 61.65, 18.26, 12, kWordWrap | kAutoStretch},
    {"RpMemo3", kMemo, 3.17, 0.53, 39.69, 9.53, 12, kWordWrap | kAutoStretch},
};
// clang-format on

const char* const kVerticalRules[] = {"RpShape7", "RpShape8", "RpShape14", "RpShape15"};

struct Row {
    int nameLines = 1;
    int efficacyLines = 1;
    int cautionLines = 1;
};

std::string numbered(const char* word, int n) {
    std::string text;
    for (int i = 1; i <= n; ++i) {
        if (i > 1) text += "\r";
        text += sjis(word) + std::to_string(i);
    }
    return text;
}

// The text-only sheet's title, header, ruled detail band and summary; each
// row says how many lines its name, efficacy and caution have.
struct RuledSheet {
    RuledSheet() {
        report.Page.setValues(100, 2570, 50, 1820, 30, 10, 0);
        report.addBand("RpBand2", rbTitle, 11.64)
            ->add({"RpLabel5", kLabel, 60.85, 4.23, 35.45, 5.29, 14,
                   kCenter | kAutoSize | kWordWrap, "薬剤情報提供書"});
        report.addBand("RpBand3", rbColumnHeader, 14.82, 12)->addAll(kHeaderTable);
        detail = report.addBand("RpBand1", rbDetail, 21.43, 12);
        detail->addAll(kDetailTable);
        report.addBand("RpBand4", rbSummary, 7.41)
            ->add({"RpLabel10", kLabel, 110.07, 2.12, 60.33, 4.76, 12, kAutoSize | kWordWrap,
                   "さくら医院   TEL:012-345-6789"});
        report.OnNeedData = [this](TReport& r, bool& more) {
            if (next >= rows.size()) {
                more = false;
                return;
            }
            const Row& row = rows[next++];
            auto set = [&](const char* memo, const char* word, int n) {
                r.memo(QString::fromLatin1(memo))->Lines.clear();
                r.memo(QString::fromLatin1(memo))->Lines.add(numbered(word, n));
            };
            set("RpMemo3", "名", row.nameLines);
            set("RpMemo1", "効能", row.efficacyLines);
            set("RpMemo2", "注意", row.cautionLines);
            r.label("RpLabel7")->setCaptionText(QStringLiteral("白色錠 AB12"));
            r.label("RpLabel8")->setCaptionText(QStringLiteral("5mg 100錠"));
            more = true;
        };
    }

    std::shared_ptr<const ReportDocument> run() {
        next = 0;
        const RunResult r = report.run();
        EXPECT_EQ(r.outcome, RunOutcome::Completed);
        return r.document;
    }

    TReport report;
    TReportBand* detail = nullptr;
    std::vector<Row> rows;
    size_t next = 0;
};

// The placement of an element of a given data row on a page.
const PlacedElement* placed(const ReportDocument& doc, int page, const char* name, int row) {
    for (const PlacedElement& e : doc.pages[static_cast<size_t>(page)].elements) {
        if (e.name == QLatin1String(name) && e.row == row) return &e;
    }
    return nullptr;
}

const PlacedBand* detailBand(const ReportDocument& doc, int page, int row) {
    for (const PlacedBand& b : doc.bandsOn(page)) {
        if (b.type == rbDetail && b.row == row) return &b;
    }
    return nullptr;
}

void expectRect(const ReportDocument& doc, int page, const char* name, int row, QRectF want) {
    SCOPED_TRACE(std::string(name) + " of row " + std::to_string(row) + " on page " +
                 std::to_string(page + 1));
    const PlacedElement* e = placed(doc, page, name, row);
    ASSERT_TRUE(e);
    EXPECT_NEAR(e->rect.left(), want.left(), kTol);
    EXPECT_NEAR(e->rect.top(), want.top(), kTol);
    EXPECT_NEAR(e->rect.width(), want.width(), kTol);
    EXPECT_NEAR(e->rect.height(), want.height(), kTol);
}

// Design rectangle of a detail element on the page, for a band at bandTop,
// moved down by `down` and made taller by `taller`.
QRectF designed(const char* name, double bandTop, double down = 0, double taller = 0) {
    for (const ElementRow& s : kDetailTable) {
        if (std::string(s.name) == name) {
            return {kLeft + mmToTenths(s.left), bandTop + mmToTenths(s.top) + down,
                    mmToTenths(s.width), mmToTenths(s.height) + taller};
        }
    }
    ADD_FAILURE() << "no element " << name;
    return {};
}

// ---------------------------------------------------------------------------
// One page: the rows grow and their rules go with them.

struct GrowCase {
    const char* what;
    Row row;
    double growth;      // how far the band grows (tenths of a millimetre)
    double nameGrowth;  // how far the labels under the name go down
};

double lh() { return lineHeightOf(12); }

std::vector<GrowCase> growCases() {
    const double l = lh();
    return {
        {"row that doesn't stretch", {1, 1, 1}, 0, 0},
        {"cells just full", {2, 3, 3}, 0, 0},
        {"efficacy one line over", {1, 5, 2}, 5 * l - kMemoHeight, 0},
        {"caution six lines, the longest", {1, 4, 6}, 6 * l - kMemoHeight, 0},
        {"caution nine lines", {1, 2, 9}, 9 * l - kMemoHeight, 0},
        {"long name only", {4, 1, 1}, 4 * l - kNameHeight, 4 * l - kNameHeight},
        {"long name and longer caution", {3, 1, 8}, 8 * l - kMemoHeight, 3 * l - kNameHeight},
    };
}

class StretchedRow : public ::testing::TestWithParam<GrowCase> {};

TEST_P(StretchedRow, RulesFollowTheTextAndTheCellsAboveStay) {
    const GrowCase& c = GetParam();
    ASSERT_GE(c.growth, 0);
    RuledSheet sheet;
    sheet.rows = {c.row, Row{}};
    const auto doc = sheet.run();
    ASSERT_EQ(doc->pageCount(), 1);
    const double top = kFirstRow;
    const PlacedBand* band = detailBand(*doc, 0, 1);
    ASSERT_TRUE(band);
    EXPECT_NEAR(band->rect.top(), top, kTol);
    EXPECT_NEAR(band->rect.height(), kDetail + c.growth, kTol);

    // The bottom rule goes down by the growth, the column rules reach it.
    expectRect(*doc, 0, "RpShape2", 1, designed("RpShape2", top, c.growth));
    for (const char* rule : kVerticalRules) {
        expectRect(*doc, 0, rule, 1, designed(rule, top, 0, c.growth));
    }
    // What lies under the name goes down with the name only.
    for (const char* under : {"RpShape18", "RpLabel7", "RpShape19", "RpLabel8"}) {
        expectRect(*doc, 0, under, 1, designed(under, top, c.nameGrowth));
    }
    // The texts keep their place; each cell shows all its lines.
    EXPECT_NEAR(placed(*doc, 0, "RpMemo1", 1)->rect.top(), top + kMemoTop, kTol);
    EXPECT_NEAR(placed(*doc, 0, "RpMemo2", 1)->rect.top(), top + kMemoTop, kTol);
    EXPECT_EQ(placed(*doc, 0, "RpMemo2", 1)->lines, c.row.cautionLines);
    EXPECT_EQ(placed(*doc, 0, "RpMemo3", 1)->lines, c.row.nameLines);
    // Nothing of the cell's text lies under the moved bottom rule.
    const double rule = placed(*doc, 0, "RpShape2", 1)->rect.center().y();
    for (const char* memo : {"RpMemo1", "RpMemo2", "RpMemo3", "RpLabel8"}) {
        EXPECT_LE(placed(*doc, 0, memo, 1)->rect.bottom(), rule + kTol) << memo;
    }

    // The next row starts under the grown one, laid out as designed.
    const double next = top + kDetail + c.growth;
    EXPECT_NEAR(detailBand(*doc, 0, 2)->rect.top(), next, kTol);
    expectRect(*doc, 0, "RpShape2", 2, designed("RpShape2", next));
    for (const char* rule2 : kVerticalRules) expectRect(*doc, 0, rule2, 2, designed(rule2, next));
}

INSTANTIATE_TEST_SUITE_P(Rows, StretchedRow, ::testing::ValuesIn(growCases()));

TEST(StretchedRowOrder, ElementsAreDrawnInDesignOrderWhetherMovedOrNot) {
    RuledSheet sheet;
    sheet.rows = {Row{4, 1, 7}};
    const auto doc = sheet.run();
    QStringList order;
    for (const PlacedElement& e : doc->pages[0].elements) {
        if (e.row == 1) order.append(e.name);
    }
    QStringList design;
    for (const ElementRow& s : kDetailTable) design.append(QString::fromLatin1(s.name));
    EXPECT_EQ(order, design);
}

// ---------------------------------------------------------------------------
// Page breaks: a row that fits on a fresh page is never cut.

// The detail rows a page holds, "10+" for a continued part of row 10.
QString rowsOn(const ReportDocument& doc, int page) {
    QStringList rows;
    for (const PlacedBand& b : doc.bandsOn(page)) {
        if (b.type == rbDetail) rows.append(QString::number(b.row) + (b.continuation ? "+" : ""));
    }
    return rows.join(QLatin1Char(' '));
}

int linesOnAFullPage(double cellTop, double cellBottom);

struct BreakCase {
    const char* what;
    Row row;  // the tenth row, after nine plain ones; a plain row follows it
    QStringList pages;
};

std::vector<BreakCase> breakCases() {
    const QString nine = QStringLiteral("1 2 3 4 5 6 7 8 9");
    // Room at the foot after nine rows, and the caution that just fills it.
    const double room = kLimit - kFirstRow - 9 * kDetail;
    const int footLines = static_cast<int>(std::floor((room - kDetail + kMemoHeight) / lh()));
    const int pageLines = linesOnAFullPage(kMemoTop, kMemoBottom);
    return {
        {"caution that just fits the foot", {1, 1, footLines}, {nine + " 10", "11"}},
        {"caution one line longer", {1, 1, footLines + 1}, {nine, "10 11"}},
        {"long name", {9, 1, 1}, {nine, "10 11"}},
        {"caution as long as a fresh page holds", {1, 1, pageLines}, {nine, "10", "11"}},
        {"caution longer than a page", {1, 1, pageLines + 1}, {nine + " 10", "10+", "11"}},
        {"caution over two pages",
         {1, 1, footLines + pageLines + 3},
         {nine + " 10", "10+", "10+ 11"}},
    };
}

class PageBreak : public ::testing::TestWithParam<BreakCase> {};

TEST_P(PageBreak, EachPageHoldsWholeRowsUnlessARowIsTallerThanAPage) {
    const BreakCase& c = GetParam();
    RuledSheet sheet;
    sheet.rows.assign(9, Row{});
    sheet.rows.push_back(c.row);
    sheet.rows.push_back(Row{});
    const auto doc = sheet.run();
    QStringList pages;
    for (int p = 0; p < doc->pageCount(); ++p) pages.append(rowsOn(*doc, p));
    EXPECT_EQ(pages, c.pages) << c.what;
    // Every line of the row is on paper once, and the cells under the name
    // come with its last line.
    int name = 0, caution = 0, packages = 0;
    for (int p = 0; p < doc->pageCount(); ++p) {
        if (const PlacedElement* e = placed(*doc, p, "RpMemo3", 10)) name += e->lines;
        if (const PlacedElement* e = placed(*doc, p, "RpMemo2", 10)) caution += e->lines;
        packages += doc->textsOf(p, "RpLabel8").count();
        EXPECT_LE(doc->bandsOn(p).back().rect.bottom(), kLimit + kTol) << "page " << p + 1;
    }
    EXPECT_EQ(name, c.row.nameLines);
    EXPECT_EQ(caution, c.row.cautionLines);
    EXPECT_EQ(packages, 11);
}

INSTANTIATE_TEST_SUITE_P(Rows, PageBreak, ::testing::ValuesIn(breakCases()));

// ---------------------------------------------------------------------------
// Across a page end: a row taller than a page.

// Lines of a continued text on a page of its own: under the column header,
// below the cell's design top, above the room the design leaves under it.
int linesOnAFullPage(double cellTop, double cellBottom) {
    return static_cast<int>(
        std::floor((kLimit - kTop - kHeader - cellTop - (kDetail - cellBottom)) / lh()));
}

TEST(StretchedRowAcrossPages, EarlierPartClosesAtThePageFootAndTheRestGetsItsOwnRules) {
    RuledSheet sheet;
    // Nine plain rows; the tenth starts at 224.33 mm with 22.67 mm left on
    // the page, and its caution is longer than a page: it starts where it is,
    // fills page 2 and ends with a few lines on page 3.
    const int full = linesOnAFullPage(kMemoTop, kMemoBottom);
    const double l = lh();
    const double rowTop = kFirstRow + 9 * kDetail;
    const double room = kLimit - rowTop;
    const int firstPart = static_cast<int>(std::floor((room - kDetail + kMemoHeight) / l));
    ASSERT_GE(firstPart, 4);
    const int total = firstPart + full + 8;
    sheet.rows.assign(9, Row{});
    sheet.rows.push_back(Row{1, 2, total});
    sheet.rows.push_back(Row{});
    const auto doc = sheet.run();
    ASSERT_EQ(doc->pageCount(), 3);
    EXPECT_EQ(placed(*doc, 1, "RpMemo2", 10)->lines, full);

    // Page 1: the part fills the page down to the bottom margin.
    const PlacedBand* part1 = detailBand(*doc, 0, 10);
    ASSERT_TRUE(part1);
    EXPECT_FALSE(part1->continuation);
    EXPECT_NEAR(part1->rect.top(), rowTop, kTol);
    EXPECT_NEAR(part1->rect.bottom(), kLimit, kTol);
    const double pageGrowth = room - kDetail;
    for (const char* rule : kVerticalRules) {
        expectRect(*doc, 0, rule, 10, designed(rule, rowTop, 0, pageGrowth));
        EXPECT_NEAR(placed(*doc, 0, rule, 10)->rect.bottom(), kLimit - 7.9, kTol);
    }
    // A closing rule at the foot of the part, under the lines that fit.
    expectRect(*doc, 0, "RpShape2", 10, designed("RpShape2", rowTop, pageGrowth));
    EXPECT_EQ(placed(*doc, 0, "RpMemo2", 10)->lines, firstPart);
    EXPECT_LT(rowTop + kMemoTop + firstPart * l,
              placed(*doc, 0, "RpShape2", 10)->rect.center().y());
    // The cells of the name column are not affected by the caution.
    expectRect(*doc, 0, "RpLabel7", 10, designed("RpLabel7", rowTop));
    expectRect(*doc, 0, "RpLabel8", 10, designed("RpLabel8", rowTop));

    // Page 3: under the column header, the rest of the caution in its own
    // cell, with column rules and a bottom rule under its last line.
    const double partTop = kTop + kHeader;
    const int rest = total - firstPart - full;
    const PlacedBand* part2 = detailBand(*doc, 2, 10);
    ASSERT_TRUE(part2);
    EXPECT_TRUE(part2->continuation);
    const double textEnd = kMemoTop + rest * l;
    const double shift = textEnd - kMemoBottom;  // from the design bottom
    EXPECT_NEAR(part2->rect.top(), partTop, kTol);
    EXPECT_NEAR(part2->rect.height(), kDetail + shift, kTol);
    const PlacedElement* caution = placed(*doc, 2, "RpMemo2", 10);
    ASSERT_TRUE(caution);
    EXPECT_NEAR(caution->rect.top(), partTop + kMemoTop, kTol);
    EXPECT_NEAR(caution->rect.left(), kLeft + 1100.7, kTol);
    EXPECT_EQ(caution->lines, rest);
    EXPECT_EQ(doc->textsOf(2, "RpMemo2").first(),
              QStringLiteral("注意%1").arg(firstPart + full + 1));
    expectRect(*doc, 2, "RpShape2", 10, designed("RpShape2", partTop, shift));
    for (const char* rule : kVerticalRules) {
        expectRect(*doc, 2, rule, 10, designed(rule, partTop, 0, shift));
    }
    // Cells that had all their text on page 1 don't come again.
    for (const char* gone : {"RpMemo1", "RpMemo3", "RpLabel7", "RpLabel8", "RpShape18"}) {
        EXPECT_EQ(placed(*doc, 2, gone, 10), nullptr) << gone;
    }
    // The next row follows the continuation as designed.
    const PlacedBand* after = detailBand(*doc, 2, 11);
    ASSERT_TRUE(after);
    EXPECT_NEAR(after->rect.top(), part2->rect.bottom(), kTol);
    expectRect(*doc, 2, "RpShape7", 11, designed("RpShape7", after->rect.top()));
}

TEST(StretchedRowAcrossPages, LabelsUnderALongNameFollowItToTheNextPage) {
    RuledSheet sheet;
    const double l = lh();
    const double rowTop = kFirstRow + 9 * kDetail;
    const double room = kLimit - rowTop;
    const int firstPart = static_cast<int>(std::floor((room - kDetail + kNameHeight) / l));
    const int full = linesOnAFullPage(5.3, kNameBottom);
    const int rest = 2;
    // A name longer than a page, at the page end.
    sheet.rows.assign(9, Row{});
    sheet.rows.push_back(Row{firstPart + full + rest, 1, 1});
    const auto doc = sheet.run();
    ASSERT_EQ(doc->pageCount(), 3);
    // Pages 1 and 2: the dosage form and package wait for the end of the name.
    for (int p : {0, 1}) {
        EXPECT_EQ(placed(*doc, p, "RpLabel7", 10), nullptr);
        EXPECT_EQ(placed(*doc, p, "RpLabel8", 10), nullptr);
        EXPECT_EQ(placed(*doc, p, "RpShape18", 10), nullptr);  // dotted rules too
        EXPECT_TRUE(placed(*doc, p, "RpShape2", 10));          // the solid rule closes
    }
    // Page 3: they come under the name's last line, as far below it as designed.
    const double partTop = kTop + kHeader;
    const double shift = 5.3 + rest * l - kNameBottom;
    for (const char* under : {"RpShape18", "RpLabel7", "RpShape19", "RpLabel8", "RpShape2"}) {
        expectRect(*doc, 2, under, 10, designed(under, partTop, shift));
    }
    EXPECT_EQ(doc->textsOf(2, "RpLabel8"), QStringList{QStringLiteral("5mg 100錠")});
    EXPECT_NEAR(detailBand(*doc, 2, 10)->rect.height(), kDetail + shift, kTol);
}

TEST(StretchedRowAcrossPages, TextLongerThanAPageKeepsItsFrameOnEveryPage) {
    RuledSheet sheet;
    sheet.rows = {Row{1, 1, 150}};
    const auto doc = sheet.run();
    ASSERT_GE(doc->pageCount(), 3);
    int total = 0;
    for (int p = 0; p < doc->pageCount(); ++p) {
        SCOPED_TRACE("page " + std::to_string(p + 1));
        const PlacedElement* caution = placed(*doc, p, "RpMemo2", 1);
        ASSERT_TRUE(caution);
        total += caution->lines;
        const PlacedElement* bottom = placed(*doc, p, "RpShape2", 1);
        const PlacedElement* left = placed(*doc, p, "RpShape7", 1);
        ASSERT_TRUE(bottom);
        ASSERT_TRUE(left);
        // Column rule down to the bottom rule, text above it, all above the margin.
        EXPECT_NEAR(left->rect.bottom(), bottom->rect.top(), kTol);
        EXPECT_LT(caution->rect.top() + caution->lines * lineHeightOf(12),
                  bottom->rect.center().y());
        EXPECT_LE(bottom->rect.bottom(), kLimit + kTol);
        EXPECT_LE(detailBand(*doc, p, 1)->rect.bottom(), kLimit + kTol);
    }
    EXPECT_EQ(total, 150);
}

// The photo-and-usage sheet's row: the photo and the usage cell keep their
// place, the two extra column rules reach down like the others.
TEST(StretchedRowWithPhoto, PhotoAndUsageStayAndEveryColumnRuleReachesTheBottomRule) {
    // clang-format off
    constexpr ElementRow kPhotoRow[] = {
        {"RpLabel8", kLabel, 3.17, 16.14, 33.87, 3.97, 10, kWordWrap},
        {"RpShape2", kHorLine, 2.12, 20.64, 172.51, 0.26},
        {"RpLabel7", kLabel, 3.17, 11.11, 33.87, 4.50, 10, kWordWrap},
        {"RpShape7", kVertLine, 2.12, -0.53, 0.26, 21.17},
        {"RpShape8", kVertLine, 174.62, -0.53, 0.26, 21.17},
        {"RpShape14", kVertLine, 38.10, -0.53, 0.26, 21.17},
        {"RpShape15", kVertLine, 87.31, -0.53, 0.26, 21.17},
        {"RpShape18", kHorLine, 2.12, 10.58, 35.98, 0.26, 0, kDotted},
        {"RpShape19", kHorLine, 2.12, 15.35, 35.98, 0.26, 0, kDotted},
        {"RpMemo1", kMemo, 38.63, 1.06, 48.15, 18.26, 11, kWordWrap | kAutoStretch},
        {"RpMemo2", kMemo, 87.84, 1.06, 48.15, 18.26, 11, kWordWrap | kAutoStretch},
        {"RpMemo3", kMemo, 3.17, 0.53, 33.87, 9.53, 12, kWordWrap},
        {"RpShape23", kVertLine, 136.53, -0.53, 0.26, 21.17},
        {"RpImage1", kImage, 137.05, 0.26, 21.70, 20.11, 0, kStretch | kCenterPicture},
        {"RpShape24", kVertLine, 159.28, -0.53, 0.26, 21.17},
        {"RpMemo4", kMemo, 160.34, 2.38, 13.76, 17.20, 11, kWordWrap},
    };
    // clang-format on
    TReport report;
    report.Page.setValues(100, 2570, 50, 1820, 20, 10, 0);
    TReportBand* band = report.addBand("RpBand1", rbDetail, 20.90, 12);
    band->addAll(kPhotoRow);
    QImage photo(82, 76, QImage::Format_RGB32);
    photo.fill(Qt::darkBlue);
    report.image("RpImage1")->setPicture(photo);
    report.memo("RpMemo2")->Lines.add(numbered("注意", 7));
    report.memo("RpMemo4")->Lines.add(sjis("朝昼夕"));
    report.memo("RpMemo4")->Lines.add(sjis("食後"));
    int calls = 0;
    report.OnNeedData = [&](TReport&, bool& more) { more = calls++ == 0; };
    const RunResult r = report.run();
    ASSERT_TRUE(r.document);
    const ReportDocument& doc = *r.document;

    TReportFont f11;
    f11.Size = 11;
    const double growth = 7 * TextMeasurer::instance().lineHeight(f11) - kMemoHeight;
    ASSERT_GT(growth, 0);
    const double top = kTop;  // the band is the page's first
    auto at = [&](double left, double t, double w, double h) {
        return QRectF(20 + mmToTenths(left), top + mmToTenths(t), mmToTenths(w), mmToTenths(h));
    };
    EXPECT_NEAR(doc.bandsOn(0).front().rect.height(), 209 + growth, kTol);
    expectRect(doc, 0, "RpShape2", 1, at(2.12, 20.64, 172.51, 0.26).translated(0, growth));
    for (double x : {2.12, 174.62, 38.10, 87.31, 136.53, 159.28}) {
        const QRectF rule = at(x, -0.53, 0.26, 21.17).adjusted(0, 0, 0, growth);
        bool found = false;
        for (const PlacedElement& e : doc.pages[0].elements) {
            if (std::abs(e.rect.left() - rule.left()) < kTol && e.rect.width() < 3) {
                found = true;
                EXPECT_NEAR(e.rect.top(), rule.top(), kTol) << e.name.toStdString();
                EXPECT_NEAR(e.rect.height(), rule.height(), kTol) << e.name.toStdString();
            }
        }
        EXPECT_TRUE(found) << "column rule at " << x << " mm";
    }
    expectRect(doc, 0, "RpImage1", 1, at(137.05, 0.26, 21.70, 20.11));
    expectRect(doc, 0, "RpMemo4", 1, at(160.34, 2.38, 13.76, 17.20));
    expectRect(doc, 0, "RpLabel7", 1, at(3.17, 11.11, 33.87, 4.50));
    expectRect(doc, 0, "RpLabel8", 1, at(3.17, 16.14, 33.87, 3.97));
    EXPECT_EQ(doc.textsOf(0, "RpMemo4"),
              (QStringList{QStringLiteral("朝昼夕"), QStringLiteral("食後")}));
}

// ---------------------------------------------------------------------------
// The roles, on their own: which elements move and which rules reach down.

struct RoleCase {
    const char* what;
    StretchElement element;
    StretchRole role;
};

std::vector<RoleCase> roleCases() {
    // Against one growing cell from 10 to 190 (tenths), and a short name
    // cell from 5 to 100 that doesn't grow.
    return {
        {"rule on the cell's bottom", {{20, 190, 1700, 2.6}, false}, StretchRole::Follow},
        {"rule under the cell", {{20, 206.4, 1700, 2.6}, false}, StretchRole::Follow},
        {"label beside the cell", {{40, 111, 380, 45}, false}, StretchRole::Fixed},
        {"label just above its bottom", {{40, 189.9, 380, 45}, false}, StretchRole::Fixed},
        {"column rule past the bottom", {{20, -5.3, 2.6, 211.7}, true}, StretchRole::Reach},
        {"column rule to the bottom", {{20, 0, 2.6, 190}, true}, StretchRole::Reach},
        {"short vertical rule", {{20, 0, 2.6, 100}, true}, StretchRole::Fixed},
        {"vertical rule under the cell", {{20, 195, 2.6, 10}, true}, StretchRole::Follow},
        {"picture beside the cell", {{1370, 2.6, 217, 201.1}, false}, StretchRole::Fixed},
        {"text that doesn't grow", {{500, 200, 100, 40}, false, true, false}, StretchRole::Follow},
        {"text that grows", {{500, 200, 100, 40}, false, true, true}, StretchRole::Stretch},
    };
}

class StretchRoles : public ::testing::TestWithParam<RoleCase> {};

TEST_P(StretchRoles, AgainstOneGrowingCell) {
    const RoleCase& c = GetParam();
    const std::vector<StretchElement> band = {
        {{450, 10, 611, 180}, false, true, true},  // growing efficacy cell
        {{30, 5, 397, 95}, false, true, false},    // name cell, not growing
        c.element,
    };
    const auto roles = assignStretchRoles(band);
    ASSERT_EQ(roles.size(), 3u);
    EXPECT_EQ(roles[0].role, StretchRole::Stretch);
    EXPECT_EQ(roles[1].role, StretchRole::Fixed);
    EXPECT_EQ(roles[2].role, c.role) << c.what;
    if (c.role == StretchRole::Follow || c.role == StretchRole::Reach) {
        EXPECT_EQ(roles[2].sources, std::vector<size_t>{0}) << c.what;
    }
}

INSTANTIATE_TEST_SUITE_P(Elements, StretchRoles, ::testing::ValuesIn(roleCases()));

// ---------------------------------------------------------------------------
// On paper: a stretched row drawn into a PDF and rasterised.

class StretchedRowOnPaper : public ::testing::Test {
  protected:
    void SetUp() override {
        if (findTool("pdftoppm").isEmpty()) GTEST_SKIP() << "poppler-utils not installed";
        ASSERT_TRUE(dir.isValid());
    }
    QTemporaryDir dir;
};

bool dark(const QImage& img, int x, int y) { return qGray(img.pixel(x, y)) < 160; }

// Pages of a run as pictures at 254 dpi: one pixel per tenth of a millimetre.
std::vector<QImage> rasterise(TReport& report, const QTemporaryDir& dir, const char* name) {
    const QString pdf = dir.filePath(QString::fromLatin1(name) + QStringLiteral(".pdf"));
    EXPECT_TRUE(report.runToPdf(pdf).ok());
    // Set to a folder to keep the pages for a look by eye.
    const QString keep = qEnvironmentVariable("DORIMEK_KEEP_RENDER");
    if (!keep.isEmpty())
        QFile::copy(pdf, keep + QLatin1Char('/') + QString::fromLatin1(name) + ".pdf");
    const QString prefix = dir.filePath(QString::fromLatin1(name));
    runTool(findTool("pdftoppm"),
            {QStringLiteral("-r"), QStringLiteral("254"), QStringLiteral("-png"), pdf, prefix});
    std::vector<QImage> pages;
    for (int p = 1;; ++p) {
        QImage page(prefix + QStringLiteral("-%1.png").arg(p));
        if (page.isNull()) break;
        pages.push_back(page);
    }
    return pages;
}

int darkAcross(const QImage& page, int y, int x0 = 60, int x1 = 1750) {
    int n = 0;
    for (int x = x0; x < x1; ++x) n += dark(page, x, y);
    return n;
}

// The densest row of pixels within 3 of y.
int ruleNear(const QImage& page, int y) {
    int best = y;
    for (int r = y - 3; r <= y + 3; ++r) {
        if (darkAcross(page, r) > darkAcross(page, best)) best = r;
    }
    return best;
}

// The longest dark run of a column rule near x, between y0 and y1.
int columnRuleBetween(const QImage& page, double x, int y0, int y1) {
    int best = 0;
    for (int c = static_cast<int>(x) - 3; c <= static_cast<int>(x) + 3; ++c) {
        int n = 0;
        for (int y = y0; y < y1; ++y) n += dark(page, c, y);
        best = std::max(best, n);
    }
    return best;
}

constexpr double kColumnRulesX[] = {kLeft + 22.5, kLeft + 1734.3, kLeft + 435.2, kLeft + 1086.1};

TEST_F(StretchedRowOnPaper, ColumnRulesRunDownToTheMovedBottomRuleAndNoTextCrossesIt) {
    RuledSheet sheet;
    sheet.rows = {Row{1, 3, 6}, Row{}};
    const std::vector<QImage> pages = rasterise(sheet.report, dir, "stretched");
    ASSERT_EQ(pages.size(), 1u);
    const QImage& page = pages[0];

    const double growth = 6 * lh() - kMemoHeight;
    const int ruleY = ruleNear(page, static_cast<int>(std::lround(kFirstRow + 207.7 + growth)));
    EXPECT_GT(darkAcross(page, ruleY), 1600);
    // Its design place is now inside the caution cell: no rule there.
    EXPECT_LT(darkAcross(page, static_cast<int>(std::lround(kFirstRow + 207.7))), 400);
    // The column rules are unbroken from the header rule to the bottom rule.
    const int y0 = static_cast<int>(kFirstRow) + 2;
    for (double x : kColumnRulesX) {
        EXPECT_EQ(columnRuleBetween(page, x, y0, ruleY - 2), ruleY - 2 - y0) << "rule at " << x;
    }
    // Between the bottom rule and the next row's text nothing but white.
    for (int y = ruleY + 3; y < ruleY + 8; ++y) EXPECT_EQ(darkAcross(page, y, 470, 1050), 0);
}

TEST_F(StretchedRowOnPaper, AContinuedRowIsFramedOnEveryPage) {
    RuledSheet sheet;
    const int rowTop = static_cast<int>(kFirstRow + 9 * kDetail);
    const int firstPart =
        static_cast<int>(std::floor((kLimit - rowTop - kDetail + kMemoHeight) / lh()));
    const int rest = 8;
    sheet.rows.assign(9, Row{});
    sheet.rows.push_back(Row{1, 2, firstPart + linesOnAFullPage(kMemoTop, kMemoBottom) + rest});
    sheet.rows.push_back(Row{});
    const std::vector<QImage> pages = rasterise(sheet.report, dir, "continued");
    ASSERT_EQ(pages.size(), 3u);

    // Page 1: the row's part is closed by a rule just above the bottom
    // margin, and the column rules reach it.
    const int closing = ruleNear(pages[0], static_cast<int>(kLimit - 6.6));
    EXPECT_GT(darkAcross(pages[0], closing), 1600);
    for (double x : kColumnRulesX) {
        EXPECT_EQ(columnRuleBetween(pages[0], x, rowTop + 2, closing - 2), closing - 4 - rowTop)
            << "rule at " << x;
    }
    // Nothing under the closing rule: the page's bottom margin stays white.
    for (int y = closing + 3; y < 2570; y += 7) EXPECT_EQ(darkAcross(pages[0], y), 0) << y;

    // Page 3: the rest of the caution between the header and its own bottom
    // rule, the column rules unbroken from one to the other.
    const int partTop = static_cast<int>(kTop + kHeader);
    const int bottom = ruleNear(
        pages[2], static_cast<int>(std::lround(partTop + kMemoTop + rest * lh() + 13.2 + 1.3)));
    EXPECT_GT(darkAcross(pages[2], bottom), 1600);
    for (double x : kColumnRulesX) {
        EXPECT_EQ(columnRuleBetween(pages[2], x, partTop + 2, bottom - 2), bottom - 4 - partTop)
            << "rule at " << x;
    }
    // The caution's text lies in the cell, not on or under the rule.
    for (int y = bottom - 6; y <= bottom + 6; ++y) {
        if (std::abs(y - bottom) <= 1) continue;
        EXPECT_EQ(darkAcross(pages[2], y, 1125, 1755), 0) << y;
    }
}

}  // namespace
}  // namespace dorimek::report
