// How long a sheet with 24 camera photos takes from the start of a print to
// the finished PDF, against the least any program must spend: decoding the
// same 24 photos at 1/8 scale with libjpeg-turbo.
//
//   sheet_bench [work-folder]
//
// Stages a program folder (master files of 500 and 20,000 records, 24
// distinct 4032 x 3024 JPEG photos), then measures every style against each
// master file, each in a process of its own so that peak memory is that
// run's own.

#include "main/PrescriptionSource.h"
#include "sheets/Picyak.h"
#include "sheets/Picyou.h"
#include "sheets/Yakujo.h"

#include "platform/Sjis.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace {

using namespace dorimek;

constexpr int kLines = 24;
constexpr int kPhotoWidth = 4032;
constexpr int kPhotoHeight = 3024;
const int kMasterSizes[] = {500, 20000};

class BenchSource : public mainwin::PrescriptionSource {
  public:
    const mainwin::PrescriptionState& prescription() const override { return state; }
    std::string usageText(int n) const override {
        return n <= mainwin::PrescriptionState::kUsageBoxes
                   ? platform::fromUnicode(QStringLiteral("朝昼夕 食後"))
                   : std::string();
    }
    mainwin::PrescriptionState state;
};

QString photoName(int i) { return QStringLiteral("photo%1.jpg").arg(i, 2, 10, QLatin1Char('0')); }

// The record numbers the prescription uses: spread over the file, the last
// one near its end, so that reading a record from the top costs what it would.
int recordFor(int line, int records) { return (records - 1) * (line + 1) / kLines; }

// A picture with a photo's kind of detail: gradients, shapes and grain,
// different for every index.
QImage photoContent(int index) {
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
                      80 + rng.bounded(700), 80 + rng.bounded(500));
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

bool stage(const QString& folder) {
    QDir().mkpath(folder);
    QDir dir(folder);
    for (int i = 0; i < kLines; ++i) {
        const QString path = dir.filePath(photoName(i));
        if (QFileInfo(path).size() > 0) continue;  // kept from an earlier run
        std::fprintf(stderr, "\rmaking photo %d of %d", i + 1, kLines);
        if (!photoContent(i).save(path, "JPEG", 92)) return false;
    }
    std::fprintf(stderr, "\n");
    for (int records : kMasterSizes) {
        std::string bytes;
        std::vector<int> photoOf(size_t(records), -1);
        for (int line = 0; line < kLines; ++line) photoOf[size_t(recordFor(line, records))] = line;
        for (int r = 0; r < records; ++r) {
            const std::string n = std::to_string(r);
            const QString photo = photoOf[size_t(r)] >= 0 ? photoName(photoOf[size_t(r)])
                                                          : QStringLiteral("none%1.jpg").arg(r);
            bytes += platform::fromUnicode(
                QStringLiteral("薬品%1,薬品%1錠 10mg,錠,白 AB%1,10mg 100錠,"
                               "痛みや炎症をおさえ、熱を下げる薬です。,"
                               "胃の不快感、発疹が現れたら医師に相談してください。,%2\r\n")
                    .arg(QString::fromStdString(n), photo));
        }
        QFile f(dir.filePath(QStringLiteral("yakujo%1.txt").arg(records)));
        if (!f.open(QIODevice::WriteOnly) ||
            f.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size())) {
            return false;
        }
    }
    return true;
}

long peakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The floor: libjpeg-turbo decoding the 24 photos at 1/8, nothing else.
double floorSeconds() {
    QElapsedTimer timer;
    timer.start();
    std::vector<unsigned char> row;
    for (int i = 0; i < kLines; ++i) {
        FILE* file = std::fopen(photoName(i).toLocal8Bit().constData(), "rb");
        if (!file) return -1;
        jpeg_decompress_struct cinfo{};
        jpeg_error_mgr err{};
        cinfo.err = jpeg_std_error(&err);
        jpeg_create_decompress(&cinfo);
        jpeg_stdio_src(&cinfo, file);
        jpeg_read_header(&cinfo, TRUE);
        cinfo.scale_num = 1;
        cinfo.scale_denom = 8;
        cinfo.out_color_space = JCS_EXT_BGRX;
        jpeg_start_decompress(&cinfo);
        row.resize(size_t(cinfo.output_width) * 4);
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW p = row.data();
            jpeg_read_scanlines(&cinfo, &p, 1);
        }
        jpeg_finish_decompress(&cinfo);
        jpeg_destroy_decompress(&cinfo);
        std::fclose(file);
    }
    return timer.nsecsElapsed() / 1e9;
}

