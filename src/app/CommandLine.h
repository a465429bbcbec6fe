#pragma once

#include <optional>

namespace dorimek::app {

// What the program answers before any window exists: --help and --version on
// standard output, and a display that can't be opened on standard error with
// its own exit status. nullopt: start as usual.
std::optional<int> answerCommandLine(int argc, char** argv);

}  // namespace dorimek::app
