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
// Over 1,300 lines because one class, Driver, carries out every statement
// against the real windows (the machine's set-up, the start, recognising
// and recording windows, pressing, typing, disk swaps, screenshots) and
// keeps the polling state they share; the meaning of the dialog statements
// is written here a second time beside the simulated runner's
// (tools/simrun/scenario_user.cpp). It stays whole until that meaning moves
// into src/scenario, after which this driver keeps only finding windows and
// pressing buttons.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <list>
#include <map>
#include <string>
#include <vector>

#include "scenario/scenario.h"
#include "scenario/transcript.h"
#include "scenario/user.h"
#include "processes.h"
#include "screen.h"
#include "text/text.h"
#include "ui/dialog_ids.h"

namespace {

using scenario::Action;
using scenario::ActionKind;
using scenario::Kind;
using scenario::Statement;

constexpr char kDialogIdProperty[] = "SetupDialogId";
constexpr char kDialogModalProperty[] = "SetupDialogModal";
constexpr char kTimersProperty[] = "SetupTimers";
// The program's background window, named "background" as an owner.
constexpr int kBackgroundTemplate = ui::ids::background::kTemplate;
constexpr DWORD kPollMs = 20;
constexpr UINT kSendTimeoutMs = 5000;

struct Options {
  std::string scenarioPath;
  std::string transcriptPath;
  std::string shotsDir;
  std::string program;  // the program under test, for "@SETUP.EXE"
  DWORD timeoutMs = 30000;
  DWORD settleMs = 150;
};

int TemplateOf(HWND window) {
  if (!window) return 0;
  return static_cast<int>(reinterpret_cast<INT_PTR>(::GetPropA(window, kDialogIdProperty)));
}

std::string ClassOf(HWND window) {
  char name[128] = {};
  ::GetClassNameA(window, name, sizeof name);
  return name;
}

// The text of a window or control of the other process, asked of the
// window itself (edit controls keep their text to themselves).
bool ReadText(HWND window, std::string* out) {
  out->clear();
  DWORD_PTR length = 0;
  if (!::SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                             &length)) {
    return false;
  }
  if (length > (1u << 20)) length = 1u << 20;
  std::vector<char> buffer(length + 2, '\0');
  DWORD_PTR got = 0;
  if (!::SendMessageTimeoutA(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                             SMTO_ABORTIFHUNG, kSendTimeoutMs, &got)) {
    return false;
  }
  buffer.back() = '\0';
  out->assign(buffer.data(), strnlen(buffer.data(), buffer.size()));
  return true;
}

// The caption of a top-level window, as stored with the window.
std::string CaptionOf(HWND window) {
  int length = ::GetWindowTextLengthA(window);
  if (length <= 0) return std::string();
  std::vector<char> buffer(static_cast<std::size_t>(length) + 2, '\0');
  int n = ::GetWindowTextA(window, buffer.data(), static_cast<int>(buffer.size()));
  if (n <= 0) return std::string();
  return std::string(buffer.data(), strnlen(buffer.data(), buffer.size()));
}

// The stored title of any window, without asking it (cheap; for noticing
// changes).
std::string StoredText(HWND window) {
  wchar_t buffer[512] = {};
  int n = ::InternalGetWindowText(window, buffer, 512);
  std::string out;
  for (int i = 0; i < n; ++i) {
    out += static_cast<char>(buffer[i] & 0x7F);
  }
  return out;
}

// The entries of a list box of the other process (LB_GETTEXT is carried
// between processes for list boxes that hold strings). False when the
// window is no list box or does not answer.
bool ReadListEntries(HWND list, std::vector<std::string>* entries) {
  entries->clear();
  if (_stricmp(ClassOf(list).c_str(), "ListBox") != 0) return false;
  DWORD_PTR count = 0;
  if (!::SendMessageTimeoutA(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &count))
    return false;
  if (static_cast<LRESULT>(count) < 0) return false;
  for (DWORD_PTR i = 0; i < count && i < 100000; ++i) {
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(list, LB_GETTEXTLEN, i, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                               &length) ||
        static_cast<LRESULT>(length) < 0) {
      return false;
    }
    if (length > (1u << 20)) return false;
    // Asked in UTF-16: Wine carries an ANSI LB_GETTEXT between processes
    // with only its first character.
    std::vector<wchar_t> buffer(length + 2, L'\0');
    DWORD_PTR got = 0;
    if (!::SendMessageTimeoutW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buffer.data()),
                               SMTO_ABORTIFHUNG, kSendTimeoutMs, &got)) {
      return false;
    }
    buffer.back() = L'\0';
    int wide = static_cast<int>(wcsnlen(buffer.data(), buffer.size()));
    std::string entry;
    if (wide > 0) {
      int bytes = ::WideCharToMultiByte(1252, 0, buffer.data(), wide, nullptr, 0, nullptr, nullptr);
      if (bytes > 0) {
        entry.resize(static_cast<std::size_t>(bytes));
        ::WideCharToMultiByte(1252, 0, buffer.data(), wide, entry.data(), bytes, nullptr, nullptr);
      }
    }
    entries->push_back(entry);
  }
  return true;
}

// What `read` records for a control: a list box's entries, else its text.
std::string ReadControl(HWND dialog, int id) {
  std::string text;
  HWND control = ::GetDlgItem(dialog, id);
  if (!control) return text;
  std::vector<std::string> entries;
  if (ReadListEntries(control, &entries)) return scenario::JoinListEntries(entries);
  ReadText(control, &text);
  return text;
}

// The user's Start Menu Programs folder, where Wine's shell keeps the
// Program Manager groups; empty when it cannot be had.
// What a `wait` action reads of a control: its text, and whether it is
// visible (IsWindowVisible: it and the dialog have WS_VISIBLE) and enabled.
scenario::ControlState ControlState(HWND control) {
  scenario::ControlState state;
  ReadText(control, &state.text);
  state.visible = ::IsWindowVisible(control) != FALSE;
  state.enabled = ::IsWindowEnabled(control) != FALSE;
  return state;
}

