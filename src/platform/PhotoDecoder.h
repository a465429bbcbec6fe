#pragma once

#include "Result.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <string_view>

namespace dorimek::platform {

// Drug photos are JPEG or Windows bitmap files. Which decoder reads a file is
// decided by its name alone, the way the master file has always named them:
// ".jpg" or ".JPG" anywhere in the name means JPEG, everything else (".Jpg",
// ".jpeg" included) is read as a bitmap.
enum class PhotoKind { Jpeg, Bitmap };

PhotoKind photoKindForName(std::string_view name);
PhotoKind photoKindForName(const QString& name);

// The photo's full size in pixels, as its header states it.
struct PhotoHeader {
    int width = 0;
    int height = 0;
};

// A photo decoded at a reduced scale. fullWidth/fullHeight are the header's
// size; the image is (about) scaleNum/scaleDenom of it in each direction.
// Layout arithmetic works on the full size so that the printed result does
// not depend on the scale a decode happened to use.
struct DecodedPhoto {
    QImage image;  // Format_RGB32, never null on success
    int fullWidth = 0;
    int fullHeight = 0;
    int scaleNum = 8;
    int scaleDenom = 8;
};

// True when the file exists and can be opened for reading. A photo that is
// missing is not an error for the sheets; one that opens but does not decode is.
bool canOpenPhoto(const QString& path);

Result<PhotoHeader> readPhotoHeader(const QString& path, PhotoKind kind);

// Decodes no more than the output needs: the smallest scale M/8 (M = 1..8)
// whose result is at least coverPixels in both directions. An empty
// coverPixels, or one larger than the photo, decodes at full size. Damaged
// files (truncated, not of the named kind, random bytes, empty, zero-sized)
// come back as a failure with a Japanese text; nothing here ends the process.
Result<DecodedPhoto> decodePhoto(const QString& path, PhotoKind kind, QSize coverPixels = {});

// The M of the smallest scale M/8 at which a width x height photo still covers
// cover, with libjpeg's rounding (ceil(width * M / 8)). 8 when nothing smaller
// does or cover is empty.
int coveringScale(int width, int height, QSize cover);

}  // namespace dorimek::platform
