#!/usr/bin/env bash
# The disk-set builder's checksums, limits, images and --check, on small
# products made here. Usage: mkdisks_test.sh MKDISKS WORKDIR
set -uo pipefail
mkdisks=$1
work=$2
rm -rf "$work"
mkdir -p "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# expect_output WHAT CODE STATUS OUTPUT TEXT...: the run exited with CODE
# and its output holds every TEXT.
expect_output() {
  local what=$1 code=$2 status=$3 out=$4
  shift 4
  [ "$status" -eq "$code" ] || fail "$what: exit $status, expected $code; output: $out"
  for t in "$@"; do
    grep -qF -- "$t" <<<"$out" || fail "$what: no \"$t\" in: $out"
  done
}

release=889686000
printf 'MZ stand-in for SETUP.EXE\r\n' >"$work/SETUP.EXE"
touch -d "@$release" "$work/SETUP.EXE"

# A two-disk product: a large incompressible file forces the second disk.
mkdir -p "$work/p"
python3 - "$work/p" <<'PY'
import hashlib, os, sys
d = sys.argv[1]
def blob(name, size):
    out = bytearray(); n = 0
    while len(out) < size:
        out += hashlib.sha256(f"{name}:{n}".encode()).digest(); n += 1
    return bytes(out[:size])
open(os.path.join(d, "TAPE.EXE"), "wb").write(blob("TAPE", 70000))
open(os.path.join(d, "BIG.DAT"), "wb").write(blob("BIG", 1400000))
open(os.path.join(d, "NOTES.TXT"), "wb").write(b"".join(b"notes line %05d\r\n" % i for i in range(2000)))
open(os.path.join(d, "LAST.DAT"), "wb").write(blob("LAST", 9000))
PY
touch -d "@$release" "$work"/p/*
cat >"$work/p/two.product" <<'P'
prd = Halvorn
ver = 7.0
plt = 95/NT
ifc = QIC
lng = ENG
aux = N
setup-exe = ../SETUP.EXE
[files]
TAPE.EXE
BIG.DAT plain
NOTES.TXT plain
LAST.DAT
P

# ---------------------------------------------------------------- images

"$mkdisks" --out "$work/a" --time "$release" --images "$work/p/two.product" >"$work/a.txt" 2>&1 ||
  fail "building with --images: $(cat "$work/a.txt")"
sleep 2  # a FAT time has a 2-second grain: a clock read would show
"$mkdisks" --out "$work/b" --time "$release" --images "$work/p/two.product" >/dev/null 2>&1 || fail "second build"
for n in 1 2; do
  [ -f "$work/a/disk$n.img" ] || fail "no disk$n.img"
  cmp -s "$work/a/disk$n.img" "$work/b/disk$n.img" || fail "disk$n.img differs between two builds with the same --time"
  [ "$(stat -c %s "$work/a/disk$n.img")" -eq 1474560 ] || fail "disk$n.img is not a 1.44 MB image"
  out=$(fsck.fat -n "$work/a/disk$n.img" 2>&1) || fail "fsck.fat -n disk$n.img: $out"
  grep -qi "HALVORN $n" < <(MTOOLSRC=/dev/null mdir -i "$work/a/disk$n.img" ::) || fail "disk$n.img has no label HALVORN $n"
  # Every file of the folder, byte for byte, and with its time.
  rm -rf "$work/x"; mkdir -p "$work/x"
  MTOOLSRC=/dev/null TZ=UTC mcopy -m -n -i "$work/a/disk$n.img" '::*' "$work/x/" || fail "mcopy out of disk$n.img"
  diff -r "$work/a/disk$n" "$work/x" >/dev/null || fail "disk$n.img does not hold the files of disk$n"
  [ "$(stat -c %Y "$work/x/DISK.00$n")" -eq "$release" ] || fail "DISK.00$n in the image lost its time"
done
"$mkdisks" --out "$work/c" --time $((release + 86400)) --images "$work/p/two.product" >/dev/null 2>&1
cmp -s "$work/a/disk1.img" "$work/c/disk1.img" && fail "another --time gave the same image"

# A user's mtools configuration does not change the images.
printf 'mtools_lower_case=1\nmtools_no_vfat=0\n' >"$work/user.mtoolsrc"
MTOOLSRC="$work/user.mtoolsrc" MTOOLS_LOWER_CASE=1 TZ=Asia/Tokyo \
  "$mkdisks" --out "$work/u" --time "$release" --images "$work/p/two.product" >/dev/null 2>&1 || fail "build with a user's mtoolsrc"
cmp -s "$work/a/disk1.img" "$work/u/disk1.img" || fail "a user's mtools configuration or time zone changed disk1.img"

# ---------------------------------------------------------------- checksums in the list

grep -q '^TAPE.EX_,/D1 /T[0-9]* /C[0-9A-F]\{8\}'$'\r''$' "$work/a/disk1/SETUP.DAT" || fail "TAPE.EX_ has no checksum: $(cat "$work/a/disk1/SETUP.DAT")"
expected=$(python3 -c 'import sys, zlib; print("%08X" % zlib.crc32(open(sys.argv[1], "rb").read()))' "$work/p/TAPE.EXE")
grep -q "^TAPE.EX_,.* /C$expected" "$work/a/disk1/SETUP.DAT" || fail "TAPE.EX_'s checksum is not the CRC-32 $expected of TAPE.EXE"
grep -q '^DISK.001,.*/C' "$work/a/disk1/SETUP.DAT" && fail "DISK.001, never copied, got a checksum"
"$mkdisks" --out "$work/n" --time "$release" --no-checksums "$work/p/two.product" >/dev/null 2>&1 || fail "--no-checksums"
grep -q '/C' "$work/n/disk1/SETUP.DAT" && fail "--no-checksums still wrote checksums"

