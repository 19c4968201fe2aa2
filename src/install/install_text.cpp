#include "install/install_text.h"

#include <vector>

namespace install {

std::string FillPlaceholders(const char* text, std::initializer_list<std::string> values) {
  std::string out;
  if (text == nullptr) return out;
  std::vector<std::string> left(values);
  std::size_t next = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p == '%' && p[1] == '%') {
      out.push_back('%');
      ++p;
    } else if (*p == '%' && next < left.size() && (p[1] == 's' || p[1] == 'd')) {
      out += left[next++];
      ++p;
    } else {
      out.push_back(*p);
    }
  }
  return out;
}

std::string FillPlaceholder(const char* text, const std::string& value) {
  return FillPlaceholders(text, {value});
}

}  // namespace install
