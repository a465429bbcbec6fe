#include "SystemProcesses.h"

#include <QDir>
#include <QFileInfo>

#include <windows.h>
#include <tlhelp32.h>

namespace dorimek::platform::processes {
namespace {

QString exeNameOf(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return {};
    wchar_t path[MAX_PATH * 4];
    DWORD size = static_cast<DWORD>(std::size(path));
    const bool ok = QueryFullProcessImageNameW(process, 0, path, &size);
    CloseHandle(process);
    return ok ? QFileInfo(QString::fromWCharArray(path, static_cast<int>(size))).fileName()
              : QString();
}

}  // namespace

bool running(qint64 pid) {
    if (pid <= 0 || pid > 0xFFFFFFFFLL) return false;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (!process) {
        // Denied: there is such a process, only not ours to look at.
        return GetLastError() == ERROR_ACCESS_DENIED;
    }
    DWORD code = 0;
    const bool alive = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    return alive;
}

QDateTime startOfThisProcess() {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return {};
    // 100-ns steps since 1601-01-01 (UTC).
    const qint64 steps = (static_cast<qint64>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
    constexpr qint64 kEpochSteps = 116444736000000000LL;  // 1970-01-01
    return QDateTime::fromMSecsSinceEpoch((steps - kEpochSteps) / 10000, Qt::UTC);
}

bool anotherCopyRunning() {
    const DWORD self = GetCurrentProcessId();
    const QString own = exeNameOf(self);
    if (own.isEmpty()) return true;  // can't tell: assume the worst
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return true;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (bool more = Process32FirstW(snapshot, &entry); more && !found;
         more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ProcessID == self) continue;
        found = QString::fromWCharArray(entry.szExeFile).compare(own, Qt::CaseInsensitive) == 0;
    }
    CloseHandle(snapshot);
    return found;
}

QString executableFile() {
    wchar_t path[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
    if (n == 0 || n >= std::size(path)) return {};
    return QDir::fromNativeSeparators(QString::fromWCharArray(path, static_cast<int>(n)));
}

}  // namespace dorimek::platform::processes
