// The qic117 and Zemaqwnt driver services of Windows NT, and the tape
// configuration reset, on the simulated machine.
#include <gtest/gtest.h>

#include <string>

#include "support/system_machine.h"
#include "system/services.h"
#include "system/tape_config.h"

namespace integration {
namespace {

using testsupport::SystemMachine;
const std::string kQicFile = "C:\\windows\\SYSTEM32\\DRIVERS\\qic117.sys";
const std::string kZemaFile = "C:\\windows\\SYSTEM32\\DRIVERS\\ZEMAQWNT.SYS";
const std::string kServices = "HKLM\\SYSTEM\\CurrentControlSet\\Services\\";

void RegisterDriver(SystemMachine& m, const std::string& name) {
  ASSERT_EQ(m.services.Register(name, platform::service::kKernelDriver, 1,
                                "System32\\DRIVERS\\" + name + ".sys"),
            0u);
  m.registry.SetString(kServices + name + "\\Parameters", "x", "1");
}

TEST(Qic117Service, NothingAskedWithoutDriverFileOrService) {
  struct Case {
    const char* name;
    bool file, service;
  } cases[] = {{"neither", false, false}, {"service only", false, true}, {"file only", true, false}};
  for (const Case& c : cases) {
    SystemMachine m(true);
    if (c.file) m.files.PutFile(kQicFile, "sys");
    if (c.service) RegisterDriver(m, "qic117");
    EXPECT_EQ(DisableQic117Service(m.state), Qic117Result::kNothingDone) << c.name;
    EXPECT_TRUE(m.ui.boxes.empty()) << c.name;
    EXPECT_EQ(m.services.IsRegistered("qic117"), c.service) << c.name;
    EXPECT_EQ(m.services.OpenHandleCount(), 0u) << c.name;
  }
}

TEST(Qic117Service, OkRemovesServiceAndKeyButKeepsTheFile) {
  SystemMachine m(true);
  m.files.PutFile(kQicFile, "sys");
  RegisterDriver(m, "qic117");
  ASSERT_TRUE(m.services.IsRunning("qic117"));
  m.ui.answers = {platform::answer::kOk};
  EXPECT_EQ(DisableQic117Service(m.state), Qic117Result::kRemoved);
  ASSERT_EQ(m.ui.boxes.size(), 1u);
  EXPECT_EQ(m.ui.boxes[0].caption, "System Check");
  EXPECT_EQ(m.ui.boxes[0].flags, platform::mb::kOkCancel | platform::mb::kIconInformation);
  EXPECT_FALSE(m.services.IsRegistered("qic117"));
  EXPECT_FALSE(m.registry.KeyExists(kServices + "qic117"));
  EXPECT_TRUE(m.Exists(kQicFile));
  EXPECT_EQ(m.services.OpenHandleCount(), 0u);
}

TEST(Qic117Service, CancelEndsWithExitingAndTouchesNothing) {
  SystemMachine m(true);
  m.files.PutFile(kQicFile, "sys");
  RegisterDriver(m, "qic117");
  m.ui.answers = {platform::answer::kCancel};
  EXPECT_EQ(DisableQic117Service(m.state), Qic117Result::kUserRefused);
  ASSERT_EQ(m.ui.boxes.size(), 2u);
  EXPECT_EQ(m.ui.boxes[1].caption, "Exiting");
  EXPECT_EQ(m.ui.boxes[1].text, "Setup must exit because your qic117 tape driver is still enabled.");
  EXPECT_EQ(m.ui.boxes[1].flags, platform::mb::kOk | platform::mb::kIconInformation);
  EXPECT_TRUE(m.services.IsRunning("qic117"));
  EXPECT_TRUE(m.registry.KeyExists(kServices + "qic117\\Parameters"));
  EXPECT_EQ(m.services.OpenHandleCount(), 0u);
}

TEST(ZemaqwntService, RemovedWithKeyAndFileOnlyWhenTheFileIsThere) {
  for (bool file : {false, true}) {
    SystemMachine m(true);
    if (file) m.files.PutFile(kZemaFile, "sys");
    RegisterDriver(m, "Zemaqwnt");
    RemoveZemaqwntService(m.state);
    EXPECT_EQ(m.services.IsRegistered("Zemaqwnt"), !file);
    EXPECT_EQ(m.registry.KeyExists(kServices + "Zemaqwnt"), !file);
    EXPECT_FALSE(m.Exists(kZemaFile));
    EXPECT_TRUE(m.ui.boxes.empty());
    EXPECT_EQ(m.services.OpenHandleCount(), 0u);
  }
}

TEST(StopAndDelete, ResultsOfTheServiceManager) {
  SystemMachine m(true);
  RegisterDriver(m, "Zemaqwnt");
  platform::ServiceHandle manager = 0;
  ASSERT_EQ(m.services.OpenSCManager(platform::kScManagerAllAccess, &manager), 0u);
  EXPECT_FALSE(StopAndDeleteService(m.services, manager, "NoSuchService"));
  // A second handle keeps the marked service until it is closed.
  platform::ServiceHandle other = 0;
  ASSERT_EQ(m.services.OpenService(manager, "Zemaqwnt", platform::kServiceAllAccess, &other), 0u);
  EXPECT_TRUE(StopAndDeleteService(m.services, manager, "Zemaqwnt"));
  EXPECT_TRUE(m.services.IsRegistered("Zemaqwnt"));
  EXPECT_EQ(m.services.DeleteService(other), platform::err::kServiceMarkedForDelete);
  m.services.CloseServiceHandle(other);
  EXPECT_FALSE(m.services.IsRegistered("Zemaqwnt"));
  m.services.CloseServiceHandle(manager);

  SystemMachine win95(false);
  EXPECT_EQ(win95.services.OpenSCManager(platform::kScManagerAllAccess, &manager),
            platform::err::kCallNotImplemented);
}

TEST(TapeConfiguration, ResetOnlyForAnEarlierConfigurationAndYes) {
  struct Case {
    const char* name;
    const char* drives;  // null: no key
    const char* ifc;
    int answer;
    TapeConfigResult result;
    bool asked;
    bool zemax;
  } cases[] = {
      {"first installation", nullptr, "QIC", 0, TapeConfigResult::kNoEarlierConfiguration, false, false},
      {"dummy value", "dummy drive", "QIC", 0, TapeConfigResult::kNoEarlierConfiguration, false, false},
      {"empty value", "", "QIC", 0, TapeConfigResult::kNoEarlierConfiguration, false, false},
      {"No keeps it", "QIC-80", "QIC", platform::answer::kNo, TapeConfigResult::kKept, true, false},
      {"Yes, QIC", "QIC-80", "QIC", platform::answer::kYes, TapeConfigResult::kReset, true, true},
      {"Yes, SCSI", "DAT", "SCSI", platform::answer::kYes, TapeConfigResult::kReset, true, false},
  };
  for (const Case& c : cases) {
    SystemMachine m(false);
    m.state.installDir = "C:\\TAPE";
    m.state.values.ifc = c.ifc;
    m.files.MakeDirectories("C:\\TAPE");
    std::string halvorn = "C:\\TAPE\\HALVORN.INI";
    std::string zemax = "C:\\TAPE\\ZEMAX.INI";
    if (c.drives) m.profile.WriteString("Tape Drive Setup", "tape drives", c.drives, halvorn);
    if (c.answer) m.ui.answers = {c.answer};
    EXPECT_EQ(WriteTapeConfiguration(m.state), c.result) << c.name;
    ASSERT_EQ(m.ui.boxes.size(), c.asked ? 1u : 0u) << c.name;
    if (c.asked) {
      EXPECT_EQ(m.ui.boxes[0].text,
                "A previous installation exists.\nDo you want the tape drive to be reconfigured?");
      EXPECT_EQ(m.ui.boxes[0].flags, platform::mb::kYesNo | platform::mb::kIconQuestion);
    }
    bool reset = c.result == TapeConfigResult::kReset;
    EXPECT_EQ(m.profile.GetString("Misc. Options", "run auto test", "-", 16, halvorn),
              reset ? "ON" : "-") << c.name;
    if (reset) {
      EXPECT_EQ(m.profile.GetString("Tape Drive Setup", "tape drives", "-", 16, halvorn), "");
    }
    EXPECT_EQ(m.Exists(zemax), c.zemax) << c.name;
    if (c.zemax) {
      EXPECT_EQ(m.profile.GetString("Tape Configuration (initial settings)", "interface type", "-",
                                    16, zemax), "unknown");
      EXPECT_EQ(m.profile.GetString("Tape Configuration (initial settings)", "find qic", "-", 16,
                                    zemax), "OFF");
    }
  }
}

}  // namespace
}  // namespace integration
