#!/usr/bin/env bash
# Benchmark (not a test): our SZDD reader and writer against Wine's lz32 and
# Debian's msexpand/mscompress, on one deterministic corpus of 50 MB of mixed
# text and binary data. msexpand and mscompress write one byte at a time, so
# they get a part of it (2 MB for msexpand, 3 MB for mscompress); MB/s figures
# are comparable, the parts are named in the output.
#
# Then the copy engine: a 50 MB product (the corpus cut into 67 files, every
# file compressed by our writer, 7 disks) installed by simrun on the
# simulated machine with the disk swaps answered, against a plain copy of the
# same expanded files through the same simulated file system (bench/simcopy)
# and a host `cp`; and SETUP.EXE under Wine installing the same product from
# one disk, driven through its dialogs and messages by the UI driver
# (scripts/wine-run.sh), against tools/lzinstall, which expands and writes
# the same files through Wine's lz32 in the same prefix right after; and
# once through the UI driver from the 7 disks (SKIP_DISKS=1 leaves it out).
# Repeated runs print min/median/max. Under Wine: the shipped 32-bit
# SETUP.EXE, UI driver and lzinstall in a 32-bit prefix where this machine
# runs 32-bit programs, else the 64-bit ones, saying so
# (scripts/wine-arch.sh). The peak working set (bench/peak_memory.py) of
# SETUP.EXE and lzinstall in those runs, and of SETUP.EXE installing the
# sample product from its disks (samples/halvorn/install.scn).
#
# First the shipped 32-bit SETUP.EXE's size and what disk 1 of the sample
# set keeps for the product.
#
# Usage: bench.sh [WORKDIR]   (default build/bench)
# Environment: NATIVE_BUILD (default build/native: simrun, mkdisks and the
# libraries of the simulated machine), MINGW_BUILD (default build/mingw32
# or build/mingw64 as above: SETUP.EXE, uidriver.exe), SHIPPED_EXE (default
# build/mingw32/.../SETUP.EXE: the program whose size is reported), ROUNDS
# (default 21 on the simulated machine, 5 under Wine), SKIP_WINE=1 to leave
# out the Wine part, WINE_ARCH=win32 or win64 to choose the Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
work=$(realpath -m "${1:-build/bench}")
mkdir -p "$work"
native=$(realpath -m "${NATIVE_BUILD:-build/native}")
# The Wine the copy part runs under, and the builds that go with it.
wine_note=$(scripts/wine-arch.sh 2>&1 >/dev/null) || { echo "bench: $wine_note" >&2; exit 2; }
WINE_ARCH=$(scripts/wine-arch.sh --quiet)
export WINE_ARCH
if [ "$WINE_ARCH" = win32 ]; then
  mingw=$(realpath -m "${MINGW_BUILD:-build/mingw32}") win_cc=i686-w64-mingw32-gcc
else
  mingw=$(realpath -m "${MINGW_BUILD:-build/mingw64}") win_cc=x86_64-w64-mingw32-gcc
fi

# ---------------------------------------------------------------- the shipped program

# Its size against a 1.44 MB disk, and what disk 1 of the sample set keeps
# for the product after SETUP.EXE, SETUP.DAT and DISK.001 (each rounded up
# to the disk's 512-byte clusters).
shipped=$(realpath -m "${SHIPPED_EXE:-build/mingw32/src/platform/win32/SETUP.EXE}")
[ -f "$shipped" ] || { echo "bench: $shipped not built (preset mingw32)" >&2; exit 2; }
disk=1457664
exe_size=$(stat -c %s "$shipped")
rm -rf "$work/sample"
MKDISKS="$native/tools/mkdisks/mkdisks" scripts/make-sample-disks.sh "$work/sample" "$shipped" >"$work/sample.txt"
fixed=0
for f in SETUP.EXE SETUP.DAT DISK.001; do
  fixed=$(( fixed + ( $(stat -c %s "$work/sample/disk1/$f") + 511 ) / 512 * 512 ))
done
echo "The shipped SETUP.EXE (32-bit): $exe_size bytes, $(printf '%.1f' "$(echo "100 * $exe_size / $disk" | bc -l)") % of a 1.44 MB disk ($disk bytes; limit 307200)"
echo "Sample set, disk 1: $(( disk - fixed )) bytes kept for the product after SETUP.EXE, SETUP.DAT and DISK.001" \
     "($(ls -d "$work"/sample/disk* | wc -l) disks; $(sed -n 's/^disk1: //p' "$work/sample.txt"))"
