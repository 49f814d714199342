#!/usr/bin/env python3
"""Draws ZK-Arbolin's own artwork and writes it in the formats the resource script takes:
art/app.ico (32x32 in 256 colours, 32x32 and 16x16 in 24-bit colour), art/mascot.bmp (72x257, 24-bit)
and art/banner.bmp (200x40, 24-bit). Plain Python, no imaging library: the output is the same bytes on
every machine, so the committed files can be checked against a fresh run (draw_art.py --check)."""

import math
import os
import struct
import sys

# ---- a tiny canvas ---------------------------------------------------------------------------------


class Canvas:
    def __init__(self, w, h, fill=None):
        self.w, self.h = w, h
        self.px = [[fill for _ in range(w)] for _ in range(h)]  # None: transparent (icons only)

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):
        for y in range(max(0, y0), min(self.h, y1)):
            for x in range(max(0, x0), min(self.w, x1)):
                self.px[y][x] = c

    def disc(self, cx, cy, r, c):
        for y in range(int(cy - r) - 1, int(cy + r) + 2):
            for x in range(int(cx - r) - 1, int(cx + r) + 2):
                if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r:
                    self.set(x, y, c)

    def ellipse(self, cx, cy, rx, ry, c):
        for y in range(int(cy - ry) - 1, int(cy + ry) + 2):
            for x in range(int(cx - rx) - 1, int(cx + rx) + 2):
                if ((x + 0.5 - cx) / rx) ** 2 + ((y + 0.5 - cy) / ry) ** 2 <= 1.0:
                    self.set(x, y, c)

    def vgradient(self, top, bottom):
        for y in range(self.h):
            t = y / max(1, self.h - 1)
            c = tuple(round(a + (b - a) * t) for a, b in zip(top, bottom))
            for x in range(self.w):
                self.px[y][x] = c


# ---- palette ---------------------------------------------------------------------------------------

LEAF = (46, 139, 60)
LEAF_LIGHT = (110, 190, 80)
LEAF_DARK = (24, 92, 40)
TRUNK = (120, 78, 40)
TRUNK_DARK = (84, 52, 26)
FOLDER = (240, 196, 64)
FOLDER_DARK = (196, 150, 36)
WHITE = (255, 255, 255)
INK = (32, 40, 48)
CHEEK = (236, 128, 128)


def tree_icon(size):
    """The program's icon: a round tree growing out of an open folder."""
    s = size / 32.0
    c = Canvas(size, size)
    # folder: tab, back, front
    c.rect(round(3 * s), round(17 * s), round(13 * s), round(20 * s), FOLDER_DARK)
    c.rect(round(3 * s), round(19 * s), round(29 * s), round(30 * s), FOLDER_DARK)
    # trunk, drawn before the folder front so it seems to stand inside
    c.rect(round(14 * s), round(12 * s), round(18 * s), round(24 * s), TRUNK)
    c.rect(round(14 * s), round(12 * s), round(15 * s), round(24 * s), TRUNK_DARK)
    # crown
    c.disc(16 * s, 10 * s, 8.5 * s, LEAF_DARK)
    c.disc(16 * s, 9.5 * s, 7.5 * s, LEAF)
    c.disc(13.5 * s, 7 * s, 3 * s, LEAF_LIGHT)
    c.rect(round(3 * s), round(22 * s), round(29 * s), round(30 * s), FOLDER)
    c.rect(round(3 * s), round(22 * s), round(29 * s), round(23 * s), FOLDER_DARK)
    return c


