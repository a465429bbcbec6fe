#pragma once

namespace dorimek::platform {

// The process's own high-water mark of resident memory (VmHWM), in kilobytes;
// -1 where the system doesn't tell. A child reports its own peak this way, not
// the one its parent carried across exec.
long peakResidentKilobytes();
// The resident memory now (VmRSS), in kilobytes; -1 where the system doesn't
// tell. What a window that stays open all day must keep from growing.
long currentResidentKilobytes();

}  // namespace dorimek::platform
