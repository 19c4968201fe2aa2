// The forwarding parts of platform/forwarding.h pass on every call of their
// interface: read from the sources, each call a seam interface declares
// (virtual in platform/machine.h) is overridden by its forwarding part. A
// call added to the seam and not to its forwarding part would otherwise
// fall back, in every decorator, to the seam's default instead of reaching
// the machine.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

const fs::path kPlatform = fs::path(SETUP_SOURCE_DIR) / "src" / "platform";

std::string ReadSource(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The text of each class body in `source` whose head matches `head` (the
// class's name is its first group), up to the "};" that starts a line.
std::map<std::string, std::string> ClassBodies(const std::string& source, const std::regex& head) {
  std::map<std::string, std::string> bodies;
  for (auto it = std::sregex_iterator(source.begin(), source.end(), head); it != std::sregex_iterator();
       ++it) {
    const std::size_t begin = static_cast<std::size_t>(it->position(0) + it->length(0));
    const std::size_t end = source.find("\n};", begin);
    bodies[(*it)[1]] = source.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
  }
  return bodies;
}

// Drops "// ..." comments, so that a call named in a comment is not taken
// for a declaration.
std::string WithoutComments(const std::string& text) {
  return std::regex_replace(text, std::regex("//[^\n]*"), "");
}

std::set<std::string> Names(const std::string& body, const std::regex& declaration) {
  std::set<std::string> names;
  const std::string code = WithoutComments(body);
  for (auto it = std::sregex_iterator(code.begin(), code.end(), declaration); it != std::sregex_iterator();
       ++it) {
    names.insert((*it)[1]);
  }
  return names;
}

std::string Joined(const std::set<std::string>& names) {
  std::string out;
  for (const std::string& n : names) out += (out.empty() ? "" : ", ") + n;
  return out;
}

TEST(Forwarding, EverySeamCallHasItsForwarder) {
  const std::string seam = ReadSource(kPlatform / "machine.h");
  const std::string forwarding = ReadSource(kPlatform / "forwarding.h");
  ASSERT_FALSE(seam.empty());
  ASSERT_FALSE(forwarding.empty());

  const std::map<std::string, std::string> interfaces =
      ClassBodies(seam, std::regex(R"(\nclass (\w+) \{)"));
  const std::map<std::string, std::string> forwarders =
      ClassBodies(forwarding, std::regex(R"(\nclass Forwarding\w+ : public (\w+) \{)"));
  // The calls the logic makes on the machine; the handler interfaces are
  // the other way round (the machine calls the logic), nothing forwards them.
  const std::set<std::string> callbacks = {"DialogHandler", "FileDialogHook"};

  const std::regex virtualCall(R"(virtual\s+[\w:<>,\s\*&]*?\b(\w+)\s*\()");
  const std::regex overrideCall(R"(\b(\w+)\s*\([^;{}]*\)\s*(const\s*)?override)");
  int checked = 0;
  for (const auto& [name, body] : interfaces) {
    if (callbacks.count(name) != 0) continue;
    const std::set<std::string> calls = Names(body, virtualCall);
    if (calls.empty()) continue;
    SCOPED_TRACE("interface " + name);
    auto forwarder = forwarders.find(name);
    ASSERT_NE(forwarder, forwarders.end()) << "platform/forwarding.h has no Forwarding part for " << name;
    const std::set<std::string> forwarded = Names(forwarder->second, overrideCall);
    std::set<std::string> missing, extra;
    for (const std::string& call : calls) {
      if (forwarded.count(call) == 0) missing.insert(call);
    }
    for (const std::string& call : forwarded) {
      if (calls.count(call) == 0) extra.insert(call);
    }
    EXPECT_TRUE(missing.empty()) << "not forwarded: " << Joined(missing);
    EXPECT_TRUE(extra.empty()) << "forwarded but not in the interface: " << Joined(extra);
    ++checked;
  }
  // System, FileSystem, Profile, Registry, Lz, Versions, Services, Painter,
  // Ui, Dde: a parser that found fewer would pass by finding nothing.
  EXPECT_EQ(checked, 10);
  EXPECT_EQ(forwarders.size(), 10u);
}

}  // namespace
