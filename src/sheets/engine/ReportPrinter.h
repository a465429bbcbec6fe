#pragma once

#include "platform/Result.h"

#include <QString>

namespace dorimek::report {

class TReport;

// Runs a report to a printer: the pages go into a JIS B5 PDF drawn by the
// same renderer as the preview, which the spooler then prints.
class ReportPrinter {
  public:
    // The queue for a printer index (-1: the default printer), from the list
    // read at start; the error tells the user why there is none.
    static Result<QString> resolvePrinter(int printerIndex);

    // Print as TReport::Print does it; every failure is also shown.
    static Status print(TReport& report);
};

}  // namespace dorimek::report
