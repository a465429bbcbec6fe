#pragma once

#include "Result.h"

#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>

namespace dorimek::platform {

// An exclusive lock that every writer of one of the program's files holds
// from the moment it checks the file to the moment its new content has
// replaced it, so that two windows (or two running programs) can't both pass
// the check and the later one undo the earlier one's change. Advisory: it
// binds only the program's own writers. The system drops it when its holder
// ends, however it ends, so a killed save never leaves the file locked.
//
// Held through an open descriptor of a lock file that is never removed
// (removing it while held would let a second holder lock a new file of the
// same name). On Windows the same lock file's first byte is locked instead.
class FileLock {
  public:
    // How long a writer waits for another one's save to end before it gives
    // up and says so. A save holds the lock for the time of one read and one
    // write of the file.
    static constexpr std::chrono::milliseconds kWait{5000};

    FileLock() = default;
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock();

    // Locks the lock file that guards dataPath: ".<name>.lock" in its folder.
    // Fails (ErrorKind::FileBusy, naming the file) when another writer still
    // holds it after wait. Where the lock file can't be created at all (a
    // folder nobody may write to), no writer can save there either: the
    // lock is then not held, and the write's own error tells the user why.
    static Result<FileLock> forFile(const QString& dataPath,
                                    std::chrono::milliseconds wait = kWait);
    // Locks lockPath itself, creating it when missing.
    static Result<FileLock> onLockFile(const QString& lockPath, const QString& nameForMessage,
                                       std::chrono::milliseconds wait = kWait);
    // ".<name>.lock" beside dataPath.
    static QString lockPathFor(const QString& dataPath);

    bool held() const { return handle_ != -1; }

    // For tests: called, with the lock file's path, each time a writer finds
    // the lock taken and starts waiting for it.
    static void setWaitingHook(std::function<void(const QString&)> hook);

  private:
    explicit FileLock(std::intptr_t handle) : handle_(handle) {}
    std::intptr_t handle_ = -1;  // the lock file's, open while the lock is held
};

}  // namespace dorimek::platform
