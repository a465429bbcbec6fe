#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>

namespace dorimek::platform {

QString programFolder() {
    QString dir = QCoreApplication::applicationDirPath();
    if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
    return dir;
}

bool setCurrentDirectory(const QString& folder) { return QDir::setCurrent(folder); }

}  // namespace dorimek::platform
