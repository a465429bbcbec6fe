#include "SystemVersion.h"

#include <windows.h>

namespace dorimek::platform {

std::optional<int> systemMajorVersion() {
    // Without a manifest naming newer systems this answers 6 on every one
    // since Windows 8, which still tells the old systems (5 and below) from
    // the rest, the one thing the answer is used for.
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info)) return std::nullopt;
    return static_cast<int>(info.dwMajorVersion);
}

}  // namespace dorimek::platform
