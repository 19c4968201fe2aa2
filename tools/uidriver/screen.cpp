#include "screen.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

namespace uidriver {
namespace {

// Pixels of a screen area, 32 bits each (B, G, R, unused), top row first.
struct Pixels {
  int width = 0, height = 0;
  std::vector<std::uint32_t> data;
};

bool ClipToScreen(RECT* r) {
  RECT screen = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  RECT out;
  if (!::IntersectRect(&out, r, &screen)) return false;
  *r = out;
  return true;
}

// Copies `r` from the screen DC into a top-down 32-bit DIB.
bool Capture(RECT r, Pixels* out) {
  if (!ClipToScreen(&r)) return false;
  int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return false;
  HDC screen = ::GetDC(nullptr);
  if (!screen) return false;
  HDC memory = ::CreateCompatibleDC(screen);
  BITMAPINFO info;
  std::memset(&info, 0, sizeof info);
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP dib = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = false;
  if (memory && dib && bits) {
    HGDIOBJ old = ::SelectObject(memory, dib);
    ok = ::BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY) != 0;
    ::GdiFlush();
    if (ok) {
      out->width = w;
      out->height = h;
      const auto* p = static_cast<const std::uint32_t*>(bits);
      out->data.assign(p, p + static_cast<std::size_t>(w) * h);
    }
    ::SelectObject(memory, old);
  }
  if (dib) ::DeleteObject(dib);
  if (memory) ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
  return ok;
}

bool WriteBmp(const Pixels& px, const std::string& path) {
  int stride = (px.width * 3 + 3) & ~3;
  std::uint32_t imageSize = static_cast<std::uint32_t>(stride) * px.height;
  BITMAPFILEHEADER file;
  std::memset(&file, 0, sizeof file);
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  file.bfSize = file.bfOffBits + imageSize;
  BITMAPINFOHEADER info;
  std::memset(&info, 0, sizeof info);
  info.biSize = sizeof info;
  info.biWidth = px.width;
  info.biHeight = px.height;  // bottom-up
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  info.biSizeImage = imageSize;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(&file, sizeof file, 1, f) == 1 && std::fwrite(&info, sizeof info, 1, f) == 1;
  std::vector<unsigned char> row(static_cast<std::size_t>(stride), 0);
  for (int y = px.height - 1; ok && y >= 0; --y) {
    for (int x = 0; x < px.width; ++x) {
      std::uint32_t v = px.data[static_cast<std::size_t>(y) * px.width + x];
      row[x * 3 + 0] = static_cast<unsigned char>(v & 0xFF);
      row[x * 3 + 1] = static_cast<unsigned char>((v >> 8) & 0xFF);
      row[x * 3 + 2] = static_cast<unsigned char>((v >> 16) & 0xFF);
    }
    ok = std::fwrite(row.data(), row.size(), 1, f) == 1;
  }
  return std::fclose(f) == 0 && ok;
}

// Draws `icon` at its natural size on a `w` x `h` area of colour `back`.
bool RenderIcon(HICON icon, int w, int h, std::uint32_t back, Pixels* out) {
  HDC screen = ::GetDC(nullptr);
  HDC memory = ::CreateCompatibleDC(screen);
  BITMAPINFO info;
  std::memset(&info, 0, sizeof info);
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP dib = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = false;
  if (memory && dib && bits) {
    auto* p = static_cast<std::uint32_t*>(bits);
    for (int i = 0; i < w * h; ++i) p[i] = back;
    HGDIOBJ old = ::SelectObject(memory, dib);
    ok = ::DrawIconEx(memory, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL | DI_DEFAULTSIZE) != 0;
    ::GdiFlush();
    if (ok) {
      out->width = w;
      out->height = h;
      out->data.assign(p, p + static_cast<std::size_t>(w) * h);
    }
    ::SelectObject(memory, old);
  }
  if (dib) ::DeleteObject(dib);
  if (memory) ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
  return ok;
}

long long Distance(const Pixels& a, const Pixels& b) {
  long long sum = 0;
  int w = a.width < b.width ? a.width : b.width;
  int h = a.height < b.height ? a.height : b.height;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      std::uint32_t p = a.data[static_cast<std::size_t>(y) * a.width + x];
      std::uint32_t q = b.data[static_cast<std::size_t>(y) * b.width + x];
      for (int shift = 0; shift < 24; shift += 8) {
        sum += std::abs(static_cast<int>((p >> shift) & 0xFF) - static_cast<int>((q >> shift) & 0xFF));
      }
    }
  }
  return sum;
}

