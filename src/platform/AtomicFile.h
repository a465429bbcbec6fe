#pragma once

#include "Result.h"

#include <QString>

#include <string_view>

namespace dorimek::platform {

// Replaces the file at path with bytes in one step: the bytes go to a
// temporary file beside it, which is flushed to disk and renamed over the old
// file only when everything was written. On any failure the old file is left
// as it was and the error says why, in Japanese.
Status writeFileAtomically(const QString& path, std::string_view bytes);

}  // namespace dorimek::platform
