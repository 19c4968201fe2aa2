// The tape configuration of an earlier installation: on the user's word,
// HALVORN.INI and (QIC products) ZEMAX.INI in the install directory are
// reset so that the product configures the tape drive again.
#pragma once

#include "setup/state.h"

namespace integration {

enum class TapeConfigResult {
  kNoEarlierConfiguration = 0,  // nothing asked, nothing changed
  kKept = 1,                    // the user answered No
  kReset = 2,                   // the files were reset
};

TapeConfigResult WriteTapeConfiguration(setup::SetupState& state);

// Whether a "tape drives" value names a configured drive.
bool HasConfiguredDrive(const std::string& tapeDrives);

}  // namespace integration
