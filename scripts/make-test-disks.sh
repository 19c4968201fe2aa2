#!/usr/bin/env bash
# Builds the disk sets the scenarios use into tests/scenarios/built/ with our
# disk-set builder. Usage: make-test-disks.sh NATIVE_BUILD_DIR [SETUP_EXE]
#
#   built/stage/           the product descriptions with their content:
#                          files/ (tests/scenarios/products/files) and gen/
#                          (generated here); the checks compare installed
#                          files with these
#   built/<product>/diskN  the disks mkdisks makes of products/<product>.product
#   built/<variant>/...    sets derived from those (a file removed, a file
#                          cut short, SETUP.DAT edited, all disks in one
#                          folder), made at the end of this script
#
# Everything is deterministic: the generated content comes from SHA-256 in
# counter mode and from numbered text lines, every staged file carries the
# same time, and mkdisks gets that time for SETUP.DAT and the DISK.00n files.
#
# The scenarios run A:\SETUP.EXE from the disk, so under Wine the disks must
# hold the SETUP.EXE under test: build them again after building it. When
# SETUP_EXE is missing, a small stand-in is put on the disks (enough for the
# simulated machine, which never runs it) and a warning is printed.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/native}
setup_exe=${2:-build/mingw64/src/platform/win32/SETUP.EXE}
out=tests/scenarios/built
mkdisks="$build/tools/mkdisks/mkdisks"
if [ ! -x "$mkdisks" ]; then
  echo "make-test-disks: $mkdisks not built yet; no disk sets made"
  exit 0
fi
rm -rf "$out"
mkdir -p "$out"

release=889686000   # 1998-03-12 07:00 UTC
# Disk 1 of every set keeps this room for SETUP.EXE, whichever program is
# put there (the 64-bit or 32-bit build, or the stand-in): the placement of
# the product files, and so the scenarios' disk prompts, do not change with
# its size. 1 MB holds either build several times over; the sets were laid
# out with a 1.3 MB program before, and every set places its files the same
# with this room.
setup_room=1048576

