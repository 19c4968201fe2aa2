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
//   s.run     : the statement that starts the program: `run` (s.run.text is
//               the command line, UTF-8), `remove` or `start` (IsRunKind)
//   s.user    : the user's statements (after it), in order; a `follow`
//               among them starts on the program the one before started
//   ResolveHostPath(s, path): a host path of the scenario, relative to the
//       scenario file's folder.
// The transcript records are made by transcript.h; the order in which the
// user's statements answer windows is kept by ScriptedUser (user.h).
//
// Texts in a Scenario are UTF-8 as written; runners convert them to
// Windows-1252 (text::Utf8ToCp1252) before they type them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace scenario {

enum class Platform { kWin95, kWin98, kNt };

enum class Kind {
  // Machine set-up.
  kPlatform,        // platform
  kDrive,           // drive, letter, hostPath
  kCopy,            // hostPath, windowsPath
  kRegistrySet,     // keyPath, valueName, text
  kRegistryDelete,  // keyPath, valueName
  kRegistryDeleteKey,  // keyPath
  kDiskFree,        // drive, bytes
  kAttrib,          // windowsPath, attributes
  kMkdir,           // windowsPath
  kDeleteFile,      // windowsPath: a file removed before the run
  kLink,            // windowsPath: a link to text (an existing directory or file)
  kRefuseRestart,   // (no fields)
  kRefuseMkdir,     // windowsPath: an existing directory in which creating a directory fails (5)
  kService,         // valueName: the service name, bytes: its type (1 kernel driver, 16 own process), windowsPath: its image
  kHold,            // windowsPath: a file another process holds open
  kDenyKey,         // keyPath: a registry key the user may read but not write
  kGroup,           // text: a program group that exists before the run
  kProgman,         // bytes: 0 Program Manager absent, else every execute fails with this DDE error
  kFail,            // text: the kind of operation (kFailKinds), bytes: which one fails (from 1)
  kRun,             // text: the command line
  kRemove,          // keyPath: an uninstall entry's key name, started as Add/Remove Programs does
  kStart,           // text: a program group, caption: an item of it, started as the shell does
  // The user.
  kBox,             // caption, hasText/text, actions (insert..., answer last)
  kDialog,          // dialogId, readControls, actions
  kFollow,          // the program ended after starting another; the next statements are its
  kEnd,
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

struct Statement {
  Kind kind = Kind::kEnd;
  int line = 0;            // 1-based line in the file
  std::string source;      // the line as written, trimmed

  Platform platform = Platform::kWin95;
  char drive = 0;          // drive letter, upper case
  std::string hostPath;    // as written (see ResolveHostPath)
  std::string windowsPath; // UTF-8
  std::string keyPath;
  std::string valueName;
  std::string text;        // registry text; run: the command line; box: substring of the text; group: its name
  bool hasText = false;    // box: a `text` condition was given
  std::string caption;     // box
  std::uint64_t bytes = 0;       // disk free
  std::uint32_t attributes = 0;  // attrib: platform::attr bits to set
  int dialogId = 0;
  std::vector<int> readControls;
  std::vector<Action> actions;
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
