// The response file of an unattended run: the answers a user would give in
// the dialogs and message boxes, as an INI text.
//
//   [Setup]
//   AcceptLicense=yes
//   InstallDir=C:\TAPE
//
// It is read from the file's own bytes rather than through the profile
// calls: those turn a missing file, a binary file or a value cut to the
// buffer into plain defaults, and an administrator's mistake would go
// unnoticed.
#pragma once

#include <cstddef>
#include <string>

#include "platform/machine.h"

namespace setup {

// The largest response file read, and the longest line in it.
constexpr std::size_t kMaxResponseFileSize = 16 * 1024;
constexpr std::size_t kMaxResponseLineLength = 512;
// The longest group name: what the group dialog's OK takes.
constexpr std::size_t kMaxGroupNameLength = 79;

// What to do when the installation needs Windows to restart.
enum class RestartChoice { kLeaveToCaller, kRestart };

// The answers. A key that is absent keeps the default written here: the
// safe one, which changes nothing the user did not ask for.
struct Answers {
  std::string installDir;        // InstallDir; empty: the proposed directory
  std::string groupName;         // GroupName; empty: the default group name
  bool licenseAccepted = false;  // AcceptLicense; required for an installation
  bool reconfigureTape = false;  // ReconfigureTape: reset an earlier tape configuration
  bool disableQic117 = false;    // DisableQic117: consent to remove the qic117 driver service
  RestartChoice restart = RestartChoice::kLeaveToCaller;  // Restart=caller|restart
  bool showReadme = false;       // ShowReadme (never in a silent run)
  bool completeRemoval = false;  // [Uninstall] Removal=Selective|Complete
};

// Reads the answers from the text of a response file. Refused: a zero or
// other control byte (a binary file), a line longer than
// kMaxResponseLineLength, a line that is neither a section, a key nor a
// comment, an unknown section or key, a key given twice, a value that is
// not one of its words, an install directory longer than 200 characters, a
// group name longer than kMaxGroupNameLength. Returns the problem with its
// line number, or an empty text.
std::string ParseResponseText(const std::string& bytes, Answers* out);

// Reads a response file through the machine's files. The problem, or an
// empty text.
std::string ReadResponseFile(platform::FileSystem& files, const std::string& path, Answers* out);

// The answers as a response file, with a comment on each key.
std::string FormatResponseText(const Answers& answers);

}  // namespace setup
