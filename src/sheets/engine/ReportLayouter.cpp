#include "ReportLayouter.h"

#include "ReportRenderer.h"
#include "TextMeasurer.h"
#include "HangRoom.h"
#include "TextWrap.h"
#include "platform/Sjis.h"

#include <algorithm>
#include <cmath>
#include <limits>

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

double ReportLayouter::freshPageTop() const {
    if (headerHeight_ >= 0) return report_.Page.TopMargin + headerHeight_;
    const TReportBand* header = report_.band(rbColumnHeader);
    return report_.Page.TopMargin + (header ? header->Height : 0);
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
        const Hang hang{hangRoom(e),
                        [&](std::string_view s) { return m.inkRightSjis(plan.font, s); }};
        plan.lines = layoutLines(e.paragraphs(), e.WordWrap, e.Width, measure, hang);
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

void ReportLayouter::emitElement(const TReportElement& e, const QRectF& r, int row) {
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

int ReportLayouter::shownLines(const TextPlan& plan) {
    // A first line a little taller than its box still prints.
    return std::max(linesFitting(plan, plan.rect.height()),
                    std::min<int>(1, static_cast<int>(plan.lines.size())));
}

void ReportLayouter::printBand(const TReportBand& band, int row) {
    BandRun run;
    run.band = &band;
    run.row = row;
    // Text elements first: a cell whose text needs more lines than it shows
    // makes room for them, so the band's height is known before it is placed.
    std::vector<OverflowElement> cells;
    for (const auto& e : band.elements()) {
        if (!e->Enabled) continue;
        run.elements.push_back(e.get());
        OverflowElement cell;
        cell.rect = e->rect();
        if (const auto* shape = dynamic_cast<const TReportShape*>(e.get())) {
            cell.verticalLine = shape->Shape == shVertLine;
        }
        if (const auto* text = dynamic_cast<const TReportTextElement*>(e.get())) {
            run.planOf.push_back(static_cast<int>(run.plans.size()));
            run.plans.push_back(planText(*text, band));
            const TextPlan& p = run.plans.back();
            cell.rect = p.rect;
            if (!text->AutoStretch && !text->AutoSize) {
                const int shown = shownLines(p);
                cell.shownHeight = shown * p.lineHeight;
                cell.growth = (static_cast<int>(p.lines.size()) - shown) * p.lineHeight;
                cell.lineHeight = p.lineHeight;
            }
        } else {
            run.planOf.push_back(-1);
        }
        cells.push_back(cell);
    }
    const OverflowLayout grown = makeRoomForOverflow(cells);
    run.rects = grown.rects;
    run.height = band.Height + grown.growth;
    for (size_t i = 0; i < run.elements.size(); ++i) {
        if (run.planOf[i] >= 0) run.plans[static_cast<size_t>(run.planOf[i])].rect = run.rects[i];
    }

    double growth = 0;
    std::vector<StretchElement> shapes;
    for (size_t i = 0; i < run.elements.size(); ++i) {
        StretchElement se;
        se.rect = run.rects[i];
        se.verticalLine = cells[i].verticalLine;
        if (run.planOf[i] >= 0) {
            const TextPlan& p = run.plans[static_cast<size_t>(run.planOf[i])];
            se.autoStretch = p.element->AutoStretch;
            if (se.autoStretch) {
                const double g = p.lines.size() * p.lineHeight - p.rect.height();
                se.grows = g > 0;
                growth = std::max(growth, g);
            }
        }
        shapes.push_back(se);
    }
    run.roles = assignStretchRoles(shapes);
    run.placed.assign(run.elements.size(), false);

    // A band goes to the next page whole when it doesn't fit under what the
    // page holds but fits on a fresh one: a row cut at the page end leaves a
    // fragment of a name, with empty cells, at the top of the next page.
    // Only a band taller than a fresh page's room starts where it is and
    // continues over the pages.
    const double limit = report_.Page.bottomLimit();
    const bool header = band.BandType == rbColumnHeader;
    const bool pageEmpty = page().bands.empty();
    const bool onFreshPage = pageEmpty || std::abs(y_ - freshPageTop_) < kEpsilon;
    const double whole = run.height + growth;
    const bool fitsFreshPage = whole <= limit - freshPageTop() + kEpsilon;
    if (!header && !onFreshPage &&
        (band.ForceNewPage || y_ + run.height > limit + kEpsilon ||
         (y_ + whole > limit + kEpsilon && fitsFreshPage))) {
        breakPage();
    }

    // A grown band that no longer fits takes on this page only the lines
    // that fit above the bottom margin; the rest continue on the next page.
    const double room = limit - y_;
    // A band taller than a whole page is printed as it is; only growth splits.
    const bool split =
        growth > 0 && run.height + growth > room + kEpsilon && run.height <= room + kEpsilon;
    double pageGrowth = 0;
    for (TextPlan& p : run.plans) {
        int n;
        if (p.element->AutoStretch) {
            n = split ? linesFitting(p, room - run.height + p.rect.height())
                      : static_cast<int>(p.lines.size());
            pageGrowth = std::max(pageGrowth, n * p.lineHeight - p.rect.height());
        } else if (p.element->AutoSize) {
            // The label's size follows its text: every line prints.
            n = static_cast<int>(p.lines.size());
        } else {
            n = shownLines(p);  // all of them: the cell has made room
        }
        run.firstCounts.push_back(n);
    }

    // A row split by the page end fills the page, so that its column rules
    // and its closing rule reach the bottom margin.
    const double height =
        split ? std::max(room, run.height + pageGrowth) : run.height + pageGrowth;
    const QPointF origin = bandOrigin();
    const QRectF bandRect(origin, QSizeF(report_.Page.bandWidth(), height));
    emitFill(band.name(), bandRect, band.Color);
    if (band.Frame.any()) emitFrame(band.name(), bandRect, band.Frame);
    page().bands.push_back({band.name(), band.BandType, bandRect, false, row});
    drawPart(run, run.firstCounts, origin, height, true);
    y_ += bandRect.height();
    if (header) headerHeight_ = bandRect.height();

    continueStretched(run);
}

void ReportLayouter::drawPart(BandRun& run, const std::vector<int>& counts, const QPointF& origin,
                              double height, bool first) {
    const size_t count = run.elements.size();

    // Where each growing text ends on this part, as the distance from its
    // design bottom, and whether it goes on after this part.
    std::vector<bool> here(count, false), goesOn(count, false);
    std::vector<double> shift(count, 0);
    for (size_t i = 0; i < count; ++i) {
        if (run.roles[i].role != StretchRole::Stretch) continue;
        const size_t pi = static_cast<size_t>(run.planOf[i]);
        const TextPlan& p = run.plans[pi];
        const int n = counts[pi];
        const double used = n * p.lineHeight;
        here[i] = first || n > 0;
        shift[i] =
            p.rect.top() + (first ? std::max(p.rect.height(), used) : used) - p.rect.bottom();
        goesOn[i] = static_cast<int>(p.lines.size()) - p.drawn - n > 0;
    }
    // How far this part is grown beyond the design height: where rules go
    // when the text they belong to continues on the next page.
    const double partGrowth = height - run.height;

    for (size_t i = 0; i < count; ++i) {
        const TReportElement& e = *run.elements[i];
        const StretchAssignment& a = run.roles[i];
        const int pi = run.planOf[i];
        bool continues = false;
        bool anyHere = false;
        double sourceShift = -std::numeric_limits<double>::infinity();
        for (size_t s : a.sources) {
            continues = continues || goesOn[s];
            if (here[s]) {
                anyHere = true;
                sourceShift = std::max(sourceShift, shift[s]);
            }
        }
        if (!anyHere) sourceShift = 0;

        switch (a.role) {
            case StretchRole::Fixed:
                if (!first) break;
                if (pi >= 0) {
                    TextPlan& p = run.plans[static_cast<size_t>(pi)];
                    emitText(p, counts[static_cast<size_t>(pi)], p.rect.topLeft() + origin,
                             p.rect.width(), run.row);
                } else {
                    emitElement(e, run.rects[i].translated(origin), run.row);
                }
                break;
            case StretchRole::Stretch: {
                TextPlan& p = run.plans[static_cast<size_t>(pi)];
                const int n = counts[static_cast<size_t>(pi)];
                if (first) {
                    emitText(p, n, p.rect.topLeft() + origin, p.rect.width(), run.row);
                } else if (n > 0) {
                    // The continuation is only as tall as its own lines; it
                    // keeps the cell's design distance from the rule above.
                    const QRectF design = p.rect;
                    p.rect.setHeight(0);
                    emitText(p, n, design.topLeft() + origin, design.width(), run.row);
                    p.rect = design;
                }
                break;
            }
            case StretchRole::Follow: {
                if (run.placed[i]) break;
                if (!continues) {
                    const QPointF moved = origin + QPointF(0, sourceShift);
                    if (pi >= 0) {
                        TextPlan& p = run.plans[static_cast<size_t>(pi)];
                        emitText(p, run.firstCounts[static_cast<size_t>(pi)],
                                 p.rect.topLeft() + moved, p.rect.width(), run.row);
                    } else {
                        emitElement(e, run.rects[i].translated(moved), run.row);
                    }
                    run.placed[i] = true;
                } else if (const auto* rule = dynamic_cast<const TReportShape*>(&e);
                           rule && rule->Shape == shHorLine && rule->PenStyle == psSolid) {
                    // The text goes on over the page: its solid rules close the
                    // table at the foot of this part and are drawn again under
                    // the text's last line.
                    emitElement(e, run.rects[i].translated(origin + QPointF(0, partGrowth)), run.row);
                }
                break;
            }
            case StretchRole::Reach: {
                if (!first && !anyHere) break;
                QRectF r = run.rects[i].translated(origin);
                r.setHeight(r.height() + (continues ? partGrowth : sourceShift));
                emitElement(e, r, run.row);
                break;
            }
        }
    }
}

double ReportLayouter::continuationHeight(const BandRun& run, const std::vector<int>& counts,
                                          double room) const {
    double shift = -std::numeric_limits<double>::infinity();
    double end = 0;
    bool goesOn = false;
    for (size_t i = 0; i < run.elements.size(); ++i) {
        if (run.roles[i].role != StretchRole::Stretch) continue;
        const size_t pi = static_cast<size_t>(run.planOf[i]);
        const TextPlan& p = run.plans[pi];
        const int n = counts[pi];
        if (static_cast<int>(p.lines.size()) - p.drawn - n > 0) goesOn = true;
        if (n == 0) continue;
        const double bottom = p.rect.top() + n * p.lineHeight;
        end = std::max(end, bottom);
        shift = std::max(shift, bottom - p.rect.bottom());
    }
    // A part that the text overruns fills its page; the last part keeps the
    // design's room under the text for the row's bottom rule.
    if (goesOn) return std::max(room, end);
    return std::max(end, run.height + shift);
}

void ReportLayouter::continueStretched(BandRun& run) {
    auto remaining = [](const TextPlan& p) { return static_cast<int>(p.lines.size()) - p.drawn; };
    auto pending = [&] {
        for (size_t i = 0; i < run.elements.size(); ++i) {
            if (run.roles[i].role == StretchRole::Stretch &&
                remaining(run.plans[static_cast<size_t>(run.planOf[i])]) > 0) {
                return true;
            }
        }
        return false;
    };
    const TReportBand& band = *run.band;
    while (pending()) {
        breakPage();
        const double room = report_.Page.bottomLimit() - y_;
        std::vector<int> counts(run.plans.size(), 0);
        for (size_t i = 0; i < run.elements.size(); ++i) {
            if (run.roles[i].role != StretchRole::Stretch) continue;
            const size_t pi = static_cast<size_t>(run.planOf[i]);
            const TextPlan& p = run.plans[pi];
            if (remaining(p) == 0) continue;
            // The text keeps its distance from the part's top and leaves the
            // design's room under it for what follows it (the bottom rule).
            const double top = std::max(0.0, p.rect.top());
            const double tail = std::max(0.0, run.height - p.rect.bottom());
            // At least one line per page, so that text taller than a page ends.
            counts[pi] = std::min(remaining(p), std::max(1, linesFitting(p, room - top - tail)));
        }
        const double height = continuationHeight(run, counts, room);
        const QPointF origin = bandOrigin();
        const QRectF strip(origin, QSizeF(report_.Page.bandWidth(), height));
        emitFill(band.name(), strip, band.Color);
        page().bands.push_back({band.name(), band.BandType, strip, true, run.row});
        drawPart(run, counts, origin, height, false);
        y_ += height;
    }
}

}  // namespace dorimek::report
