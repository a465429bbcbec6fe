#include "CommandLine.h"
#include "DisplayGuard.h"
#include "main/AutoStart.h"
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
#include "platform/UnattendedMessageSink.h"
#include "platform/StaleLeftovers.h"
#include "platform/TerminationSignals.h"

#include <QApplication>
#include <QDir>
#include <QSessionManager>
#include <QStringList>
#include <QTime>

#include <csignal>
#include <exception>
#include <optional>
#include <string_view>

int main(int argc, char** argv) {
    // --help, --version and a missing display are answered on the terminal,
    // before Qt would need a display.
    const bool hostStartedArgument = argc > 1 && std::string_view(argv[1]) == "auto";
    if (const auto status = dorimek::app::answerCommandLine(
            argc, argv, [hostStartedArgument](const QString& why) {
                if (hostStartedArgument) dorimek::app::logNoDisplay(why);
            })) {
        return *status;
    }
    // The host's arguments as it passed them: QApplication takes its own
    // options (-reverse, -style, -session ...) out of argv, which would move
    // the printer index out of third place.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    using dorimek::mainwin::AutoStart;
    const bool hostStarted = AutoStart::isAutoArgument(arguments.value(1));
    std::optional<dorimek::app::DisplayGuard> displayGuard(std::in_place, hostStarted);
    QApplication app(argc, argv);
    displayGuard.reset();
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

    // A run the host started has nobody to press OK: from here on no word
    // waits for an answer, and each run shows its words in a window of its own.
    dorimek::platform::MessageBoxSink messageBoxes;
    dorimek::platform::UnattendedMessageSink unattended(
        QStringLiteral("dorimek（基幹システムからの起動 %1）")
            .arg(QTime::currentTime().toString(QStringLiteral("HH:mm:ss"))));
    dorimek::platform::setMessageSink(
        hostStarted ? static_cast<dorimek::platform::MessageSink*>(&unattended) : &messageBoxes);
    const QString folder = dorimek::platform::programFolder();

    // A termination signal ends the program as it always did, except that
    // once the window is up, the unsaved grid edits are kept for the next
    // start first (a message box at start must not make us deaf to it).
    dorimek::mainwin::TForm3* window = nullptr;
    dorimek::platform::TerminationSignals endSignals;
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
        dorimek::mainwin::TForm3 mainWindow(arguments, folder);
        dorimek::app::createReportForms(mainWindow);
        if (hostStarted || mainWindow.terminationRequested()) {
            // The automatic start has done its work: end without showing the
            // window, as the host system expects, and tell the host how.
            const int status =
                AutoStart::finish(&mainWindow, folder, unattended, mainWindow.autoRunOutcome());
            dorimek::platform::setMessageSink(nullptr);
            return status;
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
        if (hostStarted) {
            const int status = AutoStart::finish(nullptr, folder, unattended,
                                                 dorimek::mainwin::AutoRunOutcome::InternalError);
            dorimek::platform::setMessageSink(nullptr);
            return status;
        }
    }
    dorimek::platform::setMessageSink(nullptr);
    return 0;
}
