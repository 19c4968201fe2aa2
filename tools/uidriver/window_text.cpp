// Reading the windows of another process: texts, captions, list boxes.
#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "driver.h"

namespace uidriver {

int TemplateOf(HWND window) {
  if (!window) return 0;
  return static_cast<int>(reinterpret_cast<INT_PTR>(::GetPropA(window, kDialogIdProperty)));
}

std::string ClassOf(HWND window) {
  char name[128] = {};
  ::GetClassNameA(window, name, sizeof name);
  return name;
}

// The text of a window or control of the other process, asked of the
// window itself (edit controls keep their text to themselves).
bool ReadText(HWND window, std::string* out) {
  out->clear();
  DWORD_PTR length = 0;
  if (!::SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                             &length)) {
    return false;
  }
  if (length > (1u << 20)) length = 1u << 20;
  std::vector<char> buffer(length + 2, '\0');
  DWORD_PTR got = 0;
  if (!::SendMessageTimeoutA(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                             SMTO_ABORTIFHUNG, kSendTimeoutMs, &got)) {
    return false;
  }
  buffer.back() = '\0';
  out->assign(buffer.data(), strnlen(buffer.data(), buffer.size()));
  return true;
}

// The caption of a top-level window, as stored with the window.
std::string CaptionOf(HWND window) {
  int length = ::GetWindowTextLengthA(window);
  if (length <= 0) return std::string();
  std::vector<char> buffer(static_cast<std::size_t>(length) + 2, '\0');
  int n = ::GetWindowTextA(window, buffer.data(), static_cast<int>(buffer.size()));
  if (n <= 0) return std::string();
  return std::string(buffer.data(), strnlen(buffer.data(), buffer.size()));
}

// The stored title of any window, without asking it (cheap; for noticing
// changes).
std::string StoredText(HWND window) {
  wchar_t buffer[512] = {};
  int n = ::InternalGetWindowText(window, buffer, 512);
  std::string out;
  for (int i = 0; i < n; ++i) {
    out += static_cast<char>(buffer[i] & 0x7F);
  }
  return out;
}

// The entries of a list box of the other process (LB_GETTEXT is carried
// between processes for list boxes that hold strings). False when the
// window is no list box or does not answer.
bool ReadListEntries(HWND list, std::vector<std::string>* entries) {
  entries->clear();
  if (_stricmp(ClassOf(list).c_str(), "ListBox") != 0) return false;
  DWORD_PTR count = 0;
  if (!::SendMessageTimeoutA(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &count))
    return false;
  if (static_cast<LRESULT>(count) < 0) return false;
  for (DWORD_PTR i = 0; i < count && i < 100000; ++i) {
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(list, LB_GETTEXTLEN, i, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                               &length) ||
        static_cast<LRESULT>(length) < 0) {
      return false;
    }
    if (length > (1u << 20)) return false;
    // Asked in UTF-16: Wine carries an ANSI LB_GETTEXT between processes
    // with only its first character.
    std::vector<wchar_t> buffer(length + 2, L'\0');
    DWORD_PTR got = 0;
    if (!::SendMessageTimeoutW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buffer.data()),
                               SMTO_ABORTIFHUNG, kSendTimeoutMs, &got)) {
      return false;
    }
    buffer.back() = L'\0';
    int wide = static_cast<int>(wcsnlen(buffer.data(), buffer.size()));
    std::string entry;
    if (wide > 0) {
      int bytes = ::WideCharToMultiByte(1252, 0, buffer.data(), wide, nullptr, 0, nullptr, nullptr);
      if (bytes > 0) {
        entry.resize(static_cast<std::size_t>(bytes));
        ::WideCharToMultiByte(1252, 0, buffer.data(), wide, entry.data(), bytes, nullptr, nullptr);
      }
    }
    entries->push_back(entry);
  }
  return true;
}

// The text of a list box item of another process, in Windows-1252. The
// wide call: an ANSI LB_GETTEXT across processes is not converted back by
// Wine when the list keeps its strings in Unicode (the file dialog's
// lists), and arrives as its first character only. False for an item
// that cannot be read or is longer than any item here can be.
bool ListItemText(HWND list, int index, std::string* out) {
  DWORD_PTR length = 0;
  if (!::SendMessageTimeoutW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0, SMTO_ABORTIFHUNG,
                             kSendTimeoutMs, &length) ||
      static_cast<LRESULT>(length) == LB_ERR || length > 4096) {
    return false;
  }
  std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1, L'\0');
  DWORD_PTR got = 0;
  if (!::SendMessageTimeoutW(list, LB_GETTEXT, static_cast<WPARAM>(index),
                             reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                             kSendTimeoutMs, &got) ||
      static_cast<LRESULT>(got) == LB_ERR || got > length) {
    return false;
  }
  const int wide = static_cast<int>(got);
  int bytes = ::WideCharToMultiByte(1252, 0, buffer.data(), wide, nullptr, 0, nullptr, nullptr);
  out->assign(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
  if (bytes > 0) {
    ::WideCharToMultiByte(1252, 0, buffer.data(), wide, out->data(), bytes, nullptr, nullptr);
  }
  return true;
}

std::string ProgramsFolder() {
  char path[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathA(nullptr, CSIDL_PROGRAMS | CSIDL_FLAG_CREATE, nullptr, 0, path)))
    return std::string();
  return path;
}

}  // namespace uidriver
