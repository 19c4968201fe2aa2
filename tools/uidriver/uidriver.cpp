// uidriver.exe: runs SETUP.EXE and plays the user of a scenario against its
// real windows.
//
//   uidriver --scenario FILE --transcript FILE [--shots DIR]
//            [--timeout SECONDS] [--settle MILLISECONDS]
//
// It starts the scenario's `run` command line (or, for `remove`, Wine's
// uninstaller with the entry; for `start`, the group's shortcut), then
// polls the top-level windows of that process about every 20 ms (after a
// `follow`, of the next program started below the driver, as its job
// object reports them):
//  - our dialogs carry the window property "SetupDialogId" (the template
//    number; "SetupDialogModal" on modal ones, "SetupTimers" while timers
//    run on them);
//  - message boxes are dialogs of class #32770 without that property, made
//    of static texts and buttons only;
//  - any other window is unexpected and fails the run.
// The transcript gets one record per window as docs/scenarios.md describes
// it, and `exit <code>` at the end. Each recorded window is saved as a BMP
// screenshot in the shots folder (NN-<what>.bmp), and the whole screen when
// the background window first appears and when a `wait` condition holds.
//
// Before the run it makes the machine as the scenario's set-up says: copy,
// mkdir, attrib and registry statements are carried out here, with the
// Win32 calls; the platform becomes the Windows version Wine reports to our
// programs (HKCU\Software\Wine\AppDefaults\<exe>\Version); the program of
// the run statement is put in place (from --program) when it is missing.
//
// Drives (`drive A: <folder>`, and the disk swaps `insert A: <folder>`) are
// asked of whoever started the driver: it writes the line
// "drive A: <host folder as written>" to standard output and waits for one
// line on standard input, "ok" or an error text. scripts/wine-run.sh answers
// by pointing the prefix's drive link at (a copy of) the folder.
//
// Exit status: 0 when the run matched the scenario, 1 when it did not (the
// reason on standard error), 2 for a bad command line or scenario.
//
// The meaning of the statements is the scenario engine's
// (src/scenario/engine.h); this driver finds the windows and presses the
// buttons. Its files are listed in driver.h.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "driver.h"
#include "scenario/scenario.h"
#include "scenario/transcript.h"
#include "text/text.h"
#include "ui/dialog_ids.h"

namespace uidriver {

using scenario::Kind;
using scenario::Statement;

Driver::Driver(const Options& options, const scenario::Scenario& s)
    : options_(options), scenario_(s), engine_(s, *this, ui::ids::background::kTemplate) {}

void Driver::PumpOwnMessages() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

// Starts a program the scenario does not answer (Wine's uninstaller); the
// programs it starts are handed out by the tracker.
bool Driver::StartHelper(const std::string& commandLine) {
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  STARTUPINFOA startup;
  std::memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION helper{};
  if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &helper)) {
    Fail("cannot start " + commandLine + " (error " + std::to_string(::GetLastError()) + ")");
    return false;
  }
  tracker_.Known(helper.dwProcessId);
  ::CloseHandle(helper.hThread);
  ::CloseHandle(helper.hProcess);
  return true;
}

// Waits for the next program the run started and makes it the one whose
// windows are answered.
bool Driver::WaitForStartedProgram(const std::string& what) {
  Progress();
  for (;;) {
    PumpOwnMessages();
    tracker_.Poll();
    if (tracker_.TakeNext(&process_.hProcess, &process_.dwProcessId)) {
      Progress();
      return true;
    }
    if (::GetTickCount() - lastProgress_ > options_.timeoutMs) {
      Fail("no program was started " + what + " within " +
           std::to_string(options_.timeoutMs / 1000) + " seconds");
      return false;
    }
    ::Sleep(kPollMs / 4);
  }
}

