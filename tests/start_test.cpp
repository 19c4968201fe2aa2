// Where the program was started from and which mode it runs in.
#include <gtest/gtest.h>

#include "setup/start.h"

namespace setup {
namespace {

TEST(CutToDirectory, Table) {
  struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"A:\\SETUP.EXE", "A:"},           {"A:SETUP.EXE", "A:"},
      {"C:\\DISK1\\SETUP.EXE", "C:\\DISK1"}, {"SETUP.EXE", "SETUP.EXE:"},
      {"", ":"},                          {"C:\\A\\B\\C.EXE", "C:\\A\\B"},
  };
  for (const auto& c : cases) EXPECT_EQ(CutToDirectory(c.in), c.out) << c.in;
}

TEST(ArgumentPart, QuotedAndPlainProgramNames) {
  EXPECT_EQ(ArgumentPart("A:\\SETUP.EXE"), "");
  EXPECT_EQ(ArgumentPart("A:\\SETUP.EXE /x"), " /x");
  EXPECT_EQ(ArgumentPart("\"C:\\Program Files\\X\\UNINSTAL.EXE\" /restart \"C:\\T\""),
            " /restart \"C:\\T\"");
  EXPECT_EQ(ArgumentPart("\"C:\\unterminated"), "");
  EXPECT_EQ(ArgumentPart(""), "");
}

struct StartCase {
  const char* name;
  bool nt;
  const char* module;
  const char* commandLine;
  Mode mode;
  const char* sourceDir;
  const char* uninstallDir;
  bool refused;
};

class Start : public ::testing::TestWithParam<StartCase> {};

TEST_P(Start, ModeAndDirectories) {
  const StartCase& c = GetParam();
  StartInfo info = AnalyseStart(c.nt, c.module, c.commandLine);
  EXPECT_EQ(info.mode, c.mode);
  EXPECT_EQ(info.sourceDir, c.sourceDir);
  EXPECT_EQ(info.uninstallDir, c.uninstallDir);
  EXPECT_EQ(info.commandLineRefused, c.refused);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Start,
    ::testing::Values(
        StartCase{"Win95FromA", false, "A:\\SETUP.EXE", "A:\\SETUP.EXE", Mode::kInstall, "A:", "",
                  false},
        StartCase{"Win95QuotedCommandLine", false, "C:\\DISK1\\SETUP.EXE",
                  "\"C:\\DISK1\\SETUP.EXE\"", Mode::kInstall, "C:\\DISK1", "", false},
        StartCase{"NtUsesModuleName", true, "C:\\DISK1\\SETUP.EXE", "SETUP", Mode::kInstall,
                  "C:\\DISK1", "", false},
        StartCase{"InstalledUninstallerLaunches", true, "C:\\TAPE\\UNINSTAL.EXE",
                  "C:\\TAPE\\UNINSTAL.EXE", Mode::kUninstallLaunch, "C:\\TAPE", "", false},
        StartCase{"UninstMatchIsCaseSensitive", true, "C:\\TAPE\\uninstal.exe",
                  "C:\\TAPE\\uninstal.exe", Mode::kInstall, "C:\\TAPE", "", false},
        StartCase{"TemporaryCopyRestarts", true, "C:\\windows\\UNINSTX$.EXE",
                  "C:\\windows\\UNINSTX$.EXE /restart \"C:\\TAPE\"", Mode::kRestart,
                  "C:\\windows", "C:\\TAPE", false},
        StartCase{"Win95RestartCommandLine", false, "C:\\windows\\UNINSTX$.EXE",
                  "C:\\windows\\UNINSTX$.EXE /restart \"C:\\Program Files\\Halvorn\"",
                  Mode::kRestart, "C:\\windows\\UNINSTX$.EXE /restart \"C:\\Program Files", "C:\\Program Files\\Halvorn",
                  false},
        // The launcher starts the temporary copy with its path quoted.
        StartCase{"QuotedTemporaryCopyRestarts", true, "C:\\My Windows\\UNINSTX$.EXE",
                  "\"C:\\My Windows\\UNINSTX$.EXE\" /restart \"C:\\Program Files\\Halvorn\"",
                  Mode::kRestart, "C:\\My Windows", "C:\\Program Files\\Halvorn", false},
        StartCase{"Win95QuotedRestartCommandLine", false, "C:\\windows\\UNINSTX$.EXE",
                  "\"C:\\windows\\UNINSTX$.EXE\" /restart \"C:\\TAPE\"", Mode::kRestart,
                  "C:\\windows\\UNINSTX$.EXE\" /restart \"C:", "C:\\TAPE", false},
        StartCase{"RestartOnlyInArguments", true, "C:\\restart\\SETUP.EXE",
                  "\"C:\\x /restart\\SETUP.EXE\"", Mode::kInstall, "C:\\restart", "", false},
        StartCase{"RestartWithoutQuotesRefused", true, "C:\\windows\\UNINSTX$.EXE",
                  "C:\\windows\\UNINSTX$.EXE /restart C:\\TAPE", Mode::kRestart, "C:\\windows",
                  "", true},
        StartCase{"RestartWithEmptyQuotesRefused", true, "C:\\windows\\UNINSTX$.EXE",
                  "C:\\windows\\UNINSTX$.EXE /restart \"\"", Mode::kRestart, "C:\\windows", "",
                  true},
        StartCase{"EmptyCommandLine", false, "", "", Mode::kInstall, ":", "", false}),
    [](const ::testing::TestParamInfo<StartCase>& info) { return info.param.name; });

TEST(Start, OverlongSourceIsCutTo250Characters) {
  std::string module = "C:\\" + std::string(300, 'D') + "\\SETUP.EXE";
  StartInfo info = AnalyseStart(true, module, module);
  // Only 250 characters are read: the directory's own backslash is beyond
  // them, so the cut falls at the drive.
  EXPECT_EQ(info.sourceDir, "C:");
  std::string shorter = "C:\\" + std::string(200, 'D') + "\\SETUP.EXE";
  EXPECT_EQ(AnalyseStart(true, shorter, shorter).sourceDir, "C:\\" + std::string(200, 'D'));
}

TEST(Start, OverlongRestartDirectoryRefused) {
  std::string line = "X.EXE /restart \"C:\\" + std::string(250, 'D') + "\"";
  EXPECT_TRUE(AnalyseStart(true, "X.EXE", line).commandLineRefused);
}

}  // namespace
}  // namespace setup
