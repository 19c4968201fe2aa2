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
            for (unsigned k = 0; k < len; ++k) op[k] = src[k];
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
constexpr unsigned kMaxChain = 32;
constexpr unsigned kNiceMatch = 12;
constexpr unsigned kGoodMatch = 10;
constexpr unsigned kGoodChain = 4;
constexpr std::size_t kBlock = 1 << 16;           // positions parsed at once
constexpr std::size_t kPad = 32;                  // room for reading ahead

inline unsigned Hash3(const std::uint8_t* p) {
  const std::uint32_t v = (static_cast<std::uint32_t>(p[0]) << 16) |
                          (static_cast<std::uint32_t>(p[1]) << 8) | p[2];
  return (v * 2654435761u) >> (32 - kHashBits);
}

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

inline unsigned Hash4(const std::uint8_t* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return (v * 2654435761u) >> (32 - kHashBits);
}

class Writer {
 public:
  explicit Writer(std::string* out) : out_(out) {}
  void Literal(std::uint8_t c) {
    Begin();
    (*out_)[flagAt_] = static_cast<char>(static_cast<unsigned char>((*out_)[flagAt_]) | (1u << count_));
    out_->push_back(static_cast<char>(c));
    ++count_;
  }
  void Reference(unsigned ringPos, unsigned len) {
    Begin();
    out_->push_back(static_cast<char>(ringPos & 0xFF));
    out_->push_back(static_cast<char>(((ringPos >> 4) & 0xF0) | (len - kMinMatch)));
    ++count_;
  }

 private:
  // Opens a new flag byte every eight tokens.
  void Begin() {
    if (count_ == 8) {
      flagAt_ = out_->size();
      out_->push_back(0);
      count_ = 0;
    }
  }
  std::string* out_;
  std::size_t flagAt_ = 0;
  unsigned count_ = 8;
};

}  // namespace

