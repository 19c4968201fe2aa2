#!/usr/bin/env bash
# Runs every scenario of tests/scenarios that has an expected transcript
# (NAME.transcript beside NAME.scn) with the real SETUP.EXE under Wine and
# compares the transcripts. A scenario whose first line is
# "# sim-only: <reason>" is skipped.
#
#   wine-tests.sh [SCENARIO...]
#
# Results go to build/wine-tests/<name>/ (transcript, driver.log, shots/).
# Builds the mingw64 preset first unless SETUP_EXE and UIDRIVER are given.
# Exit status 0 when every scenario passed.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
results=${WINE_TESTS_OUT:-$root/build/wine-tests}

if [ -z "${SETUP_EXE:-}" ] || [ -z "${UIDRIVER:-}" ]; then
  if ! cmake --preset mingw64 >/dev/null || ! cmake --build --preset mingw64 -j "${JOBS:-2}" >/dev/null; then
    echo "wine-tests: the mingw64 build failed" >&2
    exit 1
  fi
  export SETUP_EXE=$root/build/mingw64/src/platform/win32/SETUP.EXE
  export UIDRIVER=$root/build/mingw64/tools/uidriver/uidriver.exe
fi
# The scenario parser reads the marks (scenario-info of the native build,
# which also builds the test disks).
export SCENARIO_INFO=${SCENARIO_INFO:-$root/build/native/tools/scenario-info/scenario-info}
[ -x "$SCENARIO_INFO" ] || { echo "wine-tests: $SCENARIO_INFO not found (build the native preset)" >&2; exit 1; }

if [ $# -gt 0 ]; then
  scenarios=("$@")
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
