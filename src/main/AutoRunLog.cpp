#include "AutoRunLog.h"

#include "platform/BoundedLog.h"

#include <QDir>

namespace dorimek::mainwin {
namespace {

QString field(QString text) {
    for (QChar& c : text) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            c = QLatin1Char(' ');
        }
    }
    return text.isEmpty() ? QStringLiteral("-") : text;
}

}  // namespace

std::string AutoRunLog::formatLine(const AutoRunRecord& r) {
    QString words = r.words.join(QStringLiteral(" / "));
    if (words.size() > kMaxWordChars) words = words.left(kMaxWordChars) + QStringLiteral("…");
    const QStringList fields{
        r.when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
        QString::number(exitStatus(r.outcome)),
        field(autoRunOutcomeJapanese(r.outcome)),
        field(QDir::toNativeSeparators(r.rpCsvPath)),
        field(r.printer),
        field(words),
    };
    return fields.join(QLatin1Char('\t')).toStdString();
}

Status AutoRunLog::append(const QString& programFolder, const AutoRunRecord& record) {
    const platform::BoundedLog log(QDir(programFolder).filePath(kFileName), kMaxBytes, kKeepBytes);
    return log.append(formatLine(record));
}

}  // namespace dorimek::mainwin
