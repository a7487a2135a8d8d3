#!/usr/bin/env python3
"""Draws the program's pictures and writes them as BMP and ICO files.

    app/res/make_pictures.py [OUTPUT_DIR]     (default: the folder of this script)

Each picture is a list of flat shapes drawn in order onto a canvas sampled
four times per pixel in each direction, so edges come out smooth. The five
operation icons (48 x 48, 256 colours) keep magenta (255, 0, 255) wherever a
pixel is less than half covered; that colour is what the buttons draw as
transparent. Only the standard library is used, and the output depends on
nothing but this file.
"""
import math
import os
import struct
import sys

MAGENTA = (255, 0, 255)
SAMPLES = 4


# Shapes: each has a bounding box (x0, y0, x1, y1) and an inside(x, y) test.
class Rect:
    def __init__(self, x0, y0, x1, y1, radius=0.0):
        self.box = (x0, y0, x1, y1)
        self.r = radius

    def inside(self, x, y):
        x0, y0, x1, y1 = self.box
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        r = self.r
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


class Circle:
    def __init__(self, cx, cy, r, inner=0.0):
        self.c = (cx, cy)
        self.r = r
        self.inner = inner
        self.box = (cx - r, cy - r, cx + r, cy + r)

    def inside(self, x, y):
        d = (x - self.c[0]) ** 2 + (y - self.c[1]) ** 2
        return self.inner * self.inner <= d <= self.r * self.r


class Line:
    """A thick segment with round ends."""

    def __init__(self, x0, y0, x1, y1, width):
        self.p = (x0, y0, x1, y1)
        self.h = width / 2.0
        self.box = (min(x0, x1) - self.h, min(y0, y1) - self.h, max(x0, x1) + self.h, max(y0, y1) + self.h)

    def inside(self, x, y):
        x0, y0, x1, y1 = self.p
        dx, dy = x1 - x0, y1 - y0
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy)))
        return (x - x0 - t * dx) ** 2 + (y - y0 - t * dy) ** 2 <= self.h * self.h


