#include "masterfile/Hensyuu.h"

#include "main/DrugRecordEditor.h"
#include "masterfile/GridRows.h"
#include "platform/Sjis.h"

#include "RecordingMessageSink.h"
#include "TestFiles.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

using dorimek::masterfile::GridRows;
using dorimek::masterfile::TForm2;
using dorimek::testing::readBytes;
using dorimek::testing::RecordingMessageSink;
using dorimek::testing::sjis;
using dorimek::testing::writeBytes;

namespace {

// "A,a,,,,,,\r\nB,b,,,,,,\r\n..." for the given names.
std::string fileOf(const QStringList& names) {
    std::string bytes;
    for (const QString& n : names)
        bytes += dorimek::platform::fromUnicode(n) + "," + n.toLower().toStdString() + ",,,,,,\r\n";
    return bytes;
}

QStringList column0(QTableWidget* grid, int rows) {
    QStringList out;
    for (int r = 0; r < rows; ++r) out << (grid->item(r, 0) ? grid->item(r, 0)->text() : QString());
    return out;
}

QWidget* nextTabStop(QWidget* w) {
    do {
        w = w->nextInFocusChain();
    } while (!(w->focusPolicy() & Qt::TabFocus));
    return w;
}

}  // namespace

class HensyuuTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir dir_;
    QString path_;
    std::unique_ptr<RecordingMessageSink> sink_;
    std::vector<std::vector<std::string>> rebuilds_;
    dorimek::masterfile::MasterRewrite lastRewrite_;

    std::unique_ptr<TForm2> open(const std::string& bytes) {
        writeBytes(path_, bytes);
        return openExisting();
    }
    std::unique_ptr<TForm2> openExisting() {
        auto form = std::make_unique<TForm2>(
            [this](const dorimek::masterfile::MasterRewrite& saved) {
                rebuilds_.push_back(saved.names().toVector());
                lastRewrite_ = saved;
            },
            nullptr,
            path_);
        form->show();
        return form;
    }
    static void setCell(TForm2& form, int r, int c, const QString& text) {
        form.StringGrid1->setItem(r, c, new QTableWidgetItem(text));
    }

  private slots:
    void init() {
        path_ = dir_.filePath(QStringLiteral("yakujo.txt"));
        QFile::remove(path_);
        sink_ = std::make_unique<RecordingMessageSink>();
        rebuilds_.clear();
    }
    void cleanup() { sink_.reset(); }

    void windowLayout() {
        auto form = open(fileOf({"A"}));
        QCOMPARE(form->windowTitle(), QStringLiteral("薬情ファイル編集"));
        QCOMPARE(form->StringGrid1->columnCount(), 8);
        QCOMPARE(form->StringGrid1->rowCount(), 500);
        QVERIFY(form->StringGrid1->horizontalHeader()->isHidden());
        QVERIFY(form->StringGrid1->verticalHeader()->isHidden());
        const int widths[] = {100, 100, 30, 50, 50, 300, 300, 50};
        for (int c = 0; c < 8; ++c) QCOMPARE(form->StringGrid1->columnWidth(c), widths[c]);
        QCOMPARE(form->Button1->text(), QStringLiteral("行挿入"));
        QCOMPARE(form->Button2->text(), QStringLiteral("行削除"));
        QCOMPARE(form->Button3->text(), QStringLiteral("保存して終了"));
        QCOMPARE(form->Button4->text(), QStringLiteral("中止"));
        QCOMPARE(form->Button4->geometry(), QRect(352, 544, 73, 25));
        QCOMPARE(nextTabStop(form->StringGrid1), form->Button1);
        QCOMPARE(nextTabStop(form->Button1), form->Button2);
        QCOMPARE(nextTabStop(form->Button2), form->Button3);
        QCOMPARE(nextTabStop(form->Button3), form->Button4);
        QVERIFY(!form->testAttribute(Qt::WA_DeleteOnClose));
        QCOMPARE(form->font().pixelSize(), 12);
    }

    void loadsFieldsIntoCells() {
        auto form =
            open(sjis("ｱﾑﾛ,アムロ錠,錠,AM1,10mg,血圧,眠気,am.jpg\r\nソ表,ポ\r\n最後 ,,,,,,,x"));
        QCOMPARE(form->StringGrid1->item(0, 1)->text(), QStringLiteral("アムロ錠"));
        QCOMPARE(form->StringGrid1->item(0, 7)->text(), QStringLiteral("am.jpg"));
        QCOMPARE(form->StringGrid1->item(1, 0)->text(), QStringLiteral("ソ表"));
        QVERIFY(!form->StringGrid1->item(1, 2));
        QCOMPARE(form->StringGrid1->item(2, 0)->text(), QStringLiteral("最後 "));
        QCOMPARE(form->StringGrid1->item(2, 7)->text(), QStringLiteral("x"));
        QVERIFY(sink_->messages.isEmpty());
    }

    void missingFileShowsMessageAndEmptyGrid() {
        auto form = openExisting();
        QCOMPARE(sink_->messages.size(), 1);
        QVERIFY(sink_->messages[0].contains(QStringLiteral("yakujo.txt")));
        QCOMPARE(form->StringGrid1->rowCount(), 500);
        QVERIFY(!form->StringGrid1->item(0, 0));
    }

    void currentIsTheNewest() {
        auto first = open(fileOf({"A"}));
        QCOMPARE(TForm2::current(), first.get());
        auto second = openExisting();
        QCOMPARE(TForm2::current(), second.get());
        second.reset();
        QVERIFY(!TForm2::current());
    }

    void insertRow_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("first") << 0 << QStringList{"", "A", "B", "C", ""};
        QTest::newRow("middle") << 1 << QStringList{"A", "", "B", "C", ""};
        QTest::newRow("last data row") << 2 << QStringList{"A", "B", "", "C", ""};
        QTest::newRow("below the data") << 3 << QStringList{"A", "B", "C", "", ""};
    }
    void insertRow() {
        QFETCH(int, row);
        QFETCH(QStringList, expected);
        auto form = open(fileOf({"A", "B", "C"}));
        form->StringGrid1->setCurrentCell(row, 2);
        form->Button1Click();
        QCOMPARE(form->StringGrid1->rowCount(), 501);
        QCOMPARE(column0(form->StringGrid1, 5), expected);
        QCOMPARE(form->StringGrid1->currentRow(), row);
        // The moved rows keep all their cells.
        const int movedB = row <= 1 ? 2 : 1;
        QCOMPARE(form->StringGrid1->item(movedB, 1)->text(), QStringLiteral("b"));
    }

    void insertOnTheVeryLastRowGrowsTheGrid() {
        auto form = open(fileOf({"A"}));
        setCell(*form, 499, 0, QStringLiteral("Z"));
        form->StringGrid1->setCurrentCell(499, 0);
        form->Button1Click();
        QCOMPARE(form->StringGrid1->rowCount(), 501);
        QVERIFY(!form->StringGrid1->item(499, 0));
        QCOMPARE(form->StringGrid1->item(500, 0)->text(), QStringLiteral("Z"));
        form->Button1Click();
        QCOMPARE(form->StringGrid1->rowCount(), 502);
    }

    void deleteRow_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("first") << 0 << QStringList{"B", "C", "", ""};
        QTest::newRow("middle") << 1 << QStringList{"A", "C", "", ""};
        QTest::newRow("last data row") << 2 << QStringList{"A", "B", "", ""};
        QTest::newRow("below the data") << 5 << QStringList{"A", "B", "C", ""};
    }
    void deleteRow() {
        QFETCH(int, row);
        QFETCH(QStringList, expected);
        auto form = open(fileOf({"A", "B", "C"}));
        form->StringGrid1->setCurrentCell(row, 0);
        form->Button2Click();
        QCOMPARE(form->StringGrid1->rowCount(), 500);
        QCOMPARE(column0(form->StringGrid1, 4), expected);
    }

    void deleteTheGridsLastRowEmptiesIt() {
        auto form = open(fileOf({"A"}));
        setCell(*form, 499, 3, QStringLiteral("x"));
        form->StringGrid1->setCurrentCell(499, 3);
        form->Button2Click();
        QCOMPARE(form->StringGrid1->rowCount(), 500);
        QVERIFY(!form->StringGrid1->item(499, 3));
        QCOMPARE(form->StringGrid1->item(0, 0)->text(), QStringLiteral("A"));
    }

    void saveWritesCrLfAndRebuildsTheMasterList() {
        auto form = open(sjis("ｱﾑﾛ,アムロ錠,錠,AM1,10mg,血圧,眠気,am.jpg\nB,b,,,,,,\nC,c,,,,,,"));
        form->StringGrid1->setCurrentCell(1, 0);
        form->Button1Click();
        setCell(*form, 1, 0, QStringLiteral("新 "));
        setCell(*form, 1, 5, QStringLiteral("ポ表ソ"));
        form->Button3Click();
        QCOMPARE(readBytes(path_), sjis("ｱﾑﾛ,アムロ錠,錠,AM1,10mg,血圧,眠気,am.jpg\r\n新 "
                                        ",,,,,ポ表ソ,,\r\nB,b,,,,,,\r\nC,c,,,,,,\r\n"));
        QCOMPARE(rebuilds_.size(), size_t(1));
        QCOMPARE(rebuilds_[0], (std::vector<std::string>{sjis("ｱﾑﾛ"), sjis("新 "), "B", "C"}));
        QVERIFY(!form->isVisible());
        QVERIFY(sink_->messages.isEmpty());
    }

    // A file with what a plain Unicode round trip would change or refuse:
    // twin codes of 纊 (0xED40, 0xFA5C), a code with no character (0x85 0x40),
    // 0x5C and 0x7C trail bytes, a CR CR LF line end and no last line end.
    void uneditedSaveWritesTheFileItOpened() {
        const std::string lines[] = {
            "\xED\x40,\xED\x40" + sjis("錠") + ",,,,,,",
            "\xFA\x5C,\xFA\x5C" + sjis("錠") + ",,,,,,",
            sjis("ソ表ポ,未割当") + "\x85\x40" + sjis(",,,,,,so.jpg") + "\r",
            sjis("ｶﾞｽﾀｰ,ガスター,錠,,,,,"),
            // A damaged name far past any field: shown cut, not editable, kept whole.
            std::string(7000, '\xC5') + sjis(",長い名前,,,,,,"),
        };
        const std::string file = lines[0] + "\r\n" + lines[1] + "\r\n" + lines[2] + "\r\n" +
                                 lines[3] + "\r\n" + lines[4];
        auto form = open(file);
        const QTableWidgetItem* longName = form->StringGrid1->item(4, 0);
        QCOMPARE(longName->text(), QString(6300, QChar(u'ﾅ')) + QChar(0x2026));
        QVERIFY(!(longName->flags() & Qt::ItemIsEditable));
        form->Button3Click();
        QVERIFY2(sink_->messages.isEmpty(), qPrintable(sink_->messages.join(u'|')));
        QCOMPARE(readBytes(path_), file + "\r\n");

        // Rows inserted and deleted around them: each record keeps its own
        // bytes, and the save tells where every loaded record went.
        form = openExisting();
        form->StringGrid1->setCurrentCell(0, 0);
        form->Button2Click();  // the 0xED40 record goes
        form->StringGrid1->setCurrentCell(1, 0);
        form->Button1Click();
        setCell(*form, 1, 0, QStringLiteral("新"));
        setCell(*form, 2, 4, QStringLiteral("1g"));  // ソ表ポ edited beside its unassigned code
        form->Button3Click();
        QVERIFY2(sink_->messages.isEmpty(), qPrintable(sink_->messages.join(u'|')));
        QCOMPARE(readBytes(path_), lines[1] + "\r\n" + sjis("新,,,,,,,") + "\r\n" +
                                       sjis("ソ表ポ,未割当") + "\x85\x40" + sjis(",,,1g,,,so.jpg") +
                                       "\r\r\n" + lines[3] + "\r\n" + lines[4] + "\r\n");
        QCOMPARE(lastRewrite_.origins, (std::vector<int>{1, -1, 2, 3, 4}));
        QCOMPARE(lastRewrite_.newNumberOf(0), std::optional<int>());
        QCOMPARE(lastRewrite_.newNumberOf(2), std::optional<int>(2));
    }

    void typedTextReachesTheFile_data() {
        QTest::addColumn<bool>("pressReturn");
        QTest::newRow("Return ends the edit") << true;
        QTest::newRow("saved while still editing") << false;
    }
    void typedTextReachesTheFile() {
        QFETCH(bool, pressReturn);
        auto form = open(fileOf({"A"}));
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        form->StringGrid1->setFocus();
        form->StringGrid1->setCurrentCell(1, 0);
        // The first key opens the cell editor in place; the rest go to it.
        QTest::keyClick(form->StringGrid1, 'N');
        QVERIFY(qobject_cast<QLineEdit*>(QApplication::focusWidget()));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("ew"));
        if (pressReturn) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QTRY_VERIFY(form->StringGrid1->item(1, 0));
        }
        form->Button3Click();
        QCOMPARE(readBytes(path_), std::string("A,a,,,,,,\r\nNew,,,,,,,\r\n"));
    }

    void sixHundredRecordsOpenAndSaveWhole() {
        QStringList names;
        for (int i = 0; i < 600; ++i) names << QStringLiteral("D%1").arg(i);
        const std::string original = fileOf(names);
        auto form = open(original);
        QCOMPARE(form->StringGrid1->rowCount(), 600);
        QCOMPARE(form->StringGrid1->item(599, 0)->text(), QStringLiteral("D599"));
        form->Button3Click();
        QCOMPARE(readBytes(path_), original);
        QCOMPARE(rebuilds_.at(0).size(), size_t(600));
    }

    void exactlyFiveHundredRecordsSaveWhole() {
        QStringList names;
        for (int i = 0; i < 500; ++i) names << QStringLiteral("E%1").arg(i);
        auto form = open(fileOf(names));
        QCOMPARE(form->StringGrid1->rowCount(), 500);
        form->Button3Click();
        QCOMPARE(readBytes(path_), fileOf(names));
    }

    void refusals_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("mention");
        QTest::newRow("comma") << 1 << 1 << QStringLiteral("a,b")
                               << QStringLiteral("2 行目の「表示名」");
        QTest::newRow("LF") << 0 << 6 << QStringLiteral("a\nb")
                            << QStringLiteral("1 行目の「注意」");
        QTest::newRow("CR") << 2 << 7 << QStringLiteral("p\r")
                            << QStringLiteral("3 行目の「画像ファイル」");
        QTest::newRow("not in code page 932") << 1 << 5 << QString::fromUtf8("\xF0\x9F\x92\x8A")
                                              << QStringLiteral("2 行目の「効能」");
        QTest::newRow("name emptied mid-file")
            << 1 << 0 << QString() << QStringLiteral("2 行目は「登録名」が空");
        QTest::newRow("data without a name")
            << 3 << 2 << QStringLiteral("mg") << QStringLiteral("4 行目");
        QTest::newRow("data below an empty row")
            << 4 << 0 << QStringLiteral("Z") << QStringLiteral("5 行目");
    }
    void refusals() {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QString, text);
        QFETCH(QString, mention);
        const std::string original = fileOf({"A", "B", "C"});
        auto form = open(original);
        setCell(*form, row, column, text);
        form->Button3Click();
        QCOMPARE(sink_->messages.size(), 1);
        QVERIFY2(sink_->messages[0].contains(mention), qPrintable(sink_->messages[0]));
        QCOMPARE(readBytes(path_), original);
        QVERIFY(rebuilds_.empty());
        QVERIFY(form->isVisible());
        // The user's edit is still there to correct.
        QCOMPARE(form->StringGrid1->item(row, column) ? form->StringGrid1->item(row, column)->text()
                                                      : QString(),
                 text);
    }

    void emptyGridNeedsConfirmation() {
        const std::string original = fileOf({"A", "B"});
        auto form = open(original);
        form->StringGrid1->setCurrentCell(0, 0);
        form->Button2Click();
        form->Button2Click();
        sink_->confirmAnswer = false;
        form->Button3Click();
        QCOMPARE(sink_->confirmations.size(), 1);
        QCOMPARE(readBytes(path_), original);
        QVERIFY(form->isVisible());
        QVERIFY(rebuilds_.empty());

        sink_->confirmAnswer = true;
        form->Button3Click();
        QCOMPARE(readBytes(path_), std::string());
        QCOMPARE(rebuilds_.size(), size_t(1));
        QVERIFY(rebuilds_[0].empty());
        QVERIFY(!form->isVisible());
    }

    void failedWriteKeepsTheWindowAndTheMasterList() {
        auto form = open(fileOf({"A", "B"}));
        setCell(*form, 2, 0, QStringLiteral("C"));
        // A folder now stands where the file was: nothing can be written there.
        QVERIFY(QFile::remove(path_));
        QVERIFY(QDir(dir_.path()).mkdir(QStringLiteral("yakujo.txt")));
        sink_->choiceAnswer = 1;  // told the file changed, the user writes anyway
        form->Button3Click();
        QCOMPARE(sink_->choices.size(), 1);
        QCOMPARE(sink_->messages.size(), 1);
        QVERIFY(sink_->messages.first().startsWith(QStringLiteral("ﾌｧｲﾙ yakujo.txt を作成できません\n")));
        QVERIFY(form->isVisible());
        QVERIFY(rebuilds_.empty());
        QCOMPARE(column0(form->StringGrid1, 3), (QStringList{"A", "B", "C"}));
        QVERIFY(QDir(dir_.path()).rmdir(QStringLiteral("yakujo.txt")));
        // Once the obstacle is gone the same window saves.
        form->Button3Click();
        QCOMPARE(readBytes(path_), fileOf({"A", "B"}) + "C,,,,,,,\r\n");
    }

    void unreadableFileAsksBeforeItIsReplaced() {
        // A folder where the file should be: it exists but can't be read.
        QVERIFY(QDir(dir_.path()).mkdir(QStringLiteral("yakujo.txt")));
        auto form = openExisting();
        QCOMPARE(sink_->messages.size(), 1);
        setCell(*form, 0, 0, QStringLiteral("A"));
        sink_->confirmAnswer = false;
        form->Button3Click();
        QCOMPARE(sink_->confirmations.size(), 1);
        QCOMPARE(sink_->messages.size(), 1);
        QVERIFY(form->isVisible());
        QVERIFY(rebuilds_.empty());
        QVERIFY(QDir(dir_.path()).rmdir(QStringLiteral("yakujo.txt")));
    }

    // The grid writes the rows it loaded; whatever was written to the file
    // since must not be undone without the user having chosen so.
    void saveAfterTheFileChanged_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("editGrid");
        QTest::addColumn<int>("answer");  // 0 reload, 1 write anyway, -1 cancel
        QTest::addColumn<bool>("asked");
        QTest::addColumn<QString>("fileAfter");  // whose content the file holds
        QTest::newRow("編集終了, reload") << "edit" << true << 0 << true << "outside";
        QTest::newRow("編集終了, write anyway") << "edit" << true << 1 << true << "grid";
        QTest::newRow("編集終了, cancel") << "edit" << true << -1 << true << "outside";
        QTest::newRow("other program, same size, reload")
            << "program" << true << 0 << true << "outside";
        QTest::newRow("other program, grid unedited") << "program" << false << 1 << true << "grid";
        QTest::newRow("same bytes written again") << "same" << true << -1 << false << "grid";
        QTest::newRow("no change") << "none" << true << -1 << false << "grid";
    }
    void saveAfterTheFileChanged() {
        QFETCH(QString, change);
        QFETCH(bool, editGrid);
        QFETCH(int, answer);
        QFETCH(bool, asked);
        QFETCH(QString, fileAfter);
        const std::string original = "A,a,,,,,,\r\nB,b,,,,,,\r\nC,c,,,,,,\r\n";
        const std::string outside = "A,a,,,,,,\r\nB,z,,,,,,\r\nC,c,,,,,,\r\n";
        auto form = open(original);
        if (editGrid) {
            setCell(*form, 0, 1, QStringLiteral("a2"));
            form->StringGrid1->setCurrentCell(2, 0);
            form->Button2Click();  // C goes
        }
        const std::string grid = editGrid ? "A,a2,,,,,,\r\nB,b,,,,,,\r\n" : original;
        if (change == QLatin1String("edit")) {
            dorimek::masterfile::DrugRecord b;
            b.registeredName = "B";
            b.displayName = "z";
            QVERIFY(dorimek::mainwin::DrugRecordEditor::save(1, "B", b, path_).ok());
        } else if (change == QLatin1String("program")) {
            writeBytes(path_, outside);
        } else if (change == QLatin1String("same")) {
            QFile::remove(path_);
            writeBytes(path_, original);
        }
        QCOMPARE(readBytes(path_),
                 change == QLatin1String("edit") || change == QLatin1String("program") ? outside
                                                                                       : original);
        sink_->choiceAnswer = answer;
        form->Button3Click();

        QCOMPARE(sink_->choices.size(), asked ? 1 : 0);
        if (asked) {
            QCOMPARE(sink_->choiceButtons, (QStringList{QStringLiteral("読み込み直す"),
                                                        QStringLiteral("上書きして保存")}));
            QVERIFY(sink_->choices[0].contains(
                QStringLiteral("yakujo.txt は、この画面で読み込んだ後に変更されました")));
            QVERIFY2(sink_->choices[0].contains(
                         editGrid ? QStringLiteral("まだ保存していない 2 件の変更")
                                  : QStringLiteral("まだ何も変更していません")),
                     qPrintable(sink_->choices[0]));
        }
        QCOMPARE(readBytes(path_), fileAfter == QLatin1String("grid") ? grid : outside);
        const bool written = fileAfter == QLatin1String("grid");
        QCOMPARE(form->isVisible(), !written);
        QCOMPARE(rebuilds_.size(), size_t(written ? 1 : 0));
        // Reloaded: the grid shows the file, and its next save asks nothing.
        const QString b1 = form->StringGrid1->item(1, 1)->text();
        if (answer == 0) {
            QCOMPARE(b1, QStringLiteral("z"));
            QCOMPARE(form->StringGrid1->item(2, 0)->text(), QStringLiteral("C"));
            form->Button3Click();
            QCOMPARE(sink_->choices.size(), 1);
            QCOMPARE(readBytes(path_), outside);
            QVERIFY(!form->isVisible());
        } else if (answer == -1 && asked) {
            QCOMPARE(form->StringGrid1->item(0, 1)->text(), QStringLiteral("a2"));
        }
        QVERIFY(sink_->messages.isEmpty());
    }

    void cancelAndCloseLeaveTheFileAlone() {
        const std::string original = sjis("A,a,,,,,,\r\nB,b,,,,,,");
        auto form = open(original);
        setCell(*form, 0, 0, QStringLiteral("changed"));
        form->Button4Click();
        QVERIFY(!form->isVisible());
        auto other = openExisting();
        setCell(*other, 1, 0, QStringLiteral("changed"));
        other->close();
        QCOMPARE(readBytes(path_), original);
        QVERIFY(rebuilds_.empty());
        QVERIFY(sink_->messages.isEmpty());
    }
};

QTEST_MAIN(HensyuuTest)
#include "HensyuuTest.moc"
