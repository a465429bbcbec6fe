#include "BoundedLog.h"

#include "SystemError.h"
#include "WinHandle.h"

#include <QDir>

#include <string>

#include <windows.h>

namespace dorimek::platform {
namespace {

Status failed(const QString& path, DWORD code) {
    return Status::failure(
        QStringLiteral("ログ %1 に書き込めません（%2）。").arg(path, windowsErrorReason(code)));
}

bool readAll(HANDLE h, std::string& out) {
    out.clear();
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(h, start, nullptr, FILE_BEGIN)) return false;
    char buffer[65536];
    while (true) {
        DWORD n = 0;
        if (!ReadFile(h, buffer, sizeof buffer, &n, nullptr)) return false;
        if (n == 0) return true;
        out.append(buffer, n);
    }
}

}  // namespace

// The log is opened without leave to delete or rename it, so the file a
// writer locked is the one the path names until it is done; the lock covers
// the whole file and is waited for.
Status BoundedLog::append(std::string_view line) const {
    const std::string record = recordOf(line);

    const std::wstring name = QDir::toNativeSeparators(path_).toStdWString();
    const win::OwnedHandle file(CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return failed(path_, GetLastError());
    OVERLAPPED whole{};
    if (!LockFileEx(file.get(), LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole))
        return failed(path_, GetLastError());

    LARGE_INTEGER zero{};
    if (!SetFilePointerEx(file.get(), zero, nullptr, FILE_END) || !win::writeAll(file.get(), record))
        return failed(path_, GetLastError());
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) return failed(path_, GetLastError());
    if (size.QuadPart <= maxBytes_) return {};

    // Shortened in place, still under the lock: nobody appends meanwhile.
    std::string text;
    if (!readAll(file.get(), text)) return failed(path_, GetLastError());
    const std::string_view kept = newestLines(text, keepBytes_);
    if (!SetFilePointerEx(file.get(), zero, nullptr, FILE_BEGIN) || !SetEndOfFile(file.get()) ||
        !win::writeAll(file.get(), kept)) {
        return failed(path_, GetLastError());
    }
    return {};
}

}  // namespace dorimek::platform
