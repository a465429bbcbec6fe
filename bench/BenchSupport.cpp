#include "BenchSupport.h"

#include "platform/PeakMemory.h"

#include "platform/Sjis.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>

#include <jpeglib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

namespace dorimek::bench {
namespace {

// A picture with a photo's kind of detail: gradients, shapes and grain,
// different for every index.
QImage photoContent(int index, int scaleDown) {
    const int kPhotoWidth = 4032 / scaleDown, kPhotoHeight = 3024 / scaleDown;
    QImage image(kPhotoWidth, kPhotoHeight, QImage::Format_RGB32);
    QRandomGenerator rng(1000 + index);
    QLinearGradient g(0, 0, kPhotoWidth, kPhotoHeight);
    g.setColorAt(0, QColor::fromHsv((index * 37) % 360, 90, 200));
    g.setColorAt(1, QColor::fromHsv((index * 37 + 120) % 360, 160, 90));
    QPainter p(&image);
    p.fillRect(image.rect(), g);
    p.setRenderHint(QPainter::Antialiasing);
    for (int k = 0; k < 40; ++k) {
        p.setBrush(QColor::fromHsv(rng.bounded(360), 40 + rng.bounded(200), 60 + rng.bounded(190)));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(rng.bounded(kPhotoWidth), rng.bounded(kPhotoHeight)),
                      (80 + rng.bounded(700)) / scaleDown, (80 + rng.bounded(500)) / scaleDown);
    }
    p.end();
    for (int y = 0; y < kPhotoHeight; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < kPhotoWidth; ++x) {
            const int n = int(rng.bounded(24u)) - 12;
            const QRgb c = line[x];
            line[x] = qRgb(qBound(0, qRed(c) + n, 255), qBound(0, qGreen(c) + n, 255),
                           qBound(0, qBlue(c) + n, 255));
        }
    }
    return image;
}

bool writeFile(const QString& path, const std::string& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) &&
           f.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size());
}

std::string sjis(const QString& text) { return platform::fromUnicode(text); }

}  // namespace

// Registered names as a clinic has them: half-width kana readings grouped
// by initial, so the kana index has runs to jump to.
QString registeredName(int r) {
    static const QStringList stems = {QStringLiteral("ｱﾑﾛｼﾞﾋﾟﾝ錠"), QStringLiteral("ｶﾙﾎﾞｼｽﾃｲﾝ錠"),
                                      QStringLiteral("ｻﾞﾙﾄﾌﾟﾛﾌｪﾝ錠"), QStringLiteral("ﾃﾙﾐｻﾙﾀﾝ錠"),
                                      QStringLiteral("ﾅﾌﾟﾛｷｾﾝ錠"), QStringLiteral("ﾌｧﾓﾁｼﾞﾝOD錠"),
                                      QStringLiteral("ﾒﾄﾎﾙﾐﾝ塩酸塩錠"), QStringLiteral("ﾛｷｿﾌﾟﾛﾌｪﾝNa錠")};
    return stems.at((r / 2500) % stems.size()) +
           QString::number(r) + QStringLiteral("mg");
}

long long monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

long peakKilobytes() { return platform::peakResidentKilobytes(); }

int recordFor(int line, int records) { return (records - 1) * (line + 1) / kLines; }

QString photoName(int line) { return QStringLiteral("photo%1.jpg").arg(line, 2, 10, QLatin1Char('0')); }

bool stagePhotos(const QString& folder, int scaleDown) {
    QDir().mkpath(folder);
    const QDir dir(folder);
    for (int i = 0; i < kLines; ++i) {
        const QString path = dir.filePath(photoName(i));
        if (QFileInfo(path).size() > 0) continue;  // kept from an earlier run
        std::fprintf(stderr, "\rmaking photo %d of %d", i + 1, kLines);
        if (!photoContent(i, scaleDown).save(path, "JPEG", 92)) return false;
    }
    std::fprintf(stderr, "\n");
    return true;
}

