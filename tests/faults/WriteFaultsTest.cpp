// Every writer of a file the clinic can't do without (the drug master file,
// from the grid editor and from the per-drug editor, and the settings file)
// made to fail at each step of its write: the old file stays byte for byte,
// the user gets a message, and nothing is reported as saved.
#include "DrugRecordEditor.h"
#include "Faults.h"
#include "TestFiles.h"
#include "main/SettingsFile.h"
#include "masterfile/DrugMasterFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace dorimek::faults {
namespace {

using masterfile::DrugRecord;
using testing::readBytes;
using testing::sjis;
using testing::writeBytes;

// ---- the writers ----

// The Shift-JIS texts of the test drugs, converted once: the big files of
// the kill tests hold hundreds of thousands of records.
struct DrugTexts {
    std::string name = sjis("ﾃｽﾄ錠");
    std::string display = sjis("テスト錠");
    std::string unit = sjis("錠");
    std::string shape = sjis("白色錠 T");
    std::string package = sjis("PTP100錠");
    std::string efficacy = sjis("熱を下げ、痛みをやわらげます。");
    std::string caution = sjis("決められた量を守ってください。");
    std::string more = sjis("飲み忘れに気づいたら、");
};

const DrugTexts& texts() {
    static const DrugTexts t;
    return t;
}

DrugRecord drug(int n, size_t padding = 0) {
    const DrugTexts& t = texts();
    const std::string number = std::to_string(n);
    DrugRecord r;
    r.registeredName = t.name + number + "mg";
    r.displayName = t.display + number + "mg";
    r.unit = t.unit;
    r.shapeCode = t.shape + number;
    r.package = t.package;
    r.efficacy = t.efficacy;
    r.caution = t.caution;
    // Long texts are what make a file big; a memo may hold any length.
    while (r.caution.size() < padding) r.caution += t.more;
    r.imageFile = "photos/t" + number + ".jpg";
    return r;
}

// A master file of about size bytes, record i being drug(i).
std::string masterFileOf(size_t size) {
    std::string bytes;
    for (int i = 0; i < 20 || bytes.size() < size; ++i) {
        bytes += masterfile::joinRecord(drug(i)) + "\r\n";
    }
    return bytes;
}

std::string settingsFile() {
    return sjis(
        "prindex=0\r\nprinter=PDF\r\nqevpath=qev/\r\nclinic=さくら内科\r\n"
        "tel=0123-45-6789\r\nprev=1\r\nstyle=2\r\nuse=@朝,@夕,\r\n");
}

// A save as the user starts it: whatever happens before it (the per-drug
// editor loads its record), then the save itself.
struct PreparedSave {
    std::function<Status()> save;
    // The user can still save again after a failure (the editor keeps its
    // record pending).
    std::function<bool()> canRetry = [] { return true; };
};

struct Writer {
    const char* name;
    const char* fileName;
    std::string (*oldFile)(size_t size);
    // newSize: about how many bytes the save writes.
    PreparedSave (*prepare)(const QString& path, size_t newSize);
    // What the message must say (the settings file has its fixed text).
    QString expectedMessage;
};

PreparedSave gridSave(const QString& path, size_t newSize) {
    std::vector<DrugRecord> records;
    size_t total = 0;
    for (int i = 100; records.size() < 10 || total < newSize; ++i) {
        records.push_back(drug(i));
        total += masterfile::joinRecord(records.back()).size() + 2;
    }
    return {[path, records] { return masterfile::SaveDrugRecords(records, path); }};
}

PreparedSave editorSave(const QString& path, size_t newSize) {
    auto editor = std::make_shared<mainwin::DrugRecordEditor>(path);
    const DrugRecord before = drug(3);
    const auto loaded = editor->load(before.registeredName);
    EXPECT_TRUE(loaded.ok()) << loaded.error().toStdString();
    DrugRecord edited = drug(3, newSize);
    edited.displayName = sjis("テスト錠（新）");
    return {[editor, edited] { return editor->finish(edited); },
            [editor] { return editor->pending(); }};
}

PreparedSave settingsSave(const QString& path, size_t newSize) {
    mainwin::SettingsToWrite v;
    v.printerIndex = 1;
    v.printerName = "PDF";
    v.qevWorkPath = "qev/";
    v.clinicName = sjis("あおば内科");
    v.clinicTel = "0987-65-4321";
    v.previewOnAutoStart = false;
    v.printStyle = 3;
    v.usageLine = sjis("use=@朝,");
    const std::string entry = sjis("@朝昼夕 食後,");
    while (v.usageLine.size() < newSize) v.usageLine += entry;
    return {[path, v] { return mainwin::SettingsFile::write(v, path); }};
}

std::string settingsOld(size_t) { return settingsFile(); }

const Writer kWriters[] = {
    {"GridEditorSave", "yakujo.txt", masterFileOf, gridSave, QString()},
    {"PerDrugEditorSave", "yakujo.txt", masterFileOf, editorSave, QString()},
    {"SettingsSave", "sorbenk.ini", settingsOld, settingsSave,
     QStringLiteral("設定ファイル sorbenk.iniを開けません")},
};

// ---- the faults ----

// The folder of the file under test, and what must still be there after.
struct Scene {
    QString root;    // a fresh temporary folder
    QString folder;  // root/data, the program's folder
    QString path;    // folder/fileName
    // Where the old file is to be found after the fault (it moves with
    // its folder when the folder is replaced).
    QString oldPath;
    std::string oldBytes;
    // The folder that must hold exactly expectedEntries afterwards: no
    // temporary file left behind.
    QString watchedFolder;
    QStringList expectedEntries;
    bool retryAfterUndo = false;  // the same save must work once the fault is gone
};

struct Fault {
    const char* name;
    size_t newSize;  // the save writes this much, so that a limit can bite
    // Injects the fault after the save was prepared; a returned text skips
    // the case (the fault can't be made on this machine).
    std::optional<QString> (*inject)(Scene& scene, FaultGuard& guard);
    // Mounts the folder before the old file is written.
    bool onTmpfs = false;
    const char* reason = "";  // what the message must say happened
};

std::optional<QString> fileReplacedByFolder(Scene& s, FaultGuard&) {
    // What was there before is now a folder with a file in it; that file is
    // what must stay as it was.
    QFile::remove(s.path);
    QDir().mkpath(s.path);
    s.oldPath = s.path + QStringLiteral("/inside.txt");
    writeBytes(s.oldPath, s.oldBytes);
    s.expectedEntries = {QFileInfo(s.path).fileName()};
    return std::nullopt;
}

std::optional<QString> folderReplacedByFile(Scene& s, FaultGuard&) {
    const QString moved = s.root + QStringLiteral("/data.moved");
    QDir().rename(s.folder, moved);
    s.oldPath = moved + QLatin1Char('/') + QFileInfo(s.path).fileName();
    writeBytes(s.folder, "not a folder");
    s.watchedFolder = moved;
    return std::nullopt;
}

std::optional<QString> folderImmutable(Scene& s, FaultGuard& guard) {
    s.retryAfterUndo = true;
    return makeImmutable(s.folder, guard);
}

std::optional<QString> fileImmutable(Scene& s, FaultGuard& guard) {
    s.retryAfterUndo = true;
    return makeImmutable(s.path, guard);
}

std::optional<QString> writeLimit(Scene& s, FaultGuard& guard) {
    // Well above the old file, well below the new one.
    limitFileSize(std::max<size_t>(s.oldBytes.size() * 2, 16 * 1024), guard);
    s.retryAfterUndo = true;
    return std::nullopt;
}

std::optional<QString> diskFull(Scene& s, FaultGuard&) {
    fillFileSystem(s.folder);
    s.expectedEntries << QStringLiteral("filler");
    return std::nullopt;
}

const Fault kFaults[] = {
    {"FileReplacedByFolder", 4 * 1024, fileReplacedByFolder, false, "同じ名前のフォルダがあります"},
    {"FolderReplacedByFile", 4 * 1024, folderReplacedByFile, false, "フォルダではありません"},
    {"FolderImmutable", 4 * 1024, folderImmutable, false, "権限がありません"},
    {"FileImmutable", 4 * 1024, fileImmutable, false, "権限がありません"},
    {"WriteLimit", 256 * 1024, writeLimit, false, "ファイルが大きすぎます"},
    {"DiskFull", 256 * 1024, diskFull, true, "ディスクがいっぱいです"},
};

// Test names instead of bytes in gtest's messages.
void PrintTo(const Writer& w, std::ostream* os) { *os << w.name; }
void PrintTo(const Fault& f, std::ostream* os) { *os << f.name; }

// ---- the tests ----

class WriteFault : public ::testing::TestWithParam<std::tuple<Writer, Fault>> {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        scene_.root = dir_.path();
        scene_.folder = scene_.root + QStringLiteral("/data");
        ASSERT_TRUE(QDir().mkpath(scene_.folder));
    }

