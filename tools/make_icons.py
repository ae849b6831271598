#!/usr/bin/env python3
"""Draws the program's small icons as PNG files into app/icons/ (no third-party modules).

Each shape is rasterised with 4x4 supersampling, so edges are smooth at 32 x 32 pixels.
"""
import math
import os
import struct
import zlib

SIZE = 32
SUB = 4


def png(path, pixels):
    size = len(pixels)
    raw = b"".join(b"\x00" + bytes(sum((list(p) for p in row), [])) for row in pixels)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def render(layers, size=SIZE):
    """layers: list of (inside(x, y) -> bool, (r, g, b)) painted in order."""
    pixels = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = a = 0.0
            for sy in range(SUB):
                for sx in range(SUB):
                    x = px + (sx + 0.5) / SUB
                    y = py + (sy + 0.5) / SUB
                    colour = None
                    for inside, c in layers:
                        if inside(x, y):
                            colour = c
                    if colour:
                        r += colour[0]; g += colour[1]; b += colour[2]; a += 1
            n = SUB * SUB
            if a:
                row.append((round(r / a), round(g / a), round(b / a), round(255 * a / n)))
            else:
                row.append((0, 0, 0, 0))
        pixels.append(row)
    return pixels


def circle(cx, cy, radius):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def ring(cx, cy, outer, inner):
    return lambda x, y: inner ** 2 <= (x - cx) ** 2 + (y - cy) ** 2 <= outer ** 2


def segment(x1, y1, x2, y2, width):
    def inside(x, y):
        dx, dy = x2 - x1, y2 - y1
        t = max(0.0, min(1.0, ((x - x1) * dx + (y - y1) * dy) / (dx * dx + dy * dy)))
        return (x - x1 - t * dx) ** 2 + (y - y1 - t * dy) ** 2 <= (width / 2) ** 2
    return inside


def polygon(points):
    def inside(x, y):
        result = False
        j = len(points) - 1
        for i in range(len(points)):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result
    return inside


def rect(x1, y1, x2, y2):
    return lambda x, y: x1 <= x <= x2 and y1 <= y <= y2


def star_points(cx, cy, outer, inner):
    points = []
    for i in range(10):
        angle = -math.pi / 2 + i * math.pi / 5
        radius = outer if i % 2 == 0 else inner
        points.append((cx + radius * math.cos(angle), cy + radius * math.sin(angle)))
    return points


def any_of(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


DARK = (60, 60, 60)
ICONS = {
    "magnifier": [(ring(13, 13, 10, 7), DARK), (circle(13, 13, 7), (200, 230, 255)),
                  (segment(20, 20, 28, 28, 5), DARK)],
    "star_grey": [(polygon(star_points(16, 17, 15, 6.5)), (120, 120, 120)),
                  (polygon(star_points(16, 17, 12, 5)), (205, 205, 205))],
    "star_yellow": [(polygon(star_points(16, 17, 15, 6.5)), (200, 140, 0)),
                    (polygon(star_points(16, 17, 12, 5)), (255, 215, 0))],
    "tag": [(polygon([(4, 12), (12, 4), (28, 4), (28, 20), (20, 28), (4, 28)]), (200, 90, 0)),
            (polygon([(6, 13), (13, 6), (26, 6), (26, 19), (19, 26), (6, 26)]), (255, 140, 0)),
            (circle(22, 10, 2.5), (255, 255, 255))],
    "delete": [(circle(16, 16, 14), (210, 30, 30)),
               (any_of(segment(10, 10, 22, 22, 4), segment(22, 10, 10, 22, 4)), (255, 255, 255))],
    "import": [(rect(5, 20, 27, 28), (90, 120, 160)), (rect(8, 20, 24, 24), (200, 220, 240)),
               (any_of(rect(13, 3, 19, 13), polygon([(8, 12), (24, 12), (16, 21)])), (30, 150, 60))],
    "settings": [(any_of(*(segment(16 + 8 * math.cos(a), 16 + 8 * math.sin(a),
                                   16 + 14 * math.cos(a), 16 + 14 * math.sin(a), 5)
                           for a in [i * math.pi / 4 for i in range(8)])), (90, 90, 100)),
                 (circle(16, 16, 10), (90, 90, 100)), (circle(16, 16, 4.5), (235, 235, 240))],
    "help": [(circle(16, 16, 14), (30, 100, 200)),
             (any_of(ring(16, 12, 6.5, 3.5), rect(14.5, 15, 17.5, 21), circle(16, 25, 2)), (255, 255, 255)),
             (rect(6, 12, 16, 16), (30, 100, 200))],
}

WHITE = (255, 255, 255)
# Pictures of other sizes: the album's favourite mark (white is its transparent colour, so it
# is drawn on white) and the picture of a row whose thumbnail cannot be read.
PICTURES = {
    "favourite_mark": (24, [(rect(0, 0, 24, 24), WHITE),
                            (polygon(star_points(12, 12.8, 11.5, 4.8)), (200, 140, 0)),
                            (polygon(star_points(12, 12.8, 9, 3.8)), (255, 215, 0))]),
    "no_thumbnail": (96, [(rect(4, 14, 92, 82), (150, 150, 150)),
                          (rect(7, 17, 89, 79), (235, 235, 235)),
                          (circle(30, 36, 7), (190, 190, 190)),
                          (polygon([(12, 74), (36, 48), (52, 64), (64, 54), (84, 74)]), (190, 190, 190)),
                          (circle(68, 56, 17), (200, 40, 40)),
                          (circle(68, 56, 13), (235, 235, 235)),
                          (segment(59, 65, 77, 47, 4), (200, 40, 40))]),
}

if __name__ == "__main__":
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "app", "icons")
    os.makedirs(folder, exist_ok=True)
    for name, layers in ICONS.items():
        png(os.path.join(folder, name + ".png"), render(layers))
    for name, (size, layers) in PICTURES.items():
        png(os.path.join(folder, name + ".png"), render(layers, size))
