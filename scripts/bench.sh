#!/usr/bin/env bash
# Benchmark (not a test): our SZDD reader and writer against Wine's lz32 and
# Debian's msexpand/mscompress, on one deterministic corpus of 50 MB of mixed
# text and binary data. msexpand and mscompress write one byte at a time, so
# they get a part of it (2 MB for msexpand, 3 MB for mscompress); MB/s figures
# are comparable, the parts are named in the output.
#
# Usage: bench.sh [WORKDIR]   (default build/bench)
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(realpath -m "${1:-build/bench}")
mkdir -p "$work"

g++ -std=c++20 -O2 -DNDEBUG -Isrc -o "$work/szdd_bench" bench/szdd_bench.cpp src/lz/szdd.cpp
make -s -C tools/lzcheck O="$work"
bench="$work/szdd_bench"

corpus="$work/corpus.bin"
[ -f "$corpus" ] || "$bench" corpus "$corpus" 50
head -c 2000000 "$corpus" > "$work/part2.bin"
head -c 3000000 "$corpus" > "$work/part3.bin"

field() { sed -n "s|.*$1=\([^ ]*\).*|\1|p"; }
seconds() { local t0 t1; t0=$(date +%s.%N); "$@"; t1=$(date +%s.%N); echo "$t1 - $t0" | bc -l; }
mbs() { echo "scale=1; $1 / $2 / 1000000" | bc -l; }

echo "SZDD benchmark on $(nproc) cores; corpus $(stat -c %s "$corpus") bytes of mixed text and binary"
echo

# Our writer on the whole corpus and on the 3 MB part.
ours=$("$bench" compress "$corpus" "$work/corpus.sz")
ours3=$("$bench" compress "$work/part3.bin" "$work/part3.sz" 3)
"$bench" compress "$work/part2.bin" "$work/part2.sz" >/dev/null

# mscompress on the 3 MB part (one run: about 3 s).
rm -f "$work/msc/part3.bin_"
mkdir -p "$work/msc"
cp "$work/part3.bin" "$work/msc/part3.bin"
msc_s=$(seconds mscompress "$work/msc/part3.bin")
msc_size=$(stat -c %s "$work/msc/part3.bin_")

# Readers.
our_read=$("$bench" expand "$work/corpus.sz" 3)

export WINEPREFIX="$work/wineprefix" WINEDEBUG=-all TZ=UTC
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d"
export XDG_DATA_HOME="$work/xdg" XDG_CONFIG_HOME="$work/xdg"
unset DISPLAY
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1 || true
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
wine_read=$(cd "$work" && wine "$work/lzcheck.exe" time corpus.sz 3 2>/dev/null | tr -d '\r')

msx_s=$(seconds sh -c "msexpand < '$work/part2.sz' > '$work/part2.out'")
cmp -s "$work/part2.out" "$work/part2.bin" || echo "WARNING: msexpand output differs"

printf '%-44s %12s %10s\n' "Reader (expanding our compressed corpus)" "MB/s" "data"
printf '%-44s %12s %10s\n' "ours (szdd::Expander, 5120-byte reads)" "$(echo "$our_read" | field 'MB/s')" "50 MB"
printf '%-44s %12s %10s\n' "Wine lz32 (LZRead loop, 5120-byte reads)" "$(echo "$wine_read" | field 'MB/s')" "50 MB"
printf '%-44s %12s %10s\n' "msexpand (stdin to file)" "$(mbs 2000000 "$msx_s")" "2 MB part"
echo
printf '%-44s %12s %10s %10s\n' "Writer" "MB/s" "ratio" "data"
printf '%-44s %12s %10s %10s\n' "ours (szdd::Compress)" "$(echo "$ours" | field 'MB/s')" "$(echo "$ours" | field ratio)" "50 MB"
printf '%-44s %12s %10s %10s\n' "ours (szdd::Compress, best of 3)" "$(echo "$ours3" | field 'MB/s')" "$(echo "$ours3" | field ratio)" "3 MB part"
printf '%-44s %12s %10s %10s\n' "mscompress" "$(mbs 3000000 "$msc_s")" "$(echo "scale=4; $msc_size / 3000000" | bc -l)" "3 MB part"

# Further comparisons (the copy engine, SETUP.EXE under Wine) go below.
