#include "PagePrinter.h"

#include "PrinterState_win.h"

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

// Windows printers take pages drawn through their driver: Qt's Windows print
// engine paints the renderer's pages into the driver's device context.
namespace dorimek::platform {

Result<PrinterService::SubmittedJob> printDocument(const QString& printer,
                                                   const PageDocument& document,
                                                   const PrinterService::JobOptions& options) {
    using R = Result<PrinterService::SubmittedJob>;
    const QPrinterInfo info = QPrinterInfo::printerInfo(printer);
    if (info.isNull()) {
        return R::failure(QStringLiteral("プリンタ %1 が印刷を受け付けませんでした: %2")
                              .arg(printer, QStringLiteral("プリンタが見つかりません")));
    }
    if (document.pageCount <= 0) return R::failure(QStringLiteral("印刷するページがありません。"));
    QPrinter device(info, QPrinter::HighResolution);
    device.setDocName(document.title);
    device.setCreator(QStringLiteral("dorimek"));
    // JIS B5 is the driver's paper code 13; the page starts at the paper's
    // corner, as on the PDF, so that every line lands where it does there.
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::JisB5), QPageLayout::Portrait,
                                     QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    device.setFullPage(true);
    device.setDuplex(options.duplex ? QPrinter::DuplexLongSide : QPrinter::DuplexNone);
    device.setCopyCount(options.copies > 0 ? options.copies : 1);
    QPainter painter;
    if (!painter.begin(&device)) {
        return R::failure(QStringLiteral("プリンタ %1 が印刷を受け付けませんでした: %2")
                              .arg(printer, QStringLiteral("印刷を始められません")));
    }
    for (int page = 0; page < document.pageCount; ++page) {
        if (page > 0 && !device.newPage()) {
            painter.end();
            return R::failure(QStringLiteral("プリンタ %1 が印刷を受け付けませんでした: %2")
                                  .arg(printer, QStringLiteral("ページを送れません")));
        }
        document.paintPage(page, painter);
    }
    if (!painter.end()) {
        return R::failure(QStringLiteral("プリンタ %1 が印刷を受け付けませんでした: %2")
                              .arg(printer, QStringLiteral("印刷を終えられません")));
    }
    PrinterService::SubmittedJob submitted;
    // A paused or offline printer keeps the job: the sheet may come out after
    // the patient has left, so the user must hear it now.
    const PrinterStatus status = printerStatus(printer);
    if (status.known && holdsJobs(status.status, status.attributes)) {
        submitted.notPrintingNow =
            QStringLiteral(
                "提供書はプリンタ %1 の印刷待ちに入りましたが、このプリンタは停止しているため"
                "まだ印刷されません。\nプリンタを再開すると印刷されます。")
                .arg(printer);
    }
    return submitted;
}

}  // namespace dorimek::platform
