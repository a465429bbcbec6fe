// Inputs that once made the program misbehave, kept as files on disk and run
// the way the program runs them: photos of extreme proportions (the padded
// box of a strip grows with the square of its length), and settings files
// with stray carriage returns that could be read but never saved again.
#include "TestFiles.h"
#include "main/SettingsFile.h"
#include "sheets/PhotoBox.h"
#include "sheets/PhotoCell.h"

#include <QByteArray>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <sys/resource.h>

namespace dorimek::faults {
namespace {

using sheets::PhotoCell;

void put16(std::string& b, uint16_t v) {
    b.push_back(static_cast<char>(v & 0xFF));
    b.push_back(static_cast<char>(v >> 8));
}
void put32(std::string& b, uint32_t v) {
    put16(b, static_cast<uint16_t>(v & 0xFFFF));
    put16(b, static_cast<uint16_t>(v >> 16));
}

// A 24-bit Windows bitmap whose header claims width x height and whose pixel
// data holds only pixelBytes bytes, as a damaged or forged file would.
std::string bitmap(uint32_t width, uint32_t height, size_t pixelBytes) {
    std::string b = "BM";
    put32(b, static_cast<uint32_t>(54 + pixelBytes));
    put32(b, 0);
    put32(b, 54);
    put32(b, 40);
    put32(b, width);
    put32(b, height);
    put16(b, 1);
    put16(b, 24);
    put32(b, 0);
    put32(b, static_cast<uint32_t>(pixelBytes));
    put32(b, 2835);
    put32(b, 2835);
    put32(b, 0);
    put32(b, 0);
    b.append(pixelBytes, '\x7f');
    return b;
}

// A two-colour (1 bit per pixel) bitmap claiming width x height, with only
// a few bytes of pixel data.
std::string paletteBitmap(uint32_t width, uint32_t height) {
    std::string b = "BM";
    const uint32_t pixelBytes = 40;
    put32(b, 62 + pixelBytes);
    put32(b, 0);
    put32(b, 62);
    put32(b, 40);
    put32(b, width);
    put32(b, height);
    put16(b, 1);
    put16(b, 1);
    put32(b, 0);
    put32(b, pixelBytes);
    put32(b, 0);
    put32(b, 0);
    put32(b, 2);
    put32(b, 2);
    b += std::string("\x7e\x7e\x7e\x00\x00\x00\x00\x00", 8);
    b.append(pixelBytes, '\x55');
    return b;
}

// A grey JPEG of width x height, written by libjpeg; progressive when asked.
std::string jpeg(int width, int height, bool progressive = false) {
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 1;
    cinfo.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&cinfo);
    if (progressive) jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(static_cast<size_t>(width), 128);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&cinfo, &p, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::string bytes(reinterpret_cast<const char*>(out), size);
    std::free(out);
    return bytes;
}

struct PhotoCase {
    const char* name;
    const char* fileName;
    std::string (*bytes)();
    PhotoCell::State expected;
    const char* reason = nullptr;  // what the user is told, in part
};

// A small baseline JPEG whose frame header claims width x height.
std::string forgedJpeg(uint16_t width, uint16_t height) {
    std::string bytes = jpeg(16, 16);
    const size_t sof = bytes.find("\xFF\xC0");
    if (sof == std::string::npos) return {};
    bytes[sof + 5] = static_cast<char>(height >> 8);
    bytes[sof + 6] = static_cast<char>(height & 0xFF);
    bytes[sof + 7] = static_cast<char>(width >> 8);
    bytes[sof + 8] = static_cast<char>(width & 0xFF);
    return bytes;
}

// The cell of style 2 at 600 dots per inch, the finest the sheets print at.
const QSize kPrintCell(537, 475);

const PhotoCase kPhotos[] = {
    // Found by fuzz_photo: 174 bytes that padded to a box of 734 GB.
    {"ForgedWideBitmap", "strip.bmp", [] { return bitmap(2883591, 5, 120); },
     PhotoCell::State::Undecodable},
    // The widest JPEG there can be, one pixel high: 1.9 GB of box.
    {"WidestJpegStrip", "strip.jpg", [] { return jpeg(65500, 1); }, PhotoCell::State::Undecodable},
    // Found by fuzz_photo: 67 bytes claiming 6 x 4390912 pixels in two
    // colours; Qt's scaled read of it crashed the program.
    {"TallPaletteBitmap", "tall.bmp", [] { return paletteBitmap(6, 4390912); },
     PhotoCell::State::Undecodable},
    // Long but sane strips are still shown.
    {"LongJpegStrip", "long.jpg", [] { return jpeg(4000, 10); }, PhotoCell::State::Shown},
    {"LongBitmapStrip", "long.bmp", [] { return bitmap(3000, 2, 3000 * 3 * 2); },
     PhotoCell::State::Shown},
    {"TallJpegStrip", "tall.jpg", [] { return jpeg(8, 3000); }, PhotoCell::State::Shown},
    // A progressive photo keeps its whole picture in libjpeg's memory: a
    // large camera one must still be shown.
    {"ProgressivePhoto", "progressive.jpg", [] { return jpeg(4000, 3000, true); },
     PhotoCell::State::Shown},
    // Printed as a grey box once: a header far beyond any camera.
    {"ForgedHugeJpeg", "huge.jpg", [] { return forgedJpeg(30000, 30000); },
     PhotoCell::State::Undecodable, "大きすぎ"},
    // Printed half black once: the pixel data ends half-way.
    {"TruncatedBitmap", "cut.bmp", [] { return bitmap(64, 64, 64 * 64 * 3).substr(0, 54 + 6144); },
     PhotoCell::State::Undecodable, "途中で切れています"},
};

void PrintTo(const PhotoCase& c, std::ostream* os) { *os << c.name; }

class HostilePhoto : public ::testing::TestWithParam<PhotoCase> {};

TEST_P(HostilePhoto, IsShownOrRefusedWithinBounds) {
    const PhotoCase& c = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QLatin1String(c.fileName));
    testing::writeBytes(path, c.bytes());
    const QByteArray name = path.toLocal8Bit();

