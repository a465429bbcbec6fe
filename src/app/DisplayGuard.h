#pragma once

#include <QString>

namespace dorimek::app {

// Qt ends the program on the spot when it can't open the display (no
// DISPLAY, the X server gone). While armed, that end becomes exit status 30
// and, in a start by the host, a line in the run log, so the host learns why
// no sheet came rather than seeing a crash.
class DisplayGuard {
  public:
    explicit DisplayGuard(bool hostStarted);
    ~DisplayGuard();  // the display is open: Qt's fatal errors are its own again
    DisplayGuard(const DisplayGuard&) = delete;
    DisplayGuard& operator=(const DisplayGuard&) = delete;
};

// Adds the run log's line for a host's run that found no display: the host
// learns why no sheet came.
void logNoDisplay(const QString& why);

}  // namespace dorimek::app
