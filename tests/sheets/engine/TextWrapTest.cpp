// Line breaking of Shift-JIS text: pieces, cuts at character boundaries,
// line ends; first with a fixed-width measure (a byte is one unit, so a
// double-byte character is two), then with the sheet font itself.
#include "EngineTestSupport.h"
#include "sheets/engine/TextMeasurer.h"
#include "sheets/engine/TextWrap.h"

#include "TestFiles.h"
#include "platform/Sjis.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dorimek::report {
namespace {

using dorimek::testing::sjis;

std::vector<std::string> sjisAll(const std::vector<const char*>& utf8) {
    std::vector<std::string> out;
    for (const char* s : utf8) out.push_back(sjis(s));
    return out;
}

double bytesWide(std::string_view s) { return static_cast<double>(s.size()); }

struct WrapCase {
    const char* what;
    const char* text;  // UTF-8, converted to Shift-JIS
    double width;
    std::vector<const char*> lines;
};

class ReportWrap : public ::testing::TestWithParam<WrapCase> {};

TEST_P(ReportWrap, BreaksAsExpected) {
    const WrapCase& c = GetParam();
    EXPECT_EQ(wrapLine(sjis(c.text), c.width, bytesWide), sjisAll(c.lines)) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Pieces, ReportWrap,
    ::testing::Values(
        WrapCase{"fits whole", "abc def", 10, {"abc def"}},
        WrapCase{"breaks after the blank, which stays on its line", "abc def", 4, {"abc ", "def"}},
        WrapCase{"hyphen ends a piece", "well-known fact", 6, {"well-", "known ", "fact"}},
        WrapCase{"exact fit stays on the line", "abcd", 4, {"abcd"}},
        WrapCase{"kanji break anywhere", "薬剤情報提供書", 6, {"薬剤情", "報提供", "書"}},
        WrapCase{"digits before kanji are their own piece", "1日3回", 4, {"1日3", "回"}},
        WrapCase{"a unit stays with its number", "500mg錠", 6, {"500mg", "錠"}},
        WrapCase{"overlong run is cut between bytes", "ABCDEFGHIJ", 4, {"ABCD", "EFGH", "IJ"}},
        WrapCase{"overlong run after text starts a new line first",
                 "ab CDEFGH",
                 4,
                 {"ab ", "CDEF", "GH"}},
        WrapCase{"double-byte character never split", "表表表", 3, {"表", "表", "表"}},
        WrapCase{"element narrower than one character", "表示", 1, {"表", "示"}},
        WrapCase{"trail byte 0x5C is not a separate character", "ソ表ソ", 4, {"ソ表", "ソ"}},
        WrapCase{"half-width katakana are single bytes", "ｷｬﾝｾﾙ ﾎﾞﾀﾝ", 6, {"ｷｬﾝｾﾙ ", "ﾎﾞﾀﾝ"}},
        WrapCase{"full-width blank is a character, not a break", "朝　夕", 4, {"朝　", "夕"}},
        WrapCase{"empty text is one empty line", "", 10, {""}}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(ReportWrapPieces, SplitsRunsAtBreakBytesAndDoubleByteCharacters) {
    EXPECT_EQ(wrapPieces(sjis("1日 3回-2錠\rx")),
              sjisAll({"1", "日", " ", "3", "回", "-", "2", "錠", "\r", "x"}));
    EXPECT_EQ(wrapPieces("ab cd-ef"), (std::vector<std::string>{"ab ", "cd-", "ef"}));
}

TEST(ReportWrapPieces, LeadByteAtTheEndStaysAByte) {
    // A truncated field must not make the wrap read past the text.
    const std::string text = std::string("ab") + '\x83';
    const auto pieces = wrapPieces(text);
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0], text);
    EXPECT_EQ(wrapLine(text, 1, bytesWide).size(), 3u);
}

struct SplitCase {
    const char* text;
    std::vector<const char*> lines;
};

TEST(ReportSplitLines, CarriageReturnsAndLineFeedsStartLines) {
    const SplitCase cases[] = {
        {"朝\r\n夕", {"朝", "夕"}},
        {"a\rb\nc", {"a", "b", "c"}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"abc\r\n", {"abc", ""}},
        {"", {""}},
    };
    for (const SplitCase& c : cases)
        EXPECT_EQ(splitLines(sjis(c.text)), sjisAll(c.lines)) << c.text;
}

TEST(ReportLayoutLines, MemoLinesWrapEachAndUnwrappedLinesStayWhole) {
    const std::vector<std::string> memo = sjisAll({"食後に服用", "1日3回\r\n朝昼夕"});
    EXPECT_EQ(layoutLines(memo, true, 6, bytesWide),
              sjisAll({"食後に", "服用", "1日3回", "朝昼夕"}));
    EXPECT_EQ(layoutLines(memo, false, 6, bytesWide), sjisAll({"食後に服用", "1日3回", "朝昼夕"}));
    EXPECT_TRUE(layoutLines({}, true, 6, bytesWide).empty());
}

// With the real sheet font: no byte lost, no line wider than the element
// unless it is a single character, and full-width kanji break evenly.
TEST(ReportWrapFont, EveryLineFitsAndNothingIsLost) {
    TextMeasurer& m = TextMeasurer::instance();
    TReportFont font;
    font.Size = 12;
    const MeasureFn measure = [&](std::string_view s) { return m.widthSjis(font, s); };
    const double kanji = measure(sjis("薬"));
    ASSERT_GT(kanji, 30.0);  // 12 pt is about 4.2 mm
    EXPECT_EQ(wrapLine(sjis("薬薬薬薬薬薬薬"), kanji * 3.5, measure),
              sjisAll({"薬薬薬", "薬薬薬", "薬"}));

    const char* texts[] = {
        "高血圧症、狭心症、不整脈 (頻脈性不整脈) の治療に用いられます。",
        "めまい、ふらつきがあらわれることがあるので、自動車の運転等には注意してください。",
        "ｱﾑﾛｼﾞﾋﾟﾝ OD錠 5mg 「サワイ」 PTP 10錠×10",
        "Amlodipine-besilate tablets, well-tolerated in most patients",
    };
    for (const char* t : texts) {
        for (double width : {150.0, 389.0, 611.2}) {
            const std::string text = sjis(t);
            const auto lines = wrapLine(text, width, measure);
            std::string joined;
            for (const std::string& line : lines) {
                joined += line;
                const bool oneChar =
                    line.size() == 1 || (line.size() == 2 && platform::isDbcsLeadByte(line[0]));
                EXPECT_TRUE(measure(line) <= width + 1e-9 || oneChar) << t << " @" << width;
            }
            EXPECT_EQ(joined, text) << t << " @" << width;
        }
    }
}

// ---- Japanese line breaking: no closing mark first, no opening bracket last ----

struct KinsokuCase {
    const char* what;
    const char* text;
    double width;
    double room;  // how far a closing mark may hang (a byte is one unit)
    std::vector<const char*> lines;
};

class ReportKinsoku : public ::testing::TestWithParam<KinsokuCase> {};

TEST_P(ReportKinsoku, BreaksAsExpected) {
    const KinsokuCase& c = GetParam();
    EXPECT_EQ(wrapLine(sjis(c.text), c.width, bytesWide, Hang{c.room, {}}), sjisAll(c.lines))
        << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ReportKinsoku,
    ::testing::Values(
        KinsokuCase{"a full stop at the cut hangs where there is room",
                    "あいう。えお", 6, 2, {"あいう。", "えお"}},
        KinsokuCase{"without room the character before goes down with it",
                    "あいう。えお", 6, 1, {"あい", "う。え", "お"}},
        KinsokuCase{"an opening bracket goes down with what follows",
                    "あい「うえ」", 6, 0, {"あい", "「う", "え」"}},
        KinsokuCase{"a closing bracket hangs after the bracket went down",
                    "あい「うえ」", 6, 2, {"あい", "「うえ」"}},
        KinsokuCase{"two closing marks: one hangs, both can't, so they go down together",
                    "あいう」。えお", 6, 2, {"あい", "う」。", "えお"}},
        KinsokuCase{"carrying down can need a line that the plain break did not",
                    "あいう、えおかきく", 6, 0, {"あい", "う、え", "おかき", "く"}},
        KinsokuCase{"a line of closing marks only still breaks", "ーーーー", 4, 0, {"ーー", "ーー"}},
        KinsokuCase{"half-width voiced mark stays with its kana in an overlong run",
                    "ｼﾞｼﾞｼﾞ", 3, 0, {"ｼﾞ", "ｼﾞ", "ｼﾞ"}},
        KinsokuCase{"half-width small kana after a kanji", "あいうｬえ", 6, 0, {"あい", "うｬえ"}},
        KinsokuCase{"ASCII closing parenthesis", "あいう)え", 6, 0, {"あい", "う)え"}},
        KinsokuCase{"what fits is not touched", "あい。うえ", 6, 2, {"あい。", "うえ"}}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

// Every prohibited mark at the cut: it never starts the second line, and
// with room it hangs at the end of the first.
TEST(ReportKinsoku, EveryClosingMarkAtTheCutAndEveryOpeningBracketBeforeIt) {
    const QString closing = QString::fromUtf8(
        "。、，．）」』】〕！？ーぁぃぅぇぉっゃゅょゎァィゥェォッャュョヮヵヶ｡､｣ｧｨｩｪｫｯｬｭｮｰ");
    for (const QChar mark : closing) {
        const std::string m = platform::fromUnicode(QString(mark));
        const std::string text = sjis("あいう") + m + sjis("えお");
        const auto carried = wrapLine(text, 6, bytesWide);
        ASSERT_GE(carried.size(), 2u) << m;
        EXPECT_EQ(carried[1].substr(0, 2), sjis("う")) << QString(mark).toStdString();
        EXPECT_EQ(wrapLine(text, 6, bytesWide, Hang{2, {}})[0], sjis("あいう") + m)
            << QString(mark).toStdString();
    }
    for (const QChar bracket : QString::fromUtf8("（「『【〔｢")) {
        const std::string b = platform::fromUnicode(QString(bracket));
        const auto lines = wrapLine(sjis("あい") + b + sjis("うえ"), 5, bytesWide);
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[0], sjis("あい")) << QString(bracket).toStdString();
    }
}

// On the rendered page, with the sheet font: the prolonged sound mark after
// fourteen kanji hangs where the efficacy column of style 1 leaves room before
// its rule, and goes down with the last kanji where the rule stands close, as
// in style 2. No glyph reaches the rule either way.
TEST(ReportKinsoku, RenderedLinesHangOrCarryButNeverCrossTheRule) {
    const struct {
        double ruleMm;
        std::vector<const char*> lines;
    } cases[] = {{108.48, {"薬薬薬薬薬薬薬薬薬薬薬薬薬薬ー", "薬薬"}},
                 {106.20, {"薬薬薬薬薬薬薬薬薬薬薬薬薬", "薬ー薬薬"}}};
    for (const auto& c : cases) {
        enginetest::SampleReport s;
        s.detail->add({"RpShape15", kVertLine, c.ruleMm, -0.53, 0.26, 21.17});
        s.rows = {sjis("薬薬薬薬薬薬薬薬薬薬薬薬薬薬ー薬薬")};
        const RunResult r = s.report.run();
        ASSERT_TRUE(r.document);
        std::vector<std::string> lines;
        const double ruleX = 30 + c.ruleMm * 10 + 1.3;  // left margin, middle of the rule
        for (const ReportOp& op : r.document->pages[0].ops) {
            if (op.type != ReportOp::Text || op.owner != QLatin1String("RpMemo1")) continue;
            lines.push_back(platform::fromUnicode(op.text));
            const double ink =
                op.origin.x() + TextMeasurer::instance().inkRightSjis(op.font, lines.back());
            EXPECT_LT(ink, ruleX) << c.ruleMm;
        }
        EXPECT_EQ(lines, sjisAll(c.lines)) << c.ruleMm;
    }
}

TEST(ReportTextMeasurer, LineHeightGrowsWithTheSizeAndIsNotDeviceDependent) {
    TextMeasurer& m = TextMeasurer::instance();
    TReportFont small;
    small.Size = 10;
    TReportFont large;
    large.Size = 12;
    EXPECT_NEAR(m.lineHeight(large) / m.lineHeight(small), 1.2, 0.02);
    // A point is 3.528 tenths of a millimetre; a Japanese face's line is
    // about one em to one and a half.
    EXPECT_GT(m.lineHeight(large), 12 * kTenthsPerPoint * 0.95);
    EXPECT_LT(m.lineHeight(large), 12 * kTenthsPerPoint * 1.6);
    EXPECT_GT(m.ascent(large), 0);
    EXPECT_LT(m.ascent(large), m.lineHeight(large));
}

}  // namespace
}  // namespace dorimek::report
