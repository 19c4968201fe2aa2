#include "install/ownership.h"

#include <algorithm>

#include "install/file_list.h"
#include "install/uninstall_log.h"
#include "text/text.h"

namespace install {
namespace {

constexpr char kSection[] = "Misc";
constexpr char kInstallDirCreatedKey[] = "InstallDirCreated";
constexpr char kCreatedDirsKey[] = "CreatedDirs";
constexpr char kCreatedDirKey[] = "CreatedDir";
constexpr std::uint32_t kValueSize = 260;

std::string DescriptionPath(const std::string& dir) { return dir + "\\SETUP.DAT"; }

bool IsDirectory(platform::FileSystem& files, const std::string& path) {
  platform::FileStatus status;
  return files.GetFileStatus(path, &status) == platform::err::kSuccess &&
         (status.attributes & platform::attr::kDirectory) != 0;
}

bool IsFile(platform::FileSystem& files, const std::string& path) {
  platform::FileStatus status;
  return files.GetFileStatus(path, &status) == platform::err::kSuccess &&
         (status.attributes & platform::attr::kDirectory) == 0;
}

std::string FoldedName(std::string name) {
  for (char& ch : name) ch = text::FoldName(ch);
  return name;
}

bool HasWildcard(const std::string& name) { return name.find_first_of("*?") != std::string::npos; }

// The long name of the entry `name` of the directory `dir`, or "" when the
// search finds none.
std::string LongNameIn(platform::FileSystem& files, const std::string& dir, const std::string& name) {
  std::vector<platform::FindData> found;
  if (HasWildcard(name) || files.FindFiles(dir + "\\" + name, &found) != platform::err::kSuccess) {
    return {};
  }
  for (const platform::FindData& entry : found) {
    if (entry.name != "." && entry.name != ".." && !entry.name.empty()) return entry.name;
  }
  return {};
}

bool Contains(const std::vector<std::string>& list, const std::string& value) {
  for (const std::string& item : list) {
    if (text::EqualsIgnoreCase(item, value)) return true;
  }
  return false;
}

// Whether a file-list line installs a file of the name `upperName`: its
// "/R" name, else its source name as it stands (a plain file) or as it
// expands (a compressed name ends in "_": the header keeps the character
// it stands for, or the "_" was appended to the whole name).
bool InstallsName(const FileListLine& line, const std::string& upperName) {
  std::string source = FoldedName(line.name);
  if (!line.installName.empty()) return FoldedName(line.installName) == upperName;
  if (source == upperName) return true;
  if (source.empty() || source.back() != '_') return false;
  const std::string stem = source.substr(0, source.size() - 1);
  if (stem == upperName) return true;
  return source.size() == upperName.size() && upperName.compare(0, stem.size(), stem) == 0;
}

// The directory the copy engine puts a file of that destination name into
// outside the install directory ("" for the install directory itself).
std::string OutsidePlacement(const std::string& upperName, const std::string& windowsDir) {
  const std::string destination = "\\" + upperName;
  if (text::Contains(destination, ".VXD")) return windowsDir + "\\SYSTEM";
  if (text::Contains(destination, "\\LFNBK.EXE")) return windowsDir;
  return {};
}

}  // namespace

text::WindowsPath ResolveLongPath(platform::FileSystem& files, const std::string& path) {
  const std::string shown = LongPathText(files, path);
  return shown.empty() ? text::WindowsPath() : text::ResolvePath(shown);
}

std::string LongPathText(platform::FileSystem& files, const std::string& path) {
  const text::WindowsPath resolved = text::ResolvePath(path);
  if (!resolved.valid) return {};
  std::string walked = resolved.root;
  bool exists = true;
  for (const std::string& part : resolved.parts) {
    std::string name = part;
    if (exists) {
      const std::string found = LongNameIn(files, walked, part);
      if (found.empty()) {
        exists = false;
      } else {
        name = found;
      }
    }
    walked += "\\" + name;
  }
  return resolved.parts.empty() ? walked + "\\" : walked;
}

bool IsProtectedDirectory(platform::FileSystem& files, const std::string& dir,
                          const std::string& windowsDir, const std::string& programFilesDir) {
  const text::WindowsPath d = ResolveLongPath(files, dir);
  if (!d.valid) return false;
  if (d.parts.empty()) return true;  // a drive or share root
  const text::WindowsPath windows = ResolveLongPath(files, windowsDir);
  if (windows.valid && (text::IsSameOrBelow(windows, d) || text::IsSameOrBelow(d, windows))) {
    return true;
  }
  if (!programFilesDir.empty() &&
      text::IsSamePath(d, ResolveLongPath(files, programFilesDir))) {
    return true;
  }
  return false;
}

std::string ProgramFilesDirOf(const setup::SetupState& state) {
  const std::size_t cut = state.defaultInstallDir.rfind('\\');
  return cut == std::string::npos ? std::string() : state.defaultInstallDir.substr(0, cut);
}

void NoteInstallDirBefore(setup::SetupState& state) {
  setup::OwnershipRecord& record = state.ownership;
  record = setup::OwnershipRecord();
  record.present = true;
  platform::FileSystem& files = state.machine.files;
  if (!IsDirectory(files, state.installDir)) {
    record.installDirCreated = true;
    return;
  }
  // An earlier installation of the product here: what it created is still
  // the product's.
  if (IsFile(files, state.installDir + "\\" + kUninstallLogName)) {
    const setup::OwnershipRecord earlier = ReadOwnershipRecord(state.machine, state.installDir);
    if (earlier.present) record = earlier;
  }
}

void NoteCreatedSubDirectory(setup::SetupState& state, const std::string& subDir) {
  setup::OwnershipRecord& record = state.ownership;
  if (!record.present || Contains(record.createdDirs, subDir)) return;
  if (static_cast<int>(record.createdDirs.size()) >= kMaxRecordedDirs) return;
  record.createdDirs.push_back(subDir);
}

bool WriteOwnershipRecord(setup::SetupState& state) {
  const setup::OwnershipRecord& record = state.ownership;
  if (!record.present) return false;
  const std::string file = DescriptionPath(state.installDir);
  if (!IsFile(state.machine.files, file)) return false;
  platform::Profile& profile = state.machine.profile;
  bool written = profile.WriteString(kSection, kInstallDirCreatedKey,
                                     record.installDirCreated ? "yes" : "no", file);
  written = profile.WriteString(kSection, kCreatedDirsKey,
                                std::to_string(record.createdDirs.size()), file) && written;
  for (std::size_t i = 0; i < record.createdDirs.size(); ++i) {
    written = profile.WriteString(kSection, kCreatedDirKey + std::to_string(i + 1),
                                  record.createdDirs[i], file) && written;
  }
  return written;
}

setup::OwnershipRecord ReadOwnershipRecord(platform::Machine& machine, const std::string& dir) {
  setup::OwnershipRecord record;
  const std::string file = DescriptionPath(dir);
  platform::Profile& profile = machine.profile;
  const std::string created = profile.GetString(kSection, kInstallDirCreatedKey, "", kValueSize, file);
  if (!text::EqualsIgnoreCase(created, "yes") && !text::EqualsIgnoreCase(created, "no")) {
    return record;  // no record: an installation of an earlier setup program
  }
  record.present = true;
  record.installDirCreated = text::EqualsIgnoreCase(created, "yes");
  const int count = std::clamp(
      DecimalValue(profile.GetString(kSection, kCreatedDirsKey, "0", kValueSize, file)), 0,
      kMaxRecordedDirs);
  for (int i = 1; i <= count; ++i) {
    const std::string subDir =
        profile.GetString(kSection, kCreatedDirKey + std::to_string(i), "", kValueSize, file);
    // Only a plain relative path stays below the directory.
    if (IsRelativeSubDirectory(subDir) && !Contains(record.createdDirs, subDir)) {
      record.createdDirs.push_back(subDir);
    }
  }
  return record;
}

bool MayRemoveWholeTree(const setup::SetupState& state) {
  platform::FileSystem& files = state.machine.files;
  if (!ResolveLongPath(files, state.uninstallDir).valid) return false;
  if (IsProtectedDirectory(files, state.uninstallDir, state.windowsDir, ProgramFilesDirOf(state))) {
    return false;
  }
  const setup::OwnershipRecord record = ReadOwnershipRecord(state.machine, state.uninstallDir);
  return record.present && record.installDirCreated;
}

void LoadOwnershipRecord(setup::SetupState& state) {
  state.ownership = ReadOwnershipRecord(state.machine, state.uninstallDir);
}

bool CreatedInstallDir(const setup::SetupState& state) {
  return state.ownership.present && state.ownership.installDirCreated;
}

std::vector<std::string> CreatedDirectories(const setup::SetupState& state) {
  const setup::OwnershipRecord& record = state.ownership;
  const text::WindowsPath dir = text::ResolvePath(state.uninstallDir);
  std::vector<text::WindowsPath> below;
  for (const std::string& subDir : record.createdDirs) {
    const text::WindowsPath path = text::ResolvePath(state.uninstallDir + "\\" + subDir);
    if (path.valid && text::IsSameOrBelow(path, dir) && path.parts.size() > dir.parts.size()) {
      below.push_back(path);
    }
  }
  // Deepest first, so that a directory is empty of its own created ones
  // when its turn comes.
  std::stable_sort(below.begin(), below.end(), [](const text::WindowsPath& a, const text::WindowsPath& b) {
    return a.parts.size() > b.parts.size();
  });
  std::vector<std::string> out;
  for (const text::WindowsPath& path : below) out.push_back(path.Text());
  return out;
}

bool InstallsFileAt(const setup::SetupState& state, const text::WindowsPath& path) {
  if (!path.valid || path.parts.empty()) return false;
  const std::string& name = path.parts.back();
  text::WindowsPath parent = path;
  parent.parts.pop_back();
  const std::string outside = OutsidePlacement(name, state.windowsDir);
  for (const std::string& text : state.fileList) {
    const FileListLine line = ParseFileListLine(text);
    // The setup program itself is installed as the uninstaller.
    if (!InstallsName(line, name) && !(name == "UNINSTAL.EXE" && InstallsName(line, "SETUP.EXE"))) {
      continue;
    }
    std::string dir = outside;
    if (dir.empty()) {
      if (!line.subDir.empty() && !IsRelativeSubDirectory(line.subDir)) continue;
      dir = state.uninstallDir + (line.subDir.empty() ? "" : "\\" + line.subDir);
    }
    if (text::IsSamePath(parent, text::ResolvePath(dir))) return true;
  }
  return false;
}

bool IsInstalledOutside(const setup::SetupState& state, const text::WindowsPath& path) {
  if (!path.valid || path.parts.empty()) return false;
  if (OutsidePlacement(path.parts.back(), state.windowsDir).empty()) return false;
  return InstallsFileAt(state, path);
}

}  // namespace install
