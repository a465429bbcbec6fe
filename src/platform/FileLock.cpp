#include "FileLock.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace dorimek::platform {
namespace {

std::function<void(const QString&)>& waitingHook() {
    static std::function<void(const QString&)> hook;
    return hook;
}

// Polled rather than blocking, so that the wait has an end.
constexpr std::chrono::milliseconds kPoll{20};

}  // namespace

FileLock::FileLock(FileLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

FileLock::~FileLock() {
    // Closing the descriptor releases the lock.
    if (fd_ >= 0) ::close(fd_);
}

QString FileLock::lockPathFor(const QString& dataPath) {
    const QFileInfo info(dataPath);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".lock");
}

Result<FileLock> FileLock::forFile(const QString& dataPath, std::chrono::milliseconds wait) {
    return onLockFile(lockPathFor(dataPath), QFileInfo(dataPath).fileName(), wait);
}

Result<FileLock> FileLock::onLockFile(const QString& lockPath, const QString& nameForMessage,
                                      std::chrono::milliseconds wait) {
    const QByteArray native = QFile::encodeName(lockPath);
    int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    // A lock file another user made is still there to be locked for reading.
    if (fd < 0) fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return FileLock();

    // Each open has a lock of its own, so two windows of one program exclude
    // each other just as two programs do.
    std::chrono::milliseconds waited{0};
    bool told = false;
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK) {
            // A file system without locks: writing unlocked is what the
            // program always did there.
            ::close(fd);
            return FileLock();
        }
        if (waited >= wait) {
            ::close(fd);
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
    return FileLock(fd);
}

void FileLock::setWaitingHook(std::function<void(const QString&)> hook) {
    waitingHook() = std::move(hook);
}

}  // namespace dorimek::platform
