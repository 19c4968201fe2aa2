// The uninstaller's removal on the simulated machine: the directory tree,
// the directories that must never be removed whole, the extra files, and
// the progress dialog's timed steps when one of them waits in a message
// box.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/sim/sim_machine.h"
#include "support/sim_state_test.h"
#include "setup/state.h"
#include "simrun/product_resources.h"
#include "uninstall/removal.h"
#include "ui/dialog_ids.h"
#include "uninstall/uninstall_dialogs.h"

namespace uninstall {
namespace {

namespace fs = std::filesystem;

class RemovalTest : public testsupport::SimStateTest {
 protected:
  RemovalTest() : SimStateTest("removal_") {}
  void SetUp() override {
    SimStateTest::SetUp();
    if (HasFatalFailure()) return;
    state_->sourceDir = "C:\\windows";
    state_->uninstallDir = "C:\\TAPE";
    state_->defaultInstallDir = "C:\\Program Files\\Halvorn+";
  }
  void Put(const std::string& path) {
    std::string parent = path.substr(0, path.rfind('\\'));
    ASSERT_EQ(m_->files().MakeDirectories(parent), 0u) << parent;
    ASSERT_EQ(platform::WriteWholeFile(m_->files(), path, "x"), 0u) << path;
  }
  bool Exists(const std::string& path) {
    platform::FileStatus st;
    return m_->files().GetFileStatus(path, &st) == 0;
  }
  // The ownership record an installation leaves in "<dir>\SETUP.DAT".
  void Record(const std::string& dir, bool created, const std::vector<std::string>& dirs = {}) {
    ASSERT_EQ(m_->files().MakeDirectories(dir), 0u) << dir;
    const std::string file = dir + "\\SETUP.DAT";
    platform::Profile& profile = m_->profile();
    ASSERT_TRUE(profile.WriteString("Misc", "InstallDirCreated", created ? "yes" : "no", file));
    ASSERT_TRUE(profile.WriteString("Misc", "CreatedDirs", std::to_string(dirs.size()), file));
    for (std::size_t i = 0; i < dirs.size(); ++i) {
      ASSERT_TRUE(profile.WriteString("Misc", "CreatedDir" + std::to_string(i + 1), dirs[i], file));
    }
  }
};

TEST_F(RemovalTest, TreeGoesDepthFirstButReadOnlyFilesAndTheirDirectoriesStay) {
  Put("C:\\TAPE\\A.EXE");
  Put("C:\\TAPE\\SUB\\DEEP\\B.HLP");
  Put("C:\\TAPE\\KEEP\\MINE.TXT");
  Put("C:\\TAPEX\\OTHER.TXT");  // a neighbour with the same beginning
  ASSERT_EQ(m_->files().SetFileAttributes("C:\\TAPE\\KEEP\\MINE.TXT", platform::attr::kReadOnly), 0u);

  EXPECT_EQ(DeleteDirectoryTree(m_->files(), "C:\\TAPE"), 1);
  EXPECT_FALSE(Exists("C:\\TAPE\\A.EXE"));
  EXPECT_FALSE(Exists("C:\\TAPE\\SUB"));
  EXPECT_TRUE(Exists("C:\\TAPE\\KEEP\\MINE.TXT"));
  EXPECT_TRUE(Exists("C:\\TAPEX\\OTHER.TXT"));
}

TEST_F(RemovalTest, TreeRefusesPathsItCannotSearch) {
  Put("C:\\TAPE\\A.EXE");
  const std::string tooLong = "C:\\TAPE\\" + std::string(kMaxTreePathLength - 7, 'L');
  ASSERT_EQ(tooLong.size(), kMaxTreePathLength + 1);
  EXPECT_EQ(DeleteDirectoryTree(m_->files(), tooLong), 0);
  EXPECT_EQ(DeleteDirectoryTree(m_->files(), ""), 0);
  EXPECT_EQ(DeleteDirectoryTree(m_->files(), "C:\\NOWHERE"), 0);
  EXPECT_TRUE(Exists("C:\\TAPE\\A.EXE"));
}

TEST_F(RemovalTest, ExtraFilesAtTheRootOfTheWindowsDrive) {
  Put("C:\\SAILE.INI");
  Put("C:\\LFNADMIN\\SUB\\X.DAT");
  Put("C:\\LFNADMIN.TXT");
  RemoveExtraFiles(*state_);
  EXPECT_FALSE(Exists("C:\\SAILE.INI"));
  EXPECT_FALSE(Exists("C:\\LFNADMIN"));
  EXPECT_TRUE(Exists("C:\\LFNADMIN.TXT"));
}

TEST_F(RemovalTest, SelectiveLeavesTheUsersFilesAndOnlyTheCreatedDirectoriesGo) {
  Put("C:\\TAPE\\A.EXE");
  Put("C:\\TAPE\\HELP\\DE\\A.HLP");
  Put("C:\\TAPE\\NOTES\\MINE.TXT");
  Put("C:\\TAPE\\DRIVERS\\MINE.SYS");
  Record("C:\\TAPE", true, {"HELP", "HELP\\DE", "DRIVERS", "..\\windows", "NOTES\\..\\.."});
  ASSERT_EQ(platform::WriteWholeFile(m_->files(), "C:\\TAPE\\UNINST.LST",
                                     "C:\\TAPE\\A.EXE\r\nC:\\TAPE\\HELP\\DE\\A.HLP\r\n"),
            0u);
  // The user's own empty folders, and an empty one of Windows.
  ASSERT_EQ(m_->files().MakeDirectories("C:\\TAPE\\EMPTY\\EMPTIER"), 0u);
  ASSERT_EQ(m_->files().MakeDirectories("C:\\windows\\TEMP"), 0u);
  RemoveProgramFiles(*state_, FileRemoval::kSelective);
  EXPECT_FALSE(Exists("C:\\TAPE\\A.EXE"));
  EXPECT_FALSE(Exists("C:\\TAPE\\HELP"));  // created, emptied: deepest first
  EXPECT_TRUE(Exists("C:\\TAPE\\EMPTY\\EMPTIER"));
  EXPECT_TRUE(Exists("C:\\TAPE\\DRIVERS\\MINE.SYS"));  // created, not empty
  EXPECT_TRUE(Exists("C:\\windows\\TEMP"));  // a hostile record leads nowhere else
  EXPECT_FALSE(Exists("C:\\TAPE\\UNINST.LST"));
  EXPECT_TRUE(Exists("C:\\TAPE\\NOTES\\MINE.TXT"));
}

// An installation into a directory that was there (or one of an earlier
// setup program, without a record): no directory goes, not even an empty
// one, nor the install directory itself.
TEST_F(RemovalTest, SelectiveKeepsEveryDirectoryOfADirectoryThatWasThere) {
  for (int withRecord = 0; withRecord < 2; ++withRecord) {
    Put("C:\\TAPE\\A.EXE");
    Put("C:\\TAPE\\HELP\\A.HLP");
    if (withRecord) Record("C:\\TAPE", false);
    ASSERT_EQ(platform::WriteWholeFile(m_->files(), "C:\\TAPE\\UNINST.LST",
                                       "C:\\TAPE\\A.EXE\r\nC:\\TAPE\\HELP\\A.HLP\r\nC:\\TAPE\\SETUP.DAT\r\n"),
              0u);
    RemoveProgramFiles(*state_, FileRemoval::kSelective);
    EXPECT_FALSE(Exists("C:\\TAPE\\A.EXE")) << withRecord;
    EXPECT_FALSE(Exists("C:\\TAPE\\SETUP.DAT")) << withRecord;
    EXPECT_TRUE(Exists("C:\\TAPE\\HELP")) << withRecord;
    EXPECT_TRUE(Exists("C:\\TAPE")) << withRecord;
  }
}

// An installation that stopped before its uninstall entry: only a logged
// file its file list installs at that place goes; a logged file of
// another name (the user's, or a tampered line), one of the list's names
// at another place, one outside the directory the list does not put
// there, and every directory stay.
TEST_F(RemovalTest, UnregisteredInstallationLosesOnlyTheFilesItsListInstalls) {
  state_->fileList = {"SETUP.EXE,/D1", "SETUP.DAT,/D1", "HALVORN.EX_,/D1", "HELP.TX_,/D1 /XHELP",
                      "ZEMAQW.VXD,/D1", "LFNBK.EXE,/D1", "README.TXT,/D1"};
  const std::vector<std::string> gone = {
      "C:\\TAPE\\UNINSTAL.EXE", "C:\\TAPE\\SETUP.DAT", "C:\\TAPE\\HALVORN.EXE",
      "C:\\TAPE\\HELP\\HELP.TXT", "C:\\windows\\system\\ZEMAQW.VXD", "C:\\windows\\LFNBK.EXE"};
  const std::vector<std::string> keptLogged = {
      "C:\\TAPE\\NOTES.TXT",          // not a name of the list
      "C:\\TAPE\\HELP.TXT",           // a name of the list, not at its place
      "C:\\TAPE\\HELP\\HALVORN.EXE",  // the same
      "C:\\windows\\system\\VMM32.VXD", "C:\\AUTOEXEC.BAT"};
  std::string log;
  for (const std::string& f : gone) log += f + "\r\n";
  for (const std::string& f : keptLogged) log += f + "\r\n";
  // Spelt as Windows still finds it, the last line without a line end.
  log += "c:/tape/./README.TXT";
  for (const std::string& f : gone) Put(f);
  for (const std::string& f : keptLogged) Put(f);
  Put("C:\\TAPE\\README.TXT");
  Put("C:\\TAPE\\MINE.TXT");  // the user's, not logged
  ASSERT_EQ(platform::WriteWholeFile(m_->files(), "C:\\TAPE\\UNINST.LST", log), 0u);

  RemoveProgramFiles(*state_, FileRemoval::kUnregistered);
  for (const std::string& f : gone) EXPECT_FALSE(Exists(f)) << f;
  for (const std::string& f : keptLogged) EXPECT_TRUE(Exists(f)) << f;
  EXPECT_FALSE(Exists("C:\\TAPE\\README.TXT"));
  EXPECT_TRUE(Exists("C:\\TAPE\\MINE.TXT"));
  EXPECT_FALSE(Exists("C:\\TAPE\\UNINST.LST"));
  // No record: no directory goes, not even an emptied one.
  EXPECT_TRUE(Exists("C:\\TAPE\\HELP"));
  EXPECT_TRUE(Exists("C:\\TAPE"));
}

// With a record (copying ended, the registration failed) the directories
// it names go when empty, as for Selective.
TEST_F(RemovalTest, UnregisteredInstallationWithARecordRemovesItsEmptiedDirectories) {
  state_->fileList = {"SETUP.DAT,/D1", "HELP.TX_,/D1 /XHELP"};
  Put("C:\\TAPE\\HELP\\HELP.TXT");
  Record("C:\\TAPE", true, {"HELP"});
  ASSERT_EQ(platform::WriteWholeFile(m_->files(), "C:\\TAPE\\UNINST.LST",
                                     "C:\\TAPE\\SETUP.DAT\r\nC:\\TAPE\\HELP\\HELP.TXT\r\n"),
            0u);
  RemoveProgramFiles(*state_, FileRemoval::kUnregistered);
  EXPECT_FALSE(Exists("C:\\TAPE\\HELP"));
  EXPECT_FALSE(Exists("C:\\TAPE"));
}

TEST_F(RemovalTest, UnregisteredOnlyWithALogAndWithoutAnEntryNumber) {
  struct Case {
    const char* name;
    bool log;
    const char* seqId;  // null: none
    bool unregistered;
  } cases[] = {
      {"log, no number", true, nullptr, true},
      {"log, failed registration", true, "xx", true},
      {"log, registered", true, "03", false},
      {"no log, no number", false, nullptr, false},
  };
  state_->restartDescriptionPath = "C:\\TAPE\\SETUP.DAT";
  for (const Case& c : cases) {
    m_->files().DeleteFile("C:\\TAPE\\UNINST.LST");
    m_->files().DeleteFile("C:\\TAPE\\SETUP.DAT");
    Put("C:\\TAPE\\SETUP.DAT");
    if (c.log) Put("C:\\TAPE\\UNINST.LST");
    if (c.seqId) {
      ASSERT_TRUE(m_->profile().WriteString("Misc", "SeqID", c.seqId, "C:\\TAPE\\SETUP.DAT"));
    }
    EXPECT_EQ(IsUnregisteredInstallation(*state_), c.unregistered) << c.name;
  }
}

// The disk's SETUP.DAT stands in for an installed one that cannot be
// read, only beside an uninstall log and only when it is a disk's (no
// entry number): an installed one of another product never does.
TEST_F(RemovalTest, DiskDescriptionStandsInOnlyForAnUnreadableOneBesideALog) {
  const std::string disk =
      "[Setup]\r\nmct=1\r\nfct=1\r\nlng=GER\r\nprd=Halvorn\r\naux=N\r\nver=7.0\r\nplt=95/NT\r\nifc=QIC\r\n"
      "[Filelist]\r\nREADME.TXT,/D1\r\n";
  struct Case {
    const char* name;
    const char* installed;  // null: none
    bool log;
    bool diskNumbered;
    bool standsIn;
  } cases[] = {
      {"cut short", "[Setup]\r\nmct=1\r\n", true, false, true},
      {"missing", nullptr, true, false, true},
      {"readable", nullptr, true, false, false},  // the disk's text, installed
      {"no log", nullptr, false, false, false},
      {"another installation's", nullptr, true, true, false},
  };
  // The program runs from the disk (on Windows 95 the source directory
  // would be cut from the whole command line).
  m_->system().SetCommandLine("C:\\DISK1\\SETUP.EXE /restart \"C:\\TAPE\"");
  for (const Case& c : cases) {
    state_->restartDescriptionPath = "C:\\TAPE\\SETUP.DAT";
    ASSERT_EQ(m_->files().MakeDirectories("C:\\DISK1"), 0u);
    ASSERT_EQ(m_->files().MakeDirectories("C:\\TAPE"), 0u);
    ASSERT_EQ(platform::WriteWholeFile(m_->files(), "C:\\DISK1\\SETUP.DAT", disk), 0u);
    if (c.diskNumbered) {
      ASSERT_TRUE(m_->profile().WriteString("Misc", "SeqID", "04", "C:\\DISK1\\SETUP.DAT"));
    }
    m_->files().DeleteFile("C:\\TAPE\\SETUP.DAT");
    if (c.installed) {
      ASSERT_EQ(platform::WriteWholeFile(m_->files(), "C:\\TAPE\\SETUP.DAT", c.installed), 0u);
    }
    if (std::string(c.name) == "readable") {
      ASSERT_EQ(platform::WriteWholeFile(m_->files(), "C:\\TAPE\\SETUP.DAT", disk), 0u);
    }
    m_->files().DeleteFile("C:\\TAPE\\UNINST.LST");
    if (c.log) Put("C:\\TAPE\\UNINST.LST");
    EXPECT_EQ(UseDiskDescription(*state_), c.standsIn) << c.name;
    EXPECT_EQ(state_->restartDescriptionPath, c.standsIn ? "C:\\DISK1\\SETUP.DAT" : "C:\\TAPE\\SETUP.DAT")
        << c.name;
  }
}

TEST_F(RemovalTest, CompleteRemovesTheDirectoryWithTheUsersFilesAndTheLoggedOnesOutside) {
  Record("C:\\TAPE", true);
  state_->fileList = {"LFNBK.EX_,/D1\n"};
  Put("C:\\TAPE\\A.EXE");
  Put("C:\\TAPE\\NOTES\\MINE.TXT");
  Put("C:\\windows\\LFNBK.EXE");
  ASSERT_EQ(platform::WriteWholeFile(m_->files(), "C:\\TAPE\\UNINST.LST",
                                     "C:\\TAPE\\A.EXE\r\nC:\\windows\\LFNBK.EXE\r\n"),
            0u);
  RemoveProgramFiles(*state_, FileRemoval::kComplete);
  EXPECT_FALSE(Exists("C:\\TAPE"));
  EXPECT_FALSE(Exists("C:\\windows\\LFNBK.EXE"));
}

TEST_F(RemovalTest, CompleteWithoutALogRemovesTheTreeSilently) {
  Record("C:\\TAPE", true);
  Put("C:\\TAPE\\A.EXE");
  RemoveProgramFiles(*state_, FileRemoval::kComplete);
  EXPECT_FALSE(Exists("C:\\TAPE"));
}

TEST_F(RemovalTest, CompleteOfAProtectedDirectoryRemovesOnlyTheLoggedFiles) {
  // An older installation in the program files directory itself: the whole
  // tree would take every other program with it.
  // There, a log line goes only when it names a file the installed
  // SETUP.DAT installs at that place.
  state_->uninstallDir = "C:\\Program Files";
  state_->fileList = {"A.EXE,/D1\r\n", "B.EXE,/D1 /XSUB\r\n"};
  Put("C:\\Program Files\\A.EXE");
  Put("C:\\Program Files\\B.EXE");
  Put("C:\\Program Files\\SUB\\B.EXE");
  Put("C:\\Program Files\\Other\\OTHER.EXE");
  ASSERT_EQ(platform::WriteWholeFile(m_->files(), "C:\\Program Files\\UNINST.LST",
                                     "C:\\Program Files\\A.EXE\r\nC:\\Program Files\\Other\\OTHER.EXE\r\n"
                                     "C:\\Program Files\\B.EXE\r\nC:\\Program Files\\SUB\\B.EXE\r\n"),
            0u);
  RemoveProgramFiles(*state_, FileRemoval::kComplete);
  EXPECT_FALSE(Exists("C:\\Program Files\\A.EXE"));
  EXPECT_FALSE(Exists("C:\\Program Files\\SUB\\B.EXE"));
  EXPECT_TRUE(Exists("C:\\Program Files\\B.EXE"));
  EXPECT_TRUE(Exists("C:\\Program Files\\Other\\OTHER.EXE"));
}

// The record an installation left in the directory, for the table below.
enum class Recorded { kCreated, kExisted, kNone };

struct Directory {
  const char* name;
  const char* path;
  bool mayRemoveWhole;
  Recorded record = Recorded::kCreated;
};

class WholeDirectoryTest : public RemovalTest, public ::testing::WithParamInterface<Directory> {};

TEST_P(WholeDirectoryTest, IsRemovedWholeOnlyWhenItHoldsNothingElse) {
  ASSERT_EQ(m_->files().MakeDirectories("C:\\windows\\system32\\drivers"), 0u);
  ASSERT_EQ(m_->files().MakeDirectories("C:\\Program Files\\Halvorn+"), 0u);
  std::string path = GetParam().path;
  if (path == "<alias of the program files directory>") {
    ASSERT_EQ(m_->files().GetShortPathName("C:\\Program Files", &path), 0u);
    ASSERT_NE(path, "C:\\Program Files");
  }
  state_->uninstallDir = path;
  if (GetParam().record != Recorded::kNone && path.size() > 3 && path.find(':') == 1) {
    Record(path, GetParam().record == Recorded::kCreated);
  }
  EXPECT_EQ(MayRemoveWholeDirectory(*state_), GetParam().mayRemoveWhole) << path;
}

INSTANTIATE_TEST_SUITE_P(
    Table, WholeDirectoryTest,
    ::testing::Values(Directory{"OwnDirectory", "C:\\TAPE", true},
                      Directory{"BelowProgramFiles", "C:\\Program Files\\Halvorn+", true},
                      Directory{"ThereBefore", "C:\\TAPE", false, Recorded::kExisted},
                      Directory{"OfAnEarlierSetupProgram", "C:\\TAPE", false, Recorded::kNone},
                      Directory{"BelowWindows", "C:\\windows\\TAPE", false},
                      Directory{"WindowsDrivers", "C:\\WINDOWS\\SYSTEM32\\DRIVERS", false},
                      Directory{"ProgramFilesByAlias", "<alias of the program files directory>", false},
                      Directory{"DriveRoot", "C:\\", false},
                      Directory{"DriveOnly", "C:", false},
                      Directory{"RootWithDot", "C:\\.", false},
                      Directory{"OtherDriveRoot", "D:\\", false},
                      Directory{"ShareRoot", "\\\\SERVER\\SHARE\\", false},
                      Directory{"Windows", "C:\\WINDOWS", false},
                      Directory{"WindowsSpeltOtherwise", "c:/windows/./", false},
                      Directory{"WindowsSystem", "C:\\windows\\SYSTEM", false},
                      Directory{"WindowsSystem32", "C:\\windows\\system32\\", false},
                      Directory{"ProgramFiles", "C:\\PROGRAM FILES", false},
                      Directory{"ProgramFilesByDots", "C:\\Program Files\\Halvorn+\\..", false}),
    [](const ::testing::TestParamInfo<Directory>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- the progress dialog

// A user who keeps the "Can't find file..." box open for seven seconds and
// otherwise only watches.
// ---------------------------------------------------------------- the waiting uninstaller's file

// A silent removal cannot delete the installed uninstaller's own file while
// that program waits for it: moved aside where it can be, else deleted at
// the next start where that can be arranged without losing another
// program's deletion.
class LauncherFileTest : public RemovalTest {
 protected:
  void SetUp() override {
    RemovalTest::SetUp();
    // Setup made the directory: it goes with the file.
    state_->ownership.present = true;
    state_->ownership.installDirCreated = true;
    Put("C:\\TAPE\\UNINSTAL.EXE");
    running_ = m_->files().BeginRunning("C:\\TAPE\\UNINSTAL.EXE");
    ASSERT_NE(running_, 0);
    ASSERT_EQ(m_->files().DeleteFile("C:\\TAPE\\UNINSTAL.EXE"), platform::err::kAccessDenied);
  }
  void TearDown() override {
    m_->files().EndRunning(running_);
    RemovalTest::TearDown();
  }
  std::string Pending() {
    std::uint32_t type = 0;
    std::string data;
    m_->registry().GetValueAt("HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager",
                              "PendingFileRenameOperations", &type, &data);
    return data;
  }
  std::string Wininit() {
    std::string text;
    platform::ReadWholeFile(m_->files(), "C:\\windows\\WININIT.INI", &text);
    return text;
  }
  int running_ = 0;
};

TEST_F(LauncherFileTest, MovedToTheWindowsDirectoryReplacingAnEarlierOneAndTheDirectoryGoes) {
  for (sim::Platform platform : {sim::Platform::kWin95, sim::Platform::kNt}) {
    m_->SetPlatform(platform);
    state_->windowsNt = platform == sim::Platform::kNt;
    if (!Exists("C:\\TAPE\\UNINSTAL.EXE")) {
      // The next removal: the earlier uninstaller has ended.
      m_->files().EndRunning(running_);
      Put("C:\\TAPE\\UNINSTAL.EXE");
      running_ = m_->files().BeginRunning("C:\\TAPE\\UNINSTAL.EXE");
    }
    ASSERT_EQ(platform::WriteWholeFile(m_->files(), "C:\\windows\\UNINSTY$.EXE", "earlier"), 0u);
    EXPECT_EQ(HandOffLauncherFile(*state_), LauncherFile::kMovedAside);
    EXPECT_FALSE(Exists("C:\\TAPE"));
    std::string moved;
    ASSERT_EQ(platform::ReadWholeFile(m_->files(), "C:\\windows\\UNINSTY$.EXE", &moved), 0u);
    EXPECT_EQ(moved, "x");
    EXPECT_FALSE(state_->removalEndsAtNextStart);
    EXPECT_EQ(Pending(), "");
    EXPECT_EQ(Wininit(), "");
  }
}

TEST_F(LauncherFileTest, GoneAlreadyNeedsNothing) {
  m_->files().EndRunning(running_);
  ASSERT_EQ(m_->files().DeleteFile("C:\\TAPE\\UNINSTAL.EXE"), 0u);
  EXPECT_EQ(HandOffLauncherFile(*state_), LauncherFile::kGone);
  EXPECT_FALSE(Exists("C:\\windows\\UNINSTY$.EXE"));
}

TEST_F(LauncherFileTest, NotMovableOnWindowsNtIsDeletedWithItsDirectoryAtTheNextStart) {
  m_->SetPlatform(sim::Platform::kNt);
  state_->windowsNt = true;
  ASSERT_EQ(m_->files().MakeDirectories("C:\\windows\\UNINSTY$.EXE"), 0u);  // in the way
  EXPECT_EQ(HandOffLauncherFile(*state_), LauncherFile::kAtNextStart);
  EXPECT_TRUE(state_->removalEndsAtNextStart);
  EXPECT_TRUE(Exists("C:\\TAPE\\UNINSTAL.EXE"));
  const std::string nul(1, '\0');
  EXPECT_EQ(Pending(), "\\??\\C:\\TAPE\\UNINSTAL.EXE" + nul + nul + "\\??\\C:\\TAPE" + nul + nul + nul);
}

TEST_F(LauncherFileTest, NotMovableOnWindows95IsDeletedByWininitUnlessItHasADeletionAlready) {
  m_->SetPlatform(sim::Platform::kWin95);
  state_->windowsNt = false;
  ASSERT_EQ(m_->files().MakeDirectories("C:\\windows\\UNINSTY$.EXE"), 0u);
  EXPECT_EQ(HandOffLauncherFile(*state_), LauncherFile::kAtNextStart);
  EXPECT_TRUE(state_->removalEndsAtNextStart);
  EXPECT_EQ(m_->profile().GetString("rename", "NUL", "", 260, "C:\\windows\\WININIT.INI"),
            "C:\\TAPE\\UNINSTAL.EXE");

  // Another program's deletion is never replaced: the file then stays.
  state_->removalEndsAtNextStart = false;
  const std::string other = "[rename]\r\nNUL=C:\\OTHER\\OLD.DLL\r\n";
  ASSERT_EQ(platform::WriteWholeFile(m_->files(), "C:\\windows\\WININIT.INI", other), 0u);
  EXPECT_EQ(HandOffLauncherFile(*state_), LauncherFile::kStays);
  EXPECT_FALSE(state_->removalEndsAtNextStart);
  EXPECT_EQ(Wininit(), other);
  EXPECT_TRUE(Exists("C:\\TAPE\\UNINSTAL.EXE"));
}

class SlowUser : public sim::User {
 public:
  int AnswerMessageBox(sim::SimUi& ui, platform::WindowHandle, const std::string&,
                       const std::string& caption, std::uint32_t) override {
    boxes.push_back(caption + "@" + std::to_string(ui.now()));
    if (caption == "Can't find file...") ui.LetTimePass(7000);
    return platform::answer::kOk;
  }
  void ModelessDialogShown(sim::SimUi&, platform::WindowHandle) override {}
  bool ModelessDialogsOpen(sim::SimUi&) override { return false; }
  bool ModalDialogWaits(sim::SimUi&, platform::WindowHandle) override { return false; }
  std::string WhyModalDialogWaits(sim::SimUi&, platform::WindowHandle) override { return "?"; }
  void DialogDestroyed(sim::SimUi& ui, platform::WindowHandle, int templateId, bool) override {
    destroyed.push_back(std::to_string(templateId) + "@" + std::to_string(ui.now()));
  }
  std::string DescribeNext() const override { return {}; }

  std::vector<std::string> boxes, destroyed;
};

class ProgressTest : public RemovalTest {
 protected:
  void SetUp() override {
    RemovalTest::SetUp();
    m_->ui().SetUser(&user_);
    m_->ui().SetResources(&simrun::ProductResources());
    // The entry the registry step removes.
    ASSERT_EQ(m_->registry().SetString(
                  "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Dastrel00",
                  "DisplayName", "Halvorn+"),
              0u);
  }
  SlowUser user_;
};

TEST_F(ProgressTest, StepsRunOnceInOrderWhileAStepWaitsInAMessageBox) {
  SlowUser& user = user_;
  Put("C:\\TAPE\\A.EXE");  // no uninstall log: step 3 waits in its box
  Put("C:\\SAILE.INI");

  UninstallProgressDialog progress(*state_, FileRemoval::kSelective);
  EXPECT_EQ(progress.Run(), setup::uninstall::kCompleted);
  // The box opened with the file step at 4 s; the timer went on meanwhile
  // to its fifth tick at 10 s, but the dialog closed only when the waiting
  // step had finished, after the box, with the extra files removed.
  EXPECT_EQ(user.boxes, (std::vector<std::string>{"Can't find file...@4000"}));
  EXPECT_EQ(user.destroyed, (std::vector<std::string>{"139@11000"}));
  EXPECT_FALSE(Exists("C:\\SAILE.INI"));
  EXPECT_TRUE(Exists("C:\\TAPE\\A.EXE"));
}

TEST_F(ProgressTest, ProgressDialogEndsByItselfAfterFiveTicks) {
  SlowUser& user = user_;
  Record("C:\\TAPE", true);
  ASSERT_EQ(platform::WriteWholeFile(m_->files(), "C:\\TAPE\\UNINST.LST", "C:\\TAPE\\SETUP.DAT\r\n"), 0u);
  UninstallProgressDialog progress(*state_, FileRemoval::kSelective);
  EXPECT_EQ(progress.Run(), setup::uninstall::kCompleted);
  EXPECT_TRUE(user.boxes.empty());
  EXPECT_EQ(user.destroyed, (std::vector<std::string>{"139@10000"}));
  EXPECT_FALSE(Exists("C:\\TAPE"));
}

// A user who presses a key on the progress dialog as soon as it waits for
// input, before the first step tick.
class KeyUser : public SlowUser {
 public:
  explicit KeyUser(sim::SimUi::Key key) : key_(key) {}
  bool ModalDialogWaits(sim::SimUi& ui, platform::WindowHandle dialog) override {
    if (ui.TemplateOf(dialog) != ui::ids::uninstall_progress::kTemplate || pressed_) return false;
    pressed_ = true;
    int button = 0;
    click = ui.PressKey(dialog, key_, &button);
    return true;
  }
  sim::SimUi::Click click = sim::SimUi::Click::kNoControl;

 private:
  sim::SimUi::Key key_;
  bool pressed_ = false;
};

// The progress dialog has no buttons; Enter and Escape still end it at
// once, with 1 and 2, as the dialog manager sends OK and Cancel. Only the
// registry step, run before the dialog is seen, has happened: the group
// and the files are left.
TEST_F(ProgressTest, EnterAndEscapeEndItEarly) {
  const struct {
    sim::SimUi::Key key;
    int result;
  } cases[] = {{sim::SimUi::Key::kEnter, 1}, {sim::SimUi::Key::kEscape, 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.result);
    ASSERT_EQ(m_->registry().SetString(
                  "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Dastrel00",
                  "DisplayName", "Halvorn+"),
              0u);
    Record("C:\\TAPE", true);
    ASSERT_EQ(platform::WriteWholeFile(m_->files(), "C:\\TAPE\\UNINST.LST", "C:\\TAPE\\SETUP.DAT\r\n"), 0u);
    m_->progman().AddGroup("Halvorn+");
    state_->groupName = "Halvorn+";
    KeyUser user(c.key);
    m_->ui().SetUser(&user);
    const std::uint64_t start = m_->ui().now();
    UninstallProgressDialog progress(*state_, FileRemoval::kSelective);
    EXPECT_EQ(progress.Run(), c.result);
    EXPECT_EQ(user.click, sim::SimUi::Click::kDone);
    // Closed at once, no step tick (2 s) came.
    EXPECT_EQ(user.destroyed, (std::vector<std::string>{"139@" + std::to_string(start)}));
    EXPECT_TRUE(user.boxes.empty());
    EXPECT_TRUE(Exists("C:\\TAPE\\SETUP.DAT"));
    EXPECT_TRUE(Exists("C:\\TAPE\\UNINST.LST"));
    std::uint32_t type = 0;
    std::string value;
    EXPECT_NE(m_->registry().GetValueAt(
                  "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Dastrel00",
                  "DisplayName", &type, &value),
              0u);
    EXPECT_NE(m_->progman().Export().find("group Halvorn+"), std::string::npos);
    m_->ui().SetUser(&user_);
  }
}

}  // namespace
}  // namespace uninstall

namespace uninstall {
namespace {

// A user of the group selection: what the dialog offers when it opens,
// what Enter does then, and how it is left (a group double-clicked, or
// Cancel).
class GroupChooser : public sim::User {
 public:
  explicit GroupChooser(std::string choose) : choose_(std::move(choose)) {}
  int AnswerMessageBox(sim::SimUi&, platform::WindowHandle, const std::string&,
                       const std::string&, std::uint32_t) override {
    return platform::answer::kOk;
  }
  void ModelessDialogShown(sim::SimUi&, platform::WindowHandle) override {}
  bool ModelessDialogsOpen(sim::SimUi&) override { return false; }
  bool ModalDialogWaits(sim::SimUi& ui, platform::WindowHandle dialog) override {
    if (ui.TemplateOf(dialog) != ui::ids::select_group::kTemplate || acted_) return false;
    acted_ = true;
    selectedAtStart = ui.ListCurSel(dialog, ui::ids::select_group::kGroupList);
    okAtStart = ui.IsItemEnabled(dialog, platform::cmd::kOk);
    int button = 0;
    enter = ui.PressKey(dialog, sim::SimUi::Key::kEnter, &button);
    openAfterEnter = ui.IsOpen(dialog);
    if (!openAfterEnter) return true;
    if (choose_.empty()) {
      ui.PressButton(dialog, platform::cmd::kCancel);
    } else {
      ui.DoubleClickListEntry(dialog, ui::ids::select_group::kGroupList, choose_);
    }
    return true;
  }
  std::string WhyModalDialogWaits(sim::SimUi&, platform::WindowHandle) override { return "done"; }
  void DialogDestroyed(sim::SimUi&, platform::WindowHandle, int, bool) override {}
  std::string DescribeNext() const override { return {}; }

