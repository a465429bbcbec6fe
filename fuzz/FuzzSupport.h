#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace dorimek::fuzz {

// A folder of this process's own for the files a fuzz input is written to;
// removed when the process ends normally.
const QString& scratchDir();

// scratchDir()/name holding exactly bytes. The readers under test open files
// by name, so every input goes through a real file.
QString writeScratchFile(const char* name, std::string_view bytes);

// Stops the process with a message when an invariant breaks, so libFuzzer
// keeps the input that broke it.
[[noreturn]] void fail(const char* what);

inline void check(bool condition, const char* what) {
    if (!condition) fail(what);
}

}  // namespace dorimek::fuzz
