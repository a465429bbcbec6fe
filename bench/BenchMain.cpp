// The benchmarks, one table:
//
//   dorimek_bench --program PATH/dorimek [--work DIR] [--runs N] [--sections 1234567] [--quick]
//
// 1. Sheet, in process: every style against master files of 500 and 20,000
//    records, each in a child process of its own. Timed from building the
//    sheet form to the finished PDF file (the report run, photo decoding,
//    PDF writing), without the print submission; the floor is libjpeg-turbo
//    decoding the same 24 photos at 1/8. Style 1 has no photos, so it gets
//    no ratio.
// 2. Host-started run: the program started as the host starts it,
//    "dorimek auto", from fork to exit, printing into the spooler that
//    CUPS_SERVER names (the "capture" queue of tests/cups/cupsd-fixture.sh);
//    against bare start (the same program folder, launch to the first idle
//    moment with the window drawn) plus the decode floor.
// 3. Start-up: launch to the first idle moment of the event loop after the
//    main window is drawn (the program's DORIMEK_STARTUP_PROBE hook), with
//    0, 20,000 and 200,000 records; ratio to the empty master.
// 4. Per-row reads: a sheet's 24 rows finding their records, each reading the
//    master file from the top as the sheet does, against one pass over the
//    file for the whole sheet (what a sheet could do instead; not used).
// 5. Camera photos: a sheet of 24 rows of 8000 x 6000 progressive JPEGs
//    (made here with libjpeg), each row's photo cell against libjpeg's own
//    1/8-scale decode of the whole file, the reference figure; target: a row
//    costs at most half of it. In a child process of its own, for its peak.
// 6. Window memory: one main window kept open (offscreen, in a child of its
//    own) while previews and grid editors are opened and closed and
//    prescriptions are built and previewed one after another; the resident
//    memory after the first operation and after the last, and the slope per
//    operation. A window open all day must not grow with the day's work.
// 7. Finding a drug by typing: keystrokes to reach 100 random drugs of a
//    20,000-drug master (typed characters of the name, then a few Down
//    presses), and the time from a key to the drug list having moved and
//    been drawn at 200,000 records, in a child process with the real list.
// Runs of 2 and 3 are interleaved (one of each kind in turn), so a machine
// that slows down in the middle slows every kind alike; median and minimum
// are shown. Peak memory is each child's own (VmHWM, or wait4() of a
// launcher that holds almost nothing), never this process's.
// --quick stages tiny files and runs everything once: a smoke run for ctest.

#include "BenchSupport.h"
#include "SheetBench.h"
#include "TypingBench.h"
#include "WindowBench.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

namespace {

using namespace dorimek::bench;

struct Options {
    QString program;
    QString folder;
    int runs = 7;
    bool quick = false;
    QString sections = QStringLiteral("1234567");  // which of the sections below run
};

void section(const char* title) { std::printf("\n%s\n", title); }

int sheetSection(const Options& o, const std::vector<int>& masters) {
    section("1. sheet in process: sheet form built -> PDF file written (no print submission)");
    std::printf("%-7s %8s %9s %9s %7s %9s %8s\n", "style", "records", "sheet s", "floor s",
                "ratio", "peak MB", "PDF MB");
    int failures = 0;
    for (int records : masters) {
        for (int style = 1; style <= 3; ++style) {
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(),
                        {QStringLiteral("--measure"), o.folder, QString::number(style), QString::number(records)});
            double seconds = 0, floor = 0;
            long peak = 0;
            long long pdfBytes = 0;
            if (!child.waitForFinished(600000) || child.exitCode() != 0 ||
                std::sscanf(child.readAllStandardOutput().constData(), "%lf %lf %ld %lld", &seconds,
                            &floor, &peak, &pdfBytes) != 4) {
                std::fprintf(stderr, "style %d, %d records: measurement failed\n%s", style, records,
                             child.readAllStandardError().constData());
                ++failures;
                continue;
            }
            char ratio[16] = "-";
            if (style != 1) std::snprintf(ratio, sizeof ratio, "%.2f", seconds / floor);
            std::printf("%-7d %8d %9.3f %9.3f %7s %9.1f %8.2f\n", style, records, seconds,
                        style == 1 ? 0.0 : floor, ratio, peak / 1024.0, pdfBytes / (1024.0 * 1024.0));
            std::fflush(stdout);
        }
    }
    return failures;
}

