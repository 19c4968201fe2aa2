// The copy engine on the simulated Windows machine: disk sets in host
// folders, the user's answers from scenario statements, the transcript of
// every window, and the machine's own file rules (free space, attributes).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "install/copy_engine.h"
#include "lz/szdd.h"
#include "platform/sim/sim_machine.h"
#include "scenario/scenario.h"
#include "simrun/apply_statement.h"
#include "simrun/product_resources.h"
#include "simrun/scenario_user.h"
#include "ui/background_window.h"
#include "ui/dialog_ids.h"

namespace install {
namespace {

namespace fs = std::filesystem;

std::string Bytes(std::size_t n, unsigned seed) {
  std::string s(n, '\0');
  unsigned x = seed * 2654435761u + 7;
  for (std::size_t i = 0; i < n; ++i) {
    x = x * 1103515245u + 12345u;
    s[i] = static_cast<char>((x >> 16) & 0x7F);
  }
  return s;
}

std::string Compressed(const std::string& data, char lastChar) {
  return szdd::Compress(reinterpret_cast<const std::uint8_t*>(data.data()), data.size(), lastChar);
}

class SimCopyTest : public ::testing::Test {
 protected:
  SimCopyTest() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = fs::path(::testing::TempDir()) / ("install_sim_" + std::string(info->name()));
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  ~SimCopyTest() override {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }

  // A disk folder on the host, relative to the scenario's folder.
  void Disk(const std::string& folder, const std::map<std::string, std::string>& files) {
    fs::create_directories(root_ / folder);
    for (const auto& [name, bytes] : files) {
      std::ofstream(root_ / folder / name, std::ios::binary) << bytes;
    }
  }

  // Runs the copy engine on a fresh machine set up and answered by the
  // scenario text (its `run` line is only a formality here).
  int Run(const std::string& scenarioText, const std::vector<std::string>& fileList,
          const std::string& diskCount, int fileCount) {
    std::string error;
    EXPECT_TRUE(scenario::ParseScenario(scenarioText, "test.scn", &scenario_, &error)) << error;
    scenario_.baseDir = root_.string();
    machine_ = sim::SimMachine::Open((root_ / "machine").string(), &error);
    EXPECT_NE(machine_, nullptr) << error;
    for (const scenario::Statement& st : scenario_.setup) {
      EXPECT_TRUE(simrun::ApplySetupStatement(*machine_, st, scenario_, "", &error)) << error;
    }
    user_ = std::make_unique<simrun::ScenarioUser>(scenario_);
    machine_->ui().SetResources(&simrun::ProductResources());
    machine_->ui().SetUser(user_.get());
    user_->SetInsertHandler([this](char drive, const std::string& folder) {
      machine_->MapDrive(drive, scenario::ResolveHostPath(scenario_, folder));
    });
    machine_->files().MakeDirectories("C:\\TAPE");

    state_ = std::make_unique<setup::SetupState>(machine_->machine());
    setup::SetupState& state = *state_;
    state.sourceDir = "A:";
    state.windowsDir = "C:\\windows";
    state.installDir = "C:\\TAPE";
    state.windowsNt = scenario_.setup.size() > 0 && scenario_.setup[0].kind == scenario::Kind::kPlatform &&
                      scenario_.setup[0].As<scenario::PlatformSetup>().platform == scenario::Platform::kNt;
    state.values.prd = "Halvorn";
    state.values.mct = diskCount;
    state.fileCount = fileCount;
    for (const std::string& line : fileList) state.fileList.push_back(line + "\n");

    ui::BackgroundWindow background(state);
    state.backgroundWindow = machine_->ui().CreateModeless(platform::kNoWindow, background);
    machine_->ui().SetMainWindow(state.backgroundWindow);

    int result = CopyProductFiles(state, "C:\\TAPE");

    EXPECT_TRUE(user_->Done()) << user_->UnusedError();
    EXPECT_EQ(machine_->files().OpenHandleCount(), 0u);
    EXPECT_TRUE(machine_->ui().IsWindowEnabled(state.backgroundWindow));
    EXPECT_EQ(machine_->ui().OpenWindowCount(), 1u);  // only the background is left
    machine_->ui().DestroyWindow(state.backgroundWindow);
    return result;
  }

