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

// How every page of one document is placed on the paper: reduced by scale
// about the page's centre, then moved by (dx, dy), all in tenths of a
// millimetre. The identity leaves the pages exactly as laid out.
struct PageFit {
    double scale = 1;
    double dx = 0;
    double dy = 0;

    bool isIdentity() const { return scale == 1 && dx == 0 && dy == 0; }
    // The reduction in whole percent, rounded down so that it never claims
    // less than it does.
    int percent() const;
    // What the previews tell the user; empty for the identity.
    QString notice() const;

    // Where a point of the laid-out page lands on the paper.
    QPointF map(const QPointF& p, const QSizeF& page) const;

    // The fit that brings the ink of all pages inside the printable area:
    // untouched when it lies inside already; otherwise the smallest
    // reduction that makes it fit, about the page's centre, and then only as
    // much shift as an off-centre printable area needs. Never enlarges.
    static PageFit forInk(const QRectF& ink, const QSizeF& page, const PrintableMargins& margins);
    static PageFit forDocument(const ReportDocument& document, const PrintableMargins& margins);
};

// The smallest rectangle holding everything that puts ink on any page of the
// document (white fills put none); empty for a document without ink.
QRectF inkBounds(const ReportDocument& document);

}  // namespace dorimek::report
