#include "AtomicFile.h"

#include "AtomicFileTexts.h"
#include "SystemError.h"
#include "WinHandle.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <string>

#include <windows.h>

// On NTFS a file is swapped for another in one step by ReplaceFile (which
// keeps the old file's attributes and permissions) or, where there is no old
// file, by MoveFileEx; the new bytes go to a file beside it first and reach
// the disk before the swap.
namespace dorimek::platform {
namespace {

using atomicfile::failed;

std::wstring native(const QString& path) { return QDir::toNativeSeparators(path).toStdWString(); }

// Six letters or digits, as the leftovers of a killed save are known by at
// the next start.
QString randomSix() {
    static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString six;
    for (int i = 0; i < 6; ++i) six += QLatin1Char(kChars[QRandomGenerator::global()->bounded(62)]);
    return six;
}

// A new file ".<name>.XXXXXX" beside the target, opened for writing; its path
// in *tmp.
HANDLE createBeside(const QString& folder, const QString& name, std::wstring* tmp) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString candidate = QStringLiteral("%1/.%2.%3").arg(folder, name, randomSix());
        *tmp = native(candidate);
        HANDLE h = CreateFileW(tmp->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return h;
    }
    SetLastError(ERROR_FILE_EXISTS);
    return INVALID_HANDLE_VALUE;
}

}  // namespace

Status writeFileAtomically(const QString& path, std::string_view bytes, QString* reason) {
    const QFileInfo info(path);
    const QString name = info.fileName();
    if (info.isDir()) return failed(name, atomicfile::folderIsInTheWay(), reason);

    const QString folder = info.absolutePath();
    std::wstring tmp;
    HANDLE h = createBeside(folder, name, &tmp);
    if (h == INVALID_HANDLE_VALUE) {
        return failed(name,
                      atomicfile::folderNotWritable(folder, windowsErrorReason(GetLastError())),
                      reason);
    }
    const bool written = win::writeAll(h, bytes) && FlushFileBuffers(h);
    const DWORD writeError = GetLastError();
    const bool closed = CloseHandle(h);
    if (!written || !closed) {
        const DWORD err = written ? GetLastError() : writeError;
        DeleteFileW(tmp.c_str());
        return failed(name, windowsErrorReason(err), reason);
    }
    callBeforeReplaceHook(path);
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
        return failed(name, atomicfile::notReplaced(windowsErrorReason(err)), reason);
    }
    return {};
}

}  // namespace dorimek::platform