std::string ProgramsFolder() {
  char path[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathA(nullptr, CSIDL_PROGRAMS | CSIDL_FLAG_CREATE, nullptr, 0, path)))
    return std::string();
  return path;
}

struct WindowInfo {
  HWND hwnd = nullptr;
  DWORD firstSeen = 0;
  std::uint64_t order = 0;
  bool handled = false;      // recorded or answered
  bool gone = false;
  std::string title;         // the title when first seen
};

class Driver {
 public:
  Driver(const Options& options, const scenario::Scenario& s)
      : options_(options), scenario_(s), user_(s) {}

  int Run();

 private:
  // ------------------------------------------------------------ helpers
  void Fail(const std::string& message);
  void Progress() { lastProgress_ = ::GetTickCount(); }
  void Record(const std::string& line);
  std::string ShotPath(const std::string& what);
  void ShotOfWindow(HWND window, const std::string& what);
  void ShotOfScreen(const std::string& what);
  std::string OwnerName(HWND window);
  bool Insert(const Action& action);
  bool DoubleClick(const Statement& st, const Action& a);
  bool MapDrive(char drive, const std::string& hostPath);
  bool RefuseMkdir(const std::string& windowsPath);
  std::string HostPath(const std::string& written);
  bool Prepare();
  bool PrepareStatement(const Statement& st);
  bool PrepareSystemStatement(const Statement& st);
  void PumpOwnMessages();
  bool StartFirstProgram();
  bool StartHelper(const std::string& commandLine);
  bool WaitForStartedProgram(const std::string& what);
  void DriveProgram();

  // ------------------------------------------------------------ windows
  std::vector<HWND> ProcessWindows();
  void Poll();
  bool HandleWindow(WindowInfo& info);
  bool IsMessageBox(HWND window);
  bool HandleMessageBox(WindowInfo& info);
  bool HandleOurDialog(WindowInfo& info, int templateId);
  void StartStatementOnOpenDialog();
  void StepActive();
  std::string Fingerprint();

  static void CALLBACK SendDone(HWND, UINT, ULONG_PTR data, LRESULT);

  const Options& options_;
  const scenario::Scenario& scenario_;
  scenario::ScriptedUser user_;
  FILE* transcript_ = nullptr;
  PROCESS_INFORMATION process_{};
  // Every program the run starts (a `follow` goes on with the next one).
  uidriver::ProgramTracker tracker_;
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

  // The dialog statement whose actions are running.
  struct Active {
    const Statement* statement = nullptr;
    HWND dialog = nullptr;
    int templateId = 0;
    std::size_t next = 0;
    bool recorded = false;
    bool waitingForSend = false;
    bool* sendDone = nullptr;  // set by the program's handling of a click
  } active_;
  // Statements whose click opened a further modal dialog, waiting for it.
  std::vector<Active> suspended_;
  std::list<bool> sendFlags_;
};

void Driver::Fail(const std::string& message) {
  if (failed_) return;
  failed_ = true;
  std::fprintf(stderr, "uidriver: %s\n", message.c_str());
  std::fflush(stderr);
  if (process_.hProcess) ::TerminateProcess(process_.hProcess, 255);
}

void Driver::Record(const std::string& line) {
  if (std::getenv("UIDRIVER_DEBUG")) {
    std::fprintf(stderr, "uidriver: %lu ms: %s\n", static_cast<unsigned long>(::GetTickCount() - started_),
                 line.c_str());
  }
  if (transcript_) {
    std::fputs(line.c_str(), transcript_);
    std::fputc('\n', transcript_);
    std::fflush(transcript_);
  }
  Progress();
}

std::string Driver::ShotPath(const std::string& what) {
  char number[16];
  std::snprintf(number, sizeof number, "%02d", ++shotNumber_);
  return options_.shotsDir + "\\" + number + "-" + what + ".bmp";
}

void Driver::ShotOfWindow(HWND window, const std::string& what) {
  if (options_.shotsDir.empty()) return;
  uidriver::SaveWindowShot(window, ShotPath(what));
  if (std::getenv("UIDRIVER_DEBUG")) {
    std::fprintf(stderr, "uidriver: %lu ms: shot %s\n",
                 static_cast<unsigned long>(::GetTickCount() - started_), what.c_str());
  }
}

void Driver::ShotOfScreen(const std::string& what) {
  if (options_.shotsDir.empty()) return;
  uidriver::SaveScreenShot(ShotPath(what));
  if (std::getenv("UIDRIVER_DEBUG")) {
    std::fprintf(stderr, "uidriver: %lu ms: shot %s\n",
                 static_cast<unsigned long>(::GetTickCount() - started_), what.c_str());
  }
}

std::string Driver::OwnerName(HWND window) {
  HWND owner = ::GetWindow(window, GW_OWNER);
  return scenario::OwnerName(TemplateOf(owner), kBackgroundTemplate);
}

// Asks whoever started the driver to show a host folder as a drive.
bool Driver::MapDrive(char drive, const std::string& hostPath) {
  std::printf("drive %c: %s\n", drive, hostPath.c_str());
  std::fflush(stdout);
  char reply[1024] = {};
  if (!std::fgets(reply, sizeof reply, stdin)) {
    Fail(std::string(1, drive) + ": " + hostPath + ": nobody answered the drive request");
    return false;
  }
  std::string answer = reply;
  while (!answer.empty() && (answer.back() == '\n' || answer.back() == '\r')) answer.pop_back();
  if (answer != "ok") {
    Fail(std::string(1, drive) + ": " + hostPath + ": " + answer);
    return false;
  }
  Progress();
  return true;
}

