#pragma once

#include "ReportDocument.h"
#include "platform/Result.h"

#include <QImage>
#include <QSizeF>
#include <QString>

#include <string>

class QPainter;

namespace dorimek::report {

// The one renderer of laid-out pages, shared by the preview, the printer and
// PDF export, so that all three show the same page.
class ReportRenderer {
  public:
    // Pictures are never drawn finer than this, whatever the device.
    static constexpr double kMaxImageDpi = 300;
    // The resolution of the PDF files the engine writes.
    static constexpr int kPdfDpi = 600;

    // Draws page (0-based) with its top-left corner at the painter's origin,
    // at the resolution of the painter's device (its logical dpi); the
    // painter's own transform (a zoom, an offset) applies on top.
    static void paintPage(const ReportDocument& document, int page, QPainter& painter);

    // The picture reduced to the pixels of a target rectangle (tenths of a
    // millimetre) at dpi (capped at kMaxImageDpi); never enlarged.
    static QImage reduceForTarget(const QImage& picture, const QSizeF& target, double dpi);

    // The pages first..last (1-based, inclusive) as a PDF document on the
    // paper of the document's fit: JIS B5, or the paper a printer without it
    // prints on, the pages placed as the fit says.
    static Result<std::string> pdfBytes(const ReportDocument& document, int firstPage, int lastPage,
                                        const QString& title);
    // All pages into a file, replacing it in one step.
    static Status writePdf(const ReportDocument& document, const QString& path,
                           const QString& title);

    // A page as a picture at dpi on the paper it prints on (for the preview
    // and for tests).
    static QImage renderImage(const ReportDocument& document, int page, double dpi);
};

}  // namespace dorimek::report
