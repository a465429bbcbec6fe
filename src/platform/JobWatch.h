#pragma once

#include "Result.h"

#include <QString>

#include <functional>

namespace dorimek::platform {

// Follows a print job for the first seconds after it was sent: a spooler or
// printer that can't print a job (its paper, its options) refuses it then,
// and the job is gone with nobody told unless someone looks.
class JobWatch {
  public:
    // How long a job is followed: a printer refuses within a second or two of
    // getting a job, the spooler may take as long again to hand it over.
    static constexpr int kFollowMs = 10000;
    static constexpr int kPollMs = 250;

    // Waits until the job is printed, refused, or followMs have passed, with
    // the window's events going on meanwhile. A refusal comes back as a
    // failure of kind PrinterRefused, with the text the user is told.
    static Status waitForFate(const QString& printer, int jobId, int followMs = kFollowMs);

    // Follows the job in the background and calls onRefused with the text
    // for the user if it is refused in time; returns at once. Needs a
    // running event loop; without an application object it does nothing.
    static void follow(const QString& printer, int jobId,
                       std::function<void(const QString&)> onRefused, int followMs = kFollowMs);
};

}  // namespace dorimek::platform
