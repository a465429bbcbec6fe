// rp.csv as the host system may leave it: the import against a small master
// list, into a prescription that may already hold lines.
#include "FuzzSupport.h"

#include "RpCsvImport.h"
#include "sheets/UsageSplit.h"

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using namespace dorimek;
using dorimek::fuzz::check;
using prescription::PrescriptionState;

namespace {

const std::vector<std::string>& masterList() {
    // Half-width katakana, double-byte names and plain ASCII, as master
    // files hold them (Shift-JIS).
    static const std::vector<std::string> list = {
        "\xb1\xd1\xdb\xbc\xde\xcb\xdf\xdd\x8f\xf9\x35mg",        // ｱﾑﾛｼﾞﾋﾟﾝ錠5mg
        "\x8e\x5f\x89\xbb\xcf\xb8\xde\xc8\xbc\xb3\xd1\x8f\xf9",  // 酸化ﾏｸﾞﾈｼｳﾑ錠
        "ATP20",
        "A",
        "\x95\x5c",  // 表: its trail byte is a backslash
    };
    return list;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte: how many lines the user had before the import.
    const int before = data[0] % (prescription::PrescriptionState::kMaxLines + 2);
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const QString path = fuzz::writeScratchFile("rp.csv", bytes);

    prescription::PrescriptionState state;
    for (int i = 0; i < before; ++i) state.appendKnown("ATP20", 2);
    const int startCount = state.lineCount();

    // The file is complete as written: waiting for the host to finish it
    // would only slow the fuzzer down.
    const mainwin::RpCsvWait noWait{std::chrono::milliseconds(0), std::chrono::milliseconds(0), {}};
    const auto report = mainwin::RpCsvImport::run(path, masterList(), state, noWait);
    const auto content = mainwin::RpCsvFile::read(path, noWait);
    if (!content.ok() && content.errorKind() == ErrorKind::WrongEncoding) {
        // A file that isn't Shift-JIS is named, and nothing of it is imported.
        check(report.lines.empty() && state.lineCount() == startCount,
              "a wrongly encoded file was imported");
        return 0;
    }
    check(report.fileOpened, "a readable rp.csv was not opened");

    const int count = state.lineCount();
    check(count >= startCount && count <= prescription::PrescriptionState::kMaxLines,
          "line count out of range");
    check(static_cast<size_t>(count - startCount) == report.lines.size(),
          "the report and the prescription disagree");
    check(report.unknownNames.size() <=
              static_cast<size_t>(prescription::PrescriptionState::kUnknownSlots),
          "more unknown drugs than slots");

    for (const mainwin::ImportedLine& line : report.lines) {
        check(line.lineNumber > startCount && line.lineNumber <= count, "line number out of range");
        check(line.masterIndex == state.masterIndex(line.lineNumber), "master index not stored");
        check(!line.name.empty(), "a drug without a name was listed");
        if (line.masterIndex >= 0) {
            check(static_cast<size_t>(line.masterIndex) < masterList().size() &&
                      masterList()[static_cast<size_t>(line.masterIndex)] == line.name,
                  "a line points at another drug");
        } else {
            check(line.masterIndex <= -2 && line.masterIndex >= -9, "bad unknown-drug slot");
            check(state.unknownDrugName(-line.masterIndex - 2) == line.name,
                  "an unknown drug lost its name");
        }
        // Every line keeps the usage the file gives it; one without keeps
        // its position's, and no position had one before this import.
        check(state.usage(line.lineNumber).text == line.usage.value_or(std::string()),
              "a line lost its usage");
        check(state.usage(line.lineNumber).unprintable.isEmpty(),
              "an imported usage taken as typed");
        if (line.usage) {
            check(!line.usage->empty(), "an empty usage was set");
            // The sheet prints the usage split at its blanks; nothing is lost.
            const std::vector<std::string> parts = sheets::splitUsage(*line.usage);
            std::string joined;
            for (size_t i = 0; i < parts.size(); ++i) {
                if (i > 0) joined += ' ';
                joined += parts[i];
            }
            check(joined == *line.usage, "the usage lost text when split into lines");
        }
    }
    for (const mainwin::RefusedDrug& r : report.refused) {
        check(!r.name.empty(), "a nameless drug refused");
    }

    // Every data line is accounted for exactly once.
    check(content.ok(), "rp.csv readable once but not twice");
    // Records without a drug name only carry their usage on; they list nothing.
    const auto named =
        std::count_if(content->records.begin(), content->records.end(),
                      [](const mainwin::RpRecord& r) { return !r.drugName.empty(); });
    check(static_cast<size_t>(named) == report.lines.size() + report.refused.size(),
          "a drug was neither listed nor refused");
    for (const mainwin::RpRecord& r : content->records) {
        check(r.fileLine > mainwin::RpCsvFile::kHeaderLines, "a header line taken for a drug");
        if (r.drugName.empty()) {
            check(std::find(content->malformedLines.begin(), content->malformedLines.end(),
                            r.fileLine) != content->malformedLines.end(),
                  "a record without a drug name went unreported");
        }
        check(r.drugName.find(',') == std::string::npos, "a drug name holds a comma");
        // Debris of old tools is no text: the end-of-file byte and NULs.
        for (const std::string* text : {&r.drugName, &r.usage}) {
            check(text->find_first_of(std::string_view("\x1a\0", 2)) == std::string::npos,
                  "an end-of-file byte or NUL taken for text");
        }
        if (!r.hasOwnUsage) check(r.usage.empty(), "usage kept without its flag");
    }
    return 0;
}
