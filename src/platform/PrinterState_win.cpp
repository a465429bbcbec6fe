#include "PrinterState_win.h"

#include <winspool.h>

#include <algorithm>
#include <vector>

namespace dorimek::platform {
namespace {

QString wideText(const wchar_t* s) { return s ? QString::fromWCharArray(s) : QString(); }

// The job bits that stop a job until someone mends the printer, with the
// word the user is told when the driver gives none; the first that is set.
struct JobTrouble {
    DWORD bits;
    const char* text;
};
constexpr JobTrouble kJobTroubles[] = {
    {JOB_STATUS_PAPEROUT, "用紙切れ"},
    {JOB_STATUS_OFFLINE, "オフライン"},
    {JOB_STATUS_ERROR | JOB_STATUS_BLOCKED_DEVQ | JOB_STATUS_USER_INTERVENTION, "エラー"},
};

// The printer bits that keep a queued job from printing.
constexpr DWORD kPrinterStops = PRINTER_STATUS_PAUSED | PRINTER_STATUS_ERROR |
                                PRINTER_STATUS_OFFLINE | PRINTER_STATUS_PAPER_OUT |
                                PRINTER_STATUS_PAPER_JAM | PRINTER_STATUS_PAPER_PROBLEM |
                                PRINTER_STATUS_DOOR_OPEN | PRINTER_STATUS_NO_TONER |
                                PRINTER_STATUS_USER_INTERVENTION | PRINTER_STATUS_NOT_AVAILABLE;

}  // namespace

PrinterStatus printerStatus(const QString& printer) {
    PrinterStatus result;
    std::wstring name = printer.toStdWString();
    HANDLE h = nullptr;
    if (printer.isEmpty() || !OpenPrinterW(name.data(), &h, nullptr)) return result;
    DWORD need = 0;
    GetPrinterW(h, 2, nullptr, 0, &need);
    std::vector<BYTE> buffer(need ? need : 1);
    if (need && GetPrinterW(h, 2, buffer.data(), need, &need)) {
        const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
        auto text = [](const wchar_t* s) { return s ? QString::fromWCharArray(s) : QString(); };
        result.known = true;
        result.status = info->Status;
        result.attributes = info->Attributes;
        result.driver = text(info->pDriverName);
        result.port = text(info->pPortName);
        result.location = text(info->pLocation);
    }
    ClosePrinter(h);
    return result;
}

QString printerStateText(DWORD status, DWORD attributes) {
    struct State {
        DWORD statusBits;
        DWORD attributeBits;
        const char* text;
    };
    // Most telling first: a paused printer that is also out of paper waits
    // for the user to resume it before anything else.
    static const State kStates[] = {
        {PRINTER_STATUS_PAUSED | PRINTER_STATUS_PENDING_DELETION, 0, "停止中"},
        {PRINTER_STATUS_OFFLINE | PRINTER_STATUS_NOT_AVAILABLE | PRINTER_STATUS_SERVER_UNKNOWN,
         PRINTER_ATTRIBUTE_WORK_OFFLINE, "オフライン"},
        {PRINTER_STATUS_PAPER_OUT | PRINTER_STATUS_PAPER_PROBLEM | PRINTER_STATUS_MANUAL_FEED, 0,
         "用紙切れ"},
        {PRINTER_STATUS_PAPER_JAM, 0, "紙づまり"},
        {PRINTER_STATUS_ERROR | PRINTER_STATUS_DOOR_OPEN | PRINTER_STATUS_NO_TONER |
             PRINTER_STATUS_OUTPUT_BIN_FULL | PRINTER_STATUS_USER_INTERVENTION |
             PRINTER_STATUS_OUT_OF_MEMORY,
         0, "エラー"},
        {PRINTER_STATUS_PRINTING | PRINTER_STATUS_PROCESSING | PRINTER_STATUS_BUSY, 0, "印刷中"},
    };
    for (const State& s : kStates) {
        if ((status & s.statusBits) || (attributes & s.attributeBits))
            return QString::fromUtf8(s.text);
    }
    return QStringLiteral("待機中");
}

bool holdsJobs(DWORD status, DWORD attributes) {
    return (status & PRINTER_STATUS_PAUSED) || (attributes & PRINTER_ATTRIBUTE_WORK_OFFLINE);
}

}  // namespace dorimek::platform

