#!/usr/bin/env python3
"""Cuts the benchmark corpus into the files of a product and writes its
description for mkdisks (docs/disk-sets.md).

    make_product.py CORPUS STAGE_DIR [DISK_SIZE]

STAGE_DIR gets the files (as a product's files: a few large, many small,
each a slice of the corpus of mixed text and binary data) and
bench.product, every file compressed, with fixed time stamps. The whole
corpus is used, so the product's expanded size is the corpus's size."""
import os
import sys

corpus, stage = sys.argv[1], sys.argv[2]
disk_size = sys.argv[3] if len(sys.argv) > 3 else "3500000"
data = open(corpus, "rb").read()
os.makedirs(stage, exist_ok=True)
sizes = [3000000, 1500000, 700000, 300000, 100000, 20000, 5000, 1000]
exts = ["EXE", "DLL", "HLP", "TXT", "DAT", "CNT", "INI", "SET"]
lines = []
at = 0
n = 0
while at < len(data):
    size = min(sizes[n % len(sizes)], len(data) - at)
    name = "BEN%03d.%s" % (n, exts[n % len(exts)])
    with open(os.path.join(stage, name), "wb") as f:
        f.write(data[at:at + size])
    lines.append("%-16s compress /T 883612800" % name)
    at += size
    n += 1
with open(os.path.join(stage, "bench.product"), "w") as f:
    f.write("# Benchmark product: %d files, %d bytes expanded.\n" % (n, len(data)))
    f.write("prd = Halvorn\nver = 7.0\nplt = 95/NT\nifc = QIC\nlng = ENG\naux = N\n")
    f.write("disk-size = %s\nlabel = Benchmark\n\n[files]\n" % disk_size)
    f.write("\n".join(lines) + "\n")
print("files=%d bytes=%d" % (n, len(data)))
