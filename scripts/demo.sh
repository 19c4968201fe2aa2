#!/usr/bin/env bash
# The main job: builds everything, makes the sample product's disk set and
# installs it with the real SETUP.EXE under Wine, driven by the sample
# scenario. Prints the transcript and keeps the screenshots in out/demo/.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${JOBS:-2}

scripts/install-deps.sh
cmake --preset mingw64 >/dev/null
cmake --build --preset mingw64 -j "$jobs"
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"

out=out/demo
rm -rf "$out"
mkdir -p "$out"
echo "Making the sample product's disk set..."
MKDISKS=build/native/tools/mkdisks/mkdisks \
  scripts/make-sample-disks.sh "$out/disks" build/mingw64/src/platform/win32/SETUP.EXE
cp samples/halvorn/install.scn "$out/install.scn"
echo "Installing it with SETUP.EXE under Wine..."
rc=0
KEEP_PREFIX=1 scripts/wine-run.sh "$out/install.scn" "$out/run" || rc=$?

echo
echo "Scenario (samples/halvorn/install.scn):"
grep -v '^#' "$out/install.scn"
echo
echo "Transcript:"
cat "$out/run/transcript"
drive_c="$out/run/work/prefix/drive_c"
if [ -d "$drive_c" ]; then
  echo
  echo "Installed files (under C:):"
  (cd "$drive_c" && find "Program Files/Halvorn+ for Windows 95 - QIC" windows/LFNBK.EXE windows/system \
      -type f -printf '  %p  %s bytes  %TY-%Tm-%Td %TH:%TM UTC\n' 2>/dev/null | sort)
  echo
  echo "UNINST.LST:"
  sed 's/^/  /' "$drive_c/Program Files/Halvorn+ for Windows 95 - QIC/UNINST.LST" 2>/dev/null || true
  echo
  echo "Tape configuration (HALVORN.INI):"
  sed 's/^/  /' "$drive_c/Program Files/Halvorn+ for Windows 95 - QIC/HALVORN.INI" 2>/dev/null ||
    echo "  (none)"
  echo
  echo "Uninstall entry (the prefix's registry, HKLM):"
  awk '/^\[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\Dastrel/ {p = 1; print "  " $0; next}
       /^\[/ {p = 0}
       p && NF {print "  " $0}' "$out/run/work/prefix/system.reg" 2>/dev/null
  echo
  echo "Program group (the Start Menu folder Wine's shell made of it):"
  (cd "$drive_c"/users/*/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs 2>/dev/null &&
    find . -mindepth 1 -path './Halvorn*' -printf '  %P\n' | sort) || echo "  (none)"
fi
echo
echo "Screenshots of the real windows:"
ls -1 "$out/run/shots"/*.png 2>/dev/null | sed 's/^/  /' || echo "  (none)"
if [ $rc -ne 0 ]; then
  echo
  echo "The run did not go as the scenario says:"
  cat "$out/run/driver.log"
  exit $rc
fi
