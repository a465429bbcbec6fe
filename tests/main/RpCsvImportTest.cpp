#include "RpCsvImport.h"

#include "AutoRunClaim.h"
#include "RecordingMessageSink.h"
#include "TestFiles.h"
#include "platform/Sjis.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace dorimek::mainwin {
namespace {

using testing::sjis;
using testing::writeBytes;

// The master list as the main window holds it: RegisteredNames in file order.
// ﾛｷｿﾆﾝ stands twice so that "first equal wins" is visible.
std::vector<std::string> masterList() {
    return {sjis("ｱﾑﾛｼﾞﾝ錠5mg"),   sjis("ﾛｷｿﾆﾝ錠60mg"), sjis("ﾑｺｽﾀ錠100mg"),
            sjis("ﾏｸﾞﾐｯﾄ錠330mg"), sjis("ﾛｷｿﾆﾝ錠60mg"), sjis("ｶﾞｽﾀｰD錠20mg")};
}

// One data line the way the host writes it: field 4 says whether the drug has
// its own usage, field 5 is the name, field 9 onward the usage.
std::string rec(const std::string& name, const std::string& field4 = "",
                const std::string& usage = "") {
    return "2024,1,RP" + std::to_string(name.size()) + ",A," + field4 + "," + name + ",1," +
           sjis("錠") + ",7," + usage;
}
std::string recU(const char* name, const char* field4 = "", const char* usage = "") {
    return rec(sjis(name), field4, sjis(usage));
}

std::string header() {
    return sjis(
        "QEV処方データ\r\n患者番号,000123\r\n患者名,山田太郎\r\n処方日,2024/04/01\r\n"
        "区分,薬剤名,用法\r\n");
}

std::string fileOf(const std::vector<std::string>& lines, const char* eol = "\r\n",
                   bool finalEol = true) {
    std::string bytes = header();
    for (size_t i = 0; i < lines.size(); ++i) {
        bytes += lines[i];
        if (i + 1 < lines.size() || finalEol) bytes += eol;
    }
    return bytes;
}

struct Line {
    int n;
    std::string name;
    int masterIndex;
    std::optional<std::string> usage;
};

struct Msg {
    bool exact;
    std::string text;  // UTF-8
};
Msg exact(const char* t) { return {true, t}; }
Msg has(const std::string& t) { return {false, t}; }

struct ImportCase {
    const char* what;
    std::string file;           // rp.csv bytes
    int linesBefore = 0;        // known lines (index 2) already in the prescription
    std::vector<Line> lines;    // what the import appends
    std::vector<Msg> messages;  // in order
    std::vector<std::string> unknownEntries = {};  // UnknownDrugNames 0.. afterwards
};

void PrintTo(const ImportCase& c, std::ostream* os) { *os << c.what; }

const std::string kAmlo = sjis("ｱﾑﾛｼﾞﾝ錠5mg");
const std::string kLoxo = sjis("ﾛｷｿﾆﾝ錠60mg");
const std::string kMucosta = sjis("ﾑｺｽﾀ錠100mg");
const std::string kMag = sjis("ﾏｸﾞﾐｯﾄ錠330mg");
const std::string kGaster = sjis("ｶﾞｽﾀｰD錠20mg");
const std::string kAfterMeals = sjis("毎食後");
const std::string kMorning = sjis("朝食後");

std::vector<ImportCase> importCases() {
    std::vector<ImportCase> cases;
    cases.push_back({"header only", fileOf({}), 0, {}, {}});
    cases.push_back(
        {"header shorter than five lines", sjis("QEV処方データ\r\n患者番号,1\r\n"), 0, {}, {}});
    cases.push_back({"usage carries over to records without their own, and is reset",
                     fileOf({recU("ﾛｷｿﾆﾝ錠60mg"),  // before any usage: none
                             recU("ｱﾑﾛｼﾞﾝ錠5mg", "1", "朝食後"), recU("ﾑｺｽﾀ錠100mg"),
                             recU("ﾏｸﾞﾐｯﾄ錠330mg", "2", ""),  // own usage empty: resets
                             recU("ｶﾞｽﾀｰD錠20mg")}),
                     0,
                     {{1, kLoxo, 1, std::nullopt},
                      {2, kAmlo, 0, kMorning},
                      {3, kMucosta, 2, kMorning},
                      {4, kMag, 3, std::nullopt},
                      {5, kGaster, 5, std::nullopt}},
                     {}});
    cases.push_back(
        {"field 4 set but no field 9: usage empty, carried emptiness",
         fileOf({recU("ｱﾑﾛｼﾞﾝ錠5mg", "1", "朝食後"),
                 "0,1,2,3,X," + kMucosta + ",6",  // stops before field 9
                 recU("ﾛｷｿﾆﾝ錠60mg")}),
         0,
         {{1, kAmlo, 0, kMorning}, {2, kMucosta, 2, std::nullopt}, {3, kLoxo, 1, std::nullopt}},
         {}});
    cases.push_back({"commas in the usage are kept",
                     fileOf({recU("ﾑｺｽﾀ錠100mg", "1", "1日3回,毎食後,7日分")}),
                     0,
                     {{1, kMucosta, 2, sjis("1日3回,毎食後,7日分")}},
                     {}});
    cases.push_back({"same drug twice, and a duplicated master name binds to the first",
                     fileOf({recU("ﾛｷｿﾆﾝ錠60mg", "1", "毎食後"), recU("ﾛｷｿﾆﾝ錠60mg")}),
                     0,
                     {{1, kLoxo, 1, kAfterMeals}, {2, kLoxo, 1, kAfterMeals}},
                     {}});
    cases.push_back(
        {"unknown drugs: name only, entries 0 and 1, one message each",
         fileOf({recU("ｱﾑﾛｼﾞﾝ錠5mg"), recU("ﾌﾟﾛﾄﾝ錠"), recU("ﾛｷｿﾆﾝ錠60mg "),  // trailing blank
                 recU("ﾑｺｽﾀ錠100MG")}),                                       // case differs
         0,
         {{1, kAmlo, 0, std::nullopt},
          {2, sjis("ﾌﾟﾛﾄﾝ錠"), -2, std::nullopt},
          {3, sjis("ﾛｷｿﾆﾝ錠60mg "), -3, std::nullopt},
          {4, sjis("ﾑｺｽﾀ錠100MG"), -4, std::nullopt}},
         {exact("ﾌﾟﾛﾄﾝ錠がリストにありません 薬剤名だけ記載します"),
          exact("ﾛｷｿﾆﾝ錠60mg がリストにありません 薬剤名だけ記載します"),
          exact("ﾑｺｽﾀ錠100MGがリストにありません 薬剤名だけ記載します")},
         {sjis("ﾌﾟﾛﾄﾝ錠"), sjis("ﾛｷｿﾆﾝ錠60mg "), sjis("ﾑｺｽﾀ錠100MG")}});
    cases.push_back({"full-width name is another name",
                     fileOf({recU("ムコスタ錠100mg")}),
                     0,
                     {{1, sjis("ムコスタ錠100mg"), -2, std::nullopt}},
                     {exact("ムコスタ錠100mgがリストにありません 薬剤名だけ記載します")},
                     {sjis("ムコスタ錠100mg")}});
    cases.push_back({"appends after three lines: first import is line 4, usage to box 4",
                     fileOf({recU("ｱﾑﾛｼﾞﾝ錠5mg", "1", "朝食後"), recU("ﾛｷｿﾆﾝ錠60mg")}),
                     3,
                     {{4, kAmlo, 0, kMorning}, {5, kLoxo, 1, kMorning}},
                     {}});
    cases.push_back(
        {"lines 12 and later keep their usages too",
         fileOf({recU("ｱﾑﾛｼﾞﾝ錠5mg", "1", "朝食後"), recU("ﾛｷｿﾆﾝ錠60mg"),
                 recU("ﾑｺｽﾀ錠100mg", "1", "毎食後")}),
         10,
         {{11, kAmlo, 0, kMorning}, {12, kLoxo, 1, kMorning}, {13, kMucosta, 2, kAfterMeals}},
         {}});
    {
        // Names and usages far past the old fixed buffers come through whole.
        std::string longName = sjis("ｼﾞｪﾈﾘｯｸ長い名前の薬剤") + std::string(60, 'N');
        std::string longUsage = sjis("1日3回毎食後、症状のあるとき,") + std::string(150, 'u');
        ImportCase c{"records longer than 127 bytes are read whole",
                     fileOf({rec(longName, "1", longUsage), recU("ﾑｺｽﾀ錠100mg")}),
                     0,
                     {{1, longName, -2, longUsage}, {2, kMucosta, 2, longUsage}},
                     {has(std::string(60, 'N') + "がリストにありません")},
                     {longName}};
        cases.push_back(c);
    }
    {
        std::string longHeader = sjis("QEV処方データ,") + std::string(300, 'h') + "\r\n";
        ImportCase c{"a header line over 127 bytes is still one header line",
                     longHeader + sjis("患者番号,1\r\n患者名,山田\r\n日付,x\r\n区分\r\n") +
                         recU("ｱﾑﾛｼﾞﾝ錠5mg", "1", "朝食後") + "\r\n",
                     0,
                     {{1, kAmlo, 0, kMorning}},
                     {}};
        cases.push_back(c);
    }
    cases.push_back({"malformed records are skipped and reported once with their line numbers",
                     fileOf({recU("ｱﾑﾛｼﾞﾝ錠5mg", "1", "朝食後"),
                             "0,1,2,3,," + kLoxo,   // no comma after the name
                             "0,1,2",               // three fields
                             "0,1,2,3,1,,6,7,8,x",  // empty drug name: its usage still carries
                             recU("ﾑｺｽﾀ錠100mg")}),
                     0,
                     {{1, kAmlo, 0, kMorning}, {2, kMucosta, 2, "x"}},
                     {has("rp.csvの7、8、9行目は")}});
    cases.push_back({"thirty bad lines: twenty are listed, the rest counted",
                     fileOf(std::vector<std::string>(30, "0,1,2")),
                     0,
                     {},
                     {has("6、7、8、9、10、11、12、13、14、15、16、17、18、19、20、21、22、23、24、"
                          "25 ほか10行")}});
    cases.push_back(
        {"blank lines, lines beginning with CR; a last line without line end is unfinished",
         header() + "\r\n" + recU("ｱﾑﾛｼﾞﾝ錠5mg") + "\r\n\r\r\n\rjunk,1,2,3,4,5,6\r\n" +
             recU("ﾛｷｿﾆﾝ錠60mg", "1", "毎食後"),
         0,
         {{1, kAmlo, 0, std::nullopt}},
         {has("rp.csvの最後の行（10行目）は基幹システムが書き終えていない")}});
    cases.push_back({"a DOS end-of-file byte after the last line end is no line",
                     fileOf({recU("ﾑｺｽﾀ錠100mg", "1", "毎食後")}) + "\x1A",
                     0,
                     {{1, kMucosta, 2, kAfterMeals}},
                     {}});
    cases.push_back({"LF line ends; a last record with its line end counts once",
                     fileOf({recU("ﾑｺｽﾀ錠100mg", "1", "毎食後")}, "\n"),
                     0,
                     {{1, kMucosta, 2, kAfterMeals}},
                     {}});
    {
        ImportCase c{"a 25th line is refused and named in one message", {}, 22, {}, {}};
        c.file = fileOf(
            {recU("ｱﾑﾛｼﾞﾝ錠5mg"), recU("ﾛｷｿﾆﾝ錠60mg"), recU("ﾑｺｽﾀ錠100mg"), recU("ﾌﾟﾛﾄﾝ錠")});
        c.lines = {{23, kAmlo, 0, std::nullopt}, {24, kLoxo, 1, std::nullopt}};
        c.messages = {has("処方は24行までです: ﾑｺｽﾀ錠100mg、ﾌﾟﾛﾄﾝ錠")};
        cases.push_back(c);
    }
    {
        ImportCase c{
            "a ninth unknown drug is refused; known drugs after it still come in", {}, 0, {}, {}};
        std::vector<std::string> recs;
        for (int i = 1; i <= 10; ++i) {
            const std::string name = sjis("未登録薬") + std::to_string(i);
            recs.push_back(rec(name));
            if (i <= 8) {
                c.lines.push_back({i, name, -(i - 1) - 2, std::nullopt});
                c.messages.push_back(has("未登録薬" + std::to_string(i) + "がリストにありません"));
                c.unknownEntries.push_back(name);
            }
        }
        recs.push_back(recU("ﾏｸﾞﾐｯﾄ錠330mg"));
        c.lines.push_back({9, kMag, 3, std::nullopt});
        c.messages.push_back(
            has("リストにない薬剤は1回の取込で8件までです: 未登録薬9、未登録薬10"));
        c.file = fileOf(recs);
        cases.push_back(c);
    }
    {
        ImportCase c{
            "a name far past the limits is refused, named by its beginning", {}, 0, {}, {}};
        const std::string absurd = sjis("ﾅｶﾞｲ") + std::string(6300, 'N');
        c.file = fileOf({recU("ｱﾑﾛｼﾞﾝ錠5mg", "1", "朝食後"), rec(absurd), recU("ﾛｷｿﾆﾝ錠60mg")});
        c.lines = {{1, kAmlo, 0, kMorning}, {2, kLoxo, 1, kMorning}};
        c.messages = {has(
            "薬剤名が長すぎます（登録名は63バイトまで、rp.csvの薬剤名は31バイトまでです）: ﾅｶﾞｲ" +
            std::string(122, 'N') + "…")};
        cases.push_back(c);
    }
    return cases;
}

class RpCsvImportTable : public ::testing::TestWithParam<ImportCase> {};

TEST_P(RpCsvImportTable, AppendsLinesUsagesAndMessages) {
    const ImportCase& c = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("rp.csv"));
    writeBytes(path, c.file);

