#include "ReportForms.h"

#include "main/Main.h"
#include "main/SheetForms.h"

namespace dorimek::app {

void createReportForms(mainwin::TForm3& mainWindow) {
    // In this order, each becoming the current form of its style; the main
    // window owns them, so they live as long as the prescription they read.
    for (int style = 1; style <= mainwin::SheetForms::kStyles; ++style) {
        mainwin::SheetForms::create(style, mainWindow, mainWindow.sheetSettings(), &mainWindow);
    }
}

}  // namespace dorimek::app
