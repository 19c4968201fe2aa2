// The user interface of the real machine: message boxes, dialogs from the
// numbered templates of the program's resources, timers, the message pump
// and GDI drawing.
#include <cstring>
#include <memory>

#include "platform/dialog.h"
#include "platform/win32/system_library.h"
#include "platform/win32/win32_machine.h"

namespace platform::win32 {

// What a dialog window needs to reach its handler.
struct DialogContext {
  DialogHandler* handler = nullptr;
  Ui* ui = nullptr;
  HINSTANCE instance = nullptr;
  int templateId = 0;
  bool modal = false;
  bool destroyed = false;  // the window is gone; the context can be freed
};

namespace {

HWND H(WindowHandle w) { return reinterpret_cast<HWND>(w); }
WindowHandle W(HWND h) { return reinterpret_cast<WindowHandle>(h); }

std::string UpToZero(const std::string& s) { return s.substr(0, s.find('\0')); }

constexpr char kControlPaintProperty[] = "SetupControlPaint";

// A static control whose painting the dialog's handler took over.
struct ControlContext {
  WNDPROC previous = nullptr;
  HWND dialog = nullptr;
  int controlId = 0;
};

COLORREF Colorref(Color c) { return static_cast<COLORREF>(c); }

RECT ToRect(const Rect& r) {
  RECT out;
  out.left = r.left;
  out.top = r.top;
  out.right = r.right;
  out.bottom = r.bottom;
  return out;
}

DWORD RasterOp(Rop rop) {
  switch (rop) {
    case Rop::kSrcAnd: return SRCAND;
    case Rop::kMergePaint: return MERGEPAINT;
    case Rop::kSrcCopy: break;
  }
  return SRCCOPY;
}

// Drawing on the device context of one paint message.
class GdiPainter : public Painter {
 public:
  GdiPainter(HWND window, HDC dc, HINSTANCE instance)
      : window_(window), dc_(dc), instance_(instance) {}

  Rect ClientRect() override {
    RECT r = {0, 0, 0, 0};
    ::GetClientRect(window_, &r);
    Rect out;
    out.left = r.left;
    out.top = r.top;
    out.right = r.right;
    out.bottom = r.bottom;
    return out;
  }

  void FillSolid(const Rect& r, Color c) override {
    RECT rect = ToRect(r);
    HBRUSH brush = ::CreateSolidBrush(Colorref(c));
    if (!brush) return;
    ::FillRect(dc_, &rect, brush);
    ::DeleteObject(brush);
  }

  void FrameRect(const Rect& r, Color c) override {
    RECT rect = ToRect(r);
    HBRUSH brush = ::CreateSolidBrush(Colorref(c));
    if (!brush) return;
    ::FrameRect(dc_, &rect, brush);
    ::DeleteObject(brush);
  }

  bool BitmapSize(int bitmapId, Size* out) override {
    HBITMAP bitmap = ::LoadBitmapA(instance_, MAKEINTRESOURCEA(bitmapId));
    if (!bitmap) return false;
    BITMAP info;
    std::memset(&info, 0, sizeof info);
    bool ok = ::GetObjectA(bitmap, sizeof info, &info) != 0;
    ::DeleteObject(bitmap);
    if (ok && out) {
      out->cx = info.bmWidth;
      out->cy = info.bmHeight;
    }
    return ok;
  }

  bool DrawBitmap(int bitmapId, int x, int y, Rop rop) override {
    HBITMAP bitmap = ::LoadBitmapA(instance_, MAKEINTRESOURCEA(bitmapId));
    if (!bitmap) return false;
    BITMAP info;
    std::memset(&info, 0, sizeof info);
    bool ok = ::GetObjectA(bitmap, sizeof info, &info) != 0;
    HDC memory = ok ? ::CreateCompatibleDC(dc_) : nullptr;
    if (memory) {
      HGDIOBJ previous = ::SelectObject(memory, bitmap);
      ok = ::BitBlt(dc_, x, y, info.bmWidth, info.bmHeight, memory, 0, 0, RasterOp(rop)) != 0;
      ::SelectObject(memory, previous);
      ::DeleteDC(memory);
    } else {
      ok = false;
    }
    ::DeleteObject(bitmap);
    return ok;
  }

