#include "SystemVersion.h"

#include <sys/utsname.h>

#include <cstdlib>

namespace dorimek::platform {

std::optional<int> systemMajorVersion() {
    struct utsname info {};
    if (uname(&info) != 0) return std::nullopt;
    char* end = nullptr;
    const long major = std::strtol(info.release, &end, 10);
    if (end == info.release || major < 0) return std::nullopt;
    return static_cast<int>(major);
}

}  // namespace dorimek::platform
