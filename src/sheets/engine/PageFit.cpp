#include "PageFit.h"

#include "ReportDocument.h"

#include <algorithm>
#include <cmath>

namespace dorimek::report {
namespace {

// A reduced page keeps this much clear of the printable area's edge: a
// one-pixel rule and glyph side bearings reach a little past the boxes the
// layout records.
constexpr double kClearance = 3;  // tenths of a millimetre

}  // namespace

int PageFit::percent() const { return static_cast<int>(std::floor(scale * 100 + 1e-9)); }

QString PageFit::notice() const {
    if (scale == 1 && dx == 0 && dy == 0) return {};
    if (scale >= 1) return QStringLiteral("このプリンタの印刷可能範囲に合わせて位置をずらして印刷します");
    return QStringLiteral("このプリンタの印刷可能範囲に合わせて %1% に縮小します").arg(percent());
}

QPointF PageFit::map(const QPointF& p, const QSizeF& page) const {
    const QPointF centre(page.width() / 2, page.height() / 2);
    const QSizeF on = paperFor(page);
    return QPointF(on.width() / 2, on.height() / 2) + (p - centre) * scale + QPointF(dx, dy);
}

PageFit PageFit::forInk(const QRectF& ink, const QSizeF& page, const PrintableMargins& m,
                        const QSizeF& paper) {
    PageFit fit;
    if (!paper.isEmpty() && paper != page) fit.paper = paper;
    const QSizeF on = fit.paperFor(page);
    const QRectF area(m.left, m.top, on.width() - m.left - m.right, on.height() - m.top - m.bottom);
    if (ink.isNull() || area.width() <= 0 || area.height() <= 0) return fit;
    const QRectF placed(fit.map(ink.topLeft(), page), fit.map(ink.bottomRight(), page));
    const bool inside = placed.left() >= area.left() && placed.right() <= area.right() &&
                        placed.top() >= area.top() && placed.bottom() <= area.bottom();
    if (inside) return fit;

    const QRectF target = area.adjusted(kClearance, kClearance, -kClearance, -kClearance);
    fit.scale = std::min({1.0, target.width() / ink.width(), target.height() / ink.height()});
    const QPointF topLeft = fit.map(ink.topLeft(), page);
    const QPointF bottomRight = fit.map(ink.bottomRight(), page);
    // Each direction moves only as far as needed; after the reduction the ink
    // is no larger than the target, so at most one side can be out.
    auto shift = [](double low, double high, double min, double max) {
        if (low < min) return min - low;
        if (high > max) return max - high;
        return 0.0;
    };
    fit.dx = shift(topLeft.x(), bottomRight.x(), target.left(), target.right());
    fit.dy = shift(topLeft.y(), bottomRight.y(), target.top(), target.bottom());
    return fit;
}

PageFit PageFit::forDocument(const ReportDocument& document, const PrintableMargins& margins,
                             const QSizeF& paper) {
    return forInk(inkBounds(document), QSizeF(document.pageWidth, document.pageLength), margins,
                  paper);
}

QRectF inkBounds(const ReportDocument& document) {
    // Only what lands on the paper: a text running past the page's foot out
    // of a cell that doesn't grow is lost at any scale, and measuring it
    // would shrink the whole sheet to a sliver.
    const QRectF paper(0, 0, document.pageWidth, document.pageLength);
    QRectF bounds;
    const auto add = [&bounds, &paper](const QRectF& r) {
        if (r.isNull() || r.left() > paper.right() || r.right() < paper.left() ||
            r.top() > paper.bottom() || r.bottom() < paper.top())
            return;
        // Clamped, not intersected: a rule on the paper's very edge is ink.
        const QRectF onPaper(QPointF(std::clamp(r.left(), paper.left(), paper.right()),
                                     std::clamp(r.top(), paper.top(), paper.bottom())),
                             QPointF(std::clamp(r.right(), paper.left(), paper.right()),
                                     std::clamp(r.bottom(), paper.top(), paper.bottom())));
        bounds = bounds.isNull() ? onPaper : bounds.united(onPaper);
    };
    for (const ReportPage& page : document.pages) {
        for (const ReportOp& op : page.ops) {
            switch (op.type) {
                case ReportOp::Fill:
                    if (op.color != QColor(Qt::white) && op.color.alpha() != 0) add(op.rect);
                    break;
                case ReportOp::Line:
                    add(QRectF(op.from, op.to).normalized().adjusted(0, 0, 0.01, 0.01));
                    break;
                case ReportOp::Text:
                    if (!op.text.trimmed().isEmpty()) {
                        add(op.clipped ? op.rect.intersected(op.clip) : op.rect);
                    }
                    break;
                case ReportOp::Image:
                    if (!op.image.isNull()) {
                        add(op.clipped ? op.rect.intersected(op.clip) : op.rect);
                    }
                    break;
            }
        }
    }
    return bounds;
}

}  // namespace dorimek::report
