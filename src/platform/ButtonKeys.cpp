#include "ButtonKeys.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPushButton>

namespace dorimek::platform {

void ButtonKeys::install(QCoreApplication& app) { app.installEventFilter(new ButtonKeys(&app)); }

bool ButtonKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
    if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
    auto* button = qobject_cast<QPushButton*>(watched);
    if (!button || !button->hasFocus() || !button->isEnabled()) return false;
    // A dialog's buttons (message boxes, the printer dialog) answer Return
    // themselves; a second click here would press them twice.
    if (button->autoDefault() || button->isDefault()) return false;
    // A held key repeats: one press is one click, as with Space, so a held
    // Return never prints the same sheet twice.
    if (!key->isAutoRepeat()) button->click();
    return true;
}

}  // namespace dorimek::platform
