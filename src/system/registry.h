// The registry work of setup: the uninstall entry ("Dastrel" + two
// digits), the access check of Windows NT, the group name read back at
// uninstallation, and the removal of the product's keys.
#pragma once

#include <cstdint>
#include <string>

#include "platform/machine.h"
#include "setup/state.h"

namespace integration {

// The operations of UpdateRegistryEntries, by their numbers.
enum class RegistryOperation {
  kRegisterEntry = 0,
  kRemoveEntries = 1,
  kReadGroupName = 2,
  kCheckAccess = 3,
};

// Results of registering the uninstall entry.
enum class EntryResult {
  kWritten = 0,     // written or updated, or the Uninstall key failed (already reported)
  kNotWritten = 1,  // no number free, or the entry could not be created or written
};

// Results of the access check.
enum class AccessResult {
  kAllowed = 0,
  kRefused = 1,  // MSG_ADMIN_REQUIRED has been shown
};

// HKLM key of the system's list of uninstallable software.
inline constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline constexpr int kEntryNumbers = 99;  // "00" to "98"
inline constexpr std::uint32_t kGroupNameCapacity = 128;
// The most bytes of an uninstall command kept to be put back.
inline constexpr std::uint32_t kEntryValueCapacity = 1024;

// Runs one operation and returns its result as a number (0 success).
int UpdateRegistryEntries(setup::SetupState& state, RegistryOperation operation);

// Operation 3, Windows NT only: may the user write the machine's software keys?
AccessResult CheckRegistryAccess(setup::SetupState& state);
// Operation 0: finds the entry of the state's group name or the first free
// number, and writes it. Sets the state's entry number ("xx" while not
// known; "99" when every number is taken).
EntryResult RegisterUninstallEntry(setup::SetupState& state);
// Operation 2: the group name of the entry named by the state's entry
// number; a missing entry is reported and leaves the group name alone.
void ReadEntryGroupName(setup::SetupState& state);
// Operation 1: the entry, the file associations and, when no product of
// the family is left, the maker's key and the shared driver file.
void RemoveRegistryEntries(setup::SetupState& state);

// The UninstallString value for an install directory: the path of
// UNINSTAL.EXE, in double quotes when it holds a blank, so that the
// command line cannot be resolved piece by piece.
std::string UninstallCommand(const std::string& installDir);

// Deletes `path` below the open key `root` with all its subkeys, deepest
// first. Returns 0, the registry error of the first failing step, or 1010
// when `path` is empty (nothing is touched).
std::uint32_t DeleteRegistryTree(platform::Registry& registry, platform::RegKey root,
                                 const std::string& path);

// Whether some subkey of the Uninstall key has "Dastrel" in its name
// (case-sensitive). False also when the Uninstall key cannot be opened.
bool FamilyEntryExists(platform::Registry& registry);

// A stopped installation: the uninstall entry this run created is removed
// (with any subkeys), and the commands this run rewrote in an entry of the
// same group get their earlier values back (the rollback record of the
// setup state says which). False when some of it could not be done.
bool TakeBackUninstallEntry(setup::SetupState& state);

}  // namespace integration
