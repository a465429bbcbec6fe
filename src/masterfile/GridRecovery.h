#pragma once

#include "masterfile/GridRows.h"
#include "platform/FileStamp.h"
#include "platform/Result.h"

#include <QString>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dorimek::masterfile {

// One grid editor's unsaved rows, kept when the program had to end with
// nobody there to answer (the session ending, a termination signal, the
// display gone), and what the file held when that editor loaded it.
struct UnsavedGrid {
    GridRows rows;
    std::optional<platform::FileStamp> loadedStamp;

    bool operator==(const UnsavedGrid&) const = default;
};

// The recovery file beside the master file. Never the master file itself:
// the rows go back into a grid editor at the next start and only the user's
// own save writes them. The cells are kept as Shift-JIS bytes, each with its
// length in front, so commas and line breaks in a cell come back as they
// were; a cell with a character code page 932 lacks is kept as UTF-8.
class GridRecovery {
  public:
    // "<master file>.unsaved"
    static QString pathFor(const QString& masterPath);

    static std::string encode(const std::vector<UnsavedGrid>& grids);
    // Fails on anything this program didn't write whole.
    static Result<std::vector<UnsavedGrid>> decode(std::string_view bytes);

    // Written in one step, so a kill while writing leaves the old file or none.
    static Status write(const QString& masterPath, const std::vector<UnsavedGrid>& grids);
    // Nothing (an empty list) when there is no recovery file.
    static Result<std::vector<UnsavedGrid>> read(const QString& masterPath);
    static bool discard(const QString& masterPath);
};

}  // namespace dorimek::masterfile
