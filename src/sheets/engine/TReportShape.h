#pragma once

#include "TReportElement.h"

namespace dorimek::report {

// A rule through the middle of its rectangle, one device pixel wide.
class TReportShape : public TReportElement {
  public:
    TReportShape(QString name, TShapeType shape);

    TShapeType Shape = shHorLine;
    TPenStyle PenStyle = psSolid;
    QColor PenColor = Qt::black;
};

}  // namespace dorimek::report
