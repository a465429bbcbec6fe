#pragma once

#include <QString>

#include <windows.h>

namespace dorimek::platform {

// What the print spooler says of a printer: its status and attribute bits.
struct PrinterStatus {
    bool known = false;  // false: no such printer, or the spooler didn't answer
    DWORD status = 0;
    DWORD attributes = 0;
    QString driver;
    QString port;
    QString location;
};
PrinterStatus printerStatus(const QString& printer);

// The state the printer setup shows, in Japanese; the worst of the bits wins.
QString printerStateText(DWORD status, DWORD attributes);

// True when a job sent now waits instead of printing: the printer is paused
// or set to work offline.
bool holdsJobs(DWORD status, DWORD attributes);

}  // namespace dorimek::platform
