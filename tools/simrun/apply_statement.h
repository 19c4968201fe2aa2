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

// An `insert <drive>: <folder>` action: the drive now shows the host folder
// (as written in the scenario, made absolute).
void InsertDisk(sim::SimMachine& machine, const scenario::Scenario& scenario, char drive,
                const std::string& folder);

}  // namespace simrun
