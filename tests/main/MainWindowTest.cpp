#include "main/Main.h"
#include "platform/MessageBoxSink.h"
#include "platform/PlatformVersion.h"
#include "platform/PrinterService.h"
#include "platform/Sjis.h"

#include "RecordingMessageSink.h"
#include "TestFiles.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

using dorimek::mainwin::TForm3;
using dorimek::testing::readBytes;
using dorimek::testing::RecordingMessageSink;
using dorimek::testing::sjis;
using dorimek::testing::writeBytes;

namespace {

const QString kNoMaster = QStringLiteral("yakujo.txtがみつかりません");
const QString kNoSettings = QStringLiteral("設定ファイルがないので通常使うプリンタで印刷します");

// 60 drugs: two that begin with letters, kana groups (ｶﾞ before ｶ), kanji
// late in the list and enough after them to scroll any of them to the top.
std::vector<std::string> masterNames() {
    std::vector<std::string> names = {"Aspirin", "Bufferin", sjis("ｱﾀﾞﾗｰﾄ"), sjis("ｱﾓｷｼﾝ")};
    for (int i = 0; i < 16; ++i) names.push_back(sjis("ｲﾌﾞ") + std::to_string(i));
    names.push_back(sjis("ｶﾞｽﾀｰ"));  // 20
    names.push_back(sjis("ｶﾛﾅｰﾙ"));  // 21
    for (int i = 0; i < 16; ++i) names.push_back(sjis("ｻﾗｼﾞｪﾝ") + std::to_string(i));
    names.push_back(sjis("漢方薬"));  // 38
    names.push_back(sjis("葛根湯"));  // 39
    while (names.size() < 60) names.push_back(sjis("ﾔｸｻﾞｲ") + std::to_string(names.size()));
    return names;
}

std::string masterFile() {
    std::string out;
    for (const std::string& n : masterNames())
        out += n + sjis(",表示,錠,A1,100錠,効能,注意,") + "\r\n";
    return out;
}

QString captionOf(QWidget* w) {
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
    return {};
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<RecordingMessageSink> sink;

    QString path(const char* name) const { return dir->filePath(QString::fromLatin1(name)); }
    std::unique_ptr<TForm3> open(QStringList extra = {}) {
        QStringList args{QStringLiteral("dorimek")};
        args += extra;
        return std::make_unique<TForm3>(args, dir->path() + QLatin1Char('/'));
    }
    std::unique_ptr<TForm3> openShown(QStringList extra = {}) {
        auto form = open(std::move(extra));
        form->show();
        if (!QTest::qWaitForWindowExposed(form.get())) qWarning("window not exposed");
        return form;
    }
    static bool noPrinters() {
        return dorimek::platform::PrinterService::instance().printerCount() == 0;
    }
    static void clickRow(QListWidget* list, int row) {
        QListWidgetItem* item = list->item(row);
        list->scrollToItem(item);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(item).center());
    }
    static void clickRow(dorimek::mainwin::MasterListBox* list, int row) {
        list->scrollTo(list->entry(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->entry(row)).center());
    }
    static QStringList lines(QListWidget* list) {
        QStringList out;
        for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
        return out;
    }

