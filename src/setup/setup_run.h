// The program's entry: runs a whole setup on a machine, from start to end.
#pragma once

#include "platform/machine.h"

namespace setup {

// Exit codes of the program (see docs/scenarios.md).
namespace exitcode {
constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kCancelled = 2;
constexpr int kRestartNeeded = 3;
constexpr int kAccessDenied = 5;
constexpr int kDescriptionMissing = 10;
constexpr int kDescriptionInvalid = 13;
constexpr int kBadCommandLine = 20;
constexpr int kResponseFileRefused = 21;
constexpr int kLicenseNotAccepted = 22;
// Unattended removal: the program group of the uninstall entry could not be
// verified (no name, or no group of exactly that name); nothing was removed.
constexpr int kGroupNotVerified = 23;
}  // namespace exitcode

// Detects the platform, selects the mode, reads SETUP.DAT and runs the steps
// of the mode. Returns the process exit code.
int RunSetup(platform::Machine& machine);

}  // namespace setup
