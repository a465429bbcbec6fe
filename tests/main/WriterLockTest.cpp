// Two windows saving the same file at once: whichever writer comes second
// must see the first one's change (keep it, or ask about it), never write
// over it unseen. The second writer is started exactly between the first
// one's check and its replace of the file.
#include "DrugRecordEditor.h"
#include "SettingsFile.h"

#include "TestFiles.h"
#include "masterfile/DrugMasterFile.h"
#include "platform/AtomicFile.h"
#include "platform/FileLock.h"
#include "platform/FileStamp.h"
#include "platform/Sjis.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <ostream>
#include <string>
#include <vector>

namespace dorimek::mainwin {
namespace {

using masterfile::DrugRecord;
using testing::readBytes;
using testing::sjis;
using testing::writeBytes;

struct Folder {
    Folder() {
        writeBytes(master, sjis("ｱﾑﾛｼﾞﾝ錠5mg,アムロジン,錠,,5mg,高血圧,,\r\n"
                                "ﾛｷｿﾆﾝ錠60mg,ロキソニン,錠,,60mg,痛み止め,,\r\n"
                                "ﾑｺｽﾀ錠100mg,ムコスタ,錠,,100mg,胃薬,,\r\n"
                                "ﾏｸﾞﾐｯﾄ錠330mg,マグミット,錠,,330mg,便秘,,\r\n"));
        writeBytes(ini,
                   "prindex=0\r\nprinter=p\r\nqevpath=q/\r\nclinic=first\r\ntel=1\r\n"
                   "prev=0\r\nstyle=1\r\n");
    }
    QTemporaryDir dir;
    QString master = dir.filePath(QStringLiteral("yakujo.txt"));
    QString ini = dir.filePath(QStringLiteral("sorbenk.ini"));
};

std::vector<DrugRecord> records(const Folder& f) { return *masterfile::LoadDrugRecords(f.master); }

// One window's save: open() reads what the window reads when it opens and
// gives the save to run later; landed() tells whether its change is in the
// file.
struct Writer {
    const char* name;
    std::function<std::function<Status()>(const Folder&)> open;
    std::function<bool(const Folder&)> landed;
};

// 個別編集 of record n, then 編集終了.
Writer drugEdit(int n) {
    const std::string mark = "individual" + std::to_string(n);
    return {
        "個別編集",
        [n, mark](const Folder& f) -> std::function<Status()> {
            const DrugRecord loaded = records(f)[static_cast<size_t>(n)];
            return [&f, n, mark, loaded] {
                DrugRecord edited = loaded;
                edited.caution = mark;
                return DrugRecordEditor::save(n, loaded.registeredName, edited, f.master, {},
                                              masterfile::joinRecord(loaded));
            };
        },
        [n, mark](const Folder& f) { return records(f)[static_cast<size_t>(n)].caution == mark; }};
}

// ﾌｧｲﾙ編集 changing record n, then 保存して終了.
Writer grid(int n) {
    const std::string mark = "grid" + std::to_string(n);
    return {
        "ﾌｧｲﾙ編集",
        [n, mark](const Folder& f) -> std::function<Status()> {
            const platform::FileStamp stamp = *platform::stampFile(f.master);
            std::vector<DrugRecord> rows = records(f);
            rows[static_cast<size_t>(n)].caution = mark;
            return [&f, rows, stamp] {
                return masterfile::SaveDrugRecords(rows, f.master, {}, stamp);
            };
        },
        [n, mark](const Folder& f) { return records(f)[static_cast<size_t>(n)].caution == mark; }};
}

// 設定保存 of another clinic name.
Writer settings(const char* clinic) {
    return {"設定保存",
            [clinic](const Folder& f) -> std::function<Status()> {
                const platform::FileStamp stamp = *platform::stampFile(f.ini);
                return [&f, clinic, stamp] {
                    SettingsToWrite v;
                    v.printerIndex = 0;
                    v.clinicName = clinic;
                    return SettingsFile::write(v, f.ini, stamp);
                };
            },
            [clinic](const Folder& f) {
                return readBytes(f.ini).find(std::string("clinic=") + clinic + "\r\n") !=
                       std::string::npos;
            }};
}

enum class Second { Saved, Asks, Refuses };

struct Pair {
    const char* what;
    Writer first;
    Writer second;
    Second expected;
};
void PrintTo(const Pair& p, std::ostream* os) { *os << p.what; }

class WriterPairs : public ::testing::TestWithParam<Pair> {
  protected:
    void TearDown() override {
        platform::setBeforeReplaceHook({});
        platform::FileLock::setWaitingHook({});
    }
};

TEST_P(WriterPairs, SecondWriterSeesTheFirstOnesChange) {
    const Pair& p = GetParam();
    Folder f;
    const auto firstSave = p.first.open(f);
    const auto secondSave = p.second.open(f);

    std::atomic<bool> fired{false};
    std::atomic<bool> secondWaited{false};
    std::future<Status> second;
    platform::FileLock::setWaitingHook([&](const QString&) { secondWaited = true; });
    // The first writer has checked the file and written its new content
    // beside it: the second one starts now, and is let run until it either
    // waits for the first or is done.
    platform::setBeforeReplaceHook([&](const QString&) {
        if (fired.exchange(true)) return;
        second = std::async(std::launch::async, secondSave);
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!secondWaited && std::chrono::steady_clock::now() < giveUp &&
               second.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) {
        }
    });
    const Status first = firstSave();
    ASSERT_TRUE(fired.load());
    const Status got = second.get();