class Polygon:
    def __init__(self, points):
        self.pts = points
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]
        self.box = (min(xs), min(ys), max(xs), max(ys))

    def inside(self, x, y):
        result = False
        pts = self.pts
        j = len(pts) - 1
        for i in range(len(pts)):
            xi, yi = pts[i]
            xj, yj = pts[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result


class Canvas:
    def __init__(self, width, height, background=None):
        self.w, self.h = width, height
        self.px = [background] * (width * height * SAMPLES * SAMPLES)

    def draw(self, shape, colour):
        s = SAMPLES
        x0, y0, x1, y1 = shape.box
        sw = self.w * s
        for sy in range(max(0, int(y0 * s) - 1), min(self.h * s, int(math.ceil(y1 * s)) + 1)):
            y = (sy + 0.5) / s
            row = sy * sw
            for sx in range(max(0, int(x0 * s) - 1), min(sw, int(math.ceil(x1 * s)) + 1)):
                if shape.inside((sx + 0.5) / s, y):
                    self.px[row + sx] = colour

    def pixels(self, keep_below_half=None):
        """Averaged pixels; with keep_below_half, pixels less than half
        covered by shapes become that colour instead."""
        s = SAMPLES
        out = []
        sw = self.w * s
        for y in range(self.h):
            for x in range(self.w):
                covered = []
                for sy in range(y * s, y * s + s):
                    for sx in range(x * s, x * s + s):
                        c = self.px[sy * sw + sx]
                        if c is not None:
                            covered.append(c)
                if keep_below_half is not None and len(covered) * 2 < s * s:
                    out.append(keep_below_half)
                    continue
                if not covered:
                    out.append((255, 255, 255))
                    continue
                n = len(covered)
                out.append(tuple(round(sum(c[i] for c in covered) / n) for i in range(3)))
        return out


# A 5 x 7 pixel font for the few letters the pictures spell.
FONT = {
    "P": ["1111.", "1...1", "1...1", "1111.", "1....", "1....", "1...."],
    "E": ["11111", "1....", "1....", "1111.", "1....", "1....", "11111"],
    "L": ["1....", "1....", "1....", "1....", "1....", "1....", "11111"],
    "A": [".111.", "1...1", "1...1", "11111", "1...1", "1...1", "1...1"],
    "M": ["1...1", "11.11", "1.1.1", "1.1.1", "1...1", "1...1", "1...1"],
}


def text(canvas, word, left, top, cell, colour, gap=1.0):
    x = left
    for letter in word:
        for row, bits in enumerate(FONT[letter]):
            for col, bit in enumerate(bits):
                if bit == "1":
                    canvas.draw(Rect(x + col * cell, top + row * cell, x + (col + 1) * cell, top + (row + 1) * cell), colour)
        x += (5 + gap) * cell


# Colours.
CARD_BLUE = (32, 96, 176)
CARD_DARK = (20, 60, 120)
CHIP = (224, 184, 64)
CHIP_LINE = (160, 120, 32)
WHITE = (255, 255, 255)
GREEN = (40, 150, 60)
PENCIL = (240, 176, 40)
PENCIL_DARK = (120, 80, 20)
WOOD = (240, 210, 160)
GREY_DARK = (64, 64, 64)
STEEL = (150, 156, 166)
STEEL_DARK = (88, 94, 104)
GOLD = (220, 170, 40)
GOLD_DARK = (150, 110, 20)
PINK = (236, 120, 140)
PINK_DARK = (180, 70, 90)
SLEEVE = (70, 110, 190)


def card(c, x, y, w, h):
    """A contactless card: rounded body, chip, and a stripe of text lines."""
    c.draw(Rect(x, y, x + w, y + h, radius=h * 0.12), CARD_DARK)
    c.draw(Rect(x + 1, y + 1, x + w - 1, y + h - 1, radius=h * 0.1), CARD_BLUE)
    c.draw(Rect(x + w * 0.1, y + h * 0.22, x + w * 0.32, y + h * 0.52, radius=h * 0.05), CHIP)
    c.draw(Rect(x + w * 0.1, y + h * 0.36, x + w * 0.32, y + h * 0.38), CHIP_LINE)
    c.draw(Rect(x + w * 0.2, y + h * 0.22, x + w * 0.22, y + h * 0.52), CHIP_LINE)
    c.draw(Rect(x + w * 0.1, y + h * 0.68, x + w * 0.75, y + h * 0.76), WHITE)
    c.draw(Rect(x + w * 0.1, y + h * 0.82, x + w * 0.5, y + h * 0.88), WHITE)
    # the contactless waves
    cx, cy = x + w * 0.78, y + h * 0.36
    for r in (h * 0.12, h * 0.22):
        c.draw(Polygon([(cx, cy)] + [(cx + r * 1.4 * math.cos(a), cy + r * 1.4 * math.sin(a))
                                     for a in (-0.7, -0.35, 0, 0.35, 0.7)]), CARD_BLUE)
        c.draw(Circle(cx, cy, r + 1.0, r), WHITE)
    c.draw(Rect(cx - h * 0.3, cy - h * 0.3, cx, cy + h * 0.3), CARD_BLUE)


def icon_issue():
    c = Canvas(48, 48)
    card(c, 2, 8, 40, 27)
    c.draw(Circle(36, 35, 11), WHITE)
    c.draw(Circle(36, 35, 9.5), GREEN)
    c.draw(Rect(34.5, 29, 37.5, 41), WHITE)
    c.draw(Rect(30, 33.5, 42, 36.5), WHITE)
    return c


def icon_update():
    c = Canvas(48, 48)
    card(c, 2, 6, 40, 27)
    # a pencil from the lower right towards the card
    c.draw(Line(44, 44, 24, 24, 9), PENCIL_DARK)
    c.draw(Line(44, 44, 24, 24, 7), PENCIL)
    c.draw(Polygon([(21.2, 26.8), (26.8, 21.2), (17, 17)]), WOOD)
    c.draw(Polygon([(18.6, 20.4), (20.4, 18.6), (17, 17)]), GREY_DARK)
    c.draw(Line(44.5, 44.5, 41.5, 41.5, 8.4), PINK)
    c.draw(Line(41, 41, 40, 40, 8.4), STEEL)
    return c


def icon_key():
    c = Canvas(48, 48)
    c.draw(Circle(15, 16, 12), GOLD_DARK)
    c.draw(Circle(15, 16, 10), GOLD)
    c.draw(Circle(12, 13, 3.5), WHITE)
    c.draw(Line(22, 23, 42, 43, 8), GOLD_DARK)
    c.draw(Line(22, 23, 42, 43, 5), GOLD)
    c.draw(Polygon([(33, 34), (37.5, 29.5), (41, 33), (36.5, 37.5)]), GOLD_DARK)
    c.draw(Polygon([(28, 29), (31.5, 25.5), (34, 28), (30.5, 31.5)]), GOLD_DARK)
    return c


def icon_open_lock():
    c = Canvas(48, 48)
    # the shackle: its left leg in the body, the right one lifted clear of it
    c.draw(Circle(26, 12, 10, 6), STEEL_DARK)
    c.draw(Rect(14, 12, 38, 23), None)
    c.draw(Rect(16, 12, 20, 26), STEEL_DARK)
    c.draw(Rect(32, 12, 36, 17), STEEL_DARK)
    c.draw(Rect(4, 22, 34, 46, radius=4), GOLD_DARK)
    c.draw(Rect(6, 24, 32, 44, radius=3), GOLD)
    c.draw(Circle(19, 32, 3.5), GREY_DARK)
    c.draw(Polygon([(17.5, 33), (20.5, 33), (21.5, 40), (16.5, 40)]), GREY_DARK)
    return c


def icon_eraser():
    c = Canvas(48, 48)
    card(c, 2, 4, 40, 27)
    # an eraser lying across the card's lower edge, with crumbs
    body = [(14, 44), (22, 30), (46, 30), (38, 44)]
    c.draw(Polygon([(p[0] + 1, p[1] + 1) for p in body]), GREY_DARK)
    c.draw(Polygon(body), PINK)
    c.draw(Polygon([(14, 44), (22, 30), (30, 30), (22, 44)]), SLEEVE)
    c.draw(Polygon([(22, 44), (30, 30), (31.5, 30), (23.5, 44)]), WHITE)
    c.draw(Line(39, 44, 46, 31, 1.5), PINK_DARK)
    for x, y in ((6, 41), (9, 45), (4, 46)):
        c.draw(Circle(x, y, 1.3), PINK_DARK)
    return c


def logo():
    c = Canvas(134, 24, WHITE)
    card(c, 1, 2, 30, 20)
    text(c, "PELLAM", 38, 3, 2.5, CARD_DARK, gap=1.2)
    return c


def about_picture():
    w, h = 448, 224
    c = Canvas(w, h)
    for y in range(h):  # a vertical blue gradient
        t = y / (h - 1)
        colour = (round(20 + 40 * t), round(60 + 70 * t), round(130 + 90 * t))
        c.draw(Rect(0, y, w, y + 1), colour)
    for i, (x, y, r) in enumerate(((60, 40, 90), (400, 20, 120), (250, 150, 140))):
        c.draw(Circle(x, y, r, r - 14), (60 + 10 * i, 110 + 10 * i, 190))
    card(c, 120, 22, 128, 82)
    card(c, 200, 36, 128, 82)
    # the band the caption is written on (grey 128, as its static control)
    c.draw(Rect(0, 170, w, h), (128, 128, 128))
    c.draw(Rect(0, 168, w, 170), WHITE)
    return c


def app_icon(size):
    c = Canvas(size, size)
    k = size / 32.0
    card(c, 1 * k, 6 * k, 30 * k, 20 * k)
    return c


# Writers.
def bmp_rows(width, height, row_bytes):
    """Bottom-up rows, each padded to four bytes."""
    out = bytearray()
    for y in range(height - 1, -1, -1):
        row = row_bytes(y)
        out += row + b"\0" * ((4 - len(row) % 4) % 4)
    return bytes(out)


def write_bmp24(path, width, height, pixels):
    data = bmp_rows(width, height, lambda y: b"".join(bytes((b, g, r)) for r, g, b in pixels[y * width:(y + 1) * width]))
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", 14 + 40 + len(data), 0, 0, 54) + header + data)


def palette_for(pixels):
    """At most 256 colours: the most frequent ones after dropping the
    lowest three bits, magenta always first."""
    counts = {}
    for p in pixels:
        key = tuple(v & 0xF8 for v in p) if p != MAGENTA else p
        counts[key] = counts.get(key, 0) + 1
    ordered = sorted((k for k in counts if k != MAGENTA), key=lambda k: (-counts[k], k))
    return [MAGENTA] + ordered[:255]


def write_bmp8(path, width, height, pixels):
    palette = palette_for(pixels)
    cache = {}

    def index(p):
        if p not in cache:
            if p == MAGENTA:
                cache[p] = 0
            else:
                cache[p] = min(range(1, len(palette)), key=lambda i: sum((a - b) ** 2 for a, b in zip(p, palette[i])))
        return cache[p]

    data = bmp_rows(width, height, lambda y: bytes(index(p) for p in pixels[y * width:(y + 1) * width]))
    colours = b"".join(bytes((b, g, r, 0)) for r, g, b in palette) + b"\0" * 4 * (256 - len(palette))
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(data), 2835, 2835, 256, 0)
    offset = 14 + 40 + len(colours)
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", offset + len(data), 0, 0, offset) + header + colours + data)


