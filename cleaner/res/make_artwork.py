#!/usr/bin/env python3
"""Generates the cleaner's artwork (bitmaps, icons, the end sound) with the standard library only.

Usage: make_artwork.py <output folder>. Palette: dark blue and steel, 1-pixel outlines.
"""
import math
import os
import struct
import sys

NAVY = (0, 60, 116)
STEEL = (135, 130, 160)
LIGHT = (240, 240, 255)
WHITE = (255, 255, 255)
RED = (190, 50, 50)


class Image:
    def __init__(self, w, h, fill=(0, 0, 0, 0)):
        self.w, self.h = w, h
        self.px = [list(fill) for _ in range(w * h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y * self.w + x] = list(c) + [255] * (4 - len(c))

    def get(self, x, y):
        return self.px[y * self.w + x]

    def rect(self, x0, y0, x1, y1, c):
        for y in range(y0, y1):
            for x in range(x0, x1):
                self.set(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        for x in range(x0, x1):
            self.set(x, y0, c); self.set(x, y1 - 1, c)
        for y in range(y0, y1):
            self.set(x0, y, c); self.set(x1 - 1, y, c)

    def vgrad(self, x0, y0, x1, y1, a, b):
        for y in range(y0, y1):
            t = (y - y0) / max(1, y1 - y0 - 1)
            self.rect(x0, y, x1, y + 1, mix(a, b, t))

    def disc(self, cx, cy, r, c, ring=None):
        for y in range(self.h):
            for x in range(self.w):
                d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
                if d <= r:
                    self.set(x, y, ring if ring and d > r - 1 else c)


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def bmp(img, alpha):
    """A bottom-up BMP, 32-bit with alpha or 24-bit."""
    bpp = 32 if alpha else 24
    stride = (img.w * bpp // 8 + 3) & ~3
    rows = []
    for y in range(img.h - 1, -1, -1):
        row = bytearray()
        for x in range(img.w):
            r, g, b, a = img.get(x, y)
            row += bytes((b, g, r, a)) if alpha else bytes((b, g, r))
        row += b"\0" * (stride - len(row))
        rows.append(bytes(row))
    data = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, img.w, img.h, 1, bpp, 0, len(data), 2835, 2835, 0, 0)
    return info, data


def write_bmp(path, img, alpha=False):
    info, data = bmp(img, alpha)
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", 14 + len(info) + len(data), 0, 0, 14 + len(info)) + info + data)


def write_ico(path, images):
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for img in images:
        info, data = bmp(img, True)
        # Icon bitmaps hold twice the height (colour plus mask) and an all-zero AND mask.
        info = info[:8] + struct.pack("<i", img.h * 2) + info[12:]
        mask = b"\0" * (((img.w + 31) // 32) * 4 * img.h)
        blob = info + data + mask
        entries.append(struct.pack("<BBBBHHII", img.w % 256, img.h % 256, 0, 0, 1, 32, len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, len(images)) + b"".join(entries) + b"".join(blobs))


def write_wav(path):
    rate, seconds = 22050, 0.35
    frames = bytearray()
    for i in range(int(rate * seconds)):
        t = i / rate
        f = 880 if t < 0.12 else 1318.5
        env = math.exp(-6 * (t % 0.12 if t < 0.12 else t - 0.12))
        frames += struct.pack("<h", int(9000 * env * math.sin(2 * math.pi * f * t)))
    with open(path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", 36 + len(frames)) + b"WAVEfmt " +
                struct.pack("<IHHIIHH", 16, 1, 1, rate, rate * 2, 2, 16) + b"data" + struct.pack("<I", len(frames)) + frames)


# A small 5 x 7 font for the few words the artwork shows.
GLYPHS = {
    "T": ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "A": ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    "C": ["01111", "10000", "10000", "10000", "10000", "10000", "01111"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    "L": ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    "N": ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    "P": ["11110", "10001", "10001", "11110", "10000", "10000", "10000"],
    "I": ["11111", "00100", "00100", "00100", "00100", "00100", "11111"],
    "V": ["10001", "10001", "10001", "10001", "01010", "01010", "00100"],
    "Y": ["10001", "01010", "00100", "00100", "00100", "00100", "00100"],
    " ": ["00000"] * 7,
}


def text(img, x, y, s, c, scale=1):
    for ch in s:
        g = GLYPHS[ch]
        for j, row in enumerate(g):
            for i, bit in enumerate(row):
                if bit == "1":
                    img.rect(x + i * scale, y + j * scale, x + (i + 1) * scale, y + (j + 1) * scale, c)
        x += 6 * scale


def emblem(size, phase):
    """A shield with a sweeping broom stroke; phase turns the shine."""
    img = Image(size, size)
    c = size / 2
    for y in range(size):
        for x in range(size):
            dx, dy = (x + 0.5 - c) / c, (y + 0.5) / size
            half = 0.8 * (1 - max(0, dy - 0.45) ** 1.6 * 2.2) if dy > 0.08 else 0
            inside = abs(dx) <= half and dy <= 0.95
            if not inside:
                continue
            edge = abs(dx) > half - 2.2 / c or dy < 0.08 + 2 / size
            shine = 0.5 + 0.5 * math.cos(phase + dx * 2.5 - dy * 2)
            img.set(x, y, NAVY if edge else mix((40, 90, 160), (170, 190, 230), shine * (1 - dy)))
    for k in range(int(size * 0.5)):  # the check mark of a clean machine
        t = k / (size * 0.5)
        if t < 0.35:
            px, py = c - size * 0.18 + t * size * 0.3, size * 0.48 + t * size * 0.35
        else:
            px, py = c - size * 0.075 + (t - 0.35) * size * 0.45, size * 0.6 - (t - 0.35) * size * 0.55
        img.disc_at = None
        for yy in range(-2, 3):
            for xx in range(-2, 3):
                if xx * xx + yy * yy <= 5:
                    img.set(int(px) + xx, int(py) + yy, WHITE)
    return img


def icon_glyph(size, kind):
    img = Image(size, size)
    s = size / 16
    if kind == "app":
        return emblem(size, 0.6)
    body = {"windows": (40, 90, 160), "applets": (70, 120, 170), "category": (200, 160, 60), "target": (60, 110, 180),
            "custom": (150, 60, 60), "opera": (200, 40, 40), "netscape": (20, 120, 120), "office": (220, 110, 30),
            "flock": (60, 150, 210), "browsers": (40, 120, 200), "firefox": (230, 110, 20)}[kind]
    if kind in ("windows", "applets", "target", "custom"):
        img.rect(int(1 * s), int(2 * s), int(15 * s), int(14 * s), WHITE)
        img.rect(int(1 * s), int(2 * s), int(15 * s), int(5 * s), body)
        img.frame(int(1 * s), int(2 * s), int(15 * s), int(14 * s), NAVY)
        if kind == "custom":
            img.rect(int(4 * s), int(7 * s), int(12 * s), int(9 * s), body)
            img.rect(int(7 * s), int(6 * s), int(9 * s), int(12 * s), body)
        else:
            for k in range(3):
                img.rect(int(3 * s), int((7 + 2 * k) * s), int(13 * s), int((8 + 2 * k) * s), (150, 150, 180))
    elif kind == "category":
        img.rect(int(1 * s), int(4 * s), int(15 * s), int(14 * s), body)
        img.rect(int(1 * s), int(3 * s), int(7 * s), int(5 * s), body)
        img.frame(int(1 * s), int(4 * s), int(15 * s), int(14 * s), (120, 90, 20))
    else:
        img.disc(size / 2, size / 2, size / 2 - 1, body, NAVY)
        img.disc(size / 2 - s, size / 2 - s, size / 5, mix(body, WHITE, 0.6))
    return img


def main(out):
    os.makedirs(out, exist_ok=True)
    p = lambda name: os.path.join(out, name)

    for name, top, bottom in (("title_active.bmp", (222, 226, 246), (150, 160, 205)),
                              ("title_inactive.bmp", (236, 236, 240), (190, 190, 198))):
        img = Image(1, 27)
        img.vgrad(0, 0, 1, 27, top, bottom)
        img.set(0, 0, mix(top, WHITE, 0.4))
        write_bmp(p(name), img)

    close = Image(63, 21)
    for i, (fill, cross) in enumerate((((70, 80, 125), LIGHT), ((185, 60, 60), WHITE), ((130, 30, 30), (230, 230, 230)))):
        img = Image(21, 21)
        img.disc(10.5, 10.5, 9.5, fill, (20, 30, 60))
        for k in range(6, 15):
            for d in (0, 1):
                img.set(k + d, k, cross); img.set(20 - k - d, k, cross)
        for y in range(21):
            for x in range(21):
                close.set(i * 21 + x, y, img.get(x, y))
    write_bmp(p("close.bmp"), close, alpha=True)

    checks = Image(65, 13)
    for i in range(5):
        x0 = i * 13
        hover, on, disabled = i in (2, 3), i in (1, 3), i == 4
        checks.rect(x0, 0, x0 + 13, 13, (255, 255, 255, 255) if not disabled else (225, 225, 230, 255))
        checks.vgrad(x0 + 1, 1, x0 + 12, 12, (255, 255, 255), (215, 220, 240) if hover else (232, 232, 240))
        checks.frame(x0, 0, x0 + 13, 13, (150, 150, 150) if disabled else ((40, 100, 190) if hover else NAVY))
        if on:
            for k, (cx, cy) in enumerate([(3, 6), (4, 7), (5, 8), (6, 7), (7, 6), (8, 5), (9, 4)]):
                checks.rect(x0 + cx, cy, x0 + cx + 1, cy + 2, NAVY)
    write_bmp(p("checkbox.bmp"), checks, alpha=True)

    tabs = Image(321, 24)
    for i, (a, b, edge) in enumerate((((235, 236, 248), (205, 208, 228), (100, 100, 150)),
                                      ((245, 246, 255), (190, 200, 235), (40, 100, 190)),
                                      ((60, 90, 150), (0, 50, 100), NAVY))):
        tabs.vgrad(i * 107, 0, i * 107 + 107, 24, a, b)
        tabs.frame(i * 107, 0, i * 107 + 107, 24, edge)
        for c in ((0, 0), (106, 0)):  # cut the top corners
            tabs.set(i * 107 + c[0], 0, (0, 0, 0, 0))
    write_bmp(p("tabs.bmp"), tabs, alpha=True)

    strip = Image(256, 64)
    pages = Image(256, 64)
    for i in range(4):
        e = emblem(64, i * math.pi / 2)
        kinds = ("windows", "browsers", "applets", "custom")
        g = icon_glyph(64, kinds[i])
        for y in range(64):
            for x in range(64):
                strip.set(i * 64 + x, y, e.get(x, y))
                pages.set(i * 64 + x, y, g.get(x, y))
    write_bmp(p("emblem.bmp"), strip, alpha=True)
    write_bmp(p("pages.bmp"), pages, alpha=True)

    header = Image(425, 180)
    header.vgrad(0, 0, 425, 180, (36, 62, 112), (120, 140, 185))
    for y in range(180):  # soft steel waves
        for x in range(425):
            w = 0.5 + 0.5 * math.sin(x / 38.0 + y / 55.0)
            if w > 0.93:
                r, g, b, _ = header.get(x, y)
                header.set(x, y, mix((r, g, b), WHITE, 0.12))
    header.frame(0, 0, 425, 180, NAVY)
    text(header, 24, 64, "TRACELORN", (20, 30, 60), 4)
    text(header, 22, 62, "TRACELORN", WHITE, 4)
    text(header, 24, 104, "PRIVACY CLEANER", (200, 210, 240), 2)
    e = emblem(64, 0.6)
    for y in range(64):
        for x in range(64):
            if e.get(x, y)[3]:
                header.set(330 + x, 20 + y, e.get(x, y)[:3])
    write_bmp(p("header.bmp"), header)

    footer = Image(425, 77)
    footer.vgrad(0, 0, 425, 77, (226, 228, 246), (190, 195, 225))
    footer.frame(0, 0, 425, 77, (100, 100, 150))
    write_bmp(p("footer.bmp"), footer)

    about = Image(182, 35)  # the About dialog's picture: the name on a steel band
    about.vgrad(0, 0, 182, 35, (60, 90, 150), (0, 50, 100))
    about.frame(0, 0, 182, 35, NAVY)
    text(about, 12, 11, "TRACELORN", (20, 30, 60), 2)
    text(about, 11, 10, "TRACELORN", WHITE, 2)
    e = emblem(28, 0.6)
    for y in range(28):
        for x in range(28):
            if e.get(x, y)[3]:
                about.set(146 + x, 4 + y, e.get(x, y)[:3])
    write_bmp(p("about.bmp"), about)

    def menu_bitmap(name, kind, size=(16, 15)):
        img = Image(*size, fill=(255, 0, 255, 255))  # the top-left colour is the transparent key
        if kind == "scan":
            img.disc(6.5, 6.5, 5, (200, 220, 250), NAVY)
            for k in range(4):
                img.rect(10 + k, 10 + k, 12 + k, 12 + k, NAVY)
        elif kind == "kill":
            img.disc(7.5, 7.5, 6.5, RED, (110, 20, 20))
            for k in range(4, 11):
                img.set(k, k, WHITE); img.set(15 - k, k, WHITE)
        else:
            img.disc(8, 7.5, 6.5, (40, 100, 190), NAVY)
            text(img, 6, 4, "I", WHITE) if False else None
            img.rect(7, 4, 9, 6, WHITE); img.rect(7, 7, 9, 12, WHITE)
        img.set(0, 0, (255, 0, 255))
        write_bmp(p(name), img)

    menu_bitmap("tray_scan.bmp", "scan")
    menu_bitmap("tray_kill.bmp", "kill")
    menu_bitmap("help.bmp", "help", (16, 16))

    write_ico(p("app.ico"), [icon_glyph(n, "app") for n in (16, 32, 48)])
    for name, kind in (("windows", "windows"), ("applets", "applets"), ("tree_custom", "custom"),
                       ("tree_target", "target"), ("tree_category", "category"), ("opera", "opera"),
                       ("netscape", "netscape"), ("office", "office"), ("flock", "flock"),
                       ("browsers", "browsers"), ("firefox", "firefox")):
        write_ico(p(name + ".ico"), [icon_glyph(16, kind), icon_glyph(32, kind)])
    write_wav(p("end.wav"))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "artwork")
