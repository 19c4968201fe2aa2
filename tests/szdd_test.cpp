// Tests of the SZDD reader and writer: round trips, hostile input, the
// expanded names of GetExpandedNameA, and files made by Debian's mscompress.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "lz/szdd.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

const std::uint8_t* U(const std::string& s) { return reinterpret_cast<const std::uint8_t*>(s.data()); }

// Reads everything from an expander in pieces of `piece` bytes.
Bytes ExpandAll(const std::uint8_t* data, std::size_t size, int piece, bool* truncated = nullptr) {
  szdd::Expander e(data, size);
  Bytes out;
  std::vector<std::uint8_t> buf(static_cast<std::size_t>(piece));
  for (;;) {
    const int n = e.Read(buf.data(), piece);
    EXPECT_GE(n, 0);
    if (n <= 0) break;
    EXPECT_LE(n, piece);
    out.insert(out.end(), buf.begin(), buf.begin() + n);
    if (n < piece) {
      // Once short, the data is over: further reads give 0.
      EXPECT_EQ(e.Read(buf.data(), piece), 0);
      break;
    }
  }
  if (truncated) *truncated = e.Truncated();
  return out;
}

Bytes ExpandAll(const std::string& packed, int piece = 5120, bool* truncated = nullptr) {
  return ExpandAll(U(packed), packed.size(), piece, truncated);
}

Bytes Content(const std::string& kind, std::size_t n) {
  std::mt19937 rnd(static_cast<unsigned>(n * 31 + kind.size()));
  Bytes b(n);
  if (kind == "random") {
    for (auto& c : b) c = static_cast<std::uint8_t>(rnd());
  } else if (kind == "zeros") {
    // all zero
  } else if (kind == "blanks") {
    std::fill(b.begin(), b.end(), ' ');
  } else if (kind == "text") {
    static const char* words[] = {"tape ", "backup ", "restore ", "the ", "catalog ", "\r\n", "drive "};
    std::string s;
    while (s.size() < n) s += words[rnd() % 7];
    if (n > 0) std::memcpy(b.data(), s.data(), n);
  } else if (kind == "period") {
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>("ABCDEFGHIJKLMNOPQRS"[i % 19]);
  }
  return b;
}

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in.good()) << path;
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// ---------------------------------------------------------------- round trips

TEST(SzddRoundTrip, SizesAndContents) {
  const std::size_t sizes[] = {0, 1, 2, 3, 15, 16, 17, 18, 19, 4095, 4096, 4097, 5119, 5120, 5121, 100000};
  const char* kinds[] = {"random", "zeros", "blanks", "text", "period"};
  for (const char* kind : kinds) {
    for (std::size_t n : sizes) {
      SCOPED_TRACE(std::string(kind) + " " + std::to_string(n));
      const Bytes data = Content(kind, n);
      const std::string packed = szdd::Compress(data.data(), data.size(), 'T');
      szdd::Header h;
      ASSERT_TRUE(szdd::ParseHeader(U(packed), packed.size(), &h));
      EXPECT_EQ(h.lastChar, 'T');
      EXPECT_EQ(h.expandedLength, n);
      bool truncated = true;
      EXPECT_EQ(ExpandAll(packed, 5120, &truncated), data);
      EXPECT_FALSE(truncated);
      // Odd piece sizes cross every internal boundary.
      EXPECT_EQ(ExpandAll(packed, 7), data);
      EXPECT_EQ(ExpandAll(packed, 4099), data);
    }
  }
}

TEST(SzddRoundTrip, CompressesRepeatsAndBoundsGrowth) {
  const Bytes text = Content("text", 100000);
  const Bytes zeros = Content("zeros", 100000);
  const Bytes random = Content("random", 100000);
  EXPECT_LT(szdd::Compress(text.data(), text.size(), 0).size(), text.size() / 3);
  // 18 bytes in 17 bits at best.
  EXPECT_LT(szdd::Compress(zeros.data(), zeros.size(), 0).size(), zeros.size() / 8 + 100);
  // Incompressible data costs one flag bit per byte.
  EXPECT_LE(szdd::Compress(random.data(), random.size(), 0).size(),
            szdd::kHeaderSize + random.size() + (random.size() + 7) / 8);
}

