#include "install/install_text.h"

namespace install {

std::string FillPlaceholder(const char* text, const std::string& value) {
  std::string out;
  if (text == nullptr) return out;
  bool filled = false;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p == '%' && p[1] == '%') {
      out.push_back('%');
      ++p;
    } else if (*p == '%' && !filled && (p[1] == 's' || p[1] == 'd')) {
      out += value;
      filled = true;
      ++p;
    } else {
      out.push_back(*p);
    }
  }
  return out;
}

namespace {
char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
}  // namespace

bool EqualsNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
  }
  return true;
}

std::string ToUpperAscii(std::string text) {
  for (char& c : text) c = UpperAscii(c);
  return text;
}

bool Contains(const std::string& text, const char* what) {
  return text.find(what) != std::string::npos;
}

}  // namespace install
