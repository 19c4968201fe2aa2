// The uninstall entry, the access check, the group name read back and the
// removal of the product's keys, on the simulated registry.
#include <gtest/gtest.h>

#include <string>

#include "support/system_machine.h"
#include "system/registry.h"

namespace integration {
namespace {

using testsupport::SystemMachine;
const std::string kUninstall = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

std::string Value(SystemMachine& m, const std::string& key, const std::string& name) {
  std::uint32_t type = 0;
  std::string data = "(none)";
  if (m.registry.GetValueAt(key, name, &type, &data) != 0) return "(none)";
  return data;
}

void PutEntry(SystemMachine& m, const std::string& number, const std::string& group) {
  m.registry.SetString(kUninstall + "\\Dastrel" + number, "GroupName", group);
}

// A registry that refuses to create or open the Uninstall key, as Windows
// NT does for a user who may not write the machine's software keys.
class DenyingRegistry : public sim::SimRegistry {
 public:
  std::uint32_t CreateKey(platform::RegKey root, const std::string& subkey, std::uint32_t access,
                          platform::RegKey* out, std::uint32_t* disposition) override {
    if (Denied(subkey)) {
      *out = 0;
      return platform::err::kAccessDenied;
    }
    return SimRegistry::CreateKey(root, subkey, access, out, disposition);
  }
  std::uint32_t OpenKey(platform::RegKey root, const std::string& subkey, std::uint32_t access,
                        platform::RegKey* out) override {
    if (Denied(subkey)) {
      *out = 0;
      return platform::err::kAccessDenied;
    }
    return SimRegistry::OpenKey(root, subkey, access, out);
  }

