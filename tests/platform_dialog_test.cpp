// The dialog object of the seam: item helpers that reach the Ui with the
// dialog's own window, and the default command rule both machines share.
#include <gtest/gtest.h>
#include "support/fake_ui.h"

#include <string>
#include <vector>

#include "platform/dialog.h"

namespace platform {
namespace {

// Every call of the dialog's helpers is named in FakeUi::calls as
// "<call> <window> <arguments>".
using testsupport::FakeUi;

TEST(DefaultCommand, OkAndCancelEndOnlyAModalDialog) {
  const struct {
    bool modal;
    int command;
    bool ends;
  } cases[] = {
      {true, cmd::kOk, true},     {true, cmd::kCancel, true}, {true, 0, false},
      {true, 3, false},           {true, 1013, false},        {false, cmd::kOk, false},
      {false, cmd::kCancel, false},
  };
  for (std::size_t row = 0; row < std::size(cases); ++row) {
    const auto& c = cases[row];
    FakeUi ui;
    const bool handled = DefaultCommand(ui, 0x40, c.modal, c.command);
    EXPECT_EQ(handled, c.ends) << "row " << row;
    const std::vector<std::string> expected =
        c.ends ? std::vector<std::string>{"end 64 " + std::to_string(c.command)}
               : std::vector<std::string>{};
    EXPECT_EQ(ui.calls, expected) << "row " << row;
  }
}

TEST(Dialog, ItemHelpersReachTheUiWithTheDialogsWindow) {
  FakeUi ui;
  ui.items[1012] = "text of 1012";
  Dialog dialog(ui, 0x40);
  EXPECT_TRUE(dialog.HasWindow());
  EXPECT_EQ(dialog.Handle(), 0x40u);
  dialog.SetText("File Copy");
  dialog.SetItemText(1013, "Copying:");
  EXPECT_EQ(dialog.GetItemText(1012), "text of 1012");
  dialog.EnableItem(2, false);
  dialog.InvalidateItem(1010, true);
  dialog.Show(sw::kShowMaximized);
  EXPECT_EQ(dialog.MessageBox("Sure?", "Confirm", mb::kYesNo), answer::kYes);
  dialog.End(cmd::kCancel);
  EXPECT_EQ(ui.calls, (std::vector<std::string>{"title 64 File Copy", "item 64 1013=Copying:",
                                                "get 64 1012", "enable 64 2 off",
                                                "invalidate 64 1010 erase", "show 64 3",
                                                "box 64 Sure?", "end 64 2"}));

  dialog.Detach();
  EXPECT_FALSE(dialog.HasWindow());
  EXPECT_EQ(dialog.Handle(), kNoWindow);
}

}  // namespace
}  // namespace platform
