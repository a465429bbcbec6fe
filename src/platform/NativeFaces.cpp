#include "NativeFaces.h"

namespace dorimek::platform {

// The designed faces don't come with this system: stand-ins only.
QStringList nativeFamilies(const QString&) { return {}; }

}  // namespace dorimek::platform
