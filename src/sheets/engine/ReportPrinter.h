#pragma once

#include "PageFit.h"
#include "platform/QueuePaper.h"
#include "platform/Result.h"

#include <QString>

namespace dorimek::report {

class TReport;

// Runs a report to a printer: the pages, drawn by the same renderer as the
// preview on the printer's paper (JIS B5 where it has it), go to the spooler
// in the form it prints from.
class ReportPrinter {
  public:
    // The queue for a printer index (-1: the default printer), from the list
    // read at start; the error tells the user why there is none.
    static Result<QString> resolvePrinter(int printerIndex);

    // The paper a job to a printer index asks for, and its printable area,
    // as the spooler reports them: JIS B5 where the queue has it (by name or
    // as a custom size), else a paper the queue lists; JIS B5 to the edge
    // when the spooler can't be asked or says nothing.
    static platform::QueuePaper paper(int printerIndex);
    // The margins of that paper.
    static PrintableMargins printableMargins(int printerIndex);

    // Print as TReport::Print does it; every failure is also shown, and
    // comes back with its kind (no printer, printer refused, spooler down).
    // The job is followed for the seconds a printer takes to refuse it: with
    // PrinterSettings.WaitForJob the run waits and a refusal is its failure,
    // otherwise a refusal is told when it comes.
    static Status print(TReport& report);
};

}  // namespace dorimek::report
