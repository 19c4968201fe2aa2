#!/usr/bin/env bash
# Runs one scenario on a fresh simulated machine and compares its transcript
# with the expected one beside the scenario (NAME.transcript).
# Usage: sim-scenario.sh SIMRUN SCENARIO OUTDIR
set -uo pipefail
simrun=$1 scenario=$2 out=$3
expected="${scenario%.scn}.transcript"
rm -rf "$out"
mkdir -p "$out"
"$simrun" --machine "$out/machine" --scenario "$scenario" --transcript "$out/transcript" >"$out/stdout" 2>"$out/stderr"
rc=$?
if [ $rc -ne 0 ]; then
  echo "simrun failed ($rc) on $scenario:"
  cat "$out/stderr" "$out/stdout"
  exit 1
fi
if [ ! -f "$expected" ]; then
  echo "no expected transcript $expected; this run gave:"
  cat "$out/transcript"
  exit 1
fi
if ! diff -u "$expected" "$out/transcript"; then
  echo "transcript differs from $expected"
  exit 1
fi
# Checks of the machine state after the run, when the scenario has them:
# NAME.check is run in the machine folder and must exit 0.
check="${scenario%.scn}.check"
if [ -f "$check" ]; then
  (cd "$out/machine" && bash "$check") || { echo "machine state check $check failed"; exit 1; }
fi
exit 0
