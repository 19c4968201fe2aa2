#!/usr/bin/env bash
# The sample product's release as it leaves its maker: FAT12 floppy images
# (OUT/release/diskN.img) built by mkdisks --images, checked by
# mkdisks --check, then taken out of the images with mcopy onto the drive
# folders the installation reads (OUT/disks/diskN), disk after disk, as a
# user copies floppies. Used by scripts/demo.sh.
#
# Usage: demo-release.sh OUT SETUP_EXE
# Environment: MKDISKS (default build/native/tools/mkdisks/mkdisks).
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: demo-release.sh OUT SETUP_EXE" >&2; exit 2; }
out=$1
setup_exe=$2
cd "$(dirname "$0")/.."
mkdisks=${MKDISKS:-build/native/tools/mkdisks/mkdisks}

release=$out/release
rm -rf "$release" "$out/disks"
echo "Building the sample product's floppy images..."
MKDISKS=$mkdisks MKDISKS_IMAGES=1 scripts/make-sample-disks.sh "$release" "$setup_exe"
# From here on the images are the release: the folders they were made of go.
rm -rf "$release"/disk[0-9]
echo "Checking them..."
"$mkdisks" --check "$release"
echo "Taking the files out of the images onto the drive folders..."
for image in "$release"/disk*.img; do
  name=$(basename "$image" .img)
  mkdir -p "$out/disks/$name"
  # Our own settings, not the user's: names as stored, times in UTC.
  MTOOLSRC=/dev/null MTOOLS_LOWER_CASE=0 TZ=UTC mcopy -m -n -i "$image" '::*' "$out/disks/$name/"
  echo "  $image -> $out/disks/$name: $(ls "$out/disks/$name" | wc -l) files"
done
