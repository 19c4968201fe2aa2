#!/usr/bin/env bash
# Runs every scenario of tests/scenarios that has an expected transcript
# (NAME.transcript beside NAME.scn) with the real SETUP.EXE under Wine and
# compares the transcripts. A scenario whose first line is
# "# sim-only: <reason>" is skipped.
#
#   wine-tests.sh [SCENARIO...]   (a path, or a name in tests/scenarios)
#
# Results go to build/wine-tests/<name>/ (transcript, driver.log, shots/).
#
# Where this machine runs 32-bit programs and 32-bit Wine is installed, the
# scenarios run the shipped 32-bit SETUP.EXE with the 32-bit UI driver in a
# 32-bit prefix (preset mingw32); elsewhere the 64-bit build in a 64-bit
# prefix (preset mingw64); the first line says which and why
# (scripts/wine-arch.sh; WINE_ARCH=win32 or win64 chooses). Builds that
# preset first unless SETUP_EXE and UIDRIVER are given. When the test disks
# hold another SETUP.EXE (built/setup-exe.sha256), they are made again with
# this one (scripts/make-test-disks.sh; needs build/native).
# Exit status 0 when every scenario passed.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
results=${WINE_TESTS_OUT:-$root/build/wine-tests}

# The line saying which Wine, unless the caller chose it (and said so).
WINE_ARCH=$(scripts/wine-arch.sh ${WINE_ARCH:+--quiet}) || exit 1
export WINE_ARCH
preset=mingw64
[ "$WINE_ARCH" = win32 ] && preset=mingw32
if [ -z "${SETUP_EXE:-}" ] || [ -z "${UIDRIVER:-}" ]; then
  if ! cmake --preset $preset >/dev/null || ! cmake --build --preset $preset -j "${JOBS:-2}" >/dev/null; then
    echo "wine-tests: the $preset build failed" >&2
    exit 1
  fi
  export SETUP_EXE=$root/build/$preset/src/platform/win32/SETUP.EXE
  export UIDRIVER=$root/build/$preset/tools/uidriver/uidriver.exe
fi

# The scenarios run A:\SETUP.EXE of the test disks: the program under test.
disks_hold=$(cut -d' ' -f1 tests/scenarios/built/setup-exe.sha256 2>/dev/null)
if [ "$disks_hold" != "$(sha256sum "$SETUP_EXE" | cut -d' ' -f1)" ]; then
  echo "wine-tests: making the test disks with $SETUP_EXE"
  scripts/make-test-disks.sh "${NATIVE_BUILD:-build/native}" "$SETUP_EXE" >/dev/null ||
    { echo "wine-tests: cannot make the test disks" >&2; exit 1; }
fi
# The scenario parser reads the marks (scenario-info of the native build,
# which also builds the test disks).
export SCENARIO_INFO=${SCENARIO_INFO:-$root/build/native/tools/scenario-info/scenario-info}
[ -x "$SCENARIO_INFO" ] || { echo "wine-tests: $SCENARIO_INFO not found (build the native preset)" >&2; exit 1; }

if [ $# -gt 0 ]; then
  # A bare name is that scenario of tests/scenarios; a name that is not
  # there is an error, not a run of nothing.
  scenarios=()
  for a in "$@"; do
    [ -f "$a" ] || [ ! -f "tests/scenarios/${a%.scn}.scn" ] || a=tests/scenarios/${a%.scn}.scn
    [ -f "$a" ] || { echo "wine-tests: no scenario $a" >&2; exit 1; }
    scenarios+=("$a")
  done
else
  scenarios=(tests/scenarios/*.scn)
fi

# The template prefix once, before the runs.
"$root/scripts/wine-prefix.sh" template || { echo "wine-tests: no Wine prefix" >&2; exit 1; }

passed=0 failed=0 skipped=0
failures=()
for scn in "${scenarios[@]}"; do
  [ -f "$scn" ] || continue
  name=$(basename "$scn" .scn)
  expected="${scn%.scn}.transcript"
  if reason=$("$SCENARIO_INFO" sim-only "$scn"); then
    skipped=$((skipped + 1))
    echo "SKIP $name ($reason)"
    continue
  fi
  if [ ! -f "$expected" ]; then
    skipped=$((skipped + 1))
    echo "SKIP $name (no expected transcript)"
    continue
  fi
  out=$results/$name
  start=$(date +%s)
  "$root/scripts/wine-run.sh" "$scn" "$out"
  rc=$?
  secs=$(( $(date +%s) - start ))
  if [ $rc -eq 0 ] && diff -u "$expected" "$out/transcript" >"$out/transcript.diff"; then
    passed=$((passed + 1))
    echo "PASS $name (${secs}s)"
    rm -f "$out/transcript.diff"
  else
    failed=$((failed + 1))
    failures+=("$name")
    echo "FAIL $name (${secs}s)"
    sed 's/^/    /' "$out/driver.log" 2>/dev/null | grep -v '^    $' | head -n 20
    [ -s "$out/transcript.diff" ] && sed 's/^/    /' "$out/transcript.diff" | head -n 40
  fi
done

echo
echo "wine scenarios: $passed passed, $failed failed, $skipped skipped"
if [ $failed -gt 0 ]; then
  echo "failed: ${failures[*]} (results in $results)"
  exit 1
fi
exit 0
