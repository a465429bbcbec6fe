#pragma once

#include "ReportTypes.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QString>

#include <map>
#include <memory>
#include <string_view>
#include <utility>

namespace dorimek::report {

// Measures sheet text in one fixed resolution with hinting off, so that a
// line breaks at the same place in the preview, in a PDF and on paper,
// whatever device the page is finally drawn on. Needs a QGuiApplication.
class TextMeasurer {
  public:
    static constexpr int kDpi = 1200;

    static TextMeasurer& instance();

    // Widths and heights in tenths of a millimetre.
    double width(const TReportFont& font, const QString& text);
    double widthSjis(const TReportFont& font, std::string_view sjis);
    // Where the ink of a text ends, measured from where the text starts.
    double inkRightSjis(const TReportFont& font, std::string_view sjis);
    // The height of a line: the font's height for "W".
    double lineHeight(const TReportFont& font);
    double ascent(const TReportFont& font);

    // The font the sheets are drawn with (the mapped family, no hinting), at
    // a point size given by the caller.
    static QFont drawingFont(const TReportFont& font, double pointSize);

  private:
    TextMeasurer();
    const QFontMetricsF& metrics(const TReportFont& font);

    QImage device_;
    std::map<std::pair<QString, double>, std::unique_ptr<QFontMetricsF>> cache_;
};

}  // namespace dorimek::report
