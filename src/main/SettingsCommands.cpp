#include "SettingsCommands.h"

#include "AutoStart.h"
#include "Main.h"
#include "MainMessages.h"
#include "PrinterChoice.h"
#include "QevWorkPath.h"
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
    // Taken before the read, so that a save landing between the two shows
    // as a change at "設定保存", never the other way round.
    if (auto stamp = platform::stampFile(SettingsFile::kFileName)) readStamp_ = *stamp;
    auto stored = SettingsFile::read();
    if (!stored) {
        platform::showMessage(stored.error());
        // Without its settings a host-started run knows neither the host's
        // folder nor the clinic's name for the sheet.
        if (hostStarted()) form_.noteAutoRunOutcome(AutoRunOutcome::SettingsUnreadable);
    } else {
        applyStoredSettings(*stored);
        indexText = stored->printerIndexText;
        storedPrinterIndexText_ = stored->printerIndexText;
        storedPrinterName_ = stored->printerName.value_or(std::string());
        if (const QString aside = SettingsFile::setAsideMessage(stored->setAside);
            !aside.isEmpty()) {
            platform::showMessage(aside);
        }
        checkWorkFolderAtStart();
    }
    for (TextField& f : textFields_) f.shownAtStart = form_.edit(f.edit)->text();
    setUpPrinterList();
    choosePrinterAtStart(indexText);
}

void SettingsCommands::applyStoredSettings(const StoredSettings& s) {
    for (const SetAsideValue& v : s.setAside) {
        if (v.line >= 3 && v.line <= 5)
            textFields_[static_cast<size_t>(v.line - 3)].fileBytes = v.fileBytes;
    }
    textFields_[0].readValue = s.qevWorkPath.has_value();
    textFields_[1].readValue = s.clinicName.has_value();
    textFields_[2].readValue = s.clinicTel.has_value();
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

void SettingsCommands::checkWorkFolderAtStart() {
    const QevWorkPathCheck check = checkQevWorkPath(qevWorkPath_);
    const QString text = qevWorkPathMessage(qevWorkPath_, check, false);
    if (check.separatorAdded) {
        qevWorkPath_ = check.usable;
        form_.edit(7)->setText(platform::toUnicode(qevWorkPath_));
    }
    if (!text.isEmpty()) platform::showMessage(text);
    // A host-started run would import nothing and print an empty sheet.
    if (!check.works() && hostStarted())
        form_.noteAutoRunOutcome(AutoRunOutcome::SettingsUnreadable);
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
        if (hostStarted()) {
            printerTrouble_ =
                Status::failure(platform::kSpoolerUnavailable, ErrorKind::SpoolerDown);
        }
        return;
    }
    const QString argument3 = form_.argument(3);
    PrinterIndexChoice choice = choosePrinterIndex(indexText, argument3.toStdString(), count);
    // The host's third argument is an index of its own; only the file's index
    // has a name beside it.
    if (argument3.isEmpty()) {
        choice = followStoredName(choice, platform::toUnicode(storedPrinterName_), service.printers());
    }
    if (choice.rejected) {
        printerNotAsked(messages::kPrinterIndexMissing.arg(*choice.rejected).arg(count),
                        QStringLiteral("番号 %1").arg(*choice.rejected));
    }
    if (!choice.gone.isEmpty()) {
        printerNotAsked(messages::kStoredPrinterMissing.arg(choice.gone), choice.gone);
    }
    if (hostStarted() && !argument3.isEmpty() && !isIndexText(argument3.toStdString())) {
        printerNotAsked(messages::kPrinterArgumentNotANumber.arg(argument3), argument3);
    }
    printerIndex_ = choice.index;
    form_.listBox3()->setCurrentRow(printerIndex_);
    service.setCurrentIndex(printerIndex_);
    if (printerIndex_ == -1 && !noDefaultPrinter_.isEmpty()) {
        if (hostStarted()) {
            if (printerTrouble_)
                printerTrouble_ = Status::failure(noDefaultPrinter_, ErrorKind::NoPrinter);
        } else {
            platform::showMessage(noDefaultPrinter_, QString());
        }
    }

    if (count == 0) return;
    // A host-started run prints on what it has, without a box to wait on.
    if (!hostStarted()) tellIfNotJisB5(service.nameForIndex(printerIndex_));
    const auto current = service.current();
    if (!current || keepsItsPaperAtStart(current->device, defaultPrinterName_)) return;
    if (const Status b5 = forceJisB5(service); !b5) platform::showMessage(b5.error());
}