// `refuse mkdir`: a Windows program cannot make a directory refuse the
// creation of directories in it (the read-only attribute does not, and
// the prefix runs as a user whom Unix permissions may not stop), so the
// runner script does it on the host: it makes the directory immutable
// (chattr +i), which refuses every new entry in it, and takes that back
// when the run ends. Wine answers access denied (5) for it.
bool Driver::RefuseMkdir(const std::string& windowsPath) {
  std::printf("refuse mkdir %s\n", windowsPath.c_str());
  std::fflush(stdout);
  char reply[1024] = {};
  if (!std::fgets(reply, sizeof reply, stdin)) {
    Fail(windowsPath + ": nobody answered the refuse mkdir request");
    return false;
  }
  std::string answer = reply;
  while (!answer.empty() && (answer.back() == '\n' || answer.back() == '\r')) answer.pop_back();
  if (answer != "ok") {
    Fail("refuse mkdir " + windowsPath + ": " + answer);
    return false;
  }
  return true;
}

bool Driver::Insert(const Action& action) { return MapDrive(action.drive, action.text); }

// A host path of the scenario as this process reaches it.
std::string Driver::HostPath(const std::string& written) {
  if (written == "@SETUP.EXE") return options_.program;
  std::string path = written;
  if (!path.empty() && path[0] == '/') {
    path = "Z:" + path;  // the host's root folder is drive Z:
  } else {
    path = scenario::ResolveHostPath(scenario_, path);
  }
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

namespace {

bool SplitKeyPath(const std::string& path, HKEY* root, std::string* subkey) {
  std::size_t slash = path.find('\\');
  std::string head = path.substr(0, slash);
  *subkey = slash == std::string::npos ? "" : path.substr(slash + 1);
  if (lstrcmpiA(head.c_str(), "HKLM") == 0) *root = HKEY_LOCAL_MACHINE;
  else if (lstrcmpiA(head.c_str(), "HKCU") == 0) *root = HKEY_CURRENT_USER;
  else if (lstrcmpiA(head.c_str(), "HKCR") == 0) *root = HKEY_CLASSES_ROOT;
  else if (lstrcmpiA(head.c_str(), "HKU") == 0) *root = HKEY_USERS;
  else return false;
  return true;
}

// Creates a directory and its missing parents.
bool MakeDirectories(const std::string& path) {
  if (path.empty()) return false;
  DWORD a = ::GetFileAttributesA(path.c_str());
  if (a != INVALID_FILE_ATTRIBUTES) return (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
  std::size_t slash = path.find_last_of('\\');
  if (slash != std::string::npos && slash > 2) {
    if (!MakeDirectories(path.substr(0, slash))) return false;
  }
  return ::CreateDirectoryA(path.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS;
}

std::string ParentOf(const std::string& path) {
  std::size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool SetAppVersion(const std::string& exe, const char* version) {
  HKEY key = nullptr;
  std::string path = "Software\\Wine\\AppDefaults\\" + exe;
  if (::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  LONG r = ::RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                            static_cast<DWORD>(std::strlen(version) + 1));
  ::RegCloseKey(key);
  return r == ERROR_SUCCESS;
}

// The Windows version Wine reports to `exe`, "" when none is set.
std::string AppVersion(const std::string& exe) {
  HKEY key = nullptr;
  std::string path = "Software\\Wine\\AppDefaults\\" + exe;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return std::string();
  }
  char value[32] = {};
  DWORD size = sizeof value - 1;
  DWORD type = 0;
  LONG r = ::RegQueryValueExA(key, "Version", nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  ::RegCloseKey(key);
  if (r != ERROR_SUCCESS || type != REG_SZ) return std::string();
  value[sizeof value - 1] = '\0';
  return value;
}

std::string ProgramOf(const std::string& commandLine) {
  if (!commandLine.empty() && commandLine[0] == '"') {
    std::size_t end = commandLine.find('"', 1);
    return commandLine.substr(1, end == std::string::npos ? std::string::npos : end - 1);
  }
  return commandLine.substr(0, commandLine.find_first_of(" \t"));
}

}  // namespace

bool Driver::PrepareStatement(const Statement& st) {
  std::string where = scenario::Where(scenario_, st) + ": ";
  switch (st.kind) {
    case Kind::kPlatform:
    case Kind::kDiskFree:       // the prefix's real free space applies
    case Kind::kRefuseRestart:  // Wine's ExitWindowsEx is not under our control
      return true;
    case Kind::kGroup: {
      // Wine's shell lists the folders of the Start Menu Programs as groups.
      std::string folder = ProgramsFolder();
      if (folder.empty()) {
        Fail(where + "cannot find the Start Menu Programs folder");
        return false;
      }
      std::string group = folder + "\\" + text::Utf8ToCp1252(st.text);
      if (!MakeDirectories(group)) {
        Fail(where + "cannot create the group folder " + group);
        return false;
      }
      return true;
    }
    case Kind::kDrive:
      return MapDrive(st.drive, st.hostPath);
    case Kind::kCopy: {
      std::string from = HostPath(st.hostPath);
      std::string to = text::Utf8ToCp1252(st.windowsPath);
      MakeDirectories(ParentOf(to));
      if (!::CopyFileA(from.c_str(), to.c_str(), FALSE)) {
        Fail(where + "cannot copy " + from + " to " + to + " (error " +
             std::to_string(::GetLastError()) + ")");
        return false;
      }
      return true;
    }
    case Kind::kMkdir:
      if (!MakeDirectories(text::Utf8ToCp1252(st.windowsPath))) {
        Fail(where + "cannot create the directory");
        return false;
      }
      return true;
    case Kind::kLink: {
      // CreateSymbolicLinkA is looked up: the driver also runs where it is
      // missing, and only this statement needs it.
      using CreateLink = BOOLEAN(WINAPI*)(LPCSTR, LPCSTR, DWORD);
      auto create = reinterpret_cast<CreateLink>(reinterpret_cast<void*>(
          ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "CreateSymbolicLinkA")));
      const std::string link = text::Utf8ToCp1252(st.windowsPath);
      const std::string target = text::Utf8ToCp1252(st.text);
      const DWORD attributes = ::GetFileAttributesA(target.c_str());
      const DWORD flags = attributes != INVALID_FILE_ATTRIBUTES &&
                                  (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0
                              ? 1u  // SYMBOLIC_LINK_FLAG_DIRECTORY
                              : 0u;
      if (create == nullptr || !create(link.c_str(), target.c_str(), flags)) {
        Fail(where + "cannot create the link (error " + std::to_string(::GetLastError()) + ")");
        return false;
      }
      return true;
    }
    case Kind::kDeleteFile:
      if (!::DeleteFileA(text::Utf8ToCp1252(st.windowsPath).c_str())) {
        Fail(where + "cannot delete the file (error " + std::to_string(::GetLastError()) + ")");
        return false;
      }
      return true;
    case Kind::kAttrib:
      if (!::SetFileAttributesA(text::Utf8ToCp1252(st.windowsPath).c_str(),
                                st.attributes == 0 ? FILE_ATTRIBUTE_NORMAL : st.attributes)) {
        Fail(where + "cannot set the attributes (error " + std::to_string(::GetLastError()) + ")");
        return false;
      }
      return true;
    case Kind::kRegistrySet:
    case Kind::kRegistryDelete:
    case Kind::kRegistryDeleteKey: {
      HKEY root = nullptr;
      std::string subkey;
      if (!SplitKeyPath(text::Utf8ToCp1252(st.keyPath), &root, &subkey)) {
        Fail(where + "unknown registry root");
        return false;
      }
      std::string name = text::Utf8ToCp1252(st.valueName);
      if (st.kind == Kind::kRegistryDeleteKey) {
        LONG r = ::RegDeleteTreeA(root, subkey.c_str());
        if (r == ERROR_SUCCESS) ::RegDeleteKeyA(root, subkey.c_str());
        return true;
      }
      HKEY key = nullptr;
      if (st.kind == Kind::kRegistryDelete) {
        if (::RegOpenKeyExA(root, subkey.c_str(), 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
          ::RegDeleteValueA(key, name.c_str());
          ::RegCloseKey(key);
        }
        return true;
      }
      if (::RegCreateKeyExA(root, subkey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr) != ERROR_SUCCESS) {
        Fail(where + "cannot create the registry key");
        return false;
      }
      std::string text = text::Utf8ToCp1252(st.text);
      LONG r = ::RegSetValueExA(key, name.c_str(), 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(text.c_str()),
                                static_cast<DWORD>(text.size() + 1));
      ::RegCloseKey(key);
      if (r != ERROR_SUCCESS) {
        Fail(where + "cannot set the registry value");
        return false;
      }
      return true;
    }
    default:
      return PrepareSystemStatement(st);
  }
}

// The set-up statements of services, held files and program groups.
bool Driver::PrepareSystemStatement(const Statement& st) {
  std::string where = scenario::Where(scenario_, st) + ": ";
  switch (st.kind) {
    case Kind::kService: {
      // Wine's service control manager knows a service only when it was
      // created through it (a registry key alone is not enough).
      SC_HANDLE manager = ::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
      SC_HANDLE service =
          manager ? ::CreateServiceA(manager, st.valueName.c_str(), st.valueName.c_str(),
                                     SERVICE_ALL_ACCESS, static_cast<DWORD>(st.bytes),
                                     SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                     text::Utf8ToCp1252(st.windowsPath).c_str(), nullptr, nullptr,
                                     nullptr, nullptr, nullptr)
                  : nullptr;
      DWORD error = ::GetLastError();
      if (service) ::CloseServiceHandle(service);
      if (manager) ::CloseServiceHandle(manager);
      if (!service) {
        Fail(where + "cannot create the service (error " + std::to_string(error) + ")");
        return false;
      }
      return true;
    }
    case Kind::kRefuseMkdir:
      return RefuseMkdir(st.windowsPath);
    case Kind::kHold: {
      HANDLE h = ::CreateFileA(text::Utf8ToCp1252(st.windowsPath).c_str(), GENERIC_READ,
                               FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
      if (h == INVALID_HANDLE_VALUE) {
        Fail(where + "cannot open the file (error " + std::to_string(::GetLastError()) + ")");
        return false;
      }
      held_.push_back(h);
      return true;
    }
    case Kind::kDenyKey:
    case Kind::kProgman:
    case Kind::kFail:
      Fail(where + "this statement works on the simulated machine only (docs/scenarios.md)");
      return false;
    default:
      return true;
  }
}

// Makes the machine look as the scenario's set-up says.
bool Driver::Prepare() {
  // A scenario without a platform statement keeps the machine's: the
  // version an earlier scenario of its chain gave our programs in this
  // prefix, as the simulated machine keeps its platform; Windows 95 on a
  // fresh machine.
  std::string kept = AppVersion("setup.exe");
  const char* version = kept.empty() ? "win95" : kept.c_str();
  for (const Statement& st : scenario_.setup) {
    if (st.kind == Kind::kPlatform) {
      version = st.platform == scenario::Platform::kNt    ? "nt40"
                : st.platform == scenario::Platform::kWin98 ? "win98"
                                                            : "win95";
    }
  }
  for (const Statement& st : scenario_.setup) {
    if (!PrepareStatement(st)) return false;
  }
  // The program of the run statement is the program under test unless the
  // scenario put something else there. `remove` and `start` name programs
  // the machine has.
  std::string program = ProgramOf(text::Utf8ToCp1252(scenario_.run.text));
  if (scenario_.run.kind == Kind::kRun &&
      ::GetFileAttributesA(program.c_str()) == INVALID_FILE_ATTRIBUTES) {
    if (options_.program.empty()) {
      Fail(program + " does not exist and no --program was given");
      return false;
    }
    MakeDirectories(ParentOf(program));
    if (!::CopyFileA(options_.program.c_str(), program.c_str(), FALSE)) {
      Fail("cannot put the program under test at " + program + " (error " +
           std::to_string(::GetLastError()) + ")");
      return false;
    }
  }
  // The Windows version each of our programs sees: the installer, the
  // installed uninstaller, its temporary copy, and the program run.
  std::string runName =
      scenario_.run.kind == Kind::kRun ? program.substr(program.find_last_of("\\:") + 1)
                                       : std::string("setup.exe");
  for (const std::string& exe : {std::string("setup.exe"), std::string("uninstal.exe"),
                                 std::string("uninstx$.exe"), runName}) {
    if (!SetAppVersion(exe, version)) {
      Fail("cannot set the Windows version for " + exe);
      return false;
    }
  }
  return true;
}

void Driver::PumpOwnMessages() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

void CALLBACK Driver::SendDone(HWND, UINT, ULONG_PTR data, LRESULT) {
  *reinterpret_cast<bool*>(data) = true;
}

struct EnumContext {
  DWORD pid;
  std::vector<HWND>* out;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM lParam) {
  auto* context = reinterpret_cast<EnumContext*>(lParam);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(window, &pid);
  if (pid == context->pid && ::IsWindowVisible(window)) context->out->push_back(window);
  return TRUE;
}

// Visible top-level windows of the program, bottom of the z-order first.
std::vector<HWND> Driver::ProcessWindows() {
  std::vector<HWND> found;
  EnumContext context{process_.dwProcessId, &found};
  ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&context));
  std::reverse(found.begin(), found.end());
  return found;
}

bool Driver::IsMessageBox(HWND window) {
  if (ClassOf(window) != "#32770" || TemplateOf(window) != 0) return false;
  bool hasText = false;
  for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    std::string cls = ClassOf(child);
    int id = ::GetDlgCtrlID(child);
    if (lstrcmpiA(cls.c_str(), "Static") == 0) {
      if (id == 0xFFFF) hasText = true;
      continue;
    }
    if (lstrcmpiA(cls.c_str(), "Button") == 0) continue;
    return false;
  }
  return hasText;
}

bool Driver::HandleMessageBox(WindowInfo& info) {
  HWND box = info.hwnd;
  std::string caption, text;
  ReadText(box, &caption);
  HWND textControl = ::GetDlgItem(box, 0xFFFF);
  if (textControl) ReadText(textControl, &text);

  // The buttons the box shows give its MB_ type.
  auto shows = [&](int id) {
    HWND b = ::GetDlgItem(box, id);
    return b && ::IsWindowVisible(b);
  };
  std::uint32_t buttons;
  if (shows(IDABORT) && shows(IDRETRY) && shows(IDIGNORE)) buttons = MB_ABORTRETRYIGNORE;
  else if (shows(IDYES) && shows(IDNO) && shows(IDCANCEL)) buttons = MB_YESNOCANCEL;
  else if (shows(IDYES) && shows(IDNO)) buttons = MB_YESNO;
  else if (shows(IDRETRY) && shows(IDCANCEL)) buttons = MB_RETRYCANCEL;
  else if (shows(IDOK) && shows(IDCANCEL)) buttons = MB_OKCANCEL;
  else buttons = MB_OK;
  // The icon is read from the screen: two readings in a row must agree, so
  // that a box read while something still paints over it (a folder window
  // of Wine's shell closing, a busy machine) is read again.
  std::string iconDiagnostic;
  std::uint32_t icon = uidriver::MessageBoxIcon(box, &iconDiagnostic);
  for (int attempt = 0; attempt < 4; ++attempt) {
    ::Sleep(100);
    const std::uint32_t again = uidriver::MessageBoxIcon(box, &iconDiagnostic);
    if (again == icon) break;
    icon = again;
  }
  if (std::getenv("UIDRIVER_DEBUG")) {
    std::fprintf(stderr, "uidriver: box icon %u (%s)\n", icon, iconDiagnostic.c_str());
  }
  std::uint32_t flags = buttons | icon;

  std::string error;
  const Statement* st = user_.TakeBox(caption, text, flags, &error);
  if (!st) {
    ShotOfWindow(box, "unexpected-box");
    Fail(error);
    return false;
  }
  int answer = scenario::BoxAnswer(*st);
  Record(scenario::FormatBox(OwnerName(box), flags, caption, text, answer));
  ShotOfWindow(box, "box");
  for (const Action& a : st->actions) {
    if (a.kind == ActionKind::kInsert && !Insert(a)) return false;
  }
  HWND button = ::GetDlgItem(box, answer);
  if (!button) {
    Fail(scenario::Where(scenario_, *st) + ": the box has no button for the answer");
    return false;
  }
  ::PostMessageA(button, BM_CLICK, 0, 0);
  info.handled = true;
  return true;
}

bool Driver::HandleOurDialog(WindowInfo& info, int templateId) {
  HWND dialog = info.hwnd;
  bool modal = ::GetPropA(dialog, kDialogModalProperty) != nullptr;
  if (!modal) {
    Record(scenario::FormatWindow(templateId, OwnerName(dialog), info.title));
    ShotOfWindow(dialog, "window-" + std::to_string(templateId));
    if (templateId == kBackgroundTemplate && !backgroundShot_) {
      backgroundShot_ = true;
      ShotOfScreen("screen");
    }
    info.handled = true;
    return true;
  }
  // A modal dialog: the next statement must be for it, unless it is busy
  // with a timer (it then ends by itself) or a window of its own is up.
  // A statement still running its actions holds it back, unless its click
  // is what opened this dialog.
  if (active_.statement && !active_.waitingForSend) return false;
  const Statement* next = user_.Next();
  if (next && next->kind == Kind::kDialog && next->dialogId == templateId) {
    if (active_.statement) suspended_.push_back(active_);
    active_ = Active{};
    active_.statement = user_.Take();
    active_.dialog = dialog;
    active_.templateId = templateId;
    info.handled = true;
    Progress();
    return true;
  }
  if (::GetPropA(dialog, kTimersProperty) != nullptr || !::IsWindowEnabled(dialog)) return false;
  std::string error;
  user_.TakeDialog(templateId, &error);
  ShotOfWindow(dialog, "unexpected-dialog-" + std::to_string(templateId));
  Fail(error);
  return false;
}

// Returns false when later windows must wait for this one.
bool Driver::HandleWindow(WindowInfo& info) {
  if (info.handled) return true;
  if (::GetTickCount() - info.firstSeen < options_.settleMs) return false;
  int templateId = TemplateOf(info.hwnd);
  if (templateId != 0) return HandleOurDialog(info, templateId);
  if (IsMessageBox(info.hwnd)) return HandleMessageBox(info);
  std::string title;
  ReadText(info.hwnd, &title);
  ShotOfWindow(info.hwnd, "unexpected-window");
  Fail("unexpected window: class " + ClassOf(info.hwnd) + " title " +
       text::Quote(text::Cp1252ToUtf8(title)) + "; " + user_.DescribeNext());
  return false;
}

// The text of a list box item of another process, in Windows-1252. The
// wide call: an ANSI LB_GETTEXT across processes is not converted back by
// Wine when the list keeps its strings in Unicode (the file dialog's
// lists), and arrives as its first character only. False for an item
// that cannot be read or is longer than any item here can be.
bool ListItemText(HWND list, int index, std::string* out) {
  DWORD_PTR length = 0;
  if (!::SendMessageTimeoutW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0, SMTO_ABORTIFHUNG,
                             kSendTimeoutMs, &length) ||
      static_cast<LRESULT>(length) == LB_ERR || length > 4096) {
    return false;
  }
  std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1, L'\0');
  DWORD_PTR got = 0;
  if (!::SendMessageTimeoutW(list, LB_GETTEXT, static_cast<WPARAM>(index),
                             reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                             kSendTimeoutMs, &got) ||
      static_cast<LRESULT>(got) == LB_ERR || got > length) {
    return false;
  }
  const int wide = static_cast<int>(got);
  int bytes = ::WideCharToMultiByte(1252, 0, buffer.data(), wide, nullptr, 0, nullptr, nullptr);
  out->assign(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
  if (bytes > 0) {
    ::WideCharToMultiByte(1252, 0, buffer.data(), wide, out->data(), bytes, nullptr, nullptr);
  }
  return true;
}

// A dialog statement for a dialog that is already open: a modeless one
// (its leading wait conditions then hold back its actions), or a modal one
// that stays open after an earlier statement (a message box was answered,
// a browser closed) and can take input again: visible, enabled (no box of
// its own up) and not busy with a timer. A modal dialog seen for the first
// time gets its statement in HandleOurDialog.
void Driver::StartStatementOnOpenDialog() {
  if (active_.statement) return;
  const Statement* next = user_.Next();
  if (!next || next->kind != Kind::kDialog) return;
  HWND target = nullptr;
  std::uint64_t latest = 0;
  for (auto& [hwnd, info] : windows_) {
    if (info.gone || !info.handled || TemplateOf(hwnd) != next->dialogId) continue;
    if (::GetPropA(hwnd, kDialogModalProperty)) {
      if (!::IsWindowVisible(hwnd) || !::IsWindowEnabled(hwnd) ||
          ::GetPropA(hwnd, kTimersProperty) != nullptr) {
        continue;
      }
    }
    if (!target || info.order > latest) {
      target = hwnd;
      latest = info.order;
    }
  }
  if (!target) return;
  active_ = Active{};
  active_.statement = user_.Take();
  active_.dialog = target;
  active_.templateId = next->dialogId;
  Progress();
}

void Driver::StepActive() {
  if (!active_.statement) return;
  const Statement& st = *active_.statement;
  if (active_.waitingForSend) {
    if (!*active_.sendDone) return;
    active_.waitingForSend = false;
    Progress();
  }
  while (active_.next < st.actions.size()) {
    if (!::IsWindow(active_.dialog)) {
      const Action& a = st.actions[active_.next];
      if (a.kind == ActionKind::kWait) {
        Fail(scenario::Where(scenario_, st) + ": dialog " + std::to_string(active_.templateId) +
             " went away before '" + a.written + "' held");
      } else {
        Fail(scenario::Where(scenario_, st) + ": dialog " + std::to_string(active_.templateId) +
             " went away before the action '" + a.written + "'");
      }
      return;
    }
    const Action& a = st.actions[active_.next];
    if (a.kind != ActionKind::kWait && !active_.recorded) {
      std::vector<std::pair<int, std::string>> controls;
      for (int id : st.readControls) controls.emplace_back(id, ReadControl(active_.dialog, id));
      std::string title;
      ReadText(active_.dialog, &title);
      Record(scenario::FormatDialog(active_.templateId, OwnerName(active_.dialog), title, controls, st));
      ShotOfWindow(active_.dialog, "dialog-" + std::to_string(active_.templateId));
      active_.recorded = true;
    }
    switch (a.kind) {
      case ActionKind::kWait: {
        HWND control = ::GetDlgItem(active_.dialog, a.control);
        if (!control) {
          Fail(scenario::Where(scenario_, st) + ": dialog " + std::to_string(active_.templateId) +
               " has no control " + std::to_string(a.control));
          return;
        }
        if (!scenario::WaitHolds(a, ControlState(control))) return;  // again at the next poll
        ShotOfScreen("wait-" + std::to_string(active_.templateId));
        Progress();
        break;
      }
      case ActionKind::kSet: {
        HWND control = ::GetDlgItem(active_.dialog, a.control);
        if (!control) {
          Fail(scenario::Where(scenario_, st) + ": dialog " + std::to_string(active_.templateId) +
               " has no control " + std::to_string(a.control));
          return;
        }
        std::string text = text::Utf8ToCp1252(a.text);
        if (a.shortPath) {
          // The alias Windows gives the path here (Wine hashes them).
          char alias[MAX_PATH];
          DWORD n = ::GetShortPathNameA(text.c_str(), alias, MAX_PATH);
          if (n == 0 || n >= MAX_PATH) {
            Fail(scenario::Where(scenario_, st) + ": no 8.3 alias of " + a.text);
            return;
          }
          text = alias;
        }
        DWORD_PTR result = 0;
        ::SendMessageTimeoutA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                              SMTO_ABORTIFHUNG, kSendTimeoutMs, &result);
        Progress();
        break;
      }
      case ActionKind::kPress: {
        HWND control = ::GetDlgItem(active_.dialog, a.control);
        if (!control) {
          Fail(scenario::Where(scenario_, st) + ": dialog " + std::to_string(active_.templateId) +
               " has no control " + std::to_string(a.control));
          return;
        }
        if (!::IsWindowEnabled(control)) {
          Fail(scenario::Where(scenario_, st) + ": control " + std::to_string(a.control) +
               " of dialog " + std::to_string(active_.templateId) + " is disabled");
          return;
        }
        // The click runs in the program; the next action waits until it has
        // been handled (a message box it raises is answered meanwhile).
        sendFlags_.push_back(false);
        active_.sendDone = &sendFlags_.back();
        active_.waitingForSend = true;
        ++active_.next;
        if (!::SendMessageCallbackA(control, BM_CLICK, 0, 0, SendDone,
                                    reinterpret_cast<ULONG_PTR>(active_.sendDone))) {
          Fail("could not click control " + std::to_string(a.control));
        }
        Progress();
        return;
      }
      case ActionKind::kDblClick:
        if (!DoubleClick(st, a)) return;
        Progress();
        break;
      case ActionKind::kOpen: {
        // A double click on a list item: select it, then the list's
        // double-click notification to the dialog, as the list sends it.
        HWND control = ::GetDlgItem(active_.dialog, a.control);
        if (!control) {
          Fail(scenario::Where(scenario_, st) + ": dialog " + std::to_string(active_.templateId) +
               " has no control " + std::to_string(a.control));
          return;
        }
        const std::string wanted = text::Utf8ToCp1252(a.text);
        DWORD_PTR count = 0;
        ::SendMessageTimeoutA(control, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &count);
        int found = -1;
        std::string items;
        for (int i = 0; i < static_cast<int>(count) && i < 10000; ++i) {
          std::string item;
          if (!ListItemText(control, i, &item)) continue;
          items += (items.empty() ? "" : ", ") + item;
          if (item == wanted && found < 0) found = i;
        }
        if (found < 0) {
          Fail(scenario::Where(scenario_, st) + ": '" + a.written +
               "': the list holds no such item (it holds " + text::Cp1252ToUtf8(items) + ")");
          return;
        }
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutA(control, LB_SETCURSEL, static_cast<WPARAM>(found), 0,
                              SMTO_ABORTIFHUNG, kSendTimeoutMs, &ignored);
        sendFlags_.push_back(false);
        active_.sendDone = &sendFlags_.back();
        active_.waitingForSend = true;
        ++active_.next;
        if (!::SendMessageCallbackA(active_.dialog, WM_COMMAND,
                                    MAKEWPARAM(a.control, LBN_DBLCLK),
                                    reinterpret_cast<LPARAM>(control), SendDone,
                                    reinterpret_cast<ULONG_PTR>(active_.sendDone))) {
          Fail("could not open an item of control " + std::to_string(a.control));
        }
        Progress();
        return;
      }
      case ActionKind::kKey: {
        // The key as the keyboard delivers it: down and up, posted to the
        // control with the focus in the program's thread (the dialog when
        // none has it), where the dialog's message loop turns it into the
        // dialog manager's command.
        GUITHREADINFO thread{};
        thread.cbSize = sizeof thread;
        HWND target = active_.dialog;
        DWORD threadId = ::GetWindowThreadProcessId(active_.dialog, nullptr);
        if (::GetGUIThreadInfo(threadId, &thread) && thread.hwndFocus &&
            (thread.hwndFocus == active_.dialog || ::IsChild(active_.dialog, thread.hwndFocus))) {
          target = thread.hwndFocus;
        }
        const WPARAM vk = a.key == scenario::Key::kEnter ? VK_RETURN : VK_ESCAPE;
        const UINT scan = ::MapVirtualKeyA(static_cast<UINT>(vk), 0);
        const LPARAM down = 1 | static_cast<LPARAM>(scan << 16);
        const LPARAM up = down | (static_cast<LPARAM>(1) << 30) | (static_cast<LPARAM>(1) << 31);
        // The focus may move on meanwhile: then to the dialog itself.
        bool posted = ::PostMessageA(target, WM_KEYDOWN, vk, down);
        if (!posted && target != active_.dialog) {
          target = active_.dialog;
          posted = ::PostMessageA(target, WM_KEYDOWN, vk, down);
        }
        // The key-down may have closed the dialog before the key-up is
        // posted (the program runs meanwhile): the key was pressed.
        if (posted) ::PostMessageA(target, WM_KEYUP, vk, up);
        if (!posted) {
          Fail("could not press '" + a.written + "' (error " + std::to_string(::GetLastError()) +
               ")");
          return;
        }
        Progress();
        break;
      }
      case ActionKind::kInsert:
        if (!Insert(a)) return;
        break;
      case ActionKind::kAnswer:
        Fail(scenario::Where(scenario_, st) + ": a box answer in a dialog statement");
        return;
    }
    ++active_.next;
  }
  if (!active_.recorded && ::IsWindow(active_.dialog)) {
    std::vector<std::pair<int, std::string>> controls;
    for (int id : st.readControls) controls.emplace_back(id, ReadControl(active_.dialog, id));
    std::string title;
    ReadText(active_.dialog, &title);
    Record(scenario::FormatDialog(active_.templateId, OwnerName(active_.dialog), title, controls, st));
    ShotOfWindow(active_.dialog, "dialog-" + std::to_string(active_.templateId));
  }
  active_ = Active{};
  if (!suspended_.empty()) {
    active_ = suspended_.back();
    suspended_.pop_back();
  }
}

// A double click on a list entry, as the list box reports it: the entry
// (found without regard to case, as LB_FINDSTRINGEXACT finds it) is
// selected, then the dialog gets LBN_SELCHANGE and LBN_DBLCLK.
bool Driver::DoubleClick(const Statement& st, const Action& a) {
  std::string where = scenario::Where(scenario_, st) + ": ";
  HWND list = ::GetDlgItem(active_.dialog, a.control);
  std::vector<std::string> entries;
  if (!list || !ReadListEntries(list, &entries)) {
    Fail(where + "dialog " + std::to_string(active_.templateId) + " has no list box " +
         std::to_string(a.control));
    return false;
  }
  if (!::IsWindowEnabled(list)) {
    Fail(where + "control " + std::to_string(a.control) + " of dialog " +
         std::to_string(active_.templateId) + " is disabled");
    return false;
  }
  std::string wanted = text::Utf8ToCp1252(a.text);
  int index = -1;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (text::EqualsIgnoreCase(entries[i], wanted)) {
      index = static_cast<int>(i);
      break;
    }
  }
  if (index < 0) {
    Fail(where + "list " + std::to_string(a.control) + " of dialog " +
         std::to_string(active_.templateId) + " has no entry " + text::Quote(a.text) +
         " (it holds " + text::Quote(text::Cp1252ToUtf8(scenario::JoinListEntries(entries))) + ")");
    return false;
  }
  DWORD_PTR result = 0;
  ::SendMessageTimeoutA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0, SMTO_ABORTIFHUNG,
                        kSendTimeoutMs, &result);
  for (WORD code : {static_cast<WORD>(LBN_SELCHANGE), static_cast<WORD>(LBN_DBLCLK)}) {
    ::SendMessageTimeoutA(active_.dialog, WM_COMMAND,
                          MAKEWPARAM(static_cast<WORD>(a.control), code),
                          reinterpret_cast<LPARAM>(list), SMTO_ABORTIFHUNG, kSendTimeoutMs,
                          &result);
  }
  return true;
}

