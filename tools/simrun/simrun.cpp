// simrun --machine DIR --scenario FILE [--transcript OUT] [--program FILE]
//
// Runs the setup program on the simulated machine kept in DIR (created when
// missing): applies the scenario's set-up statements, runs the program with
// the `run` command line while the scenario's user answers its windows,
// writes the transcript (standard output and OUT), and saves the machine.
// Exit status: 0 the run matched the scenario, 1 it did not (the reason on
// standard error), 2 bad arguments, scenario file or machine folder.
#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <string>
#include <vector>

#include "platform/sim/sim_machine.h"
#include "scenario/scenario.h"
#include "scenario/transcript.h"
#include "setup/setup_run.h"
#include "simrun/apply_statement.h"
#include "simrun/product_resources.h"
#include "simrun/scenario_user.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: simrun --machine DIR --scenario FILE [--transcript OUT] [--program FILE]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string machineDir, scenarioFile, transcriptFile, programFile;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    std::string* target = nullptr;
    if (arg == "--machine") target = &machineDir;
    else if (arg == "--scenario") target = &scenarioFile;
    else if (arg == "--transcript") target = &transcriptFile;
    else if (arg == "--program") target = &programFile;
    else return Usage();
    if (i + 1 >= argc) return Usage();
    *target = argv[++i];
  }
  if (machineDir.empty() || scenarioFile.empty()) return Usage();

  std::string error;
  scenario::Scenario scn;
  if (!scenario::LoadScenarioFile(scenarioFile, &scn, &error)) {
    std::fprintf(stderr, "simrun: %s\n", error.c_str());
    return 2;
  }
  std::unique_ptr<sim::SimMachine> machine = sim::SimMachine::Open(machineDir, &error);
  if (!machine) {
    std::fprintf(stderr, "simrun: %s\n", error.c_str());
    return 2;
  }
  // Renames left for the next start of Windows happen now.
  machine->ApplyPendingRenames();
  for (const scenario::Statement& st : scn.setup) {
    if (!simrun::ApplySetupStatement(*machine, st, scn, programFile, &error)) {
      std::fprintf(stderr, "simrun: %s\n", error.c_str());
      return 2;
    }
  }

  std::vector<std::string> transcript;
  simrun::ScenarioUser user(scn);
  sim::SimMachine* m = machine.get();
  machine->ui().SetResources(&simrun::ProductResources());
  machine->ui().SetUser(&user);
  user.SetRecorder([&transcript](const std::string& line) {
    transcript.push_back(line);
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
  });
  user.SetInsertHandler([m, &scn](char drive, const std::string& folder) {
    simrun::InsertDisk(*m, scn, drive, folder);
  });
  simrun::SetRun(*machine, scn);

  std::string failure;
  int code = -1;
  try {
    code = setup::RunSetup(machine->machine());
  } catch (const sim::RunAborted& e) {
    failure = e.what();
  } catch (const std::exception& e) {
    failure = std::string("the run stopped with an error: ") + e.what();
  }
  if (failure.empty()) {
    std::string line = scenario::FormatExit(code);
    transcript.push_back(line);
    std::printf("%s\n", line.c_str());
    if (user.HasPendingStatement()) {
      failure = "the program ended while a dialog statement was waiting for its condition";
    } else if (!user.Done()) {
      failure = "the program ended with statements left:\n" + user.UnusedError();
    } else if (scn.hasEnd && machine->ui().OpenWindowCount() > 0) {
      failure = "the program ended with " + std::to_string(machine->ui().OpenWindowCount()) +
                " window(s) still open";
    }
  }
  if (machine->files().OpenHandleCount() > 0) {
    std::fprintf(stderr, "simrun: note: %zu file handle(s) left open\n",
                 machine->files().OpenHandleCount());
  }
  if (machine->registry().OpenHandleCount() > 0) {
    std::fprintf(stderr, "simrun: note: %zu registry key handle(s) left open\n",
                 machine->registry().OpenHandleCount());
  }

  bool ok = failure.empty();
  if (!machine->Save(&error)) {
    std::fprintf(stderr, "simrun: %s\n", error.c_str());
    ok = false;
  }
  if (!transcriptFile.empty()) {
    std::ofstream out(transcriptFile, std::ios::binary | std::ios::trunc);
    for (const std::string& line : transcript) out << line << "\n";
    if (!out) {
      std::fprintf(stderr, "simrun: cannot write %s\n", transcriptFile.c_str());
      ok = false;
    }
  }
  if (!failure.empty()) std::fprintf(stderr, "simrun: %s: %s\n", scenarioFile.c_str(), failure.c_str());
  return ok ? 0 : 1;
}
