#include "RadioGroupKeys.h"

#include <QAbstractButton>
#include <QButtonGroup>

namespace dorimek::platform {
namespace {

void placeTabStop(QButtonGroup& group) {
    const QList<QAbstractButton*> buttons = group.buttons();
    if (buttons.isEmpty()) return;
    QAbstractButton* stop = group.checkedButton() ? group.checkedButton() : buttons.first();
    for (QAbstractButton* b : buttons) {
        b->setFocusPolicy(b == stop ? Qt::StrongFocus : Qt::ClickFocus);
    }
}

}  // namespace

void keepTabStopOnChecked(QButtonGroup& group) {
    placeTabStop(group);
    QObject::connect(&group, &QButtonGroup::buttonToggled, &group,
                     [&group](QAbstractButton*, bool) { placeTabStop(group); });
}

}  // namespace dorimek::platform
