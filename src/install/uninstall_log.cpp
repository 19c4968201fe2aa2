#include "install/uninstall_log.h"

#include <string_view>

#include "install/install_text.h"
#include "install/ownership.h"
#include "text/text.h"
#include "text/windows_path.h"

namespace install {
namespace {

bool HasOnlyNameCharacters(const std::string& part) {
  for (char ch : part) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c < 32 || std::string_view("<>\"|*?:").find(ch) != std::string_view::npos) return false;
  }
  return true;
}

// The path to delete for a log line, as Windows resolves it, or an empty
// text when the line names nothing the copy engine could have written.
std::string RemovablePath(const std::string& line, const setup::SetupState& state) {
  const text::WindowsPath path = text::ResolvePath(line);
  if (!path.valid || path.root.size() != 2 || line.size() < 3 || line[2] == ':') return {};
  if (path.parts.empty()) return {};
  for (const std::string& part : path.parts) {
    if (!HasOnlyNameCharacters(part)) return {};
  }
  const text::WindowsPath dir = text::ResolvePath(state.uninstallDir);
  if (text::IsSameOrBelow(path, dir) && path.parts.size() > dir.parts.size()) {
    // In a directory that holds more than the product (an older
    // installation in the Windows directory) only the product's own files.
    const bool ownDir = !IsProtectedDirectory(state.machine.files, state.uninstallDir, state.windowsDir,
                                              ProgramFilesDirOf(state));
    return ownDir || InstallsFileAt(state, path) ? path.Text() : std::string();
  }
  // Outside the directory only what the installed SETUP.DAT puts there.
  if (IsInstalledOutside(state, path)) return path.Text();
  return {};
}

void DeleteLoggedPath(const setup::SetupState& state, std::string line) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  std::size_t zero = line.find('\0');  // a C string would end there
  if (zero != std::string::npos) line.resize(zero);
  const std::string path = RemovablePath(line, state);
  if (path.empty()) return;
  state.machine.files.DeleteFile(path);  // a file already gone or in use is passed over
}

}  // namespace

std::uint32_t OpenUninstallLog(platform::FileSystem& files, const std::string& installDir,
                               UninstallLog* log) {
  log->files = &files;
  log->path = installDir + "\\" + kUninstallLogName;
  std::uint32_t error = platform::err::kSuccess;
  log->handle = files.Open(log->path, platform::OpenMode::kWriteCreate, &error);
  if (log->handle == platform::kInvalidFile) {
    return error != platform::err::kSuccess ? error : platform::err::kAccessDenied;
  }
  return platform::err::kSuccess;
}

std::uint32_t LogInstalledFile(UninstallLog& log, const std::string& targetPath) {
  if (!log.IsOpen() || log.files == nullptr) return platform::err::kInvalidHandle;
  std::string line = targetPath + "\r\n";
  std::uint32_t written = 0;
  std::uint32_t error =
      log.files->Write(log.handle, line.data(), static_cast<std::uint32_t>(line.size()), &written);
  if (error == platform::err::kSuccess && written != line.size()) error = platform::err::kWriteFault;
  return error;
}

void CloseUninstallLog(UninstallLog& log) {
  if (log.IsOpen() && log.files != nullptr) log.files->Close(log.handle);
  log.handle = platform::kInvalidFile;
}

void RemoveLoggedFiles(setup::SetupState& state) {
  platform::FileSystem& files = state.machine.files;
  const std::string logPath = state.uninstallDir + "\\" + kUninstallLogName;

  std::uint32_t error = platform::err::kSuccess;
  platform::FileHandle handle = files.Open(logPath, platform::OpenMode::kRead, &error);
  if (handle == platform::kInvalidFile) {
    state.machine.ui.MessageBox(platform::kNoWindow, logPath, "Can't find file...",
                                platform::mb::kOk | platform::mb::kIconError);
    return;
  }

  // Whole lines are collected before anything is deleted from them, so a
  // line longer than any read is never taken for several paths.
  std::string line;
  char buffer[512];
  bool readFailed = false;
  for (;;) {
    std::uint32_t got = 0;
    if (files.Read(handle, buffer, sizeof buffer, &got) != platform::err::kSuccess) {
      readFailed = true;
      break;
    }
    if (got == 0) break;
    for (std::uint32_t i = 0; i < got; ++i) {
      if (buffer[i] == '\n') {
        DeleteLoggedPath(state, line);
        line.clear();
      } else {
        line.push_back(buffer[i]);
      }
    }
  }
  // The last line needs no line end, but only at the end of the log: after
  // a failed read the unfinished line may be the beginning of a longer path
  // (C:\TAPE\HALVO of C:\TAPE\HALVORN.EXE), which names another file.
  if (!line.empty() && !readFailed) DeleteLoggedPath(state, line);

  files.Close(handle);
  files.DeleteFile(logPath);
}

}  // namespace install
