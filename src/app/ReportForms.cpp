#include "ReportForms.h"

#include "main/Main.h"

namespace dorimek::app {

void createReportForms(mainwin::TForm3& mainWindow) {
    // The sheet forms come here, in the order TForm1, TForm4, TForm5, each
    // built from mainWindow.sheetSettings().
    (void)mainWindow;
}

}  // namespace dorimek::app