echo "Under Wine below: ${wine_note#wine: }"
echo

g++ -std=c++20 -O2 -DNDEBUG -Isrc -o "$work/szdd_bench" bench/szdd_bench.cpp src/lz/szdd.cpp
make -s -C tools/lzcheck O="$work"
bench="$work/szdd_bench"

corpus="$work/corpus.bin"
[ -f "$corpus" ] || "$bench" corpus "$corpus" 50
head -c 2000000 "$corpus" > "$work/part2.bin"
head -c 3000000 "$corpus" > "$work/part3.bin"

field() { sed -n "s|.*$1=\([^ ]*\).*|\1|p"; }
seconds() { local t0 t1; t0=$(date +%s.%N); "$@"; t1=$(date +%s.%N); echo "$t1 - $t0" | bc -l; }
mbs() { printf '%.1f' "$(echo "$1 / $2 / 1000000" | bc -l)"; }

echo "SZDD benchmark on $(nproc) cores; corpus $(stat -c %s "$corpus") bytes of mixed text and binary"
echo

# Our writer on the whole corpus and on the 3 MB part.
ours=$("$bench" compress "$corpus" "$work/corpus.sz")
ours3=$("$bench" compress "$work/part3.bin" "$work/part3.sz" 3)
"$bench" compress "$work/part2.bin" "$work/part2.sz" >/dev/null

# mscompress on the 3 MB part (one run: about 3 s).
rm -f "$work/msc/part3.bin_"
mkdir -p "$work/msc"
cp "$work/part3.bin" "$work/msc/part3.bin"
msc_s=$(seconds mscompress "$work/msc/part3.bin")
msc_size=$(stat -c %s "$work/msc/part3.bin_")

# Readers.
our_read=$("$bench" expand "$work/corpus.sz" 3)

wine_read=$(
  export WINEPREFIX="$work/wineprefix" WINEDEBUG=-all TZ=UTC
  export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d"
  export XDG_DATA_HOME="$work/xdg" XDG_CONFIG_HOME="$work/xdg"
  unset DISPLAY
  # lzcheck is 64-bit: Wine's 64-bit loader (Debian's wrapper would start
  # the 32-bit one first once wine32 is installed).
  wine64=/usr/lib/wine/wine64
  [ -x "$wine64" ] || wine64=wine
  [ -f "$WINEPREFIX/system.reg" ] || "$wine64" wineboot -i >/dev/null 2>&1 || true
  wineserver -p
  cd "$work" && "$wine64" "$work/lzcheck.exe" time corpus.sz 3 2>/dev/null | tr -d '\r'
  wineserver -k 2>/dev/null || true
)

msx_s=$(seconds sh -c "msexpand < '$work/part2.sz' > '$work/part2.out'")
cmp -s "$work/part2.out" "$work/part2.bin" || echo "WARNING: msexpand output differs"

printf '%-44s %12s %10s\n' "Reader (expanding our compressed corpus)" "MB/s" "data"
printf '%-44s %12s %10s\n' "ours (szdd::Expander, 5120-byte reads)" "$(echo "$our_read" | field 'MB/s')" "50 MB"
printf '%-44s %12s %10s\n' "Wine lz32 (LZRead loop, 5120-byte reads)" "$(echo "$wine_read" | field 'MB/s')" "50 MB"
printf '%-44s %12s %10s\n' "msexpand (stdin to file)" "$(mbs 2000000 "$msx_s")" "2 MB part"
echo
printf '%-44s %12s %10s %10s\n' "Writer" "MB/s" "ratio" "data"
printf '%-44s %12s %10s %10s\n' "ours (szdd::Compress)" "$(echo "$ours" | field 'MB/s')" "$(echo "$ours" | field ratio)" "50 MB"
printf '%-44s %12s %10s %10s\n' "ours (szdd::Compress, best of 3)" "$(echo "$ours3" | field 'MB/s')" "$(echo "$ours3" | field ratio)" "3 MB part"
printf '%-44s %12s %10s %10s\n' "mscompress" "$(mbs 3000000 "$msc_s")" "$(printf '%.4f' "$(echo "$msc_size / 3000000" | bc -l)")" "3 MB part"


# ---------------------------------------------------------------- copy engine

