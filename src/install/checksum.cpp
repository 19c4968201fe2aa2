#include "install/checksum.h"

#include <cstring>

#include "install/file_list.h"

namespace install {
namespace {

// Eight tables, so that eight bytes are folded in at a time ("slicing by
// eight"): the check runs over every byte the engine writes, and the byte
// at a time table method is about four times slower. The tables are made
// at the first use, so they cost the program no bytes on the disk.
struct Crc32Tables {
  std::uint32_t t[8][256];
  Crc32Tables() {
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? (c >> 1) ^ 0xEDB88320u : c >> 1;
      t[0][i] = c;
    }
    for (int s = 1; s < 8; ++s) {
      for (int i = 0; i < 256; ++i) t[s][i] = (t[s - 1][i] >> 8) ^ t[0][t[s - 1][i] & 0xFF];
    }
  }
};

const Crc32Tables& Tables() {
  static const Crc32Tables tables;
  return tables;
}

// Little-endian, whatever the host, one byte at a time so that no
// alignment is assumed.
std::uint32_t Load32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

void Crc32::Update(const std::uint8_t* data, std::size_t size) {
  const auto& t = Tables().t;
  std::uint32_t c = state_;
  while (size >= 8) {
    const std::uint32_t a = Load32(data) ^ c;
    const std::uint32_t b = Load32(data + 4);
    c = t[7][a & 0xFF] ^ t[6][(a >> 8) & 0xFF] ^ t[5][(a >> 16) & 0xFF] ^ t[4][a >> 24] ^ t[3][b & 0xFF] ^
        t[2][(b >> 8) & 0xFF] ^ t[1][(b >> 16) & 0xFF] ^ t[0][b >> 24];
    data += 8;
    size -= 8;
  }
  while (size-- > 0) c = t[0][(c ^ *data++) & 0xFF] ^ (c >> 8);
  state_ = c;
}

std::uint32_t Crc32Of(const std::uint8_t* data, std::size_t size) {
  Crc32 crc;
  crc.Update(data, size);
  return crc.Value();
}

ChecksumField ReadChecksumField(const std::string& line, std::uint32_t* value) {
  if (line.find(kChecksumOption) == std::string::npos) return ChecksumField::kAbsent;
  const std::string text = OptionValue(line, kChecksumOption);
  if (text.size() != kChecksumDigits) return ChecksumField::kMalformed;
  std::uint32_t v = 0;
  for (char c : text) {
    const int digit = HexDigit(c);
    if (digit < 0) return ChecksumField::kMalformed;
    v = v << 4 | static_cast<std::uint32_t>(digit);
  }
  *value = v;
  return ChecksumField::kValid;
}

std::string ChecksumOptionText(std::uint32_t value) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out = kChecksumOption;
  for (int shift = 28; shift >= 0; shift -= 4) out.push_back(kDigits[(value >> shift) & 0xF]);
  return out;
}

}  // namespace install