    EXPECT_TRUE(first.ok()) << first.error().toStdString();
    EXPECT_TRUE(secondWaited.load())
        << "the second writer did not wait for the first one's replace";
    EXPECT_TRUE(p.first.landed(f)) << "the first writer's change was lost";
    switch (p.expected) {
        case Second::Saved:
            EXPECT_TRUE(got.ok()) << got.error().toStdString();
            EXPECT_TRUE(p.second.landed(f));
            break;
        case Second::Asks:
            EXPECT_EQ(got.errorKind(), ErrorKind::FileChanged) << got.error().toStdString();
            EXPECT_FALSE(p.second.landed(f));
            break;
        case Second::Refuses:
            EXPECT_FALSE(got.ok());
            EXPECT_FALSE(p.second.landed(f));
            break;
    }
}

INSTANTIATE_TEST_SUITE_P(
    SameFile, WriterPairs,
    ::testing::Values(
        Pair{"個別編集 of two drugs keeps both", drugEdit(0), drugEdit(1), Second::Saved},
        Pair{"個別編集 then the grid: the grid asks", drugEdit(0), grid(2), Second::Asks},
        Pair{"the grid then 個別編集 of another drug keeps both", grid(2), drugEdit(1),
             Second::Saved},
        Pair{"the grid then 個別編集 of the drug it changed refuses", grid(1), drugEdit(1),
             Second::Refuses},
        Pair{"two grids: the second asks", grid(2), grid(3), Second::Asks},
        Pair{"設定保存 twice: the second asks", settings("first-window"), settings("second-window"),
             Second::Asks}));

TEST(WriterLock, AWriterThatCantGetTheLockWritesNothingAndSaysSo) {
    Folder f;
    const std::string before = readBytes(f.ini);
    const auto held = platform::FileLock::forFile(f.ini);
    ASSERT_TRUE(held && held->held());
    SettingsToWrite v;
    v.clinicName = "other";
    const Status s = SettingsFile::write(v, f.ini);
    EXPECT_EQ(s.errorKind(), ErrorKind::FileBusy);
    EXPECT_TRUE(s.error().contains(QStringLiteral("sorbenk.ini")));
    EXPECT_EQ(readBytes(f.ini), before);
}

}  // namespace
}  // namespace dorimek::mainwin
