// Conflicting driver lines of SYSTEM.INI commented out after a backup; the
// file is never left half written.
#include <gtest/gtest.h>

#include <string>

#include "support/system_machine.h"
#include "system/system_ini.h"

namespace integration {
namespace {

using testsupport::SystemMachine;
const std::string kIni = "C:\\windows\\SYSTEM.INI";
const std::string kComment = "; The following line was commented out by Halvorn+ Setup\r\n";

TEST(SystemIniLines, WhichLinesAreCommentedOut) {
  struct Case {
    const char* name;
    std::string in;
    std::string out;
    std::string list;
  } cases[] = {
      {"no driver", "[386Enh]\r\ndevice=*vpicd\r\n", "[386Enh]\r\ndevice=*vpicd\r\n", ""},
      {"driver in lower case with a path", "device=c:\\windows\\system\\zemabkp.386\r\n",
       kComment + ";device=c:\\windows\\system\\zemabkp.386\r\n", "ZEMABKP.386\n"},
      {"already a comment, indented", " \t;device=DCVXD.386\r\n", " \t;device=DCVXD.386\r\n", ""},
      {"two names: the table decides", "device=MNSTD.386 CMSWTAPE.386\r\n",
       kComment + ";device=MNSTD.386 CMSWTAPE.386\r\n", "CMSWTAPE.386\n"},
      {"same driver twice", "a=DCVXD.386\r\nb=dcvxd.386\r\n",
       kComment + ";a=DCVXD.386\r\n" + kComment + ";b=dcvxd.386\r\n", "DCVXD.386\nDCVXD.386\n"},
      {"no final line end", "x\r\ndevice=MNSTD.386", "x\r\n" + kComment + ";device=MNSTD.386",
       "MNSTD.386\n"},
      {"NUL bytes kept", std::string("a\0b=MNSTD.386\r\n", 15),
       kComment + ";" + std::string("a\0b=MNSTD.386\r\n", 15), "MNSTD.386\n"},
      {"line longer than 255 characters stays one line",
       "device=" + std::string(300, 'x') + "CMSWTAPE.386\r\n",
       kComment + ";device=" + std::string(300, 'x') + "CMSWTAPE.386\r\n", "CMSWTAPE.386\n"},
      {"bare LF line end kept", "device=MNSTD.386\n", kComment + ";device=MNSTD.386\n",
       "MNSTD.386\n"},
  };
  for (const Case& c : cases) {
    DriverDeactivation d = CommentOutDriverLines(c.in, "The following line was commented out by Halvorn+ Setup");
    EXPECT_EQ(d.content, c.out) << c.name;
    EXPECT_EQ(d.driverList, c.list) << c.name;
  }
}

TEST(SystemIniLines, DriverListStopsAtItsCapacity) {
  std::string in;
  for (int i = 0; i < 40; ++i) in += "device=CMSWTAPE.386\r\n";
  DriverDeactivation d = CommentOutDriverLines(in, "c");
  EXPECT_EQ(d.lines, 40u);
  EXPECT_LE(d.driverList.size(), kDriverListCapacity);
  EXPECT_EQ(d.driverList.size(), 19u * 13u);
}

TEST(SystemIni, DriverLinesCommentedAfterNumberedBackup) {
  SystemMachine m(false);
  std::string original = "[386Enh]\r\ndevice=C:\\WINDOWS\\SYSTEM\\ZEMABKP.386\r\n";
  m.files.PutFile(kIni, original);
  m.files.PutFile("C:\\windows\\SYSTEM.000", "older");
  m.files.PutFile("C:\\windows\\SYSTEM.001", "old");
  EXPECT_EQ(DeactivateSystemIniDrivers(m.state), SystemIniResult::kChanged);
  EXPECT_EQ(m.Read(kIni), "[386Enh]\r\n" + kComment + ";device=C:\\WINDOWS\\SYSTEM\\ZEMABKP.386\r\n");
  EXPECT_EQ(m.Read("C:\\windows\\SYSTEM.002"), original);
  EXPECT_EQ(m.Read("C:\\windows\\SYSTEM.000"), "older");
  EXPECT_EQ(m.Read("C:\\windows\\SYSTEM.001"), "old");
  EXPECT_FALSE(m.Exists("C:\\windows\\SYSINI.$$$"));
  ASSERT_EQ(m.ui.boxes.size(), 1u);
  EXPECT_EQ(m.ui.boxes[0].caption, "Note");
  EXPECT_EQ(m.ui.boxes[0].text,
            "The following drivers have been deactivated in\nyour SYSTEM.INI file to avoid "
            "conflicts with Halvorn+:\n\nZEMABKP.386\n\n\nA backup of your original SYSTEM.INI "
            "file has been saved as:\nC:\\windows\\SYSTEM.002\n");
  EXPECT_EQ(m.ui.boxes[0].flags, platform::mb::kOk | platform::mb::kIconInformation);
  EXPECT_EQ(m.files.OpenHandleCount(), 0u);

  // A second run finds only comments.
  EXPECT_EQ(DeactivateSystemIniDrivers(m.state), SystemIniResult::kUnchanged);
  EXPECT_FALSE(m.Exists("C:\\windows\\SYSTEM.003"));
}

// Nothing changes, and nothing is said, whenever SYSTEM.INI cannot be
// rewritten completely.
TEST(SystemIni, UnchangedCases) {
  struct Case {
    const char* name;
    bool present;
    std::string content;
    bool readOnly;
    std::uint64_t freeSpace;  // 0: unlimited
    bool backupRemains;
  } cases[] = {
      {"no SYSTEM.INI", false, "", false, 0, false},
      {"no driver line", true, "[boot]\r\nshell=Explorer.exe\r\n", false, 0, false},
      {"read-only", true, "device=MNSTD.386\r\n", true, 0, false},
  };
  for (const Case& c : cases) {
    SystemMachine m(false);
    if (c.present) m.files.PutFile(kIni, c.content);
    if (c.readOnly) m.files.SetFileAttributes(kIni, platform::attr::kReadOnly);
    if (c.freeSpace) m.files.SetFreeSpace('C', c.freeSpace);
    EXPECT_EQ(DeactivateSystemIniDrivers(m.state), SystemIniResult::kUnchanged) << c.name;
    EXPECT_EQ(m.Exists(kIni), c.present) << c.name;
    if (c.present) {
      EXPECT_EQ(m.Read(kIni), c.content) << c.name;
    }
    EXPECT_EQ(m.Exists("C:\\windows\\SYSTEM.000"), c.backupRemains) << c.name;
    if (c.backupRemains) {
      EXPECT_EQ(m.Read("C:\\windows\\SYSTEM.000"), c.content) << c.name;
    }
    EXPECT_FALSE(m.Exists("C:\\windows\\SYSINI.$$$")) << c.name;
    EXPECT_TRUE(m.ui.boxes.empty()) << c.name;
    EXPECT_EQ(m.files.OpenHandleCount(), 0u) << c.name;
  }
}

// Driver lines found, but the backup or the new content cannot be written:
// SYSTEM.INI keeps its content, no backup is left (one identical to the
// unchanged file was once left behind, and nothing said), and the user is
// told which file could not be written.
TEST(SystemIni, FailedWritesLeaveNoBackupAndAreReported) {
  struct Case {
    const char* name;
    std::uint64_t freeSpace;
    const char* shownPath;
  } cases[] = {
      {"disk too full for the backup", 4, "C:\\windows\\SYSTEM.000"},
      {"disk too full for the new content", 30, "C:\\windows\\SYSTEM.INI"},
  };
  const std::string content = "device=MNSTD.386\r\n";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SystemMachine m(false);
    m.files.PutFile(kIni, content);
    m.files.SetFreeSpace('C', c.freeSpace);
    EXPECT_EQ(DeactivateSystemIniDrivers(m.state), SystemIniResult::kFailed);
    EXPECT_EQ(m.Read(kIni), content);
    EXPECT_FALSE(m.Exists("C:\\windows\\SYSTEM.000"));
    EXPECT_FALSE(m.Exists("C:\\windows\\SYSINI.$$$"));
    ASSERT_EQ(m.ui.boxes.size(), 1u);
    EXPECT_EQ(m.ui.boxes[0].caption, "Program error");
    EXPECT_EQ(m.ui.boxes[0].text, std::string("There was an error writing a file.\n") + c.shownPath);
    EXPECT_EQ(m.files.OpenHandleCount(), 0u);
  }
}

// Replacing fails after the old file was deleted (the way of Windows 95):
// the original content comes back, the backup goes, the user is told.
class FailingRename : public sim::SimFiles {
 public:
  std::uint32_t MoveFile(const std::string&, const std::string&) override { return 5; }
};

TEST(SystemIni, FailedReplaceRestoresTheOriginal) {
  SystemMachine m(false);
  FailingRename files;
  files.MapDrive('C', m.files.drives().at('C'));
  platform::Machine machine{m.system, files, m.profile, m.registry, m.lz, m.ui, m.dde, m.versions,
                            m.services};
  setup::SetupState state(machine);
  state.windowsDir = "C:\\windows";
  std::string original = "device=DCVXD.386\r\n";
  m.files.PutFile(kIni, original);
  EXPECT_EQ(DeactivateSystemIniDrivers(state), SystemIniResult::kFailed);
  EXPECT_EQ(m.Read(kIni), original);
  EXPECT_FALSE(m.Exists("C:\\windows\\SYSTEM.000"));
  EXPECT_FALSE(m.Exists("C:\\windows\\SYSINI.$$$"));
  ASSERT_EQ(m.ui.boxes.size(), 1u);
  EXPECT_EQ(m.ui.boxes[0].text, "There was an error writing a file.\nC:\\windows\\SYSTEM.INI");
}

}  // namespace
}  // namespace integration
