#include "MessageBoxSink.h"

#include <QApplication>
#include <QMessageBox>

namespace dorimek::platform {

void MessageBoxSink::showMessage(const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::NoIcon, caption.isEmpty() ? QApplication::applicationName() : caption,
                    text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

bool MessageBoxSink::confirm(const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::Question,
                    caption.isEmpty() ? QApplication::applicationName() : caption, text,
                    QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

}  // namespace dorimek::platform
