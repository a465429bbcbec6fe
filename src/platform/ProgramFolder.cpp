#include "ProgramFolder.h"

#include "SystemProcesses.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace dorimek::platform {

QString programFolder() {
    // Before the application object exists (Qt failing to start) only the
    // system knows where the program's file is.
    QString dir = QCoreApplication::instance()
                      ? QCoreApplication::applicationDirPath()
                      : QFileInfo(processes::executableFile()).path();
    if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
    return dir;
}

bool setCurrentDirectory(const QString& folder) { return QDir::setCurrent(folder); }

}  // namespace dorimek::platform
