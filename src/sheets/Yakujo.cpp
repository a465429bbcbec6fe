#include "Yakujo.h"

#include "masterfile/DrugMasterFile.h"
#include "masterfile/LineRecord.h"
#include "masterfile/MasterFileLimits.h"
#include "platform/Messages.h"
#include "platform/Sjis.h"
#include "sheets/engine/TextMeasurer.h"

#include <QDate>
#include <QLocale>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace dorimek::sheets {
namespace {

using namespace report;

// Style 1's layout. Millimetres from the band's top-left corner.
// clang-format off
constexpr ElementRow kColumnHeader[] = {
    {"RpLabel1", kLabel, 4.23, 0.53, 12.17, 4.23, 11, kAutoSize | kWordWrap, "薬剤名"},
    {"RpLabel2", kLabel, 4.23, 5.29, 18.26, 4.23, 11, kWordWrap, "剤形・記号"},
    {"RpLabel3", kLabel, 71.44, 2.12, 8.73, 4.50, 12, kAutoSize | kWordWrap, "効能"},
    {"RpLabel4", kLabel, 134.94, 2.12, 8.73, 4.50, 12, kAutoSize | kWordWrap, "注意"},
    {"RpLabel9", kLabel, 4.23, 9.79, 18.26, 4.23, 11, kAutoSize | kWordWrap, "規格・包装"},
    {"RpShape1", kHorLine, 2.12, 0, 171.19, 0.26},
    {"RpShape5", kVertLine, 2.12, 0, 0.26, 17.20},
    {"RpShape6", kVertLine, 173.30, 0, 0.26, 17.20},
    {"RpShape12", kVertLine, 43.39, 0, 0.26, 17.20},
    {"RpShape13", kVertLine, 108.48, 0, 0.26, 17.20},
    {"RpShape16", kHorLine, 2.12, 4.76, 41.27, 0.26, 0, kDotted},
    {"RpShape17", kHorLine, 2.12, 9.26, 41.27, 0.26, 0, kDotted},
    {"RpShape10", kHorLine, 2.12, 13.23, 171.19, 2.38},
};

constexpr ElementRow kDetail[] = {
    {"RpLabel8", kLabel, 4.23, 16.14, 38.36, 4.50, 11, kWordWrap},
    {"RpShape2", kHorLine, 2.12, 20.64, 171.45, 0.26},
    {"RpLabel7", kLabel, 4.23, 11.11, 38.36, 4.50, 11, kWordWrap},
    {"RpShape7", kVertLine, 2.12, -0.53, 0.26, 21.17},
    {"RpShape8", kVertLine, 173.30, -0.53, 0.26, 21.17},
    {"RpShape14", kVertLine, 43.39, -0.53, 0.26, 21.17},
    {"RpShape15", kVertLine, 108.48, -0.53, 0.26, 21.17},
    {"RpShape18", kHorLine, 2.12, 10.58, 41.27, 0.26, 0, kDotted},
    {"RpShape19", kHorLine, 2.12, 15.35, 41.27, 0.26, 0, kDotted},
    {"RpMemo1", kMemo, 44.98, 1.06, 61.12, 18.26, 12, kWordWrap | kAutoStretch},
    {"RpMemo2", kMemo, 110.07, 1.06, 61.65, 18.26, 12, kWordWrap | kAutoStretch},
    {"RpMemo3", kMemo, 3.17, 0.53, 39.69, 9.53, 12, kWordWrap | kAutoStretch},
};

const SheetLayout kStyle1Layout{
    {100, 2570, 50, 1820, 30, 10, 0},
    {11.64, 0, kSharedTitle},
    {14.82, 12, kColumnHeader},
    {21.43, 12, kDetail},
    {7.41, 0, kSharedSummary},
};
// clang-format on

[[noreturn]] void missingElement(const char* name) {
    std::fprintf(stderr, "sheet layout has no element %s of the expected kind\n", name);
    std::abort();
}

void setMemoText(TReportMemo* memo, std::string text) {
    memo->Lines.clear();
    memo->Lines.add(std::move(text));
}

}  // namespace

QString sheetDateText(const QDate& date, const QLocale& locale) {
    // A program started by a service or by the host system often gets no
    // locale at all (LANG=C, C.UTF-8, POSIX or unset), whose short date reads
    // "8 Dec 2026"; the sheet then uses the Japanese short form. The format
    // decides, not the name: LC_TIME=C under a Japanese LANG gives C's format,
    // and LC_TIME=de_DE under LANG=C a chosen one.
    const QString cFormat = QLocale::c().dateFormat(QLocale::ShortFormat);
    if (locale.dateFormat(QLocale::ShortFormat) == cFormat) {
        return date.toString(QStringLiteral("yyyy/MM/dd"));
    }
    return locale.toString(date, QLocale::ShortFormat);
}

std::string sheetDate() {
    return platform::fromUnicode(sheetDateText(QDate::currentDate(), QLocale::system()));
}

std::string clinicFooter(const prescription::SheetSettings& settings) {
    return settings.clinicName + "   TEL:" + settings.clinicTel;
}

TForm1::TForm1(const prescription::PrescriptionSource& source, const prescription::SheetSettings& settings,
               QObject* parent)
    : TForm1(source, settings, kStyle1Layout, parent) {}

