// Fuzz target of the checksum field of a file-list line ("/C" and 8
// hexadecimal digits) and of the CRC-32 computed over data in pieces.
//
// What must hold, besides no crash and no out-of-bounds access:
// - a line without "/C" has no checksum; one with it has a valid one only
//   when the value (up to the first white space) is exactly 8 hexadecimal
//   digits, and then the value written again reads the same digits;
// - the line's other options read the same as without the field's reader;
// - the CRC-32 of the input is the same however it is cut into pieces.
#include <cstddef>
#include <cstdint>
#include <string>

#include "install/checksum.h"
#include "install/file_list.h"

namespace {

[[noreturn]] void Fail() { __builtin_trap(); }

bool IsHex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string line(reinterpret_cast<const char*>(data), size);
  std::uint32_t value = 0xA5A5A5A5u;
  const install::ChecksumField field = install::ReadChecksumField(line, &value);
  const bool hasOption = line.find("/C") != std::string::npos;
  const std::string text = install::OptionValue(line, "/C");
  bool eightHex = text.size() == 8;
  for (char c : text) eightHex = eightHex && IsHex(c);

  if (!hasOption && field != install::ChecksumField::kAbsent) Fail();
  if (hasOption && field == install::ChecksumField::kAbsent) Fail();
  if (hasOption && (field == install::ChecksumField::kValid) != eightHex) Fail();
  if (field != install::ChecksumField::kValid && value != 0xA5A5A5A5u) Fail();
  if (field == install::ChecksumField::kValid) {
    const std::string written = install::ChecksumOptionText(value);
    if (written.size() != 10 || written.compare(0, 2, "/C") != 0) Fail();
    for (std::size_t i = 0; i < 8; ++i) {
      if (written[2 + i] != Upper(text[i])) Fail();
    }
  }

  const install::FileListLine parsed = install::ParseFileListLine(line);
  if (parsed.checksumField != field) Fail();
  if (field == install::ChecksumField::kValid && parsed.checksum != value) Fail();
  if (parsed.subDir != install::OptionValue(line, "/X") || parsed.installName != install::OptionValue(line, "/R")) {
    Fail();
  }
  if (field == install::ChecksumField::kMalformed && install::CheckFileListLine(parsed).empty()) Fail();

  const std::uint32_t whole = install::Crc32Of(data, size);
  const std::size_t split = size == 0 ? 0 : data[0] % (size + 1);
  install::Crc32 pieces;
  pieces.Update(data, split);
  pieces.Update(data + split, size - split);
  if (pieces.Value() != whole) Fail();
  return 0;
}
