#include "platform/PhotoDecoder.h"

#include "TestFiles.h"

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace dorimek {
namespace {

using platform::PhotoKind;
using testing::readBytes;
using testing::writeBytes;

// A picture with a left red half and a right blue half, so a decode at any
// scale can be checked for content, not just size.
QImage twoColourPicture(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::red);
    QPainter p(&image);
    p.fillRect(w / 2, 0, w - w / 2, h, Qt::blue);
    return image;
}

std::string encoded(const QImage& image, const char* format, int quality = 90) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format, quality));
    return std::string(bytes.constData(), size_t(bytes.size()));
}

bool near(QRgb a, QColor b) {
    return std::abs(qRed(a) - b.red()) < 40 && std::abs(qGreen(a) - b.green()) < 40 &&
           std::abs(qBlue(a) - b.blue()) < 40;
}

TEST(PhotoDecoder, DecoderIsChosenByTheNameAlone) {
    struct Case {
        const char* name;
        PhotoKind kind;
    };
    const Case cases[] = {
        {"a.jpg", PhotoKind::Jpeg},         {"a.JPG", PhotoKind::Jpeg},
        {"a.Jpg", PhotoKind::Bitmap},       {"a.jPG", PhotoKind::Bitmap},
        {"a.jpeg", PhotoKind::Bitmap},      {"a.JPEG", PhotoKind::Bitmap},
        {"a.JPG.bak", PhotoKind::Jpeg},     {"photo.jpg.bmp", PhotoKind::Jpeg},
        {"a.bmp", PhotoKind::Bitmap},       {"jpg.bmp", PhotoKind::Bitmap},
        {"dir.jpg/a.bmp", PhotoKind::Jpeg}, {"", PhotoKind::Bitmap},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::photoKindForName(std::string_view(c.name)), c.kind) << c.name;
        EXPECT_EQ(platform::photoKindForName(QString::fromUtf8(c.name)), c.kind) << c.name;
    }
}

TEST(PhotoDecoder, CoveringScaleIsTheSmallestThatStillCovers) {
    struct Case {
        int w, h;
        QSize cover;
        int scale;
    };
    const Case cases[] = {
        {4032, 3024, {504, 378}, 1},  // exactly an eighth
        {4032, 3024, {505, 378}, 2},
        {4032, 3024, {504, 379}, 2},
        {4032, 3024, {538, 404}, 2},
        {4032, 3024, {1009, 10}, 3},
        {4032, 3024, {3000, 2000}, 6},
        {4032, 3024, {4032, 3024}, 8},
        {4032, 3024, {9000, 9000}, 8},  // never enlarges
        {4032, 3024, {}, 8},            // no cell size known: full size
        {9, 9, {2, 2}, 1},              // ceil(9/8) = 2
        {9, 9, {3, 3}, 2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::coveringScale(c.w, c.h, c.cover), c.scale)
            << c.w << "x" << c.h << " cover " << c.cover.width() << "x" << c.cover.height();
    }
}

TEST(PhotoDecoder, JpegDecodesAtTheCoveringScaleWithItsFullSizeKept) {
    QTemporaryDir dir;
    const QString path = dir.filePath("p.jpg");
    writeBytes(path, encoded(twoColourPicture(803, 397), "JPEG"));

    const auto header = platform::readPhotoHeader(path, PhotoKind::Jpeg);
    ASSERT_TRUE(header) << header.error().toStdString();
    EXPECT_EQ(header->width, 803);
    EXPECT_EQ(header->height, 397);

    struct Case {
        QSize cover;
        int scale;
    };
    const Case cases[] = {
        {{}, 8}, {{100, 49}, 1}, {{102, 10}, 2}, {{400, 100}, 4}, {{802, 396}, 8}};
    for (const Case& c : cases) {
        const auto photo = platform::decodePhoto(path, PhotoKind::Jpeg, c.cover);
        ASSERT_TRUE(photo) << photo.error().toStdString();
        EXPECT_EQ(photo->scaleNum, c.scale);
        EXPECT_EQ(photo->scaleDenom, 8);
        EXPECT_EQ(photo->fullWidth, 803);
        EXPECT_EQ(photo->fullHeight, 397);
        EXPECT_EQ(photo->image.width(), (803 * c.scale + 7) / 8);
        EXPECT_EQ(photo->image.height(), (397 * c.scale + 7) / 8);
        EXPECT_EQ(photo->image.format(), QImage::Format_RGB32);
        const QImage& im = photo->image;
        EXPECT_TRUE(near(im.pixel(im.width() / 4, im.height() / 2), Qt::red)) << c.scale;
        EXPECT_TRUE(near(im.pixel(im.width() * 3 / 4, im.height() / 2), Qt::blue)) << c.scale;
    }
}