// Launch to first idle, in seconds, and the child's peak; false on failure.
bool startupRun(const Options& o, int records, double* seconds, long* peakKb) {
    if (!useMaster(o.folder, records)) return false;
    const ChildRun run = runChild(o.program, {}, {QStringLiteral("DORIMEK_STARTUP_PROBE=1")}, o.folder);
    for (const QString& line : run.output) {
        const QStringList w = line.split(QLatin1Char(' '));
        if (run.ok && w.value(0) == QLatin1String("startup-idle") && w.size() == 3) {
            *seconds = (w[1].toLongLong() - run.startNs) / 1e9;
            *peakKb = w[2].toLong();
            return true;
        }
    }
    std::fprintf(stderr, "start-up run with %d records gave no figure\n", records);
    return false;
}

int hostSection(const Options& o, int records) {
    section("2. host-started run: \"dorimek auto\" fork -> exit, printing to the capture queue");
    if (qEnvironmentVariableIsEmpty("CUPS_SERVER")) {
        std::printf("skipped: CUPS_SERVER names no private spooler (bench/run-bench.sh starts one)\n");
        return 0;
    }
    std::printf("%-7s %8s %11s %11s %9s %9s %7s %8s\n", "style", "records", "run med s", "run min s",
                "bare s", "floor s", "ratio", "peak MB");
    if (!useMaster(o.folder, records)) return 1;
    QDir::setCurrent(o.folder);
    floorSeconds();
    std::vector<double> floors;
    std::map<int, std::vector<double>> runs;
    std::map<int, long> peaks;
    std::vector<double> bare;
    int failures = 0;
    for (int i = 0; i < o.runs; ++i) {
        floors.push_back(floorSeconds());
        double s = 0;
        long kb = 0;
        if (!stageHostFiles(o.folder, 1)) return 1;
        if (startupRun(o, records, &s, &kb)) bare.push_back(s); else ++failures;
        for (int style = 1; style <= 3; ++style) {
            if (!stageHostFiles(o.folder, style)) return 1;
            // Each run is a new request from the host: the record of the one
            // before would make it the same click's repeat, which prints nothing.
            QFile::remove(QDir(o.folder).filePath(QStringLiteral(".dorimek-autorun")));
            const ChildRun run = runChild(o.program, {QStringLiteral("auto")}, {}, o.folder);
            if (!run.ok || run.exitCode != 0) {
                std::fprintf(stderr, "auto run, style %d: failed (exit %d)\n", style, run.exitCode);
                ++failures;
                continue;
            }
            runs[style].push_back((run.endNs - run.startNs) / 1e9);
            peaks[style] = std::max(peaks[style], run.peakKb);
        }
    }
    const Stats b = statsOf(bare);
    const Stats f = statsOf(floors);
    for (int style = 1; style <= 3; ++style) {
        const Stats r = statsOf(runs[style]);
        char ratio[16] = "-";
        if (style != 1) std::snprintf(ratio, sizeof ratio, "%.2f", r.median / (b.median + f.median));
        std::printf("%-7d %8d %11.3f %11.3f %9.3f %9.3f %7s %8.1f\n", style, records, r.median,
                    r.minimum, b.median, style == 1 ? 0.0 : f.median, ratio, peaks[style] / 1024.0);
    }
    std::printf("ratio = run median / (bare start median + floor median); style 1 has no photos: "
                "compare its run with bare start\n");
    return failures;
}

int startupSection(const Options& o, const std::vector<int>& masters) {
    section("3. start-up: launch -> first idle of the event loop with the main window drawn");
    std::printf("%8s %9s %9s %7s %9s\n", "records", "median s", "min s", "ratio", "peak MB");
    if (!stageHostFiles(o.folder, 1)) return 1;
    std::map<int, std::vector<double>> times;
    std::map<int, long> peaks;
    int failures = 0;
    for (int i = 0; i < o.runs; ++i) {
        for (int records : masters) {
            double s = 0;
            long kb = 0;
            if (!startupRun(o, records, &s, &kb)) {
                ++failures;
                continue;
            }
            times[records].push_back(s);
            peaks[records] = std::max(peaks[records], kb);
        }
    }
    const double empty = statsOf(times[masters.front()]).median;
    for (int records : masters) {
        const Stats t = statsOf(times[records]);
        std::printf("%8d %9.3f %9.3f %7.2f %9.1f\n", records, t.median, t.minimum, t.median / empty,
                    peaks[records] / 1024.0);
    }
    std::printf("targets: 20,000 records <= 1.2 x empty, 200,000 <= 1.5 x; "
                "peak at 200,000 <= 2 x peak at 20,000 + the names\n");
    return failures;
}

