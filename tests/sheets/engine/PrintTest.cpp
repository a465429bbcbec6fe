// Print through a real spooler: the private cupsd of the "cupsd" fixture
// (tests/cups/cupsd-fixture.sh), whose queue "capture" keeps every job's PDF.
// The NoPrinter cases run against a socket where no spooler listens.
#include "EngineTestSupport.h"

#include "RecordingMessageSink.h"
#include "TestFiles.h"
#include "platform/PrinterService.h"
#include "sheets/engine/ReportPrinter.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QThread>

#include <gtest/gtest.h>

namespace dorimek::report {
namespace {

using dorimek::testing::RecordingMessageSink;
using dorimek::testing::sjis;
using enginetest::findTool;
using enginetest::runTool;
using enginetest::SampleReport;

platform::PrinterService& printers() { return platform::PrinterService::instance(); }

TEST(ReportNoPrinter, PrintSaysSoAndRunsNothing) {
    ASSERT_EQ(printers().printerCount(), 0) << "this case needs CUPS_SERVER without a spooler";
    RecordingMessageSink sink;
    for (int index : {-1, 0, 3}) {
        SampleReport s;
        s.rows = {sjis("行1")};
        s.report.PrinterSettings.PrinterIndex = index;
        const Status st = s.report.Print();
        EXPECT_FALSE(st.ok());
        // No spooler answers: that, not "no printer installed", is told.
        EXPECT_EQ(st.error(), platform::kSpoolerUnavailable);
        EXPECT_EQ(st.errorKind(), ErrorKind::SpoolerDown);
        EXPECT_EQ(s.beforePrintCalls, 0);
    }
    EXPECT_EQ(sink.messages.size(), 3);
}

class ReportCups : public ::testing::Test {
  protected:
    void SetUp() override {
        const QString dir = qEnvironmentVariable("DORIMEK_CUPS_DIR");
        const bool required = qEnvironmentVariable("DORIMEK_REQUIRE_CUPS") == "1";
        QString reason;
        if (dir.isEmpty()) {
            reason = "DORIMEK_CUPS_DIR is not set: run through ctest (fixture cupsd)";
        } else if (QFile::exists(dir + "/unavailable")) {
            reason =
                "test spooler unavailable: " +
                QString::fromStdString(dorimek::testing::readBytes(dir + "/unavailable")).trimmed();
        } else if (!printers().printers().contains("capture")) {
            reason =
                "queue \"capture\" not found at CUPS_SERVER=" + qEnvironmentVariable("CUPS_SERVER");
        } else if (findTool("pdfinfo").isEmpty() || findTool("pdftotext").isEmpty()) {
            reason = "poppler-utils (pdfinfo, pdftotext) not installed";
        }
        if (!reason.isEmpty()) {
            if (required) FAIL() << reason.toStdString();
            GTEST_SKIP() << reason.toStdString();
        }
        capture = QDir(dir + "/capture");
        before = jobFiles();
    }

    QStringList jobFiles() const {
        return capture.entryList({QStringLiteral("job-*.pdf")}, QDir::Files, QDir::Name);
    }

    // The file of the next job the queue received, or empty after timeoutMs.
    QString nextJob(int timeoutMs = 30000) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < timeoutMs) {
            for (const QString& f : jobFiles()) {
                if (!before.contains(f)) {
                    before.append(f);
                    return capture.filePath(f);
                }
            }
            QThread::msleep(100);
        }
        return {};
    }

    int pagesOf(const QString& pdf) {
        const auto m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)"))
                           .match(runTool(findTool("pdfinfo"), {pdf}));
        return m.hasMatch() ? m.captured(1).toInt() : -1;
    }

    QString textOf(const QString& pdf) { return runTool(findTool("pdftotext"), {pdf, "-"}); }

    QDir capture;
    QStringList before;
};

