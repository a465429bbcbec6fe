#pragma once

#include "AutoRunOutcome.h"

#include "platform/FileStamp.h"

#include <QString>

#include <optional>

class QWidget;

namespace dorimek::platform {
class UnattendedMessageSink;
}

namespace dorimek::mainwin {

class TForm3;

// The start by the host system with the first argument "auto": import the
// prescription, preview or print the sheet of the stored style, and end,
// with nobody touching the main window.
class AutoStart {
  public:
    // How long a word that doesn't stop the run stays on the screen.
    static constexpr int kUnattendedWordSeconds = 10;

    // Only "auto" exactly; "AUTO", "Auto" or "auto " start the program as usual.
    static bool isAutoArgument(const QString& argument1);

    // The whole flow on form, whose settings have been read. Always ends by
    // asking the application to end, with the run's outcome noted on form:
    // nobody may be at the screen to carry on where it failed.
    static void run(TForm3& form);

    // Runs a local event loop until window is closed (hidden by the program
    // or the user, not merely minimised) or freed; returns at once when it
    // isn't showing.
    static void waitUntilClosed(QWidget* window);

    // After the run (form is null when the main window couldn't be made):
    // appends its line to the run log in programFolder, shows how it ended
    // beside the words it showed (also alone, when it failed) for a moment
    // unless closed, and gives the exit status.
    static int finish(const TForm3* form, const QString& programFolder,
                      platform::UnattendedMessageSink& words, AutoRunOutcome outcome);

  private:
    static void stop(TForm3& form, AutoRunOutcome outcome);
    // The prescription this run took from the others started with it.
    static inline std::optional<platform::FileStamp> claimed_;
};

}  // namespace dorimek::mainwin
