#include "Faults.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace dorimek::faults {
namespace {

QString lastError() { return QString::fromLocal8Bit(std::strerror(errno)); }

// Sets or clears the immutable flag; false with errno set when the file
// system or the process can't.
bool setImmutable(const QByteArray& path, bool on) {
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return ok;
}

}  // namespace

std::optional<QString> makeImmutable(const QString& path, FaultGuard& guard) {
    const QByteArray native = QFile::encodeName(path);
    if (!setImmutable(native, true)) {
        return QStringLiteral("can't set the immutable attribute here: ") + lastError();
    }
    guard.onUndo([native] { setImmutable(native, false); });
    return std::nullopt;
}

std::optional<QString> mountSmallTmpfs(const QString& dir, int sizeKiB, FaultGuard& guard) {
    const QByteArray native = QFile::encodeName(dir);
    const QByteArray options = "size=" + QByteArray::number(sizeKiB) + "k,mode=0755";
    if (::mount("tmpfs", native.constData(), "tmpfs", MS_NOSUID | MS_NODEV | MS_NOEXEC,
                options.constData()) != 0) {
        return QStringLiteral("can't mount a small tmpfs here: ") + lastError();
    }
    guard.onUndo([native] { ::umount2(native.constData(), MNT_DETACH); });
    return std::nullopt;
}

void fillFileSystem(const QString& dir) {
    const QByteArray path = QFile::encodeName(dir + QStringLiteral("/filler"));
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return;
    const std::vector<char> chunk(4096, 'x');
    // Page by page, then byte by byte, so not even a tail of a page is left.
    while (::write(fd, chunk.data(), chunk.size()) > 0) {
    }
    while (::write(fd, chunk.data(), 1) > 0) {
    }
    ::close(fd);
}

void limitFileSize(size_t bytes, FaultGuard& guard) {
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = old;
    limited.rlim_cur = static_cast<rlim_t>(bytes);
    ::setrlimit(RLIMIT_FSIZE, &limited);
    guard.onUndo([old, oldHandler] {
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
    });
}

namespace {

// True when the process has a file in dir open for writing: the save's
// temporary file (named, or unnamed as "dir/#inode (deleted)"), or the file
// itself for a writer that would write in place.
bool writesInto(pid_t pid, const QByteArray& dir) {
    const QByteArray proc = "/proc/" + QByteArray::number(pid);
    DIR* fds = ::opendir((proc + "/fd").constData());
    if (fds == nullptr) return false;
    bool found = false;
    while (const dirent* entry = ::readdir(fds)) {
        if (entry->d_name[0] == '.') continue;
        char link[4096];
        const ssize_t n =
            ::readlink((proc + "/fd/" + entry->d_name).constData(), link, sizeof link - 1);
        if (n <= 0 || !QByteArray(link, static_cast<qsizetype>(n)).startsWith(dir + '/')) continue;
        // "flags:" in fdinfo is the open mode, in octal.
        QFile info(QString::fromLatin1(proc + "/fdinfo/" + entry->d_name));
        if (!info.open(QIODevice::ReadOnly)) continue;
        for (const QByteArray& line : info.readAll().split('\n')) {
            if (!line.startsWith("flags:")) continue;
            const int flags = line.mid(6).trimmed().toInt(nullptr, 8);
            if ((flags & O_ACCMODE) != O_RDONLY) found = true;
        }
        if (found) break;
    }
    ::closedir(fds);
    return found;
}

}  // namespace

KillOutcome killDuringSave(const QString& dir, const QString& target,
                           const std::function<Status()>& save) {
    KillOutcome outcome;
    const QByteArray nativeDir = QFile::encodeName(QFileInfo(dir).canonicalFilePath());
    const QByteArray targetName = QFile::encodeName(QFileInfo(target).fileName());

    // Tells afterwards whether anything was put in the target's place.
    const int watch = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (watch < 0 ||
        ::inotify_add_watch(watch, nativeDir.constData(), IN_CREATE | IN_MOVED_TO) < 0) {
        outcome.note = QStringLiteral("can't watch the folder: ") + lastError();
        if (watch >= 0) ::close(watch);
        return outcome;
    }

    const pid_t child = ::fork();
    if (child == 0) {
        const Status status = save();
        ::_exit(status.ok() ? 0 : 1);
    }
    if (child < 0) {
        outcome.note = QStringLiteral("can't fork: ") + lastError();
        ::close(watch);
        return outcome;
    }

    // Killed the moment it has a file open for writing there: the write of
    // many megabytes is then under way, or about to be.
    int status = 0;
    bool exited = false;
    for (int spins = 0;; ++spins) {
        if (writesInto(child, nativeDir)) {
            ::kill(child, SIGKILL);
            break;
        }
        if (::waitpid(child, &status, WNOHANG) == child) {
            exited = true;
            break;
        }
        if (spins > 600000) {  // about a minute: the save is stuck
            ::kill(child, SIGKILL);
            break;
        }
        ::usleep(100);
    }
    if (!exited) ::waitpid(child, &status, 0);

    bool replaced = false;
    alignas(inotify_event) char buffer[8192];
    for (ssize_t n; (n = ::read(watch, buffer, sizeof buffer)) > 0;) {
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->len > 0 && QByteArray(event->name) == targetName) replaced = true;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    ::close(watch);

    if (exited) {
        outcome.note = QStringLiteral("the save ended (status %1) before its file was open")
                           .arg(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    } else if (replaced) {
        outcome.note = QStringLiteral("the save had replaced the file before the kill landed");
    } else if (!WIFSIGNALED(status) || WTERMSIG(status) != SIGKILL) {
        outcome.note = QStringLiteral("the save ended before the kill");
    } else {
        outcome.killedMidWrite = true;
    }
    return outcome;
}

QStringList entriesOf(const QString& dir) {
    return QDir(dir).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

}  // namespace dorimek::faults
