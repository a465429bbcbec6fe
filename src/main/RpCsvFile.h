#pragma once

#include "platform/FileStamp.h"
#include "platform/Result.h"

#include <QString>

#include <optional>
#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace dorimek::mainwin {

// One drug line of the host system's rp.csv, reduced to what the import uses.
// Texts are Shift-JIS bytes exactly as the file holds them.
struct RpRecord {
    int fileLine = 0;          // 1-based line number in rp.csv, for messages
    std::string drugName;      // field 5, byte for byte
    bool hasOwnUsage = false;  // field 4 is not empty
    // Field 9 up to the line end, commas included; only meaningful when
    // hasOwnUsage. Empty also when the record stops before field 9.
    std::string usage;
    bool operator==(const RpRecord&) const = default;
};

// What a readable rp.csv holds.
struct RpCsvContent {
    std::vector<RpRecord> records;
    // Lines that stop before the comma closing the drug name, or whose drug
    // name is empty: there is no drug to list, so they are left out. Those
    // with an empty name are also in records (with an empty drugName) for
    // the usage carry-over.
    std::vector<int> malformedLines;
    // Set when reading stopped early because of an I/O error; the records
    // before it are kept.
    QString readError;
    // The line of an end-of-file byte 0x1A with text behind it: what follows
    // the byte is not the host's current prescription and is not read.
    std::optional<int> textAfterEndMarkLine;
    // The 1-based number of a last line that had no line end yet when the
    // file was read (the host was still writing it); 0 when every line was
    // whole. Such a line is no record: it may be any part of the real one.
    int unfinishedLine = 0;
    // What was read, to tell this prescription from the next one.
    platform::FileStamp contentStamp;
};

// How long to wait for the host to finish writing rp.csv.
struct RpCsvWait {
    std::chrono::milliseconds total{2000};
    // Between two looks at the file; it is complete when two looks in a row
    // find the same size and time and a line end at its end.
    std::chrono::milliseconds interval{100};
    // For tests: called before each pause.
    std::function<void()> onPause;
};

// The prescription file the host system leaves in its work folder. It is only
// ever read: the host owns it.
class RpCsvFile {
  public:
    static constexpr int kHeaderLines = 5;

    // The file name inside the host's work folder. The folder setting carries
    // its own trailing separator, so the name is appended directly.
    static QString pathIn(std::string_view qevWorkPath);

    // Reads the whole file, once it is complete or the wait is over. Every
    // line is read whole, however long, so a long header or record is never
    // taken as two lines; a last line without its line end is left out and
    // noted as unfinished. Fails, with the fixed text "rp.csvがありません"
    // and the path tried, when the file can't be opened, and, naming the
    // file, when it isn't Shift-JIS with proper line ends.
    static Result<RpCsvContent> read(const QString& path, const RpCsvWait& wait = {});
    // The message for a file that isn't there: the fixed text, then where it
    // was looked for, so that a wrong work folder shows at once.
    static QString missingMessage(const QString& path);

    // Returns once the file looks completely written, or it is missing, or
    // wait.total has passed; true in the first two cases. A file not changed
    // for a while that ends with a line end is taken at once.
    static bool waitUntilComplete(const QString& path, const RpCsvWait& wait = {});

    // NoName: the line has every field up to the drug name's closing comma
    // but the name is empty. It lists no drug, yet its usage fields are the
    // host's and take part in the usage carry-over like any record's.
    enum class LineKind { Record, Blank, Malformed, NoName };
    // Parses one data line (without its line end). fileLine is stored in the
    // record for messages; for NoName out holds the usage fields only.
    static LineKind parseLine(std::string_view line, int fileLine, RpRecord& out);
};

}  // namespace dorimek::mainwin
