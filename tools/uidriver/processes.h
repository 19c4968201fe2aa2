// The programs a scenario's run starts, as the driver learns of them.
//
// The driver puts itself into a job object whose completion port reports
// each new process: every program the driver starts, and every program
// those start in turn (WinExec, Wine's uninstaller, the shell), belongs to
// the job. Each new process is opened at once, so its exit code can be read
// even after it ended. Wine's own programs (those in the system directory,
// such as uninstaller.exe or start.exe) and the driver itself are left out:
// what remains are the programs the scenario answers, in the order they
// started.
//
//   uidriver::ProgramTracker tracker;
//   if (!tracker.Start(&error)) fail(error);
//   ... CreateProcess / ShellExecuteEx ...
//   tracker.Poll();                      // often, from the driver's loop
//   HANDLE h; DWORD pid;
//   if (tracker.TakeNext(&h, &pid)) ...  // the next program not yet taken
#pragma once

#include <windows.h>

#include <deque>
#include <set>
#include <string>

namespace uidriver {

class ProgramTracker {
 public:
  ProgramTracker() = default;
  ~ProgramTracker();
  ProgramTracker(const ProgramTracker&) = delete;
  ProgramTracker& operator=(const ProgramTracker&) = delete;

  // Creates the job and its port and puts this process into it.
  bool Start(std::string* error);
  // Reads the job's reports of new processes.
  void Poll();
  // A process the driver already knows (the one it created itself): it is
  // not handed out by TakeNext.
  void Known(DWORD pid) { taken_.insert(pid); }
  // The next program started and not yet taken: its handle (the caller
  // closes it) and process id. False when there is none yet.
  bool TakeNext(HANDLE* process, DWORD* pid);

 private:
  struct Program {
    HANDLE handle;
    DWORD pid;
    std::string image;  // "" until known
  };
  HANDLE job_ = nullptr;
  HANDLE port_ = nullptr;
  std::string systemDir_;
  std::deque<Program> started_;
  std::set<DWORD> taken_;
};

}  // namespace uidriver
