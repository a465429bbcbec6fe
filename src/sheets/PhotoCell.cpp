#include "PhotoCell.h"

#include "platform/PhotoDecoder.h"
#include "platform/Sjis.h"

#include <string>

namespace dorimek::sheets {

QString photoPathForName(std::string_view sjisName) {
    std::string bytes(sjisName);
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (platform::isDbcsLeadByte(b)) {
            ++i;
        } else if (b == '\\') {
            bytes[i] = '/';
        }
    }
    return platform::toUnicode(bytes);
}

PhotoCell loadPhotoCell(std::string_view sjisName, BoxProportion proportion, QSize cellPixels) {
    PhotoCell cell;
    if (sjisName.empty()) return cell;
    const QString path = photoPathForName(sjisName);
    if (!platform::canOpenPhoto(path)) {
        cell.state = PhotoCell::State::Missing;
        return cell;
    }
    const platform::PhotoKind kind = platform::photoKindForName(sjisName);

    // The cover size depends on the box, the box on the full size: read the
    // header first. A JPEG header costs a few kilobytes of reading; a bitmap's
    // reader is cheap either way.
    QSize cover;
    if (!cellPixels.isEmpty()) {
        const auto header = platform::readPhotoHeader(path, kind);
        if (!header) {
            cell.state = PhotoCell::State::Undecodable;
            cell.error = header.error();
            return cell;
        }
        const PhotoBox box = photoBoxFor(header->width, header->height, proportion);
        cover = coverPixelsFor(header->width, header->height, box, cellPixels);
    }
    auto decoded = platform::decodePhoto(path, kind, cover);
    if (!decoded) {
        cell.state = PhotoCell::State::Undecodable;
        cell.error = decoded.error();
        return cell;
    }
    const PhotoBox box = photoBoxFor(decoded->fullWidth, decoded->fullHeight, proportion);
    cell.box = paddedBoxImage(decoded->image, QSize(decoded->fullWidth, decoded->fullHeight), box);
    if (cell.box.isNull()) {
        cell.state = PhotoCell::State::Undecodable;
        cell.error = QStringLiteral("写真ファイル「%1」を表示用に整えられません。").arg(path);
        return cell;
    }
    cell.state = PhotoCell::State::Shown;
    return cell;
}

}  // namespace dorimek::sheets
