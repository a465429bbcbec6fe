#include "AbruptExit.h"

#include <cstdlib>

namespace dorimek::platform {
namespace {

std::function<void()>& handler() {
    // Never destroyed: exit() runs its handlers after static objects of
    // later construction are gone.
    static auto* h = new std::function<void()>;
    return *h;
}

void runHandler() {
    std::function<void()> h = std::move(handler());
    handler() = nullptr;
    if (h) h();
}

}  // namespace

void AbruptExit::arm(std::function<void()> h) {
    static const bool registered = std::atexit(runHandler) == 0;
    (void)registered;
    handler() = std::move(h);
}

void AbruptExit::disarm() { handler() = nullptr; }

}  // namespace dorimek::platform
