// Reports run into PDF files, read back with the poppler tools.
#include "EngineTestSupport.h"

#include "RecordingMessageSink.h"
#include "TestFiles.h"
#include "sheets/engine/ReportRenderer.h"

#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace dorimek::report {
namespace {

using dorimek::testing::sjis;
using enginetest::findTool;
using enginetest::runTool;
using enginetest::SampleReport;

struct PdfInfo {
    int pages = -1;
    double width = 0;  // points
    double height = 0;
};

PdfInfo pdfInfo(const QString& path) {
    PdfInfo info;
    const QString out = runTool(findTool("pdfinfo"), {path});
    const auto pages = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(out);
    if (pages.hasMatch()) info.pages = pages.captured(1).toInt();
    const auto size =
        QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+) pts")).match(out);
    if (size.hasMatch()) {
        info.width = size.captured(1).toDouble();
        info.height = size.captured(2).toDouble();
    }
    return info;
}

class ReportPdf : public ::testing::Test {
  protected:
    void SetUp() override {
        if (findTool("pdfinfo").isEmpty() || findTool("pdftotext").isEmpty()) {
            GTEST_SKIP() << "poppler-utils (pdfinfo, pdftotext) not installed";
        }
        ASSERT_TRUE(dir.isValid());
    }
    QTemporaryDir dir;
};

TEST_F(ReportPdf, TwoPagesOfJisB5WithTheTextsOfEveryRow) {
    SampleReport s;
    for (int i = 1; i <= 12; ++i)
        s.rows.push_back(sjis("ｱﾑﾛｼﾞﾋﾟﾝ錠5mg 第") + std::to_string(i) + sjis("行"));
    const QString path = dir.filePath(QStringLiteral("sheet.pdf"));
    ASSERT_TRUE(s.report.runToPdf(path).ok());
    const PdfInfo info = pdfInfo(path);
    EXPECT_EQ(info.pages, 2);
    EXPECT_NEAR(info.width, 515.9, 0.1);
    EXPECT_NEAR(info.height, 728.5, 0.1);
    const QString text = runTool(findTool("pdftotext"), {path, QStringLiteral("-")});
    EXPECT_TRUE(text.contains(QStringLiteral("薬剤情報提供書"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("さくら医院")));
    EXPECT_TRUE(text.contains(QStringLiteral("ｱﾑﾛｼﾞﾋﾟﾝ錠5mg 第1行")));
    EXPECT_TRUE(text.contains(QStringLiteral("第12行")));
    // The column header is repeated on page 2.
    const QString page2 = runTool(findTool("pdftotext"), {QStringLiteral("-f"), QStringLiteral("2"),
                                                          path, QStringLiteral("-")});
    EXPECT_TRUE(page2.contains(QStringLiteral("効能")));
    EXPECT_FALSE(page2.contains(QStringLiteral("薬剤情報提供書")));
}

TEST_F(ReportPdf, AnEmptyReportIsOneBlankPage) {
    SampleReport s;
    const QString path = dir.filePath(QStringLiteral("empty.pdf"));
    ASSERT_TRUE(s.report.runToPdf(path).ok());
    EXPECT_EQ(pdfInfo(path).pages, 1);
    EXPECT_TRUE(runTool(findTool("pdftotext"), {path, QStringLiteral("-")}).trimmed().isEmpty());
}

TEST_F(ReportPdf, PageRangeSelectsPages) {
    SampleReport s;
    for (int i = 1; i <= 25; ++i) s.rows.push_back(sjis("行") + std::to_string(i));
    const RunResult r = s.report.run();
    ASSERT_EQ(r.document->pageCount(), 3);
    Result<std::string> second = ReportRenderer::pdfBytes(*r.document, 2, 2, QStringLiteral("t"));
    ASSERT_TRUE(second.ok());
    const QString path = dir.filePath(QStringLiteral("range.pdf"));
    dorimek::testing::writeBytes(path, *second);
    EXPECT_EQ(pdfInfo(path).pages, 1);
    EXPECT_TRUE(runTool(findTool("pdftotext"), {path, QStringLiteral("-")}).contains("行11"));
    EXPECT_EQ(pdfInfo(path).pages, 1);
    EXPECT_TRUE(ReportRenderer::pdfBytes(*r.document, 2, 0, {}).ok());
    EXPECT_FALSE(ReportRenderer::pdfBytes(*r.document, 4, 0, {}).ok());
    EXPECT_FALSE(ReportRenderer::pdfBytes(*r.document, 3, 2, {}).ok());
}

TEST_F(ReportPdf, LargePhotosAreEmbeddedAtPrintResolutionOnly) {
    SampleReport s;
    TReportImage* image = s.detail->addImage(
        {"RpImage1", kImage, 151.34, 0.26, 22.75, 20.11, 0, kStretch | kCenterPicture});
    // A 12-megapixel photo of noise, which no compression can shrink.
    QImage photo(4000, 3000, QImage::Format_RGB32);
    auto* rng = QRandomGenerator::global();
    for (int y = 0; y < photo.height(); ++y) {
        auto* line = reinterpret_cast<quint32*>(photo.scanLine(y));
        for (int x = 0; x < photo.width(); ++x)
            line[x] = 0xff000000u | (rng->generate() & 0xffffffu);
    }
    image->setPicture(photo);
    for (int i = 1; i <= 3; ++i) s.rows.push_back(sjis("行") + std::to_string(i));
    const QString path = dir.filePath(QStringLiteral("photos.pdf"));
    ASSERT_TRUE(s.report.runToPdf(path).ok());
    EXPECT_LT(QFile(path).size(), 3 * 1024 * 1024);
    if (!findTool("pdfimages").isEmpty()) {
        const QString list = runTool(findTool("pdfimages"), {QStringLiteral("-list"), path});
        const QStringList rows = list.split('\n', Qt::SkipEmptyParts).mid(2);
        EXPECT_EQ(rows.size(), 3);
        for (const QString& row : rows) {
            const QStringList cols = row.simplified().split(' ');
            ASSERT_GE(cols.size(), 5);
            EXPECT_LE(cols[3].toInt(), 269) << row.toStdString();  // 22.75 mm at 300 dpi
            EXPECT_LE(cols[4].toInt(), 238) << row.toStdString();
        }
    }
}

TEST_F(ReportPdf, AFileThatCannotBeWrittenIsReportedAndNothingIsLeft) {
    SampleReport s;
    s.rows = {sjis("行1")};
    const QString path = dir.filePath(QStringLiteral("no/such/folder/sheet.pdf"));
    const Status st = s.report.runToPdf(path);
    EXPECT_FALSE(st.ok());
    EXPECT_FALSE(st.error().isEmpty());
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(ReportPdf, DeclinedBeforePrintWritesNoFile) {
    SampleReport s;
    s.report.BeforePrint = [](TReport&, bool& print) { print = false; };
    const QString path = dir.filePath(QStringLiteral("declined.pdf"));
    EXPECT_TRUE(s.report.runToPdf(path).ok());
    EXPECT_FALSE(QFile::exists(path));
}

}  // namespace
}  // namespace dorimek::report
