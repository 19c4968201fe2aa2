// Fuzz target of the SZDD reader: any bytes, read in pieces of varying size,
// must expand without reading or writing out of bounds; the name and header
// functions must take them too. Compressed input re-compresses and expands
// back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "lz/szdd.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  szdd::Header header;
  const bool compressed = szdd::ParseHeader(data, size, &header);
  (void)szdd::ExpandedName(std::string(reinterpret_cast<const char*>(data), size > 40 ? 40 : size),
                           compressed ? &header : nullptr);

  // Piece sizes taken from the first byte, so both tiny and block reads run.
  const int piece = size > 0 ? 1 + data[0] * 23 : 5120;
  std::vector<std::uint8_t> out;
  std::vector<std::uint8_t> buf(static_cast<std::size_t>(piece));
  szdd::Expander expander(data, size);
  for (;;) {
    const int n = expander.Read(buf.data(), piece);
    if (n <= 0) break;
    out.insert(out.end(), buf.begin(), buf.begin() + n);
    if (out.size() > 64 * 1024 * 1024) __builtin_trap();  // bounded by the input
  }
  (void)expander.Truncated();

  const std::string again = szdd::Compress(out.data(), out.size(), header.lastChar);
  szdd::Expander check(reinterpret_cast<const std::uint8_t*>(again.data()), again.size());
  std::vector<std::uint8_t> back(out.size() + 1);
  std::size_t got = 0;
  for (;;) {
    const int n = check.Read(back.data() + got, static_cast<int>(back.size() - got));
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
    if (got == back.size()) break;
  }
  if (got != out.size() || !std::equal(out.begin(), out.end(), back.begin())) __builtin_trap();
  return 0;
}
