// The renderer, checked on pixels: pages drawn into images under the
// offscreen platform at 254 dpi, where one pixel is a tenth of a millimetre.
#include "EngineTestSupport.h"

#include "TestFiles.h"
#include "sheets/engine/ReportRenderer.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace dorimek::report {
namespace {

using dorimek::testing::sjis;
using enginetest::SampleReport;

bool dark(const QImage& img, int x, int y) { return qGray(img.pixel(x, y)) < 128; }

int darkInRow(const QImage& img, int y, int x0, int x1) {
    int n = 0;
    for (int x = x0; x < x1; ++x) n += dark(img, x, y);
    return n;
}

int darkInColumn(const QImage& img, int x, int y0, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y) n += dark(img, x, y);
    return n;
}

// The densest row near y, over [x0, x1).
int bestRow(const QImage& img, int y, int x0, int x1) {
    int best = 0;
    for (int r = y - 2; r <= y + 2; ++r) best = std::max(best, darkInRow(img, r, x0, x1));
    return best;
}

QImage renderFirstPage(TReport& report, double dpi = 254) {
    const RunResult r = report.run();
    EXPECT_TRUE(r.document);
    return ReportRenderer::renderImage(*r.document, 0, dpi);
}

TEST(ReportRender, PageImageHasTheSizeOfJisB5) {
    SampleReport s;
    const QImage page = renderFirstPage(s.report);
    EXPECT_EQ(page.width(), 1820);
    EXPECT_EQ(page.height(), 2570);
}

struct RuleCase {
    const char* what;
    double y;   // tenths of a millimetre, page coordinates
    double x0;  // rule start
    double length;
    double minDark;  // share of the rule's pixels that are dark
    double maxDark;
};

class ReportRules : public ::testing::TestWithParam<RuleCase> {};

TEST_P(ReportRules, HorizontalRulesAreOnePixelSolidOrDotted) {
    const RuleCase& c = GetParam();
    SampleReport s;
    s.rows = {sjis("行1")};
    const QImage page = renderFirstPage(s.report);
    const int y = static_cast<int>(c.y);
    const int x0 = static_cast<int>(c.x0) + 2;
    const int x1 = static_cast<int>(c.x0 + c.length) - 2;
    const double share = double(bestRow(page, y, x0, x1)) / (x1 - x0);
    EXPECT_GE(share, c.minDark) << c.what;
    EXPECT_LE(share, c.maxDark) << c.what;
    // One device pixel thick: the rows three pixels away are clear.
    EXPECT_EQ(darkInRow(page, y - 3, x0 + 300, x0 + 400), 0) << c.what;
    EXPECT_EQ(darkInRow(page, y + 3, x0 + 300, x0 + 400), 0) << c.what;
}

// Header at 16.64 mm, detail at 31.46 mm; left margin 3 mm; rules through
// the middle of their 0.26 mm boxes.
INSTANTIATE_TEST_SUITE_P(Sample, ReportRules,
                         ::testing::Values(RuleCase{"header top rule, solid", 166.4 + 1.3, 51.2,
                                                    1711.9, 0.98, 1.0},
                                           RuleCase{"dotted rule under the name heading",
                                                    166.4 + 47.6 + 1.3, 51.2, 412.7, 0.2, 0.7},
                                           RuleCase{"row bottom rule, solid", 314.6 + 206.4 + 1.3,
                                                    51.2, 1714.5, 0.98, 1.0}));

TEST(ReportRender, DottedRulesHaveGaps) {
    SampleReport s;
    s.rows = {sjis("行1")};
    const QImage page = renderFirstPage(s.report);
    int y = 215;
    for (int r = 212; r <= 218; ++r) {
        if (darkInRow(page, r, 60, 400) > darkInRow(page, y, 60, 400)) y = r;
    }
    int gaps = 0;
    for (int x = 61; x < 400; ++x) gaps += dark(page, x - 1, y) && !dark(page, x, y);
    EXPECT_GT(gaps, 50);
}

TEST(ReportRender, VerticalRuleRunsThroughTheHeaderAndTheRow) {
    SampleReport s;
    s.rows = {sjis("行1")};
    const QImage page = renderFirstPage(s.report);
    // RpShape5 (header) and RpShape7 (row) at 3 + 2.12 + 0.13 mm from the edge.
    int best = 0;
    for (int x = 50; x <= 55; ++x) best = std::max(best, darkInColumn(page, x, 170, 500));
    EXPECT_EQ(best, 330);
}

