#!/usr/bin/env python3
"""Draws bg.png, the 164 x 314 side picture of the setup wizard's welcome and finish pages: a
vertical blue gradient with a light band of diagonal strokes. Run it to regenerate the file."""
import struct
import sys
import zlib

W, H = 164, 314


def pixel(x, y):
    t = y / (H - 1)
    r = int(18 + 30 * t)
    g = int(52 + 70 * t)
    b = int(110 + 100 * t)
    # A band of diagonal strokes across the lower third.
    if 200 <= y < 260 and (x + y) % 14 < 3:
        r, g, b = min(255, r + 90), min(255, g + 90), min(255, b + 45)
    return r, g, b


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def main(path):
    rows = bytearray()
    for y in range(H):
        rows.append(0)  # no filter
        for x in range(W):
            rows.extend(pixel(x, y))
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", W, H, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(rows), 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "bg.png")
