#!/usr/bin/env bash
# The main job: builds what it needs (SETUP.EXE and the UI driver, the
# native disk-set builder), makes the sample product's disk set as floppy
# images, checks them, takes their files out onto the drive folders and
# installs from there with the real SETUP.EXE under Wine, driven by the
# sample scenario, then removes it again from Add/Remove Programs. Prints
# both transcripts and what the machine held in between, read from outside
# the program. The SETUP.EXE is the shipped 32-bit build in a 32-bit
# prefix where this machine runs 32-bit programs, else the 64-bit build
# (scripts/wine-arch.sh); the output says which.
#
#   demo.sh            (SKIP_DEPS=1 leaves out the dependency check)
#
# Results in out/demo/: install/ (transcript, shots/) and remove/
# (transcript, shots/, check.log, driver.log); the images in release/, the
# drive folders made from them in disks/.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${JOBS:-2}

if [ "${SKIP_DEPS:-0}" != 1 ]; then scripts/install-deps.sh; fi
build_name=$(scripts/wine-arch.sh 2>&1 >/dev/null)
build_name=${build_name#wine: }
WINE_ARCH=$(scripts/wine-arch.sh --quiet)
export WINE_ARCH
preset=mingw64
if [ "$WINE_ARCH" = win32 ]; then preset=mingw32; fi
export SETUP_EXE=build/$preset/src/platform/win32/SETUP.EXE UIDRIVER=build/$preset/tools/uidriver/uidriver.exe
echo "Building SETUP.EXE ($preset), the UI driver and the disk-set builder..."
cmake --preset $preset >/dev/null
cmake --build --preset $preset -j "$jobs" --target setup_exe uidriver
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs" --target mkdisks scenario-info

out=out/demo
rm -rf "$out"
mkdir -p "$out/install"
# The release as floppy images, checked, and their files taken out onto
# the drive folders (scripts/demo-release.sh).
MKDISKS=build/native/tools/mkdisks/mkdisks \
  scripts/demo-release.sh "$out" "$SETUP_EXE"
# The scenarios name the disks relative to their own folder (disks/).
cp samples/halvorn/install.scn samples/halvorn/install.transcript samples/halvorn/uninstall.scn \
  samples/halvorn/uninstall.check "$out/"
cp -r tests/scenarios/lib "$out/lib"
echo "Installing it with SETUP.EXE under Wine ($build_name), then removing it again..."
rc=0
AFTER_EARLIER="$PWD/scripts/demo-show-installed.sh" KEEP_PREFIX=1 \
  scripts/wine-run.sh "$out/uninstall.scn" "$out/remove" >"$out/installed.txt" || rc=$?
# The installation ran first, in the same prefix: its results apart.
if [ -f "$out/remove/install.transcript" ]; then mv "$out/remove/install.transcript" "$out/install/transcript"; fi
if [ -d "$out/remove/install.shots" ]; then mv "$out/remove/install.shots" "$out/install/shots"; fi

echo
echo "SETUP.EXE installed: $build_name."
echo
echo "Installation (samples/halvorn/install.scn):"
grep -v '^#' "$out/install.scn"
echo
echo "Its transcript:"
cat "$out/install/transcript" 2>/dev/null
echo
cat "$out/installed.txt"
echo
echo "Removal (samples/halvorn/uninstall.scn):"
grep -v '^#' "$out/uninstall.scn"
echo
echo "Its transcript:"
cat "$out/remove/transcript"
echo
echo "The machine afterwards, compared with a snapshot taken before the installation:"
sed 's/^/  /' "$out/remove/check.log" 2>/dev/null
for part in install remove; do
  echo
  echo "Screenshots of the real windows ($part):"
  ls -1 "$out/$part/shots"/*.png 2>/dev/null | sed 's/^/  /' || echo "  (none)"
done
if [ $rc -ne 0 ]; then
  echo
  echo "The run did not go as the scenarios say:"
  cat "$out/remove/driver.log"
  exit $rc
fi
