// The keyboard at the front desk: which key moves the focus where and what it
// does, window by window, with the key habits installed as the program does.
#include "main/Main.h"
#include "masterfile/Hensyuu.h"
#include "platform/ButtonKeys.h"
#include "platform/Sjis.h"
#include "preview/Visprev.h"
#include "sheets/engine/PrinterChooserDialog.h"
#include "sheets/engine/ReportPreviewWindow.h"

#include "RecordingMessageSink.h"
#include "TestFiles.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

using dorimek::mainwin::TForm3;
using dorimek::masterfile::TForm2;
using dorimek::testing::readBytes;
using dorimek::testing::RecordingMessageSink;
using dorimek::testing::sjis;
using dorimek::testing::writeBytes;

namespace {

enum class Window { Main, Grid, ScreenPreview, EnginePreview, PrinterDialog };

// What the key must have done besides moving the focus.
enum class Effect {
    None,
    Closed,             // the window is gone from the screen, nothing asked
    Asked,              // a confirmation was asked (and declined): still open
    Saved,              // yakujo.txt rewritten and the window closed
    RowInserted,        // 行挿入 pressed
    PrescriptionEmpty,  // 全消去 pressed
    Style2,             // the second print style is now the checked one
};

const std::string kMaster = sjis("ｱﾑﾛｼﾞﾋﾟﾝ,アムロジピン,錠,白,PTP,血圧,めまい,\r\n"
                                 "ﾛｷｿﾌﾟﾛﾌｪﾝ,ロキソプロフェン,錠,白,PTP,痛み,胃,\r\n");

QWidget* visibleWindowOf(const char* className) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->inherits(className)) return w;
    }
    return nullptr;
}

}  // namespace

Q_DECLARE_METATYPE(Window)
Q_DECLARE_METATYPE(Effect)

class KeyboardTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<RecordingMessageSink> sink_;
    std::unique_ptr<TForm3> main_;

    QString path(const char* name) const { return dir_->filePath(QString::fromLatin1(name)); }

    // The main window with style 3 stored and one drug on the prescription.
    TForm3& mainWindow() {
        main_ = std::make_unique<TForm3>(QStringList{QStringLiteral("dorimek")},
                                         dir_->path() + QLatin1Char('/'));
        main_->show();
        main_->activateWindow();
        if (!QTest::qWaitForWindowActive(main_.get())) qWarning("main window not active");
        main_->listBox1()->setCurrentRow(0);
        return *main_;
    }

    static QWidget* shown(QWidget* w) {
        w->show();
        w->activateWindow();
        if (!QTest::qWaitForWindowActive(w)) qWarning("window not active");
        return w;
    }

  private slots:
    void initTestCase() { dorimek::platform::ButtonKeys::install(*QCoreApplication::instance()); }
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        sink_ = std::make_unique<RecordingMessageSink>();
        writeBytes(path("yakujo.txt"), kMaster);
        writeBytes(path("sorbenk.ini"), sjis("prindex=-1\r\nprinter=\r\nqevpath=qev/\r\n"
                                              "clinic=さくら\r\ntel=1\r\nprev=1\r\nstyle=3\r\n"));
        QDir(dir_->path()).mkdir(QStringLiteral("qev"));
    }
    void cleanup() {
        for (QWidget* w : QApplication::topLevelWidgets()) w->close();
        main_.reset();
        sink_.reset();
        dir_.reset();
    }

    void keys_data() {
        QTest::addColumn<Window>("window");
        QTest::addColumn<QString>("start");  // object name of the focused control
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<QString>("focusAfter");  // empty: not checked
        QTest::addColumn<Effect>("effect");
        const auto row = [](const char* name, Window w, const char* start, int key,
                            Qt::KeyboardModifiers mods, const char* after, Effect effect) {
            QTest::newRow(name) << w << QString::fromLatin1(start) << key << mods
                                << QString::fromLatin1(after) << effect;
        };
        const Qt::KeyboardModifiers none = Qt::NoModifier;
        using W = Window;
        using E = Effect;
        row("main: Tab leaves 効能", W::Main, "Memo1", Qt::Key_Tab, none, "Memo2", E::None);
        row("main: Shift+Tab leaves 注意", W::Main, "Memo2", Qt::Key_Backtab, Qt::ShiftModifier,
            "Memo1", E::None);
        row("main: Return on 全消去", W::Main, "Button49", Qt::Key_Return, none, "Button49",
            E::PrescriptionEmpty);
        row("main: keypad Enter on 全消去", W::Main, "Button49", Qt::Key_Enter,
            Qt::KeypadModifier, "Button49", E::PrescriptionEmpty);
        row("main: Tab reaches the checked style", W::Main, "Button53", Qt::Key_Tab, none,
            "RadioButton3", E::None);
        row("main: arrow changes the style", W::Main, "RadioButton3", Qt::Key_Up, none,
            "RadioButton2", E::Style2);
        row("grid: Tab at the last cell", W::Grid, "last cell", Qt::Key_Tab, none, "Button1",
            E::None);
        row("grid: Tab while editing the last cell", W::Grid, "last cell editing", Qt::Key_Tab,
            none, "Button1", E::None);
        row("grid: Ctrl+Tab", W::Grid, "StringGrid1", Qt::Key_Tab, Qt::ControlModifier,
            "Button1", E::None);
        row("grid: Shift+Tab back from 行挿入", W::Grid, "Button1", Qt::Key_Backtab,
            Qt::ShiftModifier, "StringGrid1", E::None);
        row("grid: Return on 行挿入", W::Grid, "Button1", Qt::Key_Return, none, "",
            E::RowInserted);
        row("grid: Ctrl+S", W::Grid, "edited cell", Qt::Key_S, Qt::ControlModifier, "",
            E::Saved);
        row("grid: Escape while editing drops the edit", W::Grid, "last cell editing",
            Qt::Key_Escape, none, "StringGrid1", E::None);
        row("grid: Escape unchanged", W::Grid, "StringGrid1", Qt::Key_Escape, none, "", E::Closed);
        row("grid: Escape after an edit", W::Grid, "edited cell", Qt::Key_Escape, none, "",
            E::Asked);
        row("screen preview: Escape", W::ScreenPreview, "Button1", Qt::Key_Escape, none, "",
            E::Closed);
        row("screen preview: Return on 終了", W::ScreenPreview, "Button2", Qt::Key_Return, none,
            "", E::Closed);
        row("engine preview: Escape", W::EnginePreview, "fitPageButton", Qt::Key_Escape, none, "",
            E::Closed);
        row("engine preview: Enter on 閉じる", W::EnginePreview, "closeButton", Qt::Key_Enter,
            Qt::KeypadModifier, "", E::Closed);
        row("printer dialog: Return on Cancel", W::PrinterDialog, "Cancel", Qt::Key_Return, none,
            "", E::Closed);
    }

    void keys() {
        QFETCH(Window, window);
        QFETCH(QString, start);
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(QString, focusAfter);
        QFETCH(Effect, effect);

        QWidget* top = nullptr;
        QWidget* focus = nullptr;
        std::unique_ptr<QWidget> owned;
        switch (window) {
            case Window::Main: {
                top = &mainWindow();
                focus = top->findChild<QWidget*>(start);
                break;
            }
            case Window::Grid: {
                auto* grid = new TForm2({}, nullptr, path("yakujo.txt"));
                owned.reset(grid);
                top = shown(grid);
                QTableWidget* cells = grid->StringGrid1;
                focus = cells;
                if (start.startsWith(QLatin1String("last cell"))) {
                    cells->setCurrentCell(cells->rowCount() - 1, cells->columnCount() - 1);
                    if (start.endsWith(QLatin1String("editing"))) {
                        cells->setFocus();
                        cells->editItem(cells->currentItem());
                        if (!cells->currentItem()) {
                            cells->setItem(cells->currentRow(), cells->currentColumn(),
                                           new QTableWidgetItem);
                            cells->editItem(cells->currentItem());
                        }
                        focus = QApplication::focusWidget();
                    }
                } else if (start == QLatin1String("edited cell")) {
                    cells->setCurrentCell(0, 5);
                    cells->setFocus();
                    QTest::keyClicks(cells, QStringLiteral("x"));
                    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                } else if (start != QLatin1String("StringGrid1")) {
                    focus = grid->findChild<QWidget*>(start);
                }
                break;
            }
            case Window::ScreenPreview: {
                top = shown(mainWindow().openScreenPreview());
                focus = top->findChild<QWidget*>(start);
                break;
            }
            case Window::EnginePreview: {
                // The engine's preview runs its own loop: the key goes in from there.
                TForm3& form = mainWindow();
                form.setUseScreenPreview(false);
                bool previewSeen = false;
                QTimer poll;
                QObject::connect(&poll, &QTimer::timeout, [&] {
                    QWidget* preview = visibleWindowOf("dorimek::report::ReportPreviewWindow");
                    if (!preview) return;
                    poll.stop();
                    previewSeen = true;
                    preview->activateWindow();
                    if (!QTest::qWaitForWindowActive(preview)) qWarning("preview not active");
                    QWidget* target = preview->findChild<QWidget*>(start);
                    target->setFocus();
                    QTest::keyClick(target, Qt::Key(key), modifiers);
                    // Ends a loop the key failed to end, so the failure shows.
                    QTimer::singleShot(2000, preview, &QWidget::close);
                });
                poll.start(10);
                QElapsedTimer clock;
                clock.start();
                form.Button38Click();
                QVERIFY(previewSeen);
                QVERIFY2(clock.elapsed() < 1500, "the key did not close the preview");
                return;
            }
            case Window::PrinterDialog: {
                auto* dialog = new dorimek::report::PrinterChooserDialog(
                    {QStringLiteral("A"), QStringLiteral("B")}, QStringLiteral("A"), -1, 1);
                owned.reset(dialog);
                top = shown(dialog);
                for (auto* b : dialog->findChildren<QPushButton*>()) {
                    if (b->text().contains(QStringLiteral("キャンセル")) ||
                        b->text().contains(QLatin1String("Cancel")))
                        focus = b;
                }
                break;
            }
        }
        QVERIFY2(focus, qPrintable(start));
        if (!focus->hasFocus()) focus->setFocus();
        QTRY_VERIFY(focus->hasFocus());
        const std::string fileBefore = readBytes(path("yakujo.txt"));

        QTest::keyClick(focus, Qt::Key(key), modifiers);

        if (!focusAfter.isEmpty()) {
            QWidget* now = QApplication::focusWidget();
            QVERIFY(now);
            QCOMPARE(now->objectName(), focusAfter);
        }
        switch (effect) {
            case Effect::None:
                QVERIFY(top->isVisible());
                QCOMPARE(readBytes(path("yakujo.txt")), fileBefore);
                break;
            case Effect::Closed:
                QVERIFY(!top->isVisible());
                QVERIFY(sink_->confirmations.isEmpty());
                break;
            case Effect::Asked:
                QCOMPARE(sink_->confirmations.size(), 1);
                QVERIFY(top->isVisible());
                break;
            case Effect::Saved:
                QVERIFY(!top->isVisible());
                QVERIFY(readBytes(path("yakujo.txt")) != fileBefore);
                break;
            case Effect::RowInserted:
                QCOMPARE(static_cast<TForm2*>(top)->StringGrid1->rowCount(), 501);
                break;
            case Effect::PrescriptionEmpty:
                QCOMPARE(main_->listBox2()->count(), 0);
                break;
            case Effect::Style2:
                QVERIFY(main_->radioButton(2)->isChecked());
                QCOMPARE(main_->printStyle(), 2);
                break;
        }
        QVERIFY(sink_->messages.isEmpty());
    }

    // A tab that arrives anyway, pasted, is refused when saving as a comma is.
    void pastedTabRefused_data() {
        QTest::addColumn<bool>("grid");
        QTest::addColumn<QString>("message");
        QTest::newRow("個別編集 効能") << false << QStringLiteral("「効能」にタブは使えません。保存しませんでした");
        QTest::newRow("grid cell 注意")
            << true << QStringLiteral("1 行目の「注意」にタブがあります。タブは使えません。");
    }
    void pastedTabRefused() {
        QFETCH(bool, grid);
        QFETCH(QString, message);
        const std::string fileBefore = readBytes(path("yakujo.txt"));
        QApplication::clipboard()->setText(QStringLiteral("食後\tに"));
        std::unique_ptr<TForm2> editor;
        if (grid) {
            editor = std::make_unique<TForm2>(TForm2::RebuildMasterList{}, nullptr,
                                              path("yakujo.txt"));
            shown(editor.get());
            editor->StringGrid1->setCurrentCell(0, 6);
            editor->StringGrid1->setFocus();
            QTest::keyClick(editor->StringGrid1, Qt::Key_F2);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::ControlModifier);
            QVERIFY(editor->isVisible());
        } else {
            TForm3& form = mainWindow();
            form.listBox2()->setCurrentRow(0);
            form.button(51)->click();  // 個別編集 of the line just added
            QVERIFY(form.button52()->isEnabled());
            form.memo1()->setFocus();
            QTest::keyClick(form.memo1(), Qt::Key_V, Qt::ControlModifier);
            QVERIFY(form.memo1()->toPlainText().contains(QLatin1Char('\t')));
            form.button52()->click();
        }
        QCOMPARE(sink_->messages, QStringList{message});
        QCOMPARE(readBytes(path("yakujo.txt")), fileBefore);
    }
};

QTEST_MAIN(KeyboardTest)
#include "KeyboardTest.moc"
