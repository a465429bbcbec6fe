#include "platform/AbruptExit.h"
#include "platform/AtomicFile.h"
#include "platform/BoundedLog.h"
#include "platform/FileLock.h"
#include "platform/LineReader.h"
#include "platform/QueuePaper.h"
#include "platform/Sjis.h"
#include "platform/StaleLeftovers.h"
#include "platform/SystemProcesses.h"
#include "platform/TextEncoding.h"

#include "TestFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdlib>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace dorimek {
namespace {

using testing::readBytes;
using testing::writeBytes;

TEST(Sjis, RoundTripsJapaneseAndHalfWidthKana) {
    // The control codes 0x1A (the old tools' end of file), 0x1C and 0x7F are
    // themselves, as on Windows, not swapped with one another.
    const std::string bytes =
        "\x83\x5c\x83\x8c\x83\x58\xb1\xb2\xde,ABC \x81\x40\x1a\x1c\x7f";  // ソレス ｱｲﾞ,ABC 　
    const QString text = platform::toUnicode(bytes);
    EXPECT_EQ(text, QString::fromUtf8("ソレスｱｲﾞ,ABC 　\x1a\x1c\x7f"));
    bool ok = false;
    EXPECT_EQ(platform::fromUnicode(text, &ok), bytes);
    EXPECT_TRUE(ok);
}

TEST(Sjis, ReportsCharactersCodePage932CannotHold) {
    bool ok = true;
    platform::fromUnicode(QString::fromUtf8("薬\U0001F600"), &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(platform::firstUnencodable(QString::fromUtf8("薬a\U0001F600b")), QString::fromUtf8("\U0001F600"));
    EXPECT_TRUE(platform::firstUnencodable(QString::fromUtf8("薬剤ｱ")).isEmpty());
}

TEST(Sjis, BatchDecodingMatchesOneTextAtATime) {
    // A lone lead byte at the end of one text must not swallow the next
    // text's first byte, nor an invalid byte change what follows it.
    const std::vector<std::string> texts = {"\x83\x5c\x83", "A\xb1", "", "\xff\x82\xa0", "\x81", ",x"};
    platform::SjisBatchDecoder decode;
    for (size_t i = 0; i < texts.size(); ++i) EXPECT_EQ(decode(texts[i]), platform::toUnicode(texts[i])) << i;
}

TEST(Sjis, LeadBytes) {
    struct Case { unsigned char byte; bool lead; };
    const Case cases[] = {{0x80, false}, {0x81, true}, {0x9F, true}, {0xA0, false}, {0xB1, false},
                          {0xDF, false}, {0xE0, true}, {0xFC, true}, {0xFD, false}, {0x41, false}};
    for (const Case& c : cases) EXPECT_EQ(platform::isDbcsLeadByte(c.byte), c.lead) << int(c.byte);
}

TEST(LineReader, ReadsWholeLinesOfAnyLengthAndAnEndlessLastLine) {
    QTemporaryDir dir;
    const QString path = dir.filePath("t.txt");
    const std::string longLine(5000, 'x');
    writeBytes(path, "a\r\nb\n" + longLine + "\r\nlast");
    platform::LineReader reader(path);
    ASSERT_TRUE(reader.isOpen());
    std::string line;
    bool ended = false;
    std::vector<std::pair<std::string, bool>> got;
    while (reader.next(line, &ended)) got.emplace_back(line, ended);
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[0], std::make_pair(std::string("a"), true));
    EXPECT_EQ(got[1], std::make_pair(std::string("b"), true));
    EXPECT_EQ(got[2], std::make_pair(longLine, true));
    EXPECT_EQ(got[3], std::make_pair(std::string("last"), false));
}

TEST(LineReader, LinesAcrossTheReadBlocksComeOutWhole) {
    // The reader works in blocks of 256 KiB: lines straddling a block's end,
    // a CR and its LF in different blocks, a line over two blocks long, and
    // a DOS end-of-file byte after the last line end.
    constexpr size_t kBlock = 256 * 1024;
    const std::string first(kBlock - 1, 'a');    // its CR ends the first block, LF begins the next
    const std::string huge(2 * kBlock + 7, 'h');
    std::vector<std::string> lines = {first, "b", huge};
    for (int i = 0; i < 40000; ++i) lines.push_back(std::to_string(i * 7919));
    std::string bytes;
    for (const std::string& l : lines) bytes += l + "\r\n";
    QTemporaryDir dir;
    writeBytes(dir.filePath("t.txt"), bytes + "\x1a");
    platform::LineReader reader(dir.filePath("t.txt"));
    std::string_view line;
    size_t n = 0;
    while (reader.next(line)) {
        ASSERT_LT(n, lines.size());
        ASSERT_EQ(line, lines[n]) << n;
        ++n;
    }
    EXPECT_EQ(n, lines.size());
    EXPECT_FALSE(reader.failed());
}

TEST(LineReader, MissingFileIsNotOpen) {
    platform::LineReader reader(QStringLiteral("/nonexistent/dir/file.txt"));
    EXPECT_FALSE(reader.isOpen());
    EXPECT_FALSE(reader.openError().isEmpty());
}

// Files as editors save them. Shift-JIS text that happens to be valid UTF-8
// (half-width kana pairs are) must still count as Shift-JIS.
TEST(EncodingCheck, TellsUtf8AndLoneCrFilesFromShiftJis) {
    using P = platform::EncodingProblem;
    const std::string sjisText = platform::fromUnicode(QString::fromUtf8("ｱﾑﾛｼﾞﾋﾟﾝ錠5mg,アムロジピン錠"));
    const std::string utf8Text = "\xEF\xBD\xB1\xEF\xBE\x91,\xE6\x9C\x9D";  // ｱﾑ,朝
    struct Case {
        const char* what;
        std::string file;
        P verdict;
    };
    const Case cases[] = {
        {"Shift-JIS, CR LF", sjisText + "\r\n" + sjisText + "\r\n", P::None},
        {"Shift-JIS kana that is also valid UTF-8", "\xC3\xBD\r\n", P::None},  // ﾃｽ
        {"plain ASCII", "prindex=0\r\nprinter=capture\r\n", P::None},
        {"CR CR LF line ends", sjisText + "\r\r\n" + sjisText + "\r\r\n", P::None},
        {"UTF-8", "clinic=" + utf8Text + "\r\n", P::Utf8},
        {"UTF-8 with BOM",
         "\xEF\xBB\xBF"
         "clinic=" +
             utf8Text + "\r\n",
         P::Utf8Bom},
        // Old tools put the mark before Shift-JIS too; it is dropped, not a verdict.
        {"Shift-JIS with BOM", "\xEF\xBB\xBF" + sjisText + "\r\n", P::None},
        {"ASCII with BOM", "\xEF\xBB\xBFprindex=0\r\n", P::None},
        {"Shift-JIS with lone CR line ends", sjisText + "\r" + sjisText + "\r", P::LoneCr},
    };
    QTemporaryDir dir;
    for (const Case& c : cases) {
        const QString path = dir.filePath("f.txt");
        writeBytes(path, c.file);
        platform::LineReader reader(path);
        std::string line;
        while (reader.next(line)) {
        }
        EXPECT_EQ(reader.encodingProblem(), c.verdict) << c.what;
    }
}

TEST(AtomicFile, ReplacesWholeOrLeavesTheOldFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("f.txt");
    writeBytes(path, "old\r\n");
    ASSERT_TRUE(platform::writeFileAtomically(path, "new\r\n").ok());
    EXPECT_EQ(readBytes(path), "new\r\n");

    // A folder in the file's place: refused, nothing reported as success.
    const QString folderPath = dir.filePath("g.txt");
    QDir().mkpath(folderPath);
    const Status s = platform::writeFileAtomically(folderPath, "x");
    EXPECT_FALSE(s.ok());
    EXPECT_FALSE(s.error().isEmpty());
}

// What each system's layer answers, asked the same way on both.
TEST(SystemProcesses, AnswersForThisProcessAndForNone) {
    const qint64 self = QCoreApplication::applicationPid();
    struct Case {
        qint64 pid;
        bool running;
    } cases[] = {{self, true}, {0, false}, {-5, false}, {999999999, false}};
    for (const Case& c : cases) EXPECT_EQ(platform::processes::running(c.pid), c.running) << c.pid;

    const QDateTime started = platform::processes::startOfThisProcess();
    ASSERT_TRUE(started.isValid());
    EXPECT_LE(started, QDateTime::currentDateTime().addSecs(1));
    EXPECT_GT(started, QDateTime::currentDateTime().addSecs(-3600));
    EXPECT_TRUE(QFileInfo(platform::processes::executableFile())
                    .fileName()
                    .startsWith(QLatin1String("platform_test")))
        << platform::processes::executableFile().toStdString();
}

TEST(FileLock, OneHolderAtATimeUntilItLetsGo) {
    QTemporaryDir dir;
    const QString data = dir.filePath("yakujo.txt");
    {
        const auto first = platform::FileLock::forFile(data, std::chrono::milliseconds(0));
        ASSERT_TRUE(first.ok());
        ASSERT_TRUE(first->held());
        // A second open of the same lock, as another window's, waits and gives up.
        const auto second = platform::FileLock::forFile(data, std::chrono::milliseconds(60));
        ASSERT_FALSE(second.ok());
        EXPECT_EQ(second.errorKind(), ErrorKind::FileBusy);
        EXPECT_TRUE(second.error().contains(QLatin1String("yakujo.txt")));
    }
    // Let go (also what a killed holder's end does): the next one gets it.
    const auto third = platform::FileLock::forFile(data, std::chrono::milliseconds(0));
    ASSERT_TRUE(third.ok());
    EXPECT_TRUE(third->held());
    EXPECT_TRUE(QFileInfo::exists(platform::FileLock::lockPathFor(data)));
}

TEST(AtomicFile, ASaveKilledHalfWayLeavesWhatTheNextStartClears) {
    // What lies beside the file just before it is replaced is what a save
    // killed at that moment leaves: the next start must know it for its own.
    QTemporaryDir dir;
    const QString path = dir.filePath("yakujo.txt");
    writeBytes(path, "old\r\n");
    QStringList beside;
    platform::setBeforeReplaceHook([&](const QString&) {
        beside = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    });
    ASSERT_TRUE(platform::writeFileAtomically(path, "new\r\n").ok());
    platform::setBeforeReplaceHook(nullptr);
    beside.removeAll(QStringLiteral("yakujo.txt"));
    ASSERT_EQ(beside.size(), 1) << beside.join(u' ').toStdString();
    EXPECT_TRUE(platform::StaleLeftovers::isSaveLeftover(beside.front(), {"yakujo.txt"}))
        << beside.front().toStdString();
}

TEST(BoundedLog, KeepsOnlyTheNewestWholeLinesOnceTooLarge) {
    struct Case {
        const char* what;
        std::string before;  // the log as found
        std::int64_t maxBytes;
        std::int64_t keepBytes;
        std::string after;
    };
    const Case cases[] = {
        {"new log", "", 100, 50, "new\n"},
        {"under the limit: appended", "a\nb\n", 100, 50, "a\nb\nnew\n"},
        {"at the limit: kept", "0123456789\n", 15, 4, "0123456789\nnew\n"},
        {"over: cut right after a line end", "aaaa\nbbbb\ncccc\n", 16, 9, "cccc\nnew\n"},
        {"over: cut on a line end", "aaaa\nbbbb\ncccc\n", 16, 10, "cccc\nnew\n"},
        {"over: cut inside a line", "aaaa\nbbbb\ncccc\n", 16, 11, "cccc\nnew\n"},
        {"the new line alone is too long", "aaaa\n", 4, 2, ""},
        {"a last line without its end", "aaaa\nbb", 8, 8, "bbnew\n"},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        const QString path = dir.filePath("run.log");
        if (!c.before.empty()) writeBytes(path, c.before);
        const platform::BoundedLog log(path, c.maxBytes, c.keepBytes);
        ASSERT_TRUE(log.append("new").ok()) << c.what;
        EXPECT_EQ(readBytes(path), c.after) << c.what;
    }
}

#ifndef _WIN32
// Group permissions, child processes and file times set by the system's own
// calls: POSIX only.
TEST(BoundedLog, ANewLogInAGroupsFolderTakesTheGroupsLines) {
    QTemporaryDir dir;
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                          QFile::WriteGroup | QFile::ExeGroup);
    const QString path = dir.filePath("run.log");
    ASSERT_TRUE(platform::BoundedLog(path, 100, 50).append("a").ok());
    EXPECT_TRUE(QFile::permissions(path) & QFile::WriteGroup);
}

