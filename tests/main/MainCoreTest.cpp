#include "main/KanaIndex.h"
#include "main/MainMessages.h"
#include "main/NameSearch.h"
#include "main/PrinterChoice.h"
#include "main/SettingsFile.h"
#include "platform/Sjis.h"

#include "TestFiles.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <tuple>

namespace dorimek::mainwin {
namespace {

using testing::readBytes;
using testing::sjis;
using testing::writeBytes;

using Strings = std::vector<std::string>;

// ------------------------------------------------------------ settings reader

TEST(SettingsFile, ValueAfterTheFirstEquals) {
    struct Case {
        const char* line;
        std::optional<std::string> value;
    };
    const Case cases[] = {
        {"qevpath=C:\\QEV\\WORK\\", "C:\\QEV\\WORK\\"},
        {"clinic=a=b", "a=b"},
        {"tel=", ""},
        {"tel=03-1234\r", "03-1234"},
        {"=value", "value"},
        {"anykey:=x", "x"},  // the key is never looked at
        {"no equals sign", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SettingsFile::valueAfterEquals(c.line), c.value) << c.line;
    }
}

TEST(SettingsFile, FlagCharacterOfPrevAndStyleLines) {
    struct Case {
        const char* line;
        std::optional<char> flag;
    };
    const Case cases[] = {
        {"prev=1", '1'},
        {"prev=0", '0'},
        {"prev=", std::nullopt},  // line end right after "="
        {"prev=yes", 'y'},
        {"style=3", '3'},       // "=" as the sixth byte still counts
        {"styles=2", '='},      // "=" too late: the seventh byte is taken
        {"abcdefg", 'g'},       // no "=" at all: the seventh byte
        {"abc", std::nullopt},  // no seventh byte
        {"=1", '1'},
        {"a=b=c", 'b'},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SettingsFile::flagCharacter(c.line), c.flag) << c.line;
    }
}

TEST(SettingsFile, UsageLineEntries) {
    struct Case {
        const char* name;
        std::string line;
        std::optional<Strings> entries;
    };
    const Case cases[] = {
        {"at signs before entries", sjis("usage=@朝,@昼,@夕,"),
         Strings{sjis("朝"), sjis("昼"), sjis("夕")}},
        {"no at signs", sjis("usage=朝,昼,夕,"), Strings{sjis("朝"), sjis("昼"), sjis("夕")}},
        {"run of = and @ skipped", sjis("usage==@=@@朝,昼,夕,"),
         Strings{sjis("朝"), sjis("昼"), sjis("夕")}},
        {"text after last comma dropped", sjis("usage=朝,昼,夕"), Strings{sjis("朝"), sjis("昼")}},
        {"double comma starts next entry", "usage=a,,b,", Strings{"a", ",b"}},
        {"triple comma", "usage=a,,,b,", Strings{"a", ",", "b"}},
        {"empty first entry", "usage=,a,", Strings{"", "a"}},
        {"empty first entry after run", "usage=@,a,", Strings{"", "a"}},
        {"only one at sign skipped after comma", "u=a,@@b,", Strings{"a", "@b"}},
        {"at sign inside an entry kept", "u=a@b,", Strings{"a@b"}},
        {"spaces kept", sjis("use=朝昼夕 食後,4時間 間隔,"),
         Strings{sjis("朝昼夕 食後"), sjis("4時間 間隔")}},
        {"key of five bytes", "usag5=a,", Strings{"a"}},
        {"key of six bytes is no usage line", "usages=a,b,", std::nullopt},
        {"no key at all", "=a,b,", Strings{"a", "b"}},
        {"usage line without entries", sjis("u=朝"), Strings{}},
        {"empty line", "", std::nullopt},
        {"line end is never an entry", "u=a,b,\r", Strings{"a", "b"}},
        // Shift-JIS trail bytes include "@" (0x40): the full-width space
        // 0x8140 right after a comma must keep its second byte.
        {"trail byte 0x40 kept", std::string("u=a,\x81\x40,"),
         Strings{"a", std::string("\x81\x40")}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SettingsFile::parseUsageLine(c.line), c.entries) << c.name;
    }
}

TEST(SettingsFile, PositionalLines) {
    struct Case {
        const char* name;
        Strings lines;
        StoredSettings expected;
    };
    StoredSettings full;
    full.printerIndexText = "2";
    full.qevWorkPath = "C:\\QEV\\";
    full.clinicName = sjis("山田医院");
    full.clinicTel = "03-1234-5678";
    full.previewOnAutoStart = true;
    full.printStyle = 2;
    full.usageLine = sjis("usage=@朝,@夕,");
    full.usageList = {sjis("朝"), sjis("夕")};

    StoredSettings firstThree;
    firstThree.printerIndexText = "0";
    firstThree.qevWorkPath = "D:\\";

    StoredSettings oddValues;
    oddValues.printerIndexText = "1234567";  // only seven characters are held
    oddValues.qevWorkPath = std::nullopt;    // no "=": left alone
    oddValues.clinicName = "";
    oddValues.clinicTel = "";
    oddValues.previewOnAutoStart = false;
    oddValues.printStyle = std::nullopt;  // "4" checks no button

    const Case cases[] = {
        {"every line",
         {"prindex=2", "printer=Office", "qevpath=C:\\QEV\\", sjis("clinic=山田医院"),
          "tel=03-1234-5678", "prev=1", "style=2", sjis("usage=@朝,@夕,")},
         full},
        {"file ends early", {"prindex=0", "printer=", "qevpath=D:\\"}, firstThree},
        {"odd values",
         {"prindex=123456789", "printer", "qevpath", "clinic=", "tel=", "prev=", "style=4",
          "usages=a,b,"},
         oddValues},
        {"empty file", {}, StoredSettings{}},
    };
    for (const Case& c : cases) {
        const StoredSettings s = SettingsFile::parse(c.lines);
        EXPECT_EQ(s.printerIndexText, c.expected.printerIndexText) << c.name;
        EXPECT_EQ(s.qevWorkPath, c.expected.qevWorkPath) << c.name;
        EXPECT_EQ(s.clinicName, c.expected.clinicName) << c.name;
        EXPECT_EQ(s.clinicTel, c.expected.clinicTel) << c.name;
        EXPECT_EQ(s.previewOnAutoStart, c.expected.previewOnAutoStart) << c.name;
        EXPECT_EQ(s.printStyle, c.expected.printStyle) << c.name;
        EXPECT_EQ(s.usageLine, c.expected.usageLine) << c.name;
        EXPECT_EQ(s.usageList, c.expected.usageList) << c.name;
    }
}

class SettingsFileOnDisk : public ::testing::Test {
  protected:
    QString path(const char* name = "sorbenk.ini") const {
        return dir.filePath(QString::fromLatin1(name));
    }
    QTemporaryDir dir;
};

TEST_F(SettingsFileOnDisk, LongLinesNeverShiftTheFollowingLines) {
    // Twelve kanji and more used to be cut at the reader's buffer, and the
    // rest of the line was then read as the telephone line.
    const std::string longName = sjis("医療法人社団山田内科小児科クリニック附属診療所");
    const std::string longPath = "C:\\" + std::string(300, 'p') + "\\";
    const std::string longUsage = "usage=" + [] {
        std::string s;
        for (int i = 0; i < 60; ++i) s += "entry" + std::to_string(i) + ",";
        return s;
    }();
    writeBytes(path(), "prindex=1\r\nprinter=x\r\nqevpath=" + longPath + "\r\nclinic=" + longName +
                           "\r\ntel=0120\r\nprev=1\r\nstyle=3\r\n" + longUsage + "\r\n");
    const auto s = SettingsFile::read(path());
    ASSERT_TRUE(s.ok()) << s.error().toStdString();
    EXPECT_EQ(s->qevWorkPath, longPath);
    EXPECT_EQ(s->clinicName, longName);
    EXPECT_EQ(s->clinicTel, "0120");
    EXPECT_EQ(s->previewOnAutoStart, true);
    EXPECT_EQ(s->printStyle, 3);
    EXPECT_EQ(s->usageLine, longUsage);
    ASSERT_EQ(s->usageList.size(), 60u);
    EXPECT_EQ(s->usageList.back(), "entry59");
}

TEST_F(SettingsFileOnDisk, BareLineFeedsAndMissingFinalLineEnd) {
    writeBytes(path(), "prindex=0\nprinter=a\nqevpath=q\nclinic=c\ntel=t\nprev=0\nstyle=1");
    const auto s = SettingsFile::read(path());
    ASSERT_TRUE(s.ok());
    EXPECT_EQ(s->clinicTel, "t");
    EXPECT_EQ(s->previewOnAutoStart, false);
    EXPECT_EQ(s->printStyle, 1);
    EXPECT_TRUE(s->usageLine.empty());
}

TEST_F(SettingsFileOnDisk, MissingFileIsAFailure) {
    EXPECT_FALSE(SettingsFile::read(path("nothing.ini")).ok());
}

TEST_F(SettingsFileOnDisk, WritesTheSystemsLayout) {
    SettingsToWrite v;
    v.printerIndex = 1;
    v.printerName = "Office_Laser";
    v.qevWorkPath = "C:\\QEV\\";
    v.clinicName = sjis("山田医院");
    v.clinicTel = "03-1234";
    v.previewOnAutoStart = true;
    v.printStyle = 2;
    v.usageLine = sjis("usage=@朝,@夕,");
    ASSERT_TRUE(SettingsFile::write(v, path()).ok());
    EXPECT_EQ(
        readBytes(path()),
        "prindex=1\r\nprinter=Office_Laser\r\nqevpath=C:\\QEV\\\r\nclinic=" + sjis("山田医院") +
            "\r\ntel=03-1234\r\nprev=1\r\nstyle=2\r\n" + sjis("usage=@朝,@夕,") + "\r\n");

    v.usageLine.clear();
    v.previewOnAutoStart = false;
    ASSERT_TRUE(SettingsFile::write(v, path()).ok());
    const std::string seven = readBytes(path());
    const std::string tail = "prev=0\r\nstyle=2\r\n";
    ASSERT_GE(seven.size(), tail.size());
    EXPECT_EQ(seven.substr(seven.size() - tail.size()), tail);
}

TEST_F(SettingsFileOnDisk, EveryValueRoundTrips) {
    auto make = [](int index, const char* name, const char* path, const char* clinic,
                   const char* tel, bool prev, int style, const char* usage) {
        SettingsToWrite v;
        v.printerIndex = index;
        v.printerName = name;
        v.qevWorkPath = sjis(path);
        v.clinicName = sjis(clinic);
        v.clinicTel = sjis(tel);
        v.previewOnAutoStart = prev;
        v.printStyle = style;
        v.usageLine = sjis(usage);
        return v;
    };
    const SettingsToWrite cases[] = {
        make(0, "P", "C:\\QEV\\", "山田医院", "03-1234-5678", true, 1, "usage=@朝,@昼,@夕,"),
        make(-1, "", "", "", "", false, 2, ""),
        make(12, "Printer.with:signs", "\\\\server\\share\\qev\\", "ﾔﾏﾀﾞ ｸﾘﾆｯｸ", "(0120)00", false,
             3, "u=,a,,b,"),
        make(3, "x", "path=with=equals\\", "医療法人社団山田内科小児科クリニック", "0", true, 3,
             "usage5=key of six bytes is passed through too,"),
    };
    for (const SettingsToWrite& v : cases) {
        ASSERT_TRUE(SettingsFile::write(v, path()).ok());
        const auto s = SettingsFile::read(path());
        ASSERT_TRUE(s.ok());
        EXPECT_EQ(s->printerIndexText, std::to_string(v.printerIndex));
        EXPECT_EQ(s->qevWorkPath, v.qevWorkPath);
        EXPECT_EQ(s->clinicName, v.clinicName);
        EXPECT_EQ(s->clinicTel, v.clinicTel);
        EXPECT_EQ(s->previewOnAutoStart, v.previewOnAutoStart);
        EXPECT_EQ(s->printStyle, v.printStyle);
        // A line that isn't a usage line isn't held, so it isn't written again.
        const bool isUsage = SettingsFile::parseUsageLine(v.usageLine).has_value();
        EXPECT_EQ(s->usageLine, isUsage ? v.usageLine : std::string()) << v.usageLine;
    }
}

TEST_F(SettingsFileOnDisk, RefusedWriteLeavesTheOldFile) {
    writeBytes(path(), "old contents\r\n");
    SettingsToWrite v;
    v.clinicName = "two\r\nlines";
    const Status s = SettingsFile::write(v, path());
    EXPECT_FALSE(s.ok());
    EXPECT_EQ(s.error(), messages::kSettingsNotWritable);
    EXPECT_EQ(readBytes(path()), "old contents\r\n");
}

TEST_F(SettingsFileOnDisk, UnwritablePlaceIsReportedNotSucceeded) {
    QDir(dir.path()).mkdir(QStringLiteral("sorbenk.ini"));  // a folder in the file's place
    const Status s = SettingsFile::write(SettingsToWrite{}, path());
    EXPECT_FALSE(s.ok());
    EXPECT_EQ(s.error(), QStringLiteral("設定ファイル sorbenk.iniを開けません\n"
                                        "（同じ名前のフォルダがあります。設定は保存されていません）"));
    const Status s2 =
        SettingsFile::write(SettingsToWrite{}, dir.filePath(QStringLiteral("no/such/dir/x.ini")));
    EXPECT_FALSE(s2.ok());
}

TEST(SettingsFile, EncodeFieldRefusesWhatTheFileCantHold) {
    struct Case {
        const char* text;
        bool ok;
        const char* mustMention;
    };
    const Case cases[] = {
        {"山田医院 ｸﾘﾆｯｸ", true, ""},
        {"", true, ""},
        {"two\nlines", false, "改行"},
        {"cr\ronly", false, "改行"},
        {"pasted\ttab", false, "タブ"},
        {"smile \U0001F600", false, "\U0001F600"},
        {"한국", false, "한"},
    };
    for (const Case& c : cases) {
        const auto r =
            SettingsFile::encodeField(QString::fromUtf8(c.text), QStringLiteral("医院名"));
        EXPECT_EQ(r.ok(), c.ok) << c.text;
        if (r.ok()) {
            EXPECT_EQ(*r, sjis(c.text));
        } else {
            EXPECT_TRUE(r.error().contains(QStringLiteral("医院名")));
            EXPECT_TRUE(r.error().contains(QString::fromUtf8(c.mustMention)))
                << r.error().toStdString();
        }
    }
}

// ------------------------------------------------------------ printer choice

TEST(PrinterChoice, ShortNames) {
    const std::pair<const char*, const char*> cases[] = {
        {"HP_LaserJet", "HP_LaserJe"},  // no sign: the name less its last character
        {"EPSON.LP-S180", "EPSON"},
        {"Office:Main", "Office"},
        {"a.b,c", "a"},
        {",leading", ""},
        {"trailing,", "trailing"},  // the last character is never searched
        {"x", ""},
        {"", ""},
    };
    for (const auto& [name, expected] : cases) {
        EXPECT_EQ(shortPrinterName(QString::fromUtf8(name)), QString::fromUtf8(expected)) << name;
    }
}

TEST(PrinterChoice, DefaultPrinterMatching) {
    struct Case {
        const char* name;
        QStringList printers;
        const char* entry;
        const char* expected;
    };
    const Case cases[] = {
        {"one match", {"Brother_HL", "Canon_LBP"}, "Canon_LBP,CUPS,usb://Canon", "Canon_LB"},
        {"no match", {"Brother_HL", "Canon_LBP"}, "Epson,CUPS,usb://Epson", ""},
        {"names differing in the last character: last wins",
         {"Laser1", "Laser2"},
         "Laser1,CUPS,x",
         "Laser"},
        {"empty short name always matches", {"Canon_LBP", ".hidden"}, "Canon_LBP,CUPS,x", ""},
        {"later real match replaces empty one",
         {".hidden", "Canon_LBP"},
         "Canon_LBP,CUPS,x",
         "Canon_LB"},
        {"empty entry", {"Canon_LBP"}, "", ""},
        {"case matters", {"CANON_LBP"}, "canon_lbp,CUPS,x", ""},
        {"no printers", {}, "Canon,CUPS,x", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(matchDefaultPrinter(c.printers, QString::fromUtf8(c.entry)),
                  QString::fromUtf8(c.expected))
            << c.name;
    }
}

TEST(PrinterChoice, IndexTextNumbers) {
    // A text without a number reads as 0, which a host-started run must not
    // take for printer 0.
    const std::tuple<const char*, int, bool> cases[] = {
        {"2", 2, true},      {" 3", 3, true},
        {"\t5", 5, true},    {"-1", -1, true},
        {"+4", 4, true},     {"abc", 0, false},
        {"12abc", 12, true}, {"", 0, false},
        {"   ", 0, false},   {"--1", 0, false},
        {"1 2", 1, true},    {"123456789", 1234567, true},  // seven characters held
        {"-", 0, false},     {"       7", 0, false},
    };
    for (const auto& [text, value, number] : cases) {
        EXPECT_EQ(parseIndexText(text), value) << text;
        EXPECT_EQ(isIndexText(text), number) << text;
    }
}

TEST(PrinterChoice, PrinterIndexAtStart) {
    struct Case {
        const char* name;
        std::optional<std::string> fileText;
        const char* argument;
        int printers;
        int index;
        std::optional<int> rejected;
    };
    const Case cases[] = {
        {"from the file", "1", "", 3, 1, std::nullopt},
        {"third argument wins", "1", "2", 3, 2, std::nullopt},
        {"argument without a file", std::nullopt, "2", 3, 2, std::nullopt},
        {"argument that isn't a number selects 0", "2", "x", 3, 0, std::nullopt},
        {"neither: default printer", std::nullopt, "", 3, -1, std::nullopt},
        {"default printer stored", "-1", "", 3, -1, std::nullopt},
        {"past the list", "5", "", 3, -1, 5},
        {"just past the list", "3", "", 3, -1, 3},
        {"below -1", "-2", "", 3, -1, -2},
        {"argument past the list", "0", "9", 2, -1, 9},
        {"no printers at all: nothing to report", "2", "", 0, -1, std::nullopt},
        {"no printers, argument", std::nullopt, "1", 0, -1, std::nullopt},
    };
    for (const Case& c : cases) {
        const PrinterIndexChoice choice = choosePrinterIndex(c.fileText, c.argument, c.printers);
        EXPECT_EQ(choice.index, c.index) << c.name;
        EXPECT_EQ(choice.rejected, c.rejected) << c.name;
    }
}

// ------------------------------------------------------------ kana index

TEST(KanaIndex, ButtonsCarryTheHalfWidthCodeOfTheirCaption) {
    const auto& buttons = kanaButtons();
    std::set<int> numbers;
    std::set<std::pair<int, int>> cells;
    for (const KanaButton& b : buttons) {
        numbers.insert(b.number);
        cells.insert({b.row, b.column});
        // The caption is full-width, the code half-width: compatibility
        // normalisation turns the half-width kana into the caption.
        const QString halfWidth = platform::toUnicode(std::string(1, static_cast<char>(b.code)));
        EXPECT_EQ(halfWidth.normalized(QString::NormalizationForm_KC), QString::fromUtf8(b.caption))
            << "Button" << b.number;
    }
    EXPECT_EQ(numbers.size(), 44u);
    EXPECT_EQ(cells.size(), 44u);
    EXPECT_EQ(numbers.count(38), 0u);
    EXPECT_EQ(numbers.count(40), 0u);
    EXPECT_EQ(buttons.front().code, 0xB1);
    EXPECT_EQ(buttons.back().code, 0xDC);
}

TEST(KanaIndex, Jumps) {
    const Strings names = {sjis("ｱｱｱ"),      sjis("ｶﾞｶﾞ"), sjis("ｶｶｶ"),
                           sjis("カタカナ"), "",           sjis("薬")};
    struct Case {
        const char* name;
        unsigned char code;
        std::optional<int> entry;
    };
    const Case cases[] = {
        {"ka finds the voiced entry first", 0xB6, 1},
        {"a", 0xB1, 0},
        {"sa finds nothing", 0xBB, std::nullopt},
        {"full-width katakana isn't found by a kana button", 0xC0, std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(findKanaEntry(names, c.code), c.entry) << c.name;
    EXPECT_EQ(findDoubleByteEntry(names), 3);  // カタカナ, not 薬
}

TEST(KanaIndex, AlphanumericAndDoubleByteEdges) {
    EXPECT_EQ(alphanumericEntry({"A1", "B2", "C3"}), 1);  // the second, even after a letter
    EXPECT_EQ(alphanumericEntry({"only"}), std::nullopt);
    EXPECT_EQ(alphanumericEntry({}), std::nullopt);
    EXPECT_EQ(findDoubleByteEntry({"", "abc", sjis("ｱ")}), std::nullopt);
    EXPECT_EQ(findDoubleByteEntry({"", sjis("　space"), sjis("薬")}), 1);
    EXPECT_EQ(findKanaEntry({"", sjis("ｱ")}, 0xB1), 1);
}

// ------------------------------------------------------------ typed search

TEST(NameSearch, TypedTextFindsTheFirstNameInAnyWidthAndKana) {
    const masterfile::MasterNames names{
        sjis("ｱﾀﾞﾗｰﾄCR錠20mg"),     // 0
        sjis("ｶﾛﾅｰﾙ錠200"),         // 1
        sjis("カロナール細粒20%"),  // 2: full-width katakana
        sjis("ｶﾞｽﾀｰD錠10mg"),       // 3: a sound mark of its own
        sjis("ＰＬ配合顆粒"),       // 4: full-width letters
        sjis("5-FU錠50"),           // 5
        sjis("ﾌｧﾓﾁｼﾞﾝ OD錠20mg"),   // 6: a space inside
        sjis("ｳﾞｫﾘﾌﾞﾘｽ錠2.5mg"),    // 7
        sjis("ビオフェルミン錠"),   // 8
        sjis("ｶﾛﾅｰﾙ錠300"),         // 9
    };
    struct Case {
        const char* typed;
        int row;  // -1: none
    };
    const Case cases[] = {
        {"かろなーる", 1}, {"カロナール細", 2},   {"ｶﾛﾅｰﾙ細", 2},      {"かろなーる錠3", 9},
        {"が", 3},         {"かす", -1},          {"pl", 4},           {"ＰＬ配", 4},
        {"５－ｆｕ", 5},   {"ふぁもちじんod", 6}, {"ﾌｧﾓﾁｼﾞﾝ OD錠", 6}, {"ゔぉり", 7},
        {"びおふぇ", 8},   {"ｱﾀﾞﾗｰﾄcr", 0},       {"あたらーと", -1},  {"x", -1},
        {"", -1},          {"\U0001F600", -1},
    };
    NameSearchIndex index;
    for (const Case& c : cases) {
        const std::optional<std::string> key = searchKey(QString::fromUtf8(c.typed));
        const std::optional<int> row = key ? index.findFirst(names, *key) : std::nullopt;
        EXPECT_EQ(row.value_or(-1), c.row) << c.typed;
    }
}

TEST(NameSearch, QueryGrowsUntilAPauseAndKeepsTheLastMatch) {
    masterfile::MasterNames names{sjis("ｶﾛﾅｰﾙ錠200"), sjis("ｶﾛﾅｰﾙ錠300")};
    TypeAhead typing;
    EXPECT_EQ(typing.type(names, QStringLiteral("かろ")).row, 0);
    EXPECT_EQ(typing.type(names, QStringLiteral("なーる錠3")).row, 1);
    const TypeAhead::Step miss = typing.type(names, QStringLiteral("x"));
    EXPECT_FALSE(miss.row);
    EXPECT_FALSE(miss.matched);
    EXPECT_EQ(typing.query(), QStringLiteral("かろなーる錠3x"));
    EXPECT_EQ(typing.erase(names).row, 1);
    // A renamed entry is found under its new name once the index is told.
    names.replace(0, sjis("ﾋﾞｵﾌｪﾙﾐﾝ"));
    typing.invalidate();
    typing.reset();
    EXPECT_EQ(typing.type(names, QStringLiteral("び")).row, 0);
}

}  // namespace
}  // namespace dorimek::mainwin
