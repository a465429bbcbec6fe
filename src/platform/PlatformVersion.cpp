#include "PlatformVersion.h"

#include "SystemVersion.h"

namespace dorimek::platform {
namespace {
std::optional<int> g_override;
}  // namespace

std::optional<int> majorVersion() {
    if (g_override) return g_override;
    return systemMajorVersion();
}

void overrideMajorVersion(std::optional<int> version) { g_override = version; }

}  // namespace dorimek::platform
