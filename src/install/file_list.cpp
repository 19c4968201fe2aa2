#include "install/file_list.h"

#include <cstring>

#include "install/install_text.h"
#include "setup/unattended.h"
#include "text/text.h"

namespace install {
namespace {

bool IsWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Files of the SCSI access layer: listed on the disks, never installed.
const char* const kScsiLayerNames[] = {"APIX.VXD", "ASPIENUM.VXD", "WINASPI.DLL", "WNASPI32.DLL"};
const char kDiskIdName[] = "DISK.00";

// Names that Windows maps to devices whatever the directory and extension.
bool IsDeviceName(const std::string& name) {
  std::string base = name.substr(0, name.find('.'));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  base = text::ToUpperAscii(base);
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
  for (const char* device : kDevices) {
    if (base == device) return true;
  }
  if (base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
      base[3] >= '0' && base[3] <= '9') {
    return true;
  }
  return false;
}

std::string LineForMessage(const std::string& line) {
  std::string shown = line;
  while (!shown.empty() && (shown.back() == '\n' || shown.back() == '\r')) shown.pop_back();
  return shown;
}

// Refuses a file-list line: fixed English, like the other file-list
// diagnostics, owned by the background window.
void RefuseLine(setup::SetupState& state, const std::string& line, const std::string& reason) {
  std::string text = "Invalid file list entry:\n" + LineForMessage(line) + "\n(" + reason + ")\nExiting.";
  state.machine.ui.MessageBox(state.backgroundWindow, text, "Program Error",
                              platform::mb::kOk | platform::mb::kIconError);
}

}  // namespace

std::string OptionValue(const std::string& line, const char* option) {
  std::size_t at = line.find(option);
  if (at == std::string::npos) return std::string();
  std::size_t begin = at + std::strlen(option);
  std::size_t end = begin;
  while (end < line.size() && !IsWhiteSpace(line[end])) ++end;
  return line.substr(begin, end - begin);
}

std::int32_t ParseTimeStamp(const std::string& value) {
  std::size_t i = 0;
  while (i < value.size() && IsWhiteSpace(value[i])) ++i;
  bool negative = false;
  if (i < value.size() && (value[i] == '+' || value[i] == '-')) {
    negative = value[i] == '-';
    ++i;
  }
  std::int64_t magnitude = 0;
  constexpr std::int64_t kLimit = std::int64_t{1} << 31;
  while (i < value.size() && value[i] >= '0' && value[i] <= '9') {
    magnitude = magnitude * 10 + (value[i] - '0');
    if (magnitude > kLimit) magnitude = kLimit;
    ++i;
  }
  std::int64_t result = negative ? -magnitude : magnitude;
  if (result > INT32_MAX) result = INT32_MAX;
  if (result < INT32_MIN) result = INT32_MIN;
  return static_cast<std::int32_t>(result);
}

int DecimalValue(const std::string& text) { return ParseTimeStamp(text); }

FileListLine ParseFileListLine(const std::string& line) {
  FileListLine parsed;
  std::size_t comma = line.find(',');
  parsed.hasComma = comma != std::string::npos;
  parsed.name = parsed.hasComma ? line.substr(0, comma) : std::string();
  parsed.platform = OptionValue(line, "/P");
  parsed.installName = OptionValue(line, "/R");
  parsed.timeText = OptionValue(line, "/T");
  parsed.subDir = OptionValue(line, "/X");
  parsed.timeStamp = ParseTimeStamp(parsed.timeText);
  parsed.checksumField = ReadChecksumField(line, &parsed.checksum);
  return parsed;
}

bool IsPlainFileName(const std::string& name) {
  if (name.empty()) return false;
  bool onlyDotsAndBlanks = true;
  for (char c : name) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || std::strchr("\\/:*?\"<>|", c) != nullptr) return false;
    if (c != '.' && c != ' ') onlyDotsAndBlanks = false;
  }
  // ".", ".." and their variants with more dots or blanks name a parent.
  if (onlyDotsAndBlanks) return false;
  return !IsDeviceName(name);
}

bool IsRelativeSubDirectory(const std::string& path) {
  if (path.empty()) return false;
  std::size_t begin = 0;
  for (;;) {
    std::size_t end = path.find('\\', begin);
    std::string component = path.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
    if (!IsPlainFileName(component)) return false;  // also an empty one: "\X", "X\", "X\\Y"
    if (end == std::string::npos) return true;
    begin = end + 1;
  }
}

