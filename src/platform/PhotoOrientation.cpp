#include "PhotoOrientation.h"

#include <QTransform>

#include <cstring>

namespace dorimek::platform {
namespace {

constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kTypeShort = 3;

struct TiffReader {
    const std::uint8_t* data;
    std::size_t size;
    bool little;

    bool has(std::size_t at, std::size_t n) const { return at <= size && n <= size - at; }
    std::uint16_t u16(std::size_t at) const {
        return little ? std::uint16_t(data[at] | data[at + 1] << 8)
                      : std::uint16_t(data[at] << 8 | data[at + 1]);
    }
    std::uint32_t u32(std::size_t at) const {
        return little ? std::uint32_t(data[at]) | std::uint32_t(data[at + 1]) << 8 |
                            std::uint32_t(data[at + 2]) << 16 | std::uint32_t(data[at + 3]) << 24
                      : std::uint32_t(data[at]) << 24 | std::uint32_t(data[at + 1]) << 16 |
                            std::uint32_t(data[at + 2]) << 8 | std::uint32_t(data[at + 3]);
    }
};

}  // namespace

int exifOrientation(const std::uint8_t* data, std::size_t size) {
    static const char kHeader[6] = {'E', 'x', 'i', 'f', 0, 0};
    if (data == nullptr || size < 6 + 8 || std::memcmp(data, kHeader, 6) != 0) return 1;
    const std::uint8_t* tiff = data + 6;
    const std::size_t tiffSize = size - 6;
    TiffReader r{tiff, tiffSize, tiff[0] == 'I'};
    if (!((tiff[0] == 'I' && tiff[1] == 'I') || (tiff[0] == 'M' && tiff[1] == 'M'))) return 1;
    if (r.u16(2) != 42) return 1;
    // The orientation stands in the first directory, the one of the picture
    // itself; the thumbnail's directory that may follow has its own.
    const std::uint32_t ifd = r.u32(4);
    if (!r.has(ifd, 2)) return 1;
    const std::uint16_t count = r.u16(ifd);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t entry = ifd + 2 + std::size_t{i} * 12;
        if (!r.has(entry, 12)) return 1;
        if (r.u16(entry) != kOrientationTag) continue;
        if (r.u16(entry + 2) != kTypeShort || r.u32(entry + 4) != 1) return 1;
        const int value = r.u16(entry + 8);
        return value >= 1 && value <= 8 ? value : 1;
    }
    return 1;
}

bool orientationSwapsSides(int orientation) { return orientation >= 5 && orientation <= 8; }

QSize orientedSize(QSize stored, int orientation) {
    return orientationSwapsSides(orientation) ? stored.transposed() : stored;
}

QImage applyOrientation(const QImage& stored, int orientation) {
    // Turns by whole quarters and mirrors move pixels without resampling.
    const auto turned = [&](qreal degrees) {
        return stored.transformed(QTransform().rotate(degrees), Qt::FastTransformation);
    };
    switch (orientation) {
        case 2:
            return stored.mirrored(true, false);
        case 3:
            return stored.mirrored(true, true);
        case 4:
            return stored.mirrored(false, true);
        case 5:  // mirrored across the falling diagonal
            return turned(90).mirrored(true, false);
        case 6:
            return turned(90);
        case 7:  // mirrored across the rising diagonal
            return turned(90).mirrored(false, true);
        case 8:
            return turned(270);
        default:
            return stored;
    }
}

}  // namespace dorimek::platform
