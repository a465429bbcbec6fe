#include "ReportPrinter.h"

#include "ReportProgressDialog.h"
#include "ReportRenderer.h"
#include "TReport.h"
#include "platform/JobWatch.h"
#include "platform/Messages.h"
#include "platform/PagePrinter.h"
#include "platform/PrinterService.h"
#include "platform/QueuePaper.h"

#include <QApplication>
#include <QPainter>

#include <algorithm>
#include <memory>

namespace dorimek::report {
namespace {

Status fail(const QString& text, ErrorKind kind = ErrorKind::Other) {
    platform::showMessage(text);
    return Status::failure(text, kind);
}

}  // namespace

Result<QString> ReportPrinter::resolvePrinter(int printerIndex) {
    const platform::PrinterService& service = platform::PrinterService::instance();
    if (!service.spoolerReachable()) {
        return Result<QString>::failure(platform::kSpoolerUnavailable, ErrorKind::SpoolerDown);
    }
    if (service.printerCount() == 0) {
        return Result<QString>::failure(
            QStringLiteral("プリンタがインストールされていません。印刷できません。"),
            ErrorKind::NoPrinter);
    }
    const QString name = service.nameForIndex(printerIndex);
    if (!name.isEmpty()) return name;
    if (printerIndex == -1) {
        return Result<QString>::failure(
            QStringLiteral("通常使うプリンタが設定されていません。印刷できません。"),
            ErrorKind::NoPrinter);
    }
    return Result<QString>::failure(
        QStringLiteral("プリンタ番号 %1 のプリンタがありません。プリンタの設定を確認してください。")
            .arg(printerIndex),
        ErrorKind::NoPrinter);
}

platform::QueuePaper ReportPrinter::paper(int printerIndex) {
    const platform::PrinterService& service = platform::PrinterService::instance();
    if (!service.spoolerReachable()) return {};
    return platform::QueuePaper::of(service.nameForIndex(printerIndex));
}

PrintableMargins ReportPrinter::printableMargins(int printerIndex) {
    const platform::QueuePaper p = paper(printerIndex);
    return {p.left, p.top, p.right, p.bottom};
}

Status ReportPrinter::print(TReport& report) {
    if (report.isRunning()) return Status::failure(QStringLiteral("この帳票は作成中です。"));
    Result<QString> printer = resolvePrinter(report.PrinterSettings.PrinterIndex);
    if (!printer) return fail(printer.error(), printer.errorKind());

    // The progress window exists only where windows can be shown.
    std::unique_ptr<ReportProgressDialog> progress;
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
        progress = std::make_unique<ReportProgressDialog>();
        QObject::connect(progress.get(), &ReportProgressDialog::cancelRequested,
                         [&report] { report.cancelRun(); });
        progress->show();
    }
    RunOptions options;
    options.progress = [&progress](int page, int row) {
        if (progress) progress->setProgress(page, row);
    };
    const RunResult run = report.run(options);
    progress.reset();
    if (run.outcome == RunOutcome::Busy) {
        return Status::failure(QStringLiteral("この帳票は作成中です。"));
    }
    if (!run.document) return {};  // BeforePrint declined: nothing to print

    // The pages first..last (1-based; 0 as last: to the end), as the PDF
    // takes them.
    const ReportDocument& document = *run.document;
    const int first = std::max(1, report.PrinterSettings.FirstPage);
    const int lastPage = report.PrinterSettings.LastPage;
    const int last =
        lastPage <= 0 ? document.pageCount() : std::min(lastPage, document.pageCount());
    platform::PageDocument pages;
    pages.title = report.Title;
    pages.pageCount = std::max(0, last - first + 1);
    pages.paintPage = [&document, first](int page, QPainter& painter) {
        ReportRenderer::paintPage(document, first - 1 + page, painter);
    };
    pages.pdfBytes = [&document, &report] {
        return ReportRenderer::pdfBytes(document, report.PrinterSettings.FirstPage,
                                        report.PrinterSettings.LastPage, report.Title);
    };
    platform::PrinterService::JobOptions job;
    job.copies = report.PrinterSettings.Copies;
    job.duplex = report.PrinterSettings.Duplex;
    job.media = document.jobMedia;
    const auto sent = platform::printDocument(*printer, pages, job);
    if (!sent) return fail(sent.error(), sent.errorKind());
    const bool wait = report.PrinterSettings.WaitForJob;
    // A sheet that waits in a stopped or held queue is told about once. The
    // staff can mend the queue and it prints; a run nobody watches has
    // printed nothing for now, and says so.
    if (!sent->notPrintingNow.isEmpty()) {
        if (wait) return fail(sent->notPrintingNow, ErrorKind::PrinterRefused);
        platform::showMessage(sent->notPrintingNow);
        return {};
    }
    if (wait) {
        const Status fate = platform::JobWatch::waitForFate(*printer, sent->id);
        if (!fate) return fail(fate.error(), fate.errorKind());
        return {};
    }
    platform::JobWatch::follow(*printer, sent->id,
                               [](const QString& text) { platform::showMessage(text); });
    return {};
}

}  // namespace dorimek::report
