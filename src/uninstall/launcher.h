// The installed uninstaller starts a temporary copy of itself so that the
// installed copy can be deleted too.
#pragma once

#include "setup/start.h"
#include "setup/state.h"

namespace uninstall {

// Copies UNINSTAL.EXE of the program's directory to UNINSTX$.EXE in the
// Windows directory and starts it with /restart and that directory, and
// the switches of an unattended run after them. 0 when started, 1 when a
// file could not be opened or the copy failed.
int LaunchUninstaller(setup::SetupState& state, const setup::Switches& switches = {});

// A silent removal: the same copy, started with the switches and waited
// for. The exit code of the temporary copy, or 1 when it could not be made
// or started.
int LaunchUninstallerAndWait(setup::SetupState& state, const setup::Switches& switches);

// The command line of the temporary copy.
std::string TemporaryCopyCommandLine(const setup::SetupState& state, const setup::Switches& switches);

}  // namespace uninstall
