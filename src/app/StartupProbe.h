#pragma once

class QWidget;

namespace dorimek::app {

// A hook for the start-up benchmark (bench/), not for the clinic: with the
// environment variable DORIMEK_STARTUP_PROBE set, the program prints one line
//   startup-idle <CLOCK_MONOTONIC ns> <VmHWM kB>
// to standard output at the first idle moment of the event loop after
// `drawn` has been painted, and quits. Without the variable it does nothing.
void armStartupProbe(QWidget* drawn);

}  // namespace dorimek::app