std::string Compress(const std::uint8_t* data, std::size_t size, char lastChar) {
  if (data == nullptr) size = 0;
  std::string out;
  out.reserve(kHeaderSize + size + size / 8 + 16);
  out.append(reinterpret_cast<const char*>(kMagic), sizeof kMagic);
  out.push_back('A');
  out.push_back(lastChar);
  const std::uint32_t len32 = static_cast<std::uint32_t>(size);
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((len32 >> (8 * i)) & 0xFF));
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
  // the same four bytes (head4, prev4; prev4 is a ring over the window).
  std::vector<std::int32_t> head3(std::size_t{1} << kHashBits, -1);
  std::vector<std::int32_t> head4(std::size_t{1} << kHashBits, -1);
  std::vector<std::int32_t> prev4(kRingSize, -1);
  std::size_t inserted = 0;  // positions below this are in the tables
  auto insertUpTo = [&](std::size_t limit) {
    for (; inserted < limit; ++inserted) {
      if (inserted + 3 > xend) break;
      head3[Hash3(x + inserted)] = static_cast<std::int32_t>(inserted);
      if (inserted + 4 > xend) continue;
      const unsigned h = Hash4(x + inserted);
      prev4[inserted & kRingMask] = head4[h];
      head4[h] = static_cast<std::int32_t>(inserted);
    }
    inserted = std::max(inserted, limit);
  };
  // Only the last blanks of the run can be reached from the data.
  inserted = kPre - kMaxDist;

  // Per block: longest match and its distance at each position, then the
  // cheapest parse from the block's end backwards.
  const std::size_t room = std::min(kBlock, size) + kMaxMatch;
  std::vector<std::uint8_t> matchLen(room);
  std::vector<std::uint16_t> matchDist(room);
  std::vector<std::uint32_t> cost(room + 1);
  std::vector<std::uint8_t> choice(room);

  Writer writer(&out);
  std::size_t pos = kPre;      // next position to encode
  std::size_t scanned = kPre;  // matches are known for [pos, scanned)
  std::size_t blockStart = kPre;
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
    for (std::size_t i = scanned; i < blockEnd; ++i) {
      insertUpTo(i);
      unsigned best = 0;
      unsigned bestDist = 0;
      const std::size_t maxLen = std::min<std::size_t>(kMaxMatch, xend - i);
      const std::uint8_t* cur = x + i;
      if (maxLen >= 4) {
        std::int32_t cand = head4[Hash4(cur)];
        unsigned chain = kMaxChain;
        const std::uint32_t cur4 = Load32(cur);
        // The four bytes that end a match longer than the best so far.
        std::uint32_t curEnd = cur4;
        std::size_t endAt = 0;
        while (cand >= 0 && chain-- > 0) {
          const std::size_t c = static_cast<std::size_t>(cand);
          if (i - c > kMaxDist) break;
          const std::uint8_t* p = x + c;
          if (Load32(p + endAt) == curEnd && Load32(p) == cur4) {
            const unsigned l = MatchLength(p, cur, maxLen);
            if (l > best) {
              best = l;
              bestDist = static_cast<unsigned>(i - c);
              if (l == maxLen) break;
              // A good match found: look only a little further.
              if (l >= kGoodMatch && chain > kGoodChain) chain = kGoodChain;
              endAt = best - 3;
              curEnd = Load32(cur + endAt);
            }
          }
          const std::int32_t next = prev4[c & kRingMask];
          if (next >= cand) break;
          cand = next;
        }
      }
      if (best < 4 && maxLen >= kMinMatch) {
        const std::int32_t cand = head3[Hash3(cur)];
        if (cand >= 0 && i - static_cast<std::size_t>(cand) <= kMaxDist &&
            std::memcmp(x + cand, cur, 3) == 0) {
          best = 3;
          bestDist = static_cast<unsigned>(i - static_cast<std::size_t>(cand));
        }
      }
      if (best < kMinMatch) best = 0;
      matchLen[i - blockStart] = static_cast<std::uint8_t>(best);
      matchDist[i - blockStart] = static_cast<std::uint16_t>(bestDist);
      // Inside a long match the following positions are not searched: they
      // get the match at the same distance, which is at least the rest of
      // this one. Little is lost and long runs stay fast.
      if (best >= kNiceMatch) {
        const std::size_t skipEnd = std::min<std::size_t>(i + best - kMinMatch + 1, blockEnd);
        while (i + 1 < skipEnd) {
          ++i;
          const std::size_t room = std::min<std::size_t>(kMaxMatch, xend - i);
          const std::uint8_t* a = x + i;
          const std::uint8_t* b = a - bestDist;
          unsigned l = 0;
          while (l < room && a[l] == b[l]) ++l;
          matchLen[i - blockStart] = static_cast<std::uint8_t>(l >= kMinMatch ? l : 0);
          matchDist[i - blockStart] = static_cast<std::uint16_t>(bestDist);
        }
      }
    }
    scanned = blockEnd;

    // Cost in bits from each position to the end of the block.
    cost[n] = 0;
    for (std::size_t j = n; j-- > 0;) {
      std::uint32_t bestCost = cost[j + 1] + 9;
      unsigned bestLen = 1;
      const unsigned ml = matchLen[j];
      for (unsigned l = kMinMatch; l <= ml && j + l <= n; ++l) {
        const std::uint32_t c = cost[j + l] + 17;
        if (c < bestCost) {
          bestCost = c;
          bestLen = l;
        }
      }
      cost[j] = bestCost;
      choice[j] = static_cast<std::uint8_t>(bestLen);
    }

    // Emit tokens up to the block's nominal end (or the end of the data).
    const std::size_t stop = blockEnd == xend ? xend : blockStart + kBlock;
    std::size_t j = 0;
    while (blockStart + j < stop) {
      const unsigned l = choice[j];
      const std::size_t at = blockStart + j;
      if (l == 1) {
        writer.Literal(x[at]);
      } else {
        const std::size_t dataPos = at - kPre;
        const unsigned ringPos =
            static_cast<unsigned>((kRingStart + dataPos - matchDist[j]) & kRingMask);
        writer.Reference(ringPos, l);
      }
      j += l;
    }
    pos = blockStart + j;
  }
  return out;
}

}  // namespace szdd
