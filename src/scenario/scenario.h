// The scenario language: what the machine looks like and what the user does.
//
// docs/scenarios.md is the reference of the language and of the transcript.
// This module is portable C++ (no POSIX, no <windows.h>): both runners use
// it, the simulated machine (tools/simrun) and the Win32 UI driver that
// drives the real program under Wine (tools/uidriver).
//
// API in short:
//   scenario::Scenario s;  std::string error;
//   if (!scenario::LoadScenarioFile("x.scn", &s, &error)) -> error is
//       "x.scn:12: unknown statement 'boks'"
//   s.setup   : machine set-up statements (before `run`), in order
//   s.run     : the statement that starts the program: `run` (its RunStart
//               holds the command line, UTF-8), `remove` or `start` (IsRunKind)
//   s.user    : the user's statements (after it), in order; a `follow`
//               among them starts on the program the one before started
//   ResolveHostPath(s, path): a host path of the scenario, relative to the
//       scenario file's folder.
//   s.after, s.simOnly: the `# after:` and `# sim-only:` marks
// The transcript records are made by transcript.h; the order in which the
// user's statements answer windows is kept by ScriptedUser (user.h); what
// they do is the engine's (engine.h).
//
// Texts in a Scenario are UTF-8 as written; runners convert them to
// Windows-1252 (text::Utf8ToCp1252) before they type them.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace scenario {

enum class Platform { kWin95, kWin98, kNt };

enum class Kind {
  // Machine set-up.
  kPlatform,           // PlatformSetup
  kDrive,              // DriveSetup
  kCopy,               // CopySetup
  kRegistrySet,        // RegistrySetup: key, value name, text
  kRegistryDelete,     // RegistrySetup: key, value name
  kRegistryDeleteKey,  // RegistrySetup: key
  kDiskFree,           // DiskFreeSetup
  kAttrib,             // AttribSetup
  kMkdir,              // PathSetup: a directory created with its parents
  kDeleteFile,         // PathSetup: a file removed before the run
  kLink,               // LinkSetup
  kRefuseRestart,      // (no fields)
  kRefuseMkdir,        // PathSetup: a directory in which creating a directory fails (5)
  kService,            // ServiceSetup
  kHold,               // PathSetup: a file another process holds open
  kDenyKey,            // DenySetup
  kGroup,              // GroupSetup
  kProgman,            // ProgmanSetup
  kFail,               // FailSetup
  kRun,                // RunStart
  kRemove,             // RemoveStart
  kStart,              // StartItem
  // The user.
  kBox,                // BoxStatement, actions (insert..., answer last)
  kDialog,             // DialogStatement, actions
  kFollow,             // (no fields): the program ended after starting another; the next statements are its
  kEnd,                // (no fields)
};

// The kinds of operation a `fail` statement names, as written.
inline constexpr const char* kFailKinds[] = {"write", "read", "registry", "dde", "service", "disk"};

enum class ActionKind { kSet, kPress, kWait, kInsert, kAnswer, kDblClick, kOpen, kKey };

// The keys of the `key` action.
enum class Key { kEnter, kEscape };

// What a `wait` action waits for: a text in the control, or the control
// visible, or enabled.
enum class WaitFor { kText, kVisible, kEnabled };

struct Action {
  ActionKind kind = ActionKind::kPress;
  int control = 0;       // set, press, wait, dblclick, open
  std::string text;      // set, wait: the text (UTF-8); dblclick: the list entry; open: the list item; insert: host folder
  char drive = 0;        // insert: drive letter, upper case
  int answer = 0;        // answer: platform::answer value (1 OK, 2 Cancel, ...)
  Key key = Key::kEnter; // key
  WaitFor waitFor = WaitFor::kText;  // wait
  bool shortPath = false; // set: type the 8.3 alias the machine gives the path in `text`
  std::string written;   // the action as the transcript repeats it
};

