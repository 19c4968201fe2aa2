#include "install/rollback.h"

#include <cstdio>

#include "install/copy_buffer.h"
#include "setup/unattended.h"
#include "text/text.h"

namespace install {
namespace {

namespace err = platform::err;
using File = setup::RollbackRecord::File;

// The most backups one run numbers; past it no further backup is made.
constexpr unsigned kMaxBackups = 99999999u;

File* FindFile(setup::SetupState& state, const std::string& path) {
  for (File& file : state.rollback.files) {
    if (text::EqualsIgnoreCase(file.path, path)) return &file;
  }
  return nullptr;
}

bool IsMissing(std::uint32_t error) {
  return error == err::kFileNotFound || error == err::kPathNotFound;
}

// The attributes the record holds for `path` from before this run changed
// them, else `current`.
std::uint32_t AttributesBefore(const setup::SetupState& state, const std::string& path,
                               std::uint32_t current) {
  for (const auto& [noted, attributes] : state.rollback.attributesBefore) {
    if (text::EqualsIgnoreCase(noted, path)) return attributes;
  }
  return current;
}

// The backup folder, made (hidden) when first needed; "" when it cannot be.
std::string BackupDir(setup::SetupState& state) {
  setup::RollbackRecord& record = state.rollback;
  if (!record.backupDir.empty()) return record.backupDir;
  if (state.installDir.empty()) return {};
  platform::FileSystem& files = state.machine.files;
  const std::string dir = state.installDir + "\\" + kBackupDirName;
  platform::FileStatus status;
  if (files.GetFileStatus(dir, &status) == err::kSuccess) {
    // Left by a run that could not finish: used as it is, and left.
    if ((status.attributes & platform::attr::kDirectory) == 0) return {};
  } else if (files.CreateDirectory(dir) == err::kSuccess) {
    files.SetFileAttributes(dir, platform::attr::kHidden);
    record.createdDirs.push_back(dir);
    setup::LogRollback(state, "backups of replaced files go to " + dir);
  } else {
    return {};
  }
  record.backupDir = dir;
  return dir;
}

// A name in the backup folder that nothing has yet.
std::string FreeBackupName(setup::SetupState& state, const std::string& dir) {
  platform::FileStatus status;
  for (unsigned n = static_cast<unsigned>(state.rollback.files.size()) + 1; n <= kMaxBackups; ++n) {
    char name[24];
    std::snprintf(name, sizeof name, "\\%08u.BAK", n);
    const std::string candidate = dir + name;
    const std::uint32_t e = state.machine.files.GetFileStatus(candidate, &status);
    if (IsMissing(e)) return candidate;
    if (e != err::kSuccess) return {};
  }
  return {};
}

// Copies `from` to `to` block by block through the copy buffer; a copy
// that could not be completed is removed again.
bool CopyWhole(platform::FileSystem& files, const std::string& from, const std::string& to) {
  std::uint32_t error = err::kSuccess;
  platform::FileHandle in = files.Open(from, platform::OpenMode::kRead, &error);
  if (in == platform::kInvalidFile) return false;
  platform::FileHandle out = files.Open(to, platform::OpenMode::kWriteCreate, &error);
  if (out == platform::kInvalidFile) {
    files.Close(in);
    return false;
  }
  std::uint8_t* const buffer = CopyBuffer();
  bool ok = true;
  for (;;) {
    std::uint32_t got = 0;
    if (files.Read(in, buffer, kCopyBlockSize, &got) != err::kSuccess) {
      ok = false;
      break;
    }
    if (got == 0) break;
    std::uint32_t written = 0;
    if (files.Write(out, buffer, got, &written) != err::kSuccess || written != got) {
      ok = false;
      break;
    }
  }
  files.Close(in);
  files.Close(out);
  if (!ok) files.DeleteFile(to);
  return ok;
}

// Whether the file at `path` could be opened for writing now: what the
// copy engine's creation needs. A file in use, read-only or refused is
// left as it is, so that the creation fails as it always did.
bool CanBeReplaced(platform::FileSystem& files, const std::string& path) {
  std::uint32_t error = err::kSuccess;
  platform::FileHandle h = files.Open(path, platform::OpenMode::kAppend, &error);
  if (h == platform::kInvalidFile) return false;
  files.Close(h);
  return true;
}

File ExistingFile(const setup::SetupState& state, const std::string& path,
                  const platform::FileStatus& status) {
  File file;
  file.path = path;
  file.existed = true;
  file.attributes = AttributesBefore(state, path, status.attributes);
  file.lastWriteUnix = status.lastWriteUnix;
  return file;
}

void NoteCreated(setup::SetupState& state, const std::string& path) {
  File file;
  file.path = path;
  state.rollback.files.push_back(file);
}

// Gives a restored file back its attributes (and, from a copy, its time).
void RestoreAttributes(platform::FileSystem& files, const File& file) {
  if (file.backupIsCopy) files.SetFileTimes(file.path, file.lastWriteUnix);
  std::uint32_t now = 0;
  if (files.GetFileAttributes(file.path, &now) == err::kSuccess && now != file.attributes) {
    files.SetFileAttributes(file.path, file.attributes != 0 ? file.attributes : platform::attr::kNormal);
  }
}

// One file put back; false (with why) when it could not be.
bool PutBack(setup::SetupState& state, const File& file, std::string* why) {
  platform::FileSystem& files = state.machine.files;
  if (!file.existed) {
    const std::uint32_t e = files.DeleteFile(file.path);
    if (e == err::kSuccess || IsMissing(e)) {
      if (e == err::kSuccess) setup::LogRollback(state, "removed " + file.path);
      return true;
    }
    *why = "it could not be removed (error " + std::to_string(e) + ")";
    return false;
  }
  if (file.backup.empty()) {
    *why = "no copy of what it held could be kept";
    return false;
  }
  // The backup is this run's own (a copy too): it goes back in one move.
  const std::uint32_t e = files.MoveFileReplacing(file.backup, file.path);
  if (e != err::kSuccess) {
    *why = "what it held is in " + file.backup + " (error " + std::to_string(e) + ")";
    return false;
  }
  RestoreAttributes(files, file);
  setup::LogRollback(state, "restored " + file.path);
  return true;
}

}  // namespace

Kept KeepBeforeReplacing(setup::SetupState& state, const std::string& path) {
  if (FindFile(state, path) != nullptr) return Kept::kAlready;
  platform::FileSystem& files = state.machine.files;
  platform::FileStatus status;
  const std::uint32_t e = files.GetFileStatus(path, &status);
  if (IsMissing(e)) {
    NoteCreated(state, path);
    return Kept::kCreated;
  }
  if (e != err::kSuccess || (status.attributes & platform::attr::kDirectory) != 0 ||
      !CanBeReplaced(files, path)) {
    return Kept::kUntouched;
  }
  File file = ExistingFile(state, path, status);
  const std::string dir = BackupDir(state);
  const std::string backup = dir.empty() ? std::string() : FreeBackupName(state, dir);
  // Moved, not copied: no room is needed on the drive, and the file is out
  // of the way of its replacement.
  if (!backup.empty() && files.MoveFile(path, backup) == err::kSuccess) file.backup = backup;
  const Kept kept = file.backup.empty() ? Kept::kLost : Kept::kBackedUp;
  if (kept == Kept::kLost) setup::LogRollback(state, "no backup could be made of " + path);
  state.rollback.files.push_back(file);
  return kept;
}

void ReplacementFailed(setup::SetupState& state, const std::string& path, Kept kept) {
  if (kept != Kept::kCreated && kept != Kept::kBackedUp && kept != Kept::kLost) return;
  std::vector<File>& list = state.rollback.files;
  if (list.empty() || !text::EqualsIgnoreCase(list.back().path, path)) return;
  const File file = list.back();
  list.pop_back();
  platform::FileSystem& files = state.machine.files;
  if (!file.existed || file.backup.empty()) return;
  if (file.backupIsCopy) {
    files.DeleteFile(file.backup);
    return;
  }
  if (files.MoveFile(file.backup, path) != err::kSuccess) {
    // Still kept: the record puts it back at the end of the run.
    list.push_back(file);
  }
}

void KeepBeforeChanging(setup::SetupState& state, const std::string& path) {
  if (FindFile(state, path) != nullptr) return;
  platform::FileSystem& files = state.machine.files;
  platform::FileStatus status;
  const std::uint32_t e = files.GetFileStatus(path, &status);
  if (IsMissing(e)) {
    NoteCreated(state, path);
    return;
  }
  if (e != err::kSuccess || (status.attributes & platform::attr::kDirectory) != 0) return;
  File file = ExistingFile(state, path, status);
  const std::string dir = BackupDir(state);
  const std::string backup = dir.empty() ? std::string() : FreeBackupName(state, dir);
  if (!backup.empty() && CopyWhole(files, path, backup)) {
    file.backup = backup;
    file.backupIsCopy = true;
  } else {
    setup::LogRollback(state, "no backup could be made of " + path);
  }
  state.rollback.files.push_back(file);
}

void NoteReplacedWithBackup(setup::SetupState& state, const std::string& path,
                            const std::string& backup) {
  if (FindFile(state, path) != nullptr) return;
  platform::FileStatus status;
  if (state.machine.files.GetFileStatus(backup, &status) != err::kSuccess) return;
  File file = ExistingFile(state, path, status);
  file.backup = backup;
  file.keepBackup = true;
  state.rollback.files.push_back(file);
}

void NoteCreatedFile(setup::SetupState& state, const std::string& path) {
  if (FindFile(state, path) == nullptr) NoteCreated(state, path);
}

void NoteAttributesBefore(setup::SetupState& state, const std::string& path,
                          std::uint32_t attributes) {
  for (const auto& noted : state.rollback.attributesBefore) {
    if (text::EqualsIgnoreCase(noted.first, path)) return;
  }
  state.rollback.attributesBefore.emplace_back(path, attributes);
}

void NoteCreatedDirectory(setup::SetupState& state, const std::string& path) {
  for (const std::string& dir : state.rollback.createdDirs) {
    if (text::EqualsIgnoreCase(dir, path)) return;
  }
  state.rollback.createdDirs.push_back(path);
}

void DiscardBackups(setup::SetupState& state) {
  setup::RollbackRecord& record = state.rollback;
  platform::FileSystem& files = state.machine.files;
  for (const File& file : record.files) {
    if (file.backup.empty() || file.keepBackup) continue;
    platform::FileStatus status;
    if (IsMissing(files.GetFileStatus(file.path, &status))) {
      // Its replacement was never made: what it held goes back.
      files.MoveFile(file.backup, file.path);
    } else {
      files.DeleteFile(file.backup);
    }
  }
  for (const std::string& dir : record.createdDirs) {
    if (text::EqualsIgnoreCase(dir, record.backupDir)) files.RemoveDirectory(dir);
  }
  record.files.clear();
  record.backupDir.clear();
}

void RollBackFiles(setup::SetupState& state, std::vector<std::string>* notRestored) {
  setup::RollbackRecord& record = state.rollback;
  platform::FileSystem& files = state.machine.files;
  for (auto it = record.files.rbegin(); it != record.files.rend(); ++it) {
    std::string why;
    if (!PutBack(state, *it, &why)) {
      setup::LogRollback(state, "could not restore " + it->path + ": " + why);
      notRestored->push_back(it->path);
    }
  }
  // Attributes changed on a file the run then did not replace.
  for (const auto& [path, attributes] : record.attributesBefore) {
    if (FindFile(state, path) != nullptr) continue;
    files.SetFileAttributes(path, attributes != 0 ? attributes : platform::attr::kNormal);
  }
  for (auto it = record.createdDirs.rbegin(); it != record.createdDirs.rend(); ++it) {
    const std::uint32_t e = files.RemoveDirectory(*it);
    if (e == err::kSuccess) {
      setup::LogRollback(state, "removed directory " + *it);
    } else if (!IsMissing(e)) {
      setup::LogRollback(state, "kept directory " + *it + ", which is not empty");
    }
  }
  record.files.clear();
  record.attributesBefore.clear();
  record.createdDirs.clear();
  record.backupDir.clear();
}

}  // namespace install
