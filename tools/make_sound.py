# Writes the new-mail sound: a short two-note chime as a 16-bit mono PCM WAVE file, which PlaySound plays
# from the resource without a codec. Usage: make_sound.py OUTPUT
import math
import struct
import sys

RATE = 22050
NOTES = [(880.0, 0.16), (1318.5, 0.30)]


def samples():
    for frequency, seconds in NOTES:
        count = int(RATE * seconds)
        for n in range(count):
            t = n / RATE
            # A soft attack, then a decay, so that each note rings like a bell and ends in silence.
            envelope = min(1.0, t / 0.005) * math.exp(-t * 9.0)
            value = envelope * (0.8 * math.sin(2 * math.pi * frequency * t) + 0.2 * math.sin(4 * math.pi * frequency * t))
            yield int(max(-1.0, min(1.0, value)) * 20000)


def main():
    data = b"".join(struct.pack("<h", s) for s in samples())
    fmt = struct.pack("<HHIIHH", 1, 1, RATE, RATE * 2, 2, 16)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(data)) + data
    with open(sys.argv[1], "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", len(body)) + body)


if __name__ == "__main__":
    main()
