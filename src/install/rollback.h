// The files and directories side of taking back an installation that ends
// cancelled or failed. While it runs, the installation notes here every
// file it is about to create, replace or change, and every directory it
// makes (setup::RollbackRecord in the setup state); a file that was there
// is first moved into a hidden folder of the install directory, so that
// it can be put back without room of its own on the drive:
//
//   <install dir>\SETUPBAK.$$$\00000001.BAK     what the first replaced file held
//
//   install::KeepBeforeReplacing(state, target);  // before it is created anew
//   ... create target; on failure: install::ReplacementFailed(state, target, kept);
//   install::KeepBeforeChanging(state, setupDat); // before a profile write
//   install::NoteCreatedDirectory(state, dir);
//   install::DiscardBackups(state);               // the installation completed
//   install::RollBackFiles(state, &notRestored);  // it stopped
//
// Only what the record names is ever deleted: a file is recorded as
// created only when the run found it missing just before making it.
#pragma once

#include <string>
#include <vector>

#include "setup/state.h"

namespace install {

// The hidden folder in the install directory that holds the backups.
constexpr char kBackupDirName[] = "SETUPBAK.$$$";

// What KeepBeforeReplacing found.
enum class Kept {
  kAlready,     // this run created or kept the file before: nothing to do
  kCreated,     // the file is missing: it will be this run's
  kBackedUp,    // the file was there and is kept in the backup folder
  kLost,        // the file was there, no backup could be made: it cannot come back
  kUntouched,   // the file cannot be replaced (in use, read-only, a directory,
                // not to be examined): the creation will fail as it always did
};

// Before the copy engine creates `path` anew, replacing what is there.
Kept KeepBeforeReplacing(setup::SetupState& state, const std::string& path);

// The creation of `path` failed after KeepBeforeReplacing: what was there
// goes back at once, and the record forgets what KeepBeforeReplacing
// noted (`kept`, its answer).
void ReplacementFailed(setup::SetupState& state, const std::string& path, Kept kept);

// Before `path` is changed in place (a profile write): a copy of what it
// holds is kept, or a missing file is noted as this run's.
void KeepBeforeChanging(setup::SetupState& state, const std::string& path);

// A file the design backs up itself (a shared library's ".000") was
// replaced: `backup` holds what `path` held, and stays after success.
void NoteReplacedWithBackup(setup::SetupState& state, const std::string& path,
                            const std::string& backup);

// `path` was created by moving a file of this run there.
void NoteCreatedFile(setup::SetupState& state, const std::string& path);

// The attributes `path` had before this run changed them.
void NoteAttributesBefore(setup::SetupState& state, const std::string& path,
                          std::uint32_t attributes);

// This run made the directory `path`.
void NoteCreatedDirectory(setup::SetupState& state, const std::string& path);

// The installation completed: the backups of replaced files are deleted
// (but not the design's own) and their folder goes.
void DiscardBackups(setup::SetupState& state);

// The installation stopped: every file the record names is put back as it
// was (a created one deleted, a replaced or changed one restored from its
// backup, attributes as they were), last change first; then the
// directories this run made are removed, newest first, each only when
// empty. Each step is named in the run log. `notRestored` gets, for each
// file that could not be put back, its path and why.
void RollBackFiles(setup::SetupState& state, std::vector<std::string>* notRestored);

}  // namespace install
