#include "AutoStart.h"

#include "Main.h"
#include "MainMessages.h"
#include "platform/Messages.h"
#include "SheetForms.h"
#include "preview/Visprev.h"
#include "sheets/Yakujo.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
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
    form.Button54Click();

    // Nothing imported: no blank page. Nobody may be at the screen to press
    // OK, so the word closes by itself and the run ends as after a print.
    if (form.prescription().lineCount() == 0) {
        platform::notify(messages::kNothingToPrint, kUnattendedWordSeconds);
        form.requestTermination();
        return;
    }

    // The sheets of the ordinary start-up don't exist yet; this run gets a
    // fresh one of the stored style.
    sheets::TForm1* sheet =
        SheetForms::create(form.printStyle(), form, form.sheetSettings(), &form);

    // A run that fails leaves the program open with the prescription, for the
    // staff to mend it or to choose another printer and press 印刷.
    if (!form.checkUsagesPrintable()) return;
    if (form.previewOnAutoStart()) {
        if (form.useScreenPreview()) {
            // Ending right after showing it would take the preview off the
            // screen at once; the host's user needs the time to read it.
            waitUntilClosed(form.openScreenPreview());
        } else {
            sheet->Yakujorep.Preview();
        }
    } else if (!sheet->Yakujorep.Print()) {
        return;  // the report has told the user why
    }
    form.requestTermination();
}

}  // namespace dorimek::mainwin
