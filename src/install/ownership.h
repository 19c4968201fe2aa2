// What the product owns on the machine, decided in one place: which
// directories may hold it at all (never a drive root, the Windows directory,
// anything above or below it, or the program files directory itself,
// whatever the spelling), what an installation created (recorded in the
// installed SETUP.DAT beside "SeqID"), and so what the uninstaller may
// remove.
//
//   [Misc]
//   SeqID=03
//   InstallDirCreated=yes        the install directory did not exist before
//   CreatedDirs=2                the sub-directories setup created below it,
//   CreatedDir1=HELP             as the file list names them
//   CreatedDir2=HELP\DE
//
// An installation without these keys (made by an earlier setup program)
// owns no directory: Complete is refused and Selective removes files only.
//
//   install::NoteInstallDirBefore(state);     // before the directory is made
//   install::NoteCreatedSubDirectory(state, "HELP");
//   install::WriteOwnershipRecord(state);     // after copying
//   install::MayRemoveWholeTree(state);       // restart mode
#pragma once

#include <string>
#include <vector>

#include "platform/machine.h"
#include "setup/state.h"
#include "text/windows_path.h"

namespace install {

// The most sub-directories a record holds; further ones are not recorded
// (and so stay at removal).
constexpr int kMaxRecordedDirs = 64;

// `path` as Windows resolves it (case, slashes, dots, see text::ResolvePath)
// with every existing component replaced by its long name, found by
// searching for it (FindFirstFileA matches 8.3 aliases too; Windows 95 has
// no GetLongPathNameA). Components that do not exist, and any after them,
// stay as given. Not valid when the path is not a full one.
text::WindowsPath ResolveLongPath(platform::FileSystem& files, const std::string& path);
// The same path as text for the user: the existing components as they are
// stored (C:\Program Files), the rest in upper case; "" when not valid.
std::string LongPathText(platform::FileSystem& files, const std::string& path);

// Whether `dir` is a directory the product may never own as a whole: a
// drive or share root, `windowsDir`, a directory above it or below it, or
// `programFilesDir` (may be empty) itself, compared as resolved long paths.
// A path that is not a full one is not protected (its form is refused
// elsewhere).
bool IsProtectedDirectory(platform::FileSystem& files, const std::string& dir,
                          const std::string& windowsDir, const std::string& programFilesDir);

// The program files directory: the default install directory's parent
// (empty when it has none).
std::string ProgramFilesDirOf(const setup::SetupState& state);

// Install mode, before the install directory is created: whether it exists
// already, and when it holds the record of an earlier installation of the
// product (its SETUP.DAT and UNINST.LST), what that one recorded, which
// this installation keeps.
void NoteInstallDirBefore(setup::SetupState& state);

// The copy engine created the sub-directory `subDir` (relative, as the file
// list names it) of the install directory.
void NoteCreatedSubDirectory(setup::SetupState& state, const std::string& subDir);

// Writes the record into the installed SETUP.DAT (only when that file is
// there: the record is never the whole file). False when it could not be
// written.
bool WriteOwnershipRecord(setup::SetupState& state);

// The record in "<dir>\SETUP.DAT"; `present` false when it has none.
// Recorded directories that are not plain relative paths are dropped.
setup::OwnershipRecord ReadOwnershipRecord(platform::Machine& machine, const std::string& dir);

// Restart mode: whether Complete may remove the uninstall directory's
// whole tree: only a directory this installation created, and never a
// protected one.
bool MayRemoveWholeTree(const setup::SetupState& state);

// Restart mode, before any file is removed (the record lies in SETUP.DAT,
// which the uninstall log names): the uninstall directory's record into
// the setup state, where the two below read it.
void LoadOwnershipRecord(setup::SetupState& state);

// Restart mode: the full paths of the directories setup created below the
// uninstall directory, deepest first, for Selective to remove when empty.
std::vector<std::string> CreatedDirectories(const setup::SetupState& state);

// Restart mode: whether this installation created the uninstall directory
// itself (so that it goes once empty).
bool CreatedInstallDir(const setup::SetupState& state);

// Restart mode: whether the installed SETUP.DAT installs the file `path`
// (resolved) where it lies outside the install directory: LFNBK.EXE in the
// Windows directory, a name holding ".VXD" in its SYSTEM directory, each
// only when a file-list line installs that name (its "/R" name, or the name
// its source expands to).
bool IsInstalledOutside(const setup::SetupState& state, const text::WindowsPath& path);

// Restart mode: whether the installed SETUP.DAT puts a file at `path`
// (resolved): one of its names (as above, SETUP.EXE as UNINSTAL.EXE) in
// the directory the copy engine gives it (the uninstall directory or the
// line's sub-directory of it, the Windows directory, its SYSTEM
// directory). The rule for log lines in an uninstall directory that holds
// more than the product (an older installation in the Windows directory).
bool InstallsFileAt(const setup::SetupState& state, const text::WindowsPath& path);

}  // namespace install
