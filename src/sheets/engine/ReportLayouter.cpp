#include "ReportLayouter.h"

#include "ReportRenderer.h"
#include "TextMeasurer.h"
#include "TextWrap.h"
#include "platform/Sjis.h"

#include <algorithm>
#include <cmath>

namespace dorimek::report {
namespace {

// Positions are sums of decimals; keep a band that fits exactly from
// counting as overflowing.
constexpr double kEpsilon = 1e-6;

}  // namespace

ReportLayouter::ReportLayouter(const TReport& report, ReportDocument& document, double imageDpi)
    : report_(report), document_(document), imageDpi_(imageDpi) {
    document_.pageWidth = report.Page.Width;
    document_.pageLength = report.Page.Length;
    document_.imageDpi = imageDpi;
}

void ReportLayouter::newPage() {
    document_.pages.emplace_back();
    y_ = report_.Page.TopMargin;
    freshPageTop_ = -1;
}

void ReportLayouter::breakPage() {
    newPage();
    if (const TReportBand* header = report_.band(rbColumnHeader)) printBand(*header);
    freshPageTop_ = y_;
}

ReportLayouter::TextPlan ReportLayouter::planText(const TReportTextElement& e,
                                                  const TReportBand& band) const {
    TextMeasurer& m = TextMeasurer::instance();
    TextPlan plan;
    plan.element = &e;
    plan.font = e.Font ? *e.Font : band.effectiveFont();
    plan.lineHeight = m.lineHeight(plan.font);
    plan.ascent = m.ascent(plan.font);
    plan.rect = e.rect();
    const MeasureFn measure = [&](std::string_view s) { return m.widthSjis(plan.font, s); };
    if (e.AutoSize) {
        // Lines stay whole and the label takes the width of its widest line.
        plan.lines = layoutLines(e.paragraphs(), false, 0, measure);
        double widest = 0;
        for (const std::string& line : plan.lines) widest = std::max(widest, measure(line));
        if (e.Alignment == taCenter) plan.rect.moveLeft(e.Left + (e.Width - widest) / 2);
        plan.rect.setWidth(widest);
    } else {
        plan.lines = layoutLines(e.paragraphs(), e.WordWrap, e.Width, measure);
    }
    return plan;
}

int ReportLayouter::linesFitting(const TextPlan& plan, double height) {
    const int remaining = static_cast<int>(plan.lines.size()) - plan.drawn;
    if (plan.lineHeight <= 0) return remaining;
    const int fit = static_cast<int>(std::floor((height + kEpsilon) / plan.lineHeight));
    return std::clamp(fit, 0, remaining);
}

void ReportLayouter::emitFill(const QString& owner, const QRectF& rect, const QColor& color) {
    ReportOp op;
    op.type = ReportOp::Fill;
    op.owner = owner;
    op.rect = rect;
    op.color = color;
    page().ops.push_back(std::move(op));
}

void ReportLayouter::emitFrame(const QString& owner, const QRectF& r, const TReportFrame& frame) {
    auto line = [&](QPointF a, QPointF b) {
        ReportOp op;
        op.type = ReportOp::Line;
        op.owner = owner;
        op.rect = QRectF(a, b).normalized();
        op.from = a;
        op.to = b;
        op.color = Qt::black;
        page().ops.push_back(std::move(op));
    };
    if (frame.DrawTop) line(r.topLeft(), r.topRight());
    if (frame.DrawBottom) line(r.bottomLeft(), r.bottomRight());
    if (frame.DrawLeft) line(r.topLeft(), r.bottomLeft());
    if (frame.DrawRight) line(r.topRight(), r.bottomRight());
}

void ReportLayouter::emitText(TextPlan& plan, int count, const QPointF& topLeft, double width,
                              int row) {
    const TReportTextElement& e = *plan.element;
    const QRectF area(topLeft,
                      QSizeF(width, std::max(plan.rect.height(), count * plan.lineHeight)));
    if (!e.Transparent) emitFill(e.name(), area, e.Color);
    TextMeasurer& m = TextMeasurer::instance();
    // Text that is neither wrapped nor sized to fit is cut at the element's sides.
    const bool clip = !e.WordWrap && !e.AutoSize;
    for (int i = 0; i < count; ++i) {
        const std::string& line = plan.lines[static_cast<size_t>(plan.drawn + i)];
        if (line.empty()) continue;
        ReportOp op;
        op.type = ReportOp::Text;
        op.owner = e.name();
        op.text = platform::toUnicode(line);
        op.font = plan.font;
        op.color = plan.font.Color;
        const double top = topLeft.y() + i * plan.lineHeight;
        const double textWidth = m.width(plan.font, op.text);
        double x = topLeft.x();
        if (e.Alignment == taCenter) x += (width - textWidth) / 2;
        op.rect = QRectF(x, top, textWidth, plan.lineHeight);
        op.origin = QPointF(x, top + plan.ascent);
        op.clipped = clip;
        op.clip = QRectF(topLeft.x(), top, width, plan.lineHeight);
        page().ops.push_back(std::move(op));
    }
    plan.drawn += count;
    if (e.Frame.any()) emitFrame(e.name(), area, e.Frame);
    page().elements.push_back({e.name(), area, count, row});
}

void ReportLayouter::emitElement(const TReportElement& e, const QPointF& origin, int row) {
    const QRectF r = e.rect().translated(origin);
    if (const auto* shape = dynamic_cast<const TReportShape*>(&e)) {
        ReportOp op;
        op.type = ReportOp::Line;
        op.owner = e.name();
        op.rect = r;
        op.color = shape->PenColor;
        op.dotted = shape->PenStyle == psDot;
        if (shape->Shape == shHorLine) {
            op.from = QPointF(r.left(), r.center().y());
            op.to = QPointF(r.right(), r.center().y());
        } else {
            op.from = QPointF(r.center().x(), r.top());
            op.to = QPointF(r.center().x(), r.bottom());
        }
        page().ops.push_back(std::move(op));
    } else if (const auto* image = dynamic_cast<const TReportImage*>(&e)) {
        if (!image->isEmpty()) {
            ReportOp op;
            op.type = ReportOp::Image;
            op.owner = e.name();
            if (image->Stretch) {
                op.rect = r;
            } else {
                // Unstretched pictures keep the size they have on screen.
                const QSizeF natural(image->picture().width() * kTenthsPerInch / 96.0,
                                     image->picture().height() * kTenthsPerInch / 96.0);
                op.rect = QRectF(r.topLeft(), natural);
                if (image->Center) op.rect.moveCenter(r.center());
                op.clipped = true;
                op.clip = r;
            }
            op.image = ReportRenderer::reduceForTarget(image->picture(), op.rect.size(), imageDpi_);
            page().ops.push_back(std::move(op));
        }
    }
    if (e.Frame.any()) emitFrame(e.name(), r, e.Frame);
    page().elements.push_back({e.name(), r, 0, row});
}

void ReportLayouter::printBand(const TReportBand& band, int row) {
    const double limit = report_.Page.bottomLimit();
    const bool header = band.BandType == rbColumnHeader;
    const bool pageEmpty = page().bands.empty();
    const bool onFreshPage = pageEmpty || std::abs(y_ - freshPageTop_) < kEpsilon;
    if (!header && !onFreshPage && (band.ForceNewPage || y_ + band.Height > limit + kEpsilon)) {
        breakPage();
    }

    // Text elements first, to know how far the band grows.
    std::vector<TextPlan> plans;
    double growth = 0;
    for (const auto& e : band.elements()) {
        const auto* text = dynamic_cast<const TReportTextElement*>(e.get());
        if (!text || !e->Enabled) continue;
        plans.push_back(planText(*text, band));
        if (text->AutoStretch) {
            const TextPlan& p = plans.back();
            growth = std::max(growth, p.lines.size() * p.lineHeight - p.rect.height());
        }
    }
    // A grown band that no longer fits takes on this page only the lines
    // that fit above the bottom margin; the rest continue on the next page.
    const double room = limit - y_;
    // A band taller than a whole page is printed as it is; only growth splits.
    const bool split =
        growth > 0 && band.Height + growth > room + kEpsilon && band.Height <= room + kEpsilon;
    std::vector<int> counts;
    double pageGrowth = 0;
    for (TextPlan& p : plans) {
        int n;
        if (p.element->AutoStretch) {
            n = split ? linesFitting(p, room - band.Height + p.rect.height())
                      : static_cast<int>(p.lines.size());
            pageGrowth = std::max(pageGrowth, n * p.lineHeight - p.rect.height());
        } else if (p.element->AutoSize) {
            // The label's size follows its text: every line prints.
            n = static_cast<int>(p.lines.size());
        } else {
            // A first line a little taller than its box still prints.
            n = std::max(linesFitting(p, p.rect.height()),
                         std::min<int>(1, static_cast<int>(p.lines.size())));
        }
        counts.push_back(n);
    }

    const QPointF origin = bandOrigin();
    const QRectF bandRect(origin, QSizeF(report_.Page.bandWidth(), band.Height + pageGrowth));
    emitFill(band.name(), bandRect, band.Color);
    if (band.Frame.any()) emitFrame(band.name(), bandRect, band.Frame);
    page().bands.push_back({band.name(), band.BandType, bandRect, false, row});

    size_t planIndex = 0;
    for (const auto& e : band.elements()) {
        if (!e->Enabled) continue;
        if (dynamic_cast<const TReportTextElement*>(e.get())) {
            TextPlan& p = plans[planIndex];
            emitText(p, counts[planIndex], p.rect.topLeft() + origin, p.rect.width(), row);
            ++planIndex;
        } else {
            emitElement(*e, origin, row);
        }
    }
    y_ += bandRect.height();

    std::erase_if(plans, [](const TextPlan& p) { return !p.element->AutoStretch; });
    continueStretched(band, plans, row);
}

void ReportLayouter::continueStretched(const TReportBand& band, std::vector<TextPlan>& plans,
                                       int row) {
    auto remaining = [](const TextPlan& p) { return static_cast<int>(p.lines.size()) - p.drawn; };
    while (std::any_of(plans.begin(), plans.end(),
                       [&](const TextPlan& p) { return remaining(p) > 0; })) {
        breakPage();
        const double room = report_.Page.bottomLimit() - y_;
        std::vector<int> counts;
        double height = 0;
        for (const TextPlan& p : plans) {
            // At least one line per page, so that text taller than a page ends.
            int n = std::min(remaining(p), std::max(1, linesFitting(p, room)));
            if (remaining(p) == 0) n = 0;
            counts.push_back(n);
            height = std::max(height, n * p.lineHeight);
        }
        const QPointF origin = bandOrigin();
        const QRectF strip(origin, QSizeF(report_.Page.bandWidth(), height));
        emitFill(band.name(), strip, band.Color);
        page().bands.push_back({band.name(), band.BandType, strip, true, row});
        for (size_t i = 0; i < plans.size(); ++i) {
            if (counts[i] == 0) continue;
            TextPlan& p = plans[i];
            const QPointF topLeft(origin.x() + p.rect.left(), origin.y());
            // The continuation is only as tall as its own lines.
            const QRectF design = p.rect;
            p.rect.setHeight(0);
            emitText(p, counts[i], topLeft, design.width(), row);
            p.rect = design;
        }
        y_ += height;
    }
}

}  // namespace dorimek::report
