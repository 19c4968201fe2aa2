// What an unattended, logged or recorded run adds to a setup run: the
// questions a response file answers, and the two user interfaces of such a
// run. A run without the switches has none of this.
//
//   ExpectQuestion(state, Question::kRestart);   // the next box asks it
//   state.machine.ui.MessageBox(...);            // answered from the file
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/forwarding.h"
#include "platform/machine.h"
#include "setup/response_file.h"
#include "setup/run_log.h"
#include "setup/state.h"

namespace setup {

// The message boxes whose answer a response file gives.
enum class Question {
  kNone,
  kDisableQic117,     // OK removes the qic117 driver service
  kReconfigureTape,   // Yes resets an earlier tape configuration
  kRestart,           // OK restarts Windows now
  kShowReadme,        // Yes opens the read-me
  kConfirmUninstall,  // Yes removes the product
};

struct Unattended {
  explicit Unattended(RunLog& runLog) : log(runLog) {}
  RunLog& log;
  bool silent = false;
  Answers answers;    // a silent run's answers (the defaults without a file)
  Answers recorded;   // what the user answered, for /record
  Question pending = Question::kNone;
};

// Before a message box that asks `question`: the box's answer comes from
// the response file in a silent run, and is recorded in a recording one.
// Nothing in a run without the switches.
void ExpectQuestion(SetupState& state, Question question);

// Whether this run shows no window.
inline bool IsSilent(const SetupState& state) {
  return state.unattended != nullptr && state.unattended->silent;
}

// A line in the run's log, when there is one.
void LogStep(SetupState& state, const std::string& text);
// A step of taking back a stopped installation, in the run's log.
void LogRollback(SetupState& state, const std::string& text);

// The answer a silent run gives to a message box: the response file's for
// a question, else the safe one of its buttons (OK alone: OK; OK/Cancel:
// Cancel; Yes/No: No; Yes/No/Cancel: Cancel; Retry/Cancel: Cancel).
int SilentAnswer(const Answers& answers, Question question, std::uint32_t flags);

// The interface of a silent run: no window at all. Message boxes are
// logged with the answer taken; dialogs (the progress dialogs) run their
// handlers with item texts kept in memory, timers fired one after another
// until the dialog ends.
class HeadlessUi : public platform::Ui {
 public:
  explicit HeadlessUi(Unattended& run) : run_(run) {}

  int MessageBox(platform::WindowHandle owner, const std::string& text, const std::string& caption,
                 std::uint32_t flags) override;
  int RunModal(platform::WindowHandle owner, platform::DialogHandler& handler) override;
  platform::WindowHandle CreateModeless(platform::WindowHandle owner,
                                        platform::DialogHandler& handler) override;
  void EndDialog(platform::WindowHandle dialog, int result) override;
  void DestroyWindow(platform::WindowHandle window) override;
  void SetWindowText(platform::WindowHandle window, const std::string& text) override;
  std::string GetWindowText(platform::WindowHandle window) override;
  void SetItemText(platform::WindowHandle dialog, int controlId, const std::string& text) override;
  std::string GetItemText(platform::WindowHandle dialog, int controlId) override;
  bool EnableWindow(platform::WindowHandle window, bool enable) override;
  bool IsWindowEnabled(platform::WindowHandle window) override;
  void EnableItem(platform::WindowHandle, int, bool) override {}
  void ShowWindow(platform::WindowHandle, int) override {}
  void SetTopmostAndShow(platform::WindowHandle) override {}
  platform::WindowHandle GetOwner(platform::WindowHandle window) override;
  platform::WindowHandle GetMainWindow() override { return main_; }
  void SetMainWindow(platform::WindowHandle window) override { main_ = window; }
  void OwnControlPaint(platform::WindowHandle, int) override {}
  void InvalidateItem(platform::WindowHandle, int, bool) override {}
  void UpdateItem(platform::WindowHandle, int) override {}
  bool SetTimer(platform::WindowHandle window, int timerId, std::uint32_t milliseconds) override;
  void KillTimer(platform::WindowHandle window, int timerId) override;
  void PumpMessages(platform::WindowHandle) override {}
  void RunMessagesUntil(const std::function<bool()>& done) override;
  int ListAddString(platform::WindowHandle dialog, int controlId, const std::string& text) override;
  int ListCount(platform::WindowHandle dialog, int controlId) override;
  std::string ListText(platform::WindowHandle dialog, int controlId, int index) override;
  int ListCurSel(platform::WindowHandle, int) override { return -1; }
  bool ListSetCurSel(platform::WindowHandle, int, int) override { return false; }
  bool IsItemChecked(platform::WindowHandle dialog, int controlId) override;
  void CheckItem(platform::WindowHandle dialog, int controlId, bool checked) override;

  // The most timer rounds a dialog or a wait may take: a handler that never
  // ends cannot hang an unattended run.
  static constexpr int kMaxTimerRounds = 100000;

 private:
  struct Window {
    platform::DialogHandler* handler = nullptr;
    platform::WindowHandle owner = platform::kNoWindow;
    std::string text;
    std::map<int, std::string> items;
    std::map<int, std::vector<std::string>> lists;
    std::map<int, bool> checked;
    bool enabled = true;
    bool ended = false;
    int result = 0;
  };
  Window* Find(platform::WindowHandle window);
  platform::WindowHandle Make(platform::WindowHandle owner, platform::DialogHandler& handler);
  // Fires every running timer once; false when none runs.
  bool FireTimers();

  Unattended& run_;
  std::map<platform::WindowHandle, Window> windows_;
  std::vector<std::pair<platform::WindowHandle, int>> timers_;
  platform::WindowHandle next_ = 0x1000;
  platform::WindowHandle main_ = platform::kNoWindow;
};

// The interface of a logged or recording run that has windows: every call
// goes to the machine's own; message boxes and dialogs are logged with the
// answer the user gave, and the answers to the response file's questions
// are recorded. The forwarding base passes on every call not watched here.
class ObservedUi : public platform::ForwardingUi {
 public:
  ObservedUi(platform::Ui& ui, Unattended& run) : ForwardingUi(ui), run_(run) {}

  int MessageBox(platform::WindowHandle owner, const std::string& text, const std::string& caption,
                 std::uint32_t flags) override;
  int RunModal(platform::WindowHandle owner, platform::DialogHandler& handler) override;
  platform::WindowHandle CreateModeless(platform::WindowHandle owner,
                                        platform::DialogHandler& handler) override;

 private:
  Unattended& run_;
};

}  // namespace setup
