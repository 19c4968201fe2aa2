#include "platform/machine.h"

namespace platform {

std::uint32_t ReadWholeFile(FileSystem& fs, const std::string& path, std::string* out) {
  out->clear();
  std::uint32_t error = 0;
  FileHandle h = fs.Open(path, OpenMode::kRead, &error);
  if (h == kInvalidFile) return error != 0 ? error : err::kFileNotFound;
  char buffer[8192];
  for (;;) {
    std::uint32_t got = 0;
    error = fs.Read(h, buffer, sizeof buffer, &got);
    if (error != 0) break;
    if (got == 0) break;
    out->append(buffer, got);
  }
  fs.Close(h);
  return error;
}

std::uint32_t WriteWholeFile(FileSystem& fs, const std::string& path, const std::string& data) {
  std::uint32_t error = 0;
  FileHandle h = fs.Open(path, OpenMode::kWriteCreate, &error);
  if (h == kInvalidFile) return error != 0 ? error : err::kAccessDenied;
  std::uint32_t written = 0;
  error = fs.Write(h, data.data(), static_cast<std::uint32_t>(data.size()), &written);
  fs.Close(h);
  return error;
}

}  // namespace platform
