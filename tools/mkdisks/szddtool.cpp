// szddtool: our SZDD reader and writer on the command line.
//
//   szddtool compress IN OUT [LASTCHAR]   LASTCHAR: one character, or "0"
//                                         for none; default: the last
//                                         character of IN's name
//   szddtool expand IN OUT                prints "bytes=N length=L" and
//                                         "truncated" when the data ended
//                                         before the header's length
//   szddtool name FILE [AS]               the expanded name GetExpandedNameA
//                                         gives for FILE (or for the path
//                                         AS, with FILE's header)
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "lz/szdd.h"

namespace {

bool ReadAll(const char* path, std::vector<std::uint8_t>* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool WriteAll(const char* path, const void* data, std::size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  return static_cast<bool>(out);
}

int Usage() {
  std::fprintf(stderr,
               "usage: szddtool compress IN OUT [LASTCHAR] | expand IN OUT | name FILE [AS]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  const std::string cmd = argv[1];
  if (cmd == "compress" && (argc == 4 || argc == 5)) {
    std::vector<std::uint8_t> data;
    if (!ReadAll(argv[2], &data)) {
      std::fprintf(stderr, "szddtool: cannot read %s\n", argv[2]);
      return 1;
    }
    char last = 0;
    if (argc == 5) {
      last = std::strcmp(argv[4], "0") == 0 ? '\0' : argv[4][0];
    } else {
      const std::string name = argv[2];
      last = name.empty() ? '\0' : name.back();
    }
    const std::string packed = szdd::Compress(data.data(), data.size(), last);
    if (!WriteAll(argv[3], packed.data(), packed.size())) {
      std::fprintf(stderr, "szddtool: cannot write %s\n", argv[3]);
      return 1;
    }
    return 0;
  }
  if (cmd == "expand" && argc == 4) {
    std::vector<std::uint8_t> data;
    if (!ReadAll(argv[2], &data)) {
      std::fprintf(stderr, "szddtool: cannot read %s\n", argv[2]);
      return 1;
    }
    szdd::Header header;
    const bool compressed = szdd::ParseHeader(data.data(), data.size(), &header);
    szdd::Expander expander(data.data(), data.size());
    std::vector<std::uint8_t> out;
    std::uint8_t block[5120];
    for (;;) {
      const int n = expander.Read(block, sizeof block);
      if (n <= 0) break;
      out.insert(out.end(), block, block + n);
    }
    if (!WriteAll(argv[3], out.data(), out.size())) {
      std::fprintf(stderr, "szddtool: cannot write %s\n", argv[3]);
      return 1;
    }
    std::printf("bytes=%zu length=%lld%s\n", out.size(),
                compressed ? static_cast<long long>(header.expandedLength)
                           : static_cast<long long>(data.size()),
                expander.Truncated() ? " truncated" : "");
    return 0;
  }
  if (cmd == "name" && (argc == 3 || argc == 4)) {
    std::vector<std::uint8_t> data;
    szdd::Header header;
    const bool compressed = ReadAll(argv[2], &data) &&
                            szdd::ParseHeader(data.data(), data.size(), &header);
    const char* as = argc == 4 ? argv[3] : argv[2];
    std::printf("%s\n", szdd::ExpandedName(as, compressed ? &header : nullptr).c_str());
    return 0;
  }
  return Usage();
}
