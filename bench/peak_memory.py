#!/usr/bin/env python3
"""Peak working set of a Windows program under Wine, read from /proc.

    peak_memory.py NAME PREFIX OUT

Every 50 ms, looks for processes whose name (/proc/PID/comm, Wine sets it
to the program's file name) is NAME without regard to case and whose
environment names WINEPREFIX=PREFIX (only this run's prefix), and reads
their VmHWM, the peak resident set the kernel keeps for a process. Wine's
GetProcessMemoryInfo reports the same figure as PeakWorkingSetSize, so it
is what the program would see of itself. Until ended with SIGTERM; then
writes "peak_kb=K pids=N" to OUT (K the largest peak of any such process,
0 and 0 when none was seen).
"""
import os
import signal
import sys
import time

name, prefix, out = sys.argv[1].lower(), sys.argv[2], sys.argv[3]
want = ("WINEPREFIX=" + prefix).encode()
peaks = {}
running = True


def stop(_signum, _frame):
    global running
    running = False


signal.signal(signal.SIGTERM, stop)


def read(path, mode="r"):
    try:
        with open(path, mode) as f:
            return f.read()
    except OSError:
        return None


while running:
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        comm = read(f"/proc/{pid}/comm")
        if comm is None or comm.strip().lower() != name:
            continue
        env = read(f"/proc/{pid}/environ", "rb")
        if env is None or want not in env.split(b"\0"):
            continue
        status = read(f"/proc/{pid}/status") or ""
        for line in status.splitlines():
            if line.startswith("VmHWM:"):
                peaks[pid] = max(peaks.get(pid, 0), int(line.split()[1]))
    time.sleep(0.05)

with open(out, "w") as f:
    f.write(f"peak_kb={max(peaks.values(), default=0)} pids={len(peaks)}\n")