std::string Driver::Fingerprint() {
  std::string f;
  for (auto& [hwnd, info] : windows_) {
    if (info.gone) continue;
    char h[32];
    std::snprintf(h, sizeof h, "%p:", static_cast<void*>(hwnd));
    f += h + StoredText(hwnd);
    for (HWND c = ::GetWindow(hwnd, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
      f += "|" + StoredText(c);
    }
    f += "\n";
  }
  return f;
}

void Driver::Poll() {
  DWORD now = ::GetTickCount();
  std::vector<HWND> visible = ProcessWindows();
  for (auto& [hwnd, info] : windows_) {
    if (!info.gone && std::find(visible.begin(), visible.end(), hwnd) == visible.end() &&
        !::IsWindow(hwnd)) {
      info.gone = true;
    }
  }
  for (HWND w : visible) {
    auto it = windows_.find(w);
    if (it == windows_.end() || it->second.gone) {
      WindowInfo info;
      info.hwnd = w;
      info.firstSeen = now;
      info.order = nextOrder_++;
      info.title = CaptionOf(w);
      windows_[w] = info;
      Progress();
    }
  }
  // Windows in the order they appeared; a window not yet settled holds back
  // those after it.
  std::vector<WindowInfo*> order;
  for (auto& [hwnd, info] : windows_) {
    if (!info.gone && std::find(visible.begin(), visible.end(), hwnd) != visible.end()) {
      order.push_back(&info);
    }
  }
  std::sort(order.begin(), order.end(),
            [](const WindowInfo* a, const WindowInfo* b) { return a->order < b->order; });
  for (WindowInfo* info : order) {
    if (failed_) return;
    if (!HandleWindow(*info)) break;
  }
  if (failed_) return;
  StartStatementOnOpenDialog();
  StepActive();
  std::string fingerprint = Fingerprint();
  if (fingerprint != lastFingerprint_) {
    lastFingerprint_ = fingerprint;
    Progress();
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
    if (!StartHelper("uninstaller.exe --remove " + text::Utf8ToCp1252(run.keyPath))) return false;
    return WaitForStartedProgram("by the uninstall entry '" + run.keyPath +
                                 "' (Wine's uninstaller runs only an entry with a DisplayName "
                                 "and an UninstallString)");
  }
  if (run.kind == Kind::kStart) {
    std::string link = ProgramsFolder() + "\\" + text::Utf8ToCp1252(run.text) + "\\" +
                       text::Utf8ToCp1252(run.caption) + ".lnk";
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
  std::string commandLine = text::Utf8ToCp1252(run.text);
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
      std::string what = active_.statement
                             ? scenario::Where(scenario_, *active_.statement) + ": '" +
                                   active_.statement->source + "' did not complete"
                             : user_.DescribeNext();
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
  if (!failed_ && active_.statement) {
    Fail(scenario::Where(scenario_, *active_.statement) + ": the program ended before '" +
         active_.statement->source + "' completed");
  }
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
  while (!failed_ && user_.TakeFollow()) {
    if (!WaitForStartedProgram("by the program that ended")) break;
    DriveProgram();
  }
  if (!failed_ && !user_.Done()) {
    Fail("the program ended with statements left:\n" + user_.UnusedError());
  }
  std::fclose(transcript_);
  return failed_ ? 1 : 0;
}

int Usage() {
  std::fprintf(stderr,
               "usage: uidriver --scenario FILE --transcript FILE [--shots DIR] [--program FILE]\n"
               "                [--timeout SECONDS] [--settle MILLISECONDS]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
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
  if (s.run.kind == Kind::kRun && s.run.text.empty()) {
    std::fprintf(stderr, "uidriver: %s has no run statement\n", options.scenarioPath.c_str());
    return 2;
  }
  Driver driver(options, s);
  return driver.Run();
}