  std::string Read(const std::string& windowsPath) {
    std::string data;
    if (platform::ReadWholeFile(machine_->files(), windowsPath, &data) != 0) return "<missing>";
    return data;
  }
  bool Exists(const std::string& windowsPath) {
    platform::FileStatus status;
    return machine_->files().GetFileStatus(windowsPath, &status) == 0;
  }
  // Records other than the background window's, in order.
  std::vector<std::string> Records() {
    std::vector<std::string> out;
    for (const std::string& r : user_->records()) {
      if (r.rfind("window " + std::to_string(ui::ids::background::kTemplate) + " ", 0) != 0) {
        out.push_back(r);
      }
    }
    return out;
  }

  fs::path root_;
  scenario::Scenario scenario_;
  std::unique_ptr<sim::SimMachine> machine_;
  std::unique_ptr<simrun::ScenarioUser> user_;
  std::unique_ptr<setup::SetupState> state_;
};

TEST_F(SimCopyTest, TwoDisksWrongDiskFirst) {
  const std::string readme = Bytes(11000, 1), vxd = Bytes(3000, 2);
  Disk("disk1", {{"DISK.001", ""}, {"SETUP.DAT", "[Misc]\r\n"}, {"README.TX_", Compressed(readme, 'T')}});
  Disk("disk2", {{"DISK.002", ""}, {"ZEMA.VX_", Compressed(vxd, 'D')}});
  int result = Run(
      "platform win95\n"
      "drive A: disk1\n"
      "run A:\\SETUP.EXE\n"
      "box \"Next Diskette Needed\": ok\n"
      "box \"Disk Error\": insert A: disk2; ok\n"
      "box \"Next Diskette Needed\": ok\n",
      {"DISK.001,/D1", "SETUP.DAT,/D1", "README.TX_,/D1 /T820454400 /XDOCS", "DISK.002,/D2",
       "ZEMA.VX_,/D2"},
      "2", 3);
  EXPECT_EQ(result, kCopyDone);
  EXPECT_EQ(Read("C:\\TAPE\\DOCS\\README.TXT"), readme);
  EXPECT_EQ(Read("C:\\windows\\SYSTEM\\ZEMA.VXD"), vxd);
  EXPECT_EQ(Read("C:\\TAPE\\UNINST.LST"),
            "C:\\TAPE\\SETUP.DAT\r\nC:\\TAPE\\DOCS\\README.TXT\r\nC:\\windows\\SYSTEM\\ZEMA.VXD\r\n");
  platform::FileStatus status;
  ASSERT_EQ(machine_->files().GetFileStatus("C:\\TAPE\\DOCS\\README.TXT", &status), 0u);
  EXPECT_EQ(status.lastWriteUnix, 820454400);

  const std::vector<std::string> expected = {
      "window 135 owner=background title=\"File Copy\"",
      "box owner=dialog:135 icon=information buttons=ok caption=\"Next Diskette Needed\" "
      "text=\"Please insert disk #2\" -> ok",
      "box owner=dialog:135 icon=question buttons=okcancel caption=\"Disk Error\" "
      "text=\"Disk error or wrong disk inserted.\\nDo you want to try again?\" -> ok",
      "box owner=dialog:135 icon=information buttons=ok caption=\"Next Diskette Needed\" "
      "text=\"Please insert disk #2\" -> ok",
  };
  EXPECT_EQ(Records(), expected);
  // The completion text stayed for two periods of timer 1.
  EXPECT_GE(machine_->ui().now(), 4000u);
}

TEST_F(SimCopyTest, DiskFullMidwayAndContinue) {
  const std::string big = Bytes(20000, 3);
  Disk("disk1", {{"BIG.DA_", Compressed(big, 'T')}, {"SMALL.TXT", "small"}});
  int result = Run(
      "platform win98\n"
      "drive A: disk1\n"
      "disk C: free 8000\n"
      "run A:\\SETUP.EXE\n"
      "box \"Program error\" text \"C:\\\\TAPE\\\\BIG.DAT\": ok\n"
      "box \"Program error\" text \"C:\\\\TAPE\\\\BIG.DAT\": ok\n"
      "box \"Program error\" text \"C:\\\\TAPE\\\\BIG.DAT\": ok\n"
      "box \"Continue Installing?\": yes\n",
      {"BIG.DA_,/D1", "SMALL.TXT,/D1"}, "1", 2);
  EXPECT_EQ(result, kCopyDone);
  // The blocks that fit were written; the log names both files.
  std::string written = Read("C:\\TAPE\\BIG.DAT");
  EXPECT_LT(written.size(), big.size());
  EXPECT_EQ(written, big.substr(0, written.size()));
  EXPECT_EQ(Read("C:\\TAPE\\UNINST.LST"), "C:\\TAPE\\BIG.DAT\r\nC:\\TAPE\\SMALL.TXT\r\n");
}

TEST_F(SimCopyTest, CancelDuringAFileAnsweredNoThenYes) {
  const std::string big = Bytes(60000, 4);  // twelve blocks
  Disk("disk1", {{"A.TXT", "a"}, {"BIG.BIN", big}, {"C.TXT", "c"}});
  int result = Run(
      "platform nt\n"
      "drive A: disk1\n"
      "run A:\\SETUP.EXE\n"
      "dialog 135: wait 1013 \"BIG.BIN\"; press 2\n"
      "box \"Confirm Cancel\": no\n"
      "dialog 135: press 2\n"
      "box \"Confirm Cancel\": yes\n",
      {"A.TXT,/D1", "BIG.BIN,/D1", "C.TXT,/D1"}, "1", 3);
  EXPECT_EQ(result, kCopyCancelled);
  std::string written = Read("C:\\TAPE\\BIG.BIN");
  EXPECT_GT(written.size(), 0u);
  EXPECT_LT(written.size(), big.size());
  EXPECT_FALSE(Exists("C:\\TAPE\\C.TXT"));
  EXPECT_EQ(Read("C:\\TAPE\\UNINST.LST"), "C:\\TAPE\\A.TXT\r\nC:\\TAPE\\BIG.BIN\r\n");
  for (const std::string& r : Records()) {
    EXPECT_EQ(r.find("Continue Installing?"), std::string::npos) << r;
  }
}

TEST_F(SimCopyTest, TruncatedCompressedFileIsAReadError) {
  std::string whole = Compressed(Bytes(9000, 5), 'L');
  Disk("disk1", {{"CUT.DL_", whole.substr(0, whole.size() - 40)}});
  int result = Run(
      "drive A: disk1\n"
      "run A:\\SETUP.EXE\n"
      "box \"Program error\" text \"There was an error reading a file.\\nA:\\\\CUT.DL_\": ok\n"
      "box \"Continue Installing?\": no\n",
      {"CUT.DL_,/D1"}, "1", 1);
  EXPECT_EQ(result, kCopyCancelled);
  EXPECT_EQ(Read("C:\\TAPE\\UNINST.LST"), "C:\\TAPE\\CUT.DLL\r\n");
}

TEST_F(SimCopyTest, ReadOnlyTargetStopsCopying) {
  Disk("disk1", {{"A.TXT", "new a"}, {"B.TXT", "b"}});
  int result = Run(
      "drive A: disk1\n"
      "copy disk1/A.TXT \"C:\\TAPE\\A.TXT\"\n"
      "attrib \"C:\\TAPE\\A.TXT\" readonly\n"
      "run A:\\SETUP.EXE\n"
      "box \"Program error\" text \"There was an error writing a file.\\nC:\\\\TAPE\\\\A.TXT\": ok\n"
      "box \"Continue Installing?\": yes\n",
      {"A.TXT,/D1", "B.TXT,/D1"}, "1", 2);
  EXPECT_EQ(result, kCopyDone);
  EXPECT_FALSE(Exists("C:\\TAPE\\B.TXT"));
  EXPECT_EQ(Read("C:\\TAPE\\UNINST.LST"), "C:\\TAPE\\A.TXT\r\n");
}

TEST_F(SimCopyTest, HostileLineTouchesNothing) {
  Disk("disk1", {{"A.TXT", "a"}, {"EVIL.TXT", "e"}});
  int result = Run(
      "drive A: disk1\n"
      "run A:\\SETUP.EXE\n"
      "box \"Program Error\" text \"EVIL.TXT,/D1 /X..\\\\..\\\\windows\": ok\n",
      {"A.TXT,/D1", "EVIL.TXT,/D1 /X..\\..\\windows"}, "1", 2);
  EXPECT_EQ(result, kCopyFailed);
  EXPECT_FALSE(Exists("C:\\TAPE\\A.TXT"));
  EXPECT_FALSE(Exists("C:\\windows\\EVIL.TXT"));
  EXPECT_FALSE(Exists("C:\\EVIL.TXT"));
  EXPECT_EQ(Read("C:\\TAPE\\UNINST.LST"), "");
}

}  // namespace
}  // namespace install
