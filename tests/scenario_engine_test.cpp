// The scenario engine against a fake window driver: what each action asks
// of the driver, the transcript records, the one text of each failure,
// clicks handled later (as under Wine) with the modal dialogs they open,
// and the marks of a chain and of a simulated-only scenario.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "scenario/engine.h"
#include "scenario/scenario.h"

namespace scenario {
namespace {

// A driver of made-up dialogs. Every call that acts is logged as one line;
// a failure is kept, not thrown, as the Wine driver keeps it.
class FakeDriver : public WindowDriver {
 public:
  struct Control {
    std::string text;
    bool visible = true;
    bool enabled = true;
    bool list = false;
    std::vector<std::string> entries;
  };
  struct Dialog {
    int templateId = 0;
    int ownerTemplate = 0;
    std::string title;
    bool open = true;
    std::map<int, Control> controls;
  };

  std::map<Window, Dialog> dialogs;
  std::vector<std::string> log;
  std::vector<std::string> records;
  std::vector<std::string> failures;
  std::map<std::string, std::string> aliases;
  // What the next press answers (kDone unless set), and whether a pending
  // click has been handled.
  Outcome pressOutcome = Outcome::Done();
  bool pendingDone = false;
  std::string insertError;
  int keyButton = 1;

  Window FindOpenDialog(int templateId, Window /*modal*/) override {
    for (auto& [w, d] : dialogs) {
      if (d.open && d.templateId == templateId) return w;
    }
    return kNoWindow;
  }
  bool IsOpen(Window dialog) override { return dialogs.count(dialog) && dialogs[dialog].open; }
  bool HasControl(Window dialog, int control) override {
    return dialogs[dialog].controls.count(control) != 0;
  }
  ControlState ReadControl(Window dialog, int control) override {
    const Control& c = dialogs[dialog].controls[control];
    return ControlState{c.text, c.visible, c.enabled};
  }
  bool ReadList(Window dialog, int control, std::vector<std::string>* entries) override {
    const Control& c = dialogs[dialog].controls[control];
    if (!c.list) return false;
    *entries = c.entries;
    return true;
  }
  std::string Title(Window window) override { return dialogs[window].title; }
  int OwnerTemplate(Window window) override {
    return dialogs.count(window) ? dialogs[window].ownerTemplate : 0;
  }
  Outcome SetText(Window dialog, int control, const std::string& text) override {
    dialogs[dialog].controls[control].text = text;
    log.push_back("set " + std::to_string(control) + " " + text);
    return Outcome::Done();
  }
  bool ShortPath(const std::string& path, std::string* alias) override {
    auto it = aliases.find(path);
    if (it == aliases.end()) return false;
    *alias = it->second;
    return true;
  }
  Outcome Press(Window /*dialog*/, int control) override {
    log.push_back("press " + std::to_string(control));
    return pressOutcome;
  }
  Outcome PressKey(Window /*dialog*/, Key key, int* button) override {
    log.push_back(key == Key::kEnter ? "key enter" : "key escape");
    *button = keyButton;
    return pressOutcome;
  }
  Outcome DoubleClickEntry(Window /*dialog*/, int control, int index,
                           const std::string& entry) override {
    log.push_back("dblclick " + std::to_string(control) + " #" + std::to_string(index) + " " +
                  entry);
    return Outcome::Done();
  }
  Outcome OpenItem(Window dialog, int control, const std::string& item) override {
    const Control& c = dialogs[dialog].controls[control];
    for (const std::string& e : c.entries) {
      if (e == item) {
        log.push_back("open " + std::to_string(control) + " " + item);
        return Outcome::Done();
      }
    }
    return Outcome::Failed(Outcome::Code::kNoItem, "[..], [a]");
  }
  bool Insert(char drive, const std::string& folder, std::string* error) override {
    if (!insertError.empty()) {
      *error = insertError;
      return false;
    }
    log.push_back(std::string("insert ") + drive + ": " + folder);
    return true;
  }
  bool ActionFinished(std::uintptr_t token) override {
    log.push_back("finished? " + std::to_string(token));
    return pendingDone;
  }
  void Record(const std::string& record) override { records.push_back(record); }
  void Fail(const std::string& message) override { failures.push_back(message); }
};

constexpr int kBackground = 132;
constexpr Window kDialog = 7;

class EngineTest : public ::testing::Test {
 protected:
  void Use(const std::string& userStatements) {
    std::string error;
    ASSERT_TRUE(ParseScenario("run A:\\SETUP.EXE\n" + userStatements, "t.scn", &scn_, &error))
        << error;
    engine_ = std::make_unique<Engine>(scn_, driver_, kBackground);
  }
  FakeDriver::Dialog& AddDialog(Window w, int templateId, std::vector<int> controls) {
    FakeDriver::Dialog& d = driver_.dialogs[w];
    d.templateId = templateId;
    d.ownerTemplate = kBackground;
    d.title = "Title " + std::to_string(templateId);
    for (int id : controls) d.controls[id] = FakeDriver::Control{};
    return d;
  }
  // Runs what is due as the simulated machine's modal loop does.
  void RunDue() { engine_->RunDue(kNoWindow); }
  std::string Failure() const {
    return driver_.failures.empty() ? std::string("(none)") : driver_.failures.front();
  }

