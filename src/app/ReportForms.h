#pragma once

namespace dorimek::mainwin {
class TForm3;
}

namespace dorimek::app {

// Creates the three sheet forms TForm1, TForm4 and TForm5, hidden, after the
// main window: each takes the printer index, clinic name and telephone that
// the main window read at start.
void createReportForms(mainwin::TForm3& mainWindow);

}  // namespace dorimek::app
