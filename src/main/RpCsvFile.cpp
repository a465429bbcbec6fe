#include "RpCsvFile.h"

#include "platform/LineReader.h"
#include "platform/Sjis.h"

#include <QDir>
#include <QFileInfo>

#include <array>

namespace dorimek::mainwin {
namespace {

constexpr int kNameField = 5;
constexpr int kUsageFlagField = 4;
constexpr int kUsageField = 9;

}  // namespace

QString RpCsvFile::pathIn(std::string_view qevWorkPath) {
    std::string bytes(qevWorkPath);
    bytes += "rp.csv";
    return platform::toUnicode(bytes);
}

RpCsvFile::LineKind RpCsvFile::parseLine(std::string_view line, int fileLine, RpRecord& out) {
    // A line beginning with CR is an empty line in any line-end style.
    if (!line.empty() && line.front() == '\r') return LineKind::Blank;
    // A stray CR left at the end (a line ended by CR CR LF, or a last line
    // ended by a lone CR) is line-end debris, not part of the usage text.
    while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) return LineKind::Blank;

    // Positions of the first ten commas: comma k (1-based) ends field k-1.
    // There is no quoting; a Shift-JIS trail byte is never 0x2C, so a byte
    // walk finds exactly the separators.
    std::array<size_t, kUsageField + 1> comma{};
    int found = 0;
    for (size_t i = 0; i < line.size() && found < kUsageField; ++i) {
        if (line[i] == ',') comma[++found] = i;
    }
    if (found < kNameField + 1) return LineKind::Malformed;

    const size_t nameBegin = comma[kNameField] + 1;
    const size_t nameEnd = comma[kNameField + 1];

    out = RpRecord{};
    out.fileLine = fileLine;
    out.drugName.assign(line.substr(nameBegin, nameEnd - nameBegin));
    out.hasOwnUsage = comma[kUsageFlagField + 1] != comma[kUsageFlagField] + 1;
    if (out.hasOwnUsage && found >= kUsageField) {
        out.usage.assign(line.substr(comma[kUsageField] + 1));
    }
    return out.drugName.empty() ? LineKind::NoName : LineKind::Record;
}

QString RpCsvFile::missingMessage(const QString& path) {
    return QStringLiteral("rp.csvがありません\n探したファイル: %1")
        .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
}

Result<RpCsvContent> RpCsvFile::read(const QString& path) {
    // A folder opens for reading on some systems and then fails on the first
    // read; for the user it is simply not the file.
    if (QFileInfo(path).isDir()) return Result<RpCsvContent>::failure(missingMessage(path));
    platform::LineReader reader(path);
    if (!reader.isOpen()) return Result<RpCsvContent>::failure(missingMessage(path));

    RpCsvContent content;
    std::string line;
    int fileLine = 0;
    while (reader.next(line)) {
        ++fileLine;
        if (fileLine <= kHeaderLines) continue;
        RpRecord record;
        switch (parseLine(line, fileLine, record)) {
            case LineKind::Record:
                content.records.push_back(std::move(record));
                break;
            case LineKind::NoName:
                content.records.push_back(std::move(record));
                content.malformedLines.push_back(fileLine);
                break;
            case LineKind::Malformed:
                content.malformedLines.push_back(fileLine);
                break;
            case LineKind::Blank:
                break;
        }
    }
    // Drug names in mojibake would each be "not in the list" and print as
    // such: nothing of such a file is imported.
    if (const auto problem = reader.encodingProblem(); problem != platform::EncodingProblem::None) {
        return Result<RpCsvContent>::failure(
            platform::wrongEncodingMessage(QStringLiteral("rp.csv"), problem) +
                QStringLiteral("\n処方は取り込みませんでした。"),
            ErrorKind::WrongEncoding);
    }
    if (reader.debris().textAfterEndMark())
        content.textAfterEndMarkLine = reader.debris().endMarkLine();
    if (reader.failed()) {
        content.readError =
            QStringLiteral("rp.csvを最後まで読めませんでした（%1行目まで取り込みました）")
                .arg(fileLine);
    }
    return content;
}

}  // namespace dorimek::mainwin
