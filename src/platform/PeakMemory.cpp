#include "PeakMemory.h"

#include <QByteArray>
#include <QFile>

namespace dorimek::platform {

namespace {

long statusKilobytes(const char* key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    const qsizetype length = static_cast<qsizetype>(qstrlen(key));
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key)) return line.mid(length).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

}  // namespace

long peakResidentKilobytes() { return statusKilobytes("VmHWM:"); }

long currentResidentKilobytes() { return statusKilobytes("VmRSS:"); }

}  // namespace dorimek::platform
