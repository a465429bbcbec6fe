// Photos as a clinic's old Windows PC left them: names written there, and
// files as cameras and old tools make them.
#include "sheets/PhotoCell.h"
#include "sheets/PhotoResolver.h"

#include "TestFiles.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace dorimek::sheets {
namespace {

using dorimek::testing::sjis;
using dorimek::testing::writeBytes;
using Outcome = PhotoLookup::Outcome;

// ---- where a name leads ----

TEST(PhotoReferences, NamesWrittenOnWindowsFindTheFilesCopiedHere) {
    QTemporaryDir dir;
    const auto put = [&](const char* utf8) {
        writeBytes(dir.filePath(QString::fromUtf8(utf8)), "x");
    };
    put("abc201.jpg");
    put("photo/abc202.jpg");
    put("photo/abc204.jpg");
    put("photo/dup.jpg");
    put("photo/DUP.JPG");
    put("photo/Twin.jpg");
    put("photo/TWIN.jpg");
    put("photo/ソ.jpg");  // its second Shift-JIS byte is a backslash
    // A name copied from a Mac: decomposed, the voiced mark a character of its own.
    writeBytes(
        dir.filePath(
            QString::fromUtf8("photo/ガスター.jpg").normalized(QString::NormalizationForm_D)),
        "x");
    const QString nfd =
        QString::fromUtf8("photo/ガスター.jpg").normalized(QString::NormalizationForm_D);

    struct Case {
        std::string name;  // as the master file has it (Shift-JIS)
        Outcome outcome;
        QString found;  // relative to the program folder
    };
    const Case cases[] = {
        {"abc201.jpg", Outcome::Found, "abc201.jpg"},
        {"ABC201.JPG", Outcome::Found, "abc201.jpg"},
        {"photo\\ABC204.JPG", Outcome::Found, "photo/abc204.jpg"},
        {"PHOTO\\abc204.jpg", Outcome::Found, "photo/abc204.jpg"},
        {"C:\\DORIMEK\\photo\\abc202.jpg", Outcome::Found, "photo/abc202.jpg"},
        {"c:\\dorimek\\PHOTO\\ABC202.JPG", Outcome::Found, "photo/abc202.jpg"},
        {"Z:\\photo\\abc202.jpg", Outcome::Found, "photo/abc202.jpg"},
        {"Z:abc201.jpg", Outcome::Found, "abc201.jpg"},
        {"\\\\SERVER\\dorimek\\photo\\abc202.jpg", Outcome::Found, "photo/abc202.jpg"},
        {"/home/old/dorimek/photo/abc202.jpg", Outcome::Found, "photo/abc202.jpg"},
        {".\\photo\\abc202.jpg", Outcome::Found, "photo/abc202.jpg"},
        {sjis("photo\\ソ.jpg"), Outcome::Found, QString::fromUtf8("photo/ソ.jpg")},
        {sjis("photo\\ガスター.jpg"), Outcome::Found, nfd},
        {sjis("Photo\\ガスター.JPG"), Outcome::Found, nfd},
        {"photo\\dup.jpg", Outcome::Found, "photo/dup.jpg"},  // the exact one of two
        {"PHOTO\\DUP.JPG", Outcome::Found, "photo/DUP.JPG"},
        {"photo\\Dup.jpg", Outcome::Ambiguous, {}},
        {"photo\\twin.jpg", Outcome::Ambiguous, {}},
        {"photo\\none.jpg", Outcome::Missing, {}},
        {"C:\\DORIMEK\\none.jpg", Outcome::Missing, {}},
        {"photo", Outcome::Missing, {}},  // a folder is no photo
        {"C:\\", Outcome::Missing, {}},
    };
    // Where the file system itself ignores letter case (Windows), names
    // differing by case only are one file, and any spelling opens it.
    const bool foldsCase = QFileInfo::exists(dir.filePath(QStringLiteral("ABC201.JPG")));
    for (const Case& c : cases) {
        PhotoResolver resolver(dir.path());
        const PhotoLookup got = resolver.resolve(c.name);
        if (foldsCase && c.outcome == Outcome::Ambiguous) {
            EXPECT_EQ(got.outcome, Outcome::Found) << c.name;
            continue;
        }
        EXPECT_EQ(got.outcome, c.outcome) << c.name;
        if (c.outcome == Outcome::Found) {
            EXPECT_EQ(QDir(dir.path()).relativeFilePath(got.path).compare(
                          c.found, foldsCase ? Qt::CaseInsensitive : Qt::CaseSensitive),
                      0)
                << c.name << " found " << got.path.toStdString();
        }
        if (c.outcome == Outcome::Ambiguous) {
            EXPECT_EQ(got.candidates.size(), 2) << c.name;
        }
        if (c.outcome == Outcome::Missing && c.name != "C:\\") {
            ASSERT_FALSE(got.tried.isEmpty()) << c.name;
            EXPECT_TRUE(got.tried.front().startsWith(dir.path())) << c.name;
        }
    }
    // An absolute path of this machine that is there is taken as it is.
    PhotoResolver resolver(QDir::tempPath());
    EXPECT_EQ(resolver.resolve(dir.filePath("photo/abc202.jpg").toStdString()).path,
              dir.filePath("photo/abc202.jpg"));
}

TEST(PhotoReferences, ASheetListsEachFolderOnce) {
    QTemporaryDir dir;
    for (int i = 0; i < 24; ++i)
        writeBytes(dir.filePath(QStringLiteral("photo/p%1.jpg").arg(i)), "x");
    PhotoResolver resolver(dir.path());
    for (int i = 0; i < 24; ++i) {
        const std::string name = "C:\\DORIMEK\\PHOTO\\P" + std::to_string(i) + ".JPG";
        EXPECT_EQ(resolver.resolve(name).outcome, Outcome::Found) << name;
    }
    EXPECT_LE(resolver.listingsMade(), 2);  // the program folder and photo/
}

// ---- what a file holds ----

// The upright picture: a red mark in its top-left quarter on blue.
constexpr int kW = 344, kH = 304;  // the 86:76 of style 2's cell, so no bars

// The picture as stored, with the mark in the corner the camera's rows put
// it in: stored rows turned as orientation o says, so that a viewer turning
// them back shows the mark top left.
QImage storedFor(int orientation, QImage::Format format = QImage::Format_RGB32) {
    const bool swapped = orientation >= 5;
    const int w = swapped ? kH : kW, h = swapped ? kW : kH;
    QImage image(w, h, format);
    image.fill(Qt::blue);
    // Where the top-left corner of the upright picture lies in the stored one.
    const bool right = orientation == 2 || orientation == 3 || orientation == 7 || orientation == 8;
    const bool bottom =
        orientation == 3 || orientation == 4 || orientation == 6 || orientation == 7;
    QPainter p(&image);
    p.fillRect(right ? w / 2 : 0, bottom ? h / 2 : 0, w / 2, h / 2, Qt::red);
    return image;
}

std::string encoded(const QImage& image, const char* format, bool progressive = false) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(90);
    writer.setProgressiveScanWrite(progressive);
    EXPECT_TRUE(writer.write(image));
    return bytes.toStdString();
}

