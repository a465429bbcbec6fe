#pragma once

#include "BandStretch.h"
#include "ReportDocument.h"
#include "TReport.h"

#include <string>
#include <vector>

namespace dorimek::report {

class TReportTextElement;

// Lays bands onto pages for one run. The data requests are the report's
// business; this class only knows where the next band goes, when a page
// ends and how stretching text continues on the next page.
class ReportLayouter {
  public:
    ReportLayouter(const TReport& report, ReportDocument& document, double imageDpi);

    // Begins a page at the top margin.
    void newPage();
    // Prints a band at the current position, starting a new page (with the
    // column header at its top) when the band doesn't fit. row: 1-based data
    // row of a detail band, 0 otherwise.
    void printBand(const TReportBand& band, int row = 0);

    int currentPage() const { return static_cast<int>(document_.pages.size()); }
    double position() const { return y_; }

  private:
    struct TextPlan {
        const TReportTextElement* element = nullptr;
        TReportFont font;
        double lineHeight = 0;
        double ascent = 0;
        QRectF rect;  // relative to the band, after AutoSize
        std::vector<std::string> lines;
        int drawn = 0;  // lines already placed
    };

    // One band being laid out, possibly over several pages: its enabled
    // elements, the text plans and how each element answers to stretching.
    struct BandRun {
        const TReportBand* band = nullptr;
        int row = 0;
        std::vector<const TReportElement*> elements;
        std::vector<int> planOf;  // per element: index into plans, or -1
        std::vector<TextPlan> plans;
        std::vector<StretchAssignment> roles;
        std::vector<int> firstCounts;  // per plan: lines on the band's first part
        std::vector<bool> placed;      // per element: already drawn for good
        // Per element: its place in the band once cells whose text needs
        // more lines than they show have made room; and the band's height then.
        std::vector<QRectF> rects;
        double height = 0;
    };

    void breakPage();
    // Where the rows of a fresh page begin: under the column header.
    double freshPageTop() const;
    ReportPage& page() { return document_.pages.back(); }
    QPointF bandOrigin() const { return {report_.Page.LeftMargin, y_}; }
    TextPlan planText(const TReportTextElement& e, const TReportBand& band) const;
    // How many of the plan's remaining lines fit into height.
    static int linesFitting(const TextPlan& plan, double height);
    // How many lines a cell that doesn't stretch shows in its height.
    static int shownLines(const TextPlan& plan);
    void emitFill(const QString& owner, const QRectF& rect, const QColor& color);
    void emitFrame(const QString& owner, const QRectF& rect, const TReportFrame& frame);
    void emitText(TextPlan& plan, int count, const QPointF& topLeft, double width, int row);
    // A shape or picture at rect (page coordinates).
    void emitElement(const TReportElement& e, const QRectF& rect, int row);
    // Draws the elements of one part of a band: the first part (at the
    // band's place) or a continuation on a later page. counts: lines of each
    // plan on this part.
    void drawPart(BandRun& run, const std::vector<int>& counts, const QPointF& origin,
                  double height, bool first);
    // The height of a continuation part with these counts.
    double continuationHeight(const BandRun& run, const std::vector<int>& counts,
                              double room) const;
    void continueStretched(BandRun& run);

    const TReport& report_;
    ReportDocument& document_;
    double imageDpi_;
    double y_ = 0;
    double freshPageTop_ = -1;  // position after the column header of a new page
    double headerHeight_ = -1;  // as the column header was last printed; -1 before
};

}  // namespace dorimek::report
