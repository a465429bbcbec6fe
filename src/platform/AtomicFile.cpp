#include "AtomicFile.h"

#include <QFileInfo>
#include <QSaveFile>

namespace dorimek::platform {

Status writeFileAtomically(const QString& path, std::string_view bytes) {
    const QString name = QFileInfo(path).fileName();
    if (QFileInfo(path).isDir()) {
        return Status::failure(QStringLiteral("ファイル %1 を書き込めません（同じ名前のフォルダがあります）").arg(name));
    }
    QSaveFile file(path);
    // Unbuffered: with Qt's own buffer a short write at commit time (disk
    // full, file-size limit) is dropped silently and commit() still succeeds,
    // renaming a truncated file over the good one. Writing straight through
    // makes write() report the short count, which is checked below.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return Status::failure(QStringLiteral("ファイル %1 を書き込めません: %2").arg(name, file.errorString()));
    }
    const qint64 written = file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    if (written != static_cast<qint64>(bytes.size())) {
        const QString why = file.errorString();
        file.cancelWriting();
        return Status::failure(QStringLiteral("ファイル %1 を書き込めません: %2").arg(name, why));
    }
    if (!file.commit()) {
        return Status::failure(QStringLiteral("ファイル %1 を書き込めません: %2").arg(name, file.errorString()));
    }
    return {};
}

}  // namespace dorimek::platform
