#!/usr/bin/env bash
# All tests: the paths the README and docs/ name, native unit and scenario
# tests, the same under AddressSanitizer and UBSan, the Windows builds (64-
# and 32-bit; the import table of the shipped 32-bit SETUP.EXE is checked
# against what Windows 95 and NT 4.0 export), short fuzz runs, the LZ
# interoperability check, and the scenarios with the real SETUP.EXE under
# Wine (and the planted-library test, and every catalog text measured in
# the control it goes into): the shipped 32-bit build in a 32-bit prefix
# where the machine runs 32-bit programs, the 64-bit build elsewhere; the
# shipped 32-bit SETUP.EXE's code is checked for instructions a 486 lacks,
# and its size. Installs what it needs first.
#
#   test-all.sh                 every stage (what CI runs through .ci/run)
#   STAGES="native" test-all.sh only the named stages, in their usual order
#
# Stages: deps docs windows native asan fuzz interop wine. The fast path for
# daily work is STAGES="windows native" (the native stage needs SETUP.EXE
# for the test disks); SKIP_DEPS=1 leaves out the dependency check when
# everything is known to be installed. A stage whose script or program is
# missing fails the run: nothing is skipped without being asked for.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${JOBS:-2}
stages=${STAGES:-deps docs windows native asan fuzz interop wine}
if [ "${SKIP_DEPS:-0}" = 1 ]; then stages=${stages//deps/}; fi

step() { printf '\n=== %s\n' "$*"; }
wanted() { [[ " $stages " == *" $1 "* ]]; }
need() {
  # A stage's script must be there and executable; a missing one is an error.
  for f in "$@"; do
    if [ ! -x "$f" ]; then
      echo "test-all: $f is missing or not executable" >&2
      exit 1
    fi
  done
}

for s in $stages; do
  case $s in
    deps|docs|windows|native|asan|fuzz|interop|wine) ;;
    *) echo "test-all: unknown stage '$s'" >&2; exit 2 ;;
  esac
done

if wanted deps; then
  step "dependencies"
  need scripts/install-deps.sh
  scripts/install-deps.sh
fi

if wanted docs; then
  step "paths named by the README and docs/"
  need scripts/check-docs.sh
  # The check catches a broken reference (its self-test), and there is none.
  scripts/check-docs.sh --self-test
  scripts/check-docs.sh
fi

if wanted windows; then
  step "SETUP.EXE for 64-bit and 32-bit Windows"
  cmake --preset mingw64 >/dev/null
  cmake --build --preset mingw64 -j "$jobs"
  cmake --preset mingw32 >/dev/null
  cmake --build --preset mingw32 -j "$jobs"
  # The 32-bit program is the one shipped: everything it imports must exist
  # on the first Windows 95 and Windows NT 4.0.
  need scripts/check-imports.sh scripts/check-cpu.sh scripts/check-size.sh
  scripts/check-imports.sh build/mingw32/src/platform/win32/SETUP.EXE
  # It runs on a 486: no instruction a later processor introduced, in our
  # code or anything linked in.
  scripts/check-cpu.sh build/mingw32/src/platform/win32/SETUP.EXE build/mingw32/src/platform/win32/SETUP.dbg.exe
  # It fits its first disk: at most 300 KB, no debug sections.
  scripts/check-size.sh build/mingw32/src/platform/win32/SETUP.EXE
fi

if wanted native; then
  step "native build and tests"
  need scripts/make-test-disks.sh build/mingw64/src/platform/win32/SETUP.EXE
  cmake --preset native >/dev/null
  cmake --build --preset native -j "$jobs"
  scripts/make-test-disks.sh build/native build/mingw64/src/platform/win32/SETUP.EXE
  ctest --preset native -j "$jobs"
  # The fault matrix's counts: how many points of each kind it ran (all held).
  grep -h "^fault matrix," build/native/Testing/Temporary/LastTest.log ||
    { echo "test-all: the fault matrix printed no counts" >&2; exit 1; }
fi

if wanted asan; then
  step "AddressSanitizer and UBSan build and tests"
  cmake --preset asan >/dev/null
  cmake --build --preset asan -j "$jobs"
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset asan -j "$jobs"
fi

if wanted fuzz; then
  step "fuzz targets (short runs)"
  cmake --preset fuzz >/dev/null
  cmake --build --preset fuzz -j "$jobs"
  targets=(build/fuzz/fuzz/*_fuzz)
  # Every fuzz/*_fuzz.cpp must have given a program.
  for src in fuzz/*_fuzz.cpp; do
    need "build/fuzz/fuzz/$(basename "$src" .cpp)"
  done
  for f in "${targets[@]}"; do
    need "$f"
    name=$(basename "$f")
    corpus=build/fuzz/corpus/$name
    mkdir -p "$corpus"
    seeds=fuzz/seeds/$name
    [ -d "$seeds" ] || seeds=""
    echo "--- $name"
    "$f" -max_total_time="${FUZZ_SECONDS:-20}" -print_final_stats=0 "$corpus" $seeds 2>&1 | tail -n 2
  done
fi

if wanted interop; then
  step "LZ interoperability with msexpand and Wine"
  need scripts/check-szdd-interop.sh
  scripts/check-szdd-interop.sh
fi

if wanted wine; then
  step "scenarios with the real SETUP.EXE under Wine"
  need scripts/wine-arch.sh scripts/check-disk-layout.sh scripts/wine-tests.sh scripts/wine-planted-dll.sh scripts/wine-textfit.sh
  # The shipped 32-bit build in a 32-bit prefix where this machine runs
  # 32-bit programs (asked again here: it may have changed since the
  # dependencies were installed), the 64-bit build elsewhere; one line
  # says which.
  scripts/wine-arch.sh self-test
  WINE_ARCH=$(scripts/wine-arch.sh)
  export WINE_ARCH
  if [ "$WINE_ARCH" = win32 ]; then tested=mingw32 other=mingw64; else tested=mingw64 other=mingw32; fi
  export SETUP_EXE=build/$tested/src/platform/win32/SETUP.EXE UIDRIVER=build/$tested/tools/uidriver/uidriver.exe
  need "$SETUP_EXE" "$UIDRIVER" build/$other/src/platform/win32/SETUP.EXE
  # The test disks hold the same with either build; they are left holding
  # the one under test.
  scripts/check-disk-layout.sh build/native build/$other/src/platform/win32/SETUP.EXE "$SETUP_EXE"
  scripts/wine-tests.sh
  # Every catalog text fits its control, at 96 and at 120 dpi.
  TEXTFIT=build/$tested/tools/textfit/textfit.exe scripts/wine-textfit.sh
  # A DLL of a library's name beside SETUP.EXE is never loaded.
  scripts/wine-planted-dll.sh
  unset SETUP_EXE UIDRIVER WINE_ARCH
fi

echo
echo "All tests passed (stages: $(echo $stages))."
