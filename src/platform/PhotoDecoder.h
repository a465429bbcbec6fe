#pragma once

#include "Result.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <optional>

#include <string_view>

namespace dorimek::platform {

// Drug photos are JPEG or Windows bitmap files, now and then another kind
// that Qt reads (a PNG saved by a newer tool).
enum class PhotoKind { Jpeg, Bitmap, Other };

// The kind the master file's name suggests: ".jpg" or ".JPG" anywhere in the
// name means JPEG, everything else a bitmap. Names lie (a JPEG named ".Jpg",
// a PNG named ".jpg"); the photo cells go by photoKindOfContent instead.
PhotoKind photoKindForName(std::string_view name);
PhotoKind photoKindForName(const QString& name);

// The kind the file's first bytes say it is; nothing for a file that can't be
// opened, is empty, or is of no kind there is a decoder for.
std::optional<PhotoKind> photoKindOfContent(const QString& path);

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

// The header's size, upright: a photo whose Exif orientation turns it by a
// quarter reports its sides swapped, as it will be shown.
Result<PhotoHeader> readPhotoHeader(const QString& path, PhotoKind kind);
// The same for the kind the file's content says.
Result<PhotoHeader> readPhotoHeader(const QString& path);

// Decodes no more than the output needs: the smallest scale M/8 (M = 1..8)
// whose result is at least coverPixels in both directions. An empty
// coverPixels, or one larger than the photo, decodes at full size. Damaged
// files (truncated, not of the named kind, random bytes, empty, zero-sized)
// come back as a failure with a Japanese text; nothing here ends the process.
// The picture comes upright (Exif orientation applied), with transparent
// parts on white. A progressive JPEG decoded at 1/8 reads only the scans that
// picture needs. A decoder that can't read a kind of file says why ("12ビット
// のJPEGには対応していません") rather than calling it damaged.
Result<DecodedPhoto> decodePhoto(const QString& path, PhotoKind kind, QSize coverPixels = {});
// The same for the kind the file's content says, whatever its name.
Result<DecodedPhoto> decodePhoto(const QString& path, QSize coverPixels);

// The M of the smallest scale M/8 at which a width x height photo still covers
// cover, with libjpeg's rounding (ceil(width * M / 8)). 8 when nothing smaller
// does or cover is empty.
int coveringScale(int width, int height, QSize cover);

}  // namespace dorimek::platform
