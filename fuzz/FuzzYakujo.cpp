// The drug master file as it may arrive from any clinic: every reader, the
// field splitter, the sheet's own record walk, the grid's view of the records
// and the writers' round trip, on arbitrary bytes.
#include "FuzzSupport.h"

#include "DrugRecordEditor.h"
#include "masterfile/DrugMasterFile.h"
#include "masterfile/GridRows.h"
#include "platform/Sjis.h"
#include "sheets/SheetRow.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using namespace dorimek;
using dorimek::fuzz::check;

namespace {

// The lines as the readers must see them: the end-of-file byte 0x1A ends the
// file, NUL bytes are no text, LF ends a line, a CR right before it belongs
// to the line end, the last line counts without a line end, and a line of
// nothing but blanks is no record.
std::vector<std::string> linesOf(std::string_view bytes) {
    const size_t mark = bytes.find('\x1a');
    bytes = bytes.substr(0, mark);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        const bool ended = end != std::string_view::npos;
        if (!ended) end = bytes.size();
        std::string line(bytes.substr(start, end - start));
        std::erase(line, '\0');
        // A line the end-of-file byte ends is ended too.
        if ((ended || mark != std::string_view::npos) && !line.empty() && line.back() == '\r')
            line.pop_back();
        // Byte-order marks before the first text, however many blank lines
        // stand in front of it.
        while (lines.empty() && line.starts_with("\xEF\xBB\xBF")) line.erase(0, 3);
        if (line.find_first_not_of(" \t\r") != std::string::npos) lines.push_back(line);
        start = ended ? end + 1 : end;
    }
    return lines;
}

void checkLine(std::string_view line) {
    const std::vector<std::string> fields = masterfile::splitFields(line);
    check(!fields.empty(), "splitFields gave no field");
    check(masterfile::registeredNameOf(line) == fields.front(),
          "registeredNameOf disagrees with the first field");

    // The splitter loses no byte: the fields joined by commas are the line.
    std::string joined;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) joined += ',';
        joined += fields[i];
    }
    check(joined == line, "splitFields lost or added bytes");

    // A record the writer accepts comes back from its own line unchanged.
    const masterfile::DrugRecord record = masterfile::recordFromFields(fields);
    if (masterfile::formatProblem(record).isEmpty()) {
        const std::string written = masterfile::joinRecord(record);
        check(masterfile::recordFromFields(masterfile::splitFields(written)) == record,
              "an accepted record does not read back as itself");
        if (fields.size() == masterfile::kFieldCount) {
            check(written == line, "a well-formed line is not written back as it was");
        }
    }

    // The sheet's walk never yields a line end and never more text than the
    // line holds.
    const sheets::SheetRow row = sheets::walkRecordLine(line);
    for (const std::string* text : {&row.displayName, &row.shapeCode, &row.package, &row.efficacy,
                                    &row.caution, &row.photoFileName}) {
        check(text->size() <= line.size(), "the sheet's walk made text up");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> lines = linesOf(bytes);
    for (const std::string& line : lines) checkLine(line);
    // The sheet is also handed lines with their line end still on.
    sheets::walkRecordLine(bytes);

    const QString path = fuzz::writeScratchFile("yakujo.txt", bytes);

    const auto names = masterfile::LoadRegisteredNames(path);
    const auto records = masterfile::LoadDrugRecords(path);
    // A file that isn't Shift-JIS gives no list at all, and says why.
    if (!names.ok() && names.errorKind() == ErrorKind::WrongEncoding) return 0;
    check(names.ok() && records.ok(), "a readable file failed to load");
    check(names->size() == lines.size(), "record numbers are not line numbers");
    check(records->size() == lines.size(), "the records are not one per line");
    for (size_t i = 0; i < lines.size(); ++i) {
        check((*names)[i] == (*records)[i].registeredName, "the name list and records disagree");
    }

    // Random access and the name search agree with the whole-file readers.
    if (!lines.empty()) {
        const int n = static_cast<int>(size % lines.size());
        const auto one = masterfile::ReadDrugRecord(n, path);
        check(one.ok() && *one == (*records)[static_cast<size_t>(n)],
              "ReadDrugRecord disagrees with LoadDrugRecords");
        const auto line = masterfile::ReadDrugLine(n, path);
        check(line.ok() && *line == lines[static_cast<size_t>(n)], "ReadDrugLine changed the line");
        const auto found = masterfile::FindDrugRecord((*names)[static_cast<size_t>(n)], path);
        check(found.ok() && found->has_value() && **found <= n &&
                  (*names)[static_cast<size_t>(**found)] == (*names)[static_cast<size_t>(n)],
              "FindDrugRecord missed a name that is in the file");
    }
    check(!masterfile::ReadDrugRecord(static_cast<int>(lines.size()), path).ok(),
          "a record past the end was read");
    check(!masterfile::ReadDrugRecord(-1, path).ok(), "a negative record number was read");

    // The grid editor's save plan never lets through what the file can't hold.
    const masterfile::GridRows grid = masterfile::GridRows::fromRecords(*records);
    const masterfile::GridRows::Plan plan = grid.planSave();
    if (!plan.problem) {
        for (const masterfile::DrugRecord& r : plan.records) {
            check(masterfile::formatProblem(r).isEmpty(),
                  "the grid planned a record it can't save");
        }
    }

    // What the writer accepts, it reads back unchanged.
    const QString copy = fuzz::scratchDir() + QStringLiteral("/saved.txt");
    if (masterfile::SaveDrugRecords(*records, copy).ok()) {
        const auto again = masterfile::LoadDrugRecords(copy);
        check(again.ok() && *again == *records, "saved records read back differently");
    }

    // The per-drug editor: load a record, store it back as loaded. Only that
    // line may change, and only to the record's own line.
    if (!lines.empty()) {
        const size_t n = (size / 7) % lines.size();
        mainwin::DrugRecordEditor editor(path);
        const auto loaded = editor.load((*names)[n]);
        if (loaded.ok()) {
            const size_t at = static_cast<size_t>(loaded->recordIndex);
            check(at <= n && (*names)[at] == (*names)[n], "the editor loaded another record");
            const Status saved = editor.finish(loaded->record);
            // Fields left as they were read are written back as read, so a
            // record stored back untouched is never refused.
            check(saved.ok(), "an untouched record was refused");
            check(saved.ok() || !saved.error().isEmpty(), "a refusal without a message");
            check(saved.ok() != editor.pending(), "the pending edit doesn't follow the save");
            if (saved.ok()) {
                const auto after = masterfile::LoadDrugRecords(path);
                check(after.ok() && after->size() == records->size(),
                      "the editor's save changed the number of records");
                for (size_t i = 0; i < after->size(); ++i) {
                    if (i == at) {
                        check((*after)[i] == masterfile::recordFromFields(masterfile::splitFields(
                                                 masterfile::joinRecord(loaded->record))),
                              "the editor stored something else");
                    } else {
                        check((*after)[i] == (*records)[i], "the editor changed another record");
                    }
                }
            }
        } else {
            check((*names)[n].empty(), "the editor could not load a record that is there");
            check(!editor.pending(), "a failed load left an edit pending");
        }
    }
    return 0;
}
