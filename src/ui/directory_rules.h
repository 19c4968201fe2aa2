// What the install directory dialog accepts as an install directory, the
// creation of a directory with all its missing parents, and the placement
// of dialogs on the desktop.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/machine.h"
#include "setup/state.h"

namespace ui {

// The most characters an install directory may have: room is left for the
// sub-directories and 8.3 names of the product's files below it within the
// 259 characters of a Windows path.
constexpr std::size_t kMaxInstallDirLength = 200;
// CreateDirectoryPath walks at most 12 prefixes of a path, so a path may
// have at most 11 backslashes.
constexpr int kMaxPathPrefixes = 12;
constexpr int kMaxInstallDirBackslashes = kMaxPathPrefixes - 1;
// The most characters the user can type into the directory box.
constexpr int kDirectoryEditLimit = 255;

// Creates every missing level of a full path ("X:\..." ) from the top
// down. 0 when the last level was created now, 1 otherwise (it existed, or
// a level could not be made). `created`, when given, gets each level made
// now, the top one first.
int CreateDirectoryPath(platform::FileSystem& files, const std::string& path,
                        std::vector<std::string>* created = nullptr);

// The directory a typed text means, in the one spelling the run keeps
// (install directory, uninstall log, registry): runs of backslashes after
// "X:\" become one, trailing backslashes go (a drive's root keeps its
// "X:\"), and so do the trailing dots and blanks of the last name, as
// Windows drops them ("C:\TAPE\", "C:\TAPE. " -> "C:\TAPE"). A last name
// "." or ".." is left as it is: it names another directory, which the
// checks then judge. Leading blanks and everything else stay.
std::string TakeInstallDirText(const std::string& typed);

// The verdict on the text of the directory box before anything is created.
enum class DirText {
  kAcceptable,  // may be created or confirmed
  kIncomplete,  // lacks a drive colon or a backslash
  kNotAllowed,  // a drive root, the Windows directory, one above or below
                // it, or the program files directory itself
  kInvalid,     // cannot be a directory of its own (see CheckInstallDirText)
};

// Checks, in this order: a colon and a backslash (else kIncomplete); the
// protected directories, compared as resolved long paths (8.3 aliases,
// case, slashes, "." and ".." components, empty components and trailing
// dots and blanks; see IsProtectedDirectory) (kNotAllowed); then the form (kInvalid): at most kMaxInstallDirLength
// characters and kMaxInstallDirBackslashes backslashes, "X:\" at the
// start, no further colon, no slash, no wildcard or other character
// Windows refuses in a name, and no component that is empty, "." or "..",
// or ends with a dot or a blank. `programFilesDir` may be empty.
DirText CheckInstallDirText(platform::FileSystem& files, const std::string& dir,
                            const std::string& windowsDir, const std::string& programFilesDir);

// Whether removing `dir` with everything below it would remove more than a
// product's own directory: a drive or share root, `windowsDir`, a
// directory above it or anything below it, or `programFilesDir` itself.
// Paths are compared as resolved long paths (install::IsProtectedDirectory,
// where what the product owns is decided).
bool IsProtectedDirectory(platform::FileSystem& files, const std::string& dir,
                          const std::string& windowsDir, const std::string& programFilesDir);

// The program files directory: the default install directory's parent
// (empty when it has none).
std::string ProgramFilesDirOf(const setup::SetupState& state);

struct Point {
  int x = 0, y = 0;
};

// The centred position of a window of `window` size on `desktop`: the
// differences of width and height, each halved with truncation towards
// zero (a window larger than the desktop gets a negative position).
Point DesktopCentrePosition(const platform::Rect& desktop, const platform::Rect& window);
// How far below the centre CenterWindowOnDesktop puts a window.
constexpr int kBelowCentre = 20;
// Centres the window on the desktop, 20 pixels below the centre, keeping
// its size and z-order; with `queryOnly` it is not moved. Returns the
// position (before the 20 pixels are added).
Point CenterWindowOnDesktop(platform::Ui& ui, platform::WindowHandle window, bool queryOnly);
// Centres the window over `owner` (over the desktop when there is none).
void CenterWindowOver(platform::Ui& ui, platform::WindowHandle window,
                      platform::WindowHandle owner);

}  // namespace ui
