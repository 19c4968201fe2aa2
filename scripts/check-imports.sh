#!/usr/bin/env bash
# Checks that a Windows program imports only DLLs and functions that the
# first releases of Windows 95 and Windows NT 4.0 export (and so Windows
# 98): the list is scripts/win32-imports.list. Every import outside it is
# reported with its name, and the systems that lack it when the list knows
# them; any such import fails the check.
#
#   check-imports.sh [PROGRAM.EXE [LIST]]
#
# PROGRAM.EXE defaults to the shipped build, build/mingw32/.../SETUP.EXE.
set -euo pipefail
cd "$(dirname "$0")/.."
exe=${1:-build/mingw32/src/platform/win32/SETUP.EXE}
list=${2:-scripts/win32-imports.list}

[ -f "$exe" ] || { echo "check-imports: $exe not found" >&2; exit 2; }
[ -f "$list" ] || { echo "check-imports: $list not found" >&2; exit 2; }

# The first objdump that reads the program (the i686 one reads 32-bit
# programs only).
dump=
for o in i686-w64-mingw32-objdump x86_64-w64-mingw32-objdump objdump; do
  command -v "$o" >/dev/null || continue
  if dump=$("$o" -p "$exe" 2>/dev/null); then break; fi
  dump=
done
[ -n "$dump" ] || { echo "check-imports: no objdump here reads $exe" >&2; exit 2; }

awk -v exe="$exe" '
  # The list: "DLL FUNCTION" allows an import; "! DLL FUNCTION|* WHO" names
  # the systems that lack it.
  FNR == NR {
    sub(/#.*/, "")
    if (NF == 0) next
    if ($1 == "!") {
      if (NF < 4) { printf "check-imports: bad line %d of the list\n", FNR > "/dev/stderr"; bad = 1; next }
      lacking[tolower($2) " " $3] = $4
      next
    }
    if (NF != 2) { printf "check-imports: bad line %d of the list\n", FNR > "/dev/stderr"; bad = 1; next }
    allowed[tolower($1) " " $2] = 1
    allowedDll[tolower($1)] = 1
    next
  }
  # objdump -p: "DLL Name: X" starts a DLL; its entries are
  # "<vma> <hint> <name>" (an import by ordinal has no name).
  /^The Import Tables/ { inImports = 1; next }
  !inImports { next }
  /^[^ \t]/ { inImports = 0; next }
  /^\tDLL Name: / { dll = tolower($3); dlls++; next }
  /^\tvma:/ { next }
  dll != "" && /^\t[0-9a-fA-F]+\t/ {
    n++
    if (NF >= 3) name = $3; else name = ""
    if (name == "") {
      printf "%s: %s is imported by ordinal (%s): ordinals differ between systems\n", exe, dll, $2
      failed++
      next
    }
    if ((dll " " name) in allowed) next
    who = ""
    if ((dll " " name) in lacking) who = lacking[dll " " name]
    else if ((dll " *") in lacking) who = lacking[dll " *"]
    gsub(/-/, " ", who); gsub(/,/, ", ", who)
    if (who != "") reason = "missing on " who
    else if (!(dll in allowedDll)) reason = "a DLL not on the list of what Windows 95 and NT 4.0 have"
    else reason = "not on the list of what Windows 95 and NT 4.0 export"
    printf "%s: imports %s from %s: %s\n", exe, name, dll, reason
    failed++
  }
  END {
    if (bad) exit 2
    if (dlls == 0 || n == 0) { printf "check-imports: no import table found in %s\n", exe > "/dev/stderr"; exit 2 }
    if (failed) { printf "check-imports: %d of %d imports are outside %s\n", failed, n, ARGV[1] > "/dev/stderr"; exit 1 }
    printf "check-imports: %s: all %d imports from %d DLLs are on the list\n", exe, n, dlls
  }
' "$list" - <<<"$dump"
