#include "ui/directory_rules.h"

#include <vector>

namespace ui {

// ---------------------------------------------------------------- creation

int CreateDirectoryPath(platform::FileSystem& files, const std::string& path) {
  // The prefixes, whole path first, then the text before each backslash
  // scanning from the end towards the colon, ending with the drive.
  std::vector<std::string> prefixes;
  prefixes.push_back(path);
  const std::size_t colon = path.find(':');
  for (std::size_t i = path.size(); i-- > 0 && prefixes.size() < kMaxPathPrefixes;) {
    if (colon != std::string::npos && i <= colon) break;
    if (path[i] == '\\') prefixes.push_back(path.substr(0, i));
  }

  int position = 0;
  bool createdLast = false;
  const int count = static_cast<int>(prefixes.size());
  while (position >= 0 && position < count) {
    const std::string& prefix = prefixes[static_cast<std::size_t>(position)];
    if (prefix.size() == 2 && prefix[1] == ':') return 1;  // just the drive
    const std::uint32_t error = files.CreateDirectory(prefix);
    if (error == 0 || error == platform::err::kAccessDenied) {
      createdLast = error == 0;
      --position;  // the next longer prefix
    } else {
      createdLast = false;
      ++position;  // the next shorter prefix
    }
  }
  return position < 0 && createdLast ? 0 : 1;
}

// ---------------------------------------------------------------- checks

namespace {

// Windows-1252 upper case, as Windows compares names.
char Fold(char ch) {
  unsigned char c = static_cast<unsigned char>(ch);
  if (c >= 'a' && c <= 'z') return static_cast<char>(c - 32);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char>(c - 32);
  if (c == 0x9A || c == 0x9C || c == 0x9E) return static_cast<char>(c - 16);  // š œ ž
  if (c == 0xFF) return static_cast<char>(0x9F);                               // ÿ
  return ch;
}

// A path as Windows would reach it: its root ("C:" or "\\SERVER\SHARE")
// and its components, without empty and "." components, ".." applied (never
// above the root), trailing dots and blanks dropped, folded to upper case.
struct Canonical {
  bool valid = false;
  std::string root;
  std::vector<std::string> parts;
};

Canonical Canonicalise(const std::string& path) {
  std::string p = path;
  for (char& ch : p) {
    if (ch == '/') ch = '\\';
    ch = Fold(ch);
  }
  Canonical out;
  std::size_t start = 0;
  if (p.size() >= 2 && p[0] == '\\' && p[1] == '\\') {
    // \\server\share: both names make the root.
    std::size_t server = p.find('\\', 2);
    if (server == std::string::npos || server == 2) return out;
    std::size_t share = p.find('\\', server + 1);
    if (share == std::string::npos) share = p.size();
    if (share == server + 1) return out;
    out.root = p.substr(0, share);
    start = share;
  } else if (p.size() >= 2 && p[1] == ':') {
    out.root = p.substr(0, 2);
    start = 2;
  } else {
    return out;
  }
  out.valid = true;
  std::size_t i = start;
  while (i <= p.size()) {
    std::size_t next = p.find('\\', i);
    if (next == std::string::npos) next = p.size();
    std::string part = p.substr(i, next - i);
    while (!part.empty() && (part.back() == '.' || part.back() == ' ')) {
      if (part == "." || part == "..") break;
      part.pop_back();
    }
    if (part == "..") {
      if (!out.parts.empty()) out.parts.pop_back();
    } else if (!part.empty() && part != ".") {
      out.parts.push_back(part);
    }
    i = next + 1;
  }
  return out;
}

// `a` is `b` or a directory above it.
bool IsSameOrAbove(const Canonical& a, const Canonical& b) {
  if (!a.valid || !b.valid || a.root != b.root || a.parts.size() > b.parts.size()) return false;
  for (std::size_t i = 0; i < a.parts.size(); ++i) {
    if (a.parts[i] != b.parts[i]) return false;
  }
  return true;
}

bool IsNameCharacter(unsigned char c) {
  if (c < 32) return false;
  switch (c) {
    case '<': case '>': case '"': case '|': case '*': case '?': case '/': case ':':
      return false;
    default:
      return true;
  }
}

bool HasValidForm(const std::string& dir) {
  if (dir.size() > kMaxInstallDirLength) return false;
  const unsigned char drive = static_cast<unsigned char>(dir[0]);
  const bool letter = (drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z');
  if (dir.size() < 4 || !letter || dir[1] != ':' || dir[2] != '\\') return false;
  int backslashes = 0;
  for (char ch : dir) backslashes += ch == '\\';
  if (backslashes > kMaxInstallDirBackslashes) return false;
  std::size_t i = 3;
  while (i <= dir.size()) {
    std::size_t next = dir.find('\\', i);
    if (next == std::string::npos) next = dir.size();
    const std::string part = dir.substr(i, next - i);
    if (part.empty() || part == "." || part == "..") return false;
    if (part.back() == '.' || part.back() == ' ') return false;
    for (char ch : part) {
      if (!IsNameCharacter(static_cast<unsigned char>(ch))) return false;
    }
    i = next + 1;
  }
  return true;
}

}  // namespace

bool IsProtectedDirectory(const std::string& dir, const std::string& windowsDir,
                          const std::string& programFilesDir) {
  const Canonical d = Canonicalise(dir);
  if (!d.valid) return false;
  if (d.parts.empty()) return true;  // a drive or share root
  if (IsSameOrAbove(d, Canonicalise(windowsDir))) return true;
  if (!programFilesDir.empty()) {
    const Canonical p = Canonicalise(programFilesDir);
    if (IsSameOrAbove(d, p) && d.parts.size() == p.parts.size()) return true;
  }
  return false;
}

DirText CheckInstallDirText(const std::string& dir, const std::string& windowsDir,
                            const std::string& programFilesDir) {
  if (dir.find(':') == std::string::npos || dir.find('\\') == std::string::npos) {
    return DirText::kIncomplete;
  }
  if (IsProtectedDirectory(dir, windowsDir, programFilesDir)) return DirText::kNotAllowed;
  if (!HasValidForm(dir)) return DirText::kInvalid;
  return DirText::kAcceptable;
}

// ---------------------------------------------------------------- placement

Point DesktopCentrePosition(const platform::Rect& desktop, const platform::Rect& window) {
  return Point{(desktop.Width() - window.Width()) / 2, (desktop.Height() - window.Height()) / 2};
}

Point CenterWindowOnDesktop(platform::Ui& ui, platform::WindowHandle window, bool queryOnly) {
  const Point centre = DesktopCentrePosition(ui.GetDesktopRect(), ui.GetWindowRect(window));
  if (!queryOnly) ui.MoveWindow(window, centre.x, centre.y + kBelowCentre);
  return centre;
}

void CenterWindowOver(platform::Ui& ui, platform::WindowHandle window,
                      platform::WindowHandle owner) {
  const platform::Rect over =
      owner != platform::kNoWindow ? ui.GetWindowRect(owner) : ui.GetDesktopRect();
  const platform::Rect own = ui.GetWindowRect(window);
  ui.MoveWindow(window, over.left + (over.Width() - own.Width()) / 2,
                over.top + (over.Height() - own.Height()) / 2);
}

}  // namespace ui
