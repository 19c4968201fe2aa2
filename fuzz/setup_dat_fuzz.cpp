// Any bytes as SETUP.DAT: the reader must neither crash nor keep a line or
// value beyond its limits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "setup/description.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  setup::DescriptionContent c = setup::ParseSetupDat(text);
  if (c.fileList.size() > setup::kMaxFileListLines) std::abort();
  for (const std::string& line : c.fileList) {
    if (line.size() > 79 || line.find("/D") == std::string::npos) std::abort();
  }
  if (c.result == setup::kDescriptionRead) {
    if (c.values.prd.size() > 15 || c.values.mct.size() > 3 || c.values.ver.size() > 7) std::abort();
  }
  return 0;
}
