// Every way the main window and the grid editor can be closed, with and
// without unsaved edits: who is asked, what closes, what is kept for the next
// start. Real files in a temporary program folder; real signals.
#include "main/Main.h"
#include "main/MainMessages.h"
#include "masterfile/GridRecovery.h"
#include "masterfile/Hensyuu.h"
#include "platform/Sjis.h"
#include "platform/TerminationSignals.h"

#include "RecordingMessageSink.h"
#include "TestFiles.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <memory>

using dorimek::mainwin::TForm3;
using dorimek::masterfile::GridRecovery;
using dorimek::masterfile::TForm2;
using dorimek::testing::readBytes;
using dorimek::testing::RecordingMessageSink;
using dorimek::testing::sjis;
using dorimek::testing::writeBytes;

namespace {

std::string master() {
    return sjis(
        "ｱﾑﾛｼﾞﾋﾟﾝ錠5mg,アムロジピン錠5mg,錠,白色錠,5mg,血圧,めまい,\r\n"
        "ﾚﾊﾞﾐﾋﾟﾄﾞ錠100mg,レバミピド錠100mg,錠,白色錠,100mg,胃,発疹,\r\n");
}

// A comma, a line break and a character code page 932 lacks: a save would
// refuse it, the recovery file must keep it as typed.
const QString kTrickyCell = QString::fromUtf8("血圧を下げます,朝\r\n夕\U0001F600");

}  // namespace

class ClosePathsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<RecordingMessageSink> sink;

    QString masterPath() const { return dir->filePath(QStringLiteral("yakujo.txt")); }
    bool recoveryKept() const { return QFileInfo::exists(GridRecovery::pathFor(masterPath())); }
    std::unique_ptr<TForm3> open(QStringList extra = {}) {
        auto form = std::make_unique<TForm3>(QStringList{QStringLiteral("dorimek")} + extra,
                                             dir->path() + QLatin1Char('/'));
        QCoreApplication::processEvents();  // the offer of kept edits, if any
        return form;
    }

  private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        sink = std::make_unique<RecordingMessageSink>();
        writeBytes(masterPath(), master());
    }
    void cleanup() {
        sink.reset();
        dir.reset();
    }

    void closing_data() {
        QTest::addColumn<QString>("window");  // whose closing
        QTest::addColumn<QString>("way");
        QTest::addColumn<QString>("edited");  // grid, drug (個別編集 fields) or none
        QTest::addColumn<bool>("answer");     // to the question, if one comes
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("ended");
        QTest::addColumn<bool>("kept");  // the grid edits in the recovery file

        // clang-format off
        QTest::newRow("grid close box, edited, stay") << "grid" << "closebox" << "grid" << false << true << false << false;
        QTest::newRow("grid close box, edited, drop") << "grid" << "closebox" << "grid" << true << true << true << false;
        QTest::newRow("grid close box, unedited") << "grid" << "closebox" << "none" << false << false << true << false;
        QTest::newRow("grid 中止 is its own answer") << "grid" << "中止" << "grid" << false << false << true << false;
        QTest::newRow("終了, grid edited, stay") << "main" << "終了" << "grid" << false << true << false << false;
        QTest::newRow("終了, grid edited, drop") << "main" << "終了" << "grid" << true << true << true << false;
        QTest::newRow("終了, nothing edited") << "main" << "終了" << "none" << false << false << true << false;
        QTest::newRow("close box, 個別編集 edited, stay") << "main" << "closebox" << "drug" << false << true << false << false;
        QTest::newRow("close box, 個別編集 edited, drop") << "main" << "closebox" << "drug" << true << true << true << false;
        QTest::newRow("close box, 個別編集 loaded only") << "main" << "closebox" << "loaded" << false << false << true << false;
        QTest::newRow("logout, grid edited, stay") << "main" << "logout" << "grid" << false << true << false << false;
        QTest::newRow("logout, grid edited, drop") << "main" << "logout" << "grid" << true << true << true << false;
        QTest::newRow("session ends unasked, grid edited") << "main" << "session" << "grid" << false << false << true << true;
        QTest::newRow("session ends unasked, 個別編集 edited") << "main" << "session" << "drug" << false << false << true << false;
        QTest::newRow("SIGTERM, grid edited") << "main" << "SIGTERM" << "grid" << false << false << true << true;
        QTest::newRow("SIGHUP, grid edited") << "main" << "SIGHUP" << "grid" << false << false << true << true;
        QTest::newRow("SIGTERM, nothing edited") << "main" << "SIGTERM" << "none" << false << false << true << false;
        // clang-format on
    }

    void closing() {
        QFETCH(QString, window);
        QFETCH(QString, way);
        QFETCH(QString, edited);
        QFETCH(bool, answer);
        QFETCH(bool, asked);
        QFETCH(bool, ended);
        QFETCH(bool, kept);

        auto form = open();
        form->show();
        form->appendKnownLine(form->masterList().at(1), 1);
        TForm2* grid = form->openGridEditor();
        QPointer<TForm2> gridAlive(grid);
        if (edited == QLatin1String("grid"))
            grid->StringGrid1->item(1, 1)->setText(QStringLiteral("レバミピドOD錠"));
        if (edited == QLatin1String("drug") || edited == QLatin1String("loaded")) {
            form->listBox2()->setCurrentRow(0);
            form->Button51Click();
            QCOMPARE(form->edit(2)->text(), QStringLiteral("レバミピド錠100mg"));
        }
        if (edited == QLatin1String("drug"))
            form->edit(2)->setText(QStringLiteral("レバミピドOD錠"));
        sink->confirmAnswer = answer;

        bool sessionMayEnd = false;
        if (way == QLatin1String("closebox")) {
            (window == QLatin1String("grid") ? static_cast<QWidget*>(grid) : form.get())->close();
        } else if (way == QStringLiteral("中止")) {
            QTest::mouseClick(grid->Button4, Qt::LeftButton);
        } else if (way == QStringLiteral("終了")) {
            QTest::mouseClick(form->button(53), Qt::LeftButton);
        } else if (way == QLatin1String("logout") || way == QLatin1String("session")) {
            sessionMayEnd = form->answerSessionEnd(way == QLatin1String("logout"));
        } else {
            dorimek::platform::TerminationSignals endSignals;
            QVERIFY(endSignals.installed());
            int received = 0;
            connect(&endSignals, &dorimek::platform::TerminationSignals::received, form.get(),
                    [&](int number) {
                        received = number;
                        form->endUnasked();
                    });
            const int number = way == QLatin1String("SIGTERM") ? SIGTERM : SIGHUP;
            ::raise(number);
            QTRY_COMPARE_WITH_TIMEOUT(received, number, 30000);
        }

        // Once, by whoever closes first: the rest follow the answer.
        QCOMPARE(sink->confirmations.size(), asked ? 1 : 0);
        if (asked) {
            const QString question = sink->confirmations.first();
            QVERIFY(question.contains(edited == QLatin1String("drug") ? QStringLiteral("個別編集")
                                                                      : QStringLiteral("保存")));
        }
        if (way == QLatin1String("logout") || way == QLatin1String("session"))
            QCOMPARE(sessionMayEnd, ended);
        else if (window == QLatin1String("grid"))
            QCOMPARE(!grid->isVisible(), ended);
        else
            QCOMPARE(!form->isVisible(), ended);
        // Nothing reached yakujo.txt without the user's own save.
        QCOMPARE(readBytes(masterPath()), master());
        QCOMPARE(recoveryKept(), kept);
        if (kept) {
            const auto grids = GridRecovery::read(masterPath());
            QVERIFY(grids.ok());
            QCOMPARE(grids->size(), size_t(1));
            QCOMPARE(grids->front().rows.row(1)[1], QStringLiteral("レバミピドOD錠"));
        }
        // A closed editor is freed once the event loop comes round.
        if (!grid->isVisible() && window == QLatin1String("grid")) {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(!gridAlive);
        }
    }

    void keptEditsAtTheNextStart_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("choice");  // 0 restore, 1 discard, -1 cancel
        QTest::addColumn<bool>("offered");
        QTest::addColumn<bool>("restored");
        QTest::addColumn<bool>("keptAfter");

        QTest::newRow("restore") << QStringList{} << 0 << true << true << true;
        QTest::newRow("discard") << QStringList{} << 1 << true << false << false;
        QTest::newRow("cancel asks again next time")
            << QStringList{} << -1 << true << false << true;
        QTest::newRow("auto run asks nothing")
            << QStringList{QStringLiteral("auto")} << 0 << false << false << true;
    }

    void keptEditsAtTheNextStart() {
        QFETCH(QStringList, arguments);
        QFETCH(int, choice);
        QFETCH(bool, offered);
        QFETCH(bool, restored);
        QFETCH(bool, keptAfter);

        // A run ended by a signal with an edit in the grid...
        {
            auto first = open();
            TForm2* grid = first->openGridEditor();
            grid->StringGrid1->item(0, 5)->setText(kTrickyCell);
            first->endUnasked();
        }
        QVERIFY(recoveryKept());
        sink->choiceAnswer = choice;

        // ...and the next start.
        auto form = open(arguments);
        QCOMPARE(!sink->choices.isEmpty(), offered);
        if (offered) {
            QCOMPARE(sink->choiceButtons,
                     (QStringList{dorimek::mainwin::messages::kRestoreUnsaved,
                                  dorimek::mainwin::messages::kDiscardUnsaved}));
        }
        TForm2* grid = TForm2::current();
        QCOMPARE(grid != nullptr && grid->isVisible(), restored);
        QCOMPARE(recoveryKept(), keptAfter);
        QCOMPARE(readBytes(masterPath()), master());
        if (!restored) return;
        QCOMPARE(grid->StringGrid1->item(0, 5)->text(), kTrickyCell);
        QCOMPARE(grid->StringGrid1->item(1, 0)->text(), QStringLiteral("ﾚﾊﾞﾐﾋﾟﾄﾞ錠100mg"));
        // Back in the editor they are unsaved edits: closing asks.
        QVERIFY(grid->hasUnsavedEdits());
        sink->confirmAnswer = false;
        grid->close();
        QVERIFY(grid->isVisible());
        // Kept until the user answers for them at the end of the run.
        QVERIFY(recoveryKept());
        sink->confirmAnswer = true;
        form->close();
        QVERIFY(!recoveryKept());
    }

    void restoredRowsOverAChangedFileAskBeforeSaving() {
        {
            auto first = open();
            first->openGridEditor()->StringGrid1->item(0, 1)->setText(
                QStringLiteral("新しい表示名"));
            first->endUnasked();
        }
        // Someone saved the file in between.
        const std::string changed =
            master() + sjis("ﾌｧﾓﾁｼﾞﾝ錠20mg,ファモチジン錠20mg,錠,白色錠,20mg,胃,相談,\r\n");
        writeBytes(masterPath(), changed);
        sink->choiceAnswer = 0;
        auto form = open();
        TForm2* grid = TForm2::current();
        QVERIFY(grid);
        QCOMPARE(grid->StringGrid1->item(0, 1)->text(), QStringLiteral("新しい表示名"));
        sink->choices.clear();
        sink->choiceAnswer = -1;  // neither reload nor overwrite
        QTest::mouseClick(grid->Button3, Qt::LeftButton);
        QCOMPARE(sink->choices.size(), 1);
        QCOMPARE(readBytes(masterPath()), changed);
    }
};

QTEST_MAIN(ClosePathsTest)
#include "ClosePathsTest.moc"
