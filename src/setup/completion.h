// The end of a setup run: the outcome message, the read-me offer, the
// upgrade program of the SE edition, and the restart of Windows.
#pragma once

#include "setup/state.h"

namespace setup {

// Tells the user how the run ended (mode 0 install, 1 restart) and carries
// out what the outcome asks for. Any other mode does nothing.
void FinishSetup(SetupState& state, int mode, int setupStatus, int uninstallResult);

// Enables the shutdown privilege and asks Windows to restart; nonzero when
// the restart was started.
int RestartWindows(SetupState& state);

}  // namespace setup
