#include "PagePrinter.h"

#include "PrinterState_win.h"
#include "QueuePaper.h"

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include <cmath>
#include <vector>

// Windows printers take pages drawn through their driver: Qt's Windows print
// engine paints the renderer's pages into the driver's device context, and
// the spooler's queue tells which job that made.
namespace dorimek::platform {
namespace {

// The paper a job's media option names; JIS B5 as the driver's B5 (paper
// code 13), not as a custom size.
QPageSize paperOf(const QString& media) {
    const QSizeF mm = jobMediaSize(media);
    if (std::abs(mm.width() - 182) < 1 && std::abs(mm.height() - 257) < 1) {
        return QPageSize(QPageSize::JisB5);
    }
    return QPageSize(mm, QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch);
}

// The printer's own paper of that size, if it has one; the size asked for
// where the driver lists no papers at all.
QPageSize driverPaper(const QPrinterInfo& info, const QPageSize& wanted) {
    const QList<QPageSize> sizes = info.supportedPageSizes();
    if (sizes.isEmpty()) return wanted;
    const QSizeF mm = wanted.size(QPageSize::Millimeter);
    for (const QPageSize& size : sizes) {
        const QSizeF s = size.size(QPageSize::Millimeter);
        if (std::abs(s.width() - mm.width()) < 1 && std::abs(s.height() - mm.height()) < 1) {
            return size;
        }
    }
    return {};
}

QString refused(const QString& printer, const QString& why) {
    return QStringLiteral("プリンタ %1 が印刷を受け付けませんでした: %2").arg(printer, why);
}

}  // namespace

Result<PrinterService::SubmittedJob> printDocument(const QString& printer,
                                                   const PageDocument& document,
                                                   const PrinterService::JobOptions& options) {
    using R = Result<PrinterService::SubmittedJob>;
    if (document.pageCount <= 0) return R::failure(QStringLiteral("印刷するページがありません。"));
    const QPrinterInfo info = QPrinterInfo::printerInfo(printer);
    if (printer.isEmpty() || info.isNull()) {
        return R::failure(refused(printer, QStringLiteral("プリンタが見つかりません")),
                          ErrorKind::NoPrinter);
    }
    QPrinter device(info, QPrinter::HighResolution);
    device.setDocName(document.title);
    device.setCreator(QStringLiteral("dorimek"));
    // The page starts at the paper's corner, as on the PDF, so that every
    // line lands where the renderer puts it; default margins would move it
    // by the driver's unprintable border. A printer without the paper keeps
    // its own, the one the user was told of when choosing it. Each setting
    // goes on its own: the engine takes a whole layout only with margins the
    // driver can print, and full-page mode comes first so that zero margins
    // are kept.
    device.setFullPage(true);
    if (const QPageSize paper = driverPaper(info, paperOf(options.media)); paper.isValid()) {
        device.setPageSize(paper);
    }
    device.setPageOrientation(QPageLayout::Portrait);
    device.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    device.setDuplex(options.duplex ? QPrinter::DuplexLongSide : QPrinter::DuplexNone);
    device.setCopyCount(options.copies > 0 ? options.copies : 1);

    const std::vector<SpoolerJob> before = spoolerJobs(printer);
    QPainter painter;
    if (!painter.begin(&device)) {
        return R::failure(refused(printer, QStringLiteral("印刷を始められません")),
                          ErrorKind::PrinterRefused);
    }
    // The job is in the queue while it spools; a fast printer may have
    // printed it and let it go by the time the last page is handed over.
    DWORD jobId = newJobId(before, spoolerJobs(printer), document.title);
    for (int page = 0; page < document.pageCount; ++page) {
        if (page > 0 && !device.newPage()) {
            device.abort();
            painter.end();
            return R::failure(refused(printer, QStringLiteral("ページを送れません")),
                              ErrorKind::PrinterRefused);
        }
        document.paintPage(page, painter);
    }
    if (!painter.end()) {
        return R::failure(refused(printer, QStringLiteral("印刷を終えられません")),
                          ErrorKind::PrinterRefused);
    }
    if (jobId == 0) jobId = newJobId(before, spoolerJobs(printer), document.title);

    PrinterService::SubmittedJob submitted;
    submitted.id = static_cast<int>(jobId);
    // A paused or offline printer keeps the job: the sheet may come out after
    // the patient has left, so the user must hear it now.
    const PrinterStatus status = printerStatus(printer);
    if (status.known && holdsJobs(status.status, status.attributes)) {
        submitted.notPrintingNow = PrinterService::stoppedQueueText(printer);
    } else if (spoolerJob(printer, jobId).status & JOB_STATUS_PAUSED) {
        submitted.notPrintingNow = PrinterService::heldJobText(printer);
    }
    return submitted;
}

}  // namespace dorimek::platform
