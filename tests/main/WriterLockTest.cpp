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
#include "platform/Sjis.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <ostream>
#include <string>

namespace dorimek::mainwin {
namespace {

using masterfile::DrugRecord;
using testing::readBytes;
using testing::writeBytes;

struct Folder {
    Folder() {
        writeBytes(master, testing::sjis("ｱﾑﾛｼﾞﾝ錠5mg,アムロジン,錠,,5mg,高血圧,,\r\n"
                                         "ﾛｷｿﾆﾝ錠60mg,ロキソニン,錠,,60mg,痛み止め,,\r\n"
                                         "ﾑｺｽﾀ錠100mg,ムコスタ,錠,,100mg,胃薬,,\r\n"
                                         "ﾏｸﾞﾐｯﾄ錠330mg,マグミット,錠,,330mg,便秘,,\r\n"));
        writeBytes(
            ini,
            "prindex=0\r\nprinter=p\r\nqevpath=q/\r\nclinic=c\r\ntel=1\r\nprev=0\r\nstyle=1\r\n");
    }
    std::vector<DrugRecord> records() const { return *masterfile::LoadDrugRecords(master); }
    QTemporaryDir dir;
    QString master = dir.filePath(QStringLiteral("yakujo.txt"));
    QString ini = dir.filePath(QStringLiteral("sorbenk.ini"));
};

// One window's save, which puts mark into its file. open() reads what the
// window reads when it opens and gives the save to run later.
struct Writer {
    std::string mark;
    bool settings;  // sorbenk.ini, else yakujo.txt
    std::function<std::function<Status()>(const Folder&)> open;
    bool landed(const Folder& f) const {
        return readBytes(settings ? f.ini : f.master).find(mark) != std::string::npos;
    }
};

// 個別編集 of record n, then 編集終了.
Writer drugEdit(size_t n) {
    const std::string mark = "edit" + std::to_string(n);
    return {mark, false, [=](const Folder& f) -> std::function<Status()> {
                DrugRecord r = f.records()[n];
                const std::string line = masterfile::joinRecord(r);
                r.caution = mark;
                return [&f, n, r, line] {
                    return DrugRecordEditor::save(int(n), r.registeredName, r, f.master, {}, line);
                };
            }};
}

// ﾌｧｲﾙ編集 changing record n, then 保存して終了.
Writer grid(size_t n) {
    const std::string mark = "grid" + std::to_string(n);
    return {mark, false, [=](const Folder& f) -> std::function<Status()> {
                const platform::FileStamp stamp = *platform::stampFile(f.master);
                std::vector<DrugRecord> rows = f.records();
                rows[n].caution = mark;
                return [&f, rows, stamp] {
                    return masterfile::SaveDrugRecords(rows, f.master, {}, stamp);
                };
            }};
}

// 設定保存 of another clinic name.
Writer settings(const char* clinic) {
    return {clinic, true, [=](const Folder& f) -> std::function<Status()> {
                const platform::FileStamp stamp = *platform::stampFile(f.ini);
                SettingsToWrite v;
                v.clinicName = clinic;
                return [&f, v, stamp] { return SettingsFile::write(v, f.ini, stamp); };
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
    // beside it: the second one starts now, and runs until it waits for the
    // first or is done.
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
    EXPECT_EQ(p.second.landed(f), p.expected == Second::Saved);
    EXPECT_EQ(got.ok(), p.expected == Second::Saved) << got.error().toStdString();
    if (p.expected == Second::Asks) {
        EXPECT_EQ(got.errorKind(), ErrorKind::FileChanged);
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
    const Status s = SettingsFile::write(SettingsToWrite{}, f.ini);
    EXPECT_EQ(s.errorKind(), ErrorKind::FileBusy);
    EXPECT_TRUE(s.error().contains(QStringLiteral("sorbenk.ini")));
    EXPECT_EQ(readBytes(f.ini), before);
}

}  // namespace
}  // namespace dorimek::mainwin
