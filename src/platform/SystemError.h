#pragma once

#include <QString>

namespace dorimek::platform {

// What a failed file operation means for the user, in Japanese, from the
// system's error number. The system's own texts are English (or whatever the
// session's locale says) and never reach a message box.
QString fileErrorReason(int errorNumber);

// The same words for a Windows error code (GetLastError()); Windows only.
QString windowsErrorReason(unsigned long code);

}  // namespace dorimek::platform
