#include "uninstall/removal.h"

#include <algorithm>

#include "install/ownership.h"
#include "install/uninstall_log.h"
#include "setup/description.h"
#include "setup/start.h"
#include "setup/unattended.h"
#include "text/text.h"
#include "text/windows_path.h"

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

namespace {

// The lines of a text file, read whole at any length, each ended by a line
// feed (a carriage return before it and anything after a zero byte
// dropped); the last needs no line end unless reading failed before the
// end (its beginning may name another file). False when it cannot be
// opened.
bool ReadLogLines(platform::FileSystem& files, const std::string& path,
                  std::vector<std::string>* lines) {
  std::uint32_t error = platform::err::kSuccess;
  platform::FileHandle handle = files.Open(path, platform::OpenMode::kRead, &error);
  if (handle == platform::kInvalidFile) return false;
  auto take = [lines](std::string line) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t zero = line.find('\0');
    if (zero != std::string::npos) line.resize(zero);
    lines->push_back(line);
  };
  std::string line;
  char buffer[512];
  bool readFailed = false;
  for (;;) {
    std::uint32_t got = 0;
    if (files.Read(handle, buffer, sizeof buffer, &got) != platform::err::kSuccess) {
      readFailed = true;
      break;
    }
    if (got == 0) break;
    for (std::uint32_t i = 0; i < got; ++i) {
      if (buffer[i] == '\n') {
        take(line);
        line.clear();
      } else {
        line.push_back(buffer[i]);
      }
    }
  }
  if (!line.empty() && !readFailed) take(line);
  files.Close(handle);
  return true;
}

}  // namespace

bool IsUnregisteredInstallation(setup::SetupState& state) {
  platform::FileStatus log;
  if (state.machine.files.GetFileStatus(state.uninstallDir + "\\" + install::kUninstallLogName, &log) !=
          platform::err::kSuccess ||
      (log.attributes & platform::attr::kDirectory) != 0) {
    return false;
  }
  const std::string number =
      state.machine.profile.GetString("Misc", "SeqID", "", 3, state.restartDescriptionPath);
  return number.empty() || number == "xx";
}

bool UseDiskDescription(setup::SetupState& state) {
  platform::FileStatus log;
  if (state.machine.files.GetFileStatus(state.uninstallDir + "\\" + install::kUninstallLogName, &log) !=
          platform::err::kSuccess ||
      (log.attributes & platform::attr::kDirectory) != 0) {
    return false;
  }
  if (setup::ReadSetupDatFile(state) == setup::kDescriptionRead) return false;
  const std::string installed = state.restartDescriptionPath;
  // The program's own directory: on Windows 95 the source directory is
  // cut from the whole command line, which in restart mode ends in the
  // quoted directory.
  const std::string disk = setup::CutToDirectory(state.machine.system.GetModuleFileName()) + "\\SETUP.DAT";
  state.restartDescriptionPath = disk;
  // An installed SETUP.DAT (one with an entry number) beside the program
  // is another installation's: it never stands in.
  if (!text::EqualsIgnoreCase(disk, installed) && setup::ReadSetupDatFile(state) == setup::kDescriptionRead &&
      state.machine.profile.GetString("Misc", "SeqID", "", 3, disk).empty()) {
    return true;
  }
  state.restartDescriptionPath = installed;
  return false;
}

void RemoveUnregisteredFiles(setup::SetupState& state) {
  platform::FileSystem& files = state.machine.files;
  const std::string logPath = state.uninstallDir + "\\" + install::kUninstallLogName;
  std::vector<std::string> lines;
  if (!ReadLogLines(files, logPath, &lines)) {
    state.machine.ui.MessageBox(platform::kNoWindow, logPath, "Can't find file...",
                                platform::mb::kOk | platform::mb::kIconError);
    return;
  }
  for (const std::string& line : lines) {
    const text::WindowsPath path = text::ResolvePath(line);
    // Only a drive path the file list puts there: nothing else in the
    // directory, which may have held the user's files before, is taken.
    if (!path.valid || path.root.size() != 2 || line.size() < 3 || line[2] == ':') continue;
    if (!install::InstallsFileAt(state, path)) continue;
    files.DeleteFile(path.Text());  // a file already gone or in use is passed over
  }
  files.DeleteFile(logPath);
}

void RemoveProgramFiles(setup::SetupState& state, FileRemoval option) {
  platform::FileSystem& files = state.machine.files;
  install::LoadOwnershipRecord(state);
  if (option == FileRemoval::kUnregistered) {
    RemoveUnregisteredFiles(state);
    // Directories only where a record names them: without one (the
    // installation stopped before its record was written) files only.
    for (const std::string& dir : install::CreatedDirectories(state)) files.RemoveDirectory(dir);
    files.SetCurrentDirectory("\\");
    if (install::CreatedInstallDir(state)) files.RemoveDirectory(state.uninstallDir);
    if (setup::IsSilent(state)) HandOffLauncherFile(state);
    return;
  }
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
