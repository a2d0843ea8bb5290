#!/usr/bin/env python3
"""Draws tarlowick's 100x50 logo for xboard's engine list: a knight, the name, a strip of board.

Only the standard library: the shapes are rendered with 4x4 supersampling for smooth edges, the
letters are strokes of a small hand-made font, and the PNG is written with zlib and struct.

usage: draw_logo.py [OUTPUT]    (default: tarlowick.png next to this script)
"""

import math
import os
import struct
import sys
import zlib

WIDTH, HEIGHT = 100, 50
SUBSAMPLES = 4  # per pixel side

BACKGROUND_TOP = (24, 38, 66)
BACKGROUND_BOTTOM = (52, 78, 118)
IVORY = (242, 232, 204)
INK = (18, 22, 32)
GOLD = (240, 214, 140)
DARK_SQUARE = (120, 84, 52)
LIGHT_SQUARE = (226, 196, 150)
FRAME = (110, 140, 190)

# A knight facing left, in a 100 x 120 box (y grows downwards).
KNIGHT_BODY = [
    (24, 104), (30, 88), (40, 76), (47, 66), (44, 61), (34, 63), (22, 67), (13, 65),
    (8, 58), (9, 51), (18, 41), (27, 31), (33, 16), (39, 24), (45, 11), (51, 23),
    (63, 28), (76, 40), (84, 56), (86, 74), (82, 92), (78, 104),
]
KNIGHT_BASE = [(12, 120), (90, 120), (90, 112), (82, 105), (20, 105), (12, 112)]
KNIGHT_EYE = (33, 40, 4.0)  # centre and radius
KNIGHT_NOSTRIL = (14, 55, 2.2)
# The mane's edge, a line inside the silhouette.
KNIGHT_MANE = [(52, 26), (64, 36), (72, 52), (74, 70), (70, 90)]


def ellipse_arc(cx, cy, rx, ry, start_degrees, end_degrees, steps=24):
    """Points along an ellipse in glyph units (y up), from one angle to the other."""
    points = []
    for i in range(steps + 1):
        angle = math.radians(start_degrees + (end_degrees - start_degrees) * i / steps)
        points.append((cx + rx * math.cos(angle), cy + ry * math.sin(angle)))
    return points


# Lower-case letters as polylines in units of the x-height (baseline 0, y up), with advance widths.
GLYPHS = {
    "t": (0.58, [[(0.2, 1.38), (0.2, 0.22)] + ellipse_arc(0.44, 0.22, 0.24, 0.22, 180, 290, 8),
                 [(0.0, 1.0), (0.52, 1.0)]]),
    "a": (0.78, [ellipse_arc(0.35, 0.5, 0.35, 0.5, 0, 360, 32), [(0.72, 1.0), (0.72, 0.0)]]),
    "r": (0.55, [[(0.0, 1.0), (0.0, 0.0)], ellipse_arc(0.38, 0.35, 0.38, 0.62, 180, 75, 12)]),
    "l": (0.22, [[(0.05, 1.45), (0.05, 0.0)]]),
    "o": (0.78, [ellipse_arc(0.37, 0.5, 0.37, 0.5, 0, 360, 32)]),
    "w": (0.98, [[(0.0, 1.0), (0.235, 0.0), (0.47, 0.8), (0.705, 0.0), (0.94, 1.0)]]),
    "i": (0.22, [[(0.05, 1.0), (0.05, 0.0)], [(0.05, 1.36), (0.05, 1.38)]]),
    "c": (0.68, [ellipse_arc(0.37, 0.5, 0.37, 0.5, 40, 320, 24)]),
    "k": (0.64, [[(0.0, 1.45), (0.0, 0.0)], [(0.58, 1.0), (0.0, 0.38)], [(0.18, 0.56), (0.62, 0.0)]]),
}
LETTER_GAP = 0.24  # between glyphs, in x-heights


def blend(under, over, amount):
    return tuple(u + (o - u) * amount for u, o in zip(under, over))


