#pragma once

#include "PrinterService.h"
#include "Result.h"

#include <QString>

#include <functional>
#include <string>

class QPainter;

namespace dorimek::platform {

// A finished document on its way to a printer: its pages as the one renderer
// draws them, and the same pages as a PDF file's bytes. Each system hands
// its spooler the form it prints from.
struct PageDocument {
    QString title;
    int pageCount = 0;
    // Draws page (0-based) with the paper's top-left corner at the painter's
    // origin, at the resolution of the painter's device.
    std::function<void(int page, QPainter& painter)> paintPage;
    std::function<Result<std::string>()> pdfBytes;
};

// Prints document on printer (a queue name) on the paper options.media
// names. The error is the user's text with its kind: no printer, spooler
// down, printer refused, or Other when nothing reached the spooler (the
// document or its temporary file couldn't be made). A job that was taken
// but waits is told in notPrintingNow; its id is 0 where the spooler gave
// none to follow.
Result<PrinterService::SubmittedJob> printDocument(const QString& printer,
                                                   const PageDocument& document,
                                                   const PrinterService::JobOptions& options);

}  // namespace dorimek::platform