// One measurement, in this process: prints "seconds floor peakKB pdfBytes".
int measure(const QString& folder, int style, int records) {
    QDir::setCurrent(folder);
    QFile::remove(QStringLiteral("yakujo.txt"));
    if (!QFile::copy(QStringLiteral("yakujo%1.txt").arg(records), QStringLiteral("yakujo.txt"))) {
        return 2;
    }
    BenchSource source;
    for (int line = 0; line < kLines; ++line) {
        source.state.appendKnown(std::to_string(line), recordFor(line, records));
    }
    const mainwin::SheetSettings settings{
        -1, platform::fromUnicode(QStringLiteral("みどり内科クリニック")), "03-1234-5678"};
    std::unique_ptr<sheets::TForm1> sheet;
    if (style == 1) sheet = std::make_unique<sheets::TForm1>(source, settings);
    if (style == 2) sheet = std::make_unique<sheets::TForm4>(source, settings);
    if (style == 3) sheet = std::make_unique<sheets::TForm5>(source, settings);

    // Warm the file cache and the fonts the way a clinic's second print finds
    // them; then the floor, then the sheet.
    floorSeconds();
    const double floor = floorSeconds();
    const QString pdf = QStringLiteral("style%1-%2.pdf").arg(style).arg(records);
    QElapsedTimer timer;
    timer.start();
    const Status s = sheet->Yakujorep.runToPdf(pdf);
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (!s.ok()) {
        std::fprintf(stderr, "%s\n", s.error().toLocal8Bit().constData());
        return 3;
    }
    std::printf("%.4f %.4f %ld %lld\n", seconds, floor, peakKilobytes(),
                static_cast<long long>(QFileInfo(pdf).size()));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();

    if (args.size() == 5 && args[1] == QLatin1String("--measure")) {
        return measure(args[2], args[3].toInt(), args[4].toInt());
    }

    std::unique_ptr<QTemporaryDir> temp;
    QString folder;
    if (args.size() >= 2) {
        folder = QFileInfo(args[1]).absoluteFilePath();
    } else {
        temp = std::make_unique<QTemporaryDir>();
        folder = temp->path();
    }
    if (!stage(folder)) {
        std::fprintf(stderr, "could not stage %s\n", qPrintable(folder));
        return 1;
    }

    std::printf("%-7s %8s %10s %10s %7s %9s %9s\n", "style", "records", "sheet s", "floor s",
                "ratio", "peak MB", "PDF MB");
    int failures = 0;
    for (int records : kMasterSizes) {
        for (int style = 1; style <= 3; ++style) {
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(),
                        {QStringLiteral("--measure"), folder, QString::number(style),
                         QString::number(records)});
            if (!child.waitForFinished(600000) || child.exitCode() != 0) {
                std::fprintf(stderr, "style %d, %d records: measurement failed\n%s", style, records,
                             child.readAllStandardError().constData());
                ++failures;
                continue;
            }
            double seconds = 0, floor = 0;
            long peak = 0;
            long long pdfBytes = 0;
            if (std::sscanf(child.readAllStandardOutput().constData(), "%lf %lf %ld %lld", &seconds,
                            &floor, &peak, &pdfBytes) != 4) {
                ++failures;
                continue;
            }
            std::printf("%-7d %8d %10.3f %10.3f %7.2f %9.1f %9.2f\n", style, records, seconds,
                        floor, seconds / floor, peak / 1024.0, pdfBytes / (1024.0 * 1024.0));
            std::fflush(stdout);
        }
    }
    std::printf("targets: ratio <= 2, PDF < 3 MB, peak memory < 300 MB\n");
    return failures == 0 ? 0 : 1;
}