def mascot():
    """Along the About box's left edge: Arbolin, a tall young tree with a face, under a morning sky."""
    c = Canvas(72, 257)
    c.vgradient((170, 214, 246), (236, 246, 232))
    # sun
    c.disc(58, 18, 9, (255, 232, 140))
    c.disc(58, 18, 7, (255, 214, 90))
    # hills and grass
    c.ellipse(10, 250, 48, 22, (150, 204, 120))
    c.ellipse(66, 254, 40, 18, (126, 188, 104))
    c.rect(0, 240, 72, 257, (104, 170, 84))
    for x in range(0, 72, 3):
        c.set(x, 239, (86, 150, 70))
        c.set(x + 1, 238, (86, 150, 70))
    # trunk with a little bend
    for y in range(120, 246):
        bend = round(3 * math.sin((y - 120) / 40.0))
        c.rect(31 + bend, y, 42 + bend, y + 1, TRUNK)
        c.rect(31 + bend, y, 33 + bend, y + 1, TRUNK_DARK)
    # arms: two branches
    for i in range(18):
        c.rect(20 + i // 2, 150 - i, 24 + i // 2, 152 - i, TRUNK)
        c.rect(48 - i // 2, 160 - i, 52 - i // 2, 162 - i, TRUNK)
    c.disc(18, 130, 7, LEAF)
    c.disc(54, 140, 6, LEAF)
    # crown: stacked discs
    for cx, cy, r in ((36, 96, 30), (24, 70, 18), (48, 70, 18), (36, 52, 20), (36, 118, 20)):
        c.disc(cx, cy, r + 1.5, LEAF_DARK)
    for cx, cy, r in ((36, 96, 30), (24, 70, 18), (48, 70, 18), (36, 52, 20), (36, 118, 20)):
        c.disc(cx, cy, r, LEAF)
    for cx, cy, r in ((26, 60, 7), (44, 48, 5), (20, 92, 6), (50, 84, 5)):
        c.disc(cx, cy, r, LEAF_LIGHT)
    # face
    for ex in (28, 44):
        c.disc(ex, 98, 5, WHITE)
        c.disc(ex + 1, 99, 2.6, INK)
        c.set(ex, 97, WHITE)
    c.disc(22, 108, 3, CHEEK)
    c.disc(50, 108, 3, CHEEK)
    for i in range(-6, 7):
        c.set(36 + i, 113 - round(i * i / 12.0), INK)
    # a folder at the tree's feet
    c.rect(8, 222, 20, 226, FOLDER_DARK)
    c.rect(8, 225, 34, 244, FOLDER_DARK)
    c.rect(8, 229, 34, 244, FOLDER)
    return c


# 5x7 capitals for the banner, one string of 35 cells per letter (row by row, '#' set).
GLYPHS = {
    'Z': "#####....#...#...#...#...#....#####",
    'K': "#...##..#.#.#..##...#.#..#..#.#...#",
    '-': "...............###...............",
    'A': ".###.#...##...#######...##...##...#",
    'R': "####.#...##...#####.#.#..#..#.#...#",
    'B': "####.#...##...#####.#...##...#####.",
    'O': ".###.#...##...##...##...##...#.###.",
    'L': "#....#....#....#....#....#....#####",
    'I': ".###...#....#....#....#....#...###.",
    'N': "#...###..##.#.##..###...##...##...#",
}


def banner():
    """Under the About box's greeting: the project's name in block letters beside a small tree."""
    c = Canvas(200, 40)
    c.vgradient((250, 252, 244), (214, 236, 200))
    c.rect(0, 0, 200, 2, LEAF_DARK)
    c.rect(0, 38, 200, 40, LEAF_DARK)
    logo = tree_icon(32)
    for y in range(32):
        for x in range(32):
            if logo.px[y][x] is not None:
                c.set(6 + x, 4 + y, logo.px[y][x])
    x = 46
    for ch in "ZK-ARBOLIN":
        cells = GLYPHS[ch].ljust(35, '.')
        for gy in range(7):
            for gx in range(5):
                if cells[gy * 5 + gx] == '#':
                    colour = LEAF_DARK if ch in "ZK-" else TRUNK
                    c.rect(x + gx * 2 + 1, 11 + gy * 2 + 1, x + gx * 2 + 3, 11 + gy * 2 + 3, (190, 210, 180))
                    c.rect(x + gx * 2, 11 + gy * 2, x + gx * 2 + 2, 11 + gy * 2 + 2, colour)
        x += 15
    return c


# ---- writers ---------------------------------------------------------------------------------------


def dib_rows_24(c, background):
    """Bottom-up 24-bit rows (BGR), each padded to 4 bytes."""
    out = bytearray()
    pad = (4 - (c.w * 3) % 4) % 4
    for y in range(c.h - 1, -1, -1):
        for x in range(c.w):
            r, g, b = c.px[y][x] if c.px[y][x] is not None else background
            out += bytes((b, g, r))
        out += bytes(pad)
    return bytes(out)


def and_mask(c):
    """Bottom-up 1-bit transparency mask: 1 where the icon is transparent."""
    out = bytearray()
    stride = ((c.w + 31) // 32) * 4
    for y in range(c.h - 1, -1, -1):
        row = bytearray(stride)
        for x in range(c.w):
            if c.px[y][x] is None:
                row[x // 8] |= 0x80 >> (x % 8)
        out += row
    return bytes(out)


def info_header(w, h, bits, image_size, colours=0):
    return struct.pack('<IiiHHIIiiII', 40, w, h, 1, bits, 0, image_size, 0, 0, colours, 0)


def write_bmp(path, c):
    pixels = dib_rows_24(c, (0, 0, 0))
    header = info_header(c.w, c.h, 24, len(pixels))
    file_header = struct.pack('<2sIHHI', b'BM', 14 + len(header) + len(pixels), 0, 0, 14 + len(header))
    return path, file_header + header + pixels


def icon_image_24(c):
    xor = dib_rows_24(c, (0, 0, 0))
    mask = and_mask(c)
    return info_header(c.w, c.h * 2, 24, len(xor) + len(mask)) + xor + mask


def icon_image_256(c):
    """The 256-colour entry: a palette of the colours used (padded to 256 entries) and 8-bit indexes."""
    colours = [(0, 0, 0)]
    for row in c.px:
        for p in row:
            if p is not None and p not in colours:
                colours.append(p)
    if len(colours) > 256:
        raise SystemExit("icon uses more than 256 colours")
    index = {p: i for i, p in enumerate(colours)}
    palette = b''.join(bytes((b, g, r, 0)) for r, g, b in colours) + bytes(4 * (256 - len(colours)))
    stride = (c.w + 3) // 4 * 4
    xor = bytearray()
    for y in range(c.h - 1, -1, -1):
        row = bytearray(stride)
        for x in range(c.w):
            row[x] = index[c.px[y][x]] if c.px[y][x] is not None else 0
        xor += row
    mask = and_mask(c)
    return info_header(c.w, c.h * 2, 8, len(xor) + len(mask), 256) + palette + bytes(xor) + mask


def write_ico(path, images):
    """images: (width, height, colour count byte, bit count, image bytes) in directory order."""
    head = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, blobs = b'', b''
    for w, h, colours, bits, data in images:
        entries += struct.pack('<BBBBHHII', w % 256, h % 256, colours, 0, 1, bits, len(data), offset)
        offset += len(data)
        blobs += data
    return path, head + entries + blobs


def artwork():
    icon32, icon16 = tree_icon(32), tree_icon(16)
    return [
        write_ico('app.ico', [(32, 32, 0, 8, icon_image_256(icon32)),
                              (32, 32, 0, 24, icon_image_24(icon32)),
                              (16, 16, 0, 24, icon_image_24(icon16))]),
        write_bmp('mascot.bmp', mascot()),
        write_bmp('banner.bmp', banner()),
    ]


def main(argv):
    out_dir = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'art')
    check = '--check' in argv
    differ = []
    for name, data in artwork():
        path = os.path.join(out_dir, name)
        if check:
            with open(path, 'rb') as f:
                if f.read() != data:
                    differ.append(name)
        else:
            os.makedirs(out_dir, exist_ok=True)
            with open(path, 'wb') as f:
                f.write(data)
    if differ:
        print("artwork differs from draw_art.py: " + ", ".join(differ), file=sys.stderr)
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
