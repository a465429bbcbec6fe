#include "DrugMasterFile.h"

#include "MasterFileLimits.h"
#include "MasterLines.h"

#include "platform/AtomicFile.h"
#include "platform/FileLock.h"
#include "platform/LineReader.h"
#include "platform/Sjis.h"

#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <array>

namespace dorimek::masterfile {
namespace {

// The editors' labels, in file order: messages name a field the way the user
// sees it on screen.
const std::array<QString, kFieldCount> kFieldLabels = {
    QStringLiteral("登録名"),   QStringLiteral("表示名"),       QStringLiteral("単位"),
    QStringLiteral("形状記号"), QStringLiteral("包装"),         QStringLiteral("効能"),
    QStringLiteral("注意"),     QStringLiteral("画像ファイル"),
};

constexpr qint64 kShortRecordBytes = 16;
constexpr qint64 kReservedNamesAtMost = qint64(1) << 22;
constexpr qint64 kReservedNameBytesAtMost = qint64(1) << 28;

QString displayName(const QString& path) { return QFileInfo(path).fileName(); }

QString openFailure(const QString& path, const QString& why) {
    return QStringLiteral("ファイル %1 を開けません: %2").arg(displayName(path), why);
}

QString readFailure(const QString& path) {
    return QStringLiteral("ファイル %1 を読み込めません").arg(displayName(path));
}

// Walks a line the way every reader splits it and calls onField for each
// field. A lead byte takes the byte after it along, so a trail byte that
// happens to be a comma-free 0x5C or 0x7C never splits anything and a lead
// byte at the very end of the line is kept as it is. Stops early when onField
// returns false.
template <class OnField>
void walkFields(std::string_view line, OnField onField) {
    size_t start = 0;
    size_t i = 0;
    while (i < line.size()) {
        const auto b = static_cast<unsigned char>(line[i]);
        if (platform::isDbcsLeadByte(b)) {
            i += (i + 1 < line.size()) ? 2 : 1;
        } else if (b == ',') {
            if (!onField(line.substr(start, i - start))) return;
            ++i;
            start = i;
        } else {
            ++i;
        }
    }
    onField(line.substr(start));
}

// True when the field ends inside a double-byte character: a reader would
// take the separator after it as that character's second byte and merge the
// next field into this one.
bool endsWithLoneLeadByte(std::string_view field) {
    size_t i = 0;
    while (i < field.size()) {
        if (platform::isDbcsLeadByte(static_cast<unsigned char>(field[i]))) {
            if (i + 1 >= field.size()) return true;
            i += 2;
        } else {
            ++i;
        }
    }
    return false;
}

}  // namespace

std::string_view registeredNameIn(std::string_view line) {
    // walkFields' first field, found with memchr: start-up runs this over
    // every line of the file. A comma byte is a separator unless it is the
    // second byte of a double-byte character, which only a lead byte right
    // before it can make it; the run of lead-range bytes before it, counted
    // back to a known character start, tells by its parity.
    const char* data = line.data();
    const size_t n = line.size();
    size_t start = 0;  // a character starts here
    for (;;) {
        const void* comma = start < n ? std::memchr(data + start, ',', n - start) : nullptr;
        if (!comma) return line;
        const size_t p = static_cast<size_t>(static_cast<const char*>(comma) - data);
        size_t leads = 0;
        while (p - leads > start && platform::isDbcsLeadByte(static_cast<unsigned char>(data[p - leads - 1])))
            ++leads;
        if (leads % 2 == 0) return line.substr(0, p);
        start = p + 1;
    }
}

std::string& DrugRecord::field(int i) {
    return const_cast<std::string&>(static_cast<const DrugRecord&>(*this).field(i));
}

const std::string& DrugRecord::field(int i) const {
    switch (i) {
        case 0:
            return registeredName;
        case 1:
            return displayName;
        case 2:
            return unit;
        case 3:
            return shapeCode;
        case 4:
            return package;
        case 5:
            return efficacy;
        case 6:
            return caution;
        default:
            return imageFile;
    }
}

std::vector<std::string> splitFields(std::string_view line) {
    std::vector<std::string> fields;
    walkFields(line, [&](std::string_view f) {
        fields.emplace_back(f);
        return true;
    });
    return fields;
}

std::string registeredNameOf(std::string_view line) { return std::string(registeredNameIn(line)); }

DrugRecord recordFromFields(const std::vector<std::string>& fields) {
    DrugRecord record;
    const int n = std::min<int>(kFieldCount, static_cast<int>(fields.size()));
    for (int i = 0; i < n; ++i) record.field(i) = fields[static_cast<size_t>(i)];
    return record;
}

std::string joinRecord(const DrugRecord& record) {
    std::string line;
    for (int i = 0; i < kFieldCount; ++i) {
        if (i > 0) line += ',';
        line += record.field(i);
    }
    return line;
}

namespace {

// Reported in this order, so a field with several shows the comma first.
std::optional<ForbiddenCharacter> firstForbidden(bool comma, bool lineBreak, bool tab) {
    if (comma) return ForbiddenCharacter{QStringLiteral("カンマ（,）"), QStringLiteral("カンマ")};
    if (lineBreak) return ForbiddenCharacter{QStringLiteral("改行"), QStringLiteral("改行")};
    if (tab) return ForbiddenCharacter{QStringLiteral("タブ"), QStringLiteral("タブ")};
    return std::nullopt;
}

}  // namespace

// Shift-JIS trail bytes start at 0x40, so these single bytes never stand
// inside a double-byte character.
std::optional<ForbiddenCharacter> forbiddenCharacterIn(std::string_view field) {
    const auto has = [field](char c) { return field.find(c) != std::string_view::npos; };
    return firstForbidden(has(','), has('\r') || has('\n'), has('\t'));
}

std::optional<ForbiddenCharacter> forbiddenCharacterIn(const QString& text) {
    const auto has = [&text](char c) { return text.contains(QLatin1Char(c)); };
    return firstForbidden(has(','), has('\r') || has('\n'), has('\t'));
}

QString formatProblem(const DrugRecord& record, FieldMask asRead) {
    if (record.registeredName.empty()) {
        return QStringLiteral("「%1」が空です").arg(kFieldLabels[0]);
    }
    for (int i = 0; i < kFieldCount; ++i) {
        if (asRead.test(static_cast<size_t>(i))) continue;
        const std::string& f = record.field(i);
        const QString& label = kFieldLabels[static_cast<size_t>(i)];
        if (const auto bad = forbiddenCharacterIn(f)) {
            return QStringLiteral("「%1」に%2は使えません").arg(label, bad->name);
        }
        if (endsWithLoneLeadByte(f)) {
            return QStringLiteral(
                       "「%1」の最後の文字が欠けています（2バイト文字の1バイト目で終わっています）")
                .arg(label);
        }
    }
    return {};
}

Result<MasterNames> LoadRegisteredNames(const QString& path, LimitWatch* limits,
                                        platform::LineDebris* debris) {
    using R = Result<MasterNames>;
    MasterLines reader(path);
    if (!reader.isOpen()) return R::failure(openFailure(path, reader.openError()));
    MasterNames names;
    // Room for as many names as the file could hold lines of a record's
    // shortest sensible size, and for names as long as the file: a large
    // list then never grows by copying into fresh memory. Capacity that
    // isn't used is never touched and costs address space only.
    const qint64 fileBytes = QFileInfo(path).size();
    names.reserve(static_cast<size_t>(std::min(fileBytes / kShortRecordBytes, kReservedNamesAtMost)),
                  static_cast<size_t>(std::min(fileBytes, kReservedNameBytesAtMost)));
    std::string_view line;
    while (reader.next(line)) {
        const std::string_view name = registeredNameIn(line);
        names.push_back(name);
        if (limits) limits->see(reader.fileLine() - 1, line, name.size());
    }
    if (debris) *debris = reader.debris();
    if (reader.failed()) return R::failure(readFailure(path));
    // Names read from a UTF-8 or lone-CR file are mojibake, or one name
    // standing for the whole file: none of them is the drug it seems.
    if (const auto problem = reader.encodingProblem(); problem != platform::EncodingProblem::None) {
        return R::failure(platform::wrongEncodingMessage(displayName(path), problem) +
                              QStringLiteral("\n薬剤リストは空のままです。"),
                          ErrorKind::WrongEncoding);
    }
    return names;
}

Result<std::vector<DrugRecord>> LoadDrugRecords(const QString& path) {
    using R = Result<std::vector<DrugRecord>>;
    MasterLines reader(path);
    if (!reader.isOpen()) return R::failure(openFailure(path, reader.openError()));
    std::vector<DrugRecord> records;
    std::string line;
    while (reader.next(line)) records.push_back(recordFromFields(splitFields(line)));
    if (reader.failed()) return R::failure(readFailure(path));
    return records;
}

Result<std::string> ReadDrugLine(int recordNumber, const QString& path) {
    using R = Result<std::string>;
    if (recordNumber < 0) {
        return R::failure(QStringLiteral("薬剤の番号 %1 は正しくありません").arg(recordNumber));
    }
    MasterLines reader(path);
    if (!reader.isOpen()) return R::failure(openFailure(path, reader.openError()));
    std::string_view line;
    for (int n = 0; reader.next(line); ++n) {
        if (n == recordNumber) return std::string(line);
    }
    if (reader.failed()) return R::failure(readFailure(path));
    return R::failure(QStringLiteral("ファイル %1 に %2 行目の薬剤がありません")
                          .arg(displayName(path))
                          .arg(recordNumber + 1));
}

Result<DrugRecord> ReadDrugRecord(int recordNumber, const QString& path) {
    Result<std::string> line = ReadDrugLine(recordNumber, path);
    if (!line) return Result<DrugRecord>::failure(line.error());
    return recordFromFields(splitFields(*line));
}

Result<std::optional<int>> FindDrugRecord(std::string_view name, const QString& path) {
    using R = Result<std::optional<int>>;
    MasterLines reader(path);
    if (!reader.isOpen()) return R::failure(openFailure(path, reader.openError()));
    std::string_view line;
    for (int n = 0; reader.next(line); ++n) {
        if (registeredNameIn(line) == name) return std::optional<int>(n);
    }
    if (reader.failed()) return R::failure(readFailure(path));
    return std::optional<int>();
}

Status SaveDrugRecords(const std::vector<DrugRecord>& records, const QString& path,
                       const std::vector<FieldMask>& asRead,
                       const std::optional<platform::FileStamp>& expected) {
    std::string bytes;
    for (size_t i = 0; i < records.size(); ++i) {
        const QString problem = formatProblem(records[i], i < asRead.size() ? asRead[i] : FieldMask{});
        if (!problem.isEmpty()) {
            return Status::failure(
                QStringLiteral("%1 行目の薬剤を保存できません: %2\n%3 は書き換えていません。")
                    .arg(i + 1)
                    .arg(problem, displayName(path)));
        }
        bytes += joinRecord(records[i]);
        bytes += "\r\n";
    }
    if (expected) return platform::replaceFileIfUnchanged(path, *expected, bytes);
    const Result<platform::FileLock> lock = platform::FileLock::forFile(path);
    if (!lock) return Status::failure(lock.error(), lock.errorKind());
    return platform::writeFileAtomically(path, bytes);
}

}  // namespace dorimek::masterfile