# ---------------------------------------------------------------- --check

out=$("$mkdisks" --check "$work/a" 2>&1); expect_output "good set" 0 $? "$out" "2 disk folders and 2 images"

# Each fault on its own copy of the set (folders only, images left out).
fault_copy() { rm -rf "$work/f"; mkdir -p "$work/f"; cp -a "$work/a/disk1" "$work/a/disk2" "$work/f/"; }

fault_copy
size=$(stat -c %s "$work/f/disk1/TAPE.EX_"); truncate -s $((size / 2)) "$work/f/disk1/TAPE.EX_"
out=$("$mkdisks" --check "$work/f" 2>&1); expect_output "cut compressed file" 1 $? "$out" "disk1: TAPE.EX_ is cut short"

fault_copy
size=$(stat -c %s "$work/f/disk2/NOTES.TXT"); truncate -s $((size - 100)) "$work/f/disk2/NOTES.TXT"
out=$("$mkdisks" --check "$work/f" 2>&1); expect_output "cut plain file" 1 $? "$out" "disk2: NOTES.TXT: checksum"

fault_copy
printf 'X' | dd of="$work/f/disk2/BIG.DAT" bs=1 seek=654321 conv=notrunc status=none
out=$("$mkdisks" --check "$work/f" 2>&1); expect_output "changed byte" 1 $? "$out" "disk2: BIG.DAT: checksum"

fault_copy
rm -rf "$work/f/disk2"
out=$("$mkdisks" --check "$work/f" 2>&1); expect_output "missing disk" 1 $? "$out" "disk 2 is missing (SETUP.DAT says mct=2)"

fault_copy
rm "$work/f/disk2/LAST.DA_"
out=$("$mkdisks" --check "$work/f" 2>&1); expect_output "missing file" 1 $? "$out" "disk2: LAST.DA_ is listed for disk 2 but not on it"

fault_copy
head -c 400000 /dev/zero >"$work/f/disk2/EXTRA.DAT"
out=$("$mkdisks" --check "$work/f" 2>&1); expect_output "oversized disk" 1 $? "$out" "disk2: its files take" "the disk holds 1457664"
out=$("$mkdisks" --check --disk-size 2000000 "$work/f" 2>&1); expect_output "the same disk, larger" 0 $? "$out"

fault_copy
rm "$work/f/disk1/SETUP.EXE"
out=$("$mkdisks" --check "$work/f" 2>&1); expect_output "no SETUP.EXE" 1 $? "$out" "SETUP.EXE is not on disk 1"

fault_copy
rm "$work/f/disk1/SETUP.DAT"
out=$("$mkdisks" --check "$work/f" 2>&1); expect_output "no SETUP.DAT" 1 $? "$out" "SETUP.DAT is not on disk 1"

