#!/usr/bin/env bash
# A DLL planted beside SETUP.EXE is never loaded: under Wine, a DLL named
# LZ32.DLL and one named COMDLG32.DLL (libraries SETUP.EXE uses) lie on the
# install disk beside SETUP.EXE; each would write a marker file when loaded
# (tests/planted/planted.c). The run installs compressed files (scenario
# shared_libraries_versions_win95, its transcript and machine checks), so
# the program needs LZ32; afterwards no marker may exist.
#
# Wine prefers its built-in libraries to a DLL beside the program, so the
# run sets those two "native, then built-in" (as Windows searches the
# program's folder for a library not on its protected list). The test first
# shows that this catches a planted DLL: a program importing the libraries
# the ordinary way (tests/planted/importer.c), started beside the same DLLs,
# must leave both markers.
#
# VERSION.DLL, loaded by SETUP.EXE the same way (system_library.cpp), cannot
# be tested so under Wine: Wine's own user32 imports version.dll, so with
# "native, then built-in" for it every windowed program loads a planted copy
# with user32, before its first line (measured: the marker names
# A:\version.dll and A:\SETUP.EXE). Windows' user32 does not import it and
# is a known DLL whose dependencies come from the system directory. That
# SETUP.EXE does not import VERSION.DLL itself is checked by
# scripts/check-imports.sh.
#
#   wine-planted-dll.sh
#
# Results in build/wine-planted/ (WINE_PLANTED_OUT). The Wine and the
# build as for the scenarios (scripts/wine-arch.sh): the shipped 32-bit
# SETUP.EXE in a 32-bit prefix, with the planted DLL and the importer built
# 32-bit too, or the 64-bit ones. Needs that build (mingw32 or mingw64) and
# the test disks (scripts/make-test-disks.sh). Exit status 0 when no
# planted DLL was loaded by SETUP.EXE.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
out=${WINE_PLANTED_OUT:-$root/build/wine-planted}
# The line saying which Wine, unless the caller chose it (and said so).
WINE_ARCH=$(scripts/wine-arch.sh ${WINE_ARCH:+--quiet}) || exit 1
export WINE_ARCH
preset=mingw64 cc=x86_64-w64-mingw32-gcc
if [ "$WINE_ARCH" = win32 ]; then preset=mingw32 cc=i686-w64-mingw32-gcc; fi
setup_exe=${SETUP_EXE:-$root/build/$preset/src/platform/win32/SETUP.EXE}
uidriver=${UIDRIVER:-$root/build/$preset/tools/uidriver/uidriver.exe}
scenarios=$root/tests/scenarios
scenario=shared_libraries_versions_win95
libraries=(LZ32.DLL COMDLG32.DLL)

fail() { echo "wine-planted-dll: $*" >&2; exit 1; }
for f in "$setup_exe" "$uidriver" "$scenarios/built/shared/disk1/SETUP.DAT"; do
  [ -f "$f" ] || fail "$f not found (build $preset and run scripts/make-test-disks.sh)"
done

rm -rf "$out"
mkdir -p "$out/dlls"
$cc -O2 -Wall -Wextra -Werror -shared -o "$out/dlls/planted.dll" \
  tests/planted/planted.c tests/planted/planted.def || fail "cannot build the planted DLL"
$cc -O2 -Wall -Wextra -Werror -o "$out/dlls/importer.exe" \
  tests/planted/importer.c -lversion -llz32 -lcomdlg32 || fail "cannot build the importer"

# Copies the planted DLL into folder $1 under each library's name.
plant() {
  for lib in "${libraries[@]}"; do cp "$out/dlls/planted.dll" "$1/$lib"; done
}
# The markers in folder $1, one name a line, in capitals (Wine names a
# module as the import that loaded it named it).
markers() { find "$1" -maxdepth 1 -iname '*.loaded' -printf '%f\n' | tr 'a-z' 'A-Z' | sort; }
# A host path as Windows programs in the prefix reach it (drive Z: is /).
winpath() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }

export WINE_EXTRA_DLLOVERRIDES="lz32,comdlg32=n,b"

# The check of the check: the ordinary importer loads both.
(
  export WINE_TEST_DIR=$out/importer
  # shellcheck source=wine-env.sh
  . scripts/wine-env.sh
  trap wine_env_cleanup EXIT
  scripts/wine-prefix.sh copy "$WINEPREFIX" || exit 2
  mkdir -p "$WINE_TEST_DIR/folder" "$WINE_TEST_DIR/markers"
  cp "$out/dlls/importer.exe" "$WINE_TEST_DIR/folder/"
  plant "$WINE_TEST_DIR/folder"
  PLANTED_MARKER_DIR=$(winpath "$WINE_TEST_DIR/markers") \
    wine_quiet "$WINE_TEST_DIR/folder/importer.exe"
) || fail "the importer did not run"
expected=$(printf '%s.LOADED\n' "${libraries[@]}" | sort)
got=$(markers "$out/importer/markers")
if [ "$got" != "$expected" ]; then
  fail "the importer beside the planted DLLs left markers [$(echo $got)], expected [$(echo $expected)]: the test cannot see a planted DLL"
fi
echo "importer beside the planted DLLs loaded them: $(echo $got)"

# SETUP.EXE on a disk with the planted DLLs beside it. The scenario is run
# from a folder of its own that reaches the test disks and files by links.
scn=$out/scenario
mkdir -p "$scn" "$out/markers"
for f in built files lib; do ln -s "$scenarios/$f" "$scn/$f"; done
cp -a "$scenarios/built/shared/disk1" "$scn/planted-disk1"
# The program under test on the disk (the driver runs the disk's copy).
cp "$setup_exe" "$scn/planted-disk1/SETUP.EXE"
plant "$scn/planted-disk1"
sed 's|^drive A: built/shared/disk1$|drive A: planted-disk1|' "$scenarios/$scenario.scn" >"$scn/$scenario.scn"
grep -q '^drive A: planted-disk1$' "$scn/$scenario.scn" || fail "scenario $scenario has no disk line to change"
cp "$scenarios/$scenario.check" "$scenarios/$scenario.transcript" "$scn/"
PLANTED_MARKER_DIR=$(winpath "$out/markers") SETUP_EXE=$setup_exe UIDRIVER=$uidriver \
  scripts/wine-run.sh "$scn/$scenario.scn" "$out/run"
rc=$?
got=$(markers "$out/markers")
[ -z "$got" ] || fail "SETUP.EXE loaded planted DLLs: $(echo $got)"
[ $rc -eq 0 ] || { sed 's/^/    /' "$out/run/driver.log" | head -n 30; fail "the install with planted DLLs failed ($rc)"; }
diff -u "$scn/$scenario.transcript" "$out/run/transcript" || fail "the transcript differs"
echo "SETUP.EXE beside the planted DLLs installed ($scenario) and loaded none of: ${libraries[*]}"
