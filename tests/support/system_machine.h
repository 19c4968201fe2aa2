// A simulated machine for tests of the system integration operations: the
// files, profiles, registry, services and version library of the simulated
// machine on a fresh C: drive in a temporary folder, and a user who
// answers message boxes from a list and records them.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/sim/sim_files.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_services.h"
#include "platform/sim/sim_versions.h"
#include "setup/state.h"
#include "fake_ui.h"
#include "null_machine.h"

namespace testsupport {

class SystemMachine {
 public:
  explicit SystemMachine(bool nt) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "_" + info->name();
    for (char& c : name) {
      if (c == '/') c = '_';
    }
    root_ = std::filesystem::path(::testing::TempDir()) / ("system_" + name);
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_ / "C");
    files.MapDrive('C', (root_ / "C").string());
    files.MakeDirectories(nt ? "C:\\windows\\system32\\drivers" : "C:\\windows\\system");
    registry.SetNt(nt);
    services.SetNt(nt);
    state.windowsNt = nt;
    state.windowsDir = "C:\\windows";
    state.installDir = "C:\\Program Files\\Halvorn+";
    state.groupName = "Halvorn+";
    state.values.prd = "Halvorn";
    state.productName = "Halvorn";
  }
  ~SystemMachine() {
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }

  std::string Read(const std::string& path) {
    std::string data;
    EXPECT_EQ(platform::ReadWholeFile(files, path, &data), 0u) << path;
    return data;
  }
  bool Exists(const std::string& path) {
    platform::FileStatus st;
    return files.GetFileStatus(path, &st) == 0;
  }

  NullSystem system;
  NullLz lz;
  sim::SimFiles files;
  sim::SimProfile profile{files, "C:\\windows"};
  sim::SimRegistry registry;
  sim::SimServices services{registry};
  NullDde dde;
  sim::SimVersions versions{files};
  FakeUi ui;
  platform::Machine machine{system, files, profile, registry, lz, ui, dde, versions, services};
  setup::SetupState state{machine};

 private:
  std::filesystem::path root_;
};

}  // namespace testsupport