TForm1::TForm1(const prescription::PrescriptionSource& source, const prescription::SheetSettings& settings,
               const SheetLayout& layout, QObject* parent)
    : QObject(parent), source_(source) {
    buildLayout(layout);
    Yakujorep.PrinterSettings.PrinterIndex = settings.printerIndex;
    Yakujorep.PrinterSettings.WaitForJob = settings.unattended;
    labelNamed("RpLabel10")->setCaption(clinicFooter(settings));
    keepFooterOnPaper();
    Yakujorep.BeforePrint = [this](TReport& r, bool& print) { YakujorepBeforePrint(r, print); };
    Yakujorep.OnNeedData = [this](TReport& r, bool& more) { YakujorepNeedData(r, more); };
}

TForm1::~TForm1() = default;

void TForm1::buildLayout(const SheetLayout& layout) {
    const auto& v = layout.pageValues;
    Yakujorep.Page.setValues(v[0], v[1], v[2], v[3], v[4], v[5], v[6]);
    Yakujorep.Title = QStringLiteral("薬剤情報提供書");
    const struct {
        const char* name;
        TBandType type;
        const SheetLayout::Band& band;
    } bands[] = {
        {"RpBand2", rbTitle, layout.title},
        {"RpBand3", rbColumnHeader, layout.columnHeader},
        {"RpBand1", rbDetail, layout.detail},
        {"RpBand4", rbSummary, layout.summary},
    };
    for (const auto& b : bands) {
        Yakujorep.addBand(b.name, b.type, b.band.heightMm, b.band.fontPt)->addAll(b.band.elements);
    }
    dateLabel_ = labelNamed("RpLabel6");
    shapeLabel_ = labelNamed("RpLabel7");
    packageLabel_ = labelNamed("RpLabel8");
    efficacyMemo_ = memoNamed("RpMemo1");
    cautionMemo_ = memoNamed("RpMemo2");
    nameMemo_ = memoNamed("RpMemo3");
}

void TForm1::keepFooterOnPaper() {
    // The footer was designed for a short clinic name: it starts two thirds
    // across and grows to the right, so a name of ten characters ran off the
    // paper. When it would pass the table's right edge it moves left to end
    // there instead.
    TReportLabel* footer = labelNamed("RpLabel10");
    const TReportShape* edge = Yakujorep.shape(QStringLiteral("RpShape6"));
    const double right = edge ? edge->Left + edge->Width / 2 : footer->band()->width();
    const TReportFont font = footer->Font ? *footer->Font : footer->band()->effectiveFont();
    const double width = TextMeasurer::instance().widthSjis(font, footer->Caption);
    if (footer->Left + width > right) footer->Left = std::max(0.0, right - width);
}

TReportLabel* TForm1::labelNamed(const char* name) const {
    if (TReportLabel* e = Yakujorep.label(QString::fromLatin1(name))) return e;
    missingElement(name);
}

TReportMemo* TForm1::memoNamed(const char* name) const {
    if (TReportMemo* e = Yakujorep.memo(QString::fromLatin1(name))) return e;
    missingElement(name);
}

TReportImage* TForm1::imageNamed(const char* name) const {
    if (TReportImage* e = Yakujorep.image(QString::fromLatin1(name))) return e;
    missingElement(name);
}

void TForm1::YakujorepBeforePrint(TReport&, bool&) {
    dateLabel_->setCaption(sheetDate());
    RowIndex = 0;
    problems_.clear();
    startRows();
}

void TForm1::YakujorepNeedData(TReport&, bool& moreData) {
    const prescription::PrescriptionState& rx = source_.prescription();
    if (RowIndex < 0 || RowIndex >= rx.lineCount()) {
        moreData = false;
        // Told once the rows are all made, not once per row; the preview
        // tells the same in the same words.
        if (!problems_.empty()) {
            platform::showMessage(problems_.message(LineProblems::Medium::Paper));
            problems_.clear();
        }
        return;
    }
    const int line = currentLine();
    const int m = rx.masterIndex(line);
    const int slot = -m - 2;
    const bool named = slot >= 0 && slot < prescription::PrescriptionState::kUnknownSlots;
    const LineContents contents = readLineContents(
        line, m, rx.lineText(line), named ? rx.unknownDrugName(slot) : std::string(), problems_);
    if (contents.fromRecord) {
        showRecord(contents.row);
        fillRecordExtras(contents.row);
    } else {
        showNameOnly(contents.row.displayName);
        fillUnknownExtras();
    }
    moreData = true;
    ++RowIndex;
}

void TForm1::showRecord(const SheetRow& row) {
    setMemoText(nameMemo_, row.displayName);
    shapeLabel_->setCaption(row.shapeCode);
    packageLabel_->setCaption(row.package);
    setMemoText(efficacyMemo_, row.efficacy);
    setMemoText(cautionMemo_, row.caution);
}

void TForm1::showNameOnly(const std::string& name) {
    setMemoText(nameMemo_, name);
    shapeLabel_->setCaption({});
    packageLabel_->setCaption({});
    efficacyMemo_->Lines.clear();
    cautionMemo_->Lines.clear();
}

void TForm1::fillRecordExtras(const SheetRow&) {}

void TForm1::fillUnknownExtras() {}

}  // namespace dorimek::sheets
