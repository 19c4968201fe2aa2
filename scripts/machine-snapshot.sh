#!/usr/bin/env bash
# A snapshot of a machine's drive C: and registry, to compare the machine
# after a run with the machine before it (tests/scenarios/lib/snapshot.sh).
#
#   machine-snapshot.sh sim DIR OUT      the simulated machine kept in DIR
#   machine-snapshot.sh wine PREFIX OUT  a Wine prefix (its server stopped)
#
# OUT/files: one line per directory ("dir C/<path>") and per file
# ("file C/<path> <size> <sha1>"), sorted. OUT/registry: one line per key
# ("HKLM\<path>") and per value ("HKLM\<path>: "name"=<value as stored>"),
# sorted, with HKLM and HKCU for the machine's and the user's keys.
# OUT/groups: the program groups ("group <name>") and their items
# ("item <group>/<caption>"), sorted: the simulated Program Manager's, or
# under Wine the folders and shortcuts of the user's Start Menu Programs
# (which are left out of OUT/files).
#
# Under Wine what Wine itself changes on every start is left out: its
# temporary and log files, the shell's caches, the registry's time stamps,
# the driver's Windows version settings and the keys Wine's shell and
# device setup rewrite (measured on Wine 8 with an install and a cancelled
# uninstall).
set -euo pipefail
if [ $# -ne 3 ]; then
  echo "usage: machine-snapshot.sh sim|wine DIR OUT" >&2
  exit 2
fi
kind=$1 dir=$2 out=$3
mkdir -p "$out"

# Lists the tree below $1 as "C/<path>".
list_files() {  # ROOT [find exclusions...]
  local root=$1
  shift
  (cd "$root" && find . "$@" \( -type d -printf 'dir C/%P\n' \) -o \
    \( -type f -printf 'file C/%P %s ' -exec sh -c 'sha1sum < "$1" | cut -d" " -f1' _ {} \; \)) |
    sed 's|^dir C/$|dir C|' | LC_ALL=C sort
}

# REGEDIT4 text of the simulated machine: "[HKEY_...\key]" then values.
sim_registry() {
  sed -e 's/\r$//' "$1" | awk '
    /^\[/ { key = substr($0, 2, length($0) - 2)
            sub(/^HKEY_LOCAL_MACHINE/, "HKLM", key); sub(/^HKEY_CURRENT_USER/, "HKCU", key)
            sub(/^HKEY_CLASSES_ROOT/, "HKCR", key); sub(/^HKEY_USERS/, "HKU", key)
            print key; next }
    /^(REGEDIT4|)$/ { next }
    { print key ": " $0 }'
}

# Wine's own registry files: "[Software\\Key] <time>", values, "#..." lines.
wine_registry() {  # FILE ROOT
  awk -v root="$2" '
    /^\[/ { key = $0; sub(/\] [0-9]+$/, "]", key); key = substr(key, 2, length(key) - 2)
            gsub(/\\\\/, "\\", key); key = root "\\" key; print key; next }
    /^#|^;|^WINE REGISTRY|^$/ { next }
    { print key ": " $0 }' "$1"
}

# Every key with all its parents, sorted: Wine's files leave out keys
# that have subkeys but no values, the simulated machine writes them all.
with_parent_keys() {
  awk '{ print
         if (index($0, ": ") == 0) { k = $0
           while ((i = match(k, /\\[^\\]*$/)) > 0) { k = substr(k, 1, i - 1); print k } } }' |
    LC_ALL=C sort -u
}

case $kind in
  sim)
    list_files "$dir/C" >"$out/files"
    sim_registry "$dir/registry.reg" | with_parent_keys >"$out/registry"
    awk -F '\t' '/^group / { g = substr($0, 7); print }
                 /^item / { print "item " g "/" substr($1, 6) }' "$dir/progman.txt" |
      LC_ALL=C sort >"$out/groups"
    ;;
  wine)
    programs=$(cd "$dir/drive_c" && echo users/*/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs)
    (cd "$dir/drive_c/$programs" && find . -mindepth 1 \( -type d -printf 'group %P\n' \) -o \
      \( -name '*.lnk' -printf 'item %P\n' \)) | sed 's/\.lnk$//' | LC_ALL=C sort >"$out/groups"
    list_files "$dir/drive_c" -path "./$programs" -prune -o \
      -path './users/*/Temp' -prune -o -path './users/*/AppData/Local/Temp' -prune -o \
      -path './windows/Temp' -prune -o -path './windows/*.log' -prune -o \
      -path './users/*/AppData/Local/Microsoft/Windows/Explorer' -prune -o >"$out/files"
    # Left out: the driver's Windows version settings (Software\Wine),
    # and what Wine's shell and device setup rewrite on every start.
    { wine_registry "$dir/system.reg" HKLM
      wine_registry "$dir/user.reg" HKCU; } |
      grep -v -E '^(HKCU\\Software\\Wine|HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer|HKLM\\System\\CurrentControlSet\\(Control\\Class|Enum)|HKLM\\Software\\Wine)([\\:]|$)' |
      with_parent_keys >"$out/registry"
    ;;
  *)
    echo "machine-snapshot.sh: unknown kind $kind" >&2
    exit 2
    ;;
esac
