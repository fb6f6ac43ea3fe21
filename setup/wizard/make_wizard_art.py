#!/usr/bin/env python3
"""Draws the setup program's own artwork with the standard library only, in the blues of the
welcome page's side picture (bg.png): setup.ico (the program icon, 32 x 32 and 16 x 16: a carton
with an amber arrow going in) and header.bmp (the 70 x 58 picture at the right end of the header band: the
same carton on a soft gradient). Run it to regenerate the committed files."""
import struct
import sys

DARK = (18, 52, 110)
MID = (40, 100, 180)
LIGHT = (120, 170, 230)
PALE = (225, 236, 250)
WHITE = (255, 255, 255)
AMBER = (245, 165, 40)


def carton(size):
    """RGBA rows of the icon picture at `size` pixels."""
    s = size / 32.0
    px = [[(0, 0, 0, 0) for _ in range(size)] for _ in range(size)]

    def fill(x0, y0, x1, y1, c):
        for y in range(int(y0 * s), int(y1 * s)):
            for x in range(int(x0 * s), int(x1 * s)):
                if 0 <= x < size and 0 <= y < size:
                    px[y][x] = c + (255,)

    fill(4, 14, 28, 30, DARK)       # box outline
    fill(5, 15, 27, 29, MID)        # box body
    fill(5, 15, 27, 18, LIGHT)      # lid edge
    fill(14, 15, 18, 29, LIGHT)     # tape
    # the arrow going into the box
    fill(12, 1, 20, 11, DARK)
    fill(13, 2, 19, 11, AMBER)
    for i in range(7):
        fill(7 + i, 10 + i, 25 - i, 11 + i, DARK)
        if i < 6:
            fill(9 + i, 10 + i, 23 - i, 11 + i, AMBER)
    return px


def icon_image(size):
    px = carton(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, size * size * 4, 0, 0, 0, 0)
    data = bytearray()
    for row in reversed(px):
        for r, g, b, a in row:
            data += bytes((b, g, r, a))
    mask_row = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(px):
        bits = bytearray(mask_row)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(data) + bytes(mask)


def write_icon(path):
    images = [icon_image(32), icon_image(16)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip((32, 16), images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


def write_header(path):
    w, h = 70, 58
    icon = carton(32)
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            t = x / (w - 1)
            c = tuple(int(WHITE[i] + (PALE[i] - WHITE[i]) * t) for i in range(3))
            ix, iy = x - 26, y - 13
            if 0 <= ix < 32 and 0 <= iy < 32 and icon[iy][ix][3]:
                c = icon[iy][ix][:3]
            row.append(c)
        rows.append(row)
    stride = (w * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        data += line + bytes(stride - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", 14 + len(info) + len(data), 0, 0, 14 + len(info)) + info + data)


if __name__ == "__main__":
    folder = sys.argv[1] if len(sys.argv) > 1 else "."
    write_icon(folder + "/setup.ico")
    write_header(folder + "/header.bmp")
