// How a run starts: platform, source directory and mode from the program's
// name and command line.
#pragma once

#include <string>
#include <vector>

#include "setup/state.h"

namespace setup {

// The switches of an unattended run. Each file switch takes the next word
// of the command line (in double quotes when it holds blanks).
struct Switches {
  bool silent = false;      // /s: no window at all
  std::string answersPath;  // /answers "<file>": the response file
  std::string recordPath;   // /record "<file>": where an interactive run writes its answers
  std::string logPath;      // /log "<file>": the plain-text log of the run
  // Switches that are not setup's (an old shortcut's, an autorun line's),
  // in command-line order. A run with windows ignores them (its log names
  // them); a silent run refuses them, since a mistyped switch must not
  // install with defaults.
  std::vector<std::string> unknown;
  bool Any() const {
    return silent || !answersPath.empty() || !recordPath.empty() || !logPath.empty();
  }
};

struct StartInfo {
  Mode mode = Mode::kInstall;
  std::string sourceDir;
  std::string uninstallDir;  // restart mode only
  bool commandLineRefused = false;  // "/restart" without a usable directory
  Switches switches;
  // Not empty when the arguments hold a file switch without its file or
  // with one too long, a switch given twice, or, with /s, a switch the
  // program does not know: the run ends before anything is changed.
  std::string switchProblem;
};

// Reads the unattended-run switches from the arguments (ArgumentPart).
// Switch names are compared without regard to case. A word containing
// "/restart" and the quoted directory after it belong to the restart mode
// and are passed over; words that are not switches are ignored, as they
// always were. A switch the program does not know goes to out->unknown; it
// is a problem only when /s is given too. Returns the problem, or an empty
// text.
std::string ParseSwitches(const std::string& args, Switches* out);

// The arguments of a command line: what follows the program name (quoted or
// not), with the separating blanks.
std::string ArgumentPart(const std::string& commandLine);

// Cuts a program path or command line to its directory: at the last
// backslash or colon, the separator removed; ":" appended when no colon
// remains ("A:\SETUP.EXE" -> "A:", "C:\DISK1\SETUP.EXE" -> "C:\DISK1").
std::string CutToDirectory(const std::string& path);

// Source directory and mode. On Windows NT the source is the module file
// name, elsewhere the whole command line less a leading double quote.
StartInfo AnalyseStart(bool windowsNt, const std::string& moduleFileName,
                       const std::string& commandLine);

// The proposed install directory: "ProgramFilesDir" (or the system drive)
// and the default folder name of the setup language.
void SetDefaultInstallDir(SetupState& state);

// The default program group name ("... - QIC" or "... - SCSI" for Halvorn).
std::string DefaultGroupName(SetupState& state);

}  // namespace setup
