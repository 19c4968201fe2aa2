#!/usr/bin/env python3
"""Draws the program's logo bitmaps and icon into src/ui/bitmaps.

The pictures are our own, drawn from simple shapes:
  logo131.bmp     230 x 110, 1 bit per pixel: two tape reels joined by the
                  tape, dark strokes on white (the background window draws it
                  as a light logo with a dark shadow);
  oemlogo159.bmp  148 x 33, 24 bits per pixel: the partner's product logo, a
                  cassette outline beside coloured stripes;
  setup.ico       32 x 32, 4 bits per pixel: a tape reel.

Run it from anywhere; the outputs are committed, the build only reads them.
"""
import math
import os
import struct

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src", "ui", "bitmaps")


def ring(px, py, cx, cy, r_out, r_in):
    d = math.hypot(px - cx, py - cy)
    return r_in <= d <= r_out


def reel(px, py, cx, cy, r):
    """A tape reel: rim, hub and three spoke windows."""
    if ring(px, py, cx, cy, r, r - 6):
        return True
    if ring(px, py, cx, cy, r * 0.30, r * 0.30 - 5):
        return True
    d = math.hypot(px - cx, py - cy)
    if r * 0.30 <= d <= r - 6:
        ang = math.degrees(math.atan2(py - cy, px - cx)) % 120.0
        # spokes 9 degrees wide every 120 degrees
        if ang < 9.0:
            return True
    # the wound tape: a filled band just inside the rim on the lower half
    if r * 0.45 <= d <= r * 0.62:
        return True
    return False


def logo131(x, y):
    """True where the logo is dark."""
    left = (56, 52, 44)
    right = (174, 52, 44)
    if reel(x, y, *left) or reel(x, y, *right):
        return True
    # the tape running under both reels
    if 96 - 5 <= y <= 96 and left[0] <= x <= right[0]:
        return True
    # a tape head between the reels
    if 78 <= y <= 104 and 104 <= x <= 126 and (y >= 99 or x <= 108 or x >= 122):
        return True
    # three speed lines to the right
    for i, yy in enumerate((14, 24, 34)):
        if yy <= y <= yy + 3 and 214 - i * 6 <= x <= 228:
            return True
    return False


def write_bmp_mono(path, w, h, dark):
    stride = ((w + 31) // 32) * 4
    rows = []
    for y in range(h - 1, -1, -1):  # bottom-up
        row = bytearray(stride)
        for x in range(w):
            if not dark(x, y):  # bit 1: palette entry 1, white
                row[x // 8] |= 0x80 >> (x % 8)
        rows.append(bytes(row))
    pixels = b"".join(rows)
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 1, 0, len(pixels), 2835, 2835, 2, 2)
    with open(path, "wb") as f:
        f.write(header + info + palette + pixels)


def oem159(x, y):
    """Colour of the partner's logo at (x, y) as (r, g, b)."""
    navy = (16, 32, 80)
    white = (255, 255, 255)
    # rounded dark plate
    w, h, rad = 148, 33, 6
    cx = min(max(x, rad), w - 1 - rad)
    cy = min(max(y, rad), h - 1 - rad)
    if math.hypot(x - cx, y - cy) > rad:
        return white
    # cassette outline on the left
    if 6 <= x <= 46 and 5 <= y <= 27:
        edge = x in (6, 7, 45, 46) or y in (5, 6, 26, 27)
        window = 14 <= x <= 38 and 11 <= y <= 19
        if edge:
            return white
        if window:
            if ring(x, y, 19, 15, 3.5, 1.5) or ring(x, y, 33, 15, 3.5, 1.5):
                return white
            return (60, 80, 130)
        if 18 <= x <= 34 and 22 <= y <= 24:
            return white
        return navy
    # stripes in warm colours to the right
    stripes = ((230, 60, 40), (245, 140, 30), (250, 200, 40))
    for i, col in enumerate(stripes):
        top = 8 + i * 6
        if top <= y <= top + 3 and 54 + i * 8 <= x <= 140:
            return col
    return navy


def write_bmp_24(path, w, h, colour):
    stride = (w * 3 + 3) & ~3
    rows = []
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for x in range(w):
            r, g, b = colour(x, y)
            row += bytes((b, g, r))
        row += bytes(stride - len(row))
        rows.append(bytes(row))
    pixels = b"".join(rows)
    offset = 14 + 40
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pixels)


def write_icon(path):
    """A 32 x 32, 16-colour icon of a blue tape reel."""
    w = h = 32
    # palette index: 0 black, 1 blue, 2 light grey, 15 white
    palette = [(0, 0, 0)] * 16
    palette[1] = (0, 0, 200)
    palette[2] = (192, 192, 192)
    palette[15] = (255, 255, 255)

    def pixel(x, y):
        d = math.hypot(x + 0.5 - 16, y + 0.5 - 16)
        if d > 15:
            return None  # transparent
        if d > 13.5:
            return 0
        if d < 3:
            return 15
        if d < 5:
            return 0
        ang = math.degrees(math.atan2(y + 0.5 - 16, x + 0.5 - 16)) % 120.0
        if ang < 14:
            return 2
        return 1

    xor_rows, and_rows = [], []
    for y in range(h - 1, -1, -1):
        xr = bytearray(w // 2)
        ar = bytearray(4)
        for x in range(w):
            p = pixel(x, y)
            if p is None:
                ar[x // 8] |= 0x80 >> (x % 8)
                p = 0
            xr[x // 2] |= p << (4 if x % 2 == 0 else 0)
        xor_rows.append(bytes(xr))
        and_rows.append(bytes(ar))
    pal = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    xor = b"".join(xor_rows)
    andm = b"".join(and_rows)
    info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 4, 0, len(xor) + len(andm), 0, 0, 16, 0)
    image = info + pal + xor + andm
    header = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", w, h, 16, 0, 1, 4, len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(header + entry + image)


def main():
    os.makedirs(OUT, exist_ok=True)
    write_bmp_mono(os.path.join(OUT, "logo131.bmp"), 230, 110, logo131)
    write_bmp_24(os.path.join(OUT, "oemlogo159.bmp"), 148, 33, oem159)
    write_icon(os.path.join(OUT, "setup.ico"))


if __name__ == "__main__":
    main()
