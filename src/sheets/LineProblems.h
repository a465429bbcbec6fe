#pragma once

#include "SheetRow.h"
#include "masterfile/DrugMasterFile.h"

#include <QString>

#include <string>
#include <string_view>
#include <vector>

namespace dorimek::sheets {

// What the rows of one sheet or one preview couldn't show, gathered while
// the rows are made and told afterwards in one message, so that a master
// file gone for every line is one message, not one per row.
class LineProblems {
  public:
    enum class Kind {
        PhotoNotShown,     // text: the photo's name, the path tried and why
        UnreadableRecord,  // text: why the master file couldn't be read
        RecordNotFound,    // text: the line's name
    };
    struct Problem {
        std::vector<int> lines;  // prescription lines concerned, ascending
        QString text;
    };
    // Where the rows were shown: the message says what became of them.
    enum class Medium { Screen, Paper };

    // The same text for several lines (the same photo, the same unreadable
    // file) is one entry naming all of them.
    void add(Kind kind, int line, const QString& text);
    const std::vector<Problem>& of(Kind kind) const;
    bool empty() const;
    void clear();

    // The one message about every problem, or an empty text when there is none.
    QString message(Medium medium) const;

  private:
    std::vector<Problem> problems_[3];
};

// What a prescription line shows on a sheet or in the preview. A drug the
// master list doesn't know, one whose record is gone and one the master file
// can't be read for all show the line's name and nothing else of it; the
// last two are noted in problems.
struct LineContents {
    bool fromRecord = false;  // the row's cells come from the drug's record
    SheetRow row;             // without a record: displayName is the line's name
};

// line: 1-based prescription line; masterIndex and registeredName as the
// prescription holds them; unknownName: the name of a drug not in the master
// list (masterIndex below -1).
LineContents readLineContents(int line, int masterIndex, std::string_view registeredName,
                              std::string_view unknownName, LineProblems& problems,
                              const QString& masterPath = masterfile::kMasterFileName);

}  // namespace dorimek::sheets