    prescription::PrescriptionState state;
    for (int i = 0; i < c.linesBefore; ++i) state.appendKnown(sjis("ﾑｺｽﾀ錠100mg"), 2);
    const ImportReport report = RpCsvImport::run(path, masterList(), state);

    EXPECT_TRUE(report.fileOpened);
    ASSERT_EQ(state.lineCount(), c.linesBefore + static_cast<int>(c.lines.size()));
    ASSERT_EQ(report.lines.size(), c.lines.size());
    for (size_t i = 0; i < c.lines.size(); ++i) {
        const Line& e = c.lines[i];
        const ImportedLine& got = report.lines[i];
        EXPECT_EQ(got.lineNumber, e.n) << "line " << i;
        EXPECT_EQ(state.lineText(e.n), e.name) << "line " << e.n;
        EXPECT_EQ(got.name, e.name) << "line " << e.n;
        EXPECT_EQ(state.masterIndex(e.n), e.masterIndex) << "line " << e.n;
        EXPECT_EQ(got.masterIndex, e.masterIndex) << "line " << e.n;
        EXPECT_EQ(got.usage, e.usage) << "line " << e.n;
        EXPECT_EQ(state.usage(e.n).text, e.usage.value_or(std::string())) << "line " << e.n;
    }

    ASSERT_EQ(report.messages.size(), static_cast<qsizetype>(c.messages.size()))
        << report.messages.join(u'|').toStdString();
    for (size_t i = 0; i < c.messages.size(); ++i) {
        const QString want = QString::fromStdString(c.messages[i].text);
        const QString& got = report.messages[static_cast<qsizetype>(i)];
        if (c.messages[i].exact) {
            EXPECT_EQ(got, want);
        } else {
            EXPECT_TRUE(got.contains(want))
                << got.toStdString() << "\n  lacks " << want.toStdString();
        }
    }
    for (int k = 0; k < prescription::PrescriptionState::kUnknownSlots; ++k) {
        const std::string want = k < static_cast<int>(c.unknownEntries.size())
                                     ? c.unknownEntries[static_cast<size_t>(k)]
                                     : "";
        EXPECT_EQ(state.unknownDrugName(k), want) << "entry " << k;
    }
}

