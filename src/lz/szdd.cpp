// Reader and writer of the LZ (SZDD) format of the Windows expansion library.
//
// The reader behaves like lz32's LZOpenFileA/LZRead pair: input that does not
// start with a complete header of method 'A' is handed out unchanged; the
// compressed data is expanded until it runs out (the header's length neither
// stops nor extends it), and a token cut off by the end of the data ends the
// output. Truncated() compares what came out with the header's length.
//
// The writer chooses its tokens by an optimal parse: every token costs a flag
// bit, a literal 8 more bits and a reference 16 more, so the cheapest parse of
// a block follows from the longest match at each position.

#include "lz/szdd.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

namespace szdd {
namespace {

constexpr std::uint8_t kMagic[8] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
constexpr unsigned kRingSize = 4096;
constexpr unsigned kRingMask = kRingSize - 1;
constexpr unsigned kRingStart = kRingSize - 16;  // first write position
constexpr unsigned kMinMatch = 3;
constexpr unsigned kMaxMatch = 18;

}  // namespace

bool ParseHeader(const std::uint8_t* data, std::size_t size, Header* out) {
  if (data == nullptr || size < kHeaderSize) return false;
  if (std::memcmp(data, kMagic, sizeof kMagic) != 0) return false;
  // lz32 treats any other method as a plain file.
  if (data[8] != 'A') return false;
  if (out != nullptr) {
    out->lastChar = static_cast<char>(data[9]);
    out->expandedLength = static_cast<std::uint32_t>(data[10]) |
                          (static_cast<std::uint32_t>(data[11]) << 8) |
                          (static_cast<std::uint32_t>(data[12]) << 16) |
                          (static_cast<std::uint32_t>(data[13]) << 24);
  }
  return true;
}

// ---------------------------------------------------------------- Expander

Expander::Expander(const std::uint8_t* compressed, std::size_t size)
    : in_(compressed),
      size_(compressed == nullptr ? 0 : size),
      pos_(0),
      compressed_(false),
      expandedLength_(0),
      produced_(0),
      flags_(1),
      ringBase_(kRingStart),
      readPos_(kHistory),
      endPos_(kHistory),
      inputDone_(false) {
  Header header;
  if (ParseHeader(in_, size_, &header)) {
    compressed_ = true;
    expandedLength_ = header.expandedLength;
    pos_ = kHeaderSize;
  }
  // The ring starts out filled with blanks; buf_[kHistory] is ring position
  // 0xFF0 and kHistory is a multiple of the ring size.
  std::memset(buf_, ' ', kHistory);
}

bool Expander::Truncated() const {
  return compressed_ && inputDone_ && readPos_ == endPos_ &&
         produced_ < expandedLength_;
}

int Expander::Read(std::uint8_t* out, int n) {
  if (n < 0 || (out == nullptr && n > 0)) return -1;
  if (!compressed_) {
    const std::size_t left = size_ - pos_;
    const std::size_t take = std::min<std::size_t>(left, static_cast<std::size_t>(n));
    if (take > 0) std::memcpy(out, in_ + pos_, take);
    pos_ += take;
    return static_cast<int>(take);
  }
  int done = 0;
  while (done < n) {
    if (readPos_ == endPos_) {
      if (inputDone_) break;
      Decode();
      if (readPos_ == endPos_) break;
    }
    const std::size_t take =
        std::min<std::size_t>(endPos_ - readPos_, static_cast<std::size_t>(n - done));
    std::memcpy(out + done, buf_ + readPos_, take);
    readPos_ += take;
    done += static_cast<int>(take);
  }
  return done;
}

// Decodes the next stretch of output into buf_. Called only when everything
// decoded before has been handed out.
void Expander::Decode() {
  // Keep the last 4096 bytes as history in front of the new output.
  if (endPos_ > kHistory) {
    const std::size_t shift = endPos_ - kHistory;
    std::memmove(buf_, buf_ + shift, kHistory);
    ringBase_ = static_cast<unsigned>((ringBase_ + shift) & kRingMask);
    endPos_ = readPos_ = kHistory;
  }

  const std::uint8_t* ip = in_ + pos_;
  const std::uint8_t* const iend = in_ + size_;
  std::uint8_t* op = buf_ + endPos_;
  std::uint8_t* const olimit = buf_ + kHistory + kChunk;
  const unsigned base = ringBase_;
  std::uint8_t* const buf0 = buf_;
  unsigned flags = flags_;

  // One reference: the distance back from the current output position to
  // the referenced ring position, 1 to 4096 (a reference to the position
  // about to be written reads the byte written 4096 bytes before).
  auto source = [&](const std::uint8_t* at, unsigned ringPos) {
    const unsigned here = (base + static_cast<unsigned>(at - buf0)) & kRingMask;
    unsigned dist = (here - ringPos) & kRingMask;
    if (dist == 0) dist = kRingSize;
    return at - dist;
  };

  for (;;) {
    // Fast path: a whole group of eight tokens with all its input present
    // and room for eight longest references.
    if (flags == 1) {
      while (iend - ip >= 17 && olimit - op >= static_cast<std::ptrdiff_t>(8 * kMaxMatch)) {
        unsigned f = *ip++;
        if (f == 0xFF) {
          std::memcpy(op, ip, 8);
          op += 8;
          ip += 8;
          continue;
        }
        for (int bit = 0; bit < 8; ++bit, f >>= 1) {
          if (f & 1) {
            *op++ = *ip++;
            continue;
          }
          const unsigned ringPos = ip[0] | ((ip[1] & 0xF0u) << 4);
          const unsigned len = (ip[1] & 0x0Fu) + kMinMatch;
          ip += 2;
          const std::uint8_t* src = source(op, ringPos);
          const std::ptrdiff_t dist = op - src;
          if (dist >= 16) {
            // Copies up to 14 bytes past the reference; they lie in the
            // slack or are overwritten by the following tokens.
            std::memcpy(op, src, 16);
            std::memcpy(op + 16, src + 16, 2);
          } else if (dist >= 8) {
            std::memcpy(op, src, 8);
            std::memcpy(op + 8, src + 8, 8);
            std::memcpy(op + 16, src + 16, 2);
          } else {
            // A run with a period of 1 to 7 bytes. Four bytes one at a
            // time, four more from a point that makes the distance a
            // multiple of the period of at least 8; from there on, 8 bytes
            // at a time repeat the run. Writes up to 6 bytes past the
            // longest reference, as above.
            static constexpr unsigned kForward[8] = {0, 1, 2, 1, 0, 4, 4, 4};
            static constexpr int kBack[8] = {0, 0, 0, -1, -4, 1, 2, 3};
            op[0] = src[0];
            op[1] = src[1];
            op[2] = src[2];
            op[3] = src[3];
            src += kForward[dist];
            std::memcpy(op + 4, src, 4);
            src -= kBack[dist];
            std::memcpy(op + 8, src, 8);
            std::memcpy(op + 16, src + 8, 8);
          }
          op += len;
        }
      }
    }
    // Careful path: one token at a time.
    if (olimit - op < static_cast<std::ptrdiff_t>(kMaxMatch)) break;
    if (flags == 1) {
      if (ip == iend) {
        inputDone_ = true;
        break;
      }
      flags = *ip++ | 0x100u;
    }
    if (flags & 1) {
      if (ip == iend) {
        inputDone_ = true;
        break;
      }
      *op++ = *ip++;
    } else {
      if (iend - ip < 2) {
        // A reference cut in half: lz32 takes its first byte and stops.
        ip = iend;
        inputDone_ = true;
        break;
      }
      const unsigned ringPos = ip[0] | ((ip[1] & 0xF0u) << 4);
      const unsigned len = (ip[1] & 0x0Fu) + kMinMatch;
      ip += 2;
      const std::uint8_t* src = source(op, ringPos);
      for (unsigned k = 0; k < len; ++k) op[k] = src[k];
      op += len;
    }
    flags >>= 1;
    // A group ends when only the marker bit is left.
  }

  flags_ = flags;
  pos_ = static_cast<std::size_t>(ip - in_);
  const std::size_t newEnd = static_cast<std::size_t>(op - buf_);
  produced_ += newEnd - endPos_;
  endPos_ = newEnd;
}

// ---------------------------------------------------------------- names

std::string ExpandedName(const std::string& path, const Header* header) {
  // Taken as the C string GetExpandedNameA sees.
  std::string out(path.c_str());
  if (header == nullptr) return out;

  // The name part starts after the last '/', '\' or ':'.
  const std::size_t sep = out.find_last_of("/\\:");
  const std::size_t name = sep == std::string::npos ? 0 : sep + 1;
  if (name >= out.size()) return out;

  auto isAlpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  // The case of the restored character follows the last letter of the path.
  bool lower = true;
  for (std::size_t i = out.size(); i-- > 0;) {
    if (isAlpha(out[i])) {
      lower = out[i] >= 'a';
      break;
    }
  }
  char last = header->lastChar;
  if (isAlpha(last)) last = lower ? static_cast<char>(last | 0x20) : static_cast<char>(last & ~0x20);

  const std::size_t dot = out.find('.', name);
  if (dot == std::string::npos) return out;
  if (dot + 1 == out.size()) {
    out.resize(dot);  // "NAME." becomes "NAME"
  } else if (out.back() == '_') {
    if (last == '\0') {
      out.pop_back();  // a stored 0 ends the name there
    } else {
      out.back() = last;
    }
  }
  return out;
}

// ---------------------------------------------------------------- writer

namespace {

constexpr std::size_t kPre = kRingSize;          // blanks in front of the data
constexpr unsigned kMaxDist = kRingSize - 1;      // farthest reference used
constexpr unsigned kHashBits = 15;
constexpr unsigned kLongPrefix = 7;               // bytes hashed for the long chain
constexpr unsigned kLongChain = 32;               // candidates tried on it
constexpr unsigned kShortChain = 4;               // and on the chain of four bytes
constexpr unsigned kNiceMatch = 14;               // long enough to stop looking
constexpr unsigned kGoodMatch = 12;               // long enough to look only a little
constexpr unsigned kGoodChain = 8;
constexpr std::size_t kBlock = 1 << 16;           // positions parsed at once
constexpr std::size_t kPad = 32;                  // room for reading ahead
constexpr std::uint32_t kLiteralBits = 9;         // flag bit and the byte
constexpr std::uint32_t kReferenceBits = 17;      // flag bit and two bytes

inline std::uint32_t Load32(const std::uint8_t* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

inline std::uint64_t Load64(const std::uint8_t* p) {
  std::uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}

// Hashes of the first three, four and kLongPrefix bytes at a position,
// given the bytes loaded from there.
inline unsigned Hash3(std::uint32_t v) {
  if constexpr (std::endian::native == std::endian::little) {
    v &= 0xFFFFFFu;
  } else {
    v >>= 8;
  }
  return (v * 2246822519u) >> (32 - kHashBits);
}
inline unsigned Hash4(std::uint32_t v) { return (v * 2654435761u) >> (32 - kHashBits); }
inline unsigned HashLong(std::uint64_t v) {
  if constexpr (std::endian::native == std::endian::little) {
    v <<= 64 - 8 * kLongPrefix;
  } else {
    v >>= 64 - 8 * kLongPrefix;
  }
  return static_cast<unsigned>((v * 0x9E3779B97F4A7C15ull) >> (64 - kHashBits));
}

// Length of the common start of a and b, at most `limit` (18); both may be
// read 24 bytes far (the buffer has room behind the data).
inline unsigned MatchLength(const std::uint8_t* a, const std::uint8_t* b, std::size_t limit) {
  unsigned l = 0;
  if constexpr (std::endian::native == std::endian::little) {
    for (int k = 0; k < 3; ++k) {
      const std::uint64_t d = Load64(a + l) ^ Load64(b + l);
      if (d != 0) {
        l += static_cast<unsigned>(std::countr_zero(d) >> 3);
        break;
      }
      l += 8;
    }
  } else {
    while (l < limit && a[l] == b[l]) ++l;
  }
  return l < limit ? l : static_cast<unsigned>(limit);
}

// The tables of the match finder hold positions modulo 65536, which keeps
// them small: the window is 4096 bytes, so the distance to an entry is
// taken modulo 65536, and one above kMaxDist is stale. A stale entry that
// happens to look near costs a comparison, nothing more: a candidate's
// bytes are always compared before it is used.
inline unsigned DistanceTo(std::size_t here, std::uint16_t entry) {
  return static_cast<unsigned>(static_cast<std::uint16_t>(static_cast<std::uint16_t>(here) - entry));
}

struct Match {
  unsigned len = 0;
  unsigned dist = 0;
};

// Walks a hash chain (head distance d, links in `prev`, a ring over the
// window) for a match longer than `best`, trying at most `tries`
// candidates; stops at a match of `enough` bytes. A match of kGoodMatch
// bytes cuts the rest of the walk down to kGoodChain candidates.
inline void WalkChain(const std::uint8_t* cur, std::size_t here, unsigned d, const std::uint16_t* prev,
                      unsigned tries, unsigned enough, std::size_t maxLen, Match* best) {
  const std::uint32_t cur4 = Load32(cur);
  // A longer match also agrees in the four bytes that end at best.len.
  std::size_t endAt = best->len > kMinMatch ? best->len - kMinMatch : 0;
  std::uint32_t curEnd = Load32(cur + endAt);
  if (best->len >= kGoodMatch && tries > kGoodChain) tries = kGoodChain;
  while (d - 1 < kMaxDist && tries-- > 0) {
    const std::uint8_t* p = cur - d;
    if (Load32(p + endAt) == curEnd && Load32(p) == cur4) {
      const unsigned l = MatchLength(p, cur, maxLen);
      if (l > best->len) {
        best->len = l;
        best->dist = d;
        if (l >= enough) return;
        if (l >= kGoodMatch && tries > kGoodChain) tries = kGoodChain;
        endAt = l - kMinMatch;
        curEnd = Load32(cur + endAt);
      }
    }
    const unsigned next = DistanceTo(here, prev[(here - d) & kRingMask]);
    if (next <= d) return;  // the chain has run into stale entries
    d = next;
  }
}

// Tokens into a buffer sized for the worst case (all literals).
class Writer {
 public:
  explicit Writer(std::uint8_t* at) : at_(at) {}
  void Literal(std::uint8_t c) {
    Begin();
    *flags_ |= static_cast<std::uint8_t>(bit_);
    *at_++ = c;
    bit_ <<= 1;
  }
  void Reference(unsigned ringPos, unsigned len) {
    Begin();
    at_[0] = static_cast<std::uint8_t>(ringPos & 0xFF);
    at_[1] = static_cast<std::uint8_t>(((ringPos >> 4) & 0xF0) | (len - kMinMatch));
    at_ += 2;
    bit_ <<= 1;
  }
  std::uint8_t* End() const { return at_; }

 private:
  // Opens a new flag byte every eight tokens.
  void Begin() {
    if (bit_ == 0x100) {
      flags_ = at_++;
      *flags_ = 0;
      bit_ = 1;
    }
  }
  std::uint8_t* at_;
  std::uint8_t* flags_ = nullptr;
  unsigned bit_ = 0x100;
};

}  // namespace

std::string Compress(const std::uint8_t* data, std::size_t size, char lastChar) {
  if (data == nullptr) size = 0;
  // Room for the worst case: every token a literal, a flag byte per eight.
  std::string out(kHeaderSize + size + (size + 7) / 8, '\0');
  std::memcpy(out.data(), kMagic, sizeof kMagic);
  out[8] = 'A';
  out[9] = lastChar;
  const std::uint32_t len32 = static_cast<std::uint32_t>(size);
  for (std::size_t i = 0; i < 4; ++i) out[10 + i] = static_cast<char>((len32 >> (8 * i)) & 0xFF);
  if (size == 0) return out;

  // The data behind the blanks the ring starts with, so that a reference
  // may reach back into them like into the data itself.
  std::vector<std::uint8_t> ext(kPre + size + kPad);
  std::memset(ext.data(), ' ', kPre);
  std::memcpy(ext.data() + kPre, data, size);
  const std::uint8_t* const x = ext.data();
  const std::size_t xend = kPre + size;

  // Matches of three bytes: the nearest earlier position with the same
  // three bytes (head3). Longer ones: the chain of earlier positions with
  // the same kLongPrefix bytes (headLong, prevLong), walked far, and the
  // chain of those with the same four bytes (head4, prev4), walked a little
  // when the long chain gives less than kLongPrefix bytes.
  std::vector<std::uint16_t> head3(std::size_t{1} << kHashBits, 0);
  std::vector<std::uint16_t> head4(std::size_t{1} << kHashBits, 0);
  std::vector<std::uint16_t> headLong(std::size_t{1} << kHashBits, 0);
  std::vector<std::uint16_t> prev4(kRingSize, 0);
  std::vector<std::uint16_t> prevLong(kRingSize, 0);
  // Only the last blanks of the run can be reached from the data.
  std::size_t inserted = kPre - kMaxDist;  // positions below this are in the tables
  auto insertUpTo = [&](std::size_t limit) {
    for (; inserted < limit; ++inserted) {
      const std::uint32_t v = Load32(x + inserted);
      const auto at = static_cast<std::uint16_t>(inserted);
      head3[Hash3(v)] = at;
      std::uint16_t& h4 = head4[Hash4(v)];
      prev4[inserted & kRingMask] = h4;
      h4 = at;
      std::uint16_t& hl = headLong[HashLong(Load64(x + inserted))];
      prevLong[inserted & kRingMask] = hl;
      hl = at;
    }
  };

  // Per block: longest match and its distance at each position, then the
  // cheapest parse from the block's end backwards.
  const std::size_t room = std::min(kBlock, size) + kMaxMatch;
  std::vector<std::uint8_t> matchLen(room);
  std::vector<std::uint16_t> matchDist(room);
  std::vector<std::uint32_t> cost(room + 1);

  Writer writer(reinterpret_cast<std::uint8_t*>(out.data()) + kHeaderSize);
  std::size_t pos = kPre;      // next position to encode
  std::size_t scanned = kPre;  // matches are known for [pos, scanned)
  std::size_t blockStart = kPre;
  Match last;                  // the match found at scanned - 1
  while (pos < xend) {
    // Keep the matches already found for the positions the last block's
    // tokens did not reach.
    const std::size_t carried = scanned - pos;
    if (carried > 0) {
      std::memmove(matchLen.data(), matchLen.data() + (pos - blockStart), carried);
      std::memmove(matchDist.data(), matchDist.data() + (pos - blockStart),
                   carried * sizeof(std::uint16_t));
    }
    blockStart = pos;
    const std::size_t blockEnd = std::min(xend, pos + kBlock + kMaxMatch);
    const std::size_t n = blockEnd - blockStart;
    std::size_t searchFrom = scanned;  // positions inside a long match are not searched
    for (std::size_t i = scanned; i < blockEnd; ++i) {
      insertUpTo(i);
      const std::size_t maxLen = std::min<std::size_t>(kMaxMatch, xend - i);
      const std::uint8_t* cur = x + i;
      Match best;
      // The match of the position before goes on here at the same
      // distance, one byte shorter or longer: the search below only has to
      // beat it.
      if (last.len > kMinMatch) {
        best.len = MatchLength(cur - last.dist, cur, maxLen);
        best.dist = last.dist;
      }
      if (i >= searchFrom && best.len < kNiceMatch && maxLen >= 4) {
        if (maxLen >= kLongPrefix) {
          WalkChain(cur, i, DistanceTo(i, headLong[HashLong(Load64(cur))]), prevLong.data(), kLongChain,
                    kNiceMatch, maxLen, &best);
        }
        if (best.len < kLongPrefix) {
          WalkChain(cur, i, DistanceTo(i, head4[Hash4(Load32(cur))]), prev4.data(), kShortChain,
                    kLongPrefix, maxLen, &best);
        }
      }
      if (best.len < kMinMatch && maxLen >= kMinMatch) {
        const unsigned d = DistanceTo(i, head3[Hash3(Load32(cur))]);
        if (d - 1 < kMaxDist && std::memcmp(cur - d, cur, kMinMatch) == 0) {
          best.len = kMinMatch;
          best.dist = d;
        }
      }
      if (best.len < kMinMatch) best = Match();
      // Inside a long match the following positions only take it over:
      // little is lost and long runs stay fast.
      if (best.len >= kNiceMatch && i >= searchFrom) searchFrom = i + best.len - kMinMatch;
      matchLen[i - blockStart] = static_cast<std::uint8_t>(best.len);
      matchDist[i - blockStart] = static_cast<std::uint16_t>(best.dist);
      last = best;
    }
    scanned = blockEnd;

    // Cost in bits from each position to the end of the block; the tokens
    // are read back from it below.
    cost[n] = 0;
    for (std::size_t j = n; j-- > 0;) {
      std::uint32_t c = cost[j + 1] + kLiteralBits;
      const std::size_t lmax = std::min<std::size_t>(matchLen[j], n - j);
      for (std::size_t l = kMinMatch; l <= lmax; ++l) c = std::min(c, cost[j + l] + kReferenceBits);
      cost[j] = c;
    }

    // Emit tokens up to the block's nominal end (or the end of the data):
    // a literal where it is as cheap as any reference, otherwise the
    // shortest reference that keeps the cheapest cost.
    const std::size_t stop = blockEnd == xend ? xend : blockStart + kBlock;
    std::size_t j = 0;
    while (blockStart + j < stop) {
      const std::size_t at = blockStart + j;
      if (cost[j] == cost[j + 1] + kLiteralBits) {
        writer.Literal(x[at]);
        ++j;
        continue;
      }
      std::size_t l = kMinMatch;
      while (cost[j + l] + kReferenceBits != cost[j]) ++l;
      const std::size_t dataPos = at - kPre;
      const unsigned ringPos = static_cast<unsigned>((kRingStart + dataPos - matchDist[j]) & kRingMask);
      writer.Reference(ringPos, static_cast<unsigned>(l));
      j += l;
    }
    pos = blockStart + j;
  }
  out.resize(static_cast<std::size_t>(writer.End() - reinterpret_cast<const std::uint8_t*>(out.data())));
  return out;
}

}  // namespace szdd
