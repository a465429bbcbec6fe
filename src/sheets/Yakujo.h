#pragma once

#include "LineProblems.h"
#include "SheetLayout.h"
#include "SheetRow.h"
#include "prescription/PrescriptionSource.h"
#include "sheets/engine/TReport.h"

#include <QDate>
#include <QLocale>
#include <QObject>
#include <QString>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace dorimek::sheets {

// Print style 1, text only: the drug information sheet as a ruled table, one
// row per prescription line. Never shown; the preview and print commands run
// its report. Styles 2 and 3 are built on it and add their cells through the
// two row hooks.
class TForm1 : public QObject {
    Q_OBJECT

  public:
    // Takes the printer and the clinic's name and telephone once, now; later
    // changes of the settings reach the sheet only through a new form. The
    // source is read at every row and must outlive the form.
    TForm1(const prescription::PrescriptionSource& source, const prescription::SheetSettings& settings,
           QObject* parent = nullptr);
    ~TForm1() override;

    report::TReport Yakujorep;
    int RowIndex = 0;  // 0-based number of the next prescription line to deliver

    // The report's BeforePrint: today's date in the title, back to the first line.
    void YakujorepBeforePrint(report::TReport& sender, bool& printReport);
    // The report's OnNeedData: one prescription line per call.
    void YakujorepNeedData(report::TReport& sender, bool& moreData);

  protected:
    TForm1(const prescription::PrescriptionSource& source, const prescription::SheetSettings& settings,
           const SheetLayout& layout, QObject* parent);

    const prescription::PrescriptionSource& source() const { return source_; }
    // 1-based prescription line the current request delivers.
    int currentLine() const { return RowIndex + 1; }

    // The later styles' own cells for a drug from the master file, after its
    // record has been walked.
    virtual void fillRecordExtras(const SheetRow& row);
    // The same cells for a line shown by its name only: a drug not in the
    // master list, or one whose record is gone or can't be read.
    virtual void fillUnknownExtras();
    // Called at the start of every run, before its first row.
    virtual void startRows() {}

    // What this run's rows couldn't show, told once after the last row.
    LineProblems& problems() { return problems_; }

    // The layout's element of that name and kind; the layout tables and the
    // code reading them belong together, so a miss ends the program at once.
    report::TReportLabel* labelNamed(const char* name) const;
    report::TReportMemo* memoNamed(const char* name) const;
    report::TReportImage* imageNamed(const char* name) const;

  private:
    void buildLayout(const SheetLayout& layout);
    void keepFooterOnPaper();
    void showRecord(const SheetRow& row);
    void showNameOnly(const std::string& name);

    const prescription::PrescriptionSource& source_;
    report::TReportLabel* dateLabel_ = nullptr;     // RpLabel6
    report::TReportLabel* shapeLabel_ = nullptr;    // RpLabel7
    report::TReportLabel* packageLabel_ = nullptr;  // RpLabel8
    report::TReportMemo* efficacyMemo_ = nullptr;   // RpMemo1
    report::TReportMemo* cautionMemo_ = nullptr;    // RpMemo2
    report::TReportMemo* nameMemo_ = nullptr;       // RpMemo3
    // Lines of this run printed by name only because their record is gone
    // or the master file couldn't be read, for the one message at the end.
    LineProblems problems_;
};

// A date as the title shows it: the locale's short date format, or
// 2026/12/08 when the locale is the C/POSIX one that nobody chose.
QString sheetDateText(const QDate& date, const QLocale& locale);
// Today in the system's locale, Shift-JIS.
std::string sheetDate();

// The footer: ClinicName, three blanks, "TEL:", ClinicTel (Shift-JIS).
std::string clinicFooter(const prescription::SheetSettings& settings);

}  // namespace dorimek::sheets
