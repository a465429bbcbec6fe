// The whole sheet inside what a real printer can print: the fit itself, and
// each style's first and continuation page submitted to queues with Debian's
// own drivers, PPDs of our own and driverless printers behind the private
// test spooler (tests/cups).
#include "SheetFixture.h"

#include "sheets/Picyak.h"
#include "sheets/Picyou.h"
#include "sheets/Yakujo.h"

#include "RecordingMessageSink.h"
#include "TestFiles.h"
#include "masterfile/DrugMasterFile.h"
#include "platform/PrinterService.h"
#include "platform/QueuePaper.h"
#include "platform/Sjis.h"
#include "sheets/engine/PageFit.h"
#include "sheets/engine/ReportDocument.h"
#include "sheets/engine/ReportRenderer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace dorimek::sheets {
namespace {

using dorimek::testing::sjis;
using report::PageFit;
using report::PrintableMargins;
using testing::FakeSource;
using testing::ProgramFolder;

constexpr double kPointsPerTenth = 72.0 / 254.0;
const QSizeF kB5(1820, 2570);

TEST(PageFit, ReducesOnlyWhatCrossesAndNeverEnlarges) {
    struct Case {
        const char* name;
        QRectF ink;
        PrintableMargins margins;
        double scale;  // expected; 1 with no shift: left exactly as laid out
        bool identity;
    };
    const Case cases[] = {
        {"inside", {42, 50, 1725, 2420}, {30, 30, 30, 30}, 1, true},
        {"touching the edge of the area", {30, 30, 1760, 2510}, {30, 30, 30, 30}, 1, true},
        {"to the edge, no margins", {0, 0, 1820, 2570}, {}, 1, true},
        {"a frame 4.2 mm from a 6.35 mm edge", {42, 50, 1725, 2420}, {63.5, 127, 63.5, 127}, 0, false},
        {"tall ink under a deep top margin", {42, 95, 1725, 2420}, {10, 127, 10, 127}, 0, false},
    };
    for (const Case& c : cases) {
        const PageFit fit = PageFit::forInk(c.ink, kB5, c.margins);
        EXPECT_EQ(fit.isIdentity(), c.identity) << c.name;
        EXPECT_LE(fit.scale, 1.0) << c.name;
        if (c.identity) continue;
        // The smallest reduction: one direction ends up filling the area
        // (less the clearance), and all of the ink is inside.
        const QPointF tl = fit.map(c.ink.topLeft(), kB5);
        const QPointF br = fit.map(c.ink.bottomRight(), kB5);
        const double areaW = kB5.width() - c.margins.left - c.margins.right - 6;
        const double areaH = kB5.height() - c.margins.top - c.margins.bottom - 6;
        EXPECT_NEAR(fit.scale, std::min(areaW / c.ink.width(), areaH / c.ink.height()), 1e-9)
            << c.name;
        EXPECT_GE(tl.x(), c.margins.left) << c.name;
        EXPECT_GE(tl.y(), c.margins.top) << c.name;
        EXPECT_LE(br.x(), kB5.width() - c.margins.right) << c.name;
        EXPECT_LE(br.y(), kB5.height() - c.margins.bottom) << c.name;
        EXPECT_FALSE(fit.notice().isEmpty()) << c.name;
    }
    // An off-centre area moves the page only as far as it must.
    const PageFit shifted = PageFit::forInk({20, 50, 1700, 2400}, kB5, {40, 0, 0, 0});
    EXPECT_EQ(shifted.scale, 1);
    EXPECT_NEAR(shifted.dx, 23, 1e-9);
    EXPECT_EQ(shifted.dy, 0);
    EXPECT_EQ((PageFit{0.978, 0, 0, {}}.notice()),
              QString::fromUtf8("このプリンタの印刷可能範囲に合わせて 97% に縮小します"));
}

TEST(PageFit, APageOnAnotherPaperLiesCentredInsideItsPrintableArea) {
    const QRectF ink(42, 50, 1683, 2370);
    struct Case {
        const char* name;
        QSizeF paper;
        PrintableMargins margins;
        double scale;  // expected
    };
    const Case cases[] = {
        {"A4, 4.23 mm all round", {2100, 2970}, {42.3, 42.3, 42.3, 42.3}, 1},
        {"US Letter, the spooler's 6.35 and 12.7 mm", {2159, 2794}, {63.5, 127, 63.5, 127}, 1},
        {"ISO B5, smaller than the page",
         {1760, 2500},
         {42.3, 42.3, 42.3, 42.3},
         (1760 - 84.6 - 6) / 1683},
    };
    for (const Case& c : cases) {
        const PageFit fit = PageFit::forInk(ink, kB5, c.margins, c.paper);
        EXPECT_FALSE(fit.isIdentity()) << c.name;
        EXPECT_EQ(fit.paperFor(kB5), c.paper) << c.name;
        EXPECT_NEAR(fit.scale, c.scale, 1e-9) << c.name;
        EXPECT_EQ(fit.notice().isEmpty(), c.scale == 1) << c.name;
        const QPointF tl = fit.map(ink.topLeft(), kB5);
        const QPointF br = fit.map(ink.bottomRight(), kB5);
        EXPECT_GE(tl.x(), c.margins.left) << c.name;
        EXPECT_GE(tl.y(), c.margins.top) << c.name;
        EXPECT_LE(br.x(), c.paper.width() - c.margins.right) << c.name;
        EXPECT_LE(br.y(), c.paper.height() - c.margins.bottom) << c.name;
        // Centred: as much room on the left as on the right, unless reduced
        // and moved into an off-centre area.
        if (c.scale == 1) {
            EXPECT_NEAR(fit.map({0, 0}, kB5).x(), (c.paper.width() - kB5.width()) / 2, 1e-9)
                << c.name;
        }
    }
}

TEST(PageFit, InkPastThePaperDoesNotShrinkTheSheet) {
    // A text running out of a cell that doesn't grow, far past the page's
    // foot: lost at any scale, so the sheet must not shrink to a sliver for it.
    report::ReportDocument document;
    document.pages.resize(1);
    report::ReportOp frame;
    frame.type = report::ReportOp::Line;
    frame.from = {100, 100};
    frame.to = {1700, 100};
    report::ReportOp runaway;
    runaway.type = report::ReportOp::Text;
    runaway.text = QStringLiteral("朝昼夕 食後");
    runaway.rect = {1500, 2000, 200, 400000};
    document.pages[0].ops = {frame, runaway};
    EXPECT_TRUE(PageFit::forDocument(document, {}).isIdentity());
    const PageFit fit = PageFit::forDocument(document, {63.5, 49.4, 63.5, 49.4});
    EXPECT_GT(fit.scale, 0.9);
}

const char* const kMaster[] = {
    "ロキソニン錠,ロキソニン錠 60mg,錠,白 LX 60,60mg 100錠,鎮痛 と 解熱,胃の不快感,",
    "ムコスタ錠,ムコスタ錠　100,錠,白　MU,100mg,胃粘膜の保護,特になし,",
};

// A page's ink as Ghostscript's bbox device finds it, in points from the
// bottom-left corner: x0, y0, x1, y1 per page.
QList<QRectF> inkBoxes(const QString& pdf) {
    QProcess gs;
    gs.start(QStringLiteral("gs"), {"-q", "-dNOPAUSE", "-dBATCH", "-dSAFER", "-sDEVICE=bbox", pdf});
    gs.waitForFinished(60000);
    QList<QRectF> boxes;
    static const QRegularExpression line(
        QStringLiteral(R"(%%HiResBoundingBox: ([\d.]+) ([\d.]+) ([\d.]+) ([\d.]+))"));
    auto it = line.globalMatch(QString::fromUtf8(gs.readAllStandardError()));
    while (it.hasNext()) {
        const auto m = it.next();
        boxes << QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                        QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()));
    }
    return boxes;
}

