#pragma once

#include <QString>
#include <QStringList>

#include <string>
#include <vector>

namespace dorimek::bench {

constexpr int kLines = 24;  // prescription lines of every measured sheet

long long monotonicNs();
// This process's own peak resident memory since its exec (VmHWM), in kB.
long peakKilobytes();

// The record numbers the prescription uses: spread over the file, the last
// one near its end, so that reading a record from the top costs what it would.
int recordFor(int line, int records);
QString photoName(int line);
// The registered name of record r of every staged master file.
QString registeredName(int r);

// The staged work folder: 24 distinct camera photos, master files
// yakujo<N>.txt, rp.csv naming the prescription, the program beside them.
// scale 1 gives 4032 x 3024 camera photos; the smoke run uses smaller ones.
bool stagePhotos(const QString& folder, int scaleDown = 1);
bool stageMaster(const QString& folder, int records);
// The camera folder (folder/camera): 24 names of one 8000 x 6000 progressive
// JPEG as a phone or a newer camera tool writes it, made here with libjpeg,
// and a master file of 24 records naming them. scaleDown for the smoke run.
QString cameraFolder(const QString& folder);
QString cameraPhotoName(int line);
bool stageCameraPhotos(const QString& folder, int scaleDown = 1);
bool useMaster(const QString& folder, int records);  // copies yakujo<N>.txt to yakujo.txt
bool stageHostFiles(const QString& folder, int style);  // sorbenk.ini for an automatic print, rp.csv

// One child run as the host starts it: a launcher forks and execs the program
// and reports the child's own figures from wait4(). Launched from a process
// of its own (see launchMain), so the high-water mark wait4() reports is the
// program's and not carried over from this big benchmark process.
struct ChildRun {
    bool ok = false;
    long long startNs = 0;  // just before fork
    long long endNs = 0;    // after the child was reaped
    long peakKb = 0;
    int exitCode = -1;
    QStringList output;  // the child's standard output, line by line
};
ChildRun runChild(const QString& program, const QStringList& args, const QStringList& env,
                  const QString& workDir);
// The launcher's main, for argv = [bench, "--launch", program, args...].
int launchMain(int argc, char** argv);

// The figure of several runs.
struct Stats {
    double median = 0;
    double minimum = 0;
};
Stats statsOf(std::vector<double> values);

}  // namespace dorimek::bench