TEST_F(ReportCups, PrintSendsTheSheetToTheChosenQueueAsJisB5) {
    RecordingMessageSink sink;
    SampleReport s;
    for (int i = 1; i <= 12; ++i) s.rows.push_back(sjis("処方") + std::to_string(i));
    s.report.PrinterSettings.PrinterIndex = printers().printers().indexOf("capture");
    const Status st = s.report.Print();
    ASSERT_TRUE(st.ok()) << st.error().toStdString();
    EXPECT_TRUE(sink.messages.isEmpty());
    EXPECT_EQ(s.beforePrintCalls, 1);

    const QString job = nextJob();
    ASSERT_FALSE(job.isEmpty()) << "no job arrived in " << capture.path().toStdString();
    const QString info = runTool(findTool("pdfinfo"), {job});
    EXPECT_TRUE(info.contains(QRegularExpression("Pages:\\s+2\\b"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression("Page size:\\s+515\\.9\\d* x 728\\.5\\d* pts")))
        << info.toStdString();
    const QString text = textOf(job);
    EXPECT_TRUE(text.contains(QStringLiteral("薬剤情報提供書")));
    EXPECT_TRUE(text.contains(QStringLiteral("処方12")));
    EXPECT_TRUE(text.contains(QStringLiteral("さくら医院")));

    // A queue whose own default is two-sided must still print each page on
    // its own sheet: the job has to say so itself.
    QFile options(QString(job).replace(QStringLiteral(".pdf"), QStringLiteral(".options")));
    ASSERT_TRUE(options.open(QIODevice::ReadOnly)) << options.fileName().toStdString();
    const QStringList lines = QString::fromUtf8(options.readAll()).split(QLatin1Char('\n'));
    for (const char* wanted : {"sides=one-sided", "media=jis_b5_182x257mm", "copies=1"})
        EXPECT_TRUE(lines.contains(QLatin1String(wanted))) << wanted;
}

TEST_F(ReportCups, MinusOneIsTheDefaultQueueAndThePageRangeIsHonoured) {
    SampleReport s;
    for (int i = 1; i <= 12; ++i) s.rows.push_back(sjis("処方") + std::to_string(i));
    s.report.PrinterSettings.PrinterIndex = -1;
    s.report.PrinterSettings.FirstPage = 2;
    s.report.PrinterSettings.LastPage = 2;
    ASSERT_TRUE(s.report.Print().ok());
    const QString job = nextJob();
    ASSERT_FALSE(job.isEmpty());
    EXPECT_EQ(pagesOf(job), 1);
    EXPECT_TRUE(textOf(job).contains(QStringLiteral("処方11")));
    EXPECT_FALSE(textOf(job).contains(QStringLiteral("処方1\n")));
}

TEST_F(ReportCups, CancelledPrintSendsThePagesSoFarWithoutSummary) {
    SampleReport s;
    for (int i = 1; i <= 5; ++i) s.rows.push_back(sjis("処方") + std::to_string(i));
    auto deliver = s.report.OnNeedData;
    s.report.OnNeedData = [&](TReport& r, bool& more) {
        deliver(r, more);
        if (s.next == 3) r.cancelRun();  // as if the cancel button was pressed
    };
    s.report.PrinterSettings.PrinterIndex = printers().printers().indexOf("capture");
    ASSERT_TRUE(s.report.Print().ok());
    const QString job = nextJob();
    ASSERT_FALSE(job.isEmpty());
    const QString text = textOf(job);
    EXPECT_TRUE(text.contains(QStringLiteral("処方2")));
    EXPECT_FALSE(text.contains(QStringLiteral("処方3")));
    EXPECT_FALSE(text.contains(QStringLiteral("さくら医院")));
}

struct RefusedCase {
    const char* what;
    const char* queue;  // nullptr: an index past the list
    const char* messagePart;
    int beforePrintCalls;
    ErrorKind kind;
};

TEST_F(ReportCups, RefusedOrMissingPrintersAreReportedAndNothingIsPrinted) {
    const RefusedCase cases[] = {
        {"queue not accepting jobs", "rejecting", "rejecting", 1, ErrorKind::PrinterRefused},
        {"index past the printer list", nullptr, "プリンタ番号", 0, ErrorKind::NoPrinter},
    };
    for (const RefusedCase& c : cases) {
        RecordingMessageSink sink;
        SampleReport s;
        s.rows = {sjis("行1")};
        s.report.PrinterSettings.PrinterIndex =
            c.queue ? printers().printers().indexOf(c.queue) : printers().printerCount();
        const Status st = s.report.Print();
        EXPECT_FALSE(st.ok()) << c.what;
        ASSERT_EQ(sink.messages.size(), 1) << c.what;
        EXPECT_TRUE(sink.messages[0].contains(QString::fromUtf8(c.messagePart)))
            << c.what << ": " << sink.messages[0].toStdString();
        EXPECT_EQ(st.error(), sink.messages[0]);
        EXPECT_EQ(st.errorKind(), c.kind) << c.what;
        EXPECT_EQ(s.beforePrintCalls, c.beforePrintCalls) << c.what;
    }
    EXPECT_TRUE(nextJob(1500).isEmpty());
}

// A job the printer cancels a second after taking it: a run that fits to a
// printable area given to it, not asked of the spooler, still asks for JIS
// B5, which the fixture's driverless A4 printer refuses. A run nobody watches
// waits for that and fails with it; a window's run returns at once and the
// user is told when the refusal comes.
TEST_F(ReportCups, AJobThePrinterCancelsIsTheRunsFailureOrIsTold) {
    const int index = printers().printers().indexOf("t-driverless-no-jis-b5");
    if (index < 0) {
        if (qEnvironmentVariable("DORIMEK_REQUIRE_CUPS") == "1") FAIL() << "no driverless printers";
        GTEST_SKIP() << "the test spooler has no driverless printers here";
    }
    for (const bool wait : {true, false}) {
        RecordingMessageSink sink;
        SampleReport s;
        s.rows = {sjis("行1")};
        s.report.Printable = PrintableMargins{};
        s.report.PrinterSettings.PrinterIndex = index;
        s.report.PrinterSettings.WaitForJob = wait;
        const Status st = s.report.Print();
        EXPECT_EQ(st.ok(), !wait);
        if (wait) {
            EXPECT_EQ(st.errorKind(), ErrorKind::PrinterRefused);
            ASSERT_EQ(sink.messages, QStringList{st.error()});
        } else {
            EXPECT_TRUE(sink.messages.isEmpty());
            QElapsedTimer clock;
            clock.start();
            while (sink.messages.isEmpty() && clock.elapsed() < 60000) {
                QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
                QThread::msleep(20);
            }
            ASSERT_EQ(sink.messages.size(), 1);
        }
        EXPECT_TRUE(sink.messages[0].contains(QStringLiteral("t-driverless-no-jis-b5")));
        EXPECT_TRUE(sink.messages[0].contains(QStringLiteral("取り消しました")));
    }
}

TEST_F(ReportCups, DeclinedBeforePrintSendsNoJob) {
    SampleReport s;
    s.rows = {sjis("行1")};
    s.report.BeforePrint = [](TReport&, bool& print) { print = false; };
    s.report.PrinterSettings.PrinterIndex = -1;
    EXPECT_TRUE(s.report.Print().ok());
    EXPECT_TRUE(nextJob(1500).isEmpty());
}

}  // namespace
}  // namespace dorimek::report
