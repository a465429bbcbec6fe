#pragma once

#include <QString>

#include <cstdint>

// The system's side of FileLock: an open lock file and its exclusive lock.
namespace dorimek::platform::lockhandle {

using Handle = std::intptr_t;
constexpr Handle kNone = -1;

// Opens the lock file, creating it when missing, or for reading where it
// can't be created or written; kNone when it can't be opened at all.
Handle open(const QString& path);

enum class Attempt { Locked, Busy, Unsupported };
// Tries the exclusive lock once without waiting. Each open handle has a lock
// of its own, so two windows of one program exclude each other just as two
// programs do.
Attempt tryLock(Handle handle);

// Closing releases the lock.
void close(Handle handle);

}  // namespace dorimek::platform::lockhandle
