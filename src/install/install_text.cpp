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

}  // namespace install