  Scenario scn_;
  FakeDriver driver_;
  std::unique_ptr<Engine> engine_;
};

TEST_F(EngineTest, EachActionAsksTheDriverAndTheDialogIsRecordedOnce) {
  Use("dialog 102 read 1001 1033: set 1000 \"Zubeh\xC3\xB6r\"; set 1002 short \"C:\\Program "
      "Files\"; dblclick 1033 \"STARTUP\"; open 1121 \"[a]\"; insert A: disks/disk2; key escape; "
      "press 1\n");
  FakeDriver::Dialog& d = AddDialog(kDialog, 102, {1, 1000, 1001, 1002, 1033, 1121});
  d.controls[1001].text = "read me";
  d.controls[1033].list = true;
  d.controls[1033].entries = {"Accessories", "StartUp"};
  d.controls[1121].entries = {"[..]", "[a]"};
  driver_.aliases["C:\\Program Files"] = "C:\\PROGRA~1";
  RunDue();
  EXPECT_EQ(Failure(), "(none)");
  const std::vector<std::string> expected = {
      "set 1000 Zubeh\xF6r",        // typed in Windows-1252
      "set 1002 C:\\PROGRA~1",      // the machine's alias
      "dblclick 1033 #1 StartUp",   // found without regard to case
      "open 1121 [a]",
      "insert A: disks/disk2",
      "key escape",
      "press 1"};
  EXPECT_EQ(driver_.log, expected);
  ASSERT_EQ(driver_.records.size(), 1u);
  EXPECT_EQ(driver_.records[0].rfind("dialog 102 owner=background title=\"Title 102\" "
                                     "1001=\"read me\" 1033=\"Accessories\\nStartUp\\n\" -> set",
                                     0),
            0u)
      << driver_.records[0];
  EXPECT_TRUE(engine_->user().Done());
  EXPECT_FALSE(engine_->HasRunning());
}

TEST_F(EngineTest, AWaitHoldsBackTheActionsAndTheRecordUntilItHolds) {
  Use("dialog 135: wait 1013 \"FILE3\"; wait 1014 visible; wait 1015 enabled; press 2\n");
  FakeDriver::Dialog& d = AddDialog(kDialog, 135, {1013, 1014, 1015, 2});
  d.controls[1013].text = "Copying FILE1";
  d.controls[1014].visible = false;
  d.controls[1015].enabled = false;
  RunDue();
  EXPECT_TRUE(engine_->HasRunning());
  EXPECT_TRUE(driver_.records.empty());
  d.controls[1013].text = "Copying FILE3";
  RunDue();
  EXPECT_TRUE(driver_.log.empty());  // still waiting for 1014
  d.controls[1014].visible = true;
  RunDue();
  EXPECT_TRUE(driver_.log.empty());  // and for 1015
  EXPECT_EQ(engine_->WhyDialogWaits(135),
            "t.scn:2: dialog 135 waits for the user, but 'wait 1015 enabled' does not hold "
            "(control 1015 is disabled, and no timer runs that could change it)");
  d.controls[1015].enabled = true;
  RunDue();
  EXPECT_EQ(driver_.log, std::vector<std::string>{"press 2"});
  ASSERT_EQ(driver_.records.size(), 1u);
  EXPECT_FALSE(engine_->HasRunning());
}

TEST_F(EngineTest, ABoxIsAnsweredRecordedAndItsDisksSwapped) {
  Use("box \"Next Diskette Needed\" text \"disk #2\": insert A: disks/disk2; ok\n");
  int answer = engine_->AnswerBox(kNoWindow, 135, "Next Diskette Needed", "Please insert disk #2",
                                  0x40 /* information, ok */);
  EXPECT_EQ(answer, 1);
  EXPECT_EQ(driver_.log, std::vector<std::string>{"insert A: disks/disk2"});
  ASSERT_EQ(driver_.records.size(), 1u);
  EXPECT_EQ(driver_.records[0],
            "box owner=dialog:135 icon=information buttons=ok caption=\"Next Diskette Needed\" "
            "text=\"Please insert disk #2\" -> ok");
}

// The one text of each failure, whichever runner meets it.
struct FailureCase {
  const char* name;
  const char* statement;
  void (*arrange)(FakeDriver::Dialog& d, FakeDriver& driver);
  const char* failure;
};

const FailureCase kFailures[] = {
    {"NoControl", "dialog 102: set 4242 \"x\"", nullptr, "t.scn:2: dialog 102 has no control 4242"},
    {"DisabledControl", "dialog 102: press 1",
     [](FakeDriver::Dialog&, FakeDriver& f) {
       f.pressOutcome = Outcome::Failed(Outcome::Code::kControlDisabled);
     },
     "t.scn:2: control 1 of dialog 102 is disabled"},
    {"DisabledDialog", "dialog 102: press 1",
     [](FakeDriver::Dialog&, FakeDriver& f) {
       f.pressOutcome = Outcome::Failed(Outcome::Code::kDialogDisabled);
     },
     "t.scn:2: dialog 102 is disabled"},
    {"KeyOnAMissingButton", "dialog 102: key enter",
     [](FakeDriver::Dialog&, FakeDriver& f) {
       f.keyButton = 2;
       f.pressOutcome = Outcome::Failed(Outcome::Code::kNoControl);
     },
     "t.scn:2: dialog 102 has no control 2"},
    {"NoListBox", "dialog 102: dblclick 1000 \"x\"", nullptr,
     "t.scn:2: dialog 102 has no list box 1000"},
    {"NoListEntry", "dialog 102: dblclick 1033 \"Games\"",
     [](FakeDriver::Dialog& d, FakeDriver&) {
       d.controls[1033].list = true;
       d.controls[1033].entries = {"Accessories"};
     },
     "t.scn:2: list 1033 of dialog 102 has no entry \"Games\" (it holds \"Accessories\\n\")"},
    {"DisabledList", "dialog 102: dblclick 1033 \"Games\"",
     [](FakeDriver::Dialog& d, FakeDriver&) {
       d.controls[1033].list = true;
       d.controls[1033].enabled = false;
     },
     "t.scn:2: control 1033 of dialog 102 is disabled"},
    {"NoItemToOpen", "dialog 102: open 1121 \"[b]\"", nullptr,
     "t.scn:2: 'open 1121 \"[b]\"': the list holds no such item (it holds [..], [a])"},
    {"NoShortName", "dialog 102: set 1000 short \"C:\\Nowhere\"", nullptr,
     "t.scn:2: no 8.3 alias of C:\\Nowhere"},
    {"DiskNotSwapped", "dialog 102: insert A: disks/disk2",
     [](FakeDriver::Dialog&, FakeDriver& f) { f.insertError = "nobody answered"; },
     "t.scn:2: 'insert A: disks/disk2': nobody answered"},
    {"DriverError", "dialog 102: press 1",
     [](FakeDriver::Dialog&, FakeDriver& f) {
       f.pressOutcome = Outcome::Failed(Outcome::Code::kFailed, "could not click control 1");
     },
     "t.scn:2: 'press 1': could not click control 1"},
    {"DialogWentAway", "dialog 102: press 1; set 1000 \"x\"",
     [](FakeDriver::Dialog&, FakeDriver&) {},  // closed by the press below
     "t.scn:2: dialog 102 went away before 'set 1000 \"x\"'"},
};

class EngineFailureTest : public EngineTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(EngineFailureTest, GivesTheOneTextOfTheFailure) {
  const FailureCase& c = GetParam();
  Use(std::string(c.statement) + "\n");
  FakeDriver::Dialog& d = AddDialog(kDialog, 102, {1, 1000, 1033, 1121});
  d.controls[1121].entries = {"[..]", "[a]"};
  if (c.arrange) c.arrange(d, driver_);
  if (std::string(c.name) == "DialogWentAway") {
    // The press ends the dialog: a driver answers its click, then the
    // dialog is gone before the next action.
    driver_.pressOutcome = Outcome::Pending(1);
    RunDue();
    d.open = false;
    driver_.pendingDone = true;
    engine_->Continue();
  } else {
    RunDue();
  }
  ASSERT_EQ(driver_.failures.size(), 1u) << c.name;
  EXPECT_EQ(driver_.failures[0], c.failure) << c.name;
  EXPECT_TRUE(engine_->Failed());
}

INSTANTIATE_TEST_SUITE_P(Table, EngineFailureTest, ::testing::ValuesIn(kFailures),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EngineTest, WindowFailuresAreWordedOnce) {
  Use("dialog 135: wait 1013 \"FILE3\"\nbox \"Install Complete\": ok\n");
  // A modal dialog no statement is for.
  engine_->FailUnexpectedDialog(kDialog, 103);
  EXPECT_EQ(Failure(),
            "unexpected window: dialog 103 waits for the user; the next statement (t.scn:2) is "
            "'dialog 135: wait 1013 \"FILE3\"'");

  Use("dialog 135: wait 1013 \"FILE3\"\n");
  driver_.failures.clear();
  // The modeless dialog the next statement is for closes before it ran.
  engine_->DialogGone(kDialog, 135, /*modal=*/false, /*othersOpen=*/false);
  EXPECT_EQ(Failure(),
            "t.scn:2: dialog 135 went away before the statement 'dialog 135: wait 1013 "
            "\"FILE3\"' could run");

  Use("dialog 135: wait 1013 \"FILE3\"\n");
  driver_.failures.clear();
  // Another dialog of that template is still open: nothing failed.
  engine_->DialogGone(kDialog, 135, false, /*othersOpen=*/true);
  EXPECT_TRUE(driver_.failures.empty());

  // The program ends while a statement waits.
  AddDialog(kDialog, 135, {1013});
  RunDue();
  EXPECT_TRUE(engine_->HasRunning());
  EXPECT_EQ(engine_->Unfinished(),
            "t.scn:2: the program ended before 'dialog 135: wait 1013 \"FILE3\"' completed");
  EXPECT_EQ(engine_->DescribeWaiting(), "t.scn:2: 'dialog 135: wait 1013 \"FILE3\"' did not complete");
}

TEST_F(EngineTest, APendingClickHoldsTheStatementAndTheModalDialogItOpensGoesFirst) {
  Use("dialog 102: press 1540; set 1000 \"back\"\n"
      "dialog 1536: press 1\n");
  FakeDriver::Dialog& installDir = AddDialog(kDialog, 102, {1540, 1000});
  driver_.pressOutcome = Outcome::Pending(42);
  engine_->StartNext(kNoWindow);
  EXPECT_EQ(engine_->Continue(), Engine::Step::kWaiting);
  EXPECT_EQ(driver_.log, std::vector<std::string>{"press 1540"});
  // Not handled yet: the statement asks again and waits.
  EXPECT_EQ(engine_->Continue(), Engine::Step::kWaiting);
  EXPECT_EQ(driver_.log.back(), "finished? 42");

  // The click opened the browser: its statement takes it; the pending one
  // goes on after it.
  constexpr Window kBrowser = 8;
  AddDialog(kBrowser, 1536, {1});
  EXPECT_EQ(engine_->TakeModal(kBrowser, 1536), Engine::Taken::kTaken);
  driver_.pressOutcome = Outcome::Done();
  EXPECT_EQ(engine_->Continue(), Engine::Step::kDone);
  EXPECT_EQ(driver_.log.back(), "press 1");
  // Back on the install directory dialog, whose click is now handled.
  driver_.pendingDone = true;
  EXPECT_EQ(engine_->Continue(), Engine::Step::kDone);
  EXPECT_EQ(installDir.controls[1000].text, "back");
  EXPECT_TRUE(engine_->user().Done());
  ASSERT_EQ(driver_.records.size(), 2u);
  EXPECT_EQ(driver_.records[0].rfind("dialog 102 ", 0), 0u);
  EXPECT_EQ(driver_.records[1].rfind("dialog 1536 ", 0), 0u);
  EXPECT_EQ(Failure(), "(none)");
}

TEST_F(EngineTest, ARunningStatementHoldsBackANewModalDialog) {
  Use("dialog 135: wait 1013 \"done\"\ndialog 102: press 1\n");
  AddDialog(kDialog, 135, {1013});
  RunDue();
  ASSERT_TRUE(engine_->HasRunning());
  EXPECT_EQ(engine_->TakeModal(9, 102), Engine::Taken::kHeldBack);
  // Once it completed, the dialog's statement is next.
  driver_.dialogs[kDialog].controls[1013].text = "done";
  RunDue();
  EXPECT_EQ(engine_->TakeModal(9, 102), Engine::Taken::kTaken);
  // A dialog whose statement is not next is for the driver to judge.
  Use("box \"x\": ok\n");
  EXPECT_EQ(engine_->TakeModal(9, 102), Engine::Taken::kNotNext);
}

// ------------------------------------------------------------------ marks

TEST(ScenarioMarks, AfterAndSimOnlyAreReadByTheParser) {
  Scenario s;
  std::string error;
  s.baseDir = "tests/scenarios";
  ASSERT_TRUE(ParseScenario("# sim-only: Wine cannot deny a key\n"
                            "#   after:   group_small_win95.scn  \n"
                            "# is in, after every file: a comment, no mark\n"
                            "run x\n",
                            "t.scn", &s, &error))
      << error;
  EXPECT_TRUE(s.simOnly);
  EXPECT_EQ(s.simOnlyReason, "Wine cannot deny a key");
  EXPECT_EQ(s.after, "group_small_win95.scn");
  EXPECT_EQ(AfterPath(s), "tests/scenarios/group_small_win95.scn");

  Scenario plain;
  ASSERT_TRUE(ParseScenario("# a comment\nrun x\n", "t.scn", &plain, &error)) << error;
  EXPECT_FALSE(plain.simOnly);
  EXPECT_EQ(plain.after, "");
  EXPECT_EQ(AfterPath(plain), "");
}

TEST(ScenarioMarks, AMarkOutOfPlaceIsAnError) {
  struct Case {
    const char* text;
    const char* error;
  };
  const Case cases[] = {
      {"run x\n# sim-only: late\n", "t.scn:2: '# sim-only:' must be the first line of the scenario"},
      {"# after: a.scn\n# after: b.scn\nrun x\n",
       "t.scn:2: second '# after:' line (a scenario runs after one other)"},
      {"# after:\nrun x\n", "t.scn:1: expected a scenario file after '# after:'"},
  };
  for (const Case& c : cases) {
    Scenario s;
    std::string error;
    EXPECT_FALSE(ParseScenario(c.text, "t.scn", &s, &error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
}

}  // namespace
}  // namespace scenario
