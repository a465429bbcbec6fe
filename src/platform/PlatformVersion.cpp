#include "PlatformVersion.h"

#include <sys/utsname.h>

#include <cstdlib>

namespace dorimek::platform {
namespace {
std::optional<int> g_override;
bool g_overridden = false;
}  // namespace

std::optional<int> majorVersion() {
    if (g_overridden) return g_override;
    struct utsname info {};
    if (uname(&info) != 0) return std::nullopt;
    char* end = nullptr;
    const long major = std::strtol(info.release, &end, 10);
    if (end == info.release || major < 0) return std::nullopt;
    return static_cast<int>(major);
}

void overrideMajorVersion(std::optional<int> version) {
    g_override = version;
    g_overridden = version.has_value();
}

}  // namespace dorimek::platform
