#!/usr/bin/env bash
# The test disk sets do not change with the SETUP.EXE put on them: makes
# them with each of two programs (scripts/make-test-disks.sh) and compares
# what they hold apart from SETUP.EXE (built/layout: every file of every set
# on the same disk with the same size and content, SETUP.DAT apart from the
# time of its SETUP.EXE line). The disks are left holding the second
# program, the one the Wine scenarios run next.
#
#   check-disk-layout.sh NATIVE_BUILD OTHER_SETUP_EXE TESTED_SETUP_EXE
#
# Exit status 0 when the layouts are the same.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -ne 3 ]; then
  echo "usage: check-disk-layout.sh NATIVE_BUILD OTHER_SETUP_EXE TESTED_SETUP_EXE" >&2
  exit 2
fi
native=$1 other=$2 tested=$3
for f in "$other" "$tested"; do
  [ -f "$f" ] || { echo "check-disk-layout: $f not found" >&2; exit 2; }
done
layout=tests/scenarios/built/layout
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

scripts/make-test-disks.sh "$native" "$other" >/dev/null
[ -s "$layout" ] || { echo "check-disk-layout: make-test-disks.sh wrote no $layout" >&2; exit 1; }
cp "$layout" "$work/other"
scripts/make-test-disks.sh "$native" "$tested" >/dev/null
if ! diff -u "$work/other" "$layout" >"$work/diff"; then
  echo "check-disk-layout: the test disks differ between $other and $tested:" >&2
  head -n 40 "$work/diff" >&2
  exit 1
fi
echo "check-disk-layout: $(wc -l <"$layout") files of $(ls -d tests/scenarios/built/*/disk1 | wc -l) disk sets the same" \
     "with $other ($(stat -c %s "$other") bytes) and $tested ($(stat -c %s "$tested") bytes)"
