#!/usr/bin/env bash
# Installs everything the builds and tests need on a Debian 12 machine.
# Run as root (or with sudo available). Does nothing that is already there.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev
  libgtest-dev libgmock-dev googletest
  mingw-w64
  wine wine64 fonts-wine xvfb xauth x11-apps netpbm
  mscompress python3 bc
  mtools dosfstools
)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done

# 32-bit Wine, which runs the shipped 32-bit SETUP.EXE, only where the
# kernel runs 32-bit programs: elsewhere installing it would break even the
# 64-bit Wine (Debian's "wine" wrapper starts the 32-bit loader first), so
# it is left out with one line saying so, and the Wine tests run the 64-bit
# build. The probe installs nothing (scripts/wine-arch.sh).
add_i386=""
if ! installed wine32:i386; then
  if why=$(scripts/wine-arch.sh probe); then
    missing+=(wine32:i386)
    dpkg --print-foreign-architectures | grep -qx i386 || add_i386=1
  else
    echo "install-deps: 32-bit Wine left out: $why; the Wine tests run the 64-bit build"
  fi
fi

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
if [ -n "$add_i386" ]; then $SUDO dpkg --add-architecture i386; fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
