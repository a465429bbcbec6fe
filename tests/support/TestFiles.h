#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace dorimek::testing {

// Writes bytes to path, creating the folder; aborts the test program on failure.
void writeBytes(const QString& path, std::string_view bytes);
// The whole file as bytes; empty when it can't be read.
std::string readBytes(const QString& path);
// Shift-JIS bytes for a UTF-8 literal, so tests can be written readably.
std::string sjis(const char* utf8);
// The source tree (for the bundled samples): DORIMEK_SOURCE_DIR when set,
// else the tree the tests were built from.
QString sourceDir();

}  // namespace dorimek::testing
