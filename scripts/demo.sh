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
cp samples/halvorn/install.scn samples/halvorn/install.transcript samples/halvorn/uninstall.scn \
  samples/halvorn/uninstall.check "$out/"
cp -r tests/scenarios/lib "$out/lib"
echo "Installing it with SETUP.EXE under Wine, then removing it again..."
rc=0
AFTER_EARLIER="$PWD/scripts/demo-show-installed.sh" KEEP_PREFIX=1 \
  scripts/wine-run.sh "$out/uninstall.scn" "$out/run" >"$out/installed.txt" || rc=$?

echo
echo "Installation (samples/halvorn/install.scn):"
grep -v '^#' "$out/install.scn"
echo
echo "Its transcript:"
cat "$out/run/install.transcript" 2>/dev/null
echo
cat "$out/installed.txt"
echo
echo "Removal (samples/halvorn/uninstall.scn):"
grep -v '^#' "$out/uninstall.scn"
echo
echo "Its transcript:"
cat "$out/run/transcript"
echo
echo "The machine afterwards, compared with a snapshot taken before the installation:"
sed 's/^/  /' "$out/run/check.log" 2>/dev/null
echo
echo "Screenshots of the real windows:"
ls -1 "$out/run/shots"/*.png 2>/dev/null | sed 's/^/  /' || echo "  (none)"
if [ $rc -ne 0 ]; then
  echo
  echo "The run did not go as the scenarios say:"
  cat "$out/run/driver.log"
  exit $rc
fi