TEST(ReportRender, ALaterBandsFillCoversWhatReachesIntoIt) {
    TReport report;
    report.Page.setValues(100, 2570, 50, 1820, 30, 10, 0);
    TReportBand* title = report.addBand("Title", rbTitle, 20);
    title->add({"Long", kVertLine, 100, 0, 0.26, 40});  // 20 mm below its band
    report.addBand("Header", rbColumnHeader, 20);
    const QImage page = renderFirstPage(report);
    int x = 1030;
    for (int c = 1025; c <= 1040; ++c) {
        if (darkInColumn(page, c, 60, 240) > darkInColumn(page, x, 60, 240)) x = c;
    }
    EXPECT_GT(darkInColumn(page, x, 60, 240), 170);  // inside its own band
    EXPECT_EQ(darkInColumn(page, x, 260, 440), 0);   // covered by the header
}

TEST(ReportRender, PicturesOfAnyProportionsFillTheirWholeRectangle) {
    for (QSize size : {QSize(10, 5), QSize(5, 40), QSize(86, 76)}) {
        TReport report;
        report.Page.setValues(100, 2570, 50, 1820, 20, 10, 0);
        TReportBand* title = report.addBand("Title", rbTitle, 30);
        TReportImage* image = title->addImage(
            {"RpImage1", kImage, 151.34, 0.26, 22.75, 20.11, 0, kStretch | kCenterPicture});
        QImage picture(size, QImage::Format_RGB32);
        picture.fill(QColor(255, 0, 0));
        image->setPicture(picture);
        const QImage page = renderFirstPage(report);
        // Rectangle: x 20 + 1513.4 .. +227.5, y 50 + 2.6 .. +201.1.
        const QRect inside(1536, 55, 222, 196);
        for (int y = inside.top(); y <= inside.bottom(); y += 5) {
            for (int x = inside.left(); x <= inside.right(); x += 5) {
                ASSERT_EQ(QColor(page.pixel(x, y)), QColor(255, 0, 0)) << size.width() << "x" << x;
            }
        }
        EXPECT_EQ(QColor(page.pixel(1530, 150)), QColor(Qt::white));
        EXPECT_EQ(QColor(page.pixel(1764, 150)), QColor(Qt::white));
        EXPECT_EQ(QColor(page.pixel(1600, 50)), QColor(Qt::white));
        EXPECT_EQ(QColor(page.pixel(1600, 256)), QColor(Qt::white));
    }
}

// Text is drawn at its measured size at any resolution: the ink of a long
// line ends where the layout says the line ends.
TEST(ReportRender, TextInkMatchesTheMeasuredLineAtEveryResolution) {
    TReport report;
    report.Page.setValues(100, 2570, 50, 1820, 30, 10, 0);
    TReportBand* title = report.addBand("Title", rbTitle, 30);
    TReportLabel* label = title->addLabel({"Text", kLabel, 10, 5, 170, 10, 12, kWordWrap});
    label->setCaption(sjis("薬剤情報提供書　高血圧症の治療に用いられます"));
    const RunResult r = report.run();
    const ReportOp* op = nullptr;
    for (const ReportOp& o : r.document->pages[0].ops) {
        if (o.type == ReportOp::Text) op = &o;
    }
    ASSERT_TRUE(op);
    for (double dpi : {96.0, 200.0, 600.0}) {
        const QImage page = ReportRenderer::renderImage(*r.document, 0, dpi);
        const double scale = dpi / kTenthsPerInch;
        int left = page.width(), right = -1;
        const int y0 = static_cast<int>(op->rect.top() * scale);
        const int y1 = static_cast<int>(op->rect.bottom() * scale);
        for (int y = y0; y <= y1; ++y) {
            for (int x = 0; x < page.width(); ++x) {
                if (qGray(page.pixel(x, y)) < 160) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
            }
        }
        ASSERT_GE(right, 0) << dpi;
        const double inkWidth = (right - left + 1) / scale;
        EXPECT_NEAR(left / scale, op->rect.left(), 12) << dpi;
        // The last glyph's right bearing is not ink; allow for it.
        EXPECT_NEAR(inkWidth, op->rect.width(), op->rect.width() * 0.03 + 12) << dpi;
    }
}

TEST(ReportRender, PaintPageDrawsAtThePaintersOrigin) {
    SampleReport s;
    s.rows = {sjis("行1")};
    const RunResult r = s.report.run();
    QImage shifted(1820 + 100, 2570 + 100, QImage::Format_RGB32);
    shifted.setDotsPerMeterX(10000);
    shifted.setDotsPerMeterY(10000);
    shifted.fill(Qt::white);
    QPainter painter(&shifted);
    painter.translate(100, 100);
    ReportRenderer::paintPage(*r.document, 0, painter);
    painter.end();
    EXPECT_GT(bestRow(shifted, 100 + 167, 160, 1800), 1600);
    EXPECT_EQ(darkInRow(shifted, 50, 0, shifted.width()), 0);
}

}  // namespace
}  // namespace dorimek::report
