#include "QueuePaper.h"

#include "PrinterService.h"

#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

// What a Windows printer's driver makes of JIS B5: its B5 paper (the paper
// code 13 is JIS B5 on Windows, ISO B5 has a code of its own) and the area the
// driver can print on it.
namespace dorimek::platform {
namespace {

// The paper codes the driver offers, with their names and sizes (tenths of
// a millimetre).
struct DriverPaper {
    WORD code = 0;
    QString name;
    POINT size{};
};

std::vector<DriverPaper> driverPapers(const std::wstring& printer) {
    const wchar_t* name = printer.c_str();
    const int n = DeviceCapabilitiesW(name, nullptr, DC_PAPERS, nullptr, nullptr);
    if (n <= 0) return {};
    std::vector<WORD> codes(static_cast<size_t>(n));
    std::vector<wchar_t> names(static_cast<size_t>(n) * 64 + 1, L'\0');
    std::vector<POINT> sizes(static_cast<size_t>(n));
    DeviceCapabilitiesW(name, nullptr, DC_PAPERS, reinterpret_cast<wchar_t*>(codes.data()),
                        nullptr);
    const bool named =
        DeviceCapabilitiesW(name, nullptr, DC_PAPERNAMES, names.data(), nullptr) == n;
    const bool sized = DeviceCapabilitiesW(name, nullptr, DC_PAPERSIZE,
                                           reinterpret_cast<wchar_t*>(sizes.data()), nullptr) == n;
    std::vector<DriverPaper> papers;
    for (int i = 0; i < n; ++i) {
        DriverPaper p;
        p.code = codes[static_cast<size_t>(i)];
        if (named) p.name = QString::fromWCharArray(&names[static_cast<size_t>(i) * 64]).left(64);
        if (sized) p.size = sizes[static_cast<size_t>(i)];
        papers.push_back(p);
    }
    return papers;
}

// The driver's default device mode with the paper set to code, or empty.
std::vector<BYTE> deviceModeFor(std::wstring printer, short code) {
    HANDLE h = nullptr;
    if (!OpenPrinterW(printer.data(), &h, nullptr)) return {};
    std::vector<BYTE> mode;
    const LONG size = DocumentPropertiesW(nullptr, h, printer.data(), nullptr, nullptr, 0);
    if (size > 0) {
        mode.resize(static_cast<size_t>(size));
        auto* dm = reinterpret_cast<DEVMODEW*>(mode.data());
        if (DocumentPropertiesW(nullptr, h, printer.data(), dm, nullptr, DM_OUT_BUFFER) == IDOK) {
            dm->dmFields |= DM_PAPERSIZE;
            dm->dmPaperSize = code;
            dm->dmFields &= ~static_cast<DWORD>(DM_PAPERLENGTH | DM_PAPERWIDTH | DM_FORMNAME);
            if (DocumentPropertiesW(nullptr, h, printer.data(), dm, dm,
                                    DM_IN_BUFFER | DM_OUT_BUFFER) != IDOK) {
                mode.clear();
            }
        } else {
            mode.clear();
        }
    }
    ClosePrinter(h);
    return mode;
}

// The printable area of the paper mode selects: the driver's device context
// tells where its printable rectangle sits on the paper.
void takeMargins(const std::wstring& name, const std::vector<BYTE>& mode, QueuePaper& paper) {
    if (mode.empty()) return;
    HDC dc = CreateDCW(L"WINSPOOL", name.c_str(), nullptr,
                       reinterpret_cast<const DEVMODEW*>(mode.data()));
    if (!dc) return;
    const double dpiX = GetDeviceCaps(dc, LOGPIXELSX);
    const double dpiY = GetDeviceCaps(dc, LOGPIXELSY);
    const double paperW = GetDeviceCaps(dc, PHYSICALWIDTH);
    const double paperH = GetDeviceCaps(dc, PHYSICALHEIGHT);
    const double offX = GetDeviceCaps(dc, PHYSICALOFFSETX);
    const double offY = GetDeviceCaps(dc, PHYSICALOFFSETY);
    const double printW = GetDeviceCaps(dc, HORZRES);
    const double printH = GetDeviceCaps(dc, VERTRES);
    DeleteDC(dc);
    if (dpiX <= 0 || dpiY <= 0) return;
    const auto tenths = [](double pixels, double dpi) {
        return std::max(0.0, pixels * 254.0 / dpi);
    };
    paper.left = tenths(offX, dpiX);
    paper.top = tenths(offY, dpiY);
    paper.right = tenths(paperW - offX - printW, dpiX);
    paper.bottom = tenths(paperH - offY - printH, dpiY);
}

}  // namespace

QueuePaper QueuePaper::of(const QString& printer) {
    QueuePaper paper;
    if (printer.isEmpty()) return paper;
    const std::wstring name = printer.toStdWString();
    const std::vector<DriverPaper> papers = driverPapers(name);
    if (papers.empty()) return paper;  // the driver names no papers: claim nothing
    paper.known = true;
    const DriverPaper* b5 = nullptr;
    for (const DriverPaper& p : papers) {
        if (p.code == kPaperJisB5 && (p.size.x == 0 || std::abs(p.size.x - 1820) <= 10) &&
            (p.size.y == 0 || std::abs(p.size.y - 2570) <= 10)) {
            b5 = &p;
        }
    }
    if (!b5) {
        paper.jisB5 = false;
        // The paper the driver would print on: its default.
        std::vector<BYTE> mode = deviceModeFor(name, 0);
        const auto* dm = mode.empty() ? nullptr : reinterpret_cast<const DEVMODEW*>(mode.data());
        paper.paperInstead = QStringLiteral("このプリンタの既定の用紙");
        for (const DriverPaper& p : papers) {
            if (dm && p.code == dm->dmPaperSize) {
                paper.paperInstead = QStringLiteral("%1（%2 × %3 mm）")
                                         .arg(p.name)
                                         .arg(std::lround(p.size.x / 10.0))
                                         .arg(std::lround(p.size.y / 10.0));
                // The sheet is placed inside this paper's printable area,
                // made smaller where the paper is.
                if (p.size.x > 0 && p.size.y > 0) {
                    paper.width = p.size.x;
                    paper.length = p.size.y;
                    takeMargins(name, mode, paper);
                }
            }
        }
        return paper;
    }
    takeMargins(name, deviceModeFor(name, kPaperJisB5), paper);
    return paper;
}

}  // namespace dorimek::platform
