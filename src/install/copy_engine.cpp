#include "install/copy_engine.h"

#include <cstdint>
#include <limits>
#include <utility>

#include "install/checksum.h"
#include "install/copy_buffer.h"
#include "install/copy_progress_dialog.h"
#include "install/file_list.h"
#include "install/install_text.h"
#include "install/ownership.h"
#include "install/rollback.h"
#include "install/uninstall_log.h"
#include "setup/unattended.h"
#include "text/text.h"

namespace install {
namespace {

using text::Contains;
using text::ToUpperAscii;

// ---------------------------------------------------------------- handles

// A source file opened for expanded reading; closed when it goes out of
// scope unless closed before. A failed open is kept as such: reading it
// fails, so it shows up as a read error on the first block.
class LzFile {
 public:
  LzFile(platform::Lz& lz, const std::string& path) : lz_(&lz), handle_(lz.Open(path)) {}
  ~LzFile() { Close(); }
  LzFile(LzFile&& other) noexcept : lz_(other.lz_), handle_(std::exchange(other.handle_, -1)) {}
  LzFile& operator=(LzFile&& other) noexcept {
    if (this != &other) {
      Close();
      lz_ = other.lz_;
      handle_ = std::exchange(other.handle_, -1);
    }
    return *this;
  }
  LzFile(const LzFile&) = delete;
  LzFile& operator=(const LzFile&) = delete;

  // Bytes read, less than `size` only at the end of the data; negative on
  // an error or when the file could not be opened.
  int Read(std::uint8_t* buffer, int size) { return handle_ >= 0 ? lz_->Read(handle_, buffer, size) : -1; }
  // The length the data should have once expanded; -1 when not known.
  std::int64_t ExpandedLength() { return handle_ >= 0 ? lz_->ExpandedLength(handle_) : -1; }
  void Close() {
    if (handle_ >= 0) lz_->Close(std::exchange(handle_, -1));
  }

 private:
  platform::Lz* lz_;
  int handle_;
};

// A target file created for writing (replacing an existing one); closed
// when it goes out of scope unless closed before.
class OutputFile {
 public:
  OutputFile(platform::FileSystem& files, const std::string& path) : files_(&files) {
    std::uint32_t error = platform::err::kSuccess;
    handle_ = files.Open(path, platform::OpenMode::kWriteCreate, &error);
  }
  ~OutputFile() { Close(); }
  OutputFile(OutputFile&& other) noexcept
      : files_(other.files_), handle_(std::exchange(other.handle_, platform::kInvalidFile)) {}
  OutputFile& operator=(OutputFile&& other) noexcept {
    if (this != &other) {
      Close();
      files_ = other.files_;
      handle_ = std::exchange(other.handle_, platform::kInvalidFile);
    }
    return *this;
  }
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  bool IsOpen() const { return handle_ != platform::kInvalidFile; }
  // True when all `size` bytes were written.
  bool WriteAll(const std::uint8_t* bytes, std::uint32_t size) {
    std::uint32_t written = 0;
    return files_->Write(handle_, bytes, size, &written) == platform::err::kSuccess && written == size;
  }
  // Sets its last-access and last-write time through the open handle.
  std::uint32_t SetTimes(std::int64_t unixSeconds) { return files_->SetOpenFileTimes(handle_, unixSeconds); }
  void Close() {
    if (IsOpen()) files_->Close(std::exchange(handle_, platform::kInvalidFile));
  }

