#pragma once

#include "platform/Result.h"

#include <QString>

#include <span>

namespace dorimek::mainwin {

// How a start by the host system ("auto") ended, as its exit status. The host
// sees nothing else of an unattended run, so each cause has its own status
// and 0 means a sheet really went to the spooler (and wasn't refused in the
// first seconds) or the preview was shown as configured. The numbers are
// documented for the host's administrators: never renumber one.
enum class AutoRunOutcome : int {
    Done = 0,                      // printed, or the preview shown as configured
    NoPrescriptionFile = 10,       // rp.csv missing or unreadable
    PrescriptionIncomplete = 11,   // rp.csv still being written, its last line unfinished
    NothingToPrint = 12,           // the prescription has no line that can be printed
    MasterUnreadable = 13,         // yakujo.txt can't be read
    SettingsUnreadable = 14,       // sorbenk.ini can't be read, or its work folder can't work
    UsageUnprintable = 15,         // a line's usage can't be printed
    SamePrescriptionJustRun = 16,  // the same unchanged rp.csv was handled moments ago
    NoUsablePrinter = 20,          // no printer chosen, the stored one unknown, a bad argument
    PrinterRefused = 21,           // the queue is stopped or rejecting, or refused the job
    SpoolerDown = 22,              // the print spooler can't be reached
    NoDisplay = 30,                // no display could be opened (also without "auto")
    InternalError = 40,            // anything else that stopped the run
};

struct AutoRunOutcomeText {
    AutoRunOutcome outcome;
    const char* japanese;  // UTF-8
    const char* english;
};

// Every outcome with its description, in status order: the one source for
// --help, the manual page's table and the run log's cause.
std::span<const AutoRunOutcomeText> autoRunOutcomeTexts();

// The description of one outcome ("" for a value not in the table).
QString autoRunOutcomeJapanese(AutoRunOutcome outcome);
QString autoRunOutcomeEnglish(AutoRunOutcome outcome);

constexpr int exitStatus(AutoRunOutcome outcome) { return static_cast<int>(outcome); }

// The outcome of a print that failed for that kind of reason.
AutoRunOutcome outcomeOfPrintFailure(ErrorKind kind);

}  // namespace dorimek::mainwin
