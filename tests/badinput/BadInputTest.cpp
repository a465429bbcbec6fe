// clang-format off
// Bad input as the clinic's staff meet it, and the exact text the program
// shows for it. The README's table "よくある問題と表示されるメッセージ" quotes
// these texts. Each of its rows, in the README's order, and the tests that
// cover it (binary: case; cases without a binary are in this file):
//
// start-up and settings
//   yakujo.txt missing / unreadable ....... masterFileThatCantBeReadStopsStartUp,
//                                           main_commands_test: autoStartWithoutMasterFileStaysOpen
//   yakujo.txt damaged / over-long lines .. damagedMasterLinesStayOneEntryEach,
//                                           absurdMasterRecordIsShownCutAndToldOnce,
//                                           masterfile_test: LoaderTable
//   sorbenk.ini missing / unreadable ...... settingsThatCantBeReadUseTheDefaults,
//                                           main_window_test: missingSettingsFile
//   sorbenk.ini damaged lines ............. damagedSettingsLinesAreIgnoredQuietly
//   UTF-8 / lone-CR rp.csv, yakujo.txt .... filesInAnotherEncodingAreNamedNotUsed
//   BOM / UTF-8 / lone-CR sorbenk.ini ..... main_window_test: settingsFromTheOldPcSaveOnlySettings
//   sorbenk.ini unwritable on 設定保存 .... main_window_test: unwritableSettingsFileIsReported
//   line break in a settings field ........ settingsSaveRefusals
//   printer index outside the list ........ printerIndexOutsideTheList (badinput_printers_test)
//   no printer installed .................. noPrinterInstalled, report_print_noprinter
//   CUPS not running at start ............. spoolerDownAtStartKeepsTheStoredPrinter
//   stored printer gone / moved ........... main_print_test: storedPrinterIsFoundByName
//   queue stopped / holding its jobs ...... main_print_test: waitingJobIsToldOnceAndKept
//   print job refused by the spooler ...... main_print_test: refusedJobIsToldOnce,
//                                           report_print_cups: RefusedOrMissingPrinters...
// import and selection
//   rp.csv missing ........................ host_test: RpCsvImport.MissingFileChangesNothing,
//                                           main_commands_test: autoStartWithoutRpCsvStillProducesTheSheet
//   rp.csv unreadable part-way ............ rpCsvThatStopsReadingIsReported
//   malformed rp.csv lines ................ host_test: RpCsvImportTable "malformed records ...",
//                                           "thirty bad lines ..."
//   over-long rp.csv lines ................ host_test: RpCsvImportTable "records longer than 127 bytes",
//                                           "a header line over 127 bytes"
//   unknown drug in rp.csv ................ host_test: RpCsvImportTable "unknown drugs ...",
//                                           sheet_forms_test: SheetForms.AnUnknownDrugShowsItsNameOnly
//   more than 24 lines / ninth unknown .... host_test: RpCsvImportTable "a 25th line ...",
//                                           "a ninth unknown drug ..."
//   25th line by click .................... twentyFifthClickIsRefused,
//                                           main_window_test: twentyFifthLineIsRefused
//   a name far past the limits ............ absurdMasterRecordIsShownCutAndToldOnce,
//                                           host_test: RpCsvImportTable "a name far past ..."
// photos, preview and print
//   damaged photo ......................... previewProblemsAreToldInOneText,
//                                           sheet_forms_test: PhotoSheets.ADamagedPhotoLeaves...,
//                                           visprev_test: damagedPhotosAreToldInOneMessage
//   missing photo ......................... previewProblemsAreToldInOneText,
//                                           visprev_test: missingPhotoIsNoError
//   record gone since start ............... previewProblemsAreToldInOneText,
//                                           sheet_forms_test: SheetForms.AMasterFileGoneSinceStart...
// master file editing
//   grid: comma / line break .............. gridEditorRefusals, hensyuu_test: refusals
//   grid: empty 登録名 / rows below a gap .. gridEditorRefusals, masterfile_test: PlanTable
//   grid: every row deleted ............... gridEditorConfirmations,
//                                           hensyuu_test: emptyGridNeedsConfirmation
//   grid: file unreadable when opened ..... gridEditorConfirmations,
//                                           hensyuu_test: unreadableFileAsksBeforeItIsReplaced
//   grid: write fails ..................... gridEditorConfirmations,
//                                           hensyuu_test: failedWriteKeepsTheWindowAndTheMasterList
//   個別編集 of a line with no record ...... perDrugEditingOfAnUnlistedLine
//   個別編集 of an over-long record ........ host_test: DrugRecordEditor.RecordTooLongForTheFieldsIsNotLoaded
//   編集終了 after a grid save ............. staleRecordAfterGridSaveIsRefused, host_test: StaleIndex
//   編集終了 comma / line break / no name .. perDrugEditingRefusals,
//                                           main_commands_test: refusedSaveKeepsTheUsersTexts
//   編集終了 write fails ................... host_test: FailedWriteLeavesTheOldFileWhole
// characters Shift-JIS can't hold
//   設定保存 / grid / 編集終了 ............... settingsSaveRefusals, gridEditorRefusals,
//                                           perDrugEditingRefusals
// clang-format on
#include "main/Main.h"
#include "masterfile/Hensyuu.h"
#include "platform/PlatformVersion.h"
#include "platform/PrinterService.h"
#include "platform/Sjis.h"
#include "preview/PreviewRows.h"
#include "sheets/Yakujo.h"

