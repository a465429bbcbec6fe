#pragma once

#include <optional>

namespace dorimek::platform {

// The platform's major version. On Linux this is the running kernel's major
// version, which is what decides between the on-screen preview (6 and later)
// and the report engine's own preview. nullopt when it can't be read.
std::optional<int> majorVersion();

// Tests pin the answer to either side of the threshold; nullopt restores the
// real query.
void overrideMajorVersion(std::optional<int> version);

}  // namespace dorimek::platform
