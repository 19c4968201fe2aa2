#!/usr/bin/env bash
# The Wine prefix of the tests.
#
#   wine-prefix.sh template        makes build/wine/template-ARCH once (again
#                                  when Wine, its packages or this script
#                                  changed)
#   wine-prefix.sh copy DEST       a fresh copy of the template at DEST
#
# ARCH is WINE_ARCH (win32 or win64; scripts/wine-arch.sh chooses when it is
# not set): a 32-bit prefix (WINEARCH=win32) for the shipped 32-bit build,
# or a 64-bit one, each with its own template.
#
# The template has Wine's own fonts in C:\windows\Fonts (so that "MS Sans
# Serif" is the bitmap font, not a stand-in), window captions and frames
# drawn by Wine (no window manager under Xvfb), and real folders instead of
# links into the home folder for the user's shell folders.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
base=${WINE_PREFIX_BASE:-$root/build/wine}
if [ -z "${WINE_ARCH:-}" ]; then
  WINE_ARCH=$("$root/scripts/wine-arch.sh" --quiet) || exit 2
fi
export WINE_ARCH
template=$base/template-$WINE_ARCH
# The template is made again when Wine or this script changed. Installing
# 32-bit Wine (wine32, libwine:i386) keeps "wine --version" but makes an
# older prefix unable to start 64-bit programs, so the stamp holds the
# installed Wine packages too.
wine_packages=$(dpkg-query -W -f='${binary:Package}=${Version}\n' 'wine*' 'libwine*' 2>/dev/null |
  grep -v '=$' | LC_ALL=C sort | tr '\n' ' ' || true)
wine_loader=/usr/lib/wine/wine64
[ "$WINE_ARCH" = win32 ] && wine_loader=/usr/lib/wine/wine
stamp_text="$WINE_ARCH $("$wine_loader" --version 2>/dev/null) ${wine_packages}$(sha1sum "$0" | cut -d' ' -f1)"

make_template() {
  if [ -f "$template/.stamp" ] && [ "$(cat "$template/.stamp")" = "$stamp_text" ]; then
    return 0
  fi
  local work=$base/template-$WINE_ARCH.new
  rm -rf "$work" "$template"
  # The one template of before there were two (700 MB).
  if [ -f "$base/template/.stamp" ]; then rm -rf "$base/template"; fi
  mkdir -p "$work"
  (
    export WINE_TEST_DIR=$work/env
    export WINEPREFIX=$work/prefix
    # shellcheck source=wine-env.sh
    . "$root/scripts/wine-env.sh"
    trap wine_env_cleanup EXIT
    wineboot -i >/dev/null 2>&1
    wineserver -w
    # What was asked for: a 32-bit prefix has one registry view and no
    # syswow64, a 64-bit one both.
    if [ "$WINE_ARCH" = win32 ]; then
      grep -qx '#arch=win32' "$WINEPREFIX/system.reg" || { echo "wine-prefix: wineboot made no 32-bit prefix" >&2; exit 1; }
    else
      grep -qx '#arch=win64' "$WINEPREFIX/system.reg" || { echo "wine-prefix: wineboot made no 64-bit prefix" >&2; exit 1; }
    fi
    cp /usr/share/wine/fonts/*.ttf /usr/share/wine/fonts/*.fon "$WINEPREFIX/drive_c/windows/Fonts/"
    wine_quiet reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
    wineserver -w
    # Windows 95, 98 and NT all have a SYSTEM folder in the Windows
    # directory (drivers such as .VXD files go there); a 64-bit Wine prefix
    # has only system32.
    mkdir -p "$WINEPREFIX/drive_c/windows/system"
    # The shell folders link to the home folder of whoever made the template;
    # make them plain folders of the prefix.
    for link in "$WINEPREFIX"/drive_c/users/*/*; do
      if [ -L "$link" ]; then
        rm "$link"
        mkdir "$link"
      fi
    done
  )
  mv "$work/prefix" "$template"
  rm -rf "$work"
  printf '%s' "$stamp_text" >"$template/.stamp"
}

# One maker at a time: others wait for the template.
mkdir -p "$base"
exec 9>"$base/.lock"
flock 9

case "${1:-}" in
  template)
    make_template
    ;;
  copy)
    dest=${2:?usage: wine-prefix.sh copy DEST}
    make_template
    flock -u 9
    rm -rf "$dest"
    mkdir -p "$(dirname "$dest")"
    cp -a "$template" "$dest"
    ;;
  *)
    echo "usage: wine-prefix.sh template | copy DEST" >&2
    exit 2
    ;;
esac
