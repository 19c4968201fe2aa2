// The switches of an unattended run, the response file, and the answers a
// silent run gives to message boxes.
#include <gtest/gtest.h>

#include "setup/response_file.h"
#include "setup/start.h"
#include "setup/unattended.h"

namespace setup {
namespace {

struct SwitchCase {
  const char* args;
  const char* problem;  // a part of the problem text; "" when accepted
  bool silent;
  const char* answers;
  const char* record;
  const char* log;
};

TEST(ParseSwitches, Table) {
  const SwitchCase cases[] = {
      {"", "", false, "", "", ""},
      {" /s", "", true, "", "", ""},
      {" /S /ANSWERS \"C:\\A B\\R.INI\" /log C:\\L.TXT", "", true, "C:\\A B\\R.INI", "", "C:\\L.TXT"},
      {" /record \"C:\\R.INI\"", "", false, "", "C:\\R.INI", ""},
      {" /restart \"C:\\TAPE\" /s /log \"C:\\L\"", "", true, "", "", "C:\\L"},
      {" word other", "", false, "", "", ""},  // words that are no switch stay ignored
      // A switch that is not setup's is ignored without /s, refused with it
      // (wherever /s stands).
      {" /x", "", false, "", "", ""},
      {" /x /log \"C:\\L\"", "", false, "", "", "C:\\L"},
      {" /x /s", "Unknown switch /x", true, "", "", ""},
      {" /x /s /s", "Unknown switch /x", true, "", "", ""},
      {" /x /log", "needs a file name", false, "", "", ""},
      {" /s /s", "given twice", true, "", "", ""},
      {" /log", "needs a file name", false, "", "", ""},
      {" /log /s", "needs a file name", true, "", "", ""},
      // Switches after a problem are still read: the log gets the refusal.
      {" /s /x /log \"C:\\L\"", "Unknown switch /x", true, "", "", "C:\\L"},
      {" /log \"\"", "needs a file name", false, "", "", ""},
      {" /log a /log b", "given twice", false, "", "", "a"},
      {" /log \"C:\\unclosed", "", false, "", "", "C:\\unclosed"},
      {" /answers C:\\R\".INI", "double quote", false, "", "", ""},
  };
  for (std::size_t row = 0; row < std::size(cases); ++row) {
    const SwitchCase& c = cases[row];
    Switches got;
    const std::string problem = ParseSwitches(c.args, &got);
    if (*c.problem == '\0') {
      EXPECT_EQ(problem, "") << "row " << row;
    } else {
      EXPECT_NE(problem.find(c.problem), std::string::npos) << "row " << row << ": " << problem;
    }
    EXPECT_EQ(got.silent, c.silent) << "row " << row;
    EXPECT_EQ(got.answersPath, c.answers) << "row " << row;
    EXPECT_EQ(got.recordPath, c.record) << "row " << row;
    EXPECT_EQ(got.logPath, c.log) << "row " << row;
  }
}

TEST(ParseSwitches, UnknownSwitchesAreNamedInOrder) {
  Switches got;
  EXPECT_EQ(ParseSwitches(" /quiet word /NoRestart /log \"C:\\L\" \"/quoted\"", &got), "");
  EXPECT_EQ(got.unknown, (std::vector<std::string>{"/quiet", "/NoRestart"}));
  EXPECT_EQ(got.logPath, "C:\\L");
  Switches none;
  EXPECT_EQ(ParseSwitches(" /s /log \"C:\\L\"", &none), "");
  EXPECT_TRUE(none.unknown.empty());
}

TEST(ParseSwitches, FileNameTooLong) {
  Switches got;
  EXPECT_NE(ParseSwitches(" /log \"C:\\" + std::string(300, 'a') + "\"", &got), "");
  EXPECT_EQ(got.logPath, "");
}

TEST(AnalyseStart, SwitchesKeepTheSourceAndModes) {
  // Windows 95 takes the source from the command line: the switches' file
  // names must not become part of it.
  StartInfo info = AnalyseStart(false, "A:\\SETUP.EXE", "A:\\SETUP.EXE /s /answers \"C:\\R\\A.INI\"");
  EXPECT_EQ(info.sourceDir, "A:");
  EXPECT_EQ(info.mode, Mode::kInstall);
  EXPECT_TRUE(info.switches.silent);
  info = AnalyseStart(false, "", "\"C:\\DISK 1\\SETUP.EXE\" /log \"C:\\L.TXT\"");
  EXPECT_EQ(info.sourceDir, "C:\\DISK 1");
  // Nor the switches it ignores, whose text may hold a backslash.
  info = AnalyseStart(false, "", "A:\\SETUP.EXE /src=C:\\OLD");
  EXPECT_EQ(info.sourceDir, "A:");
  EXPECT_EQ(info.switchProblem, "");
  EXPECT_EQ(info.switches.unknown, (std::vector<std::string>{"/src=C:\\OLD"}));
  // The temporary copy with the switches passed on.
  info = AnalyseStart(true, "C:\\windows\\UNINSTX$.EXE",
                      "C:\\windows\\UNINSTX$.EXE /restart \"C:\\TAPE\" /s /answers \"C:\\A.INI\"");
  EXPECT_EQ(info.mode, Mode::kRestart);
  EXPECT_EQ(info.uninstallDir, "C:\\TAPE");
  EXPECT_EQ(info.switchProblem, "");
  EXPECT_EQ(info.switches.answersPath, "C:\\A.INI");
  info = AnalyseStart(true, "C:\\TAPE\\UNINSTAL.EXE", "C:\\TAPE\\UNINSTAL.EXE /s");
  EXPECT_EQ(info.mode, Mode::kUninstallLaunch);
}

TEST(ParseResponseText, FullFile) {
  Answers a;
  a.installDir = "poison";
  const std::string text =
      "; comment\r\n[Setup]\r\nAcceptLicense = YES\r\nInstallDir=\" C:\\TAPE \"\r\n"
      "GroupName=Tape Tools\r\nReconfigureTape=true\r\nDisableQic117=1\r\nRestart=restart\r\n"
      "ShowReadme=no\r\n\r\n# another comment\r\n[uninstall]\r\nRemoval=complete";
  ASSERT_EQ(ParseResponseText(text, &a), "");
  EXPECT_TRUE(a.licenseAccepted);
  EXPECT_EQ(a.installDir, " C:\\TAPE ");
  EXPECT_EQ(a.groupName, "Tape Tools");
  EXPECT_TRUE(a.reconfigureTape);
  EXPECT_TRUE(a.disableQic117);
  EXPECT_EQ(a.restart, RestartChoice::kRestart);
  EXPECT_FALSE(a.showReadme);
  EXPECT_TRUE(a.completeRemoval);
}

TEST(ParseResponseText, DefaultsAreTheSafeAnswers) {
  Answers a;
  ASSERT_EQ(ParseResponseText("[Setup]\n", &a), "");
  EXPECT_FALSE(a.licenseAccepted);
  EXPECT_EQ(a.installDir, "");
  EXPECT_FALSE(a.reconfigureTape);
  EXPECT_FALSE(a.disableQic117);
  EXPECT_EQ(a.restart, RestartChoice::kLeaveToCaller);
  EXPECT_FALSE(a.completeRemoval);
}

TEST(ParseResponseText, Refused) {
  const struct {
    std::string text;
    const char* problem;
  } cases[] = {
      {std::string("[Setup]\nInstallDir=C:\\T\0X", 24), "not a text file"},
      {"[Setup]\nInstallDir=\"C:\\T\r\r\"\r\n", "not a text file"},
      {"[Setup]\nAcceptLicense=perhaps", "line 2: AcceptLicense"},
      {"AcceptLicense=yes", "before the first section"},
      {"[Other]", "unknown section"},
      {"[Setup]\nInstalDir=C:\\T", "unknown key InstalDir"},
      {"[Setup]\nRemoval=Complete", "unknown key Removal"},
      {"[Setup]\nAcceptLicense=yes\nacceptlicense=no", "given twice"},
      {"[Setup]\njust words", "not a key=value line"},
      {"[Setup]\nInstallDir=C:\\" + std::string(200, 'a'), "too long"},
      {"[Setup]\nGroupName=" + std::string(80, 'g'), "too long"},
      {"[Setup]\n; " + std::string(600, 'c'), "line is too long"},
      {"[Setup]\nRestart=now", "neither caller nor restart"},
      {"[Uninstall]\nRemoval=All", "neither Selective nor Complete"},
      {std::string(kMaxResponseFileSize + 1, ' '), "larger than 16 KB"},
  };
  for (std::size_t row = 0; row < std::size(cases); ++row) {
    Answers a;
    a.groupName = "untouched";
    const std::string problem = ParseResponseText(cases[row].text, &a);
    EXPECT_NE(problem.find(cases[row].problem), std::string::npos) << "row " << row << ": " << problem;
    EXPECT_EQ(a.groupName, "untouched") << "row " << row;
  }
}

TEST(ParseResponseText, FormattedAnswersReadBack) {
  Answers a;
  a.licenseAccepted = true;
  a.installDir = "C:\\Program Files\\Halvorn+";
  a.groupName = "Halvorn+ - QIC";
  a.disableQic117 = true;
  a.restart = RestartChoice::kRestart;
  a.completeRemoval = true;
  Answers back;
  ASSERT_EQ(ParseResponseText(FormatResponseText(a), &back), "");
  EXPECT_EQ(back.installDir, a.installDir);
  EXPECT_EQ(back.groupName, a.groupName);
  EXPECT_TRUE(back.licenseAccepted);
  EXPECT_TRUE(back.disableQic117);
  EXPECT_FALSE(back.reconfigureTape);
  EXPECT_EQ(back.restart, RestartChoice::kRestart);
  EXPECT_TRUE(back.completeRemoval);
}

TEST(SilentAnswer, QuestionsAndButtons) {
  namespace ans = platform::answer;
  namespace mb = platform::mb;
  Answers none;
  Answers all;
  all.disableQic117 = all.reconfigureTape = all.showReadme = true;
  all.restart = RestartChoice::kRestart;
  const struct {
    const Answers* answers;
    Question question;
    std::uint32_t flags;
    int expected;
  } cases[] = {
      {&none, Question::kNone, mb::kOk, ans::kOk},
      {&none, Question::kNone, mb::kOkCancel, ans::kCancel},
      {&none, Question::kNone, mb::kYesNo, ans::kNo},
      {&none, Question::kNone, mb::kYesNoCancel, ans::kCancel},
      {&none, Question::kDisableQic117, mb::kOkCancel, ans::kCancel},
      {&all, Question::kDisableQic117, mb::kOkCancel, ans::kOk},
      {&none, Question::kReconfigureTape, mb::kYesNo, ans::kNo},
      {&all, Question::kReconfigureTape, mb::kYesNo, ans::kYes},
      {&none, Question::kRestart, mb::kOkCancel, ans::kCancel},
      {&all, Question::kRestart, mb::kOkCancel, ans::kOk},
      {&all, Question::kShowReadme, mb::kYesNo, ans::kNo},  // never in a silent run
      {&none, Question::kConfirmUninstall, mb::kYesNo, ans::kYes},
  };
  for (std::size_t row = 0; row < std::size(cases); ++row) {
    EXPECT_EQ(SilentAnswer(*cases[row].answers, cases[row].question, cases[row].flags),
              cases[row].expected)
        << "row " << row;
  }
}

}  // namespace
}  // namespace setup
