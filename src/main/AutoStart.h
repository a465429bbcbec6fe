#pragma once

#include <QString>

class QWidget;

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

    // The whole flow on form, whose settings have been read. Ends by asking
    // the application to end, unless the sheet can't be produced (a usage it
    // can't print, a failed print) or something throws on the way: the main
    // window then opens with the imported prescription.
    static void run(TForm3& form);

    // Runs a local event loop until window is closed (hidden by the program
    // or the user, not merely minimised) or freed; returns at once when it
    // isn't showing.
    static void waitUntilClosed(QWidget* window);
};

}  // namespace dorimek::mainwin
