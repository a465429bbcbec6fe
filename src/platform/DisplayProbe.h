#pragma once

#include <QString>

namespace dorimek::platform {

// Whether the windowing platform Qt is about to load can open a display. Asked
// before the application object exists: when it can't, Qt would abort with
// its own English plugin text and the host would see a crash, not a cause.
struct DisplayProbe {
    bool available = true;
    // When not available, what is missing, for the message
    // ("DISPLAY が設定されていません", "DISPLAY=:5 に接続できません").
    QString reason;
};

// platformArgument is the value of a "-platform" option on the command line
// ("" when there is none); QT_QPA_PLATFORM counts when it is empty. Platforms
// that need no display (offscreen, minimal, vnc, the framebuffer ones) are
// always available; xcb is tried with a real connection.
DisplayProbe probeDisplay(const QString& platformArgument = {});

}  // namespace dorimek::platform
