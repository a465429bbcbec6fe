#pragma once

#include "masterfile/MasterNames.h"
#include "platform/LineReader.h"
#include "platform/FileStamp.h"
#include "platform/Result.h"

#include <QString>

#include <array>
#include <bitset>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dorimek::masterfile {

class LimitWatch;

// The drug master file's name; it is opened by this bare name in the current
// directory, which start-up makes the program's folder.
inline const QString kMasterFileName = QStringLiteral("yakujo.txt");

constexpr int kFieldCount = 8;

// One line of yakujo.txt. All texts are Shift-JIS bytes, exactly as stored.
struct DrugRecord {
    std::string registeredName;  // 登録名: the key, compared byte for byte
    std::string displayName;     // 表示名: printed on the sheet
    std::string unit;            // 単位
    std::string shapeCode;       // 形状記号
    std::string package;         // 包装
    std::string efficacy;        // 効能
    std::string caution;         // 注意
    std::string imageFile;       // 画像ファイル: empty when the drug has no photo

    std::string& field(int i);  // 0..7 in file order
    const std::string& field(int i) const;
    bool operator==(const DrugRecord&) const = default;
};

// Splits one line (without its line end) at its commas, taking a Shift-JIS
// lead byte and the byte after it as one unit, so a trail byte never splits.
// Returns every field found: a well-formed line gives eight, a line without a
// comma gives one (its whole text), a line with more commas gives more.
std::vector<std::string> splitFields(std::string_view line);

// The bytes before the first comma (the whole line when there is none).
std::string registeredNameOf(std::string_view line);
// The same, as a view into line.
std::string_view registeredNameIn(std::string_view line);

// The record of a split line: missing fields are empty, fields past the
// eighth are dropped.
DrugRecord recordFromFields(const std::vector<std::string>& fields);

// The line for a record: eight fields joined by single commas, no line end.
std::string joinRecord(const DrugRecord& record);

// Fields (bit i = field i) that hold exactly the bytes read from the file.
// They already stand in the file, so writing them back can't break it more
// than it is; only what the user changed is checked.
using FieldMask = std::bitset<kFieldCount>;

// A character that no field may hold: the comma ends a field, CR and LF end
// the line, and a tab is nothing staff mean to store (it comes from a paste
// or a Tab key that typed instead of moving on, and prints as a gap). Every
// editor refuses these through this one rule.
struct ForbiddenCharacter {
    QString name;       // as messages name it: "カンマ（,）", "改行", "タブ"
    QString shortName;  // "カンマ", "改行", "タブ"
};
std::optional<ForbiddenCharacter> forbiddenCharacterIn(std::string_view field);
std::optional<ForbiddenCharacter> forbiddenCharacterIn(const QString& text);

// Empty when the record can be written without breaking the file's format;
// otherwise a Japanese message naming the first offending field (a forbidden
// character, an empty RegisteredName, or a field that ends in the first byte
// of a double-byte character, which would swallow the comma after it).
// Fields in asRead are not checked, except that the RegisteredName is never empty.
QString formatProblem(const DrugRecord& record, FieldMask asRead = {});

// The five operations. Each opens the file, works and closes it; nothing is
// cached between calls. Every reader takes its lines from MasterLines, so
// the record numbers agree: every record line counts, the last one too when
// it lacks its line end; blank lines and debris don't. The master list's
// loader also refuses a file that isn't Shift-JIS with proper line ends
// (ErrorKind::WrongEncoding, naming the file); limits, when given, sees every
// line (start-up reports absurd records), debris gets what was skipped.
Result<MasterNames> LoadRegisteredNames(const QString& path = kMasterFileName,
                                        LimitWatch* limits = nullptr,
                                        platform::LineDebris* debris = nullptr);
Result<std::vector<DrugRecord>> LoadDrugRecords(const QString& path = kMasterFileName);
// Fails (with a message) for a file that can't be opened or a record number
// at or past the end of the file.
Result<DrugRecord> ReadDrugRecord(int recordNumber, const QString& path = kMasterFileName);
// The line itself (without line end), for readers with their own walk.
Result<std::string> ReadDrugLine(int recordNumber, const QString& path = kMasterFileName);
// The number of the first record whose RegisteredName equals name byte for
// byte; nullopt when none does.
Result<std::optional<int>> FindDrugRecord(std::string_view name,
                                          const QString& path = kMasterFileName);
// Replaces the file whole and atomically: every record one line, CR LF after
// each. Refuses (writing nothing) a record whose formatProblem() is not empty;
// asRead (one mask per record, or none) names the fields kept as read.
// Holds the file's lock while it writes. With expected (the stamp taken when
// the records were read) it writes only while the file still holds that,
// and otherwise fails with ErrorKind::FileChanged, writing nothing.
Status SaveDrugRecords(const std::vector<DrugRecord>& records,
                       const QString& path = kMasterFileName,
                       const std::vector<FieldMask>& asRead = {},
                       const std::optional<platform::FileStamp>& expected = std::nullopt);

}  // namespace dorimek::masterfile
