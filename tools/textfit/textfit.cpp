// textfit.exe: every catalog text of every language, measured in the window
// it goes into, under the running Windows (Wine in the tests).
//
//   textfit.exe SETUP.EXE [SHOTS]
//
// The dialogs are created from the program's own templates (the resources
// of the given SETUP.EXE, loaded as data), so each control has the size and
// font the program's dialog has at this display's resolution. Each text is
// put into its control as the program puts it there, read back, and
// measured with DrawText in the control's font and with the flags that
// control draws with. A text is measured for every product of the family
// (display name, edition, SCSI or QIC), every platform (95, 98, NT) and the
// fillers the program puts into it; the widest counts.
//
// Prints one line per text, language and window, "FAIL" for a text that
// does not fit (needing more width or lines than the control has), and
// the display's resolution; exit status 0 when everything fits, 1 when a
// text does not, 2 when the tool cannot measure. With SHOTS (a folder) it
// also writes each dialog, holding the widest texts of a language, as a
// bitmap SHOTS\<dialog>-<language>.bmp, for a person to look at.
#include <windows.h>

#include <cstdio>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "install/install_text.h"
#include "platform/win32/win32_machine.h"
#include "setup/catalog.h"
#include "setup/start.h"
#include "setup/state.h"
#include "text/text.h"
#include "ui/background_window.h"
#include "ui/dialog_ids.h"
#include "ui/install_dir_dialog.h"

