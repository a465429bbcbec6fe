#include "PhotoCell.h"

#include "PhotoResolver.h"
#include "platform/PhotoDecoder.h"
#include "platform/Sjis.h"

#include <QDir>

#include <string>

namespace dorimek::sheets {
namespace {

QString listed(const QStringList& paths) {
    QStringList shown;
    for (const QString& p : paths) shown.append(QDir::toNativeSeparators(p));
    return shown.join(QStringLiteral("、"));
}

// What the user reads about a photo that isn't shown: the name as the
// master file has it, where it was looked for, and why.
QString missingText(const QString& name, const PhotoLookup& lookup) {
    if (lookup.outcome == PhotoLookup::Outcome::Ambiguous) {
        return QStringLiteral(
                   "「%1」: 大文字・小文字だけが違うファイルがあり、どれか決められません（%2）。"
                   "使うファイルの名前を薬剤ファイルの名前と同じに直してください。")
            .arg(name, listed(lookup.candidates));
    }
    return QStringLiteral("「%1」: ファイルがありません（探した場所: %2）。")
        .arg(name, listed(lookup.tried));
}

}  // namespace

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
    PhotoResolver resolver;
    return loadPhotoCell(sjisName, proportion, cellPixels, resolver);
}

PhotoCell loadPhotoCell(std::string_view sjisName, BoxProportion proportion, QSize cellPixels,
                        PhotoResolver& resolver) {
    PhotoCell cell;
    if (sjisName.empty()) return cell;
    const QString name = platform::toUnicode(sjisName);
    const PhotoLookup lookup = resolver.resolve(sjisName);
    if (lookup.outcome != PhotoLookup::Outcome::Found) {
        cell.state = PhotoCell::State::Missing;
        cell.path = lookup.tried.value(0);
        cell.error = missingText(name, lookup);
        return cell;
    }
    cell.path = lookup.path;
    const auto failed = [&](const QString& why) {
        cell.state = PhotoCell::State::Undecodable;
        cell.error = QStringLiteral("「%1」: %2").arg(name, why);  // why names the path
        return cell;
    };

    // The cover size depends on the box, the box on the full size: read the
    // header first. A JPEG header costs a few kilobytes of reading; a bitmap's
    // reader is cheap either way.
    QSize cover;
    if (!cellPixels.isEmpty()) {
        const auto header = platform::readPhotoHeader(lookup.path);
        if (!header) return failed(header.error());
        const PhotoBox box = photoBoxFor(header->width, header->height, proportion);
        cover = coverPixelsFor(header->width, header->height, box, cellPixels);
    }
    auto decoded = platform::decodePhoto(lookup.path, cover);
    if (!decoded) return failed(decoded.error());
    const PhotoBox box = photoBoxFor(decoded->fullWidth, decoded->fullHeight, proportion);
    cell.box = paddedBoxImage(decoded->image, QSize(decoded->fullWidth, decoded->fullHeight), box);
    if (cell.box.isNull()) {
        return failed(QStringLiteral("写真ファイル「%1」を表示用に整えられません。")
                          .arg(QDir::toNativeSeparators(lookup.path)));
    }
    cell.state = PhotoCell::State::Shown;
    return cell;
}

}  // namespace dorimek::sheets
