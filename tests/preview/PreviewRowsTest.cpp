#include "PreviewFixture.h"
#include "TestFiles.h"
#include "preview/PreviewLayout.h"
#include "preview/PreviewRows.h"

#include <QFile>

#include <gtest/gtest.h>

#include <functional>
#include <set>

namespace dorimek::preview {
namespace {

using sheets::PhotoCell;
using testing::FakeSource;
using testing::ProgramFolder;
using State = PhotoCell::State;
using dorimek::testing::sjis;

std::vector<std::string> sjisLines(std::initializer_list<const char*> utf8) {
    std::vector<std::string> out;
    for (const char* l : utf8) out.push_back(sjis(l));
    return out;
}

// What a row must show; rows a scenario doesn't list must be entirely empty.
struct ExpectedRow {
    int row;
    int line;
    const char* name;
    const char* form;
    const char* package;
    const char* efficacy;
    const char* caution;
    State photo;
    std::vector<std::string> usage;
};

struct Scenario {
    const char* title;
    std::function<void(FakeSource&)> prescribe;
    std::vector<ExpectedRow> rows;
    std::vector<std::vector<int>> undecodableLines;  // per photo not shown
    std::vector<std::vector<int>> unreadableLines;   // per distinct read failure
    std::function<void(const ProgramFolder&)> alterFolder = nullptr;  // after prescribing
    std::vector<std::vector<int>> notFoundLines = {};  // per name no record carries
};

ExpectedRow amlodin(int row, std::vector<std::string> usage = {}) {
    return {row,
            row,
            "アムロジン錠5mg",
            "AM5",
            "5mg100錠",
            "高血圧症　狭心症",
            "めまいに注意",
            State::Shown,
            std::move(usage)};
}
ExpectedRow gaster(int row, std::vector<std::string> usage = {}) {
    return {row,
            row,
            "ガスター錠20mg",
            "GA",
            "20mg",
            "胃潰瘍",
            "表示どおり飲む",
            State::NoPhoto,
            std::move(usage)};
}
ExpectedRow loxonin(int row) {
    return {row, row, "ロキソニン錠", "LX", "60mg", "痛み止め", "胃の不調", State::Shown, {}};
}
ExpectedRow broken(int row) {
    return {row, row, "こわれ錠", "KW", "1mg", "効能A", "注意A", State::Undecodable, {}};
}
ExpectedRow nameOnly(int row, const char* name) {
    return {row, row, name, "", "", "", "", State::NoPhoto, {}};
}

std::vector<Scenario> scenarios() {
    using namespace testing;
    return {
        {"empty prescription: no rows", [](FakeSource&) {}, {}, {}, {}},
        {"nine lines: nine rows, for the window to page through",
         [](FakeSource& s) {
             for (int i = 0; i < 9; ++i) s.addKnown(i % 2 == 0 ? kGaster : kLoxonin);
         },
         {gaster(1), loxonin(2), gaster(3), loxonin(4), gaster(5), loxonin(6), gaster(7),
          loxonin(8), gaster(9)},
         {},
         {}},
        {"unknown drug on line 3 shows its name and the rows after it are filled",
         [](FakeSource& s) {
             s.addKnown(kGaster);
             s.addKnown(kLoxonin);
             s.addUnknown("院外の薬", "朝 夕");
             s.addKnown(kGaster);
             s.addKnown(kLoxonin);
             s.addUnknown("もう一つ");
             s.addKnown(kAmlodin);
         },
         {gaster(1),
          loxonin(2),
          {3, 3, "院外の薬", "", "", "", "", State::NoPhoto, sjisLines({"朝", "夕"})},
          gaster(4),
          loxonin(5),
          {6, 6, "もう一つ", "", "", "", "", State::NoPhoto, {}},
          amlodin(7)},
         {},
         {}},
        {"half-width blanks dropped from every field, full-width kept",
         [](FakeSource& s) { s.addKnown(kAmlodin); },
         {amlodin(1)},
         {},
         {}},
        {"usage split at half-width blanks, one word a line",
         [](FakeSource& s) {
             s.addKnown(kGaster, "4時間 間隔");
             s.addKnown(kGaster, "朝 ");
             s.addKnown(kGaster, "朝昼夕　食後");
             s.addKnown(kGaster, "寝る前");
             s.addKnown(kGaster, "朝  夕");
             s.addKnown(kGaster, "");
         },
         {gaster(1, sjisLines({"4時間", "間隔"})), gaster(2, sjisLines({"朝", ""})),
          gaster(3, sjisLines({"朝昼夕　食後"})), gaster(4, sjisLines({"寝る前"})),
          gaster(5, sjisLines({"朝", "", "夕"})), gaster(6)},
         {},
         {}},
        {"damaged photo: cell empty, told once for both lines, later rows filled",
         [](FakeSource& s) {
             s.addKnown(kGaster);
             s.addKnown(kBroken);
             s.addKnown(kLoxonin);
             s.addKnown(kBroken2);
             s.addKnown(kAmlodin);
         },
         {gaster(1),
          broken(2),
          loxonin(3),
          {4, 4, "こわれ錠二", "KX", "2mg", "効能B", "注意B", State::Undecodable, {}},
          amlodin(5)},
         {{2, 4}},
         {}},
        {"two different damaged photos are both listed",
         [](FakeSource& s) {
             s.addKnown(kBroken);
             s.addKnown(kOtherBroken);
         },
         {broken(1), {2, 2, "べつの錠", "BT", "3mg", "効能C", "注意C", State::Undecodable, {}}},
         {{1}, {2}},
         {}},
        {"missing photo: empty cell, and named",
         [](FakeSource& s) { s.addKnown(kMucodyne); },
         {{1, 1, "ムコダイン錠", "MU", "250mg", "たんを出す", "なし", State::Missing, {}}},
         {{1}},
         {}},
        {"record gone from the file: its name only, the others filled",
         [](FakeSource& s) {
             s.addKnown(kGaster);
             s.addKnown(99, "朝");
             s.addKnown(kLoxonin);
         },
         {gaster(1), {2, 2, "既知", "", "", "", "", State::NoPhoto, sjisLines({"朝"})}, loxonin(3)},
         {},
         {},
         nullptr,
         {{2}}},
        {"file changed under the prescription: a line inserted above, a record renamed",
         [](FakeSource& s) {
             s.addKnown(kGaster);
             s.addKnown(kLoxonin);
             s.addKnown(kAmlodin);
         },
         {gaster(1), loxonin(2), {3, 3, "アムロジン錠5", "", "", "", "", State::NoPhoto, {}}},
         {},
         {},
         [](const ProgramFolder& f) {
             f.writeMaster({
                 "新しい錠,新しい錠,錠,NW,1mg,効能N,注意N,",
                 "アムロジン錠5改,アムロジン 錠 5mg,錠,AM 5,5mg 100錠,高血圧症,めまい,amu.jpg",
                 "ガスター錠,ガスター錠20mg,錠,GA,20mg,胃潰瘍,表示どおり飲む,",
                 "ロキソニン錠,ロキソニン錠,錠,LX,60mg,痛み止め,胃の不調,roki.bmp",
             });
         },
         {{3}}},
        {"master file gone while the window fills: every line by its name, as on paper",
         [](FakeSource& s) {
             s.addKnown(kGaster);
             s.addUnknown("院外の薬");
             s.addKnown(kLoxonin);
         },
         {nameOnly(1, "ガスター錠"), nameOnly(2, "院外の薬"), nameOnly(3, "ロキソニン錠")},
         {},
         {{1, 3}},
         [](const ProgramFolder& f) { QFile::remove(f.path(QStringLiteral("yakujo.txt"))); }},
    };
}

void PrintTo(const Scenario& s, std::ostream* os) { *os << s.title; }

class PreviewRowsTest : public ::testing::TestWithParam<Scenario> {};

TEST_P(PreviewRowsTest, BuildsTheRows) {
    const Scenario& sc = GetParam();
    SCOPED_TRACE(sc.title);
    ProgramFolder folder;
    testing::writeStandardFolder(folder);
    FakeSource source;
    sc.prescribe(source);
    // The folder changes under a prescription already made.
    if (sc.alterFolder) sc.alterFolder(folder);

    const PreviewRows built = buildPreviewRows(source, kImageSize);

    std::set<int> listed;
    for (const ExpectedRow& want : sc.rows) {
        SCOPED_TRACE(want.row);
        listed.insert(want.row);
        const PreviewRow& got = built.rows[size_t(want.row - 1)];
        EXPECT_EQ(got.line, want.line);
        EXPECT_EQ(got.name, sjis(want.name));
        EXPECT_EQ(got.form, sjis(want.form));
        EXPECT_EQ(got.package, sjis(want.package));
        EXPECT_EQ(got.efficacy, sjis(want.efficacy));
        EXPECT_EQ(got.caution, sjis(want.caution));
        EXPECT_EQ(got.photo.state, want.photo);
        EXPECT_EQ(got.photo.box.isNull(), want.photo != State::Shown);
        EXPECT_EQ(got.usage, want.usage);
    }
    EXPECT_EQ(built.rows.size(), listed.size());

    using Kind = sheets::LineProblems::Kind;
    const auto linesOf = [&](Kind kind) {
        std::vector<std::vector<int>> lines;
        for (const auto& p : built.problems.of(kind)) lines.push_back(p.lines);
        return lines;
    };
    EXPECT_EQ(linesOf(Kind::PhotoNotShown), sc.undecodableLines);
    EXPECT_EQ(linesOf(Kind::UnreadableRecord), sc.unreadableLines);
    EXPECT_EQ(linesOf(Kind::RecordNotFound), sc.notFoundLines);
    for (size_t i = 0; i < sc.notFoundLines.size(); ++i) {
        EXPECT_TRUE(built.problemMessage().contains(QStringLiteral("%1行目").arg(sc.notFoundLines[i][0])));
    }
    EXPECT_EQ(built.problemMessage().isEmpty(), sc.undecodableLines.empty() &&
                                                     sc.unreadableLines.empty() &&
                                                     sc.notFoundLines.empty());
}

INSTANTIATE_TEST_SUITE_P(Scenarios, PreviewRowsTest, ::testing::ValuesIn(scenarios()),
                         [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(PreviewRowsMessage, NamesEachDamagedFileOnceWithItsLines) {
    ProgramFolder folder;
    testing::writeStandardFolder(folder);
    FakeSource source;
    source.addKnown(testing::kBroken);
    source.addKnown(testing::kGaster);
    source.addKnown(testing::kBroken2);
    source.addKnown(testing::kOtherBroken);
    source.addKnown(testing::kMucodyne);

    const QString message = buildPreviewRows(source, kImageSize).problemMessage();
    const QStringList lines = message.split(QLatin1Char('\n'));
    const auto linesNaming = [&](const char* name) {
        return lines.filter(QString::fromUtf8(name)).size();
    };
    EXPECT_EQ(linesNaming("broken.jpg"), 1) << message.toStdString();
    EXPECT_EQ(linesNaming("bad2.jpg"), 1) << message.toStdString();
    EXPECT_EQ(linesNaming("missing.jpg"), 1) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("1・3行目"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("4行目"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("5行目: 「missing.jpg」: ファイルがありません")))
        << message.toStdString();
}

TEST(PreviewRowsMessage, TellsWhyARowIsEmpty) {
    ProgramFolder folder;
    testing::writeStandardFolder(folder);
    FakeSource source;
    source.addKnown(testing::kGaster);
    source.addKnown(50);
    const QString message = buildPreviewRows(source, kImageSize).problemMessage();
    EXPECT_TRUE(message.contains(QStringLiteral("2行目"))) << message.toStdString();
    EXPECT_FALSE(message.contains(QStringLiteral("写真"))) << message.toStdString();
}

// The photo is padded to the image's 82:76, so stretching it doesn't distort
// it. Decoded at full size the box is exactly the photo's padded size.
struct PaddingCase {
    const char* file;
    int w;
    int h;
    const char* format;
    QSize box;
    QPoint photoCorner;  // top-left of the photo inside the box
};

void PrintTo(const PaddingCase& c, std::ostream* os) { *os << c.file; }

class PreviewPhotoPadding : public ::testing::TestWithParam<PaddingCase> {};

TEST_P(PreviewPhotoPadding, PadsToTheImageProportion) {
    const PaddingCase& c = GetParam();
    ProgramFolder folder;
    testing::writeStandardFolder(folder);
    folder.writePicture(QString::fromLatin1(c.file), c.w, c.h, c.format);
    folder.writeMaster({(std::string("写真錠,写真錠,錠,SS,1mg,効能,注意,") + c.file).c_str()});
    FakeSource source;
    source.addKnown(0);

    const PreviewRow row = buildPreviewRows(source, QSize()).rows[0];
    ASSERT_EQ(row.photo.state, State::Shown);
    EXPECT_EQ(row.photo.box.size(), c.box);
    const auto isWhite = [&](int x, int y) { return row.photo.box.pixelColor(x, y) == Qt::white; };
    EXPECT_FALSE(isWhite(c.photoCorner.x() + 2, c.photoCorner.y() + 2));
    if (c.photoCorner.x() > 0) {
        EXPECT_TRUE(isWhite(c.photoCorner.x() - 2, c.box.height() / 2));
    }
    if (c.photoCorner.y() > 0) {
        EXPECT_TRUE(isWhite(c.box.width() / 2, c.photoCorner.y() - 2));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, PreviewPhotoPadding,
    ::testing::Values(PaddingCase{"flat.bmp", 164, 76, "BMP", {164, 152}, {0, 38}},
                      // ".JPG" anywhere in the name means JPEG, even before ".bmp".
                      PaddingCase{"odd.JPG.bmp", 82, 76, "JPEG", {82, 76}, {0, 0}}));

// Seven rows a page; the label counts pages from 1.
TEST(PreviewLayout, PagesOfSevenLines) {
    const struct {
        int lines;
        int pages;
    } cases[] = {{0, 1}, {1, 1}, {7, 1}, {8, 2}, {14, 2}, {15, 3}, {24, 4}};
    for (const auto& c : cases) EXPECT_EQ(pageCount(c.lines), c.pages) << c.lines << " lines";
    EXPECT_EQ(lineOnPage(0, 1), 1);
    EXPECT_EQ(lineOnPage(1, 1), 8);
    EXPECT_EQ(lineOnPage(3, 3), 24);
    EXPECT_EQ(pageLabel(0, 2), QStringLiteral("1/2"));
    EXPECT_EQ(pageLabel(3, 4), QStringLiteral("4/4"));
}

// A text is shown whole: in the largest type from 12 pixels down that holds
// it wrapped, scrolling only past the smallest. Measured here with type that
// is as wide as it is high and lines three pixels apart.
TEST(PreviewLayout, FieldsGetTheLargestTypeThatHoldsThemWhole) {
    const TextHeight height = [](const QString& text, int width, int px) {
        const int perLine = std::max(1, width / px);
        const int lines = (static_cast<int>(text.size()) + perLine - 1) / perLine;
        return double(lines * (px + 3));
    };
    const struct {
        int chars;
        FieldFit fit;
    } cases[] = {
        {0, {12, false}},                     // nothing to fit
        {7, {12, false}},                     // one line
        {14, {12, false}},                    // two lines of seven
        {20, {10, false}},                    // three lines only fit at 10 pixels
        {30, {9, false}},  {100, {7, true}},  // not even at 7 pixels: the box scrolls
    };
    for (const auto& c : cases) {
        const FieldFit fit =
            fitField(QString(c.chars, QChar(0x30A2)), QSize(90, 40), 12, 7, height);
        EXPECT_EQ(fit.pixelSize, c.fit.pixelSize) << c.chars << " characters";
        EXPECT_EQ(fit.scrolls, c.fit.scrolls) << c.chars << " characters";
    }
}

TEST(PreviewLayout, Row4UsageMemoBeginsWithAnEmptyLine) {
    const std::vector<std::string> words = sjisLines({"4時間", "間隔"});
    EXPECT_EQ(usageMemoText(4, words), QStringLiteral("\n4時間\n間隔"));
    EXPECT_EQ(usageMemoText(3, words), QStringLiteral("4時間\n間隔"));
    EXPECT_EQ(usageMemoText(1, sjisLines({"朝", ""})), QStringLiteral("朝\n"));
    EXPECT_EQ(usageMemoText(4, {}), QString());
    EXPECT_EQ(usageMemoText(5, {}), QString());
}

}  // namespace
}  // namespace dorimek::preview