 private:
  platform::FileSystem* files_;
  platform::FileHandle handle_ = platform::kInvalidFile;
};

// ---------------------------------------------------------------- where a file goes

enum class Placement { kInstallDir, kWindowsDir, kSystemDir };

// The destination name of an entry without "/R": the last component of
// the expanded name, with its leading backslash.
std::string ExpandedDestination(const std::string& expandedPath) {
  std::size_t slash = expandedPath.rfind('\\');
  if (slash == std::string::npos) return "\\" + expandedPath;
  return expandedPath.substr(slash);
}

// A backslash and the name the file is installed under: the "/R" name, or
// else the name its compressed header records. The setup program itself is
// installed as the uninstaller.
std::string DestinationName(platform::Lz& lz, const DiskEntry& entry, const std::string& sourcePath) {
  std::string destination = entry.installName.empty() ? ExpandedDestination(lz.GetExpandedName(sourcePath))
                                                      : "\\" + entry.installName;
  const std::string setupExe = "\\SETUP.EXE";
  std::size_t at = destination.find(setupExe);
  if (at != std::string::npos) destination.replace(at, setupExe.size(), "\\UNINSTAL.EXE");
  return destination;
}

// LFNBK.EXE goes to the Windows directory, every ".VXD" file to its SYSTEM
// directory (the second test wins), everything else to the install
// directory.
Placement PlacementOf(const std::string& destination) {
  Placement placement = Placement::kInstallDir;
  if (Contains(destination, "\\LFNBK.EXE")) placement = Placement::kWindowsDir;
  if (Contains(destination, ".VXD")) placement = Placement::kSystemDir;
  return placement;
}

// "/P95" entries are for Windows 95 and 98 only, "/PNT" entries for
// Windows NT only.
bool PassedOverOnThisPlatform(const setup::SetupState& state, const DiskEntry& entry) {
  return (Contains(entry.platform, "95") && state.windowsNt) ||
         (Contains(entry.platform, "NT") && !state.windowsNt);
}

// ---------------------------------------------------------------- checking a disk

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

// ---------------------------------------------------------------- the run

void ShowFileError(setup::SetupState& state, platform::WindowHandle owner, setup::MsgId id,
                   const std::string& path) {
  state.machine.ui.MessageBox(owner, FillPlaceholder(setup::Msg(state, id, setup::kText), path),
                              setup::Msg(state, id, setup::kCaption),
                              platform::mb::kOk | platform::mb::kIconError);
}

std::uint32_t Blocks(std::uint32_t size) { return size / kCopyBlockSize; }

// The number of files the files bar counts to. A negative count (a SETUP.DAT
// that says so, or one that lists more SCSI access layer files than it
// counts) is a maximum that is never passed, as for the unsigned count the
// dialog takes: the bar stays at 0 per cent, but the status text goes on
// naming each file and the completion text still comes. A count of 0 or
// one that is too small freezes the bar and the text once passed.
std::uint32_t FilesBarTotal(int fileCount) {
  return fileCount >= 0 ? static_cast<std::uint32_t>(fileCount) : std::numeric_limits<std::uint32_t>::max();
}

// What became of one entry of a disk table.
enum class FileResult {
  kCopied,         // written (a file of 0 bytes too)
  kSkipped,        // passed over for its platform restriction
  kTransferError,  // a read or write failed and was reported; copying goes on
  kNotCreated,     // the target or its log line could not be made; copying stops
  kCancelled,      // the user confirmed Cancel; copying stops at once
  kFailed,         // its sub-directory could not be made; copying ends, failed
};

// How the walk through the disks ended.
enum class RunEnd {
  kListDone,     // every entry handled (with or without transfer errors)
  kFailed,       // a listed file missing, a disk not supplied, a sub-directory not made
  kNotCreated,   // a target that could not be created stopped copying
  kCancelled,    // the user cancelled
};

class CopyRun {
 public:
  CopyRun(setup::SetupState& state, const std::string& installDir, UninstallLog& log)
      : state_(state), machine_(state.machine), installDir_(installDir), log_(log), dialog_(state) {}

  int Run();

 private:
  void ShowDialog();
  RunEnd CopyAllDisks(int count);
  FileResult HandleEntry(const DiskEntry& entry, bool firstOfSet);
  bool MakeSubDirectory(const std::string& directory);
  std::string TargetDirectory(const DiskEntry& entry, const std::string& destination);
  FileResult CopyFile(const DiskEntry& entry, LzFile& source, const std::string& target,
                      const std::string& shownSource, bool firstOfSet);
  FileResult CopyBlocks(const DiskEntry& entry, LzFile& source, OutputFile& out, const std::string& target,
                        const std::string& shownSource);
  bool ChecksumMatches(const DiskEntry& entry, const Crc32& crc, const std::string& shownSource);
  bool MoveToNextDisk(int* count);
  int Finish(RunEnd end);
  void ShowFileErrorNow(setup::MsgId id, const std::string& path);

