#include "StaleLeftovers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "SystemProcesses.h"

namespace dorimek::platform {
namespace {

constexpr char kPrintPrefix[] = "dorimek-";

// mkostemp and QTemporaryDir fill their six places with letters and digits.
const QString kRandomSix = QStringLiteral("[A-Za-z0-9]{6}");

bool before(const QFileInfo& info, const QDateTime& limit) {
    return limit.isValid() && info.lastModified() < limit;
}

}  // namespace

StaleLeftovers::Rules StaleLeftovers::systemRules() {
    return {processStartTime(), &StaleLeftovers::processRunning, &processes::anotherCopyRunning};
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

bool StaleLeftovers::processRunning(qint64 pid) { return processes::running(pid); }

QDateTime StaleLeftovers::processStartTime() { return processes::startOfThisProcess(); }

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
