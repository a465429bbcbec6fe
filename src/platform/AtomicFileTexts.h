#pragma once

// What both systems' writers say when a save fails: the same words on each.
#include "Result.h"

#include <QDir>
#include <QString>

namespace dorimek::platform::atomicfile {

inline Status failed(const QString& name, const QString& why, QString* reason) {
    if (reason) *reason = why;
    return Status::failure(
        QStringLiteral("ファイル %1 を書き込めません（%2）。何も保存していません。")
            .arg(name, why));
}

inline QString folderIsInTheWay() { return QStringLiteral("同じ名前のフォルダがあります"); }

inline QString folderNotWritable(const QString& folder, const QString& why) {
    return QStringLiteral("フォルダ %1 に書き込めません: %2")
        .arg(QDir::toNativeSeparators(folder), why);
}

inline QString notReplaced(const QString& why) {
    return QStringLiteral("元のファイルを置き換えられません: %1").arg(why);
}

}  // namespace dorimek::platform::atomicfile
