#include "AtomicFile.h"

#include "FileLock.h"

#include <QFileInfo>

namespace dorimek::platform {
namespace {

std::function<void(const QString&)>& beforeReplaceHook() {
    static std::function<void(const QString&)> hook;
    return hook;
}

}  // namespace

void setBeforeReplaceHook(std::function<void(const QString&)> hook) {
    beforeReplaceHook() = std::move(hook);
}

void callBeforeReplaceHook(const QString& path) {
    if (const auto& hook = beforeReplaceHook()) hook(path);
}

Status replaceFileIfUnchanged(const QString& path, const FileStamp& expected,
                              std::string_view bytes, QString* reason) {
    Result<FileLock> lock = FileLock::forFile(path);
    if (!lock) {
        if (reason) *reason = lock.error();
        return Status::failure(lock.error(), lock.errorKind());
    }
    // A file that can no longer be read is no longer what was read.
    const Result<FileStamp> now = stampFile(path);
    if (!now || !(*now == expected)) {
        const QString why =
            QStringLiteral("%1 は読み込んだ後に変更されています").arg(QFileInfo(path).fileName());
        if (reason) *reason = why;
        return Status::failure(why, ErrorKind::FileChanged);
    }
    return writeFileAtomically(path, bytes, reason);
}

}  // namespace dorimek::platform