stage=$out/stage
rm -rf "$stage"
mkdir -p "$stage/files" "$stage/gen"
cp tests/scenarios/products/*.product "$stage/"
cp tests/scenarios/products/files/* "$stage/files/"

if [ ! -f "$setup_exe" ]; then
  echo "make-test-disks: warning: $setup_exe not found; the disks get a stand-in SETUP.EXE" \
       "(enough for the simulated machine, not for Wine)" >&2
  setup_exe=$stage/SETUP.EXE
  printf 'MZ stand-in for SETUP.EXE of the scenario disk sets\r\n' >"$setup_exe"
fi

# Generated content: NAME SIZE KIND. "binary" is incompressible (SHA-256 of
# the name and a counter), "text" numbered lines (compresses well), "mixed"
# alternates 4 KB of each, like a program with code and strings.
python3 - "$stage/gen" <<'EOF'
import hashlib, os, sys

files = [
    ("HALVORN.EXE", 61440 + 77, "mixed"),
    ("LFNBK.EXE", 9000, "binary"),
    ("ZEMAQW.VXD", 14336, "mixed"),
    ("ZEMAQWNT.SYS", 20001, "mixed"),
    ("TAPEIO.DLL", 5120, "binary"),          # exactly one block
    ("QICFMT.DLL", 10241, "mixed"),          # two blocks and one byte
    ("ARCHIVE.DAT", 600000, "binary"),
    ("CATALOG.DAT", 1450000, "binary"),
    ("BIG.DAT", 5120, "binary"),             # made large on the disk, see below
    ("BROKEN.DAT", 30000, "text"),           # cut short on the disk, see below
]

def binary(name, size):
    out = bytearray()
    n = 0
    while len(out) < size:
        out += hashlib.sha256(f"{name}:{n}".encode()).digest()
        n += 1
    return bytes(out[:size])

def text(name, size):
    out = bytearray()
    n = 0
    while len(out) < size:
        out += f"{name} line {n:07d}: the quick brown fox jumps over the lazy tape drive\r\n".encode()
        n += 1
    return bytes(out[:size])

def mixed(name, size):
    out = bytearray()
    n = 0
    while len(out) < size:
        part = binary(f"{name}:{n}", 4096) if n % 2 == 0 else text(f"{name}:{n}", 4096)
        out += part
        n += 1
    return bytes(out[:size])

kinds = {"binary": binary, "text": text, "mixed": mixed}
for name, size, kind in files:
    with open(os.path.join(sys.argv[1], name), "wb") as f:
        f.write(kinds[kind](name, size))
EOF

# The processor a Windows program is for: i386, x86_64, or "other" (a
# stand-in or anything without a PE header).
pe_machine() {
  python3 - "$1" <<'EOF' 2>/dev/null || echo other
import struct, sys
data = open(sys.argv[1], "rb").read(4096)
pe = struct.unpack_from("<I", data, 0x3C)[0]
machine = struct.unpack_from("<H", data, pe + 4)[0] if data[pe:pe + 4] == b"PE\0\0" else 0
print({0x14C: "i386", 0x8664: "x86_64"}.get(machine, "other"))
EOF
}

# The three shared run-time libraries: real PE DLLs with version resources
# (the sample product's stand-in sources), built by the mingw cross
# compiler. gen/ holds the shipped versions; gen/older, gen/newer and
# gen/same hold copies a machine may already have in its system directory
# (a lower version, a higher one, the same version with other content).
runtime=samples/halvorn/src
build_runtime() {  # DIR NAME MAJOR MINOR BUILD DESCRIPTION
  local dir=$1 name=$2 major=$3 minor=$4 build=$5 desc=$6
  mkdir -p "$dir"
  x86_64-w64-mingw32-windres -DRUNTIME_MAJOR="$major" -DRUNTIME_MINOR="$minor" \
    -DRUNTIME_BUILD="$build" "-DRUNTIME_NAME=\\\"$name\\\"" "-DRUNTIME_DESCRIPTION=\\\"$desc\\\"" \
    "$runtime/runtime.rc" -O coff -o "$dir/$name.res"
  x86_64-w64-mingw32-gcc -O2 -Wall -Wextra -Werror -shared -s -Wl,--no-insert-timestamp \
    -DRUNTIME_MAJOR="$major" -DRUNTIME_MINOR="$minor" "-DRUNTIME_NAME=\"$name\"" \
    -o "$dir/$name.DLL" "$runtime/runtime.c" "$dir/$name.res"
  rm "$dir/$name.res"
}
if command -v x86_64-w64-mingw32-windres >/dev/null && command -v x86_64-w64-mingw32-gcc >/dev/null; then
  build_runtime "$stage/gen" MSVCRT20 2 11 4711 "C run-time library 2.0 (test set)"
  build_runtime "$stage/gen" MSVCRT40 4 21 6110 "C run-time library 4.0 (test set)"
  build_runtime "$stage/gen" MFC40 4 1 6140 "Application framework 4.0 (test set)"
  build_runtime "$stage/gen/older" MSVCRT20 2 11 4000 "C run-time library 2.0 (older)"
  build_runtime "$stage/gen/older" MSVCRT40 4 21 6000 "C run-time library 4.0 (older)"
  build_runtime "$stage/gen/older" MFC40 4 1 6000 "Application framework 4.0 (older)"
  build_runtime "$stage/gen/newer" MSVCRT40 4 22 0 "C run-time library 4.0 (newer)"
  build_runtime "$stage/gen/same" MFC40 4 1 6140 "Application framework 4.0 (same version)"
  # A program planted as C:\Program.exe (tests/planted/program.c): it
  # leaves C:\PLANTED.RAN when an unquoted program start reaches it. Built
  # for the processor of the SETUP.EXE on the disks, so that it runs in the
  # prefix that program runs in (a 32-bit prefix runs no 64-bit program).
  planted_cc=x86_64-w64-mingw32-gcc
  if [ "$(pe_machine "$setup_exe")" = i386 ]; then planted_cc=i686-w64-mingw32-gcc; fi
  mkdir -p "$out/planted"
  $planted_cc -O2 -Wall -Wextra -Werror -mwindows -s -Wl,--no-insert-timestamp \
    -o "$out/planted/Program.exe" tests/planted/program.c
else
  echo "make-test-disks: warning: no mingw cross compiler; the shared library set is not made" >&2
  rm -f "$stage/shared.product"
fi

find "$stage" -type f -exec touch -d "@$release" {} +

# Which SETUP.EXE went onto the disks, for runners that must run the one
# they were given (under Wine the disk's SETUP.EXE is the program run).
sha256sum "$setup_exe" | sed "s|  .*|  $setup_exe|" >"$out/setup-exe.sha256"

for desc in "$stage"/*.product; do
  [ -f "$desc" ] || continue
  name=$(basename "$desc" .product)
  rm -rf "${out:?}/$name"
  "$mkdisks" --setup-exe "$setup_exe" --setup-room "$setup_room" --out "$out/$name" --time "$release" "$desc" >/dev/null
done

# Derived sets. Each starts as a copy of a built set.
derive() {  # SOURCE NAME
  rm -rf "${out:?}/$2"
  cp -a "$out/$1" "$out/$2"
}
# Edits a SETUP.DAT with sed, keeping its CR LF line ends.
edit_dat() {  # FILE SED-SCRIPT
  local tmp=$1.tmp
  sed 's/\r$//' "$1" | sed -e "$2" | sed 's/$/\r/' >"$tmp"
  touch -r "$1" "$tmp"
  mv "$tmp" "$1"
}

# Every file of the two-disk set in one folder, every entry on disk 1 and a
# disk count of 1, as when the disks are copied to a network drive.
# Both disks copied into one folder as they are (SETUP.DAT still counts two
# disks): what an administrator puts on a share for a silent installation.
rm -rf "$out/full_merged"
mkdir -p "$out/full_merged/folder"
cp -a "$out/full/disk1/." "$out/full/disk2/." "$out/full_merged/folder/"

rm -rf "$out/full_folder"
mkdir -p "$out/full_folder/folder"
cp -a "$out/full/disk1/." "$out/full/disk2/." "$out/full_folder/folder/"
edit_dat "$out/full_folder/folder/SETUP.DAT" 's/^mct=.*/mct=1/; s/,\/D[0-9]/,\/D1/'

