#include "TReportElement.h"

#include <utility>

namespace dorimek::report {

TReportElement::TReportElement(QString name, ElementKind kind)
    : name_(std::move(name)), kind_(kind) {}

TReportElement::~TReportElement() = default;

void TReportElement::setGeometryMm(double left, double top, double width, double height) {
    Left = mmToTenths(left);
    Top = mmToTenths(top);
    Width = mmToTenths(width);
    Height = mmToTenths(height);
}

}  // namespace dorimek::report
