// Bytes that DOS-era tools and old editors leave in rp.csv and yakujo.txt:
// the end-of-file byte 0x1A, NULs and blank lines. None of them is text, every
// reader of a file agrees on that, only what is worth knowing is named, and
// reading never changes the file.
#include "RpCsvImport.h"

#include "TestFiles.h"
#include "masterfile/DrugMasterFile.h"
#include "masterfile/LineRecord.h"
#include "masterfile/MasterLines.h"
#include "platform/Sjis.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace dorimek::mainwin {
namespace {

using testing::readBytes;
using testing::sjis;
using testing::writeBytes;

const std::string kRpHeader = "h1\r\nh2\r\nh3\r\nh4\r\nh5\r\n";

// A data line of rp.csv with its own usage.
std::string rp(const char* name, const char* usage) {
    return "2024,1,RP,A,1," + sjis(name) + ",1,T,7," + sjis(usage);
}

enum class File { RpCsv, Master };

struct DebrisCase {
    const char* what;
    File file;
    std::string bytes;
    // rp.csv: "name|usage" per imported line; yakujo.txt: each record as
    // written back (eight fields joined).
    std::vector<std::string> expected;
    // A text every message together must hold; empty: nothing is said.
    const char* told;
};

void PrintTo(const DebrisCase& c, std::ostream* os) { *os << c.what; }

class DebrisTable : public ::testing::TestWithParam<DebrisCase> {};

TEST_P(DebrisTable, IsNoTextAndOnlyWhatMattersIsNamed) {
    const DebrisCase& c = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath(c.file == File::RpCsv ? "rp.csv" : "yakujo.txt");
    writeBytes(path, c.bytes);

    std::vector<std::string> got;
    QString told;
    if (c.file == File::RpCsv) {
        prescription::PrescriptionState state;
        const std::vector<std::string> master = {sjis("ﾑｺｽﾀ錠100mg"), sjis("ﾛｷｿﾆﾝ錠60mg")};
        const ImportReport report = RpCsvImport::run(path, master, state);
        for (const ImportedLine& l : report.lines)
            got.push_back(l.name + "|" + l.usage.value_or(""));
        told = report.messages.join('\n');
    } else {
        platform::LineDebris debris;
        const auto names = masterfile::LoadRegisteredNames(path, nullptr, &debris);
        const auto records = masterfile::LoadDrugRecords(path);
        ASSERT_TRUE(names.ok() && records.ok()) << c.what;
        ASSERT_EQ(names->size(), records->size()) << c.what;
        for (size_t i = 0; i < records->size(); ++i) {
            const masterfile::DrugRecord& r = (*records)[i];
            got.push_back(masterfile::joinRecord(r));
            // Every reader numbers the records alike: the list, the sheets'
            // and preview's lookups, 個別編集's and the name search.
            EXPECT_EQ((*names)[i], r.registeredName) << c.what;
            const int n = static_cast<int>(i);
            EXPECT_EQ(*masterfile::ReadDrugRecord(n, path), r) << c.what << " record " << i;
            const auto line = masterfile::ReadLineRecord(n, r.registeredName, path);
            ASSERT_TRUE(line.ok() && line->has_value()) << c.what;
            EXPECT_EQ(masterfile::recordFromFields(masterfile::splitFields((*line)->line)), r)
                << c.what;
            EXPECT_EQ(**masterfile::FindDrugRecord(r.registeredName, path), n) << c.what;
        }
        told = masterfile::debrisMessage(debris, QStringLiteral("yakujo.txt"));
    }
    EXPECT_EQ(got, c.expected) << c.what;
    if (*c.told == '\0') {
        EXPECT_TRUE(told.isEmpty()) << c.what << ": " << told.toStdString();
    } else {
        EXPECT_TRUE(told.contains(QString::fromUtf8(c.told)))
            << c.what << ": " << told.toStdString();
    }
    EXPECT_EQ(readBytes(path), c.bytes) << c.what << ": reading rewrote the file";
}

const std::string kA = "A,a,u,s,p,e,c,a.jpg";
const std::string kB = "B,b,u,s,p,e,c,b.jpg";

// One row a placement: the file, its bytes, what every reader gets, what is told.
// clang-format off
INSTANTIATE_TEST_SUITE_P(OldTools, DebrisTable, ::testing::Values(
    DebrisCase{"rp.csv: 0x1A right after the last usage", File::RpCsv,
               kRpHeader + rp("ﾑｺｽﾀ錠100mg", "朝昼夕 食後") + "\x1A", {sjis("ﾑｺｽﾀ錠100mg|朝昼夕 食後")}, ""},
    DebrisCase{"rp.csv: a line of 0x1A CR LF", File::RpCsv,
               kRpHeader + rp("ﾑｺｽﾀ錠100mg", "朝") + "\r\n" + rp("ﾛｷｿﾆﾝ錠60mg", "夕") + "\r\n\x1A\r\n",
               {sjis("ﾑｺｽﾀ錠100mg|朝"), sjis("ﾛｷｿﾆﾝ錠60mg|夕")}, ""},
    DebrisCase{"rp.csv: an older prescription behind 0x1A", File::RpCsv,
               kRpHeader + rp("ﾑｺｽﾀ錠100mg", "朝") + "\r\n\x1A" + rp("ﾛｷｿﾆﾝ錠60mg", "夕") + "\r\n",
               {sjis("ﾑｺｽﾀ錠100mg|朝")}, "rp.csvの7行目にファイル終端記号（0x1A）があります"},
    DebrisCase{"rp.csv: NUL padding after the last line", File::RpCsv,
               kRpHeader + rp("ﾑｺｽﾀ錠100mg", "朝") + "\r\n" + std::string(300, '\0'), {sjis("ﾑｺｽﾀ錠100mg|朝")}, ""},
    DebrisCase{"yakujo.txt: 0x1A right after the last photo name", File::Master,
               kA + "\r\n" + kB + "\x1A", {kA, kB}, ""},
    DebrisCase{"yakujo.txt: a line of 0x1A CR LF", File::Master, kA + "\r\n" + kB + "\r\n\x1A\r\n", {kA, kB}, ""},
    DebrisCase{"yakujo.txt: records behind 0x1A", File::Master, kA + "\r\n\x1A" + kB + "\r\n", {kA},
               "2行目のファイル終端記号（0x1A）より後ろ: 読み込んでいません"},
    DebrisCase{"yakujo.txt: blank lines", File::Master, kA + "\r\n\r\n" + kB + "\r\n \t\r\n", {kA, kB},
               "空の行: 2、4行目"},
    DebrisCase{"yakujo.txt: a NUL inside a field", File::Master,
               std::string("A,a\0,u,s,p,e,c,a.jpg\r\n", 22) + kB + "\r\n", {kA, kB}, "NUL文字（0x00）: 1行目"},
    DebrisCase{"yakujo.txt: NUL padding after the last line", File::Master,
               kA + "\r\n" + kB + "\r\n" + std::string(512, '\0'), {kA, kB}, "NUL文字（0x00）: 3行目"},
    DebrisCase{"yakujo.txt: a byte-order mark before Shift-JIS", File::Master,
               "\xEF\xBB\xBF" + kA + "\r\n" + kB + "\r\n", {kA, kB}, ""}));
// clang-format on

}  // namespace
}  // namespace dorimek::mainwin
