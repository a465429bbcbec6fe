#pragma once

#include "masterfile/DrugMasterFile.h"
#include "platform/Result.h"

#include <QString>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dorimek::masterfile {

// Which record a prescription line stands for. The line holds the record
// number its drug had when it was chosen and the drug's RegisteredName; the
// file may have changed since (a grid save, another program, a restore). The
// record at that number is taken while it still carries the name; otherwise
// the first record that does, the way 個別編集 and the import bind a name;
// none when no record carries it. Fed the RegisteredNames in file order, so
// every reader applies the same rule whatever it reads them from.
class LineRecordRule {
  public:
    LineRecordRule(int recordNumber, std::string_view registeredName);

    // Offers record n's RegisteredName, n counting up from 0. True once the
    // choice can no longer change, so the reader may stop.
    bool offer(int n, std::string_view registeredName);
    // The record chosen from what was offered so far.
    std::optional<int> chosen() const;

  private:
    int recordNumber_;
    std::string name_;
    std::optional<int> atNumber_;
    std::optional<int> first_;
};

// The rule over a master list held in memory.
std::optional<int> findLineRecord(const MasterNames& registeredNames,
                                  int recordNumber, std::string_view registeredName);

struct LineRecord {
    int recordNumber = 0;
    std::string line;  // the record's line, without its line end
};

// The rule over the file, read once from the top. An empty optional when no
// record carries the name; a failure when the file can't be read.
Result<std::optional<LineRecord>> ReadLineRecord(int recordNumber,
                                                 std::string_view registeredName,
                                                 const QString& path = kMasterFileName);

}  // namespace dorimek::masterfile
