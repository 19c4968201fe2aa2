// The dialog object of the seam: item helpers that reach the Ui with the
// dialog's own window, and the default command rule both machines share.
#include <gtest/gtest.h>
#include "support/null_machine.h"

#include <string>
#include <vector>

#include "platform/dialog.h"

namespace platform {
namespace {

// Records every call it gets as "<call> <window> <arguments>".
class CallUi : public testsupport::NullUi {
 public:
  std::vector<std::string> calls;

  void EndDialog(WindowHandle w, int result) override { Add("end", w, std::to_string(result)); }
  void SetWindowText(WindowHandle w, const std::string& t) override { Add("title", w, t); }
  void SetItemText(WindowHandle w, int id, const std::string& t) override {
    Add("item", w, std::to_string(id) + "=" + t);
  }
  std::string GetItemText(WindowHandle w, int id) override {
    Add("get", w, std::to_string(id));
    return "text of " + std::to_string(id);
  }
  void EnableItem(WindowHandle w, int id, bool on) override {
    Add("enable", w, std::to_string(id) + (on ? " on" : " off"));
  }
  void InvalidateItem(WindowHandle w, int id, bool erase) override {
    Add("invalidate", w, std::to_string(id) + (erase ? " erase" : ""));
  }
  void ShowWindow(WindowHandle w, int command) override { Add("show", w, std::to_string(command)); }
  int MessageBox(WindowHandle w, const std::string& text, const std::string&,
                 std::uint32_t) override {
    Add("box", w, text);
    return answer::kYes;
  }

 private:
  void Add(const std::string& call, WindowHandle w, const std::string& args) {
    calls.push_back(call + " " + std::to_string(w) + " " + args);
  }
};

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
    CallUi ui;
    const bool handled = DefaultCommand(ui, 0x40, c.modal, c.command);
    EXPECT_EQ(handled, c.ends) << "row " << row;
    const std::vector<std::string> expected =
        c.ends ? std::vector<std::string>{"end 64 " + std::to_string(c.command)}
               : std::vector<std::string>{};
    EXPECT_EQ(ui.calls, expected) << "row " << row;
  }
}

TEST(Dialog, ItemHelpersReachTheUiWithTheDialogsWindow) {
  CallUi ui;
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
