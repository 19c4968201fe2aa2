#!/usr/bin/env python3
"""Writes the sample product's program, driver and help files into OUTDIR.

They are stand-ins: deterministic bytes shaped like the real thing (an
executable header, code-like bytes, message tables, zero padding) so that the
disk set has realistic sizes and compresses like real programs do. None of
them is meant to run.  Usage: gen-binaries.py OUTDIR
"""
import os
import random
import struct
import sys

MESSAGES = [
    "Backup of %s completed: %u files, %lu KB.",
    "Insert tape %u of backup set %s.",
    "The tape in the drive is write-protected.",
    "Drive not ready. Insert a cartridge and try again.",
    "Rebuilding the catalog of the tape. This reads the whole tape.",
    "Formatting a QIC-80 cartridge takes about 90 minutes.",
    "Compare found %u differences. See the log for details.",
    "The scheduled job %s could not start: the drive is in use.",
    "Restore %s to its original folder?",
    "Erase the tape? All backups on it will be lost.",
    "Halvorn Scheduler",
    "Tools\tFormat Tape\tTest Drive\tRebuild Catalog\tDrive Settings",
    "Job\tBackup\tRestore\tCompare\tSchedule",
    "Full\tIncremental\tDifferential\tCopy",
]


def code_bytes(rnd, n):
    """Bytes with the statistics of machine code: frequent opcodes and
    idioms, small immediates, repeated call and jump shapes."""
    idioms = [bytes([0x55, 0x8B, 0xEC]), bytes([0x5D, 0xC3]), bytes([0x83, 0xEC]),
              bytes([0x8B, 0x45]), bytes([0x89, 0x45]), bytes([0xFF, 0x15]),
              bytes([0xE8]), bytes([0x6A, 0x00]), bytes([0x85, 0xC0, 0x74]),
              bytes([0x33, 0xC0]), bytes([0x50]), bytes([0x51]), bytes([0x8D, 0x4D])]
    out = bytearray()
    while len(out) < n:
        r = rnd.random()
        if r < 0.55:
            out += rnd.choice(idioms)
        elif r < 0.85:
            out.append(rnd.choice([0x00, 0x01, 0x04, 0x08, 0x10, 0xFF, rnd.getrandbits(8)]))
        else:
            out += struct.pack("<I", 0x401000 + rnd.getrandbits(16))
    return bytes(out[:n])


def text_table(rnd, n, name):
    out = bytearray()
    i = 0
    while len(out) < n:
        msg = MESSAGES[i % len(MESSAGES)]
        out += struct.pack("<H", i) + msg.encode("ascii") + b"\0"
        if i % 7 == 0:
            out += (name + " " + str(i)).encode("ascii") + b"\0"
        i += 1
    return bytes(out[:n])


def executable(rnd, size, name):
    stub = bytearray(b"MZ" + bytes(58) + struct.pack("<I", 0x80))
    stub += b"\x0e\x1f\xba\x0e\x00\xb4\x09\xcd\x21\xb8\x01\x4c\xcd\x21"
    stub += b"This program cannot be run in DOS mode.\r\r\n$"
    stub = stub.ljust(0x80, b"\0")
    body = bytearray(b"PE\0\0")
    body += (name.encode("ascii") + b" - Halvorn 7.0 - Brennick Corporation\0").ljust(64, b"\0")
    remaining = size - len(stub) - len(body)
    while remaining > 0:
        part = min(remaining, rnd.randint(4096, 32768))
        kind = rnd.random()
        if kind < 0.6:
            chunk = code_bytes(rnd, part)
        elif kind < 0.8:
            chunk = text_table(rnd, part, name)
        elif kind < 0.9:
            chunk = bytes(rnd.getrandbits(8) for _ in range(part))  # packed data
        else:
            chunk = bytes(part)  # alignment and uninitialised data
        body += chunk
        remaining -= part
    return bytes(stub + body)[:size]


def help_file(rnd, size, title):
    topics = ["Backing up files", "Restoring files", "Formatting a tape",
              "Scheduling backups", "Tape formats", "Rebuilding a catalog",
              "Drive settings", "Comparing a backup", "Erasing a tape"]
    words = ("the a to of and tape drive backup restore file folder set job "
             "catalog cartridge choose click window menu option verify compare "
             "schedule time format you your is can when".split())
    out = bytearray(b"?_\x03\x00" + title.encode("ascii") + b"\0")
    while len(out) < size:
        out += b"\x00\x02" + rnd.choice(topics).encode("ascii") + b"\0"
        sentence = " ".join(rnd.choice(words) for _ in range(rnd.randint(6, 18)))
        out += sentence.capitalize().encode("ascii") + b".\x80\x01"
        if rnd.random() < 0.2:
            out += bytes(rnd.getrandbits(8) for _ in range(rnd.randint(16, 200)))
    return bytes(out[:size])


FILES = [
    ("HALVORN.EXE", "exe", 1100000),
    ("SCD.EXE", "exe", 180000),
    ("UPGRADE.EXE", "exe", 90000),
    ("LFNBK.EXE", "exe", 45000),
    ("TAPEIO.DLL", "exe", 260000),
    ("TAPECAT.DLL", "exe", 200000),
    ("QICFMT.DLL", "exe", 150000),
    ("ZEMAQW.VXD", "exe", 70000),
    ("drivers/ZEMAQWNT.SYS", "exe", 60000),
    ("HALVORN.HLP", "hlp", 420000),
    ("help/FORMATS.HLP", "hlp", 120000),
    ("help/TROUBLE.HLP", "hlp", 90000),
]


def main():
    out = sys.argv[1]
    for rel, kind, size in FILES:
        rnd = random.Random(rel)  # same bytes on every run
        path = os.path.join(out, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        name = os.path.basename(rel)
        data = executable(rnd, size, name) if kind == "exe" else help_file(rnd, size, name)
        with open(path, "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
