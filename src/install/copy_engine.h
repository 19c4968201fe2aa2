// The copy engine: puts every listed file in place, disk after disk.
#pragma once

#include <string>

#include "setup/state.h"

namespace install {

// Results of CopyProductFiles.
constexpr int kCopyDone = 0;
constexpr int kCopyFailed = 1;
constexpr int kCopyCancelled = 2;

// Copies and expands every file of the file list into the install
// directory (and the Windows and SYSTEM directories for the files that
// belong there), logging each in UNINST.LST and showing the copy progress
// dialog. Returns kCopyDone, kCopyFailed or kCopyCancelled.
int CopyProductFiles(setup::SetupState& state, const std::string& installDir);

}  // namespace install