  bool DrawIcon(int iconId, int x, int y) override {
    // An icon loaded from the program's resources is shared and is not
    // destroyed.
    HICON icon = ::LoadIconA(instance_, MAKEINTRESOURCEA(iconId));
    return icon != nullptr && ::DrawIcon(dc_, x, y, icon) != 0;
  }

  Size TextExtent(const std::string& text) override {
    SIZE s = {0, 0};
    std::string t = UpToZero(text);
    ::GetTextExtentPoint32A(dc_, t.c_str(), static_cast<int>(t.size()), &s);
    Size out;
    out.cx = s.cx;
    out.cy = s.cy;
    return out;
  }

  void DrawTextClipped(int x, int y, const Rect& clip, const std::string& text, Color textColor,
                       Color backColor) override {
    RECT rect = ToRect(clip);
    ::SetTextColor(dc_, Colorref(textColor));
    ::SetBkColor(dc_, Colorref(backColor));
    std::string t = UpToZero(text);
    ::ExtTextOutA(dc_, x, y, ETO_OPAQUE | ETO_CLIPPED, &rect, t.c_str(),
                  static_cast<UINT>(t.size()), nullptr);
  }

  // The paint context came from BeginPaint, which has already validated the
  // window as the default window procedure would.
  void DefaultPaint() override {}

 private:
  HWND window_;
  HDC dc_;
  HINSTANCE instance_;
};

DialogContext* ContextOf(HWND dialog) {
  return reinterpret_cast<DialogContext*>(::GetWindowLongPtrA(dialog, DWLP_USER));
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* context = reinterpret_cast<DialogContext*>(lParam);
    ::SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    // Set before the dialog is first shown, so that whoever sees the window
    // can tell which template it came from.
    ::SetPropA(dialog, kDialogIdProperty,
               reinterpret_cast<HANDLE>(static_cast<INT_PTR>(context->templateId)));
    if (context->modal) ::SetPropA(dialog, kDialogModalProperty, reinterpret_cast<HANDLE>(1));
    return context->handler->OnInitDialog(W(dialog)) ? TRUE : FALSE;
  }
  DialogContext* context = ContextOf(dialog);
  if (!context) return FALSE;
  switch (message) {
    case WM_COMMAND: {
      int id = LOWORD(wParam);
      int code = HIWORD(wParam);
      if (context->handler->OnCommand(W(dialog), id, code)) return TRUE;
      return DefaultCommand(*context->ui, W(dialog), context->modal, id) ? TRUE : FALSE;
    }
    case WM_TIMER:
      context->handler->OnTimer(W(dialog), static_cast<int>(wParam));
      return TRUE;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(dialog, &ps);
      if (dc) {
        GdiPainter painter(dialog, dc, context->instance);
        context->handler->OnPaint(W(dialog), painter);
      }
      ::EndPaint(dialog, &ps);
      return TRUE;
    }
    case WM_NCACTIVATE: {
      bool result = false;
      if (context->handler->OnNcActivate(W(dialog), wParam != 0, &result)) {
        ::SetWindowLongPtrA(dialog, DWLP_MSGRESULT, result ? TRUE : FALSE);
        return TRUE;
      }
      return FALSE;
    }
    case WM_DESTROY:
      context->handler->OnDestroy(W(dialog));
      return FALSE;
    case WM_NCDESTROY:
      ::RemovePropA(dialog, kDialogIdProperty);
      ::RemovePropA(dialog, kDialogModalProperty);
      ::RemovePropA(dialog, kTimersProperty);
      ::SetWindowLongPtrA(dialog, DWLP_USER, 0);
      context->destroyed = true;
      return FALSE;
    default:
      return FALSE;
  }
}

