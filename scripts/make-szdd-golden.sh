#!/usr/bin/env bash
# Makes the golden SZDD files of tests/data/szdd/: small originals and their
# compressed forms made by Debian's mscompress (package mscompress), which
# the tests expand with our reader. mscompress corrupts files shorter than
# 16 bytes, so every original here has at least 16.
# Usage: make-szdd-golden.sh   (rewrites tests/data/szdd/)
set -euo pipefail
cd "$(dirname "$0")/.."
command -v mscompress >/dev/null || { echo "make-szdd-golden: mscompress missing" >&2; exit 2; }
dir=tests/data/szdd
rm -rf "$dir"
mkdir -p "$dir"

# Sixteen bytes exactly.
printf 'SIXTEEN BYTES!\r\n' > "$dir/sixteen.txt"
# A short text with repeats that reach back into the blanks the window
# starts with.
printf '    Halvorn 7.0    \r\n    Read me first.    \r\n    Read me first.\r\n' > "$dir/indent.txt"
# Text across more than one window.
python3 - "$dir/lines.txt" <<'PY'
import sys
with open(sys.argv[1], "wb") as f:
    for i in range(400):
        f.write(b"Line %04d: backup set %d on tape %d, verify=%s\r\n"
                % (i, i % 7, i % 3, b"yes" if i % 2 else b"no"))
PY
# Binary: every byte value, runs, and a pseudo-random tail.
python3 - "$dir/binary.bin" <<'PY'
import sys
data = bytearray(range(256)) * 4 + bytes(300) + b"\xff" * 300
x = 12345
for _ in range(3000):
    x = (x * 1103515245 + 12345) & 0x7fffffff
    data.append(x >> 16 & 0xff)
open(sys.argv[1], "wb").write(data)
PY

for f in "$dir"/*.txt "$dir"/*.bin; do
  mscompress "$f"          # writes "$f"_ beside the original
done
ls -l "$dir"
