// The LZ (SZDD) compressed-file format of the Windows expansion library.
//
// Header (14 bytes): "SZDD" 0x88 0xF0 0x27 0x33, the method 'A', the last
// character of the uncompressed name (0 when not recorded), and the
// uncompressed length as 32-bit little endian. Then the data: a flag byte
// whose bits (lowest first) say literal (1) or reference (0); a literal is
// one byte; a reference is two bytes giving a 12-bit position in a 4096-byte
// window (initialised with blanks, first write at 4096 - 16) and a length
// of 3 to 18.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace szdd {

constexpr std::size_t kHeaderSize = 14;

struct Header {
  char lastChar = 0;               // 0: not recorded
  std::uint32_t expandedLength = 0;
};

// True when `data` starts with a complete SZDD header.
bool ParseHeader(const std::uint8_t* data, std::size_t size, Header* out);

// Streaming expansion of one compressed file held in memory, read in pieces
// like LZRead. Never reads outside the input; any input is survived.
class Expander {
 public:
  Expander(const std::uint8_t* compressed, std::size_t size);
  // Expanded bytes copied into out (less than n only at the end of the
  // data); negative when the input is corrupt.
  int Read(std::uint8_t* out, int n);
  // Whether the data ended before the header's length was reached.
  bool Truncated() const;

 private:
  const std::uint8_t* in_;
  std::size_t size_;
  std::size_t pos_;
  std::uint32_t remainingLength_;
  std::uint8_t window_[4096];
  unsigned windowPos_;
  unsigned flags_;
  unsigned flagBits_;
  unsigned pendingPos_;
  unsigned pendingLen_;
  bool truncated_;
};

// The name GetExpandedNameA gives: for a compressed file whose header
// records the last character, the name with its final character (the one
// after the dot, or "_") replaced by it; otherwise the path unchanged.
std::string ExpandedName(const std::string& path, const Header* header);

// Compresses `data` into SZDD with the given last name character.
std::string Compress(const std::uint8_t* data, std::size_t size, char lastChar);

}  // namespace szdd