LRESULT CALLBACK ControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* context = reinterpret_cast<ControlContext*>(::GetPropA(control, kControlPaintProperty));
  if (!context) return ::DefWindowProcA(control, message, wParam, lParam);
  WNDPROC previous = context->previous;
  if (message == WM_PAINT) {
    DialogContext* dialogContext = ContextOf(context->dialog);
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(control, &ps);
    if (dc && dialogContext) {
      GdiPainter painter(control, dc, dialogContext->instance);
      dialogContext->handler->OnPaintControl(W(context->dialog), context->controlId, painter);
    }
    ::EndPaint(control, &ps);
    return 0;
  }
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    ::RemovePropA(control, kControlPaintProperty);
    delete context;
  }
  return ::CallWindowProcA(previous, control, message, wParam, lParam);
}

}  // namespace

std::string WindowText(HWND window) {
  if (!window) return std::string();
  int length = ::GetWindowTextLengthA(window);
  if (length <= 0) return std::string();
  std::vector<char> buffer(static_cast<std::size_t>(length) + 2, '\0');
  int n = ::GetWindowTextA(window, buffer.data(), static_cast<int>(buffer.size()));
  if (n < 0) n = 0;
  if (static_cast<std::size_t>(n) >= buffer.size()) n = static_cast<int>(buffer.size()) - 1;
  return std::string(buffer.data(), static_cast<std::size_t>(n));
}

Win32Ui::Win32Ui(HINSTANCE instance) : instance_(instance) {}

Win32Ui::~Win32Ui() = default;

int Win32Ui::MessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                        std::uint32_t flags) {
  return ::MessageBoxA(H(owner), UpToZero(text).c_str(), UpToZero(caption).c_str(), flags);
}

int Win32Ui::RunModal(WindowHandle owner, DialogHandler& handler) {
  const int templateId = handler.TemplateId();
  DialogContext context;
  context.handler = &handler;
  context.ui = this;
  context.instance = instance_;
  context.templateId = templateId;
  context.modal = true;
  // The owner is taken as given: a dialog the design has owned by "the
  // framework's choice" is given GetMainWindow() by the logic.
  HWND parent = H(owner);
  INT_PTR result = ::DialogBoxParamA(instance_, MAKEINTRESOURCEA(templateId), parent, DialogProc,
                                     reinterpret_cast<LPARAM>(&context));
  return static_cast<int>(result);
}

WindowHandle Win32Ui::CreateModeless(WindowHandle owner, DialogHandler& handler) {
  const int templateId = handler.TemplateId();
  // Contexts of modeless dialogs live here; those whose window is gone are
  // freed at the next creation.
  std::erase_if(modeless_, [](const std::unique_ptr<DialogContext>& c) { return c->destroyed; });
  auto context = std::make_unique<DialogContext>();
  context->handler = &handler;
  context->ui = this;
  context->instance = instance_;
  context->templateId = templateId;
  context->modal = false;
  HWND parent = H(owner);
  HWND dialog = ::CreateDialogParamA(instance_, MAKEINTRESOURCEA(templateId), parent, DialogProc,
                                     reinterpret_cast<LPARAM>(context.get()));
  if (!dialog) return kNoWindow;
  modeless_.push_back(std::move(context));
  return W(dialog);
}

void Win32Ui::EndDialog(WindowHandle dialog, int result) { ::EndDialog(H(dialog), result); }

void Win32Ui::DestroyWindow(WindowHandle window) {
  if (H(window) == mainWindow_) mainWindow_ = nullptr;
  if (window) ::DestroyWindow(H(window));
}

void Win32Ui::SetWindowText(WindowHandle window, const std::string& text) {
  ::SetWindowTextA(H(window), UpToZero(text).c_str());
}

std::string Win32Ui::GetWindowText(WindowHandle window) { return WindowText(H(window)); }

void Win32Ui::SetItemText(WindowHandle dialog, int controlId, const std::string& text) {
  ::SetDlgItemTextA(H(dialog), controlId, UpToZero(text).c_str());
}

std::string Win32Ui::GetItemText(WindowHandle dialog, int controlId) {
  return WindowText(::GetDlgItem(H(dialog), controlId));
}

bool Win32Ui::EnableWindow(WindowHandle window, bool enable) {
  return ::EnableWindow(H(window), enable ? TRUE : FALSE) != FALSE;
}

