#include "ui/directory_rules.h"

#include <vector>

#include "install/ownership.h"
#include "text/windows_path.h"

namespace ui {

// ---------------------------------------------------------------- creation

namespace {

bool IsExistingDirectory(platform::FileSystem& files, const std::string& path) {
  platform::FileStatus status;
  return files.GetFileStatus(path, &status) == 0 && (status.attributes & platform::attr::kDirectory);
}

// The going-up half of the walk: creates prefixes[from], prefixes[from - 1],
// ..., the whole path last. True when the whole path was created now; false
// at the first level that fails (the levels below it cannot be made).
bool CreateLevelsAbove(platform::FileSystem& files, const std::vector<std::string>& prefixes,
                       int from, std::vector<std::string>* created) {
  for (int position = from; position >= 0; --position) {
    const std::string& level = prefixes[static_cast<std::size_t>(position)];
    if (files.CreateDirectory(level) != 0) return false;
    if (created != nullptr) created->push_back(level);
  }
  return true;
}

}  // namespace

int CreateDirectoryPath(platform::FileSystem& files, const std::string& path,
                        std::vector<std::string>* created) {
  // The prefixes, whole path first, then the text before each backslash
  // scanning from the end towards the colon, ending with the drive.
  std::vector<std::string> prefixes;
  prefixes.push_back(path);
  const std::size_t colon = path.find(':');
  for (std::size_t i = path.size(); i-- > 0 && prefixes.size() < kMaxPathPrefixes;) {
    if (colon != std::string::npos && i <= colon) break;
    if (path[i] == '\\') prefixes.push_back(path.substr(0, i));
  }

  // The walk goes down (shorter prefixes) while a level's parent is
  // missing, turns once at the first level that exists or is created now,
  // and then goes up creating the levels below it. It never turns back
  // down, so it ends on every answer: a level that can be neither created
  // nor found to exist (access denied, write-protected media, a drive not
  // ready, an error not foreseen) ends it with 1.
  const int count = static_cast<int>(prefixes.size());
  int position = 0;
  for (;;) {
    if (position >= count) return 1;  // past the last prefix kept
    const std::string& prefix = prefixes[static_cast<std::size_t>(position)];
    if (prefix.size() == 2 && prefix[1] == ':') return 1;  // just the drive
    const std::uint32_t error = files.CreateDirectory(prefix);
    if (error == 0) {
      if (created != nullptr) created->push_back(prefix);
      break;
    }
    if (error == platform::err::kPathNotFound) {
      ++position;  // the parent is missing: the next shorter prefix
      continue;
    }
    if (!IsExistingDirectory(files, prefix)) return 1;
    // It exists (some media answer access denied for an existing
    // directory): nothing was created at this level.
    if (position == 0) return 1;
    --position;
    return CreateLevelsAbove(files, prefixes, position, created) ? 0 : 1;
  }
  if (position == 0) return 0;
  return CreateLevelsAbove(files, prefixes, position - 1, created) ? 0 : 1;
}

// ---------------------------------------------------------------- checks

std::string TakeInstallDirText(const std::string& typed) {
  std::string dir;
  dir.reserve(typed.size());
  // Runs of backslashes become one once the "X:\" start is past.
  for (std::size_t i = 0; i < typed.size(); ++i) {
    if (typed[i] == '\\' && i > 2 && !dir.empty() && dir.back() == '\\') continue;
    dir.push_back(typed[i]);
  }
  const bool driveStart = dir.size() >= 3 && dir[1] == ':' && dir[2] == '\\';
  const std::size_t keep = driveStart ? 3 : 1;  // "X:\" stays; so does a lone "\"
  for (;;) {
    const std::size_t before = dir.size();
    while (dir.size() > keep && dir.back() == '\\') dir.pop_back();
    const std::size_t cut = dir.rfind('\\');
    const std::string last = cut == std::string::npos ? dir : dir.substr(cut + 1);
    if (last != "." && last != "..") {
      while (dir.size() > keep && (dir.back() == '.' || dir.back() == ' ') &&
             (cut == std::string::npos || dir.size() > cut + 1)) {
        dir.pop_back();
      }
    }
    if (dir.size() == before) return dir;
  }
}

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
