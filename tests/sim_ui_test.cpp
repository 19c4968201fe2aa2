// The simulated user interface: the scripted user answering boxes and
// dialogs, modeless dialogs with wait conditions, timers on virtual time,
// and painting.
#include <gtest/gtest.h>

#include <map>

#include "platform/sim/sim_ui.h"
#include "scenario/scenario.h"
#include "simrun/product_resources.h"
#include "simrun/scenario_user.h"
#include "ui/dialog_ids.h"
#include "ui/dialog_templates.h"

namespace sim {
namespace {

using platform::WindowHandle;

namespace background = ui::ids::background;
namespace copy_progress = ui::ids::copy_progress;

// A dialog handler that remembers what happened to it. Templates without a
// name are not the program's: the machine makes an empty dialog of them.
class TestDialog : public platform::DialogHandler {
 public:
  TestDialog(platform::Ui& ui, int templateId) : DialogHandler(templateId), ui_(ui) {}
  bool OnInitDialog(WindowHandle dialog) override {
    window = dialog;
    ++inits;
    if (!title.empty()) ui_.SetWindowText(dialog, title);
    if (timerMs) ui_.SetTimer(dialog, 1, timerMs);
    return true;
  }
  bool OnCommand(WindowHandle dialog, int id, int notify) override {
    commands.push_back(std::to_string(id) + "/" + std::to_string(notify) + "=" +
                       ui_.GetItemText(dialog, 1000));
    if (onCommand) return onCommand(dialog, id);
    return false;
  }
  void OnTimer(WindowHandle dialog, int id) override {
    ++ticks;
    if (ticks == endAfterTicks) ui_.EndDialog(dialog, 0);
    (void)id;
  }
  bool OnPaint(WindowHandle, platform::Painter& painter) override {
    platform::Rect r = painter.ClientRect();
    painter.FillSolid(r, platform::Rgb(0, 0, 255));
    painter.DrawBitmap(131, 3, 3, platform::Rop::kSrcAnd);
    painter.DefaultPaint();
    return true;
  }
  void OnDestroy(WindowHandle) override { ++destroys; }

  platform::Ui& ui_;
  WindowHandle window = 0;
  std::string title;
  std::uint32_t timerMs = 0;
  int endAfterTicks = -1;
  int inits = 0, ticks = 0, destroys = 0;
  std::vector<std::string> commands;
  std::function<bool(WindowHandle, int)> onCommand;
};

class SimUiTest : public ::testing::Test {
 protected:
  void Use(const std::string& userStatements) {
    std::string error;
    ASSERT_TRUE(scenario::ParseScenario("run A:\\SETUP.EXE\n" + userStatements, "t.scn", &scn_, &error))
        << error;
    user_ = std::make_unique<simrun::ScenarioUser>(scn_);
    ui_.SetResources(&simrun::ProductResources());
    ui_.SetUser(user_.get());
  }
  std::string AbortOf(const std::function<void()>& f) {
    try {
      f();
    } catch (const RunAborted& e) {
      return e.what();
    }
    return "(no abort)";
  }

