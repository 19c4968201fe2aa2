// The qic117 and Zemaqwnt driver services of Windows NT, and the tape
// configuration reset, on the simulated machine.
#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <sstream>
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

// The qic117 key and its subkeys as the registry export holds them, one
// line per key and per value ("<key> <value line>"), sorted as a
// registry editor lists them.
std::string Qic117KeyText(SystemMachine& m) {
  std::set<std::string> lines;
  std::string line, key;
  std::istringstream text(m.registry.Export());
  while (std::getline(text, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '[') {
      std::string upper = line;
      for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      const bool inside =
          upper.rfind("[HKEY_LOCAL_MACHINE\\SYSTEM\\CURRENTCONTROLSET\\SERVICES\\QIC117", 0) == 0;
      key = inside ? line : "";
      if (inside) lines.insert(key);
    } else if (!key.empty() && !line.empty()) {
      lines.insert(key + " " + line);
    }
  }
  std::string out;
  for (const std::string& l : lines) out += l + "\n";
  return out;
}

// A qic117 driver as an administrator may have it: boot-time group, a
// tag, a dependency, a display name, values the manager does not know and
// a subkey with its own.
void RegisterRichQic117(SystemMachine& m, std::uint32_t start) {
  m.files.PutFile(kQicFile, "sys");
  ASSERT_EQ(m.services.Register("qic117", platform::service::kKernelDriver, start,
                                "System32\\DRIVERS\\qic117.sys"),
            0u);
  const std::string key = kServices + "qic117";
  m.registry.SetString(key, "Group", "Extended Base");
  m.registry.SetString(key, "DisplayName", "QIC-117 Tape Driver");
  m.registry.SetString(key + "\\Parameters", "Port", "0x3F0");
  m.registry.SetString(key + "\\Parameters\\Device0", "Drive", "1");
  platform::RegKey k = 0;
  ASSERT_EQ(m.registry.OpenKey(platform::hkey::kLocalMachine, "SYSTEM\\CurrentControlSet\\Services\\qic117",
                               platform::kKeyAllAccess, &k),
            0u);
  m.registry.SetValue(k, "Tag", platform::regtype::kDword, std::string("\x05\0\0\0", 4));
  m.registry.SetValue(k, "DependOnService", platform::regtype::kMultiSz, std::string("Floppy\0ParPort\0\0", 16));
  m.registry.CloseKey(k);
}

TEST(Qic117Service, AskingRemovesNothingUntilTheRemoval) {
  SystemMachine m(true);
  RegisterRichQic117(m, 1);
  const std::string before = Qic117KeyText(m);
  m.ui.answers = {platform::answer::kOk};
  EXPECT_EQ(AskToDisableQic117Service(m.state), Qic117Result::kAgreed);
  ASSERT_EQ(m.ui.boxes.size(), 1u);
  EXPECT_EQ(m.ui.boxes[0].caption, "System Check");
  EXPECT_TRUE(m.services.IsRunning("qic117"));
  EXPECT_EQ(Qic117KeyText(m), before);
  EXPECT_EQ(m.services.OpenHandleCount(), 0u);

  RemovedService saved;
  EXPECT_TRUE(RemoveQic117Service(m.state, &saved));
  EXPECT_FALSE(m.services.IsRegistered("qic117"));
  EXPECT_FALSE(m.registry.KeyExists(kServices + "qic117"));
  EXPECT_EQ(m.services.OpenHandleCount(), 0u);
  // What was read before the deletion.
  ASSERT_TRUE(saved.Removed());
  ASSERT_TRUE(saved.configRead);
  EXPECT_EQ(saved.config.serviceType, platform::service::kKernelDriver);
  EXPECT_EQ(saved.config.startType, 1u);
  EXPECT_EQ(saved.config.binaryPathName, "System32\\DRIVERS\\qic117.sys");
  EXPECT_EQ(saved.config.loadOrderGroup, "Extended Base");
  EXPECT_EQ(saved.config.tagId, 5u);
  EXPECT_EQ(saved.config.dependencies, std::string("Floppy\0ParPort\0", 15));
  EXPECT_EQ(saved.config.displayName, "QIC-117 Tape Driver");
  ASSERT_EQ(saved.keys.size(), 3u);  // the key, Parameters, Parameters\Device0
  EXPECT_EQ(saved.keys[0].path, "SYSTEM\\CurrentControlSet\\Services\\qic117");
}

