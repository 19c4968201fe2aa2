#!/usr/bin/env bash
# Runs one scenario with the real SETUP.EXE under Wine, driven by our UI
# driver, in a fresh copy of the test prefix.
#
#   wine-run.sh SCENARIO OUTDIR
#
# OUTDIR gets the transcript (OUTDIR/transcript), the driver's messages
# (OUTDIR/driver.log) and PNG screenshots (OUTDIR/shots/); a scenario run
# before it ("# after:") leaves OUTDIR/EARLIER.transcript and its own
# screenshots in OUTDIR/EARLIER.shots/, so that the two runs' numbered
# screenshots never share a folder. Everything else
# of the run (prefix, disk copies, home) lives in OUTDIR/work and is removed
# at the end unless KEEP_PREFIX=1. Nothing is written outside OUTDIR.
#
# Programs: SETUP_EXE and UIDRIVER, by default those of build/mingw32 in
# a 32-bit prefix where this machine runs 32-bit programs, else those of
# build/mingw64 (WINE_ARCH, see scripts/wine-arch.sh and wine-env.sh);
# SCENARIO_INFO (what the scenario parser reads of the "# after:" mark), by
# default that of build/native;
# UIDRIVER_ARGS adds options of the driver (such as "--settle 500").
# Drives: each `drive`/`insert` folder is copied into OUTDIR/work/disks and
# the prefix's drive link (dosdevices/a:) is pointed at the copy, so the
# program under test can be put on a disk without touching the sources.
# After the run the scenario's NAME.check, if any, checks the machine state.
# Exit status: the driver's (0 the run matched the scenario, 1 it did not,
# 2 bad scenario), or 3 when the machine state check failed.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -ne 2 ]; then
  echo "usage: wine-run.sh SCENARIO OUTDIR" >&2
  exit 2
fi
scenario=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
scndir=$(dirname "$scenario")
if [ -z "${WINE_ARCH:-}" ]; then
  WINE_ARCH=$("$root/scripts/wine-arch.sh" --quiet) || exit 2
fi
export WINE_ARCH
preset=mingw64
[ "$WINE_ARCH" = win32 ] && preset=mingw32
setup_exe=${SETUP_EXE:-$root/build/$preset/src/platform/win32/SETUP.EXE}
uidriver=${UIDRIVER:-$root/build/$preset/tools/uidriver/uidriver.exe}
scenario_info=${SCENARIO_INFO:-$root/build/native/tools/scenario-info/scenario-info}
for f in "$scenario" "$setup_exe" "$uidriver" "$scenario_info"; do
  [ -f "$f" ] || { echo "wine-run: $f not found" >&2; exit 2; }
done
setup_exe=$(cd "$(dirname "$setup_exe")" && pwd)/$(basename "$setup_exe")
uidriver=$(cd "$(dirname "$uidriver")" && pwd)/$(basename "$uidriver")

out=$2
# A run that was killed may have left a folder immutable (refuse mkdir).
if [ -f "$out/refused-mkdir.list" ]; then
  while IFS= read -r dir; do
    [ -n "$dir" ] && chattr -i "$dir" 2>/dev/null
  done <"$out/refused-mkdir.list"
fi
rm -rf "$out"
mkdir -p "$out/shots"
out=$(cd "$out" && pwd)

export WINE_TEST_DIR=$out/work
# shellcheck source=wine-env.sh
. "$root/scripts/wine-env.sh"
# Directories made immutable for `refuse mkdir` (one host path a line);
# made changeable again at the end, before anything is removed.
refused_dirs=$out/refused-mkdir.list
: >"$refused_dirs"
finish() {
  while IFS= read -r dir; do
    [ -n "$dir" ] && chattr -i "$dir" 2>/dev/null
  done <"$refused_dirs"
  wine_env_cleanup
  if [ -z "${KEEP_PREFIX:-}" ]; then rm -rf "$WINE_TEST_DIR"; fi
}
trap finish EXIT

"$root/scripts/wine-prefix.sh" copy "$WINEPREFIX" || { echo "wine-run: no prefix" >&2; exit 2; }
mkdir -p "$WINE_TEST_DIR/disks"

# A host path as Windows programs in the prefix reach it (drive Z: is /).
winpath() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }

