#pragma once

#include "ReportDocument.h"
#include "ReportTypes.h"
#include "TReportBand.h"
#include "TReportImage.h"
#include "TReportLabel.h"
#include "TReportMemo.h"
#include "TReportShape.h"
#include "platform/Result.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QPainter;

namespace dorimek::report {

class ReportPreviewWindow;

// Page size and margins in tenths of a millimetre. The paper is always JIS B5
// portrait; the defaults are its size.
struct TReportPage {
    double BottomMargin = 100;
    double Length = 2570;
    double TopMargin = 50;
    double Width = 1820;
    double LeftMargin = 30;
    double RightMargin = 10;
    double ColumnSpace = 0;

    // In the order the values are stored in a report definition.
    void setValues(double bottomMargin, double length, double topMargin, double width,
                   double leftMargin, double rightMargin, double columnSpace);
    double bandWidth() const { return Width - LeftMargin - RightMargin; }
    // Bands end above this line.
    double bottomLimit() const { return Length - BottomMargin; }
};

// The paper bin of a run. Only the first is used: the job then asks for no
// tray of its own and the queue feeds from its first one.
enum class TOutputBin { First };

struct TPrinterSettings {
    int PrinterIndex = -1;  // index in the platform's printer list; -1: default printer
    int Copies = 1;
    int FirstPage = 0;  // 0 and 0: all pages
    int LastPage = 0;
    TOutputBin OutputBin = TOutputBin::First;
    bool Duplex = false;  // every job asks for this, so a two-sided queue prints one-sided
    // Print waits the seconds a printer takes to refuse a job and returns the
    // refusal as its failure (a run nobody watches); otherwise the job is
    // followed in the background and a refusal is told when it comes.
    bool WaitForJob = false;
};

enum class RunOutcome {
    Completed,   // summary printed
    Empty,       // the first data request had no data: one empty page
    Cancelled,   // stopped before a detail band; pages so far kept
    Suppressed,  // BeforePrint answered false: no pages
    Busy,        // a run of this report was already under way: ignored
};

struct RunOptions {
    // Lets pending window events through before every detail band, so the
    // program stays usable and a cancel button can be pressed.
    bool letEventsThrough = true;
    // Called before every detail band with the page and the 1-based row.
    std::function<void(int page, int row)> progress;
};

struct RunResult {
    RunOutcome outcome = RunOutcome::Busy;
    std::shared_ptr<const ReportDocument> document;  // null for Busy and Suppressed
};

// A banded report: a title, a column header repeated on every page, one
// detail band per data row and a summary. The layout's form supplies the
// data through OnNeedData, one row per call.
class TReport {
  public:
    explicit TReport(QString name = QStringLiteral("Yakujorep"));
    ~TReport();
    TReport(const TReport&) = delete;
    TReport& operator=(const TReport&) = delete;

    const QString& name() const { return name_; }

    TReportPage Page;
    TPrinterSettings PrinterSettings;
    TReportFont Font;
    bool PrintIfEmpty = true;                   // no effect with an OnNeedData handler
    QString Title = QStringLiteral("dorimek");  // the print job's name
    // The printable area of JIS B5 every run fits its pages to. Unset: the
    // paper and printable area the spooler reports for the printer of
    // PrinterSettings (JIS B5, or a paper the printer has instead).
    std::optional<PrintableMargins> Printable;

    // Second argument: PrintReport (arrives true) and MoreData respectively.
    using Handler = std::function<void(TReport&, bool&)>;
    Handler BeforePrint;
    Handler OnNeedData;

    // --- layout ---
    TReportBand* addBand(const char* name, TBandType type, double heightMm, double fontPt = 0);
    const std::vector<std::unique_ptr<TReportBand>>& bands() const { return bands_; }
    // The first band of a type, or nullptr.
    TReportBand* band(TBandType type) const;
    TReportBand* bandByName(const QString& name) const;

    // Elements by name across all bands; nullptr when missing or of another kind.
    TReportElement* element(const QString& name) const;
    TReportLabel* label(const QString& name) const;
    TReportMemo* memo(const QString& name) const;
    TReportShape* shape(const QString& name) const;
    TReportImage* image(const QString& name) const;

    // --- runs ---
    // One run into a laid-out document: BeforePrint, the data requests and
    // the page layout. Print, Preview and runToPdf all start with this.
    RunResult run(const RunOptions& options = {});
    bool isRunning() const { return running_; }
    // Stops the current run before its next detail band.
    void cancelRun() { cancelRequested_ = true; }
    // The resolution pictures are drawn at; data handlers may decode photos
    // no finer than this.
    double imageDpi() const { return imageDpi_; }
    void setImageDpi(double dpi);

    // The document of the last run that produced pages.
    std::shared_ptr<const ReportDocument> lastDocument() const { return lastDocument_; }

    // Runs the report straight to the printer of PrinterSettings, with a
    // progress window. A missing printer or a job the spooler refuses is
    // reported to the user and returned as a failure.
    Status Print();
    // Runs the report into the engine's preview window and returns when the
    // window has been closed. Other windows stay usable meanwhile.
    void Preview();
    // Runs the report into a PDF file (JIS B5).
    Status runToPdf(const QString& path);

  private:
    QString name_;
    std::vector<std::unique_ptr<TReportBand>> bands_;
    bool running_ = false;
    bool cancelRequested_ = false;
    double imageDpi_ = 300;
    std::shared_ptr<const ReportDocument> lastDocument_;
    ReportPreviewWindow* preview_ = nullptr;
};

}  // namespace dorimek::report
