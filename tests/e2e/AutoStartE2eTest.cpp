// The host system's automatic start, end to end: the built program is staged
// in a program folder of its own beside the bundled master file and photos,
// started with "auto" as the host starts it, and what it sends to the print
// spooler is read back from the captured PDF.
#include "CapturedJobs.h"
#include "main/AutoRunOutcome.h"
#include "platform/Sjis.h"

#include "TestFiles.h"

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

using dorimek::testing::CaptureQueue;
using dorimek::testing::PdfPage;
using dorimek::testing::PdfWord;
using dorimek::testing::readBytes;
using dorimek::testing::sourceDir;
using dorimek::testing::writeBytes;

namespace {

constexpr double kB5Width = 515.9;  // points
constexpr double kB5Height = 728.5;
const QString kTel = QStringLiteral("0123-45-6789");

std::vector<std::string> splitBytes(const std::string& bytes, const std::string& sep) {
    std::vector<std::string> out;
    size_t from = 0;
    while (true) {
        const size_t at = bytes.find(sep, from);
        out.push_back(bytes.substr(from, at == std::string::npos ? std::string::npos : at - from));
        if (at == std::string::npos) return out;
        from = at + sep.size();
    }
}

QString withoutBlanks(std::string bytes) {
    std::erase(bytes, ' ');
    return dorimek::platform::toUnicode(bytes);
}

// What the sheet must show for one prescription line, from the bundled
// samples read here on their own: neither a comma nor a blank can be the
// second byte of a Shift-JIS character, so splitting the bytes is safe.
struct ExpectedLine {
    // The name column's three fields, without blanks.
    QString name;
    QString shape;
    QString package;
    QStringList usagePieces;  // the usage one piece per printed line (lines 1 to 11)
};

std::vector<ExpectedLine> expectedLines(const QString& master, const QString& rp) {
    std::map<std::string, std::vector<std::string>> records;
    for (const std::string& line : splitBytes(readBytes(master), "\r\n")) {
        if (line.empty()) continue;
        auto fields = splitBytes(line, ",");
        records[fields.at(0)] = fields;
    }
    std::vector<ExpectedLine> out;
    std::string usage;
    const auto lines = splitBytes(readBytes(rp), "\r\n");
    for (size_t i = 5; i < lines.size(); ++i) {
        if (lines[i].empty()) continue;
        const auto fields = splitBytes(lines[i], ",");
        if (!fields.at(4).empty()) {
            usage.clear();
            for (size_t f = 9; f < fields.size(); ++f) usage += (f > 9 ? "," : "") + fields[f];
        }
        const auto& r = records.at(fields.at(5));
        ExpectedLine e;
        e.name = withoutBlanks(r.at(1));
        e.shape = withoutBlanks(r.at(3));
        e.package = withoutBlanks(r.at(4));
        if (out.size() < 11) {
            for (const std::string& piece : splitBytes(usage, " ")) {
                if (!piece.empty()) e.usagePieces << dorimek::platform::toUnicode(piece);
            }
        }
        out.push_back(e);
    }
    return out;
}

// Empty when the name column's text, top to bottom, is every line's name,
// form and marking and package in prescription order; else what went wrong.
// The form and marking stand in a one-line cell of the sheet, so a long one
// shows only as far as the cell is wide.
QString checkNameColumn(const QString& printed, const std::vector<ExpectedLine>& lines) {
    qsizetype at = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        const ExpectedLine& e = lines[i];
        const QString where =
            QStringLiteral("line %1 at \"%2\": ").arg(i + 1).arg(printed.mid(at, 30));
        if (!printed.mid(at).startsWith(e.name)) return where + QStringLiteral("name ") + e.name;
        at += e.name.size();
        qsizetype shown = 0;
        while (shown < e.shape.size() && at + shown < printed.size() &&
               printed.at(at + shown) == e.shape.at(shown)) {
            ++shown;
        }
        if (!e.shape.isEmpty() && shown == 0) return where + QStringLiteral("form ") + e.shape;
        at += shown;
        // What is left of a cut form and marking must not come before the package.
        if (!printed.mid(at).startsWith(e.package))
            return where + QStringLiteral("package ") + e.package;
        at += e.package.size();
    }
    if (at != printed.size()) return QStringLiteral("more after the last line: ") + printed.mid(at);
    return {};
}

