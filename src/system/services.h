// The tape driver services of Windows NT: the conflicting qic117 driver
// removed at installation (with the user's consent), and the product's own
// Zemaqwnt driver removed at uninstallation.
//
// The installation asks about qic117 early but removes it only once the
// install dialogs are past, and an installation that then stops
// (cancelled or failed) registers it again as it was:
//
//   if (AskToDisableQic117Service(state) == Qic117Result::kUserRefused) ...
//   RemovedService qic117;
//   RemoveQic117Service(state, &qic117);          // after the dialogs
//   if (stopped) RegisterServiceAgain(state, qic117);
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/machine.h"
#include "setup/state.h"

namespace integration {

enum class Qic117Result {
  kNothingDone = 0,     // no qic117.sys, or no such service
  kRemoved = 1,         // stopped and deleted: Windows must restart
  kUserRefused = 2,     // "Exiting" has been shown; setup ends at once
  kAgreed = 3,          // the user agreed; RemoveQic117Service removes it
};

// One key of a service's registry tree as it was read: its path below
// HKEY_LOCAL_MACHINE and its values.
struct SavedRegistryValue {
  std::string name;
  std::uint32_t type = 0;
  std::string data;
};
struct SavedRegistryKey {
  std::string path;
  std::vector<SavedRegistryValue> values;
};

// A service this run removed, as it was registered before: what the
// service manager gave for it and its key with every value and subkey
// (parent first), read before it was deleted.
struct RemovedService {
  std::string name;                 // empty: nothing was removed
  bool configRead = false;          // the manager gave its configuration
  platform::ServiceConfig config;
  std::vector<SavedRegistryKey> keys;
  bool Removed() const { return !name.empty(); }
};

// The most keys and values of one service's tree that are kept (a
// service's key holds a handful; more is not a driver's registration).
constexpr std::size_t kMaxSavedKeys = 64;
constexpr std::size_t kMaxSavedValues = 256;
constexpr int kMaxSavedDepth = 6;

// How RegisterServiceAgain ended.
enum class ReRegistration {
  kNothingRemoved = 0,  // this run removed no service
  kRegistered = 1,      // the manager knows it again; its key is as before
  kKeyWritten = 2,      // the manager refused (a deletion still pending):
                        // the key is written back, so that Windows
                        // registers it at its next start
  kFailed = 3,          // neither could be done
};

// The service's key below HKEY_LOCAL_MACHINE, read with every value and
// subkey, parent first; false when the key does not open.
bool ReadServiceKey(platform::Registry& registry, const std::string& name,
                    std::vector<SavedRegistryKey>* keys);

// Opens `name` with all access, sends it the stop control without waiting
// and deletes it. True when it was deleted.
bool StopAndDeleteService(platform::Services& services, platform::ServiceHandle manager,
                          const std::string& name);

// Asks before removing the qic117 service and its key; the driver file
// stays. Only for Windows NT and the QIC interface. Asks and removes at
// once (AskToDisableQic117Service, then RemoveQic117Service).
Qic117Result DisableQic117Service(setup::SetupState& state);

// The "System Check" question alone: kNothingDone (no qic117.sys or no
// such service, nothing asked), kUserRefused ("Exiting" shown) or kAgreed.
Qic117Result AskToDisableQic117Service(setup::SetupState& state);

// Removes the qic117 service the user agreed to have removed: its
// configuration and key are read into *saved first, then it is stopped,
// deleted and its key deleted. True when it was removed (Windows must
// restart); false when it is not there any more.
bool RemoveQic117Service(setup::SetupState& state, RemovedService* saved);

// Registers a service this run removed again from what was read before:
// through the service manager with its configuration, then its key made
// what it was (the values and subkeys read, nothing else). Logged in a
// silent run.
ReRegistration RegisterServiceAgain(setup::SetupState& state, const RemovedService& saved);

// Removes the Zemaqwnt service, its key and its driver file, when the
// driver file is there. Only for Windows NT and the QIC interface.
void RemoveZemaqwntService(setup::SetupState& state);

}  // namespace integration