#endif

TEST(BoundedLog, LinesAppendedAtOnceAreEachWrittenWhole) {
    // Each writer opens the log on its own, as two runs of the program do;
    // the small limit makes them trim while the others append.
    for (const std::int64_t maxBytes : {std::int64_t(1) << 30, std::int64_t(2000)}) {
        QTemporaryDir dir;
        const QString path = dir.filePath("run.log");
        constexpr int kWriters = 4;
        constexpr int kLines = 200;
        std::vector<std::thread> writers;
        for (int w = 0; w < kWriters; ++w) {
            writers.emplace_back([&, w] {
                const platform::BoundedLog log(path, maxBytes, maxBytes / 2);
                for (int i = 0; i < kLines; ++i) {
                    const std::string line = "writer " + std::to_string(w) + " line " +
                                             std::to_string(i) + std::string(20, 'x');
                    const Status written = log.append(line);
                    EXPECT_TRUE(written.ok()) << written.error().toStdString();
                }
            });
        }
        for (std::thread& t : writers) t.join();
        const std::string text = readBytes(path);
        EXPECT_LE(static_cast<std::int64_t>(text.size()), maxBytes);
        size_t count = 0;
        for (size_t from = 0; from < text.size();) {
            const size_t end = text.find('\n', from);
            ASSERT_NE(end, std::string::npos);
            const std::string line = text.substr(from, end - from);
            EXPECT_EQ(line.rfind("writer ", 0), 0u) << line;
            EXPECT_EQ(line.size() - line.find_last_not_of('x') - 1, 20u) << line;
            ++count;
            from = end + 1;
        }
        if (maxBytes > 1000000) {
            EXPECT_EQ(count, size_t(kWriters * kLines));
        }
        // The very last line of some writer is among the newest.
        EXPECT_NE(text.find("line " + std::to_string(kLines - 1) + "x"), std::string::npos);
    }
}

