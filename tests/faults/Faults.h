#pragma once

#include "FaultGuard.h"
#include "platform/Result.h"

#include <QString>
#include <QStringList>

#include <cstddef>
#include <functional>
#include <optional>

namespace dorimek::faults {

// Ways to make a file write fail that hold for root too (the CI runs tests as
// root, where permission bits stop nothing). Each returns why it can't be
// done here (for GTEST_SKIP), or nothing when the fault is in place until
// guard undoes it.

// Sets the immutable attribute of a file or folder: even root can't create,
// replace or rename entries of an immutable folder, nor rename over an
// immutable file.
std::optional<QString> makeImmutable(const QString& path, FaultGuard& guard);

// Mounts a tmpfs of sizeKiB over the (empty) folder dir.
std::optional<QString> mountSmallTmpfs(const QString& dir, int sizeKiB, FaultGuard& guard);

// Fills the file system that holds dir with one filler file until no byte
// is left.
void fillFileSystem(const QString& dir);

// Limits the size of any file this process writes (RLIMIT_FSIZE), with
// SIGXFSZ ignored so that a write past the limit fails instead of killing
// the process.
void limitFileSize(size_t bytes, FaultGuard& guard);

// Runs save in a child process and kills it (SIGKILL) while the save is
// under way: once it has a file in dir open for writing, before anything
// took target's place.
struct KillOutcome {
    bool killedMidWrite = false;  // false: the save finished or failed first
    QString note;                 // what happened instead
};
KillOutcome killDuringSave(const QString& dir, const QString& target,
                           const std::function<Status()>& save);

// The names in dir, sorted, hidden ones included.
QStringList entriesOf(const QString& dir);

}  // namespace dorimek::faults
