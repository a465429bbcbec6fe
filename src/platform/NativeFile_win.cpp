#include "NativeFile.h"

#include <QDir>

#include <string>

namespace dorimek::platform {

std::FILE* openForReading(const QString& path) {
    const std::wstring native = QDir::toNativeSeparators(path).toStdWString();
    return _wfopen(native.c_str(), L"rb");
}

}  // namespace dorimek::platform