// A JPEG with an Exif block giving its orientation, as a phone writes it.
std::string withOrientation(std::string jpeg, int orientation) {
    const std::string tiff = std::string("II*\0\x08\0\0\0", 8) + std::string("\x01\0", 2) +
                             std::string("\x12\x01\x03\0\x01\0\0\0", 8) +
                             std::string{char(orientation), 0, 0, 0} + std::string(4, '\0');
    const std::string payload = std::string("Exif\0\0", 6) + tiff;
    const size_t length = payload.size() + 2;
    const std::string app1 =
        std::string("\xFF\xE1", 2) + char(length >> 8) + char(length & 0xFF) + payload;
    return jpeg.insert(2, app1);
}

// A JPEG whose frame claims 12 bits a sample, as some medical and scanning
// tools write them.
std::string twelveBit(std::string jpeg) {
    const size_t sof = jpeg.find("\xFF\xC0");
    EXPECT_NE(sof, std::string::npos);
    jpeg[sof + 4] = 12;
    return jpeg;
}

void put32(std::string& s, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) s += char(v >> (8 * i));
}

// A Windows bitmap written as the old tools wrote them: 24 bits, rows from
// the top when topDown (a negative height), or 32 bits with an alpha mask.
std::string bitmap(const QImage& picture, bool topDown, bool alpha) {
    const QImage im = picture.convertToFormat(QImage::Format_ARGB32);
    const int bpp = alpha ? 32 : 24;
    const int stride = (im.width() * bpp / 8 + 3) / 4 * 4;
    const int info = alpha ? 108 : 40;
    std::string s = "BM";
    put32(s, std::uint32_t(14 + info + stride * im.height()));
    put32(s, 0);
    put32(s, std::uint32_t(14 + info));
    put32(s, std::uint32_t(info));
    put32(s, std::uint32_t(im.width()));
    put32(s, std::uint32_t(topDown ? -im.height() : im.height()));
    s += std::string("\x01\0", 2) + char(bpp) + '\0';
    put32(s, alpha ? 3 : 0);  // BI_BITFIELDS : BI_RGB
    put32(s, std::uint32_t(stride * im.height()));
    for (int i = 0; i < 4; ++i) put32(s, 2835 * (i < 2));
    if (alpha) {
        for (std::uint32_t mask : {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u})
            put32(s, mask);
        put32(s, 0x73524742);  // sRGB
        s += std::string(48, '\0');
    }
    for (int r = 0; r < im.height(); ++r) {
        const int y = topDown ? r : im.height() - 1 - r;
        std::string row;
        for (int x = 0; x < im.width(); ++x) {
            const QRgb c = im.pixel(x, y);
            row += char(qBlue(c));
            row += char(qGreen(c));
            row += char(qRed(c));
            if (alpha) row += char(qAlpha(c));
        }
        row.resize(size_t(stride), '\0');
        s += row;
    }
    return s;
}

