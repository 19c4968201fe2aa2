// A minimal 32-bit PE image with one .rsrc section holding a version
// resource (RT_VERSION, name 1, language 0x409) whose VS_FIXEDFILEINFO
// carries the given file version: the layout the Windows linker and
// resource compiler produce, reduced to what the version library reads.
#pragma once

#include <cstdint>
#include <string>

namespace testsupport {

inline void PutU16(std::string& s, std::size_t at, std::uint32_t v) {
  s[at] = static_cast<char>(v & 0xFF);
  s[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
inline void PutU32(std::string& s, std::size_t at, std::uint32_t v) {
  PutU16(s, at, v & 0xFFFF);
  PutU16(s, at + 2, v >> 16);
}

// Offsets in the image, for tests that damage it.
constexpr std::size_t kPeOffset = 0x40;
constexpr std::size_t kRsrcFileOffset = 0x200;
constexpr std::size_t kVersionInfoOffset = kRsrcFileOffset + 0x58;

inline std::string PeImageWithVersion(std::uint32_t ms, std::uint32_t ls) {
  std::string s(kRsrcFileOffset + 0x58 + 92, '\0');
  s[0] = 'M';
  s[1] = 'Z';
  PutU32(s, 0x3C, kPeOffset);
  s.replace(kPeOffset, 4, std::string("PE\0\0", 4));
  std::size_t coff = kPeOffset + 4, optional = coff + 20;
  PutU16(s, coff, 0x14C);        // i386
  PutU16(s, coff + 2, 1);        // one section
  PutU16(s, coff + 16, 0xE0);    // optional header size
  PutU16(s, optional, 0x10B);    // PE32
  PutU32(s, optional + 92, 16);  // data directories
  PutU32(s, optional + 96 + 16, 0x1000);  // resource directory RVA
  PutU32(s, optional + 96 + 20, 0x58 + 92);
  std::size_t section = optional + 0xE0;
  s.replace(section, 5, ".rsrc");
  PutU32(s, section + 8, 0x58 + 92);
  PutU32(s, section + 12, 0x1000);
  PutU32(s, section + 16, 0x58 + 92);
  PutU32(s, section + 20, kRsrcFileOffset);
  std::size_t r = kRsrcFileOffset;
  PutU16(s, r + 14, 1);  // root: one id entry
  PutU32(s, r + 16, 16);
  PutU32(s, r + 20, 0x80000000u | 0x18);
  PutU16(s, r + 0x18 + 14, 1);  // type directory
  PutU32(s, r + 0x28, 1);
  PutU32(s, r + 0x2C, 0x80000000u | 0x30);
  PutU16(s, r + 0x30 + 14, 1);  // name directory
  PutU32(s, r + 0x40, 0x409);
  PutU32(s, r + 0x44, 0x48);
  PutU32(s, r + 0x48, 0x1000 + 0x58);  // data entry
  PutU32(s, r + 0x4C, 92);
  std::size_t v = kVersionInfoOffset;
  PutU16(s, v, 92);
  PutU16(s, v + 2, 52);
  const char* key = "VS_VERSION_INFO";
  for (int i = 0; key[i]; ++i) PutU16(s, v + 6 + 2 * i, static_cast<unsigned char>(key[i]));
  PutU32(s, v + 40, 0xFEEF04BD);
  PutU32(s, v + 44, 0x00010000);
  PutU32(s, v + 48, ms);
  PutU32(s, v + 52, ls);
  PutU32(s, v + 56, ms);  // product version
  PutU32(s, v + 60, ls);
  return s;
}

}  // namespace testsupport
