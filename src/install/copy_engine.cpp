#include "install/copy_engine.h"

#include <cstdint>

#include "install/copy_buffer.h"
#include "install/copy_progress_dialog.h"
#include "install/file_list.h"
#include "install/install_text.h"
#include "install/uninstall_log.h"
#include "text/text.h"

namespace install {
namespace {

using text::Contains;
using text::ToUpperAscii;

// Inside a run only: a file transfer error was reported; the user decides
// at the end whether the installation goes on.
constexpr int kCopyTransferError = 3;

enum class Placement { kInstallDir, kWindowsDir, kSystemDir };

// The destination name of an entry without "/R": the last component of
// the expanded name, with its leading backslash.
std::string ExpandedDestination(const std::string& expandedPath) {
  std::size_t slash = expandedPath.rfind('\\');
  if (slash == std::string::npos) return "\\" + expandedPath;
  return expandedPath.substr(slash);
}

void RefuseEntry(setup::SetupState& state, const DiskEntry& entry, const char* reason) {
  std::string text = "Invalid file list entry:\n" + entry.sourceName + "\n(" + reason + ")\nExiting.";
  state.machine.ui.MessageBox(state.backgroundWindow, text, "Program Error",
                              platform::mb::kOk | platform::mb::kIconError);
}

// The name a compressed file records in its header is outside input as
// well: an entry without "/R" whose expanded name is not a plain file name
// is refused before anything of its disk is copied. So is an entry that
// would be installed over the uninstall log, which must keep naming every
// installed file.
bool CheckDestinations(setup::SetupState& state, const DiskTable& table) {
  for (const DiskEntry& entry : table.entries) {
    std::string name = entry.installName;
    if (name.empty()) {
      std::string expanded = state.machine.lz.GetExpandedName(state.sourceDir + "\\" + entry.sourceName);
      name = ExpandedDestination(expanded).substr(1);
      if (!IsPlainFileName(name) || name.size() > kLastEntryNameMax) {
        RefuseEntry(state, entry, "the name stored in the compressed file is not a plain file name");
        return false;
      }
    }
    if (entry.subDir.empty() && text::EqualsIgnoreCase(name, kUninstallLogName)) {
      RefuseEntry(state, entry, "it would replace the uninstall log");
      return false;
    }
  }
  return true;
}

// Builds and checks the table of a disk; kDiskTableFailed after the
// failure has been reported.
int PrepareDisk(setup::SetupState& state, int disk, DiskTable* table) {
  int count = BuildDiskTable(state, disk, table);
  if (count > 0 && !CheckDestinations(state, *table)) count = kDiskTableFailed;
  return count;
}

void ShowFileError(setup::SetupState& state, platform::WindowHandle owner, setup::MsgId id,
                   const std::string& path) {
  state.machine.ui.MessageBox(owner, FillPlaceholder(setup::Msg(state, id, setup::kText), path),
                              setup::Msg(state, id, setup::kCaption),
                              platform::mb::kOk | platform::mb::kIconError);
}

void CloseLz(platform::Lz& lz, int handle) {
  if (handle >= 0) lz.Close(handle);
}

std::uint32_t Blocks(std::uint32_t size) { return size / kCopyBlockSize; }

}  // namespace

int CopyProductFiles(setup::SetupState& state, const std::string& installDir) {
  platform::Machine& machine = state.machine;
  platform::Ui& ui = machine.ui;
  std::uint8_t* const buffer = CopyBuffer();

  // 1. The uninstall log. Without it nothing is copied: a file the log does
  // not name could never be found again by the uninstaller.
  UninstallLog log;
  if (OpenUninstallLog(machine.files, installDir, &log) != platform::err::kSuccess) {
    ShowFileError(state, state.backgroundWindow, setup::MSG_WRITE_ERROR, log.path);
    return kCopyFailed;
  }

  // 2. Disk count and the table of disk 1. Identification files have room
  // for one digit, so no disk above 9 is ever asked for.
  int diskCount = DecimalValue(state.values.mct);
  if (diskCount > kHighestDisk) diskCount = kHighestDisk;
  int disk = kLowestDisk;
  DiskTable table;
  int result = kCopyDone;
  bool abort = false;
  int count = PrepareDisk(state, disk, &table);
  if (count < 0) {
    result = kCopyFailed;
    count = 0;
  }

  // 3. The progress dialog; from now on it owns the engine's messages.
  CopyProgressDialog dialog(state);
  platform::WindowHandle owner =
      state.backgroundWindow != platform::kNoWindow ? state.backgroundWindow : ui.GetMainWindow();
  if (dialog.Create(owner)) ui.ShowWindow(dialog.Window(), platform::sw::kShow);

  // 4.
  const std::uint32_t fileTotal = state.fileCount > 0 ? static_cast<std::uint32_t>(state.fileCount) : 0u;
  {
    DiskEntry first = table.entries.empty() ? DiskEntry() : table.entries.front();
    dialog.UpdateProgress(ProgressMode::kBegin, first.sourceName, Blocks(first.sourceSize), fileTotal);
  }

  // 5. Entry after entry, disk after disk.
  int index = 0;
  while (index < count) {
    const DiskEntry entry = table.entries[static_cast<std::size_t>(index)];
    bool toCopy = true;

    const std::string sourcePath = state.sourceDir + "\\" + entry.sourceName;
    const int lzHandle = machine.lz.Open(sourcePath);

    std::string destination = entry.installName.empty()
                                  ? ExpandedDestination(machine.lz.GetExpandedName(sourcePath))
                                  : "\\" + entry.installName;
    const std::string shownSource = ToUpperAscii(sourcePath);

    if (Contains(destination, "\\SCD.EXE")) state.schedulerInstalled = true;

    const std::string setupExe = "\\SETUP.EXE";
    std::size_t at = destination.find(setupExe);
    if (at != std::string::npos) destination.replace(at, setupExe.size(), "\\UNINSTAL.EXE");

    std::string targetDir = installDir;
    Placement placement = Placement::kInstallDir;
    if (Contains(destination, "\\LFNBK.EXE")) placement = Placement::kWindowsDir;
    if (Contains(destination, ".VXD")) placement = Placement::kSystemDir;

    const bool passedOver = (Contains(entry.platform, "95") && state.windowsNt) ||
                            (Contains(entry.platform, "NT") && !state.windowsNt);

    // The sub-directory is made for every entry that names one, also for
    // one passed over or placed in the Windows directories.
    if (!entry.subDir.empty()) {
      targetDir += "\\" + entry.subDir;
      platform::FileStatus status;
      if (machine.files.GetFileStatus(targetDir, &status) != platform::err::kSuccess &&
          machine.files.CreateDirectory(targetDir) != platform::err::kSuccess) {
        ui.MessageBox(dialog.Window(), targetDir, "Cannot create directory",
                      platform::mb::kOk | platform::mb::kIconError);
        CloseLz(machine.lz, lzHandle);
        result = kCopyFailed;
        break;
      }
    }

    if (passedOver) {
      dialog.CountSkippedFile();
      CloseLz(machine.lz, lzHandle);
      toCopy = false;
    } else if (placement == Placement::kWindowsDir) {
      const std::string existing = state.windowsDir + destination;
      std::uint32_t attributes = 0;
      if (machine.files.GetFileAttributes(existing, &attributes) == platform::err::kSuccess &&
          (attributes & platform::attr::kReadOnly) != 0) {
        attributes &= ~platform::attr::kReadOnly;
        machine.files.SetFileAttributes(existing, attributes != 0 ? attributes : platform::attr::kNormal);
      }
      targetDir = state.windowsDir;
    } else if (placement == Placement::kSystemDir) {
      targetDir = state.windowsDir + "\\SYSTEM";
    }

    if (toCopy) {
      const std::string target = targetDir + destination;

      // Logged before it is created, so that a file whose creation fails
      // is listed too. A line that cannot be written stops copying like a
      // file that cannot be created: no file is made that the log misses.
      if (LogInstalledFile(log, target) != platform::err::kSuccess) {
        ShowFileError(state, dialog.Window(), setup::MSG_WRITE_ERROR, log.path);
        CloseLz(machine.lz, lzHandle);
        result = kCopyTransferError;
        abort = true;
        break;
      }

      std::uint32_t error = platform::err::kSuccess;
      platform::FileHandle out = machine.files.Open(target, platform::OpenMode::kWriteCreate, &error);
      if (out == platform::kInvalidFile) {
        ShowFileError(state, dialog.Window(), setup::MSG_WRITE_ERROR, target);
        CloseLz(machine.lz, lzHandle);
        result = kCopyTransferError;
        abort = true;
        break;
      }

      if (disk == kLowestDisk && index == 0) {
        dialog.UpdateProgress(ProgressMode::kBegin, target, Blocks(entry.sourceSize), fileTotal);
      } else {
        dialog.UpdateProgress(ProgressMode::kNextFile, target, Blocks(entry.sourceSize), 0);
      }

      // A compressed file that ends before the length its header records
      // reads without error; the total read is compared with that length.
      const std::int64_t expected = lzHandle >= 0 ? machine.lz.ExpandedLength(lzHandle) : -1;
      std::int64_t total = 0;
      int got = 0;
      do {
        got = lzHandle >= 0 ? machine.lz.Read(lzHandle, buffer, static_cast<int>(kCopyBlockSize)) : -1;
        if (got < 0) {
          ShowFileError(state, dialog.Window(), setup::MSG_READ_ERROR, shownSource);
          result = kCopyTransferError;
        } else {
          if (got > static_cast<int>(kCopyBlockSize)) got = static_cast<int>(kCopyBlockSize);
          if (got > 0) {
            std::uint32_t written = 0;
            std::uint32_t writeError =
                machine.files.Write(out, buffer, static_cast<std::uint32_t>(got), &written);
            if (writeError != platform::err::kSuccess || written != static_cast<std::uint32_t>(got)) {
              ShowFileError(state, dialog.Window(), setup::MSG_WRITE_ERROR, target);
              result = kCopyTransferError;
            }
          }
          total += got;
          if (got < static_cast<int>(kCopyBlockSize) && expected >= 0 && total != expected) {
            ShowFileError(state, dialog.Window(), setup::MSG_READ_ERROR, shownSource);
            result = kCopyTransferError;
          }
        }
        dialog.UpdateProgress(ProgressMode::kBlock, std::string(), 0, 0);
        if (dialog.CancelRequested()) {
          abort = true;
          result = kCopyCancelled;
          break;
        }
      } while (got == static_cast<int>(kCopyBlockSize));

      CloseLz(machine.lz, lzHandle);
      machine.files.Close(out);
      if (abort) break;

      // The installed SETUP.DAT keeps the time of copying: the setup run
      // writes into it later.
      if (!Contains(target, "SETUP.DAT")) {
        machine.files.SetFileTimes(target, entry.timeStamp);
      }
    }

    // End of the disk: ask for the next one and build its table.
    if (DiskFinished(table, entry.sourceName, disk, diskCount)) {
      ++disk;
      if (RequestDisk(state, disk, dialog.Window()) != kDiskInPlace) {
        result = kCopyFailed;
        break;
      }
      count = PrepareDisk(state, disk, &table);
      if (count < 0) {
        result = kCopyFailed;
        break;
      }
      index = 0;
      continue;
    }
    ++index;
  }

  // 6. End of the run.
  if (!abort) dialog.UpdateProgress(ProgressMode::kComplete, std::string(), 0, 0);
  if (result == kCopyTransferError) {
    int answer = ui.MessageBox(dialog.Window(),
                               setup::Msg(state, setup::MSG_CONTINUE_AFTER_ERROR, setup::kText),
                               setup::Msg(state, setup::MSG_CONTINUE_AFTER_ERROR, setup::kCaption),
                               platform::mb::kYesNo | platform::mb::kIconQuestion);
    result = answer == platform::answer::kYes ? kCopyDone : kCopyCancelled;
  }
  dialog.DestroyWindow();
  CloseUninstallLog(log);
  return result;
}

}  // namespace install