// Starts the scenario's first program: `run` with its command line (working
// directory the program's folder), `remove` through Wine's Add/Remove
// Programs (uninstaller --remove, which runs the entry's UninstallString
// and waits for it), `start` by opening the group's Start Menu shortcut as
// the shell opens it.
bool Driver::StartFirstProgram() {
  const Statement& run = scenario_.run;
  if (run.kind == Kind::kRemove) {
    if (!StartHelper("uninstaller.exe --remove " + text::Utf8ToCp1252(run.As<scenario::RemoveStart>().entry)))
      return false;
    return WaitForStartedProgram("by the uninstall entry '" + run.As<scenario::RemoveStart>().entry +
                                 "' (Wine's uninstaller runs only an entry with a DisplayName "
                                 "and an UninstallString)");
  }
  if (run.kind == Kind::kStart) {
    std::string link = ProgramsFolder() + "\\" + text::Utf8ToCp1252(run.As<scenario::StartItem>().group) +
                       "\\" + text::Utf8ToCp1252(run.As<scenario::StartItem>().item) + ".lnk";
    if (::GetFileAttributesA(link.c_str()) == INVALID_FILE_ATTRIBUTES) {
      Fail(scenario::Where(scenario_, run) + ": no shortcut " + link);
      return false;
    }
    SHELLEXECUTEINFOA info;
    std::memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.lpFile = link.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!::ShellExecuteExA(&info)) {
      Fail("cannot open " + link + " (error " + std::to_string(::GetLastError()) + ")");
      return false;
    }
    return WaitForStartedProgram("by the shortcut " + link);
  }
  std::string commandLine = text::Utf8ToCp1252(run.As<scenario::RunStart>().commandLine);
  std::string program = ProgramOf(commandLine);
  std::string workdir = program.substr(0, program.find_last_of("\\:") + 1);
  if (workdir.size() == 2 && workdir[1] == ':') workdir += "\\";
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  STARTUPINFOA startup;
  std::memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workdir.empty() ? nullptr : workdir.c_str(), &startup, &process_)) {
    std::fprintf(stderr, "uidriver: cannot start %s (error %lu)\n", commandLine.c_str(),
                 static_cast<unsigned long>(::GetLastError()));
    failed_ = true;
    return false;
  }
  tracker_.Known(process_.dwProcessId);
  ::CloseHandle(process_.hThread);
  return true;
}

// Answers the windows of the running program until it ends; records its
// exit code unless the run failed.
void Driver::DriveProgram() {
  Progress();
  for (;;) {
    PumpOwnMessages();
    tracker_.Poll();
    bool exited = ::WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0;
    if (!exited) Poll();
    if (failed_) break;
    if (exited) break;
    if (::GetTickCount() - lastProgress_ > options_.timeoutMs) {
      std::string what = engine_.DescribeWaiting();
      ShotOfScreen("timeout");
      Fail("nothing happened for " + std::to_string(options_.timeoutMs / 1000) + " seconds; " +
           what);
      break;
    }
    ::MsgWaitForMultipleObjects(1, &process_.hProcess, FALSE, kPollMs, QS_ALLINPUT);
  }
  ::WaitForSingleObject(process_.hProcess, 5000);
  DWORD code = 0;
  ::GetExitCodeProcess(process_.hProcess, &code);
  ::CloseHandle(process_.hProcess);
  process_.hProcess = nullptr;
  if (!failed_ && engine_.HasRunning()) Fail(engine_.Unfinished());
  if (!failed_) Record(scenario::FormatExit(static_cast<int>(code)));
}

int Driver::Run() {
  transcript_ = std::fopen(options_.transcriptPath.c_str(), "wb");
  if (!transcript_) {
    std::fprintf(stderr, "uidriver: cannot write %s\n", options_.transcriptPath.c_str());
    return 2;
  }
  std::string error;
  if (!tracker_.Start(&error)) Fail(error);
  if (failed_ || !Prepare() || !StartFirstProgram()) {
    std::fclose(transcript_);
    return 1;
  }
  DriveProgram();
  // A `follow`: the program that ended started another; answer that one.
  while (!failed_ && engine_.user().TakeFollow()) {
    if (!WaitForStartedProgram("by the program that ended")) break;
    DriveProgram();
  }
  if (!failed_ && !engine_.user().Done()) {
    Fail("the program ended with statements left:\n" + engine_.user().UnusedError());
  }
  std::fclose(transcript_);
  return failed_ ? 1 : 0;
}

}  // namespace uidriver

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: uidriver --scenario FILE --transcript FILE [--shots DIR] [--program FILE]\n"
               "                [--timeout SECONDS] [--settle MILLISECONDS]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  uidriver::Options options;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    const char* v = nullptr;
    if (arg == "--scenario" && (v = value())) options.scenarioPath = v;
    else if (arg == "--transcript" && (v = value())) options.transcriptPath = v;
    else if (arg == "--shots" && (v = value())) options.shotsDir = v;
    else if (arg == "--program" && (v = value())) options.program = v;
    else if (arg == "--timeout" && (v = value())) options.timeoutMs = static_cast<DWORD>(std::atoi(v)) * 1000;
    else if (arg == "--settle" && (v = value())) options.settleMs = static_cast<DWORD>(std::atoi(v));
    else return Usage();
  }
  if (options.scenarioPath.empty() || options.transcriptPath.empty() || options.timeoutMs == 0) {
    return Usage();
  }
  scenario::Scenario s;
  std::string error;
  if (!scenario::LoadScenarioFile(options.scenarioPath, &s, &error)) {
    std::fprintf(stderr, "uidriver: %s\n", error.c_str());
    return 2;
  }
  if (s.run.kind == scenario::Kind::kRun &&
      s.run.As<scenario::RunStart>().commandLine.empty()) {
    std::fprintf(stderr, "uidriver: %s has no run statement\n", options.scenarioPath.c_str());
    return 2;
  }
  uidriver::Driver driver(options, s);
  return driver.Run();
}

