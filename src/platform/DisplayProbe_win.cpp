#include "DisplayProbe.h"

namespace dorimek::platform {

// A Windows session always has its desktop: the windows platform needs no
// display to be named.
DisplayProbe probeDisplay(const QString&) { return {}; }

}  // namespace dorimek::platform