int cameraSection(const Options& o) {
    section(
        "5. camera photos: 24 rows of 8000 x 6000 progressive JPEGs, style 2 sheet to PDF (in "
        "process)");
    std::printf("%10s %10s %10s %7s %9s %9s %9s\n", "1/8 dec s", "row med s", "row min s", "ratio",
                "sheet s", "sheet MB", "peak MB");
    int failures = 0;
    for (int i = 0; i < o.runs; ++i) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--camera"), o.folder});
        double eighth = 0, rowMed = 0, rowMin = 0, sheet = 0;
        long sheetKb = 0, peakKb = 0;
        if (!child.waitForFinished(600000) || child.exitCode() != 0 ||
            std::sscanf(child.readAllStandardOutput().constData(), "%lf %lf %lf %lf %ld %ld",
                        &eighth, &rowMed, &rowMin, &sheet, &sheetKb, &peakKb) != 6) {
            std::fprintf(stderr, "camera run failed\n%s", child.readAllStandardError().constData());
            ++failures;
            continue;
        }
        std::printf("%10.3f %10.3f %10.3f %7.2f %9.3f %9.1f %9.1f\n", eighth, rowMed, rowMin,
                    rowMed / eighth, sheet, sheetKb / 1024.0, peakKb / 1024.0);
        std::fflush(stdout);
        if (i == 1) break;  // each run holds 24 + 6 decodes already: two runs tell it
    }
    std::printf(
        "1/8 dec = libjpeg decoding one such file whole at 1/8 (the reference); "
        "row = one row's photo cell; target ratio <= 0.50; sheet MB = peak after the sheet\n");
    return failures;
}

int typingSection(const Options& o) {
    section("7. finding a drug by typing in the drug list");
    const int drugs = o.quick ? 2000 : 20000;
    int failures = measureKeystrokes(drugs);
    std::printf("\n%8s %14s %12s %10s %6s\n", "records", "first key ms", "key med ms", "key max ms",
                "keys");
    for (const int records : o.quick ? std::vector<int>{2000} : std::vector<int>{20000, 200000}) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--typing"), QString::number(records)});
        double firstMs = 0, medianMs = 0, maxMs = 0;
        int keys = 0;
        if (!child.waitForFinished(600000) || child.exitCode() != 0 ||
            std::sscanf(child.readAllStandardOutput().constData(), "%lf %lf %lf %d", &firstMs,
                        &medianMs, &maxMs, &keys) != 4) {
            std::fprintf(stderr, "typing, %d records: measurement failed\n%s", records,
                         child.readAllStandardError().constData());
            ++failures;
            continue;
        }
        std::printf("%8d %14.2f %12.2f %10.2f %6d\n", records, firstMs, medianMs, maxMs, keys);
    }
    std::printf(
        "key -> list moved and drawn; the first key also builds the name index. Target: <= 50 ms "
        "at 200,000\n");
    return failures;
}

int windowSection(const Options& o, const std::vector<int>& masters) {
    section("6. window memory: one window open, windows opened and closed (resident memory)");
    std::printf("%-13s %8s %6s %10s %10s %10s %12s\n", "operation", "records", "times", "first MB",
                "last MB", "growth MB", "slope MB/op");
    int failures = 0;
    for (int records : masters) {
        // A grid of 20,000 records takes a while to fill: fewer rounds there.
        const int operations = o.quick ? 3 : (records > 5000 ? 50 : 200);
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--window-memory"), o.folder, QString::number(records),
                     QString::number(operations)});
        if (!child.waitForFinished(3600000) || child.exitCode() != 0) {
            std::fprintf(stderr, "window memory, %d records: failed\n%s", records,
                         child.readAllStandardError().constData());
            ++failures;
            continue;
        }
        for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
            char kind[32] = {};
            int times = 0;
            long first = 0, last = 0;
            if (std::sscanf(line.constData(), "%31s %d %ld %ld", kind, &times, &first, &last) != 4)
                continue;
            const double growth = (last - first) / 1024.0;
            std::printf("%-13s %8d %6d %10.1f %10.1f %10.1f %12.3f\n", kind, records, times,
                        first / 1024.0, last / 1024.0, growth,
                        times > 1 ? growth / (times - 1) : 0.0);
        }
        std::fflush(stdout);
    }
    std::printf(
        "target: the window's memory after the last operation within 20 MB of after the first\n");
    return failures;
}

}  // namespace