simrun=$native/tools/simrun/simrun
mkdisks=$native/tools/mkdisks/mkdisks
setup_exe=$mingw/src/platform/win32/SETUP.EXE
for f in "$simrun" "$mkdisks" "$setup_exe"; do
  [ -x "$f" ] || [ -f "$f" ] || { echo "bench: $f not built" >&2; exit 2; }
done
libs="$native/src/platform/sim/libsim_machine.a $native/libplatform_seam.a $native/libtext.a $native/libszdd.a"
g++ -std=c++20 -O2 -DNDEBUG -Isrc -o "$work/simcopy" bench/simcopy.cpp $libs
make -s -C tools/lzinstall O="$work/$WINE_ARCH" CC="$win_cc"

# The product: 7 disks of 3.5 MB, and the same files on one disk.
rm -rf "$work/stage" "$work/product" "$work/product1"
python3 bench/make_product.py "$work/corpus.bin" "$work/stage" >/dev/null
"$mkdisks" --setup-exe "$setup_exe" --out "$work/product" --time 883612800 "$work/stage/bench.product" >"$work/product.txt"
sed 's/^disk-size = .*/disk-size = 30000000/' "$work/stage/bench.product" >"$work/stage/bench1.product"
"$mkdisks" --setup-exe "$setup_exe" --out "$work/product1" --time 883612800 "$work/stage/bench1.product" >/dev/null
disks=$(ls -d "$work"/product/disk* | wc -l)
rm -rf "$work/plain"
mkdir -p "$work/plain"
cp "$work"/stage/BEN* "$work/plain/"
{
  echo "platform win95"
  echo "drive A: product/disk1"
  echo 'run A:\SETUP.EXE'
  echo 'dialog 129: press 1'
  echo 'dialog 102: press 1'
  echo 'dialog 103: press 1'
  for d in $(seq 2 "$disks"); do echo "box \"Next Diskette Needed\": insert A: product/disk$d; ok"; done
  echo 'dialog 135 read 1013: wait 1013 "File Transfer Complete."'
  echo 'box "Install Complete": ok'
  echo 'box "" text "README.TXT": no'
  echo "end"
} >"$work/install.scn"

# min/median/max of the numbers on standard input.
stats() { sort -g | awk '{v[NR]=$1} END {printf "%.3f %.3f %.3f", v[1], v[int((NR+1)/2)], v[NR]}'; }
median() { echo "$1" | cut -d' ' -f2; }
now() { date +%s.%N; }

rounds=${ROUNDS:-21}
: >"$work/sim.times"; : >"$work/simcopy.times"; : >"$work/cp.times"
for _ in $(seq 1 "$rounds"); do
  rm -rf "$work/simm" "$work/plainm" "$work/cpdst"
  t0=$(now)
  "$simrun" --machine "$work/simm" --scenario "$work/install.scn" --transcript "$work/sim.transcript" >/dev/null
  t1=$(now)
  echo "$t1 - $t0" | bc -l >>"$work/sim.times"
  t0=$(now)
  "$work/simcopy" "$work/plainm" "$work/plain" 'C:\PLAIN' >/dev/null
  t1=$(now)
  echo "$t1 - $t0" | bc -l >>"$work/simcopy.times"
  t0=$(now)
  cp -r "$work/plain" "$work/cpdst"
  t1=$(now)
  echo "$t1 - $t0" | bc -l >>"$work/cp.times"
done
grep -q '^exit 0' "$work/sim.transcript" || { echo "bench: the simulated install did not get through:" >&2; cat "$work/sim.transcript" >&2; exit 1; }
installed=$(du -sb "$work/simm/C/Program Files" | cut -f1)
sim=$(stats <"$work/sim.times"); simcopy=$(stats <"$work/simcopy.times"); hostcp=$(stats <"$work/cp.times")
echo
echo "Copy engine on the simulated machine: $(stat -c %s "$work/corpus.bin") bytes in $(ls "$work/plain" | wc -l) files, $disks disks ($installed bytes installed with UNINSTAL.EXE, SETUP.DAT, UNINST.LST); $rounds rounds, wall seconds of the whole process"
printf '%-58s %24s\n' "" "min / median / max s"
printf '%-58s %24s\n' "simrun: SETUP logic installs the disk set (disk swaps answered)" "$(echo "$sim" | sed 's| | / |g')"
printf '%-58s %24s\n' "simcopy: plain copy of the expanded files, same file system" "$(echo "$simcopy" | sed 's| | / |g')"
printf '%-58s %24s\n' "host cp -r of the expanded files" "$(echo "$hostcp" | sed 's| | / |g')"
printf '%-58s %24s\n' "ratio of medians: simrun / simcopy (goal: at most 1.5)" "$(printf '%.2f' "$(echo "$(median "$sim") / $(median "$simcopy")" | bc -l)")"

