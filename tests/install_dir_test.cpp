// The install directory dialog, its checks and the directory browser; the
// license agreement; the placement of both on the desktop.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/forwarding.h"
#include "platform/sim/sim_machine.h"
#include "scenario/scenario.h"
#include "setup/description.h"
#include "setup/setup_run.h"
#include "setup/state.h"
#include "simrun/product_resources.h"
#include "simrun/scenario_user.h"
#include "support/null_machine.h"
#include "text/text.h"
#include "ui/dialog_ids.h"
#include "ui/directory_rules.h"
#include "ui/install_dir_dialog.h"
#include "ui/license_dialog.h"

namespace ui {
namespace {

namespace fs = std::filesystem;

// ---------------------------------------------------------------- text checks

TEST(InstallDirTextTest, EachTextGetsItsVerdict) {
  testsupport::NullFiles files;  // nothing exists: the texts alone decide
  const std::string windowsDir = "C:\\windows";
  const std::string programFiles = "C:\\Program Files";
  const std::string deep = "C:\\1\\2\\3\\4\\5\\6\\7\\8\\9\\10\\11";  // 11 backslashes
  const std::string tooDeep = deep + "\\12";
  std::string long200 = "C:\\" + std::string(197, 'a');
  struct Case {
    std::string dir;
    DirText verdict;
  } cases[] = {
      // Incomplete: no colon or no backslash.
      {"C:", DirText::kIncomplete},
      {"\\TEMP", DirText::kIncomplete},
      {"C:TEMP", DirText::kIncomplete},
      {"C:/TEMP/Tape", DirText::kIncomplete},
      {"\\\\server\\share\\", DirText::kIncomplete},
      {"", DirText::kIncomplete},
      // Directories whose removal takes more than the product.
      {"C:\\", DirText::kNotAllowed},
      {"C:\\.", DirText::kNotAllowed},
      {"c:\\\\", DirText::kNotAllowed},
      {"D:\\", DirText::kNotAllowed},
      {"C:\\WINDOWS", DirText::kNotAllowed},
      {"c:\\windows\\", DirText::kNotAllowed},
      {"C:\\windows. ", DirText::kNotAllowed},
      {"C:\\Tape\\..\\Windows", DirText::kNotAllowed},
      {"C:\\Program Files", DirText::kNotAllowed},
      {"C:\\PROGRAM FILES\\.", DirText::kNotAllowed},
      // Anything below the Windows directory holds Windows' own files.
      {"C:\\windows\\Tape", DirText::kNotAllowed},
      {"C:\\WINDOWS\\system32\\drivers", DirText::kNotAllowed},
      {"c:\\windows/system/", DirText::kNotAllowed},
      {"C:/", DirText::kIncomplete},
      // Acceptable.
      {"C:\\Program Files\\Tape", DirText::kAcceptable},
      {"C:\\windowsTape", DirText::kAcceptable},
      {"D:\\windows", DirText::kAcceptable},
      {"C:\\Programme für Bänder", DirText::kAcceptable},
      {deep, DirText::kAcceptable},
      {long200, DirText::kAcceptable},
      // Not a directory of its own.
      {tooDeep, DirText::kInvalid},
      {long200 + "a", DirText::kInvalid},
      {"C:\\" + std::string(252, 'a'), DirText::kInvalid},  // 255 characters
      {"C:\\" + std::string(297, 'a'), DirText::kInvalid},
      {"C:\\Tape/Backup", DirText::kInvalid},
      {"C:\\Tape.", DirText::kInvalid},
      {"C:\\Tape ", DirText::kInvalid},
      {"C:\\Tape...\\Sub", DirText::kInvalid},
      {"C:\\Tape\\", DirText::kInvalid},
      {"C:\\Tape\\\\Sub", DirText::kInvalid},
      {"C:\\Tape\\.\\Sub", DirText::kInvalid},
      {"C:\\Tape\\..\\Sub", DirText::kInvalid},
      {"C:\\Ta*pe", DirText::kInvalid},
      {"C:\\Tape:2", DirText::kInvalid},
      {"C:\\Tape\tX", DirText::kInvalid},
      {"1:\\Tape", DirText::kInvalid},
      {" C:\\Tape", DirText::kInvalid},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CheckInstallDirText(files, c.dir, windowsDir, programFiles), c.verdict)
        << "'" << c.dir << "' (" << c.dir.size() << " characters)";
  }
}

TEST(InstallDirTextTest, ProtectedDirectories) {
  testsupport::NullFiles files;
  EXPECT_TRUE(IsProtectedDirectory(files, "\\\\server\\share\\", "C:\\windows", ""));
  EXPECT_TRUE(IsProtectedDirectory(files, "\\\\server\\share", "C:\\windows", ""));
  EXPECT_FALSE(IsProtectedDirectory(files, "\\\\server\\share\\Tape", "C:\\windows", ""));
  EXPECT_TRUE(IsProtectedDirectory(files, "C:\\WINNT", "C:\\WINNT\\", ""));
  EXPECT_TRUE(IsProtectedDirectory(files, "C:\\OS", "C:\\OS\\WINNT", ""));
  EXPECT_FALSE(IsProtectedDirectory(files, "C:\\OS2", "C:\\OS\\WINNT", ""));
  // Without a program files directory only roots and the Windows directory
  // count.
  EXPECT_FALSE(IsProtectedDirectory(files, "C:\\Program Files", "C:\\windows", ""));
}

// The same directories by another spelling on a machine where they exist:
// 8.3 aliases (the simulated machine gives them as Windows 95 does) name
// what they stand for.
TEST(InstallDirTextTest, ProtectedDirectoriesByTheirAliases) {
  const fs::path root = fs::path(::testing::TempDir()) / "protected_aliases";
  fs::remove_all(root);
  std::string error;
  auto m = sim::SimMachine::Open(root.string(), &error);
  ASSERT_TRUE(m) << error;
  platform::FileSystem& files = m->machine().files;
  ASSERT_EQ(m->files().MakeDirectories("C:\\windows\\system32\\drivers"), 0u);
  ASSERT_EQ(m->files().MakeDirectories("C:\\Program Files\\Tape Backup"), 0u);
  ASSERT_EQ(m->files().MakeDirectories("C:\\Long Windows Name"), 0u);
  std::string programFilesAlias;
  ASSERT_EQ(files.GetShortPathName("C:\\Program Files", &programFilesAlias), 0u);
  ASSERT_NE(programFilesAlias, "C:\\Program Files");
  std::string ownAlias;
  ASSERT_EQ(files.GetShortPathName("C:\\Program Files\\Tape Backup", &ownAlias), 0u);
  std::string windowsAlias;
  ASSERT_EQ(files.GetShortPathName("C:\\Long Windows Name", &windowsAlias), 0u);
  struct Case {
    int row;
    std::string dir, windowsDir;
    bool protectedDir;
  } cases[] = {
      {1, programFilesAlias, "C:\\windows", true},
      {2, programFilesAlias + "\\.", "C:\\windows", true},
      {3, ownAlias, "C:\\windows", false},
      {4, "C:\\Program Files\\Tape Backup", "C:\\windows", false},
      {5, "C:\\WINDOWS\\SYSTEM32\\DRIVERS", "C:\\windows", true},
      {6, "C:\\Long Windows Name\\Sub", windowsAlias, true},
      {7, windowsAlias, "C:\\Long Windows Name", true},
      {8, "C:\\", windowsAlias, true},
      {9, "C:\\Long", windowsAlias, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsProtectedDirectory(files, c.dir, c.windowsDir, "C:\\Program Files"), c.protectedDir)
        << "row " << c.row << ": " << c.dir;
  }
  EXPECT_EQ(CheckInstallDirText(files, programFilesAlias, "C:\\windows", "C:\\Program Files"),
            DirText::kNotAllowed);
  fs::remove_all(root);
}

// ---------------------------------------------------------------- creation

TEST(CreateDirectoryPathTest, CreatesMissingLevelsFromTheTop) {
  const fs::path root = fs::path(::testing::TempDir()) / "create_directory_path";
  fs::remove_all(root);
  std::string error;
  auto m = sim::SimMachine::Open(root.string(), &error);
  ASSERT_TRUE(m) << error;
  platform::FileSystem& files = m->machine().files;
  m->files().PutFile("C:\\file.txt", "x");

  EXPECT_EQ(CreateDirectoryPath(files, "C:\\New\\Deeper"), 0);
  EXPECT_TRUE(fs::is_directory(root / "C" / "New" / "Deeper"));
  // It exists now: the walk ends at the drive.
  EXPECT_EQ(CreateDirectoryPath(files, "C:\\New\\Deeper"), 1);
  // Through a file, and on a drive that does not exist.
  EXPECT_EQ(CreateDirectoryPath(files, "C:\\file.txt\\Sub"), 1);
  EXPECT_EQ(CreateDirectoryPath(files, "Q:\\Tape"), 1);
  EXPECT_FALSE(fs::exists(root / "C" / "file.txt" / "Sub"));
  fs::remove_all(root);
}

// Where a level cannot be created, the walk ends with 1 whatever the answer
// and however deep the path goes below the refusing directory, and creates
// nothing below it; the levels above a refusal that could be made stay.
TEST(CreateDirectoryPathTest, EndsOnEveryRefusal) {
  const fs::path root = fs::path(::testing::TempDir()) / "create_directory_path_refused";
  struct Case {
    const char* refusing;  // the directory in which creating fails
    bool refusingExists;
    std::uint32_t error;   // what creating a directory in it answers
    const char* path;      // what is created
    const char* made;      // a level made on the way ("" none), host path below C/
  } cases[] = {
      {"C:\\Locked", true, platform::err::kAccessDenied, "C:\\Locked\\New", ""},
      {"C:\\Locked", true, platform::err::kAccessDenied, "C:\\Locked\\New\\Deeper", ""},
      {"C:\\Locked", true, platform::err::kAccessDenied, "C:\\Locked\\A\\B\\C\\D", ""},
      {"C:\\Top\\Locked", true, platform::err::kAccessDenied, "C:\\Top\\Locked\\New\\Deeper", ""},
      {"C:\\CD", true, 19, "C:\\CD\\New\\Deeper", ""},          // write-protected
      {"C:\\Drive", true, 21, "C:\\Drive\\New\\Deeper", ""},    // not ready
      {"C:\\Odd", true, 1117, "C:\\Odd\\New\\Deeper", ""},      // an I/O error
      {"C:\\Odd", true, 0x7FFFFFFF, "C:\\Odd\\New", ""},         // no known error
      // A level created on the way, then a refusal above it.
      {"C:\\Made", false, platform::err::kAccessDenied, "C:\\Made\\New\\Deeper", "Made"},
      {"C:\\Up\\Made", false, 19, "C:\\Up\\Made\\X\\Y", "Up/Made"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    fs::remove_all(root);
    std::string error;
    auto m = sim::SimMachine::Open(root.string(), &error);
    ASSERT_TRUE(m) << error;
    if (c.refusingExists) {
      ASSERT_EQ(m->files().MakeDirectories(c.refusing), 0u);
    }
    ASSERT_EQ(m->files().RefuseDirectoryCreation(c.refusing, c.error), 0u);
    EXPECT_EQ(CreateDirectoryPath(m->machine().files, c.path), 1);
    std::string below = c.path + std::string(c.refusing).size() + 1;
    const std::string first = below.substr(0, below.find('\\'));
    std::string refusingHost = c.refusing + 3;  // below "C:\\"
    for (char& ch : refusingHost) ch = ch == '\\' ? '/' : ch;
    EXPECT_FALSE(fs::exists(root / "C" / refusingHost / first));
    if (*c.made) {
      EXPECT_TRUE(fs::is_directory(root / "C" / c.made));
    }
    // The refusal is the machine's, not the walk's: elsewhere it creates.
    EXPECT_EQ(CreateDirectoryPath(m->machine().files, "C:\\Free\\New\\Deeper"), 0);
    EXPECT_TRUE(fs::is_directory(root / "C" / "Free" / "New" / "Deeper"));
  }
  fs::remove_all(root);
}

// ---------------------------------------------------------------- placement

TEST(PlacementTest, CentreHalvesTowardsZero) {
  struct {
    platform::Rect desktop, window;
    Point expected;
  } cases[] = {
      {{0, 0, 1024, 768}, {0, 0, 300, 200}, {362, 284}},
      {{0, 0, 1024, 768}, {10, 10, 311, 211}, {361, 283}},   // odd differences
      {{0, 0, 640, 480}, {0, 0, 701, 481}, {-30, 0}},        // wider than the screen
      {{0, 0, 640, 480}, {0, 0, 800, 600}, {-80, -60}},
  };
  for (const auto& c : cases) {
    Point p = DesktopCentrePosition(c.desktop, c.window);
    EXPECT_EQ(p.x, c.expected.x);
    EXPECT_EQ(p.y, c.expected.y);
  }
}

// ---------------------------------------------------------------- dialogs on the simulated machine

// A file system that refuses to create anything below C:\LOCKED, as a
// directory without write permission does; the rest is the simulated one.
class LockedFiles : public platform::ForwardingFileSystem {
 public:
  explicit LockedFiles(platform::FileSystem& f) : ForwardingFileSystem(f) {}
  std::uint32_t CreateDirectory(const std::string& p) override {
    if (p.rfind("C:\\LOCKED\\", 0) == 0) return platform::err::kAccessDenied;
    return ForwardingFileSystem::CreateDirectory(p);
  }
};

class InstallDirDialogTest : public ::testing::Test {
 protected:
  InstallDirDialogTest() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = fs::path(::testing::TempDir()) / ("install_dir_" + std::string(info->name()));
    fs::remove_all(root_);
    std::string error;
    sim_ = sim::SimMachine::Open((root_ / "m").string(), &error);
    sim_->ui().SetResources(&simrun::ProductResources());
    locked_ = std::make_unique<LockedFiles>(sim_->files());
    platform::Machine& m = sim_->machine();
    machine_ = std::make_unique<platform::Machine>(
        platform::Machine{m.system, *locked_, m.profile, m.registry, m.lz, m.ui, m.dde});
    state_ = std::make_unique<setup::SetupState>(*machine_);
    setup::SetupState& s = *state_;
    s.values = {"1", "1", "ENG", "Halvorn", "", "7.0", "95/NT", "QIC"};
    s.productName = "Halvorn";
    s.windowsDir = "C:\\windows";
    s.defaultInstallDir = "C:\\Program Files\\Halvorn+ for Windows 95";
    s.companyShort = "Brennick";
    s.companyLong = "Brennick Corporation";
    sim_->files().MakeDirectories("C:\\LOCKED");
    sim_->files().PutFile("C:\\file.txt", "x");
    sim_->files().MakeDirectories("C:\\Tape\\Old");
  }
  ~InstallDirDialogTest() override {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }

  // Runs the dialog against the user's statements; returns its result and
  // the transcript records.
  int Run(const std::string& user, std::vector<std::string>* records) {
    std::string error;
    EXPECT_TRUE(scenario::ParseScenario("run A:\\SETUP.EXE\n" + user, "t.scn", &scenario_, &error))
        << error;
    user_ = std::make_unique<simrun::ScenarioUser>(scenario_);
    sim_->ui().SetUser(user_.get());
    InstallDirDialog dialog(*state_);
    int result = sim_->ui().RunModal(platform::kNoWindow, dialog);
    *records = user_->records();
    EXPECT_TRUE(user_->Done()) << user_->UnusedError();
    return result;
  }

  fs::path root_;
  std::unique_ptr<sim::SimMachine> sim_;
  std::unique_ptr<LockedFiles> locked_;
  std::unique_ptr<platform::Machine> machine_;
  std::unique_ptr<setup::SetupState> state_;
  scenario::Scenario scenario_;
  std::unique_ptr<simrun::ScenarioUser> user_;
};

std::string Escaped(const std::string& text) { return text::Quote(text); }

// Each typed directory that is refused gets its message; the dialog stays
// open and is then cancelled.
TEST_F(InstallDirDialogTest, RefusedEntriesGetTheirMessage) {
  struct {
    std::string typed;
    const char* caption;
  } cases[] = {
      {"C:", "Incomplete Directory Name"},
      {"\\\\server\\share\\", "Incomplete Directory Name"},
      {"C:/Tape", "Incomplete Directory Name"},
      {"C:\\", "Directory Not Allowed"},
      {"C:\\.", "Directory Not Allowed"},
      {"C:\\WINDOWS\\", "Directory Not Allowed"},
      {"C:\\Program Files", "Directory Not Allowed"},
      {"C:\\" + std::string(252, 'a'), "Invalid Directory Name"},
      {"C:\\1\\2\\3\\4\\5\\6\\7\\8\\9\\10\\11\\12", "Invalid Directory Name"},
      {"Q:\\Tape", "Invalid Directory Name"},
      {"C:\\file.txt\\Tape", "Invalid Directory Name"},
      {"C:\\file.txt", "Invalid Directory Name"},
      {"C:\\LOCKED\\Tape", "Invalid Directory Name"},
      // A name before the last ending in a dot or blank: Windows would
      // drop them there too, but not in the same way on every system.
      {"C:\\Tape. \\Backup", "Invalid Directory Name"},
      {"C:\\Tape/Backup", "Invalid Directory Name"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> records;
    int result = Run("dialog 102: set 1000 " + Escaped(c.typed) + "; press 1\nbox \"" + c.caption +
                         "\": ok\ndialog 102 read 1000: press 2\nbox \"Confirm Cancel\": yes\n",
                     &records);
    EXPECT_EQ(result, platform::cmd::kCancel) << c.typed;
    ASSERT_EQ(records.size(), 4u) << c.typed;
    EXPECT_NE(records[1].find("owner=dialog:102 icon=error buttons=ok"), std::string::npos)
        << records[1];
    // The typed text stays.
    EXPECT_NE(records[2].find("1000=" + Escaped(c.typed)), std::string::npos) << records[2];
    EXPECT_TRUE(state_->installDir.empty());
  }
  EXPECT_FALSE(fs::exists(root_ / "m" / "C" / "Tape. "));
  EXPECT_FALSE(fs::exists(root_ / "m" / "C" / "LOCKED" / "Tape"));
}

// A text that cannot be a directory name says why; a path that could be
// one but cannot be made keeps the design's "Cannot accept that entry".
TEST_F(InstallDirDialogTest, ANameThatCannotBeADirectorySaysWhy) {
  const struct {
    const char* typed;
    const char* text;
  } cases[] = {
      {"C:\\Tape/Backup", "C:\\\\Tape/Backup cannot be a directory name."},
      {"C:\\Tape. \\Backup", "only the last may end with a dot or a blank"},
      {"Q:\\Tape", "text=\"Cannot accept that entry\""},
  };
  for (const auto& c : cases) {
    std::vector<std::string> records;
    Run("dialog 102: set 1000 " + Escaped(c.typed) + "; press 1\nbox \"Invalid Directory Name\": ok\n"
        "dialog 102: press 2\nbox \"Confirm Cancel\": yes\n",
        &records);
    ASSERT_GE(records.size(), 2u) << c.typed;
    EXPECT_NE(records[1].find(c.text), std::string::npos) << records[1];
  }
}

// The directory meant is taken, in one spelling: trailing backslashes,
// and trailing dots and blanks of the last name, go, as Windows drops
// them; doubled backslashes become one.
TEST(TakeInstallDirText, Table) {
  const struct {
    const char* typed;
    const char* taken;
  } cases[] = {
      {"C:\\TAPE\\", "C:\\TAPE"},
      {"C:\\TAPE\\\\\\", "C:\\TAPE"},
      {"C:\\TAPE.", "C:\\TAPE"},
      {"C:\\TAPE . .", "C:\\TAPE"},
      {"C:\\TAPE. \\", "C:\\TAPE"},
      {"C:\\A\\\\B", "C:\\A\\B"},
      {"C:\\Program Files\\Tape", "C:\\Program Files\\Tape"},
      {"C:\\", "C:\\"},
      {"C:\\\\", "C:\\"},
      {"C:\\...", "C:\\"},
      {"C:\\Tape\\.", "C:\\Tape\\."},
      {"C:\\Tape\\..", "C:\\Tape\\.."},
      {"C:\\Tape. \\B", "C:\\Tape. \\B"},
      {"C:", "C:"},
      {"", ""},
      {" C:\\Tape", " C:\\Tape"},
  };
  for (const auto& c : cases) EXPECT_EQ(TakeInstallDirText(c.typed), c.taken) << c.typed;
}

TEST_F(InstallDirDialogTest, TrailingBackslashDotAndBlankAreTakenAsWindowsTakesThem) {
  for (const char* typed : {"C:\\New\\Tape\\", "C:\\New\\Tape. ", "C:\\New\\Tape\\\\"}) {
    std::vector<std::string> records;
    state_->installDir.clear();
    EXPECT_EQ(Run("dialog 102: set 1000 " + Escaped(typed) + "; press 1\n", &records), platform::cmd::kOk)
        << typed;
    EXPECT_EQ(state_->installDir, "C:\\New\\Tape") << typed;
  }
  // An existing directory with a trailing backslash is confirmed, then
  // taken without it.
  std::vector<std::string> records;
  state_->installDir.clear();
  EXPECT_EQ(Run("dialog 102: set 1000 \"C:\\\\Tape\\\\\"; press 1\nbox \"Confirm Directory Choice\": yes\n",
                &records),
            platform::cmd::kOk);
  EXPECT_EQ(state_->installDir, "C:\\Tape");
}

TEST_F(InstallDirDialogTest, NewDirectoryIsCheckedAndLeftForTheRun) {
  std::vector<std::string> records;
  int result = Run("dialog 102 read 1000 1001: set 1000 \"C:\\New\\Deeper\"; press 1\n", &records);
  EXPECT_EQ(result, platform::cmd::kOk);
  EXPECT_EQ(state_->installDir, "C:\\New\\Deeper");
  ASSERT_EQ(records.size(), 1u);
  EXPECT_NE(records[0].find("title=\"Halvorn+ Setup for Windows 95\""), std::string::npos)
      << records[0];
  EXPECT_NE(records[0].find("1000=\"C:\\\\Program Files\\\\Halvorn+ for Windows 95 - QIC\""),
            std::string::npos)
      << records[0];
  EXPECT_NE(records[0].find("1001=\"\\nWelcome to Halvorn+ Setup"), std::string::npos);
  // The parent stays, the last level is made by the setup run.
  EXPECT_TRUE(fs::is_directory(root_ / "m" / "C" / "New"));
  EXPECT_FALSE(fs::exists(root_ / "m" / "C" / "New" / "Deeper"));
}

TEST_F(InstallDirDialogTest, ExistingDirectoryNeedsConfirmation) {
  std::vector<std::string> records;
  int result = Run(
      "dialog 102: set 1000 \"C:\\Tape\\Old\"; press 1\n"
      "box \"Confirm Directory Choice\": no\n"
      "dialog 102: press 1\n"
      "box \"Confirm Directory Choice\": yes\n",
      &records);
  EXPECT_EQ(result, platform::cmd::kOk);
  EXPECT_EQ(state_->installDir, "C:\\Tape\\Old");
  // The current directory is not left inside the chosen directory.
  EXPECT_EQ(sim_->files().GetCurrentDirectory(), "C:\\");
}

TEST_F(InstallDirDialogTest, DefaultRestoresTheProposalAndCancelAsks) {
  state_->scsi = true;
  std::vector<std::string> records;
  int result = Run(
      "dialog 102: set 1000 \"D:\\Other\"; press 5\n"
      "dialog 102 read 1000: press 2\n"
      "box \"Confirm Cancel\": no\n"
      "dialog 102: press 2\n"
      "box \"Confirm Cancel\": yes\n",
      &records);
  EXPECT_EQ(result, platform::cmd::kCancel);
  ASSERT_GE(records.size(), 2u);
  EXPECT_NE(records[1].find("1000=\"C:\\\\Program Files\\\\Halvorn+ for Windows 95 - SCSI\""),
            std::string::npos)
      << records[1];
}

TEST_F(InstallDirDialogTest, OtherProductsGetNoInterfaceSuffix) {
  state_->productName = "Ostrilk";
  state_->defaultInstallDir = "C:\\Program Files\\Ostrilk for Windows 95";
  EXPECT_EQ(ProposedInstallDir(*state_), "C:\\Program Files\\Ostrilk for Windows 95");
}

// The browser: entered directories, a chosen one taken, a root or a
// protected one refused with the message and the text left as it was.
TEST_F(InstallDirDialogTest, BrowserChoosesDirectories) {
  std::vector<std::string> records;
  int result = Run(
      "dialog 102: press 4\n"
      "dialog 1536 read 1088: open 1121 \"[Tape]\"; open 1121 \"[Old]\"; press 1\n"
      "dialog 102 read 1000: press 4\n"
      "dialog 1536 read 1088: open 1121 \"[..]\"; open 1121 \"[..]\"; press 1\n"
      "box \"Directory Not Allowed\": ok\n"
      "dialog 102: press 4\n"
      "dialog 1536: open 1121 \"[windows]\"; press 1\n"
      "box \"Directory Not Allowed\": ok\n"
      "dialog 102: press 4\n"
      "dialog 1536: open 1121 \"[..]\"; open 1121 \"[Tape]\"; press 2\n"
      "dialog 102 read 1000: press 2\n"
      "box \"Confirm Cancel\": yes\n",
      &records);
  EXPECT_EQ(result, platform::cmd::kCancel);
  ASSERT_EQ(records.size(), 12u);
  EXPECT_EQ(records[1], "dialog 1536 owner=dialog:102 title=\"Directory Browser\" 1088=\"c:\\\\\" "
                        "-> open 1121 \"[Tape]\"; open 1121 \"[Old]\"; press 1");
  EXPECT_NE(records[2].find("1000=\"C:\\\\Tape\\\\Old\""), std::string::npos) << records[2];
  // The browser opens where the Windows drive's current directory is.
  EXPECT_NE(records[3].find("1088=\"c:\\\\tape\\\\old\""), std::string::npos) << records[3];
  EXPECT_NE(records[11 - 1].find("1000=\"C:\\\\Tape\\\\Old\""), std::string::npos)
      << records[10];
}

TEST_F(InstallDirDialogTest, BrowserHookHidesFileControlsAndCentres) {
  // The hook alone, on a window of the browser's template.
  class Probe : public platform::DialogHandler {
   public:
    explicit Probe(setup::SetupState& s) : DialogHandler(ids::browser::kTemplate), hook(s) {}
    bool OnInitDialog(platform::WindowHandle h) override {
      hook.OnInitDialog(h);
      window = h;
      return false;
    }
    DirectoryBrowserHook hook;
    platform::WindowHandle window = 0;
  } probe(*state_);
  sim::SimUi& ui = sim_->ui();
  platform::WindowHandle h = ui.CreateModeless(platform::kNoWindow, probe);
  EXPECT_EQ(ui.GetItemText(h, ids::browser::kFileName), "Junk");
  EXPECT_EQ(ui.FocusOf(h), ids::browser::kDirectories);
  EXPECT_EQ(ui.GetWindowText(h), "Directory Browser");
  ui.DestroyWindow(h);
  EXPECT_EQ(BrowserDirectory("C:\\Tape\\Junk"), "C:\\Tape");
  EXPECT_EQ(BrowserDirectory("C:\\Junk"), "C:");
}

// The license agreement sits 20 pixels below the desktop's centre; the
// install directory dialog is centred, as its template says.
TEST_F(InstallDirDialogTest, LicenseSitsBelowTheCentreAndTheDirectoryDialogOnIt) {
  sim::SimUi& ui = sim_->ui();
  LicenseAgreementDialog license(*state_);
  InstallDirDialog dir(*state_);
  const struct {
    platform::DialogHandler* dialog;
    int below;
  } cases[] = {{&license, 20}, {&dir, 0}};
  for (const auto& c : cases) {
    platform::WindowHandle h = ui.CreateModeless(platform::kNoWindow, *c.dialog);
    platform::Rect r = ui.GetWindowRect(h);
    EXPECT_EQ(r.left, (1024 - r.Width()) / 2) << c.below;
    EXPECT_EQ(r.top, (768 - r.Height()) / 2 + c.below);
    ui.DestroyWindow(h);
  }
}

// A machine whose install directory dialog cannot be made (DialogBoxParam
// answers -1, as for a missing template or no memory): every other dialog
// is the simulated machine's.
class NoInstallDirDialogUi : public platform::ForwardingUi {
 public:
  using ForwardingUi::ForwardingUi;
  int RunModal(platform::WindowHandle owner, platform::DialogHandler& handler) override {
    if (handler.TemplateId() == ids::install_dir::kTemplate) {
      ++refused;
      return -1;
    }
    return ForwardingUi::RunModal(owner, handler);
  }
  int refused = 0;
};

// Without the dialog no directory was chosen: the installation is
// cancelled, as when the group dialog cannot be made, before the group
// dialog and before anything is installed.
TEST_F(InstallDirDialogTest, ADialogThatCannotBeMadeCancelsTheInstallation) {
  std::string error;
  ASSERT_TRUE(scenario::ParseScenario(
      "run A:\\SETUP.EXE\ndialog 129: press 1\n"
      "box \"Exiting Install\" text \"Setup canceled by user.\": ok\n",
      "t.scn", &scenario_, &error))
      << error;
  simrun::ScenarioUser user(scenario_);
  sim_->ui().SetUser(&user);
  sim_->MapDrive('A', std::string(SETUP_SOURCE_DIR) + "/tests/scenarios/disks/halvorn_nofiles");
  sim_->system().SetCommandLine("A:\\SETUP.EXE");
  platform::Machine& m = sim_->machine();
  NoInstallDirDialogUi ui(m.ui);
  platform::Machine machine{m.system, m.files, m.profile, m.registry, m.lz,
                            ui,       m.dde,   m.versions, m.services};
  EXPECT_EQ(setup::RunSetup(machine), setup::exitcode::kCancelled);
  EXPECT_EQ(ui.refused, 1);
  EXPECT_TRUE(user.Done()) << user.UnusedError();
  EXPECT_FALSE(fs::exists(root_ / "m" / "C" / "Program Files" / "Halvorn+ for Windows 95 - QIC"));
}

// ---------------------------------------------------------------- license

// The license opens with the focus on Cancel, the default button (not on
// the text, which would open selected and scrolled to its end), and Enter
// and Escape both decline it, as a click on Cancel does.
TEST_F(InstallDirDialogTest, LicenseFocusIsOnCancelAndEnterDeclines) {
  sim::SimUi& ui = sim_->ui();
  LicenseAgreementDialog probe(*state_);
  platform::WindowHandle h = ui.CreateModeless(platform::kNoWindow, probe);
  EXPECT_EQ(ui.FocusOf(h), ids::license::kCancel);
  ui.DestroyWindow(h);
  for (const char* key : {"enter", "escape"}) {
    std::string error;
    ASSERT_TRUE(scenario::ParseScenario(std::string("run A:\\SETUP.EXE\ndialog 129: key ") + key +
                                            "\n",
                                        "t.scn", &scenario_, &error))
        << error;
    simrun::ScenarioUser user(scenario_);
    ui.SetUser(&user);
    LicenseAgreementDialog license(*state_);
    EXPECT_EQ(ui.RunModal(platform::kNoWindow, license), platform::cmd::kCancel) << key;
    EXPECT_TRUE(user.Done()) << user.UnusedError();
    ui.SetUser(nullptr);
  }
}

TEST(LicenseTest, TextIsExpandedWithCrLfAndNoMarkerLeft) {
  std::string error;
  const fs::path root = fs::path(::testing::TempDir()) / "license_text";
  fs::remove_all(root);
  auto m = sim::SimMachine::Open(root.string(), &error);
  ASSERT_TRUE(m) << error;
  struct {
    const char* prd;
    const char* aux;
    bool nt;
    const char* product;
    const char* company;
    const char* title;
  } cases[] = {
      {"Halvorn", "", false, "Halvorn+", "Brennick Corporation", "Brennick Software License Agreement"},
      {"Halvorn", "S", true, "Halvorn SE", "Brennick Corporation",
       "Brennick Software License Agreement"},
      {"RQ-TAPE", "", false, "RQ-TAPE", "Dunmarrow Corporation",
       "Dunmarrow Software License Agreement"},
  };
  for (const auto& c : cases) {
    setup::SetupState state(m->machine());
    state.values = {"1", "1", "ENG", c.prd, c.aux, "7.0", "95/NT", "QIC"};
    state.productName = c.prd;
    state.seEdition = c.aux[0] == 'S';
    state.windowsNt = c.nt;
    setup::SetCompanyNames(state);
    const std::string text = ExpandedLicenseText(state);
    EXPECT_EQ(std::string(ExpandedLicenseTitle(state)), c.title);
    EXPECT_EQ(text.find("!!"), std::string::npos);
    EXPECT_NE(text.find(c.product), std::string::npos) << c.prd;
    EXPECT_NE(text.find(c.company), std::string::npos) << c.prd;
    EXPECT_GT(text.size(), 2300u);
    EXPECT_LT(text.size(), 2800u);
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\n') {
        ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "bare LF at " << i;
      }
      if (text[i] == '\r') {
        ASSERT_TRUE(i + 1 < text.size() && text[i + 1] == '\n');
      }
    }
    // The source is not rewritten by expansion.
    EXPECT_NE(std::string(LicenseTextSource()).find("!!co_long!!"), std::string::npos);
  }
  fs::remove_all(root);
}

}  // namespace
}  // namespace ui