bool Win32Ui::IsWindowEnabled(WindowHandle window) {
  return ::IsWindowEnabled(H(window)) != FALSE;
}

void Win32Ui::EnableItem(WindowHandle dialog, int controlId, bool enable) {
  HWND control = ::GetDlgItem(H(dialog), controlId);
  if (control) ::EnableWindow(control, enable ? TRUE : FALSE);
}

void Win32Ui::ShowWindow(WindowHandle window, int command) { ::ShowWindow(H(window), command); }

void Win32Ui::SetTopmostAndShow(WindowHandle window) {
  ::SetWindowPos(H(window), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
}

WindowHandle Win32Ui::GetOwner(WindowHandle window) {
  return W(::GetWindow(H(window), GW_OWNER));
}

WindowHandle Win32Ui::GetMainWindow() { return W(mainWindow_); }

void Win32Ui::SetMainWindow(WindowHandle window) { mainWindow_ = H(window); }

void Win32Ui::OwnControlPaint(WindowHandle dialog, int controlId) {
  HWND control = ::GetDlgItem(H(dialog), controlId);
  if (!control || ::GetPropA(control, kControlPaintProperty)) return;
  auto* context = new ControlContext;
  context->dialog = H(dialog);
  context->controlId = controlId;
  context->previous = reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(control, GWLP_WNDPROC));
  if (!::SetPropA(control, kControlPaintProperty, context)) {
    delete context;
    return;
  }
  ::SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ControlProc));
}

void Win32Ui::InvalidateItem(WindowHandle dialog, int controlId, bool erase) {
  HWND control = ::GetDlgItem(H(dialog), controlId);
  if (control) ::InvalidateRect(control, nullptr, erase ? TRUE : FALSE);
}

void Win32Ui::UpdateItem(WindowHandle dialog, int controlId) {
  HWND control = ::GetDlgItem(H(dialog), controlId);
  if (control) ::UpdateWindow(control);
}

namespace {

void PublishTimerCount(HWND window, const std::vector<std::pair<HWND, UINT_PTR>>& timers) {
  INT_PTR count = 0;
  for (const auto& t : timers) {
    if (t.first == window) ++count;
  }
  if (count > 0) {
    ::SetPropA(window, kTimersProperty, reinterpret_cast<HANDLE>(count));
  } else {
    ::RemovePropA(window, kTimersProperty);
  }
}

}  // namespace

bool Win32Ui::SetTimer(WindowHandle window, int timerId, std::uint32_t milliseconds) {
  HWND w = H(window);
  UINT_PTR id = static_cast<UINT_PTR>(timerId);
  if (::SetTimer(w, id, milliseconds, nullptr) == 0) return false;
  // Forget timers of windows that are gone, then count this one once.
  std::erase_if(timers_, [&](const std::pair<HWND, UINT_PTR>& t) {
    return !::IsWindow(t.first) || (t.first == w && t.second == id);
  });
  timers_.emplace_back(w, id);
  PublishTimerCount(w, timers_);
  return true;
}

void Win32Ui::KillTimer(WindowHandle window, int timerId) {
  HWND w = H(window);
  UINT_PTR id = static_cast<UINT_PTR>(timerId);
  ::KillTimer(w, id);
  std::erase_if(timers_, [&](const std::pair<HWND, UINT_PTR>& t) {
    return t.first == w && t.second == id;
  });
  if (::IsWindow(w)) PublishTimerCount(w, timers_);
}

namespace {

// The top-level window a window belongs to: its parents followed while it
// is a child window. (GetAncestor does this, but the first Windows 95 and
// NT 4.0 do not have it; GetParent of a top-level window is its owner, so
// the walk stops at the first window without WS_CHILD.)
HWND TopLevelOf(HWND w) {
  for (int depth = 0; w && depth < 64; ++depth) {
    if (!(::GetWindowLongA(w, GWL_STYLE) & WS_CHILD)) return w;
    w = ::GetParent(w);
  }
  return w;
}

}  // namespace

