#include "SheetFixture.h"

#include "sheets/Picyak.h"
#include "sheets/Picyou.h"
#include "sheets/Yakujo.h"

#include "RecordingMessageSink.h"
#include "TestFiles.h"
#include "masterfile/DrugMasterFile.h"
#include "platform/Sjis.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <numeric>

namespace dorimek::sheets {
namespace {

using dorimek::testing::sjis;
using testing::FakeSource;
using testing::ProgramFolder;
using testing::rowImages;
using testing::rowTexts;

const char* const kMaster[] = {
    "ロキソニン錠,ロキソニン錠 60mg,錠,白 LX 60,60mg 100錠,鎮痛 と 解熱,胃の不快感,loxo.jpg",
    "ムコスタ錠,ムコスタ錠　100,錠,白　MU,100mg,胃粘膜の保護,特になし,muco.bmp",
    "ガスター,ガスターＤ錠,錠,GD20,20mg,胃酸を抑える,眠気に注意,",
    "ソ表ポ,ソ表ポ散,包,SH5C,1g,表示の確認,ソの字に注意,absent.jpg",
};

prescription::SheetSettings clinic() { return {-1, sjis("みどり内科クリニック"), "03-1234-5678"}; }

enum class Style { Text = 1, Photos = 2, PhotosAndUsage = 3 };

std::unique_ptr<TForm1> makeSheet(Style style, const FakeSource& source,
                                  const prescription::SheetSettings& settings = clinic()) {
    switch (style) {
        case Style::Text:
            return std::make_unique<TForm1>(source, settings);
        case Style::Photos:
            return std::make_unique<TForm4>(source, settings);
        case Style::PhotosAndUsage:
            return std::make_unique<TForm5>(source, settings);
    }
    return nullptr;
}

QString u(const char* utf8) { return QString::fromUtf8(utf8); }

class SheetForms : public ::testing::TestWithParam<Style> {
  protected:
    void SetUp() override {
        folder_.writeMaster({std::begin(kMaster), std::end(kMaster)});
        folder_.writeFile("loxo.jpg", testing::encodedPicture(
                                          testing::filledPicture(300, 150, Qt::gray), "JPEG"));
        folder_.writeFile(
            "muco.bmp", testing::encodedPicture(testing::filledPicture(50, 100, Qt::gray), "BMP"));
    }

    void add(int record, const char* usage = nullptr) {
        // The line carries its record's RegisteredName, as a click on the
        // master list gives it; a number past the file gets a name no record has.
        const auto names = masterfile::LoadRegisteredNames();
        const bool inFile = names && record < static_cast<int>(names->size());
        source_.state.appendKnown(
            inFile ? (*names)[static_cast<size_t>(record)] : "line " + std::to_string(record),
            record);
        if (usage) source_.usages[source_.state.lineCount()] = sjis(usage);
    }
    void addUnknown(const char* name, const char* usage = nullptr) {
        source_.state.appendUnknown(sjis(name));
        if (usage) source_.usages[source_.state.lineCount()] = sjis(usage);
    }

    // Runs the sheet to a PDF and returns the run's document.
    std::shared_ptr<const report::ReportDocument> print(TForm1& sheet, const QString& pdf) {
        const Status s = sheet.Yakujorep.runToPdf(pdf);
        EXPECT_TRUE(s.ok()) << s.error().toStdString();
        EXPECT_TRUE(QFile::exists(pdf));
        return sheet.Yakujorep.lastDocument();
    }

