#include "MessageBoxSink.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <vector>
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

int MessageBoxSink::choose(const QString& text, const QString& caption,
                           const QStringList& buttons) {
    QMessageBox box(QMessageBox::Question, boxTitle(caption), QString(), QMessageBox::NoButton,
                    QApplication::activeWindow());
    setPlainText(box, text);
    std::vector<QAbstractButton*> chosen;
    for (const QString& b : buttons) chosen.push_back(box.addButton(b, QMessageBox::AcceptRole));
    // Cancel is the safe answer: Escape and the title bar's close give it.
    QPushButton* cancel = box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    box.exec();
    for (size_t i = 0; i < chosen.size(); ++i) {
        if (box.clickedButton() == chosen[i]) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace dorimek::platform
