#pragma once

#include "PrinterService.h"
#include "Result.h"

#include <QString>

#include <functional>
#include <string>

class QPainter;

namespace dorimek::platform {

// A finished document on its way to a printer: the pages as the one renderer
// draws them, and the same pages as a JIS B5 PDF file's bytes. Each system
// takes the form its spooler prints from.
struct PageDocument {
    QString title;
    int pageCount = 0;
    // Draws page (0-based) with the paper's top-left corner at the painter's
    // origin, at the resolution of the painter's device.
    std::function<void(int page, QPainter& painter)> paintPage;
    std::function<Result<std::string>()> pdfBytes;
};

// Prints document on printer (a queue name) on JIS B5. The error is the
// user's text; a job that was taken but waits is told in notPrintingNow.
Result<PrinterService::SubmittedJob> printDocument(const QString& printer,
                                                   const PageDocument& document,
                                                   const PrinterService::JobOptions& options);

}  // namespace dorimek::platform
