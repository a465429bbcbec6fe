#pragma once

#include <QString>

#include <cstdio>

namespace dorimek::platform {

// Opens path for reading bytes with the C library, whatever characters its
// name holds (on Windows through the wide-character call: the ANSI one loses
// every character outside the session's code page). nullptr and errno set
// when it can't be opened.
std::FILE* openForReading(const QString& path);

}  // namespace dorimek::platform