def write_ico(path, canvases):
    images = []
    for c in canvases:
        n = c.w
        pixels = c.pixels(keep_below_half=MAGENTA)
        colour = bmp_rows(n, n, lambda y: b"".join(
            b"\0\0\0\0" if p == MAGENTA else bytes((p[2], p[1], p[0], 255)) for p in pixels[y * n:(y + 1) * n]))

        def mask_row(y):
            bits = bytearray((n + 7) // 8)
            for x in range(n):
                if pixels[y * n + x] == MAGENTA:
                    bits[x // 8] |= 0x80 >> (x % 8)
            return bytes(bits)

        mask = bmp_rows(n, n, mask_row)
        header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
        images.append((n, header + colour + mask))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, data in images:
        out += struct.pack("<BBBBHHII", n % 256, n % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(d for _, d in images))


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    icons = {
        "initialise.bmp": icon_eraser,  # 145
        "pin_unlock.bmp": icon_open_lock,  # 147
        "pin_change.bmp": icon_key,  # 148
        "issue.bmp": icon_issue,  # 146
        "update.bmp": icon_update,  # 149
    }
    for name, draw in icons.items():
        write_bmp8(os.path.join(out, name), 48, 48, draw().pixels(keep_below_half=MAGENTA))
    lg = logo()
    write_bmp24(os.path.join(out, "logo.bmp"), lg.w, lg.h, lg.pixels())
    about = about_picture()
    write_bmp24(os.path.join(out, "about.bmp"), about.w, about.h, about.pixels())
    write_ico(os.path.join(out, "pellam.ico"), [app_icon(32), app_icon(16)])


if __name__ == "__main__":
    main()
