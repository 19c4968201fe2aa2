#!/usr/bin/env bash
# All tests: native unit and scenario tests, the same under AddressSanitizer
# and UBSan, the Windows builds (64- and 32-bit), short fuzz runs, the LZ
# interoperability check, and the scenarios with the real SETUP.EXE under
# Wine. Installs what it needs first.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=${JOBS:-2}

step() { printf '\n=== %s\n' "$*"; }

step "dependencies"
scripts/install-deps.sh

step "SETUP.EXE for 64-bit and 32-bit Windows"
cmake --preset mingw64 >/dev/null
cmake --build --preset mingw64 -j "$jobs"
cmake --preset mingw32 >/dev/null
cmake --build --preset mingw32 -j "$jobs"

step "native build and tests"
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
scripts/make-test-disks.sh build/native build/mingw64/src/platform/win32/SETUP.EXE
ctest --preset native -j "$jobs"

step "AddressSanitizer and UBSan build and tests"
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset asan -j "$jobs"

step "fuzz targets (short runs)"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
for f in build/fuzz/fuzz/*_fuzz; do
  [ -x "$f" ] || continue
  name=$(basename "$f")
  corpus=build/fuzz/corpus/$name
  mkdir -p "$corpus"
  seeds=fuzz/seeds/$name
  [ -d "$seeds" ] || seeds=""
  echo "--- $name"
  "$f" -max_total_time="${FUZZ_SECONDS:-20}" -print_final_stats=0 "$corpus" $seeds 2>&1 | tail -n 2
done

if [ -x scripts/check-szdd-interop.sh ]; then
  step "LZ interoperability with msexpand and Wine"
  scripts/check-szdd-interop.sh
fi

step "scenarios with the real SETUP.EXE under Wine"
scripts/wine-tests.sh

echo
echo "All tests passed."
