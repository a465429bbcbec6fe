#pragma once

#include <QObject>

class QCoreApplication;

namespace dorimek::platform {

// Keyboard habits that hold in every window of the program: Return and the
// keypad's Enter on a focused push button press it, as Space does. Qt gives
// that only to buttons inside dialogs; the clinic's other programs give it
// everywhere, and the staff's hands expect it.
class ButtonKeys : public QObject {
    Q_OBJECT
  public:
    // Watches every key press of the application from now on; the filter is
    // owned by the application.
    static void install(QCoreApplication& app);

    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    using QObject::QObject;
};

}  // namespace dorimek::platform
