#pragma once

#include <functional>
#include <vector>

namespace dorimek::faults {

// Undoes injected faults when a test ends, in reverse order, however it ends:
// a folder left immutable or a file-size limit left in place would break
// every test after it.
class FaultGuard {
  public:
    FaultGuard() = default;
    FaultGuard(const FaultGuard&) = delete;
    FaultGuard& operator=(const FaultGuard&) = delete;
    ~FaultGuard() { undoAll(); }

    void onUndo(std::function<void()> undo) { undo_.push_back(std::move(undo)); }
    void undoAll() {
        while (!undo_.empty()) {
            auto undo = std::move(undo_.back());
            undo_.pop_back();
            undo();
        }
    }

  private:
    std::vector<std::function<void()>> undo_;
};

}  // namespace dorimek::faults
