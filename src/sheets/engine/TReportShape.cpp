#include "TReportShape.h"

namespace dorimek::report {

TReportShape::TReportShape(QString name, TShapeType shape)
    : TReportElement(std::move(name), shape == shHorLine ? kHorLine : kVertLine), Shape(shape) {}

}  // namespace dorimek::report