INSTANTIATE_TEST_SUITE_P(RpCsvFixtures, RpCsvImportTable, ::testing::ValuesIn(importCases()));

TEST(RpCsvImport, MissingFileChangesNothing) {
    QTemporaryDir dir;
    prescription::PrescriptionState state;
    state.appendKnown(kAmlo, 0);
    state.appendUnknown(sjis("ﾌﾟﾛﾄﾝ錠"));

    for (const QString& path : {dir.filePath(QStringLiteral("rp.csv")),       // absent
                                dir.filePath(QStringLiteral("none/rp.csv")),  // no folder
                                dir.path()}) {                                // a folder
        const ImportReport report = RpCsvImport::run(path, masterList(), state);
        EXPECT_FALSE(report.fileOpened);
        // The fixed text first, then the very path tried.
        ASSERT_EQ(report.messages.size(), 1);
        EXPECT_EQ(report.messages.first(),
                  QStringLiteral("rp.csvがありません\n探したファイル: ") +
                      QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
        EXPECT_TRUE(report.lines.empty());
        EXPECT_EQ(state.lineCount(), 2);
        EXPECT_EQ(state.masterIndex(2), -2);
        EXPECT_EQ(state.unknownDrugName(0), sjis("ﾌﾟﾛﾄﾝ錠"))
            << "names are kept when nothing was read";
    }
}

TEST(RpCsvImport, SecondImportReusesUnknownEntryZero) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("rp.csv"));
    prescription::PrescriptionState state;

    writeBytes(path, fileOf({recU("ﾌﾟﾛﾄﾝ錠"), recU("ﾊﾟﾘｴｯﾄ錠")}));
    RpCsvImport::run(path, masterList(), state);
    ASSERT_EQ(state.masterIndex(1), -2);
    ASSERT_EQ(state.masterIndex(2), -3);

    writeBytes(path, fileOf({recU("ｱﾑﾛｼﾞﾝ錠5mg"), recU("ﾈｷｼｳﾑ")}));
    const ImportReport second = RpCsvImport::run(path, masterList(), state);
    EXPECT_EQ(state.lineCount(), 4);
    EXPECT_EQ(state.masterIndex(4), -2);
    EXPECT_EQ(state.unknownDrugName(0), sjis("ﾈｷｼｳﾑ"));
    EXPECT_EQ(state.unknownDrugName(1), "") << "entry 1 was emptied by the second import";
    // Line 1 from the first import refers to entry 0, which now holds the newer name.
    EXPECT_EQ(state.unknownDrugName(-state.masterIndex(1) - 2), sjis("ﾈｷｼｳﾑ"));
    EXPECT_EQ(second.unknownNames, std::vector<std::string>{sjis("ﾈｷｼｳﾑ")});
}