TEST(PhotoDecoder, GreyJpegAndBitmapsDecode) {
    QTemporaryDir dir;
    QImage grey(64, 48, QImage::Format_Grayscale8);
    grey.fill(200);
    writeBytes(dir.filePath("g.jpg"), encoded(grey, "JPEG"));
    const auto g = platform::decodePhoto(dir.filePath("g.jpg"), PhotoKind::Jpeg, {});
    ASSERT_TRUE(g) << g.error().toStdString();
    EXPECT_NEAR(qRed(g->image.pixel(10, 10)), 200, 3);
    EXPECT_NEAR(qBlue(g->image.pixel(10, 10)), 200, 3);

    writeBytes(dir.filePath("b.bmp"), encoded(twoColourPicture(120, 30), "BMP"));
    const auto header = platform::readPhotoHeader(dir.filePath("b.bmp"), PhotoKind::Bitmap);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->width, 120);
    EXPECT_EQ(header->height, 30);
    const auto b = platform::decodePhoto(dir.filePath("b.bmp"), PhotoKind::Bitmap, {});
    ASSERT_TRUE(b) << b.error().toStdString();
    EXPECT_EQ(b->image.size(), QSize(120, 30));
    EXPECT_EQ(b->image.pixel(10, 10), QColor(Qt::red).rgb());
    EXPECT_EQ(b->image.pixel(110, 10), QColor(Qt::blue).rgb());

    const auto small = platform::decodePhoto(dir.filePath("b.bmp"), PhotoKind::Bitmap, {30, 8});
    ASSERT_TRUE(small);
    EXPECT_EQ(small->scaleNum, 2);
    EXPECT_EQ(small->image.size(), QSize(30, 8));
    EXPECT_EQ(small->fullWidth, 120);
}

// A CMYK JPEG as print shops' software writes it: an Adobe marker and the
// ink values stored inverted. Qt can't write one, so libjpeg does.
void writeCmykJpeg(const QString& path, int w, int h, const unsigned char stored[4]) {
    FILE* file = std::fopen(path.toLocal8Bit().constData(), "wb");
    ASSERT_NE(file, nullptr);
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = JDIMENSION(w);
    cinfo.image_height = JDIMENSION(h);
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<unsigned char> row(size_t(w) * 4);
    for (int x = 0; x < w; ++x) std::copy(stored, stored + 4, row.begin() + 4 * x);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&cinfo, &p, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(file);
}

TEST(PhotoDecoder, CmykJpegComesOutInRgb) {
    QTemporaryDir dir;
    const QString path = dir.filePath("cmyk.jpg");
    const unsigned char red[4] = {255, 0, 0, 255};  // no cyan, full magenta and yellow, no black
    writeCmykJpeg(path, 48, 32, red);
    for (QSize cover : {QSize(), QSize(6, 4)}) {
        const auto photo = platform::decodePhoto(path, PhotoKind::Jpeg, cover);
        ASSERT_TRUE(photo) << photo.error().toStdString();
        EXPECT_EQ(photo->fullWidth, 48);
        EXPECT_TRUE(near(photo->image.pixel(2, 2), Qt::red));
    }
}