# A listed file missing on disk 1, and one missing on disk 2.
derive full missing1
rm "$out/missing1/disk1/ZEMAQW.VX_"
derive full missing2
rm "$out/missing2/disk2/HELP.TX_"

# Disk 1 lists only its identification file: its table is empty, so
# copying ends there and disk 2 is never asked for.
derive full empty_table
edit_dat "$out/empty_table/disk1/SETUP.DAT" '/\/D1/{/^DISK\.001,/!d}'

# A compressed file cut short on the disk: BROKEN.DA_ keeps its header and
# about half its compressed data.
# What expanding the cut file gives (our reader, which expands as lz32
# does: everything up to the last whole token) is kept beside the disk for
# the checks.
size=$(stat -c %s "$out/broken/disk1/BROKEN.DA_")
truncate -s $((size / 2)) "$out/broken/disk1/BROKEN.DA_"
"$build/tools/mkdisks/szddtool" expand "$out/broken/disk1/BROKEN.DA_" "$out/broken/BROKEN.DAT.expanded" >/dev/null

# A large file, so that copying it takes seconds under Wine even on a fast,
# idle machine (600 MB were once copied whole while the UI driver took the
# screenshot of its wait, before it could press Cancel): BIG.DAT becomes
# 1800 MB of zeros, as a sparse file, so that it costs no room here nor in
# the copies the Wine runner makes of the disk. Its length stays below
# 2 GB, what LZSeek can report.
big=$out/cancel/disk1/BIG.DAT
rm "$big"
truncate -s $((1800 * 1024 * 1024)) "$big"
touch -d "@$release" "$big"
# The list keeps no checksum for it: the file is no longer the one mkdisks
# was given (the scenarios cancel inside it anyway).
edit_dat "$out/cancel/disk1/SETUP.DAT" '/^BIG\.DAT,/s/ \/C[0-9A-F]*//'

# Checksums (the /C field of each line): one byte changed in CATALOG.DAT on
# disk 2 of the full set, in the middle of a block (what a sector that reads
# wrong gives); the small set with every checksum taken out of its list, as
# sets were made before; the small set with its plain README.TXT cut to
# half (a plain file has no recorded length: only its checksum tells).
derive full corrupt2
python3 - "$out/corrupt2/disk2/CATALOG.DAT" <<'PY'
import sys
with open(sys.argv[1], "r+b") as f:
    f.seek(700001)
    b = f.read(1)
    f.seek(700001)
    f.write(bytes([b[0] ^ 0x20]))
PY
touch -d "@$release" "$out/corrupt2/disk2/CATALOG.DAT"
derive small no_checksums
edit_dat "$out/no_checksums/disk1/SETUP.DAT" 's/ \/C[0-9A-F]*//'
derive small cut_plain
size=$(stat -c %s "$out/cut_plain/disk1/README.TXT")
truncate -s $((size / 2)) "$out/cut_plain/disk1/README.TXT"
touch -d "@$release" "$out/cut_plain/disk1/README.TXT"

# The two-disk set with CATALOG.DAT, the first file of disk 2, made as
# large as BIG.DAT (sparse zeros, its time kept): the user presses Cancel
# while disk 2 is being copied, whatever the machine's speed.
derive full cancel_disk2
catalog=$out/cancel_disk2/disk2/CATALOG.DAT
touch -r "$catalog" "$out/cancel_disk2/CATALOG.DAT.time"
rm "$catalog"
truncate -s $((1800 * 1024 * 1024)) "$catalog"
touch -r "$out/cancel_disk2/CATALOG.DAT.time" "$catalog"
rm "$out/cancel_disk2/CATALOG.DAT.time"

