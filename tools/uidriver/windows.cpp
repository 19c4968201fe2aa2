// Finding the program's windows under Wine: its visible top-level
// windows in the order they appeared, told apart as our dialogs (the
// window property "SetupDialogId"), message boxes (class #32770 made of
// static texts and buttons only) and anything else, which fails the run.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "driver.h"
#include "screen.h"
#include "text/text.h"
#include "ui/dialog_ids.h"

namespace uidriver {
namespace {

struct EnumContext {
  DWORD pid;
  std::vector<HWND>* out;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM lParam) {
  auto* context = reinterpret_cast<EnumContext*>(lParam);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(window, &pid);
  if (pid == context->pid && ::IsWindowVisible(window)) context->out->push_back(window);
  return TRUE;
}

}  // namespace

// Visible top-level windows of the program, bottom of the z-order first.
std::vector<HWND> Driver::ProcessWindows() {
  std::vector<HWND> found;
  EnumContext context{process_.dwProcessId, &found};
  ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&context));
  std::reverse(found.begin(), found.end());
  return found;
}

bool Driver::IsMessageBox(HWND window) {
  if (ClassOf(window) != "#32770" || TemplateOf(window) != 0) return false;
  bool hasText = false;
  for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    std::string cls = ClassOf(child);
    int id = ::GetDlgCtrlID(child);
    if (lstrcmpiA(cls.c_str(), "Static") == 0) {
      if (id == 0xFFFF) hasText = true;
      continue;
    }
    if (lstrcmpiA(cls.c_str(), "Button") == 0) continue;
    return false;
  }
  return hasText;
}

bool Driver::HandleMessageBox(WindowInfo& info) {
  HWND box = info.hwnd;
  std::string caption, text;
  ReadText(box, &caption);
  HWND textControl = ::GetDlgItem(box, 0xFFFF);
  if (textControl) ReadText(textControl, &text);

  // The buttons the box shows give its MB_ type.
  auto shows = [&](int id) {
    HWND b = ::GetDlgItem(box, id);
    return b && ::IsWindowVisible(b);
  };
  std::uint32_t buttons;
  if (shows(IDABORT) && shows(IDRETRY) && shows(IDIGNORE)) buttons = MB_ABORTRETRYIGNORE;
  else if (shows(IDYES) && shows(IDNO) && shows(IDCANCEL)) buttons = MB_YESNOCANCEL;
  else if (shows(IDYES) && shows(IDNO)) buttons = MB_YESNO;
  else if (shows(IDRETRY) && shows(IDCANCEL)) buttons = MB_RETRYCANCEL;
  else if (shows(IDOK) && shows(IDCANCEL)) buttons = MB_OKCANCEL;
  else buttons = MB_OK;
  // The icon is read from the screen: two readings in a row must agree, so
  // that a box read while something still paints over it (a folder window
  // of Wine's shell closing, a busy machine) is read again.
  std::string iconDiagnostic;
  std::uint32_t icon = uidriver::MessageBoxIcon(box, &iconDiagnostic);
  for (int attempt = 0; attempt < 4; ++attempt) {
    ::Sleep(100);
    const std::uint32_t again = uidriver::MessageBoxIcon(box, &iconDiagnostic);
    if (again == icon) break;
    icon = again;
  }
  if (std::getenv("UIDRIVER_DEBUG")) {
    std::fprintf(stderr, "uidriver: box icon %u (%s)\n", icon, iconDiagnostic.c_str());
  }
  std::uint32_t flags = buttons | icon;

  const int answer = engine_.AnswerBox(reinterpret_cast<scenario::Window>(box),
                                       OwnerTemplateOf(box), caption, text, flags);
  if (answer == 0) return false;
  HWND button = ::GetDlgItem(box, answer);
  if (!button) {
    Fail("the box has no button for the answer '" + std::string(scenario::AnswerName(answer)) +
         "'");
    return false;
  }
  ::PostMessageA(button, BM_CLICK, 0, 0);
  info.handled = true;
  return true;
}

