#pragma once

#include <QString>

namespace dorimek::bench {

// A day at the desk in one window, in this process (offscreen): the main
// window stays open while previews and grid editors are opened and closed,
// and prescriptions are built and previewed one after another. Prints one
// line per kind of operation: "kind operations firstKB lastKB", the resident
// memory after the first operation and after the last.
int measureWindowMemory(int argc, char** argv);

}  // namespace dorimek::bench
