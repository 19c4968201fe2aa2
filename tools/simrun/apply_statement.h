// The runner's side of a scenario on the simulated machine: what the
// machine set-up statements and the `run` statement do to it. The machine
// knows no scenario; this is where the two meet.
//
//   for (const scenario::Statement& st : scn.setup)
//     if (!simrun::ApplySetupStatement(*machine, st, scn, programFile, &error)) fail(error);
//   simrun::SetRun(*machine, scn);
#pragma once

#include <string>

#include "platform/sim/sim_machine.h"
#include "scenario/scenario.h"

namespace simrun {

sim::Platform PlatformOf(scenario::Platform platform);

// Applies a machine set-up statement; host paths are resolved against the
// scenario's folder; `programFile` stands for "@SETUP.EXE" (empty: a small
// stand-in file). On failure *error is "<file>:<line>: <what went wrong>".
bool ApplySetupStatement(sim::SimMachine& machine, const scenario::Statement& st,
                         const scenario::Scenario& scenario, const std::string& programFile,
                         std::string* error);

// The `run` statement: the command line (and with it the module file name).
void SetRun(sim::SimMachine& machine, const scenario::Scenario& scenario);

// Starts the scenario's first program as its `run`, `remove` or `start`
// statement says: `run` with its command line; `remove` with the
// UninstallString of that entry of the uninstall key (which, as for Wine's
// Add/Remove Programs, needs a DisplayName too); `start` with the command
// line of that item of that Program Manager group (names compared without
// regard to case). The program file of `remove` and `start` must exist on
// the machine. False with *error ("<file>:<line>: ...") otherwise.
bool StartProgram(sim::SimMachine& machine, const scenario::Scenario& scenario,
                  std::string* error);

// For `follow`: the program that ended started another one with WinExec;
// the last one it started becomes the running program (command line and
// module file name). False with *error when it started none or the program
// file does not exist on the machine.
bool FollowProgram(sim::SimMachine& machine, std::string* error);

// An `insert <drive>: <folder>` action: the drive now shows the host folder
// (as written in the scenario, made absolute).
void InsertDisk(sim::SimMachine& machine, const scenario::Scenario& scenario, char drive,
                const std::string& folder);

}  // namespace simrun
