#include "install/shared_libraries.h"

#include <cstdio>

#include "install/copy_buffer.h"
#include "install/install_text.h"
#include "install/rollback.h"

namespace install {
namespace {

namespace err = platform::err;
using platform::FileHandle;

constexpr int kMaxBackupNumber = 99999;

// A file opened here; closed when it goes out of scope.
class ScopedFile {
 public:
  ScopedFile(platform::FileSystem& files, const std::string& path, platform::OpenMode mode)
      : files_(files), handle_(files.Open(path, mode, &error_)) {}
  ~ScopedFile() {
    if (handle_ != platform::kInvalidFile) files_.Close(handle_);
  }
  ScopedFile(const ScopedFile&) = delete;
  ScopedFile& operator=(const ScopedFile&) = delete;
  bool ok() const { return handle_ != platform::kInvalidFile; }
  std::uint32_t error() const { return error_; }
  FileHandle get() const { return handle_; }

 private:
  platform::FileSystem& files_;
  std::uint32_t error_ = 0;
  FileHandle handle_;
};

bool Exists(platform::FileSystem& files, const std::string& path) {
  platform::FileStatus status;
  return files.GetFileStatus(path, &status) == err::kSuccess;
}

void ShowFileError(setup::SetupState& state, setup::MsgId id, const std::string& path) {
  std::string text = FillPlaceholder(setup::Msg(state, id, setup::kText), path);
  std::string caption = setup::Msg(state, id, setup::kCaption);
  state.machine.ui.MessageBox(state.backgroundWindow, text, caption,
                              platform::mb::kOk | platform::mb::kIconError);
}

CopyResult CopyBlocks(setup::SetupState& state, const ScopedFile& in, const ScopedFile& out,
                      const std::string& source, const std::string& destination) {
  platform::FileSystem& files = state.machine.files;
  std::uint8_t* buffer = CopyBuffer();
  for (;;) {
    std::uint32_t got = 0, written = 0;
    if (files.Read(in.get(), buffer, kCopyBlockSize, &got) != err::kSuccess) {
      ShowFileError(state, setup::MSG_READ_ERROR, source);
      return CopyResult::kReadFailed;
    }
    if (got > kCopyBlockSize) got = kCopyBlockSize;
    if (got > 0 && files.Write(out.get(), buffer, got, &written) != err::kSuccess) {
      ShowFileError(state, setup::MSG_WRITE_ERROR, destination);
      return CopyResult::kWriteFailed;
    }
    if (got != kCopyBlockSize) return CopyResult::kCopied;
  }
}

std::string LastComponent(const std::string& path) {
  std::size_t cut = path.find_last_of('\\');
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

// The short name of the last component of `path`, or `longName`.
std::string ShortNameOf(platform::FileSystem& files, const std::string& path,
                        const std::string& longName) {
  std::string shortPath;
  if (files.GetShortPathName(path, &shortPath) != err::kSuccess) return longName;
  std::string name = LastComponent(shortPath);
  return name.empty() ? longName : name;
}

// The run's backup numbering: one counter for all libraries.
class BackupNames {
 public:
  // The first free name "<path without extension>.NNN" from the counter on;
  // empty when none is free.
  std::string Next(platform::FileSystem& files, const std::string& systemCopy) {
    std::size_t dot = systemCopy.find_last_of('.');
    std::string stem = dot == std::string::npos ? systemCopy : systemCopy.substr(0, dot);
    std::string candidate = Name(stem, 0);
    while (Exists(files, candidate)) {
      if (++counter_ > kMaxBackupNumber) return {};
      candidate = Name(stem, counter_);
    }
    return candidate;
  }

 private:
  static std::string Name(const std::string& stem, int number) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%03d", number);
    return stem + suffix;
  }
  int counter_ = 0;
};

// Why a library's copy in the system directory needs to be replaced.
bool ShippedIsNewer(platform::Versions& versions, const std::string& systemCopy,
                    const std::string& shippedCopy) {
  // A file without version information counts as version 0: an unversioned
  // system copy gives way to a versioned one, never the other way round,
  // and two unversioned copies are left as they are.
  std::uint64_t systemVersion = 0, shippedVersion = 0;
  ReadFileVersion(versions, systemCopy, &systemVersion);
  ReadFileVersion(versions, shippedCopy, &shippedVersion);
  return shippedVersion > systemVersion;
}

enum class LibraryOutcome { kDone, kWaitsForRestart, kFailed };

LibraryOutcome ReplaceWithNewer(setup::SetupState& state, BackupNames& backups,
                                const std::string& systemCopy, const std::string& shippedCopy) {
  platform::FileSystem& files = state.machine.files;
  std::string backup = backups.Next(files, systemCopy);
  if (backup.empty() || CopyPlainFile(state, systemCopy, backup) != CopyResult::kCopied)
    return LibraryOutcome::kFailed;
  // The backup is this run's file; once the system copy is replaced, it
  // holds what a stopped installation puts back.
  NoteCreatedFile(state, backup);
  switch (CopyPlainFile(state, shippedCopy, systemCopy)) {
    case CopyResult::kCopied:
      NoteReplacedWithBackup(state, systemCopy, backup);
      files.DeleteFile(shippedCopy);
      return LibraryOutcome::kDone;
    case CopyResult::kDestinationInUse:
      ReplaceAtNextStart(state, systemCopy, shippedCopy);
      return LibraryOutcome::kWaitsForRestart;
    case CopyResult::kWriteFailed:
    case CopyResult::kReadFailed:
      // The system copy was cut short: the backup takes its place again.
      files.MoveFileReplacing(backup, systemCopy);
      return LibraryOutcome::kFailed;
    default:
      return LibraryOutcome::kFailed;
  }
}

LibraryOutcome BringLibraryUpToDate(setup::SetupState& state, BackupNames& backups,
                                    const std::string& name) {
  platform::FileSystem& files = state.machine.files;
  std::string systemCopy =
      state.windowsDir + (state.windowsNt ? "\\SYSTEM32" : "\\SYSTEM") + name;
  std::string shippedCopy = state.installDir + name;
  if (!Exists(files, shippedCopy)) return LibraryOutcome::kDone;
  if (!Exists(files, systemCopy)) {
    if (files.MoveFile(shippedCopy, systemCopy) == err::kSuccess) NoteCreatedFile(state, systemCopy);
    return LibraryOutcome::kDone;
  }
  if (state.windowsNt) return LibraryOutcome::kDone;
  if (!ShippedIsNewer(state.machine.versions, systemCopy, shippedCopy)) {
    files.DeleteFile(shippedCopy);
    return LibraryOutcome::kDone;
  }
  return ReplaceWithNewer(state, backups, systemCopy, shippedCopy);
}

}  // namespace

std::uint64_t VersionNumber(const platform::FileVersion& v) {
  return (static_cast<std::uint64_t>(v.ms) << 32) | v.ls;
}

int ReadFileVersion(platform::Versions& versions, const std::string& path,
                    std::uint64_t* version) {
  std::uint32_t error = 0;
  if (versions.GetFileVersionInfoSize(path, &error) == 0) return 1;
  platform::FileVersion fixed;
  if (versions.GetFixedFileVersion(path, &fixed) != err::kSuccess) return 1;
  *version = VersionNumber(fixed);
  return 0;
}

CopyResult CopyPlainFile(setup::SetupState& state, const std::string& source,
                         const std::string& destination) {
  platform::FileSystem& files = state.machine.files;
  ScopedFile in(files, source, platform::OpenMode::kRead);
  if (!in.ok()) {
    ShowFileError(state, setup::MSG_INIT_FILE_ERROR, source);
    return CopyResult::kSourceNotOpened;
  }
  ScopedFile out(files, destination, platform::OpenMode::kWriteCreate);
  if (!out.ok()) {
    if (out.error() == err::kSharingViolation) return CopyResult::kDestinationInUse;
    ShowFileError(state, setup::MSG_INIT_FILE_ERROR, destination);
    return CopyResult::kDestinationNotOpened;
  }
  return CopyBlocks(state, in, out, source, destination);
}

std::string ShortInstallDirPath(setup::SetupState& state) {
  const std::string& dir = state.installDir;
  if (dir.size() < 2 || dir[1] != ':') return dir;
  std::string result = dir.substr(0, 2);
  std::size_t pos = dir.find('\\', 2);
  while (pos != std::string::npos) {
    std::size_t next = dir.find('\\', pos + 1);
    std::string prefix = dir.substr(0, next);
    std::string longName = dir.substr(pos + 1, next == std::string::npos ? next : next - pos - 1);
    if (!longName.empty()) {
      result.push_back('\\');
      result.append(ShortNameOf(state.machine.files, prefix, longName));
    }
    pos = next;
  }
  return result;
}

void ReplaceAtNextStart(setup::SetupState& state, const std::string& systemCopy,
                        const std::string& shippedCopy) {
  if (state.windowsNt) {
    state.machine.files.MoveFileAtReboot(shippedCopy, systemCopy);
    return;
  }
  std::string shortShipped = ShortInstallDirPath(state);
  shortShipped.push_back('\\');
  shortShipped.append(ShortNameOf(state.machine.files, shippedCopy, LastComponent(shippedCopy)));
  const std::string wininit = state.windowsDir + "\\WININIT.INI";
  KeepBeforeChanging(state, wininit);
  state.machine.profile.WriteString("rename", systemCopy, shortShipped, wininit);
}

SharedLibrariesResult ReplaceSharedLibraries(setup::SetupState& state) {
  BackupNames backups;
  SharedLibrariesResult result = SharedLibrariesResult::kDone;
  for (const char* name : kSharedLibraries) {
    switch (BringLibraryUpToDate(state, backups, name)) {
      case LibraryOutcome::kDone: break;
      case LibraryOutcome::kWaitsForRestart: result = SharedLibrariesResult::kRestartNeeded; break;
      case LibraryOutcome::kFailed: return SharedLibrariesResult::kCopyFailed;
    }
  }
  return result;
}

}  // namespace install