  SimUi ui_;
  scenario::Scenario scn_;
  std::unique_ptr<simrun::ScenarioUser> user_;
};

TEST_F(SimUiTest, MessageBoxesAreAnsweredAndRecorded) {
  Use("box \"Confirm Uninstall\": yes\nbox \"\" text \"README\": insert A: disks/d2; no\n");
  std::vector<std::pair<char, std::string>> inserted;
  user_->SetInsertHandler([&](char d, const std::string& f) { inserted.emplace_back(d, f); });
  TestDialog bg(ui_, background::kTemplate);
  WindowHandle backgroundWindow = ui_.CreateModeless(0, bg);
  EXPECT_EQ(ui_.MessageBox(backgroundWindow, "Remove?", "Confirm Uninstall", 0x24), 6);
  EXPECT_EQ(ui_.MessageBox(0, "View README.TXT?", "", 0x24), 7);
  EXPECT_EQ(inserted, (std::vector<std::pair<char, std::string>>{{'A', "disks/d2"}}));
  ASSERT_EQ(user_->records().size(), 3u);
  EXPECT_EQ(user_->records()[0], "window 132 owner=none title=\"hi\"");
  EXPECT_EQ(user_->records()[1],
            "box owner=background icon=question buttons=yesno caption=\"Confirm Uninstall\" "
            "text=\"Remove?\" -> yes");
  EXPECT_TRUE(user_->Done());
  // A box nobody expects aborts the run.
  EXPECT_EQ(AbortOf([&] { ui_.MessageBox(0, "x", "Surprise", 0); }),
            "unexpected window: message box caption=\"Surprise\" text=\"x\" buttons=ok; no "
            "statements are left");
}

TEST_F(SimUiTest, ModalDialogRunsItsStatementAndEndsWithTheButton) {
  Use("dialog 102 read 1000: set 1000 \"C:\\TAPE\"; press 1\n");
  TestDialog d(ui_, 102);
  d.title = "Install Directory";
  int result = ui_.RunModal(0, d);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(d.inits, 1);
  EXPECT_EQ(d.destroys, 1);
  // The change notification of the edit control, then the click.
  EXPECT_EQ(d.commands, (std::vector<std::string>{"1000/768=C:\\TAPE", "1/0=C:\\TAPE"}));
  ASSERT_EQ(user_->records().size(), 1u);
  EXPECT_EQ(user_->records()[0].rfind("dialog 102 owner=none title=\"Install Directory\" 1000=", 0), 0u);
  EXPECT_NE(user_->records()[0].find(" -> set 1000 \"C:\\\\TAPE\"; press 1"), std::string::npos);
  EXPECT_EQ(ui_.OpenWindowCount(), 0u);
}

TEST_F(SimUiTest, ModalDialogStaysOpenWhenTheHandlerRefuses) {
  Use("dialog 102: press 1\nbox \"Invalid\": ok\ndialog 102: press 2\n");
  TestDialog d(ui_, 102);
  d.onCommand = [&](WindowHandle w, int id) {
    if (id != 1) return false;
    ui_.MessageBox(w, "Bad directory", "Invalid", 0x30);
    return true;  // handled: the dialog stays
  };
  EXPECT_EQ(ui_.RunModal(0, d), 2);
  ASSERT_EQ(user_->records().size(), 3u);
  EXPECT_EQ(user_->records()[1],
            "box owner=dialog:102 icon=warning buttons=ok caption=\"Invalid\" text=\"Bad "
            "directory\" -> ok");
}

TEST_F(SimUiTest, ModalDialogWithoutStatementAborts) {
  Use("box \"Install Complete\": ok\n");
  TestDialog d(ui_, 103);
  EXPECT_EQ(AbortOf([&] { ui_.RunModal(0, d); }),
            "unexpected window: dialog 103 waits for the user; the next statement (t.scn:2) is "
            "'box \"Install Complete\": ok'");
}

TEST_F(SimUiTest, PressOnDisabledOrMissingControlAborts) {
  Use("dialog 102: press 1\n");
  struct Disabler : TestDialog {
    using TestDialog::TestDialog;
    bool OnInitDialog(WindowHandle w) override {
      ui_.EnableItem(w, 1, false);
      return true;
    }
  } disabled(ui_, 102);
  std::string why = AbortOf([&] { ui_.RunModal(0, disabled); });
  EXPECT_EQ(why, "t.scn:2: control 1 of dialog 102 is disabled");
}

TEST_F(SimUiTest, ModalDialogEndedByItsTimerNeedsNoStatement) {
  Use("");
  TestDialog d(ui_, 150);
  d.timerMs = 2000;
  d.endAfterTicks = 5;
  EXPECT_EQ(ui_.RunModal(0, d), 0);
  EXPECT_EQ(d.ticks, 5);
  EXPECT_EQ(ui_.now(), 10000u);  // virtual time only
}

TEST_F(SimUiTest, ModelessDialogRunsActionsOnceItsWaitHolds) {
  Use("dialog 135: wait 1013 \"FILE3\"; press 2\n");
  TestDialog progress(ui_, copy_progress::kTemplate);
  bool cancelled = false;
  progress.onCommand = [&](WindowHandle, int id) {
    cancelled = cancelled || id == 2;
    return true;
  };
  WindowHandle h = ui_.CreateModeless(0, progress);
  ui_.ShowWindow(h, platform::sw::kShow);
  for (const char* file : {"FILE1", "FILE2"}) {
    ui_.SetItemText(h, copy_progress::kStatusText, file);
    ui_.PumpMessages(h);
  }
  EXPECT_FALSE(cancelled);
  EXPECT_TRUE(user_->HasPendingStatement());
  ui_.SetItemText(h, copy_progress::kStatusText, "FILE3.DAT");
  ui_.PumpMessages(h);
  EXPECT_TRUE(cancelled);
  EXPECT_TRUE(user_->Done());
  EXPECT_FALSE(user_->HasPendingStatement());
  EXPECT_EQ(user_->records().back(), "dialog 135 owner=none title=\"File Copy\" -> wait 1013 \"FILE3\"; press 2");
  ui_.DestroyWindow(h);
}

TEST_F(SimUiTest, ModelessDialogGoingAwayBeforeItsWaitAborts) {
  Use("dialog 135: wait 1013 \"NEVER\"; press 2\n");
  TestDialog progress(ui_, copy_progress::kTemplate);
  WindowHandle h = ui_.CreateModeless(0, progress);
  ui_.SetItemText(h, copy_progress::kStatusText, "FILE1");
  ui_.PumpMessages(h);
  EXPECT_EQ(AbortOf([&] { ui_.DestroyWindow(h); }),
            "t.scn:2: dialog 135 went away before the statement 'dialog 135: wait 1013 "
            "\"NEVER\"; press 2' could run");
}

TEST_F(SimUiTest, WaitOnAControlTheDialogLacksAborts) {
  Use("dialog 135: wait 4242 \"x\"\n");
  TestDialog progress(ui_, copy_progress::kTemplate);
  WindowHandle h = ui_.CreateModeless(0, progress);
  EXPECT_EQ(AbortOf([&] { ui_.PumpMessages(h); }), "t.scn:2: dialog 135 has no control 4242");
}

TEST_F(SimUiTest, RunMessagesUntilAdvancesToTheNextTimer) {
  Use("");
  TestDialog d(ui_, copy_progress::kTemplate);
  WindowHandle h = ui_.CreateModeless(0, d);
  ASSERT_TRUE(ui_.SetTimer(h, 1, 2000));
  ui_.PumpMessages(h);
  EXPECT_EQ(d.ticks, 0);  // not due yet
  ui_.RunMessagesUntil([&] { return d.ticks >= 2; });
  EXPECT_EQ(d.ticks, 2);
  EXPECT_EQ(ui_.now(), 4000u);
  ui_.KillTimer(h, 1);
  EXPECT_NE(AbortOf([&] { ui_.RunMessagesUntil([] { return false; }); }).find("no timer runs"),
            std::string::npos);
  ui_.DestroyWindow(h);
}

TEST_F(SimUiTest, ShownWindowsArePaintedWithTheirClientSize) {
  Use("");
  TestDialog bg(ui_, background::kTemplate);
  WindowHandle h = ui_.CreateModeless(0, bg);
  ui_.ShowWindow(h, platform::sw::kShowMaximized);
  ui_.PumpMessages(h);
  ASSERT_GE(ui_.paintOps().size(), 3u);
  const auto& ops = ui_.paintOps();
  EXPECT_EQ(ops[0].templateId, background::kTemplate);
  EXPECT_EQ(ops[0].op, "fill 0,0,1024,742 #0000ff");
  EXPECT_EQ(ops[1].op, "bitmap 131 3,3 srcand");
  EXPECT_EQ(ops[2].op, "defaultpaint");
  // Painted once: a second pump draws nothing new.
  std::size_t count = ops.size();
  ui_.PumpMessages(h);
  EXPECT_EQ(ui_.paintOps().size(), count);
  EXPECT_EQ(ui_.GetMainWindow(), 0u);
  ui_.SetMainWindow(h);
  ui_.DestroyWindow(h);
  EXPECT_EQ(ui_.GetMainWindow(), 0u);
  EXPECT_EQ(bg.destroys, 1);
}

TEST_F(SimUiTest, UnknownTemplateGivesAnEmptyDialog) {
  Use("dialog 999: set 5 \"x\"; press 1\n");
  TestDialog d(ui_, 999);
  EXPECT_EQ(ui_.RunModal(0, d), 1);
  EXPECT_EQ(d.commands.back(), "1/0=");
}

// List boxes as LB_* messages see them: a sorted list keeps its entries in
// order without regard to case, the selection moves with its entry, an
// index out of range selects nothing; a double click selects, then
// notifies.
TEST_F(SimUiTest, ListBoxesSortSelectAndNotify) {
  namespace group = ui::ids::program_group;
  Use("");
  TestDialog d(ui_, group::kTemplate);
  WindowHandle h = ui_.CreateModeless(0, d);
  EXPECT_EQ(ui_.ListAddString(h, group::kGroupList, "beta"), 0);
  EXPECT_TRUE(ui_.ListSetCurSel(h, group::kGroupList, 0));
  EXPECT_EQ(ui_.ListAddString(h, group::kGroupList, "Alpha"), 0);
  EXPECT_EQ(ui_.ListCurSel(h, group::kGroupList), 1) << "the selection follows its entry";
  EXPECT_EQ(ui_.ListAddString(h, group::kGroupList, "Zeta"), 2);
  EXPECT_EQ(ui_.ListAddString(h, group::kGroupList, std::string("gam\0ma", 6)), 2);
  EXPECT_EQ(ui_.ListCount(h, group::kGroupList), 4);
  EXPECT_EQ(ui_.ListText(h, group::kGroupList, 2), "gam");
  EXPECT_EQ(ui_.ListText(h, group::kGroupList, 4), "");
  EXPECT_EQ(ui_.ListText(h, group::kGroupList, -1), "");
  EXPECT_FALSE(ui_.ListSetCurSel(h, group::kGroupList, 4));
  EXPECT_EQ(ui_.ListCurSel(h, group::kGroupList), -1);
  // Not a list box: nothing is added.
  EXPECT_EQ(ui_.ListAddString(h, group::kGroupName, "x"), -1);
  EXPECT_EQ(ui_.ListCount(h, group::kGroupName), 0);

  EXPECT_EQ(ui_.DoubleClickListEntry(h, group::kGroupList, "ZETA"), SimUi::Click::kDone);
  EXPECT_EQ(ui_.ListCurSel(h, group::kGroupList), 3);
  ASSERT_EQ(d.commands.size(), 2u);
  EXPECT_EQ(d.commands[0].substr(0, 7), "1033/1=");
  EXPECT_EQ(d.commands[1].substr(0, 7), "1033/2=");
  EXPECT_EQ(ui_.DoubleClickListEntry(h, group::kGroupList, "Zet"), SimUi::Click::kNoEntry);
  EXPECT_EQ(ui_.DoubleClickListEntry(h, group::kGroupName, "x"), SimUi::Click::kNoControl);
  ui_.EnableItem(h, group::kGroupList, false);
  EXPECT_EQ(ui_.DoubleClickListEntry(h, group::kGroupList, "Zeta"), SimUi::Click::kControlDisabled);
  ui_.DestroyWindow(h);
}

namespace option = ui::ids::uninstall_option;
namespace progress = ui::ids::uninstall_progress;

// Automatic radio buttons and check boxes as a click and BM_SETCHECK see
// them: a click on a radio button checks it and clears the rest of its
// group before BN_CLICKED; BM_SETCHECK touches one button only.
TEST_F(SimUiTest, ClicksCheckRadioButtonsOfTheGroupAndToggleCheckBoxes) {
  Use("");
  TestDialog d(ui_, option::kTemplate);
  WindowHandle h = ui_.CreateModeless(0, d);
  EXPECT_FALSE(ui_.IsItemChecked(h, option::kSelective));
  EXPECT_FALSE(ui_.IsItemChecked(h, option::kComplete));
  ui_.CheckItem(h, option::kSelective, true);
  const struct {
    int pressed;
    bool selective, complete;
  } clicks[] = {{option::kComplete, false, true},
                {option::kComplete, false, true},
                {option::kSelective, true, false},
                {option::kOk, true, false}};
  for (std::size_t row = 0; row < std::size(clicks); ++row) {
    EXPECT_EQ(ui_.PressButton(h, clicks[row].pressed), SimUi::Click::kDone) << "row " << row;
    EXPECT_EQ(ui_.IsItemChecked(h, option::kSelective), clicks[row].selective) << "row " << row;
    EXPECT_EQ(ui_.IsItemChecked(h, option::kComplete), clicks[row].complete) << "row " << row;
    EXPECT_EQ(d.commands.back().substr(0, d.commands.back().find('=')),
              std::to_string(clicks[row].pressed) + "/0")
        << "row " << row << ": BN_CLICKED after the check";
  }
  // BM_SETCHECK leaves the other button alone, as on Windows.
  ui_.CheckItem(h, option::kComplete, true);
  EXPECT_TRUE(ui_.IsItemChecked(h, option::kSelective));
  EXPECT_TRUE(ui_.IsItemChecked(h, option::kComplete));
  ui_.CheckItem(h, 4242, true);  // no such control
  EXPECT_FALSE(ui_.IsItemChecked(h, 4242));
  ui_.DestroyWindow(h);

  TestDialog browser(ui_, ui::ids::browser::kTemplate);
  h = ui_.CreateModeless(0, browser);
  for (bool expected : {true, false}) {
    EXPECT_EQ(ui_.PressButton(h, ui::ids::browser::kReadOnly), SimUi::Click::kDone);
    EXPECT_EQ(ui_.IsItemChecked(h, ui::ids::browser::kReadOnly), expected);
  }
  EXPECT_FALSE(ui_.IsItemChecked(h, ui::ids::browser::kOk)) << "a push button keeps no check";
  ui_.DestroyWindow(h);
}

TEST_F(SimUiTest, ScenarioPressOnARadioButtonChecksIt) {
  Use("dialog 137: press 1038; press 1\n");
  TestDialog d(ui_, option::kTemplate);
  bool completeAtOk = false;
  d.onCommand = [&](WindowHandle h, int id) {
    if (id == option::kOk) completeAtOk = ui_.IsItemChecked(h, option::kComplete);
    return false;
  };
  EXPECT_EQ(ui_.RunModal(0, d), 1);
  EXPECT_TRUE(completeAtOk);
  EXPECT_TRUE(user_->Done());
}

// Controls start as the templates make them: hidden by their kind,
// disabled by WS_DISABLED in their style; a hidden, disabled button cannot
// be pressed.
TEST_F(SimUiTest, ControlsStartHiddenOrDisabledAsTheirTemplateSays) {
  Use("");
  const struct {
    int templateId, control;
    bool visible, enabled;
  } cases[] = {
      {option::kTemplate, option::kOk, true, true},
      {option::kTemplate, option::kSelective, true, true},
      {option::kTemplate, option::kBrowse, false, false},
      {progress::kTemplate, progress::kStep1Label, true, false},
      {progress::kTemplate, progress::kStep4Label, true, false},
      {progress::kTemplate, progress::kStep5Label, false, false},
      {progress::kTemplate, progress::kStep1Marker, false, true},
      {progress::kTemplate, progress::kStep5Marker, false, true},
      {progress::kTemplate, progress::kAnimation, true, true},
  };
  for (std::size_t row = 0; row < std::size(cases); ++row) {
    TestDialog d(ui_, cases[row].templateId);
    WindowHandle h = ui_.CreateModeless(0, d);
    EXPECT_EQ(ui_.IsItemVisible(h, cases[row].control), cases[row].visible) << "row " << row;
    EXPECT_EQ(ui_.IsItemEnabled(h, cases[row].control), cases[row].enabled) << "row " << row;
    ui_.DestroyWindow(h);
  }
  TestDialog d(ui_, option::kTemplate);
  WindowHandle h = ui_.CreateModeless(0, d);
  EXPECT_EQ(ui_.PressButton(h, option::kBrowse), SimUi::Click::kControlDisabled);
  ui_.ShowItem(h, option::kBrowse, true);
  ui_.EnableItem(h, option::kBrowse, true);
  EXPECT_TRUE(ui_.IsItemVisible(h, option::kBrowse));
  EXPECT_EQ(ui_.PressButton(h, option::kBrowse), SimUi::Click::kDone);
  EXPECT_FALSE(ui_.IsItemVisible(h, 4242));
  ui_.DestroyWindow(h);
}

// A progress dialog in the manner of the uninstall progress: an icon
// drawn into the animation control on every tick; on tick n the marker of
// step n shows (the markers draw a check mark) and the label of step n + 1
// is enabled; the dialog ends by itself after five ticks of 2 seconds.
class StepsDialog : public platform::DialogHandler {
 public:
  explicit StepsDialog(platform::Ui& ui, bool timers = true)
      : DialogHandler(progress::kTemplate), ui_(ui), timers_(timers) {}
  bool OnInitDialog(WindowHandle dialog) override {
    ui_.OwnControlPaint(dialog, progress::kAnimation);
    for (int marker = progress::kStep1Marker; marker <= progress::kStep5Marker; ++marker) {
      ui_.OwnControlPaint(dialog, marker);
    }
    if (timers_) ui_.SetTimer(dialog, 2, 2000);
    return true;
  }
  void OnTimer(WindowHandle dialog, int) override {
    ++ticks;
    if (ticks <= 4) ui_.ShowItem(dialog, progress::kStep1Marker + ticks - 1, true);
    if (ticks <= 3) ui_.EnableItem(dialog, progress::kStep1Label + ticks, true);
    ui_.InvalidateItem(dialog, progress::kAnimation, false);
    if (ticks == 5) ui_.EndDialog(dialog, 0);
  }
  void OnPaintControl(WindowHandle, int controlId, platform::Painter& painter) override {
    if (controlId != progress::kAnimation) {
      painter.DrawIcon(ui::kCheckMarkIcon, 0, 0);
      return;
    }
    drawn.push_back(painter.DrawIcon(ticks % 2 == 0 ? ui::kBarrelIcon : ui::kBurningBarrelIcon, 0, 0));
    drawn.push_back(painter.DrawIcon(999, 0, 0));
  }

