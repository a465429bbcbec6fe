#include "TReportImage.h"

namespace dorimek::report {

TReportImage::TReportImage(QString name) : TReportElement(std::move(name), kImage) {}

void TReportImage::setPicture(const QImage& picture) {
    // QImage shares pixels on copy; detach now so that whatever the caller
    // does to its image later never reaches the report.
    picture_ = picture.copy();
}

}  // namespace dorimek::report
