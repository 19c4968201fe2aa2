// Fuzz target of the SYSTEM.INI driver deactivation: any bytes as the
// content of SYSTEM.INI.
//
// What must hold, besides no crash and no out-of-bounds access:
// - the new content is the old one with the comment line and ";" put in
//   front of exactly the lines that load a driver (nothing is lost,
//   nothing else changes);
// - the list of drivers never
//   exceeds its capacity and names only the four known drivers;
// - a second pass over the new content changes nothing more.
#include <cstddef>
#include <cstdint>
#include <string>

#include "system/system_ini.h"

namespace {

[[noreturn]] void Fail() { __builtin_trap(); }

constexpr char kCommentText[] = "comment";
const std::string kCommentLine = std::string("; ") + kCommentText + "\r\n;";

bool KnownDriver(const std::string& name) {
  return name == "CMSWTAPE.386" || name == "MNSTD.386" || name == "DCVXD.386" ||
         name == "ZEMABKP.386";
}

bool NamesDriver(const std::string& line) {
  std::size_t i = line.find_first_not_of(" \t\r\n\v\f");
  if (i == std::string::npos || line[i] == ';') return false;
  std::string upper = line.substr(i);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  for (const char* name : {"CMSWTAPE.386", "MNSTD.386", "DCVXD.386", "ZEMABKP.386"}) {
    if (upper.find(name) != std::string::npos) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string content(reinterpret_cast<const char*>(data), size);
  integration::DriverDeactivation d = integration::CommentOutDriverLines(content, kCommentText);
  if (d.content.size() != content.size() + d.lines * kCommentLine.size()) Fail();
  if (d.driverList.size() > integration::kDriverListCapacity) Fail();
  std::size_t pos = 0;
  while (pos < d.driverList.size()) {
    std::size_t end = d.driverList.find('\n', pos);
    if (end == std::string::npos || !KnownDriver(d.driverList.substr(pos, end - pos))) Fail();
    pos = end + 1;
  }
  // The rule restated: each line (up to and with its line feed) that is not
  // a comment and names a driver gets the comment line in front.
  std::string expected;
  std::size_t lines = 0;
  for (std::size_t start = 0; start < content.size();) {
    std::size_t end = content.find('\n', start);
    end = end == std::string::npos ? content.size() : end + 1;
    std::string line = content.substr(start, end - start);
    if (NamesDriver(line)) {
      expected += kCommentLine;
      ++lines;
    }
    expected += line;
    start = end;
  }
  if (lines != d.lines || expected != d.content) Fail();
  integration::DriverDeactivation again = integration::CommentOutDriverLines(d.content, kCommentText);
  if (again.lines != 0 || again.content != d.content) Fail();
  return 0;
}
