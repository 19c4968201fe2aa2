// What the uninstaller removes from the disk: the program files (the files
// of the uninstall log, or the whole install directory), the directory
// itself, and the two files the product leaves outside it.
//
//   uninstall::RemoveProgramFiles(state, uninstall::FileRemoval::kSelective);
//   uninstall::DeleteDirectoryTree(files, "C:\\TAPE");  // 1: searched and removed
#pragma once

#include <string>

#include "platform/machine.h"
#include "setup/state.h"

namespace uninstall {

// How the program files are removed: only the files the uninstall log
// names, or the whole install directory tree; or, for an installation that
// never got its uninstall entry, only the logged files its file list puts
// where the log says (kUnregistered: no registry entry, no group, no extra
// files, and directories only where an ownership record names them).
enum class FileRemoval { kSelective = 0, kComplete = 1, kUnregistered = 2 };

// Whether the uninstall directory holds an installation that stopped
// before its uninstall entry was registered (killed, power lost, or
// stopped by a failure or Cancel that took nothing back): its uninstall log
// is there, but its installed SETUP.DAT holds no entry number ("SeqID" is
// written once the entry is registered) or the number "xx" (no entry could
// be registered). Such an installation made no program group either.
bool IsUnregisteredInstallation(setup::SetupState& state);

// Restart mode, before the description is read: when the installed
// SETUP.DAT cannot be read (the installation stopped before it was copied
// whole) but the uninstall log is there, the SETUP.DAT beside the running
// program (its module's directory) stands in for it, if it reads and is a distribution disk's (it
// holds no entry number): the uninstaller started from the first disk,
// `A:\SETUP.EXE /restart "<dir>"`, then knows the product's file list and
// language. True when the restart description path now names it.
bool UseDiskDescription(setup::SetupState& state);

// The files of an unregistered installation: a line of its uninstall log
// is deleted only when the file list of the SETUP.DAT read puts a file of
// that name at that place (install::InstallsFileAt: the uninstall
// directory, a sub-directory of the list, LFNBK.EXE in the Windows
// directory, a ".VXD" in its SYSTEM directory), then the log itself. A
// log that cannot be opened is reported as for Selective.
void RemoveUnregisteredFiles(setup::SetupState& state);

// The longest path DeleteDirectoryTree searches.
constexpr std::size_t kMaxTreePathLength = 255;

// Deletes everything below `path`, depth first, then the directory itself.
// 1 when the directory could be searched; 0 for an empty path, one longer
// than 255 characters, or a directory that cannot be searched. Failures to
// delete are passed over: read-only files stay, and so do their
// directories. A link (a reparse point: junction or symbolic link) inside
// the tree is removed as a link and never followed, so nothing outside the
// tree is deleted through it.
int DeleteDirectoryTree(platform::FileSystem& files, const std::string& path);

// Whether Complete may remove the uninstall directory's whole tree: only
// when this installation created it (install::MayRemoveWholeTree), and
// never for a drive root, the Windows directory, one above or below it, or
// the program files directory itself.
bool MayRemoveWholeDirectory(const setup::SetupState& state);

// Deletes SAILE.INI at the root of the program's drive (in the temporary
// copy, the Windows drive) and the LFNADMIN tree at the root of the Windows
// drive. Failures are passed over.
void RemoveExtraFiles(setup::SetupState& state);

// The removal of the program files (for kUnregistered: the files of
// RemoveUnregisteredFiles, then the recorded directories as for Selective;
// no extra files): the logged files and, when empty, the
// directories setup created (Selective), or the logged files and the whole
// tree (Complete, where allowed; elsewhere as Selective), then the current
// directory moves to the drive's root so that the uninstall directory can
// go, the directory itself if setup created it and it is empty (in a silent run
// after HandOffLauncherFile has taken the waiting uninstaller's own file
// out of it), and the extra files.
void RemoveProgramFiles(setup::SetupState& state, FileRemoval option);

// The name the installed uninstaller's own file is moved to, in the Windows
// directory, when a silent removal cannot delete it.
constexpr char kMovedUninstallerName[] = "UNINSTY$.EXE";

// What became of the installed uninstaller's file in a silent removal.
enum class LauncherFile {
  kGone,         // deleted with the other files, or never there
  kMovedAside,   // in use: moved to the Windows directory, the directory gone
  kAtNextStart,  // in use and not movable: deleted when Windows next starts
  kStays,        // in use, not movable, and no deletion could be arranged
};

// A silent removal runs in the temporary copy while the installed
// uninstaller that started it waits for its exit code, so that program's
// own file, UNINSTAL.EXE, is in use and cannot be deleted. It is moved out
// of the directory instead, to the Windows directory beside the temporary
// copy (a running program's file can be renamed on Windows NT, and under
// Wine), replacing what an earlier removal left there, and the directory
// goes. Where it cannot be moved (Windows 95 keeps a running program's
// file where it is) it is deleted when Windows next starts: by
// MoveFileExA on Windows NT, which then also removes the empty directory,
// or by a "NUL=" line of WININIT.INI on Windows 95 and 98 (only when the
// file has no such line yet: a profile file holds one value per name, and
// another program's deletion must not be lost). Each outcome is logged.
LauncherFile HandOffLauncherFile(setup::SetupState& state);

}  // namespace uninstall