// The visible static control of the box that shows an icon, if any.
HWND IconControl(HWND box) {
  for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    char cls[32] = {};
    ::GetClassNameA(child, cls, sizeof cls);
    if (lstrcmpiA(cls, "Static") != 0) continue;
    LONG style = ::GetWindowLongA(child, GWL_STYLE);
    if ((style & SS_TYPEMASK) == SS_ICON && ::IsWindowVisible(child)) return child;
  }
  return nullptr;
}

// Wine's shell opens a folder window for every group the program creates
// (where Program Manager would show the group inside its own window), and
// it can land over the message box that follows. Those windows are closed
// before a window of the program is read from the screen.
BOOL CALLBACK CloseFolderWindow(HWND window, LPARAM closed) {
  char cls[32] = {};
  ::GetClassNameA(window, cls, sizeof cls);
  if (lstrcmpiA(cls, "ExplorerWClass") == 0 || lstrcmpiA(cls, "CabinetWClass") == 0) {
    ::PostMessageA(window, WM_CLOSE, 0, 0);
    ++*reinterpret_cast<int*>(closed);
  }
  return TRUE;
}

void CloseShellFolderWindows() {
  for (int attempt = 0; attempt < 20; ++attempt) {
    int closed = 0;
    ::EnumWindows(CloseFolderWindow, reinterpret_cast<LPARAM>(&closed));
    if (closed == 0) return;
    ::Sleep(50);
  }
}

// The window to be read is raised above every other window and painted
// again first.
void BringToTop(HWND window) {
  CloseShellFolderWindows();
  ::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ::RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

// Captures an area once its pixels have settled: two captures 80 ms apart
// agree, or half a second has passed.
bool CaptureSettled(const RECT& r, Pixels* px) {
  if (!Capture(r, px)) return false;
  for (int attempt = 0; attempt < 6; ++attempt) {
    ::Sleep(80);
    Pixels again;
    if (!Capture(r, &again)) break;
    bool same = again.data == px->data;
    *px = std::move(again);
    if (same) break;
  }
  return true;
}

}  // namespace

bool SaveScreenArea(const RECT& r, const std::string& path) {
  // The program paints when its message loop gets to it, and Wine shows the
  // painting a little later: wait until two captures agree (up to half a
  // second; a window that keeps changing, such as a progress bar, is taken
  // as it is then).
  Pixels px;
  if (!CaptureSettled(r, &px)) return false;
  return WriteBmp(px, path);
}

bool SaveWindowShot(HWND window, const std::string& path) {
  BringToTop(window);
  RECT r;
  if (!::GetWindowRect(window, &r)) return false;
  return SaveScreenArea(r, path);
}

bool SaveScreenShot(const std::string& path) {
  RECT r = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  return SaveScreenArea(r, path);
}

std::uint32_t MessageBoxIcon(HWND box, std::string* diagnostic) {
  HWND control = IconControl(box);
  if (!control) {
    if (diagnostic) *diagnostic = "no icon control";
    return 0;
  }
  BringToTop(box);
  RECT r;
  ::GetWindowRect(control, &r);
  Pixels shown;
  if (!CaptureSettled(r, &shown) || shown.data.empty()) {
    if (diagnostic) *diagnostic = "icon not captured";
    return 0;
  }
  // The corner of an icon is transparent: it shows the box's background.
  std::uint32_t back = shown.data[0];
  struct Candidate {
    std::uint32_t flag;
    LPCSTR id;
  };
  const Candidate candidates[] = {
      {MB_ICONHAND, MAKEINTRESOURCEA(32513)},         // IDI_HAND
      {MB_ICONQUESTION, MAKEINTRESOURCEA(32514)},     // IDI_QUESTION
      {MB_ICONEXCLAMATION, MAKEINTRESOURCEA(32515)},  // IDI_EXCLAMATION
      {MB_ICONASTERISK, MAKEINTRESOURCEA(32516)},     // IDI_ASTERISK
  };
  std::uint32_t best = 0;
  long long bestDistance = std::numeric_limits<long long>::max();
  long long second = std::numeric_limits<long long>::max();
  std::string report;
  for (const Candidate& c : candidates) {
    HICON icon = ::LoadIconA(nullptr, c.id);
    Pixels drawn;
    if (!icon || !RenderIcon(icon, shown.width, shown.height, back, &drawn)) continue;
    long long d = Distance(shown, drawn);
    report += " " + std::to_string(c.flag) + ":" + std::to_string(d);
    if (d < bestDistance) {
      second = bestDistance;
      bestDistance = d;
      best = c.flag;
    } else if (d < second) {
      second = d;
    }
  }
  if (diagnostic) *diagnostic = "distances" + report;
  return best;
}

}  // namespace uidriver
