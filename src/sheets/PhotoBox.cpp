#include "PhotoBox.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace dorimek::sheets {
namespace {

// The largest decode the photo decoder allows; the box is held to the same.
constexpr std::int64_t kMaxBoxPixels = 120'000'000;

}  // namespace

PhotoBox photoBoxFor(int w, int h, BoxProportion p) {
    // 64-bit products: a header may claim up to 65535 pixels a side and the
    // bitmap reader allows more.
    const std::int64_t t = std::int64_t{w} * p.height / p.width;
    if (h < t) {
        return PhotoBox{w, static_cast<int>(t), 0, static_cast<int>((t - h) / 2)};
    }
    const std::int64_t boxW = std::int64_t{h} * p.width / p.height;
    // A photo a pixel wider than the proportion allows gives a box a pixel
    // narrower than the photo; as ever, the photo is then drawn from the left
    // edge (the negative half truncates to 0) and loses that column.
    return PhotoBox{static_cast<int>(boxW), h, static_cast<int>((boxW - w) / 2), 0};
}

QSize coverPixelsFor(int w, int h, const PhotoBox& box, QSize cellPixels) {
    if (cellPixels.width() <= 0 || cellPixels.height() <= 0 || box.width <= 0 || box.height <= 0) {
        return {};
    }
    const double scale =
        std::max(double(cellPixels.width()) / box.width, double(cellPixels.height()) / box.height);
    if (scale >= 1.0) return {w, h};
    // A hair of slack keeps a product that is whole in exact arithmetic
    // from being pushed up by a rounding error.
    const auto up = [&](int n) { return std::max(1, int(std::ceil(n * scale - 1e-9))); };
    return {up(w), up(h)};
}

QImage paddedBoxImage(const QImage& photo, QSize full, const PhotoBox& box) {
    if (photo.isNull() || full.isEmpty() || box.width <= 0 || box.height <= 0) return {};
    const int pw = photo.width();
    const int ph = photo.height();
    const double fx = double(pw) / full.width();
    const double fy = double(ph) / full.height();

    // Along an axis without bars the box is the photo itself; along the padded
    // axis the box and the offset follow the decode's own factor.
    const int boxW = box.width == full.width() ? pw : std::max(1, int(std::lround(box.width * fx)));
    const int boxH =
        box.height == full.height() ? ph : std::max(1, int(std::lround(box.height * fy)));
    const int left = std::max(0, int(std::lround(box.photoLeft * fx)));
    const int top = std::max(0, int(std::lround(box.photoTop * fy)));

    // A photo of extreme proportions (a damaged or forged header, a strip one
    // pixel high) pads to a box far larger than any photo the decoder lets
    // through: a bitmap of a few hundred bytes would otherwise have us reserve
    // gigabytes for one cell. The caller reports the photo as not shown.
    if (std::int64_t{boxW} * boxH > kMaxBoxPixels) return {};

    if (boxW == pw && boxH == ph) {
        return photo.format() == QImage::Format_RGB32 ? photo
                                                      : photo.convertToFormat(QImage::Format_RGB32);
    }
    QImage out(boxW, boxH, QImage::Format_RGB32);
    if (out.isNull()) return {};
    out.fill(Qt::white);
    QPainter painter(&out);
    painter.drawImage(left, top, photo);
    painter.end();
    return out;
}

}  // namespace dorimek::sheets