namespace {

using setup::MsgId;
namespace ids = ui::ids;
namespace background = ids::background;
namespace browser = ids::browser;
namespace copy = ids::copy_progress;
namespace dir = ids::install_dir;
namespace group = ids::program_group;
namespace license = ids::license;
namespace option = ids::uninstall_option;
namespace selection = ids::select_group;
namespace steps = ids::uninstall_progress;

const char* const kLanguageNames[setup::kLanguageCount] = {
    "English", "German", "French", "Swedish", "British", "Spanish", "Italian", "Portuguese"};

// ---------------------------------------------------------------- variants

// One product of the family on one platform: what ExpandText and the
// program's fillers depend on.
struct Variant {
  const char* prd;
  bool se;
  bool scsi;
  bool nt;
  bool win98;
};

std::vector<Variant> AllVariants() {
  const char* const products[] = {"Halvorn",  "Pellidor", "Ostrilk",
                                  "Trevanix", "Quivvel",  "RQ-TAPE"};
  std::vector<Variant> out;
  for (const char* prd : products) {
    for (bool se : {false, true}) {
      for (bool scsi : {false, true}) {
        out.push_back({prd, se, scsi, false, false});
        out.push_back({prd, se, scsi, false, true});
        out.push_back({prd, se, scsi, true, false});
      }
    }
  }
  return out;
}

std::string VariantName(const Variant& v) {
  std::string name = v.prd;
  name += v.se ? " SE" : "";
  name += v.scsi ? " SCSI" : " QIC";
  name += v.nt ? " NT" : v.win98 ? " 98" : " 95";
  return name;
}

// A setup state of that product and platform in `language`, with a fresh
// catalog (the platform rewrite changes the stored texts).
std::unique_ptr<setup::SetupState> MakeState(platform::Machine& machine, const Variant& v,
                                             int language) {
  auto state = std::make_unique<setup::SetupState>(machine);
  state->values.prd = v.prd;
  state->productName = v.prd;
  state->seEdition = v.se;
  state->scsi = v.scsi;
  state->windowsNt = v.nt;
  state->windows98 = v.win98;
  state->language = language;
  // The longest version the description holds, and the longest platform.
  state->version = std::string(setup::kVersionCapacity - 1, '8');
  state->platformText = "95/98/NT";
  const bool partner = std::string(v.prd) == "RQ-TAPE";
  state->companyShort = partner ? "Dunmarrow" : "Brennick";
  state->companyLong = partner ? "Dunmarrow Corporation" : "Brennick Corporation";
  // The install directory the program proposes, which the uninstaller later
  // names: "Program Files" on every platform the program is for.
  state->defaultInstallDir =
      std::string("C:\\Program Files\\") + setup::Msg(*state, setup::MSG_DEFAULT_FOLDER);
  state->installDir = ui::ProposedInstallDir(*state);
  state->uninstallDir = state->installDir;
  state->groupName = setup::DefaultGroupName(*state);
  return state;
}

// ---------------------------------------------------------------- placements

// How the program composes the text it shows from the catalog text.
enum class Fill {
  kAsIs,
  kFolderName,           // "%s" gets the install directory's own folder name
  kRemovalSummary,       // group name and install directory
  kCopyingFile,          // the target path of a file follows
  kGroupUnknownHint,     // "could not determine" and the Browse hint
  kGroupUnknownChanged,  // "could not determine" and "has changed"
  kBackgroundTitle,      // product, version and platform, as the caption is made
};

// Where a text goes: a control of a dialog, or (control 0) the dialog's
// caption bar.
constexpr int kCaptionBar = 0;

struct Placement {
  MsgId id;
  int member;
  int dialog;
  int control;
  Fill fill;
};

const Placement kPlacements[] = {
    // Install directory dialog.
    {setup::MSG_SETUP_TITLE, 0, dir::kTemplate, kCaptionBar, Fill::kAsIs},
    {setup::MSG_WELCOME, 0, dir::kTemplate, dir::kWelcomeText, Fill::kAsIs},
    {setup::MSG_BUTTON_LABELS, 0, dir::kTemplate, dir::kOk, Fill::kAsIs},
    {setup::MSG_BUTTON_LABELS, 1, dir::kTemplate, dir::kCancel, Fill::kAsIs},
    {setup::MSG_BUTTON_LABELS, 5, dir::kTemplate, dir::kBrowse, Fill::kAsIs},
    {setup::MSG_BUTTON_LABELS, 6, dir::kTemplate, dir::kDefault, Fill::kAsIs},
    {setup::MSG_DIRECTORY_BROWSER_TITLE, 0, browser::kTemplate, kCaptionBar, Fill::kAsIs},
    // License agreement.
    {setup::MSG_BUTTON_LABELS, 4, license::kTemplate, license::kAgree, Fill::kAsIs},
    {setup::MSG_BUTTON_LABELS, 1, license::kTemplate, license::kCancel, Fill::kAsIs},
    // Program group dialog.
    {setup::MSG_GROUP_DIALOG_TITLE, 0, group::kTemplate, kCaptionBar, Fill::kAsIs},
    {setup::MSG_GROUP_LABELS, 0, group::kTemplate, group::kNameLabel, Fill::kAsIs},
    {setup::MSG_GROUP_LABELS, 1, group::kTemplate, group::kListLabel, Fill::kAsIs},
    {setup::MSG_BUTTON_LABELS, 0, group::kTemplate, group::kOk, Fill::kAsIs},
    {setup::MSG_BUTTON_LABELS, 1, group::kTemplate, group::kCancel, Fill::kAsIs},
    {setup::MSG_BUTTON_LABELS, 6, group::kTemplate, group::kDefault, Fill::kAsIs},
    // Copy progress.
    {setup::MSG_COPY_LABELS, 0, copy::kTemplate, kCaptionBar, Fill::kAsIs},
    {setup::MSG_COPY_LABELS, 1, copy::kTemplate, copy::kCurrentLabel, Fill::kAsIs},
    {setup::MSG_COPY_LABELS, 2, copy::kTemplate, copy::kFilesLabel, Fill::kAsIs},
    {setup::MSG_BUTTON_LABELS, 1, copy::kTemplate, copy::kCancel, Fill::kAsIs},
    {setup::MSG_COPYING, 0, copy::kTemplate, copy::kStatusText, Fill::kCopyingFile},
    {setup::MSG_TRANSFER_COMPLETE, 0, copy::kTemplate, copy::kStatusText, Fill::kAsIs},
    // Uninstall option.
    {setup::MSG_BUTTON_LABELS, 0, option::kTemplate, option::kOk, Fill::kAsIs},
    {setup::MSG_BUTTON_LABELS, 1, option::kTemplate, option::kCancel, Fill::kAsIs},
    {setup::MSG_BUTTON_LABELS, 5, option::kTemplate, option::kBrowse, Fill::kAsIs},
    {setup::MSG_UNINSTALL_OPTION_LABELS, 0, option::kTemplate, option::kOptionBox, Fill::kAsIs},
    {setup::MSG_UNINSTALL_OPTION_LABELS, 1, option::kTemplate, option::kSelective, Fill::kAsIs},
    {setup::MSG_UNINSTALL_OPTION_LABELS, 2, option::kTemplate, option::kComplete,
     Fill::kFolderName},
    {setup::MSG_REMOVE_ITEMS_SUMMARY, 0, option::kTemplate, option::kSummary,
     Fill::kRemovalSummary},
    {setup::MSG_GROUP_NAME_UNDETERMINED, 0, option::kTemplate, option::kSummary,
     Fill::kGroupUnknownHint},
    {setup::MSG_BROWSE_OR_CANCEL_HINT, 0, option::kTemplate, option::kSummary,
     Fill::kGroupUnknownHint},
    {setup::MSG_GROUP_NAME_UNDETERMINED, 0, option::kTemplate, option::kSummary,
     Fill::kGroupUnknownChanged},
    {setup::MSG_GROUP_NAME_CHANGED, 0, option::kTemplate, option::kSummary,
     Fill::kGroupUnknownChanged},
    // Group selection.
    {setup::MSG_SELECT_GROUP_TO_REMOVE, 0, selection::kTemplate, selection::kPrompt, Fill::kAsIs},
    {setup::MSG_BUTTON_LABELS, 0, selection::kTemplate, selection::kOk, Fill::kAsIs},
    {setup::MSG_BUTTON_LABELS, 1, selection::kTemplate, selection::kCancel, Fill::kAsIs},
    // Uninstall progress (the fifth label is never shown, but gets its text).
    {setup::MSG_UNINSTALL_STEPS, 0, steps::kTemplate, steps::kStep1Label, Fill::kAsIs},
    {setup::MSG_UNINSTALL_STEPS, 1, steps::kTemplate, steps::kStep2Label, Fill::kAsIs},
    {setup::MSG_UNINSTALL_STEPS, 2, steps::kTemplate, steps::kStep3Label, Fill::kAsIs},
    {setup::MSG_UNINSTALL_STEPS, 3, steps::kTemplate, steps::kStep4Label, Fill::kAsIs},
    {setup::MSG_UNINSTALL_STEPS, 4, steps::kTemplate, steps::kStep5Label, Fill::kAsIs},
    // Background window: maximized, so its caption bar is the screen's width.
    {setup::MSG_BACKGROUND_TITLE, 0, background::kTemplate, kCaptionBar, Fill::kBackgroundTitle},
    {setup::MSG_BACKGROUND_TITLE, 1, background::kTemplate, kCaptionBar, Fill::kBackgroundTitle},
};

// Texts that go into no window of the program's own: message boxes, which
// size themselves to their text, a line written into SYSTEM.INI, the
// default folder (measured through the texts that carry it; the edit
// controls that show it scroll), and the Yes and No labels, which no
// dialog of the program uses (message boxes bring their own buttons).
struct Elsewhere {
  MsgId id;
  int member;  // -1: every member
};
const Elsewhere kElsewhere[] = {
    {setup::MSG_SYSINI_COMMENT_LINE, -1},
    {setup::MSG_SETUP_DAT_OPEN_FAILED, -1},
    {setup::MSG_SETUP_DAT_INVALID, -1},
    {setup::MSG_RECONFIGURE_TAPE, -1},
    {setup::MSG_CONFIRM_UNINSTALL, -1},
    {setup::MSG_INCOMPLETE_DIRECTORY, -1},
    {setup::MSG_DIRECTORY_EXISTS, -1},
    {setup::MSG_INVALID_DIRECTORY, -1},
    {setup::MSG_CONFIRM_CANCEL, -1},
    {setup::MSG_DRIVERS_DEACTIVATED, -1},
    {setup::MSG_GROUP_EXISTS, -1},
    {setup::MSG_INSTALL_COMPLETE, -1},
    {setup::MSG_INSTALL_FAILED, -1},
    {setup::MSG_INSTALL_CANCELLED, -1},
    {setup::MSG_INSTALL_COMPLETE_RESTART, -1},
    {setup::MSG_UNINSTALL_COMPLETE, -1},
    {setup::MSG_UNINSTALL_FAILED, -1},
    {setup::MSG_UNINSTALL_CANCELLED, -1},
    {setup::MSG_WRITE_ERROR, -1},
    {setup::MSG_READ_ERROR, -1},
    {setup::MSG_CONTINUE_AFTER_ERROR, -1},
    {setup::MSG_INSERT_DISK, -1},
    {setup::MSG_DISK_ERROR, -1},
    {setup::MSG_VIEW_README, -1},
    {setup::MSG_RESTART_FAILED, -1},
    {setup::MSG_DEFAULT_FOLDER, -1},
    {setup::MSG_INIT_FILE_ERROR, -1},
    {setup::MSG_UNINSTALL_KEY_FAILED, -1},
    {setup::MSG_ADMIN_REQUIRED, -1},
    {setup::MSG_DISABLE_QIC117, -1},
    {setup::MSG_QIC117_STILL_ENABLED, -1},
    {setup::MSG_UNINSTALL_KEY_OPEN_FAILED, -1},
    {setup::MSG_GROUP_NAME_REFUSED, -1},
    {setup::MSG_DIRECTORY_NOT_ALLOWED, -1},
    {setup::MSG_COMPLETE_REMOVAL_REFUSED, -1},
    {setup::MSG_DIRECTORY_NAME_REFUSED, -1},
    {setup::MSG_RESTART_NEEDS_DIRECTORY, -1},
    {setup::MSG_NOT_RESTORED, -1},
    {setup::MSG_BUTTON_LABELS, 2},
    {setup::MSG_BUTTON_LABELS, 3},
};

// Every member of every entry is either placed or known to go elsewhere;
// prints the ones that are neither (a new entry must be placed here).
int CountUnplaced() {
  int unplaced = 0;
  for (int id = 0; id < setup::MSG_COUNT; ++id) {
    const MsgId msg = static_cast<MsgId>(id);
    for (int m = 0; m < setup::Catalog::Members(msg); ++m) {
      bool known = false;
      for (const Placement& p : kPlacements) known = known || (p.id == msg && p.member == m);
      for (const Elsewhere& e : kElsewhere)
        known = known || (e.id == msg && (e.member < 0 || e.member == m));
      if (!known) {
        std::printf("FAIL %s member %d: no window is known for this text (add it to textfit)\n",
                    setup::Catalog::Name(msg), m);
        ++unplaced;
      }
    }
  }
  return unplaced;
}

// The text the program shows for a placement.
std::string ComposeText(setup::SetupState& state, const Placement& p) {
  using setup::Msg;
  const std::string& dir = state.uninstallDir;
  switch (p.fill) {
    case Fill::kAsIs:
      return Msg(state, p.id, p.member);
    case Fill::kFolderName:
      return install::FillPlaceholder(Msg(state, p.id, p.member), dir.substr(dir.rfind('\\') + 1));
    case Fill::kRemovalSummary:
      return install::FillPlaceholders(Msg(state, p.id, p.member), {state.groupName, dir});
    case Fill::kCopyingFile:
      return std::string(Msg(state, p.id, p.member)) + state.installDir + "\\README.TXT";
    case Fill::kGroupUnknownHint:
      return std::string(Msg(state, setup::MSG_GROUP_NAME_UNDETERMINED)) +
             Msg(state, setup::MSG_BROWSE_OR_CANCEL_HINT);
    case Fill::kGroupUnknownChanged:
      return std::string(Msg(state, setup::MSG_GROUP_NAME_UNDETERMINED)) +
             Msg(state, setup::MSG_GROUP_NAME_CHANGED);
    case Fill::kBackgroundTitle:
      state.mode = p.member == 1 ? setup::Mode::kRestart : setup::Mode::kInstall;
      return ui::BackgroundWindow::Caption(state);
  }
  return std::string();
}

// ---------------------------------------------------------------- measuring

// What a text needs and what its place offers, in pixels.
struct Fit {
  int needWidth = 0, needHeight = 0;
  int roomWidth = 0, roomHeight = 0;
  bool Fits() const { return needWidth <= roomWidth && needHeight <= roomHeight; }
};

// The smallest screen the program is for (VGA): the background window's
// caption bar spans it.
constexpr int kSmallestScreenWidth = 640;

// Measures `text` in `font` with DrawText(DT_CALCRECT) in a rectangle
// `width` wide; returns the size the text takes.
SIZE MeasureText(HFONT font, const std::string& text, UINT flags, int width) {
  HDC dc = ::GetDC(nullptr);
  HGDIOBJ old = ::SelectObject(dc, font);
  RECT r = {0, 0, width, 0};
  ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, flags | DT_CALCRECT);
  ::SelectObject(dc, old);
  ::ReleaseDC(nullptr, dc);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

// A caption bar: the caption font, one line, beside the close box of a
// window with a system menu; the frame and a few pixels of inset on
// either side.
Fit MeasureCaption(HWND dialog, const std::string& text, bool fullScreen) {
  NONCLIENTMETRICSA metrics = {};
  metrics.cbSize = sizeof metrics;
  Fit fit;
  if (!::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return fit;
  HFONT font = ::CreateFontIndirectA(&metrics.lfCaptionFont);
  SIZE size = MeasureText(font, text, DT_SINGLELINE | DT_NOPREFIX, 0);
  ::DeleteObject(font);
  RECT window;
  ::GetWindowRect(dialog, &window);
  const LONG style = ::GetWindowLongA(dialog, GWL_STYLE);
  int width = fullScreen ? kSmallestScreenWidth : window.right - window.left;
  width -= 2 * ::GetSystemMetrics(SM_CXDLGFRAME) + 8;
  if (style & WS_SYSMENU) width -= ::GetSystemMetrics(SM_CXSIZE) + 2;
  fit.needWidth = size.cx;
  fit.needHeight = size.cy;
  fit.roomWidth = width;
  fit.roomHeight = ::GetSystemMetrics(SM_CYCAPTION);
  return fit;
}

// A control as it draws its text: statics break lines between words in
// their client area; buttons draw one line, push buttons centred inside
// their frame and focus rectangle, radio buttons beside their circle,
// group boxes between the frame's corners.
Fit MeasureControl(HWND control, const std::string& text, int dpi) {
  HFONT font = reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0));
  if (font == nullptr) font = static_cast<HFONT>(::GetStockObject(SYSTEM_FONT));
  RECT client;
  ::GetClientRect(control, &client);
  Fit fit;
  fit.roomWidth = client.right;
  fit.roomHeight = client.bottom;
  char className[32] = {};
  ::GetClassNameA(control, className, sizeof className);
  const LONG style = ::GetWindowLongA(control, GWL_STYLE);
  UINT flags;
  if (lstrcmpiA(className, "Static") == 0) {
    flags = DT_WORDBREAK | DT_EXPANDTABS;
    if ((style & SS_TYPEMASK) == SS_CENTER) flags |= DT_CENTER;
    if (style & SS_NOPREFIX) flags |= DT_NOPREFIX;
  } else {
    flags = DT_SINGLELINE;
    switch (style & BS_TYPEMASK) {
      case BS_PUSHBUTTON:
      case BS_DEFPUSHBUTTON:
        // The 3-D frame (2 pixels), the focus rectangle inside it and a
        // pixel between it and the text, on either side.
        fit.roomWidth -= 2 * 4;
        break;
      case BS_RADIOBUTTON:
      case BS_AUTORADIOBUTTON: {
        // The circle (12 pixels at 96 dpi, and one more), half the width of
        // a digit, the pixel the text is moved by and the focus rectangle.
        HDC dc = ::GetDC(control);
        HGDIOBJ old = ::SelectObject(dc, font);
        INT digit = 0;
        ::GetCharWidthA(dc, '0', '0', &digit);
        ::SelectObject(dc, old);
        ::ReleaseDC(control, dc);
        fit.roomWidth -= 12 * dpi / 96 + 1 + digit / 2 + 2;
        break;
      }
      case BS_GROUPBOX:
        // Seven pixels in from either side, and the pixel the text is moved by.
        fit.roomWidth -= 2 * 7 + 1;
        break;
      default:
        break;
    }
  }
  char buffer[1024] = {};
  ::SetWindowTextA(control, text.c_str());
  ::GetWindowTextA(control, buffer, sizeof buffer);
  SIZE size = MeasureText(font, buffer, flags, (flags & DT_SINGLELINE) ? 0 : fit.roomWidth);
  fit.needWidth = size.cx;
  fit.needHeight = size.cy;
  // What the control holds must be all of the text.
  if (text != buffer) fit.needWidth = fit.roomWidth + 1;
  return fit;
}

INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

// The dialogs of the program's resources, created once (hidden) and kept.
class Dialogs {
 public:
  explicit Dialogs(HMODULE resources) : resources_(resources) {}
  ~Dialogs() {
    for (auto& d : created_) ::DestroyWindow(d.second);
  }
  HWND Get(int templateId) {
    for (auto& d : created_) {
      if (d.first == templateId) return d.second;
    }
    HWND dialog =
        ::CreateDialogParamA(resources_, MAKEINTRESOURCEA(templateId), nullptr, QuietDialogProc, 0);
    if (dialog != nullptr) ::ShowWindow(dialog, SW_HIDE);
    created_.emplace_back(templateId, dialog);
    return dialog;
  }

 private:
  HMODULE resources_;
  std::vector<std::pair<int, HWND>> created_;
};

// The widest case of one placement in one language, over every variant.
struct Worst {
  Fit fit;
  std::string text;
  std::string variant;
  bool measured = false;
};

bool Wider(const Fit& a, const Fit& b) {
  return a.needWidth - a.roomWidth > b.needWidth - b.roomWidth ||
         (a.needWidth - a.roomWidth == b.needWidth - b.roomWidth && a.needHeight > b.needHeight);
}

std::string Printable(const std::string& text) {
  std::string out;
  for (char c : text::Cp1252ToUtf8(text)) {
    if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

// Lets the windows paint for a moment.
void RunMessages(DWORD milliseconds) {
  const DWORD start = ::GetTickCount();
  while (::GetTickCount() - start < milliseconds) {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    ::Sleep(10);
  }
}

// Copies `dialog` from the screen, shown there for the moment at its top
// left corner, into a 24-bit bitmap file.
bool SaveShot(HWND dialog, const std::string& path) {
  ::SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
  ::RedrawWindow(dialog, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  RunMessages(300);
  RECT r;
  ::GetWindowRect(dialog, &r);
  const int width = r.right - r.left, height = r.bottom - r.top;
  HDC screen = ::GetDC(nullptr);
  HDC memory = ::CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool saved = false;
  if (bitmap != nullptr) {
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    ::GdiFlush();
    ::SelectObject(memory, old);
    const DWORD rowBytes = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + rowBytes * height;
    if (FILE* out = std::fopen(path.c_str(), "wb")) {
      saved = std::fwrite(&file, sizeof file, 1, out) == 1 &&
              std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
              std::fwrite(bits, rowBytes, height, out) == static_cast<std::size_t>(height);
      saved = std::fclose(out) == 0 && saved;
    }
    ::DeleteObject(bitmap);
  }
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
  ::ShowWindow(dialog, SW_HIDE);
  return saved;
}

// Puts the widest text of each placement of `dialog` into its place again
// and writes the dialog's picture.
bool SaveDialogShot(HWND dialog, int templateId, const std::vector<Worst>& worst,
                    const std::string& folder, int language) {
  for (std::size_t i = 0; i < std::size(kPlacements); ++i) {
    const Placement& p = kPlacements[i];
    if (p.dialog != templateId || !worst[i].measured) continue;
    if (p.control == kCaptionBar) {
      ::SetWindowTextA(dialog, worst[i].text.c_str());
    } else {
      ::SetDlgItemTextA(dialog, p.control, worst[i].text.c_str());
      ::ShowWindow(::GetDlgItem(dialog, p.control), SW_SHOWNA);
    }
  }
  const std::string path =
      folder + "\\" + std::to_string(templateId) + "-" + kLanguageNames[language] + ".bmp";
  return SaveShot(dialog, path);
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: textfit.exe SETUP.EXE [SHOTS]\n");
    return 2;
  }
  HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
  ::ReleaseDC(nullptr, screen);
  std::printf("dpi %d\n", dpi);
  HMODULE resources = ::LoadLibraryExA(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (resources == nullptr) {
    std::fprintf(stderr, "textfit: cannot load %s (error %lu)\n", argv[1], ::GetLastError());
    return 2;
  }

  platform::win32::Win32Machine machine(::GetModuleHandleA(nullptr));
  const std::vector<Variant> variants = AllVariants();
  Dialogs dialogs(resources);
  int failures = CountUnplaced();
  int measured = 0;
  for (int language = 0; language < setup::kLanguageCount; ++language) {
    std::vector<Worst> worst(std::size(kPlacements));
    for (const Variant& v : variants) {
      auto state = MakeState(machine.Get(), v, language);
      for (std::size_t i = 0; i < std::size(kPlacements); ++i) {
        const Placement& p = kPlacements[i];
        HWND dialog = dialogs.Get(p.dialog);
        if (dialog == nullptr) {
          std::printf("FAIL dialog %d cannot be created from %s\n", p.dialog, argv[1]);
          return 2;
        }
        const std::string text = ComposeText(*state, p);
        Fit fit;
        if (p.control == kCaptionBar) {
          fit = MeasureCaption(dialog, text, p.fill == Fill::kBackgroundTitle);
        } else {
          HWND control = ::GetDlgItem(dialog, p.control);
          if (control == nullptr) {
            std::printf("FAIL dialog %d has no control %d\n", p.dialog, p.control);
            return 2;
          }
          fit = MeasureControl(control, text, dpi);
        }
        if (!worst[i].measured || Wider(fit, worst[i].fit)) {
          worst[i] = Worst{fit, text, VariantName(v), true};
        }
      }
    }
    if (argc == 3) {
      for (int templateId : {ids::install_dir::kTemplate, ids::program_group::kTemplate,
                             ids::copy_progress::kTemplate, ids::license::kTemplate,
                             ids::uninstall_option::kTemplate, ids::select_group::kTemplate,
                             ids::uninstall_progress::kTemplate}) {
        if (!SaveDialogShot(dialogs.Get(templateId), templateId, worst, argv[2], language)) {
          std::printf("FAIL cannot write the picture of dialog %d into %s\n", templateId, argv[2]);
          return 2;
        }
      }
    }
    for (std::size_t i = 0; i < std::size(kPlacements); ++i) {
      const Placement& p = kPlacements[i];
      const Worst& w = worst[i];
      ++measured;
      // A text that measures as nothing was not measured (a missing font,
      // a control that dropped it): that is a failure, not a fit.
      const bool measuredSomething =
          w.text.empty() || (w.fit.needWidth > 0 && w.fit.needHeight > 0);
      const bool fits = w.fit.Fits() && measuredSomething;
      if (!fits) ++failures;
      const std::string place = p.control == kCaptionBar ? std::string("caption")
                                                         : "control " + std::to_string(p.control);
      std::printf("%s %s member %d, %s, dialog %d %s: needs %dx%d px, has %dx%d (%s): \"%s\"\n",
                  fits ? "ok  " : "FAIL", setup::Catalog::Name(p.id), p.member,
                  kLanguageNames[language], p.dialog, place.c_str(), w.fit.needWidth,
                  w.fit.needHeight, w.fit.roomWidth, w.fit.roomHeight, w.variant.c_str(),
                  Printable(w.text).c_str());
    }
  }
  std::printf("%d texts measured at %d dpi, %d do not fit\n", measured, dpi, failures);
  ::FreeLibrary(resources);
  return failures == 0 ? 0 : 1;
}
