#include "system/system_ini.h"

#include <cstdio>
#include <vector>

#include "setup/unattended.h"

namespace integration {
namespace {

namespace err = platform::err;

// The driver files searched for, in this order; the first found decides.
constexpr const char* kDriverNames[] = {"CMSWTAPE.386", "MNSTD.386", "DCVXD.386", "ZEMABKP.386"};
constexpr int kMaxBackupNumber = 99999;
// Where the new content is written before it replaces SYSTEM.INI.
constexpr char kNewFileName[] = "\\SYSINI.$$$";

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// The upper-cased line without its leading blanks.
std::string MatchingCopy(const std::string& line) {
  std::size_t start = 0;
  while (start < line.size() && IsBlank(line[start])) ++start;
  std::string copy = line.substr(start);
  for (char& c : copy) c = UpperAscii(c);
  return copy;
}

// The driver a line loads, or null.
const char* LoadedDriver(const std::string& line) {
  std::string copy = MatchingCopy(line);
  if (copy.empty() || copy[0] == ';') return nullptr;
  for (const char* name : kDriverNames) {
    if (copy.find(name) != std::string::npos) return name;
  }
  return nullptr;
}

std::vector<std::string> SplitLines(const std::string& content) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < content.size()) {
    std::size_t end = content.find('\n', pos);
    end = end == std::string::npos ? content.size() : end + 1;
    lines.push_back(content.substr(pos, end - pos));
    pos = end;
  }
  return lines;
}

bool Exists(platform::FileSystem& files, const std::string& path) {
  platform::FileStatus status;
  return files.GetFileStatus(path, &status) == err::kSuccess;
}

// SYSTEM.INI as it may be rewritten: present, a file, not read-only, not
// too large. Anything else is left alone.
bool ReadRewritable(platform::FileSystem& files, const std::string& path, std::string* content) {
  platform::FileStatus status;
  if (files.GetFileStatus(path, &status) != err::kSuccess) return false;
  if (status.attributes & (platform::attr::kDirectory | platform::attr::kReadOnly)) return false;
  if (status.size > kMaxSystemIniSize) return false;
  if (platform::ReadWholeFile(files, path, content) != err::kSuccess) return false;
  return content->size() <= kMaxSystemIniSize;
}

// Writes a whole new file; a file that could not be written completely is
// removed again.
bool WriteComplete(platform::FileSystem& files, const std::string& path, const std::string& data) {
  if (platform::WriteWholeFile(files, path, data) == err::kSuccess) return true;
  files.DeleteFile(path);
  return false;
}

// Puts the new content in place of SYSTEM.INI. On failure SYSTEM.INI keeps
// (or gets back) its original content.
bool ReplaceSystemIni(platform::FileSystem& files, const std::string& path,
                      const std::string& original, const std::string& content) {
  std::string newFile = path.substr(0, path.find_last_of('\\')) + kNewFileName;
  if (!WriteComplete(files, newFile, content)) return false;
  if (files.MoveFileReplacing(newFile, path) == err::kSuccess) return true;
  // Where replacing means deleting first, a failed rename leaves no
  // SYSTEM.INI at all: the original goes back.
  if (!Exists(files, path)) WriteComplete(files, path, original);
  files.DeleteFile(newFile);
  return false;
}

