#!/usr/bin/env bash
# Checks that a 32-bit Windows program uses no instruction a 486 lacks, in
# every piece of code linked into it: it disassembles the code section
# (objdump -d) and fails on any instruction the Pentium or later processors
# introduced, naming the function it lies in and the instruction.
#
#   check-cpu.sh [PROGRAM.EXE [UNSTRIPPED.EXE]]
#
# PROGRAM.EXE defaults to the shipped build, build/mingw32/.../SETUP.EXE, and
# UNSTRIPPED.EXE to the copy with symbols the build keeps beside it
# (SETUP.dbg.exe). The verdict is on PROGRAM.EXE's own code; the symbols of
# the unstripped copy name the functions, after checking that its code
# section holds the same bytes. Without the copy the addresses are reported.
#
# Refused (the processor that introduced them in brackets):
# - cmov*, fcmov*, fcomi, fcomip, fucomi, fucomip, rdpmc, the multi-byte
#   nop (0F 1F), sysenter/sysexit, fxsave/fxrstor [Pentium Pro, Pentium II];
# - cmpxchg8b, rdtsc, rdmsr/wrmsr [Pentium]; cpuid [late 486s and the
#   Pentium] unless its function first probes for it: it flips the ID bit
#   (0x200000) of EFLAGS through pushf/popf before the cpuid;
# - any instruction naming an MMX, SSE or AVX register, and those of the
#   same extensions and later ones that name none (emms, prefetch*, fences,
#   movnti, clflush, ldmxcsr/stmxcsr, fisttp, popcnt, lzcnt, tzcnt, movbe,
#   crc32, rdrand, rdseed, xgetbv, the BMI instructions, endbr32, ...);
# - bytes objdump cannot decode as any instruction ("(bad)").
# ud2 (0F 0B, Pentium Pro) is accepted: it exists to raise the invalid-
# opcode exception, which is what a 486 raises for it as well.
#
# Read as data, not code: the constructor and destructor lists and the
# exception tables, which the Windows linker script puts into .text.
set -euo pipefail
cd "$(dirname "$0")/.."
exe=${1:-build/mingw32/src/platform/win32/SETUP.EXE}
syms=${2:-${exe%.*}.dbg.exe}

[ -f "$exe" ] || { echo "check-cpu: $exe not found" >&2; exit 2; }
dump_tool=i686-w64-mingw32-objdump
copy_tool=i686-w64-mingw32-objcopy
command -v "$dump_tool" >/dev/null || { echo "check-cpu: $dump_tool not found" >&2; exit 2; }
"$dump_tool" -f "$exe" 2>/dev/null | grep -q 'file format pei-i386' ||
  { echo "check-cpu: $exe is not a 32-bit Windows program" >&2; exit 2; }

# The copy with symbols is used only if its code is the program's own.
source=$exe
if [ -f "$syms" ] && [ "$syms" != "$exe" ]; then
  tmp=$(mktemp -d)
  trap 'rm -rf "$tmp"' EXIT
  "$copy_tool" -O binary --only-section=.text "$exe" "$tmp/a"
  "$copy_tool" -O binary --only-section=.text "$syms" "$tmp/b"
  if cmp -s "$tmp/a" "$tmp/b"; then
    source=$syms
  else
    echo "check-cpu: $syms has other code than $exe: reporting addresses only" >&2
  fi
fi

"$dump_tool" -d --no-show-raw-insn "$source" | awk -v exe="$exe" '
  BEGIN {
    # Data in .text, by the symbol that starts it.
    data["__CTOR_LIST__"] = 1; data["___CTOR_LIST__"] = 1
    data["__DTOR_LIST__"] = 1; data["___DTOR_LIST__"] = 1
    data[".gcc_except_table"] = 1
    prefix["lock"] = 1; prefix["rep"] = 1; prefix["repz"] = 1; prefix["repnz"] = 1
    prefix["repe"] = 1; prefix["repne"] = 1; prefix["data16"] = 1; prefix["data32"] = 1
    prefix["addr16"] = 1; prefix["addr32"] = 1; prefix["cs"] = 1; prefix["ds"] = 1
    prefix["es"] = 1; prefix["fs"] = 1; prefix["gs"] = 1; prefix["ss"] = 1
    prefix["notrack"] = 1; prefix["bnd"] = 1; prefix["xacquire"] = 1; prefix["xrelease"] = 1
    later = "^(cmov|fcmov|fcomi|fcomip|fucomi|fucomip|rdpmc|sysenter|sysexit|syscall|sysret|" \
            "fxsave|fxrstor|xsave|xrstor|cmpxchg8b|cmpxchg16b|rdtsc|rdtscp|rdmsr|wrmsr|" \
            "emms|femms|prefetch|lfence|sfence|mfence|movnti|clflush|clwb|ldmxcsr|stmxcsr|" \
            "fisttp|popcnt|lzcnt|tzcnt|movbe|crc32|rdrand|rdseed|xgetbv|xsetbv|rdpid|" \
            "andn|bextr|blsi|blsmsk|blsr|bzhi|mulx|pdep|pext|rorx|sarx|shlx|shrx|adcx|adox|" \
            "endbr32|endbr64|rdssp|incssp|clac|stac|monitor|mwait|vmcall|xbegin|xend|xabort|xtest)"
  }
  # "00401000 <name>:" starts a symbol; the function is the nearest one.
  /^[0-9a-f]+ <.*>:$/ {
    fn = substr($2, 2, length($2) - 3)
    skip = (fn in data)
    # A section symbol names a function by its section (".text$NAME"), or
    # (".text") starts the static functions of a library object without
    # symbols: those are named by the function before.
    if (fn ~ /^\.text\$/) fn = substr(fn, 7)
    if (fn ~ /^\./ && !skip) fn = fn " after " last
    else last = fn
    probed = 0; flipped = 0
    next
  }
  skip { next }
  /^ *[0-9a-f]+:\t/ {
    split($0, f, "\t")
    addr = f[1]; sub(/^ */, "", addr); sub(/:$/, "", addr)
    insn = f[2]
    n = split(insn, w, " ")
    i = 1
    while (i < n && (w[i] in prefix)) i++
    m = w[i]
    ops = ""
    for (j = i + 1; j <= n; j++) ops = ops " " w[j]
    bad = ""
    if (m == "(bad)") bad = "undecodable bytes"
    else if (m ~ later) bad = "later instruction"
    else if (ops ~ /%(x|y|z)?mm[0-9]/) bad = "MMX, SSE or AVX register"
    else if (m ~ /^nop[wl]?$/ && ops != "") bad = "multi-byte nop (Pentium Pro)"
    else if (m == "cpuid" && !(probed && flipped)) bad = "cpuid without a probe for it"
    if (m ~ /^popf/) probed = 1
    if (ops ~ /\$0x200000,/) flipped = 1
    if (bad == "") next
    where = (fn == "" ? "?" : fn)
    printf "%s: %s at %s in %s (%s)\n", exe, insn, addr, where, bad
    count++
    perfn[where]++
    next
  }
  END {
    if (count) {
      nf = 0
      for (k in perfn) nf++
      printf "check-cpu: %d instructions a 486 lacks, in %d functions of %s\n", count, nf, exe > "/dev/stderr"
      exit 1
    }
    printf "check-cpu: %s: no instruction beyond the 486\n", exe
  }
'
