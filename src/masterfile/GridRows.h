#pragma once

#include "masterfile/DrugMasterFile.h"

#include <QString>

#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace dorimek::masterfile {

// The master file editor's grid as plain data: one row per record, one cell
// per field, as the user sees and edits it (Unicode). Holds the rules that
// decide what a save writes and which grids it refuses, so that the window
// only moves text between these rows and its cells.
class GridRows {
  public:
    static constexpr int kColumns = kFieldCount;
    // The grid never shows fewer rows, so a short file leaves room to add.
    static constexpr int kMinimumRows = 500;

    using Row = std::array<QString, kColumns>;

    // The label of a column ("登録名" ... "画像ファイル"), as messages name it.
    static const QString& columnLabel(int column);

    // The rows for a loaded file: every record, then empty rows up to
    // kMinimumRows. A longer file gets exactly one row per record, so opening
    // and saving never loses one.
    static GridRows fromRecords(const std::vector<DrugRecord>& records);

    // Rows know the record they were loaded from (their origin), so that
    // what the user left alone can be written with the bytes it was read
    // with and a save can tell where every record went. An inserted row has
    // origin -1, as has every row of a grid not built from records.
    GridRows() = default;
    explicit GridRows(std::vector<Row> rows, std::vector<int> origins = {});

    // Same cells and same origins: nothing the user did is left to save.
    bool operator==(const GridRows& other) const = default;

    int origin(int r) const { return origins_[static_cast<size_t>(r)]; }
    const std::vector<int>& origins() const { return origins_; }

    int rowCount() const { return static_cast<int>(rows_.size()); }
    const Row& row(int r) const { return rows_[static_cast<size_t>(r)]; }
    Row& row(int r) { return rows_[static_cast<size_t>(r)]; }

    // The first row whose RegisteredName is empty: the records are the rows
    // above it. rowCount() when every row has a name.
    int dataEnd() const;

    // Why the grid can't be saved as it stands: the first offending cell, in
    // row order, with a message naming it the way the user sees it (rows
    // counted from 1, columns by their label).
    struct Problem {
        int row = 0;
        int column = 0;
        QString message;
    };

    // The records a save writes (rows 0 up to dataEnd(), converted to
    // Shift-JIS), or the problem that stops the save. A save never drops a
    // row silently: a row with data but no RegisteredName, or with data
    // below the first empty row, is a problem, and so is a cell text the
    // file can't hold (comma, line break, or a character code page 932
    // lacks).
    // A cell whose text is still the loaded text of its own origin cell is
    // unchanged: it is written with the bytes it was read with and not
    // checked, so a twin-coded name keeps its code and a stray CR of a CR CR
    // LF line end, or a code with no character, never blocks a save. Checks
    // apply to what the user changed.
    struct Plan {
        std::vector<DrugRecord> records;
        std::vector<FieldMask> asRead;  // per record: the fields kept as read
        std::vector<int> origins;       // per record: its row's origin
        std::optional<Problem> problem;
    };
    Plan planSave(const std::vector<DrugRecord>& loaded = {}) const;

    // How many drugs the grid has changed against the records it loaded:
    // rows whose text differs from their record, rows inserted with data,
    // and records whose row was deleted or now lies past the data. Rows that
    // only moved are no change.
    int editCount(const std::vector<DrugRecord>& loaded) const;

    static std::vector<std::string> registeredNames(const std::vector<DrugRecord>& records);

  private:
    static bool hasData(const Row& row);
    static std::optional<Problem> cellProblem(int row, int column, const QString& text);

    std::vector<Row> rows_;
    std::vector<int> origins_;
};

}  // namespace dorimek::masterfile