bool copyFile(const QString& from, const QString& to) {
    QDir().mkpath(QFileInfo(to).path());
    QFile::remove(to);
    return QFile::copy(from, to);
}

bool lpadmin(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral("lpadmin"),
            QStringList{QStringLiteral("-h"), qEnvironmentVariable("CUPS_SERVER")} + args);
    return p.waitForFinished(30000) && p.exitCode() == 0;
}

// What the host's starts below find, and how each must end.
struct UnattendedCase {
    const char* name;
    bool withSettings;  // sorbenk.ini in the program folder
    const char* index;  // its lines 1 and 2
    const char* printer;
    const char* workFolder;  // line 3; nullptr: the run's own host folder
    bool withMaster;         // yakujo.txt in the program folder
    bool withRpCsv;          // the sample rp.csv in the host folder
    const char* argument3;
    dorimek::mainwin::AutoRunOutcome outcome;
    const char* loggedPrinter;
    bool withDisplay = true;
};

using Outcome = dorimek::mainwin::AutoRunOutcome;
// No default printer is set while these run.
const UnattendedCase kUnattendedCases[] = {
    {"printed", true, "0", "capture", nullptr, true, true, "", Outcome::Done, "capture"},
    {"no rp.csv", true, "0", "capture", nullptr, true, false, "", Outcome::NoPrescriptionFile,
     "capture"},
    {"the old PC's work folder", true, "0", "capture", "C:\\QEV\\", true, true, "",
     Outcome::SettingsUnreadable, "capture"},
    {"no sorbenk.ini", false, "", "", nullptr, true, true, "", Outcome::SettingsUnreadable, "-"},
    {"no yakujo.txt", true, "0", "capture", nullptr, false, true, "", Outcome::MasterUnreadable,
     "-"},
    {"the default printer, and none is set", true, "-1", "", nullptr, true, true, "",
     Outcome::NoUsablePrinter, "-"},
    {"the old PC's printer", true, "0", "EPSON PX-M5080F", nullptr, true, true, "",
     Outcome::NoUsablePrinter, "EPSON PX-M5080F"},
    {"third argument not a number", true, "0", "capture", nullptr, true, true, "PRN",
     Outcome::NoUsablePrinter, "PRN"},
    {"third argument past the list", true, "0", "capture", nullptr, true, true, "9",
     Outcome::NoUsablePrinter, "番号 9"},
    {"rejecting queue", true, "1", "rejecting", nullptr, true, true, "", Outcome::PrinterRefused,
     "rejecting"},
    {"stopped queue", true, "2", "x-stopped", nullptr, true, true, "", Outcome::PrinterRefused,
     "x-stopped"},
    {"no display", true, "0", "capture", nullptr, true, true, "", Outcome::NoDisplay, "-", false},
};

// A run of the program as the host starts it, in a program folder of its own.
struct HostStart {
    const UnattendedCase* c = nullptr;
    QString program;
    QString rpCsv;
    std::unique_ptr<QProcess> process;
};

}  // namespace

class AutoStartE2eTest : public QObject {
    Q_OBJECT

  private:
    CaptureQueue queue;

  private slots:
    void unattendedRunsEndWithTheirCause();

