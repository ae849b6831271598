#!/usr/bin/env python3
"""Draws the program's own icon, a photo album with a leaf, as PNG files for the hicolor theme:
packaging/icons/NxN.png for N in 16, 32, 48, 64, 128 and 256 (no third-party modules).

The shapes are laid out on a 64 x 64 grid and scaled to each size, so every size is drawn
afresh rather than shrunk from the largest.
"""
import math
import os

from make_icons import circle, png, polygon, render, segment

SIZES = (16, 32, 48, 64, 128, 256)


def rounded_rect(x1, y1, x2, y2, radius):
    def inside(x, y):
        if not (x1 <= x <= x2 and y1 <= y <= y2):
            return False
        cx = min(max(x, x1 + radius), x2 - radius)
        cy = min(max(y, y1 + radius), y2 - radius)
        return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2
    return inside


def leaf(cx, cy, length, width, angle):
    cos, sin = math.cos(angle), math.sin(angle)

    def inside(x, y):
        u = (x - cx) * cos + (y - cy) * sin
        v = -(x - cx) * sin + (y - cy) * cos
        # Pointed at both ends: the half-width shrinks towards the tips.
        if abs(u) > length:
            return False
        return abs(v) <= width * (1 - (u / length) ** 2)
    return inside


def scaled(shape, factor):
    return lambda x, y: shape(x / factor, y / factor)


def layers(size):
    f = size / 64
    design = [
        (rounded_rect(8, 5, 56, 59, 5), (160, 100, 55)),       # the album's cover
        (rounded_rect(8, 5, 17, 59, 4), (115, 68, 35)),         # its spine
        (rounded_rect(21, 11, 52, 41, 2), (250, 250, 245)),     # a photo's white border
        (polygon([(24, 14), (49, 14), (49, 38), (24, 38)]), (150, 200, 240)),  # sky
        (polygon([(24, 38), (24, 30), (32, 24), (40, 31), (44, 28), (49, 33), (49, 38)]),
         (110, 170, 80)),                                       # a field
        (circle(43, 20, 3), (255, 210, 60)),                    # the sun
        (leaf(44, 49, 14.5, 7.5, -math.pi / 4), (30, 100, 30)),  # the leaf's edge
        (leaf(44, 49, 13, 6.3, -math.pi / 4), (80, 190, 70)),   # the leaf
        (segment(35.5, 57.5, 52, 41, 1.3), (35, 110, 35)),      # its vein
    ]
    return [(scaled(shape, f), colour) for shape, colour in design]


if __name__ == "__main__":
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "packaging", "icons")
    os.makedirs(folder, exist_ok=True)
    for size in SIZES:
        png(os.path.join(folder, "%dx%d.png" % (size, size)), render(layers(size), size))
