#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace dorimek::mainwin {

// What the append operations answer.
enum class AppendResult {
    Appended,
    ListFull,        // 24 lines already: no slot left
    NoUnknownSlot,   // the eight names of drugs not in the master list are taken
};

// The prescription the user builds: up to 24 lines, each with the record
// number of its drug (MasterIndex) or, for an imported drug that is not in the
// master list, -2 to -9 naming an entry of UnknownDrugNames. Lines are
// numbered from 1. Texts are Shift-JIS bytes. The usage of a line lives in the
// main window's usage boxes, not here.
class PrescriptionState {
public:
    static constexpr int kMaxLines = 24;
    static constexpr int kUnknownSlots = 8;
    static constexpr int kUsageBoxes = 11;

    int lineCount() const { return count_; }
    const std::string& lineText(int n) const;  // 1..lineCount()
    int masterIndex(int n) const;              // slot n, 1..24 (0 when unused)
    const std::string& unknownDrugName(int k) const;  // 0..7
    // The name shown for line n: its text for a known drug, its
    // UnknownDrugNames entry for one that is not in the master list.
    bool isUnknown(int n) const { return masterIndex(n) < -1; }

    AppendResult appendKnown(std::string_view text, int index);
    AppendResult appendUnknown(std::string_view text);
    void clearUnknownNames();
    // Removes line k (1-based); the master indices below it move up one slot.
    // Nothing happens for a k outside the list.
    void removeLine(int k);
    // Removes every line and sets every master index to 0; the unknown names stay.
    void clear();

    // After the master file was rewritten with rows inserted, deleted or
    // moved, a line's record number may now name another drug, and the sheet
    // would print that other drug under this patient's prescription. Binds
    // every line that holds a record number to the record that carries its
    // text now (the first with that RegisteredName). A line whose drug is no
    // longer in the file is kept by name only, like an imported drug that
    // isn't listed, or removed when no name entry is free.
    struct Rebound {
        std::vector<std::string> nameOnly;  // texts of lines now kept by name only
        std::vector<std::string> removed;   // texts of lines removed
    };
    Rebound rebindTo(const std::vector<std::string>& masterList);

private:
    // The first empty UnknownDrugNames entry, or -1 when all eight are taken.
    int freeUnknownSlot() const;

    int count_ = 0;
    std::array<std::string, kMaxLines + 1> texts_{};
    std::array<int, kMaxLines + 1> masterIndex_{};
    std::array<std::string, kUnknownSlots> unknownNames_{};
};

}  // namespace dorimek::mainwin