    void initTestCase() {
        if (const QString why = queue.unavailableReason(); !why.isEmpty()) QSKIP(qPrintable(why));
        QVERIFY2(!qEnvironmentVariableIsEmpty("DORIMEK_EXE"), "DORIMEK_EXE names the program");
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty(),
                 "pdftotext is needed to read the printed sheets (package poppler-utils)");
    }

    void autoStartPrintsTheStoredStyle_data() {
        QTest::addColumn<int>("style");
        QTest::newRow("画像なし用法なし") << 1;
        QTest::newRow("画像あり用法なし") << 2;
        QTest::newRow("画像あり用法あり") << 3;
    }
    void autoStartPrintsTheStoredStyle() {
        QFETCH(int, style);
        const QString samples = sourceDir() + QStringLiteral("/samples");
        QTemporaryDir root;
        QVERIFY(root.isValid());
        const QString program = root.filePath(QStringLiteral("prog"));
        const QString host = root.filePath(QStringLiteral("host/"));

        // A copy, not a link: the program takes its folder from its own file.
        const QString exe = program + QStringLiteral("/dorimek");
        QVERIFY(copyFile(qEnvironmentVariable("DORIMEK_EXE"), exe));
        QFile(exe).setPermissions(QFile::permissions(exe) | QFile::ExeOwner);
        QVERIFY(copyFile(samples + QStringLiteral("/yakujo.txt"),
                         program + QStringLiteral("/yakujo.txt")));
        for (const QString& photo :
             QDir(samples + QStringLiteral("/photos")).entryList(QDir::Files))
            QVERIFY(copyFile(samples + QStringLiteral("/photos/") + photo,
                             program + QStringLiteral("/photos/") + photo));
        QVERIFY(copyFile(samples + QStringLiteral("/qev/rp.csv"), host + QStringLiteral("rp.csv")));

        // The clinic's name tells this run's job from other tests' jobs.
        const QString clinic =
            QStringLiteral("検証医院%1-%2").arg(style).arg(QCoreApplication::applicationPid());
        const std::string ini =
            "prindex=0\r\nprinter=capture\r\nqevpath=" + dorimek::platform::fromUnicode(host) +
            "\r\nclinic=" + dorimek::platform::fromUnicode(clinic) +
            "\r\ntel=" + kTel.toStdString() + "\r\nprev=0\r\nstyle=" + std::to_string(style) +
            "\r\n";
        writeBytes(program + QStringLiteral("/sorbenk.ini"), ini);

        const QSet<QString> before = queue.jobs();
        const QString dayBefore =
            QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd"));
        QProcess run;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        // As the host system starts it: no locale chosen, yet a Japanese date.
        for (const char* v : {"LC_ALL", "LC_TIME", "LANGUAGE"}) env.remove(QString::fromLatin1(v));
        env.insert(QStringLiteral("LANG"), QStringLiteral("C"));
        run.setProcessEnvironment(env);
        run.setWorkingDirectory(root.path());  // the program must find its folder itself
        run.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        run.start(exe, {QStringLiteral("auto")});
        QVERIFY2(run.waitForStarted(10000), qPrintable(run.errorString()));
        if (!run.waitForFinished(120000)) {
            run.kill();
            run.waitForFinished(5000);
            QFAIL("the automatic start did not end on its own");
        }
        QCOMPARE(run.exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.exitCode(), 0);

        const QString job = queue.waitForJob(before, clinic);
        QVERIFY2(!job.isEmpty(), "no job with this run's clinic name reached the spooler");
        const dorimek::testing::PdfText text = dorimek::testing::extractPdfText(job);
        QVERIFY2(text.error.isEmpty(), qPrintable(text.error));
        QCOMPARE(text.pages.size(), 1);
        const PdfPage& page = text.pages.first();
        QVERIFY(qAbs(page.size.width() - kB5Width) < 0.5);
        QVERIFY(qAbs(page.size.height() - kB5Height) < 0.5);

        QVERIFY(page.hasWord(QStringLiteral("薬剤情報提供書")));
        const QString allText = page.texts().join(QLatin1Char(' '));
        const QString dayAfter =
            QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd"));
        QVERIFY2(allText.contains(dayBefore) || allText.contains(dayAfter), qPrintable(allText));

        const auto footerName = page.find(clinic);
        const auto footerTel = page.find(QStringLiteral("TEL:") + kTel);
        QVERIFY(footerName && footerTel);
        QVERIFY(qAbs(footerName->yMin - footerTel->yMin) < 1.5);
        QVERIFY(footerName->xMax < footerTel->xMin);

        const std::vector<ExpectedLine> expected =
            expectedLines(samples + QStringLiteral("/yakujo.txt"), host + QStringLiteral("rp.csv"));
        QVERIFY(expected.size() >= 5);

        // The name column: below the column header, above the footer, left of
        // the efficacy column; every drug in prescription order.
        const auto headerBottom = page.find(QStringLiteral("規格・包装"));
        QVERIFY(headerBottom);
        const QList<PdfWord> nameColumn =
            page.wordsIn(0, 100, headerBottom->yMax, footerName->yMin);
        QString printed;
        for (const PdfWord& w : nameColumn) printed += w.text;
        const QString mismatch = checkNameColumn(printed, expected);
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
        // A blank kept inside a field would split its line into two words.
        for (qsizetype i = 1; i < nameColumn.size(); ++i) {
            QVERIFY2(
                qAbs(nameColumn[i].yMin - nameColumn[i - 1].yMin) > 1.0,
                qPrintable(nameColumn[i - 1].text + QStringLiteral(" | ") + nameColumn[i].text));
        }

        const auto usageHeader = page.find(QStringLiteral("用法"));
        const auto photoHeader = page.find(QStringLiteral("外観"));
        QCOMPARE(usageHeader.has_value(), style == 3);
        QCOMPARE(photoHeader.has_value(), style >= 2);
        if (style == 3) {
            QStringList wantedPieces;
            for (const ExpectedLine& e : expected) wantedPieces += e.usagePieces;
            QStringList printedPieces;
            for (const PdfWord& w : page.wordsIn(usageHeader->xMin - 10, page.size.width(),
                                                 headerBottom->yMax, footerName->yMin)) {
                printedPieces << w.text;
            }
            QCOMPARE(printedPieces, wantedPieces);
        }
    }

    // A spooler without a default destination: the printer the settings
    // name is there, so the run must not stop for a word about the default.
    void autoStartWithoutADefaultPrinterEndsByItself() {
        // The only way to leave a spooler without a default is to delete it.
        const QString gone = QStringLiteral("x-default-gone");
        QVERIFY(lpadmin({QStringLiteral("-p"), gone, QStringLiteral("-E"), QStringLiteral("-v"),
                         QStringLiteral("capture:") + queue.path(), QStringLiteral("-m"),
                         QStringLiteral("raw")}));
        QVERIFY(lpadmin({QStringLiteral("-d"), gone}));
        QVERIFY(lpadmin({QStringLiteral("-x"), gone}));
        const auto restore = qScopeGuard([&] { lpadmin({QStringLiteral("-d"), QStringLiteral("capture")}); });

        QTemporaryDir root;
        QVERIFY(root.isValid());
        const QString program = root.filePath(QStringLiteral("prog"));
        const QString exe = program + QStringLiteral("/dorimek");
        QVERIFY(copyFile(qEnvironmentVariable("DORIMEK_EXE"), exe));
        QFile(exe).setPermissions(QFile::permissions(exe) | QFile::ExeOwner);
        const QString samples = sourceDir() + QStringLiteral("/samples");
        QVERIFY(copyFile(samples + QStringLiteral("/yakujo.txt"), program + QStringLiteral("/yakujo.txt")));
        QVERIFY(copyFile(samples + QStringLiteral("/qev/rp.csv"), program + QStringLiteral("/rp.csv")));
        const QString clinic = QStringLiteral("既定なし%1").arg(QCoreApplication::applicationPid());
        writeBytes(program + QStringLiteral("/sorbenk.ini"),
                   "prindex=0\r\nprinter=capture\r\nqevpath=" + dorimek::platform::fromUnicode(program) +
                       "/\r\nclinic=" + dorimek::platform::fromUnicode(clinic) +
                       "\r\ntel=1\r\nprev=0\r\nstyle=1\r\n");

        const QSet<QString> before = queue.jobs();
        QProcess run;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        run.setProcessEnvironment(env);
        run.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        run.start(exe, {QStringLiteral("auto")});
        QVERIFY2(run.waitForStarted(10000), qPrintable(run.errorString()));
        if (!run.waitForFinished(60000)) {
            run.kill();
            run.waitForFinished(5000);
            QFAIL("the automatic start waited for someone to close a box");
        }
        QCOMPARE(run.exitCode(), 0);
        QVERIFY2(!queue.waitForJob(before, clinic).isEmpty(), "the sheet was not queued");
    }

    // The host's button clicked twice: two runs for the same rp.csv print one
    // sheet between them; the next patient's rp.csv prints again.
    void doubleStartPrintsOnce() {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        const QString program = root.filePath(QStringLiteral("prog"));
        const QString exe = program + QStringLiteral("/dorimek");
        QVERIFY(copyFile(qEnvironmentVariable("DORIMEK_EXE"), exe));
        QFile(exe).setPermissions(QFile::permissions(exe) | QFile::ExeOwner);
        const QString samples = sourceDir() + QStringLiteral("/samples");
        QVERIFY(copyFile(samples + QStringLiteral("/yakujo.txt"),
                         program + QStringLiteral("/yakujo.txt")));
        const QString rp = program + QStringLiteral("/rp.csv");
        QVERIFY(copyFile(samples + QStringLiteral("/qev/rp.csv"), rp));
        const auto settingsFor = [&](const QString& clinic) {
            writeBytes(program + QStringLiteral("/sorbenk.ini"),
                       "prindex=0\r\nprinter=capture\r\nqevpath=" +
                           dorimek::platform::fromUnicode(program) +
                           "/\r\nclinic=" + dorimek::platform::fromUnicode(clinic) +
                           "\r\ntel=1\r\nprev=0\r\nstyle=1\r\n");
        };
        const auto start = [&](QProcess& run) {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
            run.setProcessEnvironment(env);
            run.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            run.start(exe, {QStringLiteral("auto")});
        };
        const auto finish = [](QProcess& run) {
            if (run.waitForFinished(120000)) return run.exitCode();
            run.kill();
            run.waitForFinished(5000);
            return -1;
        };

        const QString clinic = QStringLiteral("二度押し%1").arg(QCoreApplication::applicationPid());
        settingsFor(clinic);
        const QSet<QString> before = queue.jobs();
        QProcess first;
        QProcess second;
        start(first);
        start(second);
        QVERIFY(first.waitForStarted(10000) && second.waitForStarted(10000));
        QList<int> statuses{finish(first), finish(second)};
        std::sort(statuses.begin(), statuses.end());
        // 16: the same unchanged prescription was handled moments ago.
        QCOMPARE(statuses, (QList<int>{0, 16}));

        // The next patient: another prescription, printed at once. The queue
        // prints in order, so once its sheet is there a second sheet of the
        // double start would be there too.
        const QString next = QStringLiteral("次の患者%1").arg(QCoreApplication::applicationPid());
        settingsFor(next);
        std::string bytes = readBytes(rp);
        bytes += bytes.substr(bytes.rfind("\r\n", bytes.size() - 3) + 2);  // its last drug twice
        writeBytes(rp, bytes);
        QProcess third;
        start(third);
        QVERIFY(third.waitForStarted(10000));
        QCOMPARE(finish(third), 0);
        QVERIFY2(!queue.waitForJob(before, next).isEmpty(),
                 "the next patient's sheet was not queued");
        QCOMPARE(queue.waitForJobs(before, clinic, 2, 1000).size(), 1);
    }
};

