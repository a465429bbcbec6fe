// Drug photos as they come: any bytes, named as a JPEG and as a bitmap, loaded
// for the sheet's cell the way the sheets and the preview load them.
#include "FuzzSupport.h"

#include "platform/PhotoDecoder.h"
#include "platform/PhotoOrientation.h"
#include "sheets/PhotoBox.h"
#include "sheets/PhotoCell.h"

#include <QByteArray>
#include <QSize>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using namespace dorimek;
using dorimek::fuzz::check;
using sheets::PhotoCell;

namespace {

// Cell sizes in device pixels: the on-screen preview, and a photo cell at
// 300 and 600 dots per inch.
constexpr std::array<QSize, 3> kCells = {QSize(84, 76), QSize(269, 238), QSize(537, 475)};

std::string sjisPath(const QString& path) {
    const QByteArray local = path.toLocal8Bit();  // the scratch folder is plain ASCII
    return std::string(local.constData(), static_cast<size_t>(local.size()));
}

void loadAs(const char* name, std::string_view bytes, sheets::BoxProportion proportion,
            QSize cell) {
    const QString path = fuzz::writeScratchFile(name, bytes);
    const PhotoCell loaded = sheets::loadPhotoCell(sjisPath(path), proportion, cell);
    switch (loaded.state) {
        case PhotoCell::State::Shown:
            check(!loaded.box.isNull() && loaded.box.width() > 0 && loaded.box.height() > 0,
                  "a shown photo has no picture");
            check(loaded.box.format() == QImage::Format_RGB32, "a shown photo in another format");
            // No cell is worth more than the largest decode (480 MB).
            check(qint64{loaded.box.width()} * loaded.box.height() <= 120'000'000,
                  "a padded box beyond the pixel budget");
            break;
        case PhotoCell::State::Undecodable:
            check(!loaded.error.isEmpty(), "an undecodable photo without a message");
            check(loaded.box.isNull(), "an undecodable photo with a picture");
            break;
        case PhotoCell::State::NoPhoto:
        case PhotoCell::State::Missing:
            fuzz::fail("a photo file that is there was not loaded");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const QSize cell = kCells[size % kCells.size()];

    // The same bytes through both decoders: a bitmap named .jpg and a JPEG
    // named .bmp are as likely in a clinic's folder as damaged files.
    loadAs("photo.jpg", bytes, sheets::kPhotoProportionStyle2, cell);
    loadAs("photo.bmp", bytes, sheets::kPhotoProportionStyle3, cell);

    // An Exif block of any bytes gives an orientation the pictures know.
    const std::string exif = std::string("Exif\0\0", 6) + std::string(bytes);
    for (const std::string_view block : {bytes, std::string_view(exif)}) {
        const int o = platform::exifOrientation(reinterpret_cast<const std::uint8_t*>(block.data()),
                                                block.size());
        check(o >= 1 && o <= 8, "an orientation outside 1 to 8");
    }

    // Read by what the bytes are: the kind chosen must decode or say why.
    {
        const QString path = fuzz::scratchDir() + QStringLiteral("/photo.jpg");
        const auto decoded = platform::decodePhoto(path, cell);
        check(decoded.ok() || !decoded.error().isEmpty(), "a failed decode without a message");
        if (decoded.ok()) {
            const auto header = platform::readPhotoHeader(path);
            check(header.ok() && header->width == decoded->fullWidth &&
                      header->height == decoded->fullHeight,
                  "header and decode by content disagree on the size");
        }
    }

    // The header and a decode agree on the photo's size.
    for (const auto kind : {platform::PhotoKind::Jpeg, platform::PhotoKind::Bitmap}) {
        const QString path =
            fuzz::scratchDir() + (kind == platform::PhotoKind::Jpeg ? QStringLiteral("/photo.jpg")
                                                                    : QStringLiteral("/photo.bmp"));
        const auto decoded = platform::decodePhoto(path, kind, cell);
        if (!decoded) {
            check(!decoded.error().isEmpty(), "a failed decode without a message");
            continue;
        }
        check(!decoded->image.isNull(), "a decode without an image");
        const auto header = platform::readPhotoHeader(path, kind);
        check(header.ok(), "a decodable photo without a readable header");
        check(header->width == decoded->fullWidth && header->height == decoded->fullHeight,
              "header and decode disagree on the size");
    }
    return 0;
}
