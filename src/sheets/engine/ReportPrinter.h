#pragma once

#include "PageFit.h"
#include "platform/Result.h"

#include <QString>

namespace dorimek::report {

class TReport;

// Runs a report to a printer: the pages drawn by the same renderer as the
// preview go to the spooler on JIS B5 (as a PDF where the spooler takes one).
class ReportPrinter {
  public:
    // The queue for a printer index (-1: the default printer), from the list
    // read at start; the error tells the user why there is none.
    static Result<QString> resolvePrinter(int printerIndex);

    // The printable area of JIS B5 on a printer index as the spooler reports
    // it; the whole paper when it reports none, can't be asked, or the queue
    // has no JIS B5 (the sheet then lands on a larger paper).
    static PrintableMargins printableMargins(int printerIndex);

    // Print as TReport::Print does it; every failure is also shown.
    static Status print(TReport& report);
};

}  // namespace dorimek::report
