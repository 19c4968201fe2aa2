// The copy progress dialog and its percentage bars, on the user interface
// of tests/support/fake_ui.h, which paints at once and delivers timer
// messages on demand.
#include <gtest/gtest.h>
#include "support/fake_ui.h"
#include "support/null_machine.h"
#include "support/recording_painter.h"

#include <deque>
#include <map>
#include <set>
#include <vector>

#include "install/copy_progress_dialog.h"

namespace install {
namespace {

using platform::Rect;
using platform::WindowHandle;

using TextCall = testsupport::RecordingPainter::Text;

// A painter for the bars: every frame is black.
class RecordingPainter : public testsupport::RecordingPainter {
 public:
  RecordingPainter() { frameColor = platform::Rgb(0, 0, 0); }
};

constexpr platform::Color kBlue = platform::Rgb(0, 0, 255);
constexpr platform::Color kWhite = platform::Rgb(255, 255, 255);

using testsupport::FakeUi;

// The user interface of the dialog tests: the copy progress dialog, its
// bars painted with black frames.
void ShowsTheProgressDialog(FakeUi& windows) {
  windows.modelessTemplate = ui::ids::copy_progress::kTemplate;
  windows.painter.frameColor = platform::Rgb(0, 0, 0);
}

// ---------------------------------------------------------------- PercentBar

struct BarCase {
  const char* what;
  int clientWidth;
  std::uint32_t maximum, position;
  int split;            // x where the filled part ends
  const char* text;
  std::uint32_t maximumAfter;
};

TEST(PercentBarTest, PaintTable) {
  // Client 0..W x 0..20, inner 1..W-1 x 1..19, characters 6 x 13.
  const BarCase cases[] = {
      {"empty", 152, 100, 0, 1, "  0%", 100},
      {"half", 152, 100, 50, 1 + 75, " 50%", 100},
      {"full", 152, 100, 100, 1 + 150, "100%", 100},
      {"a third rounds down", 152, 3, 1, 1 + 50, " 33%", 3},
      {"maximum 0 counts as 1", 152, 0, 0, 1, "  0%", 1},
      // The product is 32-bit: 300 * 5e7 wraps to 2115098112, / 5e7 = 42,
      // and 5e7 * 100 wraps to 705032704, / 5e7 = 14.
      {"32-bit products wrap", 302, 50000000, 50000000, 1 + 42, " 14%", 50000000},
      // The split is a 16-bit quotient: 69998 becomes 4462.
      {"16-bit split", 70000, 1, 1, 1 + 4462, "100%", 1},
  };
  for (const BarCase& c : cases) {
    SCOPED_TRACE(c.what);
    FakeUi ui;
    PercentBar bar;
    bar.Attach(platform::Dialog(ui, FakeUi::kDialog), progress_ctl::kCurrentBar, c.maximum);
    EXPECT_EQ(ui.ownPainted.count(progress_ctl::kCurrentBar), 1u);
    bar.SetPosition(c.position);
    RecordingPainter painter;
    painter.client = {0, 0, c.clientWidth, 20};
    bar.Paint(painter);

    ASSERT_EQ(painter.frames.size(), 1u);
    EXPECT_EQ(painter.frames[0].rect.right, c.clientWidth);
    ASSERT_EQ(painter.texts.size(), 2u);
    const TextCall& rest = painter.texts[0];
    const TextCall& filled = painter.texts[1];
    EXPECT_EQ(rest.text, c.text);
    EXPECT_EQ(filled.text, c.text);
    // Blue on white over the rest, white on blue over the filled part.
    EXPECT_EQ(rest.textColor, kBlue);
    EXPECT_EQ(rest.backColor, kWhite);
    EXPECT_EQ(filled.textColor, kWhite);
    EXPECT_EQ(filled.backColor, kBlue);
    EXPECT_EQ(filled.clip.left, 1);
    EXPECT_EQ(filled.clip.right, c.split);
    EXPECT_EQ(rest.clip.left, c.split);
    EXPECT_EQ(rest.clip.right, c.clientWidth - 1);
    EXPECT_EQ(rest.clip.top, 1);
    EXPECT_EQ(rest.clip.bottom, 19);
    // Centred in the inner rectangle, halves taken towards zero, plus one.
    EXPECT_EQ(rest.x, (c.clientWidth - 2 - 24) / 2 + 1);
    EXPECT_EQ(rest.y, (18 - 13) / 2 + 1);
    EXPECT_EQ(filled.x, rest.x);
    EXPECT_EQ(filled.y, rest.y);
    EXPECT_EQ(bar.Maximum(), c.maximumAfter);
  }
}

TEST(PercentBarTest, PositionIsHeldAtTheMaximum) {
  FakeUi ui;
  PercentBar bar;
  bar.Attach(platform::Dialog(ui, FakeUi::kDialog), progress_ctl::kFilesBar, 4);
  bar.SetPosition(9);
  EXPECT_EQ(bar.Position(), 4u);
  RecordingPainter painter;
  bar.Paint(painter);
  EXPECT_EQ(painter.texts[0].text, "100%");
}

TEST(PercentBarTest, TextWiderThanTheBarGivesANegativeHalf) {
  // A text wider than the bar gives a negative half, taken towards zero.
  FakeUi ui;
  PercentBar bar;
  bar.Attach(platform::Dialog(ui, FakeUi::kDialog), progress_ctl::kFilesBar, 100);
  RecordingPainter painter;
  painter.client = {0, 0, 13, 10};  // inner width 11, text 24 wide
  bar.Paint(painter);
  EXPECT_EQ(painter.texts[0].x, (11 - 24) / 2 + 1);  // -6 + 1
  EXPECT_EQ(painter.texts[0].x, -5);
}

// ---------------------------------------------------------------- dialog

class ProgressDialogTest : public ::testing::Test {
 protected:
  static constexpr WindowHandle kBackground = 0x132;
  ProgressDialogTest() {
    state.values.prd = "Halvorn";
    ShowsTheProgressDialog(ui);
  }