TEST(SzddRoundTrip, EmptyInputIsJustTheHeader) {
  const std::string packed = szdd::Compress(nullptr, 0, 'X');
  const std::string expected("SZDD\x88\xF0\x27\x33" "AX\0\0\0\0", 14);
  EXPECT_EQ(packed, expected);
  EXPECT_TRUE(ExpandAll(packed).empty());
}

// ---------------------------------------------------------------- decoding rules

std::string HeaderFor(std::uint32_t length, char last = 'X') {
  std::string h("SZDD\x88\xF0\x27\x33" "A", 9);
  h.push_back(last);
  for (int i = 0; i < 4; ++i) h.push_back(static_cast<char>((length >> (8 * i)) & 0xFF));
  return h;
}

TEST(SzddDecode, ReferencesBeforeTheStartReadBlanks) {
  // Flags 0: a reference to ring position 0 (never written) of length 5,
  // then a literal, then a reference to 0xFF0 (the first byte written).
  std::string s = HeaderFor(5 + 1 + 3);
  s += std::string("\x02", 1);            // flags: ref, literal, ref
  s += std::string("\x00\x02", 2);        // pos 0x000, len 2+3
  s += "Z";
  s += std::string("\xF0\xF0", 2);        // pos 0xFF0, len 0+3
  const Bytes out = ExpandAll(s);
  EXPECT_EQ(std::string(out.begin(), out.end()), std::string("     Z   "));
}

TEST(SzddDecode, OverlappingReferenceRepeatsTheLastByte) {
  // Literal 'a' at 0xFF0, then a reference to 0xFF0 of 18: the run grows
  // while it is copied.
  std::string s = HeaderFor(19);
  s += std::string("\x01", 1);
  s += "a";
  s += std::string("\xF0\xFF", 2);  // pos 0xFF0, len 15+3
  const Bytes out = ExpandAll(s);
  EXPECT_EQ(std::string(out.begin(), out.end()), std::string(19, 'a'));
}

// Short runs: every period from 1 to 7 bytes with every reference length,
// in a stream of such units long enough for whole groups of tokens to be
// decoded at once (the last ones, near the end of the data, go one token at
// a time).
TEST(SzddDecode, RunsOfEveryShortPeriodAndLength) {
  for (unsigned period = 1; period <= 7; ++period) {
    for (unsigned length = 3; length <= 18; ++length) {
      SCOPED_TRACE("period " + std::to_string(period) + ", length " + std::to_string(length));
      // Tokens: `period` literals, then a reference `period` bytes back.
      std::vector<std::pair<bool, unsigned>> tokens;  // literal?, byte or length
      std::string expected;
      for (unsigned unit = 0; unit < 40; ++unit) {
        std::string literals;
        for (unsigned k = 0; k < period; ++k) literals += static_cast<char>('A' + (unit * 7 + k) % 26);
        for (char c : literals) tokens.emplace_back(true, static_cast<unsigned char>(c));
        expected += literals;
        tokens.emplace_back(false, length);
        for (unsigned k = 0; k < length; ++k) expected += literals[k % period];
      }
      std::string body;
      std::size_t produced = 0;
      for (std::size_t i = 0; i < tokens.size(); i += 8) {
        unsigned flags = 0;
        std::string group;
        for (std::size_t j = i; j < tokens.size() && j < i + 8; ++j) {
          if (tokens[j].first) {
            flags |= 1u << (j - i);
            group += static_cast<char>(tokens[j].second);
            ++produced;
          } else {
            const unsigned ringPos = (0xFF0u + produced - period) & 0xFFFu;
            group += static_cast<char>(ringPos & 0xFF);
            group += static_cast<char>(((ringPos >> 4) & 0xF0) | (tokens[j].second - 3));
            produced += tokens[j].second;
          }
        }
        body += static_cast<char>(flags);
        body += group;
      }
      const Bytes out = ExpandAll(HeaderFor(static_cast<std::uint32_t>(expected.size())) + body);
      EXPECT_EQ(std::string(out.begin(), out.end()), expected);
    }
  }
}