TEST(RpCsvImport, UsageDoesNotCarryFromOneImportToTheNext) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("rp.csv"));
    prescription::PrescriptionState state;
    writeBytes(path, fileOf({recU("ｱﾑﾛｼﾞﾝ錠5mg", "1", "朝食後")}));
    RpCsvImport::run(path, masterList(), state);
    writeBytes(path, fileOf({recU("ﾛｷｿﾆﾝ錠60mg")}));
    const ImportReport report = RpCsvImport::run(path, masterList(), state);
    ASSERT_EQ(report.lines.size(), 1u);
    EXPECT_EQ(report.lines[0].lineNumber, 2);
    EXPECT_FALSE(report.lines[0].usage.has_value());
}

TEST(RpCsvImport, PathIsFormedFromTheShiftJisWorkFolder) {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("ＱＥＶ作業"));
    writeBytes(folder + QStringLiteral("/rp.csv"), fileOf({recU("ﾑｺｽﾀ錠100mg")}));
    const std::string workPath = platform::fromUnicode(folder + u'/');

    prescription::PrescriptionState state;
    const ImportReport report = RpCsvImport::run(RpCsvFile::pathIn(workPath), masterList(), state);
    EXPECT_TRUE(report.fileOpened);
    EXPECT_EQ(state.lineCount(), 1);
}