bool Driver::HandleOurDialog(WindowInfo& info, int templateId) {
  HWND dialog = info.hwnd;
  bool modal = ::GetPropA(dialog, kDialogModalProperty) != nullptr;
  if (!modal) {
    engine_.WindowShown(reinterpret_cast<scenario::Window>(dialog), templateId, info.title);
    if (templateId == ui::ids::background::kTemplate && !backgroundShot_) {
      backgroundShot_ = true;
      ShotOfScreen("screen");
    }
    info.handled = true;
    return true;
  }
  // A modal dialog: the next statement must be for it, unless it is busy
  // with a timer (it then ends by itself) or a window of its own is up.
  // A statement still running its actions holds it back, unless its click
  // is what opened this dialog.
  switch (engine_.TakeModal(reinterpret_cast<scenario::Window>(dialog), templateId)) {
    case scenario::Engine::Taken::kTaken:
      info.handled = true;
      return true;
    case scenario::Engine::Taken::kHeldBack:
      return false;
    case scenario::Engine::Taken::kNotNext:
      break;
  }
  if (::GetPropA(dialog, kTimersProperty) != nullptr || !::IsWindowEnabled(dialog)) return false;
  engine_.FailUnexpectedDialog(reinterpret_cast<scenario::Window>(dialog), templateId);
  return false;
}

// Returns false when later windows must wait for this one.
bool Driver::HandleWindow(WindowInfo& info) {
  if (info.handled) return true;
  if (::GetTickCount() - info.firstSeen < options_.settleMs) return false;
  int templateId = TemplateOf(info.hwnd);
  if (templateId != 0) return HandleOurDialog(info, templateId);
  if (IsMessageBox(info.hwnd)) return HandleMessageBox(info);
  std::string title;
  ReadText(info.hwnd, &title);
  ShotOfWindow(info.hwnd, "unexpected-window");
  Fail("unexpected window: class " + ClassOf(info.hwnd) + " title " +
       text::Quote(text::Cp1252ToUtf8(title)) + "; " + engine_.user().DescribeNext());
  return false;
}

std::string Driver::Fingerprint() {
  std::string f;
  for (auto& [hwnd, info] : windows_) {
    if (info.gone) continue;
    char h[32];
    std::snprintf(h, sizeof h, "%p:", static_cast<void*>(hwnd));
    f += h + StoredText(hwnd);
    for (HWND c = ::GetWindow(hwnd, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
      f += "|" + StoredText(c);
    }
    f += "\n";
  }
  return f;
}

void Driver::Poll() {
  DWORD now = ::GetTickCount();
  std::vector<HWND> visible = ProcessWindows();
  for (auto& [hwnd, info] : windows_) {
    if (!info.gone && std::find(visible.begin(), visible.end(), hwnd) == visible.end() &&
        !::IsWindow(hwnd)) {
      info.gone = true;
    }
  }
  for (HWND w : visible) {
    auto it = windows_.find(w);
    if (it == windows_.end() || it->second.gone) {
      WindowInfo info;
      info.hwnd = w;
      info.firstSeen = now;
      info.order = nextOrder_++;
      info.title = CaptionOf(w);
      windows_[w] = info;
      Progress();
    }
  }
  // Windows in the order they appeared; a window not yet settled holds back
  // those after it.
  std::vector<WindowInfo*> order;
  for (auto& [hwnd, info] : windows_) {
    if (!info.gone && std::find(visible.begin(), visible.end(), hwnd) != visible.end()) {
      order.push_back(&info);
    }
  }
  std::sort(order.begin(), order.end(),
            [](const WindowInfo* a, const WindowInfo* b) { return a->order < b->order; });
  for (WindowInfo* info : order) {
    if (failed_) return;
    if (!HandleWindow(*info)) break;
  }
  if (failed_) return;
  // A statement for a dialog already open, then the running one's actions
  // as far as they go.
  engine_.StartNext(scenario::kNoWindow);
  engine_.Continue();
  std::string fingerprint = Fingerprint();
  if (fingerprint != lastFingerprint_) {
    lastFingerprint_ = fingerprint;
    Progress();
  }
}


}  // namespace uidriver