// The message text with its two "%s" filled in; any other '%' stays.
std::string FillTwo(const std::string& text, const std::string& first, const std::string& second) {
  std::string out;
  int filled = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == 's' && filled < 2) {
      out += filled++ == 0 ? first : second;
      ++i;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

void TellUser(setup::SetupState& state, const std::string& driverList,
              const std::string& backup) {
  std::string text = setup::Msg(state, setup::MSG_DRIVERS_DEACTIVATED, setup::kText);
  std::string caption = setup::Msg(state, setup::MSG_DRIVERS_DEACTIVATED, setup::kCaption);
  state.machine.ui.MessageBox(state.backgroundWindow, FillTwo(text, driverList, backup), caption,
                              platform::mb::kOk | platform::mb::kIconInformation);
}

// A file that had to be written for the deactivation could not be: the
// catalog's write error with its path, as for the files setup copies.
void TellWriteError(setup::SetupState& state, const std::string& path) {
  std::string text = setup::Msg(state, setup::MSG_WRITE_ERROR, setup::kText);
  std::string caption = setup::Msg(state, setup::MSG_WRITE_ERROR, setup::kCaption);
  const std::size_t placeholder = text.find("%s");
  if (placeholder != std::string::npos) text.replace(placeholder, 2, path);
  state.machine.ui.MessageBox(state.backgroundWindow, text, caption,
                              platform::mb::kOk | platform::mb::kIconError);
}

}  // namespace

DriverDeactivation CommentOutDriverLines(const std::string& content,
                                         const std::string& commentText) {
  DriverDeactivation out;
  out.content.reserve(content.size());
  for (const std::string& line : SplitLines(content)) {
    const char* driver = LoadedDriver(line);
    if (driver == nullptr) {
      out.content += line;
      continue;
    }
    out.content += "; " + commentText + "\r\n;" + line;
    ++out.lines;
    std::string entry = std::string(driver) + "\n";
    if (out.driverList.size() + entry.size() <= kDriverListCapacity) out.driverList += entry;
  }
  return out;
}

std::string FreeSystemIniBackupName(platform::FileSystem& files, const std::string& windowsDir) {
  for (int number = 0; number <= kMaxBackupNumber; ++number) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "\\SYSTEM.%03d", number);
    std::string candidate = windowsDir + suffix;
    platform::FileStatus status;
    std::uint32_t e = files.GetFileStatus(candidate, &status);
    if (e == err::kFileNotFound) return candidate;
    if (e != err::kSuccess) return {};  // the directory itself is not usable
  }
  return {};
}

SystemIniResult DeactivateSystemIniDrivers(setup::SetupState& state) {
  platform::FileSystem& files = state.machine.files;
  const std::string path = state.windowsDir + "\\SYSTEM.INI";
  std::string original;
  if (!ReadRewritable(files, path, &original)) return SystemIniResult::kUnchanged;
  DriverDeactivation plan = CommentOutDriverLines(
      original, setup::Msg(state, setup::MSG_SYSINI_COMMENT_LINE, setup::kText));
  if (plan.lines == 0) return SystemIniResult::kUnchanged;
  std::string backup = FreeSystemIniBackupName(files, state.windowsDir);
  if (backup.empty() || !WriteComplete(files, backup, original)) {
    // Without a free backup name the file not written is named by what
    // it was to save.
    TellWriteError(state, backup.empty() ? path : backup);
    return SystemIniResult::kFailed;
  }
  if (!ReplaceSystemIni(files, path, original, plan.content)) {
    // SYSTEM.INI holds its old content: a backup of it would only mislead.
    files.DeleteFile(backup);
    TellWriteError(state, path);
    return SystemIniResult::kFailed;
  }
  // This run's backup: put back should the installation stop.
  state.rollback.systemIniBackup = backup;
  TellUser(state, plan.driverList, backup);
  return SystemIniResult::kChanged;
}

bool RestoreSystemIni(setup::SetupState& state) {
  std::string& backup = state.rollback.systemIniBackup;
  if (backup.empty()) return true;
  platform::FileSystem& files = state.machine.files;
  const std::string path = state.windowsDir + "\\SYSTEM.INI";
  // The backup moves back in one step; where replacing means deleting
  // first and the rename then fails, it is moved once more.
  bool restored = files.MoveFileReplacing(backup, path) == err::kSuccess;
  if (!restored && !Exists(files, path)) restored = files.MoveFile(backup, path) == err::kSuccess;
  setup::LogRollback(state, restored ? path + " put back from " + backup
                                     : "could not put " + path + " back from " + backup);
  if (restored) backup.clear();
  return restored;
}

}  // namespace integration
