#include "AutoRunClaim.h"

#include "platform/FileLock.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace dorimek::mainwin {
namespace {

// "<size> <sha-256 hex> <milliseconds since the epoch>".
QByteArray recordText(const platform::FileStamp& content, qint64 nowMs) {
    return QByteArray::number(content.size) + ' ' + content.digest.toHex() + ' ' +
           QByteArray::number(nowMs) + '\n';
}

}  // namespace

qint64 AutoRunClaim::currentMs() { return QDateTime::currentMSecsSinceEpoch(); }

void AutoRunClaim::release(const platform::FileStamp& content, const QString& recordPath) {
    const auto lock = platform::FileLock::onLockFile(recordPath, QFileInfo(recordPath).fileName());
    if (!lock || !lock->held()) return;
    QFile file(recordPath);
    if (!file.open(QIODevice::ReadWrite)) return;
    const QList<QByteArray> fields = file.readLine(256).trimmed().split(' ');
    if (fields.size() == 3 && fields[0] == QByteArray::number(content.size) &&
        fields[1] == content.digest.toHex()) {
        file.resize(0);
    }
}

AutoRunClaim::Verdict AutoRunClaim::claim(const platform::FileStamp& content,
                                          const QString& recordPath, qint64 nowMs,
                                          std::chrono::milliseconds window) {
    // The record is its own lock file: it is small and rewritten in place,
    // and a record cut short by a kill simply matches nothing.
    const auto lock = platform::FileLock::onLockFile(recordPath, QFileInfo(recordPath).fileName());
    if (!lock || !lock->held()) return Verdict::First;

    QFile file(recordPath);
    if (!file.open(QIODevice::ReadWrite)) return Verdict::First;
    const QList<QByteArray> fields = file.readLine(256).trimmed().split(' ');
    if (fields.size() == 3) {
        bool sizeOk = false;
        bool timeOk = false;
        const qint64 size = fields[0].toLongLong(&sizeOk);
        const qint64 taken = fields[2].toLongLong(&timeOk);
        // A clock set back makes the age negative: that is no recent run.
        const qint64 age = nowMs - taken;
        if (sizeOk && timeOk && size == content.size && fields[1] == content.digest.toHex() &&
            age >= 0 && age < window.count()) {
            return Verdict::SameJustRun;
        }
    }
    const QByteArray text = recordText(content, nowMs);
    if (file.resize(0)) file.write(text);
    return Verdict::First;
}

}  // namespace dorimek::mainwin
