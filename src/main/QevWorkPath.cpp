#include "QevWorkPath.h"

#include "platform/Sjis.h"

#include <QFileInfo>

namespace dorimek::mainwin {
namespace {

bool startsWithDriveLetter(const QString& path) {
    return path.size() >= 2 && path.at(1) == QLatin1Char(':') && path.at(0).isLetter() &&
           path.at(0).unicode() < 0x80;
}

// Decoded text, so that the second byte of a double-byte character (表 is
// 0x95 0x5C) is never taken for a backslash.
QString windowsFormOf(const QString& path) {
    if (path.startsWith(QLatin1String("\\\\"))) {
        return QStringLiteral("Windows のネットワーク上の場所（\\\\コンピュータ名\\…）です");
    }
    if (startsWithDriveLetter(path)) {
        return QStringLiteral("Windows のドライブ名（%1）で始まっています").arg(path.left(2));
    }
    if (path.contains(QLatin1Char('\\')) || path.contains(QChar(0x00A5))) {
        return QStringLiteral("区切りに Windows の「\\」が使われています");
    }
    return {};
}

}  // namespace

QevWorkPathCheck checkQevWorkPath(std::string_view bytes) {
    QevWorkPathCheck check;
    check.usable.assign(bytes);
    const QString path = platform::toUnicode(bytes);
    if (path.trimmed().isEmpty()) {
        check.problem = QStringLiteral("空です");
        return check;
    }
    if (const QString windows = windowsFormOf(path); !windows.isEmpty()) {
        check.problem = windows;
        return check;
    }
    // The setting is a prefix: without its separator "/srv/qev" would be
    // looked for as the file "/srv/qevrp.csv".
    if (!path.endsWith(QLatin1Char('/'))) {
        check.usable.push_back('/');
        check.separatorAdded = true;
    }
    const QFileInfo folder(platform::toUnicode(check.usable));
    if (!folder.exists()) {
        check.problem = QStringLiteral("このフォルダはありません");
    } else if (!folder.isDir()) {
        check.problem = QStringLiteral("フォルダではありません");
    }
    return check;
}

QString qevWorkPathMessage(std::string_view asRead, const QevWorkPathCheck& check, bool atSave) {
    const QString value = platform::toUnicode(asRead);
    if (check.works()) {
        if (!check.separatorAdded) return {};
        const QString text =
            QStringLiteral("QEVワークパス「%1」の最後に「/」がないため、「%2」として")
                .arg(value, platform::toUnicode(check.usable));
        return text +
               (atSave ? QStringLiteral("保存しました。")
                       : QStringLiteral("使います。\n「設定保存」を押すと、この形で保存します。"));
    }
    const QString head = atSave ? QStringLiteral("設定を保存しました。ただし、") : QString();
    return head + QStringLiteral(
                      "QEVワークパス「%1」はこのコンピュータでは使えません（%2）。\n"
                      "QEVシステムが rp.csv を書き出すこのコンピュータのフォルダを "
                      "/mnt/qev/ のように「/」で終わる形で入力し、「設定保存」を押してください。\n"
                      "それまで処方取込は rp.csv を読めません。")
                      .arg(value, check.problem);
}

}  // namespace dorimek::mainwin
