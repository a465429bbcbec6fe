#pragma once

#include "platform/Result.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <string_view>

namespace dorimek::platform {
class PrinterService;
}

namespace dorimek::mainwin {

// The name a printer is matched by against the default-device entry: the
// text before the first ",", "." or ":" among its first to next-to-last
// characters, or, with none there, the whole name less its last character.
QString shortPrinterName(const QString& name);

// DefaultPrinterName: the short name of the last printer, in list order, whose
// short name occurs in the default-device entry; empty when none does. An
// empty short name occurs everywhere.
QString matchDefaultPrinter(const QStringList& printers, const QString& defaultDeviceEntry);

// The decimal value of an index text: leading blanks skipped, one sign,
// digits up to the first other character, 0 without digits. Only the first
// seven characters count, as that is all the settings hold.
int parseIndexText(std::string_view text);
// True when the text holds a number as parseIndexText reads it: a digit
// after the blanks and the sign. A host that passes anything else as the
// printer means no printer we know.
bool isIndexText(std::string_view text);

struct PrinterIndexChoice {
    int index = -1;               // what PrinterIndex becomes
    std::optional<int> rejected;  // an index asked for that names no printer
    QString gone;                 // the stored queue name, no longer installed
};

// PrinterIndex at start: the third argument, when not empty, stands in for
// the index text of the file; with neither the default printer (-1) is used.
// An index outside the printer list falls back to -1 and is reported in
// rejected, unless there are no printers at all, when there is nothing to
// choose and nothing to report.
PrinterIndexChoice choosePrinterIndex(const std::optional<std::string>& fileIndexText,
                                      std::string_view thirdArgument, int printerCount);

// The index read from the file, checked against the queue name stored beside
// it: the index is a position in a sorted list, so a queue added before the
// chosen one, or one deleted before it, would move the sheets to a neighbour.
// The name wins: installed under another index, that index is used; no longer
// installed, the default printer is used and the name is reported in gone.
// An empty stored name (files written before names were checked) and the
// default printer (-1) are taken as they are.
PrinterIndexChoice followStoredName(PrinterIndexChoice choice, const QString& storedName,
                                    const QStringList& printers);

// At start the default printer keeps its paper; any other printer gets B5.
bool keepsItsPaperAtStart(const QString& deviceName, const QString& defaultPrinterName);

// Sets the current printer's paper to JIS B5 through its device mode. Fails
// with "can not GlobalLock" when the device mode can't be locked.
Status forceJisB5(platform::PrinterService& service);

}  // namespace dorimek::mainwin
