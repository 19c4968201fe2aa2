// The plain-text log of a run (/log "<file>"): one line for each step,
// message, file, registry value, DDE command, service and profile change,
// in the order they happen, and the final status.
//
//   box: caption="Install Complete" text="..." buttons=ok answer=OK
//   file: C:\TAPE\TAPE.EXE 53248 bytes
#pragma once

#include <string>

#include "platform/machine.h"

namespace setup {

class RunLog {
 public:
  explicit RunLog(platform::FileSystem& files) : files_(files) {}
  ~RunLog() { Close(); }
  RunLog(const RunLog&) = delete;
  RunLog& operator=(const RunLog&) = delete;

  // Creates the log file, replacing an earlier one (or adds to its end).
  // False when it cannot be written; the run goes on without a log.
  bool Open(const std::string& path, bool append = false);
  // Appends "<kind>: <text>" and a line end. A line that cannot be written
  // closes the log; the run goes on.
  void Line(const std::string& kind, const std::string& text);
  void Close();
  bool IsOpen() const { return handle_ != platform::kInvalidFile; }

 private:
  platform::FileSystem& files_;
  platform::FileHandle handle_ = platform::kInvalidFile;
};

// A text for a log line: in double quotes, with line breaks, tabs,
// backslashes and quotes escaped, so that one entry stays on one line.
std::string LogText(const std::string& text);

}  // namespace setup