TEST(RpCsvImport, ShowMessagesKeepsTheirOrder) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("rp.csv"));
    writeBytes(path, fileOf({recU("ﾌﾟﾛﾄﾝ錠"), "0,1", recU("ﾊﾟﾘｴｯﾄ錠")}));
    prescription::PrescriptionState state;
    testing::RecordingMessageSink sink;
    RpCsvImport::showMessages(RpCsvImport::run(path, masterList(), state));
    ASSERT_EQ(sink.messages.size(), 3);
    EXPECT_TRUE(sink.messages[0].startsWith(QStringLiteral("ﾌﾟﾛﾄﾝ錠が")));
    EXPECT_TRUE(sink.messages[1].startsWith(QStringLiteral("ﾊﾟﾘｴｯﾄ錠が")));
    EXPECT_TRUE(sink.messages[2].contains(QStringLiteral("7行目")));
}

// The host still writing rp.csv when the import reads it: the last line has
// no line end yet and is cut somewhere.
struct UnfinishedCase {
    const char* what;
    size_t cutFromEnd;          // bytes of the whole file not written yet
    bool finishedWhileWaiting;  // the host writes the rest during the wait
    int unfinishedLine;         // 0: every line whole
};
void PrintTo(const UnfinishedCase& c, std::ostream* os) { *os << c.what; }

class UnfinishedLastLine : public ::testing::TestWithParam<UnfinishedCase> {};

