#include "ReportPrinter.h"

#include "ReportProgressDialog.h"
#include "ReportRenderer.h"
#include "TReport.h"
#include "platform/AtomicFile.h"
#include "platform/Messages.h"
#include "platform/PrinterService.h"
#include "platform/QueuePaper.h"
#include "platform/StaleLeftovers.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <memory>

namespace dorimek::report {
namespace {

Status fail(const QString& text) {
    platform::showMessage(text);
    return Status::failure(text);
}

}  // namespace

Result<QString> ReportPrinter::resolvePrinter(int printerIndex) {
    const platform::PrinterService& service = platform::PrinterService::instance();
    if (!service.spoolerReachable()) {
        return Result<QString>::failure(platform::kSpoolerUnavailable);
    }
    if (service.printerCount() == 0) {
        return Result<QString>::failure(
            QStringLiteral("プリンタがインストールされていません。印刷できません。"));
    }
    const QString name = service.nameForIndex(printerIndex);
    if (!name.isEmpty()) return name;
    if (printerIndex == -1) {
        return Result<QString>::failure(
            QStringLiteral("通常使うプリンタが設定されていません。印刷できません。"));
    }
    return Result<QString>::failure(
        QStringLiteral("プリンタ番号 %1 のプリンタがありません。プリンタの設定を確認してください。")
            .arg(printerIndex));
}

PrintableMargins ReportPrinter::printableMargins(int printerIndex) {
    const platform::PrinterService& service = platform::PrinterService::instance();
    if (!service.spoolerReachable()) return {};
    const platform::QueuePaper paper = platform::QueuePaper::of(service.nameForIndex(printerIndex));
    if (!paper.known || !paper.jisB5) return {};
    return {paper.left, paper.top, paper.right, paper.bottom};
}

Status ReportPrinter::print(TReport& report) {
    if (report.isRunning()) return Status::failure(QStringLiteral("この帳票は作成中です。"));
    Result<QString> printer = resolvePrinter(report.PrinterSettings.PrinterIndex);
    if (!printer) return fail(printer.error());

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

    Result<std::string> pdf =
        ReportRenderer::pdfBytes(*run.document, report.PrinterSettings.FirstPage,
                                 report.PrinterSettings.LastPage, report.Title);
    if (!pdf) return fail(pdf.error());
    // Named with our pid, so that the next start can tell a folder left by a
    // killed print from one another running copy is still printing from.
    QTemporaryDir dir(platform::StaleLeftovers::printFolderTemplate());
    if (!dir.isValid()) {
        return fail(QStringLiteral("印刷用の一時フォルダを作成できませんでした。何も印刷していません。"));
    }
    const QString path = dir.filePath(QStringLiteral("report.pdf"));
    QString why;
    if (!platform::writeFileAtomically(path, *pdf, &why)) {
        return fail(QStringLiteral("印刷用の一時ファイルを書き込めませんでした（%1）。何も印刷していません。")
                        .arg(why));
    }
    platform::PrinterService::JobOptions job;
    job.copies = report.PrinterSettings.Copies;
    job.duplex = report.PrinterSettings.Duplex;
    const auto sent =
        platform::PrinterService::instance().submitPdf(*printer, path, report.Title, job);
    if (!sent) return fail(sent.error());
    // The job is the spooler's now; a sheet that waits in a stopped queue is
    // told about once, and the run counts as done.
    if (!sent->notPrintingNow.isEmpty()) platform::showMessage(sent->notPrintingNow);
    return {};
}

}  // namespace dorimek::report
