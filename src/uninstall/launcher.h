// The installed uninstaller starts a temporary copy of itself so that the
// installed copy can be deleted too.
#pragma once

#include "setup/state.h"

namespace uninstall {

// Copies UNINSTAL.EXE of the program's directory to UNINSTX$.EXE in the
// Windows directory and starts it with /restart and that directory.
// 0 when started, 1 when a file could not be opened or the copy failed.
int LaunchUninstaller(setup::SetupState& state);

}  // namespace uninstall
