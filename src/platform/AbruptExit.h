#pragma once

#include <functional>

namespace dorimek::platform {

// A last word for when the process is ended by exit() from somewhere that
// won't return to us: the window system's library does that when the
// display connection breaks. The handler runs once, from exit(), unless the
// program has disarmed it on its ordinary way out.
class AbruptExit {
  public:
    static void arm(std::function<void()> handler);
    static void disarm();
};

}  // namespace dorimek::platform
