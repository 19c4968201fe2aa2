// A test on a simulated machine of its own: a fresh folder named for the
// test (removed again afterwards), the machine opened in it, and a setup
// state for that machine with the Windows directory C:\windows. A test
// class derives from it, calls SetUp first and fills in the rest of the
// state it needs.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "platform/sim/sim_machine.h"
#include "setup/state.h"

namespace testsupport {

class SimStateTest : public ::testing::Test {
 protected:
  // `prefix` names the tests' folders (prefix plus the test's name).
  explicit SimStateTest(std::string prefix) : prefix_(std::move(prefix)) {}

  void SetUp() override {
    dir_ = std::filesystem::path(::testing::TempDir()) /
           (prefix_ + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::string error;
    m_ = sim::SimMachine::Open(dir_.string(), &error);
    ASSERT_TRUE(m_) << error;
    state_ = std::make_unique<setup::SetupState>(m_->machine());
    state_->windowsDir = "C:\\windows";
  }
  void TearDown() override {
    state_.reset();
    m_.reset();
    std::filesystem::remove_all(dir_);
  }

  std::filesystem::path dir_;
  std::unique_ptr<sim::SimMachine> m_;
  std::unique_ptr<setup::SetupState> state_;

 private:
  std::string prefix_;
};

}  // namespace testsupport
