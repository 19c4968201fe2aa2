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
// names, or the whole install directory tree.
enum class FileRemoval { kSelective = 0, kComplete = 1 };

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

// Removes the directories below `path` that are empty or hold only empty
// directories, depth first; files are never touched, links never followed.
// 1 when the directory could be searched, else 0 (as DeleteDirectoryTree).
int RemoveEmptyDirectories(platform::FileSystem& files, const std::string& path);

// Whether Complete may remove the uninstall directory's whole tree: not for
// a drive root, the Windows directory or one above it, its SYSTEM or
// SYSTEM32 directory, or the program files directory itself.
bool MayRemoveWholeDirectory(const setup::SetupState& state);

// Deletes SAILE.INI at the root of the program's drive (in the temporary
// copy, the Windows drive) and the LFNADMIN tree at the root of the Windows
// drive. Failures are passed over.
void RemoveExtraFiles(setup::SetupState& state);

// The removal of the program files: the logged files and the directories
// they leave empty (Selective), or the logged files and the whole tree
// (Complete, where allowed; elsewhere as Selective), then
// the current directory moves to the drive's root so that the uninstall
// directory can go, the directory itself if it is empty, and the extra
// files.
void RemoveProgramFiles(setup::SetupState& state, FileRemoval option);

}  // namespace uninstall
