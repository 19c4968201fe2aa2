// The tape driver services of Windows NT: the conflicting qic117 driver
// removed at installation (with the user's consent), and the product's own
// Zemaqwnt driver removed at uninstallation.
#pragma once

#include <string>

#include "platform/machine.h"
#include "setup/state.h"

namespace integration {

enum class Qic117Result {
  kNothingDone = 0,     // no qic117.sys, or no such service
  kRemoved = 1,         // stopped and deleted: Windows must restart
  kUserRefused = 2,     // "Exiting" has been shown; setup ends at once
};

// Opens `name` with all access, sends it the stop control without waiting
// and deletes it. True when it was deleted.
bool StopAndDeleteService(platform::Services& services, platform::ServiceHandle manager,
                          const std::string& name);

// Asks before removing the qic117 service and its key; the driver file
// stays. Only for Windows NT and the QIC interface.
Qic117Result DisableQic117Service(setup::SetupState& state);

// Removes the Zemaqwnt service, its key and its driver file, when the
// driver file is there. Only for Windows NT and the QIC interface.
void RemoveZemaqwntService(setup::SetupState& state);

}  // namespace integration
