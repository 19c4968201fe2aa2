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
scripts/make-sample-disks.sh "$out/disks" build/mingw64/src/platform/win32/SETUP.EXE
cp samples/halvorn/install.scn "$out/install.scn"
scripts/wine-run.sh "$out/install.scn" "$out/run"

echo
echo "Transcript:"
cat "$out/run/transcript"
echo
echo "Installed files (C: of the Wine prefix):"
(cd "$out/run" && find machine/C -path '*/windows' -prune -o -type f -newer "$out/install.scn" -print 2>/dev/null | sort | head -100) || true
echo
echo "Screenshots:"
ls -1 "$out/run"/*.png 2>/dev/null || echo "(none)"