TEST(Qic117Service, RegisteredAgainExactlyAsBefore) {
  // Demand start (not running), and system start (running, stopped by
  // the removal): either way the key comes back value for value.
  for (std::uint32_t start : {3u, 1u}) {
    SystemMachine m(true);
    RegisterRichQic117(m, start);
    const std::string before = Qic117KeyText(m);
    ASSERT_NE(before.find("Device0"), std::string::npos);
    RemovedService saved;
    m.ui.answers = {platform::answer::kOk};
    ASSERT_EQ(AskToDisableQic117Service(m.state), Qic117Result::kAgreed);
    ASSERT_TRUE(RemoveQic117Service(m.state, &saved));
    ASSERT_EQ(Qic117KeyText(m), "");

    EXPECT_EQ(RegisterServiceAgain(m.state, saved), ReRegistration::kRegistered) << start;
    EXPECT_TRUE(m.services.IsRegistered("qic117")) << start;
    EXPECT_EQ(Qic117KeyText(m), before) << start;
    EXPECT_EQ(m.services.OpenHandleCount(), 0u);
    // The manager knows it as it was.
    platform::ServiceHandle manager = 0, service = 0;
    ASSERT_EQ(m.services.OpenSCManager(platform::kScManagerAllAccess, &manager), 0u);
    ASSERT_EQ(m.services.OpenService(manager, "qic117", platform::kServiceAllAccess, &service), 0u);
    platform::ServiceConfig now;
    ASSERT_EQ(m.services.QueryServiceConfig(service, &now), 0u);
    EXPECT_EQ(now.startType, start);
    EXPECT_EQ(now.dependencies, saved.config.dependencies);
    m.services.CloseServiceHandle(service);
    m.services.CloseServiceHandle(manager);
  }
}

TEST(Qic117Service, KeyWrittenBackWhereTheManagerRefuses) {
  SystemMachine m(true);
  RegisterRichQic117(m, 3);
  const std::string before = Qic117KeyText(m);
  RemovedService saved;
  m.ui.answers = {platform::answer::kOk};
  ASSERT_EQ(AskToDisableQic117Service(m.state), Qic117Result::kAgreed);
  ASSERT_TRUE(RemoveQic117Service(m.state, &saved));
  // Another service of the name now holds the manager's entry, marked for
  // deletion and kept by an open handle: CreateService answers 1072.
  ASSERT_EQ(m.services.Register("qic117", platform::service::kKernelDriver, 3, "other.sys"), 0u);
  platform::ServiceHandle manager = 0, other = 0;
  ASSERT_EQ(m.services.OpenSCManager(platform::kScManagerAllAccess, &manager), 0u);
  ASSERT_EQ(m.services.OpenService(manager, "qic117", platform::kServiceAllAccess, &other), 0u);
  ASSERT_EQ(m.services.DeleteService(other), 0u);
  platform::ServiceHandle made = 0;
  EXPECT_EQ(m.services.CreateService(manager, "qic117", saved.config, platform::kServiceAllAccess, &made),
            platform::err::kServiceMarkedForDelete);

  EXPECT_EQ(RegisterServiceAgain(m.state, saved), ReRegistration::kKeyWritten);
  m.services.CloseServiceHandle(other);
  m.services.CloseServiceHandle(manager);
  // The deletion mark went with the rest of what was not there before.
  EXPECT_EQ(Qic117KeyText(m), before);
  EXPECT_TRUE(m.services.IsRegistered("qic117"));
}

TEST(Qic117Service, NothingRegisteredWhenNothingWasRemoved) {
  SystemMachine m(true);
  m.files.PutFile(kQicFile, "sys");
  RemovedService saved;
  EXPECT_FALSE(RemoveQic117Service(m.state, &saved));  // no such service
  EXPECT_FALSE(saved.Removed());
  EXPECT_EQ(RegisterServiceAgain(m.state, saved), ReRegistration::kNothingRemoved);
  EXPECT_FALSE(m.services.IsRegistered("qic117"));
  EXPECT_FALSE(m.registry.KeyExists(kServices + "qic117"));
}

TEST(ServiceManager, CreateServiceRefusesAnExistingNameAndBadInput) {
  SystemMachine m(true);
  RegisterDriver(m, "qic117");
  platform::ServiceHandle manager = 0, made = 0;
  ASSERT_EQ(m.services.OpenSCManager(platform::kScManagerAllAccess, &manager), 0u);
  platform::ServiceConfig config;
  config.serviceType = platform::service::kKernelDriver;
  config.startType = 3;
  config.binaryPathName = "x.sys";
  EXPECT_EQ(m.services.CreateService(manager, "QIC117", config, platform::kServiceAllAccess, &made),
            platform::err::kServiceExists);
  EXPECT_EQ(made, platform::kNoService);
  EXPECT_EQ(m.services.CreateService(manager, "bad\\name", config, platform::kServiceAllAccess, &made),
            platform::err::kInvalidParameter);
  config.binaryPathName.clear();
  EXPECT_EQ(m.services.CreateService(manager, "fresh", config, platform::kServiceAllAccess, &made),
            platform::err::kInvalidParameter);
  EXPECT_FALSE(m.services.IsRegistered("fresh"));
  m.services.CloseServiceHandle(manager);
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
