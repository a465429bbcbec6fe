#include "MessageBoxSink.h"

#include <QApplication>
#include <QMessageBox>

namespace dorimek::platform {
namespace {

// The window system puts the program's name into a title left empty; a
// blank keeps the title bar of a box without a caption empty.
QString boxTitle(const QString& caption) {
    return caption.isEmpty() ? QStringLiteral(" ") : caption;
}

}  // namespace

void MessageBoxSink::showMessage(const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::NoIcon, boxTitle(caption),
                    text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

bool MessageBoxSink::confirm(const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::Question, boxTitle(caption), text,
                    QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

}  // namespace dorimek::platform
