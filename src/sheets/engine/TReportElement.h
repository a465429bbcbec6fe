#pragma once

#include "ElementRow.h"
#include "ReportTypes.h"

#include <QRectF>
#include <QString>

namespace dorimek::report {

class TReportBand;

// An element at a fixed place in its band. Geometry in tenths of a
// millimetre, relative to the band's top-left corner; it may reach outside
// the band (rules that start above it) and is drawn where it lies.
class TReportElement {
  public:
    TReportElement(QString name, ElementKind kind);
    virtual ~TReportElement();
    TReportElement(const TReportElement&) = delete;
    TReportElement& operator=(const TReportElement&) = delete;

    const QString& name() const { return name_; }
    ElementKind kind() const { return kind_; }
    TReportBand* band() const { return band_; }

    double Left = 0;
    double Top = 0;
    double Width = 0;
    double Height = 0;
    bool Enabled = true;
    TReportFrame Frame;

    QRectF rect() const { return {Left, Top, Width, Height}; }
    void setGeometryMm(double left, double top, double width, double height);

  private:
    friend class TReportBand;
    QString name_;
    ElementKind kind_;
    TReportBand* band_ = nullptr;
};

}  // namespace dorimek::report
