#include "SheetBench.h"

#include "BenchSupport.h"

#include "masterfile/LineRecord.h"
#include "masterfile/MasterLines.h"
#include "platform/Sjis.h"
#include "prescription/PrescriptionSource.h"
#include "sheets/PhotoCell.h"
#include "sheets/PhotoResolver.h"
#include "sheets/Picyak.h"
#include "sheets/Picyou.h"
#include "sheets/Yakujo.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace dorimek::bench {
namespace {

class BenchSource : public prescription::PrescriptionSource {
  public:
    const prescription::PrescriptionState& prescription() const override { return state; }
    std::string usageText(int) const override {
        return platform::fromUnicode(QStringLiteral("朝昼夕 食後"));
    }
    prescription::PrescriptionState state;
};

std::unique_ptr<sheets::TForm1> sheetFor(int style, BenchSource& source,
                                         const prescription::SheetSettings& settings) {
    if (style == 2) return std::make_unique<sheets::TForm4>(source, settings);
    if (style == 3) return std::make_unique<sheets::TForm5>(source, settings);
    return std::make_unique<sheets::TForm1>(source, settings);
}

}  // namespace

namespace {

// libjpeg-turbo decoding one photo whole at 1/8, nothing else.
bool decodeEighth(const QString& path) {
    FILE* file = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (!file) return false;
    std::vector<unsigned char> row;
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
    return true;
}

}  // namespace

double floorSeconds() {
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kLines; ++i) {
        if (!decodeEighth(photoName(i))) return -1;
    }
    return timer.nsecsElapsed() / 1e9;
}

int measureCamera(const QString& folder) {
    QDir::setCurrent(cameraFolder(folder));
    BenchSource source;
    for (int line = 0; line < kLines; ++line) {
        source.state.appendKnown(platform::fromUnicode(registeredName(line)), line);
    }
    const prescription::SheetSettings settings{
        -1, platform::fromUnicode(QStringLiteral("みどり内科クリニック")), "03-1234-5678"};
    // Style 2's photo cell at the 300 dpi the sheets draw pictures at.
    const QSize cell(269, 238);
    sheets::loadPhotoCell(platform::fromUnicode(cameraPhotoName(0)), sheets::kPhotoProportionStyle2,
                          cell);

    QElapsedTimer timer;
    timer.start();
    sheets::TForm4 sheet(source, settings);
    const Status s = sheet.Yakujorep.runToPdf(QStringLiteral("camera.pdf"));
    const double sheetSeconds = timer.nsecsElapsed() / 1e9;
    const long sheetPeak = peakKilobytes();
    if (!s.ok() || sheet.Yakujorep.image(QStringLiteral("RpImage1"))->picture().isNull()) {
        std::fprintf(stderr, "camera sheet: %s\n",
                     s.ok() ? "no photo printed" : qPrintable(s.error()));
        return 3;
    }

    std::vector<double> rows, reference;
    sheets::PhotoResolver resolver;
    for (int line = 0; line < kLines; ++line) {
        timer.restart();
        const auto got = sheets::loadPhotoCell(platform::fromUnicode(cameraPhotoName(line)),
                                               sheets::kPhotoProportionStyle2, cell, resolver);
        rows.push_back(timer.nsecsElapsed() / 1e9);
        if (got.state != sheets::PhotoCell::State::Shown) return 3;
    }
    for (int line = 0; line < 6; ++line) {  // the same file each time: six give its figure
        timer.restart();
        if (!decodeEighth(cameraPhotoName(line))) return 3;
        reference.push_back(timer.nsecsElapsed() / 1e9);
    }
    const Stats r = statsOf(rows), e = statsOf(reference);
    std::printf("%.4f %.4f %.4f %.4f %ld %ld\n", e.median, r.median, r.minimum, sheetSeconds,
                sheetPeak, peakKilobytes());
    return 0;
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
    const prescription::SheetSettings settings{
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

int measureRowReads(const QString& folder, const std::vector<int>& masters, int runs) {
    QDir::setCurrent(folder);
    int failures = 0;
    for (int records : masters) {
        if (!useMaster(folder, records)) return 1;
        std::vector<std::string> names;
        std::vector<int> numbers;
        for (int line = 0; line < kLines; ++line) {
            numbers.push_back(recordFor(line, records));
            names.push_back(platform::fromUnicode(registeredName(numbers.back())));
        }
        std::vector<double> perRow, once;
        for (int run = 0; run < runs + 1; ++run) {  // the first warms the file cache
            QElapsedTimer timer;
            timer.start();
            int found = 0;
            for (int line = 0; line < kLines; ++line) {
                const auto r = masterfile::ReadLineRecord(numbers[size_t(line)], names[size_t(line)]);
                found += r && r->has_value();
            }
            const double a = timer.nsecsElapsed() / 1e9;
            // One pass for the sheet: every row's rule is offered every line.
            timer.restart();
            std::vector<masterfile::LineRecordRule> rules;
            for (int line = 0; line < kLines; ++line) rules.emplace_back(numbers[size_t(line)], names[size_t(line)]);
            std::vector<std::string> lines(kLines);
            std::vector<bool> done(kLines, false);
            int open = kLines, foundOnce = 0;
            masterfile::MasterLines reader(QStringLiteral("yakujo.txt"));
            std::string_view text;
            for (int n = 0; open > 0 && reader.next(text); ++n) {
                const std::string_view name = masterfile::registeredNameIn(text);
                for (int line = 0; line < kLines; ++line) {
                    if (done[size_t(line)]) continue;
                    const bool last = rules[size_t(line)].offer(n, name);
                    if (rules[size_t(line)].chosen() == n) lines[size_t(line)].assign(text);
                    if (last) done[size_t(line)] = true, --open;
                }
            }
            for (int line = 0; line < kLines; ++line) foundOnce += rules[size_t(line)].chosen().has_value();
            const double b = timer.nsecsElapsed() / 1e9;
            if (found != kLines || foundOnce != kLines) ++failures;
            if (run > 0) perRow.push_back(a), once.push_back(b);
        }
        const Stats p = statsOf(perRow), o = statsOf(once);
        std::printf("%8d %12.4f %12.4f %12.4f %12.4f\n", records, p.median, p.minimum, o.median, o.minimum);
    }
    return failures;
}

}  // namespace dorimek::bench