    for (const auto proportion : {sheets::kPhotoProportionStyle2, sheets::kPhotoProportionStyle3}) {
        const PhotoCell cell = sheets::loadPhotoCell(name.toStdString(), proportion, kPrintCell);
        EXPECT_EQ(cell.state, c.expected) << cell.error.toStdString();
        if (cell.state == PhotoCell::State::Shown) {
            // Never more than the largest decode, whatever the proportions.
            EXPECT_LE(qint64{cell.box.width()} * cell.box.height(), 120'000'000);
        } else {
            EXPECT_FALSE(cell.error.isEmpty()) << "refused without a word";
            if (c.reason) {
                EXPECT_TRUE(cell.error.contains(QString::fromUtf8(c.reason)))
                    << cell.error.toStdString();
            }
            EXPECT_TRUE(cell.box.isNull());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Photos, HostilePhoto, ::testing::ValuesIn(kPhotos),
                         [](const auto& info) { return std::string(info.param.name); });

// The peak memory of this process so far, in kilobytes.
long peakKiB() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Found by fuzz_photo: a progressive JPEG of 285 bytes whose header claims
// 12040 x 51992 pixels. libjpeg keeps the coefficients of the whole picture
// for a progressive file, so its decode took gigabytes and seconds before
// the missing data showed. It must be refused at once.
TEST(HostileJpeg, ForgedProgressiveHeaderCostsLittle) {
    std::string bytes = jpeg(16, 16, true);
    const size_t sof = bytes.find("\xFF\xC2");
    ASSERT_NE(sof, std::string::npos);
    const auto put = [&](size_t at, uint16_t v) {
        bytes[at] = static_cast<char>(v >> 8);
        bytes[at + 1] = static_cast<char>(v & 0xFF);
    };
    put(sof + 5, 51992);  // height
    put(sof + 7, 12040);  // width
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("forged.jpg"));
    testing::writeBytes(path, bytes);

    const long before = peakKiB();
    const PhotoCell cell = sheets::loadPhotoCell(path.toLocal8Bit().toStdString(),
                                                 sheets::kPhotoProportionStyle2, kPrintCell);
    EXPECT_EQ(cell.state, PhotoCell::State::Undecodable);
    EXPECT_FALSE(cell.error.isEmpty());
    // The peak only grows; a decode that held the whole picture would add
    // gigabytes to it.
    EXPECT_LT(peakKiB() - before, 256 * 1024) << "kilobytes more at the peak";
}

struct SettingsCase {
    const char* name;
    const char* bytes;  // UTF-8, stored as Shift-JIS
    std::vector<std::string> usages;
};

const SettingsCase kSettings[] = {
    // A file passed twice through a line-end conversion.
    {"CrCrLfLineEnds",
     "prindex=0\r\r\nprinter=P\r\r\nqevpath=qev/\r\r\nclinic=さくら内科\r\r\ntel=0123\r\r\n"
     "prev=1\r\r\nstyle=2\r\r\nuse=@朝,@夕,\r\r\n",
     {"朝", "夕"}},
    // Found by fuzz_settings: the last line ended by a lone CR.
    {"LastLineEndedByCr", "\n\n\n\n\n\n\n\x0e=\x0f\r", {}},
    {"CrInsideTheUsageLine",
     "p=0\r\nq=\r\nr=\r\nc=\r\nt=\r\nprev=0\r\nstyle=3\r\nuse=@朝,\r@夕,\r\n",
     {"朝"}},
};

void PrintTo(const SettingsCase& c, std::ostream* os) { *os << c.name; }

class HostileSettings : public ::testing::TestWithParam<SettingsCase> {};

// "設定保存" right after start writes back the usage line as read: that must
// work, and the file read again must give the same settings.
TEST_P(HostileSettings, CanBeSavedAgainAsRead) {
    using mainwin::SettingsFile;
    const SettingsCase& c = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("sorbenk.ini"));
    testing::writeBytes(path, testing::sjis(c.bytes));

    const auto read = SettingsFile::read(path);
    ASSERT_TRUE(read.ok());
    std::vector<std::string> expected;
    for (const std::string& u : c.usages) expected.push_back(testing::sjis(u.c_str()));
    EXPECT_EQ(read->usageList, expected);

    mainwin::SettingsToWrite v;
    v.qevWorkPath = read->qevWorkPath.value_or("");
    v.clinicName = read->clinicName.value_or("");
    v.clinicTel = read->clinicTel.value_or("");
    v.previewOnAutoStart = read->previewOnAutoStart.value_or(false);
    v.printStyle = read->printStyle.value_or(3);
    v.usageLine = read->usageLine;
    const Status saved = SettingsFile::write(v, path);
    ASSERT_TRUE(saved.ok()) << saved.error().toStdString();

    const auto again = SettingsFile::read(path);
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(again->usageLine, read->usageLine);
    EXPECT_EQ(again->usageList, read->usageList);
    EXPECT_EQ(again->clinicName, read->clinicName.value_or(""));
    EXPECT_EQ(again->printStyle, v.printStyle);
}

INSTANTIATE_TEST_SUITE_P(Settings, HostileSettings, ::testing::ValuesIn(kSettings),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace dorimek::faults
