#include "PrinterService.h"

// Which printer the program uses and what a job asks of it: the bookkeeping
// and the texts that are the same whichever spooler lists the printers.
namespace dorimek::platform {

PrinterService& PrinterService::instance() {
    static PrinterService service;
    return service;
}

PrinterService::PrinterService() { refresh(); }

bool PrinterService::setCurrentIndex(int index) {
    if (index < -1 || index >= printerCount()) return false;
    currentIndex_ = index;
    return true;
}

QString PrinterService::nameForIndex(int index) const {
    if (index == -1) return defaultPrinter_;
    if (index < 0 || index >= printerCount()) return {};
    return printers_.at(index);
}

DeviceMode* PrinterService::lockDeviceMode() {
    const QString name = nameForIndex(currentIndex_);
    if (name.isEmpty()) return nullptr;
    lockedName_ = name;
    locked_ = modes_[name];
    return &locked_;
}

void PrinterService::unlockDeviceMode() {
    if (lockedName_.isEmpty()) return;
    modes_[lockedName_] = locked_;
    lockedName_.clear();
}

std::int16_t PrinterService::paperSizeOf(const QString& printer) const {
    auto it = modes_.find(printer);
    return it == modes_.end() ? 0 : it->second.dmPaperSize;
}

QStringList PrinterService::jobOptionTexts(const JobOptions& options) {
    return {
        options.media,
        QStringLiteral("copies=%1").arg(options.copies > 0 ? options.copies : 1),
        QStringLiteral("sides=%1")
            .arg(options.duplex ? QStringLiteral("two-sided-long-edge")
                                : QStringLiteral("one-sided")),
    };
}

QString PrinterService::refusedText(const QString& printer, const JobFate& fate) {
    QString text =
        fate.kept ? QStringLiteral("プリンタ %1 が止まったため、提供書はまだ印刷されていません。")
                        .arg(printer)
                  : QStringLiteral(
                        "プリンタ %1 が提供書の印刷を取り消しました。提供書は印刷されていません。")
                        .arg(printer);
    if (!fate.reason.isEmpty()) text += QStringLiteral("\n（プリンタの応答: %1）").arg(fate.reason);
    text += fate.kept
                ? QStringLiteral("\nプリンタを直して再開すると印刷されます%1。")
                      .arg(resumeHint(printer))
                : QStringLiteral("\nプリンタの状態と用紙を確認して、もう一度印刷してください。");
    return text;
}

QString PrinterService::stoppedQueueText(const QString& printer) {
    return QStringLiteral(
               "提供書はプリンタ %1 の印刷待ちに入りましたが、このプリンタは停止しているため"
               "まだ印刷されません。\nプリンタを再開すると印刷されます%2。")
        .arg(printer, resumeHint(printer));
}

QString PrinterService::heldJobText(const QString& printer) {
    return QStringLiteral(
               "提供書はプリンタ %1 の印刷待ちで保留にされたため、まだ印刷されません。\n"
               "保留を解除すると印刷されます。")
        .arg(printer);
}

}  // namespace dorimek::platform