#ifndef _WIN32
TEST(StaleLeftovers, RemovesOnlyOwnStaleCopiesAndDeadPrintsFolders) {
    // A pid that no process has: a child that has been reaped.
    const pid_t dead = ::fork();
    if (dead == 0) ::_exit(0);
    ASSERT_GT(dead, 0);
    ::waitpid(dead, nullptr, 0);
    const QString alive = QString::number(::getppid());
    const QString gone = QString::number(dead);

    enum Where { Data, Temp };
    enum Kind { File, Folder };
    struct Case {
        Where where;
        Kind kind;
        QString name;
        int ageSeconds;  // before the process's start (> 0) or after it (< 0)
        bool removed;
    };
    const Case cases[] = {
        {Data, File, ".yakujo.txt.Ab12Cd", 60, true},
        {Data, File, ".sorbenk.ini.x9Y8z7", 60, true},
        {Data, File, ".yakujo.txt.Zz0000", -60, false},  // another window's save now
        {Data, File, "yakujo.txt", 60, false},
        {Data, File, "sorbenk.ini", 60, false},
        {Data, File, "yakujo.txt.unsaved", 60, false},
        {Data, File, ".yakujo.txt.Ab12C", 60, false},
        {Data, File, ".yakujo.txt.Ab12Cd7", 60, false},
        {Data, File, ".yakujo.txt.Ab-2Cd", 60, false},
        {Data, File, ".rp.csv.Ab12Cd", 60, false},
        {Data, File, ".yakujo.txt.lock", 60, false},
        {Data, Folder, ".yakujo.txt.Fo12Cd", 60, false},
        {Temp, Folder, "dorimek-" + gone + "-Ab12Cd", 60, true},
        {Temp, Folder, "dorimek-" + alive + "-Ab12Cd", 60, false},  // still printing
        {Temp, Folder, "dorimek-" + gone + "-Qq12Cd", -60, false},
        {Temp, Folder, "dorimek-Ab12Cd", 60, true},
        {Temp, Folder, "dorimek-Ab12Cd7", 60, false},
        {Temp, Folder, "dorimek-x-Ab12Cd", 60, false},
        {Temp, Folder, "other-Ab12Cd", 60, false},
        {Temp, File, "dorimek-" + gone + "-Cc12Cd", 60, false},
    };
    QTemporaryDir data, temp;
    const QDateTime start = QDateTime::currentDateTime().addSecs(-3600);
    for (const Case& c : cases) {
        const QString path = (c.where == Data ? data : temp).filePath(c.name);
        if (c.kind == Folder)
            writeBytes(path + "/report.pdf", "%PDF");
        else
            writeBytes(path, "x");
        const timespec when{start.toSecsSinceEpoch() - c.ageSeconds, 0};
        const timespec times[2] = {when, when};
        ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
    }
    platform::StaleLeftovers::Rules rules{start, &platform::StaleLeftovers::processRunning,
                                          [] { return false; }};
    platform::StaleLeftovers::remove(data.path(), {"yakujo.txt", "sorbenk.ini"}, temp.path(),
                                     rules);
    for (const Case& c : cases) {
        EXPECT_EQ(QFileInfo::exists((c.where == Data ? data : temp).filePath(c.name)), !c.removed)
            << c.name.toStdString();
    }

    // With another copy running, a folder without a pid may be its print.
    writeBytes(temp.filePath("dorimek-Ab12Cd/report.pdf"), "%PDF");
    const timespec old[2] = {{start.toSecsSinceEpoch() - 60, 0},
                             {start.toSecsSinceEpoch() - 60, 0}};
    ::utimensat(AT_FDCWD, QFile::encodeName(temp.filePath("dorimek-Ab12Cd")).constData(), old, 0);
    rules.otherCopyRunning = [] { return true; };
    platform::StaleLeftovers::remove(data.path(), {}, temp.path(), rules);
    EXPECT_TRUE(QFileInfo::exists(temp.filePath("dorimek-Ab12Cd")));
}

