#include "MessageBoxSink.h"

#include <QApplication>
#include <QMessageBox>

namespace dorimek::platform {
namespace {

// Messages quote drug names, usages and file names as they were typed or
// stored; a name such as "<S>..." must show as written, never as markup.
void setPlainText(QMessageBox& box, const QString& text) {
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
}

}  // namespace

void MessageBoxSink::showMessage(const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::NoIcon, caption.isEmpty() ? QApplication::applicationName() : caption,
                    QString(), QMessageBox::Ok, QApplication::activeWindow());
    setPlainText(box, text);
    box.exec();
}

bool MessageBoxSink::confirm(const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::Question,
                    caption.isEmpty() ? QApplication::applicationName() : caption, QString(),
                    QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
    setPlainText(box, text);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

}  // namespace dorimek::platform
