#include "BoundedLog.h"

#include "SystemError.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <string>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dorimek::platform {
namespace {

// A writer that waited for the lock on a log someone removed or replaced
// meanwhile opens it again; more rounds mean something keeps doing so.
constexpr int kOpenRounds = 8;

class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);  // also releases the lock
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

Status failed(const QString& path, int errorNumber) {
    return Status::failure(
        QStringLiteral("ログ %1 に書き込めません（%2）。").arg(path, fileErrorReason(errorNumber)));
}

bool lockExclusive(int fd) {
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) return false;
    }
    return true;
}

// True while the open file is still the one the path names: a line appended
// to a removed file would be lost.
bool stillNamedBy(int fd, const QByteArray& path) {
    struct stat open {};
    struct stat named {};
    return ::fstat(fd, &open) == 0 && ::stat(path.constData(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

bool readAll(int fd, std::string& out) {
    out.clear();
    char buffer[65536];
    off_t at = 0;
    while (true) {
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, at);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        out.append(buffer, static_cast<size_t>(n));
        at += n;
    }
}

// The staff share the program folder as a group: a log the first of them
// creates must take the others' lines too.
int openOrCreate(const QByteArray& path) {
    constexpr int kFlags = O_RDWR | O_APPEND | O_CLOEXEC;
    const int created = ::open(path.constData(), kFlags | O_CREAT | O_EXCL, 0666);
    if (created < 0) return errno == EEXIST ? ::open(path.constData(), kFlags) : -1;
    struct stat folder {};
    struct stat file {};
    const QByteArray folderPath = QFile::encodeName(QFileInfo(QFile::decodeName(path)).path());
    if (::stat(folderPath.constData(), &folder) == 0 && (folder.st_mode & S_IWGRP) &&
        ::fstat(created, &file) == 0) {
        ::fchmod(created, (file.st_mode & 07777) | S_IRGRP | S_IWGRP);
    }
    return created;
}

}  // namespace

Status BoundedLog::append(std::string_view line) const {
    const std::string record = recordOf(line);

    const QByteArray name = QFile::encodeName(path_);
    for (int round = 0; round < kOpenRounds; ++round) {
        const Descriptor fd(openOrCreate(name));
        if (fd.get() < 0) return failed(path_, errno);
        if (!lockExclusive(fd.get())) return failed(path_, errno);
        if (!stillNamedBy(fd.get(), name)) continue;
        if (!writeAll(fd.get(), record)) return failed(path_, errno);

        struct stat st {};
        if (::fstat(fd.get(), &st) != 0 || st.st_size <= maxBytes_) return {};
        // Shortened in place, still under the lock: nobody appends meanwhile,
        // and a writer waiting for the lock finds the same file after it.
        std::string text;
        if (!readAll(fd.get(), text)) return failed(path_, errno);
        const std::string_view kept = BoundedLog::newestLines(text, keepBytes_);
        if (::ftruncate(fd.get(), 0) != 0 || !writeAll(fd.get(), kept)) {
            return failed(path_, errno);
        }
        return {};
    }
    return failed(path_, EBUSY);
}

}  // namespace dorimek::platform
