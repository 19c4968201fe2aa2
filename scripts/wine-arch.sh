#!/usr/bin/env bash
# Which Wine the Windows programs of the tests run under: the shipped
# 32-bit build in a 32-bit prefix where this machine runs 32-bit programs
# and 32-bit Wine is installed, the 64-bit build in a 64-bit prefix
# elsewhere.
#
#   wine-arch.sh probe     exit 0 when the kernel runs 32-bit x86 programs
#                          itself; otherwise one line saying why, exit 1.
#                          Installs nothing and needs nothing installed.
#   wine-arch.sh self-test the probe refuses altered programs
#   wine-arch.sh [choose]  prints win32 or win64, and on standard error one
#                          line saying which build runs and why (--quiet:
#                          the word only). WINE_ARCH=win32 or win64 chooses
#                          instead; win32 on a machine that cannot is an
#                          error (exit 1).
#
# Not every machine runs 32-bit programs: a kernel without its 32-bit
# compatibility layer refuses them ("Exec format error"), and there the
# 32-bit Wine loader fails too (and Debian's "wine" wrapper, which starts
# it first once wine32 is installed). The probe is a 32-bit Linux program
# of 96 bytes written here, which only exits with status 42 through the
# 32-bit system call gate (int 0x80); a refusal or any other status is "no".
# A 32-bit program started through an emulator registered with binfmt_misc
# (qemu-user) also exits 42, but Wine's server does not survive that, so
# such a registration counts as "no" as well.
set -uo pipefail

# The probe program: an ELF header, one loadable segment (the whole file at
# 0x08048000), and the code at 0x08048054: mov eax,1; mov ebx,STATUS;
# int 0x80. MACHINE is 3 (the i386), STATUS 42 (octal 052). The self-test
# changes either.
probe_program() {  # [MACHINE-BYTE STATUS-BYTE], octal
  local machine=${1:-003} status=${2:-052}
  printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000'   # ident: 32-bit, LSB
  printf '\002\000\'$machine'\000\001\000\000\000'                           # executable, i386, version 1
  printf '\124\200\004\010\064\000\000\000\000\000\000\000'           # entry, program headers at 52, no sections
  printf '\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000'  # flags, sizes, one program header
  printf '\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010'  # PT_LOAD, offset 0, addresses
  printf '\140\000\000\000\140\000\000\000\005\000\000\000\000\020\000\000'  # 96 bytes, r-x, page aligned
  printf '\270\001\000\000\000\273\'$status'\000\000\000\315\200'           # mov eax,1; mov ebx,42; int 0x80
}

# An enabled binfmt_misc entry for i386 ELF programs (machine 3 at offset
# 18 of the magic), when binfmt_misc is mounted.
emulator_entry() {
  local f magic
  for f in /proc/sys/fs/binfmt_misc/*; do
    [ -f "$f" ] || continue
    grep -q '^enabled' "$f" 2>/dev/null || continue
    magic=$(sed -n 's/^magic //p' "$f" 2>/dev/null)
    if [ "${magic:0:8}" = 7f454c46 ] && [ "${magic:8:2}" = 01 ] && [ "${magic:36:4}" = 0300 ]; then
      basename "$f"
      return 0
    fi
  done
  return 1
}

# Exit 0 when 32-bit programs run natively; else prints the reason.
# Arguments go to probe_program (the self-test's altered programs).
probe() {
  local dir rc entry err
  if [ $# -eq 0 ] && entry=$(emulator_entry); then
    echo "32-bit programs here run through an emulator (binfmt_misc entry $entry), under which Wine's server crashes"
    return 1
  fi
  dir=$(mktemp -d "${TMPDIR:-/tmp}/wine-arch.XXXXXX") || { echo "cannot make a folder for the 32-bit probe"; return 1; }
  probe_program "$@" >"$dir/probe32"
  chmod +x "$dir/probe32"
  err=$( ("$dir/probe32") 2>&1 >/dev/null)
  rc=$?
  rm -rf "$dir"
  if [ $rc -eq 42 ]; then
    return 0
  fi
  if [ $rc -eq 126 ]; then
    # bash's own words: "cannot execute binary file: Exec format error"
    # where the kernel lacks 32-bit support, another reason where the
    # folder allows no programs.
    echo "a 32-bit test program could not be started: ${err##*: }"
  else
    echo "a 32-bit test program ended with status $rc instead of 42"
  fi
  return 1
}

# The 32-bit Wine loader is installed and starts.
wine32_works() {
  [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

choose() {
  local quiet=$1 why
  case ${WINE_ARCH:-} in
    win64)
      echo win64
      [ -n "$quiet" ] || echo "wine: the 64-bit build in a 64-bit prefix (WINE_ARCH=win64)" >&2
      return 0
      ;;
    win32|"") ;;
    *)
      echo "wine-arch: WINE_ARCH must be win32 or win64, not '$WINE_ARCH'" >&2
      return 1
      ;;
  esac
  if why=$(probe); then
    if wine32_works; then
      echo win32
      [ -n "$quiet" ] || echo "wine: the shipped 32-bit build in a 32-bit prefix" >&2
      return 0
    fi
    why="32-bit Wine (wine32:i386) is not installed"
  fi
  if [ "${WINE_ARCH:-}" = win32 ]; then
    echo "wine-arch: WINE_ARCH=win32, but $why" >&2
    return 1
  fi
  echo win64
  [ -n "$quiet" ] || echo "wine: the 64-bit build in a 64-bit prefix: $why" >&2
  return 0
}

# The probe can say no: a 32-bit program for another processor (the SPARC,
# machine 2) is refused by every x86 kernel, and one that exits with 41 is
# not taken for 42.
# Where the 32-bit loader of libc6:i386 is installed, the probe agrees with
# whether it starts.
self_test() {
  local why
  if why=$(probe 002 052); then
    echo "wine-arch: self-test: a program for another processor passed the probe" >&2; return 1
  fi
  case $why in
    *"Exec format error"*) ;;
    *) echo "wine-arch: self-test: a program for another processor gave: $why" >&2; return 1 ;;
  esac
  if why=$(probe 003 051); then
    echo "wine-arch: self-test: a program ending with 41 passed the probe" >&2; return 1
  fi
  if [ -x /lib/ld-linux.so.2 ]; then
    local loader=no probed=no
    /lib/ld-linux.so.2 --version >/dev/null 2>&1 && loader=yes
    probe >/dev/null && probed=yes
    if [ $loader != $probed ]; then
      echo "wine-arch: self-test: the probe says $probed, /lib/ld-linux.so.2 starting says $loader" >&2; return 1
    fi
  fi
  echo "wine-arch: self-test passed (the probe here: $(probe >/dev/null && echo "32-bit programs run" || probe))"
}

case ${1:-choose} in
  probe) probe ;;
  self-test) self_test ;;
  choose) choose "" ;;
  --quiet) choose quiet ;;
  *)
    echo "usage: wine-arch.sh probe | self-test | choose | --quiet" >&2
    exit 2
    ;;
esac