    QTemporaryDir dir_;
    Scene scene_;
};

TEST_P(WriteFault, OldFileStaysAndTheUserIsTold) {
    const auto& [writer, fault] = GetParam();
    FaultGuard guard;
    if (fault.onTmpfs) {
        if (auto why = mountSmallTmpfs(scene_.folder, 128, guard))
            GTEST_SKIP() << why->toStdString();
    }
    scene_.path = scene_.folder + QLatin1Char('/') + QLatin1String(writer.fileName);
    scene_.oldPath = scene_.path;
    scene_.oldBytes = writer.oldFile(2 * 1024);
    scene_.watchedFolder = scene_.folder;
    scene_.expectedEntries = {QLatin1String(writer.fileName)};
    writeBytes(scene_.path, scene_.oldBytes);

    const PreparedSave prepared = writer.prepare(scene_.path, fault.newSize);
    if (auto why = fault.inject(scene_, guard)) GTEST_SKIP() << why->toStdString();

    const Status status = prepared.save();
    QStringList after = entriesOf(scene_.watchedFolder);
    // The writers' lock file stays for good, empty: it is no copy of anything.
    after.removeAll(QStringLiteral(".%1.lock").arg(QLatin1String(writer.fileName)));
    const std::string oldNow = readBytes(scene_.oldPath);

    EXPECT_FALSE(status.ok()) << "a failed write was reported as saved";
    EXPECT_FALSE(status.error().isEmpty());
    if (writer.expectedMessage.isEmpty()) {
        EXPECT_TRUE(status.error().contains(QLatin1String(writer.fileName)))
            << "the message doesn't name the file: " << status.error().toStdString();
    } else {
        EXPECT_TRUE(status.error().startsWith(writer.expectedMessage + QLatin1Char('\n')))
            << status.error().toStdString();
    }
    // What happened, in Japanese, and that nothing was saved; never the
    // system's English text.
    // (The per-drug editor reads the file first and may refuse before writing.)
    if (!status.error().contains(QStringLiteral("保存しませんでした"))) {
        EXPECT_TRUE(status.error().contains(QString::fromUtf8(fault.reason)))
            << status.error().toStdString();
        EXPECT_TRUE(status.error().contains(QStringLiteral("保存されていません")) ||
                    status.error().contains(QStringLiteral("保存していません")))
            << status.error().toStdString();
    }
    EXPECT_TRUE(prepared.canRetry()) << "the user can't try the save again";

    // Compared whole, not printed: the files run to megabytes.
    EXPECT_TRUE(oldNow == scene_.oldBytes)
        << "the old file was changed: " << oldNow.size() << " bytes now";
    after.sort();
    scene_.expectedEntries.sort();
    EXPECT_EQ(after, scene_.expectedEntries) << "something was left beside the file";

    guard.undoAll();
    if (scene_.retryAfterUndo) {
        const Status again = prepared.save();
        EXPECT_TRUE(again.ok()) << again.error().toStdString();
        EXPECT_TRUE(readBytes(scene_.path) != scene_.oldBytes) << "the retry wrote nothing";
        if (writer.prepare == editorSave) {
            EXPECT_FALSE(prepared.canRetry()) << "a saved edit is still pending";
        }
    }
}

