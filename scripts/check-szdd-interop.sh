#!/usr/bin/env bash
# Cross-checks our SZDD writer against the two other readers on this system:
# Debian's msexpand and Wine's lz32 (through tools/lzcheck, a Win32 program
# run under Wine). Files of many sizes and kinds are compressed with our
# writer and must expand byte-exact with both; the expanded names that
# GetExpandedNameA gives must equal ours.
#
# Usage: check-szdd-interop.sh [NATIVE_BUILD_DIR]   (default build/native;
# it must hold tools/mkdisks/szddtool). Exit code 0 when every check passed.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$(realpath "${1:-build/native}")
szddtool="$build/tools/mkdisks/szddtool"
[ -x "$szddtool" ] || { echo "check-szdd-interop: $szddtool not built" >&2; exit 2; }
command -v msexpand >/dev/null || { echo "check-szdd-interop: msexpand missing (Debian package mscompress)" >&2; exit 2; }

make -s -C tools/lzcheck O="$build/lzcheck"
lzcheck="$build/lzcheck/lzcheck.exe"

work="$build/szdd-interop"
rm -rf "$work"
mkdir -p "$work/in" "$work/sz" "$work/msx" "$work/wine"

export WINEPREFIX="$build/lz-wineprefix" WINEDEBUG=-all TZ=UTC
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d"
export XDG_DATA_HOME="$build/lz-xdg" XDG_CONFIG_HOME="$build/lz-xdg"
unset DISPLAY
# lzcheck is a 64-bit program: Wine's 64-bit loader, not Debian's "wine"
# wrapper, which starts the 32-bit loader first once wine32 is installed.
wine64=/usr/lib/wine/wine64
[ -x "$wine64" ] || wine64=wine
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$wine64" wineboot -i 2>&1 | grep -v 'wine32' || true
fi
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
wine_() { "$wine64" "$@" 2> >(grep -v -e 'wine32' -e '^it looks like' -e 'multiarch' -e 'dpkg --add-arch' -e 'apt-get' >&2); }

# Inputs: every size that matters for the flag groups, the window and the
# copy blocks, in several kinds of content.
sizes="0 1 2 3 4 15 16 17 18 19 100 4078 4079 4095 4096 4097 4113 5119 5120 5121 10240 65536 100003 300000"
python3 - "$work/in" $sizes <<'PY'
import os, random, sys
out, sizes = sys.argv[1], [int(s) for s in sys.argv[2:]]
rnd = random.Random(1996)
words = ("tape backup restore catalog volume drive cartridge erase format "
         "schedule verify compare file directory the a of and to is").split()
def text(n):
    s = []
    while sum(map(len, s)) < n:
        s.append(" ".join(rnd.choice(words) for _ in range(rnd.randint(3, 12))) + ".\r\n")
    return "".join(s).encode()[:n]
kinds = {
    "random": lambda n: bytes(rnd.getrandbits(8) for _ in range(n)),
    "zeros": lambda n: bytes(n),
    "blanks": lambda n: b" " * n,
    "text": text,
    # Starts with blanks: references into the blanks the window starts with.
    "indent": lambda n: (b" " * 40 + b"x" + b" " * 30 + text(n))[:n],
    "mixed": lambda n: b"".join((text(300) if i % 2 else bytes(rnd.getrandbits(8) for _ in range(200)))
                                for i in range(n // 250 + 1))[:n],
    "period7": lambda n: (b"abcdefg" * (n // 7 + 1))[:n],
}
for kind, make in kinds.items():
    for n in sizes:
        with open(os.path.join(out, f"{kind}-{n}.bin"), "wb") as f:
            f.write(make(n))
PY

fail=0
count=0
pairs=()
for f in "$work"/in/*.bin; do
  base=$(basename "$f" .bin)
  "$szddtool" compress "$f" "$work/sz/$base.bi_" N
  msexpand < "$work/sz/$base.bi_" > "$work/msx/$base.bin" 2>/dev/null || true
  if ! cmp -s "$f" "$work/msx/$base.bin"; then
    echo "FAIL msexpand: $base"
    fail=1
  fi
  pairs+=("sz/$base.bi_" "wine/$base.bin")
  count=$((count + 1))
done

(cd "$work" && wine_ "$lzcheck" expand "${pairs[@]}") > "$work/wine.log"
for f in "$work"/in/*.bin; do
  base=$(basename "$f" .bin)
  if ! cmp -s "$f" "$work/wine/$base.bin"; then
    echo "FAIL lz32: $base"
    fail=1
  fi
done
awk '{split($1,b,"="); split($2,l,"="); if (b[2] != l[2]) { print "FAIL lz32 length: " $0; exit 1 }}' "$work/wine.log" || fail=1

# Expanded names: GetExpandedNameA against ours.
mkdir -p "$work/names/Dir"
names=()
i=0
for spec in "README.TX_:T" "readme.tx_:T" "Readme.tX_:t" "SETUP.EX_:E" "DISK.00_:1" \
            "NOEXT:A" "A.B.C_:D" "under_:X" "zero.tx_:0" "MIXED.d_:L" \
            "lower.dl_:L" "sym.x_:~" "UPPER.DL_:l" "Dir/inner.hl_:P" "1234.56_:7" "x.__:Q"; do
  name=${spec%%:*}
  char=${spec##*:}
  printf 'some data for %s, long enough.\n' "$name" > "$work/names/plain$i"
  "$szddtool" compress "$work/names/plain$i" "$work/names/$name" "$char"
  names+=("$name")
  i=$((i + 1))
done
(cd "$work/names" && wine_ "$lzcheck" name "${names[@]//\//\\}") | tr -d "\r" > "$work/names.wine"
for n in "${names[@]}"; do
  (cd "$work/names" && "$szddtool" name "$n" "${n//\//\\}")
done > "$work/names.ours"
if ! diff -u "$work/names.wine" "$work/names.ours"; then
  echo "FAIL expanded names differ"
  fail=1
fi

if [ "$fail" = 0 ]; then
  echo "check-szdd-interop: $count files byte-exact with msexpand and Wine's lz32; ${#names[@]} expanded names equal"
else
  echo "check-szdd-interop: FAILED"
fi
exit "$fail"
