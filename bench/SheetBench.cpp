#include "SheetBench.h"

#include "BenchSupport.h"

#include "main/PrescriptionSource.h"
#include "platform/Sjis.h"
#include "sheets/Picyak.h"
#include "sheets/Picyou.h"
#include "sheets/Yakujo.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace dorimek::bench {
namespace {

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

std::unique_ptr<sheets::TForm1> sheetFor(int style, BenchSource& source,
                                         const mainwin::SheetSettings& settings) {
    if (style == 2) return std::make_unique<sheets::TForm4>(source, settings);
    if (style == 3) return std::make_unique<sheets::TForm5>(source, settings);
    return std::make_unique<sheets::TForm1>(source, settings);
}

}  // namespace

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

int measureSheet(const QString& folder, int style, int records) {
    QDir::setCurrent(folder);
    if (!useMaster(folder, records)) return 2;
    BenchSource source;
    for (int line = 0; line < kLines; ++line) {
        // The lines carry their records' names: a row whose record no longer
        // carries its line's name prints the name only, without a photo.
        source.state.appendKnown(platform::fromUnicode(registeredName(recordFor(line, records))),
                                 recordFor(line, records));
    }
    const mainwin::SheetSettings settings{
        -1, platform::fromUnicode(QStringLiteral("みどり内科クリニック")), "03-1234-5678"};
    {
        // Warm the file cache and the fonts the way a clinic's second print
        // finds them.
        auto warm = sheetFor(style, source, settings);
        if (!warm->Yakujorep.runToPdf(QStringLiteral("warm.pdf")).ok()) return 3;
    }
    floorSeconds();
    const double floor = floorSeconds();
    const QString pdf = QStringLiteral("style%1-%2.pdf").arg(style).arg(records);
    QElapsedTimer timer;
    timer.start();
    auto sheet = sheetFor(style, source, settings);
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

}  // namespace dorimek::bench
