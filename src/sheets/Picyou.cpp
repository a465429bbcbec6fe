#include "Picyou.h"

#include "UsageSplit.h"

namespace dorimek::sheets {
namespace {

using namespace report;

// Style 3's layout. Millimetres from the band's top-left corner.
// clang-format off
constexpr ElementRow kColumnHeader[] = {
    {"RpLabel1", kLabel, 4.23, 0.53, 12.17, 4.23, 11, kAutoSize | kWordWrap, "薬剤名"},
    {"RpLabel2", kLabel, 4.23, 5.29, 18.26, 4.23, 11, kWordWrap, "剤形・記号"},
    {"RpLabel3", kLabel, 58.74, 2.12, 8.73, 4.50, 12, kAutoSize | kWordWrap, "効能"},
    {"RpLabel4", kLabel, 107.42, 2.12, 8.73, 4.50, 12, kAutoSize | kWordWrap, "注意"},
    {"RpLabel9", kLabel, 4.23, 9.79, 18.26, 4.23, 11, kAutoSize | kWordWrap, "規格・包装"},
    {"RpShape1", kHorLine, 2.12, 0, 172.51, 0.26},
    {"RpShape5", kVertLine, 2.12, 0, 0.26, 17.20},
    {"RpShape6", kVertLine, 174.62, 0, 0.26, 17.20},
    {"RpShape12", kVertLine, 38.10, 0, 0.26, 17.20},
    {"RpShape13", kVertLine, 87.31, 0, 0.26, 17.20},
    {"RpShape16", kHorLine, 2.12, 4.76, 35.98, 0.26, 0, kDotted},
    {"RpShape17", kHorLine, 2.12, 9.26, 35.98, 0.26, 0, kDotted},
    {"RpShape10", kHorLine, 2.12, 13.23, 172.51, 2.38},
    {"RpShape11", kVertLine, 159.28, 0, 0.26, 17.20},
    {"RpLabel11", kLabel, 142.88, 2.12, 8.73, 4.50, 12, kAutoSize | kWordWrap, "外観"},
    {"RpShape22", kVertLine, 136.53, 0, 0.26, 17.20},
    {"RpLabel12", kLabel, 161.93, 2.12, 8.73, 4.50, 0, kAutoSize | kWordWrap, "用法"},
};

constexpr ElementRow kDetail[] = {
    {"RpLabel8", kLabel, 3.17, 16.14, 33.87, 3.97, 10, kWordWrap},
    {"RpShape2", kHorLine, 2.12, 20.64, 172.51, 0.26},
    {"RpLabel7", kLabel, 3.17, 11.11, 33.87, 4.50, 10, kWordWrap},
    {"RpShape7", kVertLine, 2.12, -0.53, 0.26, 21.17},
    {"RpShape8", kVertLine, 174.62, -0.53, 0.26, 21.17},
    {"RpShape14", kVertLine, 38.10, -0.53, 0.26, 21.17},
    {"RpShape15", kVertLine, 87.31, -0.53, 0.26, 21.17},
    {"RpShape18", kHorLine, 2.12, 10.58, 35.98, 0.26, 0, kDotted},
    {"RpShape19", kHorLine, 2.12, 15.35, 35.98, 0.26, 0, kDotted},
    {"RpMemo1", kMemo, 38.63, 1.06, 48.15, 18.26, 11, kWordWrap | kAutoStretch},
    {"RpMemo2", kMemo, 87.84, 1.06, 48.15, 18.26, 11, kWordWrap | kAutoStretch},
    {"RpMemo3", kMemo, 3.17, 0.53, 33.87, 9.53, 12, kWordWrap},
    {"RpShape23", kVertLine, 136.53, -0.53, 0.26, 21.17},
    {"RpImage1", kImage, 137.05, 0.26, 21.70, 20.11, 0, kStretch | kCenterPicture},
    {"RpShape24", kVertLine, 159.28, -0.53, 0.26, 21.17},
    {"RpMemo4", kMemo, 160.34, 2.38, 13.76, 17.20, 11, kWordWrap},
};

const SheetLayout kStyle3Layout{
    {100, 2570, 50, 1820, 20, 10, 0},
    {11.64, 0, kSharedTitle},
    {14.82, 12, kColumnHeader},
    {20.90, 12, kDetail},
    {7.41, 0, kSharedSummary},
};
// clang-format on

}  // namespace

TForm5::TForm5(const prescription::PrescriptionSource& source, const prescription::SheetSettings& settings,
               QObject* parent)
    : TForm4(source, settings, kStyle3Layout, kPhotoProportionStyle3, parent),
      usageMemo_(memoNamed("RpMemo4")) {}

void TForm5::fillRecordExtras(const SheetRow& row) {
    TForm4::fillRecordExtras(row);
    showUsage();
}

void TForm5::fillUnknownExtras() {
    TForm4::fillUnknownExtras();
    showUsage();
}

void TForm5::showUsage() {
    usageMemo_->Lines.clear();
    for (std::string& piece : splitUsage(source().usageText(currentLine()))) {
        usageMemo_->Lines.add(std::move(piece));
    }
}

}  // namespace dorimek::sheets
