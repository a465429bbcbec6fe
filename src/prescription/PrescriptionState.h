#pragma once

#include "masterfile/MasterRewrite.h"

#include <QString>

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace dorimek::prescription {

// What the append operations answer.
enum class AppendResult {
    Appended,
    ListFull,       // 24 lines already: no slot left
    NoUnknownSlot,  // the eight names of drugs not in the master list are taken
    AbsurdName,     // a name far beyond the master file's limits: no drug
};

// The usage of a line: Shift-JIS bytes, as the sheet prints them. A text the
// user typed with a character code page 932 can't hold is kept as typed in
// unprintable (and text is then empty), so that printing can refuse it naming
// the character instead of printing something else.
struct Usage {
    std::string text;
    QString unprintable;
    bool operator==(const Usage&) const = default;
};

// The prescription the user builds: up to 24 lines, each with the record
// number of its drug (MasterIndex) or, for an imported drug that is not in the
// master list, -2 to -9 naming an entry of UnknownDrugNames. Lines are
// numbered from 1. Texts are Shift-JIS bytes. Every position 1..24 has a
// usage: a line's own while the line exists, moving with it when a line above
// it is removed; a position past the last line keeps a usage set before its
// line exists (typed ahead, or left by 全消去) for the line appended there.
class PrescriptionState {
public:
    static constexpr int kMaxLines = 24;
    static constexpr int kUnknownSlots = 8;

    int lineCount() const { return count_; }
    const std::string& lineText(int n) const;  // 1..lineCount()
    int masterIndex(int n) const;              // slot n, 1..24 (0 when unused)
    const std::string& unknownDrugName(int k) const;  // 0..7
    // The name shown for line n: its text for a known drug, its
    // UnknownDrugNames entry for one that is not in the master list.
    bool isUnknown(int n) const { return masterIndex(n) < -1; }

    // The usage of position n (1..24); empty outside.
    const Usage& usage(int n) const;
    void setUsage(int n, Usage usage);
    void setUsage(int n, std::string_view sjisText) {
        setUsage(n, Usage{std::string(sjisText), {}});
    }

    // Both refuse a name far beyond the master file's limits (AbsurdName).
    AppendResult appendKnown(std::string_view text, int index);
    AppendResult appendUnknown(std::string_view text);
    void clearUnknownNames();
    // Removes line k (1-based); the master indices and usages below it move
    // up one slot, and the position freed after the last line has no usage.
    // Nothing happens for a k outside the list.
    void removeLine(int k);
    // Removes every line and sets every master index to 0; the unknown names
    // and the usages stay, for the lines appended next.
    void clear();

    // After the master file was rewritten, a line's record number may now
    // name another drug, and the sheet would print that other drug under
    // this patient's prescription. Each line follows its own record: with
    // the rewrite's origins it takes the number its record has now, under
    // its new name when the record was renamed; a line whose record's row
    // was deleted is kept by name only (in an UnknownDrugNames entry no line
    // refers to), or removed when no entry is free, the usages below it
    // moving up with their lines. A line the origins can't vouch for
    // (chosen from another state of the file) is bound by its name, as the
    // sheets find records (see masterfile/LineRecord.h).
    struct Rebound {
        std::vector<std::string> nameOnly;  // texts of lines now kept by name only
        std::vector<std::string> removed;   // texts of lines removed
    };
    Rebound rebindAfterSave(const masterfile::MasterRewrite& rewrite);
    // The same without origins, when the record numbers the lines hold
    // don't belong to the file the rewrite was loaded from: by name only.
    Rebound rebindTo(const masterfile::MasterNames& masterList);

    // After record recordNumber was renamed in place (per-drug editing): the
    // lines standing for it take the new name, so they keep finding it.
    void renameRecord(int recordNumber, std::string_view oldName, std::string_view newName);

private:
    // The first empty UnknownDrugNames entry, or -1 when all eight are taken.
    int freeUnknownSlot() const;
    // The first entry that is empty and that no line refers to (an import
    // empties the entries while older lines may still point at them).
    int unusedUnknownSlot() const;
    Rebound rebind(const masterfile::MasterNames& names, const masterfile::MasterRewrite* rewrite);

    int count_ = 0;
    std::array<std::string, kMaxLines + 1> texts_{};
    std::array<int, kMaxLines + 1> masterIndex_{};
    std::array<Usage, kMaxLines + 1> usages_{};
    std::array<std::string, kUnknownSlots> unknownNames_{};
};

}  // namespace dorimek::prescription