# A file count below the number of files: the files bar stops at 100 per
# cent while the last files are copied.
derive small small_count
edit_dat "$out/small_count/disk1/SETUP.DAT" 's/^fct=.*/fct=3/'

# A negative file count: the files bar never reaches it, and the copy
# still ends with its completion text.
derive small negative_count
edit_dat "$out/negative_count/disk1/SETUP.DAT" 's/^fct=.*/fct=-5/'

# A sub-directory two levels deep whose parent no one creates: setup makes
# one level at a time, so HELP\DE cannot be created.
derive small deep_subdir
edit_dat "$out/deep_subdir/disk1/SETUP.DAT" 's/^\(HELP\.TX_,.*\)\/XHELP/\1\/XHELP\\DE/'

# Without SETUP.EXE in the list (and one file fewer in the count), so that
# the bytes written to drive C: do not depend on the size of SETUP.EXE: the
# disk-full scenario gives the drive room for all but the end of the last
# file. Its list keeps no checksums either: the installed SETUP.DAT then has
# the size those byte counts were made with.
derive small no_setup_exe
edit_dat "$out/no_setup_exe/disk1/SETUP.DAT" '/^SETUP\.EXE,/d; s/^fct=7$/fct=6/; s/ \/C[0-9A-F]*//'

# Hostile file lists: a line of disk 1 that would read or write outside its
# directory, listed after good lines.
derive small hostile_drive
edit_dat "$out/hostile_drive/disk1/SETUP.DAT" '$a C:WIN.INI,/D1 /T0'
derive small hostile_parent
edit_dat "$out/hostile_parent/disk1/SETUP.DAT" '$a ..\\SETUP.DAT,/D1 /T0'
# A compressed file whose header says its name ends in ":" (EVIL.TX_
# expands to EVIL.TX:), which no file name may hold: the name is taken from
# the file, so it is checked like the names of the list.
derive small hostile_header
"$build/tools/mkdisks/szddtool" compress "$stage/files/ORDER.TXT" "$out/hostile_header/disk1/EVIL.TX_" : >/dev/null
touch -d "@$release" "$out/hostile_header/disk1/EVIL.TX_"
edit_dat "$out/hostile_header/disk1/SETUP.DAT" '$a EVIL.TX_,/D1 /T0'
derive small hostile_rename
edit_dat "$out/hostile_rename/disk1/SETUP.DAT" '$a README.TXT,/D1 /R..\\EVIL.TXT'
derive small hostile_subdir
edit_dat "$out/hostile_subdir/disk1/SETUP.DAT" '$a ORDER.TX_,/D1 /X..\\..\\windows'

# The small set as the SE edition: a successful installation ends by
# starting UPGRADE.EXE of the install directory.
derive small small_se
edit_dat "$out/small_se/disk1/SETUP.DAT" 's/^aux=.*/aux=S/'

# The small set in German: the setup language, and with it the default
# install directory, group name and item captions, come from lng.
derive small small_ger
edit_dat "$out/small_ger/disk1/SETUP.DAT" 's/^lng *=.*/lng = GER/'

# What the sets hold apart from SETUP.EXE, one line a file: path, size and
# SHA-1 (size only above 64 MB: the sparse BIG.DAT), SETUP.DAT without the
# time and checksum of its SETUP.EXE line (the program's build time and
# bytes). The same for every
# program put on the disks: scripts/check-disk-layout.sh compares it for the
# 64-bit and 32-bit builds. The planted program follows the program's
# processor and is left out.
(cd "$out" && find . -path ./planted -prune -o -type f ! -name SETUP.EXE ! -name setup-exe.sha256 \
    ! -name layout -printf '%P %s\n' | LC_ALL=C sort | while read -r path size; do
  if [ "$(basename "$path")" = SETUP.DAT ]; then
    # SETUP.EXE's own line carries the program's time and checksum.
    sum=$(sed '/^SETUP\.EXE,/{s| /T[0-9]*||;s| /C[0-9A-Fa-f]*||}' "$path" | sha1sum | cut -d' ' -f1)
  elif [ "$size" -gt $((64 * 1024 * 1024)) ]; then
    sum=-
  else
    sum=$(sha1sum <"$path" | cut -d' ' -f1)
  fi
  echo "$path $size $sum"
done) >"$out/layout"
