#pragma once

#include <QRectF>
#include <QString>

namespace dorimek::report {

class ReportDocument;

// The part of the paper a printer can put ink on, as margins in tenths of a
// millimetre from each edge. All zero: the printer prints to the edge.
struct PrintableMargins {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
};

// How every page of one document is placed on the paper: centred on it,
// reduced by scale about the page's centre, then moved by (dx, dy), all in
// tenths of a millimetre. The identity leaves the pages exactly as laid out.
struct PageFit {
    double scale = 1;
    double dx = 0;
    double dy = 0;
    // The paper when it isn't the page's own size (a printer without JIS B5
    // prints the sheet on a paper it has); empty: the page's size.
    QSizeF paper;

    bool isIdentity() const { return scale == 1 && dx == 0 && dy == 0 && paper.isEmpty(); }
    QSizeF paperFor(const QSizeF& page) const { return paper.isEmpty() ? page : paper; }
    // The reduction in whole percent, rounded down so that it never claims
    // less than it does.
    int percent() const;
    // What the previews tell the user of a reduction or a shift; empty
    // without either (a page merely centred on a larger paper).
    QString notice() const;

    // Where a point of the laid-out page lands on the paper.
    QPointF map(const QPointF& p, const QSizeF& page) const;

    // The fit that brings the ink of all pages inside the printable area of
    // the paper (empty: the page's size), the page centred on it: untouched
    // when the ink lies inside already; otherwise the smallest reduction that
    // makes it fit, about the page's centre, and then only as much shift as
    // an off-centre printable area needs. Never enlarges.
    static PageFit forInk(const QRectF& ink, const QSizeF& page, const PrintableMargins& margins,
                          const QSizeF& paper = {});
    static PageFit forDocument(const ReportDocument& document, const PrintableMargins& margins,
                               const QSizeF& paper = {});
};

// The smallest rectangle holding everything that puts ink on any page of the
// document (white fills put none); empty for a document without ink.
QRectF inkBounds(const ReportDocument& document);

}  // namespace dorimek::report
