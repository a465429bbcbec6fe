#include "MessageBoxSink.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

namespace dorimek::platform {
namespace {

// The window system puts the program's name into a title left empty; a
// blank keeps the title bar of a box without a caption empty.
QString boxTitle(const QString& caption) {
    return caption.isEmpty() ? QStringLiteral(" ") : caption;
}

// Messages quote drug names, usages and file names as they were typed or
// stored; a name such as "<S>..." must show as written, never as markup.
void setPlainText(QMessageBox& box, const QString& text) {
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
}

}  // namespace

void MessageBoxSink::showMessage(const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::NoIcon, boxTitle(caption),
                    QString(), QMessageBox::Ok, QApplication::activeWindow());
    setPlainText(box, text);
    box.exec();
}

void MessageBoxSink::notify(const QString& text, const QString& caption, int seconds) {
    QMessageBox box(QMessageBox::NoIcon, boxTitle(caption), QString(), QMessageBox::Ok,
                    QApplication::activeWindow());
    setPlainText(box, text);
    QTimer::singleShot(seconds * 1000, &box, &QMessageBox::accept);
    box.exec();
}

bool MessageBoxSink::confirm(const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::Question, boxTitle(caption), QString(),
                    QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
    setPlainText(box, text);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

}  // namespace dorimek::platform
