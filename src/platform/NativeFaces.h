#pragma once

#include <QString>
#include <QStringList>

namespace dorimek::platform {

// The names under which this system itself may have one of the designed
// faces, best first; FontMap tries them before any stand-in.
QStringList nativeFamilies(const QString& face);

}  // namespace dorimek::platform
