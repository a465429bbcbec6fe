#include "AutoStart.h"

#include "AutoRunClaim.h"
#include "AutoRunLog.h"
#include "Main.h"
#include "MainMessages.h"
#include "RpCsvFile.h"
#include "RpCsvImport.h"
#include "platform/Messages.h"
#include "platform/Sjis.h"
#include "platform/UnattendedMessageSink.h"
#include "SheetForms.h"
#include "preview/Visprev.h"
#include "sheets/Yakujo.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QEvent>
#include <QEventLoop>
#include <QFileInfo>
#include <QPointer>
#include <QWidget>

namespace dorimek::mainwin {
namespace {

// Ends a local loop when the watched window goes away. A minimised window
// gets a hide event too but stays open, so only an explicit hide counts.
class CloseWatcher : public QObject {
  public:
    explicit CloseWatcher(QEventLoop& loop) : loop_(loop) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Hide && static_cast<QWidget*>(watched)->isHidden()) {
            loop_.quit();
        }
        return false;
    }

  private:
    QEventLoop& loop_;
};

}  // namespace

bool AutoStart::isAutoArgument(const QString& argument1) {
    return argument1 == QLatin1String("auto");
}

void AutoStart::waitUntilClosed(QWidget* window) {
    if (!window || window->isHidden()) return;
    QPointer<QWidget> guard(window);
    QEventLoop loop;
    CloseWatcher watcher(loop);
    window->installEventFilter(&watcher);
    QObject::connect(window, &QObject::destroyed, &loop, &QEventLoop::quit);
    if (QCoreApplication* app = QCoreApplication::instance()) {
        QObject::connect(app, &QCoreApplication::aboutToQuit, &loop, &QEventLoop::quit);
    }
    loop.exec();
    if (guard) guard->removeEventFilter(&watcher);
}

void AutoStart::run(TForm3& form) {
    // Settings that couldn't be read were noted as the run's cause already.
    if (form.autoRunOutcome() != AutoRunOutcome::Done) return stop(form, form.autoRunOutcome());

    // The import of "処方取込", but a prescription the host is still writing,
    // or one another run has just taken, prints nothing.
    const ImportReport imported =
        RpCsvImport::runForAutoStart(RpCsvFile::pathIn(form.qevWorkPath()), AutoRunClaim::kFileName,
                                     form.masterList(), form.prescriptionState());
    form.syncPrescriptionList();
    RpCsvImport::showMessages(imported);
    if (imported.stopped) return stop(form, *imported.stopped);
    claimed_ = imported.claimed;
    if (!imported.fileOpened) {
        // A work folder that can't be one here (the old PC's "C:\QEV\", a
        // folder that isn't there, a path without its final "/") is the
        // settings' fault, not the host's.
        const QString folder = platform::toUnicode(form.qevWorkPath());
        const bool folderWorks = folder.endsWith(QLatin1Char('/')) && QFileInfo(folder).isDir();
        form.noteAutoRunOutcome(folderWorks ? AutoRunOutcome::NoPrescriptionFile
                                            : AutoRunOutcome::SettingsUnreadable);
    }

    // Nothing imported: no blank page, and a status that says so.
    if (form.prescription().lineCount() == 0) {
        platform::notify(messages::kNothingToPrint, kUnattendedWordSeconds);
        return stop(form, AutoRunOutcome::NothingToPrint);
    }

    // The sheets of the ordinary start-up don't exist yet; this run gets a
    // fresh one of the stored style.
    sheets::TForm1* sheet =
        SheetForms::create(form.printStyle(), form, form.sheetSettings(), &form);

    // A run that fails ends with its cause: the staff mend the prescription
    // or the printer, and the host starts it again.
    if (!form.checkUsagesPrintable()) return stop(form, AutoRunOutcome::UsageUnprintable);
    const Status& trouble = form.settings().printerTrouble();
    if (form.previewOnAutoStart()) {
        if (form.useScreenPreview()) {
            // Ending right after showing it would take the preview off the
            // screen at once; the host's user needs the time to read it.
            waitUntilClosed(form.openScreenPreview());
        } else {
            sheet->Yakujorep.Preview();
        }
    } else if (!trouble.ok()) {
        // Never on another printer than the one asked for: the sheet would
        // come out where nobody hands it to the patient.
        QString text = trouble.error() + QLatin1Char('\n') + messages::kAutoRunNotPrinted;
        if (trouble.errorKind() == ErrorKind::NoPrinter) text += messages::kChooseThePrinter;
        platform::showMessage(text);
        return stop(form, outcomeOfPrintFailure(trouble.errorKind()));
    } else if (const Status printed = sheet->Yakujorep.Print(); !printed) {
        return stop(form, outcomeOfPrintFailure(printed.errorKind()));  // the report said why
    }
    form.requestTermination();
}

int AutoStart::finish(const TForm3* form, const QString& programFolder,
                      platform::UnattendedMessageSink& words, AutoRunOutcome outcome) {
    AutoRunRecord record;
    record.when = QDateTime::currentDateTime();
    record.outcome = outcome;
    // Without the master file the settings weren't read: no file or printer
    // was involved yet.
    if (form && form->masterFileLoaded()) {
        record.rpCsvPath =
            QFileInfo(QDir(programFolder).filePath(RpCsvFile::pathIn(form->qevWorkPath())))
                .absoluteFilePath();
        record.printer = form->settings().printerForLog();
    }
    record.words = words.words();
    // Written before the word lingers: the host may not wait for it.
    if (const Status logged = AutoRunLog::append(programFolder, record); !logged) {
        platform::showMessage(logged.error());
    }

    QString summary;
    if (outcome == AutoRunOutcome::Done) {
        summary = form && form->previewOnAutoStart() ? QStringLiteral("プレビューを表示しました。")
                                                     : QStringLiteral("提供書を印刷しました。");
    } else {
        summary = QStringLiteral("提供書は印刷していません（終了コード %1: %2）。")
                      .arg(exitStatus(outcome))
                      .arg(autoRunOutcomeJapanese(outcome));
    }
    words.finish(summary, outcome != AutoRunOutcome::Done, kUnattendedWordSeconds);
    return exitStatus(outcome);
}

void AutoStart::stop(TForm3& form, AutoRunOutcome outcome) {
    // Nothing came out: the host's retry of this prescription must print.
    if (claimed_ && outcome != AutoRunOutcome::Done) AutoRunClaim::release(*claimed_);
    claimed_.reset();
    form.noteAutoRunOutcome(outcome);
    form.requestTermination();
}

}  // namespace dorimek::mainwin