void Win32Ui::Dispatch(MSG& msg, HWND preferredDialog) {
  if (preferredDialog) {
    if (::IsWindow(preferredDialog) && ::IsDialogMessageA(preferredDialog, &msg)) return;
  } else if (msg.hwnd) {
    // Keyboard navigation for whichever of our dialogs the message is for.
    HWND top = TopLevelOf(msg.hwnd);
    if (top && ::GetPropA(top, kDialogIdProperty) && ::IsDialogMessageA(top, &msg)) return;
  }
  ::TranslateMessage(&msg);
  ::DispatchMessageA(&msg);
}

void Win32Ui::PumpMessages(WindowHandle dialog) {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Leave the quit request for the loop that owns it.
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    Dispatch(msg, H(dialog));
  }
}

void Win32Ui::RunMessagesUntil(const std::function<bool()>& done) {
  MSG msg;
  while (!done()) {
    BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    if (got == -1) return;
    Dispatch(msg, nullptr);
  }
}

// ---------------------------------------------------------------- list boxes

int Win32Ui::ListAddString(WindowHandle dialog, int controlId, const std::string& text) {
  HWND list = ::GetDlgItem(H(dialog), controlId);
  if (!list) return -1;
  LRESULT index = ::SendMessageA(list, LB_ADDSTRING, 0,
                                 reinterpret_cast<LPARAM>(UpToZero(text).c_str()));
  return index < 0 ? -1 : static_cast<int>(index);
}

int Win32Ui::ListCount(WindowHandle dialog, int controlId) {
  HWND list = ::GetDlgItem(H(dialog), controlId);
  if (!list) return 0;
  LRESULT count = ::SendMessageA(list, LB_GETCOUNT, 0, 0);
  return count < 0 ? 0 : static_cast<int>(count);
}

std::string Win32Ui::ListText(WindowHandle dialog, int controlId, int index) {
  HWND list = ::GetDlgItem(H(dialog), controlId);
  if (!list || index < 0) return std::string();
  LRESULT length = ::SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == LB_ERR || length < 0) return std::string();
  // LB_GETTEXT writes the text and its zero into a buffer the caller sizes
  // from LB_GETTEXTLEN; one byte more for safety.
  std::vector<char> buffer(static_cast<std::size_t>(length) + 2, '\0');
  LRESULT got = ::SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(index),
                               reinterpret_cast<LPARAM>(buffer.data()));
  if (got == LB_ERR || got < 0) return std::string();
  buffer.back() = '\0';
  return std::string(buffer.data(), strnlen(buffer.data(), buffer.size()));
}

int Win32Ui::ListCurSel(WindowHandle dialog, int controlId) {
  HWND list = ::GetDlgItem(H(dialog), controlId);
  if (!list) return -1;
  LRESULT index = ::SendMessageA(list, LB_GETCURSEL, 0, 0);
  return index < 0 ? -1 : static_cast<int>(index);
}

bool Win32Ui::ListSetCurSel(WindowHandle dialog, int controlId, int index) {
  HWND list = ::GetDlgItem(H(dialog), controlId);
  if (!list) return false;
  LRESULT r = ::SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  return index == -1 || r != LB_ERR;
}

// ---------------------------------------------------------------- placement

namespace {

Rect FromRect(const RECT& r) {
  Rect out;
  out.left = r.left;
  out.top = r.top;
  out.right = r.right;
  out.bottom = r.bottom;
  return out;
}

}  // namespace

Rect Win32Ui::GetWindowRect(WindowHandle window) {
  RECT r = {0, 0, 0, 0};
  ::GetWindowRect(H(window), &r);
  return FromRect(r);
}

Rect Win32Ui::GetDesktopRect() {
  RECT r = {0, 0, 0, 0};
  ::GetWindowRect(::GetDesktopWindow(), &r);
  return FromRect(r);
}

