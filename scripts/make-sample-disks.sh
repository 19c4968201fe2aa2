#!/usr/bin/env bash
# Builds the sample product's disk set: the three run-time library stand-ins
# (real PE DLLs with version resources, built by mingw from
# samples/halvorn/src), the generated program and help files, the text files
# of samples/halvorn/files, and then the disks with mkdisks.
#
# Usage: make-sample-disks.sh OUTDIR SETUP_EXE
# Environment: MKDISKS (default build/native/tools/mkdisks/mkdisks);
# MKDISKS_IMAGES=1 also writes OUTDIR/diskN.img (FAT12 floppy images).
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: make-sample-disks.sh OUTDIR SETUP_EXE" >&2; exit 2; }
out=$1
setup_exe=$2
cd "$(dirname "$0")/.."
mkdisks=${MKDISKS:-build/native/tools/mkdisks/mkdisks}
[ -x "$mkdisks" ] || { echo "make-sample-disks: $mkdisks not built" >&2; exit 2; }
[ -f "$setup_exe" ] || { echo "make-sample-disks: $setup_exe not found" >&2; exit 2; }

src=samples/halvorn
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

cp -r "$src/files/." "$stage/"
cp "$src/halvorn.product" "$stage/"
python3 "$src/src/gen-binaries.py" "$stage"

# name:major:minor:build:description
for spec in "MSVCRT20:2:11:4711:C run-time library 2.0 (sample stand-in)" \
            "MSVCRT40:4:21:6110:C run-time library 4.0 (sample stand-in)" \
            "MFC40:4:1:6140:Application framework 4.0 (sample stand-in)"; do
  IFS=: read -r name major minor build desc <<<"$spec"
  x86_64-w64-mingw32-windres -DRUNTIME_MAJOR="$major" -DRUNTIME_MINOR="$minor" \
    -DRUNTIME_BUILD="$build" "-DRUNTIME_NAME=\\\"$name\\\"" "-DRUNTIME_DESCRIPTION=\\\"$desc\\\"" \
    "$src/src/runtime.rc" -O coff -o "$stage/$name.res"
  x86_64-w64-mingw32-gcc -O2 -Wall -Wextra -Werror -shared -s -Wl,--no-insert-timestamp \
    -DRUNTIME_MAJOR="$major" -DRUNTIME_MINOR="$minor" "-DRUNTIME_NAME=\"$name\"" \
    -o "$stage/$name.DLL" "$src/src/runtime.c" "$stage/$name.res"
  rm "$stage/$name.res"
done

# The product's release date on every file, so that the set is the same on
# every build.
release=889686000   # 1998-03-12 07:00 UTC
find "$stage" -type f -exec touch -d "@$release" {} +

rm -rf "$out"
mkdir -p "$out"
"$mkdisks" --setup-exe "$setup_exe" --out "$out" --time "$release" ${MKDISKS_IMAGES:+--images} "$stage/halvorn.product"
