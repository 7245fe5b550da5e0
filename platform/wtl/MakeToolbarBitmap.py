#!/usr/bin/env python3
"""Writes a toolbar bitmap strip: COUNT buttons of WIDTH x HEIGHT, each a distinct simple glyph.

Used where no artwork exists: the images only have to tell the buttons apart.
Usage: MakeToolbarBitmap.py OUT.bmp WIDTH HEIGHT COUNT
"""
import colorsys
import struct
import sys


def glyph_pixel(index, x, y, w, h):
    cx, cy = (w - 1) / 2.0, (h - 1) / 2.0
    rx, ry = w * 0.38, h * 0.38
    dx, dy = (x - cx) / rx, (y - cy) / ry
    shape = index % 4
    if shape == 0:
        inside = dx * dx + dy * dy <= 1.0
    elif shape == 1:
        inside = abs(dx) <= 0.85 and abs(dy) <= 0.85
    elif shape == 2:
        inside = abs(dx) + abs(dy) <= 1.0
    else:
        inside = dy >= -1.0 and abs(dx) <= (dy + 1.0) / 2.0 and dy <= 1.0
    if not inside:
        return (192, 192, 192)
    r, g, b = colorsys.hsv_to_rgb((index * 0.27) % 1.0, 0.75, 0.8)
    return (int(r * 255), int(g * 255), int(b * 255))


def main():
    out, width, height, count = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
    total = width * count
    stride = (total * 3 + 3) & ~3
    rows = []
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for x in range(total):
            r, g, b = glyph_pixel(x // width, x % width, y, width, height)
            row += bytes((b, g, r))
        row += b"\0" * (stride - len(row))
        rows.append(bytes(row))
    pixels = b"".join(rows)
    header = struct.pack("<IiiHHIIiiII", 40, total, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    file_header = struct.pack("<2sIHHI", b"BM", 14 + len(header) + len(pixels), 0, 0, 14 + len(header))
    with open(out, "wb") as f:
        f.write(file_header + header + pixels)


if __name__ == "__main__":
    main()
