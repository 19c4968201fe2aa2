# Helpers of the install scenarios' machine state checks (NAME.check).
#
# A check runs in the machine folder, where C/ is drive C: (on the simulated
# machine and under Wine alike), and sources this file:
#
#   . "$(dirname "$0")/lib/install-checks.sh"
#
# The scenarios create the directory C:\SCENARIO.MRK before the run; every
# path whose status changed after it was made was touched by the run, which
# is what expect_only_touched looks at.

set -euo pipefail

scenario_dir=$(cd "$(dirname "$0")" && pwd)
# The staged product content (scripts/make-test-disks.sh): files/ and gen/.
stage=$scenario_dir/built/stage
built=$scenario_dir/built
marker=C/SCENARIO.MRK

fail() {
  echo "check: $*" >&2
  exit 1
}

# expect_log DIR LINE...: DIR/UNINST.LST holds exactly these lines, each
# ended by CR LF, in this order.
expect_log() {
  local dir=$1 expected
  shift
  [ -f "$dir/UNINST.LST" ] || fail "$dir/UNINST.LST missing"
  expected=$(mktemp)
  if [ $# -gt 0 ]; then printf '%s\r\n' "$@" >"$expected"; fi
  if ! cmp -s "$expected" "$dir/UNINST.LST"; then
    echo "check: $dir/UNINST.LST differs from the expected lines:" >&2
    diff <(tr -d '\r' <"$expected") <(tr -d '\r' <"$dir/UNINST.LST") >&2 || true
    od -c "$dir/UNINST.LST" | tail -n 3 >&2
    rm -f "$expected"
    exit 1
  fi
  rm -f "$expected"
}

# expect_files DIR NAME...: the files below DIR (relative paths, any depth)
# are exactly these; directories are not listed.
expect_files() {
  local dir=$1 actual wanted
  shift
  [ -d "$dir" ] || fail "$dir is not a directory"
  actual=$(cd "$dir" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
  wanted=$(if [ $# -gt 0 ]; then printf '%s\n' "$@"; fi | LC_ALL=C sort)
  if [ "$actual" != "$wanted" ]; then
    echo "check: the files in $dir differ from the expected ones:" >&2
    diff <(echo "$wanted") <(echo "$actual") >&2 || true
    exit 1
  fi
}

# expect_dirs DIR NAME...: the sub-directories below DIR are exactly these.
expect_dirs() {
  local dir=$1 actual wanted
  shift
  actual=$(cd "$dir" && find . -mindepth 1 -type d | sed 's|^\./||' | LC_ALL=C sort)
  wanted=$(if [ $# -gt 0 ]; then printf '%s\n' "$@"; fi | LC_ALL=C sort)
  [ "$actual" = "$wanted" ] || fail "the directories in $dir are '$actual', expected '$wanted'"
}

# expect_same FILE ORIGINAL: byte for byte equal.
expect_same() {
  [ -f "$1" ] || fail "$1 missing"
  cmp -s "$1" "$2" || fail "$1 differs from $2"
}

# expect_size FILE BYTES
expect_size() {
  [ -f "$1" ] || fail "$1 missing"
  local size
  size=$(stat -c %s "$1")
  [ "$size" = "$2" ] || fail "$1 has $size bytes, expected $2"
}

# expect_time FILE SECONDS: last-write time in seconds since 1970 (UTC).
expect_time() {
  [ -f "$1" ] || fail "$1 missing"
  local t
  t=$(stat -c %Y "$1")
  [ "$t" = "$2" ] || fail "$1 has the time $t, expected $2"
}

# expect_recent FILE: written during the run (not given an old time stamp).
expect_recent() {
  [ -f "$1" ] || fail "$1 missing"
  [ "$(stat -c %Y "$1")" -ge "$(stat -c %Y "$marker")" ] ||
    fail "$1 has the time $(stat -c %Y "$1"), expected the time of copying"
}

# expect_missing PATH...
expect_missing() {
  local p
  for p in "$@"; do
    [ ! -e "$p" ] || fail "$p exists, expected it missing"
  done
}

# The /T time a file-list line of SETUP.DAT gives NAME (0 when it has none).
listed_time() {  # SETUP.DAT NAME
  local t
  t=$(tr -d '\r' <"$1" | grep -i "^$2," | sed -n 's/.*\/T\([0-9]*\).*/\1/p' | head -n 1)
  echo "${t:-0}"
}

# expect_only_touched PATH...: every path below C/ whose status changed
# during the run is one of these paths, lies below one of them, or is a
# directory on the way to one of them (its entries changed).
expect_only_touched() {
  [ -d "$marker" ] || fail "no $marker: the scenario must create it before the run"
  local changed ok allowed bad=0
  while IFS= read -r -d '' changed; do
    changed=${changed%/}
    [ "$changed" = "$marker" ] && continue
    ok=0
    # The program group: under Wine the shell keeps it as a folder of the
    # user's Start Menu (the simulated Program Manager keeps it outside C/).
    case $changed in
      C/users/*/"Start Menu/Programs" | C/users/*/"Start Menu/Programs"/*) continue ;;
    esac
    for allowed in "$@"; do
      allowed=${allowed%/}
      case $changed in
        "$allowed" | "$allowed"/*) ok=1 ;;
      esac
      if [ $ok -eq 0 ] && [ -d "$changed" ]; then
        case $allowed in
          "$changed"/*) ok=1 ;;
        esac
      fi
      [ $ok -eq 1 ] && break
    done
    if [ $ok -eq 0 ]; then
      echo "check: the run touched $changed" >&2
      bad=1
    fi
  done < <(find C/ -cnewer "$marker" -print0)
  [ $bad -eq 0 ] || exit 1
}

# expect_full_install 95|98|NT SETUP_DAT: the two-disk set of
# products/full.product installed completely on that platform (the default
# install directory), SETUP_DAT being the description the run started with,
# and nothing else touched.
expect_full_install() {
  local platform=$1 dat=$2 dir win nt=0
  dir="C/Program Files/Halvorn+ for Windows $platform"
  win="C:\\Program Files\\Halvorn+ for Windows $platform"
  [ "$platform" = NT ] && nt=1

  local vxd=() ntsys=()
  if [ $nt -eq 1 ]; then
    ntsys=("$win\\DRIVERS\\ZEMAQWNT.SYS")
  else
    vxd=("C:\\windows\\SYSTEM\\ZEMAQW.VXD")
  fi
  expect_log "$dir" \
    "$win\\UNINSTAL.EXE" \
    "$win\\SETUP.DAT" \
    "$win\\HALVORN.EXE" \
    "$win\\README.TXT" \
    "C:\\windows\\LFNBK.EXE" \
    "${vxd[@]}" \
    "${ntsys[@]}" \
    "$win\\DRIVERS\\DRIVERS.TXT" \
    "$win\\TAPE32.DLL" \
    "$win\\ARCHIVE.DAT" \
    "$win\\CATALOG.DAT" \
    "$win\\HELP\\HELP.TXT" \
    "$win\\HELP\\ORDER.TXT" \
    "$win\\QICFMT.DLL"

  local sys=()
  [ $nt -eq 1 ] && sys=(DRIVERS/ZEMAQWNT.SYS)
  expect_files "$dir" UNINST.LST UNINSTAL.EXE SETUP.DAT HALVORN.EXE README.TXT "${sys[@]}" \
    DRIVERS/DRIVERS.TXT TAPE32.DLL ARCHIVE.DAT CATALOG.DAT HELP/HELP.TXT HELP/ORDER.TXT QICFMT.DLL
  expect_dirs "$dir" DRIVERS HELP

  # Content: expanded (or copied) byte for byte, under the install name.
  expect_same "$dir/UNINSTAL.EXE" "$(dirname "$dat")/SETUP.EXE"
  expect_installed_dat "$dir/SETUP.DAT" "$dat" 00
  expect_same "$dir/HALVORN.EXE" "$stage/gen/HALVORN.EXE"
  expect_same "$dir/README.TXT" "$stage/files/README.TXT"
  expect_same "$dir/DRIVERS/DRIVERS.TXT" "$stage/files/DRIVERS.TXT"
  expect_same "$dir/TAPE32.DLL" "$stage/gen/TAPEIO.DLL"
  expect_same "$dir/ARCHIVE.DAT" "$stage/gen/ARCHIVE.DAT"
  expect_same "$dir/CATALOG.DAT" "$stage/gen/CATALOG.DAT"
  expect_same "$dir/HELP/HELP.TXT" "$stage/files/HELP.TXT"
  expect_same "$dir/HELP/ORDER.TXT" "$stage/files/ORDER.TXT"
  expect_same "$dir/QICFMT.DLL" "$stage/gen/QICFMT.DLL"
  expect_same C/windows/LFNBK.EXE "$stage/gen/LFNBK.EXE"

  # Times: the list's /T (0 when missing); SETUP.DAT keeps the time of copying.
  expect_time "$dir/UNINSTAL.EXE" "$(listed_time "$dat" SETUP.EXE)"
  expect_recent "$dir/SETUP.DAT"
  expect_time "$dir/HALVORN.EXE" 889686000
  expect_time "$dir/README.TXT" 889600000
  expect_time C/windows/LFNBK.EXE 820454400
  expect_time "$dir/DRIVERS/DRIVERS.TXT" 889686000
  expect_time "$dir/TAPE32.DLL" 885000000
  expect_time "$dir/CATALOG.DAT" 0
  expect_time "$dir/HELP/ORDER.TXT" 889686123

  # The platform restriction: the driver of the other platform is missing.
  if [ $nt -eq 1 ]; then
    expect_same "$dir/DRIVERS/ZEMAQWNT.SYS" "$stage/gen/ZEMAQWNT.SYS"
    expect_time "$dir/DRIVERS/ZEMAQWNT.SYS" 880000001
    expect_missing C/windows/system/ZEMAQW.VXD
    expect_only_touched "$dir" C/windows/LFNBK.EXE
  else
    expect_same C/windows/system/ZEMAQW.VXD "$stage/gen/ZEMAQW.VXD"
    expect_time C/windows/system/ZEMAQW.VXD 880000000
    expect_only_touched "$dir" C/windows/LFNBK.EXE C/windows/system/ZEMAQW.VXD
  fi
}

# The default install directory on Windows 95, as a host path and as the
# program writes it.
dir95="C/Program Files/Halvorn+ for Windows 95"
win95='C:\Program Files\Halvorn+ for Windows 95'

# expect_taken_back DIR [PATH...]: an installation that stopped was taken
# back: DIR, the install directory the run made, is gone, and so are the
# PATHs (files it put outside DIR, on a machine without them before); of
# what still exists below C/, the run changed nothing but the directories
# that held these (their entries came and went).
expect_taken_back() {
  expect_missing "$@"
  expect_only_touched "$@"
}

# expect_nothing_installed: nothing was copied, and the stopped
# installation was taken back (its empty log and its install directory are
# gone); nothing else was touched.
expect_nothing_installed() {
  expect_taken_back "$dir95"
}

# expect_installed_dat FILE ORIGINAL NN: the installed SETUP.DAT is the
# description the run started with, byte for byte, followed by the entry
# number written as "SeqID" in section "Misc" (line ends and blank lines as
# the platform's profile functions write them), and before it the record
# of what the installation created (InstallDirCreated, CreatedDirs,
# CreatedDir<n>; none when the installed SETUP.DAT was not there to hold
# it), left out of the comparison.
expect_installed_dat() {
  local file=$1 original=$2 number=$3 size rest record='^(InstallDirCreated|CreatedDirs|CreatedDir[0-9]+)='
  [ -f "$file" ] || fail "$file missing"
  if on_wine; then
    # Wine's profile functions write the whole file again, as "key=value"
    # lines: compare the lines with the blanks around "=" and blank lines
    # left out.
    local norm='s/^\([^=]*[^ =]\) *= */\1=/; s/[ \t]*$//'
    [ "$(tr -d '\r' <"$file" | sed "$norm" | grep -Ev "$record" | grep -v '^$')" = \
      "$( (tr -d '\r' <"$original"; printf '[Misc]\nSeqID=%s\n' "$number") | sed "$norm" |
        grep -v '^$')" ] || fail "$file is not $original with SeqID=$number"
    return 0
  fi
  size=$(stat -c %s "$original")
  cmp -s -n "$size" "$file" "$original" || fail "$file does not begin with $original"
  rest=$(tail -c +$((size + 1)) "$file" | tr -d '\r' | grep -Ev "$record" | grep -v '^$' || true)
  [ "$rest" = $'[Misc]\nSeqID='"$number" ] ||
    fail "$file ends in '$rest', expected [Misc] SeqID=$number"
}

# expect_prefix FILE ORIGINAL: FILE holds the first bytes of ORIGINAL,
# fewer than all of them.
expect_prefix() {
  [ -f "$1" ] || fail "$1 missing"
  local size full
  size=$(stat -c %s "$1")
  full=$(stat -c %s "$2")
  [ "$size" -lt "$full" ] || fail "$1 has $size bytes, expected fewer than $full"
  cmp -s -n "$size" "$1" "$2" || fail "$1 is not the beginning of $2"
}

# ---- The machine's registry and system files, on either runner.

# on_wine: the check runs on a Wine prefix (the simulated machine keeps its
# registry in registry.reg beside C/).
on_wine() { [ ! -f registry.reg ]; }

# wine_reg ARGS: Wine's reg tool on the view the program under test wrote
# to. In a 64-bit prefix (the 64-bit SETUP.EXE) that is the registry's
# 64-bit view: a 32-bit reg tool, which Debian's wrapper starts once wine32
# is installed, would see only the 32-bit one. A 32-bit prefix (the shipped
# 32-bit SETUP.EXE) has one view, as Windows 95, 98 and NT 4.0 had, and
# /reg:64 reads that one (measured with Wine 8). "wine" is the run's loader
# (scripts/wine-env.sh).
wine_reg() { wine reg "$@" /reg:64; }

# reg_value KEY NAME: the text of a REG_SZ value, empty when missing. On
# Wine read with Wine's own reg tool, on the simulated machine from its
# REGEDIT4 file.
reg_value() {
  if on_wine; then
    wine_reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
      sed -n "s/^ *$2 *REG_SZ *//p"
  else
    python3 - "$1" "$2" <<'PY'
import sys
key, name = sys.argv[1], sys.argv[2]
key = key.replace("HKLM\\", "HKEY_LOCAL_MACHINE\\", 1).lower()
section = None
for line in open("registry.reg", encoding="utf-8", errors="replace"):
    line = line.rstrip("\r\n")
    if line.startswith("["):
        section = line[1:-1].lower()
    elif section == key and line.startswith('"' + name + '"='):
        v = line[len(name) + 3:]
        if v.startswith('"'):
            print(v[1:-1].replace('\\"', '"').replace("\\\\", "\\"))
PY
  fi
}

# reg_key_exists KEY
reg_key_exists() {
  if on_wine; then
    wine_reg query "$1" >/dev/null 2>&1
  else
    local k=${1/#HKLM\\/HKEY_LOCAL_MACHINE\\}
    tr -d '\r' <registry.reg | grep -qiF "[$k]"
  fi
}

# expect_reg_value KEY NAME TEXT
expect_reg_value() {
  local v
  v=$(reg_value "$1" "$2") || fail "$1 $2 cannot be read (expected '$3')"
  [ "$v" = "$3" ] || fail "$1 $2 is '$v', expected '$3'"
}

# windows_file NAME: the host path of a file of the Windows directory,
# whatever the case of its name (a Wine prefix has system.ini).
windows_file() {
  local f
  f=$(find C/windows -maxdepth 1 -iname "$1" | head -n 1)
  echo "${f:-C/windows/$1}"
}

# ini_value FILE SECTION KEY: a value of a profile file.
ini_value() {
  tr -d '\r' <"$1" | awk -v s="[$2]" -v k="$3" '
    /^\[/ { in_s = (tolower($0) == tolower(s)) ; next }
    in_s { i = index($0, "="); if (i && tolower(substr($0, 1, i - 1)) == tolower(k)) { print substr($0, i + 1); exit } }'
}

# expect_uninstall_starts KEYNAME: under Wine, Wine's own Add/Remove
# Programs (`uninstaller --remove KEYNAME`) starts our uninstaller through
# the entry's UninstallString: the uninstaller copies itself to
# UNINSTX$.EXE in the Windows directory and starts that copy. A file
# C:\Program.exe is planted first: an unquoted path with blanks would run
# it instead. The started copy's "Confirm Uninstall" is left unanswered and
# the prefix's processes are ended afterwards. Nothing on the simulated
# machine, which runs no programs.
expect_uninstall_starts() {
  on_wine || return 0
  local temp i started=""
  [ -z "$(find C/windows -maxdepth 1 -iname 'UNINSTX$.EXE')" ] || fail "UNINSTX\$.EXE exists before the uninstaller ran"
  printf 'not a program\r\n' >C/Program.exe
  wine uninstaller --remove "$1" >/dev/null 2>&1 &
  local pid=$!
  for i in $(seq 1 150); do
    temp=$(find C/windows -maxdepth 1 -iname 'UNINSTX$.EXE')
    if [ -n "$temp" ]; then started=1; sleep 1; break; fi
    sleep 0.2
  done
  wineserver -k >/dev/null 2>&1 || true
  wait "$pid" 2>/dev/null || true
  rm -f C/Program.exe
  [ -n "$started" ] || fail "uninstaller --remove $1 did not start our uninstaller (no UNINSTX\$.EXE)"
  expect_same "$temp" "$dir95/UNINSTAL.EXE"
}

# expect_group NAME ITEM...: the program group NAME holds exactly these
# items, in this order, each ITEM "Caption<TAB>command line" (UTF-8).
# Simulated machine: the group's lines in progman.txt (Windows-1252).
# Wine: the group is a Start Menu folder, and Wine's shell refuses what
# Program Manager accepts: an item whose target does not exist, and one
# whose command line carries arguments (the read-me item); so the folder
# holds exactly "Caption.lnk" of the other items, each naming its target.
expect_group() {
  local group=$1 item caption command target folder actual expected names=()
  shift
  if on_wine; then
    folder=$(find C/users -type d -path "*/Start Menu/Programs/$group" | head -n 1)
    [ -n "$folder" ] || fail "no Start Menu folder '$group'"
    for item in "$@"; do
      caption=${item%%$'\t'*}
      command=${item#*$'\t'}
      case $command in *.[Ee][Xx][Ee]" "*) continue ;; esac
      target=C/$(printf '%s' "${command#C:\\}" | tr '\\' '/')
      [ -f "$target" ] || continue
      names+=("$caption.lnk")
      [ -f "$folder/$caption.lnk" ] && ! grep -aqiF "${command##*\\}" "$folder/$caption.lnk" &&
        fail "$caption.lnk does not lead to $command"
    done
    expect_files "$folder" "${names[@]}"
    return 0
  fi
  expected=$(printf '%s\n' "group $group" "${@/#/item }")
  actual=$(iconv -f CP1252 -t UTF-8 progman.txt | tr -d '\r' |
    awk -v g="group $group" '/^group / { on = ($0 == g) } on')
  [ "$actual" = "$expected" ] || fail "the group '$group' differs: $actual"
}

# ---- After an uninstallation.

# expect_product_removed ENTRY DIR GROUP KEEP...: the product installed in
# DIR (a Windows path) with program group GROUP and uninstall entry ENTRY
# (Dastrel00 for the first product of a machine) is gone: the entry,
# the group, LFNBK.EXE, the product's virtual drivers in the SYSTEM
# directory, SAILE.INI and LFNADMIN at the root of C:; below DIR only the
# files KEEP (relative paths) remain, and DIR itself is gone when there
# are none.
expect_product_removed() {
  local entry=$1 dir=$2 group=$3 host
  shift 3
  host=C/$(printf '%s' "${dir#C:\\}" | tr '\\' '/')
  reg_key_exists "HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\\$entry" &&
    fail "the uninstall entry $entry is still there"
  if on_wine; then
    [ -z "$(find C/users -type d -path "*/Start Menu/Programs/$group")" ] ||
      fail "the Start Menu folder '$group' is still there"
  else
    ! grep -qxF "group $group" progman.txt || fail "the group '$group' is still there"
  fi
  [ -z "$(find C/windows -maxdepth 1 -iname LFNBK.EXE)" ] || fail "LFNBK.EXE is still there"
  [ -z "$(find C/windows -maxdepth 2 -ipath '*/system/*.vxd')" ] || fail "a virtual driver is still there"
  [ ! -e C/SAILE.INI ] || fail "C:\\SAILE.INI is still there"
  [ ! -e C/LFNADMIN ] || fail "C:\\LFNADMIN is still there"
  if [ $# -eq 0 ]; then
    [ ! -e "$host" ] || fail "$dir is still there: $(find "$host" | head -n 5)"
  else
    expect_files "$host" "$@"
  fi
}

# expect_run_log FILE LINE...: the log of an unattended run (/log) holds
# these lines (CR LF ended) in this order, other lines between them allowed.
expect_run_log() {
  local file=$1 line rest
  shift
  [ -f "$file" ] || fail "$file missing: the run wrote no log"
  rest=$(tr -d '\r' <"$file")
  for line in "$@"; do
    if ! grep -Fxq -- "$line" <<<"$rest"; then
      echo "check: $file lacks, in this order, the line: $line" >&2
      tr -d '\r' <"$file" >&2
      exit 1
    fi
    rest=$(sed -n "/^$(printf '%s' "$line" | sed 's/[][\.*^$/]/\\&/g')\$/,\$p" <<<"$rest" | tail -n +2)
  done
}

# expect_nothing_changed [PATH...]: since the marker, no file or directory
# below C/ changed but the given ones (the run's log) and C/ itself, which
# lists them; no uninstall entry was written.
expect_nothing_changed() {
  local changed skip
  while IFS= read -r changed; do
    [ "$changed" = C ] || [ "$changed" = "$marker" ] && continue
    for skip in "$@"; do [ "$changed" = "$skip" ] && continue 2; done
    fail "the run changed $changed"
  done < <(find C -newer "$marker")
  if grep -qi 'Uninstall\\Dastrel' registry.reg 2>/dev/null; then fail "an uninstall entry was written"; fi
}

# pending_renames: what Windows NT renames or deletes when it next starts
# (PendingFileRenameOperations), one "<from> -> <to>" line per operation,
# the target empty for a deletion. On Wine read with Wine's reg tool, on
# the simulated machine from its REGEDIT4 file.
pending_renames() {
  if on_wine; then
    # No value at all is no operation waiting, not a failure.
    { wine_reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' \
      /v PendingFileRenameOperations 2>/dev/null || true; } | tr -d '\r' |
      sed -n 's/^ *PendingFileRenameOperations *REG_MULTI_SZ *//p' |
      python3 -c '
import sys
data = sys.stdin.read().rstrip("\n")
parts = data.split("\\0") if data else []
for i in range(0, len(parts), 2):
    print(parts[i] + " -> " + (parts[i + 1] if i + 1 < len(parts) else ""))'
  else
    python3 - <<'PY'
import re
text = open("registry.reg", encoding="utf-8", errors="replace").read().replace("\r", "")
text = text.replace("\\\n", "")
section = None
for line in text.split("\n"):
    if line.startswith("["):
        section = line[1:-1].lower()
    elif section == "hkey_local_machine\\system\\currentcontrolset\\control\\session manager" and \
            line.startswith('"PendingFileRenameOperations"=hex(7):'):
        data = bytes(int(b, 16) for b in re.findall(r"[0-9a-fA-F]{2}", line.split(":", 1)[1]))
        parts = data.decode("cp1252").split("\0")
        while parts and parts[-1] == "":
            parts.pop()
        if len(parts) % 2:
            parts.append("")
        for i in range(0, len(parts), 2):
            print(parts[i] + " -> " + parts[i + 1])
PY
  fi
}
