// Conflicting tape drivers in SYSTEM.INI: every line that loads one of
// four known driver files is turned into a comment, after a numbered
// backup of the file, and the user is told.
//
// SYSTEM.INI is the user's system configuration, so it is never rewritten
// in place: the new content goes to a file of its own, which then replaces
// SYSTEM.INI in one step. Whatever fails, SYSTEM.INI holds either its old
// content or the complete new one.
#pragma once

#include <cstddef>
#include <string>

#include "setup/state.h"

namespace integration {

enum class SystemIniResult {
  kUnchanged = 0,  // nothing to do, or SYSTEM.INI could not be read (it is left alone)
  kChanged = 1,    // lines were commented out; the user has been told, Windows must restart
  // Driver lines were found, but the backup or the new SYSTEM.INI could not
  // be written: SYSTEM.INI is unchanged, no backup is left, the conflicting
  // drivers stay active, and the user has been told (the write error with
  // the file's path).
  kFailed = 2,
};

// Capacity of the list of deactivated drivers shown to the user; names
// that would not fit are left out of the message (their lines are still
// commented out).
inline constexpr std::size_t kDriverListCapacity = 255;
// A file larger than this is not a SYSTEM.INI; it is left alone.
inline constexpr std::size_t kMaxSystemIniSize = 16u << 20;

// What commenting out the driver lines of a SYSTEM.INI gives.
struct DriverDeactivation {
  std::string content;     // the new file content
  std::string driverList;  // one name and "\n" per commented line, in file order
  std::size_t lines = 0;   // lines commented out
};

// Lines are taken whole, whatever their length, with their own line end
// (CR LF, LF or none for the last); every byte, NUL included, is kept. A
// line whose first non-blank character is ";" is never touched. Each
// deactivated line is preceded by "; " + commentText + CR LF and written
// back behind a ";".
DriverDeactivation CommentOutDriverLines(const std::string& content,
                                         const std::string& commentText);

// The first backup name of the series SYSTEM.000, SYSTEM.001, ... that does
// not exist in the Windows directory; empty when none could be found.
std::string FreeSystemIniBackupName(platform::FileSystem& files, const std::string& windowsDir);

SystemIniResult DeactivateSystemIniDrivers(setup::SetupState& state);

// A stopped installation: SYSTEM.INI gets back the content this run's
// backup holds, and the backup goes (moved back). True when there was
// nothing to do or it was done.
bool RestoreSystemIni(setup::SetupState& state);

}  // namespace integration