 private:
  static bool Denied(const std::string& subkey) {
    return sim::FoldCase(subkey).rfind(sim::FoldCase(kUninstallKey), 0) == 0;
  }
};

TEST(RegistryEntry, FirstInstallationCreatesEntryZeroWithThreeValues) {
  SystemMachine m(false);
  m.state.entryNumber = "zz";  // poison
  EXPECT_EQ(RegisterUninstallEntry(m.state), EntryResult::kWritten);
  EXPECT_EQ(m.state.entryNumber, "00");
  std::string key = kUninstall + "\\Dastrel00";
  EXPECT_EQ(Value(m, key, "DisplayName"), "Halvorn+");
  EXPECT_EQ(Value(m, key, "GroupName"), "Halvorn+");
  EXPECT_EQ(Value(m, key, "UninstallString"), "\"C:\\Program Files\\Halvorn+\\UNINSTAL.EXE\"");
  EXPECT_EQ(Value(m, key, "QuietUninstallString"),
            "\"C:\\Program Files\\Halvorn+\\UNINSTAL.EXE\" /s");
  EXPECT_TRUE(m.ui.boxes.empty());
  EXPECT_EQ(m.registry.OpenHandleCount(), 0u);
}

TEST(RegistryEntry, UninstallCommandIsQuotedOnlyWithABlank) {
  struct Case {
    const char* dir;
    const char* command;
  } cases[] = {
      {"C:\\TAPE", "C:\\TAPE\\UNINSTAL.EXE"},
      {"C:\\Program Files\\Halvorn+", "\"C:\\Program Files\\Halvorn+\\UNINSTAL.EXE\""},
      {"D:\\A B\\C", "\"D:\\A B\\C\\UNINSTAL.EXE\""},
  };
  for (const Case& c : cases) EXPECT_EQ(UninstallCommand(c.dir), c.command) << c.dir;
}

TEST(RegistryEntry, SameGroupReusesItsNumberAndRewritesOnlyTheCommand) {
  SystemMachine m(false);
  PutEntry(m, "00", "Other");
  PutEntry(m, "01", "Halvorn+");
  m.registry.SetString(kUninstall + "\\Dastrel01", "DisplayName", "kept as it is");
  m.state.installDir = "C:\\TAPE";
  EXPECT_EQ(RegisterUninstallEntry(m.state), EntryResult::kWritten);
  EXPECT_EQ(m.state.entryNumber, "01");
  EXPECT_EQ(Value(m, kUninstall + "\\Dastrel01", "DisplayName"), "kept as it is");
  EXPECT_EQ(Value(m, kUninstall + "\\Dastrel01", "UninstallString"), "C:\\TAPE\\UNINSTAL.EXE");
  EXPECT_FALSE(m.registry.KeyExists(kUninstall + "\\Dastrel02"));
}

// Which number a new installation of the group "Halvorn+" gets, by what
// the existing entries hold.
TEST(RegistryEntry, NumberChosenByExistingEntries) {
  struct Case {
    const char* name;
    std::vector<std::pair<std::string, std::string>> entries;  // number, GroupName
    const char* expected;
  } cases[] = {
      {"group differing in case only", {{"00", "HALVORN+"}}, "01"},
      {"gap at 01", {{"00", "A"}, {"02", "B"}}, "01"},
      {"group longer than 128 bytes", {{"00", std::string(200, 'x')}}, "01"},
      {"group of exactly 127 bytes is ours when equal", {{"00", "Halvorn+"}}, "00"},
  };
  for (const Case& c : cases) {
    SystemMachine m(false);
    for (const auto& [number, group] : c.entries) PutEntry(m, number, group);
    EXPECT_EQ(RegisterUninstallEntry(m.state), EntryResult::kWritten) << c.name;
    EXPECT_EQ(m.state.entryNumber, c.expected) << c.name;
    EXPECT_EQ(Value(m, kUninstall + "\\Dastrel" + c.expected, "GroupName"), "Halvorn+") << c.name;
  }
}

TEST(RegistryEntry, GroupNameOfAnotherTypeOrWithoutTerminatorTakesThePartsPath) {
  struct Case {
    const char* name;
    const char* value;  // REGEDIT4 data of GroupName
    const char* expected;
  } cases[] = {
      {"a DWORD", "dword:00000001", "01"},
      {"binary bytes of the same text", "hex:48,61,6c,76,6f,72,6e,2b,00", "01"},
      {"a string stored without its terminator", "hex(1):48,61,6c,76,6f,72,6e,2b", "00"},
      {"a string with bytes after its terminator", "hex(1):48,61,6c,76,6f,72,6e,2b,00,41", "00"},
      {"an empty string", "\"\"", "01"},
  };
  for (const Case& c : cases) {
    SystemMachine m(false);
    std::string error;
    ASSERT_TRUE(m.registry.Import("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows"
                                  "\\CurrentVersion\\Uninstall\\Dastrel00]\r\n\"GroupName\"=" +
                                      std::string(c.value) + "\r\n",
                                  &error))
        << c.name << ": " << error;
    EXPECT_EQ(RegisterUninstallEntry(m.state), EntryResult::kWritten) << c.name;
    EXPECT_EQ(m.state.entryNumber, c.expected) << c.name;
  }
}

TEST(RegistryEntry, AllNinetyNineNumbersTakenWritesNothing) {
  SystemMachine m(false);
  for (int i = 0; i < kEntryNumbers; ++i) {
    char n[8];
    std::snprintf(n, sizeof n, "%02d", i);
    PutEntry(m, n, "Other " + std::to_string(i));
  }
  EXPECT_EQ(RegisterUninstallEntry(m.state), EntryResult::kNotWritten);
  EXPECT_EQ(m.state.entryNumber, "99");
  EXPECT_FALSE(m.registry.KeyExists(kUninstall + "\\Dastrel99"));
  EXPECT_EQ(m.registry.OpenHandleCount(), 0u);
}

TEST(RegistryEntry, UninstallKeyThatCannotBeOpenedIsReportedAndLeavesXx) {
  SystemMachine m(true);
  DenyingRegistry denying;
  platform::Machine machine{m.system, m.files, m.profile, denying, m.lz, m.ui, m.dde, m.versions,
                            m.services};
  setup::SetupState state(machine);
  state.windowsNt = true;
  state.groupName = "Halvorn+";
  EXPECT_EQ(RegisterUninstallEntry(state), EntryResult::kWritten);
  EXPECT_EQ(state.entryNumber, "xx");
  ASSERT_EQ(m.ui.boxes.size(), 1u);
  EXPECT_EQ(m.ui.boxes[0].caption, "Note");
  EXPECT_EQ(m.ui.boxes[0].text, "Open / Create Uninstall entry key failed");
  EXPECT_EQ(m.ui.boxes[0].flags, platform::mb::kOk | platform::mb::kIconWarning);

  // The later uninstallation finds no entry "xx" and says so, twice.
  ReadEntryGroupName(state);
  RemoveRegistryEntries(state);
  ASSERT_EQ(m.ui.boxes.size(), 3u);
  EXPECT_EQ(m.ui.boxes[1].text,
            "Open Uninstall/Dastrel registry key failed.\nYour login may not have access to this "
            "uninstall.");
  EXPECT_EQ(state.groupName, "Halvorn+");
}

TEST(RegistryAccess, AllowedOrRefusedWithItsMessage) {
  SystemMachine m(true);
  EXPECT_EQ(CheckRegistryAccess(m.state), AccessResult::kAllowed);
  EXPECT_TRUE(m.registry.KeyExists(kUninstall));
  EXPECT_TRUE(m.ui.boxes.empty());

  DenyingRegistry denying;
  platform::Machine machine{m.system, m.files, m.profile, denying, m.lz, m.ui, m.dde, m.versions,
                            m.services};
  setup::SetupState state(machine);
  state.windowsNt = true;
  EXPECT_EQ(UpdateRegistryEntries(state, RegistryOperation::kCheckAccess), 1);
  ASSERT_EQ(m.ui.boxes.size(), 1u);
  EXPECT_EQ(m.ui.boxes[0].caption, "Exiting Setup");
  EXPECT_EQ(m.ui.boxes[0].text,
            "This software requires that you have logged in as\nADMINISTRATOR or equivalent.");
  EXPECT_EQ(m.ui.boxes[0].flags, platform::mb::kOk | platform::mb::kIconWarning);
}

TEST(RegistryGroupName, ReadFromTheEntryOrReportedWhenMissing) {
  for (bool nt : {false, true}) {
    SystemMachine m(nt);
    PutEntry(m, "03", "Backup Tools");
    m.state.entryNumber = "03";
    m.state.groupName = "poison";
    ReadEntryGroupName(m.state);
    EXPECT_EQ(m.state.groupName, "Backup Tools");
    EXPECT_TRUE(m.ui.boxes.empty());

    m.state.entryNumber = "04";
    ReadEntryGroupName(m.state);
    EXPECT_EQ(m.state.groupName, "Backup Tools");
    ASSERT_EQ(m.ui.boxes.size(), 1u);
    std::string expected = "Open Uninstall/Dastrel registry key failed.\n";
    if (nt) expected += "Your login may not have access to this uninstall.";
    EXPECT_EQ(m.ui.boxes[0].text, expected);
    EXPECT_EQ(m.ui.boxes[0].caption, "Note");
    EXPECT_EQ(m.ui.boxes[0].flags, platform::mb::kOkCancel | platform::mb::kIconWarning);
  }
}

void PutProductKeys(SystemMachine& m) {
  for (const char* key : {"HKLM\\SOFTWARE\\Classes\\.bup", "HKLM\\SOFTWARE\\Classes\\bupfile\\shell\\open",
                          "HKLM\\SOFTWARE\\Classes\\.tpu", "HKLM\\SOFTWARE\\Classes\\TpuScript\\shell",
                          "HKLM\\SOFTWARE\\Brennick\\Halvorn\\1.0"}) {
    m.registry.SetString(key, "", "x");
  }
  m.files.PutFile("C:\\windows\\SYSTEM\\ZEMAQICF.VXD", "vxd");
}

TEST(RegistryRemoval, LastFamilyProductTakesMakerKeyAndDriverFile) {
  for (bool nt : {false, true}) {
    SystemMachine m(nt);
    m.files.MakeDirectories("C:\\windows\\system");
    PutProductKeys(m);
    PutEntry(m, "00", "Halvorn+");
    m.state.entryNumber = "00";
    EXPECT_EQ(UpdateRegistryEntries(m.state, RegistryOperation::kRemoveEntries), 0);
    EXPECT_FALSE(m.registry.KeyExists(kUninstall + "\\Dastrel00")) << nt;
    EXPECT_FALSE(m.registry.KeyExists("HKLM\\SOFTWARE\\Classes\\.bup")) << nt;
    EXPECT_FALSE(m.registry.KeyExists("HKLM\\SOFTWARE\\Classes\\bupfile")) << nt;
    EXPECT_TRUE(m.registry.KeyExists("HKLM\\SOFTWARE\\Classes\\.tpu")) << nt;
    EXPECT_TRUE(m.registry.KeyExists("HKLM\\SOFTWARE\\Classes\\TpuScript")) << nt;
    EXPECT_FALSE(m.registry.KeyExists("HKLM\\SOFTWARE\\Brennick")) << nt;
    EXPECT_FALSE(m.Exists("C:\\windows\\SYSTEM\\ZEMAQICF.VXD")) << nt;
    EXPECT_TRUE(m.ui.boxes.empty());
    EXPECT_EQ(m.registry.OpenHandleCount(), 0u);
  }
}

TEST(RegistryRemoval, AnotherFamilyProductKeepsMakerKeyAndDriverFile) {
  SystemMachine m(true);
  m.files.MakeDirectories("C:\\windows\\system");
  PutProductKeys(m);
  PutEntry(m, "00", "Halvorn+");
  PutEntry(m, "01", "Trevanix");
  m.state.entryNumber = "01";
  m.state.values.prd = "Trevanix";
  RemoveRegistryEntries(m.state);
  EXPECT_FALSE(m.registry.KeyExists(kUninstall + "\\Dastrel01"));
  EXPECT_TRUE(m.registry.KeyExists(kUninstall + "\\Dastrel00"));
  EXPECT_FALSE(m.registry.KeyExists("HKLM\\SOFTWARE\\Classes\\.tpu"));
  EXPECT_FALSE(m.registry.KeyExists("HKLM\\SOFTWARE\\Classes\\TpuScript"));
  EXPECT_TRUE(m.registry.KeyExists("HKLM\\SOFTWARE\\Brennick\\Halvorn\\1.0"));
  EXPECT_TRUE(m.Exists("C:\\windows\\SYSTEM\\ZEMAQICF.VXD"));
}

TEST(RegistryRemoval, MissingEntryIsReportedAndAssociationsStillGo) {
  SystemMachine m(false);
  PutProductKeys(m);
  m.state.entryNumber = "07";
  RemoveRegistryEntries(m.state);
  EXPECT_EQ(m.ui.boxes.size(), 1u);
  EXPECT_FALSE(m.registry.KeyExists("HKLM\\SOFTWARE\\Classes\\.bup"));
  EXPECT_FALSE(m.registry.KeyExists("HKLM\\SOFTWARE\\Brennick"));
}

TEST(RegistryTree, DeletesDeepestFirstAndRefusesAnEmptyPath) {
  SystemMachine m(true);
  m.registry.SetString("HKLM\\SYSTEM\\T\\A\\B\\C", "v", "1");
  m.registry.SetString("HKLM\\SYSTEM\\T\\A\\D", "v", "1");
  m.registry.SetString("HKLM\\SYSTEM\\T2", "v", "1");
  EXPECT_EQ(DeleteRegistryTree(m.registry, platform::hkey::kLocalMachine, ""),
            platform::err::kBadKey);
  EXPECT_TRUE(m.registry.KeyExists("HKLM\\SYSTEM\\T\\A\\B\\C"));
  EXPECT_EQ(DeleteRegistryTree(m.registry, platform::hkey::kLocalMachine, "SYSTEM\\MISSING"),
            platform::err::kFileNotFound);
  EXPECT_EQ(DeleteRegistryTree(m.registry, platform::hkey::kLocalMachine, "SYSTEM\\T"),
            platform::err::kSuccess);
  EXPECT_FALSE(m.registry.KeyExists("HKLM\\SYSTEM\\T"));
  EXPECT_TRUE(m.registry.KeyExists("HKLM\\SYSTEM\\T2"));
  EXPECT_EQ(m.registry.OpenHandleCount(), 0u);
}

TEST(RegistryFamily, EntryNamedDastrelAnywhereCounts) {
  SystemMachine m(false);
  EXPECT_FALSE(FamilyEntryExists(m.registry));  // no Uninstall key at all
  m.registry.SetString(kUninstall + "\\OtherProduct", "x", "1");
  m.registry.SetString(kUninstall + "\\dastrel05", "x", "1");
  EXPECT_FALSE(FamilyEntryExists(m.registry));
  m.registry.SetString(kUninstall + "\\OldDastrel", "x", "1");
  EXPECT_TRUE(FamilyEntryExists(m.registry));
}

}  // namespace
}  // namespace integration
