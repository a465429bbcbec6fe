#include "TReport.h"

#include "ReportLayouter.h"
#include "ReportPreviewWindow.h"
#include "ReportPrinter.h"
#include "ReportProgressDialog.h"
#include "ReportRenderer.h"
#include "platform/Messages.h"

#include <QApplication>
#include <QCoreApplication>

#include <exception>
#include <memory>

namespace dorimek::report {
namespace {

// Clears the running flag however the run ends.
class RunGuard {
  public:
    explicit RunGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~RunGuard() { flag_ = false; }
    RunGuard(const RunGuard&) = delete;
    RunGuard& operator=(const RunGuard&) = delete;

  private:
    bool& flag_;
};

QString runFailureText(const char* what) {
    return QStringLiteral("帳票の作成中にエラーが発生しました。\n%1")
        .arg(QString::fromLocal8Bit(what));
}

}  // namespace

void TReportPage::setValues(double bottomMargin, double length, double topMargin, double width,
                            double leftMargin, double rightMargin, double columnSpace) {
    BottomMargin = bottomMargin;
    Length = length;
    TopMargin = topMargin;
    Width = width;
    LeftMargin = leftMargin;
    RightMargin = rightMargin;
    ColumnSpace = columnSpace;
}

TReport::TReport(QString name) : name_(std::move(name)) {}

TReport::~TReport() = default;

TReportBand* TReport::addBand(const char* name, TBandType type, double heightMm, double fontPt) {
    auto band = std::make_unique<TReportBand>(QString::fromUtf8(name), type, this);
    band->Height = mmToTenths(heightMm);
    if (fontPt > 0) {
        TReportFont font = Font;
        font.Size = fontPt;
        band->Font = font;
    }
    bands_.push_back(std::move(band));
    return bands_.back().get();
}

TReportBand* TReport::band(TBandType type) const {
    for (const auto& b : bands_) {
        if (b->BandType == type) return b.get();
    }
    return nullptr;
}

TReportBand* TReport::bandByName(const QString& name) const {
    for (const auto& b : bands_) {
        if (b->name() == name) return b.get();
    }
    return nullptr;
}

TReportElement* TReport::element(const QString& name) const {
    for (const auto& b : bands_) {
        if (TReportElement* e = b->element(name)) return e;
    }
    return nullptr;
}

TReportLabel* TReport::label(const QString& name) const {
    return dynamic_cast<TReportLabel*>(element(name));
}
TReportMemo* TReport::memo(const QString& name) const {
    return dynamic_cast<TReportMemo*>(element(name));
}
TReportShape* TReport::shape(const QString& name) const {
    return dynamic_cast<TReportShape*>(element(name));
}
TReportImage* TReport::image(const QString& name) const {
    return dynamic_cast<TReportImage*>(element(name));
}

void TReport::setImageDpi(double dpi) {
    if (dpi > 0) imageDpi_ = dpi;
}

RunResult TReport::run(const RunOptions& options) {
    RunResult result;
    if (running_) return result;  // a second request while one runs is ignored
    RunGuard guard(running_);
    cancelRequested_ = false;

    bool printReport = true;
    if (BeforePrint) BeforePrint(*this, printReport);
    if (!printReport) {
        result.outcome = RunOutcome::Suppressed;
        return result;
    }

    auto document = std::make_shared<ReportDocument>();
    ReportLayouter layout(*this, *document, imageDpi_);
    layout.newPage();

    // Without a handler the preset answers stand: one detail row.
    auto needData = [this](bool preset) {
        bool more = preset;
        if (OnNeedData) OnNeedData(*this, more);
        return more;
    };

    if (!needData(true)) {
        result.outcome = RunOutcome::Empty;
    } else {
        if (const TReportBand* b = band(rbTitle)) layout.printBand(*b);
        if (const TReportBand* b = band(rbColumnHeader)) layout.printBand(*b);
        const TReportBand* detail = band(rbDetail);
        result.outcome = RunOutcome::Completed;
        for (int row = 1;; ++row) {
            if (options.letEventsThrough && QCoreApplication::instance()) {
                QCoreApplication::processEvents();
            }
            if (options.progress) options.progress(layout.currentPage(), row);
            if (cancelRequested_) {
                result.outcome = RunOutcome::Cancelled;
                break;
            }
            if (detail) layout.printBand(*detail, row);
            if (!needData(false)) break;
        }
        if (result.outcome == RunOutcome::Completed) {
            if (const TReportBand* b = band(rbSummary)) layout.printBand(*b);
        }
    }
    if (Printable) {
        document->fit = PageFit::forDocument(*document, *Printable);
    } else {
        const platform::QueuePaper paper = ReportPrinter::paper(PrinterSettings.PrinterIndex);
        document->fit =
            PageFit::forDocument(*document, {paper.left, paper.top, paper.right, paper.bottom},
                                 QSizeF(paper.width, paper.length));
        document->jobMedia = paper.jobMedia;
    }
    result.document = document;
    lastDocument_ = document;
    return result;
}

Status TReport::Print() {
    try {
        return ReportPrinter::print(*this);
    } catch (const std::exception& e) {
        return Status::failure(runFailureText(e.what()));
    }
}

void TReport::Preview() {
    if (preview_) {
        // The report's preview is already open: bring it forward instead of
        // nesting a second one inside it.
        preview_->raise();
        preview_->activateWindow();
        return;
    }
    try {
        // Rows of camera photos take a while: say how far it has got, and
        // let the person waiting give up.
        std::unique_ptr<ReportProgressDialog> progress;
        if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
            progress =
                std::make_unique<ReportProgressDialog>(nullptr, QStringLiteral("プレビュー作成中"));
            QObject::connect(progress.get(), &ReportProgressDialog::cancelRequested,
                             [this] { cancelRun(); });
            progress->show();
        }
        RunOptions options;
        options.progress = [&progress](int page, int row) {
            if (progress) progress->setProgress(page, row);
        };
        RunResult r = run(options);
        progress.reset();
        if (!r.document || r.outcome == RunOutcome::Cancelled) return;
        ReportPreviewWindow window(*this, r.document);
        preview_ = &window;
        window.exec();
        preview_ = nullptr;
    } catch (const std::exception& e) {
        preview_ = nullptr;
        platform::showMessage(runFailureText(e.what()));
    }
}

Status TReport::runToPdf(const QString& path) {
    try {
        RunResult r = run();
        if (r.outcome == RunOutcome::Busy) {
            return Status::failure(QStringLiteral("この帳票は作成中です。"));
        }
        if (!r.document) return {};  // BeforePrint declined: nothing to write
        return ReportRenderer::writePdf(*r.document, path, Title);
    } catch (const std::exception& e) {
        return Status::failure(runFailureText(e.what()));
    }
}

}  // namespace dorimek::report
