#include "PagePrinter.h"

#include "AtomicFile.h"
#include "StaleLeftovers.h"

#include <QTemporaryDir>

// CUPS prints documents: the pages go to it as one PDF file.
namespace dorimek::platform {

Result<PrinterService::SubmittedJob> printDocument(const QString& printer,
                                                   const PageDocument& document,
                                                   const PrinterService::JobOptions& options) {
    using R = Result<PrinterService::SubmittedJob>;
    Result<std::string> pdf = document.pdfBytes();
    if (!pdf) return R::failure(pdf.error());
    // Named with our pid, so that the next start can tell a folder left by a
    // killed print from one another running copy is still printing from.
    QTemporaryDir dir(StaleLeftovers::printFolderTemplate());
    if (!dir.isValid()) {
        return R::failure(
            QStringLiteral("印刷用の一時フォルダを作成できませんでした。何も印刷していません。"));
    }
    const QString path = dir.filePath(QStringLiteral("report.pdf"));
    QString why;
    if (!writeFileAtomically(path, *pdf, &why)) {
        return R::failure(
            QStringLiteral(
                "印刷用の一時ファイルを書き込めませんでした（%1）。何も印刷していません。")
                .arg(why));
    }
    auto sent = PrinterService::instance().submitPdf(printer, path, document.title, options);
    if (!sent && sent.errorKind() == ErrorKind::Other) {
        return R::failure(sent.error(), ErrorKind::PrinterRefused);
    }
    return sent;
}

}  // namespace dorimek::platform