fault_copy
sed -i 's/^prd=.*/prd=Halvorn Professional 7\r/' "$work/f/disk1/SETUP.DAT"
printf 'NOTES.TXT,/D2 /T0 /XA_DIRECTORY_NAME_THAT_RUNS_ON_AND_ON_PAST_WHAT_ONE_READ_TAKES\r\n' >>"$work/f/disk1/SETUP.DAT"
out=$("$mkdisks" --check "$work/f" 2>&1)
expect_output "SETUP.DAT beyond what setup reads" 1 $? "$out" "prd has 22 characters; setup takes at most 15" \
  "characters with its line end; setup reads at most 79"

# An image with a changed file: the image is checked on its own.
rm -rf "$work/i"; mkdir -p "$work/i"; cp "$work/a/disk1.img" "$work/a/disk2.img" "$work/i/"
printf 'changed notes\r\n' >"$work/NOTES.TXT"
MTOOLSRC=/dev/null mcopy -o -i "$work/i/disk2.img" "$work/NOTES.TXT" ::NOTES.TXT
out=$("$mkdisks" --check "$work/i" 2>&1); expect_output "changed file in an image" 1 $? "$out" "disk2.img: NOTES.TXT: checksum"
rm "$work/i/disk2.img"
out=$("$mkdisks" --check "$work/i" 2>&1); expect_output "missing image" 1 $? "$out" "disk 2 is missing"

# ---------------------------------------------------------------- limits

# FILES tiny files: at most 100 a disk, so 493 files take 5 disks and a
# list of 493 + 5 DISK.00n + SETUP.EXE + SETUP.DAT = 500 lines.
many() {  # FILES
  rm -rf "$work/m"; mkdir -p "$work/m"
  { sed -n '1,7p' "$work/p/two.product"; echo '[files]'; } >"$work/m/m.product"
  for i in $(seq 1 "$1"); do
    printf 'f%d\n' "$i" >"$work/m/F$i.TXT"
    echo "F$i.TXT plain" >>"$work/m/m.product"
  done
  sed -i 's|^setup-exe = .*|setup-exe = ../SETUP.EXE|' "$work/m/m.product"
}
many 493
out=$("$mkdisks" --out "$work/m/out" --time "$release" "$work/m/m.product" 2>&1)
expect_output "493 files" 1 $? "$out" "would have 500 lines" "setup keeps at most 499"
[ -e "$work/m/out/disk1" ] && fail "a refused set was written"
many 492
out=$("$mkdisks" --out "$work/m/out" --time "$release" "$work/m/m.product" 2>&1); expect_output "492 files" 0 $? "$out"
out=$("$mkdisks" --check "$work/m/out" 2>&1); expect_output "492 files checked" 0 $? "$out"

sed 's/^prd = .*/prd = HalvornProfessional/' "$work/p/two.product" >"$work/p/long.product"
out=$("$mkdisks" --out "$work/l" "$work/p/long.product" 2>&1); expect_output "long prd" 1 $? "$out" "prd may have at most 15 characters"

# A /X long enough that the line with its checksum passes 78 characters,
# but not without it.
sub=HELP_FILES_OF_THE_PRODUCT_IN_ONE_DIRECTORY_0123456
{ sed -n '1,8p' "$work/p/two.product"; echo "NOTES.TXT plain /X $sub"; } >"$work/p/sub.product"
out=$("$mkdisks" --out "$work/s1" --time "$release" "$work/p/sub.product" 2>&1)
expect_output "long line with checksum" 1 $? "$out" "characters; at most 78 fit (its checksum takes 11"
out=$("$mkdisks" --out "$work/s2" --time "$release" --no-checksums "$work/p/sub.product" 2>&1)
expect_output "the same line without checksum" 0 $? "$out"

# Disk count: each 1.4 MB file takes a disk of its own.
{ sed -n '1,8p' "$work/p/two.product"; for i in $(seq 1 10); do cp "$work/p/BIG.DAT" "$work/p/B$i.DAT"; echo "B$i.DAT plain"; done; } >"$work/p/ten.product"
out=$("$mkdisks" --out "$work/t" --time "$release" "$work/p/ten.product" 2>&1); expect_output "ten disks" 1 $? "$out" "more than 9 disks"

if [ "$failures" -gt 0 ]; then
  echo "$failures failures"
  exit 1
fi
echo "mkdisks tests passed"
