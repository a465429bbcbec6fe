#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace dorimek::sheets {

// The lines a usage text prints as in its narrow cell ("朝昼夕 食後" → "朝昼夕",
// "食後"): split at every half-width blank. A blank at the start or after
// another blank gives an empty line, a blank at the end a trailing empty line;
// an empty text gives no line at all. A blank byte is never part of a
// double-byte character, so no lead-byte test is needed.
std::vector<std::string> splitUsage(std::string_view usage);

}  // namespace dorimek::sheets
