#include "DrugRecordEditor.h"

#include "MasterSlice.h"
#include "TestFiles.h"
#include "masterfile/MasterFileLimits.h"
#include "platform/Sjis.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <array>
#include <csignal>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace dorimek::mainwin {
namespace {

using masterfile::DrugRecord;
using testing::readBytes;
using testing::sjis;
using testing::writeBytes;

// A master file with the awkward cases in it: a duplicated name, a 0x5C
// trail byte (表), a line without commas and a line with surplus commas,
// which the editor must carry through untouched.
std::vector<std::string> masterLines() {
    return {
        sjis("ｱﾑﾛｼﾞﾝ錠5mg,アムロジン錠5mg,錠,ＷＥ１２,5mg 100錠,高血圧の薬,めまいに注意,amlo.jpg"),
        sjis("ﾛｷｿﾆﾝ錠60mg,ロキソニン錠,錠,,60mg,痛み止め,胃が荒れることがあります,loxo.jpg"),
        sjis("ﾑｺｽﾀ錠100mg,ムコスタ錠,錠,,100mg,胃の表面を守る薬,,"),
        sjis("ﾛｷｿﾆﾝ錠60mg,ロキソニン（後の重複）,錠,,60mg,重複,,"),
        sjis("壊れた行 カンマなし"),
        sjis("ｴｸｽﾄﾗ,a,b,c,d,e,f,g,h"),
        sjis("ﾏｸﾞﾐｯﾄ錠330mg,マグミット錠,錠,,330mg,便秘,水分を多くとる,magu.bmp"),
    };
}
const int kLastRecord = 6;

std::string fileOf(const std::vector<std::string>& lines, bool finalEol = true) {
    std::string bytes;
    for (size_t i = 0; i < lines.size(); ++i) {
        bytes += lines[i];
        if (i + 1 < lines.size() || finalEol) bytes += "\r\n";
    }
    return bytes;
}

class MasterDir {
  public:
    MasterDir(const std::vector<std::string>& lines = masterLines(), bool finalEol = true)
        : path(dir.filePath(QStringLiteral("yakujo.txt"))) {
        writeBytes(path, fileOf(lines, finalEol));
    }
    std::string bytes() const { return readBytes(path); }
    QTemporaryDir dir;
    QString path;
};

struct RoundTrip {
    const char* what;
    const char* name;  // UTF-8
    int index;
    const char* loadedDisplayName;
    std::function<void(DrugRecord&)> change;
    std::function<void(DrugRecordEditor&)> after = {};
};
void PrintTo(const RoundTrip& c, std::ostream* os) { *os << c.what; }

class DrugRecordRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(DrugRecordRoundTrip, ReplacesOnlyTheLoadedLine) {
    const RoundTrip& c = GetParam();
    MasterDir master;
    DrugRecordEditor editor(master.path);

    Result<LoadedDrug> loaded = editor.load(sjis(c.name));
    ASSERT_TRUE(loaded.ok()) << loaded.error().toStdString();
    EXPECT_EQ(loaded->recordIndex, c.index);
    EXPECT_EQ(editor.editedRecordIndex(), c.index);
    EXPECT_EQ(loaded->record.displayName, sjis(c.loadedDisplayName));
    EXPECT_TRUE(editor.pending());

    DrugRecord edited = loaded->record;
    c.change(edited);
    const Status saved = editor.finish(edited);
    ASSERT_TRUE(saved.ok()) << saved.error().toStdString();
    EXPECT_FALSE(editor.pending());

