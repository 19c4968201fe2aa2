// simrun --machine DIR --scenario FILE [--transcript OUT] [--program FILE]
// simrun --machine DIR --init
//
// Runs the setup program on the simulated machine kept in DIR (created when
// missing): applies the scenario's set-up statements, runs the program with
// the `run` command line while the scenario's user answers its windows,
// writes the transcript (standard output and OUT), and saves the machine.
// The first program may also be an uninstall entry's (`remove`) or a
// program group item's (`start`); after a `follow` statement the program
// the ended one started with WinExec runs next on the same machine, as
// another process: the same files, registry and groups, and the same
// machine conditions (held files, denied keys, free space).
// With --init it only makes the machine (a fresh one when DIR is missing)
// and saves it, as the machine a chain of scenarios starts from.
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

struct Options {
  std::string machineDir, scenarioFile, transcriptFile, programFile;
  bool init = false;
};

int Usage() {
  std::fprintf(stderr,
               "usage: simrun --machine DIR --scenario FILE [--transcript OUT] [--program FILE]\n"
               "       simrun --machine DIR --init\n");
  return 2;
}

bool ParseArguments(int argc, char** argv, Options* o) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    std::string* target = nullptr;
    if (arg == "--init") {
      o->init = true;
      continue;
    }
    if (arg == "--machine") target = &o->machineDir;
    else if (arg == "--scenario") target = &o->scenarioFile;
    else if (arg == "--transcript") target = &o->transcriptFile;
    else if (arg == "--program") target = &o->programFile;
    else return false;
    if (i + 1 >= argc) return false;
    *target = argv[++i];
  }
  return !o->machineDir.empty() && (o->init != !o->scenarioFile.empty());
}

// Opens the machine and applies the scenario's set-up statements; null
// (with *error) when the scenario or the machine folder is wrong.
std::unique_ptr<sim::SimMachine> SetUpMachine(const Options& o, const scenario::Scenario& scn,
                                              std::string* error) {
  std::unique_ptr<sim::SimMachine> machine = sim::SimMachine::Open(o.machineDir, error);
  if (!machine) return nullptr;
  // Renames left for the next start of Windows happen now.
  machine->ApplyPendingRenames();
  for (const scenario::Statement& st : scn.setup) {
    if (!simrun::ApplySetupStatement(*machine, st, scn, o.programFile, error)) return nullptr;
  }
  return machine;
}

// Runs the program, and after it each program a `follow` statement
// follows, on the same machine; the reason the runs did not match the
// scenario, or "".
std::string RunProgram(sim::SimMachine& machine, const scenario::Scenario& scn,
                       simrun::ScenarioUser& user, std::vector<std::string>* transcript) {
  for (;;) {
    int code = -1;
    try {
      code = setup::RunSetup(machine.machine());
    } catch (const sim::RunAborted& e) {
      return e.what();
    } catch (const std::exception& e) {
      return std::string("the run stopped with an error: ") + e.what();
    }
    std::string line = scenario::FormatExit(code);
    transcript->push_back(line);
    std::printf("%s\n", line.c_str());
    if (user.HasPendingStatement()) return user.UnfinishedError();
    if (!user.TakeFollow()) break;
    std::string error;
    if (!simrun::FollowProgram(machine, &error)) return "follow: " + error;
  }
  if (!user.Done()) return "the program ended with statements left:\n" + user.UnusedError();
  if (scn.hasEnd && machine.ui().OpenWindowCount() > 0) {
    return "the program ended with " + std::to_string(machine.ui().OpenWindowCount()) +
           " window(s) still open";
  }
  return "";
}

void NoteOpenHandles(sim::SimMachine& machine) {
  if (machine.files().OpenHandleCount() > 0) {
    std::fprintf(stderr, "simrun: note: %zu file handle(s) left open\n",
                 machine.files().OpenHandleCount());
  }
  if (machine.registry().OpenHandleCount() > 0) {
    std::fprintf(stderr, "simrun: note: %zu registry key handle(s) left open\n",
                 machine.registry().OpenHandleCount());
  }
}

bool WriteTranscript(const std::string& file, const std::vector<std::string>& transcript) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  for (const std::string& line : transcript) out << line << "\n";
  if (out) return true;
  std::fprintf(stderr, "simrun: cannot write %s\n", file.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!ParseArguments(argc, argv, &o)) return Usage();

  std::string error;
  if (o.init) {
    std::unique_ptr<sim::SimMachine> fresh = sim::SimMachine::Open(o.machineDir, &error);
    if (fresh && fresh->Save(&error)) return 0;
    std::fprintf(stderr, "simrun: %s\n", error.c_str());
    return 2;
  }
  scenario::Scenario scn;
  std::unique_ptr<sim::SimMachine> machine;
  if (scenario::LoadScenarioFile(o.scenarioFile, &scn, &error))
    machine = SetUpMachine(o, scn, &error);
  if (!machine) {
    std::fprintf(stderr, "simrun: %s\n", error.c_str());
    return 2;
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
  user.SetShortPathHandler([m](const std::string& path, std::string* alias) {
    return m->files().GetShortPathName(path, alias) == 0;
  });
  // A program started and waited for (a silent uninstaller's temporary
  // copy) runs on the same machine, within the run that started it.
  machine->system().SetProgramRunner([m]() -> int {
    platform::FileStatus status;
    if (m->machine().files.GetFileStatus(m->system().GetModuleFileName(), &status) != 0) return -1;
    return setup::RunSetup(m->machine());
  });
  // The operations a `fail` statement counts are the program's, from here.
  machine->faults().Arm();
  std::string failure;
  if (!simrun::StartProgram(*machine, scn, &error)) failure = error;
  else failure = RunProgram(*machine, scn, user, &transcript);
  NoteOpenHandles(*machine);
  bool ok = failure.empty();
  if (!machine->Save(&error)) {
    std::fprintf(stderr, "simrun: %s\n", error.c_str());
    ok = false;
  }
  if (!o.transcriptFile.empty() && !WriteTranscript(o.transcriptFile, transcript)) ok = false;
  if (!failure.empty()) std::fprintf(stderr, "simrun: %s: %s\n", o.scenarioFile.c_str(), failure.c_str());
  return ok ? 0 : 1;
}
