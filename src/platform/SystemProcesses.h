#pragma once

#include <QDateTime>
#include <QString>
#include <QtGlobal>

// What the system tells of its processes, for telling a leftover of a killed
// run from the files of one still running.
namespace dorimek::platform::processes {

bool running(qint64 pid);
// When this process began, as the system counts it; invalid when unknown.
QDateTime startOfThisProcess();
// Whether another process runs the same program file; true when that can't
// be told (assume the worst).
bool anotherCopyRunning();
// The path of this process's program file, as the system knows it (for the
// time before Qt's application object exists).
QString executableFile();

}  // namespace dorimek::platform::processes
