#pragma once

#include "PrescriptionState.h"

#include <string>

namespace dorimek::prescription {

// What the sheets and the on-screen preview read of the main window: the
// prescription and the usage text of a line. They only read, and they read at
// the moment of each row, so a row shows the state current then.
class PrescriptionSource {
public:
    virtual ~PrescriptionSource() = default;
    virtual const PrescriptionState& prescription() const = 0;
    // The usage of line n (1..24) as Shift-JIS bytes; empty when it has none.
    virtual std::string usageText(int n) const = 0;
};

// The settings a sheet takes once, when it is created.
struct SheetSettings {
    int printerIndex = -1;
    std::string clinicName;  // Shift-JIS
    std::string clinicTel;   // Shift-JIS
    // Started by the host: nobody may watch, so printing waits for the job's
    // first seconds and reports a refusal as its failure.
    bool unattended = false;
};

}  // namespace dorimek::prescription