TEST(PhotoDecoder, AJpegWithoutItsEndMarkerStillDecodes) {
    QTemporaryDir dir;
    std::string bytes = encoded(twoColourPicture(160, 120), "JPEG");
    ASSERT_EQ(bytes.substr(bytes.size() - 2), "\xFF\xD9");
    bytes.resize(bytes.size() - 2);
    writeBytes(dir.filePath("noeoi.jpg"), bytes);
    const auto photo = platform::decodePhoto(dir.filePath("noeoi.jpg"), PhotoKind::Jpeg, {});
    EXPECT_TRUE(photo) << photo.error().toStdString();
}

// Zeroes the height in the first start-of-frame segment of a JPEG.
std::string withZeroHeight(std::string jpeg) {
    for (size_t i = 2; i + 8 < jpeg.size(); ++i) {
        if (uchar(jpeg[i]) == 0xFF && (uchar(jpeg[i + 1]) == 0xC0 || uchar(jpeg[i + 1]) == 0xC2)) {
            jpeg[i + 5] = 0;
            jpeg[i + 6] = 0;
            return jpeg;
        }
    }
    ADD_FAILURE() << "no SOF segment";
    return jpeg;
}

// A bitmap header that declares a width of 0.
std::string zeroWidthBitmap() {
    std::string bmp = encoded(twoColourPicture(4, 4), "BMP");
    bmp[18] = bmp[19] = bmp[20] = bmp[21] = 0;
    return bmp;
}

TEST(PhotoDecoder, DamagedFilesFailWithAMessageAndNeverEndTheProgram) {
    const std::string jpeg = encoded(twoColourPicture(320, 240), "JPEG");
    const std::string bmp = encoded(twoColourPicture(32, 24), "BMP");
    std::mt19937 rng(7);
    std::string noise(4000, '\0');
    for (char& c : noise) c = char(rng());
    std::string noiseAfterJpegStart = "\xFF\xD8\xFF" + noise;

    struct Case {
        const char* what;
        const char* name;
        std::string bytes;
        PhotoKind kind;
    };
    const Case cases[] = {
        {"a bitmap named .jpg", "bmp.jpg", bmp, PhotoKind::Jpeg},
        {"a JPEG cut in half", "half.jpg", jpeg.substr(0, jpeg.size() / 2), PhotoKind::Jpeg},
        {"a JPEG cut inside its header", "head.jpg", jpeg.substr(0, 40), PhotoKind::Jpeg},
        {"random bytes as JPEG", "noise.jpg", noise, PhotoKind::Jpeg},
        {"random bytes after a JPEG start", "start.jpg", noiseAfterJpegStart, PhotoKind::Jpeg},
        {"an empty file as JPEG", "empty.jpg", "", PhotoKind::Jpeg},
        {"a JPEG of height 0", "zero.jpg", withZeroHeight(jpeg), PhotoKind::Jpeg},
        {"a JPEG named .bmp", "jpeg.bmp", jpeg, PhotoKind::Bitmap},
        {"random bytes as bitmap", "noise.bmp", noise, PhotoKind::Bitmap},
        {"an empty file as bitmap", "empty.bmp", "", PhotoKind::Bitmap},
        {"a bitmap cut short", "short.bmp", bmp.substr(0, 30), PhotoKind::Bitmap},
        {"a bitmap of width 0", "zero.bmp", zeroWidthBitmap(), PhotoKind::Bitmap},
    };
    QTemporaryDir dir;
    for (const Case& c : cases) {
        const QString path = dir.filePath(c.name);
        writeBytes(path, c.bytes);
        for (QSize cover : {QSize(), QSize(20, 20)}) {
            const auto photo = platform::decodePhoto(path, c.kind, cover);
            ASSERT_FALSE(photo) << c.what;
            EXPECT_TRUE(photo.error().contains(QString::fromUtf8(c.name))) << c.what;
            EXPECT_TRUE(photo.error().contains(QStringLiteral("読み込めません"))) << c.what;
        }
    }
}

