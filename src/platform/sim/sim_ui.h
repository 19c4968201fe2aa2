// The user interface of the simulated machine: windows made from the
// dialog templates, a scripted user answering message boxes and dialogs
// from the scenario, timers on virtual time, and a recording painter.
//
// A window that needs the user and has no fitting statement throws
// RunAborted: the runner's abort path (the setup logic never catches it).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/machine.h"
#include "scenario/scenario.h"
#include "scenario/user.h"

namespace sim {

class RunAborted : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One drawing operation, as text: "fill 0,0,1025,2 #0000ff",
// "frame ...", "bitmap 131 3,3 srcand", "text 10,20 clip=l,t,r,b fg=#.. bg=#.. \"...\"",
// "defaultpaint".
struct PaintOp {
  int templateId = 0;
  int controlId = 0;  // 0: the window itself
  std::string op;
};

class SimUi : public platform::Ui {
 public:
  SimUi();
  ~SimUi() override;

  // The scenario whose user statements answer the windows; without one
  // every window that needs the user aborts the run.
  void SetUser(scenario::ScriptedUser* user) { user_ = user; }
  // Called for `insert <drive>: <folder>` actions (folder as written).
  void SetInsertHandler(std::function<void(char, const std::string&)> insert) {
    insert_ = std::move(insert);
  }
  // The template of the window the transcript names "background" as an
  // owner (the runner takes it from the program's dialog ids); 0: none.
  void SetBackgroundTemplate(int templateId) { backgroundTemplate_ = templateId; }
  // Receives each transcript record as it happens.
  void SetRecorder(std::function<void(const std::string&)> record) { record_ = std::move(record); }

  const std::vector<std::string>& records() const { return records_; }
  const std::vector<PaintOp>& paintOps() const { return paintOps_; }
  std::uint64_t now() const { return now_; }
  std::size_t OpenWindowCount() const { return windows_.size(); }
  // Template id of an open window, 0 when unknown.
  int TemplateOf(platform::WindowHandle window) const;
  // A dialog statement started but not finished (waiting on a `wait`).
  bool HasPendingStatement() const { return active_.statement != nullptr; }

  // Ui.
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
  void EnableItem(platform::WindowHandle dialog, int controlId, bool enable) override;
  void ShowWindow(platform::WindowHandle window, int command) override;
  void SetTopmostAndShow(platform::WindowHandle window) override;
  platform::WindowHandle GetOwner(platform::WindowHandle window) override;
  platform::WindowHandle GetMainWindow() override { return mainWindow_; }
  void SetMainWindow(platform::WindowHandle window) override { mainWindow_ = window; }
  void OwnControlPaint(platform::WindowHandle dialog, int controlId) override;
  void InvalidateItem(platform::WindowHandle dialog, int controlId, bool erase) override;
  void UpdateItem(platform::WindowHandle dialog, int controlId) override;
  bool SetTimer(platform::WindowHandle window, int timerId, std::uint32_t milliseconds) override;
  void KillTimer(platform::WindowHandle window, int timerId) override;
  void PumpMessages(platform::WindowHandle dialog) override;
  void RunMessagesUntil(const std::function<bool()>& done) override;

  // Placement, focus, edit limits and the classic save-file dialog. The
  // desktop is 1024 by 768 pixels; the file dialog lists the directories
  // of the machine's current directory (SetFiles) and is answered by
  // `dialog <template>` statements: `open 1121 "[name]"` enters a
  // directory, `press 1` returns "<directory>\<file name>".
  platform::Rect GetWindowRect(platform::WindowHandle window) override;
  platform::Rect GetDesktopRect() override;
  void MoveWindow(platform::WindowHandle window, int x, int y) override;
  void SetItemFocus(platform::WindowHandle dialog, int controlId) override;
  void ShowItem(platform::WindowHandle dialog, int controlId, bool show) override;
  void LimitItemText(platform::WindowHandle dialog, int controlId, int maxChars) override;
  void SelectListItem(platform::WindowHandle dialog, int controlId, int index) override;
  bool GetSaveFileName(platform::WindowHandle owner, int templateId, std::uint32_t flags,
                       platform::FileDialogHook& hook, std::string* path) override;
  // The files the save-file dialog browses.
  void SetFiles(platform::FileSystem* files) { files_ = files; }
  // The control that has the focus in a dialog (0: none set).
  int FocusOf(platform::WindowHandle dialog) const;

  struct Control {
    int id = 0;
    std::string text;
    bool enabled = true;
    bool ownPaint = false;
    bool invalid = false;
    int cx = 0, cy = 0;  // pixels
    bool visible = true;
    int limit = 0;        // EM_LIMITTEXT; 0: none set
    int selected = -1;    // LB_SETCURSEL
  };
  struct Window {
    int templateId = 0;
    platform::WindowHandle owner = platform::kNoWindow;
    platform::DialogHandler* handler = nullptr;
    std::string title;
    std::map<int, Control> controls;
    bool knownTemplate = false;
    bool modal = false;
    bool enabled = true;
    bool visible = false;
    bool shownOnce = false;
    bool maximized = false;
    bool invalid = false;
    bool ended = false;
    int result = 0;
    int cx = 0, cy = 0;  // client size in pixels
    int x = 0, y = 0;    // position on the desktop
    int focus = 0;       // control with the focus
  };

 private:
  struct Timer {
    platform::WindowHandle window;
    int id;
    std::uint32_t period;
    std::uint64_t due;
  };
  // The statement being run on a dialog, and how far.
  struct Active {
    const scenario::Statement* statement = nullptr;
    platform::WindowHandle window = platform::kNoWindow;
    std::size_t next = 0;
    bool recorded = false;
  };

  Window* Find(platform::WindowHandle h);
  platform::WindowHandle Create(platform::WindowHandle owner, platform::DialogHandler& handler,
                                bool modal);
  void Record(const std::string& line);
  [[noreturn]] void Abort(const std::string& message);
  std::string OwnerName(platform::WindowHandle owner);
  void PaintPending();
  void PaintWindow(platform::WindowHandle h);
  void PaintControl(platform::WindowHandle h, int controlId);
  // Runs the statements that are due on open dialogs; `modal` is the modal
  // dialog whose loop is running (kNoWindow for a plain pump). Returns true
  // when any action ran.
  bool RunStatements(platform::WindowHandle modal);
  // Runs the active statement as far as its waits allow; true when done.
  bool Continue(Active& active);
  platform::WindowHandle OpenWindowFor(int templateId, platform::WindowHandle modal);
  // Fires the earliest timer, advancing virtual time to it; false when none.
  bool FireNextTimer();
  bool FireDueTimers();
  void Press(platform::WindowHandle h, int controlId, const scenario::Statement& st);
  // The `open` action: a double click on a list item of the file dialog.
  void OpenListItem(platform::WindowHandle h, const scenario::Action& a,
                    const scenario::Statement& st);

  std::map<platform::WindowHandle, Window> windows_;
  platform::WindowHandle nextWindow_ = 0x10010;
  platform::WindowHandle mainWindow_ = platform::kNoWindow;
  int backgroundTemplate_ = 0;
  std::vector<Timer> timers_;
  std::uint64_t now_ = 0;
  std::uint64_t pumps_ = 0;
  scenario::ScriptedUser* user_ = nullptr;
  std::function<void(char, const std::string&)> insert_;
  std::function<void(const std::string&)> record_;
  std::vector<std::string> records_;
  std::vector<PaintOp> paintOps_;
  Active active_;
  bool inStatement_ = false;
  platform::FileSystem* files_ = nullptr;
};

}  // namespace sim
