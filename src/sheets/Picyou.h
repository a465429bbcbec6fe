#pragma once

#include "Picyak.h"

namespace dorimek::sheets {

// Print style 3: style 2's sheet with a narrower photo (82:76) and a usage
// column "用法" showing the usage of each line, one piece per line.
class TForm5 : public TForm4 {
    Q_OBJECT

  public:
    TForm5(const prescription::PrescriptionSource& source, const prescription::SheetSettings& settings,
           QObject* parent = nullptr);

  protected:
    void fillRecordExtras(const SheetRow& row) override;
    // A drug not in the master list still has its line's usage: show it.
    void fillUnknownExtras() override;

  private:
    void showUsage();

    report::TReportMemo* usageMemo_ = nullptr;  // RpMemo4
};

}  // namespace dorimek::sheets
