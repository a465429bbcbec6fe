// Golden layouts: where bands and elements land, in tenths of a millimetre,
// and how the data requests drive a run.
#include "EngineTestSupport.h"

#include "TestFiles.h"
#include "sheets/engine/TextMeasurer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace dorimek::report {
namespace {

using dorimek::testing::sjis;
using enginetest::kTol;
using enginetest::lineHeightOf;
using enginetest::SampleReport;

// Page of the sample: top margin 5 mm, left 3 mm, bands end above 247 mm.
constexpr double kTop = 50, kLeft = 30, kBandWidth = 1780, kLimit = 2470;
constexpr double kTitle = 116.4, kHeader = 148.2, kDetail = 214.3, kSummary = 74.1;

std::string lines(int n, const char* word = "効能") {
    std::string text;
    for (int i = 1; i <= n; ++i) {
        if (i > 1) text += "\r\n";
        text += sjis(word) + std::to_string(i);
    }
    return text;
}

void fillRows(SampleReport& s, int n) {
    s.rows.clear();
    for (int i = 1; i <= n; ++i) s.rows.push_back(sjis("行") + std::to_string(i));
}

struct BandRow {
    TBandType type;
    double top;
    double height;
};

void expectBands(const ReportDocument& doc, int page, const std::vector<BandRow>& want) {
    const auto& bands = doc.bandsOn(page);
    ASSERT_EQ(bands.size(), want.size()) << "page " << page;
    for (size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE("page " + std::to_string(page) + " band " + std::to_string(i));
        EXPECT_EQ(bands[i].type, want[i].type);
        EXPECT_NEAR(bands[i].rect.left(), kLeft, kTol);
        EXPECT_NEAR(bands[i].rect.width(), kBandWidth, kTol);
        EXPECT_NEAR(bands[i].rect.top(), want[i].top, kTol);
        EXPECT_NEAR(bands[i].rect.height(), want[i].height, kTol);
    }
}

TEST(ReportRun, FirstRequestWithoutDataGivesOneEmptyPage) {
    SampleReport s;
    const RunResult r = s.report.run();
    EXPECT_EQ(r.outcome, RunOutcome::Empty);
    ASSERT_TRUE(r.document);
    EXPECT_EQ(r.document->pageCount(), 1);
    EXPECT_TRUE(r.document->pages[0].ops.empty());
    EXPECT_TRUE(r.document->bandsOn(0).empty());
    EXPECT_EQ(s.presets, std::vector<bool>{true});
    EXPECT_EQ(s.beforePrintCalls, 1);
}

TEST(ReportRun, ThreeRowsTakeFourRequestsFirstPresetTrue) {
    SampleReport s;
    fillRows(s, 3);
    const RunResult r = s.report.run();
    EXPECT_EQ(r.outcome, RunOutcome::Completed);
    EXPECT_EQ(s.presets, (std::vector<bool>{true, false, false, false}));
    const double d0 = kTop + kTitle + kHeader;
    expectBands(*r.document, 0,
                {{rbTitle, kTop, kTitle},
                 {rbColumnHeader, kTop + kTitle, kHeader},
                 {rbDetail, d0, kDetail},
                 {rbDetail, d0 + kDetail, kDetail},
                 {rbDetail, d0 + 2 * kDetail, kDetail},
                 {rbSummary, d0 + 3 * kDetail, kSummary}});
    EXPECT_EQ(r.document->textsOf(0, "RpMemo1"),
              (QStringList{QStringLiteral("行1"), QStringLiteral("行2"), QStringLiteral("行3")}));
}

TEST(ReportRun, RunningAgainStartsWithBeforePrintAndTheSameLayout) {
    SampleReport s;
    fillRows(s, 2);
    const RunResult first = s.report.run();
    s.presets.clear();
    const RunResult second = s.report.run();
    EXPECT_EQ(s.beforePrintCalls, 2);
    EXPECT_EQ(s.presets, (std::vector<bool>{true, false, false}));
    ASSERT_EQ(first.document->pageCount(), second.document->pageCount());
    EXPECT_EQ(first.document->textsOn(0), second.document->textsOn(0));
    EXPECT_NE(first.document, second.document);
    EXPECT_EQ(s.report.lastDocument(), second.document);
}

TEST(ReportRun, BeforePrintDecliningPrintsNothingAndAsksForNoData) {
    SampleReport s;
    fillRows(s, 2);
    s.report.BeforePrint = [](TReport&, bool& print) { print = false; };
    const RunResult r = s.report.run();
    EXPECT_EQ(r.outcome, RunOutcome::Suppressed);
    EXPECT_FALSE(r.document);
    EXPECT_TRUE(s.presets.empty());
}

TEST(ReportRun, ARunRequestedDuringARunIsIgnored) {
    SampleReport s;
    fillRows(s, 2);
    std::vector<RunOutcome> nested;
    Status nestedPdf;
    auto inner = s.report.OnNeedData;
    s.report.OnNeedData = [&](TReport& r, bool& more) {
        EXPECT_TRUE(r.isRunning());
        nested.push_back(r.run().outcome);
        if (nested.size() == 1) nestedPdf = r.runToPdf(QStringLiteral("/nonexistent/x.pdf"));
        inner(r, more);
    };
    const RunResult r = s.report.run();
    EXPECT_EQ(r.outcome, RunOutcome::Completed);
    EXPECT_EQ(nested, std::vector<RunOutcome>(3, RunOutcome::Busy));
    EXPECT_FALSE(nestedPdf.ok());
    EXPECT_EQ(s.beforePrintCalls, 1);
    EXPECT_FALSE(s.report.isRunning());
}

TEST(ReportRun, CancelStopsBeforeTheNextDetailBandWithoutSummary) {
    SampleReport s;
    fillRows(s, 5);
    RunOptions options;
    std::vector<int> progressRows;
    options.progress = [&](int page, int row) {
        EXPECT_EQ(page, 1);
        progressRows.push_back(row);
        if (row == 3) s.report.cancelRun();
    };
    const RunResult r = s.report.run(options);
    EXPECT_EQ(r.outcome, RunOutcome::Cancelled);
    EXPECT_EQ(progressRows, (std::vector<int>{1, 2, 3}));
    const auto& bands = r.document->bandsOn(0);
    ASSERT_EQ(bands.size(), 4u);  // title, header, two details
    EXPECT_EQ(bands.back().type, rbDetail);
    // A new run is not cancelled by the old request.
    EXPECT_EQ(s.report.run().outcome, RunOutcome::Completed);
}

TEST(ReportRun, WithoutADataHandlerOneDetailIsPrinted) {
    SampleReport s;
    s.report.OnNeedData = nullptr;
    const RunResult r = s.report.run();
    EXPECT_EQ(r.outcome, RunOutcome::Completed);
    EXPECT_EQ(r.document->bandsOn(0).size(), 4u);
}

TEST(ReportPageBreak, ABandThatDoesNotFitStartsAPageWithTheColumnHeader) {
    SampleReport s;
    fillRows(s, 12);
    const RunResult r = s.report.run();
    ASSERT_EQ(r.document->pageCount(), 2);
    // Ten rows fit: the tenth ends at 245.76 mm, the eleventh would pass 247.
    const auto& first = r.document->bandsOn(0);
    ASSERT_EQ(first.size(), 12u);
    EXPECT_NEAR(first.back().rect.bottom(), kTop + kTitle + kHeader + 10 * kDetail, kTol);
    EXPECT_GT(first.back().rect.bottom() + kDetail, kLimit);
    const double d0 = kTop + kHeader;
    expectBands(*r.document, 1,
                {{rbColumnHeader, kTop, kHeader},
                 {rbDetail, d0, kDetail},
                 {rbDetail, d0 + kDetail, kDetail},
                 {rbSummary, d0 + 2 * kDetail, kSummary}});
    EXPECT_EQ(r.document->bandsOn(1)[1].row, 11);
    EXPECT_EQ(r.document->textsOf(1, "RpLabel3"), QStringList{QStringLiteral("効能")});
}

TEST(ReportPageBreak, ABandEndingExactlyAtTheBottomMarginStaysOnThePage) {
    SampleReport s;
    fillRows(s, 10);
    // Move the bottom margin up to the end of the tenth row.
    s.report.Page.BottomMargin = 2570 - (kTop + kTitle + kHeader + 10 * kDetail);
    s.summary->Height = 0;
    const RunResult r = s.report.run();
    EXPECT_EQ(r.document->pageCount(), 1);
}

TEST(ReportPageBreak, TheSummaryMovesToANewPageWhenItDoesNotFit) {
    SampleReport s;
    fillRows(s, 10);
    s.summary->Height = 200;  // 20 mm: more than the 1.24 mm left
    const RunResult r = s.report.run();
    ASSERT_EQ(r.document->pageCount(), 2);
    expectBands(*r.document, 1,
                {{rbColumnHeader, kTop, kHeader}, {rbSummary, kTop + kHeader, 200}});
}

TEST(ReportPageBreak, ABandTallerThanAPageStillEnds) {
    SampleReport s;
    fillRows(s, 3);
    s.detail->Height = 3000;
    const RunResult r = s.report.run();
    EXPECT_EQ(r.outcome, RunOutcome::Completed);
    // Each detail and the summary get a page of their own, under the header.
    ASSERT_EQ(r.document->pageCount(), 5);
    for (int p = 1; p < 5; ++p) EXPECT_EQ(r.document->bandsOn(p).size(), 2u);
}

TEST(ReportElements, PlacedRelativeToTheirBandAndMayReachOutsideIt) {
    SampleReport s;
    fillRows(s, 1);
    const RunResult r = s.report.run();
    const double bandTop = kTop + kTitle + kHeader;
    const PlacedElement* rule = r.document->elementOn(0, "RpShape7");
    ASSERT_TRUE(rule);
    EXPECT_NEAR(rule->rect.left(), kLeft + 21.2, kTol);
    EXPECT_NEAR(rule->rect.top(), bandTop - 5.3, kTol);
    EXPECT_NEAR(rule->rect.height(), 211.7, kTol);
    const PlacedElement* bottom = r.document->elementOn(0, "RpShape2");
    ASSERT_TRUE(bottom);
    EXPECT_NEAR(bottom->rect.top(), bandTop + 206.4, kTol);
    EXPECT_NEAR(bottom->rect.width(), 1714.5, kTol);

    // The rule of a horizontal shape runs through the middle of its box.
    for (const ReportOp& op : r.document->pages[0].ops) {
        if (op.owner == "RpShape16") {
            EXPECT_TRUE(op.dotted);
        }
        if (op.owner == "RpShape2") {
            EXPECT_NEAR(op.from.y(), bandTop + 206.4 + 1.3, kTol);
            EXPECT_NEAR(op.from.x(), kLeft + 21.2, kTol);
            EXPECT_NEAR(op.to.x(), kLeft + 21.2 + 1714.5, kTol);
        }
    }
}

TEST(ReportElements, EachBandIsFilledWhiteBeforeItsElementsAreDrawnInOrder) {
    SampleReport s;
    fillRows(s, 1);
    const RunResult r = s.report.run();
    QStringList detailOrder;
    for (const ReportOp& op : r.document->pages[0].ops) {
        if (op.owner == "RpBand1" || op.owner.startsWith("RpShape2") ||
            op.owner.startsWith("RpShape7") || op.owner == "RpMemo1") {
            if (detailOrder.isEmpty() || detailOrder.back() != op.owner)
                detailOrder.append(op.owner);
        }
        if (op.owner == "RpBand1") {
            EXPECT_EQ(op.type, ReportOp::Fill);
            EXPECT_EQ(op.color, QColor(Qt::white));
        }
    }
    EXPECT_EQ(detailOrder, (QStringList{"RpBand1", "RpShape2", "RpShape7", "RpMemo1"}));
}

TEST(ReportElements, AutoSizeLabelsFollowTheirTextAndCentredOnesKeepTheirCentre) {
    SampleReport s;
    fillRows(s, 1);
    const RunResult r = s.report.run();
    TReportFont f14;
    f14.Size = 14;
    const double w = TextMeasurer::instance().width(f14, QStringLiteral("薬剤情報提供書"));
    const PlacedElement* title = r.document->elementOn(0, "RpLabel5");
    ASSERT_TRUE(title);
    EXPECT_NEAR(title->rect.width(), w, kTol);
    EXPECT_NEAR(title->rect.center().x(), kLeft + 608.5 + 354.5 / 2, kTol);
    EXPECT_EQ(title->lines, 1);  // printed although 14 pt is taller than 5.29 mm

    s.report.label("RpLabel6")->setCaptionText(QStringLiteral("令和6年4月1日 (月曜日)"));
    const RunResult again = s.report.run();
    const PlacedElement* date = again.document->elementOn(0, "RpLabel6");
    EXPECT_NEAR(date->rect.left(), kLeft + 1481.7, kTol);
    EXPECT_GT(date->rect.width(), 177.3);  // wider than designed, not wrapped
    EXPECT_EQ(again.document->textsOf(0, "RpLabel6").size(), 1);
}

struct StretchCase {
    const char* what;
    int memoLines;
    bool autoStretch;
    int drawnLines;  // -1: all
};

class ReportStretchTable : public ::testing::TestWithParam<StretchCase> {};

TEST_P(ReportStretchTable, BandGrowsByTheMemosGrowth) {
    const StretchCase& c = GetParam();
    SampleReport s;
    s.report.memo("RpMemo1")->AutoStretch = c.autoStretch;
    s.rows = {lines(c.memoLines), sjis("次の行")};
    const RunResult r = s.report.run();
    const double lh = lineHeightOf(12);
    const int fitting = static_cast<int>(std::floor(182.6 / lh));
    const int drawn = c.drawnLines < 0 ? c.memoLines : c.drawnLines;
    // A cell that doesn't stretch still shows every line: it grows by the
    // lines beyond those it was designed to show.
    const double growth = c.autoStretch ? std::max(0.0, c.memoLines * lh - 182.6)
                                        : std::max(0, c.memoLines - fitting) * lh;

    const auto& bands = r.document->bandsOn(0);
    ASSERT_EQ(bands.size(), 5u) << c.what;
    EXPECT_NEAR(bands[2].rect.height(), kDetail + growth, kTol) << c.what;
    EXPECT_NEAR(bands[3].rect.top(), bands[2].rect.bottom(), kTol) << c.what;
    const PlacedElement* memo = r.document->elementOn(0, "RpMemo1");
    EXPECT_EQ(memo->lines, drawn) << c.what;
    EXPECT_NEAR(memo->rect.height(), c.autoStretch ? std::max(182.6, drawn * lh) : 182.6 + growth,
                kTol);
    EXPECT_EQ(r.document->textsOf(0, "RpMemo1").size(), drawn + 1) << c.what;
    // The column rule reaches the grown row's bottom; the next row's is as designed.
    EXPECT_NEAR(r.document->elementOn(0, "RpShape7")->rect.height(), 211.7 + growth, kTol);
    EXPECT_NEAR(r.document->elementOn(0, "RpShape7", 1)->rect.height(), 211.7, kTol);
}

INSTANTIATE_TEST_SUITE_P(Memo, ReportStretchTable,
                         ::testing::Values(StretchCase{"one line, no growth", 1, true, -1},
                                           StretchCase{"fills the memo", 3, true, -1},
                                           StretchCase{"grows by a line", 4, true, -1},
                                           StretchCase{"grows by five lines", 8, true, -1},
                                           StretchCase{"no stretch: grows to every line", 8, false, -1},
                                           StretchCase{"no stretch, short text", 2, false, 2}));

// A row taller than a page starts where it is (one that fits on a fresh page
// moves there whole instead).
TEST(ReportStretch, LinesBeyondTheBottomMarginContinueUnderTheNextPagesHeader) {
    SampleReport s;
    const double lh = lineHeightOf(12);
    const double rowTop = kTop + kTitle + kHeader + 9 * kDetail;
    const double room = kLimit - rowTop;
    // On the first page: as many lines as keep the grown band above the margin.
    const int firstPart = static_cast<int>(std::floor((room - kDetail + 182.6) / lh));
    // A page of its own holds the lines between the cell's top and the room
    // the design leaves under it.
    const int fullPage =
        static_cast<int>(std::floor((kLimit - kTop - kHeader - 10.6 - (kDetail - 193.2)) / lh));
    const int restLines = 6;
    fillRows(s, 9);
    s.rows.push_back(lines(firstPart + fullPage + restLines));  // row 10 starts at 224.33 mm
    s.rows.push_back(sjis("最終行"));
    const RunResult r = s.report.run();
    ASSERT_GE(firstPart, 3);
    ASSERT_EQ(r.document->pageCount(), 3);
    EXPECT_EQ(r.document->elementOn(1, "RpMemo1")->lines, fullPage);
    const auto& page1 = r.document->bandsOn(0);
    const PlacedBand& grown = page1.back();
    EXPECT_EQ(grown.row, 10);
    EXPECT_NEAR(grown.rect.top(), rowTop, kTol);
    // The part fills the page down to the bottom margin.
    EXPECT_NEAR(grown.rect.bottom(), kLimit, kTol);
    EXPECT_EQ(r.document->elementOn(0, "RpMemo1", 9)->lines, firstPart);

    // The rest, at the top of the band area of page 3, under the header, as
    // far from it as the cell is from the top of a row.
    const auto& page2 = r.document->bandsOn(2);
    ASSERT_GE(page2.size(), 4u);
    EXPECT_EQ(page2[0].type, rbColumnHeader);
    EXPECT_TRUE(page2[1].continuation);
    EXPECT_EQ(page2[1].row, 10);
    EXPECT_NEAR(page2[1].rect.top(), kTop + kHeader, kTol);
    EXPECT_NEAR(page2[1].rect.height(), kDetail + 10.6 + restLines * lh - 193.2, kTol);
    const PlacedElement* rest = r.document->elementOn(2, "RpMemo1");
    ASSERT_TRUE(rest);
    EXPECT_NEAR(rest->rect.top(), kTop + kHeader + 10.6, kTol);
    EXPECT_NEAR(rest->rect.left(), kLeft + 449.8, kTol);
    EXPECT_EQ(rest->lines, restLines);
    EXPECT_EQ(r.document->textsOf(2, "RpMemo1").first(),
              QStringLiteral("効能%1").arg(firstPart + fullPage + 1));
    // The continuation has its column rule and its bottom rule.
    ASSERT_TRUE(r.document->elementOn(2, "RpShape7"));
    EXPECT_EQ(r.document->elementOn(2, "RpShape7")->row, 10);
    EXPECT_EQ(r.document->elementOn(2, "RpShape2")->row, 10);
    EXPECT_EQ(page2[2].row, 11);
    EXPECT_NEAR(page2[2].rect.top(), page2[1].rect.bottom(), kTol);
    EXPECT_EQ(page2.back().type, rbSummary);
}

TEST(ReportStretch, TextLongerThanAPageRunsOverSeveralPages) {
    SampleReport s;
    s.rows = {lines(200)};
    const RunResult r = s.report.run();
    ASSERT_EQ(r.outcome, RunOutcome::Completed);
    int total = 0;
    for (int p = 0; p < r.document->pageCount(); ++p) {
        total += r.document->textsOf(p, "RpMemo1").size();
        for (const PlacedBand& b : r.document->bandsOn(p)) {
            EXPECT_LE(b.rect.bottom(), kLimit + kTol);
        }
    }
    EXPECT_EQ(total, 200);
    EXPECT_GE(r.document->pageCount(), 4);
}

TEST(ReportSnapshots, PagesKeepTheTextsOfTheirRowsAndElementsKeepTheLastRow) {
    SampleReport s;
    fillRows(s, 2);
    const RunResult r = s.report.run();
    s.report.memo("RpMemo1")->Lines.add(sjis("後から追加"));
    EXPECT_EQ(r.document->textsOf(0, "RpMemo1"),
              (QStringList{QStringLiteral("行1"), QStringLiteral("行2")}));
    EXPECT_EQ(s.report.memo("RpMemo1")->Lines.at(0), sjis("行2"));
}

TEST(ReportSnapshots, AnImageElementKeepsItsOwnCopyAndIsReducedToTheImageResolution) {
    SampleReport s;
    TReportImage* image = s.detail->addImage(
        {"RpImage1", kImage, 151.34, 0.26, 22.75, 20.11, 0, kStretch | kCenterPicture});
    QImage photo(4000, 3000, QImage::Format_RGB32);
    photo.fill(Qt::red);
    image->setPicture(photo);
    photo.fill(Qt::blue);
    EXPECT_EQ(image->picture().pixelColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(s.report.image("RpImage1"), image);
    EXPECT_EQ(s.report.label("RpImage1"), nullptr);

    fillRows(s, 1);
    const RunResult r = s.report.run();
    const ReportOp* op = nullptr;
    for (const ReportOp& o : r.document->pages[0].ops) {
        if (o.owner == "RpImage1") op = &o;
    }
    ASSERT_TRUE(op);
    EXPECT_NEAR(op->rect.width(), 227.5, kTol);
    EXPECT_NEAR(op->rect.height(), 201.1, kTol);
    // 22.75 mm at 300 dpi is 269 pixels.
    EXPECT_LE(op->image.width(), 269);
    EXPECT_LE(op->image.height(), 238);

    image->clear();
    const RunResult empty = s.report.run();
    for (const ReportOp& o : empty.document->pages[0].ops) EXPECT_NE(o.owner, "RpImage1");
}

TEST(ReportModel, LayoutRowsAreStoredInTenthsOfAMillimetre) {
    TReport report;
    TReportBand* band = report.addBand("RpBand1", rbDetail, 21.43, 12);
    TReportMemo* memo = band->addMemo({"RpMemo3", kMemo, 3.17, 0.53, 39.69, 9.53, 0, kWordWrap});
    TReportShape* dot =
        band->addShape({"RpShape18", kHorLine, 2.12, 10.58, 41.27, 0.26, 0, kDotted});
    TReportLabel* title = band->addLabel({"RpLabel5", kLabel, 60.85, 4.23, 35.45, 5.29, 14,
                                          kCenter | kAutoSize | kWordWrap, "薬剤情報提供書"});
    EXPECT_NEAR(band->Height, 214.3, 1e-9);
    EXPECT_NEAR(memo->Left, 31.7, 1e-9);
    EXPECT_NEAR(memo->Width, 396.9, 1e-9);
    EXPECT_FALSE(memo->Font.has_value());  // the band's 12 pt
    EXPECT_EQ(band->effectiveFont().Size, 12);
    EXPECT_EQ(dot->PenStyle, psDot);
    EXPECT_EQ(title->Alignment, taCenter);
    EXPECT_TRUE(title->AutoSize);
    EXPECT_FALSE(title->AutoStretch);
    EXPECT_EQ(title->Font->Size, 14);
    EXPECT_EQ(title->Font->Name, QStringLiteral("ＭＳ Ｐ明朝"));
    EXPECT_EQ(title->Caption, sjis("薬剤情報提供書"));
    EXPECT_EQ(report.element("RpShape18"), dot);
    EXPECT_EQ(report.memo("RpLabel5"), nullptr);
    EXPECT_TRUE(band->remove("RpShape18"));
    EXPECT_EQ(report.element("RpShape18"), nullptr);
    EXPECT_FALSE(band->remove("RpShape18"));
    EXPECT_NEAR(report.Page.bandWidth(), 1780, 1e-9);
}

}  // namespace
}  // namespace dorimek::report
