#include "LockHandle.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace dorimek::platform::lockhandle {

Handle open(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    // A lock file another user made is still there to be locked for reading.
    if (fd < 0) fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    return fd < 0 ? kNone : fd;
}

Attempt tryLock(Handle handle) {
    const int fd = static_cast<int>(handle);
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        return errno == EWOULDBLOCK ? Attempt::Busy : Attempt::Unsupported;
    }
    return Attempt::Locked;
}

void close(Handle handle) {
    if (handle != kNone) ::close(static_cast<int>(handle));
}

}  // namespace dorimek::platform::lockhandle