int main(int argc, char** argv) {
    // The launcher must stay small: it starts the program before any Qt.
    if (argc >= 2 && std::strcmp(argv[1], "--launch") == 0) return launchMain(argc, argv);
    // The drug list needs widgets, which this process doesn't start.
    if (argc == 3 && std::strcmp(argv[1], "--typing") == 0) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        return measureKeyToMove(std::atoi(argv[2]));
    }
    if (argc >= 2 && std::strcmp(argv[1], "--window-memory") == 0) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        return measureWindowMemory(argc, argv);
    }

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QLatin1String("--camera")) return measureCamera(args[2]);
    if (args.size() == 5 && args[1] == QLatin1String("--measure")) {
        return measureSheet(args[2], args[3].toInt(), args[4].toInt());
    }

    Options o;
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--program") && i + 1 < args.size()) o.program = args[++i];
        else if (args[i] == QLatin1String("--work") && i + 1 < args.size()) o.folder = args[++i];
        else if (args[i] == QLatin1String("--runs") && i + 1 < args.size()) o.runs = args[++i].toInt();
        else if (args[i] == QLatin1String("--sections") && i + 1 < args.size()) o.sections = args[++i];
        else if (args[i] == QLatin1String("--quick")) o.quick = true;
    }
    if (o.program.isEmpty() || !QFileInfo(o.program).isExecutable()) {
        std::fprintf(stderr,
                     "usage: dorimek_bench --program PATH/dorimek [--work DIR] [--runs N] "
                     "[--sections 1234567] [--quick]\n");
        return 2;
    }
    std::unique_ptr<QTemporaryDir> temp;
    if (o.folder.isEmpty()) {
        temp = std::make_unique<QTemporaryDir>();
        o.folder = temp->path();
    }
    o.folder = QFileInfo(o.folder).absoluteFilePath();
    if (o.quick) o.runs = 1;
    const std::vector<int> sheetMasters = o.quick ? std::vector<int>{500} : std::vector<int>{500, 20000};
    const std::vector<int> startMasters =
        o.quick ? std::vector<int>{0, 2000} : std::vector<int>{0, 20000, 200000};

    // The program runs from the work folder: it reads the files beside itself.
    const QString program = QDir(o.folder).filePath(QStringLiteral("dorimek"));
    QDir().mkpath(o.folder);
    QFile::remove(program);
    if (!QFile::copy(o.program, program)) {
        std::fprintf(stderr, "could not copy %s into %s\n", qPrintable(o.program), qPrintable(o.folder));
        return 1;
    }
    o.program = program;
    bool staged = stagePhotos(o.folder, o.quick ? 8 : 1);
    if (o.sections.contains(QLatin1Char('5')))
        staged = staged && stageCameraPhotos(o.folder, o.quick ? 8 : 1);
    for (int r : sheetMasters) staged = staged && stageMaster(o.folder, r);
    for (int r : startMasters) staged = staged && stageMaster(o.folder, r);
    if (!staged) {
        std::fprintf(stderr, "could not stage %s\n", qPrintable(o.folder));
        return 1;
    }

    int failures = 0;
    if (o.sections.contains(QLatin1Char('1'))) failures += sheetSection(o, sheetMasters);
    if (o.sections.contains(QLatin1Char('2'))) failures += hostSection(o, sheetMasters.back());
    if (o.sections.contains(QLatin1Char('3'))) failures += startupSection(o, startMasters);
    if (o.sections.contains(QLatin1Char('4'))) {
        section("4. per-row reads: a sheet's 24 rows finding their records (in process)");
        std::printf("%8s %12s %12s %12s %12s\n", "records", "per-row med", "per-row min", "one pass med",
                    "one pass min");
        std::vector<int> masters(startMasters.begin() + 1, startMasters.end());
        failures += measureRowReads(o.folder, masters, o.runs);
    }
    if (o.sections.contains(QLatin1Char('5'))) failures += cameraSection(o);
    if (o.sections.contains(QLatin1Char('6'))) failures += windowSection(o, sheetMasters);
    if (o.sections.contains(QLatin1Char('7'))) failures += typingSection(o);
    return failures == 0 ? 0 : 1;
}
