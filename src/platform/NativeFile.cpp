#include "NativeFile.h"

#include <QFile>

namespace dorimek::platform {

std::FILE* openForReading(const QString& path) {
    return std::fopen(QFile::encodeName(path).constData(), "rb");
}

}  // namespace dorimek::platform
