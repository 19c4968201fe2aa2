#include "uninstall/removal.h"

#include <algorithm>

#include "install/ownership.h"
#include "install/uninstall_log.h"
#include "setup/unattended.h"

namespace uninstall {
namespace {

// The entries of a directory without "." and ".."; false for an empty path,
// one longer than 255 characters, or a directory that cannot be searched.
bool ListDirectory(platform::FileSystem& files, const std::string& path,
                   std::vector<platform::FindData>* entries) {
  if (path.empty() || path.size() > kMaxTreePathLength) return false;
  if (files.FindFiles(path + "\\*.*", entries) != platform::err::kSuccess) return false;
  entries->erase(std::remove_if(entries->begin(), entries->end(),
                                [](const platform::FindData& e) {
                                  return e.name == "." || e.name == "..";
                                }),
                 entries->end());
  return true;
}

}  // namespace

int DeleteDirectoryTree(platform::FileSystem& files, const std::string& path) {
  std::vector<platform::FindData> entries;
  if (!ListDirectory(files, path, &entries)) return 0;
  for (const platform::FindData& entry : entries) {
    const std::string child = path + "\\" + entry.name;
    const bool directory = (entry.attributes & platform::attr::kDirectory) != 0;
    if ((entry.attributes & platform::attr::kReparsePoint) != 0) {
      // The link itself goes; what it points to stays.
      if (directory) {
        files.RemoveDirectory(child);
      } else {
        files.DeleteFile(child);
      }
    } else if (directory) {
      DeleteDirectoryTree(files, child);
    } else {
      files.DeleteFile(child);
    }
  }
  files.RemoveDirectory(path);
  return 1;
}

bool MayRemoveWholeDirectory(const setup::SetupState& state) {
  return install::MayRemoveWholeTree(state);
}

void RemoveExtraFiles(setup::SetupState& state) {
  platform::FileSystem& files = state.machine.files;
  if (!state.sourceDir.empty()) {
    std::string saile = "x:\\SAILE.INI";
    saile[0] = state.sourceDir[0];
    files.DeleteFile(saile);
  }
  if (!state.windowsDir.empty()) {
    std::string lfnAdmin = "x:\\LFNADMIN";
    lfnAdmin[0] = state.windowsDir[0];
    DeleteDirectoryTree(files, lfnAdmin);
  }
}

void RemoveProgramFiles(setup::SetupState& state, FileRemoval option) {
  platform::FileSystem& files = state.machine.files;
  install::LoadOwnershipRecord(state);
  if (option == FileRemoval::kComplete && MayRemoveWholeDirectory(state)) {
    // The log also names the files installed outside the directory
    // (LFNBK.EXE, the virtual drivers): Complete takes them too, so that
    // it never leaves more behind than Selective. Without a log there is
    // nothing to report: the tree goes anyway.
    platform::FileStatus log;
    if (files.GetFileStatus(state.uninstallDir + "\\" + install::kUninstallLogName, &log) == 0) {
      install::RemoveLoggedFiles(state);
    }
    DeleteDirectoryTree(files, state.uninstallDir);
  } else {
    install::RemoveLoggedFiles(state);
    // The sub-directories the copy engine made are not logged; those the
    // record names go when the removal left them empty, and no other.
    for (const std::string& dir : install::CreatedDirectories(state)) files.RemoveDirectory(dir);
  }
  files.SetCurrentDirectory("\\");
  // A directory that was there before the installation stays, empty or not.
  if (install::CreatedInstallDir(state)) files.RemoveDirectory(state.uninstallDir);
  if (setup::IsSilent(state)) HandOffLauncherFile(state);
  RemoveExtraFiles(state);
}

namespace {

// Arranges for `path` to be deleted when Windows next starts; false when
// it cannot be.
bool DeleteAtNextStart(setup::SetupState& state, const std::string& path) {
  platform::FileSystem& files = state.machine.files;
  if (state.windowsNt) {
    if (files.MoveFileAtReboot(path, std::string()) != platform::err::kSuccess) return false;
    // The directory, empty by then, goes after its file, when setup made it.
    if (install::CreatedInstallDir(state)) files.MoveFileAtReboot(state.uninstallDir, std::string());
    return true;
  }
  const std::string wininit = state.windowsDir + "\\WININIT.INI";
  if (!state.machine.profile.GetString("rename", "NUL", "", 260, wininit).empty()) return false;
  std::string shortPath;
  if (files.GetShortPathName(path, &shortPath) != platform::err::kSuccess || shortPath.empty()) {
    return false;
  }
  return state.machine.profile.WriteString("rename", "NUL", shortPath, wininit);
}

}  // namespace

LauncherFile HandOffLauncherFile(setup::SetupState& state) {
  platform::FileSystem& files = state.machine.files;
  const std::string launcher = state.uninstallDir + "\\UNINSTAL.EXE";
  platform::FileStatus status;
  if (files.GetFileStatus(launcher, &status) != platform::err::kSuccess) return LauncherFile::kGone;

  const std::string aside = state.windowsDir + "\\" + kMovedUninstallerName;
  files.DeleteFile(aside);  // what an earlier removal left
  if (files.MoveFile(launcher, aside) == platform::err::kSuccess) {
    if (install::CreatedInstallDir(state)) files.RemoveDirectory(state.uninstallDir);
    setup::LogStep(state, launcher + " is the waiting uninstaller's own file: moved to " + aside);
    return LauncherFile::kMovedAside;
  }
  if (DeleteAtNextStart(state, launcher)) {
    state.removalEndsAtNextStart = true;
    setup::LogStep(state, launcher + " is the waiting uninstaller's own file: deleted when Windows next starts");
    return LauncherFile::kAtNextStart;
  }
  setup::LogStep(state, launcher + " is the waiting uninstaller's own file: it stays; delete it once this program has ended");
  return LauncherFile::kStays;
}

}  // namespace uninstall