// A PDF's bytes less the moment it was written.
std::string withoutDate(std::string pdf) {
    const auto at = pdf.find("/CreationDate (");
    if (at != std::string::npos) pdf.erase(at, pdf.find(')', at) - at);
    return pdf;
}

class RealQueues : public ::testing::Test {
  protected:
    static bool spooler(const QString& command, const QStringList& args) {
        QProcess p;
        p.start(command, QStringList{"-h", qEnvironmentVariable("CUPS_SERVER")} + args);
        const bool ok = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit &&
                        p.exitCode() == 0;
        if (!ok) std::fprintf(stderr, "%s: %s\n", qPrintable(command), p.readAllStandardError().constData());
        return ok;
    }

    // Queues of this test's own behind real drivers and PPDs, each keeping
    // its driver's output; they sort after the fixture's queues, so those
    // keep their indices while this test runs.
    static void SetUpTestSuite() {
        const QString dir = qEnvironmentVariable("DORIMEK_CUPS_DIR");
        if (dir.isEmpty()) {
            skip_ = "DORIMEK_CUPS_DIR is not set: run through ctest (fixture cupsd)";
        } else if (QFile::exists(dir + "/unavailable")) {
            skip_ = "test spooler unavailable";
        } else if (QFile::exists(dir + "/ipp/unavailable")) {
            skip_ = "driverless printers unavailable: " +
                    QString::fromStdString(dorimek::testing::readBytes(dir + "/ipp/unavailable"));
        } else if (QStandardPaths::findExecutable("gs").isEmpty() ||
                   QStandardPaths::findExecutable("pdfinfo").isEmpty()) {
            skip_ = "Ghostscript (gs) or pdfinfo is not installed";
        } else {
            QDir(dir + "/capture-real").removeRecursively();
            QDir().mkpath(dir + "/capture-real");
            for (const Queue& q : kQueues) {
                if (!q.model) continue;
                QString model = QString::fromLatin1(q.model);
                if (model.startsWith("tests/")) model = qEnvironmentVariable("DORIMEK_SOURCE_DIR") + "/" + model;
                const bool added = spooler(
                    "lpadmin", {"-p", q.name, "-E", "-v", "capture:" + dir + "/capture-real",
                                model.startsWith("/") ? "-P" : "-m", model});
                if (!added) skip_ = QStringLiteral("driver %1 not installed").arg(q.model);
            }
        }
        platform::PrinterService::instance().refresh();
    }
    static void TearDownTestSuite() {
        for (const Queue& q : kQueues) {
            if (q.model) spooler("lpadmin", {"-x", q.name});
        }
        platform::PrinterService::instance().refresh();
    }
    void SetUp() override {
        if (skip_.isEmpty()) return;
        if (qEnvironmentVariable("DORIMEK_REQUIRE_CUPS") == "1") FAIL() << skip_.toStdString();
        GTEST_SKIP() << skip_.toStdString();
    }