TEST_P(UnfinishedLastLine, IsNoRecordAndStopsAnUnattendedRun) {
    const UnfinishedCase& c = GetParam();
    const std::string usage = sjis("朝昼夕 食後");
    const std::string whole =
        fileOf({recU("ｱﾑﾛｼﾞﾝ錠5mg", "1", "朝食後"), recU("ﾛｷｿﾆﾝ錠60mg"), rec(kMag, "1", usage)});
    const std::string written = whole.substr(0, whole.size() - c.cutFromEnd);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("rp.csv"));
    const QString claim = dir.filePath(QStringLiteral("claim"));
    RpCsvWait wait{std::chrono::milliseconds(400), std::chrono::milliseconds(50), {}};
    if (c.finishedWhileWaiting) wait.onPause = [&] { writeBytes(path, whole); };
    const std::vector<std::string> complete =
        c.unfinishedLine ? std::vector{kAmlo, kLoxo} : std::vector{kAmlo, kLoxo, kMag};

    writeBytes(path, written);
    const Result<RpCsvContent> read = RpCsvFile::read(path, wait);
    ASSERT_TRUE(read.ok()) << read.error().toStdString();
    EXPECT_EQ(read->unfinishedLine, c.unfinishedLine);
    std::vector<std::string> names;
    for (const RpRecord& r : read->records) names.push_back(r.drugName);
    EXPECT_EQ(names, complete);
    if (!c.unfinishedLine) {
        EXPECT_EQ(read->records.back().usage, usage);
    }

    // An unattended run prints nothing rather than a sheet missing a drug.
    writeBytes(path, written);
    prescription::PrescriptionState unattended;
    const ImportReport report =
        RpCsvImport::runForAutoStart(path, claim, masterList(), unattended, wait);
    if (c.unfinishedLine) {
        EXPECT_EQ(report.stopped, AutoRunOutcome::PrescriptionIncomplete);
        EXPECT_EQ(unattended.lineCount(), 0);
        EXPECT_EQ(report.messages.size(), 1);
    } else {
        EXPECT_FALSE(report.stopped.has_value());
        EXPECT_EQ(unattended.lineCount(), 3);
    }
}

INSTANTIATE_TEST_SUITE_P(
    HostStillWriting, UnfinishedLastLine,
    ::testing::Values(
        // "朝昼夕 食後" cut after 朝昼: 夕, the blank and 食後 (2+1+4 bytes) and CR LF missing.
        UnfinishedCase{"cut inside the usage", 9, false, 8},
        // The name's 錠 cut after its lead byte: its trail byte, "330mg",
        // ",1,錠,7," and the usage missing.
        UnfinishedCase{"cut inside a double-byte character",
                       1 + 5 + 8 + sjis("朝昼夕 食後").size() + 2, false, 8},
        // Ends with "330mg,": a name that looks whole, no usage yet.
        UnfinishedCase{"cut after the comma closing the name", 7 + sjis("朝昼夕 食後").size() + 2,
                       false, 8},
        UnfinishedCase{"cut between CR and LF", 1, false, 8},
        UnfinishedCase{"cut at a line end", 0, false, 0},
        UnfinishedCase{"finished by the host while we wait", 9, true, 0}));

// The record of the last prescription a host-started run took.
struct ClaimCase {
    const char* what;
    std::string record;  // what the record file holds; "-" for no file
    qint64 nowMs;
    AutoRunClaim::Verdict expected;
};
void PrintTo(const ClaimCase& c, std::ostream* os) { *os << c.what; }

class AutoRunClaimTable : public ::testing::TestWithParam<ClaimCase> {};

const platform::FileStamp kRp = platform::stampOf("rp");
std::string claimOf(const platform::FileStamp& s, qint64 ms) {
    return std::to_string(s.size) + " " + s.digest.toHex().toStdString() + " " +
           std::to_string(ms) + "\n";
}

TEST_P(AutoRunClaimTable, OnlyTheSameContentMomentsAgoIsARepeat) {
    const ClaimCase& c = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("claim"));
    if (c.record != "-") writeBytes(path, c.record);
    EXPECT_EQ(AutoRunClaim::claim(kRp, path, c.nowMs), c.expected);
    // Whichever run printed, the next one moments later is its repeat.
    EXPECT_EQ(AutoRunClaim::claim(kRp, path, c.nowMs + 1000), AutoRunClaim::Verdict::SameJustRun);
    // A run that printed nothing gives the claim back, so the retry prints;
    // another content's claim is not its to give back.
    AutoRunClaim::release(platform::stampOf("rq"), path);
    EXPECT_EQ(AutoRunClaim::claim(kRp, path, c.nowMs + 1500), AutoRunClaim::Verdict::SameJustRun);
    AutoRunClaim::release(kRp, path);
    EXPECT_EQ(AutoRunClaim::claim(kRp, path, c.nowMs + 2000), AutoRunClaim::Verdict::First);
}

