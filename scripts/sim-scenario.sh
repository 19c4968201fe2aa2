#!/usr/bin/env bash
# Runs one scenario on a fresh simulated machine and compares its transcript
# with the expected one beside the scenario (NAME.transcript).
# Usage: sim-scenario.sh SIMRUN SCENARIO OUTDIR
#
# A scenario with a line "# after: OTHER.scn" (OTHER relative to its folder)
# runs on the machine OTHER left behind: OTHER runs first on the same
# machine folder (and so on down its own "# after:" line), its transcript
# compared with its own expected one; only the last scenario's NAME.check
# runs. With a line "# snapshot: previous" as well, the machine is also
# snapshot between the earlier scenarios and the last one.
set -uo pipefail
if [ $# -ne 3 ]; then
  echo "usage: sim-scenario.sh SIMRUN SCENARIO OUTDIR" >&2
  exit 2
fi
simrun=$1 scenario=$2 out=$3
[ -f "$scenario" ] || { echo "sim-scenario: $scenario not found" >&2; exit 2; }
rm -rf "$out"
mkdir -p "$out"
# Absolute paths: the check runs inside the machine folder.
scenario=$(cd "$(dirname "$scenario")" && pwd)/$(basename "$scenario")
out=$(cd "$out" && pwd)

# The scenario a scenario runs after, as a path, or nothing; the scenario
# parser reads the mark (scenario-info, SCENARIO_INFO, by default beside
# simrun in the build).
scenario_info=${SCENARIO_INFO:-$(dirname "$simrun")/../scenario-info/scenario-info}
[ -x "$scenario_info" ] || { echo "sim-scenario: $scenario_info not found" >&2; exit 2; }
earlier_scenario() {
  "$scenario_info" after "$1"
}

# Whether the scenario asks for a snapshot between the earlier scenarios
# and its own run ("# snapshot: previous").
wants_previous_snapshot() {
  grep -q '^# *snapshot: *previous *$' "$1"
}

# Runs SCENARIO (after its earlier ones) on the machine folder; the
# transcript of a scenario named NAME goes to OUTDIR/NAME.transcript for
# earlier ones and OUTDIR/transcript for the last.
run_one() {  # SCENARIO TRANSCRIPT DEPTH
  local scn=$1 transcript=$2 depth=$3 earlier rc expected
  earlier=$(earlier_scenario "$scn" 2>&1) || { echo "$earlier"; return 1; }
  if [ -n "$earlier" ]; then
    if [ "$depth" -ge 8 ]; then
      echo "$scn: more than 8 scenarios chained by '# after:'"
      return 1
    fi
    [ -f "$earlier" ] || { echo "$scn: no scenario $earlier to run after"; return 1; }
    run_one "$earlier" "$out/$(basename "$earlier" .scn).transcript" $((depth + 1)) || return 1
    # "# snapshot: previous": the machine as the earlier scenarios left it,
    # before this one's set-up (expect_machine_as_previous).
    if [ "$depth" -eq 0 ] && wants_previous_snapshot "$scn"; then
      "$(dirname "$0")/machine-snapshot.sh" sim "$out/machine" "$out/snapshot/previous" || return 1
    fi
  fi
  "$simrun" --machine "$out/machine" --scenario "$scn" --transcript "$transcript" >"$out/stdout" 2>"$out/stderr"
  rc=$?
  if [ $rc -ne 0 ]; then
    echo "simrun failed ($rc) on $scn:"
    cat "$out/stderr" "$out/stdout"
    return 1
  fi
  expected="${scn%.scn}.transcript"
  if [ ! -f "$expected" ]; then
    echo "no expected transcript $expected; this run gave:"
    cat "$transcript"
    return 1
  fi
  if ! diff -u "$expected" "$transcript"; then
    echo "transcript differs from $expected"
    return 1
  fi
}

# A chain of scenarios starts from a fresh machine; its snapshot, taken
# before the first scenario's set-up, is what the last scenario's check
# compares the machine with (expect_machine_as_before).
# A scenario of its own whose check compares the machine with it gets one
# too, taken before its set-up.
snapshots=""
if [ -n "$(earlier_scenario "$scenario")" ] ||
  grep -qs expect_machine_as_before "${scenario%.scn}.check"; then
  "$simrun" --machine "$out/machine" --init || { echo "cannot make a fresh machine"; exit 1; }
  "$(dirname "$0")/machine-snapshot.sh" sim "$out/machine" "$out/snapshot/before" || exit 1
  snapshots=$out/snapshot
fi
run_one "$scenario" "$out/transcript" 0 || exit 1
# Checks of the machine state after the run, when the scenario has them:
# NAME.check is run in the machine folder and must exit 0. After a chain
# it finds the snapshots before and after in MACHINE_SNAPSHOTS.
check="${scenario%.scn}.check"
if [ -f "$check" ]; then
  if [ -n "$snapshots" ]; then
    "$(dirname "$0")/machine-snapshot.sh" sim "$out/machine" "$snapshots/after" || exit 1
  fi
  (cd "$out/machine" && MACHINE_SNAPSHOTS=$snapshots bash "$check") ||
    { echo "machine state check $check failed"; exit 1; }
fi
exit 0
