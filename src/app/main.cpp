#include "CommandLine.h"
#include "main/Main.h"
#include "ReportForms.h"
#include "StartupProbe.h"
#include "platform/ButtonKeys.h"
#include "platform/MessageBoxSink.h"
#include "platform/Messages.h"
#include "platform/ProgramFolder.h"
#include "platform/QtTranslations.h"

#include <QApplication>
#include <QStringList>

#include <exception>

int main(int argc, char** argv) {
    // --help, --version and a missing display are answered on the terminal,
    // before Qt would need a display.
    if (const auto status = dorimek::app::answerCommandLine(argc, argv)) return *status;
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

    dorimek::platform::MessageBoxSink messageBoxes;
    dorimek::platform::setMessageSink(&messageBoxes);

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
        mainWindow.show();
        // The master list is the last thing to be laid out and drawn.
        dorimek::app::armStartupProbe(mainWindow.listBox1()->viewport());
        const int code = QApplication::exec();
        dorimek::platform::setMessageSink(nullptr);
        return code;
    } catch (const std::exception& e) {
        dorimek::platform::showMessage(QString::fromLocal8Bit(e.what()));
    }
    dorimek::platform::setMessageSink(nullptr);
    return 0;
}
