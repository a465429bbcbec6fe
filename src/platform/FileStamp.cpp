#include "FileStamp.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

namespace dorimek::platform {

Result<FileStamp> stampFile(const QString& path) {
    using R = Result<FileStamp>;
    FileStamp stamp;
    if (!QFileInfo::exists(path)) return stamp;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return R::failure(QStringLiteral("ファイル %1 を開けません: %2")
                              .arg(QFileInfo(path).fileName(), file.errorString()));
    }
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file) || file.error() != QFileDevice::NoError) {
        return R::failure(
            QStringLiteral("ファイル %1 を読み込めません").arg(QFileInfo(path).fileName()));
    }
    stamp.exists = true;
    stamp.size = file.size();
    stamp.digest = hash.result();
    return stamp;
}

FileStamp stampOf(std::string_view bytes) {
    FileStamp stamp;
    stamp.exists = true;
    stamp.size = static_cast<qint64>(bytes.size());
    stamp.digest =
        QCryptographicHash::hash(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())),
                                 QCryptographicHash::Sha256);
    return stamp;
}

}  // namespace dorimek::platform
