#include "SystemProcesses.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

#include <signal.h>
#include <unistd.h>

namespace dorimek::platform::processes {
namespace {

QString exeName(const QString& procDir) {
    return QFileInfo(QFile::symLinkTarget(procDir + QStringLiteral("/exe"))).fileName();
}

}  // namespace

bool running(qint64 pid) {
    if (pid <= 0) return false;
    // EPERM: there is such a process, only not ours to signal.
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

QDateTime startOfThisProcess() {
    // The start as the system counts it (clock ticks after boot), so that a
    // copy left by a save just before this process began is stale, and one
    // begun by another window after it is not.
    QFile stat(QStringLiteral("/proc/self/stat"));
    QFile system(QStringLiteral("/proc/stat"));
    if (stat.open(QIODevice::ReadOnly) && system.open(QIODevice::ReadOnly)) {
        const QByteArray line = stat.readAll();
        // Fields after the command name, which may itself hold blanks.
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        const qint64 ticks = fields.value(19).toLongLong();
        qint64 boot = 0;
        for (const QByteArray& l : system.readAll().split('\n')) {
            if (l.startsWith("btime ")) boot = l.mid(6).trimmed().toLongLong();
        }
        const long hz = ::sysconf(_SC_CLK_TCK);
        if (ticks > 0 && boot > 0 && hz > 0) {
            return QDateTime::fromMSecsSinceEpoch(boot * 1000 + ticks * 1000 / hz);
        }
    }
    return {};  // unknown: nothing counts as stale
}

bool anotherCopyRunning() {
    const QString own = exeName(QStringLiteral("/proc/self"));
    if (own.isEmpty()) return true;  // can't tell: assume the worst
    const QString self = QString::number(QCoreApplication::applicationPid());
    const QDir proc(QStringLiteral("/proc"));
    for (const QString& entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool number = false;
        entry.toLongLong(&number);
        if (!number || entry == self) continue;
        if (exeName(proc.filePath(entry)) == own) return true;
    }
    return false;
}

QString executableFile() {
    return QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
}

}  // namespace dorimek::platform::processes
