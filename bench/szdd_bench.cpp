// szdd_bench: throughput of our SZDD reader and writer.
//
//   szdd_bench corpus FILE [MB]   writes a deterministic mix of text and
//                                 binary data (default 50 MB)
//   szdd_bench compress IN OUT [N]  compresses IN N times (default 1);
//                                 prints ratio and the best MB/s
//   szdd_bench expand IN.SZ [N]   expands IN.SZ N times (default 3) in
//                                 blocks of 5120 bytes as the copy engine
//                                 reads; prints the best MB/s
// Times are wall-clock; the figures are what scripts/bench.sh reports.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "lz/szdd.h"

namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::uint8_t> ReadAll(const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "szdd_bench: cannot read %s\n", path);
    std::exit(1);
  }
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const char* path, const void* data, std::size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  if (!out) {
    std::fprintf(stderr, "szdd_bench: cannot write %s\n", path);
    std::exit(1);
  }
}

// Pieces of 4 to 64 KB in turn: prose, tables of numbers, code-like bytes,
// packed (random) data and zero runs, roughly as a product's files mix them.
std::vector<std::uint8_t> Corpus(std::size_t size) {
  static const char* words[] = {"tape", "backup", "restore", "catalog", "the", "a", "of", "drive",
                                "cartridge", "verify", "file", "folder", "schedule", "and", "to",
                                "format", "volume", "error", "is", "when"};
  std::mt19937 rnd(1998);
  std::vector<std::uint8_t> out;
  out.reserve(size);
  while (out.size() < size) {
    const std::size_t part = 4096 + rnd() % 61440;
    const unsigned kind = rnd() % 10;
    std::size_t end = std::min(size, out.size() + part);
    if (kind < 4) {  // prose
      while (out.size() < end) {
        const char* w = words[rnd() % 20];
        out.insert(out.end(), w, w + std::strlen(w));
        out.push_back(rnd() % 12 == 0 ? '\n' : ' ');
      }
    } else if (kind < 5) {  // numbers in columns
      char line[64];
      while (out.size() < end) {
        const int n = std::snprintf(line, sizeof line, "%08u %6u %4u\r\n", static_cast<unsigned>(rnd() % 100000000),
                                    static_cast<unsigned>(rnd() % 1000000), static_cast<unsigned>(rnd() % 10000));
        out.insert(out.end(), line, line + n);
      }
    } else if (kind < 8) {  // code-like bytes
      static const std::uint8_t idioms[][3] = {{0x55, 0x8B, 0xEC}, {0x8B, 0x45, 0x08}, {0x89, 0x45, 0xFC},
                                               {0xFF, 0x15, 0x00}, {0x85, 0xC0, 0x74}, {0x33, 0xC0, 0x5D}};
      while (out.size() < end) {
        if (rnd() % 3) {
          const auto* id = idioms[rnd() % 6];
          out.insert(out.end(), id, id + 3);
        } else {
          out.push_back(static_cast<std::uint8_t>(rnd() % 3 ? rnd() % 16 : rnd()));
        }
      }
    } else if (kind < 9) {  // packed data
      while (out.size() < end) out.push_back(static_cast<std::uint8_t>(rnd()));
    } else {  // zeros
      out.resize(end, 0);
    }
    if (out.size() > size) out.resize(size);
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "corpus") == 0) {
    const std::size_t mb = argc >= 4 ? std::strtoul(argv[3], nullptr, 10) : 50;
    const auto data = Corpus(mb * 1000 * 1000);
    WriteAll(argv[2], data.data(), data.size());
    return 0;
  }
  if ((argc == 4 || argc == 5) && std::strcmp(argv[1], "compress") == 0) {
    const auto data = ReadAll(argv[2]);
    const int rounds = argc == 5 ? std::max(1, std::atoi(argv[4])) : 1;
    std::string packed;
    double s = 1e30;
    for (int r = 0; r < rounds; ++r) {
      const auto t0 = Clock::now();
      packed = szdd::Compress(data.data(), data.size(), 'X');
      s = std::min(s, std::chrono::duration<double>(Clock::now() - t0).count());
    }
    WriteAll(argv[3], packed.data(), packed.size());
    std::printf("bytes=%zu packed=%zu ratio=%.4f seconds=%.3f MB/s=%.1f\n", data.size(), packed.size(),
                static_cast<double>(packed.size()) / static_cast<double>(data.size()), s,
                static_cast<double>(data.size()) / s / 1e6);
    return 0;
  }
  if (argc >= 3 && std::strcmp(argv[1], "expand") == 0) {
    const auto packed = ReadAll(argv[2]);
    const int rounds = argc >= 4 ? std::atoi(argv[3]) : 3;
    static std::uint8_t block[5120];
    double best = 1e30;
    std::size_t total = 0;
    unsigned check = 0;
    for (int r = 0; r < rounds; ++r) {
      const auto t0 = Clock::now();
      szdd::Expander e(packed.data(), packed.size());
      total = 0;
      for (;;) {
        const int n = e.Read(block, sizeof block);
        if (n <= 0) break;
        total += static_cast<std::size_t>(n);
        check += block[0];
      }
      best = std::min(best, std::chrono::duration<double>(Clock::now() - t0).count());
    }
    std::printf("bytes=%zu seconds=%.3f MB/s=%.1f (check %u)\n", total, best,
                static_cast<double>(total) / best / 1e6, check & 0xFF);
    return 0;
  }
  std::fprintf(stderr, "usage: szdd_bench corpus FILE [MB] | compress IN OUT [N] | expand IN.SZ [N]\n");
  return 2;
}
