// The checksum of a file's expanded data, as a disk set records it in the
// file list: the option "/C" followed by the CRC-32 of the bytes the copy
// engine writes, as 8 hexadecimal digits ("README.TX_,/D1 /T889686000
// /C1A2B3C4D"). A reader that does not know the option passes over it, so
// a set with checksums installs with any reader of the file list.
//
// CRC-32 (the polynomial of zip and PNG, reflected, 0xEDB88320) is what
// the check needs: the faults it is for are a file cut short, a sector
// that reads wrong and a disk of another release, not a forger (who could
// change SETUP.DAT as well), and it fits the file-list line in 11
// characters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace install {

// The running CRC-32 of data given in pieces.
class Crc32 {
 public:
  void Update(const std::uint8_t* data, std::size_t size);
  std::uint32_t Value() const { return ~state_; }

 private:
  std::uint32_t state_ = 0xFFFFFFFFu;
};

std::uint32_t Crc32Of(const std::uint8_t* data, std::size_t size);

// What a file-list line says about the checksum of its file.
enum class ChecksumField {
  kAbsent,     // no "/C": the file is not checked
  kValid,      // "/C" and exactly 8 hexadecimal digits
  kMalformed,  // "/C" with any other value: the list is damaged
};

// The option letters and the width of the value.
constexpr char kChecksumOption[] = "/C";
constexpr std::size_t kChecksumDigits = 8;
// " /C" and the digits: what the field adds to a file-list line.
constexpr std::size_t kChecksumFieldLength = 3 + kChecksumDigits;

// Reads the "/C" value of a file-list line (its first occurrence, up to the
// first white space, as every option is read). *value is set only for
// kValid.
ChecksumField ReadChecksumField(const std::string& line, std::uint32_t* value);

// "/C" and the 8 upper-case hexadecimal digits of `value`.
std::string ChecksumOptionText(std::uint32_t value);

}  // namespace install
