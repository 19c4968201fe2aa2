#!/usr/bin/env bash
# The Wine prefix of the tests.
#
#   wine-prefix.sh template        makes build/wine/template once (again when
#                                  Wine, its packages or this script changed)
#   wine-prefix.sh copy DEST       a fresh copy of the template at DEST
#
# The template has Wine's own fonts in C:\windows\Fonts (so that "MS Sans
# Serif" is the bitmap font, not a stand-in), window captions and frames
# drawn by Wine (no window manager under Xvfb), and real folders instead of
# links into the home folder for the user's shell folders.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
base=${WINE_PREFIX_BASE:-$root/build/wine}
template=$base/template
# The template is made again when Wine or this script changed. Installing
# 32-bit Wine (wine32, libwine:i386) keeps "wine --version" but makes an
# older prefix unable to start 64-bit programs, so the stamp holds the
# installed Wine packages too.
wine_packages=$(dpkg-query -W -f='${binary:Package}=${Version}\n' 'wine*' 'libwine*' 2>/dev/null |
  grep -v '=$' | LC_ALL=C sort | tr '\n' ' ' || true)
stamp_text="$(wine --version 2>/dev/null) ${wine_packages}$(sha1sum "$0" | cut -d' ' -f1)"

make_template() {
  if [ -f "$template/.stamp" ] && [ "$(cat "$template/.stamp")" = "$stamp_text" ]; then
    return 0
  fi
  local work=$base/template.new
  rm -rf "$work" "$template"
  mkdir -p "$work"
  (
    export WINE_TEST_DIR=$work/env
    export WINEPREFIX=$work/prefix
    # shellcheck source=wine-env.sh
    . "$root/scripts/wine-env.sh"
    trap wine_env_cleanup EXIT
    wineboot -i >/dev/null 2>&1
    wineserver -w
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
