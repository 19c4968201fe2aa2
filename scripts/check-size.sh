#!/usr/bin/env bash
# Checks that the shipped SETUP.EXE is small enough for its first disk: at
# most LIMIT bytes (default 307200, 300 KB: a fifth of a 1.44 MB disk), and
# without debug sections (those belong in SETUP.dbg.exe beside it).
#
#   check-size.sh [PROGRAM.EXE [LIMIT]]
set -euo pipefail
cd "$(dirname "$0")/.."
exe=${1:-build/mingw32/src/platform/win32/SETUP.EXE}
limit=${2:-307200}
[ -f "$exe" ] || { echo "check-size: $exe not found" >&2; exit 2; }
size=$(stat -c %s "$exe")
failed=0
debug=$(i686-w64-mingw32-objdump -h "$exe" 2>/dev/null | awk '$2 ~ /^\.debug/ {print $2}' | tr '\n' ' ')
if [ -n "$debug" ]; then
  echo "check-size: $exe has debug sections: $debug" >&2
  failed=1
fi
if [ "$size" -gt "$limit" ]; then
  echo "check-size: $exe has $size bytes, more than $limit" >&2
  failed=1
fi
[ "$failed" = 0 ] || exit 1
echo "check-size: $exe: $size bytes of at most $limit, $(( 1457664 - size )) of a 1.44 MB disk (1457664 bytes) left"
