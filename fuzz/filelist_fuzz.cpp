// Fuzz target of the file list: any bytes as the lines of [Filelist], taken
// apart by the line parser and built into the disk table of every disk on
// an in-memory machine (a source name starting with "Z" is missing there).
//
// What must hold, besides no crash and no out-of-bounds access:
// - the file system is only asked about plain names in the source directory;
// - BuildDiskTable either refuses the disk with exactly one message, or
//   returns the number of entries it took (at most 100), with no message;
// - every entry fits its fields and cannot leave its directory: plain source
//   and install names of at most 12 characters, a relative sub-directory of
//   at most 63 characters without "." or ".." components, a platform value
//   of at most 2 characters; no identification or SCSI access layer file is
//   taken; each entry comes from a line that names its disk; the last entry
//   name is the name of the last entry; the file count never grows;
// - the "/T" value reads as strtoll clamped to 32 bits would read it.
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "failing_machine.h"
#include "install/file_list.h"
#include "setup/state.h"

namespace {

constexpr char kSourceDir[] = "A:\\DISK";

[[noreturn]] void Fail() { __builtin_trap(); }

bool HasWhiteSpace(const std::string& s) {
  for (char c : s) {
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f') return true;
  }
  return false;
}

// A name that stays in the directory it is appended to, checked here in
// its own words: not empty, no separator, colon, wildcard or control
// character, not made of dots and blanks only.
bool StaysInDirectory(const std::string& name) {
  if (name.empty()) return false;
  bool dotsAndBlanks = true;
  for (char c : name) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || c == '\\' || c == '/' || c == ':' || c == '*' || c == '?') return false;
    if (c != '.' && c != ' ') dotsAndBlanks = false;
  }
  return !dotsAndBlanks;
}

bool IsSubDirectory(const std::string& path) {
  std::size_t begin = 0;
  for (;;) {
    std::size_t end = path.find('\\', begin);
    if (!StaysInDirectory(path.substr(begin, end == std::string::npos ? std::string::npos : end - begin))) {
      return false;
    }
    if (end == std::string::npos) return true;
    begin = end + 1;
  }
}

std::int32_t ReferenceTime(const std::string& value) {
  const std::string text = value.substr(0, value.find('\0'));
  errno = 0;
  long long v = std::strtoll(text.c_str(), nullptr, 10);
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<std::int32_t>(v);
}

// Only the status of names in the source directory may be asked for, and
// no file opened; every other call stops the run.
class SourceFiles : public testsupport::FailingFiles {
 public:
  std::uint32_t GetFileStatus(const std::string& path, platform::FileStatus* out) override {
    const std::string prefix = std::string(kSourceDir) + "\\";
    if (path.compare(0, prefix.size(), prefix) != 0) Fail();
    const std::string name = path.substr(prefix.size());
    if (name.size() > install::kNameMax || !StaysInDirectory(name)) Fail();
    if (name[0] == 'Z') return platform::err::kFileNotFound;
    out->size = name.size() * 5120u + 7;
    return 0;
  }
  platform::FileHandle Open(const std::string&, platform::OpenMode, std::uint32_t* error) override {
    *error = platform::err::kAccessDenied;
    return platform::kInvalidFile;
  }
};

void CheckLine(const std::string& line) {
  const install::FileListLine parsed = install::ParseFileListLine(line);
  if (parsed.hasComma != (line.find(',') != std::string::npos)) Fail();
  if (parsed.hasComma && line.compare(0, parsed.name.size() + 1, parsed.name + ",") != 0) Fail();
  for (const char* option : {"/P", "/R", "/T", "/X", "/D"}) {
    const std::string value = install::OptionValue(line, option);
    if (HasWhiteSpace(value)) Fail();
    if (!value.empty() && line.find(std::string(option) + value) == std::string::npos) Fail();
  }
  if (parsed.timeStamp != ReferenceTime(parsed.timeText)) Fail();
  if (install::CheckFileListLine(parsed).empty()) {
    if (parsed.name.size() > install::kNameMax || !StaysInDirectory(parsed.name)) Fail();
    if (!parsed.installName.empty() &&
        (parsed.installName.size() > install::kNameMax || !StaysInDirectory(parsed.installName))) {
      Fail();
    }
    if (!parsed.subDir.empty() && (parsed.subDir.size() > install::kSubDirMax || !IsSubDirectory(parsed.subDir))) {
      Fail();
    }
    if (parsed.platform.size() > install::kPlatformMax) Fail();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // One machine and state for all runs: building the message catalog of a
  // state costs more than a run.
  static SourceFiles& files = *new SourceFiles;
  // Nothing of the rest of the machine may be used but message boxes.
  static testsupport::FailingParts& rest = *new testsupport::FailingParts;
  rest.moduleFileName = "A:\\DISK\\SETUP.EXE";
  static platform::Machine machine{rest, files, rest, rest, rest, rest, rest};
  static setup::SetupState& state = *new setup::SetupState(machine);
  state.sourceDir = kSourceDir;
  state.fileList.clear();

  // The lines, each with its line end, as the description reader keeps them.
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::size_t begin = 0;
  while (begin < text.size()) {
    std::size_t end = text.find('\n', begin);
    end = end == std::string::npos ? text.size() : end + 1;
    state.fileList.push_back(text.substr(begin, end - begin));
    begin = end;
  }
  for (const std::string& line : state.fileList) CheckLine(line);

  install::DiskTable table;
  for (int disk = install::kLowestDisk; disk <= install::kHighestDisk; ++disk) {
    rest.boxes = 0;
    const int before = state.fileCount = 1000;
    const int count = install::BuildDiskTable(state, disk, &table);
    if (state.fileCount > before) Fail();
    if (count == install::kDiskTableFailed) {
      if (rest.boxes != 1) Fail();
      continue;
    }
    if (rest.boxes != 0 || count < 0 || count > install::kMaxDiskEntries || count != table.Count()) Fail();
    if (count == 0 ? !table.lastEntryName.empty() : table.lastEntryName != table.entries.back().sourceName) {
      Fail();
    }
    const std::string tag = "/D" + std::to_string(disk);
    for (const install::DiskEntry& e : table.entries) {
      if (e.sourceName.size() > install::kNameMax || !StaysInDirectory(e.sourceName)) Fail();
      if (e.sourceName[0] == 'Z') Fail();  // missing, so never taken
      if (e.sourceSize != e.sourceName.size() * 5120u + 7) Fail();
      if (!e.installName.empty() && (e.installName.size() > install::kNameMax || !StaysInDirectory(e.installName))) {
        Fail();
      }
      if (!e.subDir.empty() && (e.subDir.size() > install::kSubDirMax || !IsSubDirectory(e.subDir))) Fail();
      if (e.platform.size() > install::kPlatformMax) Fail();
      for (const char* never : {"DISK.00", "APIX.VXD", "ASPIENUM.VXD", "WINASPI.DLL", "WNASPI32.DLL"}) {
        if (e.sourceName.find(never) != std::string::npos) Fail();
      }
      bool fromLine = false;
      for (const std::string& line : state.fileList) {
        if (line.find(tag) != std::string::npos && line.compare(0, e.sourceName.size() + 1, e.sourceName + ",") == 0) {
          fromLine = true;
          break;
        }
      }
      if (!fromLine) Fail();
    }
    (void)install::DiskFinished(table, text.substr(0, 12), disk, disk + 1);
  }
  return 0;
}