    static constexpr double kQuarterInch = 63.5;
    static constexpr double kHalfInch = 127;
    static constexpr double k14Points = 14 / kPointsPerTenth;
    static constexpr double k12Points = 12 / kPointsPerTenth;  // 4.23 mm
    static constexpr PrintableMargins k423{42.3, 42.3, 42.3, 42.3};
    static constexpr PrintableMargins kFallback{kQuarterInch, kHalfInch, kQuarterInch, kHalfInch};
    static constexpr PrintableMargins k12pt{k12Points, k12Points, k12Points, k12Points};
    static inline const QSizeF kA4{210, 297};  // millimetres
    static inline const QSizeF kLetter{215.9, 279.4};
    static inline const QSizeF kJisB5{182, 257};

    // One queue of each kind the clinics have: what its job asks for, what
    // the user is told, and where the ink may go.
    struct Queue {
        const char* name;
        const char* model;          // nullptr: a queue of the fixture
        const char* jobMedia;       // the start of the paper option the job asks for
        const char* paperInstead;   // named in the message; empty: JIS B5, no message
        QSizeF paper;               // the job's paper, millimetres
        PrintableMargins expected;  // of that paper, tenths of a millimetre
        const char* driverPage;     // the PPD's page the driver's output uses; nullptr: not told
    };
    static inline const Queue kQueues[] = {
        {"capture", nullptr, "media=jis_b5_182x257mm", "", kJisB5, {}, nullptr},
        {"x-hpcups-p2055dn",
         "drv:///hpcups.drv/hp-laserjet_p2055dn-pcl3.ppd",
         "media=jis_b5_182x257mm",
         "",
         kJisB5,
         {kQuarterInch, k14Points, kQuarterInch, k14Points},
         nullptr},
        {"x-cups-laserjet", "drv:///sample.drv/laserjet.ppd", "media=jis_b5_182x257mm", "", kJisB5,
         kFallback, nullptr},
        {"x-no-jis-b5", "tests/cups/no-jis-b5.ppd", "media=na_letter_8.5x11in",
         "US レター（216 × 279 mm）", kLetter, k12pt, "*PageSize Letter"},
        {"x-custom-size", "tests/cups/custom-size.ppd", "media=jis_b5_182x257mm", "", kJisB5, k12pt,
         "*CustomPageSize True"},
        {"x-b5-edge-to-edge", "tests/cups/b5-edge-to-edge.ppd", "media-col=", "", kJisB5, k12pt,
         "*PageSize B5"},
        {"t-driverless-no-jis-b5", nullptr, "media=iso_a4_210x297mm", "A4（210 × 297 mm）", kA4,
         k423, nullptr},
        {"t-driverless-custom-size", nullptr, "media=jis_b5_182x257mm", "", kJisB5, kFallback,
         nullptr},
        {"t-driverless-b5-borderless", nullptr, "media-col=", "", kJisB5, k423, nullptr},
    };
    static inline QString skip_;