std::string CheckFileListLine(const FileListLine& line) {
  if (!line.hasComma) return "no comma after the file name";
  if (line.name.empty()) return "no file name";
  if (line.name.size() > kNameMax) return "file name longer than 12 characters";
  if (!IsPlainFileName(line.name)) return "file name is not a plain name in the source directory";
  if (line.platform.size() > kPlatformMax) return "/P value longer than 2 characters";
  if (line.installName.size() > kNameMax) return "/R name longer than 12 characters";
  if (!line.installName.empty() && !IsPlainFileName(line.installName)) {
    return "/R name is not a plain name in the target directory";
  }
  if (line.subDir.size() > kSubDirMax) return "/X directory longer than 63 characters";
  if (!line.subDir.empty() && !IsRelativeSubDirectory(line.subDir)) {
    return "/X directory leads out of the install directory";
  }
  if (line.checksumField == ChecksumField::kMalformed) return "/C checksum is not 8 hexadecimal digits";
  return std::string();
}

int BuildDiskTable(setup::SetupState& state, int disk, DiskTable* table) {
  table->entries.clear();
  table->lastEntryName.clear();
  if (state.fileList.empty()) return 0;

  const std::string tag = "/D" + std::to_string(disk);
  for (const std::string& line : state.fileList) {
    if (!text::Contains(line, tag.c_str())) continue;

    FileListLine parsed = ParseFileListLine(line);
    std::string reason = CheckFileListLine(parsed);
    if (!reason.empty()) {
      RefuseLine(state, line, reason);
      return kDiskTableFailed;
    }

    const std::string sourcePath = state.sourceDir + "\\" + parsed.name;
    platform::FileStatus status;
    if (state.machine.files.GetFileStatus(sourcePath, &status) != platform::err::kSuccess) {
      // Fixed English, not from the catalog.
      state.machine.ui.MessageBox(state.backgroundWindow,
                                  FillPlaceholder("Listed file %s not found! Exiting.", parsed.name),
                                  "Program Error",
                                  platform::mb::kOk | platform::mb::kIconInformation);
      return kDiskTableFailed;
    }

    if (text::Contains(parsed.name, kDiskIdName)) continue;
    int scsiNames = 0;
    for (const char* scsi : kScsiLayerNames) {
      if (text::Contains(parsed.name, scsi)) ++scsiNames;
    }
    if (scsiNames > 0) {
      state.fileCount -= scsiNames;
      continue;
    }

    if (table->Count() >= kMaxDiskEntries) {
      RefuseLine(state, line, "more than 100 files on one disk");
      return kDiskTableFailed;
    }
    DiskEntry entry;
    entry.sourceName = parsed.name;
    entry.sourceSize = static_cast<std::uint32_t>(status.size);
    entry.platform = parsed.platform;
    entry.installName = parsed.installName;
    entry.subDir = parsed.subDir;
    entry.timeStamp = parsed.timeStamp;
    entry.hasChecksum = parsed.checksumField == ChecksumField::kValid;
    entry.checksum = parsed.checksum;
    table->entries.push_back(entry);
    table->lastEntryName = parsed.name.substr(0, kLastEntryNameMax);
  }
  return table->Count();
}

int RequestDisk(setup::SetupState& state, int disk, platform::WindowHandle owner) {
  platform::Ui& ui = state.machine.ui;
  const std::string number = std::to_string(disk);
  const std::string idPath = state.sourceDir + "\\" + kDiskIdName + number;
  if (setup::IsSilent(state)) {
    // No one can insert a disk: the disks must all be in the source
    // folder already.
    platform::FileStatus status;
    if (state.machine.files.GetFileStatus(idPath, &status) == platform::err::kSuccess) {
      setup::LogStep(state, "disk " + number + " found in " + state.sourceDir);
      return kDiskInPlace;
    }
    setup::LogStep(state, "disk " + number + " not found: no " + idPath);
    return kDiskGivenUp;
  }
  for (;;) {
    std::string text = FillPlaceholder(setup::Msg(state, setup::MSG_INSERT_DISK, setup::kText), number);
    std::string caption = setup::Msg(state, setup::MSG_INSERT_DISK, setup::kCaption);
    ui.MessageBox(owner, text, caption, platform::mb::kOk | platform::mb::kIconInformation);

    platform::FileStatus status;
    if (state.machine.files.GetFileStatus(idPath, &status) == platform::err::kSuccess) {
      return kDiskInPlace;
    }

    text = setup::Msg(state, setup::MSG_DISK_ERROR, setup::kText);
    caption = setup::Msg(state, setup::MSG_DISK_ERROR, setup::kCaption);
    int answer = ui.MessageBox(owner, text, caption, platform::mb::kOkCancel | platform::mb::kIconQuestion);
    if (answer != platform::answer::kOk) return kDiskGivenUp;
  }
}

bool DiskFinished(const DiskTable& table, const std::string& sourceName, int disk, int diskCount) {
  return text::EqualsIgnoreCase(sourceName, table.lastEntryName) && disk < diskCount;
}

}  // namespace install
