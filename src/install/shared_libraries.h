// The shared run-time libraries the product ships: each is brought into
// the system directory without ever replacing a newer copy there, the copy
// it replaces is kept under a numbered name, and a copy in use is replaced
// when Windows next starts.
#pragma once

#include <cstdint>
#include <string>

#include "platform/machine.h"
#include "setup/state.h"

namespace install {

enum class SharedLibrariesResult {
  kDone = 0,           // nothing is left for the restart
  kCopyFailed = 1,     // a copy failed (reported); setup fails
  kRestartNeeded = 2,  // at least one library is replaced at the next start
};

enum class CopyResult {
  kCopied = 0,
  kSourceNotOpened = 1,       // reported
  kDestinationInUse = 2,      // sharing violation; not reported
  kDestinationNotOpened = 3,  // reported
  kWriteFailed = 4,           // reported
  kReadFailed = 5,            // reported
};

// The libraries, in the order they are handled (with their backslash).
inline constexpr const char* kSharedLibraries[] = {"\\MSVCRT20.DLL", "\\MSVCRT40.DLL",
                                                   "\\MFC40.DLL"};

// A file version as one number: the most significant word above the least.
std::uint64_t VersionNumber(const platform::FileVersion& v);

// 0 and the version, or 1 when the file has no version information
// (*version untouched).
int ReadFileVersion(platform::Versions& versions, const std::string& path, std::uint64_t* version);

// Copies a file through the copy buffer, 5120 bytes at a time. The first
// failing block ends the copy.
CopyResult CopyPlainFile(setup::SetupState& state, const std::string& source,
                         const std::string& destination);

// The install directory with each component in its short (8.3) form (its
// long name when it has no other, or when the file system cannot say).
std::string ShortInstallDirPath(setup::SetupState& state);

// Arranges for `systemCopy` to be replaced by `shippedCopy` at the next
// start of Windows: a [rename] line of WININIT.INI (Windows 95 and 98,
// with the short path of the shipped copy), or MoveFileExA with
// MOVEFILE_DELAY_UNTIL_REBOOT on Windows NT, which has no WININIT.INI.
void ReplaceAtNextStart(setup::SetupState& state, const std::string& systemCopy,
                        const std::string& shippedCopy);

SharedLibrariesResult ReplaceSharedLibraries(setup::SetupState& state);

}  // namespace install
