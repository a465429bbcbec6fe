#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace dorimek::app {

// What the program answers before any window exists: --help and --version on
// standard output, and a display that can't be opened on standard error with
// its own exit status. nullopt: start as usual. noDisplay, when given, hears
// why there is no display before the program ends (a host's run keeps a
// record of it).
std::optional<int> answerCommandLine(
    int argc, char** argv, const std::function<void(const QString& reason)>& noDisplay = {});

}  // namespace dorimek::app