# Points drive $1 (a letter) at a copy of host folder $2 (as written in the
# scenario, relative to its folder). Prints "ok" or the reason.
map_drive() {
  local letter=$1 host=$2 src copy
  case $host in
    /*) src=$host ;;
    *) src=$scndir/$host ;;
  esac
  if [ ! -d "$src" ]; then
    echo "no folder $src"
    return
  fi
  # A folder of its own for each copy (this runs in a subshell, so no
  # counter would survive: two disks of the same folder name, as the first
  # disks of two runs, must not land in one copy).
  copy=$(mktemp -d "$WINE_TEST_DIR/disks/XXXXXX") || { echo "cannot copy $src"; return; }
  copy=$copy/$(basename "$src")
  if ! cp -a "$src" "$copy"; then
    echo "cannot copy $src"
    return
  fi
  letter=$(printf '%s' "$letter" | tr 'A-Z' 'a-z')
  ln -sfn "$copy" "$WINEPREFIX/dosdevices/$letter:"
  echo ok
}

# `refuse mkdir "C:\<path>"`: the directory (made as needed) below the
# prefix's drive C: refuses new entries (chattr +i; as root, Unix
# permissions would not). Prints "ok" or the reason.
refuse_mkdir() {
  local windows=$1 rest host
  case $windows in
    [Cc]:\\*) rest=${windows:3} ;;
    *) echo "only a path on drive C: can refuse directory creation"; return ;;
  esac
  host=$(readlink -f "$WINEPREFIX/dosdevices/c:")/${rest//\\//}
  if ! mkdir -p "$host"; then
    echo "cannot make $host"
    return
  fi
  if ! chattr +i "$host" 2>/dev/null; then
    echo "cannot make $host immutable (chattr +i; needs root and a file system that has the flag)"
    return
  fi
  printf '%s\n' "$host" >>"$refused_dirs"
  echo ok
}

# Requests of the driver: "drive X: <folder>" and "refuse mkdir <path>",
# one answer line each.
handle_line() {
  local line=${1%$'\r'} letter folder answer
  case $line in
    "drive "?": "*)
      letter=${line:6:1}
      folder=${line:9}
      answer=$(map_drive "$letter" "$folder")
      echo "drive $letter: $folder -> $answer" >>"$out/drives.log"
      printf '%s\n' "$answer" >&"${DRIVER[1]}"
      ;;
    "refuse mkdir "*)
      answer=$(refuse_mkdir "${line:13}")
      echo "refuse mkdir ${line:13} -> $answer" >>"$out/drives.log"
      printf '%s\n' "$answer" >&"${DRIVER[1]}"
      ;;
    *)
      printf '%s\n' "$line" >>"$out/driver.log"
      ;;
  esac
}

# Runs the driver on one scenario (drive requests answered here); returns
# its exit status. The programs the run starts inherit the driver's output,
# so its end is told by the driver's process, not by the end of the output.
drive_scenario() {  # SCENARIO TRANSCRIPT SHOTS
  local scn=$1 transcript=$2 shots=$3 partial="" line status driver_pid
  scndir=$(dirname "$scn")
  mkdir -p "$shots"
  coproc DRIVER {
    wine_quiet "$uidriver" --scenario "$(winpath "$scn")" \
      --transcript "$(winpath "$transcript")" --shots "$(winpath "$shots")" \
      --program "$(winpath "$setup_exe")" ${UIDRIVER_ARGS:-} 2>>"$out/driver.log"
  }
  driver_pid=$DRIVER_PID
  while :; do
    if IFS= read -r -t 0.2 line <&"${DRIVER[0]}"; then
      handle_line "$partial$line"
      partial=""
    else
      status=$?
      if [ $status -gt 128 ]; then
        partial+=$line  # timed out: keep what came of an unfinished line
        kill -0 "$driver_pid" 2>/dev/null || break
      else
        break  # end of output
      fi
    fi
  done
  wait "$driver_pid"
}

# A scenario with a line "# after: OTHER.scn" runs on the machine OTHER left
# behind: OTHER (after its own earlier ones) runs first in the same prefix,
# and its transcript must match its own expected one.
# The mark is read by the scenario parser (scenario-info of the native
# build): the script runs on the host, where that build is what makes the
# test disks too.
earlier_scenario() {
  "$scenario_info" after "$1"
}
run_chain() {  # SCENARIO TRANSCRIPT SHOTS DEPTH
  local scn=$1 transcript=$2 shots=$3 depth=$4 earlier prior rc
  earlier=$(earlier_scenario "$scn" 2>>"$out/driver.log") || return 2
  if [ -n "$earlier" ]; then
    if [ "$depth" -ge 8 ] || [ ! -f "$earlier" ]; then
      echo "wine-run: $scn: no scenario $earlier to run after, or too many chained" >>"$out/driver.log"
      return 2
    fi
    prior=$out/$(basename "$earlier" .scn).transcript
    run_chain "$earlier" "$prior" "$out/$(basename "$earlier" .scn).shots" $((depth + 1)) || return $?
    if ! diff -u "${earlier%.scn}.transcript" "$prior" >>"$out/driver.log"; then
      echo "wine-run: the transcript of $(basename "$earlier") differs from its expected one" >>"$out/driver.log"
      return 1
    fi
    # AFTER_EARLIER, when set, is a command run with the earlier scenario
    # and the prefix once that scenario has ended (the demonstration shows
    # what the installation made before the uninstallation runs).
    if [ -n "${AFTER_EARLIER:-}" ]; then
      "$AFTER_EARLIER" "$earlier" "$WINEPREFIX" || return 1
    fi
    # The later scenario runs after the next start of Windows, as on the
    # simulated machine, which carries out pending renames (WININIT.INI
    # [rename], PendingFileRenameOperations) whenever it is opened: when
    # the earlier run left any, its session ends and wineboot starts the
    # prefix again (it takes a while, so only then).
    if [ -n "$(find "$WINEPREFIX/drive_c/windows" -maxdepth 1 -iname wininit.ini)" ] ||
       grep -q PendingFileRenameOperations "$WINEPREFIX/system.reg" 2>/dev/null; then
      wineserver -k >/dev/null 2>&1
      wineserver -w >/dev/null 2>&1
      wineboot >/dev/null 2>&1 || echo "wine-run: wineboot failed before $(basename "$scn")" >>"$out/driver.log"
    fi
    # "# snapshot: previous": the machine as the earlier scenarios left it,
    # before this one's set-up (expect_machine_as_previous). The registry
    # files are whole only once the prefix's server has stopped; the next
    # program starts it again.
    if [ "$depth" -eq 0 ] && grep -q '^# *snapshot: *previous *$' "$scn"; then
      wineserver -k >/dev/null 2>&1
      wineserver -w >/dev/null 2>&1
      "$root/scripts/machine-snapshot.sh" wine "$WINEPREFIX" "$snapshots/previous" || return 2
    fi
  fi
  drive_scenario "$scn" "$transcript" "$shots"
}
# A chain of scenarios starts from the fresh prefix; its snapshot, taken
# before the first scenario's set-up, is what the last scenario's check
# compares the machine with (expect_machine_as_before).
# A scenario of its own whose check compares the machine with it gets one
# too, taken before its set-up.
snapshots=""
if [ -n "$(earlier_scenario "$scenario")" ] ||
  grep -qs expect_machine_as_before "${scenario%.scn}.check"; then
  snapshots=$WINE_TEST_DIR/snapshot
  "$root/scripts/machine-snapshot.sh" wine "$WINEPREFIX" "$snapshots/before" || exit 2
fi
run_chain "$scenario" "$out/transcript" "$out/shots" 0
rc=$?

# The machine state checks of the scenario (NAME.check), when it has them,
# run in a folder where C (and every other drive letter) is the drive's
# folder, as on the simulated machine. A check whose first line is
# "# sim-only: <reason>" is not run here.
check="${scenario%.scn}.check"
if [ $rc -eq 0 ] && [ -f "$check" ] && ! head -n 1 "$check" | grep -q '^# *sim-only:'; then
  wineserver -k >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1
  machine=$WINE_TEST_DIR/machine
  mkdir -p "$machine"
  for link in "$WINEPREFIX"/dosdevices/?:; do
    letter=$(basename "$link" :)
    [ "$letter" = z ] && continue
    ln -sfn "$(readlink -f "$link")" "$machine/$(printf '%s' "$letter" | tr 'a-z' 'A-Z')"
  done
  if [ -n "$snapshots" ]; then
    "$root/scripts/machine-snapshot.sh" wine "$WINEPREFIX" "$snapshots/after" || rc=3
  fi
  if ! (cd "$machine" && MACHINE_SNAPSHOTS=$snapshots bash "$check") >"$out/check.log" 2>&1; then
    echo "uidriver: machine state check $(basename "$check") failed" >>"$out/driver.log"
    cat "$out/check.log" >>"$out/driver.log"
    rc=3
  fi
fi

# Screenshots as PNG.
for bmp in "$out"/shots/*.bmp "$out"/*.shots/*.bmp; do
  [ -f "$bmp" ] || continue
  if bmptopnm "$bmp" 2>/dev/null | pnmtopng >"${bmp%.bmp}.png" 2>/dev/null; then
    rm -f "$bmp"
  fi
done
exit $rc
