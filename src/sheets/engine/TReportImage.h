#pragma once

#include "TReportElement.h"

#include <QImage>

namespace dorimek::report {

class TReportImage : public TReportElement {
  public:
    explicit TReportImage(QString name);

    bool Stretch = true;
    bool Center = true;

    // The element keeps its own copy; the caller may discard its image.
    void setPicture(const QImage& picture);
    void clear() { picture_ = QImage(); }
    const QImage& picture() const { return picture_; }
    bool isEmpty() const { return picture_.isNull(); }

  private:
    QImage picture_;
};

}  // namespace dorimek::report
