#include "TextMeasurer.h"

#include "platform/Sjis.h"

#include <algorithm>

namespace dorimek::report {
namespace {
constexpr double kTenthsPerDevicePixel = kTenthsPerInch / TextMeasurer::kDpi;
}

TextMeasurer& TextMeasurer::instance() {
    static TextMeasurer measurer;
    return measurer;
}

TextMeasurer::TextMeasurer() : device_(1, 1, QImage::Format_RGB32) {
    const int dotsPerMeter = qRound(kDpi / 0.0254);
    device_.setDotsPerMeterX(dotsPerMeter);
    device_.setDotsPerMeterY(dotsPerMeter);
}

QFont TextMeasurer::drawingFont(const TReportFont& font, double pointSize) {
    QFont f = platform::printFont(font.Name, pointSize);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setKerning(false);
    return f;
}

const QFontMetricsF& TextMeasurer::metrics(const TReportFont& font) {
    auto key = std::make_pair(font.Name, font.Size);
    auto it = cache_.find(key);
    if (it == cache_.end()) {
        const QFont f = drawingFont(font, font.Size > 0 ? font.Size : 10.0);
        it = cache_.emplace(key, std::make_unique<QFontMetricsF>(f, &device_)).first;
    }
    return *it->second;
}

double TextMeasurer::width(const TReportFont& font, const QString& text) {
    return metrics(font).horizontalAdvance(text) * kTenthsPerDevicePixel;
}

double TextMeasurer::widthSjis(const TReportFont& font, std::string_view sjis) {
    return width(font, platform::toUnicode(sjis));
}

double TextMeasurer::inkRightSjis(const TReportFont& font, std::string_view sjis) {
    const QRectF ink = metrics(font).tightBoundingRect(platform::toUnicode(sjis));
    return std::max(0.0, ink.right()) * kTenthsPerDevicePixel;
}

double TextMeasurer::lineHeight(const TReportFont& font) {
    return metrics(font).height() * kTenthsPerDevicePixel;
}

double TextMeasurer::ascent(const TReportFont& font) {
    return metrics(font).ascent() * kTenthsPerDevicePixel;
}

}  // namespace dorimek::report
