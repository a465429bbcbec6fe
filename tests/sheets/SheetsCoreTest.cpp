#include "sheets/PhotoBox.h"
#include "sheets/PhotoCell.h"
#include "sheets/SheetRow.h"
#include "sheets/UsageSplit.h"

#include "platform/PhotoDecoder.h"

#include "TestFiles.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace dorimek::sheets {
namespace {

using testing::sjis;
using testing::writeBytes;

// ---- the record walk ----

struct WalkCase {
    const char* what;
    std::string line;
    SheetRow row;
};

std::vector<WalkCase> walkCases() {
    const std::string so = "\x83\x5c";   // ソ: trail byte 0x5C
    const std::string hyo = "\x95\x5c";  // 表: trail byte 0x5C
    const std::string po = "\x83\x7c";   // ポ: trail byte 0x7C
    const std::string fwBlank = "\x81\x40";
    return {
        {"a complete record",
         sjis("登録,表示名,錠,白 AB12,100錠,頭痛に,眠気,img/a.jpg"),
         {sjis("表示名"), sjis("白AB12"), sjis("100錠"), sjis("頭痛に"), sjis("眠気"),
          "img/a.jpg"}},
        {"with its line end",
         sjis("r,name,u,s,p,e,c,x.bmp\n"),
         {"name", "s", "p", "e", "c", "x.bmp"}},
        {"with CR LF", sjis("r,name,u,s,p,e,c,x.bmp\r\n"), {"name", "s", "p", "e", "c", "x.bmp"}},
        {"half-width blanks dropped everywhere",
         " r , n a m e ,u, s ,p p, e e , c ,a b.jpg ",
         {"name", "s", "pp", "ee", "c", "ab.jpg"}},
        {"full-width blanks stay",
         "r," + so + fwBlank + so + ",u," + fwBlank + ",p,e,c,",
         {so + fwBlank + so, fwBlank, "p", "e", "c", ""}},
        {"trail bytes 0x5C and 0x7C are kept whole",
         "r," + hyo + so + po + ",u,s,p,e,c," + hyo + ".bmp",
         {hyo + so + po, "s", "p", "e", "c", hyo + ".bmp"}},
        {"a lead byte swallows a comma as its second byte",
         "r,\x83,x,u,s,p,e,c,i",
         {"\x83,x", "s", "p", "e", "c", "i"}},
        {"half-width katakana are single bytes",
         "r,\xb1\xb2,u,s,p,e,c,",
         {"\xb1\xb2", "s", "p", "e", "c", ""}},
        {"empty photo field", "r,n,u,s,p,e,c,", {"n", "s", "p", "e", "c", ""}},
        {"extra commas stay in the photo name",
         "r,n,u,s,p,e,c,a,b.jpg",
         {"n", "s", "p", "e", "c", "a,b.jpg"}},
        {"ends in its caution field", "r,n,u,s,p,e,c", {"n", "s", "p", "e", "c", ""}},
        {"ends in its shape field", "r,n,u,s", {"n", "s", "", "", "", ""}},
        {"ends in its efficacy field, line end kept",
         "r,n,u,s,p,eff\n",
         {"n", "s", "p", "eff", "", ""}},
        {"only a registered name", "registered", {}},
        {"empty line", "", {}},
        {"a lead byte at the very end", "r,n,u,s,p,e,c,x\x83", {"n", "s", "p", "e", "c", "x\x83"}},
    };
}

TEST(SheetRowWalk, FieldsGoToTheirCells) {
    for (const WalkCase& c : walkCases()) {
        EXPECT_EQ(walkRecordLine(c.line), c.row) << c.what;
    }
}

// ---- the photo box ----

TEST(PhotoBoxArithmetic, WholeNumberBoxesForBothProportions) {
    struct Case {
        int w, h;
        BoxProportion p;
        PhotoBox box;
    };
    const Case cases[] = {
        {86, 76, kPhotoProportionStyle2, {86, 76, 0, 0}},
        {172, 152, kPhotoProportionStyle2, {172, 152, 0, 0}},
        {100, 50, kPhotoProportionStyle2, {100, 88, 0, 19}},
        {50, 100, kPhotoProportionStyle2, {113, 100, 31, 0}},
        {4032, 3024, kPhotoProportionStyle2, {4032, 3563, 0, 269}},
        {3024, 4032, kPhotoProportionStyle2, {4562, 4032, 769, 0}},
        {82, 76, kPhotoProportionStyle3, {82, 76, 0, 0}},
        {164, 76, kPhotoProportionStyle3, {164, 152, 0, 38}},
        {41, 76, kPhotoProportionStyle3, {82, 76, 20, 0}},
        {4032, 3024, kPhotoProportionStyle3, {4032, 3736, 0, 356}},
        {1, 1, kPhotoProportionStyle2, {1, 1, 0, 0}},
        // a pixel wider than the proportion: the box is a pixel narrower
        {87, 76, kPhotoProportionStyle2, {86, 76, 0, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(photoBoxFor(c.w, c.h, c.p), c.box)
            << c.w << "x" << c.h << " in " << c.p.width << ":" << c.p.height;
    }
}

TEST(PhotoBoxArithmetic, CoverSizeIsWhatTheCellNeeds) {
    struct Case {
        int w, h;
        QSize cell;
        QSize cover;
    };
    // 600 dpi: 22.75 x 20.11 mm is 537 x 475 device pixels.
    const PhotoBox camera = photoBoxFor(4032, 3024, kPhotoProportionStyle2);
    const Case cases[] = {
        {4032, 3024, {537, 475}, {538, 404}},
        {4032, 3024, {269, 238}, {270, 202}},
        {4032, 3024, {}, {}},
        {4032, 3024, {8000, 8000}, {4032, 3024}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(coverPixelsFor(c.w, c.h, camera, c.cell), c.cover) << c.cell.width();
    }
    // Whatever the scale picked for that cover, the box drawn from it covers the cell.
    for (const Case& c : cases) {
        if (c.cover.isEmpty()) continue;
        const int m = platform::coveringScale(c.w, c.h, c.cover);
        const double f = ((c.w * m + 7) / 8) / double(c.w);
        EXPECT_GE(camera.width * f + 0.5, std::min(c.cell.width(), camera.width));
        EXPECT_GE(camera.height * f + 0.5, std::min(c.cell.height(), camera.height));
    }
}

QImage solid(int w, int h, QColor colour) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Where the photo sits in a padded box image: its first and one-past-last
// columns and rows.
struct Placement {
    int left, top, right, bottom;
};

Placement placementOf(const QImage& box) {
    int x0 = box.width(), y0 = box.height(), x1 = -1, y1 = -1;
    for (int y = 0; y < box.height(); ++y) {
        for (int x = 0; x < box.width(); ++x) {
            if (box.pixel(x, y) != qRgb(255, 255, 255)) {
                x0 = std::min(x0, x);
                y0 = std::min(y0, y);
                x1 = std::max(x1, x);
                y1 = std::max(y1, y);
            }
        }
    }
    return {x0, y0, x1 + 1, y1 + 1};
}

TEST(PhotoBoxImage, FullScaleIsTheArithmeticExactly) {
    struct Case {
        int w, h;
        BoxProportion p;
    };
    const Case cases[] = {{100, 50, kPhotoProportionStyle2},
                          {50, 100, kPhotoProportionStyle2},
                          {164, 76, kPhotoProportionStyle3},
                          {41, 76, kPhotoProportionStyle3},
                          {86, 76, kPhotoProportionStyle2}};
    for (const Case& c : cases) {
        const PhotoBox box = photoBoxFor(c.w, c.h, c.p);
        const QImage image = paddedBoxImage(solid(c.w, c.h, Qt::black), {c.w, c.h}, box);
        ASSERT_EQ(image.size(), QSize(box.width, box.height));
        EXPECT_EQ(image.format(), QImage::Format_RGB32);
        const Placement at = placementOf(image);
        EXPECT_EQ(at.left, box.photoLeft) << c.w << "x" << c.h;
        EXPECT_EQ(at.top, box.photoTop) << c.w << "x" << c.h;
        EXPECT_EQ(at.right, box.photoLeft + c.w) << c.w << "x" << c.h;
        EXPECT_EQ(at.bottom, box.photoTop + c.h) << c.w << "x" << c.h;
    }
}

TEST(PhotoBoxImage, ReducedDecodeLandsWhereTheFullDecodeWould) {
    struct Case {
        int w, h;
        BoxProportion p;
    };
    const Case cases[] = {{803, 397, kPhotoProportionStyle2},
                          {397, 803, kPhotoProportionStyle2},
                          {1640, 760, kPhotoProportionStyle3},
                          {410, 760, kPhotoProportionStyle3},
                          {4032, 3024, kPhotoProportionStyle2}};
    for (const Case& c : cases) {
        const PhotoBox box = photoBoxFor(c.w, c.h, c.p);
        const double fullLeft = double(box.photoLeft) / box.width;
        const double fullTop = double(box.photoTop) / box.height;
        const double fullRight = double(box.photoLeft + c.w) / box.width;
        const double fullBottom = double(box.photoTop + c.h) / box.height;
        for (int m : {1, 2, 3, 5}) {
            const int dw = (c.w * m + 7) / 8, dh = (c.h * m + 7) / 8;
            const QImage image = paddedBoxImage(solid(dw, dh, Qt::black), {c.w, c.h}, box);
            const double bw = image.width(), bh = image.height();
            // the box keeps the cell's proportion, to the rounding of a pixel or two
            EXPECT_NEAR(bw / bh, double(box.width) / box.height, bw / bh * (2 / bw + 2 / bh));
            // and the photo sits where it would at full size, to a reduced pixel
            const Placement at = placementOf(image);
            EXPECT_NEAR(at.left / bw, fullLeft, 1 / bw) << c.w << "x" << c.h << " m " << m;
            EXPECT_NEAR(at.right / bw, fullRight, 1 / bw) << c.w << "x" << c.h << " m " << m;
            EXPECT_NEAR(at.top / bh, fullTop, 1 / bh) << c.w << "x" << c.h << " m " << m;
            EXPECT_NEAR(at.bottom / bh, fullBottom, 1 / bh) << c.w << "x" << c.h << " m " << m;
        }
    }
}

// ---- the usage lines ----

TEST(UsageLines, SplitAtEveryHalfWidthBlank) {
    struct Case {
        std::string text;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {sjis("朝昼夕 食後"), {sjis("朝昼夕"), sjis("食後")}},
        {sjis("4時間 間隔"), {sjis("4時間"), sjis("間隔")}},
        {sjis("朝"), {sjis("朝")}},
        {sjis("朝  食後"), {sjis("朝"), "", sjis("食後")}},
        {sjis("朝昼夕 "), {sjis("朝昼夕"), ""}},
        {sjis(" 朝"), {"", sjis("朝")}},
        {" ", {"", ""}},
        {sjis("朝　食後"), {sjis("朝　食後")}},  // a full-width blank is part of the word
        {"", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(splitUsage(c.text), c.lines) << c.text;
}

// ---- a row's photo cell ----

std::string encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format, 90));
    return std::string(bytes.constData(), size_t(bytes.size()));
}

class PhotoCells : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        previous_ = QDir::currentPath();
        QDir::setCurrent(dir_.path());
    }
    void TearDown() override { QDir::setCurrent(previous_); }

    QTemporaryDir dir_;
    QString previous_;
};

TEST_F(PhotoCells, EachOutcomeOfAPhotoName) {
    const std::string jpeg = encoded(solid(100, 50, Qt::darkGreen), "JPEG");
    const std::string bmp = encoded(solid(50, 100, Qt::darkRed), "BMP");
    writeBytes("good.jpg", jpeg);
    writeBytes("good.bmp", bmp);
    writeBytes("img/sub.JPG", jpeg);
    writeBytes("bitmap.jpg", bmp);
    writeBytes("cut.jpg", jpeg.substr(0, jpeg.size() / 2));
    writeBytes("noise.bmp", std::string(300, '\x55'));
    writeBytes("empty.jpg", "");
    writeBytes(QString::fromUtf8("写真.jpg"), jpeg);

    using S = PhotoCell::State;
    struct Case {
        std::string name;
        S state;
        QSize box;  // full-scale box of a shown photo
    };
    const Case cases[] = {
        {"", S::NoPhoto, {}},
        {"absent.jpg", S::Missing, {}},
        {"good.jpg", S::Shown, {100, 88}},
        {"good.bmp", S::Shown, {113, 100}},
        {"img/sub.JPG", S::Shown, {100, 88}},
        {"img\\sub.JPG", S::Shown, {100, 88}},
        {sjis("写真.jpg"), S::Shown, {100, 88}},
        {"bitmap.jpg", S::Shown, {113, 100}},  // read by what it is
        {"cut.jpg", S::Undecodable, {}},
        {"noise.bmp", S::Undecodable, {}},
        {"empty.jpg", S::Undecodable, {}},
    };
    for (const Case& c : cases) {
        for (QSize cell : {QSize(), QSize(30, 26)}) {
            const PhotoCell got = loadPhotoCell(c.name, kPhotoProportionStyle2, cell);
            EXPECT_EQ(got.state, c.state) << c.name;
            EXPECT_EQ(got.box.isNull(), c.state != S::Shown) << c.name;
            EXPECT_EQ(got.error.isEmpty(), c.state == S::Shown || c.state == S::NoPhoto) << c.name;
            if (c.state == S::Shown && cell.isEmpty()) {
                EXPECT_EQ(got.box.size(), c.box) << c.name;
            }
            if (c.state == S::Shown && !cell.isEmpty()) {
                EXPECT_GE(got.box.width(), cell.width()) << c.name;
                EXPECT_GE(got.box.height(), cell.height()) << c.name;
                EXPECT_LT(got.box.width(), c.box.width()) << c.name;
            }
        }
    }
}

TEST_F(PhotoCells, ACameraPhotoIsDecodedSmallForASmallCell) {
    QImage photo(4032, 3024, QImage::Format_RGB32);
    photo.fill(Qt::darkBlue);
    writeBytes("camera.jpg", encoded(photo, "JPEG"));
    // style 2's cell at 300 dpi: 269 x 238 device pixels
    const PhotoCell cell = loadPhotoCell("camera.jpg", kPhotoProportionStyle2, {269, 238});
    ASSERT_EQ(cell.state, PhotoCell::State::Shown);
    EXPECT_EQ(cell.box.size(), QSize(504, 445));               // an eighth of the 4032 x 3563 box
    EXPECT_EQ(cell.box.pixel(250, 5), qRgb(255, 255, 255));    // the bar above
    EXPECT_NE(cell.box.pixel(250, 222), qRgb(255, 255, 255));  // the photo
}

TEST(PhotoPaths, BackslashesBecomeFolderSeparatorsOutsideDoubleByteCharacters) {
    EXPECT_EQ(photoPathForName("img\\a.jpg"), QStringLiteral("img/a.jpg"));
    EXPECT_EQ(photoPathForName(sjis("ソ\\表.jpg")), QString::fromUtf8("ソ/表.jpg"));
    EXPECT_EQ(photoPathForName("plain.bmp"), QStringLiteral("plain.bmp"));
}

}  // namespace
}  // namespace dorimek::sheets
