#include "StaleLeftovers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>

#include <signal.h>
#include <unistd.h>

namespace dorimek::platform {
namespace {

constexpr char kPrintPrefix[] = "dorimek-";

// mkostemp and QTemporaryDir fill their six places with letters and digits.
const QString kRandomSix = QStringLiteral("[A-Za-z0-9]{6}");

bool before(const QFileInfo& info, const QDateTime& limit) {
    return limit.isValid() && info.lastModified() < limit;
}

QString exeName(const QString& procDir) {
    return QFileInfo(QFile::symLinkTarget(procDir + QStringLiteral("/exe"))).fileName();
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

}  // namespace

StaleLeftovers::Rules StaleLeftovers::systemRules() {
    return {processStartTime(), &StaleLeftovers::processRunning, &anotherCopyRunning};
}

QString StaleLeftovers::printFolderTemplate() {
    return QDir(QDir::tempPath())
        .filePath(QLatin1String(kPrintPrefix) +
                  QString::number(QCoreApplication::applicationPid()) + QStringLiteral("-XXXXXX"));
}

bool StaleLeftovers::isSaveLeftover(const QString& fileName, const QStringList& dataFiles) {
    for (const QString& data : dataFiles) {
        const QRegularExpression pattern(QRegularExpression::anchoredPattern(
            QStringLiteral("\\.") + QRegularExpression::escape(data) + QStringLiteral("\\.") +
            kRandomSix));
        if (pattern.match(fileName).hasMatch()) return true;
    }
    return false;
}

qint64 StaleLeftovers::printFolderPid(const QString& folderName) {
    static const QRegularExpression withPid(QRegularExpression::anchoredPattern(
        QLatin1String(kPrintPrefix) + QStringLiteral("([1-9][0-9]{0,9})-") + kRandomSix));
    static const QRegularExpression without(
        QRegularExpression::anchoredPattern(QLatin1String(kPrintPrefix) + kRandomSix));
    if (const auto m = withPid.match(folderName); m.hasMatch()) return m.captured(1).toLongLong();
    return without.match(folderName).hasMatch() ? 0 : -1;
}

bool StaleLeftovers::processRunning(qint64 pid) {
    if (pid <= 0) return false;
    // EPERM: there is such a process, only not ours to signal.
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

QDateTime StaleLeftovers::processStartTime() {
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

QStringList StaleLeftovers::remove(const QString& folder, const QStringList& dataFiles,
                                   const QString& tempFolder, const Rules& rules) {
    QStringList removed;
    const QDir data(folder);
    for (const QFileInfo& info :
         data.entryInfoList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks)) {
        if (!isSaveLeftover(info.fileName(), dataFiles) || !before(info, rules.before)) continue;
        if (QFile::remove(info.absoluteFilePath())) removed << info.absoluteFilePath();
    }
    const QDir temp(tempFolder);
    const QStringList pattern{QLatin1String(kPrintPrefix) + QLatin1Char('*')};
    for (const QFileInfo& info :
         temp.entryInfoList(pattern, QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks)) {
        const qint64 pid = printFolderPid(info.fileName());
        if (pid < 0 || !before(info, rules.before)) continue;
        if (pid == QCoreApplication::applicationPid()) continue;
        const bool inUse = pid > 0 ? (!rules.pidRunning || rules.pidRunning(pid))
                                   : (!rules.otherCopyRunning || rules.otherCopyRunning());
        if (inUse) continue;
        if (QDir(info.absoluteFilePath()).removeRecursively()) removed << info.absoluteFilePath();
    }
    return removed;
}

}  // namespace dorimek::platform
