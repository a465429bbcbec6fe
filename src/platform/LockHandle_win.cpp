#include "LockHandle.h"

#include <QDir>

#include <string>

#include <windows.h>

namespace dorimek::platform::lockhandle {
namespace {

HANDLE toHandle(Handle h) { return reinterpret_cast<HANDLE>(h); }

}  // namespace

Handle open(const QString& path) {
    const std::wstring native = QDir::toNativeSeparators(path).toStdWString();
    // Shared for everything: the lock, not the open, is what excludes; the
    // handle is not inherited by programs we start.
    constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE h = CreateFileW(native.c_str(), GENERIC_READ | GENERIC_WRITE, kShare, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        h = CreateFileW(native.c_str(), GENERIC_READ, kShare, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    return h == INVALID_HANDLE_VALUE ? kNone : reinterpret_cast<Handle>(h);
}

Attempt tryLock(Handle handle) {
    OVERLAPPED at{};
    if (LockFileEx(toHandle(handle), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                   &at)) {
        return Attempt::Locked;
    }
    const DWORD error = GetLastError();
    return error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING ? Attempt::Busy
                                                                      : Attempt::Unsupported;
}

void close(Handle handle) {
    if (handle != kNone) CloseHandle(toHandle(handle));
}

}  // namespace dorimek::platform::lockhandle
