#include "Picyak.h"

#include "PhotoCell.h"

#include <cmath>

namespace dorimek::sheets {
namespace {

using namespace report;

// Style 2's layout. Millimetres from the band's top-left corner.
// clang-format off
constexpr ElementRow kColumnHeader[] = {
    {"RpLabel1", kLabel, 4.23, 0.53, 12.17, 4.23, 11, kAutoSize | kWordWrap, "薬剤名"},
    {"RpLabel2", kLabel, 4.23, 5.29, 18.26, 4.23, 11, kWordWrap, "剤形・記号"},
    {"RpLabel3", kLabel, 62.97, 2.12, 8.73, 4.50, 12, kAutoSize | kWordWrap, "効能"},
    {"RpLabel4", kLabel, 120.12, 2.12, 8.73, 4.50, 12, kAutoSize | kWordWrap, "注意"},
    {"RpLabel9", kLabel, 4.23, 9.79, 18.26, 4.23, 11, kAutoSize | kWordWrap, "規格・包装"},
    {"RpShape1", kHorLine, 2.12, 0, 172.51, 0.26},
    {"RpShape5", kVertLine, 2.12, 0, 0.26, 17.20},
    {"RpShape6", kVertLine, 174.62, 0, 0.26, 17.20},
    {"RpShape12", kVertLine, 39.69, 0, 0.26, 17.20},
    {"RpShape13", kVertLine, 96.31, 0, 0.26, 17.20},
    {"RpShape16", kHorLine, 2.12, 4.76, 37.57, 0.26, 0, kDotted},
    {"RpShape17", kHorLine, 2.12, 9.26, 37.57, 0.26, 0, kDotted},
    {"RpShape10", kHorLine, 2.12, 13.23, 172.51, 2.38},
    {"RpShape11", kVertLine, 150.81, 0, 0.26, 17.20},
    {"RpLabel11", kLabel, 158.22, 2.12, 8.73, 4.50, 12, kAutoSize | kWordWrap, "外観"},
};

constexpr ElementRow kDetail[] = {
    {"RpLabel8", kLabel, 3.17, 16.14, 35.98, 3.97, 10, kWordWrap},
    {"RpShape2", kHorLine, 2.12, 20.64, 172.51, 0.26},
    {"RpLabel7", kLabel, 3.17, 11.11, 35.98, 4.50, 10, kWordWrap},
    {"RpShape7", kVertLine, 2.12, -0.53, 0.26, 21.17},
    {"RpShape8", kVertLine, 174.62, -0.53, 0.26, 21.17},
    {"RpShape14", kVertLine, 39.69, -0.53, 0.26, 21.17},
    {"RpShape15", kVertLine, 96.31, -0.53, 0.26, 21.17},
    {"RpShape18", kHorLine, 2.12, 10.58, 37.57, 0.26, 0, kDotted},
    {"RpShape19", kHorLine, 2.12, 15.35, 37.57, 0.26, 0, kDotted},
    {"RpMemo1", kMemo, 40.75, 1.06, 55.03, 18.26, 11, kWordWrap | kAutoStretch},
    {"RpMemo2", kMemo, 97.37, 1.06, 52.92, 18.26, 11, kWordWrap | kAutoStretch},
    {"RpMemo3", kMemo, 3.17, 0.53, 35.45, 9.53, 12, kWordWrap},
    {"RpShape23", kVertLine, 150.81, -0.53, 0.26, 21.17},
    {"RpImage1", kImage, 151.34, 0.26, 22.75, 20.11, 0, kStretch | kCenterPicture},
};

const SheetLayout kStyle2Layout{
    {100, 2570, 50, 1820, 20, 10, 0},
    {11.64, 0, kSharedTitle},
    {14.82, 12, kColumnHeader},
    {20.90, 12, kDetail},
    {7.41, 0, kSharedSummary},
};
// clang-format on

}  // namespace

TForm4::TForm4(const prescription::PrescriptionSource& source, const prescription::SheetSettings& settings,
               QObject* parent)
    : TForm4(source, settings, kStyle2Layout, kPhotoProportionStyle2, parent) {}

TForm4::TForm4(const prescription::PrescriptionSource& source, const prescription::SheetSettings& settings,
               const SheetLayout& layout, BoxProportion proportion, QObject* parent)
    : TForm1(source, settings, layout, parent),
      proportion_(proportion),
      photo_(imageNamed("RpImage1")) {}

void TForm4::fillRecordExtras(const SheetRow& row) { showPhoto(row.photoFileName); }

void TForm4::fillUnknownExtras() { photo_->clear(); }

void TForm4::startRows() { resolver_ = PhotoResolver(); }

void TForm4::showPhoto(const std::string& photoFileName) {
    // The cell's size in the device pixels the engine draws pictures at this
    // run: the photo is decoded no finer than that.
    const double dpi = Yakujorep.imageDpi();
    const auto pixels = [dpi](double tenths) {
        return static_cast<int>(std::ceil(tenths * dpi / report::kTenthsPerInch));
    };
    const QSize cell(pixels(photo_->Width), pixels(photo_->Height));
    const PhotoCell loaded = loadPhotoCell(photoFileName, proportion_, cell, resolver_);
    if (loaded.state == PhotoCell::State::Shown) {
        photo_->setPicture(loaded.box);
    } else {
        photo_->clear();
    }
    if (!loaded.error.isEmpty()) {
        problems().add(LineProblems::Kind::PhotoNotShown, currentLine(), loaded.error);
    }
}

}  // namespace dorimek::sheets
