#pragma once

#include "PhotoBox.h"
#include "PhotoResolver.h"
#include "Yakujo.h"

namespace dorimek::sheets {

// Print style 2: style 1's sheet with a photo column "外観". The photo is
// padded to the cell's proportion on white, so stretching it distorts nothing.
class TForm4 : public TForm1 {
    Q_OBJECT

  public:
    TForm4(const prescription::PrescriptionSource& source, const prescription::SheetSettings& settings,
           QObject* parent = nullptr);

  protected:
    TForm4(const prescription::PrescriptionSource& source, const prescription::SheetSettings& settings,
           const SheetLayout& layout, BoxProportion proportion, QObject* parent);

    void fillRecordExtras(const SheetRow& row) override;
    void fillUnknownExtras() override;
    void startRows() override;

  private:
    // The photo step: a photo that is missing or can't be decoded leaves the
    // cell empty, is named in the message after the last row, and the row
    // and the run go on.
    void showPhoto(const std::string& photoFileName);

    BoxProportion proportion_;
    // This run's: each folder of the photos is listed once per sheet.
    PhotoResolver resolver_;
    report::TReportImage* photo_ = nullptr;  // RpImage1
};

}  // namespace dorimek::sheets
