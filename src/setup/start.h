// How a run starts: platform, source directory and mode from the program's
// name and command line.
#pragma once

#include <string>

#include "setup/state.h"

namespace setup {

struct StartInfo {
  Mode mode = Mode::kInstall;
  std::string sourceDir;
  std::string uninstallDir;  // restart mode only
  bool commandLineRefused = false;  // "/restart" without a usable directory
};

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
