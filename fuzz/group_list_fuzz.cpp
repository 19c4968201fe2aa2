// Fuzz target: the reader of Program Manager's reply to the "Groups"
// request. Any bytes must give names that are non-empty, hold no line feed
// and no zero byte, come in order from the reply before its first zero
// byte, and in total are no longer than that part of the reply.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "groups/progman_text.h"

namespace {

[[noreturn]] void Fail() { __builtin_trap(); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string reply(reinterpret_cast<const char*>(data), size);
  std::size_t end = reply.find('\0');
  std::string text = end == std::string::npos ? reply : reply.substr(0, end);
  std::vector<std::string> names = groups::ParseGroupList(reply);
  std::size_t total = 0;
  std::size_t searchFrom = 0;
  for (const std::string& name : names) {
    if (name.empty() || name.find('\n') != std::string::npos || name.find('\0') != std::string::npos) Fail();
    total += name.size() + 1;
    // Names come in order, each a piece of the text.
    std::size_t at = text.find(name, searchFrom);
    if (at == std::string::npos) Fail();
    searchFrom = at + name.size();
  }
  if (total > text.size() + 1) Fail();
  return 0;
}
