#include "FileLock.h"

#include "LockHandle.h"

#include <QFileInfo>
#include <QThread>

#include <utility>

namespace dorimek::platform {
namespace {

std::function<void(const QString&)>& waitingHook() {
    static std::function<void(const QString&)> hook;
    return hook;
}

// Polled rather than blocking, so that the wait has an end.
constexpr std::chrono::milliseconds kPoll{20};

}  // namespace

FileLock::FileLock(FileLock&& other) noexcept
    : handle_(std::exchange(other.handle_, lockhandle::kNone)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        lockhandle::close(handle_);
        handle_ = std::exchange(other.handle_, lockhandle::kNone);
    }
    return *this;
}

FileLock::~FileLock() { lockhandle::close(handle_); }

QString FileLock::lockPathFor(const QString& dataPath) {
    const QFileInfo info(dataPath);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".lock");
}

Result<FileLock> FileLock::forFile(const QString& dataPath, std::chrono::milliseconds wait) {
    return onLockFile(lockPathFor(dataPath), QFileInfo(dataPath).fileName(), wait);
}

Result<FileLock> FileLock::onLockFile(const QString& lockPath, const QString& nameForMessage,
                                      std::chrono::milliseconds wait) {
    const lockhandle::Handle handle = lockhandle::open(lockPath);
    if (handle == lockhandle::kNone) return FileLock();

    std::chrono::milliseconds waited{0};
    bool told = false;
    while (true) {
        const lockhandle::Attempt attempt = lockhandle::tryLock(handle);
        if (attempt == lockhandle::Attempt::Locked) break;
        if (attempt == lockhandle::Attempt::Unsupported) {
            // A file system without locks: writing unlocked is what the
            // program always did there.
            lockhandle::close(handle);
            return FileLock();
        }
        if (waited >= wait) {
            lockhandle::close(handle);
            return Result<FileLock>::failure(
                QStringLiteral("%1 はほかの画面（または同時に動いているもう一つの dorimek）が"
                               "保存しているところのため、保存できませんでした。"
                               "何も書き込んでいません。しばらくしてからもう一度保存してください。")
                    .arg(nameForMessage),
                ErrorKind::FileBusy);
        }
        if (!told) {
            told = true;
            if (const auto& hook = waitingHook()) hook(lockPath);
        }
        QThread::msleep(static_cast<unsigned long>(kPoll.count()));
        waited += kPoll;
    }
    return FileLock(handle);
}

void FileLock::setWaitingHook(std::function<void(const QString&)> hook) {
    waitingHook() = std::move(hook);
}

}  // namespace dorimek::platform
