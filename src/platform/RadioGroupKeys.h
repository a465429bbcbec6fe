#pragma once

class QButtonGroup;

namespace dorimek::platform {

// Makes the radio buttons of group one stop in the tab order: Tab reaches
// the checked one (the first when none is), and the arrow keys, which Qt
// lets choose only from a checked button, then change the choice. The stop
// follows the check however it changes, by the user or by the program.
void keepTabStopOnChecked(QButtonGroup& group);

}  // namespace dorimek::platform
