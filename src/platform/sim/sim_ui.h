// The user interface of the simulated machine: windows made from the
// program's dialog templates, a user (sim_user.h) answering message boxes
// and dialogs, timers on virtual time, and a recording painter.
//
// A window that needs the user when the user has no answer throws
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
#include "platform/sim/sim_user.h"

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

  // The user who answers the windows; without one every window that needs
  // the user aborts the run.
  void SetUser(User* user) { user_ = user; }
  // The program's resources; without them every template is unknown (an
  // empty dialog whose controls appear as the program addresses them).
  void SetResources(const Resources* resources) { resources_ = resources; }

  const std::vector<PaintOp>& paintOps() const { return paintOps_; }
  std::uint64_t now() const { return now_; }
  // The user keeps a message box open for that long: the timers that fall
  // due meanwhile fire in order, as the box's own message loop delivers
  // them on Windows.
  void LetTimePass(std::uint64_t milliseconds);
  std::size_t OpenWindowCount() const { return windows_.size(); }
  // Template id of an open window, 0 when unknown.
  int TemplateOf(platform::WindowHandle window) const;

  // What the user sees of the windows and does to them.
  bool IsOpen(platform::WindowHandle window) const { return windows_.count(window) != 0; }
  // Open windows made from the template.
  std::size_t CountWindows(int templateId) const;
  // The dialog from `templateId` the user can act on: `modal` when it is
  // that dialog's loop that waits, else the first open modeless one;
  // kNoWindow when there is none.
  platform::WindowHandle FindOpenDialog(int templateId, platform::WindowHandle modal) const;
  // Whether the dialog has the control (a dialog of an unknown template has
  // every control).
  bool HasControl(platform::WindowHandle dialog, int controlId) const;
  // Types a text into a control: the text, then the edit control's change
  // notification.
  void TypeText(platform::WindowHandle dialog, int controlId, const std::string& text);
  enum class Click { kDone, kDialogDisabled, kNoControl, kControlDisabled, kNoEntry };
  // Double-clicks the entry of a list box whose text equals `text` without
  // regard to case (the first such entry, as LB_FINDSTRINGEXACT finds it):
  // the entry is selected, then the dialog gets LBN_SELCHANGE and
  // LBN_DBLCLK. kNoEntry when the list holds no such entry.
  Click DoubleClickListEntry(platform::WindowHandle dialog, int controlId, const std::string& text);
  // The entries of a list box; false when the control is not one.
  bool ListEntries(platform::WindowHandle dialog, int controlId,
                   std::vector<std::string>* entries) const;
  // Whether a control of the dialog is visible / enabled, as the user sees
  // it (a control of an unknown template is both until the program says
  // otherwise); false for a dialog or control that does not exist.
  bool IsItemVisible(platform::WindowHandle dialog, int controlId) const;
  bool IsItemEnabled(platform::WindowHandle dialog, int controlId) const;
  // Clicks a button; a modal dialog's OK and Cancel end it when its handler
  // leaves them alone. An automatic radio button is checked first and the
  // other radio buttons of its group cleared, an automatic check box
  // toggled, then the dialog gets BN_CLICKED, as the button sends it.
  // Anything but kDone: the click could not happen.
  Click PressButton(platform::WindowHandle dialog, int controlId);
  enum class Key { kEnter, kEscape };
  // A key pressed on a dialog, as the dialog manager handles it: Enter
  // clicks the push button with the focus, else the default push button,
  // else OK (1); Escape clicks Cancel (2). *button: the button clicked.
  // A dialog without that button (the uninstall progress dialog has none)
  // still gets its command, as the dialog manager sends it; a disabled
  // button is not clicked.
  Click PressKey(platform::WindowHandle dialog, Key key, int* button);
  enum class ListOpen { kDone, kNoList, kNoItem };
  // Double-clicks the item of a list with exactly that text. The machine
  // has such a list in its file dialog only (the directory list, 1121):
  // kNoList for any other control. On kNoItem, *items lists what the list
  // holds ("none" when empty).
  ListOpen OpenListItem(platform::WindowHandle dialog, int controlId, const std::string& item,
                        std::string* items);

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
  int ListAddString(platform::WindowHandle dialog, int controlId, const std::string& text) override;
  int ListCount(platform::WindowHandle dialog, int controlId) override;
  std::string ListText(platform::WindowHandle dialog, int controlId, int index) override;
  int ListCurSel(platform::WindowHandle dialog, int controlId) override;
  bool ListSetCurSel(platform::WindowHandle dialog, int controlId, int index) override;

  // Placement, focus, edit limits and the classic save-file dialog. The
  // desktop is 1024 by 768 pixels; the file dialog lists the directories
  // of the machine's current directory (SetFiles); OpenListItem on its
  // directory list enters a directory, its OK returns
  // "<directory>\<file name>".
  platform::Rect GetWindowRect(platform::WindowHandle window) override;
  platform::Rect GetDesktopRect() override;
  void MoveWindow(platform::WindowHandle window, int x, int y) override;
  void SetItemFocus(platform::WindowHandle dialog, int controlId) override;
  void ShowItem(platform::WindowHandle dialog, int controlId, bool show) override;
  void LimitItemText(platform::WindowHandle dialog, int controlId, int maxChars) override;
  bool IsItemChecked(platform::WindowHandle dialog, int controlId) override;
  void CheckItem(platform::WindowHandle dialog, int controlId, bool checked) override;
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
    // A list box: its entries and selection (-1 none).
    ListStyle list = ListStyle::kNone;
    std::vector<std::string> entries;
    int selection = -1;
    bool visible = true;
    int limit = 0;        // EM_LIMITTEXT; 0: none set
    int selected = -1;    // LB_SETCURSEL
    bool pushButton = false;
    bool defaultButton = false;
    // Radio buttons and check boxes: their style and check state. A radio
    // group runs from a radio button with WS_GROUP (or one that follows a
    // control of another kind) over the radio buttons right after it in
    // template order, which is what Windows' WS_GROUP rule gives for the
    // program's templates.
    CheckStyle check = CheckStyle::kNone;
    bool groupStart = false;
    bool checked = false;
    int order = 0;  // place in the template
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
  Window* Find(platform::WindowHandle h);
  Control* FindList(platform::WindowHandle dialog, int controlId);
  // A control the program addresses: one of the template, or, in a dialog
  // of an unknown template, made on first use; null when there is none.
  Control* AddressedControl(platform::WindowHandle dialog, int controlId);
  // A flag of a control as IsItemVisible and IsItemEnabled read it.
  bool ItemFlag(platform::WindowHandle dialog, int controlId, bool Control::*flag) const;
  // The automatic click of a radio button or check box.
  void ClickCheckButton(Window& w, Control& c);
  // The dialog's WM_COMMAND for `controlId`: its handler first, else the
  // default handling (a modal dialog's OK and Cancel end it).
  void SendCommand(platform::WindowHandle h, int controlId);
  platform::WindowHandle Create(platform::WindowHandle owner, platform::DialogHandler& handler,
                                bool modal);
  [[noreturn]] void Abort(const std::string& message);
  std::string DescribeNext() const;
  void PaintPending();
  void PaintWindow(platform::WindowHandle h);
  void PaintControl(platform::WindowHandle h, int controlId);
  // Fires the earliest timer, advancing virtual time to it; false when none.
  bool FireNextTimer();
  bool FireDueTimers();

  std::map<platform::WindowHandle, Window> windows_;
  platform::WindowHandle nextWindow_ = 0x10010;
  platform::WindowHandle mainWindow_ = platform::kNoWindow;
  std::vector<Timer> timers_;
  std::uint64_t now_ = 0;
  std::uint64_t pumps_ = 0;
  User* user_ = nullptr;
  const Resources* resources_ = nullptr;
  std::vector<PaintOp> paintOps_;
  platform::FileSystem* files_ = nullptr;
};

}  // namespace sim
