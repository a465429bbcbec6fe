#include "PrinterService.h"

#include "PrinterState_win.h"

#include <windows.h>
#include <winspool.h>

#include <iterator>
#include <vector>

// The installed printers as the Windows print spooler lists them. Indexes and
// device modes are kept as with CUPS (PrinterChoice.cpp), so that a settings
// file means the same printer on both systems when the printers have the
// same names.
namespace dorimek::platform {

void PrinterService::refresh() {
    printers_.clear();
    defaultPrinter_.clear();
    const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    DWORD need = 0;
    DWORD count = 0;
    EnumPrintersW(flags, nullptr, 4, nullptr, 0, &need, &count);
    // A stopped spooler service fails the call outright; no printers
    // installed is an empty answer.
    const DWORD sizeError = GetLastError();
    reachable_ = need > 0 || sizeError == ERROR_SUCCESS || sizeError == ERROR_INSUFFICIENT_BUFFER;
    if (need > 0) {
        std::vector<BYTE> buffer(need);
        if (EnumPrintersW(flags, nullptr, 4, buffer.data(), need, &need, &count)) {
            const auto* info = reinterpret_cast<const PRINTER_INFO_4W*>(buffer.data());
            for (DWORD i = 0; i < count; ++i)
                printers_.append(QString::fromWCharArray(info[i].pPrinterName));
        } else {
            reachable_ = false;
        }
    }
    printers_.sort();
    DWORD length = 0;
    GetDefaultPrinterW(nullptr, &length);
    if (length > 0) {
        std::vector<wchar_t> name(length);
        if (GetDefaultPrinterW(name.data(), &length)) {
            const QString candidate = QString::fromWCharArray(name.data());
            if (printers_.contains(candidate)) defaultPrinter_ = candidate;
        }
    }
    if (currentIndex_ >= printerCount()) currentIndex_ = -1;
}

std::optional<QString> PrinterService::defaultDeviceEntry(QString* error) const {
    wchar_t entry[1024] = {};
    GetProfileStringW(L"windows", L"device", L"", entry, static_cast<DWORD>(std::size(entry)));
    if (defaultPrinter_.isEmpty() || entry[0] == 0) {
        if (error) *error = QStringLiteral("通常使うプリンタが設定されていません。");
        return std::nullopt;
    }
    return QString::fromWCharArray(entry);
}

std::optional<PrinterService::Current> PrinterService::current() const {
    const QString name = nameForIndex(currentIndex_);
    if (name.isEmpty()) return std::nullopt;
    const PrinterStatus status = printerStatus(name);
    return Current{name, status.driver, status.port};
}

PrinterService::Properties PrinterService::properties(const QString& printer) const {
    Properties p;
    const PrinterStatus status = printerStatus(printer);
    if (!status.known) return p;
    p.model = status.driver;
    p.location = status.location;
    p.state = printerStateText(status.status, status.attributes);
    p.acceptingJobs = !(status.status & PRINTER_STATUS_PENDING_DELETION);
    return p;
}

// Windows printers take pages drawn through their driver, not documents
// (printDocument does that): a PDF handed here is refused with a reason
// rather than lost.
Result<PrinterService::SubmittedJob> PrinterService::submitPdf(const QString& printer,
                                                               const QString&, const QString&,
                                                               const JobOptions&) const {
    return Result<SubmittedJob>::failure(
        QStringLiteral("プリンタ %1 が印刷を受け付けませんでした: PDF のままでは印刷できません")
            .arg(printer));
}

PrinterService::JobFate PrinterService::jobFate(const QString& printer, int jobId) {
    return jobFateOf(spoolerJob(printer, static_cast<DWORD>(jobId)), printerStatus(printer));
}

QString PrinterService::resumeHint(const QString&) { return {}; }

}  // namespace dorimek::platform
