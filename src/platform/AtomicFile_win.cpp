#include "AtomicFile.h"

#include "SystemError.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <string>

#include <windows.h>

// On NTFS a file is swapped for another in one step by ReplaceFile (which
// keeps the old file's attributes and permissions) or, where there is no old
// file, by MoveFileEx; the new bytes go to a file beside it first and reach
// the disk before the swap.
namespace dorimek::platform {
namespace {

Status failed(const QString& name, const QString& why, QString* reason) {
    if (reason) *reason = why;
    return Status::failure(
        QStringLiteral("ファイル %1 を書き込めません（%2）。何も保存していません。")
            .arg(name, why));
}

// The user's words for a system error code: the same ones the other systems
// give for the same trouble.
QString windowsErrorReason(DWORD code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
            return fileErrorReason(ENOENT);
        case ERROR_ACCESS_DENIED:
            return fileErrorReason(EACCES);
        case ERROR_WRITE_PROTECT:
            return fileErrorReason(EROFS);
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return fileErrorReason(ENOSPC);
        case ERROR_FILENAME_EXCED_RANGE:
            return fileErrorReason(ENAMETOOLONG);
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
        case ERROR_TOO_MANY_OPEN_FILES:
            return fileErrorReason(ENOMEM);
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_USER_MAPPED_FILE:
            return fileErrorReason(EBUSY);
        case ERROR_CRC:
        case ERROR_READ_FAULT:
        case ERROR_WRITE_FAULT:
        case ERROR_GEN_FAILURE:
            return fileErrorReason(EIO);
        default:
            return QStringLiteral("システムのエラー %1").arg(code);
    }
}

std::wstring native(const QString& path) { return QDir::toNativeSeparators(path).toStdWString(); }

// A new file beside the target, opened for writing; its path in *tmp.
HANDLE createBeside(const QString& folder, const QString& name, std::wstring* tmp) {
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString candidate = QStringLiteral("%1/.%2.%3-%4")
                                      .arg(folder, name)
                                      .arg(GetCurrentProcessId())
                                      .arg(++counter + GetTickCount() % 100000);
        *tmp = native(candidate);
        HANDLE h = CreateFileW(tmp->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return h;
    }
    SetLastError(ERROR_FILE_EXISTS);
    return INVALID_HANDLE_VALUE;
}

bool writeAll(HANDLE h, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!WriteFile(h, bytes.data(), chunk, &written, nullptr)) return false;
        if (written == 0) {
            SetLastError(ERROR_DISK_FULL);
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

}  // namespace

Status writeFileAtomically(const QString& path, std::string_view bytes, QString* reason) {
    const QFileInfo info(path);
    const QString name = info.fileName();
    if (info.isDir()) return failed(name, QStringLiteral("同じ名前のフォルダがあります"), reason);

    const QString folder = info.absolutePath();
    std::wstring tmp;
    HANDLE h = createBeside(folder, name, &tmp);
    if (h == INVALID_HANDLE_VALUE) {
        return failed(
            name,
            QStringLiteral("フォルダ %1 に書き込めません: %2")
                .arg(QDir::toNativeSeparators(folder), windowsErrorReason(GetLastError())),
            reason);
    }
    const bool written = writeAll(h, bytes) && FlushFileBuffers(h);
    const DWORD writeError = GetLastError();
    const bool closed = CloseHandle(h);
    if (!written || !closed) {
        const DWORD err = written ? GetLastError() : writeError;
        DeleteFileW(tmp.c_str());
        return failed(name, windowsErrorReason(err), reason);
    }
    const std::wstring target = native(info.absoluteFilePath());
    bool replaced = false;
    if (info.exists()) {
        replaced = ReplaceFileW(target.c_str(), tmp.c_str(), nullptr,
                                REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr);
    }
    // No old file, or one ReplaceFile can't take over (a file system without
    // its support): a plain move over it is still one step.
    if (!replaced && !MoveFileExW(tmp.c_str(), target.c_str(),
                                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD err = GetLastError();
        DeleteFileW(tmp.c_str());
        return failed(
            name,
            QStringLiteral("元のファイルを置き換えられません: %1").arg(windowsErrorReason(err)),
            reason);
    }
    return {};
}

}  // namespace dorimek::platform
