#!/usr/bin/env bash
# Builds the disk sets the scenarios use into tests/scenarios/built/ with our
# disk-set builder. Usage: make-test-disks.sh NATIVE_BUILD_DIR [SETUP_EXE]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/native}
setup_exe=${2:-build/mingw64/src/platform/win32/SETUP.EXE}
out=tests/scenarios/built
mkdir -p "$out"
mkdisks="$build/tools/mkdisks/mkdisks"
if [ ! -x "$mkdisks" ]; then
  echo "make-test-disks: $mkdisks not built yet; no disk sets made"
  exit 0
fi
for desc in tests/scenarios/products/*.product; do
  [ -f "$desc" ] || continue
  name=$(basename "$desc" .product)
  rm -rf "$out/$name"
  "$mkdisks" --setup-exe "$setup_exe" --out "$out/$name" "$desc" >/dev/null
done
