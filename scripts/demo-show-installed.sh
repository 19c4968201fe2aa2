#!/usr/bin/env bash
# What the sample installation left on the Wine prefix, read from outside
# the program: the files, the uninstall log, the tape configuration, the
# uninstall entry (Wine's own reg tool, in the registry's 64-bit view) and
# the Start Menu group. Called by
# scripts/wine-run.sh between the demonstration's install and uninstall
# scenarios (AFTER_EARLIER), with the scenario and the prefix.
#
#   demo-show-installed.sh SCENARIO PREFIX
set -uo pipefail
prefix=$2
drive_c=$prefix/drive_c
dir="Program Files/Halvorn+ for Windows 95 - QIC"
export WINEPREFIX=$prefix
echo "Installed files (under C:):"
(cd "$drive_c" && find "$dir" windows/LFNBK.EXE windows/system \
    -type f -printf '  %p  %s bytes  %TY-%Tm-%Td %TH:%TM UTC\n' 2>/dev/null | sort)
echo
echo "UNINST.LST:"
sed 's/^/  /' "$drive_c/$dir/UNINST.LST" 2>/dev/null || echo "  (none)"
echo
echo "Tape configuration (HALVORN.INI):"
sed 's/^/  /' "$drive_c/$dir/HALVORN.INI" 2>/dev/null || echo "  (none)"
echo
# The shipped 32-bit SETUP.EXE in a 32-bit prefix, which has one registry
# view (/reg:64 reads it), or the 64-bit build in a 64-bit prefix, whose
# 64-bit view /reg:64 names (a 32-bit reg tool would see the other one).
echo "Uninstall entry (wine reg query /reg:64):"
wine reg query 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Dastrel00' /reg:64 2>/dev/null |
  tr -d '\r' | sed -n 's/^ *\(.*REG_.*\)$/  \1/p'
echo
echo "Program group (the Start Menu folder Wine's shell made of it):"
(cd "$drive_c"/users/*/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs 2>/dev/null &&
  find . -mindepth 1 -path './Halvorn*' -printf '  %P\n' | sort) || echo "  (none)"
