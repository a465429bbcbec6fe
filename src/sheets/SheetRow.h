#pragma once

#include <string>
#include <string_view>

namespace dorimek::sheets {

// What one detail row of a sheet shows of a drug record (Shift-JIS bytes).
// Every member is always set: a field the record lacks is empty, so a row
// never shows anything left over from the row before.
struct SheetRow {
    std::string displayName;    // field 2
    std::string shapeCode;      // field 4
    std::string package;        // field 5
    std::string efficacy;       // field 6
    std::string caution;        // field 7
    std::string photoFileName;  // everything after the 7th comma
    bool operator==(const SheetRow&) const = default;
};

// Walks one record line (with or without its line end) byte by byte: a
// Shift-JIS lead byte and the byte after it stay together (so a trail byte
// 0x5C, 0x7C or 0x2C never counts as anything else), half-width blanks are
// dropped, full-width blanks kept, and commas number the fields 1 to 7. The
// rest of the line after the 7th comma is the photo file name.
SheetRow walkRecordLine(std::string_view line);

}  // namespace dorimek::sheets
