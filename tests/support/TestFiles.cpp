#include "TestFiles.h"

#include "platform/Sjis.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>

namespace dorimek::testing {

void writeBytes(const QString& path, std::string_view bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        f.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::abort();
    }
}

std::string readBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QByteArray all = f.readAll();
    return std::string(all.constData(), static_cast<size_t>(all.size()));
}

std::string sjis(const char* utf8) { return platform::fromUnicode(QString::fromUtf8(utf8)); }

QString sourceDir() {
    const QByteArray dir = qgetenv("DORIMEK_SOURCE_DIR");
    return dir.isEmpty() ? QStringLiteral(DORIMEK_SOURCE_TREE) : QString::fromLocal8Bit(dir);
}

}  // namespace dorimek::testing
