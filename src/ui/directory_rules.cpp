#include "ui/directory_rules.h"

#include <vector>

#include "install/ownership.h"
#include "text/windows_path.h"

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

bool IsProtectedDirectory(platform::FileSystem& files, const std::string& dir,
                          const std::string& windowsDir, const std::string& programFilesDir) {
  return install::IsProtectedDirectory(files, dir, windowsDir, programFilesDir);
}

std::string ProgramFilesDirOf(const setup::SetupState& state) {
  return install::ProgramFilesDirOf(state);
}

DirText CheckInstallDirText(platform::FileSystem& files, const std::string& dir,
                            const std::string& windowsDir, const std::string& programFilesDir) {
  if (dir.find(':') == std::string::npos || dir.find('\\') == std::string::npos) {
    return DirText::kIncomplete;
  }
  if (IsProtectedDirectory(files, dir, windowsDir, programFilesDir)) return DirText::kNotAllowed;
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
