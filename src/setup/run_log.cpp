#include "setup/run_log.h"

#include "text/text.h"

namespace setup {

bool RunLog::Open(const std::string& path, bool append) {
  Close();
  std::uint32_t error = 0;
  handle_ = files_.Open(path, append ? platform::OpenMode::kAppend : platform::OpenMode::kWriteCreate,
                        &error);
  return IsOpen();
}

void RunLog::Line(const std::string& kind, const std::string& text) {
  if (!IsOpen()) return;
  std::string line = kind + ": " + text + "\r\n";
  std::uint32_t written = 0;
  if (files_.Write(handle_, line.data(), static_cast<std::uint32_t>(line.size()), &written) != 0 ||
      written != line.size()) {
    Close();
  }
}

void RunLog::Close() {
  if (IsOpen()) files_.Close(handle_);
  handle_ = platform::kInvalidFile;
}

std::string LogText(const std::string& text) { return text::Quote(text); }

}  // namespace setup
