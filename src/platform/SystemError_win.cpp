#include "SystemError.h"

#include <cerrno>

#include <windows.h>

namespace dorimek::platform {

QString windowsErrorReason(unsigned long code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
            return fileErrorReason(ENOENT);
        case ERROR_ACCESS_DENIED:
            return fileErrorReason(EACCES);
        case ERROR_WRITE_PROTECT:
            return fileErrorReason(EROFS);
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return fileErrorReason(ENOSPC);
        case ERROR_FILENAME_EXCED_RANGE:
            return fileErrorReason(ENAMETOOLONG);
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
        case ERROR_TOO_MANY_OPEN_FILES:
            return fileErrorReason(ENOMEM);
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_USER_MAPPED_FILE:
            return fileErrorReason(EBUSY);
        case ERROR_CRC:
        case ERROR_READ_FAULT:
        case ERROR_WRITE_FAULT:
        case ERROR_GEN_FAILURE:
            return fileErrorReason(EIO);
        default:
            return QStringLiteral("システムのエラー %1").arg(code);
    }
}

}  // namespace dorimek::platform
