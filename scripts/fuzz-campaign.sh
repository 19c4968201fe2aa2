#!/usr/bin/env bash
# A longer libFuzzer campaign over every fuzz target (the fuzz stage of
# test-all.sh runs each only briefly). Each target starts from its seeds
# (fuzz/seeds/<target>) and its corpus of earlier runs
# (build/fuzz/campaign/<target>), runs SECONDS, and a line per target gives
# the executions, the coverage (edges "cov" and features "ft" at the end),
# the corpus size and the crashes (inputs that failed are kept in
# build/fuzz/campaign/crashes/).
#
#   fuzz-campaign.sh [SECONDS [PARALLEL]]    default 1800 s, 1 at a time
#
# TARGETS="a_fuzz b_fuzz" runs only those targets.
#
# Needs the fuzz preset built (cmake --preset fuzz && cmake --build --preset fuzz).
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-1800}
parallel=${2:-1}
base=build/fuzz/campaign
mkdir -p "$base/crashes" "$base/logs"

run_one() {
  local f=$1 name corpus seeds
  name=$(basename "$f")
  corpus=$base/$name
  mkdir -p "$corpus"
  seeds=fuzz/seeds/$name
  [ -d "$seeds" ] || seeds=""
  "$f" -max_total_time="$seconds" -print_final_stats=1 -rss_limit_mb=2048 \
    -artifact_prefix="$base/crashes/$name-" "$corpus" $seeds >"$base/logs/$name.log" 2>&1
  local rc=$? execs cov ft crashes
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$base/logs/$name.log" | tail -n 1)
  cov=$(grep -o 'cov: [0-9]*' "$base/logs/$name.log" | tail -n 1 | cut -d' ' -f2)
  ft=$(grep -o 'ft: [0-9]*' "$base/logs/$name.log" | tail -n 1 | cut -d' ' -f2)
  crashes=$(find "$base/crashes" -name "$name-*" | wc -l)
  printf '%-22s %6ss  execs %-10s cov %-5s ft %-6s corpus %-5s crashes %s (exit %s)\n' \
    "$name" "$seconds" "${execs:-?}" "${cov:-?}" "${ft:-?}" "$(find "$corpus" -type f | wc -l)" \
    "$crashes" "$rc"
}

if [ -n "${TARGETS:-}" ]; then
  targets=()
  for t in $TARGETS; do targets+=("build/fuzz/fuzz/$t"); done
else
  targets=(build/fuzz/fuzz/*_fuzz)
fi
[ -x "${targets[0]}" ] || { echo "fuzz-campaign: build the fuzz preset first" >&2; exit 2; }
running=0
for f in "${targets[@]}"; do
  run_one "$f" &
  running=$((running + 1))
  if [ "$running" -ge "$parallel" ]; then
    wait -n
    running=$((running - 1))
  fi
done
wait
crashes=$(find "$base/crashes" -type f | wc -l)
echo "fuzz-campaign: ${#targets[@]} targets, $seconds s each, $crashes crash inputs kept in $base/crashes"
[ "$crashes" -eq 0 ]
