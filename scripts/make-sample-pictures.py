#!/usr/bin/env python3
"""Draws the bundled sample package's pictures into content/package/Sample.

Every picture is made here from rectangles and a few lines, so the package
holds nothing taken from elsewhere. Run it again after changing a drawing;
the output is the same bytes on every run.
"""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "content", "package", "Sample")

# The colours the window tests look for on screen.
SKY = (104, 176, 232)
GRASS = (72, 160, 64)
DIRT = (128, 84, 48)
STONE = (120, 120, 128)
CRATE = (184, 124, 60)
CRATE_EDGE = (112, 68, 28)


class Picture:
    def __init__(self, width, height, colour=(0, 0, 0, 0)):
        self.width, self.height = width, height
        self.pixels = [list(colour if len(colour) == 4 else colour + (255,)) for _ in range(width * height)]

    def fill(self, x0, y0, x1, y1, colour):
        rgba = colour if len(colour) == 4 else colour + (255,)
        for y in range(max(0, y0), min(self.height, y1)):
            for x in range(max(0, x0), min(self.width, x1)):
                self.pixels[y * self.width + x] = list(rgba)

    def frame(self, x0, y0, x1, y1, colour, thickness=1):
        self.fill(x0, y0, x1, y0 + thickness, colour)
        self.fill(x0, y1 - thickness, x1, y1, colour)
        self.fill(x0, y0, x0 + thickness, y1, colour)
        self.fill(x1 - thickness, y0, x1, y1, colour)

    def blit(self, other, at_x, at_y, mirror=False):
        for y in range(other.height):
            for x in range(other.width):
                source = other.pixels[y * other.width + (other.width - 1 - x if mirror else x)]
                if source[3]:
                    self.fill(at_x + x, at_y + y, at_x + x + 1, at_y + y + 1, tuple(source))

    def png(self):
        rows = b"".join(b"\0" + bytes(c for p in self.pixels[y * self.width:(y + 1) * self.width] for c in p)
                        for y in range(self.height))

        def chunk(kind, data):
            return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 6, 0, 0, 0)
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 9)) +
                chunk(b"IEND", b""))


def speckle(picture, x0, y0, size, colour, step):
    for y in range(y0 + 1, y0 + size - 1, step):
        for x in range(x0 + (y * 3) % step, x0 + size - 1, step):
            picture.fill(x, y, x + 1, y + 1, colour)


def tiles():
    """Four 16 x 16 tiles in a row: sky, grass, dirt, stone."""
    picture = Picture(64, 16)
    picture.fill(0, 0, 16, 16, SKY)
    picture.fill(16, 0, 32, 16, DIRT)
    picture.fill(16, 0, 32, 5, GRASS)
    speckle(picture, 16, 6, 16, (104, 64, 36), 5)
    picture.fill(32, 0, 48, 16, DIRT)
    speckle(picture, 32, 0, 16, (104, 64, 36), 5)
    picture.fill(48, 0, 64, 16, STONE)
    picture.frame(48, 0, 64, 16, (88, 88, 96))
    picture.fill(48, 7, 64, 8, (88, 88, 96))
    return picture


def crate(size=32):
    picture = Picture(size, size)
    picture.fill(0, 0, size, size, CRATE)
    picture.frame(0, 0, size, size, CRATE_EDGE, 3)
    for i in range(3, size - 3):
        picture.fill(i, i, i + 2, i + 1, CRATE_EDGE)
        picture.fill(size - 2 - i, i, size - i, i + 1, CRATE_EDGE)
    return picture


def hero_pose(side, step):
    """One 32 x 32 frame of the hero: from the front, or from its left side."""
    picture = Picture(32, 32)
    skin, shirt, trousers, boots = (240, 200, 160), (200, 48, 48), (48, 64, 160), (40, 32, 24)
    picture.fill(11, 2, 21, 12, skin)            # head
    picture.fill(10, 1, 22, 4, (90, 56, 24))     # hair
    if side:
        picture.fill(12, 6, 14, 8, (0, 0, 0))    # one eye, looking left
    else:
        picture.fill(13, 6, 15, 8, (0, 0, 0))
        picture.fill(17, 6, 19, 8, (0, 0, 0))
    picture.fill(10, 12, 22, 22, shirt)          # body
    arm = 2 if step else 0
    picture.fill(7, 13 + arm, 10, 20 + arm, skin)
    picture.fill(22, 13 - arm + 2, 25, 20 - arm + 2, skin)
    left, right, lift = (-2, 2, 2) if step else (0, 0, 0)
    picture.fill(11 + left, 22, 15 + left, 29, trousers)
    picture.fill(17 + right, 22, 21 + right, 29 - lift, trousers)
    picture.fill(11 + left, 29, 15 + left, 31, boots)
    picture.fill(17 + right, 29 - lift, 21 + right, 31 - lift, boots)
    return picture


def hero():
    """Six frames in a row: front, front stepping, left, left stepping,
    right, right stepping."""
    picture = Picture(192, 32)
    for index, (side, step) in enumerate([(False, 0), (False, 1), (True, 0), (True, 1)]):
        picture.blit(hero_pose(side, step), index * 32, 0)
    picture.blit(hero_pose(True, 0), 128, 0, mirror=True)
    picture.blit(hero_pose(True, 1), 160, 0, mirror=True)
    return picture


def logo():
    picture = Picture(320, 120)
    for y in range(120):
        shade = tuple(int(a + (b - a) * y / 119) for a, b in zip((40, 96, 168), SKY))
        picture.fill(0, y, 320, y + 1, shade)
    picture.fill(0, 96, 320, 120, DIRT)
    picture.fill(0, 92, 320, 98, GRASS)
    picture.blit(crate(), 200, 60)
    picture.blit(crate(), 236, 60)
    picture.blit(crate(), 218, 28)
    picture.blit(hero_pose(False, 0), 120, 60)
    picture.fill(40, 20, 64, 44, (252, 220, 80))  # the sun
    return picture


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, picture in [("tiles.png", tiles()), ("crate.png", crate()), ("hero.png", hero()),
                          ("logo.png", logo())]:
        with open(os.path.join(OUT, name), "wb") as out:
            out.write(picture.png())


if __name__ == "__main__":
    main()