class Canvas:
    def __init__(self):
        self.pixels = []
        for y in range(HEIGHT):
            shade = blend(BACKGROUND_TOP, BACKGROUND_BOTTOM, y / (HEIGHT - 1))
            self.pixels.append([shade] * WIDTH)

    def paint(self, colour, covers, box):
        """Blends `colour` into every pixel of `box` by the share of its subsamples `covers` accepts."""
        left, top, right, bottom = (max(0, int(box[0]) - 1), max(0, int(box[1]) - 1),
                                    min(WIDTH, int(box[2]) + 2), min(HEIGHT, int(box[3]) + 2))
        step = 1.0 / SUBSAMPLES
        for py in range(top, bottom):
            for px in range(left, right):
                hits = 0
                for sy in range(SUBSAMPLES):
                    for sx in range(SUBSAMPLES):
                        if covers(px + (sx + 0.5) * step, py + (sy + 0.5) * step):
                            hits += 1
                if hits:
                    amount = hits / (SUBSAMPLES * SUBSAMPLES)
                    self.pixels[py][px] = blend(self.pixels[py][px], colour, amount)

    def png(self):
        rows = bytearray()
        for row in self.pixels:
            rows.append(0)  # filter: none
            for colour in row:
                rows.extend(max(0, min(255, round(c))) for c in colour)

        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

        header = struct.pack(">IIBBBBB", WIDTH, HEIGHT, 8, 2, 0, 0, 0)  # 8-bit RGB
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(rows), 9))
                + chunk(b"IEND", b""))


def bounding_box(points, margin=0.0):
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return (min(xs) - margin, min(ys) - margin, max(xs) + margin, max(ys) + margin)


def inside_polygon(points):
    def covers(x, y):
        inside = False
        j = len(points) - 1
        for i, (xi, yi) in enumerate(points):
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < xi + (y - yi) * (xj - xi) / (yj - yi):
                inside = not inside
            j = i
        return inside
    return covers


def distance_to_segment(x, y, a, b):
    dx, dy = b[0] - a[0], b[1] - a[1]
    length = dx * dx + dy * dy
    t = 0.0 if length == 0 else max(0.0, min(1.0, ((x - a[0]) * dx + (y - a[1]) * dy) / length))
    return math.hypot(x - (a[0] + t * dx), y - (a[1] + t * dy))


def near_polylines(polylines, half_width, closed=False):
    segments = []
    for line in polylines:
        segments.extend(zip(line, line[1:]))
        if closed:
            segments.append((line[-1], line[0]))

    def covers(x, y):
        return any(distance_to_segment(x, y, a, b) <= half_width for a, b in segments)
    return covers


def inside_rectangle(left, top, right, bottom):
    return lambda x, y: left <= x < right and top <= y < bottom


def inside_circle(cx, cy, radius):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius


def draw_knight(canvas, left, top, height):
    scale = height / 120.0

    def place(points):
        return [(left + x * scale, top + y * scale) for x, y in points]

    for shape in (KNIGHT_BODY, KNIGHT_BASE):
        outline = place(shape)
        canvas.paint(IVORY, inside_polygon(outline), bounding_box(outline))
        canvas.paint(INK, near_polylines([outline], 0.55, closed=True), bounding_box(outline, 1))
    mane = place(KNIGHT_MANE)
    canvas.paint(INK, near_polylines([mane], 0.45), bounding_box(mane, 1))
    for cx, cy, radius in (KNIGHT_EYE, KNIGHT_NOSTRIL):
        (x, y), = place([(cx, cy)])
        canvas.paint(INK, inside_circle(x, y, radius * scale), (x - 2, y - 2, x + 2, y + 2))


def text_width(text, x_height):
    advances = [GLYPHS[letter][0] for letter in text]
    return (sum(advances) + LETTER_GAP * (len(text) - 1)) * x_height


def draw_text(canvas, text, left, baseline, x_height, stroke):
    x = left
    for letter in text:
        advance, polylines = GLYPHS[letter]
        placed = [[(x + gx * x_height, baseline - gy * x_height) for gx, gy in line] for line in polylines]
        points = [p for line in placed for p in line]
        canvas.paint(GOLD, near_polylines(placed, stroke / 2), bounding_box(points, stroke))
        x += (advance + LETTER_GAP) * x_height


def draw_frame(canvas):
    def on_edge(x, y):
        return x < 1 or y < 1 or x >= WIDTH - 1 or y >= HEIGHT - 1
    canvas.paint(FRAME, on_edge, (0, 0, WIDTH, HEIGHT))


def draw_board_strip(canvas, left, top, square, count):
    for i in range(count):
        colour = LIGHT_SQUARE if i % 2 == 0 else DARK_SQUARE
        x = left + i * square
        canvas.paint(colour, inside_rectangle(x, top, x + square, top + square), (x, top, x + square, top + square))


def main():
    output = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                                                 "tarlowick.png")
    canvas = Canvas()
    draw_knight(canvas, left=2, top=3, height=44)
    name_left, x_height = 38.5, 8.0
    draw_text(canvas, "tarlowick", name_left, baseline=27, x_height=x_height, stroke=1.7)
    width = text_width("tarlowick", x_height)
    square = 7
    count = 8
    draw_board_strip(canvas, round(name_left + (width - square * count) / 2), 34, square, count)
    draw_frame(canvas)
    with open(output, "wb") as png:
        png.write(canvas.png())


if __name__ == "__main__":
    main()
