#!/usr/bin/env python3
"""Writes images where no artwork exists; they only have to tell things apart.

Usage: MakeImages.py bitmap OUT.bmp WIDTH HEIGHT COUNT   a strip of COUNT distinct WIDTH x HEIGHT glyphs
       MakeImages.py icon OUT.ico INDEX                  an icon (16 x 16 and 32 x 32) with glyph INDEX
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


def write_bitmap(out, width, height, count):
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


def icon_image(index, size):
    """One icon image: BITMAPINFOHEADER (double height for the mask), 32-bit pixels, AND mask."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for y in range(size - 1, -1, -1):
        for x in range(size):
            r, g, b = glyph_pixel(index, x, y, size, size)
            alpha = 0 if (r, g, b) == (192, 192, 192) else 255
            pixels += bytes((b, g, r, alpha))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for y in range(size - 1, -1, -1):
        row = bytearray(mask_stride)
        for x in range(size):
            if glyph_pixel(index, x, y, size, size) == (192, 192, 192):
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    return header + bytes(pixels) + bytes(mask)


def write_icon(out, index):
    images = [icon_image(index, size) for size in (16, 32)]
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip((16, 32), images):
        data += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    with open(out, "wb") as f:
        f.write(data + b"".join(images))


def main():
    if sys.argv[1] == "bitmap":
        write_bitmap(sys.argv[2], int(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5]))
    elif sys.argv[1] == "icon":
        write_icon(sys.argv[2], int(sys.argv[3]))
    else:
        sys.exit("unknown image kind " + sys.argv[1])


if __name__ == "__main__":
    main()
