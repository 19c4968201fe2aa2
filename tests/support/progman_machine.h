// A machine with the simulated Program Manager and message boxes that are
// recorded, for tests of the Program Manager client. Everything else does
// nothing.
#pragma once

#include <string>
#include <vector>

#include "platform/sim/sim_progman.h"
#include "setup/state.h"
#include "fake_ui.h"
#include "null_machine.h"

namespace testsupport {

struct ProgmanMachine {
  ProgmanMachine() {
    state.windowsDir = "C:\\WINDOWS";
    state.installDir = "C:\\TAPE";
    state.groupName = "Halvorn+ for Windows 95 - QIC";
    state.productName = "Halvorn";
    state.schedulerInstalled = true;
    state.backgroundWindow = kBackground;
  }
  static constexpr platform::WindowHandle kBackground = 0xB6;

  NullParts parts;
  FakeUi ui;
  sim::SimProgman progman;
  platform::Machine machine{parts, parts, parts, parts, parts, ui, progman};
  setup::SetupState state{machine};
};

}  // namespace testsupport
