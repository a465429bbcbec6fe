#pragma once

#include <QImage>
#include <QSize>

namespace dorimek::sheets {

// The shape of a photo cell, in whole units: the photo is padded to exactly
// this proportion so that stretching it into the cell distorts nothing.
struct BoxProportion {
    int width;
    int height;
};

// Style 2's photo cell (22.75 x 20.11 mm).
inline constexpr BoxProportion kPhotoProportionStyle2{86, 76};
// Style 3's narrower photo cell, and the on-screen preview's 82 x 76 image.
inline constexpr BoxProportion kPhotoProportionStyle3{82, 76};

// The white box a photo of the given full size is centred in, and where the
// photo sits inside it, all in full-size pixels.
struct PhotoBox {
    int width = 0;
    int height = 0;
    int photoLeft = 0;
    int photoTop = 0;
    bool operator==(const PhotoBox&) const = default;
};

// Whole-number arithmetic, remainders dropped, from the photo's full size:
// t = w*ph/pw; a photo flatter than the cell (h < t) gets a w x t box with
// bars above and below, any other a (h*pw/ph) x h box with bars at the sides.
PhotoBox photoBoxFor(int w, int h, BoxProportion proportion);

// How large a decode of a w x h photo must at least be so that its box, once
// stretched into a cell of cellPixels device pixels, needs no enlarging.
// An empty cellPixels asks for the full size.
QSize coverPixelsFor(int w, int h, const PhotoBox& box, QSize cellPixels);

// The padded box as an image, built from a photo decoded at a reduced size
// (photo is about photo.size()/full of the original in each direction). Box
// and offsets are scaled by the same factor, so the photo lands on paper
// where a full-size decode would have put it. At full size this is exactly
// the box of photoBoxFor. White outside the photo; Format_RGB32.
QImage paddedBoxImage(const QImage& photo, QSize full, const PhotoBox& box);

}  // namespace dorimek::sheets