TEST(SzddDecode, ReferenceToTheNextWritePositionReadsTheOldestByte) {
  // The first byte goes to 0xFF0; a reference to 0xFF1 at that moment
  // reads what the ring held there (a blank), not the new data.
  std::string s = HeaderFor(4);
  s += std::string("\x01", 1);
  s += "q";
  s += std::string("\xF1\xF0", 2);  // pos 0xFF1, len 3
  const Bytes out = ExpandAll(s);
  EXPECT_EQ(std::string(out.begin(), out.end()), std::string("q   "));
}

// ---------------------------------------------------------------- hostile input

TEST(SzddHostile, TruncatedAtEveryLength) {
  const Bytes data = Content("text", 700);
  const std::string packed = szdd::Compress(data.data(), data.size(), 'T');
  for (std::size_t cut = 0; cut <= packed.size(); ++cut) {
    SCOPED_TRACE(cut);
    bool truncated = false;
    const Bytes out = ExpandAll(U(packed), cut, 64, &truncated);
    if (cut < szdd::kHeaderSize) {
      // A short header is a plain file, handed out as it is.
      EXPECT_EQ(out, Bytes(packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(cut)));
      EXPECT_FALSE(truncated);
      continue;
    }
    ASSERT_LE(out.size(), data.size());
    EXPECT_TRUE(std::equal(out.begin(), out.end(), data.begin()));
    EXPECT_EQ(truncated, cut < packed.size());
    EXPECT_EQ(truncated, out.size() < data.size());
  }
}

TEST(SzddHostile, HeaderVariants) {
  const Bytes data = Content("text", 300);
  const std::string good = szdd::Compress(data.data(), data.size(), 'T');
  struct Case {
    const char* what;
    std::string input;
    bool compressed;         // read as SZDD (else handed out as it is)
    bool truncated;
    std::size_t outSize;
  };
  std::string badMagic = good;
  badMagic[3] = 'X';
  std::string methodB = good;
  methodB[8] = 'B';
  std::string longer = good;
  longer[13] = 0x7F;  // claims about 2 GB
  std::string shorter = good;
  shorter[10] = 10;
  shorter[11] = 0;
  const Case cases[] = {
      {"good", good, true, false, data.size()},
      {"bad magic", badMagic, false, false, badMagic.size()},
      {"unknown method", methodB, false, false, methodB.size()},
      {"length too long", longer, true, true, data.size()},
      {"length too short: the data decides", shorter, true, false, data.size()},
      {"header only", good.substr(0, 14), true, true, 0},
      {"thirteen bytes", good.substr(0, 13), false, false, 13},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(szdd::ParseHeader(U(c.input), c.input.size(), nullptr), c.compressed);
    bool truncated = !c.truncated;
    const Bytes out = ExpandAll(c.input, 5120, &truncated);
    EXPECT_EQ(out.size(), c.outSize);
    EXPECT_EQ(truncated, c.truncated);
    if (!c.compressed) {
      EXPECT_EQ(out, Bytes(c.input.begin(), c.input.end()));
    }
  }
}

