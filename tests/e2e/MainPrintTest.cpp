// "印刷" from the main window, from the on-screen preview and from the
// automatic start, through the private test spooler: which sheet prints, that
// the prescription survives, and that a refused job is told once.
#include "CapturedJobs.h"
#include "main/Main.h"
#include "main/MainMessages.h"
#include "main/SheetForms.h"
#include "platform/PlatformVersion.h"
#include "platform/PrinterService.h"
#include "platform/QueuePaper.h"
#include "platform/Sjis.h"
#include "preview/Visprev.h"
#include "sheets/Yakujo.h"

#include "RecordingMessageSink.h"
#include "TestFiles.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using dorimek::mainwin::SheetForms;
using dorimek::mainwin::TForm3;
using dorimek::testing::CaptureQueue;
using dorimek::testing::extractPdfText;
using dorimek::testing::RecordingMessageSink;
using dorimek::testing::sjis;
using dorimek::testing::writeBytes;

namespace {

std::string masterBytes() {
    return sjis(
        "ｱﾑﾛｼﾞﾋﾟﾝ錠5mg,アムロジピン錠5mg,錠,白色錠 AML5,5mg PTP100錠,血圧を下げます。,"
        "めまいに注意。,\r\n"
        "ﾃﾙﾐｻﾙﾀﾝ錠40mg,テルミサルタン錠40mg,錠,白色割線錠,40mg,血圧を下げます。,注意。,\r\n");
}

int styleThatRan() {
    int ran = 0;
    for (int style = 1; style <= 3; ++style) {
        const dorimek::sheets::TForm1* sheet = SheetForms::current(style);
        if (sheet && sheet->Yakujorep.lastDocument()) ran = ran == 0 ? style : -1;
    }
    return ran;
}

}  // namespace

class MainPrintTest : public QObject {
    Q_OBJECT

  private:
    CaptureQueue queue;
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<RecordingMessageSink> sink;
    int run = 0;

    // A clinic name of its own for every window, to find its jobs by.
    QString clinic;

    // Queues of this test's own, removed again in cleanup() so that the other
    // tests see the fixture as it was.
    QStringList extraQueues;

    static bool spooler(const QString& command, const QStringList& args) {
        QProcess p;
        p.start(command,
                QStringList{QStringLiteral("-h"), qEnvironmentVariable("CUPS_SERVER")} + args);
        return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit &&
               p.exitCode() == 0;
    }
    // A queue that keeps its jobs in a folder of its own, emptied first: a
    // spooler started again numbers its jobs from 1 again.
    bool addQueue(const QString& name) {
        const CaptureQueue own(QStringLiteral("capture-") + name);
        extraQueues << name;
        return QDir(own.path()).removeRecursively() && QDir().mkpath(own.path()) &&
               spooler(QStringLiteral("lpadmin"),
                       {QStringLiteral("-p"), name, QStringLiteral("-E"), QStringLiteral("-v"),
                        QStringLiteral("capture:") + own.path(), QStringLiteral("-m"),
                        QStringLiteral("raw")});
    }
    static bool removeQueue(const QString& name) {
        return spooler(QStringLiteral("lpadmin"), {QStringLiteral("-x"), name});
    }

    void writeSettings(int printerIndex, bool prev, int style, const QString& printer = {}) {
        clinic = QStringLiteral("印刷検証%1-%2").arg(QCoreApplication::applicationPid()).arg(++run);
        std::string ini = "prindex=" + std::to_string(printerIndex) +
                          "\r\nprinter=" + printer.toStdString() +
                          "\r\nqevpath=" + dir->path().toStdString() +
                          "/\r\nclinic=" + dorimek::platform::fromUnicode(clinic) +
                          "\r\ntel=0123\r\nprev=" + (prev ? "1" : "0") + "\r\n";
        if (style) ini += "style=" + std::to_string(style) + "\r\n";
        writeBytes(dir->filePath(QStringLiteral("sorbenk.ini")), ini);
    }
    std::unique_ptr<TForm3> open(QStringList extra = {}) {
        QStringList args{QStringLiteral("dorimek")};
        args += extra;
        auto form = std::make_unique<TForm3>(args, dir->path() + QLatin1Char('/'));
        for (int style = 1; style <= 3; ++style)
            SheetForms::create(style, *form, form->sheetSettings(), form.get());
        return form;
    }
    // The texts of the one page of a job.
    static QStringList pageWords(const QString& job) {
        const auto text = extractPdfText(job);
        if (!text.error.isEmpty() || text.pages.size() != 1) return {};
        return text.pages.first().texts();
    }

