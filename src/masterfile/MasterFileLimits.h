#pragma once

#include <QString>

#include <cstddef>
#include <optional>
#include <string_view>

namespace dorimek::masterfile {

// The master file's own limits, kept by the other programs that share the
// file. This program reads past them without cutting anything; only a record
// far beyond them (a file without line ends, a name of megabytes) is worth
// telling the user about, since it is no drug record at all.
inline constexpr size_t kLineLimit = 318;  // bytes, without the line end
inline constexpr size_t kNameLimit = 63;   // bytes of the RegisteredName
// A hundred times a limit is no long drug name but a broken file.
inline constexpr size_t kAbsurdFactor = 100;
inline constexpr size_t kAbsurdNameBytes = kNameLimit * kAbsurdFactor;
inline constexpr size_t kAbsurdLineBytes = kLineLimit * kAbsurdFactor;

// A name is shown whole in the drug lists up to the length called absurd
// above; past it only its beginning and "…". A message names a drug by at
// most twice the name limit: enough to tell any real name, short enough for
// a message box.
inline constexpr size_t kListedNameBytes = kAbsurdNameBytes;
inline constexpr size_t kMessageNameBytes = 2 * kNameLimit;

// A RegisteredName as a list shows it, and as a message names it.
QString listedName(std::string_view name);
QString messageName(std::string_view name);

// A name this long is no drug: it is never made a prescription line. The
// refusal, naming the file's limits.
bool absurdName(std::string_view name);
QString absurdNameMessage(std::string_view name);

// Watches the lines of one load for records absurdly beyond the limits and
// words what it saw for the user.
class LimitWatch {
  public:
    void see(int recordNumber, std::string_view line, size_t nameBytes);

    bool sawAbsurdRecord() const { return first_.has_value(); }
    // Empty when every record was within reason.
    QString message(const QString& fileName) const;

  private:
    struct Finding {
        int recordNumber = 0;
        size_t lineBytes = 0;
        size_t nameBytes = 0;
    };
    std::optional<Finding> first_;
    int count_ = 0;
};

}  // namespace dorimek::masterfile