std::string caseName(const ::testing::TestParamInfo<WriteFault::ParamType>& info) {
    return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
}

INSTANTIATE_TEST_SUITE_P(AllWriters, WriteFault,
                         ::testing::Combine(::testing::ValuesIn(kWriters),
                                            ::testing::ValuesIn(kFaults)),
                         caseName);

// The process killed in the middle of the save (power cut, OOM killer, the
// user ending the program): the old file is still there, whole.
class KilledSave : public ::testing::TestWithParam<Writer> {};

TEST_P(KilledSave, OldFileStaysWhole) {
    const Writer& writer = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.path() + QLatin1Char('/') + QLatin1String(writer.fileName);

    // Big enough that writing and syncing it takes a while; the per-drug
    // editor rewrites the whole file, so there the old file is big too.
    constexpr size_t kBig = 16 * 1024 * 1024;
    const bool editor = writer.prepare == editorSave;
    const std::string oldBytes = writer.oldFile(editor ? kBig : 2 * 1024);
    writeBytes(path, oldBytes);
    const PreparedSave prepared = writer.prepare(path, kBig);

    const KillOutcome outcome = killDuringSave(dir.path(), path, prepared.save);
    if (!outcome.killedMidWrite) GTEST_SKIP() << outcome.note.toStdString();
    const std::string now = readBytes(path);
    EXPECT_TRUE(now == oldBytes) << "the old file was damaged by the killed save: " << now.size()
                                 << " of " << oldBytes.size() << " bytes left";

    // Whatever the killed save left behind doesn't stand in the next one's way.
    const Status again = prepared.save();
    EXPECT_TRUE(again.ok()) << again.error().toStdString();
    EXPECT_TRUE(readBytes(path) != oldBytes) << "the next save wrote nothing";
}

INSTANTIATE_TEST_SUITE_P(AllWriters, KilledSave, ::testing::ValuesIn(kWriters),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace dorimek::faults
