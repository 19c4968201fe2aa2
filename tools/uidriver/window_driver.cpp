// The scenario engine's driver on the real windows: reading controls of
// the program's dialogs, typing, pressing buttons and keys, double clicks
// on list entries, disk swaps, the transcript and the screenshots. A click
// is sent with SendMessageCallback and the engine's next action waits
// until the program has handled it (a message box it raises is answered
// meanwhile).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "driver.h"
#include "scenario/transcript.h"
#include "screen.h"
#include "text/text.h"

namespace uidriver {
namespace {

using scenario::Outcome;

HWND Hwnd(scenario::Window w) { return reinterpret_cast<HWND>(w); }

}  // namespace

void Driver::Fail(const std::string& message) {
  if (failed_) return;
  failed_ = true;
  std::fprintf(stderr, "uidriver: %s\n", message.c_str());
  std::fflush(stderr);
  if (process_.hProcess) ::TerminateProcess(process_.hProcess, 255);
}

void Driver::Record(const std::string& line) {
  if (std::getenv("UIDRIVER_DEBUG")) {
    std::fprintf(stderr, "uidriver: %lu ms: %s\n", static_cast<unsigned long>(::GetTickCount() - started_),
                 line.c_str());
  }
  if (transcript_) {
    std::fputs(line.c_str(), transcript_);
    std::fputc('\n', transcript_);
    std::fflush(transcript_);
  }
  Progress();
}

std::string Driver::ShotPath(const std::string& what) {
  char number[16];
  std::snprintf(number, sizeof number, "%02d", ++shotNumber_);
  return options_.shotsDir + "\\" + number + "-" + what + ".bmp";
}

void Driver::ShotOfWindow(HWND window, const std::string& what) {
  if (options_.shotsDir.empty()) return;
  uidriver::SaveWindowShot(window, ShotPath(what));
  if (std::getenv("UIDRIVER_DEBUG")) {
    std::fprintf(stderr, "uidriver: %lu ms: shot %s\n",
                 static_cast<unsigned long>(::GetTickCount() - started_), what.c_str());
  }
}

void Driver::ShotOfScreen(const std::string& what) {
  if (options_.shotsDir.empty()) return;
  uidriver::SaveScreenShot(ShotPath(what));
  if (std::getenv("UIDRIVER_DEBUG")) {
    std::fprintf(stderr, "uidriver: %lu ms: shot %s\n",
                 static_cast<unsigned long>(::GetTickCount() - started_), what.c_str());
  }
}


int Driver::OwnerTemplateOf(HWND window) { return TemplateOf(::GetWindow(window, GW_OWNER)); }

int Driver::OwnerTemplate(scenario::Window window) { return OwnerTemplateOf(Hwnd(window)); }

void Driver::Shot(scenario::Window window, const std::string& what) {
  if (window == scenario::kNoWindow) ShotOfScreen(what);
  else ShotOfWindow(Hwnd(window), what);
}

// A dialog statement for a dialog that is already open: a modeless one
// (its leading wait conditions then hold back its actions), or a modal one
// that stays open after an earlier statement (a message box was answered,
// a browser closed) and can take input again: visible, enabled (no box of
// its own up) and not busy with a timer. A modal dialog seen for the first
// time gets its statement in HandleOurDialog.
scenario::Window Driver::FindOpenDialog(int templateId, scenario::Window /*modal*/) {
  HWND target = nullptr;
  std::uint64_t latest = 0;
  for (auto& [hwnd, info] : windows_) {
    if (info.gone || !info.handled || TemplateOf(hwnd) != templateId) continue;
    if (::GetPropA(hwnd, kDialogModalProperty)) {
      if (!::IsWindowVisible(hwnd) || !::IsWindowEnabled(hwnd) ||
          ::GetPropA(hwnd, kTimersProperty) != nullptr) {
        continue;
      }
    }
    if (!target || info.order > latest) {
      target = hwnd;
      latest = info.order;
    }
  }
  return reinterpret_cast<scenario::Window>(target);
}

bool Driver::IsOpen(scenario::Window dialog) { return ::IsWindow(Hwnd(dialog)) != FALSE; }

bool Driver::HasControl(scenario::Window dialog, int control) {
  return ::GetDlgItem(Hwnd(dialog), control) != nullptr;
}

// What a `wait` action reads of a control: its text, and whether it is
// visible (IsWindowVisible: it and the dialog have WS_VISIBLE) and enabled.
scenario::ControlState Driver::ReadControl(scenario::Window dialog, int control) {
  scenario::ControlState state;
  HWND h = ::GetDlgItem(Hwnd(dialog), control);
  if (!h) return scenario::ControlState{"", false, false};
  ReadText(h, &state.text);
  state.visible = ::IsWindowVisible(h) != FALSE;
  state.enabled = ::IsWindowEnabled(h) != FALSE;
  return state;
}

bool Driver::ReadList(scenario::Window dialog, int control, std::vector<std::string>* entries) {
  HWND list = ::GetDlgItem(Hwnd(dialog), control);
  return list && ReadListEntries(list, entries);
}

std::string Driver::Title(scenario::Window window) {
  std::string title;
  ReadText(Hwnd(window), &title);
  return title;
}

Outcome Driver::SetText(scenario::Window dialog, int control, const std::string& text) {
  DWORD_PTR result = 0;
  ::SendMessageTimeoutA(::GetDlgItem(Hwnd(dialog), control), WM_SETTEXT, 0,
                        reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, kSendTimeoutMs,
                        &result);
  return Outcome::Done();
}

// The alias Windows gives the path here (Wine hashes them).
bool Driver::ShortPath(const std::string& path, std::string* alias) {
  char buffer[MAX_PATH];
  DWORD n = ::GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return false;
  *alias = buffer;
  return true;
}

void CALLBACK Driver::SendDone(HWND, UINT, ULONG_PTR data, LRESULT) {
  *reinterpret_cast<bool*>(data) = true;
}

bool Driver::ActionFinished(std::uintptr_t token) { return *reinterpret_cast<bool*>(token); }

Outcome Driver::SendCommand(HWND target, UINT message, WPARAM wParam, LPARAM lParam,
                            const std::string& what) {
  sendFlags_.push_back(false);
  bool* done = &sendFlags_.back();
  if (!::SendMessageCallbackA(target, message, wParam, lParam, SendDone,
                              reinterpret_cast<ULONG_PTR>(done))) {
    return Outcome::Failed(Outcome::Code::kFailed,
                           "could not " + what + " (error " + std::to_string(::GetLastError()) +
                               ")");
  }
  return Outcome::Pending(reinterpret_cast<std::uintptr_t>(done));
}

// The click runs in the program; the next action waits until it has been
// handled.
Outcome Driver::Press(scenario::Window dialog, int control) {
  HWND button = ::GetDlgItem(Hwnd(dialog), control);
  if (!::IsWindowEnabled(button)) return Outcome::Failed(Outcome::Code::kControlDisabled);
  return SendCommand(button, BM_CLICK, 0, 0, "click control " + std::to_string(control));
}

// The key as the keyboard delivers it: down and up, posted to the control
// with the focus in the program's thread (the dialog when none has it),
// where the dialog's message loop turns it into the dialog manager's
// command. The next action does not wait for its handling.
Outcome Driver::PressKey(scenario::Window dialog, scenario::Key key, int* /*button*/) {
  HWND h = Hwnd(dialog);
  GUITHREADINFO thread{};
  thread.cbSize = sizeof thread;
  HWND target = h;
  DWORD threadId = ::GetWindowThreadProcessId(h, nullptr);
  if (::GetGUIThreadInfo(threadId, &thread) && thread.hwndFocus &&
      (thread.hwndFocus == h || ::IsChild(h, thread.hwndFocus))) {
    target = thread.hwndFocus;
  }
  const WPARAM vk = key == scenario::Key::kEnter ? VK_RETURN : VK_ESCAPE;
  const UINT scan = ::MapVirtualKeyA(static_cast<UINT>(vk), 0);
  const LPARAM down = 1 | static_cast<LPARAM>(scan << 16);
  const LPARAM up = down | (static_cast<LPARAM>(1) << 30) | (static_cast<LPARAM>(1) << 31);
  // The focus may move on meanwhile: then to the dialog itself.
  bool posted = ::PostMessageA(target, WM_KEYDOWN, vk, down);
  if (!posted && target != h) {
    target = h;
    posted = ::PostMessageA(target, WM_KEYDOWN, vk, down);
  }
  // The key-down may have closed the dialog before the key-up is posted
  // (the program runs meanwhile): the key was pressed.
  if (posted) ::PostMessageA(target, WM_KEYUP, vk, up);
  if (!posted) {
    return Outcome::Failed(Outcome::Code::kFailed,
                           "could not post the key (error " + std::to_string(::GetLastError()) +
                               ")");
  }
  return Outcome::Done();
}

// A double click on a list entry, as the list box reports it: the entry is
// selected, then the dialog gets LBN_SELCHANGE and LBN_DBLCLK.
Outcome Driver::DoubleClickEntry(scenario::Window dialog, int control, int index,
                                 const std::string& /*entry*/) {
  HWND h = Hwnd(dialog);
  HWND list = ::GetDlgItem(h, control);
  DWORD_PTR result = 0;
  ::SendMessageTimeoutA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0, SMTO_ABORTIFHUNG,
                        kSendTimeoutMs, &result);
  for (WORD code : {static_cast<WORD>(LBN_SELCHANGE), static_cast<WORD>(LBN_DBLCLK)}) {
    ::SendMessageTimeoutA(h, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(control), code),
                          reinterpret_cast<LPARAM>(list), SMTO_ABORTIFHUNG, kSendTimeoutMs,
                          &result);
  }
  return Outcome::Done();
}

