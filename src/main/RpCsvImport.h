#pragma once

#include "AutoRunOutcome.h"
#include "RpCsvFile.h"
#include "prescription/PrescriptionState.h"

#include "platform/FileStamp.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <vector>

namespace dorimek::mainwin {

// One prescription line that the import appended.
struct ImportedLine {
    int lineNumber = 0;  // n in the prescription list after the append
    std::string name;    // the line's text (Shift-JIS)
    int masterIndex = 0;
    // The usage set for the line; absent when the line keeps the usage its
    // position held (none, or one set before the line existed).
    std::optional<std::string> usage;
    bool operator==(const ImportedLine&) const = default;
};

// A drug the prescription had no room for.
struct RefusedDrug {
    enum class Reason { ListFull, NoUnknownSlot, AbsurdName };
    int fileLine = 0;
    std::string name;
    Reason reason = Reason::ListFull;
    bool operator==(const RefusedDrug&) const = default;
};

struct ImportReport {
    bool fileOpened = false;
    std::vector<ImportedLine> lines;
    std::vector<std::string> unknownNames;  // drugs listed by name only, in file order
    std::vector<RefusedDrug> refused;
    std::vector<int> malformedLines;  // rp.csv line numbers left out
    // Every text to show the user, in order: the missing file, one per drug
    // not in the master list, then at most one each for left-out lines,
    // refused drugs, an unfinished last line and a read error.
    QStringList messages;
    // Set when a host-started run must print nothing, with why; the
    // prescription is then left as it was and messages says why.
    std::optional<AutoRunOutcome> stopped;
    // The content a host-started run claimed as its own, to give back when
    // the run prints nothing: the host's retry must not count as a repeat.
    std::optional<platform::FileStamp> claimed;
};

// "処方取込": appends the drugs of rp.csv to the prescription, each linked to
// its master-list entry or, when it has none, listed by name only, each with
// its usage. The caller shows the report's messages; nothing here touches a
// widget.
class RpCsvImport {
  public:
    // Reads path and applies it. When the file can't be opened the state is
    // left exactly as it was and the report carries "rp.csvがありません".
    // A last line the host hadn't finished is left out and told about.
    static ImportReport run(const QString& path, const masterfile::MasterNames& masterList,
                            prescription::PrescriptionState& state, const RpCsvWait& wait = {});

    // The import of a host-started run. A sheet missing a drug is a wrong
    // sheet, so a file the host hadn't finished writing imports nothing; and
    // the same file handled moments ago by another run (the host's button
    // clicked twice) imports nothing either. Both set report.stopped.
    // claimPath: the record of the last handled prescription.
    static ImportReport runForAutoStart(const QString& path, const QString& claimPath,
                                        const masterfile::MasterNames& masterList,
                                        prescription::PrescriptionState& state,
                                        const RpCsvWait& wait = {});

    // Applies records already read. Empties the unknown-drug names first.
    static ImportReport apply(const RpCsvContent& content,
                              const masterfile::MasterNames& masterList,
                              prescription::PrescriptionState& state);

    // The message for a drug not in the master list.
    static QString unknownDrugMessage(const std::string& name);

    // Shows the report's messages one after the other, each waiting for the
    // user, through the program's message seam.
    static void showMessages(const ImportReport& report);
};

}  // namespace dorimek::mainwin
