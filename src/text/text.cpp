#include "text/text.h"

#include <cstdint>

namespace text {
namespace {

// Unicode code points of the bytes 0x80 to 0x9F. The five bytes Windows-1252
// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the C1 control
// of the same number, as Windows converts them, so that every byte survives
// a round trip through UTF-8.
constexpr std::uint16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

std::uint32_t ByteToCodePoint(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) return kHighControls[byte - 0x80];
  return byte;
}

// The Windows-1252 byte of a code point; false when there is none.
bool CodePointToByte(std::uint32_t cp, unsigned char* out) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
    *out = static_cast<unsigned char>(cp);
    return true;
  }
  for (int i = 0; i < 32; ++i) {
    if (kHighControls[i] == cp) {
      *out = static_cast<unsigned char>(0x80 + i);
      return true;
    }
  }
  return false;
}

void AppendUtf8(std::uint32_t cp, std::string* out) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    // Every code point of the table lies below 0x10000.
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Decodes one UTF-8 sequence at text[*pos]; advances *pos past it. Returns
// false (and advances by one byte) for a malformed, overlong, truncated or
// surrogate sequence.
bool DecodeUtf8(const std::string& text, std::size_t* pos, std::uint32_t* cp) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(*pos);
  int length = 0;
  std::uint32_t value = 0;
  std::uint32_t minimum = 0;
  if (lead < 0x80) {
    *cp = lead;
    ++*pos;
    return true;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2, value = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, value = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, value = lead & 0x07, minimum = 0x10000;
  } else {
    ++*pos;
    return false;
  }
  if (text.size() - *pos < static_cast<std::size_t>(length)) {
    ++*pos;
    return false;
  }
  for (int i = 1; i < length; ++i) {
    const unsigned char next = byte(*pos + i);
    if ((next & 0xC0) != 0x80) {
      ++*pos;
      return false;
    }
    value = (value << 6) | (next & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    ++*pos;
    return false;
  }
  *pos += length;
  *cp = value;
  return true;
}

}  // namespace

std::string Utf8ToCp1252(const std::string& utf8, bool* lossless) {
  std::string out;
  out.reserve(utf8.size());
  bool exact = true;
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    std::uint32_t cp = 0;
    unsigned char b = 0;
    if (DecodeUtf8(utf8, &pos, &cp) && CodePointToByte(cp, &b)) {
      out.push_back(static_cast<char>(b));
    } else {
      out.push_back('?');
      exact = false;
    }
  }
  if (lossless != nullptr) *lossless = exact;
  return out;
}

std::string Cp1252ToUtf8(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  for (char c : text) AppendUtf8(ByteToCodePoint(static_cast<unsigned char>(c)), &out);
  return out;
}

// ---------------------------------------------------------------- ASCII

namespace {

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool Contains(std::string_view text, std::string_view what) {
  return text.find(what) != std::string_view::npos;
}

std::string ToUpperAscii(std::string text) {
  for (char& c : text) c = UpperAscii(c);
  return text;
}

std::string ToLowerAscii(std::string text) {
  for (char& c : text) c = LowerAscii(c);
  return text;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
  }
  return true;
}

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

std::string Trim(std::string_view text, std::string_view blanks) {
  std::size_t b = text.find_first_not_of(blanks);
  if (b == std::string_view::npos) return "";
  std::size_t e = text.find_last_not_of(blanks);
  return std::string(text.substr(b, e - b + 1));
}

// ---------------------------------------------------------------- quoting

namespace {

void AppendEscaped(std::string_view text, std::string* out) {
  for (char c : text) {
    switch (c) {
      case '\n': out->append("\\n"); break;
      case '\t': out->append("\\t"); break;
      case '\r': out->append("\\r"); break;
      case '\\': out->append("\\\\"); break;
      case '"': out->append("\\\""); break;
      default: out->push_back(c);
    }
  }
}

}  // namespace

std::string Escape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  AppendEscaped(text, &out);
  return out;
}

// Built in place: GCC 12 at -O3 warns falsely about "\"" + s + "\"" (its
// bug 105329).
std::string Quote(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out.push_back('"');
  AppendEscaped(text, &out);
  out.push_back('"');
  return out;
}

}  // namespace text
