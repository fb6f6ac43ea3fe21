#!/usr/bin/env python3
"""Draws the two banners of the demo update server as PNG image strips (committed beside this
script; run it again only to change them): banner1.png, four frames of a broom sweeping across a
gradient, and banner2.png, one frame of a shield with a tick. Frames are 69 x 48 pixels, the size
of the main window's banner place."""
import os
import struct
import sys
import zlib

W, H = 69, 48


def png(path, width, height, pixel):
    rows = b"".join(b"\0" + b"".join(bytes(pixel(x, y)) for x in range(width)) for y in range(height))
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(rows, 9)))
        f.write(chunk(b"IEND", b""))


def blend(a, b, t):
    return tuple(int(a[i] + (b[i] - a[i]) * t) for i in range(3))


def sweep(x, y):
    frame, fx = divmod(x, W)
    base = blend((60, 70, 150), (200, 205, 250), fx / (W - 1))
    broom = 8 + frame * 16
    if abs(fx - broom) < 3 and 8 <= y < 36:
        return (120, 80, 30)
    if broom - 8 <= fx <= broom + 8 and 34 <= y < 44:
        return (230, 190, 60)
    if fx < broom - 8 and 36 <= y < 44:
        return (240, 240, 255)  # swept clean
    return base


def shield(x, y):
    cx = W // 2
    inside = abs(x - cx) < 20 - max(0, y - 28) * 0.9 and 6 <= y < 44
    if not inside:
        return blend((240, 240, 255), (220, 220, 255), y / (H - 1))
    tick = (abs((y - 30) - (x - cx + 6) * -1) < 2 and cx - 10 <= x <= cx - 4) or \
           (abs((y - 30) + (x - cx + 4)) < 2 and cx - 4 <= x <= cx + 12)
    return (255, 255, 255) if tick else (0, 60, 116)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    png(os.path.join(out, "banner1.png"), W * 4, H, sweep)
    png(os.path.join(out, "banner2.png"), W, H, shield)


if __name__ == "__main__":
    main()
