# Environment for running our Windows programs under Wine, sourced by the
# other wine-*.sh scripts:
#
#   WINE_TEST_DIR=<folder of this run> . scripts/wine-env.sh
#
# Everything Wine writes goes below $WINE_TEST_DIR: the prefix
# ($WINE_TEST_DIR/prefix unless WINEPREFIX is set), the home and XDG
# folders. Without a DISPLAY an Xvfb server is started for the run;
# wine_env_cleanup stops it and this prefix's wineserver (and nothing else).

: "${WINE_TEST_DIR:?set WINE_TEST_DIR to the folder of the run}"
mkdir -p "$WINE_TEST_DIR"
WINE_TEST_DIR=$(cd "$WINE_TEST_DIR" && pwd)
export WINE_TEST_DIR

export WINEPREFIX=${WINEPREFIX:-$WINE_TEST_DIR/prefix}
# Which Wine: WINE_ARCH win32 (the shipped 32-bit build in a 32-bit prefix,
# as on Windows 95, 98 and NT 4.0) or win64 (the 64-bit build in a 64-bit
# prefix); scripts/wine-arch.sh chooses when it is not set. Programs start
# through that Wine's own loader, never through Debian's "wine" wrapper,
# which starts the 32-bit loader first whenever wine32 is installed, even
# on a machine that cannot run it. "wine" and "wineboot" in $WINE_TEST_DIR/bin,
# first on the PATH, are that loader for everything of the run (the
# scenario checks included).
if [ -z "${WINE_ARCH:-}" ]; then
  WINE_ARCH=$("$(dirname "${BASH_SOURCE[0]}")/wine-arch.sh" --quiet) || return 1 2>/dev/null || exit 1
fi
export WINE_ARCH
case $WINE_ARCH in
  win32) export WINEARCH=win32; WINE=/usr/lib/wine/wine ;;
  win64) unset WINEARCH; WINE=/usr/lib/wine/wine64 ;;
  *) echo "wine-env: WINE_ARCH must be win32 or win64, not '$WINE_ARCH'" >&2; return 1 2>/dev/null || exit 1 ;;
esac
[ -x "$WINE" ] || WINE=$(command -v wine)
export WINE
mkdir -p "$WINE_TEST_DIR/bin"
printf '#!/bin/sh\nexec %s "$@"\n' "$WINE" >"$WINE_TEST_DIR/bin/wine"
printf '#!/bin/sh\nexec %s wineboot "$@"\n' "$WINE" >"$WINE_TEST_DIR/bin/wineboot"
chmod +x "$WINE_TEST_DIR/bin/wine" "$WINE_TEST_DIR/bin/wineboot"
case ":$PATH:" in
  *":$WINE_TEST_DIR/bin:"*) ;;
  *) export PATH=$WINE_TEST_DIR/bin:$PATH ;;
esac
export WINEDEBUG=-all
# msvcrt20 and msvcrt40 native first: Wine has built-in libraries of these
# names, and without it its version library reported the built-in's
# version for our test copies of MSVCRT40.DLL (measured: setup then saw
# the same version in the system directory and the install directory).
# WINE_EXTRA_DLLOVERRIDES adds overrides of a test's own.
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d;msvcrt20,msvcrt40=n,b${WINE_EXTRA_DLLOVERRIDES:+;$WINE_EXTRA_DLLOVERRIDES}"
export TZ=UTC
export LANG=C.UTF-8 LC_ALL=C.UTF-8
export HOME=$WINE_TEST_DIR/home
export XDG_DATA_HOME=$WINE_TEST_DIR/xdg/data
export XDG_CONFIG_HOME=$WINE_TEST_DIR/xdg/config
export XDG_CACHE_HOME=$WINE_TEST_DIR/xdg/cache
export XDG_RUNTIME_DIR=$WINE_TEST_DIR/xdg/runtime
mkdir -p "$HOME" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

WINE_ENV_XVFB_PID=""
if [ -z "${DISPLAY:-}" ]; then
  # Xvfb picks a free display number itself and writes it to -displayfd.
  rm -f "$WINE_TEST_DIR/xvfb.display"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp \
    3>"$WINE_TEST_DIR/xvfb.display" >"$WINE_TEST_DIR/xvfb.log" 2>&1 &
  WINE_ENV_XVFB_PID=$!
  for _ in $(seq 1 200); do
    [ -s "$WINE_TEST_DIR/xvfb.display" ] && break
    kill -0 "$WINE_ENV_XVFB_PID" 2>/dev/null || break
    sleep 0.05
  done
  if [ -s "$WINE_TEST_DIR/xvfb.display" ]; then
    export DISPLAY=":$(tr -d '[:space:]' <"$WINE_TEST_DIR/xvfb.display")"
  else
    echo "wine-env: could not start Xvfb (see $WINE_TEST_DIR/xvfb.log)" >&2
    kill "$WINE_ENV_XVFB_PID" 2>/dev/null
    WINE_ENV_XVFB_PID=""
    return 1 2>/dev/null || exit 1
  fi
fi

# wine without the note about a missing 32-bit Wine that Debian's wrapper
# prints (when $WINE is the wrapper: no loader of the expected name).
wine_quiet() {
  wine "$@" 2> >(grep -v -e 'wine32 is missing' -e 'multiarch needs to be enabled' \
                        -e 'dpkg --add-architecture' -e 'apt-get install wine32' >&2)
}

# Stops this prefix's wineserver and our Xvfb.
wine_env_cleanup() {
  if [ -d "$WINEPREFIX" ]; then
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
  fi
  if [ -n "$WINE_ENV_XVFB_PID" ]; then
    kill "$WINE_ENV_XVFB_PID" 2>/dev/null || true
    wait "$WINE_ENV_XVFB_PID" 2>/dev/null || true
    WINE_ENV_XVFB_PID=""
  fi
}
