#include "PrinterState_win.h"

#include <winspool.h>

#include <vector>

namespace dorimek::platform {

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
