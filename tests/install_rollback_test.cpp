// The rollback record of an installation on the simulated machine: what is
// recorded before a file is created, replaced or changed, how a stopped
// installation puts it all back (content, attributes, times, directories,
// SYSTEM.INI, the uninstall entry), what a completed one keeps, and a file
// that cannot be put back being named.
#include <gtest/gtest.h>

#include "install/rollback.h"
#include "setup/rollback.h"
#include "setup/run_log.h"
#include "setup/unattended.h"
#include "support/sim_state_test.h"
#include "system/registry.h"

namespace install {
namespace {

constexpr char kDir[] = "C:\\TAPE";
constexpr char kTarget[] = "C:\\TAPE\\TAPE.EXE";
constexpr char kBackupDir[] = "C:\\TAPE\\SETUPBAK.$$$";
constexpr char kEntry[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Dastrel00";

class RollbackTest : public testsupport::SimStateTest {
 protected:
  RollbackTest() : SimStateTest("rollback_") {}
  void SetUp() override {
    SimStateTest::SetUp();
    ASSERT_EQ(m_->files().MakeDirectories(kDir), 0u);
    ASSERT_EQ(m_->files().MakeDirectories("C:\\windows\\SYSTEM"), 0u);
    state_->installDir = kDir;
  }

  std::string Read(const std::string& path) {
    std::string data;
    return platform::ReadWholeFile(m_->files(), path, &data) == 0 ? data : "<missing>";
  }
  bool Exists(const std::string& path) {
    platform::FileStatus status;
    return m_->files().GetFileStatus(path, &status) == 0;
  }
  std::uint32_t Attributes(const std::string& path) {
    std::uint32_t a = platform::attr::kInvalid;
    m_->files().GetFileAttributes(path, &a);
    return a;
  }
  std::int64_t Time(const std::string& path) {
    platform::FileStatus status;
    return m_->files().GetFileStatus(path, &status) == 0 ? status.lastWriteUnix : -1;
  }
  // What the copy engine does: keep, then create the file anew.
  Kept Replace(const std::string& path, const std::string& data) {
    const Kept kept = KeepBeforeReplacing(*state_, path);
    if (platform::WriteWholeFile(m_->files(), path, data) != 0) ReplacementFailed(*state_, path, kept);
    return kept;
  }
  std::vector<std::string> RollBack() {
    std::vector<std::string> notRestored;
    RollBackFiles(*state_, &notRestored);
    return notRestored;
  }
};

// Row by row: what is at the target before the copy engine creates it, and
// what the record then holds.
TEST_F(RollbackTest, KeepBeforeReplacingRecordsWhatIsThere) {
  struct Row {
    const char* what;
    Kept kept;
    bool recorded;     // an entry for the target
    bool existed;      // recorded as there before the run
    bool movedAway;    // the target no longer there, its backup in the folder
  } rows[] = {
      {"missing", Kept::kCreated, true, false, false},
      {"file", Kept::kBackedUp, true, true, true},
      {"read-only", Kept::kUntouched, false, false, false},
      {"in use", Kept::kUntouched, false, false, false},
      {"running", Kept::kUntouched, false, false, false},
      {"directory", Kept::kUntouched, false, false, false},
  };
  int n = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(n) + " " + row.what);
    const std::string path = std::string(kDir) + "\\F" + std::to_string(n++) + ".DAT";
    const std::string what = row.what;
    int running = 0;
    if (what == "directory") {
      ASSERT_EQ(m_->files().MakeDirectories(path), 0u);
    } else if (what != "missing") {
      ASSERT_EQ(m_->files().PutFile(path, "before"), 0u);
    }
    if (what == "read-only") {
      ASSERT_EQ(m_->files().SetFileAttributes(path, platform::attr::kReadOnly), 0u);
    }
    if (what == "in use") {
      ASSERT_EQ(m_->files().Hold(path), 0u);
    }
    if (what == "running") running = m_->files().BeginRunning(path);

    state_->rollback.files.clear();
    EXPECT_EQ(KeepBeforeReplacing(*state_, path), row.kept);
    ASSERT_EQ(state_->rollback.files.size(), row.recorded ? 1u : 0u);
    if (row.recorded) {
      const setup::RollbackRecord::File& file = state_->rollback.files[0];
      EXPECT_EQ(file.path, path);
      EXPECT_EQ(file.existed, row.existed);
      EXPECT_EQ(file.backup.empty(), !row.movedAway);
      if (row.movedAway) {
        EXPECT_FALSE(Exists(path));
        EXPECT_EQ(Read(file.backup), "before");
        EXPECT_EQ(file.backup.rfind(std::string(kBackupDir) + "\\", 0), 0u) << file.backup;
        EXPECT_NE(Attributes(kBackupDir) & platform::attr::kHidden, 0u) << "the backup folder is hidden";
      }
    } else if (what != "directory") {
      EXPECT_EQ(Read(path), "before") << "a file that cannot be replaced is left alone";
    }
    // Kept once: asked again, the record already has it.
    if (row.recorded) {
      EXPECT_EQ(KeepBeforeReplacing(*state_, path), Kept::kAlready);
    }
    if (running != 0) m_->files().EndRunning(running);
  }
}

TEST_F(RollbackTest, ReplacedFileComesBackWithItsContentAttributesAndTime) {
  ASSERT_EQ(m_->files().PutFile(kTarget, "the user's TAPE.EXE"), 0u);
  ASSERT_EQ(m_->files().SetFileTimes(kTarget, 820454400), 0u);
  ASSERT_EQ(m_->files().SetFileAttributes(kTarget, platform::attr::kHidden), 0u);
  const std::uint32_t attributes = Attributes(kTarget);
  EXPECT_EQ(Replace(kTarget, "the product's TAPE.EXE"), Kept::kBackedUp);
  EXPECT_EQ(Replace("C:\\TAPE\\NEW.DAT", "new"), Kept::kCreated);
  EXPECT_EQ(Read(kTarget), "the product's TAPE.EXE");

  EXPECT_TRUE(RollBack().empty());
  EXPECT_EQ(Read(kTarget), "the user's TAPE.EXE");
  EXPECT_EQ(Attributes(kTarget), attributes);
  EXPECT_EQ(Time(kTarget), 820454400);
  EXPECT_FALSE(Exists("C:\\TAPE\\NEW.DAT")) << "a file this run created goes";
  EXPECT_FALSE(Exists(kBackupDir)) << "the backup folder goes once empty";
  EXPECT_TRUE(Exists(kDir)) << "a directory the run did not make stays";
  EXPECT_TRUE(state_->rollback.files.empty());
}

TEST_F(RollbackTest, FailedCreationPutsTheFileBackAtOnce) {
  ASSERT_EQ(m_->files().PutFile(kTarget, "before"), 0u);
  const Kept kept = KeepBeforeReplacing(*state_, kTarget);
  ASSERT_EQ(kept, Kept::kBackedUp);
  ReplacementFailed(*state_, kTarget, kept);
  EXPECT_EQ(Read(kTarget), "before");
  EXPECT_TRUE(state_->rollback.files.empty());

  // A file created earlier in the run and failing the second time stays
  // this run's, to be removed.
  const std::string twice = "C:\\TAPE\\TWICE.DAT";
  ASSERT_EQ(Replace(twice, "first"), Kept::kCreated);
  ReplacementFailed(*state_, twice, KeepBeforeReplacing(*state_, twice));
  ASSERT_EQ(state_->rollback.files.size(), 1u);
  EXPECT_TRUE(RollBack().empty());
  EXPECT_FALSE(Exists(twice));
}

TEST_F(RollbackTest, ChangedInPlaceComesBackFromItsCopy) {
  const std::string ini = "C:\\windows\\WININIT.INI";
  ASSERT_EQ(m_->files().PutFile(ini, "[rename]\r\n"), 0u);
  ASSERT_EQ(m_->files().SetFileTimes(ini, 880000000), 0u);
  KeepBeforeChanging(*state_, ini);
  ASSERT_EQ(state_->rollback.files.size(), 1u);
  EXPECT_TRUE(state_->rollback.files[0].backupIsCopy);
  EXPECT_EQ(Read(ini), "[rename]\r\n") << "kept by a copy: the file itself stays";
  ASSERT_TRUE(m_->machine().profile.WriteString("rename", "C:\\X.DLL", "C:\\TAPE\\X.DLL", ini));
  // Missing before its first change: this run's.
  const std::string dat = "C:\\TAPE\\SETUP.DAT";
  KeepBeforeChanging(*state_, dat);
  ASSERT_TRUE(m_->machine().profile.WriteString("Misc", "SeqID", "xx", dat));

  EXPECT_TRUE(RollBack().empty());
  EXPECT_EQ(Read(ini), "[rename]\r\n");
  EXPECT_EQ(Time(ini), 880000000);
  EXPECT_FALSE(Exists(dat));
}

TEST_F(RollbackTest, DirectoriesGoNewestFirstOnlyWhenEmpty) {
  ASSERT_EQ(m_->files().CreateDirectory("C:\\NEW"), 0u);
  NoteCreatedDirectory(*state_, "C:\\NEW");
  ASSERT_EQ(m_->files().CreateDirectory("C:\\NEW\\TAPE"), 0u);
  NoteCreatedDirectory(*state_, "C:\\NEW\\TAPE");
  ASSERT_EQ(m_->files().CreateDirectory("C:\\NEW\\TAPE\\HELP"), 0u);
  NoteCreatedDirectory(*state_, "C:\\NEW\\TAPE\\HELP");
  ASSERT_EQ(m_->files().CreateDirectory("C:\\NEW\\TAPE\\DRIVERS"), 0u);
  NoteCreatedDirectory(*state_, "C:\\NEW\\TAPE\\DRIVERS");
  // The user saved a file of his own there meanwhile.
  ASSERT_EQ(m_->files().PutFile("C:\\NEW\\TAPE\\DRIVERS\\MINE.TXT", "mine"), 0u);

  EXPECT_TRUE(RollBack().empty());
  EXPECT_FALSE(Exists("C:\\NEW\\TAPE\\HELP"));
  EXPECT_EQ(Read("C:\\NEW\\TAPE\\DRIVERS\\MINE.TXT"), "mine");
  EXPECT_TRUE(Exists("C:\\NEW")) << "holds the directory that holds the user's file";
}

TEST_F(RollbackTest, CompletedInstallationDropsItsBackups) {
  ASSERT_EQ(m_->files().PutFile(kTarget, "old"), 0u);
  ASSERT_EQ(m_->files().PutFile("C:\\TAPE\\KEEP.DAT", "kept"), 0u);
  ASSERT_EQ(Replace(kTarget, "new"), Kept::kBackedUp);
  // A backup whose replacement was never made goes back, never away.
  ASSERT_EQ(KeepBeforeReplacing(*state_, "C:\\TAPE\\KEEP.DAT"), Kept::kBackedUp);
  DiscardBackups(*state_);
  EXPECT_EQ(Read(kTarget), "new");
  EXPECT_EQ(Read("C:\\TAPE\\KEEP.DAT"), "kept");
  EXPECT_FALSE(Exists(kBackupDir));
  EXPECT_TRUE(state_->rollback.files.empty());
}

// A file that cannot be put back is named, in the log and in the answer,
// and what it held stays in the backup folder.
TEST_F(RollbackTest, FileThatCannotBePutBackIsNamed) {
  setup::RunLog log(m_->files());
  ASSERT_TRUE(log.Open("C:\\SETUP.LOG"));
  setup::Unattended run(log);
  state_->unattended = &run;
  ASSERT_EQ(m_->files().PutFile(kTarget, "the user's"), 0u);
  ASSERT_EQ(Replace(kTarget, "the product's"), Kept::kBackedUp);
  ASSERT_EQ(Replace("C:\\TAPE\\NEW.DAT", "new"), Kept::kCreated);
  const std::string backup = state_->rollback.files[0].backup;
  // Another program holds the new file now: it cannot be replaced.
  ASSERT_EQ(m_->files().Hold(kTarget), 0u);

  const std::vector<std::string> notRestored = setup::RollBackInstallation(*state_);
  ASSERT_EQ(notRestored, std::vector<std::string>{kTarget});
  EXPECT_EQ(Read(backup), "the user's");
  EXPECT_TRUE(Exists(kBackupDir)) << "it still holds the backup";
  EXPECT_FALSE(Exists("C:\\TAPE\\NEW.DAT"));
  log.Close();
  const std::string text = Read("C:\\SETUP.LOG");
  EXPECT_NE(text.find("rollback: removed C:\\TAPE\\NEW.DAT\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("rollback: could not restore C:\\TAPE\\TAPE.EXE: what it held is in " + backup),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("rollback: 1 file(s) could not be put back as they were"), std::string::npos) << text;
  state_->unattended = nullptr;
}

TEST_F(RollbackTest, SystemIniAndUninstallEntryComeBack) {
  const std::string ini = "C:\\windows\\SYSTEM.INI";
  const std::string original = "[386Enh]\r\ndevice=C:\\windows\\system\\ZEMABKP.386\r\n";
  // As the deactivation leaves it: the backup of the original, SYSTEM.INI
  // with the driver commented out, and the backup recorded.
  const std::string backup = "C:\\windows\\SYSTEM.001";
  ASSERT_EQ(m_->files().PutFile("C:\\windows\\SYSTEM.000", "an earlier backup"), 0u);
  ASSERT_EQ(m_->files().PutFile(backup, original), 0u);
  ASSERT_EQ(m_->files().PutFile(ini, "[386Enh]\r\n; commented out\r\n;device=...\r\n"), 0u);
  state_->rollback.systemIniBackup = backup;

  state_->groupName = "Tape";
  ASSERT_EQ(integration::RegisterUninstallEntry(*state_), integration::EntryResult::kWritten);
  ASSERT_EQ(state_->rollback.createdEntryKey, kEntry);

  EXPECT_TRUE(setup::RollBackInstallation(*state_).empty());
  EXPECT_EQ(Read(ini), original);
  EXPECT_FALSE(Exists(backup)) << "the backup is put back, not left";
  EXPECT_EQ(Read("C:\\windows\\SYSTEM.000"), "an earlier backup");
  platform::RegKey key = 0;
  EXPECT_NE(m_->machine().registry.OpenKey(platform::hkey::kLocalMachine, kEntry, platform::kKeyRead, &key), 0u)
      << "the entry this run made is gone";
}

TEST_F(RollbackTest, ReusedEntryGetsItsCommandsBack) {
  platform::Registry& registry = m_->machine().registry;
  platform::RegKey key = 0;
  ASSERT_EQ(registry.CreateKey(platform::hkey::kLocalMachine, kEntry, platform::kKeyAllAccess, &key, nullptr), 0u);
  ASSERT_EQ(registry.SetValue(key, "GroupName", platform::regtype::kSz, "Tape"), 0u);
  ASSERT_EQ(registry.SetValue(key, "UninstallString", platform::regtype::kSz, "D:\\OLD\\UNINSTAL.EXE"), 0u);
  registry.CloseKey(key);
  state_->groupName = "Tape";
  ASSERT_EQ(integration::RegisterUninstallEntry(*state_), integration::EntryResult::kWritten);
  EXPECT_TRUE(state_->rollback.createdEntryKey.empty()) << "the entry was there: not this run's";

  EXPECT_TRUE(integration::TakeBackUninstallEntry(*state_));
  ASSERT_EQ(registry.OpenKey(platform::hkey::kLocalMachine, kEntry, platform::kKeyAllAccess, &key), 0u);
  std::uint32_t type = 0;
  std::string data;
  ASSERT_EQ(registry.QueryValue(key, "UninstallString", &type, &data, 1024), 0u);
  EXPECT_EQ(data.substr(0, data.find('\0')), "D:\\OLD\\UNINSTAL.EXE");
  EXPECT_NE(registry.QueryValue(key, "QuietUninstallString", &type, &data, 1024), 0u)
      << "a value it did not have before goes";
  EXPECT_EQ(registry.QueryValue(key, "GroupName", &type, &data, 1024), 0u);
  registry.CloseKey(key);
}

}  // namespace
}  // namespace install
