#include "text/windows_path.h"

namespace text {

char FoldName(char ch) {
  unsigned char c = static_cast<unsigned char>(ch);
  if (c >= 'a' && c <= 'z') return static_cast<char>(c - 32);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char>(c - 32);
  if (c == 0x9A || c == 0x9C || c == 0x9E) return static_cast<char>(c - 16);  // š œ ž
  if (c == 0xFF) return static_cast<char>(0x9F);                               // ÿ
  return ch;
}

std::string WindowsPath::Text() const {
  std::string out = root;
  if (parts.empty()) return out + "\\";
  for (const std::string& part : parts) out += "\\" + part;
  return out;
}

WindowsPath ResolvePath(const std::string& path) {
  std::string p = path;
  for (char& ch : p) {
    if (ch == '/') ch = '\\';
    ch = FoldName(ch);
  }
  WindowsPath out;
  std::size_t start = 0;
  if (p.size() >= 2 && p[0] == '\\' && p[1] == '\\') {
    // \\server\share: both names make the root.
    std::size_t server = p.find('\\', 2);
    if (server == std::string::npos || server == 2) return out;
    std::size_t share = p.find('\\', server + 1);
    if (share == std::string::npos) share = p.size();
    if (share == server + 1) return out;
    out.root = p.substr(0, share);
    start = share;
  } else if (p.size() >= 2 && p[1] == ':') {
    out.root = p.substr(0, 2);
    start = 2;
  } else {
    return out;
  }
  out.valid = true;
  std::size_t i = start;
  while (i <= p.size()) {
    std::size_t next = p.find('\\', i);
    if (next == std::string::npos) next = p.size();
    std::string part = p.substr(i, next - i);
    while (!part.empty() && (part.back() == '.' || part.back() == ' ')) {
      if (part == "." || part == "..") break;
      part.pop_back();
    }
    if (part == "..") {
      if (!out.parts.empty()) out.parts.pop_back();
    } else if (!part.empty() && part != ".") {
      out.parts.push_back(part);
    }
    i = next + 1;
  }
  return out;
}

bool IsSameOrBelow(const WindowsPath& a, const WindowsPath& b) {
  if (!a.valid || !b.valid || a.root != b.root || b.parts.size() > a.parts.size()) return false;
  for (std::size_t i = 0; i < b.parts.size(); ++i) {
    if (a.parts[i] != b.parts[i]) return false;
  }
  return true;
}

bool IsSamePath(const WindowsPath& a, const WindowsPath& b) {
  return IsSameOrBelow(a, b) && a.parts.size() == b.parts.size();
}

}  // namespace text
