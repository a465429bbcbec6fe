#include "main/Main.h"
#include "ReportForms.h"
#include "StartupProbe.h"
#include "platform/MessageBoxSink.h"
#include "platform/Messages.h"
#include "platform/ProgramFolder.h"

#include <QApplication>

#include <exception>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("dorimek"));
    QApplication::setApplicationDisplayName(QStringLiteral("dorimek"));

    dorimek::platform::MessageBoxSink messageBoxes;
    dorimek::platform::setMessageSink(&messageBoxes);

    try {
        // The main window comes first: its creation reads the settings that
        // the sheet forms take when they are created.
        dorimek::mainwin::TForm3 mainWindow(QCoreApplication::arguments(),
                                            dorimek::platform::programFolder());
        dorimek::app::createReportForms(mainWindow);
        if (mainWindow.terminationRequested()) {
            // The automatic start has done its work: end without showing the
            // window, as the host system expects.
            dorimek::platform::setMessageSink(nullptr);
            return 0;
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