    ProgramFolder folder_;
    FakeSource source_;
};

TEST_P(SheetForms, TextsArriveInThePdfInPrescriptionOrder) {
    add(0, "朝昼夕 食後");
    add(1, "眠前");
    addUnknown("未登録の薬", "頓用");
    add(2);
    auto sheet = makeSheet(GetParam(), source_);
    const QString pdf = folder_.path("sheet.pdf");
    auto doc = print(*sheet, pdf);
    ASSERT_TRUE(doc);
    EXPECT_EQ(testing::detailRows(*doc), 4);

    // pdftotext breaks lines where the cells wrap and turns full-width
    // blanks into spaces: compare its text without any white space.
    QString text = testing::pdfText(pdf);
    text.remove(
        QRegularExpression(QStringLiteral("\\s+"), QRegularExpression::UseUnicodePropertiesOption));
    QString date = platform::toUnicode(sheetDate());
    date.remove(QLatin1Char(' '));
    const QStringList expected = {u("薬剤情報提供書"),
                                  date,
                                  u("ロキソニン錠"),
                                  u("ムコスタ錠"),
                                  u("未登録の薬"),
                                  u("ガスターＤ錠"),
                                  u("みどり内科クリニックTEL:03-1234-5678")};
    qsizetype at = -1;
    for (const QString& piece : expected) {
        const qsizetype found = text.indexOf(piece, at + 1);
        EXPECT_GT(found, at) << piece.toStdString() << " missing or out of order in\n"
                             << text.toStdString();
        if (found > at) at = found;
    }
    EXPECT_EQ(GetParam() == Style::PhotosAndUsage, text.contains(u("用法")));
    EXPECT_EQ(GetParam() != Style::Text, text.contains(u("外観")));

    // Half-width blanks inside a field are dropped, full-width ones kept.
    struct Cell {
        int row;
        const char* element;
        const char* text;
    };
    const Cell cells[] = {
        {1, "RpLabel7", "白LX60"}, {1, "RpLabel8", "60mg100錠"}, {1, "RpMemo1", "鎮痛と解熱"},
        {2, "RpLabel7", "白　MU"}, {2, "RpMemo2", "特になし"},   {4, "RpLabel7", "GD20"},
    };
    for (const Cell& c : cells) {
        EXPECT_EQ(rowTexts(*doc, c.row, c.element).join(QString()), u(c.text)) << c.text;
    }
    EXPECT_EQ(rowTexts(*doc, 1, "RpMemo3").join(QString()), u("ロキソニン錠60mg"));
    EXPECT_EQ(rowTexts(*doc, 2, "RpMemo3").join(QString()), u("ムコスタ錠　100"));
    EXPECT_EQ(doc->textsOf(0, "RpLabel10"),
              QStringList{u("みどり内科クリニック   TEL:03-1234-5678")});
}

TEST_P(SheetForms, AnUnknownDrugShowsItsNameOnly) {
    add(0);
    addUnknown("院外の薬");
    auto sheet = makeSheet(GetParam(), source_);
    auto doc = print(*sheet, folder_.path("u.pdf"));
    ASSERT_TRUE(doc);
    EXPECT_EQ(rowTexts(*doc, 2, "RpMemo3"), QStringList{u("院外の薬")});
    for (const char* cell : {"RpLabel7", "RpLabel8", "RpMemo1", "RpMemo2"}) {
        EXPECT_TRUE(rowTexts(*doc, 2, cell).isEmpty()) << cell;
        EXPECT_FALSE(rowTexts(*doc, 1, cell).isEmpty()) << cell;
    }
    EXPECT_EQ(rowImages(*doc, 2, "RpImage1"), 0);
    EXPECT_EQ(rowImages(*doc, 1, "RpImage1"), GetParam() == Style::Text ? 0 : 1);
}

TEST_P(SheetForms, NothingOfTheRowBeforeIsLeftInARowThatLacksIt) {
    folder_.writeMaster({kMaster[0], "短い行,短い名前,錠,SC", "名前だけ", kMaster[2]});
    add(0);  // a complete record with a photo
    add(1);  // cut short after its shape code
    add(0);
    add(2);  // only a registered name
    add(0);
    add(7);  // past the end of the file
    auto sheet = makeSheet(GetParam(), source_);
    auto doc = print(*sheet, folder_.path("short.pdf"));
    ASSERT_TRUE(doc);
    ASSERT_EQ(testing::detailRows(*doc), 6);
    EXPECT_EQ(rowTexts(*doc, 2, "RpMemo3"), QStringList{u("短い名前")});
    EXPECT_EQ(rowTexts(*doc, 2, "RpLabel7"), QStringList{u("SC")});
    for (int row : {2, 4, 6}) {
        for (const char* cell : {"RpLabel8", "RpMemo1", "RpMemo2"}) {
            EXPECT_TRUE(rowTexts(*doc, row, cell).isEmpty()) << "row " << row << " " << cell;
        }
        EXPECT_EQ(rowImages(*doc, row, "RpImage1"), 0) << row;
    }
    EXPECT_TRUE(rowTexts(*doc, 4, "RpMemo3").isEmpty());
    // No record carries the name of a line past the file: its name only.
    EXPECT_EQ(rowTexts(*doc, 6, "RpMemo3"), QStringList{u("line 7")});
}

// The master file changes on disk while the prescription stands (another
// copy of the program, a text editor, a restore): each row still prints its
// own drug or, when the file no longer holds it, its name only, and the user
// is told once which lines those are.
TEST_P(SheetForms, RowsFollowTheirDrugWhenTheFileChangesUnderThem) {
    add(0);  // ロキソニン錠
    add(1);  // ムコスタ錠
    add(2);  // ガスター
    add(3);  // ソ表ポ
    folder_.writeMaster({
        "ｱﾑﾛｼﾞﾋﾟﾝ錠5mg,アトルバスタチン錠10mg,錠,AT,10mg,コレステロール,なし,",  // inserted above
        kMaster[0],
        "ムコスタ錠,ムコスタ錠（新）,錠,MU2,100mg,胃粘膜の保護,特になし,",  // the record's fields changed
        "ガスター新,ガスターＤ錠,錠,GD20,20mg,胃酸を抑える,眠気に注意,",  // renamed: no record has the name
        // ソ表ポ removed
    });
    dorimek::testing::RecordingMessageSink sink;
    auto sheet = makeSheet(GetParam(), source_);
    auto doc = print(*sheet, folder_.path("changed.pdf"));
    ASSERT_TRUE(doc);
    ASSERT_EQ(testing::detailRows(*doc), 4);
    const struct {
        int row;
        const char* name;
        const char* shape;  // empty for a row printed by name only
    } rows[] = {{1, "ロキソニン錠60mg", "白LX60"}, {2, "ムコスタ錠（新）", "MU2"},
                {3, "ガスター", ""},               {4, "ソ表ポ", ""}};
    for (const auto& r : rows) {
        EXPECT_EQ(rowTexts(*doc, r.row, "RpMemo3").join(QString()), u(r.name)) << r.row;
        EXPECT_EQ(rowTexts(*doc, r.row, "RpLabel7").join(QString()), u(r.shape)) << r.row;
    }
    ASSERT_EQ(sink.messages.size(), 1) << sink.messages.join(u'|').toStdString();
    EXPECT_TRUE(sink.messages[0].contains(u("3行目: ガスター")));
    EXPECT_TRUE(sink.messages[0].contains(u("4行目: ソ表ポ")));
    EXPECT_FALSE(sink.messages[0].contains(u("1行目")));
}

// yakujo.txt moved away after the prescription was made (a restore from a
// backup): as for a record that is gone, each line prints its name, and one
// message names the lines and why.
TEST_P(SheetForms, AMasterFileGoneSincePrescribingPrintsTheNamesAndTellsOnce) {
    add(0);
    add(1);
    auto sheet = makeSheet(GetParam(), source_);
    auto first = print(*sheet, folder_.path("a.pdf"));
    ASSERT_TRUE(QFile::remove(folder_.path("yakujo.txt")));
    dorimek::testing::RecordingMessageSink sink;
    auto doc = print(*sheet, folder_.path("b.pdf"));
    ASSERT_TRUE(doc);
    EXPECT_EQ(testing::detailRows(*doc), 2);
    EXPECT_EQ(rowTexts(*doc, 1, "RpMemo3"), QStringList{u("ロキソニン錠")});
    EXPECT_EQ(rowTexts(*doc, 2, "RpMemo3"), QStringList{u("ムコスタ錠")});
    for (const char* cell : {"RpLabel7", "RpLabel8", "RpMemo1", "RpMemo2"}) {
        EXPECT_TRUE(rowTexts(*doc, 1, cell).isEmpty()) << cell;
        EXPECT_TRUE(rowTexts(*doc, 2, cell).isEmpty()) << cell;
    }
    EXPECT_EQ(rowImages(*doc, 1, "RpImage1") + rowImages(*doc, 2, "RpImage1"), 0);
    ASSERT_EQ(sink.messages.size(), 1) << sink.messages.join(u'|').toStdString();
    const QStringList lines = sink.messages[0].split(u'\n');
    ASSERT_EQ(lines.size(), 2) << sink.messages[0].toStdString();
    EXPECT_EQ(lines[0], u("次の行の薬剤を薬剤ファイルから読めません。薬剤名だけ記載しました。"));
    EXPECT_TRUE(lines[1].startsWith(u("・1・2行目: ファイル yakujo.txt を開けません: ")))
        << lines[1].toStdString();
}

// A full sheet of long real-looking rows: wherever a page ends, every row
// stands whole on one page, in every style.
TEST_P(SheetForms, RowsThatFitAPageAreNeverCutAtItsEnd) {
    const std::string slice = dorimek::testing::readBytes(
        dorimek::testing::sourceDir() + QStringLiteral("/tests/data/billing-slice-yakujo.txt"));
    ASSERT_FALSE(slice.empty());
    dorimek::testing::writeBytes(folder_.path("yakujo.txt"), slice);
    // The records in eleven orders, so that long rows meet page ends in many places.
    for (int shift = 0; shift < 11; ++shift) {
        SCOPED_TRACE("order " + std::to_string(shift));
        source_.state = prescription::PrescriptionState();
        for (int line = 0; line < prescription::PrescriptionState::kMaxLines; ++line) {
            add((line * 3 + shift) % 11, "朝夕 食後");
        }
        auto sheet = makeSheet(GetParam(), source_);
        auto doc = print(*sheet, folder_.path("slice.pdf"));
        ASSERT_TRUE(doc);
        if (const QString out = qEnvironmentVariable("DORIMEK_SHEET_SAMPLES"); !out.isEmpty()) {
            QFile::copy(folder_.path("slice.pdf"), QStringLiteral("%1/slice-style%2-order%3.pdf")
                                                       .arg(out)
                                                       .arg(static_cast<int>(GetParam()))
                                                       .arg(shift));
        }
        std::vector<int> rows;
        for (int p = 0; p < doc->pageCount(); ++p) {
            for (const report::PlacedBand& b : doc->bandsOn(p)) {
                if (b.type != report::rbDetail) continue;
                EXPECT_FALSE(b.continuation) << "row " << b.row << " cut at the end of page " << p;
                rows.push_back(b.row);
            }
        }
        std::vector<int> whole(prescription::PrescriptionState::kMaxLines);
        std::iota(whole.begin(), whole.end(), 1);
        EXPECT_EQ(rows, whole);
    }
}

TEST_P(SheetForms, AnEmptyPrescriptionPrintsOneEmptyPage) {
    auto sheet = makeSheet(GetParam(), source_);
    const QString pdf = folder_.path("empty.pdf");
    auto doc = print(*sheet, pdf);
    ASSERT_TRUE(doc);
    ASSERT_EQ(doc->pageCount(), 1);
    EXPECT_TRUE(doc->textsOn(0).isEmpty());
    EXPECT_TRUE(doc->bandsOn(0).empty());
}

TEST_P(SheetForms, EveryRunStartsAtTheFirstLineWithTheFooterOfCreation) {
    add(0);
    add(2);
    prescription::SheetSettings settings = clinic();
    settings.printerIndex = 3;
    std::unique_ptr<TForm1> sheet = makeSheet(GetParam(), source_, settings);
    settings.clinicName = "changed";  // the form took its copy when it was made
    EXPECT_EQ(sheet->Yakujorep.PrinterSettings.PrinterIndex, 3);
    for (int run = 0; run < 2; ++run) {
        auto doc = print(*sheet, folder_.path(QStringLiteral("run%1.pdf").arg(run)));
        ASSERT_TRUE(doc);
        EXPECT_EQ(testing::detailRows(*doc), 2);
        EXPECT_EQ(rowTexts(*doc, 1, "RpMemo3").join(QString()), u("ロキソニン錠60mg"));
        EXPECT_EQ(doc->textsOf(doc->pageCount() - 1, "RpLabel10"),
                  QStringList{u("みどり内科クリニック   TEL:03-1234-5678")});
        EXPECT_EQ(doc->textsOf(0, "RpLabel6"), QStringList{platform::toUnicode(sheetDate())});
        EXPECT_EQ(sheet->RowIndex, 2);
    }
}

TEST_P(SheetForms, TheFooterStaysOnThePaper) {
    add(2);
    // In tenths of a millimetre from the paper's left edge: the left margin
    // plus the table's right rule, and plus the footer's designed place.
    const double margin = GetParam() == Style::Text ? 30 : 20;
    const double tableRight = margin + (GetParam() == Style::Text ? 1734.3 : 1747.5);
    struct Case {
        const char* name;
        bool designedPlace;  // else it ends at the table's right edge
    };
    const Case cases[] = {
        {"山田医院", true},
        {"医療法人社団　みどり会　みどり内科クリニック", false},
    };
    for (const Case& c : cases) {
        prescription::SheetSettings settings = clinic();
        settings.clinicName = sjis(c.name);
        auto sheet = makeSheet(GetParam(), source_, settings);
        const report::RunResult run = sheet->Yakujorep.run({false, {}});
        ASSERT_TRUE(run.document);
        const auto& ops = run.document->pages.back().ops;
        const auto footer = std::find_if(ops.begin(), ops.end(), [](const report::ReportOp& op) {
            return op.owner == QLatin1String("RpLabel10") && op.type == report::ReportOp::Text;
        });
        ASSERT_NE(footer, ops.end()) << c.name;
        if (c.designedPlace) {
            EXPECT_NEAR(footer->rect.left(), margin + 1100.7, 0.5) << c.name;
            EXPECT_LT(footer->rect.right(), tableRight) << c.name;
        } else {
            EXPECT_NEAR(footer->rect.right(), tableRight, 0.5) << c.name;
        }
    }
}

// A sheet of every style with realistic content, kept for a person to look
// at when DORIMEK_SHEET_SAMPLES names a folder.
TEST_P(SheetForms, SamplesForTheEye) {
    const QString out = qEnvironmentVariable("DORIMEK_SHEET_SAMPLES");
    if (out.isEmpty()) GTEST_SKIP() << "set DORIMEK_SHEET_SAMPLES to keep sample sheets";
    folder_.writeMaster({
        "ロキソニン錠,ロキソニン錠 60mg,錠,白 LX 60,60mg "
        "100錠,痛みや炎症をおさえ、熱を下げる薬です。,"
        "胃の不快感、発疹、むくみが現れたら医師に相談してください。空腹時を避けて服用してください。"
        ",tab1.jpg",
        "ムコスタ錠,ムコスタ錠100mg,錠,白　MU 100,100mg "
        "PTP,胃の粘膜を保護し、胃炎や胃潰瘍を治す薬です。,"
        "特になし,tab2.bmp",
        "アムロジピン,アムロジピンOD錠5mg「サワイ」,錠,黄 SW AM5,5mg 100錠,血圧を下げる薬です。,"
        "めまい、ふらつきに注意してください。グレープフルーツジュースと一緒に飲まないでください。,"
        "tab3.JPG",
        "マグミット,マグミット錠330mg,錠,白 KH 11,330mg,便をやわらかくして出しやすくする薬です。,"
        "他の薬と一緒に飲むと効果が弱まることがあります。,",
    });
    QImage tablet(640, 480, QImage::Format_RGB32);
    tablet.fill(QColor(40, 70, 140));
    {
        QPainter p(&tablet);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(QColor(245, 245, 240));
        p.drawEllipse(QPointF(320, 240), 170, 170);
    }
    folder_.writeFile("tab1.jpg", testing::encodedPicture(tablet, "JPEG"));
    folder_.writeFile("tab2.bmp", testing::encodedPicture(tablet.scaled(200, 300), "BMP"));
    folder_.writeFile("tab3.JPG", testing::encodedPicture(tablet.scaled(900, 300), "JPEG"));
    add(0, "朝昼夕 食後");
    add(1, "朝昼夕 食後");
    add(2, "朝 食後");
    addUnknown("院外処方の湿布薬", "1日1回 貼付");
    add(3, "就寝前");
    auto sheet = makeSheet(GetParam(), source_);
    QDir().mkpath(out);
    const QString pdf = QDir(out).filePath(QStringLiteral("style%1.pdf").arg(int(GetParam())));
    ASSERT_TRUE(print(*sheet, pdf));
}

// Cells that don't stretch in the design (name, shape code, package, usage)
// grow their row rather than cut a tablet marking or a dosage off.
TEST_P(SheetForms, TextsThatDoNotFitTheirCellsReachThePaperWhole) {
    struct Field {
        const char* element;
        const char* text;
    };
    const Field fields[] = {
        {"RpMemo3", "ロキソプロフェンナトリウム水和物徐放錠60mg「長い名前の製薬会社」"},
        {"RpLabel7", "淡黄色フィルムコーティング錠両面割線入り刻印MK10"},
        {"RpLabel8", "250mgPTP100カプセル10カプセル×10シート入りバラ500カプセル"},
        {"RpMemo1", "痛みや炎症をおさえ熱を下げる薬です。関節リウマチ、変形性関節症、腰痛症、"
                    "肩関節周囲炎、頸肩腕症候群、歯痛、手術後や外傷後並びに抜歯後の鎮痛と消炎に使います。"
                    "急性上気道炎の解熱と鎮痛にも使います。"},
        {"RpMemo2", "胃の不快感、発疹、むくみ、息苦しさが現れたら医師に相談してください。空腹時を避けて"
                    "服用してください。他の解熱鎮痛薬と一緒に飲まないでください。眠気が出ることがあります。"
                    "自動車の運転に注意してください。"},
    };
    const char* const usage = "1日3回毎食後30分以内に1回2錠ずつ水で服用RM100";
    std::string line = "長い薬,";
    for (const char* part : {fields[0].text, "錠剤単位の長い説明テキスト", fields[1].text,
                             fields[2].text, fields[3].text, fields[4].text}) {
        line += std::string(part) + ",";
    }
    folder_.writeMaster({line.c_str(), kMaster[1]});
    add(0, usage);
    add(1, "眠前");
    add(0, usage);
    add(1, "眠前");
    auto sheet = makeSheet(GetParam(), source_);
    const QString pdf = folder_.path("overflow.pdf");
    auto doc = print(*sheet, pdf);
    ASSERT_TRUE(doc);
    ASSERT_EQ(testing::detailRows(*doc), 4);
    EXPECT_LE(doc->pageCount(), 2);

    std::vector<std::pair<QString, QString>> expected;  // element, text
    for (const Field& f : fields) expected.push_back({u(f.element), u(f.text)});
    if (GetParam() == Style::PhotosAndUsage) expected.push_back({u("RpMemo4"), u(usage)});
    for (int row : {1, 3}) {
        for (const auto& [element, text] : expected) {
            EXPECT_EQ(rowTexts(*doc, row, element).join(QString()), text)
                << "row " << row << " " << element.toStdString();
        }
    }

    // The PDF holds each field whole twice, one before and one after the
    // short row that follows the first grown row, and that row's texts
    // twice: the rows below the grown ones still come, each in its turn.
    QProcess p;
    p.start(u("pdftotext"), {u("-raw"), u("-enc"), u("UTF-8"), pdf, u("-")});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QRegularExpression blanks(u("\\s+"), QRegularExpression::UseUnicodePropertiesOption);
    const QString text = QString::fromUtf8(p.readAllStandardOutput()).remove(blanks);
    const QString next = u("ムコスタ錠100");
    const qsizetype next1 = text.indexOf(next), next2 = text.indexOf(next, next1 + 1);
    ASSERT_GE(next1, 0) << text.toStdString();
    EXPECT_GT(next2, next1) << text.toStdString();
    for (const auto& [element, field] : expected) {
        const QString piece = QString(field).remove(blanks);
        const qsizetype first = text.indexOf(piece), second = text.indexOf(piece, first + 1);
        EXPECT_TRUE(first >= 0 && first < next1 && second > next1 && second < next2)
            << element.toStdString() << " " << piece.toStdString() << " in\n"
            << text.toStdString();
    }

    // No line of a cell is drawn across a rule or outside its own row.
    for (const report::ReportPage& page : doc->pages) {
        for (const report::ReportOp& t : page.ops) {
            const bool field = std::any_of(expected.begin(), expected.end(),
                                           [&](const auto& f) { return f.first == t.owner; });
            if (t.type != report::ReportOp::Text || !field) continue;
            EXPECT_TRUE(std::any_of(page.bands.begin(), page.bands.end(), [&](const auto& b) {
                return b.type == report::rbDetail && b.rect.contains(t.rect);
            })) << t.owner.toStdString() << " " << t.text.toStdString() << " outside its row";
            for (const report::ReportOp& r : page.ops) {
                if (r.type != report::ReportOp::Line) continue;
                const QRectF rule = QRectF(r.from, r.to).normalized().adjusted(-0.1, -0.1, 0.1, 0.1);
                EXPECT_FALSE(rule.intersects(t.rect.adjusted(0.5, 0.5, -0.5, -0.5)))
                    << t.owner.toStdString() << " " << t.text.toStdString() << " crosses "
                    << r.owner.toStdString();
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllStyles, SheetForms,
                         ::testing::Values(Style::Text, Style::Photos, Style::PhotosAndUsage),
                         [](const auto& info) {
                             return "Style" + std::to_string(int(info.param));
                         });

// ---- rules on paper ----

// Centre lines of the runs of pixels that are dark along (nearly) the whole
// of a span: vertical rules crossing a row band, or horizontal rules across
// the table.
std::vector<double> solidLines(const QImage& page, bool vertical, int from, int to, int spanFrom,
                               int spanTo) {
    std::vector<double> centres;
    const int limit = vertical ? page.width() : page.height();
    const int spanLimit = vertical ? page.height() : page.width();
    if (from < 0 || to >= limit || spanFrom < 0 || spanTo > spanLimit || spanFrom >= spanTo) {
        ADD_FAILURE() << "scan outside the page";
        return centres;
    }
    int runStart = -1;
    for (int i = from; i <= to + 1; ++i) {
        bool solid = false;
        if (i <= to) {
            int dark = 0;
            for (int j = spanFrom; j < spanTo; ++j) {
                const uchar v = vertical ? page.constScanLine(j)[i] : page.constScanLine(i)[j];
                if (v < 160) ++dark;
            }
            solid = dark >= (spanTo - spanFrom) * 97 / 100;
        }
        if (solid && runStart < 0) runStart = i;
        if (!solid && runStart >= 0) {
            centres.push_back((runStart + i - 1) / 2.0);
            runStart = -1;
        }
    }
    return centres;
}

struct RuleCase {
    Style style;
    std::vector<double> verticalMm;    // from the paper's left edge
    std::vector<double> horizontalMm;  // from the paper's top edge
    double rowTopMm, rowBottomMm;      // the first detail row
};

class SheetRules : public SheetForms {};

TEST_P(SheetRules, RulesStandWhereTheLayoutPutsThem) {
    // Page margins, band heights and element positions add up to these
    // places on B5 paper; every rule is 0.13 mm into its 0.26 mm element.
    static const RuleCase cases[] = {
        {Style::Text, {5.25, 46.52, 111.61, 176.43}, {16.77, 31.06, 52.23, 73.66}, 31.46, 52.23},
        {Style::Photos,
         {4.25, 41.82, 98.44, 152.94, 176.75},
         {16.77, 31.06, 52.23, 73.13},
         31.46,
         52.23},
        {Style::PhotosAndUsage,
         {4.25, 40.23, 89.44, 138.66, 161.41, 176.75},
         {16.77, 31.06, 52.23, 73.13},
         31.46,
         52.23},
    };
    const RuleCase& c = cases[int(GetParam()) - 1];
    ASSERT_EQ(c.style, GetParam());
    add(2, "朝 食後");
    add(3, "眠前");  // its photo is missing: no picture to mistake for a rule
    auto sheet = makeSheet(GetParam(), source_);
    const QString pdf = folder_.path("rules.pdf");
    ASSERT_TRUE(print(*sheet, pdf));

    constexpr int kDpi = 600;
    const QImage page = testing::pdfPage(pdf, kDpi, 80);
    ASSERT_FALSE(page.isNull());
    const auto px = [](double mm) { return mm * kDpi / 25.4; };
    EXPECT_NEAR(page.width(), px(182), 2);

    const std::vector<double> vertical = solidLines(
        page, true, 0, page.width() - 1, int(px(c.rowTopMm + 1)), int(px(c.rowBottomMm - 1)));
    ASSERT_EQ(vertical.size(), c.verticalMm.size());
    for (size_t i = 0; i < vertical.size(); ++i) {
        EXPECT_NEAR(vertical[i], px(c.verticalMm[i]), 2.0) << "vertical rule " << i;
    }
    const std::vector<double> horizontal =
        solidLines(page, false, 0, page.height() - 1, int(px(c.verticalMm.front() + 1)),
                   int(px(c.verticalMm.back() - 1)));
    ASSERT_EQ(horizontal.size(), c.horizontalMm.size());
    for (size_t i = 0; i < horizontal.size(); ++i) {
        EXPECT_NEAR(horizontal[i], px(c.horizontalMm[i]), 2.0) << "horizontal rule " << i;
    }
}

// ---- photos ----

class PhotoSheets : public SheetForms {};

TEST_P(PhotoSheets, ADamagedPhotoLeavesItsCellEmptyAndTheRunGoesOn) {
    const std::string jpeg =
        testing::encodedPicture(testing::filledPicture(320, 240, Qt::darkCyan), "JPEG");
    const std::string bmp =
        testing::encodedPicture(testing::filledPicture(30, 60, Qt::darkCyan), "BMP");
    folder_.writeFile("good.jpg", jpeg);
    folder_.writeFile("good.bmp", bmp);
    folder_.writeFile("bitmap.jpg", bmp);
    folder_.writeFile("half.JPG", jpeg.substr(0, jpeg.size() / 2));
    folder_.writeFile("noise.bmp", std::string(500, '\x37'));
    folder_.writeFile("empty.jpg", "");
    struct Row {
        const char* photo;
        bool shown;
    };
    const Row rows[] = {
        {"good.jpg", true},        {"bitmap.jpg", true}, {"good.bmp", true},  {"half.JPG", false},
        {"noise.bmp", false},      {"empty.jpg", false}, {"gone.jpg", false}, {"", false},
        {"g o o d . j p g", true},  // half-width blanks are dropped from the name
        {"good.jpg", true},        {"gone.jpg", false},
    };
    std::vector<std::string> lines;
    for (const Row& r : rows) {
        lines.push_back("r" + std::to_string(lines.size()) + ",名前" +
                        std::to_string(lines.size()) + ",錠,形,包装,効能,注意," + r.photo);
    }
    std::vector<const char*> master;
    for (const std::string& l : lines) master.push_back(l.c_str());
    folder_.writeMaster(master);
    for (int i = 0; i < int(std::size(rows)); ++i) add(i);

    auto sheet = makeSheet(GetParam(), source_);
    dorimek::testing::RecordingMessageSink sink;
    const report::RunResult run = sheet->Yakujorep.run({false, {}});
    ASSERT_EQ(run.outcome, report::RunOutcome::Completed);
    ASSERT_EQ(testing::detailRows(*run.document), int(std::size(rows)));
    // Every photo not printed is named once, after the rows: its lines, the
    // name the master file gives and the path looked at.
    ASSERT_EQ(sink.messages.size(), 1);
    const QString told = sink.messages.front();
    EXPECT_TRUE(told.startsWith(u("次の写真を提供書に載せられませんでした。")))
        << told.toStdString();
    EXPECT_EQ(told.count(QStringLiteral("gone.jpg")), 2) << told.toStdString();  // name and path
    EXPECT_TRUE(told.contains(u("・7・11行目: 「gone.jpg」: ファイルがありません（探した場所: ") +
                              folder_.path("gone.jpg")))
        << told.toStdString();
    EXPECT_TRUE(
        told.contains(u("・4行目: 「half.JPG」: 写真ファイル「") + folder_.path("half.JPG")))
        << told.toStdString();
    EXPECT_TRUE(told.contains(u("・5行目: 「noise.bmp」"))) << told.toStdString();
    EXPECT_TRUE(told.contains(u("・6行目: 「empty.jpg」"))) << told.toStdString();
    for (int i = 0; i < int(std::size(rows)); ++i) {
        EXPECT_EQ(rowImages(*run.document, i + 1, "RpImage1"), rows[i].shown ? 1 : 0)
            << rows[i].photo;
        EXPECT_EQ(rowTexts(*run.document, i + 1, "RpMemo3").join(QString()),
                  u("名前") + QString::number(i));
        EXPECT_EQ(rowTexts(*run.document, i + 1, "RpMemo1").join(QString()), u("効能"));
    }
    EXPECT_TRUE(sheet->Yakujorep.runToPdf(folder_.path("damaged.pdf")).ok());
}

TEST_P(PhotoSheets, ACameraPhotoIsDecodedOnlyAsFineAsTheCellIsDrawn) {
    QImage camera(4032, 3024, QImage::Format_RGB32);
    camera.fill(QColor(30, 90, 60));
    folder_.writeFile("camera.jpg", testing::encodedPicture(camera, "JPEG", 70));
    folder_.writeMaster({"cam,カメラ写真の薬,錠,形,包装,効能,注意,camera.jpg"});
    add(0);
    struct Case {
        Style style;
        double dpi;
        QSize picture;  // the padded box handed to the photo cell
    };
    const Case cases[] = {
        {Style::Photos, 300, {504, 445}},          // an eighth: 4032 x 3563 box
        {Style::Photos, 600, {1008, 891}},         // a quarter
        {Style::PhotosAndUsage, 300, {504, 467}},  // 82:76: 4032 x 3736 box
        {Style::PhotosAndUsage, 600, {1008, 934}},
    };
    for (const Case& c : cases) {
        if (c.style != GetParam()) continue;
        auto sheet = makeSheet(c.style, source_);
        sheet->Yakujorep.setImageDpi(c.dpi);
        ASSERT_EQ(sheet->Yakujorep.run({false, {}}).outcome, report::RunOutcome::Completed);
        const report::TReportImage* cell = sheet->Yakujorep.image("RpImage1");
        EXPECT_EQ(cell->picture().size(), c.picture) << c.dpi;
        // white bars above and below, the photo in the middle
        EXPECT_EQ(cell->picture().pixel(c.picture.width() / 2, 1), qRgb(255, 255, 255));
        EXPECT_NE(cell->picture().pixel(c.picture.width() / 2, c.picture.height() / 2),
                  qRgb(255, 255, 255));
    }
}

// ---- usage ----

class UsageSheet : public SheetForms {
  protected:
    std::vector<std::string> usageLinesFor(const char* usage) {
        source_ = FakeSource();
        add(0, usage);
        TForm5 sheet(source_, clinic());
        EXPECT_EQ(sheet.Yakujorep.run({false, {}}).outcome, report::RunOutcome::Completed);
        return sheet.Yakujorep.memo("RpMemo4")->Lines.all();
    }
};

TEST_F(UsageSheet, UsageLinesOfOneRow) {
    struct Case {
        const char* usage;
        std::vector<const char*> lines;
    };
    const Case cases[] = {
        {"朝昼夕 食後", {"朝昼夕", "食後"}}, {"4時間 間隔", {"4時間", "間隔"}}, {"朝", {"朝"}},
        {"朝  食後", {"朝", "", "食後"}},    {"朝昼夕 ", {"朝昼夕", ""}},       {"", {}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> expected;
        for (const char* l : c.lines) expected.push_back(sjis(l));
        EXPECT_EQ(usageLinesFor(c.usage), expected) << c.usage;
    }
}

TEST_F(UsageSheet, EachRowShowsItsOwnLinesUsage) {
    for (int n = 1; n <= 13; ++n) {
        const std::string usage = "用法" + std::to_string(n);
        if (n == 4) {
            addUnknown("未登録", usage.c_str());
        } else {
            add(n % 3, usage.c_str());
        }
    }
    TForm5 sheet(source_, clinic());
    const report::RunResult run = sheet.Yakujorep.run({false, {}});
    ASSERT_EQ(run.outcome, report::RunOutcome::Completed);
    ASSERT_GE(run.document->pageCount(), 2);
    for (int n = 1; n <= 13; ++n) {
        EXPECT_EQ(rowTexts(*run.document, n, "RpMemo4"),
                  QStringList{u("用法") + QString::number(n)})
            << "row " << n;
    }
}

INSTANTIATE_TEST_SUITE_P(AllStyles, SheetRules,
                         ::testing::Values(Style::Text, Style::Photos, Style::PhotosAndUsage),
                         [](const auto& info) {
                             return "Style" + std::to_string(int(info.param));
                         });
INSTANTIATE_TEST_SUITE_P(PhotoStyles, PhotoSheets,
                         ::testing::Values(Style::Photos, Style::PhotosAndUsage),
                         [](const auto& info) {
                             return "Style" + std::to_string(int(info.param));
                         });

// ---- the date under the locale the program was started with ----

struct DateCase {
    const char* locale;
    const char* date;  // of 8 December 2026
};

TEST(SheetDate, TheUnchosenCLocaleGivesTheJapaneseFormAChosenOneIsHonoured) {
    const DateCase cases[] = {{"C", "2026/12/08"},     {"POSIX", "2026/12/08"},
                              {"C.UTF-8", "2026/12/08"}, {"ja_JP", "2026/12/08"},
                              {"en_US", "12/8/26"},      {"de_DE", "08.12.26"}};
    for (const DateCase& c : cases) {
        EXPECT_EQ(sheetDateText(QDate(2026, 12, 8), QLocale(u(c.locale))), u(c.date)) << c.locale;
    }
}

// The system locale is read from the environment once per process, so each
// setting runs this binary again and reads back what it prints.
TEST(SheetDate, SystemLocaleFromTheEnvironment) {
    if (qEnvironmentVariableIsSet("DORIMEK_PRINT_SHEET_DATE")) {
        std::printf("date=%s\n", qPrintable(sheetDateText(QDate(2026, 12, 8), QLocale::system())));
        return;
    }
    const struct {
        QStringList env;
        const char* date;
    } cases[] = {{{}, "2026/12/08"},
                 {{u("LANG=C")}, "2026/12/08"},
                 {{u("LANG=C.UTF-8")}, "2026/12/08"},
                 {{u("LANG=POSIX")}, "2026/12/08"},
                 {{u("LC_ALL=C")}, "2026/12/08"},
                 {{u("LANG=ja_JP.UTF-8"), u("LC_TIME=C")}, "2026/12/08"},
                 {{u("LANG=ja_JP.UTF-8")}, "2026/12/08"},
                 {{u("LANG=en_US.UTF-8")}, "12/8/26"},
                 {{u("LANG=C"), u("LC_TIME=de_DE.UTF-8")}, "08.12.26"}};
    for (const auto& c : cases) {
        QProcess child;
        QStringList env = {u("DORIMEK_PRINT_SHEET_DATE=1"), u("QT_QPA_PLATFORM=offscreen")};
        env += c.env;
        child.setEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(),
                    {u("--gtest_filter=SheetDate.SystemLocaleFromTheEnvironment")});
        ASSERT_TRUE(child.waitForFinished(60000));
        const QString out = QString::fromUtf8(child.readAllStandardOutput());
        EXPECT_TRUE(out.contains(u("date=") + u(c.date))) << c.env.join(u(" ")).toStdString()
                                                         << ": " << out.toStdString();
    }
}

}  // namespace
}  // namespace dorimek::sheets

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
