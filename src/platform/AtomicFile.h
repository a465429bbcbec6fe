#pragma once

#include "Result.h"

#include <QString>

#include <string_view>

namespace dorimek::platform {

// Replaces the file at path with bytes in one step: the bytes go to a
// temporary file beside it, which is flushed to disk and renamed over the old
// file only when everything was written. On any failure the old file is left
// as it was, nothing is left beside it, and the error says in Japanese what
// happened and that nothing was saved. *reason, when given, receives the
// cause alone (for callers with a fixed text of their own).
Status writeFileAtomically(const QString& path, std::string_view bytes, QString* reason = nullptr);

}  // namespace dorimek::platform