TEST(SzddHostile, BadArgumentsAndGarbage) {
  const std::string packed = HeaderFor(3) + std::string("\xFF" "abc", 4);
  szdd::Expander e(U(packed), packed.size());
  std::uint8_t buf[16];
  EXPECT_EQ(e.Read(buf, -1), -1);
  EXPECT_EQ(e.Read(nullptr, 4), -1);
  EXPECT_EQ(e.Read(buf, 0), 0);
  EXPECT_EQ(e.Read(buf, 16), 3);
  EXPECT_EQ(e.Read(buf, 16), 0);
  EXPECT_FALSE(e.Truncated());

  szdd::Expander none(nullptr, 100);
  EXPECT_EQ(none.Read(buf, 16), 0);

  // Random data behind a valid header: anything decodes, within the
  // largest possible expansion (a flag byte and eight references of 18).
  std::mt19937 rnd(7);
  for (int round = 0; round < 200; ++round) {
    std::string s = HeaderFor(rnd());
    const std::size_t n = rnd() % 3000;
    for (std::size_t i = 0; i < n; ++i) s.push_back(static_cast<char>(rnd()));
    const Bytes out = ExpandAll(s, 1 + static_cast<int>(rnd() % 6000));
    EXPECT_LE(out.size(), (n / 17 + 1) * 144);
  }
}

// ---------------------------------------------------------------- names

TEST(SzddNames, AsGetExpandedNameA) {
  // Each row was checked against Wine's GetExpandedNameA
  // (scripts/check-szdd-interop.sh does it again).
  struct Case {
    const char* path;
    char last;
    const char* expected;
  };
  const Case cases[] = {
      {"README.TX_", 'T', "README.TXT"},
      {"readme.tx_", 'T', "readme.txt"},     // case of the last letter of the path
      {"Readme.tX_", 't', "Readme.tXT"},
      {"MIXED.d_", 'L', "MIXED.dl"},
      {"UPPER.DL_", 'l', "UPPER.DLL"},
      {"DISK.00_", '1', "DISK.001"},
      {"1234.56_", '7', "1234.567"},
      {"sym.x_", '~', "sym.x~"},
      {"NOEXT", 'A', "NOEXT"},              // no dot: unchanged
      {"under_", 'X', "under_"},
      {"A.B.C_", 'D', "A.B.CD"},
      {"x.__", 'Q', "x._q"},
      {"zero.tx_", '\0', "zero.tx"},         // a stored 0 ends the name
      {"README.TXT_", '\0', "README.TXT"},   // what mscompress writes
      {"NAME.", 'X', "NAME"},                // a final dot goes
      {"A:\\DIR.X\\SETUP.EX_", 'E', "A:\\DIR.X\\SETUP.EXE"},
      {"A:\\SUB\\inner.hl_", 'P', "A:\\SUB\\inner.hlp"},
      {"A:\\DIR\\1.2_", 'x', "A:\\DIR\\1.2X"},  // letter found in the directory
      {"C:", 'x', "C:"},                     // no name part
      {"dir/file.tx_", 'T', "dir/file.txt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    szdd::Header h;
    h.lastChar = c.last;
    EXPECT_EQ(szdd::ExpandedName(c.path, &h), c.expected);
    EXPECT_EQ(szdd::ExpandedName(c.path, nullptr), c.path);  // plain file
  }
}

// ---------------------------------------------------------------- golden files

TEST(SzddGolden, FilesOfMscompressExpandByteExact) {
  const std::string dir = std::string(SETUP_TEST_DATA_DIR) + "/szdd/";
  for (const char* name : {"sixteen.txt", "indent.txt", "lines.txt", "binary.bin"}) {
    SCOPED_TRACE(name);
    const Bytes original = ReadFile(dir + name);
    const Bytes packed = ReadFile(dir + name + "_");
    ASSERT_FALSE(original.empty());
    szdd::Header h;
    ASSERT_TRUE(szdd::ParseHeader(packed.data(), packed.size(), &h));
    EXPECT_EQ(h.expandedLength, original.size());
    bool truncated = true;
    EXPECT_EQ(ExpandAll(packed.data(), packed.size(), 5120, &truncated), original);
    EXPECT_FALSE(truncated);
    EXPECT_EQ(szdd::ExpandedName(std::string(name) + "_", &h), name);
    // Our writer does at least as well as mscompress.
    const std::string ours = szdd::Compress(original.data(), original.size(), 0);
    EXPECT_LE(ours.size(), packed.size());
  }
}

}  // namespace
