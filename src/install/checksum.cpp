#include "install/checksum.h"

#include <cstring>
#include <vector>

#include "install/file_list.h"

namespace install {
namespace {

// Eight tables, so that eight bytes are folded in at a time ("slicing by
// eight"): the check runs over every byte the engine writes, and the byte
// at a time table method is about four times slower. The 8 KB of tables
// are made in memory at the first use: in the program's own data they
// would take 8 KB of the first disk.
constexpr std::size_t kTableSize = 256;

const std::uint32_t* Tables() {
  static std::vector<std::uint32_t> tables;
  if (tables.empty()) {
    tables.resize(8 * kTableSize);
    for (std::uint32_t i = 0; i < kTableSize; ++i) {
      std::uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? (c >> 1) ^ 0xEDB88320u : c >> 1;
      tables[i] = c;
    }
    for (std::size_t i = kTableSize; i < tables.size(); ++i) {
      const std::uint32_t previous = tables[i - kTableSize];
      tables[i] = (previous >> 8) ^ tables[previous & 0xFF];
    }
  }
  return tables.data();
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
  const std::uint32_t* const t = Tables();
  const std::uint32_t* const t1 = t + kTableSize;
  const std::uint32_t* const t2 = t1 + kTableSize;
  const std::uint32_t* const t3 = t2 + kTableSize;
  const std::uint32_t* const t4 = t3 + kTableSize;
  const std::uint32_t* const t5 = t4 + kTableSize;
  const std::uint32_t* const t6 = t5 + kTableSize;
  const std::uint32_t* const t7 = t6 + kTableSize;
  std::uint32_t c = state_;
  while (size >= 8) {
    const std::uint32_t a = Load32(data) ^ c;
    const std::uint32_t b = Load32(data + 4);
    c = t7[a & 0xFF] ^ t6[(a >> 8) & 0xFF] ^ t5[(a >> 16) & 0xFF] ^ t4[a >> 24] ^ t3[b & 0xFF] ^
        t2[(b >> 8) & 0xFF] ^ t1[(b >> 16) & 0xFF] ^ t[b >> 24];
    data += 8;
    size -= 8;
  }
  while (size-- > 0) c = t[(c ^ *data++) & 0xFF] ^ (c >> 8);
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
