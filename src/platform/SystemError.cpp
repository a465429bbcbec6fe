#include "SystemError.h"

#include <cerrno>

namespace dorimek::platform {

QString fileErrorReason(int errorNumber) {
    switch (errorNumber) {
        case ENOENT:
            return QStringLiteral("ファイルまたはフォルダがありません");
        case ENOTDIR:
            return QStringLiteral("途中のフォルダがフォルダではありません");
        case EACCES:
        case EPERM:
            return QStringLiteral("この場所を読み書きする権限がありません");
        case EROFS:
            return QStringLiteral("読み取り専用の場所のため書き込めません");
        case ENOSPC:
#ifdef EDQUOT  // not every C library has quotas
        case EDQUOT:
#endif
            return QStringLiteral("ディスクがいっぱいです");
        case EFBIG:
            return QStringLiteral("ファイルが大きすぎます");
        case EISDIR:
            return QStringLiteral("同じ名前のフォルダがあります");
        case EIO:
            return QStringLiteral("ディスクの読み書きに失敗しました");
        case ENAMETOOLONG:
            return QStringLiteral("ファイルの名前が長すぎます");
        case EMFILE:
        case ENFILE:
        case ENOMEM:
            return QStringLiteral("パソコンの資源が足りません");
        case EBUSY:
        case ETXTBSY:
            return QStringLiteral("ほかのプログラムが使っています");
        default:
            return QStringLiteral("システムのエラー %1").arg(errorNumber);
    }
}

}  // namespace dorimek::platform