// A double click on a list item: select it, then the list's double-click
// notification to the dialog, as the list sends it.
Outcome Driver::OpenItem(scenario::Window dialog, int control, const std::string& item) {
  HWND h = Hwnd(dialog);
  HWND list = ::GetDlgItem(h, control);
  DWORD_PTR count = 0;
  ::SendMessageTimeoutA(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &count);
  int found = -1;
  std::string items;
  for (int i = 0; i < static_cast<int>(count) && i < 10000; ++i) {
    std::string text;
    if (!ListItemText(list, i, &text)) continue;
    items += (items.empty() ? "" : ", ") + text;
    if (text == item && found < 0) found = i;
  }
  if (found < 0) return Outcome::Failed(Outcome::Code::kNoItem, items);
  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutA(list, LB_SETCURSEL, static_cast<WPARAM>(found), 0, SMTO_ABORTIFHUNG,
                        kSendTimeoutMs, &ignored);
  return SendCommand(h, WM_COMMAND, MAKEWPARAM(control, LBN_DBLCLK), reinterpret_cast<LPARAM>(list),
                     "open an item of control " + std::to_string(control));
}

bool Driver::Insert(char drive, const std::string& folder, std::string* error) {
  if (MapDrive(drive, folder)) return true;
  *error = "the drive could not be changed";
  return false;
}

}  // namespace uidriver