  int selectedAtStart = -2;
  bool okAtStart = true;
  sim::SimUi::Click enter = sim::SimUi::Click::kDone;
  bool openAfterEnter = false;

 private:
  std::string choose_;
  bool acted_ = false;
};

// The group list opens with nothing selected and OK disabled, so Enter
// takes no group (once it took the first of the list, "Accessories");
// only a group the user picks becomes the group removed.
TEST_F(RemovalTest, GroupSelectionActsOnlyOnTheUsersChoice) {
  struct Case {
    const char* choose;  // "" cancels
    int result;
    const char* groupName;
  } cases[] = {
      {"", platform::cmd::kCancel, "Halvorn+ old"},
      {"Halvorn+ renamed", platform::cmd::kOk, "Halvorn+ renamed"},
  };
  m_->ui().SetResources(&simrun::ProductResources());
  for (const char* group : {"Accessories", "Halvorn+ renamed", "StartUp"}) m_->progman().AddGroup(group);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.choose);
    GroupChooser user(c.choose);
    m_->ui().SetUser(&user);
    state_->groupName = "Halvorn+ old";
    SelectGroupDialog select(*state_);
    EXPECT_EQ(select.Run(platform::kNoWindow), c.result);
    EXPECT_EQ(user.selectedAtStart, -1);
    EXPECT_FALSE(user.okAtStart);
    EXPECT_NE(user.enter, sim::SimUi::Click::kDone);
    EXPECT_TRUE(user.openAfterEnter);
    EXPECT_EQ(state_->groupName, c.groupName);
    m_->ui().SetUser(nullptr);
  }
}

}  // namespace
}  // namespace uninstall
