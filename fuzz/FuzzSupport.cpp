#include "FuzzSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace dorimek::fuzz {

namespace {

// Every input is written and most are saved again through the atomic writer,
// which syncs to disk; on a memory file system that costs nothing, on a disk
// it slows a run down a hundredfold. An explicit TMPDIR wins, so a script can
// put the files where it cleans up after a crash.
QString scratchTemplate() {
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    const bool useShm = qEnvironmentVariableIsEmpty("TMPDIR") && shm.isDir() && shm.isWritable();
    const QString base = useShm ? shm.filePath() : QDir::tempPath();
    return base + QStringLiteral("/dorimek-fuzz-XXXXXX");
}

}  // namespace

const QString& scratchDir() {
    static QTemporaryDir dir(scratchTemplate());
    static const QString path = [] {
        if (!dir.isValid()) fail("no scratch folder");
        return dir.path();
    }();
    return path;
}

QString writeScratchFile(const char* name, std::string_view bytes) {
    const QString path = scratchDir() + QLatin1Char('/') + QLatin1String(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size())) {
        fail("cannot write the scratch file");
    }
    return path;
}

void fail(const char* what) {
    std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
    std::fflush(stderr);
    std::abort();
}

}  // namespace dorimek::fuzz