  setup::SetupState& state_;
  platform::Machine& machine_;
  const std::string& installDir_;
  UninstallLog& log_;
  CopyProgressDialog dialog_;
  DiskTable table_;
  int disk_ = kLowestDisk;
  int diskCount_ = 0;
  std::uint32_t fileTotal_ = 0;
  bool transferError_ = false;
};

int CopyRun::Run() {
  // Identification files have room for one digit, so no disk above 9 is
  // ever asked for.
  diskCount_ = DecimalValue(state_.values.mct);
  if (diskCount_ > kHighestDisk) diskCount_ = kHighestDisk;
  const int count = PrepareDisk(state_, disk_, &table_);
  ShowDialog();
  // A missing file on disk 1 copies nothing, but the dialog still shows
  // its completion text.
  return Finish(count < 0 ? RunEnd::kFailed : CopyAllDisks(count));
}

// Creates and shows the progress dialog, which from now on owns the
// engine's messages, and starts it with the first entry of disk 1.
void CopyRun::ShowDialog() {
  platform::Ui& ui = machine_.ui;
  platform::WindowHandle owner =
      state_.backgroundWindow != platform::kNoWindow ? state_.backgroundWindow : ui.GetMainWindow();
  if (dialog_.Create(owner)) ui.ShowWindow(dialog_.Window(), platform::sw::kShow);
  fileTotal_ = FilesBarTotal(state_.fileCount);
  const DiskEntry first = table_.entries.empty() ? DiskEntry() : table_.entries.front();
  dialog_.UpdateProgress(ProgressMode::kBegin, first.sourceName, Blocks(first.sourceSize), fileTotal_);
}

// Entry after entry, disk after disk, until the list is done or something
// stops the copying. `count` is the entry count of disk 1's table.
RunEnd CopyRun::CopyAllDisks(int count) {
  int index = 0;
  while (index < count) {
    const DiskEntry entry = table_.entries[static_cast<std::size_t>(index)];
    switch (HandleEntry(entry, disk_ == kLowestDisk && index == 0)) {
      case FileResult::kCopied:
      case FileResult::kSkipped:
        break;
      case FileResult::kTransferError:
        transferError_ = true;
        break;
      case FileResult::kNotCreated:
        return RunEnd::kNotCreated;
      case FileResult::kCancelled:
        return RunEnd::kCancelled;
      case FileResult::kFailed:
        return RunEnd::kFailed;
    }
    // The end-of-disk test follows every handled entry, copied or passed
    // over.
    if (DiskFinished(table_, entry.sourceName, disk_, diskCount_)) {
      if (!MoveToNextDisk(&count)) return RunEnd::kFailed;
      index = 0;
      continue;
    }
    ++index;
  }
  return RunEnd::kListDone;
}

// One entry: where it goes, then its copy unless it is passed over. The
// source stays open from the start so that the machine sees the calls in
// the order the engine has always made them.
FileResult CopyRun::HandleEntry(const DiskEntry& entry, bool firstOfSet) {
  const std::string sourcePath = state_.sourceDir + "\\" + entry.sourceName;
  LzFile source(machine_.lz, sourcePath);
  const std::string destination = DestinationName(machine_.lz, entry, sourcePath);
  // A read error shows the source path in upper case.
  const std::string shownSource = ToUpperAscii(sourcePath);
  // Set also when the entry is passed over below.
  if (Contains(destination, "\\SCD.EXE")) state_.schedulerInstalled = true;

  // The sub-directory is made for every entry that names one, also for
  // one passed over or placed in the Windows directories.
  if (!entry.subDir.empty() && !MakeSubDirectory(installDir_ + "\\" + entry.subDir)) {
    return FileResult::kFailed;
  }
  if (PassedOverOnThisPlatform(state_, entry)) {
    dialog_.CountSkippedFile();
    return FileResult::kSkipped;
  }
  const std::string target = TargetDirectory(entry, destination) + destination;
  return CopyFile(entry, source, target, shownSource, firstOfSet);
}

// A file error over the progress dialog, which first shows where the copy
// is: the dialog is brought up to date before the engine asks the user
// anything.
void CopyRun::ShowFileErrorNow(setup::MsgId id, const std::string& path) {
  dialog_.Refresh();
  ShowFileError(state_, dialog_.Window(), id, path);
}

// Creates one level of directory unless it exists; tells the user when it
// cannot be made.
bool CopyRun::MakeSubDirectory(const std::string& directory) {
  platform::FileStatus status;
  if (machine_.files.GetFileStatus(directory, &status) == platform::err::kSuccess) return true;
  if (machine_.files.CreateDirectory(directory) == platform::err::kSuccess) {
    // Made now: the product's, to be removed with it.
    NoteCreatedSubDirectory(state_, directory.substr(installDir_.size() + 1));
    NoteCreatedDirectory(state_, directory);
    return true;
  }
  dialog_.Refresh();
  machine_.ui.MessageBox(dialog_.Window(), directory, "Cannot create directory",
                         platform::mb::kOk | platform::mb::kIconError);
  return false;
}

// The directory a file to be copied goes into. LFNBK.EXE replaces the copy
// in the Windows directory even when that one is read-only.
std::string CopyRun::TargetDirectory(const DiskEntry& entry, const std::string& destination) {
  switch (PlacementOf(destination)) {
    case Placement::kInstallDir:
      break;
    case Placement::kWindowsDir: {
      const std::string existing = state_.windowsDir + destination;
      std::uint32_t attributes = 0;
      if (machine_.files.GetFileAttributes(existing, &attributes) == platform::err::kSuccess &&
          (attributes & platform::attr::kReadOnly) != 0) {
        NoteAttributesBefore(state_, existing, attributes);
        attributes &= ~platform::attr::kReadOnly;
        machine_.files.SetFileAttributes(existing, attributes != 0 ? attributes : platform::attr::kNormal);
      }
      return state_.windowsDir;
    }
    case Placement::kSystemDir:
      return state_.windowsDir + "\\SYSTEM";
  }
  return entry.subDir.empty() ? installDir_ : installDir_ + "\\" + entry.subDir;
}

// Logs the target, creates it, copies the data and stamps it.
FileResult CopyRun::CopyFile(const DiskEntry& entry, LzFile& source, const std::string& target,
                             const std::string& shownSource, bool firstOfSet) {
  // Logged before it is created, so that a file whose creation fails is
  // listed too. A line that cannot be written stops copying like a file
  // that cannot be created: no file is made that the log misses.
  if (LogInstalledFile(log_, target) != platform::err::kSuccess) {
    ShowFileErrorNow(setup::MSG_WRITE_ERROR, log_.path);
    return FileResult::kNotCreated;
  }
  // What is there now is kept, to be put back should the installation stop.
  const Kept kept = KeepBeforeReplacing(state_, target);
  OutputFile out(machine_.files, target);
  if (!out.IsOpen()) {
    ReplacementFailed(state_, target, kept);
    ShowFileErrorNow(setup::MSG_WRITE_ERROR, target);
    return FileResult::kNotCreated;
  }
  if (firstOfSet) {
    dialog_.UpdateProgress(ProgressMode::kBegin, target, Blocks(entry.sourceSize), fileTotal_);
  } else {
    dialog_.UpdateProgress(ProgressMode::kNextFile, target, Blocks(entry.sourceSize), 0);
  }

  const FileResult result = CopyBlocks(entry, source, out, target, shownSource);
  source.Close();
  if (result == FileResult::kCancelled) return result;
  // The installed SETUP.DAT keeps the time of copying: the setup run
  // writes into it later. The others are stamped through the handle they
  // were written with, without opening them again by name; a machine that
  // cannot has them stamped by name once closed.
  const bool stamp = !Contains(target, "SETUP.DAT");
  const bool stamped = stamp && out.SetTimes(entry.timeStamp) == platform::err::kSuccess;
  out.Close();
  if (stamp && !stamped) machine_.files.SetFileTimes(target, entry.timeStamp);
  return result;
}

// The block loop: reads up to a block, writes it, counts it and asks the
// dialog whether the user cancelled (which lets messages through when it is
// time), until a short read. A failed read ends
// the loop; a failed write does not, so every failing block is reported.
// The checksum the list records is computed over the blocks as they pass,
// and a file whose data do not match it is a read error of that file.
FileResult CopyRun::CopyBlocks(const DiskEntry& entry, LzFile& source, OutputFile& out, const std::string& target,
                               const std::string& shownSource) {
  constexpr int kBlock = static_cast<int>(kCopyBlockSize);
  std::uint8_t* const buffer = CopyBuffer();
  // A compressed file that ends before the length its header records
  // reads without error; the total read is compared with that length.
  const std::int64_t expected = source.ExpandedLength();
  FileResult result = FileResult::kCopied;
  Crc32 crc;
  bool readErrorShown = false;
  std::int64_t total = 0;
  int got = 0;
  do {
    got = source.Read(buffer, kBlock);
    if (got < 0) {
      ShowFileErrorNow(setup::MSG_READ_ERROR, shownSource);
      result = FileResult::kTransferError;
      readErrorShown = true;
    } else {
      if (got > kBlock) got = kBlock;
      if (entry.hasChecksum) crc.Update(buffer, static_cast<std::size_t>(got));
      if (got > 0 && !out.WriteAll(buffer, static_cast<std::uint32_t>(got))) {
        ShowFileErrorNow(setup::MSG_WRITE_ERROR, target);
        result = FileResult::kTransferError;
      }
      total += got;
      if (got < kBlock && expected >= 0 && total != expected) {
        ShowFileErrorNow(setup::MSG_READ_ERROR, shownSource);
        result = FileResult::kTransferError;
        readErrorShown = true;
      }
    }
    dialog_.UpdateProgress(ProgressMode::kBlock, std::string(), 0, 0);
    if (dialog_.CancelRequested()) return FileResult::kCancelled;
  } while (got == kBlock);
  // One report a file: a file already reported unreadable is not reported
  // again for its checksum.
  if (!readErrorShown && !ChecksumMatches(entry, crc, shownSource)) result = FileResult::kTransferError;
  return result;
}

// True when the list records no checksum for the entry or the data read
// match it; otherwise the mismatch is logged and reported as a read error
// of the source file.
bool CopyRun::ChecksumMatches(const DiskEntry& entry, const Crc32& crc, const std::string& shownSource) {
  if (!entry.hasChecksum || crc.Value() == entry.checksum) return true;
  setup::LogStep(state_, "checksum of " + shownSource + " is " + ChecksumOptionText(crc.Value()).substr(2) +
                             ", the file list says " + ChecksumOptionText(entry.checksum).substr(2));
  ShowFileErrorNow(setup::MSG_READ_ERROR, shownSource);
  return false;
}

// Asks for the next disk and builds its table. False when the user gave
// up or the new disk cannot be used (both reported already).
bool CopyRun::MoveToNextDisk(int* count) {
  ++disk_;
  dialog_.Refresh();
  if (RequestDisk(state_, disk_, dialog_.Window()) != kDiskInPlace) return false;
  *count = PrepareDisk(state_, disk_, &table_);
  return *count >= 0;
}

// The completion display (unless copying was stopped), the question
// whether to go on after transfer errors, and the dialog's end.
int CopyRun::Finish(RunEnd end) {
  platform::Ui& ui = machine_.ui;
  const bool stopped = end == RunEnd::kNotCreated || end == RunEnd::kCancelled;
  if (stopped) dialog_.Refresh();
  if (!stopped) dialog_.UpdateProgress(ProgressMode::kComplete, std::string(), 0, 0);

  int result = kCopyDone;
  if (end == RunEnd::kFailed) result = kCopyFailed;
  if (end == RunEnd::kCancelled) result = kCopyCancelled;
  if (end == RunEnd::kNotCreated || (end == RunEnd::kListDone && transferError_)) {
    int answer = ui.MessageBox(dialog_.Window(),
                               setup::Msg(state_, setup::MSG_CONTINUE_AFTER_ERROR, setup::kText),
                               setup::Msg(state_, setup::MSG_CONTINUE_AFTER_ERROR, setup::kCaption),
                               platform::mb::kYesNo | platform::mb::kIconQuestion);
    result = answer == platform::answer::kYes ? kCopyDone : kCopyCancelled;
  }
  dialog_.DestroyWindow();
  return result;
}

}  // namespace

int CopyProductFiles(setup::SetupState& state, const std::string& installDir) {
  // Without the uninstall log nothing is copied: a file the log does not
  // name could never be found again by the uninstaller.
  UninstallLog log;
  const std::string logPath = installDir + "\\" + kUninstallLogName;
  const Kept kept = KeepBeforeReplacing(state, logPath);
  if (OpenUninstallLog(state.machine.files, installDir, &log) != platform::err::kSuccess) {
    ReplacementFailed(state, logPath, kept);
    ShowFileError(state, state.backgroundWindow, setup::MSG_WRITE_ERROR, log.path);
    return kCopyFailed;
  }
  const int result = CopyRun(state, installDir, log).Run();
  CloseUninstallLog(log);
  return result;
}

}  // namespace install
