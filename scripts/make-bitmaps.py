#!/usr/bin/env python3
"""Draws the program's logo bitmaps and icon into src/ui/bitmaps.

The pictures are our own, drawn from simple shapes:
  logo131.bmp     230 x 110, 1 bit per pixel: two tape reels joined by the
                  tape, dark strokes on white (the background window draws it
                  as a light logo with a dark shadow);
  oemlogo159.bmp  148 x 33, 24 bits per pixel: the partner's product logo, a
                  cassette outline beside coloured stripes;
  setup.ico       32 x 32, 4 bits per pixel: a tape reel;
  barrel144.ico   32 x 32, 16 colours: a blue steel drum (first frame of the
                  uninstall animation);
  burning145.ico  the same drum in flames (second frame);
  checkmark146.ico, checkmark140.ico
                  a black check mark (a removal step is done; 140 is the
                  fifth step's marker, never shown).

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


# The standard 16-colour palette (as the display shows 16-colour icons).
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, OLIVE, NAVY, SILVER, GREY, RED, YELLOW, WHITE = 0, 1, 3, 4, 7, 8, 9, 11, 15


def write_icon4(path, palette, pixel):
    """A 32 x 32, 16-colour icon; pixel(x, y) gives a palette index or None
    (transparent)."""
    w = h = 32
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


def setup_icon(x, y):
    """The program icon: a blue tape reel (palette: 0 black, 1 blue, 2 light
    grey, 15 white)."""
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


def setup_palette():
    palette = [(0, 0, 0)] * 16
    palette[1] = (0, 0, 200)
    palette[2] = (192, 192, 192)
    palette[15] = (255, 255, 255)
    return palette


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def check_mark(x, y):
    """A black check mark: a short stroke down to the right, a long one up."""
    px, py = x + 0.5, y + 0.5
    d = min(segment_distance(px, py, 6, 17, 13, 25), segment_distance(px, py, 13, 25, 27, 7))
    return BLACK if d <= 2.4 else None


# The barrel: a blue steel drum standing on the bottom, bulging a little,
# with an open top, two rolling hoops, shaded from the left.
BLUE = 12
BARREL_TOP, BARREL_BOTTOM, BARREL_CX = 12, 30, 15.5


def barrel_half_width(y):
    t = (y - BARREL_TOP) / (BARREL_BOTTOM - BARREL_TOP)
    return 7.0 + 1.2 * math.sin(math.pi * t)


def barrel(x, y):
    px, py = x + 0.5, y + 0.5
    if py < BARREL_TOP - 2.5 or py > BARREL_BOTTOM + 0.5:
        return None
    # the open top: an ellipse seen from a little above, its rim and the
    # dark inside
    lid = ((px - BARREL_CX) / 7.2) ** 2 + ((py - BARREL_TOP) / 2.4) ** 2
    if lid <= 1.0:
        if lid > 0.72:
            return BLACK
        return SILVER if lid > 0.4 else BLACK
    if py <= BARREL_TOP:
        return None
    half = barrel_half_width(py)
    u = (px - BARREL_CX) / half  # -1 left edge .. 1 right edge
    if abs(u) > 1.0:
        return None
    if abs(u) > 0.86 or py > BARREL_BOTTOM - 1:
        return BLACK
    # hoops
    for hoop in (18.0, 25.0):
        if abs(py - hoop) <= 0.9:
            return SILVER if u < 0.3 else GREY
    # shading: a highlight left of the middle, darker towards the right
    if -0.5 <= u <= -0.3:
        return WHITE
    if u < 0.45:
        return BLUE
    return NAVY


def flame_part(px, py, cx, base, height, width, phase):
    """Inside a flame tongue: 0 outside, else how deep (0..1]."""
    t = (base - py) / height
    if t < 0 or t > 1:
        return 0.0
    sway = 1.6 * math.sin(t * 3.2 + phase) * t
    profile = width * (1 - t) ** 0.75 * min(1.0, 0.55 + 2.5 * t)
    d = abs(px - cx - sway)
    return 0.0 if d > profile else 1 - d / profile


def flames(x, y):
    px, py = x + 0.5, y + 0.5
    depth = 0.0
    for cx, height, width, phase in ((10.0, 10, 3.4, 0.3), (15.5, 13.5, 4.6, 2.0),
                                     (21.0, 9.5, 3.4, 4.1), (12.5, 7, 2.8, 1.0),
                                     (18.5, 8, 2.8, 5.2)):
        depth = max(depth, flame_part(px, py, cx, 14.0, height, width, phase))
    if depth <= 0:
        return None
    if depth > 0.75 and py > 9:
        return WHITE
    if depth > 0.45:
        return YELLOW
    return RED if depth > 0.12 else MAROON


def burning_barrel(x, y):
    """The same drum, flames rising from its open top and over the rim."""
    f = flames(x, y)
    b = barrel(x, y)
    if f is not None and (b is None or y + 0.5 <= BARREL_TOP + 1):
        return f
    return b


def main():
    os.makedirs(OUT, exist_ok=True)
    write_bmp_mono(os.path.join(OUT, "logo131.bmp"), 230, 110, logo131)
    write_bmp_24(os.path.join(OUT, "oemlogo159.bmp"), 148, 33, oem159)
    write_icon4(os.path.join(OUT, "setup.ico"), setup_palette(), setup_icon)
    write_icon4(os.path.join(OUT, "barrel144.ico"), VGA, barrel)
    write_icon4(os.path.join(OUT, "burning145.ico"), VGA, burning_barrel)
    write_icon4(os.path.join(OUT, "checkmark146.ico"), VGA, check_mark)
    # The fifth step's marker is never shown; it is the same check mark.
    write_icon4(os.path.join(OUT, "checkmark140.ico"), VGA, check_mark)


if __name__ == "__main__":
    main()