void SettingsCommands::printerNotAsked(const QString& why, const QString& askedFor) {
    if (!hostStarted()) {
        platform::showMessage(why + QLatin1Char('\n') + messages::kFallbackToDefault +
                              QLatin1Char('\n') + messages::kChooseInListAndSave);
        return;
    }
    if (!printerTrouble_) return;  // the first reason is the run's
    printerTrouble_ = Status::failure(why, ErrorKind::NoPrinter);
    printerAskedFor_ = askedFor;
}

QString SettingsCommands::printerForLog() const {
    if (!printerAskedFor_.isEmpty()) return printerAskedFor_;
    return platform::PrinterService::instance().nameForIndex(printerIndex_);
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

bool SettingsCommands::collectTextFields(SettingsToWrite& v) const {
    std::string* targets[] = {&v.qevWorkPath, &v.clinicName, &v.clinicTel};
    for (size_t i = 0; i < textFields_.size(); ++i) {
        const TextField& f = textFields_[i];
        const QLineEdit* edit = form_.edit(f.edit);
        const bool typed = edit->isModified() || edit->text() != f.shownAtStart;
        if (!typed && !f.readValue) {
            // Nothing read, nothing typed: the file keeps what it held.
            *targets[i] = f.fileBytes.value_or(std::string());
            continue;
        }
        auto bytes = SettingsFile::encodeField(edit->text(), QString::fromUtf8(f.label));
        if (!bytes) {
            platform::showMessage(bytes.error());
            return false;
        }
        *targets[i] = std::move(bytes).value();
    }
    return true;
}

void SettingsCommands::save() {
    // Refuse before anything changes: a value the file can't hold would come
    // back different, or shift the lines after it.
    SettingsToWrite v;
    if (!collectTextFields(v)) return;
    // The folder is a prefix for "rp.csv": it is stored with its separator.
    const std::string workPathEntered = v.qevWorkPath;
    const QevWorkPathCheck workPath = checkQevWorkPath(workPathEntered);
    v.qevWorkPath = workPath.usable;

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

    if (!writeAsking(v)) return;
    if (workPath.separatorAdded) form_.edit(7)->setText(platform::toUnicode(workPath.usable));
    if (const QString text = qevWorkPathMessage(workPathEntered, workPath, true); !text.isEmpty()) {
        platform::showMessage(text);
    }
    if (service.printerCount() == 0) return;
    if (const Status b5 = forceJisB5(service); !b5) platform::showMessage(b5.error());
    tellIfNotJisB5(service.nameForIndex(service.currentIndex()));
}

bool SettingsCommands::writeAsking(const SettingsToWrite& v) {
    while (true) {
        const Status written = SettingsFile::write(v, SettingsFile::kFileName, readStamp_);
        if (written) {
            readStamp_ = platform::stampOf(SettingsFile::format(v));
            return true;
        }
        if (written.errorKind() != ErrorKind::FileChanged) {
            platform::showMessage(written.error());
            return false;
        }
        // Stamped before asking: a further save landing while the user reads
        // this is asked about again, not written over.
        const auto now = platform::stampFile(SettingsFile::kFileName);
        const int choice = platform::choose(
            QStringLiteral(
                "%1 は、この画面で読み込んだ後に変更されました"
                "（ほかの画面の「設定保存」などです）。\n"
                "このまま保存すると、その変更はこの画面の設定で上書きされ、失われます。\n"
                "上書きしないときは、この画面を閉じて起動し直すと、保存されている設定が出ます。")
                .arg(SettingsFile::kFileName),
            {QStringLiteral("上書きして保存")});
        if (choice != 0) return false;
        readStamp_ = now ? std::optional(*now) : std::nullopt;
    }
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
