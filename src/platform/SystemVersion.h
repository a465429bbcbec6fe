#pragma once

#include <optional>

namespace dorimek::platform {

// The system's own answer, behind majorVersion(): one file per system.
std::optional<int> systemMajorVersion();

}  // namespace dorimek::platform
