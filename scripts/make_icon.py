#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Draws Tavo's application icon: resources/Vell.png (256 x 256, RGBA), which
the alerts show, and the same drawing at every size of the hicolor icon theme
in desktop/icons/hicolor/NxN/apps/tavo.png, which the desktop shows.

A layout page on a blue tile with an orange "open" badge, drawn on a 256-unit
grid. Standard library only; each pixel is the average of samples 1/4 unit
apart at 256 pixels and as many per unit at the smaller sizes (so a 16-pixel
icon averages 64 x 64 samples a pixel), which smooths the edges and lets the
thin page lines fade instead of flicker.
Run it again after changing the drawing: python3 scripts/make_icon.py
"""

import math
import os
import struct
import zlib

SIZE = 256
SAMPLES = 4
HICOLOR_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)

TILE_TOP = (28, 96, 146)
TILE_BOTTOM = (10, 47, 79)
PAGE = (251, 251, 247)
FOLD = (208, 217, 226)
SHADOW = (4, 22, 38)
LINES = (150, 172, 196)
BADGE = (242, 140, 40)
WHITE = (255, 255, 255)


def in_rounded_rect(x, y, left, top, right, bottom, radius):
    if x < left or x > right or y < top or y > bottom:
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def near_segment(x, y, ax, ay, bx, by, half_width):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    px, py = ax + t * dx, ay + t * dy
    return (x - px) ** 2 + (y - py) ** 2 <= half_width ** 2


def in_triangle(x, y, a, b, c):
    def side(p, q):
        return (q[0] - p[0]) * (y - p[1]) - (q[1] - p[1]) * (x - p[0])
    s1, s2, s3 = side(a, b), side(b, c), side(c, a)
    return (s1 >= 0 and s2 >= 0 and s3 >= 0) or (s1 <= 0 and s2 <= 0 and s3 <= 0)


PAGE_LEFT, PAGE_TOP, PAGE_RIGHT, PAGE_BOTTOM, FOLD_SIZE = 64, 40, 176, 200, 34
BADGE_X, BADGE_Y, BADGE_R = 178, 182, 42


def in_page(x, y, dx=0.0, dy=0.0):
    x, y = x - dx, y - dy
    if not (PAGE_LEFT <= x <= PAGE_RIGHT and PAGE_TOP <= y <= PAGE_BOTTOM):
        return False
    # The folded corner is cut off the page.
    return (x - (PAGE_RIGHT - FOLD_SIZE)) + (PAGE_TOP - y) <= 0 or x <= PAGE_RIGHT - FOLD_SIZE


def sample(x, y):
    """The colour and opacity at one point, painted back to front."""
    if not in_rounded_rect(x, y, 8, 8, 248, 248, 46):
        return None
    t = (y - 8) / 240
    color = tuple(TILE_TOP[i] + (TILE_BOTTOM[i] - TILE_TOP[i]) * t for i in range(3))

    if in_page(x, y, 5, 7):
        color = tuple(color[i] * 0.65 + SHADOW[i] * 0.35 for i in range(3))
    if in_page(x, y):
        color = PAGE
        for row, length in ((76, 84), (94, 72), (112, 84), (130, 56), (148, 78), (166, 40)):
            if near_segment(x, y, PAGE_LEFT + 16, row, PAGE_LEFT + 16 + length, row, 4):
                color = LINES
    fold = ((PAGE_RIGHT - FOLD_SIZE, PAGE_TOP), (PAGE_RIGHT - FOLD_SIZE, PAGE_TOP + FOLD_SIZE),
            (PAGE_RIGHT, PAGE_TOP + FOLD_SIZE))
    if in_triangle(x, y, *fold):
        color = FOLD

    distance = math.hypot(x - BADGE_X, y - BADGE_Y)
    if distance <= BADGE_R + 6:
        color = WHITE
    if distance <= BADGE_R:
        color = BADGE
        # An arrow out of the page: into the application that made it.
        tip_x, tip_y = BADGE_X + 18, BADGE_Y - 18
        if near_segment(x, y, BADGE_X - 17, BADGE_Y + 17, tip_x - 6, tip_y + 6, 6.5):
            color = WHITE
        if in_triangle(x, y, (tip_x + 3, tip_y - 3), (tip_x - 25, tip_y - 3),
                       (tip_x + 3, tip_y + 25)):
            color = WHITE
    return color


def render(size):
    scale = SIZE / size
    samples = SAMPLES * SIZE // size
    rows = []
    step = 1.0 / samples
    for py in range(size):
        row = bytearray([0])  # filter type: none
        for px in range(size):
            r = g = b = a = 0.0
            for sy in range(samples):
                for sx in range(samples):
                    c = sample((px + (sx + 0.5) * step) * scale, (py + (sy + 0.5) * step) * scale)
                    if c is not None:
                        r, g, b, a = r + c[0], g + c[1], b + c[2], a + 1
            if a:
                row += bytes((round(r / a), round(g / a), round(b / a),
                              round(255 * a / samples ** 2)))
            else:
                row += bytes(4)
        rows.append(bytes(row))
    return b"".join(rows)


def png(width, height, rgba):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(rgba, 9)) + chunk(b"IEND", b""))


if __name__ == "__main__":
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    for size in HICOLOR_SIZES:
        image = png(size, size, render(size))
        folder = os.path.join(root, "desktop", "icons", "hicolor", f"{size}x{size}", "apps")
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "tavo.png"), "wb") as out:
            out.write(image)
        if size == SIZE:
            with open(os.path.join(root, "resources", "Vell.png"), "wb") as out:
                out.write(image)
