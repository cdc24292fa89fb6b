#!/usr/bin/env python3
"""Draws Quillfern's icon and writes it as quillfern.ico beside this script.

The emblem: a page with a folded corner and a few lines of text, and over it
a green leaf whose stem runs out at the lower left like a quill's shaft. It
is drawn from shapes (signed distances, so edges are smooth at every size)
at 16, 24, 32, 48 and 256 pixels; the 256-pixel image is stored as PNG, as
Explorer expects, the others as bitmaps. Standard library only, and the
output is the same byte for byte on every run.

Usage: wizard/make_icon.py [output.ico]
"""
import math
import os
import struct
import sys
import zlib

SIZES = (16, 24, 32, 48, 256)
DESIGN = 256.0  # the shapes are given on a 256 x 256 grid

INK = (0x33, 0x41, 0x55)      # outlines of the page
PAPER = (0xFF, 0xFF, 0xFF)
FOLD = (0xD3, 0xDB, 0xE4)
TEXT = (0xA4, 0xB0, 0xBE)
LEAF = (0x2F, 0x9E, 0x5B)
LEAF_DARK = (0x1B, 0x5E, 0x3A)  # the leaf's edge, its stem and midrib
VEIN = (0x8F, 0xD6, 0xA6)


# --- shapes as signed distances (negative inside), in design units ---

def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)
    t = max(0.0, min(1.0, t))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


class Polygon:
    def __init__(self, points):
        self.points = points
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]
        self.box = (min(xs), min(ys), max(xs), max(ys))

    def distance(self, px, py):
        inside = False
        best = float("inf")
        pts = self.points
        for i, (ax, ay) in enumerate(pts):
            bx, by = pts[i - 1]
            best = min(best, segment_distance(px, py, ax, ay, bx, by))
            if (ay > py) != (by > py) and px < (bx - ax) * (py - ay) / (by - ay) + ax:
                inside = not inside
        return -best if inside else best


class Capsule:
    """A line of some thickness with round ends."""

    def __init__(self, a, b, radius):
        self.a, self.b, self.radius = a, b, radius
        self.box = (min(a[0], b[0]) - radius, min(a[1], b[1]) - radius,
                    max(a[0], b[0]) + radius, max(a[1], b[1]) + radius)

    def distance(self, px, py):
        return segment_distance(px, py, *self.a, *self.b) - self.radius


def leaf_outline(tip, base, width, steps=48):
    """A pointed leaf from Base to Tip, fuller on one side, like a vane."""
    (tx, ty), (bx, by) = tip, base
    length = math.hypot(tx - bx, ty - by)
    ux, uy = (tx - bx) / length, (ty - by) / length   # along the leaf
    nx, ny = -uy, ux                                 # across it
    upper, lower = [], []
    for i in range(steps + 1):
        t = i / steps
        swell = math.sin(math.pi * t ** 0.8) ** 0.9
        cx, cy = bx + ux * length * t, by + uy * length * t
        upper.append((cx + nx * width * swell, cy + ny * width * swell))
        lower.append((cx - nx * width * 0.78 * swell, cy - ny * width * 0.78 * swell))
    return upper + lower[::-1][1:-1]


def layers(size):
    """What is painted, bottom first: (shape, colour, outline colour, outline width in pixels)."""
    scale = size / DESIGN
    line = max(1.0, 7.0 * scale)
    # The page's corners on whole pixels, so that its thin outline stays sharp.
    def snapped(points):
        return [(round(x * scale) / scale, round(y * scale) / scale) for x, y in points]
    page = Polygon(snapped([(64, 16), (160, 16), (208, 64), (208, 240), (64, 240)]))
    fold = Polygon(snapped([(160, 16), (160, 64), (208, 64)]))
    out = [(page, PAPER, INK, line), (fold, FOLD, INK, line)]
    rows = (92, 124, 156) if size >= 32 else (100, 140)
    for y in rows:
        out.append((Capsule((90, y), (146, y), max(0.5 / scale, 5.0)), TEXT, None, 0))
    tip, base = (236, 36), (70, 200)
    out.append((Polygon(leaf_outline(tip, base, 40)), LEAF, LEAF_DARK, max(1.0, 5.0 * scale)))
    if size >= 32:
        # Veins from the midrib out and forward, on both sides.
        length = math.hypot(tip[0] - base[0], tip[1] - base[1])
        ux, uy = (tip[0] - base[0]) / length, (tip[1] - base[1]) / length
        for t in (0.28, 0.44, 0.6, 0.76):
            sx, sy = base[0] + ux * length * t, base[1] + uy * length * t
            reach = 40 * math.sin(math.pi * t ** 0.8) ** 0.9
            for side, share in ((1, 0.7), (-1, 0.55)):
                ex = sx + ux * reach * 0.6 - uy * side * reach * share
                ey = sy + uy * reach * 0.6 + ux * side * reach * share
                out.append((Capsule((sx, sy), (ex, ey), max(0.45 / scale, 2.5)), VEIN, None, 0))
    # The stem: from the leaf's tip to past its base, the quill's shaft.
    out.append((Capsule((214, 58), (22, 250), max(0.6 / scale, 5.0)), LEAF_DARK, None, 0))
    return out


# --- painting ---

def coverage(distance_in_pixels):
    return max(0.0, min(1.0, 0.5 - distance_in_pixels))


def render(size):
    """Rows of (r, g, b, a), top row first, with straight (not premultiplied) alpha."""
    scale = size / DESIGN
    painted = layers(size)
    rows = []
    for j in range(size):
        row = []
        for i in range(size):
            x, y = (i + 0.5) / scale, (j + 0.5) / scale
            r = g = b = a = 0.0  # premultiplied while painting
            for shape, fill, edge, width in painted:
                x0, y0, x1, y1 = shape.box
                margin = 2 / scale
                if x < x0 - margin or x > x1 + margin or y < y0 - margin or y > y1 + margin:
                    continue
                d = shape.distance(x, y) * scale
                outer = coverage(d)
                if outer <= 0:
                    continue
                inner = coverage(d + width) if edge else outer
                for colour, amount in ((edge, outer - inner), (fill, inner)):
                    if colour is None or amount <= 0:
                        continue
                    r = colour[0] * amount + r * (1 - amount)
                    g = colour[1] * amount + g * (1 - amount)
                    b = colour[2] * amount + b * (1 - amount)
                    a = amount + a * (1 - amount)
            if a > 0:
                row.append((round(r / a), round(g / a), round(b / a), round(a * 255)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


# --- file formats ---

def png(rows):
    size = len(rows)
    raw = b"".join(b"\0" + bytes(c for px in row for c in px) for row in rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) +
            chunk(b"IEND", b""))


def dib(rows):
    """A 32-bit icon bitmap: the colour rows bottom up, then the 1-bit mask."""
    size = len(rows)
    stride = ((size + 31) // 32) * 4
    colour = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(stride)
        for i, px in enumerate(row):
            if px[3] == 0:
                bits[i // 8] |= 0x80 >> (i % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    return header + colour + bytes(mask)


def ico(images):
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries, data = b"", b""
    for size, blob in images:
        side = 0 if size >= 256 else size
        entries += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(blob), offset + len(data))
        data += blob
    return directory + entries + data


def main():
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                                                "quillfern.ico")
    images = []
    for size in SIZES:
        rows = render(size)
        images.append((size, png(rows) if size >= 256 else dib(rows)))
    with open(target, "wb") as out:
        out.write(ico(images))
    print(f"{target}: {', '.join(str(s) for s in SIZES)} pixels")


if __name__ == "__main__":
    main()
