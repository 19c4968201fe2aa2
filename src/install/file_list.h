// The file list of SETUP.DAT and the disk set: line syntax, the disk table
// of one disk, the request for the next disk and the end-of-disk test.
//
// A file-list line reads "NAME,/Dn /Pxx /Rname /Tseconds /Xsubdir": the
// file name before the first comma, then options, each a slash, an upper
// case letter and a value up to the next white space. Each option is taken
// from its first occurrence anywhere in the line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "install/checksum.h"
#include "platform/machine.h"
#include "setup/state.h"

namespace install {

// Field widths of a disk table entry (characters, terminator not counted).
constexpr std::size_t kNameMax = 12;      // source name and install name
constexpr std::size_t kPlatformMax = 2;   // "/P"
constexpr std::size_t kSubDirMax = 63;    // "/X"
constexpr std::size_t kLastEntryNameMax = 255;
constexpr int kMaxDiskEntries = 100;
constexpr int kLowestDisk = 1;
constexpr int kHighestDisk = 9;

// Result of BuildDiskTable when the disk cannot be used.
constexpr int kDiskTableFailed = -1;

// Results of RequestDisk.
constexpr int kDiskInPlace = 0;
constexpr int kDiskGivenUp = 1;

// One file-list line taken apart. Values are kept whole (not cut to their
// fields) so that the checks below can refuse values that do not fit.
struct FileListLine {
  bool hasComma = false;
  std::string name;         // before the first comma
  std::string platform;     // "/P"
  std::string installName;  // "/R"
  std::string subDir;       // "/X"
  std::string timeText;     // "/T" as written
  std::int32_t timeStamp = 0;
  ChecksumField checksumField = ChecksumField::kAbsent;  // "/C"
  std::uint32_t checksum = 0;                             // when kValid
};

// The value of `option` ("/P", "/R", ...) in the line: from behind its
// first occurrence up to the first white space or the end; empty when the
// option is missing.
std::string OptionValue(const std::string& line, const char* option);

// "/T": leading white space skipped, an optional sign and decimal digits up
// to the first other character; nothing readable gives 0. Values beyond the
// 32-bit range are held at its ends.
std::int32_t ParseTimeStamp(const std::string& value);

FileListLine ParseFileListLine(const std::string& line);

// Checks that a line cannot place a file outside its directory and that its
// values fit their fields. Returns an empty text when the line is
// acceptable, otherwise the reason, for the message that refuses it.
//
// The names of a distribution disk are outside input: a source name, an
// install name ("/R") or a sub-directory ("/X") holding "..", a drive or a
// colon, a leading or trailing backslash, a slash, wildcards, control
// characters or a device name (CON, NUL, COM1, ...) would let a disk read
// or write where it should not, so such lines are refused rather than
// repaired. Values longer than their fields are refused as well rather than
// cut, since a cut name would install a different file than the list says.
// A "/C" checksum that is not 8 hexadecimal digits means a damaged list.
std::string CheckFileListLine(const FileListLine& line);

// A single file name that stays in the directory it is appended to.
bool IsPlainFileName(const std::string& name);
// A relative directory path of plain names separated by single backslashes.
bool IsRelativeSubDirectory(const std::string& path);

struct DiskEntry {
  std::string sourceName;
  std::uint32_t sourceSize = 0;
  std::string platform;
  std::string installName;
  std::string subDir;
  std::int32_t timeStamp = 0;
  // The CRC-32 of the expanded data the list records ("/C"), checked by
  // the copy engine as it writes the file.
  bool hasChecksum = false;
  std::uint32_t checksum = 0;
};

struct DiskTable {
  std::vector<DiskEntry> entries;
  std::string lastEntryName;
  int Count() const { return static_cast<int>(entries.size()); }
};

// Builds the table of disk `disk` (1 to 9) from the state's file list,
// replacing `table`'s contents, and lowers the state's file count for the
// SCSI access layer files it leaves out. Returns the number of entries (0 to
// 100) or kDiskTableFailed after telling the user why: a listed file of the
// disk is missing ("Listed file %s not found! Exiting."), or a line of the
// disk is refused by CheckFileListLine, or the disk lists more than 100
// files. Every line of the disk is checked before the table is used, so a
// refused line stops the disk before any of its files is copied.
int BuildDiskTable(setup::SetupState& state, int disk, DiskTable* table);

// Asks for disk `disk` (2 to 9) until its identification file DISK.00n is in
// the source directory (kDiskInPlace) or the user gives up (kDiskGivenUp).
// The messages are owned by `owner`, the copy progress dialog.
int RequestDisk(setup::SetupState& state, int disk, platform::WindowHandle owner);

// The end-of-disk test, made after an entry has been handled: the entry was
// the last of the table (names compared without regard to case) and a
// further disk is due.
bool DiskFinished(const DiskTable& table, const std::string& sourceName, int disk, int diskCount);

// The decimal value of a count such as `mct`; 0 when it has no digits.
int DecimalValue(const std::string& text);

}  // namespace install
