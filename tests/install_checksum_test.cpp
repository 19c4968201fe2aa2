// The CRC-32 of a file's expanded data and the "/C" field of a file-list
// line that records it.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "install/checksum.h"
#include "install/file_list.h"

namespace install {
namespace {

// The CRC-32 bit by bit, as the polynomial defines it: the reference the
// table method must agree with.
std::uint32_t BitwiseCrc32(const std::vector<std::uint8_t>& data) {
  std::uint32_t c = 0xFFFFFFFFu;
  for (std::uint8_t byte : data) {
    c ^= byte;
    for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? (c >> 1) ^ 0xEDB88320u : c >> 1;
  }
  return ~c;
}

std::vector<std::uint8_t> Pattern(std::size_t size, std::uint32_t seed) {
  std::vector<std::uint8_t> out(size);
  for (std::size_t i = 0; i < size; ++i) {
    seed = seed * 1103515245u + 12345u;
    out[i] = static_cast<std::uint8_t>(seed >> 16);
  }
  return out;
}

TEST(Crc32, CheckValueOfTheStandard) {
  // The check value every description of this CRC gives for "123456789".
  const std::string digits = "123456789";
  EXPECT_EQ(Crc32Of(reinterpret_cast<const std::uint8_t*>(digits.data()), digits.size()), 0xCBF43926u);
  EXPECT_EQ(Crc32Of(nullptr, 0), 0u);
}

TEST(Crc32, AgreesWithTheBitwiseDefinitionForEveryLengthAndSplit) {
  for (std::size_t size = 0; size <= 40; ++size) {
    const std::vector<std::uint8_t> data = Pattern(size, static_cast<std::uint32_t>(size));
    const std::uint32_t expected = BitwiseCrc32(data);
    EXPECT_EQ(Crc32Of(data.data(), data.size()), expected) << "size " << size;
    for (std::size_t split = 0; split <= size; ++split) {
      Crc32 crc;
      crc.Update(data.data(), split);
      crc.Update(data.data() + split, size - split);
      EXPECT_EQ(crc.Value(), expected) << "size " << size << " split " << split;
    }
  }
}

TEST(Crc32, EverySingleByteChangeOfABlockIsSeen) {
  std::vector<std::uint8_t> data = Pattern(5120, 7);
  const std::uint32_t whole = Crc32Of(data.data(), data.size());
  for (std::size_t i = 0; i < data.size(); i += 97) {
    data[i] ^= 0x01;
    EXPECT_NE(Crc32Of(data.data(), data.size()), whole) << "byte " << i;
    data[i] ^= 0x01;
  }
  EXPECT_NE(Crc32Of(data.data(), data.size() - 1), whole) << "one byte short";
}

struct FieldCase {
  const char* line;
  ChecksumField field;
  std::uint32_t value;  // for kValid
};

TEST(ChecksumField, TableOfLines) {
  const FieldCase cases[] = {
      {"README.TX_,/D1 /T889686000\n", ChecksumField::kAbsent, 0},
      {"README.TX_,/D1 /T0 /C1A2B3C4D\n", ChecksumField::kValid, 0x1A2B3C4Du},
      {"README.TX_,/D1 /Cdeadbeef /T0\n", ChecksumField::kValid, 0xDEADBEEFu},
      {"README.TX_,/C00000000 /D1", ChecksumField::kValid, 0},
      {"README.TX_,/D1 /CFFFFFFFF\r\n", ChecksumField::kValid, 0xFFFFFFFFu},
      {"README.TX_,/D1 /C1A2B3C4\n", ChecksumField::kMalformed, 0},     // 7 digits
      {"README.TX_,/D1 /C1A2B3C4D5\n", ChecksumField::kMalformed, 0},   // 9 digits
      {"README.TX_,/D1 /C1A2B3C4G\n", ChecksumField::kMalformed, 0},    // not hexadecimal
      {"README.TX_,/D1 /C\n", ChecksumField::kMalformed, 0},            // empty
      {"README.TX_,/D1 /C 1A2B3C4D\n", ChecksumField::kMalformed, 0},   // value after a blank
      {"README.TX_,/D1 /C+1A2B3C4\n", ChecksumField::kMalformed, 0},    // a sign is no digit
      {"README.TX_,/D1 /CXYZ /C1A2B3C4D\n", ChecksumField::kMalformed, 0},  // the first one counts
  };
  for (std::size_t row = 0; row < std::size(cases); ++row) {
    const FieldCase& c = cases[row];
    std::uint32_t value = 0xA5A5A5A5u;  // poisoned: left alone unless valid
    EXPECT_EQ(ReadChecksumField(c.line, &value), c.field) << "row " << row << ": " << c.line;
    EXPECT_EQ(value, c.field == ChecksumField::kValid ? c.value : 0xA5A5A5A5u) << "row " << row;
  }
}

TEST(ChecksumField, WrittenTextReadsBack) {
  for (std::uint32_t v : {0u, 1u, 0x0000ABCDu, 0x80000000u, 0xCBF43926u, 0xFFFFFFFFu}) {
    const std::string text = ChecksumOptionText(v);
    EXPECT_EQ(text.size(), kChecksumFieldLength - 1) << text;
    std::uint32_t back = ~v;
    EXPECT_EQ(ReadChecksumField("A.TX_,/D1 " + text + "\n", &back), ChecksumField::kValid) << text;
    EXPECT_EQ(back, v) << text;
  }
}

TEST(ChecksumField, LineParserAndCheckTakeIt) {
  FileListLine good = ParseFileListLine("A.TX_,/D1 /T5 /C0BADF00D\n");
  EXPECT_EQ(good.checksumField, ChecksumField::kValid);
  EXPECT_EQ(good.checksum, 0x0BADF00Du);
  EXPECT_EQ(good.timeStamp, 5);
  EXPECT_EQ(CheckFileListLine(good), "");
  // The field changes no other option's value.
  EXPECT_EQ(good.platform, "");
  EXPECT_EQ(good.installName, "");
  EXPECT_EQ(good.subDir, "");

  EXPECT_EQ(CheckFileListLine(ParseFileListLine("A.TX_,/D1 /T5\n")), "");
  EXPECT_EQ(CheckFileListLine(ParseFileListLine("A.TX_,/D1 /C0BADF00\n")),
            "/C checksum is not 8 hexadecimal digits");
}

}  // namespace
}  // namespace install
