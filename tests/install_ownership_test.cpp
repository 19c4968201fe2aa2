// What the product owns: the record an installation keeps in its SETUP.DAT
// (written, kept across a second installation, read back from hostile
// text), and long paths resolved through 8.3 aliases on the simulated
// machine, which gives aliases as Windows 95 does.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "install/ownership.h"
#include "platform/sim/sim_machine.h"
#include "support/sim_state_test.h"
#include "setup/state.h"

namespace install {
namespace {

namespace fs = std::filesystem;

class OwnershipTest : public testsupport::SimStateTest {
 protected:
  OwnershipTest() : SimStateTest("ownership_") {}
  void SetUp() override {
    SimStateTest::SetUp();
    if (HasFatalFailure()) return;
    state_->installDir = "C:\\TAPE";
    state_->uninstallDir = "C:\\TAPE";
  }
  void Put(const std::string& path, const std::string& data) {
    ASSERT_EQ(m_->files().PutFile(path, data), 0u) << path;
  }
  std::string Get(const std::string& path) {
    std::string data;
    platform::ReadWholeFile(m_->files(), path, &data);
    return data;
  }
};

TEST_F(OwnershipTest, ANewDirectoryAndItsSubDirectoriesAreRecordedBesideTheEntryNumber) {
  NoteInstallDirBefore(*state_);
  EXPECT_TRUE(state_->ownership.installDirCreated);
  NoteCreatedSubDirectory(*state_, "HELP");
  NoteCreatedSubDirectory(*state_, "HELP\\DE");
  NoteCreatedSubDirectory(*state_, "help");  // the same directory
  // Not written without the installed SETUP.DAT: the record is never all of it.
  EXPECT_FALSE(WriteOwnershipRecord(*state_));
  EXPECT_FALSE(fs::exists(m_->files().HostPath("C:\\TAPE\\SETUP.DAT")));

  Put("C:\\TAPE\\SETUP.DAT", "[Setup]\r\nprd = Halvorn\r\n[Filelist]\r\nSETUP.DAT,/D1\r\n");
  EXPECT_TRUE(WriteOwnershipRecord(*state_));
  EXPECT_TRUE(m_->profile().WriteString("Misc", "SeqID", "03", "C:\\TAPE\\SETUP.DAT"));
  const std::string text = Get("C:\\TAPE\\SETUP.DAT");
  EXPECT_NE(text.find("SETUP.DAT,/D1\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("InstallDirCreated=yes\r\n"), std::string::npos) << text;

  const setup::OwnershipRecord read = ReadOwnershipRecord(m_->machine(), "C:\\TAPE");
  EXPECT_TRUE(read.present);
  EXPECT_TRUE(read.installDirCreated);
  EXPECT_EQ(read.createdDirs, (std::vector<std::string>{"HELP", "HELP\\DE"}));
  EXPECT_EQ(m_->profile().GetString("Misc", "SeqID", "", 3, "C:\\TAPE\\SETUP.DAT"), "03");
}

TEST_F(OwnershipTest, ADirectoryThatWasThereIsNotTheProducts) {
  ASSERT_EQ(m_->files().MakeDirectories("C:\\TAPE\\MINE"), 0u);
  NoteInstallDirBefore(*state_);
  EXPECT_TRUE(state_->ownership.present);
  EXPECT_FALSE(state_->ownership.installDirCreated);
  EXPECT_TRUE(state_->ownership.createdDirs.empty());
}

// Installing again into the directory of an earlier installation keeps
// what that one created; a SETUP.DAT without UNINST.LST beside it is no
// installation, and an installation of an earlier setup program has no
// record: the directory is then one that was there.
TEST_F(OwnershipTest, ASecondInstallationKeepsWhatTheFirstRecorded) {
  struct Case {
    int row;
    bool log;
    std::string misc;
    bool created;
    std::vector<std::string> dirs;
  } cases[] = {
      {1, true, "InstallDirCreated=yes\r\nCreatedDirs=1\r\nCreatedDir1=HELP\r\n", true, {"HELP", "NEW"}},
      {2, true, "InstallDirCreated=no\r\nCreatedDirs=1\r\nCreatedDir1=HELP\r\n", false, {"HELP", "NEW"}},
      {3, false, "InstallDirCreated=yes\r\nCreatedDirs=1\r\nCreatedDir1=HELP\r\n", false, {"NEW"}},
      {4, true, "SeqID=04\r\n", false, {"NEW"}},
  };
  for (const Case& c : cases) {
    fs::remove_all(m_->files().HostPath("C:\\TAPE"));
    Put("C:\\TAPE\\SETUP.DAT", "[Filelist]\r\nSETUP.DAT,/D1\r\n\r\n[Misc]\r\n" + c.misc);
    if (c.log) Put("C:\\TAPE\\UNINST.LST", "C:\\TAPE\\SETUP.DAT\r\n");
    NoteInstallDirBefore(*state_);
    NoteCreatedSubDirectory(*state_, "NEW");
    EXPECT_EQ(state_->ownership.installDirCreated, c.created) << "row " << c.row;
    EXPECT_EQ(state_->ownership.createdDirs, c.dirs) << "row " << c.row;
  }
}

// The record lies where other users may write: what does not stay below
// the directory, a count out of range, an unknown answer are dropped.
TEST_F(OwnershipTest, AHostileRecordNamesNothingOutsideTheDirectory) {
  struct Case {
    int row;
    std::string misc;
    bool present, created;
    std::vector<std::string> dirs;
  } cases[] = {
      {1, "InstallDirCreated=YES\r\nCreatedDirs=5\r\nCreatedDir1=..\r\nCreatedDir2=C:\\WINDOWS\r\n"
          "CreatedDir3=\\WINDOWS\r\nCreatedDir4=A\\..\\..\r\nCreatedDir5=OK\r\n",
       true, true, {"OK"}},
      {2, "InstallDirCreated=maybe\r\nCreatedDirs=1\r\nCreatedDir1=OK\r\n", false, false, {}},
      {3, "InstallDirCreated=no\r\nCreatedDirs=-3\r\nCreatedDir1=OK\r\n", true, false, {}},
      {4, "InstallDirCreated=no\r\nCreatedDirs=99999999999\r\nCreatedDir1=OK\r\nCreatedDir1=X\r\n", true,
       false, {"OK"}},
      {5, "InstallDirCreated=no\r\nCreatedDirs=2\r\nCreatedDir1=A*\r\nCreatedDir2=B:C\r\n", true, false, {}},
  };
  for (const Case& c : cases) {
    Put("C:\\TAPE\\SETUP.DAT", "[Misc]\r\n" + c.misc);
    const setup::OwnershipRecord r = ReadOwnershipRecord(m_->machine(), "C:\\TAPE");
    EXPECT_EQ(r.present, c.present) << "row " << c.row;
    EXPECT_EQ(r.installDirCreated, c.created) << "row " << c.row;
    EXPECT_EQ(r.createdDirs, c.dirs) << "row " << c.row;
  }
}

TEST_F(OwnershipTest, CompleteOnlyForADirectoryThisInstallationCreated) {
  state_->defaultInstallDir = "C:\\Program Files\\Halvorn+";
  Put("C:\\TAPE\\SETUP.DAT", "[Misc]\r\nInstallDirCreated=yes\r\n");
  EXPECT_TRUE(MayRemoveWholeTree(*state_));
  Put("C:\\TAPE\\SETUP.DAT", "[Misc]\r\nInstallDirCreated=no\r\n");
  EXPECT_FALSE(MayRemoveWholeTree(*state_));
  Put("C:\\TAPE\\SETUP.DAT", "[Misc]\r\nSeqID=03\r\n");
  EXPECT_FALSE(MayRemoveWholeTree(*state_));
  // A record that claims a protected directory does not make it the product's.
  state_->uninstallDir = "C:\\windows\\system32\\drivers";
  Put("C:\\windows\\system32\\drivers\\SETUP.DAT", "[Misc]\r\nInstallDirCreated=yes\r\n");
  EXPECT_FALSE(MayRemoveWholeTree(*state_));
}

// ---------------------------------------------------------------- long paths

TEST_F(OwnershipTest, LongPathsThroughAliasesCaseSlashesAndDots) {
  ASSERT_EQ(m_->files().MakeDirectories("C:\\Program Files\\Tape Backup"), 0u);
  ASSERT_EQ(m_->files().MakeDirectories("C:\\Program Stuff"), 0u);
  std::string alias;
  ASSERT_EQ(m_->files().GetShortPathName("C:\\Program Files\\Tape Backup", &alias), 0u);
  std::string other;
  ASSERT_EQ(m_->files().GetShortPathName("C:\\Program Stuff", &other), 0u);
  ASSERT_NE(alias.substr(0, other.size()), other) << "two siblings share an alias";
  struct Case {
    int row;
    std::string path, resolved;
  } cases[] = {
      {1, alias, "C:\\PROGRAM FILES\\TAPE BACKUP"},
      {2, "c:/" + alias.substr(3) + "/./", "C:\\PROGRAM FILES\\TAPE BACKUP"},
      {3, alias + "\\..\\..\\Program Stuff", "C:\\PROGRAM STUFF"},
      {4, other, "C:\\PROGRAM STUFF"},
      {5, alias + "\\NEW~1\\DEEPER", "C:\\PROGRAM FILES\\TAPE BACKUP\\NEW~1\\DEEPER"},  // not there
      {6, "C:\\PROGRA~9", "C:\\PROGRA~9"},
      {7, "C:\\Program Files\\*", "C:\\PROGRAM FILES\\*"},
  };
  for (const Case& c : cases) {
    const text::WindowsPath p = ResolveLongPath(m_->files(), c.path);
    EXPECT_TRUE(p.valid) << "row " << c.row;
    EXPECT_EQ(p.Text(), c.resolved) << "row " << c.row << ": " << c.path;
  }
  EXPECT_FALSE(ResolveLongPath(m_->files(), "Program Files").valid);
}

// The simulated machine takes an alias wherever Windows does: to open,
// create in, search for and change to what it names.
TEST_F(OwnershipTest, TheSimulatedMachineResolvesAliases) {
  Put("C:\\Program Files\\Tape Backup\\Read Me First.txt", "text");
  std::string alias;
  ASSERT_EQ(m_->files().GetShortPathName("C:\\Program Files\\Tape Backup\\Read Me First.txt", &alias), 0u);
  EXPECT_EQ(Get(alias), "text");
  const std::string dirAlias = alias.substr(0, alias.rfind('\\'));
  EXPECT_EQ(m_->files().CreateDirectory(dirAlias + "\\NEW"), 0u);
  EXPECT_TRUE(fs::is_directory(m_->files().HostPath("C:\\Program Files\\Tape Backup\\NEW")));
  std::vector<platform::FindData> found;
  ASSERT_EQ(m_->files().FindFiles(alias, &found), 0u);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].name, "Read Me First.txt");
  EXPECT_EQ(m_->files().SetCurrentDirectory(dirAlias), 0u);
  EXPECT_EQ(m_->files().GetCurrentDirectory(), "C:\\Program Files\\Tape Backup");
}

}  // namespace
}  // namespace install
