#include "PrinterService.h"

#include <QFile>

#include <cups/cups.h>

namespace dorimek::platform {

PrinterService& PrinterService::instance() {
    static PrinterService service;
    return service;
}

PrinterService::PrinterService() { refresh(); }

void PrinterService::refresh() {
    printers_.clear();
    defaultPrinter_.clear();
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    for (int i = 0; i < count; ++i) {
        if (dests[i].instance) continue;  // instances are option presets of a queue
        const QString name = QString::fromUtf8(dests[i].name);
        printers_.append(name);
        if (dests[i].is_default) defaultPrinter_ = name;
    }
    cupsFreeDests(count, dests);
    printers_.sort();
    if (currentIndex_ >= printerCount()) currentIndex_ = -1;
}

std::optional<QString> PrinterService::defaultDeviceEntry(QString* error) const {
    if (defaultPrinter_.isEmpty()) {
        if (error) *error = QStringLiteral("通常使うプリンタが設定されていません。");
        return std::nullopt;
    }
    QString port = defaultPrinter_;
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    if (cups_dest_t* d = cupsGetDest(defaultPrinter_.toUtf8().constData(), nullptr, count, dests)) {
        if (const char* uri = cupsGetOption("device-uri", d->num_options, d->options)) {
            port = QString::fromUtf8(uri);
        }
    }
    cupsFreeDests(count, dests);
    return defaultPrinter_ + QStringLiteral(",CUPS,") + port;
}

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

std::optional<PrinterService::Current> PrinterService::current() const {
    const QString name = nameForIndex(currentIndex_);
    if (name.isEmpty()) return std::nullopt;
    return Current{name, QStringLiteral("CUPS"), name};
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

PrinterService::Properties PrinterService::properties(const QString& printer) const {
    Properties p;
    if (printer.isEmpty()) return p;
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    if (cups_dest_t* d = cupsGetDest(printer.toUtf8().constData(), nullptr, count, dests)) {
        auto option = [d](const char* name) {
            return QString::fromUtf8(cupsGetOption(name, d->num_options, d->options));
        };
        p.model = option("printer-make-and-model");
        p.location = option("printer-location");
        const QString state = option("printer-state");
        if (state == QLatin1String("3")) p.state = QStringLiteral("待機中");
        if (state == QLatin1String("4")) p.state = QStringLiteral("印刷中");
        if (state == QLatin1String("5")) p.state = QStringLiteral("停止中");
        p.acceptingJobs = option("printer-is-accepting-jobs") != QLatin1String("false");
    }
    cupsFreeDests(count, dests);
    return p;
}

std::int16_t PrinterService::paperSizeOf(const QString& printer) const {
    auto it = modes_.find(printer);
    return it == modes_.end() ? 0 : it->second.dmPaperSize;
}

Status PrinterService::submitPdf(const QString& printer, const QString& pdfPath,
                                 const QString& title, int copies) const {
    if (printer.isEmpty()) {
        return Status::failure(QStringLiteral("プリンタがありません。印刷できませんでした。"));
    }
    cups_option_t* options = nullptr;
    int numOptions = 0;
    numOptions = cupsAddOption("media", "jis_b5_182x257mm", numOptions, &options);
    numOptions = cupsAddOption("copies", QByteArray::number(copies > 0 ? copies : 1).constData(),
                               numOptions, &options);
    numOptions = cupsAddOption("document-format", "application/pdf", numOptions, &options);
    const int job = cupsPrintFile2(CUPS_HTTP_DEFAULT, printer.toUtf8().constData(),
                                   QFile::encodeName(pdfPath).constData(), title.toUtf8().constData(),
                                   numOptions, options);
    cupsFreeOptions(numOptions, options);
    if (job <= 0) {
        return Status::failure(QStringLiteral("プリンタ %1 が印刷を受け付けませんでした: %2")
                                   .arg(printer, QString::fromUtf8(cupsLastErrorString())));
    }
    return {};
}

}  // namespace dorimek::platform
