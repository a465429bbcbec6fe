#include "PlatformVersion.h"

#include <windows.h>

namespace dorimek::platform {
namespace {
std::optional<int> g_override;
bool g_overridden = false;
}  // namespace

std::optional<int> majorVersion() {
    if (g_overridden) return g_override;
    // Without a manifest naming newer systems this answers 6 on every one
    // since Windows 8, which still tells the old systems (5 and below) from
    // the rest, the one thing the answer is used for.
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info)) return std::nullopt;
    return static_cast<int>(info.dwMajorVersion);
}

void overrideMajorVersion(std::optional<int> version) {
    g_override = version;
    g_overridden = version.has_value();
}

}  // namespace dorimek::platform
