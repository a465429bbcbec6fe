#include "platform/PrinterState_win.h"

#include <winspool.h>

#include <gtest/gtest.h>

namespace dorimek {
namespace {

// What the printer setup shows for the spooler's bits, and whether a job
// sent now would wait: several bits at once show the one the user must
// deal with first.
TEST(PrinterState, FromTheSpoolersBits) {
    struct Case {
        DWORD status;
        DWORD attributes;
        const char* shown;
        bool holds;
    };
    const Case cases[] = {
        {0, 0, "待機中", false},
        {PRINTER_STATUS_PRINTING, 0, "印刷中", false},
        {PRINTER_STATUS_PAUSED, 0, "停止中", true},
        {PRINTER_STATUS_PAUSED | PRINTER_STATUS_PAPER_OUT, 0, "停止中", true},
        {0, PRINTER_ATTRIBUTE_WORK_OFFLINE, "オフライン", true},
        {PRINTER_STATUS_OFFLINE, 0, "オフライン", false},
        {PRINTER_STATUS_PAPER_OUT | PRINTER_STATUS_PRINTING, 0, "用紙切れ", false},
        {PRINTER_STATUS_PAPER_JAM, 0, "紙づまり", false},
        {PRINTER_STATUS_DOOR_OPEN, 0, "エラー", false},
        {PRINTER_STATUS_ERROR | PRINTER_STATUS_PROCESSING, 0, "エラー", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::printerStateText(c.status, c.attributes), QString::fromUtf8(c.shown))
            << std::hex << c.status << " " << c.attributes;
        EXPECT_EQ(platform::holdsJobs(c.status, c.attributes), c.holds) << std::hex << c.status;
    }
}

// Where a followed job stands from its bits and its printer's: printed or
// gone is the end of it, deleted is a refusal, a job stopped by its printer
// is kept for when the printer is mended, with the driver's word if any.
TEST(PrinterState, JobFateFromTheSpoolersBits) {
    struct Case {
        bool listed;
        DWORD job;
        const wchar_t* driverWord;
        DWORD printer;
        DWORD attributes;
        bool done, refused, kept;
        const char* reason;
    };
    const Case cases[] = {
        {true, JOB_STATUS_SPOOLING, L"", 0, 0, false, false, false, ""},
        {true, JOB_STATUS_PRINTING, L"", PRINTER_STATUS_PRINTING, 0, false, false, false, ""},
        {true, JOB_STATUS_PAUSED, L"", 0, 0, false, false, false, ""},
        {false, 0, L"", 0, 0, true, false, false, ""},
        {true, JOB_STATUS_PRINTED, L"", PRINTER_STATUS_PAPER_OUT, 0, true, false, false, ""},
        {true, JOB_STATUS_DELETING | JOB_STATUS_PRINTING, L"", 0, 0, true, true, false, ""},
        {true, JOB_STATUS_PAPEROUT | JOB_STATUS_ERROR, L"", 0, 0, true, true, true, "用紙切れ"},
        {true, JOB_STATUS_BLOCKED_DEVQ, L"B5 がありません", 0, 0, true, true, true,
         "B5 がありません"},
        {true, JOB_STATUS_SPOOLING, L"", PRINTER_STATUS_PAUSED, 0, true, true, true, "停止中"},
        {true, 0, L"", 0, PRINTER_ATTRIBUTE_WORK_OFFLINE, true, true, true, "オフライン"},
        {true, 0, L"", PRINTER_STATUS_PAPER_JAM, 0, true, true, true, "紙づまり"},
    };
    for (const Case& c : cases) {
        platform::SpoolerJob job;
        job.known = c.listed;
        job.id = 7;
        job.status = c.job;
        job.statusText = QString::fromWCharArray(c.driverWord);
        platform::PrinterStatus printer;
        printer.known = true;
        printer.status = c.printer;
        printer.attributes = c.attributes;
        const auto fate = platform::jobFateOf(job, printer);
        EXPECT_EQ(fate.done, c.done) << std::hex << c.job << " " << c.printer;
        EXPECT_EQ(fate.refused, c.refused) << std::hex << c.job << " " << c.printer;
        EXPECT_EQ(fate.kept, c.kept) << std::hex << c.job << " " << c.printer;
        EXPECT_EQ(fate.reason, QString::fromUtf8(c.reason)) << std::hex << c.job;
    }
}

// The job a print made is the newest new one of its title: a job of the
// same title queued before, or another program's job, is not it; an untitled
// print's is the newest new one, whatever name the spooler gave it.
TEST(PrinterState, TheJobAPrintMade) {
    auto job = [](DWORD id, const char* title) {
        platform::SpoolerJob j;
        j.known = true;
        j.id = id;
        j.document = QString::fromUtf8(title);
        return j;
    };
    const std::vector<platform::SpoolerJob> before = {job(3, "薬剤情報提供書")};
    const QString title = QStringLiteral("薬剤情報提供書");
    EXPECT_EQ(platform::newJobId(before, {job(3, "薬剤情報提供書"), job(4, "メモ")}, title), 0u);
    EXPECT_EQ(
        platform::newJobId(before, {job(3, "薬剤情報提供書"), job(5, "薬剤情報提供書")}, title),
        5u);
    EXPECT_EQ(platform::newJobId({}, {job(8, "薬剤情報提供書"), job(9, "薬剤情報提供書")}, title),
              9u);
    EXPECT_EQ(platform::newJobId(before, {job(3, "薬剤情報提供書"), job(6, "Document")}, {}), 6u);
}

// A job the spooler doesn't list is done: nothing more can be learnt of it.
TEST(PrinterState, UnknownJob) {
    EXPECT_FALSE(platform::spoolerJob(QStringLiteral("no such printer 12345"), 1).known);
    const auto fate = platform::PrinterService::jobFate(QStringLiteral("no such printer 12345"), 1);
    EXPECT_TRUE(fate.done);
    EXPECT_FALSE(fate.refused);
}

// A printer the spooler doesn't know says nothing rather than "waiting".
TEST(PrinterState, UnknownPrinter) {
    EXPECT_FALSE(platform::printerStatus(QStringLiteral("no such printer 12345")).known);
    EXPECT_FALSE(platform::printerStatus(QString()).known);
}

}  // namespace
}  // namespace dorimek
