#pragma once

#include "PageFit.h"
#include "ReportTypes.h"

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <vector>

namespace dorimek::report {

// One drawing operation of a laid-out page. Coordinates are tenths of a
// millimetre from the page's top-left corner; texts and pictures are
// snapshots taken when the band was laid out, so later changes to the
// elements never alter a page already produced.
struct ReportOp {
    enum Type { Fill, Text, Line, Image };
    Type type = Fill;
    QString owner;  // element or band name
    QRectF rect;    // Fill: the area; Text: the line's box; Image: the target
    QColor color;   // fill colour, text colour or pen colour

    // Text
    QString text;
    TReportFont font;
    QPointF origin;  // left end of the baseline
    bool clipped = false;
    QRectF clip;

    // Line
    QPointF from;
    QPointF to;
    bool dotted = false;

    // Image (already reduced to the run's image resolution)
    QImage image;
};

// Where a band or an element landed on a page.
struct PlacedBand {
    QString name;
    TBandType type = rbDetail;
    QRectF rect;
    bool continuation = false;  // the part of a stretched band on a later page
    int row = 0;                // detail bands: 1-based data row
};

struct PlacedElement {
    QString name;
    QRectF rect;
    int lines = 0;  // text lines drawn here
    int row = 0;    // detail bands: 1-based data row
};

struct ReportPage {
    std::vector<ReportOp> ops;
    std::vector<PlacedBand> bands;
    std::vector<PlacedElement> elements;
};

// The result of a run: pages of drawing operations, shared by the preview,
// the printer and PDF export.
class ReportDocument {
  public:
    double pageWidth = 1820;   // tenths of a millimetre
    double pageLength = 2570;  // tenths of a millimetre
    double imageDpi = 300;
    std::vector<ReportPage> pages;
    // How the renderer places every page on the paper of the printer the run
    // was made for; the identity where the sheet fits as laid out.
    PageFit fit;
    // The paper a print job of this document asks the spooler for, as
    // "name=value": the one fit places the pages on.
    QString jobMedia = QStringLiteral("media=jis_b5_182x257mm");

    int pageCount() const { return static_cast<int>(pages.size()); }
    // The bands of a page in the order they were laid out.
    const std::vector<PlacedBand>& bandsOn(int page) const;
    // The n-th (0-based) placement of an element on a page, or nullptr.
    const PlacedElement* elementOn(int page, const QString& name, int n = 0) const;
    // Every text line drawn on a page, top to bottom in layout order.
    QStringList textsOn(int page) const;
    // The text lines an element drew on a page.
    QStringList textsOf(int page, const QString& owner) const;
};

}  // namespace dorimek::report
