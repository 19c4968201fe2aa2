// How a run ends: the outcome message, the read-me offer, the upgrade
// program of the SE edition and the restart, on the simulated machine.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/sim/sim_machine.h"
#include "scenario/scenario.h"
#include "setup/completion.h"
#include "setup/state.h"
#include "simrun/apply_statement.h"
#include "simrun/product_resources.h"
#include "simrun/scenario_user.h"

namespace setup {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  std::vector<std::string> records;   // transcript records
  std::vector<std::string> programs;  // programs started, restarts asked for
  bool allAnswersUsed = false;
};

// Runs FinishSetup on a fresh machine whose user answers from `answers`
// (scenario statements after the run line).
Outcome Finish(const std::string& platformName, bool seEdition, int mode, int status,
               int uninstallResult, const std::string& answers, bool refuseRestart = false) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  fs::path root = fs::path(::testing::TempDir()) /
                  ("completion_" + std::string(info->test_suite_name()) + "_" + info->name());
  fs::remove_all(root);
  fs::create_directories(root);

  std::string text = "platform " + platformName + "\n" +
                     (refuseRestart ? "refuse restart\n" : "") + "run A:\\SETUP.EXE\n" + answers;
  scenario::Scenario scn;
  std::string error;
  EXPECT_TRUE(scenario::ParseScenario(text, "test.scn", &scn, &error)) << error;
  scn.baseDir = root.string();
  auto machine = sim::SimMachine::Open((root / "m").string(), &error);
  EXPECT_NE(machine, nullptr) << error;
  for (const scenario::Statement& st : scn.setup) {
    EXPECT_TRUE(simrun::ApplySetupStatement(*machine, st, scn, "", &error)) << error;
  }
  simrun::ScenarioUser user(scn);
  machine->ui().SetResources(&simrun::ProductResources());
  machine->ui().SetUser(&user);

  SetupState state(machine->machine());
  state.windowsNt = platformName == "nt";
  state.windows98 = platformName == "win98";
  state.windowsDir = "C:\\windows";
  state.installDir = "C:\\TAPE";
  state.values.prd = "Halvorn";
  state.productName = "Halvorn";
  state.seEdition = seEdition;

  Outcome out;
  try {
    FinishSetup(state, mode, status, uninstallResult);
  } catch (const sim::RunAborted& e) {
    ADD_FAILURE() << e.what();
  }
  out.records = user.records();
  out.programs = machine->system().log();
  out.allAnswersUsed = user.Done();
  fs::remove_all(root);
  return out;
}

const std::string kComplete =
    "box owner=none icon=information buttons=ok caption=\"Install Complete\" "
    "text=\"Setup has completed successfully.\" -> ok";
const std::string kReadme =
    "box owner=none icon=question buttons=yesno caption=\"\" "
    "text=\"Would you like to view README.TXT now?\" -> ";
const std::string kRestartQuestion =
    "box owner=none icon=information buttons=okcancel caption=\"Installation Complete\" "
    "text=\"Setup has completed successfully.\\n\\nChanges have also been made to your "
    "configuration.\\nSetup will restart your system for these changes to take effect.\" -> ";

TEST(FinishSetup, InstalledShowsSuccessThenReadmeQuestionAnsweredNo) {
  Outcome o = Finish("win95", false, 0, status::kInstalled, 0,
                     "box \"Install Complete\": ok\nbox \"\": no\n");
  EXPECT_TRUE(o.allAnswersUsed);
  EXPECT_EQ(o.records, (std::vector<std::string>{kComplete, kReadme + "no"}));
  EXPECT_TRUE(o.programs.empty());
}

TEST(FinishSetup, ReadmeAnsweredYesStartsNotepadWithTheInstalledReadme) {
  Outcome o = Finish("nt", false, 0, status::kInstalled, 0,
                     "box \"Install Complete\": ok\nbox \"\": yes\n");
  EXPECT_EQ(o.programs, (std::vector<std::string>{
                            "spawn \"C:\\windows\\NOTEPAD.EXE\" \"C:\\TAPE\\README.TXT\""}));
}

TEST(FinishSetup, SeEditionRunsUpgradeProgramAndShowsNothing) {
  Outcome o = Finish("win95", true, 0, status::kInstalled, 0, "");
  EXPECT_TRUE(o.records.empty());
  EXPECT_EQ(o.programs, (std::vector<std::string>{"winexec 5 \"C:\\TAPE\\UPGRADE.EXE\" /install"}));
}

struct BoxCase {
  const char* name;
  int mode;
  int status;
  int uninstallResult;
  const char* icon;
  const char* caption;
  const char* text;
};

class OutcomeBoxes : public ::testing::TestWithParam<BoxCase> {};