    static int indexOf(const char* queue) {
        return static_cast<int>(platform::PrinterService::instance().printers().indexOf(queue));
    }
    static QStringList keptDocuments() {
        return QDir(qEnvironmentVariable("DORIMEK_CUPS_DIR") + "/spool")
            .entryList({"d*-001"}, QDir::Files, QDir::Name);
    }
    // The document of the job that arrived after before.
    static QString newDocument(const QStringList& before) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 30000) {
            for (const QString& f : keptDocuments()) {
                if (!before.contains(f)) return qEnvironmentVariable("DORIMEK_CUPS_DIR") + "/spool/" + f;
            }
            QThread::msleep(50);
        }
        return {};
    }
    // What a driver made of a kept document ("…/spool/d00012-001"): its job's
    // file in the capture folder, once complete.
    static QString driverOutput(const QString& document) {
        static const QRegularExpression id(QStringLiteral(R"(/d0*(\d+)-001$)"));
        const QString file = qEnvironmentVariable("DORIMEK_CUPS_DIR") + "/capture-real/job-" +
                             id.match(document).captured(1) + ".prn";
        QElapsedTimer t;
        t.start();
        while (!QFile::exists(file) && t.elapsed() < 60000) QThread::msleep(50);
        return QString::fromStdString(dorimek::testing::readBytes(file));
    }
    // The page box of a PDF's first page in points: x0, y0, x1, y1.
    static QRectF mediaBox(const QString& pdf) {
        QProcess p;
        p.start(QStringLiteral("pdfinfo"), {"-box", pdf});
        p.waitForFinished(60000);
        static const QRegularExpression box(
            QStringLiteral(R"(MediaBox:\s+([\d.]+)\s+([\d.]+)\s+([\d.]+)\s+([\d.]+))"));
        const auto m = box.match(QString::fromUtf8(p.readAllStandardOutput()));
        return QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                      QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()));
    }

    ProgramFolder folder_;
    FakeSource source_;
};