// The fields of each statement kind (texts UTF-8 as written; Windows
// paths and key paths unescaped, host paths as written, see
// ResolveHostPath).
struct PlatformSetup {
  Platform platform = Platform::kWin95;
};
struct DriveSetup {
  char drive = 0;  // upper case, never C
  std::string hostPath;
};
struct CopySetup {
  std::string hostPath;
  std::string windowsPath;
};
struct RegistrySetup {
  std::string keyPath;    // HKLM\..., HKCU\..., HKCR\... or HKU\...
  std::string valueName;  // set, delete
  std::string text;       // set: the REG_SZ value
};
struct DiskFreeSetup {
  char drive = 0;
  std::uint64_t bytes = 0;  // free at the start of the run
};
struct AttribSetup {
  std::string windowsPath;
  std::uint32_t attributes = 0;  // platform::attr bits to set
};
struct PathSetup {
  std::string windowsPath;
};
struct LinkSetup {
  std::string windowsPath;  // the link
  std::string target;       // an existing directory or file
};
struct ServiceSetup {
  std::string name;
  std::uint32_t type = 1;  // 1 kernel driver, 16 a service of its own process
  std::string imagePath;
};
struct DenySetup {
  std::string keyPath;  // readable, not writable
};
struct GroupSetup {
  std::string name;  // a program group that exists before the run
};
struct ProgmanSetup {
  std::uint32_t failingError = 0;  // 0: absent; else every command fails with this DDE error
};
struct FailSetup {
  std::string operation;  // one of kFailKinds
  std::uint32_t nth = 0;  // which one fails, from 1
};
struct RunStart {
  std::string commandLine;
};
struct RemoveStart {
  std::string entry;  // a key name below kUninstallKey
};
struct StartItem {
  std::string group;
  std::string item;
};
struct BoxStatement {
  std::string caption;
  bool hasText = false;  // a `text` condition was given
  std::string text;      // a substring of the box's text
};
struct DialogStatement {
  int dialogId = 0;
  std::vector<int> readControls;
};

struct Statement {
  Kind kind = Kind::kEnd;
  int line = 0;            // 1-based line in the file
  std::string source;      // the line as written, trimmed
  // The fields of the kind (see Kind); std::monostate for the kinds
  // without any.
  std::variant<std::monostate, PlatformSetup, DriveSetup, CopySetup, RegistrySetup, DiskFreeSetup,
               AttribSetup, PathSetup, LinkSetup, ServiceSetup, DenySetup, GroupSetup,
               ProgmanSetup, FailSetup, RunStart, RemoveStart, StartItem, BoxStatement,
               DialogStatement>
      fields;
  std::vector<Action> actions;  // box and dialog statements

  // The fields as kind T; an empty T when the statement is of another kind
  // (nothing here throws: the Windows builds have no exceptions).
  template <typename T>
  const T& As() const {
    static const T kEmpty{};
    const T* f = std::get_if<T>(&fields);
    return f != nullptr ? *f : kEmpty;
  }
  template <typename T>
  T& Set() {
    if (std::get_if<T>(&fields) == nullptr) fields = T{};
    return *std::get_if<T>(&fields);
  }
};

struct Scenario {
  std::string fileName;   // as given, used in messages
  std::string baseDir;    // folder of the scenario file ("" for the current one)
  std::vector<Statement> setup;
  Statement run;          // kind kRun, kRemove or kStart
  std::vector<Statement> user;
  bool hasEnd = false;
  int follows = 0;        // `follow` statements among `user`
  // Marks written as comment lines, read by the runner scripts:
  // `# after: <file>`, the scenario that runs first on the same machine
  // (relative to this one's folder, as written; "" when none), and
  // `# sim-only: <reason>` on the first line, a scenario only the simulated
  // machine runs.
  std::string after;
  bool simOnly = false;
  std::string simOnlyReason;
};

// The marks' words: a comment line "#", blanks, then the word.
inline constexpr const char* kAfterMark = "after:";
inline constexpr const char* kSimOnlyMark = "sim-only:";

// Parses scenario text. On failure returns false with *error as
// "<fileName>:<line>: <what is wrong>".
bool ParseScenario(const std::string& text, const std::string& fileName, Scenario* out,
                   std::string* error);

// Whether a statement kind starts the program: `run`, `remove`, `start`.
bool IsRunKind(Kind kind);

// The key below HKLM that holds the uninstall entries `remove` names.
inline constexpr const char* kUninstallKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// Reads and parses a file; baseDir becomes the file's folder.
bool LoadScenarioFile(const std::string& path, Scenario* out, std::string* error);

// A host path of the scenario made usable: absolute paths stay, others are
// taken relative to the scenario's folder. "@..." names (such as
// "@SETUP.EXE", the program under test) are returned unchanged; the runner
// decides what they stand for.
std::string ResolveHostPath(const Scenario& scenario, const std::string& path);

// The scenario a scenario runs after, as a path usable here (relative to
// the scenario's folder); "" when it has no `# after:` mark.
std::string AfterPath(const Scenario& scenario);

// The place of a statement for messages: "file:line".
std::string Where(const Scenario& scenario, const Statement& statement);

// Answer names: "ok" 1, "cancel" 2, "abort" 3, "retry" 4, "ignore" 5,
// "yes" 6, "no" 7. ParseAnswer gives 0 for an unknown name (any case).
const char* AnswerName(int answer);
int ParseAnswer(const std::string& name);

}  // namespace scenario