  const std::string& Status() { return ui.items[progress_ctl::kStatusText]; }

  testsupport::NullParts unused;  // the parts the dialog does not use
  FakeUi ui;
  platform::Machine machine{unused, unused, unused, unused, unused, ui, unused};
  setup::SetupState state{machine};
};

TEST_F(ProgressDialogTest, InitialisationTakesTheCatalogTexts) {
  CopyProgressDialog dialog(state);
  ASSERT_TRUE(dialog.Create(kBackground));
  EXPECT_EQ(ui.title, "File Copy");
  EXPECT_EQ(ui.items[progress_ctl::kCurrentLabel], "Current:");
  EXPECT_EQ(ui.items[progress_ctl::kFilesLabel], "Total:");
  EXPECT_EQ(ui.items[progress_ctl::kCancel], "&Cancel");
  EXPECT_EQ(ui.ownPainted, (std::set<int>{progress_ctl::kCurrentBar, progress_ctl::kFilesBar}));
  EXPECT_EQ(dialog.CurrentFileBar().Maximum(), 100u);
  EXPECT_EQ(dialog.FilesBar().Maximum(), 100u);
}

TEST_F(ProgressDialogTest, GermanTexts) {
  state.language = 1;
  CopyProgressDialog dialog(state);
  ASSERT_TRUE(dialog.Create(kBackground));
  EXPECT_NE(ui.title, "File Copy");
  EXPECT_NE(ui.items[progress_ctl::kCancel], "&Cancel");
}

TEST_F(ProgressDialogTest, OwnerDisabledWhileTheDialogExists) {
  {
    CopyProgressDialog dialog(state);
    ASSERT_TRUE(dialog.Create(kBackground));
    EXPECT_FALSE(ui.IsWindowEnabled(kBackground));
    dialog.DestroyWindow();
    EXPECT_TRUE(ui.destroyed);
    EXPECT_TRUE(ui.IsWindowEnabled(kBackground));
  }
  // An owner that was disabled already stays disabled.
  FakeUi ui2;
  ShowsTheProgressDialog(ui2);
  platform::Machine machine2{unused, unused, unused, unused, unused, ui2, unused};
  setup::SetupState state2{machine2};
  ui2.enabled[kBackground] = false;
  CopyProgressDialog dialog(state2);
  ASSERT_TRUE(dialog.Create(kBackground));
  dialog.DestroyWindow();
  EXPECT_FALSE(ui2.IsWindowEnabled(kBackground));
}

TEST_F(ProgressDialogTest, FailedCreationEnablesTheOwnerAgain) {
  ui.createFails = true;
  CopyProgressDialog dialog(state);
  EXPECT_FALSE(dialog.Create(kBackground));
  EXPECT_TRUE(ui.IsWindowEnabled(kBackground));
  // Updates without a window count but touch no window.
  dialog.UpdateProgress(ProgressMode::kBegin, "A", 1, 2);
  dialog.UpdateProgress(ProgressMode::kComplete, "", 0, 0);
  EXPECT_EQ(dialog.FilesDone(), 1u);
  EXPECT_TRUE(ui.timers.empty());
}

TEST_F(ProgressDialogTest, ModesMoveTheBarsAndTheStatusText) {
  CopyProgressDialog dialog(state);
  ASSERT_TRUE(dialog.Create(kBackground));

  dialog.UpdateProgress(ProgressMode::kBegin, "C:\\TAPE\\A.EXE", 2, 3);
  // The window shows nothing of it until it is refreshed.
  EXPECT_EQ(Status(), "");
  EXPECT_EQ(ui.paints[progress_ctl::kCurrentBar], 0);
  dialog.Refresh();
  EXPECT_EQ(dialog.CurrentFileBar().Maximum(), 2u);
  EXPECT_EQ(dialog.FilesBar().Maximum(), 3u);
  EXPECT_EQ(Status(), "Copying:\nC:\\TAPE\\A.EXE");
  EXPECT_EQ(ui.paints[progress_ctl::kCurrentBar], 1);
  EXPECT_EQ(ui.paints[progress_ctl::kFilesBar], 1);

  dialog.UpdateProgress(ProgressMode::kBlock, "", 0, 0);
  dialog.Refresh();
  EXPECT_EQ(dialog.CurrentFileBar().Position(), 1u);
  EXPECT_EQ(ui.painter.texts[0].text, " 50%");
  EXPECT_EQ(ui.paints[progress_ctl::kFilesBar], 1);  // block mode leaves the files bar

  dialog.UpdateProgress(ProgressMode::kNextFile, "C:\\TAPE\\B.EXE", 7, 0);
  dialog.Refresh();
  EXPECT_EQ(dialog.BlocksDone(), 0u);
  EXPECT_EQ(dialog.CurrentFileBar().Maximum(), 7u);
  EXPECT_EQ(dialog.CurrentFileBar().Position(), 0u);
  EXPECT_EQ(dialog.FilesBar().Position(), 1u);
  EXPECT_EQ(ui.painter.texts[0].text, " 33%");  // files bar painted last
  EXPECT_EQ(Status(), "Copying:\nC:\\TAPE\\B.EXE");

  dialog.CountSkippedFile();
  EXPECT_EQ(dialog.FilesDone(), 2u);
  EXPECT_EQ(dialog.FilesBar().Position(), 1u);  // nothing redrawn

  int currentPaints = ui.paints[progress_ctl::kCurrentBar];
  dialog.UpdateProgress(ProgressMode::kComplete, "", 0, 0);
  EXPECT_EQ(ui.paints[progress_ctl::kCurrentBar], currentPaints);
  EXPECT_EQ(dialog.FilesBar().Position(), 3u);
  EXPECT_EQ(Status(), "File Transfer Complete.");
  // The completion display: Cancel disabled, timer 1 every 2000 ms, held
  // until it fired twice, then stopped.
  EXPECT_FALSE(ui.itemEnabled[progress_ctl::kCancel]);
  EXPECT_EQ(ui.timersSet, (std::map<int, std::uint32_t>{{kCompletionTimer, 2000u}}));
  EXPECT_EQ(ui.timerMessages, 2);
  EXPECT_EQ(dialog.TimerTicks(), 2);
  EXPECT_EQ(ui.killedTimers, std::vector<int>{kCompletionTimer});
  EXPECT_TRUE(ui.timers.empty());
}

TEST_F(ProgressDialogTest, SmallFileShowsZeroThenFullAfterItsFirstBlock) {
  CopyProgressDialog dialog(state);
  ASSERT_TRUE(dialog.Create(kBackground));
  dialog.UpdateProgress(ProgressMode::kBegin, "SMALL.TXT", 0, 5);
  dialog.Refresh();
  // The paint made the maximum 1.
  EXPECT_EQ(dialog.CurrentFileBar().Maximum(), 1u);
  dialog.UpdateProgress(ProgressMode::kBlock, "", 0, 0);
  dialog.Refresh();
  EXPECT_EQ(dialog.CurrentFileBar().Position(), 1u);
  EXPECT_EQ(ui.painter.texts[0].text, "100%");
  // Further blocks (a compressed file expands to more) stay at 100%.
  dialog.UpdateProgress(ProgressMode::kBlock, "", 0, 0);
  dialog.Refresh();
  EXPECT_EQ(dialog.CurrentFileBar().Position(), 1u);
}

TEST_F(ProgressDialogTest, FileCountTooSmallFreezesFilesBarAndStatus) {
  CopyProgressDialog dialog(state);
  ASSERT_TRUE(dialog.Create(kBackground));
  dialog.UpdateProgress(ProgressMode::kBegin, "A", 1, 1);
  dialog.UpdateProgress(ProgressMode::kNextFile, "B", 1, 0);  // files 1 of 1
  dialog.Refresh();
  EXPECT_EQ(Status(), "Copying:\nB");
  int filesPaints = ui.paints[progress_ctl::kFilesBar];
  dialog.UpdateProgress(ProgressMode::kNextFile, "C", 1, 0);  // files 2 of 1
  dialog.Refresh();
  EXPECT_EQ(Status(), "Copying:\nB");
  EXPECT_EQ(ui.paints[progress_ctl::kFilesBar], filesPaints);
  EXPECT_EQ(dialog.FilesBar().Position(), 1u);
  dialog.UpdateProgress(ProgressMode::kComplete, "", 0, 0);
  EXPECT_EQ(Status(), "Copying:\nB");  // no completion text
  EXPECT_EQ(ui.timerMessages, 2);      // but the wait still happens
}

TEST_F(ProgressDialogTest, TotalNeverReachedKeepsStatusAndEndsWithCompletion) {
  // The engine's total for a negative file count.
  CopyProgressDialog dialog(state);
  ASSERT_TRUE(dialog.Create(kBackground));
  dialog.UpdateProgress(ProgressMode::kBegin, "A", 1, 0xFFFFFFFFu);
  dialog.UpdateProgress(ProgressMode::kNextFile, "B", 1, 0);
  dialog.UpdateProgress(ProgressMode::kNextFile, "C", 1, 0);
  dialog.Refresh();
  EXPECT_EQ(Status(), "Copying:\nC");
  EXPECT_EQ(dialog.FilesBar().Position(), 2u);
  dialog.UpdateProgress(ProgressMode::kComplete, "", 0, 0);
  EXPECT_EQ(Status(), "File Transfer Complete.");
  EXPECT_EQ(dialog.FilesBar().Position(), 3u);
  EXPECT_EQ(ui.timerMessages, 2);
}

TEST_F(ProgressDialogTest, MessagesAndRepaintsPacedByTheClock) {
  // A block every 10 ms of a clock that wraps around meanwhile.
  unused.ticks = 0xFFFFFFFFu - 25;
  unused.tickStep = 10;
  CopyProgressDialog dialog(state);
  ASSERT_TRUE(dialog.Create(kBackground));
  dialog.UpdateProgress(ProgressMode::kBegin, "C:\\TAPE\\BIG.DAT", 100, 2);
  std::vector<std::uint32_t> pumpedAt;
  for (std::uint32_t block = 1; block <= 12; ++block) {
    dialog.UpdateProgress(ProgressMode::kBlock, "", 0, 0);
    const int pumps = ui.pumps;
    EXPECT_FALSE(dialog.CancelRequested());
    if (ui.pumps != pumps) pumpedAt.push_back(block);
    // The bar shows the block of the last pump; between pumps it is left.
    EXPECT_EQ(dialog.CurrentFileBar().Position(), pumpedAt.back()) << "block " << block;
  }
  // The first time at once, then whenever 50 ms have passed.
  EXPECT_EQ(pumpedAt, (std::vector<std::uint32_t>{1, 6, 11}));
  EXPECT_EQ(ui.paints[progress_ctl::kCurrentBar], 3);
  EXPECT_EQ(ui.paints[progress_ctl::kFilesBar], 1);
  EXPECT_EQ(Status(), "Copying:\nC:\\TAPE\\BIG.DAT");
  // The completion shows the last block before its text.
  dialog.UpdateProgress(ProgressMode::kComplete, "", 0, 0);
  EXPECT_EQ(dialog.CurrentFileBar().Position(), 12u);
  EXPECT_EQ(ui.paints[progress_ctl::kCurrentBar], 4);
  EXPECT_EQ(Status(), "File Transfer Complete.");
}

TEST_F(ProgressDialogTest, CancelAskedAndAnsweredNoThenYes) {
  CopyProgressDialog dialog(state);
  ASSERT_TRUE(dialog.Create(kBackground));
  ui.answers = {platform::answer::kNo, platform::answer::kYes};

  ui.pending.push_back(
      [&] { EXPECT_TRUE(ui.handler->OnCommand(FakeUi::kDialog, progress_ctl::kCancel, 0)); });
  EXPECT_FALSE(dialog.CancelRequested());
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].owner, FakeUi::kDialog);
  EXPECT_EQ(ui.boxes[0].text, "Are you sure you wish to cancel?");
  EXPECT_EQ(ui.boxes[0].caption, "Confirm Cancel");
  EXPECT_EQ(ui.boxes[0].flags, platform::mb::kYesNo | platform::mb::kIconQuestion);

  ui.pending.push_back([&] { ui.handler->OnCommand(FakeUi::kDialog, progress_ctl::kCancel, 0); });
  EXPECT_TRUE(dialog.CancelRequested());
  EXPECT_FALSE(dialog.CancelRequested());  // read once, then cleared
  EXPECT_FALSE(ui.destroyed);               // the dialog stays open
}

TEST_F(ProgressDialogTest, EnterDoesNothing) {
  CopyProgressDialog dialog(state);
  ASSERT_TRUE(dialog.Create(kBackground));
  EXPECT_TRUE(ui.handler->OnCommand(FakeUi::kDialog, platform::cmd::kOk, 0));
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_FALSE(dialog.CancelRequested());
  EXPECT_FALSE(ui.handler->OnCommand(FakeUi::kDialog, progress_ctl::kStatusText, 0));
}

}  // namespace
}  // namespace install
