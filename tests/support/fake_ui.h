// A user interface for the tests of code that shows message boxes and at
// most one modeless dialog at a time (the copy progress dialog), without a
// window system: what the code asks of the screen is recorded, message
// boxes are answered as the test says, and the dialog's handler is called
// as Windows would call it.
//
// Message boxes: each is recorded in `boxes`; `onBox` runs while it is
// open (a test swaps a disk there); the answer is the one `answer` gives
// (when it is set and gives other than 0), else the next of `answers`,
// else OK, or Yes for a box of Yes and No.
//
// The modeless dialog: CreateModeless initialises the handler as window
// kDialog (or fails when `createFails`); item texts, titles, enabled states
// and timers are kept; UpdateItem paints an owned control at once on
// `painter`; PumpMessages runs the `pending` user actions, then `onPump`;
// RunMessagesUntil fires every running timer until the wait is over.
//
// `calls` names the calls a dialog's helpers make, as
// "<call> <window> <arguments>", for the tests of those helpers.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "null_machine.h"
#include "platform/machine.h"
#include "recording_painter.h"

namespace testsupport {

struct Box {
  platform::WindowHandle owner;
  std::string text, caption;
  std::uint32_t flags;
};

class FakeUi : public NullUi {
 public:
  static constexpr platform::WindowHandle kDialog = 0x135;

  // ---- message boxes
  std::vector<Box> boxes;
  std::function<int(const Box&)> answer;
  std::deque<int> answers;
  std::function<void(const Box&)> onBox;

  // ---- the modeless dialog
  // The template the code under test must create it from; 0: any.
  int modelessTemplate = 0;
  bool createFails = false;
  platform::DialogHandler* handler = nullptr;
  bool dialogAlive = false;
  bool dialogShown = false;
  bool destroyed = false;
  std::string title;
  std::map<platform::WindowHandle, bool> enabled;
  std::map<int, std::string> items;
  std::map<int, std::vector<std::string>> itemTexts;  // every text each item was given
  std::map<int, bool> itemEnabled;
  std::set<int> ownPainted;
  std::map<int, int> paints;
  std::map<int, std::uint32_t> timers;
  std::map<int, std::uint32_t> timersSet;  // every SetTimer, kept after KillTimer
  std::vector<int> killedTimers;
  int timerMessages = 0;
  int pumps = 0;
  std::deque<std::function<void()>> pending;  // user actions, run by the next pump
  std::function<void()> onPump;
  RecordingPainter painter;

  // ---- the calls of a dialog's helpers
  std::vector<std::string> calls;

  // The user presses a button of the dialog.
  void Press(int controlId) { handler->OnCommand(kDialog, controlId, 0); }
  std::vector<Box> BoxesWithCaption(const std::string& caption) const {
    std::vector<Box> out;
    for (const Box& b : boxes) {
      if (b.caption == caption) out.push_back(b);
    }
    return out;
  }

  int MessageBox(platform::WindowHandle owner, const std::string& text, const std::string& caption,
                 std::uint32_t flags) override {
    Call("box", owner, text);
    boxes.push_back({owner, text, caption, flags});
    const Box box = boxes.back();
    if (onBox) onBox(box);
    if (answer) {
      if (int a = answer(box)) return a;
    }
    if (!answers.empty()) {
      const int a = answers.front();
      answers.pop_front();
      return a;
    }
    const std::uint32_t buttons = flags & platform::mb::kButtonMask;
    return buttons == platform::mb::kYesNo ? platform::answer::kYes : platform::answer::kOk;
  }
  platform::WindowHandle CreateModeless(platform::WindowHandle, platform::DialogHandler& h) override {
    if (modelessTemplate != 0) {
      EXPECT_EQ(h.TemplateId(), modelessTemplate);
    }
    EXPECT_FALSE(dialogAlive) << "one modeless dialog at a time";
    if (createFails) return platform::kNoWindow;
    handler = &h;
    dialogAlive = true;
    h.OnInitDialog(kDialog);
    return kDialog;
  }
  void EndDialog(platform::WindowHandle w, int result) override {
    Call("end", w, std::to_string(result));
    if (handler != nullptr || w == kDialog) {
      ADD_FAILURE() << "a modeless dialog is not ended";
    }
  }
  void DestroyWindow(platform::WindowHandle w) override {
    if (handler == nullptr && w != kDialog) return;  // no dialog was made: nothing to destroy
    EXPECT_EQ(w, kDialog);
    EXPECT_TRUE(dialogAlive);
    destroyed = true;
    dialogAlive = false;
    if (handler != nullptr) handler->OnDestroy(w);
  }
  void SetWindowText(platform::WindowHandle w, const std::string& t) override {
    Call("title", w, t);
    title = t;
  }
  std::string GetWindowText(platform::WindowHandle) override { return title; }
  void SetItemText(platform::WindowHandle w, int id, const std::string& t) override {
    Call("item", w, std::to_string(id) + "=" + t);
    items[id] = t;
    itemTexts[id].push_back(t);
  }
  std::string GetItemText(platform::WindowHandle w, int id) override {
    Call("get", w, std::to_string(id));
    return items[id];
  }
  bool EnableWindow(platform::WindowHandle w, bool e) override {
    const bool wasDisabled = enabled.count(w) != 0 && !enabled[w];
    enabled[w] = e;
    return wasDisabled;
  }
  bool IsWindowEnabled(platform::WindowHandle w) override { return enabled.count(w) == 0 || enabled[w]; }
  void EnableItem(platform::WindowHandle w, int id, bool e) override {
    Call("enable", w, std::to_string(id) + (e ? " on" : " off"));
    itemEnabled[id] = e;
  }
  void ShowWindow(platform::WindowHandle w, int command) override {
    Call("show", w, std::to_string(command));
    if (w == kDialog) dialogShown = true;
  }
  void OwnControlPaint(platform::WindowHandle, int id) override { ownPainted.insert(id); }
  void InvalidateItem(platform::WindowHandle w, int id, bool erase) override {
    Call("invalidate", w, std::to_string(id) + (erase ? " erase" : ""));
  }
  void UpdateItem(platform::WindowHandle w, int id) override {
    if (ownPainted.count(id) == 0 || handler == nullptr) return;
    ++paints[id];
    painter.Clear();
    handler->OnPaintControl(w, id, painter);
  }
  bool SetTimer(platform::WindowHandle, int id, std::uint32_t ms) override {
    timers[id] = ms;
    timersSet[id] = ms;
    return true;
  }
  void KillTimer(platform::WindowHandle, int id) override {
    timers.erase(id);
    killedTimers.push_back(id);
  }
  void PumpMessages(platform::WindowHandle) override {
    ++pumps;
    while (!pending.empty()) {
      auto action = pending.front();
      pending.pop_front();
      action();
    }
    if (onPump) onPump();
  }
  void RunMessagesUntil(const std::function<bool()>& done) override {
    for (int guard = 0; guard < 100 && !done(); ++guard) {
      ASSERT_FALSE(timers.empty()) << "waiting without a timer";
      for (const auto& [id, ms] : timers) {
        ++timerMessages;
        handler->OnTimer(kDialog, id);
      }
    }
    EXPECT_TRUE(done());
  }

 private:
  void Call(const std::string& call, platform::WindowHandle w, const std::string& args) {
    calls.push_back(call + " " + std::to_string(w) + " " + args);
  }
};

}  // namespace testsupport
