// Taking back an installation that ends cancelled or failed: the machine
// is left as the run found it. The setup run calls RollBackInstallation
// once, before the completion message, and after that message
// ShowNotRestored names what could not be put back.
//
// What is taken back, newest change first (each step in the run log):
//   the uninstall entry this run made (or the commands it rewrote in one of
//   the same group), the files it created, replaced or changed (the
//   installed SETUP.DAT with its "SeqID", UNINST.LST, WININIT.INI, a shared
//   library it put in the system directory), SYSTEM.INI from this run's
//   backup, and the directories it made, each when empty.
#pragma once

#include <string>
#include <vector>

#include "setup/state.h"

namespace setup {

// Puts back everything the rollback record of the state names. Returns the
// files that could not be put back as they were (also named in the log).
std::vector<std::string> RollBackInstallation(SetupState& state);

// A box of its own, after the design's completion message: the files that
// could not be put back. Nothing when the list is empty.
void ShowNotRestored(SetupState& state, const std::vector<std::string>& paths);

}  // namespace setup
