// The shared run-time libraries brought up to date by file version, on the
// simulated machine with version resources read from PE images.
#include <gtest/gtest.h>

#include <string>

#include "install/rollback.h"
#include "install/shared_libraries.h"
#include "platform/sim/sim_versions.h"
#include "support/pe_image.h"
#include "support/system_machine.h"

namespace install {
namespace {

using testsupport::PeImageWithVersion;
using testsupport::SystemMachine;

const std::string kSys = "C:\\windows\\SYSTEM\\";
const std::string kDir = "C:\\Program Files\\Halvorn+\\";
const std::string kOld = PeImageWithVersion(0x00040000, 0x00000001);  // 4.0.0.1
const std::string kNew = PeImageWithVersion(0x00040000, 0x00020000);  // 4.0.2.0
constexpr std::uint64_t kPoison = 0xA5A5A5A5A5A5A5A5ull;

TEST(FileVersion, ReadFromThePeImage) {
  SystemMachine m(false);
  m.files.PutFile("C:\\A.DLL", PeImageWithVersion(0x00020003, 0x00040005));
  std::uint64_t v = kPoison;
  EXPECT_EQ(ReadFileVersion(m.versions, "C:\\A.DLL", &v), 0);
  EXPECT_EQ(v, 0x0002000300040005ull);
}

TEST(FileVersion, NoVersionInformationLeavesTheOutputAlone) {
  std::string noSignature = kNew;
  testsupport::PutU32(noSignature, testsupport::kVersionInfoOffset + 40, 0x12345678);
  std::string badPeOffset = kNew;
  testsupport::PutU32(badPeOffset, 0x3C, 0xFFFFFFF0u);
  std::string loopingDirectory = kNew;
  testsupport::PutU32(loopingDirectory, testsupport::kRsrcFileOffset + 0x2C, 0x80000000u);
  struct Case {
    const char* name;
    std::string data;
  } cases[] = {
      {"text file", "just text"},
      {"empty file", ""},
      {"no fixed part signature", noSignature},
      {"PE offset past the end", badPeOffset},
      {"directory pointing back to the root", loopingDirectory},
      {"cut inside the version resource", kNew.substr(0, testsupport::kVersionInfoOffset + 50)},
  };
  for (const Case& c : cases) {
    SystemMachine m(false);
    m.files.PutFile("C:\\A.DLL", c.data);
    std::uint64_t v = kPoison;
    EXPECT_EQ(ReadFileVersion(m.versions, "C:\\A.DLL", &v), 1) << c.name;
    EXPECT_EQ(v, kPoison) << c.name;
  }
  SystemMachine m(false);
  std::uint64_t v = kPoison;
  EXPECT_EQ(ReadFileVersion(m.versions, "C:\\MISSING.DLL", &v), 1);
  EXPECT_EQ(v, kPoison);
}

TEST(FileVersion, EveryTruncationOfAnImageIsSafe) {
  for (std::size_t n = 0; n < kNew.size(); ++n) {
    sim::VersionResource r;
    std::uint32_t e = sim::ReadVersionResource(kNew.substr(0, n), &r);
    EXPECT_TRUE(e != 0 || !r.hasFixed || r.fileVersion.ls == 0x00020000) << n;
  }
}

TEST(ShortPath, InstallDirectoryInShortForm) {
  SystemMachine m(false);
  m.files.MakeDirectories("C:\\Program Files\\Halvorn+\\Sub");
  m.state.installDir = "C:\\Program Files\\Halvorn+\\Sub";
  EXPECT_EQ(ShortInstallDirPath(m.state), "C:\\PROGRA~1\\HALVOR~1\\Sub");
  m.state.installDir = "C:\\Program Files\\Missing dir";
  EXPECT_EQ(ShortInstallDirPath(m.state), "C:\\PROGRA~1\\Missing dir");
}

struct Libraries {
  SystemMachine m;
  explicit Libraries(bool nt) : m(nt) {
    m.files.MakeDirectories(kDir);
    m.files.MakeDirectories("C:\\windows\\SYSTEM");
  }
  void Ship(const std::string& name, const std::string& data) { m.files.PutFile(kDir + name, data); }
  void Have(const std::string& name, const std::string& data) { m.files.PutFile(kSys + name, data); }
};

TEST(SharedLibraries, NothingShippedTouchesNothing) {
  Libraries r(false);
  r.Have("MFC40.DLL", kOld);
  EXPECT_EQ(ReplaceSharedLibraries(r.m.state), SharedLibrariesResult::kDone);
  EXPECT_EQ(r.m.Read(kSys + "MFC40.DLL"), kOld);
  EXPECT_FALSE(r.m.Exists(kSys + "MFC40.000"));
}

// One library, by what the system directory holds and the versions.
TEST(SharedLibraries, OneLibraryByVersion) {
  const std::string none = "no version information";
  struct Case {
    const char* name;
    bool nt;
    std::string system;   // empty: absent
    std::string shipped;
    std::string systemAfter;
    bool shippedKept;
    bool backup;
  } cases[] = {
      {"system copy missing: moved", false, "", kNew, kNew, false, false},
      {"same version: shipped deleted", false, kNew, kNew, kNew, false, false},
      {"system newer: shipped deleted", false, kNew, kOld, kNew, false, false},
      {"shipped newer: replaced after backup", false, kOld, kNew, kNew, false, true},
      {"Windows NT: both stay", true, kOld, kNew, kOld, true, false},
      {"system without version: replaced", false, none, kNew, kNew, false, true},
      {"shipped without version: kept out", false, kOld, none, kOld, false, false},
      {"neither has a version: left", false, none, none + "!", none, false, false},
  };
  for (const Case& c : cases) {
    Libraries r(c.nt);
    std::string sys = c.nt ? "C:\\windows\\SYSTEM32\\" : kSys;
    if (!c.system.empty()) r.m.files.PutFile(sys + "MSVCRT40.DLL", c.system);
    r.Ship("MSVCRT40.DLL", c.shipped);
    EXPECT_EQ(ReplaceSharedLibraries(r.m.state), SharedLibrariesResult::kDone) << c.name;
    EXPECT_EQ(r.m.Read(sys + "MSVCRT40.DLL"), c.systemAfter) << c.name;
    EXPECT_EQ(r.m.Exists(kDir + "MSVCRT40.DLL"), c.shippedKept) << c.name;
    EXPECT_EQ(r.m.Exists(sys + "MSVCRT40.000"), c.backup) << c.name;
    if (c.backup) {
      EXPECT_EQ(r.m.Read(sys + "MSVCRT40.000"), c.system) << c.name;
    }
    EXPECT_TRUE(r.m.ui.boxes.empty()) << c.name;
    EXPECT_EQ(r.m.files.OpenHandleCount(), 0u) << c.name;
  }
}

TEST(SharedLibraries, OneBackupCounterForTheRun) {
  Libraries r(false);
  for (const char* name : {"MSVCRT20", "MSVCRT40"}) {
    r.Have(std::string(name) + ".DLL", kOld);
    r.Ship(std::string(name) + ".DLL", kNew);
  }
  r.Have("MSVCRT20.000", "taken");
  r.Have("MSVCRT20.001", "taken");
  EXPECT_EQ(ReplaceSharedLibraries(r.m.state), SharedLibrariesResult::kDone);
  EXPECT_EQ(r.m.Read(kSys + "MSVCRT20.002"), kOld);
  EXPECT_EQ(r.m.Read(kSys + "MSVCRT40.000"), kOld);
  EXPECT_EQ(r.m.Read(kSys + "MSVCRT20.000"), "taken");
}

TEST(SharedLibraries, LibrariesInUseAreReplacedAtTheNextStart) {
  Libraries r(false);
  std::vector<platform::FileHandle> held;
  for (const char* name : {"MSVCRT20.DLL", "MFC40.DLL"}) {
    r.Have(name, kOld);
    r.Ship(name, kNew);
    std::uint32_t e = 0;
    held.push_back(r.m.files.Open(kSys + name, platform::OpenMode::kAppend, &e));
    ASSERT_NE(held.back(), platform::kInvalidFile) << e;
  }
  EXPECT_EQ(ReplaceSharedLibraries(r.m.state), SharedLibrariesResult::kRestartNeeded);
  for (platform::FileHandle h : held) r.m.files.Close(h);
  EXPECT_TRUE(r.m.ui.boxes.empty());
  std::string wininit = "C:\\windows\\WININIT.INI";
  EXPECT_EQ(r.m.profile.GetString("rename", kSys + "MSVCRT20.DLL", "-", 256, wininit),
            "C:\\PROGRA~1\\HALVOR~1\\MSVCRT20.DLL");
  EXPECT_EQ(r.m.profile.GetString("rename", kSys + "MFC40.DLL", "-", 256, wininit),
            "C:\\PROGRA~1\\HALVOR~1\\MFC40.DLL");
  EXPECT_EQ(r.m.Read(kDir + "MFC40.DLL"), kNew);
  EXPECT_EQ(r.m.Read(kSys + "MFC40.000"), kOld);
}

TEST(SharedLibraries, WindowsNtReplacesThroughPendingRenames) {
  SystemMachine m(true);
  m.files.SetRegistry(&m.registry, true);
  m.files.MakeDirectories("C:\\TAPE");
  m.files.MakeDirectories("C:\\windows\\SYSTEM32");
  m.files.PutFile("C:\\TAPE\\MFC40.DLL", kNew);
  m.files.PutFile("C:\\windows\\SYSTEM32\\MFC40.DLL", kOld);
  ReplaceAtNextStart(m.state, "C:\\windows\\SYSTEM32\\MFC40.DLL", "C:\\TAPE\\MFC40.DLL");
  std::uint32_t type = 0;
  std::string data;
  ASSERT_EQ(m.registry.GetValueAt("HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager",
                                  "PendingFileRenameOperations", &type, &data),
            0u);
  EXPECT_NE(data.find("C:\\TAPE\\MFC40.DLL"), std::string::npos);
  EXPECT_FALSE(m.Exists("C:\\windows\\WININIT.INI"));
}

TEST(SharedLibraries, FailedCopyStopsAndPutsTheSystemCopyBack) {
  Libraries r(false);
  std::string big = kNew + std::string(20000, 'x');
  r.Have("MSVCRT20.DLL", kOld);
  r.Ship("MSVCRT20.DLL", big);
  r.Ship("MFC40.DLL", kNew);
  r.m.files.SetFreeSpace('C', kOld.size() + 6000);
  EXPECT_EQ(ReplaceSharedLibraries(r.m.state), SharedLibrariesResult::kCopyFailed);
  ASSERT_EQ(r.m.ui.boxes.size(), 1u);
  EXPECT_EQ(r.m.ui.boxes[0].caption, "Program error");
  EXPECT_EQ(r.m.ui.boxes[0].text, "There was an error writing a file.\n" + kSys + "MSVCRT20.DLL");
  EXPECT_EQ(r.m.ui.boxes[0].flags, platform::mb::kOk | platform::mb::kIconError);
  EXPECT_EQ(r.m.Read(kSys + "MSVCRT20.DLL"), kOld);
  EXPECT_FALSE(r.m.Exists(kSys + "MFC40.DLL"));  // later libraries are not handled
  EXPECT_EQ(r.m.files.OpenHandleCount(), 0u);
}

// An installation that stops after the libraries were brought up to date
// puts them back: a replaced one from its ".000" backup (which goes), one
// moved into the system directory removed, and WININIT.INI, written for
// one in use, as it was (here: missing).
TEST(SharedLibraries, StoppedInstallationPutsThemBack) {
  Libraries r(false);
  r.m.state.windowsDir = "C:\\windows";
  r.Have("MSVCRT20.DLL", kOld);
  r.Ship("MSVCRT20.DLL", kNew);
  r.Ship("MSVCRT40.DLL", kNew);
  r.Have("MFC40.DLL", kOld);
  r.Ship("MFC40.DLL", kNew);
  std::uint32_t e = 0;
  platform::FileHandle held = r.m.files.Open(kSys + "MFC40.DLL", platform::OpenMode::kAppend, &e);
  ASSERT_NE(held, platform::kInvalidFile) << e;
  ASSERT_EQ(ReplaceSharedLibraries(r.m.state), SharedLibrariesResult::kRestartNeeded);
  r.m.files.Close(held);
  ASSERT_EQ(r.m.Read(kSys + "MSVCRT20.DLL"), kNew);
  ASSERT_TRUE(r.m.Exists(kSys + "MSVCRT40.DLL"));
  ASSERT_TRUE(r.m.Exists("C:\\windows\\WININIT.INI"));

  std::vector<std::string> notRestored;
  RollBackFiles(r.m.state, &notRestored);
  EXPECT_TRUE(notRestored.empty());
  EXPECT_EQ(r.m.Read(kSys + "MSVCRT20.DLL"), kOld);
  EXPECT_FALSE(r.m.Exists(kSys + "MSVCRT20.000"));
  EXPECT_FALSE(r.m.Exists(kSys + "MSVCRT40.DLL"));
  EXPECT_EQ(r.m.Read(kSys + "MFC40.DLL"), kOld);
  EXPECT_FALSE(r.m.Exists(kSys + "MFC40.000"));
  EXPECT_FALSE(r.m.Exists("C:\\windows\\WININIT.INI"));
}

TEST(PlainCopy, ResultsAndMessages) {
  SystemMachine m(false);
  m.files.PutFile("C:\\SRC.DLL", std::string(12000, 'a'));
  EXPECT_EQ(CopyPlainFile(m.state, "C:\\SRC.DLL", "C:\\DST.DLL"), CopyResult::kCopied);
  EXPECT_EQ(m.Read("C:\\DST.DLL"), std::string(12000, 'a'));
  EXPECT_EQ(CopyPlainFile(m.state, "C:\\NONE.DLL", "C:\\DST.DLL"), CopyResult::kSourceNotOpened);
  EXPECT_EQ(CopyPlainFile(m.state, "C:\\SRC.DLL", "C:\\NODIR\\DST.DLL"),
            CopyResult::kDestinationNotOpened);
  ASSERT_EQ(m.ui.boxes.size(), 2u);
  EXPECT_EQ(m.ui.boxes[0].text, "There was an error initializing a file.\nC:\\NONE.DLL");
  EXPECT_EQ(m.ui.boxes[1].text, "There was an error initializing a file.\nC:\\NODIR\\DST.DLL");
  std::uint32_t e = 0;
  platform::FileHandle h = m.files.Open("C:\\DST.DLL", platform::OpenMode::kAppend, &e);
  EXPECT_EQ(CopyPlainFile(m.state, "C:\\SRC.DLL", "C:\\DST.DLL"), CopyResult::kDestinationInUse);
  m.files.Close(h);
  EXPECT_EQ(m.ui.boxes.size(), 2u);
  EXPECT_EQ(m.files.OpenHandleCount(), 0u);
}

}  // namespace
}  // namespace install