void Win32Ui::MoveWindow(WindowHandle window, int x, int y) {
  ::SetWindowPos(H(window), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Ui::SetItemFocus(WindowHandle dialog, int controlId) {
  HWND control = ::GetDlgItem(H(dialog), controlId);
  if (control) ::SetFocus(control);
}

void Win32Ui::ShowItem(WindowHandle dialog, int controlId, bool show) {
  HWND control = ::GetDlgItem(H(dialog), controlId);
  if (control) ::ShowWindow(control, show ? SW_SHOW : SW_HIDE);
}

bool Win32Ui::IsItemChecked(WindowHandle dialog, int controlId) {
  return ::IsDlgButtonChecked(H(dialog), controlId) == BST_CHECKED;
}

void Win32Ui::CheckItem(WindowHandle dialog, int controlId, bool checked) {
  ::CheckDlgButton(H(dialog), controlId, checked ? BST_CHECKED : BST_UNCHECKED);
}

void Win32Ui::LimitItemText(WindowHandle dialog, int controlId, int maxChars) {
  ::SendDlgItemMessageA(H(dialog), controlId, EM_LIMITTEXT, static_cast<WPARAM>(maxChars), 0);
}

void Win32Ui::SelectListItem(WindowHandle dialog, int controlId, int index) {
  ::SendDlgItemMessageA(H(dialog), controlId, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

// ---------------------------------------------------------------- save-file dialog

namespace {

constexpr char kFileDialogHookProperty[] = "SetupFileDialogHook";

// What the hook needs, passed as the dialog's custom data.
struct FileDialogContext {
  FileDialogHook* hook = nullptr;
  int templateId = 0;
};

// The hook of the classic (not Explorer-style) common dialog: it gets the
// dialog's messages before the dialog does.
UINT_PTR CALLBACK FileDialogHookProc(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* ofn = reinterpret_cast<OPENFILENAMEA*>(lParam);
    auto* context = reinterpret_cast<FileDialogContext*>(ofn->lCustData);
    ::SetPropA(dialog, kFileDialogHookProperty, context->hook);
    // Our UI driver knows the browser as a modal dialog of its template.
    ::SetPropA(dialog, kDialogIdProperty,
               reinterpret_cast<HANDLE>(static_cast<INT_PTR>(context->templateId)));
    ::SetPropA(dialog, kDialogModalProperty, reinterpret_cast<HANDLE>(1));
    context->hook->OnInitDialog(W(dialog));
    return FALSE;  // the hook has set the focus
  }
  auto* hook = reinterpret_cast<FileDialogHook*>(::GetPropA(dialog, kFileDialogHookProperty));
  if (!hook) return FALSE;
  if (message == WM_PAINT) {
    hook->OnPaint(W(dialog));
  } else if (message == WM_NCDESTROY) {
    ::RemovePropA(dialog, kFileDialogHookProperty);
    ::RemovePropA(dialog, kDialogIdProperty);
    ::RemovePropA(dialog, kDialogModalProperty);
  }
  return FALSE;
}

}  // namespace

bool Win32Ui::GetSaveFileName(WindowHandle owner, int templateId, std::uint32_t flags,
                              FileDialogHook& hook, std::string* path) {
  char file[MAX_PATH + 1] = {};
  OPENFILENAMEA ofn;
  std::memset(&ofn, 0, sizeof ofn);
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = H(owner);
  ofn.hInstance = instance_;
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  // Without OFN_EXPLORER the template replaces the classic dialog.
  ofn.Flags = (flags & ~static_cast<DWORD>(OFN_EXPLORER)) | OFN_ENABLETEMPLATE | OFN_ENABLEHOOK;
  ofn.lpTemplateName = MAKEINTRESOURCEA(templateId);
  ofn.lpfnHook = FileDialogHookProc;
  FileDialogContext context;
  context.hook = &hook;
  context.templateId = templateId;
  ofn.lCustData = reinterpret_cast<LPARAM>(&context);
  if (!syslib::GetSaveFileNameA(&ofn)) return false;
  file[MAX_PATH] = '\0';
  if (path) *path = file;
  return true;
}

Win32Machine::Win32Machine(HINSTANCE instance)
    : ui_(instance), machine_{system_, files_, profile_, registry_, lz_, ui_, dde_, versions_, services_} {}

}  // namespace platform::win32
