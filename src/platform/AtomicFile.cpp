#include "AtomicFile.h"

#include "AtomicFileTexts.h"
#include "SystemError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dorimek::platform {
namespace {

using atomicfile::failed;

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

}  // namespace

Status writeFileAtomically(const QString& path, std::string_view bytes, QString* reason) {
    const QFileInfo info(path);
    const QString name = info.fileName();
    if (info.isDir()) return failed(name, atomicfile::folderIsInTheWay(), reason);

    // The system's calls, not Qt's file classes: their error numbers say what
    // went wrong (disk full, no permission), where Qt's texts are English.
    const QString folder = info.absolutePath();
    QByteArray tmp =
        QFile::encodeName(folder + QStringLiteral("/.") + name + QStringLiteral(".XXXXXX"));
    const int fd = ::mkostemp(tmp.data(), O_CLOEXEC);
    if (fd < 0) {
        return failed(name, atomicfile::folderNotWritable(folder, fileErrorReason(errno)), reason);
    }
    // The new file gets the old one's permissions, or the usual ones.
    struct stat old {};
    if (::stat(QFile::encodeName(path).constData(), &old) == 0) {
        ::fchmod(fd, old.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    const bool written = writeAll(fd, bytes) && ::fsync(fd) == 0;
    const int writeError = errno;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) {
        const int err = written ? errno : writeError;
        ::unlink(tmp.constData());
        return failed(name, fileErrorReason(err), reason);
    }
    callBeforeReplaceHook(path);
    if (::rename(tmp.constData(), QFile::encodeName(path).constData()) != 0) {
        const int err = errno;
        ::unlink(tmp.constData());
        return failed(name, atomicfile::notReplaced(fileErrorReason(err)), reason);
    }
    return {};
}

}  // namespace dorimek::platform