    std::vector<std::string> expected = masterLines();
    expected[static_cast<size_t>(c.index)] = masterfile::joinRecord(edited);
    EXPECT_EQ(master.bytes(), fileOf(expected));
    if (c.after) c.after(editor);
}

INSTANTIATE_TEST_SUITE_P(
    MasterFile, DrugRecordRoundTrip,
    ::testing::Values(
        RoundTrip{"last record: line count kept", "ﾏｸﾞﾐｯﾄ錠330mg", kLastRecord, "マグミット錠",
                  [](DrugRecord& r) { r.caution = sjis("腎臓の悪い方は医師に相談"); }},
        RoundTrip{"first record, fields emptied", "ｱﾑﾛｼﾞﾝ錠5mg", 0, "アムロジン錠5mg",
                  [](DrugRecord& r) {
                      r = DrugRecord{};
                      r.registeredName = sjis("ｱﾑﾛｼﾞﾝ錠5mg");
                  }},
        RoundTrip{"duplicated name: the first is loaded and replaced", "ﾛｷｿﾆﾝ錠60mg", 1,
                  "ロキソニン錠", [](DrugRecord& r) { r.efficacy = sjis("痛みや熱を抑える"); },
                  [](DrugRecordEditor& e) {
                      // The second line with the name is still there, untouched.
                      EXPECT_EQ(e.load(sjis("ﾛｷｿﾆﾝ錠60mg"))->recordIndex, 1);
                  }},
        RoundTrip{"renamed record: the old name no longer loads", "ﾑｺｽﾀ錠100mg", 2, "ムコスタ錠",
                  [](DrugRecord& r) { r.registeredName = sjis("ﾑｺｽﾀ錠100mg（新）"); },
                  [](DrugRecordEditor& e) {
                      const Result<LoadedDrug> old = e.load(sjis("ﾑｺｽﾀ錠100mg"));
                      EXPECT_FALSE(old.ok());
                      EXPECT_FALSE(e.pending());
                      EXPECT_EQ(e.load(sjis("ﾑｺｽﾀ錠100mg（新）"))->recordIndex, 2);
                  }},
        RoundTrip{"surplus commas arrive in 画像ファイル and can be mended", "ｴｸｽﾄﾗ", 5, "a",
                  [](DrugRecord& r) {
                      EXPECT_EQ(r.imageFile, "g,h");
                      r.imageFile = "g.jpg";
                  }}));

TEST(DrugRecordEditor, UnknownNameLoadsNothingAndKeepsThePendingRecord) {
    MasterDir master;
    DrugRecordEditor editor(master.path);
    EXPECT_FALSE(editor.finish(DrugRecord{}).ok()) << "nothing loaded yet";

    const Result<LoadedDrug> none = editor.load(sjis("ﾌﾟﾛﾄﾝ錠"));
    ASSERT_FALSE(none.ok());
    EXPECT_TRUE(none.error().contains(QStringLiteral("ﾌﾟﾛﾄﾝ錠"))) << none.error().toStdString();
    EXPECT_FALSE(editor.pending());
    EXPECT_FALSE(editor.load("").ok());

    ASSERT_TRUE(editor.load(sjis("ﾑｺｽﾀ錠100mg")).ok());
    EXPECT_FALSE(editor.load(sjis("ﾑｺｽﾀ錠100mg ")).ok()) << "a trailing blank is another name";
    EXPECT_EQ(editor.editedRecordIndex(), 2);

    MasterDir missing;
    QFile::remove(missing.path);
    DrugRecordEditor noFile(missing.path);
    EXPECT_FALSE(noFile.load(sjis("ﾑｺｽﾀ錠100mg")).ok());
    EXPECT_FALSE(noFile.pending());
}

TEST(DrugRecordEditor, SavingTwiceNeedsANewLoad) {
    MasterDir master;
    DrugRecordEditor editor(master.path);
    Result<LoadedDrug> loaded = editor.load(sjis("ﾑｺｽﾀ錠100mg"));
    ASSERT_TRUE(loaded.ok());
    ASSERT_TRUE(editor.finish(loaded->record).ok());
    const std::string after = master.bytes();
    EXPECT_EQ(after, fileOf(masterLines())) << "an unchanged record writes the same bytes";
    EXPECT_FALSE(editor.finish(loaded->record).ok());
    EXPECT_EQ(master.bytes(), after);
}

// A name stored under the less usual of two codes for one character (an
// NEC-selected IBM extension) goes through the window's Unicode fields; an
// unedited save must give back its stored bytes, or the host's prescriptions
// would no longer find the drug.
TEST(DrugRecordEditor, UneditedFieldsKeepTheirStoredBytes) {
    const std::string name = std::string("\xB1\xED\x40");  // ｱ + a twin-coded kanji
    MasterDir master({name + ",\xED\x40,a,b,c,d,e,"});
    DrugRecordEditor editor(master.path);
    Result<LoadedDrug> loaded = editor.load(name);
    ASSERT_TRUE(loaded.ok());
    std::array<QString, masterfile::kFieldCount> texts;
    for (int i = 0; i < masterfile::kFieldCount; ++i)
        texts[static_cast<size_t>(i)] = platform::toUnicode(loaded->record.field(i));
    texts[2] = QStringLiteral("錠");  // one field really edited
    Result<DrugRecord> record = DrugRecordEditor::recordFromTexts(texts);
    ASSERT_TRUE(record.ok());
    ASSERT_TRUE(editor.finish(*record).ok());
    EXPECT_EQ(master.bytes(), name + ",\xED\x40," + sjis("錠") + ",b,c,d,e,\r\n");
}

struct BadInput {
    std::string what;
    int field;
    std::string text;
    QString label;
};
void PrintTo(const BadInput& c, std::ostream* os) { *os << c.what; }

std::vector<BadInput> badInputs() {
    const auto& labels = DrugRecordEditor::fieldLabels();
    std::vector<BadInput> cases;
    for (int i = 0; i < masterfile::kFieldCount; ++i) {
        const QString& label = labels[static_cast<size_t>(i)];
        cases.push_back({"comma in " + label.toStdString(), i, sjis("A,B"), label});
    }
    cases.push_back({"memo with Enter (LF)", 5, sjis("一行目\n二行目"), labels[5]});
    cases.push_back({"memo with Enter (CR LF)", 6, sjis("一行目\r\n二行目"), labels[6]});
    cases.push_back({"bare CR", 1, "A\rB", labels[1]});
    cases.push_back({"empty registered name", 0, "", labels[0]});
    cases.push_back({"half a double-byte character", 7, "amlo\x82", labels[7]});
    return cases;
}

class DrugRecordRefusal : public ::testing::TestWithParam<BadInput> {};

TEST_P(DrugRecordRefusal, WritesNothingAndNamesTheField) {
    const BadInput& c = GetParam();
    MasterDir master;
    const std::string before = master.bytes();
    DrugRecordEditor editor(master.path);
    Result<LoadedDrug> loaded = editor.load(sjis("ﾛｷｿﾆﾝ錠60mg"));
    ASSERT_TRUE(loaded.ok());

    DrugRecord edited = loaded->record;
    edited.field(c.field) = c.text;
    const Status saved = editor.finish(edited);
    ASSERT_FALSE(saved.ok());
    EXPECT_TRUE(saved.error().contains(QStringLiteral("「%1」").arg(c.label)))
        << saved.error().toStdString();
    EXPECT_EQ(master.bytes(), before);
    EXPECT_TRUE(editor.pending()) << "the user can correct the field and save again";

    edited.field(c.field) = "ok";
    ASSERT_TRUE(editor.finish(edited).ok());
    EXPECT_NE(master.bytes(), before);
}

INSTANTIATE_TEST_SUITE_P(FormatBreakingInput, DrugRecordRefusal, ::testing::ValuesIn(badInputs()));

struct TextCase {
    const char* what;
    int field;
    QString text;
    const char* mustContain;  // empty: accepted
};
void PrintTo(const TextCase& c, std::ostream* os) { *os << c.what; }

class RecordFromTexts : public ::testing::TestWithParam<TextCase> {};

TEST_P(RecordFromTexts, ValidatesWhatTheWindowHolds) {
    const TextCase& c = GetParam();
    std::array<QString, masterfile::kFieldCount> texts = {QStringLiteral("ﾛｷｿﾆﾝ錠60mg"),
                                                          QStringLiteral("ロキソニン錠"),
                                                          QStringLiteral("錠"),
                                                          QString(),
                                                          QStringLiteral("60mg"),
                                                          QStringLiteral("痛み止め"),
                                                          QString(),
                                                          QStringLiteral("loxo.jpg")};
    texts[static_cast<size_t>(c.field)] = c.text;
    const Result<DrugRecord> record = DrugRecordEditor::recordFromTexts(texts);
    if (*c.mustContain == '\0') {
        ASSERT_TRUE(record.ok()) << record.error().toStdString();
        EXPECT_EQ(record->field(c.field), platform::fromUnicode(c.text));
        EXPECT_EQ(record->registeredName, sjis("ﾛｷｿﾆﾝ錠60mg"));
    } else {
        ASSERT_FALSE(record.ok());
        EXPECT_TRUE(record.error().contains(QString::fromUtf8(c.mustContain)))
            << record.error().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    WindowTexts, RecordFromTexts,
    ::testing::Values(
        TextCase{"plain text with a 0x5C trail byte", 5, QStringLiteral("表面の痛み"), ""},
        TextCase{"NEC special character", 6, QStringLiteral("①食後に"), ""},
        TextCase{"emoji", 5, QStringLiteral("痛み止め😀"), "「効能」の「😀」"},
        TextCase{"hangul", 1, QStringLiteral("록소닌"), "「表示名」の「록」"},
        TextCase{"comma", 7, QStringLiteral("a,b.jpg"), "「画像ファイル」にカンマ"},
        TextCase{"memo line break", 6, QStringLiteral("一行目\n二行目"), "「注意」に改行"},
        TextCase{"empty name", 0, QString(), "「登録名」が空"}));

struct Mutation {
    const char* what;
    std::function<void(std::vector<std::string>&)> mutate;
    bool accepted;
};
void PrintTo(const Mutation& c, std::ostream* os) { *os << c.what; }

class StaleIndex : public ::testing::TestWithParam<Mutation> {};

// ﾛｷｿﾆﾝ錠60mg is loaded as record 1, then the file changes under the editor
// the way a grid-editor save changes it.
TEST_P(StaleIndex, NeverReplacesAnotherRecord) {
    const Mutation& c = GetParam();
    MasterDir master;
    DrugRecordEditor editor(master.path);
    Result<LoadedDrug> loaded = editor.load(sjis("ﾛｷｿﾆﾝ錠60mg"));
    ASSERT_TRUE(loaded.ok());

    std::vector<std::string> changed = masterLines();
    c.mutate(changed);
    writeBytes(master.path, fileOf(changed));

    DrugRecord edited = loaded->record;
    edited.efficacy = sjis("新しい効能");
    const Status saved = editor.finish(edited);
    if (c.accepted) {
        ASSERT_TRUE(saved.ok()) << saved.error().toStdString();
        changed[1] = masterfile::joinRecord(edited);
        EXPECT_EQ(master.bytes(), fileOf(changed));
    } else {
        ASSERT_FALSE(saved.ok());
        EXPECT_TRUE(saved.error().contains(QStringLiteral("個別編集")))
            << saved.error().toStdString();
        EXPECT_EQ(master.bytes(), fileOf(changed));
    }
}

INSTANTIATE_TEST_SUITE_P(
    GridSaves, StaleIndex,
    ::testing::Values(
        Mutation{"row inserted above", [](auto& l) { l.insert(l.begin(), sjis("ｱｱｱ,,,,,,,")); },
                 false},
        Mutation{"row deleted above", [](auto& l) { l.erase(l.begin()); }, false},
        Mutation{"the record itself deleted", [](auto& l) { l.erase(l.begin() + 1); }, false},
        Mutation{"file emptied", [](auto& l) { l.clear(); }, false},
        Mutation{"a duplicate moved in above it: the loaded record is still the one written",
                 [](auto& l) {
                     l[0] = l[3];  // the name now first stands on line 0
                 },
                 true},
        Mutation{"another record changed: the last save wins",
                 [](auto& l) { l[6] = sjis("ﾏｸﾞﾐｯﾄ錠330mg,マグミット錠,錠,,500mg,便秘,,"); },
                 true}));

struct SameName {
    const char* what;
    int recordNumber;  // the line's MasterIndex
    int loaded;        // the record 個別編集 loads and 編集終了 rewrites
};
void PrintTo(const SameName& c, std::ostream* os) { *os << c.what; }

class SameNameRecords : public ::testing::TestWithParam<SameName> {};

// A billing master cuts its kana names at 20 characters, so several drugs
// share one RegisteredName; the line's record number says which one the user
// chose, while that record still carries the name.
TEST_P(SameNameRecords, EditsTheLinesOwnRecord) {
    const SameName& c = GetParam();
    MasterDir master(testing::masterSliceLines());
    DrugRecordEditor editor(master.path);
    const std::string name = masterfile::registeredNameOf(testing::masterSliceLines()[1]);

    Result<LoadedDrug> loaded = editor.load(name, c.recordNumber);
    ASSERT_TRUE(loaded.ok()) << loaded.error().toStdString();
    EXPECT_EQ(loaded->recordIndex, c.loaded);
    DrugRecord edited = loaded->record;
    edited.caution = sjis("新しい注意");
    ASSERT_TRUE(editor.finish(edited).ok());

    std::vector<std::string> expected = testing::masterSliceLines();
    expected[static_cast<size_t>(c.loaded)] = masterfile::joinRecord(edited);
    EXPECT_EQ(master.bytes(), fileOf(expected));
}

INSTANTIATE_TEST_SUITE_P(
    MasterSlice, SameNameRecords,
    ::testing::Values(
        SameName{"picked from the second of three", testing::kAmlodipineSecond,
                 testing::kAmlodipineSecond},
        SameName{"imported: bound to the first, as the host binds names", testing::kAmlodipineFirst,
                 testing::kAmlodipineFirst},
        SameName{"no number: the first", -1, testing::kAmlodipineFirst},
        SameName{"its number now holds another drug: the first", 4, testing::kAmlodipineFirst},
        SameName{"its number past the end: the first", 99, testing::kAmlodipineFirst}));

TEST(DrugRecordEditor, RecordTooLongForTheFieldsIsNotLoaded) {
    std::vector<std::string> lines = masterLines();
    lines[2] += std::string(masterfile::kAbsurdLineBytes, 'x');
    MasterDir master(lines);
    DrugRecordEditor editor(master.path);
    const Result<LoadedDrug> loaded = editor.load(sjis("ﾑｺｽﾀ錠100mg"), 2);
    ASSERT_FALSE(loaded.ok());
    EXPECT_TRUE(loaded.error().contains(QStringLiteral("318 バイトまで")))
        << loaded.error().toStdString();
    EXPECT_FALSE(editor.pending());
}

TEST(DrugRecordEditor, LastLineWithoutLineEndIsKept) {
    for (const int edit : {0, kLastRecord}) {
        MasterDir master(masterLines(), /*finalEol=*/false);
        DrugRecordEditor editor(master.path);
        Result<LoadedDrug> loaded =
            editor.load(masterfile::registeredNameOf(masterLines()[static_cast<size_t>(edit)]));
        ASSERT_TRUE(loaded.ok());
        EXPECT_EQ(loaded->recordIndex, edit);
        DrugRecord edited = loaded->record;
        edited.unit = sjis("カプセル");
        ASSERT_TRUE(editor.finish(edited).ok());

        std::vector<std::string> expected = masterLines();
        expected[static_cast<size_t>(edit)] = masterfile::joinRecord(edited);
        EXPECT_EQ(master.bytes(), fileOf(expected)) << "edited line " << edit;
    }
}

TEST(DrugRecordEditor, UnwritableTargetsReportFailure) {
    DrugRecord record;
    record.registeredName = sjis("ﾑｺｽﾀ錠100mg");

    QTemporaryDir dir;
    const QString folderNamedLikeTheFile = dir.filePath(QStringLiteral("yakujo.txt"));
    ASSERT_TRUE(QDir().mkpath(folderNamedLikeTheFile));
    EXPECT_FALSE(
        DrugRecordEditor::save(0, record.registeredName, record, folderNamedLikeTheFile).ok());
    EXPECT_TRUE(QFileInfo(folderNamedLikeTheFile).isDir());

    const QString noFolder = dir.filePath(QStringLiteral("none/yakujo.txt"));
    const Status saved = DrugRecordEditor::save(0, record.registeredName, record, noFolder);
    EXPECT_FALSE(saved.ok());
    EXPECT_FALSE(QFileInfo::exists(noFolder));
}

// The file reads fine but the write fails half way (a full disk, as far as
// the program can tell): the old file must stay whole and nothing may be
// reported as saved. A file-size limit fails the write even for root.
#ifndef _WIN32  // a file size limit is a POSIX means of failing a write
TEST(DrugRecordEditor, FailedWriteLeavesTheOldFileWhole) {
    MasterDir master;
    const std::string before = master.bytes();
    DrugRecordEditor editor(master.path);
    Result<LoadedDrug> loaded = editor.load(sjis("ﾏｸﾞﾐｯﾄ錠330mg"));
    ASSERT_TRUE(loaded.ok());
    DrugRecord edited = loaded->record;
    edited.caution = sjis("新しい注意");

    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const Status saved = editor.finish(edited);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    ASSERT_FALSE(saved.ok());
    EXPECT_TRUE(saved.error().contains(QStringLiteral("元のまま"))) << saved.error().toStdString();
    EXPECT_EQ(master.bytes(), before);
    EXPECT_TRUE(editor.pending());
    EXPECT_EQ(QDir(master.dir.path()).entryList(QDir::Files),
              QStringList{QStringLiteral("yakujo.txt")})
        << "no half-written file is left beside it";

    ASSERT_TRUE(editor.finish(edited).ok()) << "with room again the same edit saves";
}
#endif

}  // namespace
}  // namespace dorimek::mainwin