  private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        sink = std::make_unique<RecordingMessageSink>();
        writeBytes(path("yakujo.txt"), masterFile());
    }
    void cleanup() {
        sink.reset();
        dir.reset();
        dorimek::platform::overrideMajorVersion(std::nullopt);
    }

    // ------------------------------------------------------------ layout

    void controlGeometry_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("rect");  // width 0: a label, placed only
        QTest::addColumn<QString>("caption");
        auto row = [](const char* name, int x, int y, int w, int h, const char* caption) {
            QTest::newRow(name) << QString::fromLatin1(name) << QRect(x, y, w, h)
                                << QString::fromUtf8(caption);
        };
        row("Label15", 16, 8, 0, 0, "薬剤リスト(ｼﾝｸﾞﾙｸﾘｯｸで選択)");
        row("ListBox1", 8, 24, 177, 297, "");
        row("Button1", 16, 328, 30, 30, "ア");
        row("Button5", 16, 456, 30, 30, "オ");
        row("Button13", 80, 392, 30, 30, "ス");
        row("Button36", 240, 328, 30, 30, "ヤ");
        row("Button37", 240, 392, 30, 30, "ユ");
        row("Button39", 240, 456, 30, 30, "ヨ");
        row("Button41", 272, 328, 30, 30, "ラ");
        row("Button45", 272, 456, 30, 30, "ロ");
        row("Button46", 304, 328, 30, 30, "ワ");
        row("Button47", 304, 360, 30, 62, "英数");
        row("Button48", 304, 424, 30, 62, "漢");
        row("Label16", 200, 8, 0, 0, "処方(ﾀﾞﾌﾞﾙｸﾘｯｸで削除)");
        row("ListBox2", 192, 24, 145, 177, "");
        row("Label17", 352, 8, 0, 0, "用法");
        row("ComboBox1", 344, 24, 105, 20, "");
        row("ComboBox11", 344, 184, 105, 20, "");
        row("Button54", 192, 208, 73, 33, "処方取込");
        row("Button49", 272, 208, 65, 33, "全消去");
        row("Button38", 192, 248, 73, 33, "プレビュー");
        row("Button51", 272, 248, 65, 33, "個別編集");
        row("Button40", 192, 288, 73, 33, "印刷");
        row("Button53", 272, 288, 65, 33, "終了");
        row("RadioGroup1", 344, 224, 121, 97, "印刷スタイル");
        row("RadioButton1", 352, 240, 105, 25, "画像なし用法なし");
        row("RadioButton2", 352, 264, 105, 25, "画像あり用法なし");
        row("RadioButton3", 352, 288, 105, 25, "画像あり用法あり");
        row("Label1", 472, 8, 0, 0, "登録名");
        row("Edit1", 528, 8, 137, 23, "");
        row("Label3", 472, 54, 0, 0, "単位");
        row("Edit3", 528, 56, 137, 23, "");
        row("Edit5", 528, 104, 137, 23, "");
        row("Label6", 472, 128, 0, 0, "効能");
        row("Memo1", 472, 144, 257, 57, "");
        row("Memo2", 472, 224, 257, 65, "");
        row("Label8", 472, 296, 0, 0, "画像ファイル");
        row("Edit6", 544, 296, 185, 23, "");
        row("Button50", 672, 8, 57, 33, "ﾌｧｲﾙ編集");
        row("Button52", 672, 56, 57, 33, "編集終了");
        row("Label13", 672, 96, 0, 0, "個別編集後");
        row("Label14", 672, 112, 0, 0, "も押すこと");
        row("CheckBox1", 344, 326, 169, 17, "QEVから起動時プレビュー有");
        row("Label9", 344, 350, 0, 0, "QEVワークパス");
        row("Edit7", 344, 364, 161, 20, "");
        row("Label10", 344, 388, 0, 0, "医院名");
        row("Edit8", 344, 402, 161, 20, "");
        row("Label11", 344, 426, 0, 0, "電話");
        row("Edit9", 344, 440, 161, 20, "");
        row("Button55", 348, 464, 157, 22, "設定保存");
        row("Label12", 528, 336, 0, 0, "使用可能プリンタ");
        row("ListBox3", 520, 360, 209, 129, "");
        row("Button56", 628, 328, 101, 25, "プリンタ設定");
    }
    void controlGeometry() {
        QFETCH(QString, name);
        QFETCH(QRect, rect);
        QFETCH(QString, caption);
        auto form = open();
        auto* w = form->findChild<QWidget*>(name);
        QVERIFY2(w, qPrintable(name));
        if (rect.width() == 0) {
            QCOMPARE(w->pos(), rect.topLeft());
        } else {
            QCOMPARE(w->geometry(), rect);
        }
        QCOMPARE(captionOf(w), caption);
    }

    void windowAndFonts() {
        auto form = open();
        QCOMPARE(form->windowTitle(), QStringLiteral("薬剤情報提供書"));
        QCOMPARE(form->size(), QSize(741, 497));
        QCOMPARE(form->font().pixelSize(), 12);
        const QList<QWidget*> large = {form->listBox1(), form->listBox2(), form->edit(1),
                                       form->edit(6),    form->memo1(),    form->memo2()};
        for (QWidget* w : large) {
            QCOMPARE(w->font().pixelSize(), 15);
            QCOMPARE(w->palette().color(QPalette::Text), QColor(Qt::black));
        }
        QCOMPARE(form->edit(7)->font().pixelSize(), 12);
        QCOMPARE(form->findChildren<QPushButton*>().size(), 56);
        QVERIFY(!form->button52()->isEnabled());
        QVERIFY(form->button(51)->isEnabled());
        QCOMPARE(form->focusWidget(), form->listBox1());
        for (int n = 1; n <= 3; ++n) QVERIFY(!form->radioButton(n)->isChecked());
        QCOMPARE(form->printStyle(), 1);
    }

    void usageBoxes() {
        const QStringList items = {"起床 直後",   "朝",          "昼",          "夕",
                                   "眠前",        "朝夕",        "朝昼夕 食後", "朝昼夕 食前",
                                   "朝昼夕 食間", "朝昼夕 眠前", "朝昼",        "昼夕",
                                   "4時間 間隔",  "6時間 間隔",  "8時間 間隔",  "12時間 間隔"};
        auto form = open();
        for (int n = 1; n <= 11; ++n) {
            QComboBox* box = form->comboBox(n);
            QVERIFY(box);
            QCOMPARE(box->objectName(), QStringLiteral("ComboBox%1").arg(n));
            QVERIFY(box->isEditable());
            QCOMPARE(box->maxVisibleItems(), 16);
            QCOMPARE(box->geometry(), QRect(344, 24 + 16 * (n - 1), 105, 20));
            QStringList got;
            for (int i = 0; i < box->count(); ++i) got << box->itemText(i);
            QCOMPARE(got, items);
            QCOMPARE(box->currentText(), QString());
        }
        QVERIFY(!form->comboBox(12));
        QCOMPARE(form->usageText(12), std::string());
    }

    // ------------------------------------------------------------ start-up

    void missingMasterFileStopsStartUp() {
        QFile::remove(path("yakujo.txt"));
        writeBytes(
            path("sorbenk.ini"),
            "prindex=0\r\nprinter=\r\nqevpath=X\r\nclinic=Y\r\ntel=Z\r\nprev=1\r\nstyle=2\r\n");
        auto form = open({QStringLiteral("auto")});
        QCOMPARE(sink->messages, QStringList{kNoMaster});
        QVERIFY(!form->masterFileLoaded());
        QCOMPARE(form->listBox1()->count(), 0);
        QCOMPARE(form->listBox3()->count(), 0);
        // An empty field with a hint, never a text that a save could store.
        QCOMPARE(form->edit(7)->text(), QString());
        QCOMPARE(form->edit(7)->placeholderText(), QStringLiteral("未設定"));
        QVERIFY(!form->radioButton(2)->isChecked());
        QCOMPARE(form->printerIndex(), -1);
    }

    void missingSettingsFile() {
        auto form = open();
        QCOMPARE(sink->messages, QStringList{kNoSettings});
        QCOMPARE(form->listBox1()->count(), 60);
        QCOMPARE(form->masterList().at(38), sjis("漢方薬"));
        QCOMPARE(form->listBox1()->text(38), QStringLiteral("漢方薬"));
        QCOMPARE(form->edit(8)->text(), QString());
        QCOMPARE(form->clinicName(), std::string());
        QCOMPARE(form->qevWorkPath(), std::string());
        QCOMPARE(form->printerIndex(), -1);
        QVERIFY(!form->previewOnAutoStart());
        QCOMPARE(QDir::current().canonicalPath(), QDir(dir->path()).canonicalPath());
        QCOMPARE(TForm3::instance(), form.get());
    }

    void screenPreviewFollowsPlatformVersion_data() {
        QTest::addColumn<int>("major");
        QTest::addColumn<bool>("screenPreview");
        QTest::newRow("5") << 5 << false;
        QTest::newRow("6") << 6 << true;
        QTest::newRow("10") << 10 << true;
    }
    void screenPreviewFollowsPlatformVersion() {
        QFETCH(int, major);
        QFETCH(bool, screenPreview);
        dorimek::platform::overrideMajorVersion(major);
        auto form = open();
        QCOMPARE(form->useScreenPreview(), screenPreview);
    }

    void thirdArgumentWithoutPrinters() {
        if (!noPrinters()) QSKIP("printers are installed here");
        writeBytes(path("sorbenk.ini"), "prindex=3\r\n");
        auto form = open({QStringLiteral("x"), QString(), QStringLiteral("2")});
        // No spooler answers here: the host's printer can't be checked, and
        // the user hears that printing is unavailable, not "no printer".
        // The file ends before its work folder, which is named first.
        QCOMPARE(sink->messages.size(), 2);
        QVERIFY(sink->messages.first().startsWith(
            QStringLiteral("QEVワークパス「」はこのコンピュータでは使えません（空です）")));
        QCOMPARE(sink->messages.last(), dorimek::platform::kSpoolerUnavailable);
        QCOMPARE(form->printerIndex(), -1);
        QCOMPARE(form->listBox3()->count(), 0);
    }

    // ------------------------------------------------------------ drug selection

    void kanaButtonsScrollWithoutSelecting_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("top");
        QTest::newRow("カ finds ｶﾞ first") << "Button6" << 20;
        QTest::newRow("ア") << "Button1" << 2;
        QTest::newRow("サ") << "Button11" << 22;
        QTest::newRow("ワ finds nothing") << "Button46" << 0;
        QTest::newRow("英数 is the second entry") << "Button47" << 1;
        QTest::newRow("漢") << "Button48" << 38;
    }
    void kanaButtonsScrollWithoutSelecting() {
        QFETCH(QString, button);
        QFETCH(int, top);
        auto form = openShown();
        QCOMPARE(form->listBox1TopIndex(), 0);
        QTest::mouseClick(form->findChild<QPushButton*>(button), Qt::LeftButton);
        QCOMPARE(form->listBox1TopIndex(), top);
        QCOMPARE(form->listBox1()->selectedRow(), -1);
        QCOMPARE(form->prescription().lineCount(), 0);
    }

    void largeMasterListKeepsEntriesOrderJumpsAndClicks() {
        // 20,000 records: a letter, runs of ｱ, ｶﾞ and ｻ, then kanji with the
        // longest name among them.
        QStringList names{QStringLiteral("Aspirin")};
        for (int i = 0; i < 5000; ++i) names << QStringLiteral("ｱﾑﾛｼﾞﾋﾟﾝ錠%1mg").arg(i);  // 1
        for (int i = 0; i < 5000; ++i) names << QStringLiteral("ｶﾞｽﾀｰD錠%1").arg(i);     // 5001
        for (int i = 0; i < 5000; ++i) names << QStringLiteral("ｻﾗｼﾞｪﾝ%1").arg(i);       // 10001
        for (int i = 0; i < 4999; ++i) names << QStringLiteral("漢方薬%1号").arg(i);     // 15001
        names[17000] = QStringLiteral("漢方薬") + QString(60, QChar(u'長'));
        std::string file;
        for (const QString& n : names) file += dorimek::platform::fromUnicode(n) + sjis(",表示,錠,,,,,\r\n");
        writeBytes(path("yakujo.txt"), file);
        auto form = openShown();
        dorimek::mainwin::MasterListBox* list = form->listBox1();
        QCOMPARE(list->count(), 20000);
        for (int i = 0; i < names.size(); ++i) {
            if (list->text(i) != names[i]) QFAIL(qPrintable(QStringLiteral("entry %1: %2").arg(i).arg(list->text(i))));
        }
        const std::pair<const char*, int> jumps[] = {
            {"Button11", 10001}, {"Button1", 1}, {"Button48", 15001}, {"Button6", 5001}};
        for (const auto& [button, top] : jumps) {
            QTest::mouseClick(form->findChild<QPushButton*>(QLatin1String(button)), Qt::LeftButton);
            QCOMPARE(form->listBox1TopIndex(), top);
        }
        QCOMPARE(list->selectedRow(), -1);
        // The list scrolls sideways to the end of the longest name.
        QVERIFY(list->horizontalScrollBar()->maximum() + list->viewport()->width() >=
                list->fontMetrics().horizontalAdvance(names[17000]));
        clickRow(list, 17000);
        clickRow(list, 5001);
        QCOMPARE(form->prescription().lineCount(), 2);
        QCOMPARE(form->prescription().masterIndex(1), 17000);
        QCOMPARE(form->prescription().lineText(1), dorimek::platform::fromUnicode(names[17000]));
        QCOMPARE(form->prescription().masterIndex(2), 5001);
    }

    void clicksBuildThePrescription() {
        auto form = openShown();
        clickRow(form->listBox1(), 5);
        clickRow(form->listBox1(), 38);
        for (int i = 0; i < 3; ++i) clickRow(form->listBox1(), 2);  // same entry, three lines
        const auto& p = form->prescription();
        QCOMPARE(p.lineCount(), 5);
        const int expected[] = {5, 38, 2, 2, 2};
        for (int n = 1; n <= 5; ++n) QCOMPARE(p.masterIndex(n), expected[n - 1]);
        QCOMPARE(p.lineText(2), sjis("漢方薬"));
        QCOMPARE(lines(form->listBox2()),
                 (QStringList{"ｲﾌﾞ1", "漢方薬", "ｱﾀﾞﾗｰﾄ", "ｱﾀﾞﾗｰﾄ", "ｱﾀﾞﾗｰﾄ"}));
        // Fixed line height: line n stands beside usage box n.
        QCOMPARE(form->listBox2()->visualItemRect(form->listBox2()->item(1)).height(), 16);
    }

    void doubleClickRemovesALineWithItsUsage() {
        auto form = openShown();
        clickRow(form->listBox1(), 5);
        clickRow(form->listBox1(), 9);
        clickRow(form->listBox1(), 2);
        form->comboBox(2)->setEditText(QStringLiteral("朝夕"));
        form->comboBox(3)->setEditText(QStringLiteral("眠前"));

        QListWidget* list2 = form->listBox2();
        const QPoint line2 = list2->visualItemRect(list2->item(1)).center();
        QTest::mouseClick(list2->viewport(), Qt::LeftButton, {}, line2);
        QTest::mouseDClick(list2->viewport(), Qt::LeftButton, {}, line2);

        const auto& p = form->prescription();
        QCOMPARE(p.lineCount(), 2);
        QCOMPARE(p.masterIndex(1), 5);
        QCOMPARE(p.masterIndex(2), 2);
        QCOMPARE(lines(list2), (QStringList{"ｲﾌﾞ1", "ｱﾀﾞﾗｰﾄ"}));
        // The usage belongs to the line: the moved-up line keeps its own, and
        // the position it left has none for the next line appended.
        QCOMPARE(form->comboBox(2)->currentText(), QStringLiteral("眠前"));
        QCOMPARE(form->usageText(2), sjis("眠前"));
        QCOMPARE(form->comboBox(3)->currentText(), QString());
        QCOMPARE(form->usageText(3), std::string());
    }

    void onlyTheLeftButtonWorksTheLists() {
        auto form = openShown();
        dorimek::mainwin::MasterListBox* list1 = form->listBox1();
        const QPoint entry = list1->visualRect(list1->entry(3)).center();
        for (Qt::MouseButton b : {Qt::RightButton, Qt::MiddleButton}) {
            QTest::mouseClick(list1->viewport(), b, {}, entry);
            QTest::mouseDClick(list1->viewport(), b, {}, entry);
        }
        QCOMPARE(form->prescription().lineCount(), 0);
        clickRow(list1, 3);
        clickRow(list1, 4);
        QCOMPARE(form->prescription().lineCount(), 2);

        QListWidget* list2 = form->listBox2();
        const QPoint line1 = list2->visualItemRect(list2->item(0)).center();
        QTest::mouseClick(list2->viewport(), Qt::LeftButton, {}, line1);
        for (Qt::MouseButton b : {Qt::RightButton, Qt::MiddleButton})
            QTest::mouseDClick(list2->viewport(), b, {}, line1);
        QCOMPARE(form->prescription().lineCount(), 2);
        QTest::mouseDClick(list2->viewport(), Qt::LeftButton, {}, line1);
        QCOMPARE(form->prescription().lineCount(), 1);
        // No line is chosen after a removal, so 個別編集 has nothing to load.
        QVERIFY(list2->selectedItems().isEmpty());
        sink->messages.clear();
        QTest::mouseClick(form->button(51), Qt::LeftButton);
        QCOMPARE(sink->messages, QStringList());
        QCOMPARE(form->editedRecordIndex(), -1);
    }

    // Keys in the focused drug list: moving and typing a name only move;
    // Return and Space pick the current entry. A step is a key's name,
    // "ime:" text the input method commits, "key:" text typed key by key,
    // or "pause".
    void keysInTheDrugList_data() {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("current");
        QTest::addColumn<QList<int>>("picked");  // master indices of the lines
        const auto row = [](const char* name, QStringList steps, int current, QList<int> picked) {
            QTest::newRow(name) << steps << current << picked;
        };
        row("arrows only move", {"Down", "Down", "Down", "Up"}, 1, {});
        row("first Down goes to the first entry", {"Down"}, 0, {});
        row("Return picks the current entry", {"Down", "Down", "Return"}, 1, {1});
        row("Space picks it too", {"Down", "Space", "Space"}, 0, {0, 0});
        row("letters move", {"key:bu"}, 1, {});
        row("input method text moves", {"ime:かろなーる"}, 21, {});
        row("typed across commits, then Return", {"ime:いぶ1", "key:2", "Return"}, 16, {16});
        row("a voiced kana is its own", {"ime:が"}, 20, {});
        row("kanji", {"ime:葛"}, 39, {});
        row("no match stays put", {"ime:さ", "key:x"}, 22, {});
        row("Backspace matches again", {"ime:か", "key:x", "Backspace", "ime:ろ"}, 21, {});
        row("Escape starts anew", {"ime:さ", "Escape", "ime:か"}, 21, {});
        row("a pause starts anew", {"ime:さ", "pause", "ime:か"}, 21, {});
        row("Down goes to the next match", {"ime:いぶ1", "Down"}, 14, {});
        row("Up to the previous one", {"ime:いぶ1", "Down", "Down", "Up"}, 14, {});
        row("Down after a pause is one step", {"ime:いぶ1", "pause", "Down"}, 6, {});
        row("the input method's space picks", {"Down", "ime:\u3000"}, 0, {0});
    }

    void keysInTheDrugList() {
        QFETCH(QStringList, steps);
        QFETCH(int, current);
        QFETCH(QList<int>, picked);
        auto form = openShown();
        sink->messages.clear();
        dorimek::mainwin::MasterListBox* list = form->listBox1();
        list->setFocus();
        const QMap<QString, Qt::Key> keys{
            {"Down", Qt::Key_Down},   {"Up", Qt::Key_Up},         {"Return", Qt::Key_Return},
            {"Space", Qt::Key_Space}, {"Escape", Qt::Key_Escape}, {"Backspace", Qt::Key_Backspace}};
        for (const QString& step : steps) {
            if (step.startsWith(QLatin1String("ime:"))) {
                QInputMethodEvent commit;
                commit.setCommitString(step.mid(4));
                QApplication::sendEvent(list, &commit);
            } else if (step.startsWith(QLatin1String("key:"))) {
                QTest::keyClicks(list, step.mid(4));
            } else if (step == QLatin1String("pause")) {
                QTRY_VERIFY_WITH_TIMEOUT(list->typedText().isEmpty(), 20000);
            } else {
                QVERIFY2(keys.contains(step), qPrintable(step));
                QTest::keyClick(list, keys.value(step));
            }
        }
        QCOMPARE(list->currentRow(), current);
        QCOMPARE(list->selectedRow(), current);
        QList<int> lines;
        for (int n = 1; n <= form->prescription().lineCount(); ++n)
            lines << form->prescription().masterIndex(n);
        QCOMPARE(lines, picked);
        QCOMPARE(form->listBox2()->count(), picked.size());
        QVERIFY(sink->messages.isEmpty());
    }

    void messageBoxesShowTheirTextAsWritten() {
        dorimek::platform::MessageBoxSink boxes;
        const QString text = QStringLiteral("<S>ロキソニン</S>がリストにありません");
        bool plain = false;
        QString shown;
        QTimer::singleShot(0, [&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                    plain = box->textFormat() == Qt::PlainText;
                    shown = box->text();
                    box->accept();
                }
            }
        });
        boxes.showMessage(text, QString());
        QVERIFY(plain);
        QCOMPARE(shown, text);
    }

    void clearAllKeepsUsageBoxes() {
        auto form = openShown();
        clickRow(form->listBox1(), 5);
        clickRow(form->listBox1(), 6);
        form->comboBox(1)->setEditText(QStringLiteral("朝"));
        QTest::mouseClick(form->button(49), Qt::LeftButton);
        QCOMPARE(form->prescription().lineCount(), 0);
        QCOMPARE(form->listBox2()->count(), 0);
        for (int n = 1; n <= 24; ++n) QCOMPARE(form->prescription().masterIndex(n), 0);
        QCOMPARE(form->comboBox(1)->currentText(), QStringLiteral("朝"));
        clickRow(form->listBox1(), 7);
        QCOMPARE(form->prescription().masterIndex(1), 7);
        QCOMPARE(form->usageText(1), sjis("朝"));
    }

    void twentyFifthLineIsRefused() {
        auto form = openShown();
        for (int i = 0; i < 24; ++i)
            form->appendKnownLine(form->masterList().at(static_cast<size_t>(i)), i);
        sink->messages.clear();
        clickRow(form->listBox1(), 30);
        QCOMPARE(form->prescription().lineCount(), 24);
        QCOMPARE(form->listBox2()->count(), 24);
        QCOMPARE(form->prescription().masterIndex(24), 23);
        QCOMPARE(sink->messages.size(), 1);
        QVERIFY(sink->messages.first().contains(QStringLiteral("24")));
    }

    void importedStateIsShown() {
        auto form = open();
        auto& state = form->prescriptionState();
        state.appendKnown(sjis("ｶﾛﾅｰﾙ"), 21);
        state.appendUnknown(sjis("未登録薬"));
        form->syncPrescriptionList();
        QCOMPARE(lines(form->listBox2()), (QStringList{"ｶﾛﾅｰﾙ", "未登録薬"}));
        form->setUsageText(2, sjis("朝昼夕 食後"));
        QCOMPARE(form->comboBox(2)->currentText(), QStringLiteral("朝昼夕 食後"));
    }

    void exitClosesTheWindow() {
        auto form = openShown();
        QTest::mouseClick(form->button(53), Qt::LeftButton);
        QVERIFY(!form->isVisible());
    }

    // ------------------------------------------------------------ settings

    void settingsReadAndSavedBack() {
        QDir(dir->path()).mkdir(QStringLiteral("qev"));
        writeBytes(path("sorbenk.ini"), "prindex=-1\r\nprinter=old\r\nqevpath=qev/\r\n" +
                                            sjis("clinic=山田医院\r\ntel=03-1234-5678\r\n") +
                                            "prev=1\r\nstyle=2\r\n" +
                                            sjis("usage=@朝,@昼,@夕,\r\n"));
        auto form = open();
        // The printer stored by name can't be checked without a spooler.
        if (noPrinters()) QCOMPARE(sink->messages, QStringList{dorimek::platform::kSpoolerUnavailable});
        QCOMPARE(form->edit(7)->text(), QStringLiteral("qev/"));
        QCOMPARE(form->edit(8)->text(), QStringLiteral("山田医院"));
        QCOMPARE(form->edit(9)->text(), QStringLiteral("03-1234-5678"));
        QCOMPARE(form->clinicName(), sjis("山田医院"));
        QCOMPARE(form->clinicTel(), std::string("03-1234-5678"));
        QCOMPARE(form->qevWorkPath(), std::string("qev/"));
        QVERIFY(form->previewOnAutoStart());
        QVERIFY(form->checkBox1()->isChecked());
        QVERIFY(form->radioButton(2)->isChecked());
        QCOMPARE(form->printStyle(), 2);
        for (int n = 1; n <= 11; ++n) {
            QCOMPARE(form->comboBox(n)->count(), 3);
            QCOMPARE(form->comboBox(n)->itemText(2), QStringLiteral("夕"));
            QCOMPARE(form->comboBox(n)->currentText(), QString());
        }

        // Twelve kanji and more: once cut off on reading, now kept whole.
        const QString longName = QStringLiteral("医療法人社団山田内科小児科クリニック");
        form->edit(8)->setText(longName);
        form->checkBox1()->setChecked(false);
        form->radioButton(3)->setChecked(true);
        sink->messages.clear();
        QTest::mouseClick(form->button(55), Qt::LeftButton);
        QCOMPARE(sink->messages, QStringList());

        // Nothing chosen in the printer list: the printer in use is written;
        // with no spooler to ask, the stored choice is kept.
        const std::string printer =
            noPrinters() ? std::string("old")
                         : dorimek::platform::fromUnicode(
                               dorimek::platform::PrinterService::instance().nameForIndex(-1));
        QCOMPARE(readBytes(path("sorbenk.ini")),
                 "prindex=-1\r\nprinter=" + printer +
                     "\r\nqevpath=qev/\r\nclinic=" + dorimek::platform::fromUnicode(longName) +
                     "\r\n" + sjis("tel=03-1234-5678\r\n") + "prev=0\r\nstyle=3\r\n" +
                     sjis("usage=@朝,@昼,@夕,\r\n"));
        // What the rest of the system uses stays as read at start.
        QCOMPARE(form->clinicName(), sjis("山田医院"));

        form.reset();
        auto again = open();
        QCOMPARE(again->edit(8)->text(), longName);
        QCOMPARE(again->clinicName(), dorimek::platform::fromUnicode(longName));
        QVERIFY(!again->checkBox1()->isChecked());
        QVERIFY(again->radioButton(3)->isChecked());
        QCOMPARE(again->comboBox(11)->itemText(0), QStringLiteral("朝"));
    }

    void savingWithNoStyleCheckedWritesTheStyleThatPrintsAndSevenLines() {
        // No settings file: nothing checked, no usage line. The sheets print
        // such a state as style 1, so the next start must check style 1.
        // Nothing was read or typed, so no text is stored either.
        auto form = open();
        QTest::mouseClick(form->button(55), Qt::LeftButton);
        const std::string bytes = readBytes(path("sorbenk.ini"));
        QVERIFY(bytes.find("qevpath=\r\nclinic=\r\ntel=\r\nprev=0\r\nstyle=1\r\n") !=
                std::string::npos);
        QCOMPARE(std::count(bytes.begin(), bytes.end(), '\n'), 7);
    }

    void savingRefusesWhatTheFileCantHold_data() {
        QTest::addColumn<int>("edit");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("label");
        QTest::newRow("emoji in the telephone")
            << 9 << QStringLiteral("03-\U0001F600") << QStringLiteral("電話");
        QTest::newRow("line break in the name")
            << 8 << QStringLiteral("a\nb") << QStringLiteral("医院名");
        QTest::newRow("hangul in the path")
            << 7 << QStringLiteral("C:\\한\\") << QStringLiteral("QEVワークパス");
    }
    void savingRefusesWhatTheFileCantHold() {
        QFETCH(int, edit);
        QFETCH(QString, text);
        QFETCH(QString, label);
        const std::string old =
            "prindex=-1\r\nprinter=\r\nqevpath=q\r\nclinic=c\r\ntel=t\r\nprev=0\r\nstyle=1\r\n";
        writeBytes(path("sorbenk.ini"), old);
        auto form = open();
        sink->messages.clear();
        form->edit(edit)->setText(text);
        QTest::mouseClick(form->button(55), Qt::LeftButton);
        QCOMPARE(sink->messages.size(), 1);
        QVERIFY2(sink->messages.first().contains(label), qPrintable(sink->messages.first()));
        QCOMPARE(readBytes(path("sorbenk.ini")), old);
    }

    void aSecondWindowAsksBeforeUndoingTheFirstOnesSave() {
        // A work folder that works here, so that 設定保存 has nothing to say of it.
        writeBytes(path("sorbenk.ini"), "prindex=-1\r\nprinter=\r\nqevpath=" +
                                            (dir->path() + QLatin1Char('/')).toStdString() +
                                            "\r\nclinic=c\r\ntel=t\r\nprev=0\r\nstyle=1\r\n");
        auto first = open();
        auto second = open();
        sink->messages.clear();
        first->edit(8)->setText(QStringLiteral("first"));
        QTest::mouseClick(first->button(55), Qt::LeftButton);
        second->edit(8)->setText(QStringLiteral("second"));
        QTest::mouseClick(second->button(55), Qt::LeftButton);  // cancelled
        QCOMPARE(sink->choices.size(), 1);
        QVERIFY(readBytes(path("sorbenk.ini")).find("clinic=first\r\n") != std::string::npos);
        sink->choiceAnswer = 0;  // 上書きして保存
        QTest::mouseClick(second->button(55), Qt::LeftButton);
        QVERIFY(readBytes(path("sorbenk.ini")).find("clinic=second\r\n") != std::string::npos);
        // Its own save is no change to ask about.
        QTest::mouseClick(second->button(55), Qt::LeftButton);
        QCOMPARE(sink->choices.size(), 2);
        QCOMPARE(sink->messages, QStringList());
    }

    void unwritableSettingsFileIsReported() {
        QDir(dir->path())
            .mkdir(QStringLiteral("sorbenk.ini"));  // a folder where the file should be
        auto form = open();
        sink->messages.clear();
        QTest::mouseClick(form->button(55), Qt::LeftButton);
        QCOMPARE(sink->messages.size(), 1);
        // The fixed text, then why.
        QVERIFY(sink->messages.first().startsWith(QStringLiteral("設定ファイル sorbenk.iniを開けません\n")));
        QVERIFY(sink->messages.first().contains(QStringLiteral("同じ名前のフォルダがあります")));
    }

    // ------------------------------------------------------------ settings from the old PC

    // sorbenk.ini as the old PC and its editors left it, read at start and
    // saved with 設定保存 untouched: the file then holds the settings and
    // nothing else (no caption, no lost usage line), and a work folder that
    // can't work here is named at start and on saving.
    void settingsFromTheOldPcSaveOnlySettings_data() {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QStringList>("fields");  // Edit7 to Edit9 after start
        QTest::addColumn<QString>("atStart");     // in what start-up says; "" nothing
        QTest::addColumn<QByteArray>("saved");    // the file from its qevpath line on
        QTest::addColumn<QString>("atSave");
        auto text = [](const char* qev, const char* clinic = "山田医院",
                       const char* usage = "@朝,@昼,") {
            return std::string("prindex=-1\r\nprinter=\r\nqevpath=") + qev +
                   "\r\nclinic=" + clinic +
                   "\r\ntel=03-1234\r\nprev=1\r\nstyle=2\r\nusage=" + usage + "\r\n";
        };
        auto tail = [&](const char* qev) {
            const std::string t = sjis(text(qev).c_str());
            return QByteArray::fromStdString(t.substr(t.find("qevpath=")));
        };
        const QStringList usual{"qev/", "山田医院", "03-1234"};
        const QByteArray bom("\xEF\xBB\xBF");
        const std::string plain = text("qev/");
        auto row = [](const char* name) -> QTestData& { return QTest::newRow(name); };
        row("BOM + Shift-JIS") << bom + QByteArray::fromStdString(sjis(plain.c_str())) << usual
                               << QString() << tail("qev/") << QString();
        row("BOM + UTF-8") << bom + QByteArray::fromStdString(plain) << usual << QString()
                           << tail("qev/") << QString();
        row("UTF-8 of a newer Notepad")
            << QByteArray::fromStdString(plain) << usual << QString() << tail("qev/") << QString();
        QByteArray loneCr = QByteArray::fromStdString(sjis(plain.c_str()));
        row("lone CR line ends") << loneCr.replace("\r\n", "\r") << usual << QString()
                                 << tail("qev/") << QString();
        // What Shift-JIS can't hold is set aside alone and kept as the file had it.
        row("UTF-8 clinic name Shift-JIS lacks")
            << QByteArray::fromStdString(text("qev/", "\xF0\xA0\xAE\xB7野医院"))
            << QStringList{"qev/", "", "03-1234"}
            << QStringLiteral("医院名「\U00020BB7野医院」の「\U00020BB7」")
            << QByteArray::fromStdString(
                   "qevpath=qev/\r\nclinic=\xF0\xA0\xAE\xB7"
                   "野医院\r\n" +
                   sjis("tel=03-1234\r\nprev=1\r\nstyle=2\r\nusage=@朝,@昼,\r\n"))
            << QString();
        row("UTF-8 usage entry Shift-JIS lacks")
            << QByteArray::fromStdString(text("qev/", "山田医院", "@朝,@\xF0\x9F\x98\x80,"))
            << usual << QStringLiteral("用法「\U0001F600」")
            << QByteArray::fromStdString(
                   sjis("qevpath=qev/\r\nclinic=山田医院\r\ntel=03-1234\r\n") +
                   "prev=1\r\nstyle=2\r\nusage=@\xE6\x9C\x9D,@\xF0\x9F\x98\x80,\r\n")
            << QString();
        // Two-byte UTF-8 alone reads as half-width kana in a Shift-JIS file:
        // kept as it was, it would come back as another text after a save.
        row("UTF-8 clinic name of two-byte characters alone")
            << QByteArray::fromStdString(text("qev/", "Caf\xC3\xA9"))
            << QStringList{"qev/", "", "03-1234"}
            << QStringLiteral("医院名「Café」の「é」（設定保存でファイルから除きます）")
            << QByteArray::fromStdString(
                   sjis("qevpath=qev/\r\nclinic=\r\ntel=03-1234\r\nprev=1\r\nstyle=2\r\n"
                        "usage=@朝,@昼,\r\n"))
            << QString();
        row("UTF-8 usage line of two-byte characters alone")
            << QByteArray::fromStdString(text("qev/", "山田医院", "1x,@\xC3\xA9,"))
            << usual << QStringLiteral("用法「é」の「é」（設定保存でファイルから除きます）")
            << QByteArray::fromStdString(
                   sjis("qevpath=qev/\r\nclinic=山田医院\r\ntel=03-1234\r\n") +
                   "prev=1\r\nstyle=2\r\nusage=1x,\r\n")
            << QString();
        row("file ends after the work folder")
            << QByteArray("prindex=-1\r\nprinter=\r\nqevpath=qev/\r\n")
            << QStringList{"qev/", "", ""} << QString()
            << QByteArray("qevpath=qev/\r\nclinic=\r\ntel=\r\nprev=0\r\nstyle=1\r\n") << QString();
        // Work folders that can't work here, quoted as read.
        const struct {
            const char* name;
            const char* qev;
            const char* why;
        } folders[] = {
            {"Windows drive", "C:\\QEV\\", "（Windows のドライブ名（C:）で始まっています）"},
            {"Windows network place", "\\\\SERVER\\qev\\", "（Windows のネットワーク上の場所"},
            {"drive root", "Z:\\", "（Windows のドライブ名（Z:）で始まっています）"},
            {"empty", "", "（空です）"},
            {"folder that isn't there", "/nonexistent-dorimek/qev/",
             "（このフォルダはありません）"},
        };
        for (const auto& f : folders) {
            const QString quoted =
                QStringLiteral("QEVワークパス「%1」はこのコンピュータでは使えません")
                    .arg(QString::fromUtf8(f.qev));
            row(f.name) << QByteArray::fromStdString(sjis(text(f.qev).c_str()))
                        << QStringList{QString::fromUtf8(f.qev), "山田医院", "03-1234"}
                        << quoted + QString::fromUtf8(f.why) << tail(f.qev)
                        << QStringLiteral("設定を保存しました。ただし、") + quoted;
        }
        row("folder without its final /")
            << QByteArray::fromStdString(sjis(text("qev").c_str())) << usual
            << QStringLiteral("QEVワークパス「qev」の最後に「/」がないため、「qev/」として使います")
            << tail("qev/") << QString();
    }
    void settingsFromTheOldPcSaveOnlySettings() {
        QFETCH(QByteArray, ini);
        QFETCH(QStringList, fields);
        QFETCH(QString, atStart);
        QFETCH(QByteArray, saved);
        QFETCH(QString, atSave);
        QDir(dir->path()).mkdir(QStringLiteral("qev"));
        writeBytes(path("sorbenk.ini"), ini.toStdString());
        auto form = open();
        auto check = [&](const QString& expected, const char* when) {
            const QString all = sink->messages.join(QLatin1Char('\n'));
            const bool about = all.contains(QStringLiteral("QEVワークパス")) ||
                               all.contains(QStringLiteral("sorbenk.ini")) ||
                               all.contains(QStringLiteral("UTF-8"));
            QVERIFY2(expected.isEmpty() ? !about : all.contains(expected),
                     qPrintable(QString::fromUtf8(when) + QStringLiteral(": ") + all));
        };
        check(atStart, "at start");
        for (int i = 0; i < 3; ++i) QCOMPARE(form->edit(7 + i)->text(), fields.at(i));
        QCOMPARE(form->qevWorkPath(), dorimek::platform::fromUnicode(fields.at(0)));

        sink->messages.clear();
        QTest::mouseClick(form->button(55), Qt::LeftButton);
        check(atSave, "on saving");
        const std::string written = readBytes(path("sorbenk.ini"));
        const size_t at = written.find("qevpath=");
        QVERIFY(at != std::string::npos);
        QCOMPARE(QByteArray::fromStdString(written.substr(at)), saved);
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
