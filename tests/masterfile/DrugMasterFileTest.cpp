#include "masterfile/DrugMasterFile.h"

#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace dorimek::masterfile {
namespace {

using testing::readBytes;
using testing::sjis;
using testing::writeBytes;

using Fields = std::vector<std::string>;

// ソ and 表 end in 0x5C, ポ in 0x7C: the bytes a naive byte splitter or a
// path-minded routine stumbles over.
const std::string kSo = sjis("ソ");
const std::string kHyou = sjis("表");
const std::string kPo = sjis("ポ");

TEST(MasterFileSplitter, TrailBytesUnderTestAreTheAwkwardOnes) {
    ASSERT_EQ(kSo, std::string("\x83\x5c"));
    ASSERT_EQ(kHyou, std::string("\x95\x5c"));
    ASSERT_EQ(kPo, std::string("\x83\x7c"));
}

struct SplitCase {
    const char* what;
    std::string line;
    Fields fields;
};

void PrintTo(const SplitCase& c, std::ostream* os) { *os << c.what; }

class SplitterTable : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitterTable, SplitsIntoFields) {
    const SplitCase& c = GetParam();
    EXPECT_EQ(splitFields(c.line), c.fields) << c.what;
    EXPECT_EQ(registeredNameOf(c.line), c.fields.front()) << c.what;
}

// The first field is found by its own fast path; every short line over the
// bytes that matter (commas, lead bytes that are also trail bytes, a trail
// byte that is ASCII, single bytes) must give splitFields' first field.
TEST(MasterFileSplitter, FirstFieldAgreesWithTheSplitterOnEveryShortLine) {
    const std::string alphabet = std::string(",\x81\xE0@") + "\xA1" + "a";
    std::string line;
    for (size_t length = 0; length <= 7; ++length) {
        line.assign(length, alphabet[0]);
        std::vector<size_t> digit(length, 0);
        for (;;) {
            ASSERT_EQ(registeredNameOf(line), splitFields(line).front()) << ::testing::PrintToString(line);
            size_t i = 0;
            while (i < length && ++digit[i] == alphabet.size()) digit[i++] = 0;
            if (i == length) break;
            for (size_t j = 0; j <= i; ++j) line[j] = alphabet[digit[j]];
        }
    }
}

const std::string kLong(5000, 'x');

INSTANTIATE_TEST_SUITE_P(
    MasterFileLines, SplitterTable,
    ::testing::Values(
        SplitCase{"well formed",
                  sjis("ｱﾑﾛ,アムロ錠,錠,AM1,10mg,血圧,眠気,am.jpg"),
                  {sjis("ｱﾑﾛ"), sjis("アムロ錠"), sjis("錠"), "AM1", "10mg", sjis("血圧"),
                   sjis("眠気"), "am.jpg"}},
        SplitCase{"trail byte 0x5C",
                  kSo + "," + kHyou + "A,,,,,,",
                  {kSo, kHyou + "A", "", "", "", "", "", ""}},
        SplitCase{"trail byte 0x7C",
                  kPo + kPo + "," + kPo + ",,,,,,x",
                  {kPo + kPo, kPo, "", "", "", "", "", "x"}},
        // A lead byte takes the comma after it along: that is how the line
        // is read, so the writer refuses to produce such a field.
        SplitCase{"lead byte before comma", std::string("A\x83,B"), {std::string("A\x83,B")}},
        SplitCase{"lone lead byte at line end", std::string("AB\x83"), {std::string("AB\x83")}},
        SplitCase{"all empty but the name", "N,,,,,,,", {"N", "", "", "", "", "", "", ""}},
        SplitCase{"empty line", "", {""}}, SplitCase{"leading comma", ",a,b", {"", "a", "b"}},
        SplitCase{"no comma", sjis("名前だけ ある"), {sjis("名前だけ ある")}},
        SplitCase{"spaces kept", " a , b ", {" a ", " b "}},
        SplitCase{"more than seven commas",
                  "1,2,3,4,5,6,7,8,9,10",
                  {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}},
        SplitCase{
            "half-width kana are single bytes", "\xb6\xde\xdd,\xb1", {"\xb6\xde\xdd", "\xb1"}},
        SplitCase{"thousands of bytes", kLong + "," + kLong, {kLong, kLong}}),
    [](const ::testing::TestParamInfo<SplitCase>& info) {
        return "case" + std::to_string(info.index);
    });