TEST(PhotoDecoder, AMissingFileIsReportedAsNotOpening) {
    QTemporaryDir dir;
    const QString path = dir.filePath("none.jpg");
    EXPECT_FALSE(platform::canOpenPhoto(path));
    EXPECT_FALSE(platform::canOpenPhoto(QString()));
    for (PhotoKind kind : {PhotoKind::Jpeg, PhotoKind::Bitmap}) {
        const auto photo = platform::decodePhoto(path, kind, {});
        ASSERT_FALSE(photo);
        EXPECT_TRUE(photo.error().contains(QStringLiteral("開けません")));
        EXPECT_FALSE(platform::readPhotoHeader(path, kind));
    }
}

}  // namespace
}  // namespace dorimek

namespace dorimek {
namespace {

// A progressive JPEG of a photo's kind of detail: colour edges and grain.
std::string progressiveJpeg(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    std::mt19937 rng(3);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int grain = int(rng() % 31) - 15;
            image.setPixel(x, y,
                           qRgb(std::clamp(40 + 180 * x / w + grain, 0, 255),
                                std::clamp(200 - 150 * y / h + grain, 0, 255),
                                (x / 40 + y / 40) % 2 ? 220 : 30));
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(92);
    writer.setProgressiveScanWrite(true);  // libjpeg's usual scan script
    EXPECT_TRUE(writer.write(image));
    return bytes.toStdString();
}

// libjpeg's own whole decode at M/8, the picture every early stop must match.
QImage wholeDecode(const std::string& bytes, int m) {
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    jpeg_read_header(&cinfo, TRUE);
    cinfo.scale_num = unsigned(m);
    cinfo.scale_denom = 8;
    cinfo.out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(&cinfo);
    QImage image(int(cinfo.output_width), int(cinfo.output_height), QImage::Format_RGB32);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW p = image.scanLine(int(cinfo.output_scanline));
        jpeg_read_scanlines(&cinfo, &p, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return image;
}

TEST(PhotoDecoder, AProgressiveJpegReadOnlyInPartLooksAsReadWhole) {
    QTemporaryDir dir;
    const std::string bytes = progressiveJpeg(1600, 1200);
    struct Case {
        const char* what;
        std::string file;
        QSize cover;
        int scale;
        int tolerance;  // largest difference of a channel from the whole decode
        int cell;       // output pixels a side that one pixel of the cell covers
    };
    const Case cases[] = {
        {"a cell of a sixteenth: the first scans only", bytes, {100, 75}, 1, 3, 2},
        // Cut after the first scans, the rest of the file is never missed.
        {"the same of a file cut in its last scans",
         bytes.substr(0, bytes.size() * 3 / 4),
         {100, 75},
         1,
         3,
         2},
        {"a cell of an eighth: colour detail needs every scan", bytes, {200, 150}, 1, 0, 1},
        {"2/8: every scan", bytes, {201, 150}, 2, 0, 1},
    };
    for (const Case& c : cases) {
        const QString path = dir.filePath(QStringLiteral("p.jpg"));
        writeBytes(path, c.file);
        const auto photo = platform::decodePhoto(path, PhotoKind::Jpeg, c.cover);
        ASSERT_TRUE(photo) << c.what << ": " << photo.error().toStdString();
        EXPECT_EQ(photo->scaleNum, c.scale) << c.what;
        const QImage whole = wholeDecode(bytes, c.scale);
        ASSERT_EQ(photo->image.size(), whole.size()) << c.what;
        // Both as the cell sees them: averaged over squares of c.cell pixels.
        const QSize seen = whole.size() / c.cell;
        const QImage a = photo->image.scaled(seen, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const QImage b = whole.scaled(seen, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        int worst = 0;
        for (int y = 0; y < seen.height(); ++y) {
            for (int x = 0; x < seen.width(); ++x) {
                const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
                worst = std::max({worst, std::abs(qRed(p) - qRed(q)),
                                  std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q))});
            }
        }
        EXPECT_LE(worst, c.tolerance) << c.what;
    }
}

}  // namespace
}  // namespace dorimek
