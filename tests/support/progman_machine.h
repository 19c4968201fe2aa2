// A machine with the simulated Program Manager and message boxes that are
// recorded, for tests of the Program Manager client. Everything else does
// nothing.
#pragma once

#include <string>
#include <vector>

#include "platform/sim/sim_progman.h"
#include "setup/state.h"
#include "null_machine.h"

namespace testsupport {

struct ProgmanBox {
  platform::WindowHandle owner;
  std::string text;
  std::string caption;
  std::uint32_t flags;
};

class BoxRecorder : public NullUi {
 public:
  int MessageBox(platform::WindowHandle owner, const std::string& text, const std::string& caption,
                 std::uint32_t flags) override {
    boxes.push_back(ProgmanBox{owner, text, caption, flags});
    return platform::answer::kOk;
  }
  std::vector<ProgmanBox> boxes;
};

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
  BoxRecorder ui;
  sim::SimProgman progman;
  platform::Machine machine{parts, parts, parts, parts, parts, ui, progman};
  setup::SetupState state{machine};
};

}  // namespace testsupport
