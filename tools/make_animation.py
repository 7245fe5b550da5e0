# Writes the progress window's animations as uncompressed 8-bit AVI files, which the animation control
# plays without a codec. Usage: make_animation.py receive|send OUTPUT
import math
import struct
import sys

WIDTH, HEIGHT, FRAMES = 32, 32, 8


def chunk(fourcc, data):
    pad = b"\0" if len(data) % 2 else b""
    return fourcc + struct.pack("<I", len(data)) + data + pad


def riff_list(kind, fourcc, body):
    return kind + struct.pack("<I", len(body) + 4) + fourcc + body


def frame(kind, n):
    # An envelope with a dot that travels along its top edge: inward for receive, outward for send.
    pixels = bytearray([0] * (WIDTH * HEIGHT))
    for y in range(8, 26):
        for x in range(4, 28):
            edge = y in (8, 25) or x in (4, 27)
            diagonal = abs((y - 8) - abs(x - 15.5) * 0.7) < 0.8 and y < 20
            pixels[y * WIDTH + x] = 2 if edge or diagonal else 1
    step = n if kind == "receive" else FRAMES - 1 - n
    cx = 4 + step * 3
    for y in range(1, 6):
        for x in range(cx, min(cx + 4, WIDTH)):
            pixels[y * WIDTH + x] = 3
    # Rows bottom-up, as a DIB keeps them; 32 bytes a row needs no padding.
    rows = [bytes(pixels[y * WIDTH:(y + 1) * WIDTH]) for y in range(HEIGHT)]
    return b"".join(reversed(rows))


def main():
    kind, out = sys.argv[1], sys.argv[2]
    size = WIDTH * HEIGHT
    palette = [(255, 255, 255), (250, 240, 200), (60, 60, 60), (40, 110, 220) if kind == "receive" else (40, 170, 60)]
    palette += [(0, 0, 0)] * (256 - len(palette))
    avih = struct.pack("<IIIIIIIIII4I", 125000, size * 8, 0, 0x10, FRAMES, 0, 1, size, WIDTH, HEIGHT, 0, 0, 0, 0)
    strh = b"vids" + b"DIB " + struct.pack("<IHHIIIIIIIIhhhh", 0, 0, 0, 0, 1, 8, 0, FRAMES, size, 0xFFFFFFFF, 0,
                                          0, 0, WIDTH, HEIGHT)
    bih = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 8, 0, size, 0, 0, 256, 0)
    strf = bih + b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    hdrl = riff_list(b"LIST", b"hdrl", chunk(b"avih", avih) +
                     riff_list(b"LIST", b"strl", chunk(b"strh", strh) + chunk(b"strf", strf)))
    frames = [chunk(b"00db", frame(kind, n)) for n in range(FRAMES)]
    movi = riff_list(b"LIST", b"movi", b"".join(frames))
    index = b""
    offset = 4  # from the "movi" fourcc
    for data in frames:
        index += b"00db" + struct.pack("<III", 0x10, offset, len(data) - 8)
        offset += len(data)
    avi = riff_list(b"RIFF", b"AVI ", hdrl + movi + chunk(b"idx1", index))
    with open(out, "wb") as f:
        f.write(avi)


if __name__ == "__main__":
    main()
