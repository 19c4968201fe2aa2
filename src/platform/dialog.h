// A dialog window as its handler sees it: the window handle and the Ui that
// made it, with the item helpers taking only a control id. Thin wrappers,
// one Ui call each, so a handler writes SetItemText(id, text) instead of
// passing the Ui and the window everywhere.
//
// Also the default handling of a dialog command, written once for both
// machines.
#pragma once

#include <cassert>
#include <cstdint>
#include <string>

#include "platform/machine.h"

namespace platform {

class Dialog {
 public:
  Dialog() = default;
  Dialog(Ui& ui, WindowHandle window) : ui_(&ui), window_(window) {}

  // ---- the window
  WindowHandle Handle() const { return window_; }
  bool HasWindow() const { return window_ != kNoWindow; }
  // Forgets the window (it is gone) but keeps the Ui.
  void Detach() { window_ = kNoWindow; }

  // ---- window calls
  void SetText(const std::string& text) { Machine().SetWindowText(window_, text); }
  std::string GetText() { return Machine().GetWindowText(window_); }
  void Show(int command) { Machine().ShowWindow(window_, command); }
  void End(int result) { Machine().EndDialog(window_, result); }
  void Destroy() { Machine().DestroyWindow(window_); }
  bool SetTimer(int timerId, std::uint32_t milliseconds) {
    return Machine().SetTimer(window_, timerId, milliseconds);
  }
  void KillTimer(int timerId) { Machine().KillTimer(window_, timerId); }
  // Runs every pending message, keyboard messages through this dialog.
  void PumpMessages() { Machine().PumpMessages(window_); }
  // A message box owned by this dialog.
  int MessageBox(const std::string& text, const std::string& caption, std::uint32_t flags) {
    return Machine().MessageBox(window_, text, caption, flags);
  }

  // ---- item calls
  void SetItemText(int controlId, const std::string& text) {
    Machine().SetItemText(window_, controlId, text);
  }
  std::string GetItemText(int controlId) { return Machine().GetItemText(window_, controlId); }
  void EnableItem(int controlId, bool enable) { Machine().EnableItem(window_, controlId, enable); }
  void OwnControlPaint(int controlId) { Machine().OwnControlPaint(window_, controlId); }
  void InvalidateItem(int controlId, bool erase) {
    Machine().InvalidateItem(window_, controlId, erase);
  }
  void UpdateItem(int controlId) { Machine().UpdateItem(window_, controlId); }
  void ShowItem(int controlId, bool show) { Machine().ShowItem(window_, controlId, show); }
  void SetItemFocus(int controlId) { Machine().SetItemFocus(window_, controlId); }
  bool IsItemChecked(int controlId) { return Machine().IsItemChecked(window_, controlId); }
  void CheckItem(int controlId, bool checked) { Machine().CheckItem(window_, controlId, checked); }

  // ---- list box calls
  int ListAddString(int controlId, const std::string& text) {
    return Machine().ListAddString(window_, controlId, text);
  }
  int ListCount(int controlId) { return Machine().ListCount(window_, controlId); }
  std::string ListText(int controlId, int index) {
    return Machine().ListText(window_, controlId, index);
  }
  int ListCurSel(int controlId) { return Machine().ListCurSel(window_, controlId); }
  bool ListSetCurSel(int controlId, int index) {
    return Machine().ListSetCurSel(window_, controlId, index);
  }

 private:
  Ui& Machine() {
    assert(ui_ != nullptr);
    return *ui_;
  }

  Ui* ui_ = nullptr;
  WindowHandle window_ = kNoWindow;
};

// The default handling of a command the dialog's handler left alone: OK and
// Cancel end a modal dialog with their own id as its result. Both machines
// call this; true when it handled the command.
inline bool DefaultCommand(Ui& ui, WindowHandle dialog, bool modal, int commandId) {
  if (!modal || (commandId != cmd::kOk && commandId != cmd::kCancel)) return false;
  ui.EndDialog(dialog, commandId);
  return true;
}

}  // namespace platform