# ---------------------------------------------------------------- Wine

if [ -n "${SKIP_WINE:-}" ]; then exit 0; fi
uidriver=$mingw/tools/uidriver/uidriver.exe
[ -f "$uidriver" ] || { echo "bench: $uidriver not built" >&2; exit 2; }
wrounds=${ROUNDS:-5}
w=$work/wine-run
rm -rf "$w"
mkdir -p "$w"
# The same product from one disk, driven through its dialogs and messages
# by the UI driver; no disk request, so the copy has no user in the loop.
sed -e 's|^drive A: product/disk1$|drive A: product1/disk1|' -e '/Next Diskette Needed/d' \
  "$work/install.scn" >"$work/install1.scn"
for i in $(seq 1 "$wrounds"); do
  run=$w/run$i
  # Written data of the earlier steps goes to the disk first, so that
  # neither program is held back by the kernel flushing it.
  sync
  python3 "$root/bench/peak_memory.py" SETUP.EXE "$run/work/prefix" "$run.setup-peak" &
  poller=$!
  SETUP_EXE=$setup_exe UIDRIVER=$uidriver KEEP_PREFIX=1 "$root/scripts/wine-run.sh" "$work/install1.scn" "$run" \
    >/dev/null 2>&1 || { kill "$poller"; echo "bench: the driven install failed (see $run)" >&2; exit 1; }
  kill "$poller"; wait "$poller" || true
  grep -q '^exit 0' "$run/transcript" || { echo "bench: the driven install did not get through:" >&2; cat "$run/transcript" >&2; exit 1; }
  prefix=$run/work/prefix
  dir=$(dirname "$(find "$prefix/drive_c/Program Files" -name UNINST.LST | head -1)")
  times=$(python3 "$root/bench/install_times.py" "$dir")
  # The copy phase from the first product file created (after the disk
  # table is built and the progress dialog is up) to the last one stamped.
  files=$(python3 "$root/bench/install_times.py" "$dir" --without UNINST.LST)
  # The minimal lz32 program on the same files, in the same prefix, from
  # the same copy of the disk (drive A: still points at it); the faster of
  # two runs (a first run sometimes took twice as long for reasons of the
  # host), so the baseline is its best.
  lz=$(
    export WINE_TEST_DIR=$run/work
    # shellcheck source=wine-env.sh
    . "$root/scripts/wine-env.sh"
    trap wine_env_cleanup EXIT
    # A server that stays up and a first program that starts the prefix's
    # own processes, so lzinstall runs in a prefix as warm as SETUP.EXE's.
    wineserver -p
    wine_quiet cmd /c echo warm >/dev/null
    python3 "$root/bench/peak_memory.py" lzinstall.exe "$prefix" "$run.lz-peak" &
    poller=$!
    for _ in 1 2; do
      rm -rf "$prefix/drive_c/LZINST"
      sync
      own=$(wine_quiet "Z:$work/$WINE_ARCH/lzinstall.exe" 'A:\' 'C:\LZINST' | tr -d '\r' | field seconds)
      echo "$own $(python3 "$root/bench/install_times.py" "$prefix/drive_c/LZINST" | field span)"
    done | sort -g -k2 | head -1
    kill "$poller"; wait "$poller" || true
  )
  echo "$(echo "$times" | field span) $(echo "$files" | field span) $lz" \
    "$(field peak_kb <"$run.setup-peak") $(field peak_kb <"$run.lz-peak")" >>"$w/times"
  rm -rf "$run/work"  # the prefix: 700 MB
done
col() { awk -v c="$1" '{print $c}' "$2" | stats; }
s_span=$(col 1 "$w/times"); s_files=$(col 2 "$w/times"); l_own=$(col 3 "$w/times"); l_span=$(col 4 "$w/times")
s_peak=$(col 5 "$w/times"); l_peak=$(col 6 "$w/times")
echo
echo "SETUP.EXE under Wine ($(file -b "$setup_exe" | cut -d' ' -f1), ${wine_note#wine: }), the same product from one disk, through the UI driver; $wrounds rounds, each with lzinstall after it in the same prefix"
printf '%-58s %24s\n' "" "min / median / max s"
printf '%-58s %24s\n' "SETUP.EXE: log created to last file stamped" "$(echo "$s_span" | sed 's| | / |g')"
printf '%-58s %24s\n' "SETUP.EXE: first product file created to last stamped" "$(echo "$s_files" | sed 's| | / |g')"
printf '%-58s %24s\n' "lzinstall (lz32, 5120-byte LZRead, WriteFile), its clock" "$(echo "$l_own" | sed 's| | / |g')"
printf '%-58s %24s\n' "lzinstall: first file created to last file stamped" "$(echo "$l_span" | sed 's| | / |g')"
printf '%-58s %24s\n' "ratio of medians: SETUP.EXE copying / lzinstall (goal: 1.15)" "$(printf '%.2f' "$(echo "$(median "$s_span") / $(median "$l_span")" | bc -l)")"
printf '%-58s %24s\n' "  the same from the first product file" "$(printf '%.2f' "$(echo "$(median "$s_files") / $(median "$l_span")" | bc -l)")"
printf '%-58s %24s\n' "peak working set, KB: SETUP.EXE" "$(echo "$s_peak" | sed 's|\.000||g; s| | / |g')"
printf '%-58s %24s\n' "peak working set, KB: lzinstall" "$(echo "$l_peak" | sed 's|\.000||g; s| | / |g')"

# The sample product from its two disks (samples/halvorn/install.scn, the
# demonstration's installation), SETUP.EXE's peak working set in it.
sample_run=$work/sample-run
rm -rf "$sample_run"
mkdir -p "$sample_run"
cp "$root/samples/halvorn/install.scn" "$root/samples/halvorn/install.transcript" "$sample_run/"
if [ "$(sha256sum <"$setup_exe")" = "$(sha256sum <"$work/sample/disk1/SETUP.EXE")" ]; then
  ln -s "$work/sample" "$sample_run/disks"
else
  MKDISKS="$mkdisks" scripts/make-sample-disks.sh "$sample_run/disks" "$setup_exe" >/dev/null
fi
python3 "$root/bench/peak_memory.py" SETUP.EXE "$sample_run/out/work/prefix" "$sample_run/peak" &
poller=$!
SETUP_EXE=$setup_exe UIDRIVER=$uidriver "$root/scripts/wine-run.sh" "$sample_run/install.scn" "$sample_run/out" >/dev/null 2>&1 ||
  { kill "$poller"; echo "bench: the sample installation failed (see $sample_run/out)" >&2; exit 1; }
kill "$poller"; wait "$poller" || true
diff -q "$sample_run/install.transcript" "$sample_run/out/transcript" >/dev/null ||
  { echo "bench: the sample installation's transcript differs (see $sample_run/out)" >&2; exit 1; }
echo
echo "Sample product installed from its 2 disks (samples/halvorn/install.scn): SETUP.EXE's peak working set $(field peak_kb <"$sample_run/peak") KB" \
     "($(field pids <"$sample_run/peak") process; VmHWM of the Wine process, what GetProcessMemoryInfo reports as PeakWorkingSetSize under Wine)"

# Once from the 7 disks, with the swaps answered by the driver.
if [ -z "${SKIP_DISKS:-}" ]; then
  SETUP_EXE=$setup_exe UIDRIVER=$uidriver KEEP_PREFIX=1 "$root/scripts/wine-run.sh" "$work/install.scn" "$work/wine-driver" >/dev/null 2>&1 || {
    echo "bench: the driven install failed (see $work/wine-driver)" >&2; exit 1; }
  dir=$(dirname "$(find "$work/wine-driver/work/prefix/drive_c/Program Files" -name UNINST.LST | head -1)")
  # shellcheck disable=SC2046
  driven=$(python3 "$root/bench/install_times.py" "$dir" $(ls -d "$work"/product/disk* | tail -n +2))
  rm -rf "$work/wine-driver/work"
  echo
  echo "SETUP.EXE under Wine through the UI driver from the $disks disks (one run):"
  echo "  $(echo "$driven" | sed 's/ first=.*//') (seconds; swaps: disk requests answered by the driver)"
fi
