#include "ReportRenderer.h"

#include "TextMeasurer.h"
#include "platform/AtomicFile.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>

namespace dorimek::report {
namespace {

// The PDF writer rounds the page box to whole points (516 x 729), 0.1 mm too
// wide and 0.2 mm too long for JIS B5, which is 515.9 x 728.5 points; a
// spooler matching paper by size should see the true size. The page is drawn
// from its top edge, so the box keeps its top and loses the excess at the
// bottom and right. The replacement has the same length, so the offsets of
// the file's cross-reference table stay valid.
void trueJisB5Box(QByteArray& pdf) {
    static const QByteArray rounded = QByteArrayLiteral("/MediaBox [0 0 516.000000 729.000000]");
    static const QByteArray exact = QByteArrayLiteral("/MediaBox [0 0.49606 515.90551 729.0]");
    static_assert(sizeof("/MediaBox [0 0 516.000000 729.000000]") ==
                  sizeof("/MediaBox [0 0.49606 515.90551 729.0]"));
    pdf.replace(rounded, exact);
}

}  // namespace

QImage ReportRenderer::reduceForTarget(const QImage& picture, const QSizeF& target, double dpi) {
    if (picture.isNull()) return picture;
    const double d = std::min(dpi, kMaxImageDpi);
    const int w = std::max(1, static_cast<int>(std::ceil(target.width() * d / kTenthsPerInch)));
    const int h = std::max(1, static_cast<int>(std::ceil(target.height() * d / kTenthsPerInch)));
    if (picture.width() <= w && picture.height() <= h) return picture;
    return picture.scaled(std::min(w, picture.width()), std::min(h, picture.height()),
                          Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

void ReportRenderer::paintPage(const ReportDocument& document, int page, QPainter& painter) {
    if (page < 0 || page >= document.pageCount()) return;
    const QPaintDevice* device = painter.device();
    const double dpiX = device ? device->logicalDpiX() : 96;
    const double dpiY = device ? device->logicalDpiY() : 96;

    painter.save();
    painter.scale(dpiX / kTenthsPerInch, dpiY / kTenthsPerInch);
    // A sheet that fits the printer is drawn exactly as laid out.
    if (const PageFit& fit = document.fit; !fit.isIdentity()) {
        const QPointF at = fit.map(QPointF(0, 0), QSizeF(document.pageWidth, document.pageLength));
        painter.translate(at);
        painter.scale(fit.scale, fit.scale);
    }
    // Rules stay one crisp device pixel; text and pictures are smoothed.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);

    for (const ReportOp& op : document.pages[static_cast<size_t>(page)].ops) {
        switch (op.type) {
            case ReportOp::Fill:
                painter.fillRect(op.rect, op.color);
                break;
            case ReportOp::Line: {
                QPen pen(op.color);
                pen.setCosmetic(true);
                pen.setWidth(0);
                pen.setStyle(op.dotted ? Qt::DotLine : Qt::SolidLine);
                painter.setPen(pen);
                painter.drawLine(op.from, op.to);
                break;
            }
            case ReportOp::Text: {
                // The painter turns points into pixels at the device's dpi and
                // then applies our scale; undo the scale so the glyphs come out
                // at their true size.
                painter.setFont(
                    TextMeasurer::drawingFont(op.font, op.font.Size * kTenthsPerInch / dpiY));
                painter.setPen(op.color);
                if (op.clipped) {
                    painter.save();
                    painter.setClipRect(op.clip, Qt::IntersectClip);
                }
                painter.drawText(op.origin, op.text);
                if (op.clipped) painter.restore();
                break;
            }
            case ReportOp::Image: {
                const QImage img = reduceForTarget(op.image, op.rect.size(), std::min(dpiX, dpiY));
                if (op.clipped) {
                    painter.save();
                    painter.setClipRect(op.clip, Qt::IntersectClip);
                }
                painter.drawImage(op.rect, img);
                if (op.clipped) painter.restore();
                break;
            }
        }
    }
    painter.restore();
}

Result<std::string> ReportRenderer::pdfBytes(const ReportDocument& document, int firstPage,
                                             int lastPage, const QString& title) {
    const int first = std::max(1, firstPage);
    const int last =
        lastPage <= 0 ? document.pageCount() : std::min(lastPage, document.pageCount());
    if (first > last) {
        return Result<std::string>::failure(QStringLiteral("印刷するページがありません。"));
    }
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(kPdfDpi);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("dorimek"));
        // The paper of the printer the run was made for; JIS B5 unless the
        // printer has none.
        const QSizeF paper =
            document.fit.paperFor(QSizeF(document.pageWidth, document.pageLength)) / 10.0;
        const QPageSize size =
            document.fit.paper.isEmpty()
                ? QPageSize(QPageSize::JisB5)
                : QPageSize(paper, QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch);
        writer.setPageLayout(QPageLayout(size, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        QPainter painter;
        if (!painter.begin(&writer)) {
            return Result<std::string>::failure(QStringLiteral("PDF を作成できませんでした。"));
        }
        for (int p = first; p <= last; ++p) {
            if (p > first) writer.newPage();
            paintPage(document, p - 1, painter);
        }
        painter.end();
    }
    trueJisB5Box(bytes);
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

Status ReportRenderer::writePdf(const ReportDocument& document, const QString& path,
                                const QString& title) {
    Result<std::string> bytes = pdfBytes(document, 0, 0, title);
    if (!bytes) return Status::failure(bytes.error());
    return platform::writeFileAtomically(path, *bytes);
}

QImage ReportRenderer::renderImage(const ReportDocument& document, int page, double dpi) {
    const int d = std::max(1, static_cast<int>(std::lround(dpi)));
    const QSizeF paper = document.fit.paperFor(QSizeF(document.pageWidth, document.pageLength));
    const int w = std::max(1, static_cast<int>(std::lround(paper.width() * d / kTenthsPerInch)));
    const int h = std::max(1, static_cast<int>(std::lround(paper.height() * d / kTenthsPerInch)));
    QImage image(w, h, QImage::Format_RGB32);
    image.setDotsPerMeterX(static_cast<int>(std::lround(d / 0.0254)));
    image.setDotsPerMeterY(static_cast<int>(std::lround(d / 0.0254)));
    image.fill(Qt::white);
    QPainter painter(&image);
    paintPage(document, page, painter);
    painter.end();
    return image;
}

}  // namespace dorimek::report
