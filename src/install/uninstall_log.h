// The uninstall log, UNINST.LST in the install directory: one line per file
// the copy engine created or tried to create, each the file's full path
// followed by CR LF, written just before the file is created.
#pragma once

#include <cstdint>
#include <string>

#include "platform/machine.h"
#include "setup/state.h"

namespace install {

constexpr char kUninstallLogName[] = "UNINST.LST";

// The log as the copy engine holds it during its run.
struct UninstallLog {
  platform::FileSystem* files = nullptr;
  platform::FileHandle handle = platform::kInvalidFile;
  std::string path;
  bool IsOpen() const { return handle != platform::kInvalidFile; }
};

// Creates "<installDir>\UNINST.LST" empty, replacing an earlier log.
// Returns 0 or the error number of the failed creation.
std::uint32_t OpenUninstallLog(platform::FileSystem& files, const std::string& installDir,
                               UninstallLog* log);

// Appends the path and a line end. Returns 0, or an error number when the
// line could not be written whole (or the log is not open).
std::uint32_t LogInstalledFile(UninstallLog& log, const std::string& targetPath);

void CloseUninstallLog(UninstallLog& log);

// Deletes every file named in "<uninstall directory>\UNINST.LST" and then
// the log. Lines are read whole, whatever their length, and end at a line
// feed (a carriage return before it is dropped); the last line needs no
// line end, unless reading failed before the end of the log (the
// unfinished line is then passed over). Deletion failures are passed over. A missing log is reported
// with its path and the caption "Can't find file..." and nothing is
// deleted.
//
// The log lies where other users may write, so a line is deleted only when
// it names, as Windows resolves the path (letter case, slashes, doubled
// backslashes, "." and ".." components), a file below the uninstall
// directory, or one the installed SETUP.DAT puts outside it
// (install::IsInstalledOutside: LFNBK.EXE in the Windows directory, a
// ".VXD" file in its SYSTEM directory, each only when its file list
// installs that name). The resolved path is what is deleted; other lines
// are passed over silently.
void RemoveLoggedFiles(setup::SetupState& state);

}  // namespace install
