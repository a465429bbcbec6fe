#include "PrinterChoice.h"

#include "MainMessages.h"
#include "platform/PrinterService.h"

#include <cctype>
#include <climits>

namespace dorimek::mainwin {

QString shortPrinterName(const QString& name) {
    for (qsizetype i = 0; i + 1 < name.size(); ++i) {
        const QChar c = name.at(i);
        if (c == QLatin1Char(',') || c == QLatin1Char('.') || c == QLatin1Char(':')) {
            return name.left(i);
        }
    }
    return name.isEmpty() ? QString() : name.left(name.size() - 1);
}

QString matchDefaultPrinter(const QStringList& printers, const QString& defaultDeviceEntry) {
    QString match;
    for (const QString& printer : printers) {
        const QString shortName = shortPrinterName(printer);
        if (shortName.isEmpty() || defaultDeviceEntry.contains(shortName)) match = shortName;
    }
    return match;
}

int parseIndexText(std::string_view text) {
    text = text.substr(0, 7);
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        value = value * 10 + (text[i] - '0');
        ++i;
    }
    return static_cast<int>(negative ? -value : value);
}

bool isIndexText(std::string_view text) {
    text = text.substr(0, 7);
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    return i < text.size() && text[i] >= '0' && text[i] <= '9';
}

PrinterIndexChoice choosePrinterIndex(const std::optional<std::string>& fileIndexText,
                                      std::string_view thirdArgument, int printerCount) {
    std::optional<std::string> text = fileIndexText;
    if (!thirdArgument.empty()) text = std::string(thirdArgument);
    PrinterIndexChoice choice;
    if (!text) return choice;
    const int wanted = parseIndexText(*text);
    if (wanted >= -1 && wanted < printerCount) {
        choice.index = wanted;
    } else if (printerCount > 0) {
        choice.rejected = wanted;
    }
    return choice;
}

PrinterIndexChoice followStoredName(PrinterIndexChoice choice, const QString& storedName,
                                    const QStringList& printers) {
    if (storedName.isEmpty() || printers.isEmpty()) return choice;
    if (choice.index == -1 && !choice.rejected) return choice;
    const qsizetype at = printers.indexOf(storedName);
    if (at >= 0) return {static_cast<int>(at), std::nullopt, {}};
    return {-1, std::nullopt, storedName};
}

bool keepsItsPaperAtStart(const QString& deviceName, const QString& defaultPrinterName) {
    return defaultPrinterName.isEmpty() || deviceName.contains(defaultPrinterName);
}

Status forceJisB5(platform::PrinterService& service) {
    platform::DeviceMode* mode = service.lockDeviceMode();
    if (!mode) return Status::failure(messages::kCannotLockDeviceMode);
    // Only the paper changes; every other field of the device mode stays.
    mode->dmPaperSize = platform::kPaperJisB5;
    service.unlockDeviceMode();
    return {};
}

}  // namespace dorimek::mainwin
