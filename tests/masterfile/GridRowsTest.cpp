#include "masterfile/GridRecovery.h"
#include "masterfile/GridRows.h"

#include "platform/Sjis.h"

#include "TestFiles.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace dorimek::masterfile {
namespace {

using testing::sjis;

// A grid built from a compact picture: one string per row, cells separated
// by '|' (the grid's own text may hold commas, so a comma can't separate).
GridRows grid(const std::vector<const char*>& picture, int rowCount = 10) {
    std::vector<GridRows::Row> rows(static_cast<size_t>(rowCount));
    for (size_t r = 0; r < picture.size(); ++r) {
        const QStringList cells = QString::fromUtf8(picture[r]).split(QLatin1Char('|'));
        for (int c = 0; c < cells.size() && c < GridRows::kColumns; ++c) {
            rows[r][static_cast<size_t>(c)] = cells[c];
        }
    }
    return GridRows(std::move(rows));
}

struct PlanCase {
    const char* what;
    std::vector<const char*> picture;
    int records;     // rows written when the save goes ahead, -1 when refused
    int problemRow;  // 0-based row the message must name
    int problemColumn;
    const char* mention;  // text the message must hold
};

void PrintTo(const PlanCase& c, std::ostream* os) { *os << c.what; }

class PlanTable : public ::testing::TestWithParam<PlanCase> {};

TEST_P(PlanTable, SavesOrRefusesNamingTheCell) {
    const PlanCase& c = GetParam();
    const GridRows::Plan plan = grid(c.picture).planSave();
    if (c.records >= 0) {
        ASSERT_FALSE(plan.problem) << c.what << ": " << plan.problem->message.toStdString();
        EXPECT_EQ(static_cast<int>(plan.records.size()), c.records) << c.what;
        return;
    }
    ASSERT_TRUE(plan.problem) << c.what;
    EXPECT_TRUE(plan.records.empty()) << c.what;
    EXPECT_EQ(plan.problem->row, c.problemRow) << c.what;
    EXPECT_EQ(plan.problem->column, c.problemColumn) << c.what;
    const QString rowText = QStringLiteral("%1 行目").arg(c.problemRow + 1);
    EXPECT_TRUE(plan.problem->message.contains(rowText)) << plan.problem->message.toStdString();
    EXPECT_TRUE(plan.problem->message.contains(QString::fromUtf8(c.mention)))
        << plan.problem->message.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    MasterFileGrid, PlanTable,
    ::testing::Values(
        PlanCase{"empty grid writes nothing", {}, 0, 0, 0, ""},
        PlanCase{"rows up to the first empty one", {"A|a", "B|b", "C"}, 3, 0, 0, ""},
        PlanCase{"spaces are data and kept", {" A |  "}, 1, 0, 0, ""},
        PlanCase{"comma in a cell", {"A", "B|x,y"}, -1, 1, 1, "表示名"},
        PlanCase{"comma in the name", {"A,B"}, -1, 0, 0, "登録名"},
        PlanCase{"line break in a cell", {"A|||||ok|two\nlines"}, -1, 0, 6, "注意"},
        PlanCase{"cells past the eighth are ignored", {"A||||||||x,y"}, 1, 0, 0, ""},
        PlanCase{"CR in image file cell", {"A|||||||pic\r.jpg"}, -1, 0, 7, "画像ファイル"},
        PlanCase{"character code page 932 lacks", {"A", "B||||\xF0\x9F\x98\x80"}, -1, 1, 4, "包装"},
        PlanCase{"data without a name", {"A", "|only display"}, -1, 1, 0, "登録名"},
        PlanCase{"data below an empty row", {"A", "", "C|c"}, -1, 2, 0, "2 行目"},
        PlanCase{"empty name in row 0 with data below", {"", "B"}, -1, 1, 0, "1 行目"},
        PlanCase{"first problem in row order wins", {"A|a,b", "|x"}, -1, 0, 1, "表示名"}),
    [](const ::testing::TestParamInfo<PlanCase>& info) {
        return "case" + std::to_string(info.index);
    });

TEST(MasterFileGrid, RecordsAreShiftJisInColumnOrder) {
    const GridRows rows = grid({"ｱﾑﾛ|アムロ錠|錠|AM|10mg|血圧を下げる|眠気|am.jpg", "ソ表ポ"});
    const GridRows::Plan plan = rows.planSave();
    ASSERT_FALSE(plan.problem);
    ASSERT_EQ(plan.records.size(), 2u);
    EXPECT_EQ(joinRecord(plan.records[0]),
              sjis("ｱﾑﾛ,アムロ錠,錠,AM,10mg,血圧を下げる,眠気,am.jpg"));
    EXPECT_EQ(plan.records[1].registeredName, sjis("ソ表ポ"));
    EXPECT_EQ(GridRows::registeredNames(plan.records),
              (std::vector<std::string>{sjis("ｱﾑﾛ"), sjis("ソ表ポ")}));
}

TEST(MasterFileGrid, RowCountForLoadedFiles) {
    struct Case {
        size_t records;
        int rows;
    };
    for (const Case c :
         {Case{0, 500}, Case{3, 500}, Case{500, 500}, Case{501, 501}, Case{600, 600}}) {
        std::vector<DrugRecord> records(c.records, recordFromFields({"N", "d"}));
        const GridRows rows = GridRows::fromRecords(records);
        EXPECT_EQ(rows.rowCount(), c.rows) << c.records;
        EXPECT_EQ(rows.dataEnd(),
                  static_cast<int>(c.records) == c.rows ? c.rows : static_cast<int>(c.records));
        EXPECT_EQ(rows.planSave().records.size(), c.records);
    }
}

TEST(MasterFileGrid, LoadedRecordsRoundTripThroughTheGrid) {
    const std::vector<DrugRecord> records = {
        recordFromFields(splitFields(sjis("ｶﾞｽﾀｰ,ガスター錠,錠,GA,20mg,胃酸を抑える,,"))),
        recordFromFields(splitFields(sjis(" 空白 ,  , , , , , , "))),
    };
    const GridRows rows = GridRows::fromRecords(records);
    EXPECT_EQ(rows.row(0)[1], QString::fromUtf8("ガスター錠"));
    EXPECT_EQ(rows.planSave().records, records);
}

// Code page 932 has a few characters under two codes (NEC-selected IBM
// extensions and their IBM twins, and a few symbols). A name stored under
// the less usual code must keep its bytes through an unedited grid save, or
// the host's prescriptions, matched byte for byte, would no longer find it.
TEST(MasterFileGrid, UneditedCellsKeepTheirStoredBytes) {
    const std::string twinCodes[] = {"\xED\x40", "\x87\x90", "\xFA\x4A"};
    for (const std::string& twin : twinCodes) {
        const std::string name = "\xB1" + twin;  // ｱ + the character
        std::vector<DrugRecord> records(1);
        records[0].registeredName = name;
        records[0].displayName = twin;
        const GridRows rows = GridRows::fromRecords(records);
        const GridRows::Plan plan = rows.planSave(records);
        ASSERT_EQ(plan.records.size(), 1u);
        EXPECT_EQ(plan.records[0].registeredName, name);
        EXPECT_EQ(plan.records[0].displayName, twin);
        // An edited cell is written with the usual code.
        GridRows edited = rows;
        edited.row(0)[1] += QStringLiteral("x");
        EXPECT_EQ(edited.planSave(records).records[0].displayName,
                  platform::fromUnicode(platform::toUnicode(twin) + QStringLiteral("x")));
    }
}

// Kept bytes belong to a cell's origin, never to its text: two records named
// with the twin codes of one character keep their own codes, also after a
// row was inserted above them and one of them was edited elsewhere.
TEST(MasterFileGrid, KeptBytesFollowTheCellsOrigin) {
    std::vector<DrugRecord> records(2);
    records[0].registeredName = "\xED\x40";  // NEC-selected IBM extension
    records[1].registeredName = "\xFA\x5C";  // its IBM twin, trail byte 0x5C
    records[1].imageFile = "a.jpg\r";          // CR of a CR CR LF line end
    GridRows rows = GridRows::fromRecords(records);
    std::vector<GridRows::Row> cells;
    std::vector<int> origins;
    cells.push_back({QStringLiteral("新"), QStringLiteral("x")});
    origins.push_back(-1);
    for (int r = 0; r < 2; ++r) {
        cells.push_back(rows.row(r));
        origins.push_back(r);
    }
    cells[2][1] = QStringLiteral("表示");
    const GridRows::Plan plan = GridRows(cells, origins).planSave(records);
    ASSERT_FALSE(plan.problem) << plan.problem->message.toStdString();
    ASSERT_EQ(plan.records.size(), 3u);
    EXPECT_EQ(plan.records[1].registeredName, "\xED\x40");
    EXPECT_EQ(plan.records[2].registeredName, "\xFA\x5C");
    EXPECT_EQ(plan.records[2].imageFile, "a.jpg\r");
    EXPECT_EQ(plan.origins, (std::vector<int>{-1, 0, 1}));
    // Typed into a new row, the same CR is refused.
    cells[0][7] = QStringLiteral("b.jpg\r");
    EXPECT_TRUE(GridRows(cells, origins).planSave(records).problem);
}

TEST(GridRecovery, KeepsEveryCellAsTypedAndRefusesAnyCutFile) {
    std::vector<GridRows::Row> rows(3);
    rows[0] = {QStringLiteral("ｱﾑﾛ"),     QStringLiteral("表示\\名"), {}, {}, {},
               QStringLiteral("a,b\r\nc")};
    rows[1][7] = QString::fromUtf8("x\U0001F600");
    UnsavedGrid grid{GridRows(rows, {4, -1, -1}),
                     platform::FileStamp{true, 12, QByteArray("\x01\xff", 2)}};
    const std::vector<UnsavedGrid> grids{grid, UnsavedGrid{GridRows(rows), std::nullopt}};
    const std::string bytes = GridRecovery::encode(grids);
    const auto back = GridRecovery::decode(bytes);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(*back, grids);
    // A file cut anywhere (a kill while it was written elsewhere, a full
    // disk) never comes back as fewer edits.
    for (size_t n = 0; n < bytes.size(); ++n)
        EXPECT_FALSE(GridRecovery::decode(bytes.substr(0, n)).ok()) << n;
}

}  // namespace
}  // namespace dorimek::masterfile