  int ticks = 0;
  std::vector<bool> drawn;

 private:
  platform::Ui& ui_;
  bool timers_;
};

TEST_F(SimUiTest, IconsOfTheProgramAreDrawnAndRecorded) {
  Use("");
  StepsDialog d(ui_);
  EXPECT_EQ(ui_.RunModal(0, d), 0);
  std::vector<std::string> icons;
  std::map<int, std::vector<std::string>> markers;
  for (const PaintOp& op : ui_.paintOps()) {
    if (op.controlId == progress::kAnimation) icons.push_back(op.op);
    if (op.controlId != progress::kAnimation && op.controlId != 0) {
      markers[op.controlId].push_back(op.op);
    }
  }
  // Each marker is painted once, when shown; the fifth is never shown.
  EXPECT_EQ(markers, (std::map<int, std::vector<std::string>>{
                         {progress::kStep1Marker, {"icon 146 0,0"}},
                         {progress::kStep2Marker, {"icon 146 0,0"}},
                         {progress::kStep3Marker, {"icon 146 0,0"}},
                         {progress::kStep4Marker, {"icon 146 0,0"}}}));
  // Painted when shown and after each tick but the last, which ended it.
  EXPECT_EQ(icons, (std::vector<std::string>{"icon 144 0,0", "icon 145 0,0", "icon 144 0,0",
                                             "icon 145 0,0", "icon 144 0,0"}));
  ASSERT_EQ(d.drawn.size(), 10u);
  for (std::size_t i = 0; i < d.drawn.size(); ++i) {
    EXPECT_EQ(d.drawn[i], i % 2 == 0) << "draw " << i << ": icon 999 is no resource";
  }
}

// A modal dialog that ends by itself: a `dialog` statement acknowledges it
// or waits on it while its timers run, and the run goes on with the next
// statement once the dialog has ended.
TEST_F(SimUiTest, WaitsOnAModalDialogLetItsTimersRun) {
  const struct {
    const char* statement;
    int ticksWhenRecorded;
    const char* record;
  } cases[] = {
      {"dialog 139:", 0, "dialog 139 owner=none title=\"\" -> "},
      {"dialog 139: wait 1025 visible", 3, "dialog 139 owner=none title=\"\" -> wait 1025 visible"},
      {"dialog 139: wait 1021 enabled; wait 1023 visible", 3,
       "dialog 139 owner=none title=\"\" -> wait 1021 enabled; wait 1023 visible"},
      {"dialog 139 read 1018: wait 1026 visible", 4,
       "dialog 139 owner=none title=\"\" 1018=\"Remove Registry Accounts\" -> wait 1026 visible"},
  };
  for (const auto& c : cases) {
    Use(std::string(c.statement) + "\nbox \"Done\": ok\n");
    StepsDialog d(ui_);
    int ticksWhenRecorded = -1;
    user_->SetRecorder([&](const std::string&) {
      if (ticksWhenRecorded < 0) ticksWhenRecorded = d.ticks;
    });
    EXPECT_EQ(ui_.RunModal(0, d), 0) << c.statement;
    EXPECT_EQ(d.ticks, 5) << c.statement;
    EXPECT_EQ(ticksWhenRecorded, c.ticksWhenRecorded) << c.statement;
    ASSERT_EQ(user_->records().size(), 1u) << c.statement;
    EXPECT_EQ(user_->records()[0], c.record);
    EXPECT_EQ(ui_.MessageBox(0, "Uninstall is complete.", "Done", 0), 1) << c.statement;
    EXPECT_TRUE(user_->Done()) << c.statement;
  }
}

TEST_F(SimUiTest, WaitThatCannotHoldFailsTheRun) {
  Use("dialog 139: wait 1025 visible\n");
  StepsDialog still(ui_, false);  // no timer: nothing will show the marker
  EXPECT_EQ(AbortOf([&] { ui_.RunModal(0, still); }),
            "t.scn:2: dialog 139 waits for the user, but 'wait 1025 visible' does not hold "
            "(control 1025 is hidden, and no timer runs that could change it)");

  Use("dialog 139: wait 1027 visible\n");
  StepsDialog d(ui_);  // ends before the fifth marker ever shows
  EXPECT_EQ(AbortOf([&] { ui_.RunModal(0, d); }),
            "t.scn:2: dialog 139 went away before the statement 'dialog 139: wait 1027 visible' "
            "could run");
}

}  // namespace
}  // namespace sim
