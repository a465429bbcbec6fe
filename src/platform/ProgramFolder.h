#pragma once

#include <QString>

namespace dorimek::platform {

// The folder of the program's own file, with its trailing separator.
QString programFolder();

// Makes folder the process's current directory; false when that fails.
bool setCurrentDirectory(const QString& folder);

}  // namespace dorimek::platform