TEST_P(OutcomeBoxes, ShowsItsMessage) {
  const BoxCase& c = GetParam();
  Outcome o = Finish("win98", false, c.mode, c.status, c.uninstallResult,
                     std::string("box \"") + c.caption + "\": ok\n");
  EXPECT_TRUE(o.allAnswersUsed);
  ASSERT_EQ(o.records.size(), 1u);
  EXPECT_EQ(o.records[0], std::string("box owner=none icon=") + c.icon + " buttons=ok caption=\"" +
                              c.caption + "\" text=\"" + c.text + "\" -> ok");
  EXPECT_TRUE(o.programs.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, OutcomeBoxes,
    ::testing::Values(
        BoxCase{"InstallFailed", 0, status::kFailed, 0, "warning", "Exiting Install",
                "There was an error attempting to install."},
        BoxCase{"InstallCancelled", 0, status::kCancelled, 2, "warning", "Exiting Install",
                "Setup canceled by user."},
        BoxCase{"Uninstalled", 1, status::kInstalled, 0, "information", "UnInstall Complete",
                "UnInstall has completed successfully."},
        BoxCase{"UninstallFailed", 1, status::kFailed, 1, "warning", "Exiting UnInstall",
                "There was an error attempting to uninstall."},
        BoxCase{"NothingUninstalled", 1, status::kInstalled, 2, "warning", "UnInstall Canceled",
                "No UnInstall was performed."}),
    [](const ::testing::TestParamInfo<BoxCase>& info) { return info.param.name; });

struct SilentCase {
  const char* name;
  int mode;
  int status;
  int uninstallResult;
};

class SilentOutcomes : public ::testing::TestWithParam<SilentCase> {};

TEST_P(SilentOutcomes, ShowNothingAndStartNothing) {
  const SilentCase& c = GetParam();
  Outcome o = Finish("nt", false, c.mode, c.status, c.uninstallResult, "");
  EXPECT_TRUE(o.records.empty());
  EXPECT_TRUE(o.programs.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, SilentOutcomes,
    ::testing::Values(SilentCase{"AccessDeniedInstall", 0, status::kAccessDenied, 0},
                      SilentCase{"AccessDeniedRestart", 1, status::kAccessDenied, 0},
                      SilentCase{"UnknownStatus", 0, 9, 0},
                      SilentCase{"UnknownUninstallResult", 1, 0, 7},
                      SilentCase{"UnknownMode", 2, 0, 0}),
    [](const ::testing::TestParamInfo<SilentCase>& info) { return info.param.name; });

TEST(FinishSetup, RestartNeededCancelDoesNotRestartOrOfferReadme) {
  Outcome o = Finish("win95", false, 0, status::kRestartNeeded, 0,
                     "box \"Installation Complete\": cancel\n");
  EXPECT_EQ(o.records, (std::vector<std::string>{kRestartQuestion + "cancel"}));
  EXPECT_TRUE(o.programs.empty());
}

TEST(FinishSetup, RestartOnWindows95AsksForRebootDirectly) {
  Outcome o = Finish("win95", false, 0, status::kRestartNeeded, 0,
                     "box \"Installation Complete\": ok\n");
  EXPECT_EQ(o.records.size(), 1u);
  EXPECT_EQ(o.programs, (std::vector<std::string>{"exitwindows 2 0 -> 1"}));
}

TEST(FinishSetup, RestartOnNtEnablesShutdownPrivilegeFirst) {
  Outcome o = Finish("nt", false, 0, status::kRestartNeeded, 0,
                     "box \"Installation Complete\": ok\n");
  EXPECT_EQ(o.programs, (std::vector<std::string>{"privilege SeShutdownPrivilege",
                                                  "exitwindows 2 0 -> 1"}));
}

TEST(FinishSetup, RefusedRestartIsReportedOnce) {
  Outcome o = Finish("nt", false, 0, status::kRestartNeeded, 0,
                     "box \"Installation Complete\": ok\nbox \"Unsuccessful Restart\": ok\n",
                     /*refuseRestart=*/true);
  EXPECT_TRUE(o.allAnswersUsed);
  ASSERT_EQ(o.records.size(), 2u);
  EXPECT_EQ(o.records[1],
            "box owner=none icon=warning buttons=ok caption=\"Unsuccessful Restart\" "
            "text=\"The attempt to restart your system was unsucessful.\\nPlease click on "
            "'Start' and then 'Shutdown'.\\n\" -> ok");
}

TEST(FinishSetup, SeEditionRestartRunsUpgradeThenAsks) {
  Outcome o = Finish("win98", true, 0, status::kRestartNeeded, 0,
                     "box \"Installation Complete\": cancel\n");
  EXPECT_EQ(o.records.size(), 1u);
  ASSERT_EQ(o.programs.size(), 1u);
  EXPECT_NE(o.programs[0].find("UPGRADE.EXE\" /install"), std::string::npos);
}

}  // namespace
}  // namespace setup
