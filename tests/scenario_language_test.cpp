// The scenario language: parsing, transcript records and the scripted
// user's order of statements.
#include <gtest/gtest.h>

#include "scenario/scenario.h"
#include "scenario/transcript.h"
#include "scenario/user.h"

namespace scenario {
namespace {

Scenario MustParse(const std::string& text) {
  Scenario s;
  std::string error;
  EXPECT_TRUE(ParseScenario(text, "t.scn", &s, &error)) << error;
  return s;
}

TEST(ScenarioParser, ReadsEveryStatement) {
  Scenario s = MustParse(
      "# comment\n"
      "platform NT\n"
      "\n"
      "drive a: disks/my disk 1\n"
      "copy \"host file\" \"C:\\TAPE\\X.DAT\"\n"
      "copy disks/a.txt \"C:\\A.TXT\"\n"
      "registry set \"HKLM\\SOFTWARE\\X\" \"Name\" \"a \\\"b\\\" c\\\\d\"\n"
      "registry delete \"HKCU\\Software\\Y\" \"\"\n"
      "registry deletekey \"HKLM\\SOFTWARE\\Z\"\n"
      "disk C: free 100000\n"
      "attrib \"C:\\windows\\A.DLL\" readonly hidden\n"
      "mkdir \"C:\\TAPE\\SUB\"\n"
      "refuse restart\n"
      "  run   C:\\windows\\UNINSTX$.EXE /restart \"C:\\TAPE\"  \r\n"
      "box \"Next Diskette Needed\" text \"disk #2\": insert A: disks/disk2; OK\n"
      "box \"\": press No\n"
      "dialog 102 read 1001 1000: set 1000 \"C:\\\\TAPE\";  press 1\n"
      "dialog 135: wait 1001 \"FILE3\"; press 2\n"
      "dialog 140:\n"
      "dialog 1536: open 1121 \"[..]\"; key Enter\n"
      "end\n");
  ASSERT_EQ(s.setup.size(), 11u);
  EXPECT_EQ(s.setup[0].kind, Kind::kPlatform);
  EXPECT_EQ(s.setup[0].As<PlatformSetup>().platform, Platform::kNt);
  EXPECT_EQ(s.setup[1].As<DriveSetup>().drive, 'A');
  EXPECT_EQ(s.setup[1].As<DriveSetup>().hostPath, "disks/my disk 1");
  EXPECT_EQ(s.setup[2].As<CopySetup>().hostPath, "host file");
  EXPECT_EQ(s.setup[2].As<CopySetup>().windowsPath, "C:\\TAPE\\X.DAT");
  EXPECT_EQ(s.setup[3].As<CopySetup>().hostPath, "disks/a.txt");
  EXPECT_EQ(s.setup[4].kind, Kind::kRegistrySet);
  EXPECT_EQ(s.setup[4].As<RegistrySetup>().keyPath, "HKLM\\SOFTWARE\\X");
  EXPECT_EQ(s.setup[4].As<RegistrySetup>().text, "a \"b\" c\\d");
  EXPECT_EQ(s.setup[5].kind, Kind::kRegistryDelete);
  EXPECT_EQ(s.setup[5].As<RegistrySetup>().valueName, "");
  EXPECT_EQ(s.setup[6].kind, Kind::kRegistryDeleteKey);
  EXPECT_EQ(s.setup[7].kind, Kind::kDiskFree);
  EXPECT_EQ(s.setup[7].As<DiskFreeSetup>().bytes, 100000u);
  EXPECT_EQ(s.setup[8].As<AttribSetup>().attributes, 0x03u);
  EXPECT_EQ(s.setup[9].kind, Kind::kMkdir);
  EXPECT_EQ(s.setup[10].kind, Kind::kRefuseRestart);
  EXPECT_EQ(s.run.As<RunStart>().commandLine, "C:\\windows\\UNINSTX$.EXE /restart \"C:\\TAPE\"");
  EXPECT_EQ(s.run.line, 14);

  ASSERT_EQ(s.user.size(), 6u);
  const Statement& box = s.user[0];
  EXPECT_EQ(box.kind, Kind::kBox);
  EXPECT_EQ(box.As<BoxStatement>().caption, "Next Diskette Needed");
  EXPECT_TRUE(box.As<BoxStatement>().hasText);
  ASSERT_EQ(box.actions.size(), 2u);
  EXPECT_EQ(box.actions[0].kind, ActionKind::kInsert);
  EXPECT_EQ(box.actions[0].drive, 'A');
  EXPECT_EQ(box.actions[0].text, "disks/disk2");
  EXPECT_EQ(BoxAnswer(box), 1);
  EXPECT_EQ(BoxAnswer(s.user[1]), 7);

  const Statement& d = s.user[2];
  EXPECT_EQ(d.As<DialogStatement>().dialogId, 102);
  EXPECT_EQ(d.As<DialogStatement>().readControls, (std::vector<int>{1001, 1000}));
  ASSERT_EQ(d.actions.size(), 2u);
  EXPECT_EQ(d.actions[0].text, "C:\\TAPE");
  EXPECT_EQ(WrittenActions(d), "set 1000 \"C:\\\\TAPE\"; press 1");
  EXPECT_EQ(s.user[3].actions[0].kind, ActionKind::kWait);
  EXPECT_TRUE(s.user[4].actions.empty());
  const Statement& browser = s.user[5];
  ASSERT_EQ(browser.actions.size(), 2u);
  EXPECT_EQ(browser.actions[0].kind, ActionKind::kOpen);
  EXPECT_EQ(browser.actions[0].control, 1121);
  EXPECT_EQ(browser.actions[0].text, "[..]");
  EXPECT_EQ(browser.actions[1].kind, ActionKind::kKey);
  EXPECT_EQ(browser.actions[1].key, Key::kEnter);
  EXPECT_EQ(WrittenActions(browser), "open 1121 \"[..]\"; key enter");
  EXPECT_TRUE(s.hasEnd);
}

TEST(ScenarioParser, ReadsTheRefusedDirectoryCreation) {
  Scenario s;
  std::string error;
  ASSERT_TRUE(ParseScenario("refuse mkdir \"C:\\Locked\"\nREFUSE Restart\nrun a\n", "t.scn", &s,
                            &error))
      << error;
  ASSERT_EQ(s.setup.size(), 2u);
  EXPECT_EQ(s.setup[0].kind, Kind::kRefuseMkdir);
  EXPECT_EQ(s.setup[0].As<PathSetup>().windowsPath, "C:\\Locked");
  EXPECT_EQ(s.setup[1].kind, Kind::kRefuseRestart);
}

TEST(ScenarioParser, ReadsGroupStatementsAndDoubleClicks) {
  Scenario s = MustParse(
      "group \"Tape (old), [x]\"\n"
      "PROGMAN Absent\n"
      "run A:\\SETUP.EXE\n"
      "dialog 103: dblclick 1033 \"Zubeh\xC3\xB6r \\\"1\\\"\"; press 1\n");
  ASSERT_EQ(s.setup.size(), 2u);
  EXPECT_EQ(s.setup[0].kind, Kind::kGroup);
  EXPECT_EQ(s.setup[0].As<GroupSetup>().name, "Tape (old), [x]");
  EXPECT_EQ(s.setup[1].kind, Kind::kProgman);
  EXPECT_EQ(s.setup[1].As<ProgmanSetup>().failingError, 0u);  // absent, not failing
  ASSERT_EQ(s.user.size(), 1u);
  ASSERT_EQ(s.user[0].actions.size(), 2u);
  EXPECT_EQ(s.user[0].actions[0].kind, ActionKind::kDblClick);
  EXPECT_EQ(s.user[0].actions[0].control, 1033);
  EXPECT_EQ(s.user[0].actions[0].text, "Zubeh\xC3\xB6r \"1\"");
  EXPECT_EQ(WrittenActions(s.user[0]), "dblclick 1033 \"Zubeh\xC3\xB6r \\\"1\\\"\"; press 1");
  EXPECT_EQ(JoinListEntries({"a", "b"}), "a\nb\n");
  EXPECT_EQ(JoinListEntries({}), "");
}

// The three forms of `wait`: a text, the control visible, the control
// enabled (state words in any case, repeated in lower case).
TEST(ScenarioParser, ReadsTheWaitForms) {
  Scenario s = MustParse(
      "run x\n"
      "dialog 139: wait 1025 VISIBLE; wait 1019 Enabled; wait 1018 \"visible\"\n"
      "dialog 139:\n");
  ASSERT_EQ(s.user.size(), 2u);
  const std::vector<Action>& a = s.user[0].actions;
  ASSERT_EQ(a.size(), 3u);
  const struct {
    int control;
    WaitFor waitFor;
    const char* text;
  } expected[] = {{1025, WaitFor::kVisible, ""},
                  {1019, WaitFor::kEnabled, ""},
                  {1018, WaitFor::kText, "visible"}};
  for (std::size_t row = 0; row < a.size(); ++row) {
    EXPECT_EQ(a[row].kind, ActionKind::kWait) << "row " << row;
    EXPECT_EQ(a[row].control, expected[row].control) << "row " << row;
    EXPECT_EQ(a[row].waitFor, expected[row].waitFor) << "row " << row;
    EXPECT_EQ(a[row].text, expected[row].text) << "row " << row;
  }
  EXPECT_EQ(WrittenActions(s.user[0]), "wait 1025 visible; wait 1019 enabled; wait 1018 \"visible\"");
  EXPECT_TRUE(s.user[1].actions.empty());
}

// The three ways to start the program, and `follow` among the user's
// statements.
TEST(ScenarioParser, ReadsProgramStartsAndFollow) {
  Scenario removed = MustParse(
      "REMOVE \"Dastrel01\"\n"
      "follow\n"
      "box \"Confirm Uninstall\": no\n"
      "Follow\n"
      "end\n");
  EXPECT_EQ(removed.run.kind, Kind::kRemove);
  EXPECT_EQ(removed.run.As<RemoveStart>().entry, "Dastrel01");
  ASSERT_EQ(removed.user.size(), 3u);
  EXPECT_EQ(removed.user[0].kind, Kind::kFollow);
  EXPECT_EQ(removed.user[1].kind, Kind::kBox);
  EXPECT_EQ(removed.user[2].kind, Kind::kFollow);
  EXPECT_EQ(removed.follows, 2);
  EXPECT_TRUE(removed.hasEnd);

  Scenario started = MustParse("start \"Tape \\\"Tools\\\"\" \"UnInstaller\"\nfollow\n");
  EXPECT_EQ(started.run.kind, Kind::kStart);
  EXPECT_EQ(started.run.As<StartItem>().group, "Tape \"Tools\"");
  EXPECT_EQ(started.run.As<StartItem>().item, "UnInstaller");
  EXPECT_TRUE(IsRunKind(started.run.kind));
  EXPECT_FALSE(IsRunKind(Kind::kFollow));

  // The scripted user takes `follow` only when the program has ended, and
  // a window in its place is unexpected.
  ScriptedUser user(removed);
  std::string error;
  EXPECT_TRUE(user.TakeFollow());
  EXPECT_FALSE(user.TakeFollow());  // the next one is a box
  ASSERT_NE(user.TakeBox("Confirm Uninstall", "Remove?", 0x24, &error), nullptr) << error;
  EXPECT_EQ(user.TakeBox("Confirm Uninstall", "Remove?", 0x24, &error), nullptr);
  EXPECT_NE(error.find("the next statement (t.scn:4) is 'Follow'"), std::string::npos) << error;
  EXPECT_FALSE(user.Done());
  EXPECT_TRUE(user.TakeFollow());
  EXPECT_TRUE(user.Done());
  EXPECT_FALSE(user.TakeFollow());
}

TEST(ScenarioParser, ReportsFileLineAndCause) {
  struct Case {
    const char* text;
    const char* expected;  // start of the message
  } cases[] = {
      {"platform win31\nrun A:\\SETUP.EXE\n", "t.scn:1: unknown platform 'win31'"},
      {"\n\nrun A:\\SETUP.EXE\nbox \"x: ok\n", "t.scn:4: unterminated quoted caption"},
      {"run A:\\SETUP.EXE\nbox \"x\": maybe\n", "t.scn:2: expected an answer"},
      {"run A:\\SETUP.EXE\nbox \"x\": ok; insert A: d\n", "t.scn:2: the answer must be the last"},
      {"run A:\\SETUP.EXE\nbox \"x\": insert A: d\n", "t.scn:2: a box needs an answer"},
      {"run A:\\SETUP.EXE\ndialog 102: click 1\n", "t.scn:2: unknown action 'click'"},
      {"run A:\\SETUP.EXE\ndialog 102 press 1\n", "t.scn:2: expected ':' or 'read'"},
      {"run A:\\SETUP.EXE\ndialog 129: key space\n", "t.scn:2: expected a key (enter, escape), got 'space'"},
      {"run A:\\SETUP.EXE\ndialog 129: key enter 2\n", "t.scn:2: unexpected '2'"},
      {"run A:\\SETUP.EXE\ndialog 1536: open 1121\n", "t.scn:2: expected"},
      {"run A:\\SETUP.EXE\ndialog 99999999: press 1\n", "t.scn:2: a dialog template id"},
      {"run A:\\SETUP.EXE\ndialog 102: press 1;; press 2\n", "t.scn:2: empty action"},
      {"drive C: x\nrun A:\\SETUP.EXE\n", "t.scn:1: drive C: is the machine's own disk"},
      {"registry set \"HKXX\\a\" \"n\" \"v\"\nrun A:\\SETUP.EXE\n", "t.scn:1: the key path"},
      {"disk C: free 99999999999999999999999\nrun x\n", "t.scn:1: a number of bytes '99999999999999999999999' is too large"},
      {"attrib \"C:\\x\" purple\nrun x\n", "t.scn:1: unknown attribute 'purple'"},
      {"box \"x\": ok\nrun A:\\SETUP.EXE\n", "t.scn:1: user statement before 'run'"},
      {"run A:\\SETUP.EXE\nplatform nt\n", "t.scn:2: machine set-up statement after 'run'"},
      {"run a\nrun b\n", "t.scn:2: second 'run'"},
      {"run a\nend\nbox \"x\": ok\n", "t.scn:3: statement after 'end'"},
      {"run\n", "t.scn:1: expected the command line"},
      {"frobnicate\nrun a\n", "t.scn:1: unknown statement 'frobnicate'"},
      {"platform nt\n", "t.scn: no 'run', 'remove' or 'start' statement"},
      {"platform nt extra\nrun a\n", "t.scn:1: unexpected 'extra'"},
      {"group \"\"\nrun a\n", "t.scn:1: a group name cannot be empty"},
      {"group Tools\nrun a\n", "t.scn:1: expected group name in double quotes"},
      {"progman sometimes\nrun a\n",
       "t.scn:1: expected 'progman absent' or 'progman failing <error number>'"},
      {"run a\ndialog 103: dblclick 1033\n", "t.scn:2: expected text in double quotes"},
      {"run a\ndialog 139: wait 1025 shown\n",
       "t.scn:2: expected a quoted text, 'visible' or 'enabled' after 'wait 1025 ', got 'shown'"},
      {"run a\ndialog 139: wait 1025 visible now\n", "t.scn:2: unexpected 'now'"},
      {"run a\ndialog 102: set 1000 long \"C:\\A\"\n",
       "t.scn:2: expected a quoted text or 'short' after 'set 1000', got 'long'"},
      {"run a\ndialog 102: set 1000 short\n", "t.scn:2: expected text in double quotes"},
      {"run a\ndialog 139: wait 1025\n", "t.scn:2: expected text in double quotes"},
      {"run a\ndialog 139: wait visible\n", "t.scn:2: expected a control id"},
      {"remove Dastrel01\n", "t.scn:1: expected uninstall entry name in double quotes"},
      {"remove \"\"\n", "t.scn:1: an uninstall entry name is one key name"},
      {"remove \"Uninstall\\Dastrel01\"\n", "t.scn:1: an uninstall entry name is one key name"},
      {"start \"Tools\"\n", "t.scn:1: expected item name in double quotes"},
      {"start \"Tools\" \"\"\n", "t.scn:1: the group and item names of 'start' cannot be empty"},
      {"start \"G\" \"I\" now\n", "t.scn:1: unexpected 'now'"},
      {"run a\nremove \"K\"\n", "t.scn:2: second 'run', 'remove' or 'start' statement"},
      {"follow\nrun a\n", "t.scn:1: user statement before 'run'"},
      {"run a\nfollow 2\n", "t.scn:2: unexpected '2'"},
      {"refuse rmdir \"C:\\x\"\nrun a\n", "t.scn:1: expected 'refuse restart' or 'refuse mkdir"},
      {"refuse mkdir C:\\x\nrun a\n", "t.scn:1: expected Windows path in double quotes"},
      {"refuse mkdir \"C:\\x\" now\nrun a\n", "t.scn:1: unexpected 'now'"},
      {"run a\nfollow\nfollow\nfollow\nfollow\nfollow\n", "t.scn:6: too many 'follow' statements"},
  };
  for (const Case& c : cases) {
    Scenario s;
    std::string error;
    EXPECT_FALSE(ParseScenario(c.text, "t.scn", &s, &error)) << c.text;
    EXPECT_EQ(error.rfind(c.expected, 0), 0u) << "for: " << c.text << "\ngot: " << error;
  }
}

TEST(ScenarioParser, SetTypesAPathsAliasWhenAsked) {
  Scenario s = MustParse("run x\ndialog 102: set 1000 short \"C:\\Program Files\"; set 1000 \"short\"\n");
  ASSERT_EQ(s.user[0].actions.size(), 2u);
  EXPECT_TRUE(s.user[0].actions[0].shortPath);
  EXPECT_EQ(s.user[0].actions[0].text, "C:\\Program Files");
  EXPECT_EQ(s.user[0].actions[0].written, "set 1000 short \"C:\\\\Program Files\"");
  EXPECT_FALSE(s.user[0].actions[1].shortPath);
  EXPECT_EQ(s.user[0].actions[1].text, "short");
}

TEST(ScenarioParser, BackslashesInPathsStandForThemselves) {
  Scenario s = MustParse(
      "mkdir \"C:\\TAPE\\new\\test\"\n"
      "registry deletekey \"HKLM\\SOFTWARE\\\\x\\\"q\"\n"
      "run x\n"
      "dialog 102: set 1000 \"C:\\TAPE\\new\"; set 1001 \"a\\\\b\\tc\\nd\"\n");
  // In Windows paths only \\ and \" are escapes.
  EXPECT_EQ(s.setup[0].As<PathSetup>().windowsPath, "C:\\TAPE\\new\\test");
  EXPECT_EQ(s.setup[1].As<RegistrySetup>().keyPath, "HKLM\\SOFTWARE\\x\"q");
  // In texts \n and \t are line feed and tab; other letters keep the backslash.
  // (so a path typed into a control needs \\n where it means backslash-n).
  EXPECT_EQ(s.user[0].actions[0].text, "C:\\TAPE\new");
  EXPECT_EQ(s.user[0].actions[1].text, "a\\b\tc\nd");
}

TEST(ScenarioParser, SurvivesHostileInput) {
  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage.push_back(static_cast<char>((i * 131 + 7) % 256));
  for (const std::string& text :
       {garbage, std::string("run x\nbox \""), std::string("run x\ndialog"),
        std::string("run x\ndialog 1 read"), std::string("run x\nbox \"a\" text"),
        std::string(100000, '"'), std::string("run x\nbox \"\\")}) {
    Scenario s;
    std::string error;
    EXPECT_FALSE(ParseScenario(text, "t.scn", &s, &error));
    EXPECT_FALSE(error.empty());
  }
}

TEST(ScenarioParser, HostPathsAreRelativeToTheScenarioFolder) {
  Scenario s;
  s.baseDir = "tests/scenarios";
  EXPECT_EQ(ResolveHostPath(s, "disks/d1"), "tests/scenarios/disks/d1");
  EXPECT_EQ(ResolveHostPath(s, "/abs/d1"), "/abs/d1");
  EXPECT_EQ(ResolveHostPath(s, "@SETUP.EXE"), "@SETUP.EXE");
}

TEST(Transcript, FormatsRecordsWithEscapesAndNames) {
  // The runner says which template is the background window (here 132).
  EXPECT_EQ(FormatBox(OwnerName(132, 132), 0x24, "Confirm \"it\"", "Line 1\n\nC:\\X\t\r", 6),
            "box owner=background icon=question buttons=yesno caption=\"Confirm \\\"it\\\"\" "
            "text=\"Line 1\\n\\nC:\\\\X\\t\\r\" -> yes");
  EXPECT_EQ(FormatBox(OwnerName(0, 132), 0x30 | 0x1, "", "", 2),
            "box owner=none icon=warning buttons=okcancel caption=\"\" text=\"\" -> cancel");
  // Windows-1252 texts come out as UTF-8.
  EXPECT_EQ(FormatWindow(135, OwnerName(102, 132), "Kopieren \xE4\x80"),
            "window 135 owner=dialog:102 title=\"Kopieren \xC3\xA4\xE2\x82\xAC\"");
  Scenario s = MustParse("run x\ndialog 102 read 1001:  set 1000 \"C:\\\\A B\" ;press 1\n");
  EXPECT_EQ(FormatDialog(102, "background", "Setup", {{1001, "Dir"}}, s.user[0]),
            "dialog 102 owner=background title=\"Setup\" 1001=\"Dir\" -> set 1000 \"C:\\\\A B\"; "
            "press 1");
  EXPECT_EQ(FormatExit(3), "exit 3");

  struct {
    std::uint32_t flags;
    const char* icon;
    const char* buttons;
  } names[] = {{0x10, "error", "ok"},
               {0x40 | 2, "information", "abortretryignore"},
               {0x3, "none", "yesnocancel"},
               {0x5, "none", "retrycancel"}};
  for (const auto& n : names) {
    EXPECT_EQ(IconName(n.flags), n.icon);
    EXPECT_EQ(ButtonsName(n.flags), n.buttons);
  }
  EXPECT_TRUE(BoxHasButton(0x3, 2));
  EXPECT_FALSE(BoxHasButton(0x4, 2));  // Yes/No has no Cancel
  EXPECT_FALSE(BoxHasButton(0x0, 6));
}

class ScriptedUserTest : public ::testing::Test {
 protected:
  ScriptedUserTest()
      : s_(MustParse("run A:\\SETUP.EXE\n"
                     "box \"Install Complete\": ok\n"
                     "box \"\" text \"README\": no\n"
                     "dialog 102: press 1\n")),
        user_(s_) {}
  Scenario s_;
  ScriptedUser user_;
  std::string error_;
};

TEST_F(ScriptedUserTest, AnswersWindowsInOrder) {
  const Statement* st = user_.TakeBox("Install Complete", "Setup has completed.", 0x40, &error_);
  ASSERT_NE(st, nullptr) << error_;
  EXPECT_EQ(st->line, 2);
  st = user_.TakeBox("", "Would you like to view README.TXT now?", 0x24, &error_);
  ASSERT_NE(st, nullptr) << error_;
  st = user_.TakeDialog(102, &error_);
  ASSERT_NE(st, nullptr) << error_;
  EXPECT_TRUE(user_.Done());
  EXPECT_EQ(user_.UnusedError(), "");
}

TEST_F(ScriptedUserTest, UnexpectedBoxNamesTheBoxAndTheNextStatement) {
  EXPECT_EQ(user_.TakeBox("Exiting Install", "Setup canceled by user.", 0x30, &error_), nullptr);
  EXPECT_EQ(error_,
            "unexpected window: message box caption=\"Exiting Install\" text=\"Setup canceled by "
            "user.\" buttons=ok; the next statement (t.scn:2) is 'box \"Install Complete\": ok'");
  // Nothing was used.
  EXPECT_EQ(user_.Next()->line, 2);
}

TEST_F(ScriptedUserTest, TextConditionAndButtonsAreChecked) {
  ASSERT_NE(user_.TakeBox("Install Complete", "", 0x40, &error_), nullptr);
  // Same caption, but the text does not contain the substring.
  EXPECT_EQ(user_.TakeBox("", "Something else", 0x24, &error_), nullptr);
  // Text fits but the box has no No button.
  EXPECT_EQ(user_.TakeBox("", "View README?", 0x0, &error_), nullptr);
  EXPECT_NE(error_.find("t.scn:3: the answer 'no' is not a button of the box (buttons=ok)"),
            std::string::npos)
      << error_;
}

TEST_F(ScriptedUserTest, UnexpectedDialogAndUnusedStatements) {
  EXPECT_EQ(user_.TakeDialog(103, &error_), nullptr);
  EXPECT_NE(error_.find("dialog 103 waits for the user; the next statement (t.scn:2)"),
            std::string::npos)
      << error_;
  ASSERT_NE(user_.TakeBox("Install Complete", "", 0x40, &error_), nullptr);
  EXPECT_FALSE(user_.Done());
  EXPECT_EQ(user_.UnusedError(),
            "t.scn:3: unused statement: box \"\" text \"README\": no\n"
            "t.scn:4: unused statement: dialog 102: press 1");
  user_.Take();
  user_.Take();
  EXPECT_EQ(user_.TakeDialog(102, &error_), nullptr);
  EXPECT_NE(error_.find("no statements are left"), std::string::npos);
}

TEST(ScriptedUser, WaitComparesInUtf8) {
  Scenario s = MustParse("run x\ndialog 135: wait 1001 \"K\xC3\xB6ln\"\n");
  const Action& wait = s.user[0].actions[0];
  EXPECT_TRUE(WaitHolds(wait, ControlState{"Copying K\xF6ln.DAT"}));
  EXPECT_FALSE(WaitHolds(wait, ControlState{"Copying Koln.DAT"}));
  EXPECT_EQ(DescribeWaitState(wait, ControlState{"K\xF6"}), "shows \"K\xC3\xB6\"");
}

// Each wait form looks at its own part of the control only.
TEST(ScriptedUser, WaitHoldsOnTheStateItNames) {
  Scenario s = MustParse("run x\ndialog 139: wait 7 \"Files\"; wait 7 visible; wait 7 enabled\n");
  const std::vector<Action>& a = s.user[0].actions;
  const struct {
    ControlState control;
    bool holds[3];  // text, visible, enabled
    const char* described[3];
  } cases[] = {
      {{"Remove Files", true, true}, {true, true, true}, {"shows \"Remove Files\"", "is visible", "is enabled"}},
      {{"Remove Files", false, false}, {true, false, false}, {"shows \"Remove Files\"", "is hidden", "is disabled"}},
      {{"", true, false}, {false, true, false}, {"shows \"\"", "is visible", "is disabled"}},
      {{"", false, true}, {false, false, true}, {"shows \"\"", "is hidden", "is enabled"}},
  };
  for (std::size_t row = 0; row < std::size(cases); ++row) {
    for (std::size_t form = 0; form < 3; ++form) {
      EXPECT_EQ(WaitHolds(a[form], cases[row].control), cases[row].holds[form])
          << "row " << row << ": " << a[form].written;
      EXPECT_EQ(DescribeWaitState(a[form], cases[row].control), cases[row].described[form])
          << "row " << row << ": " << a[form].written;
    }
  }
}

}  // namespace
}  // namespace scenario