// Every host start that can't print ends by itself with its own exit status
// and one line in the run log; none waits for a box, and all run at once, as
// the next patient's start may come while a box of the last one is up.
void AutoStartE2eTest::unattendedRunsEndWithTheirCause() {
    // No default printer anywhere: no run may print where it wasn't sent.
    const QString gone = QStringLiteral("x-default-gone");
    const QString stopped = QStringLiteral("x-stopped");
    QTemporaryDir stoppedJobs;
    QVERIFY(lpadmin({QStringLiteral("-p"), gone, QStringLiteral("-E"), QStringLiteral("-v"),
                     QStringLiteral("capture:") + queue.path(), QStringLiteral("-m"),
                     QStringLiteral("raw")}));
    QVERIFY(lpadmin({QStringLiteral("-d"), gone}));
    QVERIFY(lpadmin({QStringLiteral("-x"), gone}));
    QVERIFY(lpadmin({QStringLiteral("-p"), stopped, QStringLiteral("-E"), QStringLiteral("-v"),
                     QStringLiteral("capture:") + stoppedJobs.path(), QStringLiteral("-m"),
                     QStringLiteral("raw")}));
    const auto restore = qScopeGuard([&] {
        lpadmin({QStringLiteral("-x"), stopped});
        lpadmin({QStringLiteral("-d"), QStringLiteral("capture")});
    });
    QProcess disable;
    disable.start(QStringLiteral("cupsdisable"),
                  {QStringLiteral("-h"), qEnvironmentVariable("CUPS_SERVER"), stopped});
    QVERIFY(disable.waitForFinished(30000) && disable.exitCode() == 0);

    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString samples = sourceDir() + QStringLiteral("/samples");
    std::vector<HostStart> runs;
    for (const UnattendedCase& c : kUnattendedCases) {
        HostStart& run = runs.emplace_back();
        run.c = &c;
        const QString folder = root.filePath(QString::number(runs.size()));
        run.program = folder + QStringLiteral("/prog/");
        const QString host = folder + QStringLiteral("/host/");
        run.rpCsv = host + QStringLiteral("rp.csv");
        const QString exe = run.program + QStringLiteral("dorimek");
        QVERIFY(copyFile(qEnvironmentVariable("DORIMEK_EXE"), exe));
        QFile(exe).setPermissions(QFile::permissions(exe) | QFile::ExeOwner);
        if (c.withMaster) {
            QVERIFY(copyFile(samples + QStringLiteral("/yakujo.txt"),
                             run.program + QStringLiteral("yakujo.txt")));
        }
        QDir().mkpath(host);
        if (c.withRpCsv) QVERIFY(copyFile(samples + QStringLiteral("/qev/rp.csv"), run.rpCsv));
        if (c.withSettings) {
            const QString work = c.workFolder ? QString::fromUtf8(c.workFolder) : host;
            writeBytes(run.program + QStringLiteral("sorbenk.ini"),
                       std::string("prindex=") + c.index + "\r\nprinter=" + c.printer +
                           "\r\nqevpath=" + dorimek::platform::fromUnicode(work) +
                           "\r\nclinic=A\r\ntel=1\r\nprev=0\r\nstyle=3\r\n");
        }
        run.process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (c.withDisplay) {
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        } else {
            for (const char* v : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
                env.remove(QString::fromLatin1(v));
        }
        run.process->setProcessEnvironment(env);
        run.process->setProcessChannelMode(QProcess::MergedChannels);
        QStringList args{QStringLiteral("auto")};
        if (*c.argument3) args << QStringLiteral("-") << QString::fromUtf8(c.argument3);
        run.process->start(exe, args);
        QVERIFY2(run.process->waitForStarted(10000), c.name);
    }

    for (HostStart& run : runs) {
        const UnattendedCase& c = *run.c;
        // Generous: the machine may be busy; a box waiting for OK never ends.
        if (!run.process->waitForFinished(180000)) {
            run.process->kill();
            run.process->waitForFinished(5000);
            QFAIL(qPrintable(
                QStringLiteral("%1: did not end by itself").arg(QString::fromUtf8(c.name))));
        }
        const QString output = QString::fromLocal8Bit(run.process->readAll());
        QVERIFY2(run.process->exitStatus() == QProcess::NormalExit, c.name);
        QVERIFY2(run.process->exitCode() == dorimek::mainwin::exitStatus(c.outcome),
                 qPrintable(QStringLiteral("%1: status %2\n%3")
                                .arg(QString::fromUtf8(c.name))
                                .arg(run.process->exitCode())
                                .arg(output)));

        const QStringList lines =
            QString::fromUtf8(readBytes(run.program + QStringLiteral("dorimek-auto.log")))
                .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QVERIFY2(lines.size() == 1, c.name);
        const QStringList fields = lines.first().split(QLatin1Char('\t'));
        QVERIFY2(fields.size() == 6, qPrintable(lines.first()));
        QVERIFY2(QDateTime::fromString(fields[0], QStringLiteral("yyyy-MM-dd HH:mm:ss")).isValid(),
                 qPrintable(lines.first()));
        QCOMPARE(fields[1].toInt(), dorimek::mainwin::exitStatus(c.outcome));
        QCOMPARE(fields[2], dorimek::mainwin::autoRunOutcomeJapanese(c.outcome));
        if (c.withDisplay && c.withMaster && c.withSettings && !c.workFolder) {
            QCOMPARE(fields[3], run.rpCsv);
        }
        QCOMPARE(fields[4], QString::fromUtf8(c.loggedPrinter));
    }
}

QTEST_GUILESS_MAIN(AutoStartE2eTest)
#include "AutoStartE2eTest.moc"
