#include "main/Main.h"
#include "ReportForms.h"
#include "StartupProbe.h"
#include "platform/ButtonKeys.h"
#include "platform/MessageBoxSink.h"
#include "platform/Messages.h"
#include "main/SettingsFile.h"
#include "masterfile/DrugMasterFile.h"
#include "platform/AbruptExit.h"
#include "platform/ProgramFolder.h"
#include "platform/QtTranslations.h"
#include "platform/StaleLeftovers.h"
#include "platform/TerminationSignals.h"

#include <QApplication>
#include <QDir>
#include <QSessionManager>
#include <QStringList>

#include <csignal>
#include <exception>

int main(int argc, char** argv) {
    // The host's arguments as it passed them: QApplication takes its own
    // options (-reverse, -style, -session ...) out of argv, which would move
    // the printer index out of third place.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    QApplication app(argc, argv);
    // The name the task bar groups the windows by (WM_CLASS). No display
    // name: on X11 Qt would append it to every window's caption.
    QApplication::setApplicationName(QStringLiteral("dorimek"));
    dorimek::platform::installQtJapanese(app);
    dorimek::platform::ButtonKeys::install(app);

    // What saves and prints killed half-way left: copies as big as the files.
    dorimek::platform::StaleLeftovers::remove(
        dorimek::platform::programFolder(),
        {dorimek::masterfile::kMasterFileName, dorimek::mainwin::SettingsFile::kFileName},
        QDir::tempPath(), dorimek::platform::StaleLeftovers::systemRules());

    dorimek::platform::MessageBoxSink messageBoxes;
    dorimek::platform::setMessageSink(&messageBoxes);

    // A termination signal ends the program as it always did, except that
    // once the window is up, the unsaved grid edits are kept for the next
    // start first (a message box at start must not make us deaf to it).
    dorimek::mainwin::TForm3* window = nullptr;
    dorimek::platform::TerminationSignals endSignals({SIGTERM, SIGHUP});
    QObject::connect(&endSignals, &dorimek::platform::TerminationSignals::received, &app,
                     [&window](int number) {
                         if (window) {
                             window->endUnasked();
                             return;
                         }
                         std::signal(number, SIG_DFL);
                         std::raise(number);
                     });

    try {
        // The main window comes first: its creation reads the settings that
        // the sheet forms take when they are created.
        dorimek::mainwin::TForm3 mainWindow(arguments,
                                            dorimek::platform::programFolder());
        dorimek::app::createReportForms(mainWindow);
        if (mainWindow.terminationRequested()) {
            // The automatic start has done its work: end without showing the
            // window, as the host system expects.
            dorimek::platform::setMessageSink(nullptr);
            return dorimek::mainwin::exitStatus(mainWindow.autoRunOutcome());
        }
        // From here on the program can be ended with nobody there to ask:
        // the unsaved grid edits are kept for the next start.
        window = &mainWindow;
        QObject::connect(&app, &QGuiApplication::commitDataRequest, &mainWindow,
                         &dorimek::mainwin::TForm3::commitSessionData, Qt::DirectConnection);
        dorimek::platform::AbruptExit::arm([&mainWindow] { mainWindow.keepUnsavedGrids(); });
        mainWindow.show();
        // The master list is the last thing to be laid out and drawn.
        dorimek::app::armStartupProbe(mainWindow.listBox1()->viewport());
        const int code = QApplication::exec();
        window = nullptr;
        dorimek::platform::AbruptExit::disarm();
        dorimek::platform::setMessageSink(nullptr);
        return code;
    } catch (const std::exception& e) {
        window = nullptr;
        dorimek::platform::AbruptExit::disarm();
        dorimek::platform::showMessage(QString::fromLocal8Bit(e.what()));
    }
    dorimek::platform::setMessageSink(nullptr);
    return 0;
}
