#!/usr/bin/env bash
# Every catalog text of every language fits the window it goes into: under
# Wine, at 96 dpi and at 120 dpi ("Large Fonts"), textfit.exe
# (tools/textfit) creates the dialogs from the resources of the real
# SETUP.EXE and measures each text in its control, for every product of the
# family and every platform (the widest counts). A text that does not fit
# fails the run, named with its entry, language and widths.
#
# Wine takes the display's resolution from LogPixels, under
# HKCU\Control Panel\Desktop or under HKLM\System\CurrentControlSet\
# Hardware Profiles\Current\Software\Fonts, when the prefix's wineserver
# starts (measured on Wine 8: either key alone gives 120 dpi). The run
# writes both, restarts the wineserver and checks that the tool saw the
# resolution asked for.
#
#   wine-textfit.sh [DPI...]      (default: 96 120)
#
# Results in build/wine-textfit/<dpi>/textfit.txt (WINE_TEXTFIT_OUT), and
# <dpi>/shots/<dialog>-<language>.png: each dialog holding the widest texts
# of a language, to look at. The programs are those of the build that
# runs in the prefix WINE_ARCH names (mingw32 in a 32-bit prefix, else
# mingw64; scripts/wine-arch.sh chooses when it is not set); that preset is
# built first unless SETUP_EXE and TEXTFIT are given. Exit
# status 0 when every text fits at every resolution.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
out=${WINE_TEXTFIT_OUT:-$root/build/wine-textfit}
if [ -z "${WINE_ARCH:-}" ]; then
  WINE_ARCH=$("$root/scripts/wine-arch.sh" --quiet) || exit 2
fi
export WINE_ARCH
preset=mingw64
[ "$WINE_ARCH" = win32 ] && preset=mingw32
setup_exe=${SETUP_EXE:-$root/build/$preset/src/platform/win32/SETUP.EXE}
textfit=${TEXTFIT:-$root/build/$preset/tools/textfit/textfit.exe}
resolutions=("$@")
[ ${#resolutions[@]} -gt 0 ] || resolutions=(96 120)

fail() { echo "wine-textfit: $*" >&2; exit 1; }
if [ -z "${SETUP_EXE:-}" ] || [ -z "${TEXTFIT:-}" ]; then
  cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" -j "${JOBS:-2}" >/dev/null ||
    fail "the $preset build failed"
fi
for f in "$setup_exe" "$textfit"; do
  [ -f "$f" ] || fail "$f not found (build the $preset preset)"
done
# A host path as Windows programs in the prefix reach it (drive Z: is /).
winpath() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }

"$root/scripts/wine-prefix.sh" template || fail "no Wine prefix"
rm -rf "$out"
failed=0
for dpi in "${resolutions[@]}"; do
  result=$out/$dpi/textfit.txt
  (
    export WINE_TEST_DIR=$out/$dpi
    # shellcheck source=wine-env.sh
    . scripts/wine-env.sh
    trap wine_env_cleanup EXIT
    scripts/wine-prefix.sh copy "$WINEPREFIX" || exit 2
    wine_quiet reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null &&
      wine_quiet reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
        /v LogPixels /t REG_DWORD /d "$dpi" /f /reg:64 >/dev/null || exit 2
    wineserver -k >/dev/null 2>&1
    wineserver -w
    mkdir -p "$WINE_TEST_DIR/shots"
    wine_quiet "$textfit" "$(winpath "$setup_exe")" "$(winpath "$WINE_TEST_DIR/shots")" >"$result"
    status=$?
    # The prefix is not needed afterwards (and large).
    wine_env_cleanup
    rm -rf "$WINEPREFIX"
    exit $status
  )
  rc=$?
  # The pictures of the dialogs with the widest texts, as PNG.
  for bmp in "$out/$dpi"/shots/*.bmp; do
    [ -f "$bmp" ] || continue
    bmptopnm "$bmp" 2>/dev/null | pnmtopng >"${bmp%.bmp}.png" 2>/dev/null && rm -f "$bmp"
  done
  [ -s "$result" ] || fail "textfit printed nothing at $dpi dpi (exit $rc)"
  seen=$(sed -n 's/^dpi \([0-9]*\)\r*$/\1/p' "$result" | head -n 1)
  [ "$seen" = "$dpi" ] || fail "the prefix was set to $dpi dpi, textfit saw '${seen}'"
  grep '^FAIL' "$result" | sed 's/^/    /'
  tail -n 1 "$result" | tr -d '\r'
  if [ $rc -ne 0 ]; then
    failed=1
    echo "wine-textfit: texts do not fit at $dpi dpi (exit $rc; all measures in $result)" >&2
  fi
done
exit $failed
