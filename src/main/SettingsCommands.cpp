#include "SettingsCommands.h"

#include "AutoStart.h"
#include "Main.h"
#include "MainMessages.h"
#include "PrinterChoice.h"
#include "platform/Messages.h"
#include "platform/PrinterService.h"
#include "platform/QueuePaper.h"
#include "platform/Sjis.h"
#include "sheets/engine/PrinterChooserDialog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

namespace dorimek::mainwin {

void SettingsCommands::readAtStart() {
    std::optional<std::string> indexText;
    auto stored = SettingsFile::read();
    if (!stored) {
        platform::showMessage(stored.error());
    } else {
        applyStoredSettings(*stored);
        indexText = stored->printerIndexText;
        storedPrinterIndexText_ = stored->printerIndexText;
        storedPrinterName_ = stored->printerName.value_or(std::string());
    }
    setUpPrinterList();
    choosePrinterAtStart(indexText);
}

void SettingsCommands::applyStoredSettings(const StoredSettings& s) {
    if (s.qevWorkPath) {
        qevWorkPath_ = *s.qevWorkPath;
        form_.edit(7)->setText(platform::toUnicode(qevWorkPath_));
    }
    if (s.clinicName) {
        clinicName_ = *s.clinicName;
        form_.edit(8)->setText(platform::toUnicode(clinicName_));
    }
    if (s.clinicTel) {
        clinicTel_ = *s.clinicTel;
        form_.edit(9)->setText(platform::toUnicode(clinicTel_));
    }
    if (s.previewOnAutoStart) {
        previewOnAutoStart_ = *s.previewOnAutoStart;
        form_.checkBox1()->setChecked(previewOnAutoStart_);
    }
    if (s.printStyle) form_.radioButton(*s.printStyle)->setChecked(true);
    if (!s.usageLine.empty()) {
        usageLine_ = s.usageLine;
        QStringList items;
        for (const std::string& entry : s.usageList) items << platform::toUnicode(entry);
        form_.setUsageItems(items);
    }
}

void SettingsCommands::setUpPrinterList() {
    auto& service = platform::PrinterService::instance();
    QString entry;
    // Without any printer there is no default to read and nothing to report.
    if (service.printerCount() > 0) {
        QString why;
        if (auto e = service.defaultDeviceEntry(&why)) {
            entry = *e;
        } else {
            // Told once the choice is made, and only if the default printer
            // is the one the sheets will print on.
            noDefaultPrinter_ = why;
        }
    }
    form_.listBox3()->clear();
    form_.listBox3()->addItems(service.printers());
    defaultPrinterName_ = matchDefaultPrinter(service.printers(), entry);
}

void SettingsCommands::choosePrinterAtStart(const std::optional<std::string>& indexText) {
    auto& service = platform::PrinterService::instance();
    const int count = service.printerCount();
    if (!service.spoolerReachable()) {
        // Not "no printer": the printers may all be there once CUPS runs. A
        // printer chosen by name (設定保存) or by the host can't be checked
        // now, so the user hears it at once; otherwise it is told on printing.
        // A host-started run hears it when it prints, and only then.
        const bool chosen = !storedPrinterName_.empty() || !form_.argument(3).isEmpty();
        if (chosen && !hostStarted()) platform::showMessage(platform::kSpoolerUnavailable);
        return;
    }
    PrinterIndexChoice choice = choosePrinterIndex(indexText, form_.argument(3).toStdString(), count);
    // The host's third argument is an index of its own; only the file's index
    // has a name beside it.
    if (form_.argument(3).isEmpty()) {
        choice = followStoredName(choice, platform::toUnicode(storedPrinterName_), service.printers());
    }
    if (choice.rejected) {
        platform::showMessage(messages::kPrinterIndexOutOfRange.arg(*choice.rejected).arg(count));
    }
    if (!choice.gone.isEmpty()) platform::showMessage(messages::kStoredPrinterGone.arg(choice.gone));
    printerIndex_ = choice.index;
    form_.listBox3()->setCurrentRow(printerIndex_);
    service.setCurrentIndex(printerIndex_);
    if (printerIndex_ == -1 && !noDefaultPrinter_.isEmpty()) {
        platform::showMessage(noDefaultPrinter_, QString());
    }

    if (count == 0) return;
    // A host-started run prints on what it has, without a box to wait on.
    if (!hostStarted()) tellIfNotJisB5(service.nameForIndex(printerIndex_));
    const auto current = service.current();
    if (!current || keepsItsPaperAtStart(current->device, defaultPrinterName_)) return;
    if (const Status b5 = forceJisB5(service); !b5) platform::showMessage(b5.error());
}

bool SettingsCommands::hostStarted() const { return AutoStart::isAutoArgument(form_.argument(1)); }

void SettingsCommands::tellIfNotJisB5(const QString& printer) {
    if (printer.isEmpty()) return;
    const platform::QueuePaper paper = platform::QueuePaper::of(printer);
    if (paper.known && !paper.jisB5) {
        platform::showMessage(platform::notJisB5Message(printer, paper.paperInstead));
    }
}

int SettingsCommands::selectedPrinterEntry() const {
    const int count = platform::PrinterService::instance().printerCount();
    for (int i = 0; i < count && i < form_.listBox3()->count(); ++i) {
        if (form_.listBox3()->item(i)->isSelected()) return i;
    }
    return -1;
}

void SettingsCommands::save() {
    // Refuse before anything changes: a value the file can't hold would come
    // back different, or shift the lines after it.
    SettingsToWrite v;
    const struct {
        int edit;
        const char* label;
        std::string* target;
    } fields[] = {{7, "QEVワークパス", &v.qevWorkPath},
                  {8, "医院名", &v.clinicName},
                  {9, "電話", &v.clinicTel}};
    for (const auto& f : fields) {
        auto bytes = SettingsFile::encodeField(form_.edit(f.edit)->text(), QString::fromUtf8(f.label));
        if (!bytes) {
            platform::showMessage(bytes.error());
            return;
        }
        *f.target = std::move(bytes).value();
    }

    auto& service = platform::PrinterService::instance();
    const int row = selectedPrinterEntry();
    if (row >= 0) {
        service.setCurrentIndex(row);
        v.printerIndex = row;
        v.printerName = platform::fromUnicode(form_.listBox3()->item(row)->text());
    } else if (!service.spoolerReachable() && storedPrinterIndexText_) {
        // No list to choose from: what was stored stays stored.
        v.printerIndex = parseIndexText(*storedPrinterIndexText_);
        v.printerName = storedPrinterName_;
    } else {
        // Nothing chosen in the list: keep the printer in use.
        v.printerIndex = printerIndex_;
        v.printerName = platform::fromUnicode(service.nameForIndex(printerIndex_));
    }
    v.previewOnAutoStart = form_.checkBox1()->isChecked();
    // With no style checked the sheets print style 1, so that is what the
    // next start must check too, not the photo-and-usage style.
    v.printStyle = form_.printStyle();
    v.usageLine = usageLine_;

    if (const Status written = SettingsFile::write(v); !written) {
        platform::showMessage(written.error());
        return;
    }
    if (service.printerCount() == 0) return;
    if (const Status b5 = forceJisB5(service); !b5) platform::showMessage(b5.error());
    tellIfNotJisB5(service.nameForIndex(service.currentIndex()));
}

void SettingsCommands::setUpPrinter() {
    auto& service = platform::PrinterService::instance();
    if (service.printerCount() == 0) {
        platform::showMessage(service.spoolerReachable() ? messages::kNoPrinters
                                                         : platform::kSpoolerUnavailable);
        return;
    }
    if (const int row = selectedPrinterEntry(); row >= 0) service.setCurrentIndex(row);
    if (const Status b5 = forceJisB5(service); !b5) {
        platform::showMessage(b5.error());
        return;
    }
    // A setup, not a print: the chosen printer becomes the current one until
    // the next "設定保存" or start, and is not stored anywhere.
    report::PrinterChooserDialog dialog(service.printers(), service.defaultPrinterName(),
                                        service.currentIndex(), std::nullopt, &form_);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (accepted) service.setCurrentIndex(dialog.printerIndex());
    if (const Status b5 = forceJisB5(service); !b5) platform::showMessage(b5.error());
    if (accepted) tellIfNotJisB5(service.nameForIndex(service.currentIndex()));
}

}  // namespace dorimek::mainwin