bool stageMaster(const QString& folder, int records) {
    const QString path = QDir(folder).filePath(QStringLiteral("yakujo%1.txt").arg(records));
    std::vector<int> photoOf(size_t(records), -1);
    if (records > 0) {
        for (int line = 0; line < kLines; ++line) photoOf[size_t(recordFor(line, records))] = line;
    }
    std::string bytes;
    for (int r = 0; r < records; ++r) {
        const QString photo = photoOf[size_t(r)] >= 0 ? photoName(photoOf[size_t(r)])
                                                      : QStringLiteral("none%1.jpg").arg(r);
        bytes += sjis(QStringLiteral("%1,薬品%2錠 10mg,錠,白 AB%2,10mg 100錠,"
                                     "痛みや炎症をおさえ、熱を下げる薬です。,"
                                     "胃の不快感、発疹が現れたら医師に相談してください。,%3\r\n")
                          .arg(registeredName(r))
                          .arg(r)
                          .arg(photo));
    }
    return writeFile(path, bytes);
}

QString cameraFolder(const QString& folder) {
    return QDir(folder).filePath(QStringLiteral("camera"));
}

QString cameraPhotoName(int line) {
    return QStringLiteral("prog%1.jpg").arg(line, 2, 10, QLatin1Char('0'));
}

namespace {

// One progressive JPEG of a photo's kind of detail (gradients, blobs,
// grain), written row by row so that the bench never holds the picture.
bool writeProgressiveJpeg(const QString& path, int w, int h) {
    FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!file) return false;
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = JDIMENSION(w);
    cinfo.image_height = JDIMENSION(h);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 92, TRUE);
    jpeg_simple_progression(&cinfo);  // what cameras' "progressive" and most tools write
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<unsigned char> row(size_t(w) * 3);
    QRandomGenerator rng(4242);
    while (cinfo.next_scanline < cinfo.image_height) {
        const int y = int(cinfo.next_scanline);
        for (int x = 0; x < w; ++x) {
            const double fx = double(x) / w, fy = double(y) / h;
            const bool blob = std::hypot(fx - 0.5, (fy - 0.5) * h / w) < 0.2 ||
                              std::hypot(fx - 0.2, fy - 0.7) < 0.08;
            const int n = int(rng.bounded(24u)) - 12;
            const int r = blob ? 235 : int(60 + 120 * fx), g = blob ? 225 : int(90 + 80 * fy),
                      b = blob ? 210 : int(150 - 60 * fx * fy);
            row[size_t(3 * x)] = static_cast<unsigned char>(qBound(0, r + n, 255));
            row[size_t(3 * x + 1)] = static_cast<unsigned char>(qBound(0, g + n, 255));
            row[size_t(3 * x + 2)] = static_cast<unsigned char>(qBound(0, b + n, 255));
        }
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&cinfo, &p, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::fclose(file) == 0;
}

}  // namespace

bool stageCameraPhotos(const QString& folder, int scaleDown) {
    QDir dir(cameraFolder(folder));
    QDir().mkpath(dir.path());
    const QString first = dir.filePath(cameraPhotoName(0));
    const QString stamp = dir.filePath(QStringLiteral("made-%1").arg(scaleDown));
    if (!QFileInfo::exists(stamp)) {
        std::fprintf(stderr, "making an %d x %d progressive photo\n", 8000 / scaleDown,
                     6000 / scaleDown);
        for (const QString& f : dir.entryList(QDir::Files)) dir.remove(f);
        if (!writeProgressiveJpeg(first, 8000 / scaleDown, 6000 / scaleDown)) return false;
        for (int i = 1; i < kLines; ++i) {
            if (::link(QFile::encodeName(first).constData(),
                       QFile::encodeName(dir.filePath(cameraPhotoName(i))).constData()) != 0 &&
                !QFile::copy(first, dir.filePath(cameraPhotoName(i)))) {
                return false;
            }
        }
        if (!writeFile(stamp, "")) return false;
    }
    std::string bytes;
    for (int r = 0; r < kLines; ++r) {
        bytes += sjis(QStringLiteral("%1,カメラ写真の薬%2,錠,形,包装,効能,注意,%3\r\n")
                          .arg(registeredName(r))
                          .arg(r)
                          .arg(cameraPhotoName(r)));
    }
    return writeFile(dir.filePath(QStringLiteral("yakujo.txt")), bytes);
}