TEST_F(RealQueues, EachKindOfQueueGetsAPaperItListsWithTheInkInsideItsPrintableArea) {
    folder_.writeMaster({std::begin(kMaster), std::end(kMaster)});
    const auto names = masterfile::LoadRegisteredNames();
    ASSERT_TRUE(names);
    // Enough lines for a continuation page in every style.
    for (int i = 0; i < 24; ++i) {
        source_.state.appendKnown((*names)[static_cast<size_t>(i % 2)], i % 2);
        source_.usages[i + 1] = sjis("朝昼夕 食後");
    }
    for (const Queue& q : kQueues) {
        const platform::QueuePaper paper = platform::QueuePaper::of(QString::fromLatin1(q.name));
        EXPECT_TRUE(paper.jobMedia.startsWith(QLatin1String(q.jobMedia)))
            << q.name << ": " << paper.jobMedia.toStdString();
        EXPECT_EQ(paper.paperInstead, QString::fromUtf8(q.paperInstead)) << q.name;
        EXPECT_EQ(paper.jisB5, *q.paperInstead == 0) << q.name;
        for (int style = 1; style <= 3; ++style) {
            const std::string where = std::string(q.name) + " style " + std::to_string(style);
            prescription::SheetSettings settings{indexOf(q.name), sjis("みどり内科クリニック"),
                                                 "03-1234-5678"};
            // The run waits for the job's fate: a printer that refuses it
            // does so within these seconds.
            settings.unattended = true;
            std::unique_ptr<TForm1> sheet =
                style == 1   ? std::make_unique<TForm1>(source_, settings)
                : style == 2 ? std::make_unique<TForm4>(source_, settings)
                             : std::make_unique<TForm5>(source_, settings);
            const QStringList before = keptDocuments();
            const Status printed = sheet->Yakujorep.Print();
            ASSERT_TRUE(printed.ok()) << where << ": " << printed.error().toStdString();
            const QString pdf = newDocument(before);
            ASSERT_FALSE(pdf.isEmpty()) << where;
            if (q.driverPage) {
                // The driver prints on the very page that was measured.
                const QStringList lines = driverOutput(pdf).split('\n');
                EXPECT_TRUE(lines.contains(QStringLiteral("%%BeginFeature: ") + q.driverPage))
                    << where;
            }
            const auto doc = sheet->Yakujorep.lastDocument();
            ASSERT_GE(doc->pageCount(), 2) << where;
            const QList<QRectF> boxes = inkBoxes(pdf);
            ASSERT_EQ(boxes.size(), doc->pageCount()) << where;

            const QRectF page = mediaBox(pdf);
            EXPECT_NEAR(page.width(), q.paper.width() * 72 / 25.4, 1) << where;
            EXPECT_NEAR(page.height(), q.paper.height() * 72 / 25.4, 1) << where;
            const PrintableMargins& m = q.expected;
            if (m.left == 0 && m.top == 0) {
                // Nothing crosses: the job is the sheet exactly as laid out.
                EXPECT_TRUE(doc->fit.isIdentity()) << where;
                report::ReportDocument asLaidOut = *doc;
                asLaidOut.fit = {};
                const auto bytes = report::ReportRenderer::pdfBytes(asLaidOut, 0, 0, sheet->Yakujorep.Title);
                ASSERT_TRUE(bytes);
                EXPECT_TRUE(withoutDate(dorimek::testing::readBytes(pdf)) == withoutDate(*bytes))
                    << where;
                continue;
            }
            // A rule one pixel wide reaches a little past its ideal line.
            const double slack = 0.25;
            for (int p = 0; p < boxes.size(); ++p) {
                const QRectF& b = boxes[p];
                const std::string onPage = where + " page " + std::to_string(p + 1);
                EXPECT_GE(b.left() + slack, page.left() + m.left * kPointsPerTenth) << onPage;
                EXPECT_LE(b.right() - slack, page.right() - m.right * kPointsPerTenth) << onPage;
                EXPECT_GE(b.top() + slack, page.top() + m.bottom * kPointsPerTenth) << onPage;
                EXPECT_LE(b.bottom() - slack, page.bottom() - m.top * kPointsPerTenth) << onPage;
            }
        }
    }
}

}  // namespace
}  // namespace dorimek::sheets

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
