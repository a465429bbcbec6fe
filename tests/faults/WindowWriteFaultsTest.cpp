// The main window's two saves, "設定保存" and "編集終了", when the write fails
// underneath them: the user sees the message, the file stays as it was, and
// the edit stays open to be saved again.
#include "Faults.h"
#include "main/Main.h"

#include "RecordingMessageSink.h"
#include "TestFiles.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using dorimek::faults::FaultGuard;
using dorimek::mainwin::TForm3;
using dorimek::testing::readBytes;
using dorimek::testing::RecordingMessageSink;
using dorimek::testing::sjis;
using dorimek::testing::writeBytes;

namespace {

const char* const kMaster =
    "ｱﾑﾛｼﾞﾋﾟﾝ錠5mg,アムロジピン錠5mg,錠,白色錠 AML5,5mg PTP100錠,血圧を下げます。,"
    "めまいに注意してください。,\r\n"
    "ﾃﾙﾐｻﾙﾀﾝ錠40mg,テルミサルタン錠40mg,錠,白色割線錠,40mg PTP100錠,血圧を下げます。,"
    "ふらつきに注意。,\r\n";

const char* const kSettings =
    "prindex=-1\r\nprinter=\r\nqevpath=qev/\r\nclinic=さくら内科\r\ntel=0123\r\n"
    "prev=0\r\nstyle=2\r\nuse=@朝,@夕,\r\n";

enum class Fault { FolderImmutable, FileImmutable, WriteLimit };

}  // namespace

Q_DECLARE_METATYPE(Fault)

class WindowWriteFaultsTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<RecordingMessageSink> sink;

    QString path(const char* name) const { return dir->filePath(QLatin1String(name)); }

    std::unique_ptr<TForm3> open() {
        return std::make_unique<TForm3>(QStringList{QStringLiteral("dorimek")},
                                        dir->path() + QLatin1Char('/'));
    }

    // Puts the fault in place for file; false, with the test marked as
    // skipped, when this machine can't make it.
    bool inject(Fault fault, const QString& file, FaultGuard& guard) {
        std::optional<QString> why;
        switch (fault) {
            case Fault::FolderImmutable:
                why = dorimek::faults::makeImmutable(dir->path(), guard);
                break;
            case Fault::FileImmutable:
                why = dorimek::faults::makeImmutable(file, guard);
                break;
            case Fault::WriteLimit:
                // Smaller than either file: no save fits.
                dorimek::faults::limitFileSize(16, guard);
                break;
        }
        if (why) QTest::qSkip(qPrintable(*why), __FILE__, __LINE__);
        return !why;
    }

    static void addFaultRows() {
        QTest::addColumn<Fault>("fault");
        QTest::newRow("folder immutable") << Fault::FolderImmutable;
        QTest::newRow("file immutable") << Fault::FileImmutable;
        QTest::newRow("write limit") << Fault::WriteLimit;
    }

  private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        writeBytes(path("yakujo.txt"), sjis(kMaster));
        writeBytes(path("sorbenk.ini"), sjis(kSettings));
        sink = std::make_unique<RecordingMessageSink>();
    }
    void cleanup() {
        sink.reset();
        dir.reset();
    }

    void settingsSaveFailureIsShown_data() { addFaultRows(); }
    void settingsSaveFailureIsShown() {
        QFETCH(Fault, fault);
        auto form = open();
        const std::string before = readBytes(path("sorbenk.ini"));
        sink->messages.clear();
        {
            FaultGuard guard;
            if (!inject(fault, path("sorbenk.ini"), guard)) return;
            form->Button55Click();  // 設定保存
        }
        QVERIFY(sink->messages.value(sink->messages.size() - 1)
                    .startsWith(QStringLiteral("設定ファイル sorbenk.iniを開けません\n")));
        QVERIFY(readBytes(path("sorbenk.ini")) == before);

        // Once the fault is gone the same command saves.
        sink->messages.clear();
        form->Button55Click();
        QVERIFY(!sink->messages.contains(QStringLiteral("設定ファイル sorbenk.iniを開けません")));
    }

    void recordSaveFailureIsShown_data() { addFaultRows(); }
    void recordSaveFailureIsShown() {
        QFETCH(Fault, fault);
        auto form = open();
        QCOMPARE(form->appendKnownLine(form->masterList().at(1), 1),
                 dorimek::prescription::AppendResult::Appended);
        form->listBox2()->setCurrentRow(0);
        form->Button51Click();  // 個別編集
        QVERIFY(form->button52()->isEnabled());

        const std::string before = readBytes(path("yakujo.txt"));
        form->edit(5)->setText(QStringLiteral("40mg PTP140錠"));
        sink->messages.clear();
        {
            FaultGuard guard;
            if (!inject(fault, path("yakujo.txt"), guard)) return;
            form->Button52Click();  // 編集終了
        }
        QCOMPARE(sink->messages.size(), 1);
        QVERIFY2(
            sink->messages.first().startsWith(QStringLiteral("yakujo.txtに保存できませんでした")),
            qPrintable(sink->messages.first()));
        QVERIFY(readBytes(path("yakujo.txt")) == before);
        // The edit is still open: the user saves again once the disk is fine.
        QVERIFY(form->button52()->isEnabled());
        sink->messages.clear();
        form->Button52Click();
        QCOMPARE(sink->messages, QStringList());
        QVERIFY(readBytes(path("yakujo.txt")) != before);
        QVERIFY(!form->button52()->isEnabled());
    }
};

QTEST_MAIN(WindowWriteFaultsTest)
#include "WindowWriteFaultsTest.moc"
