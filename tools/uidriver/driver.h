// The UI driver's one class: it runs SETUP.EXE under Wine and plays the
// user of a scenario against the real windows. What the statements mean is
// the scenario engine's (scenario/engine.h); Driver is the engine's
// WindowDriver on Win32 windows. Its parts live in files by concern:
//   uidriver.cpp        the command line and the run: starting programs,
//                       following them, the polling loop, the exit code
//   prepare.cpp         the machine's set-up statements (files, registry,
//                       services, held files, drives asked of the script)
//   windows.cpp         finding the program's windows and telling boxes,
//                       our dialogs and anything else apart
//   window_driver.cpp   reading controls and pressing buttons for the engine
//   window_text.cpp     reading texts and lists of another process's windows
//   screen.cpp          screenshots and message box icons
//   processes.cpp       the programs the run starts (a job object)
#pragma once

#include <windows.h>

#include <cstdint>
#include <list>
#include <map>
#include <string>
#include <vector>

#include "processes.h"
#include "scenario/engine.h"
#include "scenario/scenario.h"

namespace uidriver {

// Window properties our programs put on their dialogs.
inline constexpr char kDialogIdProperty[] = "SetupDialogId";
inline constexpr char kDialogModalProperty[] = "SetupDialogModal";
inline constexpr char kTimersProperty[] = "SetupTimers";
inline constexpr DWORD kPollMs = 20;
inline constexpr UINT kSendTimeoutMs = 5000;

struct Options {
  std::string scenarioPath;
  std::string transcriptPath;
  std::string shotsDir;
  std::string program;  // the program under test, for "@SETUP.EXE"
  DWORD timeoutMs = 30000;
  DWORD settleMs = 150;
};

// ------------------------------------------------------------ window_text.cpp
// The template of one of our dialogs (its "SetupDialogId"), 0 for others.
int TemplateOf(HWND window);
std::string ClassOf(HWND window);
// The text of a window or control of the other process, asked of the
// window itself (edit controls keep their text to themselves).
bool ReadText(HWND window, std::string* out);
// The caption of a top-level window, as stored with the window.
std::string CaptionOf(HWND window);
// The stored title of any window, without asking it (cheap; for noticing
// changes).
std::string StoredText(HWND window);
// The entries of a list box of the other process, Windows-1252. False
// when the window is no list box or does not answer.
bool ReadListEntries(HWND list, std::vector<std::string>* entries);
// The text of item `index` of a list box of another process,
// Windows-1252; false when it cannot be read.
bool ListItemText(HWND list, int index, std::string* out);
// The user's Start Menu Programs folder, where Wine's shell keeps the
// Program Manager groups; empty when it cannot be had.
std::string ProgramsFolder();

// The program of a command line: its first word, or the quoted one.
std::string ProgramOf(const std::string& commandLine);

struct WindowInfo {
  HWND hwnd = nullptr;
  DWORD firstSeen = 0;
  std::uint64_t order = 0;
  bool handled = false;  // recorded or answered
  bool gone = false;
  std::string title;     // the title when first seen
};

class Driver : private scenario::WindowDriver {
 public:
  Driver(const Options& options, const scenario::Scenario& s);

  int Run();

 private:
  // ------------------------------------------------------------ uidriver.cpp
  void Progress() { lastProgress_ = ::GetTickCount(); }
  void PumpOwnMessages();
  bool StartFirstProgram();
  bool StartHelper(const std::string& commandLine);
  bool WaitForStartedProgram(const std::string& what);
  void DriveProgram();

  // ------------------------------------------------------------ prepare.cpp
  bool MapDrive(char drive, const std::string& hostPath);
  bool RefuseMkdir(const std::string& windowsPath);
  std::string HostPath(const std::string& written);
  bool Prepare();
  bool PrepareStatement(const scenario::Statement& st);
  bool PrepareSystemStatement(const scenario::Statement& st);

  // ------------------------------------------------------------ windows.cpp
  std::vector<HWND> ProcessWindows();
  void Poll();
  bool HandleWindow(WindowInfo& info);
  bool IsMessageBox(HWND window);
  bool HandleMessageBox(WindowInfo& info);
  bool HandleOurDialog(WindowInfo& info, int templateId);
  std::string Fingerprint();

  // ------------------------------------------------------------ window_driver.cpp
  scenario::Window FindOpenDialog(int templateId, scenario::Window modal) override;
  bool IsOpen(scenario::Window dialog) override;
  bool HasControl(scenario::Window dialog, int control) override;
  scenario::ControlState ReadControl(scenario::Window dialog, int control) override;
  bool ReadList(scenario::Window dialog, int control, std::vector<std::string>* entries) override;
  std::string Title(scenario::Window window) override;
  int OwnerTemplate(scenario::Window window) override;
  scenario::Outcome SetText(scenario::Window dialog, int control, const std::string& text) override;
  bool ShortPath(const std::string& path, std::string* alias) override;
  scenario::Outcome Press(scenario::Window dialog, int control) override;
  scenario::Outcome PressKey(scenario::Window dialog, scenario::Key key, int* button) override;
  scenario::Outcome DoubleClickEntry(scenario::Window dialog, int control, int index,
                                     const std::string& entry) override;
  scenario::Outcome OpenItem(scenario::Window dialog, int control, const std::string& item) override;
  bool Insert(char drive, const std::string& folder, std::string* error) override;
  bool ActionFinished(std::uintptr_t token) override;
  void Record(const std::string& record) override;
  void Fail(const std::string& message) override;
  void Shot(scenario::Window window, const std::string& what) override;
  void Progressed() override { Progress(); }
  // A click sent to the program; the token tells when it was handled.
  scenario::Outcome SendCommand(HWND target, UINT message, WPARAM wParam, LPARAM lParam,
                                const std::string& what);
  static void CALLBACK SendDone(HWND, UINT, ULONG_PTR data, LRESULT);

  std::string ShotPath(const std::string& what);
  void ShotOfWindow(HWND window, const std::string& what);
  void ShotOfScreen(const std::string& what);
  int OwnerTemplateOf(HWND window);

  const Options& options_;
  const scenario::Scenario& scenario_;
  scenario::Engine engine_;
  FILE* transcript_ = nullptr;
  PROCESS_INFORMATION process_{};
  // Every program the run starts (a `follow` goes on with the next one).
  ProgramTracker tracker_;
  std::map<HWND, WindowInfo> windows_;
  std::uint64_t nextOrder_ = 0;
  int shotNumber_ = 0;
  bool backgroundShot_ = false;
  bool failed_ = false;
  DWORD lastProgress_ = 0;
  DWORD started_ = ::GetTickCount();
  std::string lastFingerprint_;
  // Files the scenario holds open (`hold`): the driver is the other
  // program that has them, until it ends.
  std::vector<HANDLE> held_;
  // One flag per click sent, set once the program handled it.
  std::list<bool> sendFlags_;
};

}  // namespace uidriver
