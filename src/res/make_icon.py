#!/usr/bin/env python3
"""Draws the program's icon, a pen over a tablet, as a 32 x 32 16-colour .ico.

Run it again to rebuild src/res/tablet.ico: python3 make_icon.py tablet.ico
"""
import struct
import sys

SIZE = 32
# The standard 16-colour palette (B, G, R, 0).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]  # as (R, G, B)
BLACK, DARK_GREY, LIGHT_GREY, WHITE, BLUE, YELLOW, RED = 0, 8, 7, 15, 12, 11, 9
TRANSPARENT = None


def draw():
    px = [[TRANSPARENT] * SIZE for _ in range(SIZE)]
    # The tablet: a dark slab with a light drawing area, seen from above.
    for y in range(12, 30):
        for x in range(2, 30):
            edge = y in (12, 29) or x in (2, 29)
            px[y][x] = BLACK if edge else DARK_GREY
    for y in range(15, 27):
        for x in range(6, 26):
            px[y][x] = LIGHT_GREY if y in (15, 26) or x in (6, 25) else WHITE
    # A stroke the pen has drawn.
    for x in range(8, 20):
        px[23 - (x - 8) // 4][x] = BLUE
    # The pen, lying diagonally from the top right down to its tip.
    for i in range(0, 17):
        cx, cy = 27 - i, 2 + i
        for d in (-1, 0, 1):
            x, y = cx + d, cy + d
            if 0 <= x < SIZE and 0 <= y < SIZE:
                px[y][x] = BLACK if d else (RED if i < 3 else YELLOW)
    tip_x, tip_y = 27 - 17, 2 + 17
    px[tip_y][tip_x] = BLACK
    px[tip_y + 1][tip_x - 1] = BLACK
    return px


def ico_bytes(px):
    xor = bytearray()
    and_mask = bytearray()
    for y in reversed(range(SIZE)):  # bottom-up rows
        row = px[y]
        for x in range(0, SIZE, 2):
            hi = row[x] if row[x] is not None else 0
            lo = row[x + 1] if row[x + 1] is not None else 0
            xor.append((hi << 4) | lo)
        bits = 0
        for x in range(SIZE):
            bits = (bits << 1) | (1 if row[x] is None else 0)
        and_mask += struct.pack(">I", bits)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0,
                         len(xor) + len(and_mask), 0, 0, 16, 0)
    palette = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in PALETTE)
    image = header + palette + bytes(xor) + bytes(and_mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "tablet.ico"
    with open(out, "wb") as f:
        f.write(ico_bytes(draw()))