TEST(AbruptExit, RunsItsHandlerOnExitUnlessDisarmed) {
    // A child process stands for the program that a library ends with exit().
    struct Case {
        bool disarmed;
        bool handlerRan;
    };
    for (const Case c : {Case{false, true}, Case{true, false}}) {
        QTemporaryDir dir;
        const QByteArray mark = QFile::encodeName(dir.filePath("kept"));
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            platform::AbruptExit::arm(
                [&mark] { ::close(::open(mark.constData(), O_CREAT | O_WRONLY, 0600)); });
            if (c.disarmed) platform::AbruptExit::disarm();
            std::exit(1);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_EQ(QFileInfo::exists(dir.filePath("kept")), c.handlerRan) << c.disarmed;
    }
}

#endif  // !_WIN32

}  // namespace
}  // namespace dorimek

namespace dorimek::platform {
namespace {

// The paper a job asks for, from what the spooler lists of a queue.
TEST(QueuePaper, AJobAsksOnlyForPaperTheQueueLists) {
    const MediaEntry a4{"iso_a4_210x297mm", 21000, 29700, 423, 423, 423, 423};
    const MediaEntry letter{"na_letter_8.5x11in", 21590, 27940, 423, 423, 423, 423};
    const MediaEntry isoB5{"iso_b5_176x250mm", 17600, 25000, 423, 423, 423, 423};
    const MediaEntry b5{"jis_b5_182x257mm", 18200, 25700, 423, 423, 423, 423};
    const MediaEntry b5Ppd{"jis_b5_182x257mm", 18203, 25718, 300, 500, 300, 400};
    const MediaEntry b5Edge{"jis_b5_182x257mm_borderless", 18200, 25700, 0, 0, 0, 0};
    const MediaEntry legalMax{"custom_max_8.5x14in", 21590, 35560};
    const MediaEntry minSize{"custom_min_3x5in", 7620, 12700};
    const MediaEntry postcardMax{"custom_max_100x148mm", 10000, 14800};
    const MediaEntry fallback{{}, 0, 0, 635, 1270, 635, 1270};
    struct Case {
        const char* name;
        MediaFacts facts;
        const char* jobMedia;
        const char* paperInstead;  // the user's name for it; empty: JIS B5
        const char* paper;         // "width x length left/top", tenths of a millimetre
    };
    const char* const bordered =
        "media-col={media-size={x-dimension=18200 y-dimension=25700} media-left-margin=423 "
        "media-right-margin=423 media-top-margin=423 media-bottom-margin=423}";
    const Case cases[] = {
        {"JIS B5 by name", {{a4, b5}}, "media=jis_b5_182x257mm", "", "1820x2570 42.3/42.3"},
        {"a PPD's B5 in whole points",
         {{b5Ppd}},
         "media=jis_b5_182x257mm",
         "",
         "1820.3x2571.8 30/40"},
        {"to the edge listed first, then bordered: the bordered one, by its margins",
         {{b5Edge, b5}},
         bordered,
         "",
         "1820x2570 42.3/42.3"},
        {"a custom range holding B5 takes the margins the queue states",
         {{a4, letter}, minSize, legalMax, fallback},
         "media=jis_b5_182x257mm",
         "",
         "1820x2570 63.5/127"},
        {"a range too small for B5 is no B5",
         {{a4, letter}, minSize, postcardMax, fallback, "", "iso_a4_210x297mm"},
         "media=iso_a4_210x297mm",
         "A4（210 × 297 mm）",
         "2100x2970 42.3/42.3"},
        {"no B5: the queue's own default, not Letter",
         {{letter, a4}, {}, {}, {}, "", "iso_a4_210x297mm"},
         "media=iso_a4_210x297mm",
         "A4（210 × 297 mm）",
         "2100x2970 42.3/42.3"},
        {"ISO B5 is not JIS B5",
         {{isoB5, a4}, {}, {}, {}, "", "iso_b5_176x250mm"},
         "media=iso_b5_176x250mm",
         "ISO B5（176 × 250 mm）",
         "1760x2500 42.3/42.3"},
        {"the paper the user set for the queue comes first",
         {{a4, letter}, {}, {}, {}, "na_letter_8.5x11in", "iso_a4_210x297mm"},
         "media=na_letter_8.5x11in",
         "US レター（216 × 279 mm）",
         "2159x2794 42.3/42.3"},
        {"a default the queue doesn't list: its first paper",
         {{letter, a4}, {}, {}, {}, "jis_b5_182x257mm", "na_legal_8.5x14in"},
         "media=na_letter_8.5x11in",
         "US レター（216 × 279 mm）",
         "2159x2794 42.3/42.3"},
    };
    for (const Case& c : cases) {
        const QueuePaper p = QueuePaper::choose(c.facts);
        EXPECT_TRUE(p.known) << c.name;
        EXPECT_EQ(p.jisB5, *c.paperInstead == 0) << c.name;
        EXPECT_EQ(p.jobMedia.toStdString(), c.jobMedia) << c.name;
        EXPECT_EQ(p.paperInstead, QString::fromUtf8(c.paperInstead)) << c.name;
        const QString paper =
            QStringLiteral("%1x%2 %3/%4").arg(p.width).arg(p.length).arg(p.left).arg(p.top);
        EXPECT_EQ(paper.toStdString(), c.paper) << c.name;
        // A system that sets the paper by size reads the same paper back.
        const QSizeF asked = jobMediaSize(p.jobMedia);
        EXPECT_NEAR(asked.width(), p.width / 10, 0.5) << c.name;
        EXPECT_NEAR(asked.height(), p.length / 10, 0.5) << c.name;
    }
    // A raw queue lists nothing: the job asks for JIS B5 and nothing is claimed.
    const QueuePaper raw = QueuePaper::choose({});
    EXPECT_FALSE(raw.known);
    EXPECT_EQ(raw.jobMedia, QStringLiteral("media=jis_b5_182x257mm"));
}

}  // namespace
}  // namespace dorimek::platform
