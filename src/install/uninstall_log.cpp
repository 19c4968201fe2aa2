#include "install/uninstall_log.h"

#include "install/install_text.h"

namespace install {
namespace {

// Only full drive paths without "." or ".." components are deleted.
bool IsDeletablePath(const std::string& path) {
  if (path.size() < 4) return false;
  char drive = path[0];
  bool letter = (drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z');
  if (!letter || path[1] != ':' || path[2] != '\\') return false;
  std::size_t begin = 3;
  for (;;) {
    std::size_t end = path.find('\\', begin);
    std::string component = path.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
    if (component.empty() || component == "." || component == "..") return false;
    if (component.find_first_of("/:") != std::string::npos) return false;
    if (end == std::string::npos) return true;
    begin = end + 1;
  }
}

void DeleteLoggedPath(platform::FileSystem& files, std::string line) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  std::size_t zero = line.find('\0');  // a C string would end there
  if (zero != std::string::npos) line.resize(zero);
  if (!IsDeletablePath(line)) return;
  files.DeleteFile(line);  // a file already gone or in use is passed over
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
        DeleteLoggedPath(files, line);
        line.clear();
      } else {
        line.push_back(buffer[i]);
      }
    }
  }
  // The last line needs no line end, but only at the end of the log: after
  // a failed read the unfinished line may be the beginning of a longer path
  // (C:\TAPE\HALVO of C:\TAPE\HALVORN.EXE), which names another file.
  if (!line.empty() && !readFailed) DeleteLoggedPath(files, line);

  files.Close(handle);
  files.DeleteFile(logPath);
}

}  // namespace install
