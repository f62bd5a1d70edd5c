#!/usr/bin/env python3
"""Draws the pointer's paths recorded by bench/steady_main.cpp into a PNG.

Left: the pen held still with +-3 px of noise (grey dots, 24 times enlarged)
and the pixels the pointer visited after the first 300 ms, without smoothing
(red) and with Smoothing 5 (blue).  Right: the end of a stroke at 10 px per
packet, the position along the stroke over time (grey: the pen; red and
blue: the pointer), the resting point and 1 px either side as lines.

    steady-picture.py PATHS.csv OUT.png
"""
import csv
import struct
import sys
import zlib

GREY, RED, BLUE = (150, 150, 150), (220, 40, 40), (40, 80, 220)
LIGHT_RED, LINE, FRAME = (250, 200, 200), (200, 200, 200), (90, 90, 90)
PANEL_W, PANEL_H, GAP = 360, 300, 20


class Canvas:
    def __init__(self, width, height):
        self.width, self.height = width, height
        self.rows = [bytearray(b"\xff" * width * 3) for _ in range(height)]

    def dot(self, x, y, colour, size=1):
        for yy in range(int(y) - size // 2, int(y) - size // 2 + size):
            for xx in range(int(x) - size // 2, int(x) - size // 2 + size):
                if 0 <= xx < self.width and 0 <= yy < self.height:
                    self.rows[yy][xx * 3:xx * 3 + 3] = bytes(colour)

    def rect(self, x0, y0, x1, y1, colour):
        for y in range(int(y0), int(y1)):
            for x in range(int(x0), int(x1)):
                self.dot(x, y, colour)

    def frame(self, x0, y0, x1, y1):
        for x in range(x0, x1):
            self.dot(x, y0, FRAME)
            self.dot(x, y1 - 1, FRAME)
        for y in range(y0, y1):
            self.dot(x0, y, FRAME)
            self.dot(x1 - 1, y, FRAME)

    def png(self):
        raw = b"".join(b"\x00" + bytes(row) for row in self.rows)

        def chunk(kind, data):
            return (struct.pack(">I", len(data)) + kind + data +
                    struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def read_paths(path):
    runs = {}
    with open(path, newline="") as f:
        for row in csv.DictReader(f):
            runs.setdefault((row["run"], row["what"]), []).append(
                (float(row["ms"]), float(row["x"]), float(row["y"])))
    return runs


def draw_rest(canvas, runs, left):
    pen = runs[("rest-raw", "pen")]
    cx = sum(p[1] for p in pen) / len(pen)
    cy = sum(p[2] for p in pen) / len(pen)
    scale = 24

    def at(x, y):
        return (left + PANEL_W / 2 + (x - cx) * scale, PANEL_H / 2 + (y - cy) * scale)
    for run, colour, inset in (("rest-raw", LIGHT_RED, 1), ("rest-smoothed", BLUE, 6)):
        for ms, x, y in runs.get((run, "pointer"), []):
            if ms < 300:
                continue
            x0, y0 = at(x, y)
            canvas.rect(x0 + inset, y0 + inset, x0 + scale - inset, y0 + scale - inset,
                        colour)
    for ms, x, y in pen:
        px, py = at(x + 0.5, y + 0.5)  # a pen point inside its pixel's square
        canvas.dot(px, py, GREY, 3)
    canvas.frame(left, 0, left + PANEL_W, PANEL_H)


def draw_stroke_end(canvas, runs, left):
    pen = runs[("stroke-raw", "pen")]
    rest = pen[-1][1]
    end = next(ms for ms, x, y in pen if x == rest)
    t0, t1, below, above = -110.0, 150.0, -140.0, 10.0

    def at(ms, x, t_end):
        return (left + (ms - t_end - t0) / (t1 - t0) * PANEL_W,
                (above - (x - rest)) / (above - below) * PANEL_H)
    for offset in (-1, 0, 1):
        y = at(0, rest + offset, 0)[1]
        for x in range(left, left + PANEL_W, 2 if offset else 1):
            canvas.dot(x, y, LINE)
    for run, colour, size in (("stroke-raw", RED, 5), ("stroke-smoothed", BLUE, 3)):
        run_end = next(ms for ms, x, y in runs[(run, "pen")] if x == rest)
        for ms, x, y in runs.get((run, "pointer"), []):
            canvas.dot(*at(ms, x, run_end), colour, size)
    for ms, x, y in pen:
        canvas.dot(*at(ms, x, end), GREY, 3)
    canvas.frame(left, 0, left + PANEL_W, PANEL_H)


def main():
    runs = read_paths(sys.argv[1])
    canvas = Canvas(2 * PANEL_W + GAP, PANEL_H)
    draw_rest(canvas, runs, 0)
    draw_stroke_end(canvas, runs, PANEL_W + GAP)
    with open(sys.argv[2], "wb") as f:
        f.write(canvas.png())


if __name__ == "__main__":
    main()