TEST(MasterFileRecord, MissingFieldsAreEmptyAndExtraFieldsDropped) {
    const DrugRecord shortOne = recordFromFields({"A", "B"});
    EXPECT_EQ(shortOne.registeredName, "A");
    EXPECT_EQ(shortOne.displayName, "B");
    EXPECT_TRUE(shortOne.imageFile.empty());
    const DrugRecord longOne = recordFromFields(splitFields("1,2,3,4,5,6,7,8,9"));
    EXPECT_EQ(longOne.imageFile, "8");
    EXPECT_EQ(joinRecord(longOne), "1,2,3,4,5,6,7,8");
}

struct ProblemCase {
    const char* what;
    int field;
    std::string value;
    const char* label;  // empty: no problem
};

void PrintTo(const ProblemCase& c, std::ostream* os) { *os << c.what; }

class FormatProblemTable : public ::testing::TestWithParam<ProblemCase> {};

TEST_P(FormatProblemTable, NamesTheOffendingField) {
    const ProblemCase& c = GetParam();
    DrugRecord r = recordFromFields(splitFields("A,B,C,D,E,F,G,H"));
    r.field(c.field) = c.value;
    const QString problem = formatProblem(r);
    if (*c.label == 0) {
        EXPECT_TRUE(problem.isEmpty()) << c.what << ": " << problem.toStdString();
    } else {
        EXPECT_TRUE(problem.contains(QString::fromUtf8(c.label)))
            << c.what << ": " << problem.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    MasterFileFields, FormatProblemTable,
    ::testing::Values(ProblemCase{"empty name", 0, "", "登録名"},
                      ProblemCase{"blank name is a name", 0, " ", ""},
                      ProblemCase{"comma in display name", 1, "a,b", "表示名"},
                      ProblemCase{"LF in unit", 2, "a\nb", "単位"},
                      ProblemCase{"CR in shape code", 3, "a\r", "形状記号"},
                      ProblemCase{"comma in package", 4, ",", "包装"},
                      ProblemCase{"LF in efficacy", 5, "\n", "効能"},
                      ProblemCase{"comma in caution", 6, "x,", "注意"},
                      ProblemCase{"CR LF in image file", 7, "a.jpg\r\n", "画像ファイル"},
                      ProblemCase{"cut double-byte char", 1, std::string("AB\x83"), "表示名"},
                      ProblemCase{"trail bytes 0x5C 0x7C are fine", 5, kSo + kPo + kHyou, ""},
                      ProblemCase{"empty image file", 7, "", ""},
                      ProblemCase{"long field", 6, std::string(4000, 'z'), ""}),
    [](const ::testing::TestParamInfo<ProblemCase>& info) {
        return "case" + std::to_string(info.index);
    });

class MasterFileTest : public ::testing::Test {
  protected:
    QString path() const { return dir.filePath(QStringLiteral("yakujo.txt")); }
    void write(std::string_view bytes) { writeBytes(path(), bytes); }
    QTemporaryDir dir;
};

struct LoadCase {
    const char* what;
    std::string bytes;
    Fields names;
};

void PrintTo(const LoadCase& c, std::ostream* os) { *os << c.what; }

class LoaderTable : public MasterFileTest, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(LoaderTable, EveryLineIsOneRecord) {
    const LoadCase& c = GetParam();
    write(c.bytes);
    const auto names = LoadRegisteredNames(path());
    ASSERT_TRUE(names.ok()) << names.error().toStdString();
    EXPECT_EQ(*names, c.names) << c.what;
    const auto records = LoadDrugRecords(path());
    ASSERT_TRUE(records.ok());
    ASSERT_EQ(records->size(), c.names.size()) << c.what;
    for (size_t i = 0; i < c.names.size(); ++i) {
        EXPECT_EQ((*records)[i].registeredName, c.names[i]) << c.what << " line " << i;
        // record number = line number, in every reader
        const auto one = ReadDrugRecord(static_cast<int>(i), path());
        ASSERT_TRUE(one.ok()) << c.what;
        EXPECT_EQ(*one, (*records)[i]) << c.what << " line " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    MasterFileFiles, LoaderTable,
    ::testing::Values(
        LoadCase{"empty file", "", {}}, LoadCase{"CR LF", "A,,,,,,,\r\nB,,,,,,,\r\n", {"A", "B"}},
        LoadCase{"bare LF", "A,,,,,,,\nB,,,,,,,\n", {"A", "B"}},
        LoadCase{"last line without line end", "A,,,,,,,\r\nB,,,,,,,", {"A", "B"}},
        LoadCase{"single line without line end", "A", {"A"}},
        LoadCase{"DOS end-of-file byte after the last line end", "A,,,,,,,\r\n\x1A", {"A"}},
        LoadCase{"blank line is no record", "A\r\n\r\nC\r\n", {"A", "C"}},
        LoadCase{"long line not split",
                 std::string(6000, 'L') + ",x\r\nB\r\n",
                 {std::string(6000, 'L'), "B"}},
        LoadCase{"0x5C trail in name", kSo + kHyou + ",d\r\n" + kPo + "\r\n", {kSo + kHyou, kPo}},
        LoadCase{"trailing blank kept", "A ,x\r\nA,y\r\n", {"A ", "A"}}),
    [](const ::testing::TestParamInfo<LoadCase>& info) {
        return "case" + std::to_string(info.index);
    });

TEST_F(MasterFileTest, ReadDrugRecordFirstLastAndPastEnd) {
    write("first,F,,,,,,f.jpg\r\nmid,M\r\nlast,L,u,s,p,e,c,l.bmp");
    const auto first = ReadDrugRecord(0, path());
    ASSERT_TRUE(first.ok());
    EXPECT_EQ(first->displayName, "F");
    EXPECT_EQ(first->imageFile, "f.jpg");
    const auto mid = ReadDrugRecord(1, path());
    ASSERT_TRUE(mid.ok());
    EXPECT_EQ(mid->displayName, "M");
    EXPECT_TRUE(mid->caution.empty());
    const auto last = ReadDrugRecord(2, path());
    ASSERT_TRUE(last.ok());
    EXPECT_EQ(joinRecord(*last), "last,L,u,s,p,e,c,l.bmp");
    for (int n : {3, 4, 1000, -1, -2}) {
        const auto past = ReadDrugRecord(n, path());
        EXPECT_FALSE(past.ok()) << n;
        EXPECT_FALSE(past.error().isEmpty()) << n;
    }
    const auto line = ReadDrugLine(1, path());
    ASSERT_TRUE(line.ok());
    EXPECT_EQ(*line, "mid,M");
}

TEST_F(MasterFileTest, MissingFileFailsEveryReaderWithTheFileName) {
    const QString missing = dir.filePath(QStringLiteral("yakujo.txt"));
    const auto names = LoadRegisteredNames(missing);
    ASSERT_FALSE(names.ok());
    EXPECT_TRUE(names.error().contains(QStringLiteral("yakujo.txt")));
    EXPECT_FALSE(LoadDrugRecords(missing).ok());
    EXPECT_FALSE(ReadDrugRecord(0, missing).ok());
    EXPECT_FALSE(FindDrugRecord("A", missing).ok());
}

TEST_F(MasterFileTest, FindDrugRecordTakesTheFirstExactMatch) {
    write("A ,1\r\nB,2\r\nA,3\r\n" + kSo + ",4\r\nA,5\r\nlast");
    struct Case {
        std::string name;
        std::optional<int> found;
    };
    const Case cases[] = {{"A", 2},
                          {"A ", 0},
                          {"B", 1},
                          {kSo, 3},
                          {"last", 5},
                          {"a", std::nullopt},
                          {"", std::nullopt},
                          {"B,2", std::nullopt},
                          {"\x83", std::nullopt}};
    for (const Case& c : cases) {
        const auto found = FindDrugRecord(c.name, path());
        ASSERT_TRUE(found.ok());
        EXPECT_EQ(*found, c.found) << c.name;
    }
}

TEST_F(MasterFileTest, SaveWritesCrLfEverywhereAndReadsBack) {
    write("old\n");
    std::vector<DrugRecord> records = {
        recordFromFields({kSo + kPo, sjis("表示"), "", "S", "P", sjis("効能 です"), "", "a.jpg"}),
        recordFromFields({"\xb6\xde", "", "", "", "", "", "", ""}),
        recordFromFields({" spaced ", " x "}),
    };
    ASSERT_TRUE(SaveDrugRecords(records, path()).ok());
    const std::string bytes = readBytes(path());
    EXPECT_EQ(bytes,
              joinRecord(records[0]) + "\r\n" + "\xb6\xde,,,,,,,\r\n" + " spaced , x ,,,,,,\r\n");
    const auto back = LoadDrugRecords(path());
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(*back, records);
}

TEST_F(MasterFileTest, SaveOfNothingLeavesAnEmptyFile) {
    write("A\r\n");
    ASSERT_TRUE(SaveDrugRecords({}, path()).ok());
    EXPECT_EQ(readBytes(path()), "");
}

TEST_F(MasterFileTest, SaveCreatesAMissingFile) {
    ASSERT_TRUE(SaveDrugRecords({recordFromFields({"N"})}, path()).ok());
    EXPECT_EQ(readBytes(path()), "N,,,,,,,\r\n");
}

TEST_F(MasterFileTest, LoadedFileWithoutLineEndSavesWhole) {
    // A last line without its line end must survive a load and a save.
    const std::string original = "A,1,,,,,,\nB,2,,,,,,";
    write(original);
    const auto records = LoadDrugRecords(path());
    ASSERT_TRUE(records.ok());
    ASSERT_TRUE(SaveDrugRecords(*records, path()).ok());
    EXPECT_EQ(readBytes(path()), "A,1,,,,,,\r\nB,2,,,,,,\r\n");
}

TEST_F(MasterFileTest, RefusedRecordLeavesTheOldFileByteForByte) {
    const std::string original = "keep,me,,,,,,\r\nand,me";
    struct Case {
        int field;
        std::string value;
        const char* label;
    };
    const Case cases[] = {
        {0, "", "登録名"}, {1, "a,b", "表示名"}, {5, "x\ny", "効能"}, {7, "p\r", "画像ファイル"}};
    for (const Case& c : cases) {
        write(original);
        std::vector<DrugRecord> records(3, recordFromFields({"ok"}));
        records[1].field(c.field) = c.value;
        const Status s = SaveDrugRecords(records, path());
        ASSERT_FALSE(s.ok()) << c.label;
        EXPECT_TRUE(s.error().contains(QString::fromUtf8(c.label))) << s.error().toStdString();
        EXPECT_TRUE(s.error().contains(QStringLiteral("2")))
            << "names the record: " << s.error().toStdString();
        EXPECT_EQ(readBytes(path()), original) << c.label;
    }
}

TEST_F(MasterFileTest, FailedWriteLeavesTheOldFileAndSaysWhy) {
    // The target's folder does not exist: nothing can be created there.
    const QString nowhere = dir.filePath(QStringLiteral("no/such/folder/yakujo.txt"));
    const Status s = SaveDrugRecords({recordFromFields({"A"})}, nowhere);
    ASSERT_FALSE(s.ok());
    EXPECT_TRUE(s.error().contains(QStringLiteral("yakujo.txt")));
    EXPECT_FALSE(QFile::exists(nowhere));

    // A folder standing where the file should be.
    QDir(dir.path()).mkdir(QStringLiteral("yakujo.txt"));
    EXPECT_FALSE(SaveDrugRecords({recordFromFields({"A"})}, path()).ok());
}

TEST_F(MasterFileTest, NothingIsCachedBetweenCalls) {
    write("A\r\nB\r\n");
    ASSERT_EQ(LoadRegisteredNames(path())->size(), 2u);
    write("C\r\n");
    const auto names = LoadRegisteredNames(path());
    EXPECT_EQ(*names, Fields{"C"});
    EXPECT_FALSE(ReadDrugRecord(1, path()).ok());
    EXPECT_EQ(*FindDrugRecord("C", path()), 0);
}

}  // namespace
}  // namespace dorimek::masterfile
