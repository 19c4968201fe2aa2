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

// True when `data` starts with a complete SZDD header of method 'A' (lz32
// reads any other method as a plain file).
bool ParseHeader(const std::uint8_t* data, std::size_t size, Header* out);

// Streaming expansion of one compressed file held in memory, read in pieces
// like LZRead. Never reads outside the input; any input is survived.
// As with LZOpenFileA, input without a valid header is handed out as it is.
// Compressed data is expanded until it runs out, whatever the header's length
// says (lz32 does the same); a token cut off by the end of the data ends the
// output, and reading on gives 0. Truncated() then tells whether fewer bytes
// came out than the header announced.
class Expander {
 public:
  Expander(const std::uint8_t* compressed, std::size_t size);
  // Expanded bytes copied into out (less than n only at the end of the
  // data); negative (-1) only for a negative n or a null out: every byte
  // sequence decodes to something.
  int Read(std::uint8_t* out, int n);
  // Whether the data ended before the header's length was reached (false
  // until the data is used up, and for plain input).
  bool Truncated() const;

 private:
  // Output is decoded into buf_: the first kHistory bytes are the last 4096
  // bytes produced (blanks at the start, as the ring of lz32 begins), the
  // rest holds decoded bytes not yet handed out. References are absolute
  // positions in the 4096-byte ring; ringBase_ maps buffer indexes to them.
  static constexpr std::size_t kHistory = 4096;
  static constexpr std::size_t kChunk = 32768;
  static constexpr std::size_t kSlack = 64;  // room for over-long block copies

  void Decode();

  const std::uint8_t* in_;
  std::size_t size_;
  std::size_t pos_;                // next input byte
  bool compressed_;                // false: the input is handed out as it is
  std::uint32_t expandedLength_;   // from the header
  std::uint64_t produced_;         // expanded bytes decoded so far
  unsigned flags_;                 // flag bits left, above a marker bit
  unsigned ringBase_;              // ring position of buf_[0]
  std::size_t readPos_;            // next byte of buf_ to hand out
  std::size_t endPos_;             // end of decoded bytes in buf_
  bool inputDone_;                 // the compressed data is used up
  std::uint8_t buf_[kHistory + kChunk + kSlack];
};

// The name GetExpandedNameA gives: for a compressed file whose header
// records the last character, the name with its final character (the one
// after the dot, or "_") replaced by it; otherwise the path unchanged.
std::string ExpandedName(const std::string& path, const Header* header);

// Compresses `data` into SZDD with the given last name character.
std::string Compress(const std::uint8_t* data, std::size_t size, char lastChar);

}  // namespace szdd
