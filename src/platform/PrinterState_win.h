#pragma once

#include "PrinterService.h"

#include <QString>

#include <windows.h>

#include <vector>

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

// One job in a printer's queue, as the spooler tells of it.
struct SpoolerJob {
    bool known = false;  // false: the job has left the queue, or no spooler
    DWORD id = 0;
    QString document;
    DWORD status = 0;
    QString statusText;  // the driver's or port monitor's own word, if any
};
// The jobs queued for printer now.
std::vector<SpoolerJob> spoolerJobs(const QString& printer);
// One job of printer by its id.
SpoolerJob spoolerJob(const QString& printer, DWORD jobId);

// The id of the job a print just made: the newest one titled title (any
// title for an untitled print) among the jobs that weren't queued before; 0
// when there is none.
DWORD newJobId(const std::vector<SpoolerJob>& before, const std::vector<SpoolerJob>& now,
               const QString& title);

// Where a job stands, from its bits and those of its printer. A job that has
// left the queue is done: printed, or removed by someone who knows of it.
PrinterService::JobFate jobFateOf(const SpoolerJob& job, const PrinterStatus& printer);

}  // namespace dorimek::platform
