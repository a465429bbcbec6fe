#pragma once

#include "ElementRow.h"
#include "ReportTypes.h"

#include <QString>

#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace dorimek::report {

class TReport;
class TReportElement;
class TReportImage;
class TReportLabel;
class TReportMemo;
class TReportShape;

// A band: a strip of the page as wide as the space between the side margins,
// holding elements at fixed positions. It owns its elements.
class TReportBand {
  public:
    TReportBand(QString name, TBandType type, TReport* report);
    ~TReportBand();
    TReportBand(const TReportBand&) = delete;
    TReportBand& operator=(const TReportBand&) = delete;

    const QString& name() const { return name_; }
    TReport* report() const { return report_; }

    TBandType BandType;
    double Height = 0;  // tenths of a millimetre
    QColor Color = Qt::white;
    TReportFrame Frame;
    bool ForceNewPage = false;
    std::optional<TReportFont> Font;  // unset: the report's font

    // Adds one layout row; returns the new element (never null).
    TReportElement* add(const ElementRow& spec);
    // Typed forms for the elements a sheet fills; the row's kind must match.
    TReportLabel* addLabel(const ElementRow& spec);
    TReportMemo* addMemo(const ElementRow& spec);
    TReportShape* addShape(const ElementRow& spec);
    TReportImage* addImage(const ElementRow& spec);
    // A whole layout table at once, in drawing order.
    void addAll(std::span<const ElementRow> table);
    void addAll(std::initializer_list<ElementRow> table);

    // Removes the element of that name; false when the band has none.
    bool remove(const QString& name);

    const std::vector<std::unique_ptr<TReportElement>>& elements() const { return elements_; }
    TReportElement* element(const QString& name) const;

    // The font that elements without their own use.
    TReportFont effectiveFont() const;
    // Width of the band: the page width less both side margins.
    double width() const;

  private:
    QString name_;
    TReport* report_;
    std::vector<std::unique_ptr<TReportElement>> elements_;
};

}  // namespace dorimek::report