bool useMaster(const QString& folder, int records) {
    const QDir dir(folder);
    QFile::remove(dir.filePath(QStringLiteral("yakujo.txt")));
    return QFile::copy(dir.filePath(QStringLiteral("yakujo%1.txt").arg(records)),
                       dir.filePath(QStringLiteral("yakujo.txt")));
}

bool stageHostFiles(const QString& folder, int style) {
    const QDir dir(folder);
    // A printer chosen by name that can't be reached is announced in a message
    // box at start, which would hold a start-up run without a spooler forever.
    const QString printer = qEnvironmentVariableIsEmpty("CUPS_SERVER") ? QString()
                                                                       : QStringLiteral("capture");
    const std::string ini = sjis(QStringLiteral(
        "prindex=0\r\nprinter=%2\r\nqevpath=./\r\nclinic=みどり内科クリニック\r\n"
        "tel=03-1234-5678\r\nprev=0\r\nstyle=%1\r\nuse=@朝,@朝昼夕 食後,\r\n").arg(style).arg(printer));
    if (!writeFile(dir.filePath(QStringLiteral("sorbenk.ini")), ini)) return false;
    // The prescription of the 20,000-record master: the same records the
    // in-process sheet measures.
    std::string rp = sjis(QStringLiteral("患者番号,1\r\n患者氏名,ﾍﾞﾝﾁ\r\n生年月日,19500101,女\r\n"
                                         "処方日,20240520,内科,院外\r\nRp,ｺｰﾄﾞ,区分,行,用法有,薬剤名,用量,単位,日数,用法\r\n"));
    for (int line = 0; line < kLines; ++line) {
        rp += sjis(QStringLiteral("01,0,内服,%1,1,%2,1,錠,14,朝昼夕 食後\r\n")
                       .arg(line + 1)
                       .arg(registeredName(recordFor(line, 20000))));
    }
    return writeFile(dir.filePath(QStringLiteral("rp.csv")), rp);
}

ChildRun runChild(const QString& program, const QStringList& args, const QStringList& env,
                  const QString& workDir) {
    ChildRun run;
    QProcess launcher;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    for (const QString& kv : env) e.insert(kv.section(QLatin1Char('='), 0, 0), kv.section(QLatin1Char('='), 1));
    launcher.setProcessEnvironment(e);
    launcher.setWorkingDirectory(workDir);
    launcher.start(QCoreApplication::applicationFilePath(), QStringList{QStringLiteral("--launch"), program} + args);
    if (!launcher.waitForFinished(600000)) return run;
    const QStringList lines =
        QString::fromLocal8Bit(launcher.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        const QStringList w = line.split(QLatin1Char(' '));
        if (w.value(0) == QLatin1String("launch-result") && w.size() == 5) {
            run.startNs = w[1].toLongLong();
            run.endNs = w[2].toLongLong();
            run.peakKb = w[3].toLong();
            run.exitCode = w[4].toInt();
            run.ok = true;
        } else {
            run.output << line;
        }
    }
    return run;
}

int launchMain(int argc, char** argv) {
    if (argc < 3) return 2;
    std::fflush(stdout);
    const long long start = monotonicNs();
    const pid_t pid = fork();
    if (pid == 0) {
        execv(argv[2], argv + 2);
        _exit(127);
    }
    if (pid < 0) return 2;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) return 2;
    const long long end = monotonicNs();
    std::printf("launch-result %lld %lld %ld %d\n", start, end, usage.ru_maxrss,
                WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
    return 0;
}

Stats statsOf(std::vector<double> values) {
    Stats s;
    if (values.empty()) return s;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    s.median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    s.minimum = values.front();
    return s;
}

}  // namespace dorimek::bench
