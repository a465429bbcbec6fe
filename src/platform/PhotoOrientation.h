#pragma once

#include <QImage>
#include <QSize>

#include <cstddef>
#include <cstdint>

namespace dorimek::platform {

// How a camera says its picture must be turned to stand as it was taken: the
// orientation tag of an Exif block, 1 (as stored) to 8. Phones store the
// sensor's rows and leave the turning to whoever shows the picture.
//
// The orientation in an APP1 payload ("Exif\0\0" and a TIFF structure); 1
// when there is none or the block is damaged.
int exifOrientation(const std::uint8_t* data, std::size_t size);

// True for the orientations that swap width and height (5 to 8).
bool orientationSwapsSides(int orientation);

// The size the picture shows at, from the size it is stored at.
QSize orientedSize(QSize stored, int orientation);

// The stored picture turned and mirrored to stand upright.
QImage applyOrientation(const QImage& stored, int orientation);

}  // namespace dorimek::platform