INSTANTIATE_TEST_SUITE_P(
    Claims, AutoRunClaimTable,
    ::testing::Values(ClaimCase{"no record yet", "-", 100000, AutoRunClaim::Verdict::First},
                      ClaimCase{"same content a second ago", claimOf(kRp, 99000), 100000,
                                AutoRunClaim::Verdict::SameJustRun},
                      ClaimCase{"same content long ago", claimOf(kRp, 90000), 100000,
                                AutoRunClaim::Verdict::First},
                      ClaimCase{"the next patient", claimOf(platform::stampOf("rq"), 99900), 100000,
                                AutoRunClaim::Verdict::First},
                      ClaimCase{"taken in the future: the clock was set back", claimOf(kRp, 103000),
                                100000, AutoRunClaim::Verdict::First},
                      ClaimCase{"a record cut short by a kill", "2 ab", 100000,
                                AutoRunClaim::Verdict::First}));

struct ParseCase {
    const char* what;
    std::string line;
    RpCsvFile::LineKind kind;
    RpRecord record;
};
void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.what; }

class RpCsvLineTable : public ::testing::TestWithParam<ParseCase> {};

TEST_P(RpCsvLineTable, Parses) {
    const ParseCase& c = GetParam();
    RpRecord got;
    EXPECT_EQ(RpCsvFile::parseLine(c.line, 42, got), c.kind);
    if (c.kind == RpCsvFile::LineKind::Record || c.kind == RpCsvFile::LineKind::NoName) {
        EXPECT_EQ(got, c.record);
    }
}

INSTANTIATE_TEST_SUITE_P(
    RpCsvLines, RpCsvLineTable,
    ::testing::Values(
        ParseCase{"exactly six commas, field 4 empty",
                  "a,b,c,d,,NAME,",
                  RpCsvFile::LineKind::Record,
                  {42, "NAME", false, ""}},
        ParseCase{"field 4 set, nine commas, empty usage",
                  "a,b,c,d,1,NAME,f,g,h,",
                  RpCsvFile::LineKind::Record,
                  {42, "NAME", true, ""}},
        ParseCase{"usage keeps commas and blanks",
                  "a,b,c,d,1,NAME,f,g,h, x ,y,",
                  RpCsvFile::LineKind::Record,
                  {42, "NAME", true, " x ,y,"}},
        ParseCase{"field 4 empty ignores field 9",
                  "a,b,c,d,,NAME,f,g,h,usage",
                  RpCsvFile::LineKind::Record,
                  {42, "NAME", false, ""}},
        ParseCase{"name is not trimmed",
                  "a,b,c,d,, N ,",
                  RpCsvFile::LineKind::Record,
                  {42, " N ", false, ""}},
        ParseCase{"trailing CR is line-end debris",
                  "a,b,c,d,1,N,f,g,h,u\r",
                  RpCsvFile::LineKind::Record,
                  {42, "N", true, "u"}},
        ParseCase{"double-byte name with 0x5C trail",
                  "a,b,c,d,,\x95\x5c\x83\x7c,",
                  RpCsvFile::LineKind::Record,
                  {42, "\x95\x5c\x83\x7c", false, ""}},
        ParseCase{"five commas only", "a,b,c,d,1,NAME", RpCsvFile::LineKind::Malformed, {}},
        ParseCase{"empty name keeps its usage fields",
                  "a,b,c,d,1,,f,g,h,u",
                  RpCsvFile::LineKind::NoName,
                  {42, "", true, "u"}},
        ParseCase{"no comma at all", "NAME", RpCsvFile::LineKind::Malformed, {}},
        ParseCase{"empty", "", RpCsvFile::LineKind::Blank, {}},
        ParseCase{"begins with CR", "\ra,b,c,d,,N,", RpCsvFile::LineKind::Blank, {}}));

}  // namespace
}  // namespace dorimek::mainwin