#include "RecordingMessageSink.h"
#include "TestFiles.h"

#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>
#include <string>
#include <vector>

using dorimek::mainwin::TForm3;
using dorimek::masterfile::TForm2;
using dorimek::testing::readBytes;
using dorimek::testing::RecordingMessageSink;
using dorimek::testing::sjis;
using dorimek::testing::writeBytes;

namespace {

const char* const kMaster[] = {
    "ｱﾑﾛｼﾞﾋﾟﾝ錠5mg,アムロジピン錠5mg,錠,白色錠,5mg,血圧を下げます。,めまいに注意。,",
    "ﾃﾙﾐｻﾙﾀﾝ錠40mg,テルミサルタン錠40mg,錠,白色割線錠,40mg,血圧を下げます。,注意。,",
    "ﾚﾊﾞﾐﾋﾟﾄﾞ錠100mg,レバミピド錠100mg,錠,白色錠,100mg,胃を守ります。,発疹に注意。,",
};

std::string masterBytes() {
    std::string out;
    for (const char* line : kMaster) out += sjis(line) + "\r\n";
    return out;
}

const std::string kSettings =
    "prindex=-1\r\nprinter=\r\nqevpath=qev/\r\nclinic=c\r\ntel=t\r\nprev=0\r\nstyle=1\r\n";

int installedPrinters() { return dorimek::platform::PrinterService::instance().printerCount(); }

}  // namespace

class BadInputTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<RecordingMessageSink> sink;

    QString path(const char* name) const { return dir->filePath(QString::fromUtf8(name)); }
    std::unique_ptr<TForm3> open(QStringList extra = {}) {
        QStringList args{QStringLiteral("dorimek")};
        args += extra;
        return std::make_unique<TForm3>(args, dir->path() + QLatin1Char('/'));
    }
    // Opens the window and selects prescription line n for "個別編集".
    std::unique_ptr<TForm3> openEditing(int record) {
        auto form = open();
        form->appendKnownLine(form->masterList().at(static_cast<size_t>(record)), record);
        form->listBox2()->setCurrentRow(form->prescription().lineCount() - 1);
        form->Button51Click();
        return form;
    }
    static QStringList entries(dorimek::mainwin::MasterListBox* list) {
        QStringList out;
        for (int i = 0; i < list->count(); ++i) out << list->text(i);
        return out;
    }

  private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        sink = std::make_unique<RecordingMessageSink>();
        writeBytes(path("yakujo.txt"), masterBytes());
        writeBytes(path("sorbenk.ini"), kSettings);
        QDir(dir->path()).mkdir(QStringLiteral("qev"));  // the work folder kSettings names
        dorimek::platform::overrideMajorVersion(5);
    }
    void cleanup() {
        sink.reset();
        dir.reset();
        dorimek::platform::overrideMajorVersion(std::nullopt);
    }

    // ------------------------------------------------------------ yakujo.txt

    void masterFileThatCantBeReadStopsStartUp_data() {
        QTest::addColumn<bool>("asFolder");
        QTest::newRow("missing") << false;
        QTest::newRow("a folder of that name") << true;
    }
    void masterFileThatCantBeReadStopsStartUp() {
        QFETCH(bool, asFolder);
        QVERIFY(QFile::remove(path("yakujo.txt")));
        if (asFolder) QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("yakujo.txt")));
        auto form = open();
        // One message, and start-up goes no further: no settings are read.
        QCOMPARE(sink->messages, QStringList{QStringLiteral("yakujo.txtがみつかりません")});
        QVERIFY(!form->masterFileLoaded());
        QCOMPARE(form->listBox1()->count(), 0);
        QCOMPARE(form->clinicName(), std::string());
    }

    void absurdMasterRecordIsShownCutAndToldOnce_data() {
        QTest::addColumn<int>("nameChars");  // double-byte characters in record 2's name
        QTest::addColumn<int>("extraBytes");  // bytes after the name
        QTest::addColumn<QString>("told");
        QTest::newRow("a name of 20,000 bytes") << 10000 << 0 << QStringLiteral("登録名だけで 20000 バイト");
        QTest::newRow("a line of 40,000 bytes") << 2 << 40000 << QStringLiteral("は 40004 バイト");
        QTest::newRow("a name of 50 MB")
            << 25 * 1024 * 1024 << 0 << QStringLiteral("登録名だけで 52428800 バイト");
    }
    void absurdMasterRecordIsShownCutAndToldOnce() {
        QFETCH(int, nameChars);
        QFETCH(int, extraBytes);
        QFETCH(QString, told);
        const std::string drug = sjis("薬");
        std::string name;
        name.reserve(drug.size() * size_t(nameChars));
        for (int i = 0; i < nameChars; ++i) name += drug;
        const std::string record2 = extraBytes ? name + "," + std::string(size_t(extraBytes - 1), 'x') : name;
        writeBytes(path("yakujo.txt"), sjis(kMaster[0]) + "\r\n" + record2 + "\r\n" + sjis(kMaster[1]) +
                                           "\r\n" + sjis(kMaster[2]) + "\r\n");
        auto form = open();
        QCOMPARE(sink->messages.size(), 1);
        const QString& message = sink->messages.first();
        QVERIFY2(message.contains(QStringLiteral("yakujo.txt の 2 行目")) && message.contains(told) &&
                     message.contains(QStringLiteral("1 行は 318 バイト")) &&
                     message.contains(QStringLiteral("登録名は 63 バイト")) &&
                     !message.contains(QStringLiteral("ほかに")),
                 qPrintable(message));
        // Shown: at most 6,300 bytes (3,150 characters) and "…"; the record
        // keeps its whole name for every lookup.
        const QString shown = form->listBox1()->text(1);
        QCOMPARE(shown, nameChars > 3150 ? QString(3150, QChar(u'薬')) + QChar(0x2026)
                                         : QString(nameChars, QChar(u'薬')));
        QCOMPARE(form->masterList().at(1), name);
        QCOMPARE(form->listBox1()->count(), 4);

        // A click on it: a name this long is no drug; it is refused at once,
        // the message naming it by its beginning only.
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        sink->messages.clear();
        QElapsedTimer clock;
        clock.start();
        form->listBox1()->setCurrentRow(1);
        QCoreApplication::processEvents();  // the window drawn again
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
        if (name.size() <= 6300) {
            QCOMPARE(form->prescription().lineText(1), name);
            QCOMPARE(sink->messages, QStringList());
            return;
        }
        QCOMPARE(form->prescription().lineCount(), 0);
        QCOMPARE(form->listBox2()->count(), 0);
        QCOMPARE(sink->messages,
                 QStringList{QStringLiteral(
                                 "「%1…」は登録名が %2 バイトあるため、処方に加えません。\n"
                                 "薬剤マスタの登録名は 63 バイトまで、1 行は 318 バイトまでです。"
                                 "ﾌｧｲﾙ編集かバックアップからの復元で直してください。")
                                 .arg(QString(63, QChar(u'薬')))
                                 .arg(name.size())});
    }

    void damagedMasterLinesStayOneEntryEach() {
        const std::string longName(3000, 'L');
        writeBytes(path("yakujo.txt"),
                   sjis(kMaster[0]) + "\r\n" +                                       // 0
                       sjis("壊れた行 カンマなし") + "\r\n" +                        // 1
                       longName + sjis(",長い行の薬,錠,,,,,") + "\r\n" +             // 2
                       sjis("ｴｸｽﾄﾗ,余分な項目,錠,,,,,photos/x.jpg,余り") + "\r\n" +  // 3
                       sjis(kMaster[2]));  // 4, without its line end
        auto form = open();
        QCOMPARE(sink->messages, QStringList());
        QCOMPARE(
            entries(form->listBox1()),
            (QStringList{QStringLiteral("ｱﾑﾛｼﾞﾋﾟﾝ錠5mg"), QStringLiteral("壊れた行 カンマなし"),
                         QString::fromStdString(longName), QStringLiteral("ｴｸｽﾄﾗ"),
                         QStringLiteral("ﾚﾊﾞﾐﾋﾟﾄﾞ錠100mg")}));

        for (int row = 1; row <= 4; ++row) form->listBox1()->setCurrentRow(row);
        QCOMPARE(form->prescription().lineCount(), 4);
        QCOMPARE(form->prescription().masterIndex(4), 4);

        // What the sheet and the preview show of those lines: nothing for the
        // line without commas, the record after the long line and not a piece
        // of it, and a photo name that names no file is an empty cell, named.
        const auto preview = dorimek::preview::buildPreviewRows(*form, QSize());
        QCOMPARE(preview.rows[0].name, std::string());
        QCOMPARE(preview.rows[0].efficacy, std::string());
        QCOMPARE(preview.rows[1].name, sjis("長い行の薬"));
        QCOMPARE(preview.rows[2].name, sjis("余分な項目"));
        QCOMPARE(preview.rows[2].photo.state, dorimek::sheets::PhotoCell::State::Missing);
        QCOMPARE(preview.rows[3].name, sjis("レバミピド錠100mg"));
        QVERIFY2(preview.problemMessage().contains(
                     QStringLiteral("・3行目: 「photos/x.jpg,余り」: ファイルがありません")),
                 qPrintable(preview.problemMessage()));
    }

    void twentyFifthClickIsRefused() {
        auto form = open();
        for (int i = 0; i < 24; ++i) form->appendKnownLine(form->masterList().at(0), 0);
        form->listBox1()->setCurrentRow(1);
        QCOMPARE(sink->messages,
                 QStringList{QStringLiteral("処方は24行までです。これ以上は追加できません。")});
        QCOMPARE(form->prescription().lineCount(), 24);
        QCOMPARE(form->listBox2()->count(), 24);
    }

    void previewProblemsAreToldInOneText() {
        // Line 1's photo is no picture, line 2's photo isn't there at all,
        // line 3's record has gone from the file since start.
        const std::string kept = masterBytes() +
                                 sjis("ﾌｧﾓﾁｼﾞﾝ錠,ファモチジン錠,錠,,,,,photos/bad.jpg\r\n") +
                                 sjis("ｵﾙﾒﾃｯｸ錠,オルメテック錠,錠,,,,,photos/none.jpg\r\n");
        writeBytes(path("yakujo.txt"), kept + sjis("ｶﾞｽﾀｰ錠,ガスター錠,錠,,,,,\r\n"));
        writeBytes(path("photos/bad.jpg"), "this is not a picture");
        auto form = open();
        for (int record : {3, 4, 5})
            form->appendKnownLine(form->masterList().at(static_cast<size_t>(record)), record);
        writeBytes(path("yakujo.txt"), kept);

        const auto preview = dorimek::preview::buildPreviewRows(*form, QSize(82, 76));
        const QStringList lines = preview.problemMessage().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 6);
        QCOMPARE(lines[0], QStringLiteral("次の写真を表示できません。写真の欄は空けてあります。"));
        QVERIFY2(lines[1].startsWith(QStringLiteral("・1行目: 「photos/bad.jpg」: 写真ファイル「")),
                 qPrintable(lines[1]));
        QVERIFY2(lines[2].startsWith(QStringLiteral(
                     "・2行目: 「photos/none.jpg」: ファイルがありません（探した場所: ")),
                 qPrintable(lines[2]));
        QCOMPARE(lines[3], QString());
        QCOMPARE(lines[4],
                 QStringLiteral("次の行の薬剤が薬剤ファイル（yakujo.txt）に見つかりません。"
                                "薬剤名だけ表示しています。"));
        QCOMPARE(lines[5], QStringLiteral("・3行目: ｶﾞｽﾀｰ錠"));
        QCOMPARE(preview.rows[1].name, sjis("オルメテック錠"));
        QCOMPARE(preview.rows[1].photo.state, dorimek::sheets::PhotoCell::State::Missing);
        QCOMPARE(preview.rows[2].name, sjis("ｶﾞｽﾀｰ錠"));  // its name only

        // The sheets print the same rows; each run names the line printed by
        // name only, once.
        sink->messages.clear();
        for (int style = 1; style <= 3; ++style) {
            const auto run = form->sheetForStyle(style)->Yakujorep.run({false, {}});
            QCOMPARE(run.outcome, dorimek::report::RunOutcome::Completed);
        }
        QCOMPARE(sink->messages.size(), 3);
        for (const QString& m : sink->messages) QVERIFY2(m.contains(QStringLiteral("・3行目: ｶﾞｽﾀｰ錠")), qPrintable(m));
    }

    // ------------------------------------------------------------ sorbenk.ini

    void settingsThatCantBeReadUseTheDefaults() {
        QVERIFY(QFile::remove(path("sorbenk.ini")));
        QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("sorbenk.ini")));
        auto form = open();
        QCOMPARE(sink->messages,
                 QStringList{QStringLiteral("設定ファイルがないので通常使うプリンタで印刷します")});
        QCOMPARE(form->printerIndex(), -1);
        QCOMPARE(form->listBox1()->count(), 3);
    }

    void damagedSettingsLinesAreIgnoredQuietly_data() {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("clinic");
        QTest::addColumn<int>("style");
        QTest::addColumn<bool>("noWorkFolder");  // the file ends before it, or it lacks its "="
        QTest::newRow("style out of range") << QByteArray(
                                                   "prindex=-1\r\nprinter=\r\nqevpath=qev/\r\n"
                                                   "clinic=A\r\ntel=1\r\nprev=0\r\nstyle=9\r\n")
                                            << "A" << 1 << false;
        QTest::newRow("file ends after three lines")
            << QByteArray("prindex=-1\r\nprinter=\r\nqevpath=qev/\r\n") << "" << 1 << false;
        QTest::newRow("lines without =") << QByteArray(
                                                "prindex=-1\r\nprinter\r\nqevpath\r\n"
                                                "clinic\r\ntel\r\nprev\r\nstyle=2\r\n")
                                         << "" << 2 << true;
        QTest::newRow("binary junk")
            << QByteArray("\x01\x02=\xff\xfe\r\n\x00\x00\r\n", 10) << "" << 1 << true;
    }
    void damagedSettingsLinesAreIgnoredQuietly() {
        QFETCH(QByteArray, ini);
        QFETCH(QString, clinic);
        QFETCH(int, style);
        QFETCH(bool, noWorkFolder);
        if (installedPrinters() > 0) QSKIP("an index text may name an installed printer here");
        writeBytes(path("sorbenk.ini"), ini.toStdString());
        auto form = open();
        // Only a work folder that can't work is worth a word.
        QCOMPARE(sink->messages.size(), noWorkFolder ? 1 : 0);
        if (noWorkFolder)
            QVERIFY(sink->messages.first().startsWith(QStringLiteral("QEVワークパス「」")));
        QCOMPARE(form->clinicName(), clinic.toStdString());
        QCOMPARE(form->printStyle(), style);
        QCOMPARE(form->printerIndex(), -1);
    }

    void settingsSaveRefusals_data() {
        QTest::addColumn<int>("edit");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("emoji in 電話") << 9 << QStringLiteral("03-\U0001F600")
                                       << QStringLiteral(
                                              "「電話」の文字「\U0001F600」は設定ファイルに保存でき"
                                              "ません。設定は保存されませんでした。");
        QTest::newRow("line break in 医院名")
            << 8 << QStringLiteral("さくら\n内科")
            << QStringLiteral("「医院名」に改行は入れられません。設定は保存されませんでした。");
        QTest::newRow("hangul in QEVワークパス")
            << 7 << QStringLiteral("/srv/한/")
            << QStringLiteral(
                   "「QEVワークパス」の文字「한」は設定ファイルに保存できません。"
                   "設定は保存されませんでした。");
    }
    void settingsSaveRefusals() {
        QFETCH(int, edit);
        QFETCH(QString, text);
        QFETCH(QString, message);
        auto form = open();
        sink->messages.clear();
        form->edit(edit)->setText(text);
        form->Button55Click();
        QCOMPARE(sink->messages, QStringList{message});
        QCOMPARE(readBytes(path("sorbenk.ini")), kSettings);
    }

    // ------------------------------------------------------------ rp.csv

    void rpCsvThatStopsReadingIsReported() {
        // A file that opens but fails on its first read, as a damaged disk or
        // a network share that drops does.
        if (!QFile::exists(QStringLiteral("/proc/self/mem"))) QSKIP("no /proc/self/mem here");
        QVERIFY(QFile::link(QStringLiteral("/proc/self/mem"), path("qev/rp.csv")));
        auto form = open();
        form->appendKnownLine(form->masterList().at(1), 1);
        sink->messages.clear();
        form->Button54Click();
        QCOMPARE(sink->messages,
                 QStringList{QStringLiteral(
                     "rp.csvを最後まで読めませんでした（0行目まで取り込みました）")});
        QCOMPARE(form->prescription().lineCount(), 1);
    }

    // ------------------------------------------------------------ wrong encodings

    // Each reader with a file saved by an editor that isn't set to Shift-JIS:
    // the file is named, and none of its garbled text is used. (The settings
    // file is read in those forms, value by value: see the settings tests.)
    void filesInAnotherEncodingAreNamedNotUsed_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("why");
        QTest::addColumn<QString>("outcome");  // the message's last line
        const std::string master =
            std::string(kMaster[0]) + "\r\n" + kMaster[1] + "\r\n" + kMaster[2] + "\r\n";
        const struct {
            const char* file;
            std::string text;  // UTF-8
            const char* outcome;
        } files[] = {
            {"qev/rp.csv", "1\r\n2\r\n3\r\n4\r\n5\r\n01,x,内服,1,1,ﾃﾙﾐｻﾙﾀﾝ錠40mg,1,錠,28,朝\r\n",
             "処方は取り込みませんでした。"},
            {"yakujo.txt", master, "薬剤リストは空のままです。"},
        };
        for (const auto& f : files) {
            const QByteArray utf8 = QByteArray::fromStdString(f.text);
            QByteArray loneCr = QByteArray::fromStdString(sjis(f.text.c_str()));
            loneCr.replace("\r\n", "\r");
            const struct {
                const char* form;
                QByteArray bytes;
                const char* why;
            } forms[] = {{"UTF-8 with BOM", "\xEF\xBB\xBF" + utf8, "UTF-8 で保存されている"},
                         {"UTF-8", utf8, "UTF-8 で保存されている"},
                         {"lone CR", loneCr, "改行が CR だけ"}};
            for (const auto& [form, bytes, why] : forms) {
                QTest::addRow("%s, %s", f.file, form)
                    << QString::fromUtf8(f.file) << bytes << QString::fromUtf8(why)
                    << QString::fromUtf8(f.outcome);
            }
        }
    }
    void filesInAnotherEncodingAreNamedNotUsed() {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, why);
        QFETCH(QString, outcome);
        writeBytes(dir->filePath(file), bytes.toStdString());
        auto form = open();
        const bool rpCsv = file.endsWith(QLatin1String("rp.csv"));
        if (rpCsv) form->Button54Click();
        QCOMPARE(sink->messages.size(), 1);
        const QString& m = sink->messages.first();
        QVERIFY2(
            m.startsWith(QFileInfo(file).fileName() + QLatin1Char(' ')) && m.contains(why) &&
                m.contains(QStringLiteral("Shift-JIS（改行は CR LF）で保存し直してください")) &&
                m.endsWith(QLatin1Char('\n') + outcome),
            qPrintable(m));
        // As for a missing file: no clinic name, no list, nothing imported.
        QCOMPARE(form->clinicName(), std::string(rpCsv ? "c" : ""));
        QCOMPARE(form->listBox1()->count(), file == QLatin1String("yakujo.txt") ? 0 : 3);
        QCOMPARE(form->prescription().lineCount(), 0);
        QCOMPARE(form->listBox2()->count(), 0);
    }

    // ------------------------------------------------------------ 個別編集 / 編集終了

    void perDrugEditingOfAnUnlistedLine() {
        auto form = open();
        form->appendUnknownLine(sjis("ﾅｿﾞﾉｸｽﾘ"));
        form->listBox2()->setCurrentRow(0);
        sink->messages.clear();
        form->Button51Click();
        QCOMPARE(sink->messages,
                 QStringList{QStringLiteral(
                     "「ﾅｿﾞﾉｸｽﾘ」はyakujo.txtに登録されていないため、個別編集できません")});
        QVERIFY(!form->button52()->isEnabled());
        QCOMPARE(form->edit(1)->text(), QString());
    }

    void perDrugEditingRefusals_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("comma in 単位")
            << "Edit3" << QStringLiteral("錠,包")
            << QStringLiteral("「単位」にカンマ（,）は使えません。保存しませんでした");
        QTest::newRow("line break in 効能")
            << "Memo1" << QStringLiteral("一行目\n二行目")
            << QStringLiteral("「効能」に改行は使えません。保存しませんでした");
        QTest::newRow("empty 登録名")
            << "Edit1" << QString() << QStringLiteral("「登録名」が空です。保存しませんでした");
        QTest::newRow("emoji in 表示名") << "Edit2" << QStringLiteral("アムロ\U0001F600")
                                         << QStringLiteral(
                                                "「表示名」の「\U0001F600」はyakujo."
                                                "txtに保存できない文字です。保存しませんでした");
    }
    void perDrugEditingRefusals() {
        QFETCH(QString, control);
        QFETCH(QString, text);
        QFETCH(QString, message);
        auto form = openEditing(0);
        QVERIFY(form->button52()->isEnabled());
        sink->messages.clear();
        QWidget* w = form->findChild<QWidget*>(control);
        QVERIFY(w);
        if (auto* e = qobject_cast<QLineEdit*>(w)) e->setText(text);
        if (auto* m = qobject_cast<QPlainTextEdit*>(w)) m->setPlainText(text);
        form->Button52Click();
        QCOMPARE(sink->messages, QStringList{message});
        QCOMPARE(readBytes(path("yakujo.txt")), masterBytes());
        QVERIFY(form->button52()->isEnabled());
    }

    void staleRecordAfterGridSaveIsRefused() {
        auto form = openEditing(1);  // ﾃﾙﾐｻﾙﾀﾝ錠40mg, record 1
        QCOMPARE(form->editedRecordIndex(), 1);
        form->edit(5)->setText(QStringLiteral("40mg PTP140錠"));

        // Meanwhile a row goes in at the top in the grid editor and is saved:
        // record 1 is now another drug.
        form->Button50Click();
        TForm2* grid = TForm2::current();
        QVERIFY(grid);
        grid->StringGrid1->setCurrentCell(0, 0);
        grid->Button1Click();
        grid->StringGrid1->setItem(0, 0, new QTableWidgetItem(QStringLiteral("ｱｱｱ新薬")));
        grid->Button3Click();
        const std::string afterGrid = readBytes(path("yakujo.txt"));
        QCOMPARE(afterGrid, sjis("ｱｱｱ新薬,,,,,,,\r\n") + masterBytes());
        QCOMPARE(form->listBox1()->count(), 4);
        sink->messages.clear();

        // The pending record followed its row to line 2 and is saved there.
        form->Button52Click();
        QCOMPARE(sink->messages, QStringList());
        QVERIFY(readBytes(path("yakujo.txt")).find(sjis("ｱｱｱ新薬,,,,,,,\r\n")) == 0);
        QVERIFY(readBytes(path("yakujo.txt")).find(sjis(",40mg PTP140錠,")) != std::string::npos);

        // Loaded again, the same drug is found on its new line and saved there.
        form->listBox2()->setCurrentRow(form->listBox2()->count() - 1);
        form->Button51Click();
        QCOMPARE(form->editedRecordIndex(), 2);
        form->edit(5)->setText(QStringLiteral("40mg PTP140錠"));
        form->Button52Click();
        QCOMPARE(sink->messages.size(), 0);
        const std::string saved = readBytes(path("yakujo.txt"));
        QVERIFY(
            saved.find(sjis("ﾃﾙﾐｻﾙﾀﾝ錠40mg,テルミサルタン錠40mg,錠,白色割線錠,40mg PTP140錠,")) !=
            std::string::npos);
        QVERIFY(saved.rfind(sjis("ｱｱｱ新薬,,,,,,,\r\n"), 0) == 0);
    }

    // ------------------------------------------------------------ grid editor

    void gridEditorRefusals_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("comma")
            << 1 << 1 << QStringLiteral("a,b")
            << QStringLiteral("2 行目の「表示名」にカンマ（,）があります。カンマは使えません。");
        QTest::newRow("line break")
            << 0 << 6 << QStringLiteral("一行目\n二行目")
            << QStringLiteral("1 行目の「注意」に改行があります。改行は使えません。");
        QTest::newRow("not in Shift-JIS")
            << 2 << 5 << QStringLiteral("\U0001F48A")
            << QStringLiteral(
                   "3 行目の「効能」の文字「\U0001F48A」は保存できません（Shift-JIS "
                   "にない文字です）。");
        QTest::newRow("登録名 emptied")
            << 1 << 0 << QString()
            << QStringLiteral(
                   "2 行目は「登録名」が空のため保存できません。\n"
                   "登録名を入れるか、行削除でこの行を消してください。");
        QTest::newRow("row below an empty row")
            << 4 << 0 << QStringLiteral("ﾏｸﾞﾐｯﾄ錠")
            << QStringLiteral(
                   "4 行目が空の行のため、その下の 5 行目から先が保存されません。\n"
                   "空の行を行削除で消してから保存してください。");
    }
    void gridEditorRefusals() {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QString, text);
        QFETCH(QString, message);
        auto form = open();
        sink->messages.clear();
        form->Button50Click();
        TForm2* grid = TForm2::current();
        QVERIFY(grid);
        grid->StringGrid1->setItem(row, column, new QTableWidgetItem(text));
        grid->Button3Click();
        QCOMPARE(sink->messages, QStringList{message});
        QCOMPARE(readBytes(path("yakujo.txt")), masterBytes());
        QVERIFY(grid->isVisible());
        QCOMPARE(form->listBox1()->count(), 3);
    }

    void gridEditorConfirmations() {
        // Every row deleted: the save asks first, and "いいえ" keeps the file.
        auto form = open();
        form->Button50Click();
        TForm2* grid = TForm2::current();
        QVERIFY(grid);
        for (int i = 0; i < 3; ++i) {
            grid->StringGrid1->setCurrentCell(0, 0);
            grid->Button2Click();
        }
        sink->confirmAnswer = false;
        grid->Button3Click();
        QCOMPARE(sink->confirmations,
                 QStringList{QStringLiteral(
                     "保存する薬剤が1件もありません。\nyakujo.txt を空にしてよろしいですか？")});
        QCOMPARE(readBytes(path("yakujo.txt")), masterBytes());

        // A file that exists but can't be read: the editor opens empty, says
        // so, and asks before a save would replace what it never showed.
        sink->confirmations.clear();
        sink->messages.clear();
        QVERIFY(QFile::remove(path("yakujo.txt")));
        QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("yakujo.txt")));
        form->Button50Click();
        TForm2* blind = TForm2::current();
        QVERIFY(blind && blind != grid);
        QCOMPARE(sink->messages,
                 QStringList{QStringLiteral("ファイル yakujo.txt を読み込めません")});
        blind->StringGrid1->setItem(0, 0, new QTableWidgetItem(QStringLiteral("A")));
        blind->Button3Click();
        QCOMPARE(
            sink->confirmations,
            QStringList{QStringLiteral(
                "yakujo.txt を読み込めなかったため、この画面にはファイルの内容が出ていません。\n"
                "保存するとファイルの内容がこの画面の内容に置き換わります。保存しますか？")});
        // Saying yes can't write over a folder: the save is reported as failed.
        sink->confirmAnswer = true;
        sink->messages.clear();
        blind->Button3Click();
        QCOMPARE(sink->messages.size(), 1);
        QVERIFY(sink->messages.first().startsWith(QStringLiteral("ﾌｧｲﾙ yakujo.txt を作成できません\n")));
        QVERIFY(QFileInfo(path("yakujo.txt")).isDir());
    }

    // ------------------------------------------------------------ printers

    void noPrinterInstalled() {
        if (installedPrinters() > 0) QSKIP("printers are installed here");
        // No spooler answers at this test's socket: printing is unavailable,
        // which is told where "no printer" would be. A bare index means
        // nothing without printers: nothing is said at start.
        writeBytes(path("sorbenk.ini"), "prindex=3\r\nprinter=\r\nqevpath=qev/\r\n");
        auto form = open();
        QCOMPARE(sink->messages, QStringList());

        form->Button56Click();
        QCOMPARE(sink->messages, QStringList{dorimek::platform::kSpoolerUnavailable});

        sink->messages.clear();
        form->appendKnownLine(form->masterList().at(0), 0);
        form->Button40Click();
        QCOMPARE(sink->messages, QStringList{dorimek::platform::kSpoolerUnavailable});
        QCOMPARE(form->prescription().lineCount(), 1);
    }

    void spoolerDownAtStartKeepsTheStoredPrinter() {
        if (installedPrinters() > 0) QSKIP("printers are installed here");
        // The stored printer can't be checked now; it may well be there once
        // CUPS runs again, so 設定保存 must not forget it.
        const std::string stored = "prindex=1\r\nprinter=rejecting\r\n";
        writeBytes(path("sorbenk.ini"), stored + "qevpath=qev/\r\nclinic=c\r\ntel=t\r\n");
        auto form = open();
        QCOMPARE(sink->messages, QStringList{dorimek::platform::kSpoolerUnavailable});
        sink->messages.clear();
        form->edit(9)->setText(QStringLiteral("03-1234"));
        form->Button55Click();
        QCOMPARE(sink->messages, QStringList());
        const std::string saved = readBytes(path("sorbenk.ini"));
        QCOMPARE(saved.substr(0, stored.size()), stored);
        QVERIFY(saved.find("tel=03-1234\r\n") != std::string::npos);
    }

    void printerIndexOutsideTheList_data() {
        QTest::addColumn<QByteArray>("prindex");
        QTest::addColumn<QString>("argument3");
        QTest::addColumn<int>("rejected");  // -1: accepted, no message
        QTest::newRow("stored index past the list") << QByteArray("7") << QString() << 7;
        QTest::newRow("third argument past the list") << QByteArray("0") << "9" << 9;
        QTest::newRow("negative index other than -1") << QByteArray("-5") << QString() << -5;
        QTest::newRow("index of an installed printer") << QByteArray("0") << QString() << -1;
    }
    void printerIndexOutsideTheList() {
        QFETCH(QByteArray, prindex);
        QFETCH(QString, argument3);
        QFETCH(int, rejected);
        const int count = installedPrinters();
        if (count == 0) QSKIP("no printer installed here (run through ctest: fixture cupsd)");
        writeBytes(path("sorbenk.ini"), "prindex=" + prindex.toStdString() +
                                            "\r\nprinter=\r\nqevpath=qev/\r\nclinic=c\r\n");
        auto form = open({QStringLiteral("x"), QString(), argument3});
        if (rejected == -1) {
            QCOMPARE(sink->messages, QStringList());
            QCOMPARE(form->printerIndex(), 0);
            return;
        }
        QCOMPARE(sink->messages,
                 QStringList{
                     QStringLiteral("プリンタ番号 %1 のプリンタはありません(使用可能なプリンタは "
                                    "%2 台です)。\n通常使うプリンタで印刷します。\n"
                                    "「使用可能プリンタ」の一覧で使うプリンタを選び、「設定保存」を"
                                    "押してください。")
                         .arg(rejected)
                         .arg(count)});
        QCOMPARE(form->printerIndex(), -1);
    }

    // "プリンタ設定" is a setup: what is chosen becomes the current printer,
    // with B5 forced on it again, and is kept nowhere else.
    void printerSetupChoosesWithoutPrinting_data() {
        QTest::addColumn<bool>("ok");
        QTest::newRow("OK") << true;
        QTest::newRow("キャンセル") << false;
    }
    void printerSetupChoosesWithoutPrinting() {
        QFETCH(bool, ok);
        auto& service = dorimek::platform::PrinterService::instance();
        if (installedPrinters() < 2) QSKIP("needs two printers (run through ctest: fixture cupsd)");
        writeBytes(path("sorbenk.ini"), "prindex=0\r\nprinter=\r\nqevpath=qev/\r\nclinic=c\r\n");
        auto form = open();
        // A queue that takes JIS B5, so that choosing it says nothing.
        const int last = static_cast<int>(service.printers().indexOf(QStringLiteral("rejecting")));
        QVERIFY(last > 0);
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog && !qobject_cast<QPrintDialog*>(dialog));
            auto* combo = dialog->findChild<QComboBox*>(QStringLiteral("printerCombo"));
            QVERIFY(combo);
            combo->setCurrentIndex(combo->findData(last));
            seen = true;
            if (ok) dialog->accept(); else dialog->reject();
        });
        form->Button56Click();
        QVERIFY(seen);
        QCOMPARE(service.currentIndex(), ok ? last : 0);
        QCOMPARE(service.paperSizeOf(service.nameForIndex(service.currentIndex())),
                 dorimek::platform::kPaperJisB5);
        QCOMPARE(form->printerIndex(), 0);
        QCOMPARE(form->listBox3()->currentRow(), 0);
        QCOMPARE(readBytes(path("sorbenk.ini")).substr(0, 10), std::string("prindex=0\r"));
        QCOMPARE(sink->messages, QStringList());
    }
};

QTEST_MAIN(BadInputTest)
#include "BadInputTest.moc"