// The red mark on a see-through ground, its clear pixels black as tools store them.
QImage markOnClear() {
    QImage image(kW, kH, QImage::Format_ARGB32);
    image.fill(qRgba(0, 0, 0, 0));
    QPainter p(&image);
    p.fillRect(0, 0, kW / 2, kH / 2, Qt::red);
    return image;
}

bool near(QRgb a, QColor b) {
    return std::abs(qRed(a) - b.red()) < 60 && std::abs(qGreen(a) - b.green()) < 60 &&
           std::abs(qBlue(a) - b.blue()) < 60;
}

TEST(PhotoKinds, TheMarkLandsTopLeftInTheCellWhateverTheFileIs) {
    const QImage upright = storedFor(1);
    struct Case {
        const char* name;
        std::string bytes;
        QColor ground;         // the rest of the cell; invalid: not shown
        const char* why = "";  // part of the message when not shown
    };
    const Case cases[] = {
        {"upright.jpg", encoded(upright, "JPEG"), Qt::blue},
        {"exif2.jpg", withOrientation(encoded(storedFor(2), "JPEG"), 2), Qt::blue},
        {"exif3.jpg", withOrientation(encoded(storedFor(3), "JPEG"), 3), Qt::blue},
        {"exif4.jpg", withOrientation(encoded(storedFor(4), "JPEG"), 4), Qt::blue},
        {"exif5.jpg", withOrientation(encoded(storedFor(5), "JPEG"), 5), Qt::blue},
        {"exif6.jpg", withOrientation(encoded(storedFor(6), "JPEG"), 6), Qt::blue},
        {"exif7.jpg", withOrientation(encoded(storedFor(7), "JPEG"), 7), Qt::blue},
        {"exif8.jpg", withOrientation(encoded(storedFor(8), "JPEG"), 8), Qt::blue},
        {"progressive6.jpg", withOrientation(encoded(storedFor(6), "JPEG", true), 6), Qt::blue},
        {"topdown.bmp", bitmap(upright, true, false), Qt::blue},
        {"bottomup.bmp", bitmap(upright, false, false), Qt::blue},
        {"alpha.bmp", bitmap(markOnClear(), false, true), Qt::white},
        {"clear.png", encoded(markOnClear(), "PNG"), Qt::white},
        {"jpeg.Jpg", encoded(upright, "JPEG"), Qt::blue},
        {"png.jpg", encoded(upright, "PNG"), Qt::blue},
        {"bmp.jpg", bitmap(upright, false, false), Qt::blue},
        {"jpeg.bmp", encoded(upright, "JPEG"), Qt::blue},
        {"twelve.jpg", twelveBit(encoded(upright, "JPEG")), QColor(),
         "12ビットのJPEGには対応していません"},
        {"text.jpg", "not a picture at all", QColor(), "読み込める画像の形式"},
    };
    QTemporaryDir dir;
    PhotoResolver resolver(dir.path());
    for (const Case& c : cases) {
        writeBytes(dir.filePath(c.name), c.bytes);
        // Full size, and the 1/8 decode of a cell drawn small.
        for (QSize cell : {QSize(), QSize(40, 36)}) {
            const PhotoCell got = loadPhotoCell(c.name, kPhotoProportionStyle2, cell, resolver);
            if (!c.ground.isValid()) {
                EXPECT_EQ(got.state, PhotoCell::State::Undecodable) << c.name;
                EXPECT_TRUE(got.error.contains(QString::fromUtf8(c.why)))
                    << c.name << " " << got.error.toStdString();
                EXPECT_TRUE(got.error.contains(QString::fromUtf8(c.name))) << c.name;
                continue;
            }
            ASSERT_EQ(got.state, PhotoCell::State::Shown)
                << c.name << " " << got.error.toStdString();
            const QImage& box = got.box;
            // Turned upright, the picture fills the 86:76 cell without bars.
            EXPECT_NEAR(box.width() * 76.0 / box.height(), 86.0, 1.5) << c.name;
            const int w = box.width(), h = box.height();
            EXPECT_TRUE(near(box.pixel(w / 4, h / 4), Qt::red))
                << c.name << " cell " << cell.width();
            EXPECT_TRUE(near(box.pixel(3 * w / 4, h / 4), c.ground))
                << c.name << " cell " << cell.width();
            EXPECT_TRUE(near(box.pixel(w / 4, 3 * h / 4), c.ground))
                << c.name << " cell " << cell.width();
            EXPECT_TRUE(near(box.pixel(3 * w / 4, 3 * h / 4), c.ground))
                << c.name << " cell " << cell.width();
        }
    }
}

}  // namespace
}  // namespace dorimek::sheets
