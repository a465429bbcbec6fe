#include "DisplayGuard.h"

#include "main/AutoRunLog.h"
#include "platform/ProgramFolder.h"

#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

namespace dorimek::app {
namespace {

QtMessageHandler previousHandler = nullptr;
bool forHost = false;

void onMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (previousHandler) {
        previousHandler(type, context, text);
    } else {
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    }
    if (type != QtFatalMsg) return;
    using mainwin::AutoRunOutcome;
    if (forHost) logNoDisplay(text);
    std::_Exit(mainwin::exitStatus(AutoRunOutcome::NoDisplay));
}

}  // namespace

void logNoDisplay(const QString& why) {
    mainwin::AutoRunRecord record;
    record.when = QDateTime::currentDateTime();
    record.outcome = mainwin::AutoRunOutcome::NoDisplay;
    record.words << why;
    (void)mainwin::AutoRunLog::append(platform::programFolder(), record);
}

DisplayGuard::DisplayGuard(bool hostStarted) {
    forHost = hostStarted;
    previousHandler = qInstallMessageHandler(onMessage);
}

DisplayGuard::~DisplayGuard() { qInstallMessageHandler(previousHandler); }

}  // namespace dorimek::app