namespace dorimek::platform {

std::vector<SpoolerJob> spoolerJobs(const QString& printer) {
    std::vector<SpoolerJob> jobs;
    std::wstring name = printer.toStdWString();
    HANDLE h = nullptr;
    if (printer.isEmpty() || !OpenPrinterW(name.data(), &h, nullptr)) return jobs;
    DWORD need = 0;
    DWORD count = 0;
    EnumJobsW(h, 0, 0xFFFF, 1, nullptr, 0, &need, &count);
    std::vector<BYTE> buffer(need ? need : 1);
    if (need && EnumJobsW(h, 0, 0xFFFF, 1, buffer.data(), need, &need, &count)) {
        const auto* info = reinterpret_cast<const JOB_INFO_1W*>(buffer.data());
        for (DWORD i = 0; i < count; ++i) {
            jobs.push_back({true, info[i].JobId, wideText(info[i].pDocument), info[i].Status,
                            wideText(info[i].pStatus)});
        }
    }
    ClosePrinter(h);
    return jobs;
}

SpoolerJob spoolerJob(const QString& printer, DWORD jobId) {
    SpoolerJob job;
    std::wstring name = printer.toStdWString();
    HANDLE h = nullptr;
    if (printer.isEmpty() || jobId == 0 || !OpenPrinterW(name.data(), &h, nullptr)) return job;
    DWORD need = 0;
    GetJobW(h, jobId, 1, nullptr, 0, &need);
    std::vector<BYTE> buffer(need ? need : 1);
    if (need && GetJobW(h, jobId, 1, buffer.data(), need, &need)) {
        const auto* info = reinterpret_cast<const JOB_INFO_1W*>(buffer.data());
        job = {true, info->JobId, wideText(info->pDocument), info->Status, wideText(info->pStatus)};
    }
    ClosePrinter(h);
    return job;
}

DWORD newJobId(const std::vector<SpoolerJob>& before, const std::vector<SpoolerJob>& now,
               const QString& title) {
    DWORD id = 0;
    for (const SpoolerJob& job : now) {
        const bool old = std::any_of(before.begin(), before.end(),
                                     [&job](const SpoolerJob& b) { return b.id == job.id; });
        // An untitled document gets a name from the spooler, not ours.
        if (!old && (title.isEmpty() || job.document == title)) id = std::max(id, job.id);
    }
    return id;
}

PrinterService::JobFate jobFateOf(const SpoolerJob& job, const PrinterStatus& printer) {
    PrinterService::JobFate fate;
    if (!job.known || (job.status & (JOB_STATUS_PRINTED | JOB_STATUS_COMPLETE))) {
        fate.done = true;
        return fate;
    }
    if (job.status & (JOB_STATUS_DELETING | JOB_STATUS_DELETED)) {
        fate.done = fate.refused = true;
        fate.reason = job.statusText;
        return fate;
    }
    QString word;
    for (const JobTrouble& t : kJobTroubles) {
        if (word.isEmpty() && (job.status & t.bits)) word = QString::fromUtf8(t.text);
    }
    // Waiting behind a printer that stopped is refused as well: it won't
    // print until someone mends the printer.
    if (word.isEmpty() && printer.known &&
        ((printer.status & kPrinterStops) || holdsJobs(printer.status, printer.attributes))) {
        word = printerStateText(printer.status, printer.attributes);
    }
    if (word.isEmpty()) return fate;
    fate.done = fate.refused = fate.kept = true;
    fate.reason = job.statusText.isEmpty() ? word : job.statusText;
    return fate;
}

}  // namespace dorimek::platform
