#!/usr/bin/env python3
"""Times an installation from the host file times of the installed files.

    install_times.py INSTALL_DIR [--without NAME] [DISK_DIR...]

Each installed file is created when its copy starts (birth time) and gets
its status changed last when its time stamp is set after the copy (change
time), so the copy phase runs from the first birth (UNINST.LST, opened
first) to the last change time. SETUP.DAT is copied like the others but
not stamped, and the setup run writes into it after the completion
display: its change time is not the end of copying, so it counts only
with its birth (and, where it is the last file, its birth ends the span of
the files before it; it is 2 KB). With the disk folders given, the gaps
before the first file of each further disk (the disk request, the box and
the user's answer) are summed apart: "work" is the span without them.
With --without NAME the file NAME is left out (the copy phase of the
product's own files then starts at the first of them).
Prints: files=N bytes=B span=S swaps=W work=S-W first=T0 last=T1"""
import os
import sys

d = sys.argv[1]
args = sys.argv[2:]
without = None
if args[:1] == ["--without"] and len(args) > 1:
    without = args[1].upper()
    args = args[2:]
entries = []
for name in os.listdir(d):
    if name.upper() == without:
        continue
    p = os.path.join(d, name)
    st = os.stat(p)
    birth = getattr(st, "st_birthtime", None)
    if birth is None:
        # Linux before Python 3.12: statx through stat(1).
        birth = float(os.popen("stat -c %%.9W '%s'" % p.replace("'", "'\\''")).read())
    change = birth if name.upper() == "SETUP.DAT" else st.st_ctime
    entries.append((birth, change, st.st_size, name.upper()))
entries.sort()
first = min(e[0] for e in entries)
last = max(e[1] for e in entries)
firsts = set()
for disk in args:
    names = sorted(os.listdir(disk))
    # The first file of a later disk in install order: the one created first.
    on_disk = [e for e in entries if any(e[3][:-1] == n.upper()[:-1] for n in names)]
    if on_disk:
        firsts.add(min(on_disk)[3])
swaps = 0.0
prev_end = None
for birth, change, size, name in entries:
    if name == "UNINST.LST":
        continue
    if name in firsts and prev_end is not None:
        swaps += max(0.0, birth - prev_end)
    prev_end = change if prev_end is None else max(prev_end, change)
print("files=%d bytes=%d span=%.3f swaps=%.3f work=%.3f first=%.3f last=%.3f" % (
    len(entries), sum(e[2] for e in entries), last - first, swaps, last - first - swaps, first, last))