  private slots:
    void initTestCase() {
        if (const QString why = queue.unavailableReason(); !why.isEmpty()) QSKIP(qPrintable(why));
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty(),
                 "pdftotext is needed to read the printed sheets (package poppler-utils)");
        QCOMPARE(dorimek::platform::PrinterService::instance().nameForIndex(0),
                 QStringLiteral("capture"));
    }
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        sink = std::make_unique<RecordingMessageSink>();
        writeBytes(dir->filePath(QStringLiteral("yakujo.txt")), masterBytes());
        dorimek::platform::overrideMajorVersion(5);
    }
    void cleanup() {
        for (const QString& name : std::as_const(extraQueues)) {
            spooler(QStringLiteral("cupsenable"), {name});
            removeQueue(name);
        }
        extraQueues.clear();
        dorimek::platform::PrinterService::instance().refresh();
        sink.reset();
        dir.reset();
        dorimek::platform::overrideMajorVersion(std::nullopt);
    }

    void printUsesTheCheckedStyleAndKeepsThePrescription_data() {
        QTest::addColumn<int>("stored");  // 0: no style stored, none checked
        QTest::addColumn<int>("style");
        QTest::addColumn<QStringList>("headers");  // column headings the sheet must have
        QTest::addColumn<QStringList>("absent");
        QTest::newRow("none checked")
            << 0 << 1 << QStringList{"効能", "注意"} << QStringList{"外観", "用法"};
        QTest::newRow("画像あり用法なし") << 2 << 2 << QStringList{"外観"} << QStringList{"用法"};
        QTest::newRow("画像あり用法あり") << 3 << 3 << QStringList{"外観", "用法"} << QStringList{};
    }
    void printUsesTheCheckedStyleAndKeepsThePrescription() {
        QFETCH(int, stored);
        QFETCH(int, style);
        QFETCH(QStringList, headers);
        QFETCH(QStringList, absent);
        writeSettings(0, false, stored);
        auto form = open();
        form->appendKnownLine(form->masterList().at(1), 1);
        form->appendKnownLine(form->masterList().at(0), 0);
        form->setUsageText(1, sjis("朝昼夕 食後"));
        sink->messages.clear();

        const QSet<QString> before = queue.jobs();
        QTest::mouseClick(form->button(40), Qt::LeftButton);
        QCOMPARE(sink->messages, QStringList());
        QCOMPARE(styleThatRan(), style);

        const QString job = queue.waitForJob(before, clinic);
        QVERIFY2(!job.isEmpty(), "the job did not reach the spooler");
        const QStringList words = pageWords(job);
        for (const QString& h : headers) QVERIFY2(words.contains(h), qPrintable(h));
        for (const QString& h : absent) QVERIFY2(!words.contains(h), qPrintable(h));
        // Names may wrap inside their cell: look at the text run together.
        const QString text = words.join(QString());
        QVERIFY(text.indexOf(QStringLiteral("テルミサルタン錠40mg")) >= 0);
        QVERIFY(text.indexOf(QStringLiteral("テルミサルタン錠40mg")) <
                text.indexOf(QStringLiteral("アムロジピン錠5mg")));
        QCOMPARE(words.contains(QStringLiteral("朝昼夕")), style == 3);

        // Printing only reads the prescription.
        const auto& p = form->prescription();
        QCOMPARE(p.lineCount(), 2);
        QCOMPARE(p.masterIndex(1), 1);
        QCOMPARE(p.masterIndex(2), 0);
        QCOMPARE(form->listBox2()->count(), 2);
        QCOMPARE(form->usageText(1), sjis("朝昼夕 食後"));
    }

    void printingTwiceGivesTwoEqualSheets() {
        writeSettings(0, false, 2);
        auto form = open();
        form->appendKnownLine(form->masterList().at(0), 0);
        const QSet<QString> before = queue.jobs();
        form->Button40Click();
        form->Button40Click();
        const QStringList jobs = queue.waitForJobs(before, clinic, 2);
        QCOMPARE(jobs.size(), 2);
        QVERIFY(!pageWords(jobs[0]).isEmpty());
        QCOMPARE(pageWords(jobs[0]), pageWords(jobs[1]));
        QCOMPARE(sink->messages, QStringList());
    }

    void screenPreviewPrintsTheStyleCheckedAtTheClick() {
        dorimek::platform::overrideMajorVersion(6);
        writeSettings(0, false, 1);
        auto form = open();
        form->appendKnownLine(form->masterList().at(0), 0);
        form->Button38Click();
        auto* preview = dorimek::preview::TForm6::current();
        QVERIFY(preview);
        form->radioButton(3)->setChecked(true);

        const QSet<QString> before = queue.jobs();
        QTest::mouseClick(preview->Button1, Qt::LeftButton);
        QCOMPARE(styleThatRan(), 3);
        const QString job = queue.waitForJob(before, clinic);
        QVERIFY(!job.isEmpty());
        QVERIFY(pageWords(job).contains(QStringLiteral("用法")));
        QVERIFY(preview->isVisible());  // the preview stays open after printing
    }

    void autoStartPrintsAndAsksToEnd() {
        writeSettings(0, false, 2);
        writeBytes(dir->filePath(QStringLiteral("rp.csv")),
                   sjis("1\r\n2\r\n3\r\n4\r\n5\r\n01,x,内服,1,1,ﾃﾙﾐｻﾙﾀﾝ錠40mg,1,錠,28,朝\r\n"
                        "01,x,内服,2,,ﾅｿﾞﾉｸｽﾘ,1,錠,28,\r\n"));
        const QSet<QString> before = queue.jobs();
        auto form = open({QStringLiteral("auto")});
        QVERIFY(form->terminationRequested());
        QCOMPARE(sink->messages,
                 QStringList{QStringLiteral("ﾅｿﾞﾉｸｽﾘがリストにありません 薬剤名だけ記載します")});

        const QString job = queue.waitForJob(before, clinic);
        QVERIFY(!job.isEmpty());
        const QStringList words = pageWords(job);
        const QString text = words.join(QString());
        QVERIFY(text.contains(QStringLiteral("テルミサルタン錠40mg")));
        QVERIFY(text.contains(QStringLiteral("ﾅｿﾞﾉｸｽﾘ")));  // listed by name only
        QVERIFY(words.contains(QStringLiteral("外観")));
    }

    // No prescription line: nothing is laid out, so no job can be sent, and
    // the user hears why; the host's run still ends.
    void nothingToPrintSendsNoJob_data() {
        QTest::addColumn<QString>("rpCsv");  // empty: none
        QTest::addColumn<bool>("hostStarted");
        QTest::newRow("印刷 with an empty list") << QString() << false;
        QTest::newRow("auto, rp.csv with its header only")
            << QStringLiteral("1\r\n2\r\n3\r\n4\r\n5\r\n") << true;
        QTest::newRow("auto, no rp.csv") << QString() << true;
    }
    void nothingToPrintSendsNoJob() {
        QFETCH(QString, rpCsv);
        QFETCH(bool, hostStarted);
        writeSettings(0, false, 3, QStringLiteral("capture"));
        if (!rpCsv.isEmpty()) writeBytes(dir->filePath(QStringLiteral("rp.csv")), sjis(qPrintable(rpCsv)));
        auto form = hostStarted ? open({QStringLiteral("auto")}) : open();
        if (!hostStarted) form->Button40Click();
        QCOMPARE(form->terminationRequested(), hostStarted);
        QVERIFY(!sink->messages.isEmpty());
        QCOMPARE(sink->messages.last(), dorimek::mainwin::messages::kNothingToPrint);
        QCOMPARE(styleThatRan(), 0);
    }

    // The paper is checked where the printer is chosen, and the message names
    // the paper the job will use: the queue's own default, which the
    // spooler's default-media answer (Letter) is not. A host-started run
    // prints on what it has without a box to wait on.
    void queueWithoutJisB5IsToldWhereChosen_data() {
        QTest::addColumn<QString>("queue");
        QTest::addColumn<QString>("ppd");  // empty: a driverless queue of the fixture
        QTest::addColumn<QString>("paper");
        QTest::newRow("PPD with Letter as its default")
            << QStringLiteral("x-no-jis-b5") << QStringLiteral("no-jis-b5.ppd")
            << QStringLiteral("US レター（216 × 279 mm）");
        QTest::newRow("driverless, A4 its default")
            << QStringLiteral("t-driverless-no-jis-b5") << QString()
            << QStringLiteral("A4（210 × 297 mm）");
    }
    void queueWithoutJisB5IsToldWhereChosen() {
        QFETCH(QString, queue);
        QFETCH(QString, ppd);
        QFETCH(QString, paper);
        if (!ppd.isEmpty()) {
            extraQueues << queue;
            QVERIFY(
                spooler(QStringLiteral("lpadmin"),
                        {QStringLiteral("-p"), queue, QStringLiteral("-E"), QStringLiteral("-v"),
                         QStringLiteral("capture:") +
                             CaptureQueue(QStringLiteral("capture-") + queue).path(),
                         QStringLiteral("-P"),
                         qEnvironmentVariable("DORIMEK_SOURCE_DIR") +
                             QStringLiteral("/tests/cups/") + ppd}));
        } else if (QFile::exists(qEnvironmentVariable("DORIMEK_CUPS_DIR") +
                                 QStringLiteral("/ipp/unavailable"))) {
            if (qEnvironmentVariable("DORIMEK_REQUIRE_CUPS") == QLatin1String("1"))
                QFAIL("no driverless printers");
            QSKIP("the test spooler has no driverless printers here");
        }
        auto& service = dorimek::platform::PrinterService::instance();
        service.refresh();
        const int index = static_cast<int>(service.printers().indexOf(queue));
        QVERIFY(index > 0);
        const QString told = dorimek::platform::notJisB5Message(queue, paper);

        writeSettings(index, false, 1, queue);
        auto form = open();
        QCOMPARE(sink->messages, QStringList{told});
        sink->messages.clear();
        form->Button55Click();  // 設定保存 says it again, with the same paper
        QCOMPARE(sink->messages, QStringList{told});

        sink->messages.clear();
        writeBytes(dir->filePath(QStringLiteral("rp.csv")),
                   sjis("1\r\n2\r\n3\r\n4\r\n5\r\n01,x,内服,1,1,ﾃﾙﾐｻﾙﾀﾝ錠40mg,1,錠,28,朝\r\n"));
        auto host = open({QStringLiteral("auto")});
        QVERIFY(host->terminationRequested());
        QCOMPARE(sink->messages, QStringList());
    }

    // The stored index and the stored queue name disagree once queues come
    // and go: the name wins, and a queue that is gone is said to be gone.
    void storedPrinterIsFoundByName_data() {
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QString>("removed");  // after the settings were saved
        QTest::addColumn<int>("storedIndex");
        QTest::addColumn<QString>("storedName");
        QTest::addColumn<int>("index");        // chosen at start
        QTest::addColumn<QString>("byIndex");  // the queue the index alone means now
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("a queue sorted before the chosen one")
            << QStringList{"a-extra"} << QString() << 0 << "capture" << 1 << "a-extra"
            << QStringList();
        QTest::newRow("the chosen queue deleted")
            << QStringList{"a-extra", "b-extra"} << "a-extra" << 0 << "a-extra" << -1 << "b-extra"
            << QStringList{QStringLiteral(
                   "設定ファイルのプリンタ a-extra はこのコンピュータに登録されていません"
                   "（別のコンピュータのプリンタか、削除されたか、名前が変わりました）。\n"
                   "通常使うプリンタで印刷します。\n"
                   "「使用可能プリンタ」の一覧で使うプリンタを選び、「設定保存」を押してください"
                   "。")};
    }
    void storedPrinterIsFoundByName() {
        QFETCH(QStringList, added);
        QFETCH(QString, removed);
        QFETCH(int, storedIndex);
        QFETCH(QString, storedName);
        QFETCH(int, index);
        QFETCH(QString, byIndex);
        QFETCH(QStringList, messages);
        for (const QString& name : added) QVERIFY2(addQueue(name), qPrintable(name));
        if (!removed.isEmpty()) QVERIFY(removeQueue(removed));
        auto& service = dorimek::platform::PrinterService::instance();
        service.refresh();  // as the program does once at start
        QCOMPARE(service.nameForIndex(storedIndex), byIndex);

        writeSettings(storedIndex, false, 1, storedName);
        auto form = open();
        QCOMPARE(sink->messages, messages);
        QCOMPARE(form->printerIndex(), index);
        form->appendKnownLine(form->masterList().at(0), 0);
        sink->messages.clear();
        const QSet<QString> before = queue.jobs();
        form->Button40Click();
        QCOMPARE(sink->messages, QStringList());
        QVERIFY2(!queue.waitForJob(before, clinic).isEmpty(), "the sheet did not reach capture");
        QCOMPARE(CaptureQueue(QStringLiteral("capture-") + byIndex).jobs(), QSet<QString>());
    }

    // A stopped queue, or one that holds every job, takes the job and keeps
    // it: the user hears it once, and the sheet comes out when the queue is
    // let go.
    void waitingJobIsToldOnceAndKept_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("hold");  // lpadmin/cups* command and arguments
        QTest::addColumn<QString>("told");
        QTest::newRow("stopped queue")
            << "stopped-extra" << QStringList{"cupsdisable", "stopped-extra"}
            << QStringLiteral(
                   "提供書はプリンタ stopped-extra の印刷待ちに入りましたが、"
                   "このプリンタは停止しているため");
        QTest::newRow("queue that holds its jobs")
            << "held-extra"
            << QStringList{"lpadmin", "-p", "held-extra", "-o", "job-hold-until-default=indefinite"}
            << QStringLiteral("提供書はプリンタ held-extra の印刷待ちで保留にされたため");
    }
    void waitingJobIsToldOnceAndKept() {
        QFETCH(QString, name);
        QFETCH(QStringList, hold);
        QFETCH(QString, told);
        QVERIFY(addQueue(name));
        QVERIFY(spooler(hold.first(), hold.mid(1)));
        auto& service = dorimek::platform::PrinterService::instance();
        service.refresh();
        const int index = static_cast<int>(service.printers().indexOf(name));
        writeSettings(index, false, 1, name);
        auto form = open();
        QCOMPARE(form->printerIndex(), index);
        form->appendKnownLine(form->masterList().at(0), 0);
        sink->messages.clear();
        form->Button40Click();
        QCOMPARE(sink->messages.size(), 1);
        QVERIFY2(sink->messages.first().startsWith(told), qPrintable(sink->messages.first()));

        // Let it go: the queue runs again, the held job is released.
        QVERIFY(spooler(QStringLiteral("cupsenable"), {name}));
        QProcess jobs;
        jobs.start(QStringLiteral("lpstat"),
                   {QStringLiteral("-h"), qEnvironmentVariable("CUPS_SERVER"), QStringLiteral("-o"),
                    name});
        QVERIFY(jobs.waitForFinished(30000));
        const QString job =
            QString::fromUtf8(jobs.readAllStandardOutput()).section(QLatin1Char(' '), 0, 0);
        if (hold.first() == QLatin1String("lpadmin")) {
            QVERIFY(spooler(QStringLiteral("lp"), {QStringLiteral("-i"), job, QStringLiteral("-H"),
                                                   QStringLiteral("resume")}));
        }
        const CaptureQueue own(QStringLiteral("capture-") + name);
        QVERIFY2(!own.waitForJob({}, clinic).isEmpty(), "the waiting sheet was lost");
    }

    void refusedJobIsToldOnce() {
        writeSettings(1, false, 1);  // the queue that refuses every job
        auto form = open();
        form->appendKnownLine(form->masterList().at(0), 0);
        sink->messages.clear();
        form->Button40Click();
        QCOMPARE(sink->messages.size(), 1);
        QVERIFY2(sink->messages.first().contains(QStringLiteral("rejecting")),
                 qPrintable(sink->messages.first()));
    }
};

QTEST_MAIN(MainPrintTest)
#include "MainPrintTest.moc"
