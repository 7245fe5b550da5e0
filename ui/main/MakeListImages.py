#!/usr/bin/env python3
"""Draws the message list's small images (20 x 16, white is transparent) as 24-bit bitmaps.

Usage: MakeListImages.py OUTDIR   writes list<id>.bmp for every image id below
"""
import os
import struct
import sys

W, H = 20, 16
CLEAR = (255, 255, 255)
INK = (40, 40, 40)
GREY = (128, 128, 128)
PAPER = (250, 250, 246)


def canvas():
    return [[CLEAR for _ in range(W)] for _ in range(H)]


def dot(img, x, y, colour):
    if 0 <= x < W and 0 <= y < H:
        img[y][x] = colour


def line(img, x0, y0, x1, y1, colour):
    n = max(abs(x1 - x0), abs(y1 - y0), 1)
    for i in range(n + 1):
        dot(img, round(x0 + (x1 - x0) * i / n), round(y0 + (y1 - y0) * i / n), colour)


def box(img, x0, y0, x1, y1, fill, edge, dashed=False):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            border = x in (x0, x1) or y in (y0, y1)
            if border:
                if not dashed or (x + y) % 2 == 0:
                    dot(img, x, y, edge)
            elif fill is not None:
                dot(img, x, y, fill)


def envelope(img, body, edge, dashed=False, open_flap=False):
    if open_flap:
        box(img, 3, 6, 16, 14, body, edge)
        line(img, 3, 6, 9, 1, edge)
        line(img, 16, 6, 10, 1, edge)
        for y in range(2, 6):
            for x in range(4, 16):
                if abs(x - 9.5) < (y - 1) * 1.2:
                    dot(img, x, y, body)
        line(img, 3, 6, 9, 10, edge)
        line(img, 16, 6, 10, 10, edge)
    else:
        box(img, 3, 3, 16, 13, body, edge, dashed)
        line(img, 4, 4, 9, 8, edge)
        line(img, 15, 4, 10, 8, edge)


def triangle(img, up, colour):
    for row in range(5):
        y = 5 + row if up else 10 - row
        for x in range(10 - row, 10 + row + 1):
            dot(img, x - 1, y, colour)


def clip(img, colour):
    line(img, 8, 2, 8, 11, colour)
    line(img, 12, 4, 12, 13, colour)
    line(img, 9, 1, 11, 1, colour)
    dot(img, 12, 2, colour)
    dot(img, 12, 3, colour)
    line(img, 10, 4, 10, 11, colour)
    line(img, 9, 14, 11, 14, colour)
    dot(img, 8, 12, colour)
    dot(img, 8, 13, colour)


def mark(img, colour):
    box(img, 9, 2, 10, 10, colour, colour)
    box(img, 9, 12, 10, 13, colour, colour)


def draw(image_id):
    img = canvas()
    if image_id == 148:
        triangle(img, True, GREY)
    elif image_id == 149:
        triangle(img, False, GREY)
    elif image_id in (206, 208):
        clip(img, INK)
    elif image_id == 214:
        envelope(img, (255, 226, 110), INK)
    elif image_id == 215:
        envelope(img, PAPER, GREY, open_flap=True)
    elif image_id == 218:
        line(img, 6, 2, 6, 14, INK)
        box(img, 7, 2, 14, 7, (220, 30, 30), (170, 20, 20))
    elif image_id == 296:
        envelope(img, None, INK, dashed=True)
    elif image_id == 297:
        envelope(img, (210, 210, 210), GREY)
        line(img, 2, 14, 17, 2, (200, 0, 0))
    elif image_id == 222:
        mark(img, (210, 20, 20))
    elif image_id == 223:
        line(img, 10, 2, 10, 12, (20, 60, 200))
        line(img, 6, 9, 10, 13, (20, 60, 200))
        line(img, 14, 9, 10, 13, (20, 60, 200))
    elif image_id == 224:
        mark(img, INK)
    return img


def write(path, img):
    stride = (W * 3 + 3) & ~3
    rows = []
    for y in range(H - 1, -1, -1):
        row = bytearray()
        for x in range(W):
            r, g, b = img[y][x]
            row += bytes((b, g, r))
        row += b"\0" * (stride - len(row))
        rows.append(bytes(row))
    pixels = b"".join(rows)
    header = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    file_header = struct.pack("<2sIHHI", b"BM", 14 + len(header) + len(pixels), 0, 0, 14 + len(header))
    with open(path, "wb") as f:
        f.write(file_header + header + pixels)


IDS = (148, 149, 206, 207, 208, 214, 215, 218, 222, 223, 224, 296, 297)

if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    os.makedirs(sys.argv[1], exist_ok=True)
    for image_id in IDS:
        write(os.path.join(sys.argv[1], "list%d.bmp" % image_id), draw(image_id))
