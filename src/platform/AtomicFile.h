#pragma once

#include "FileStamp.h"
#include "Result.h"

#include <QString>

#include <functional>
#include <string_view>

namespace dorimek::platform {

// Replaces the file at path with bytes in one step: the bytes go to a
// temporary file beside it, which is flushed to disk and renamed over the old
// file only when everything was written. On any failure the old file is left
// as it was, nothing is left beside it, and the error says in Japanese what
// happened and that nothing was saved. *reason, when given, receives the
// cause alone (for callers with a fixed text of their own).
Status writeFileAtomically(const QString& path, std::string_view bytes, QString* reason = nullptr);

// The same for a writer that wrote its content from what it read when
// `expected` was taken: under the file's lock (FileLock), it writes only when
// the file still holds that, and otherwise fails with ErrorKind::FileChanged
// and writes nothing, for the caller to ask the user. Fails with
// ErrorKind::FileBusy when another writer keeps the lock.
Status replaceFileIfUnchanged(const QString& path, const FileStamp& expected,
                              std::string_view bytes, QString* reason = nullptr);

// For tests: called with the file's path once the new content is written
// beside it and just before it replaces the old file.
void setBeforeReplaceHook(std::function<void(const QString&)> hook);
// Each system's writer calls it at that moment.
void callBeforeReplaceHook(const QString& path);

}  // namespace dorimek::platform
