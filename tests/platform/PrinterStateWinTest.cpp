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

// A printer the spooler doesn't know says nothing rather than "waiting".
TEST(PrinterState, UnknownPrinter) {
    EXPECT_FALSE(platform::printerStatus(QStringLiteral("no such printer 12345")).known);
    EXPECT_FALSE(platform::printerStatus(QString()).known);
}

}  // namespace
}  // namespace dorimek
