#!/usr/bin/env python3
"""Writes the font fuzzer's seed corpus: small fonts made here, each behind its
size and switch bytes. A TrueType font of four glyphs (an empty one, a square,
a triangle whose instructions run in the hinter, a composite of the square),
with a character map, horizontal metrics and kerning pairs; the same with a
font program and a control value program; and a bitmap font in BDF.

Usage: make_font_seeds.py OUTPUT_FOLDER
"""

import os
import struct
import sys


def checksum(data):
    data += bytes(-len(data) % 4)
    return sum(struct.unpack(">%dI" % (len(data) // 4), data)) & 0xFFFFFFFF


def sfnt(tables):
    """The font file of the tables (tag to bytes), sorted by tag as the format asks."""
    tags = sorted(tables)
    count = len(tags)
    power = 1
    while power * 2 <= count:
        power *= 2
    head = struct.pack(">IHHHH", 0x00010000, count, power * 16, power.bit_length() - 1, count * 16 - power * 16)
    offset = 12 + 16 * count
    directory, body = b"", b""
    for tag in tags:
        data = tables[tag]
        directory += struct.pack(">4sIII", tag.encode(), checksum(data), offset + len(body), len(data))
        body += data + bytes(-len(data) % 4)
    return head + directory + body


def simple_glyph(points, instructions=b""):
    """One closed contour of on-curve points."""
    xs = [x for x, _ in points]
    ys = [y for _, y in points]
    out = struct.pack(">hhhhh", 1, min(xs), min(ys), max(xs), max(ys))
    out += struct.pack(">H", len(points) - 1)
    out += struct.pack(">H", len(instructions)) + instructions
    out += bytes([0x01] * len(points))
    previous = 0
    for x in xs:
        out += struct.pack(">h", x - previous)
        previous = x
    previous = 0
    for y in ys:
        out += struct.pack(">h", y - previous)
        previous = y
    return out


def composite_glyph(component, dx, dy):
    # Word arguments that are offsets, and a scale of one half.
    out = struct.pack(">hhhhh", -1, dx, dy, dx + 350, dy + 350)
    out += struct.pack(">HHhhh", 0x0001 | 0x0002 | 0x0008, component, dx, dy, 0x2000)
    return out


def truetype(with_programs):
    glyphs = [
        b"",
        simple_glyph([(50, 0), (650, 0), (650, 700), (50, 700)]),
        # PUSHB[1] 0 1, SWAP, POP, POP: the hinter runs them and changes nothing.
        simple_glyph([(0, 0), (600, 0), (300, 700)], bytes([0xB1, 0x00, 0x01, 0x23, 0x21, 0x21])),
        composite_glyph(1, 100, 100),
    ]
    glyf, loca = b"", []
    for glyph in glyphs:
        loca.append(len(glyf) // 2)
        glyf += glyph + bytes(len(glyph) % 2)
    loca.append(len(glyf) // 2)

    tables = {
        "head": struct.pack(">IIIIHHQQhhhhHHhhh", 0x00010000, 0x00010000, 0, 0x5F0F3CF5, 0x000B, 1000, 0, 0,
                            0, -200, 700, 800, 0, 8, 2, 0, 0),
        "hhea": struct.pack(">IhhhHhhhhhh8xhH", 0x00010000, 800, -200, 0, 700, 0, 0, 650, 1, 0, 0, 0,
                            len(glyphs)),
        "maxp": struct.pack(">IHHHHHHHHHHHHHH", 0x00010000, len(glyphs), 4, 1, 4, 1, 2, 0, 4, 2, 0, 64, 64, 1, 1),
        "hmtx": b"".join(struct.pack(">Hh", 700, 50) for _ in glyphs),
        "loca": struct.pack(">%dH" % len(loca), *loca),
        "glyf": glyf,
        "post": struct.pack(">IIhhIIIII", 0x00030000, 0, -100, 50, 0, 0, 0, 0, 0),
    }
    # Format 4: A to C on glyphs 1 to 3, U+0416 and U+FFFD on the square, then the closing segment.
    segments = [(0x41, 0x43, 1 - 0x41), (0x416, 0x416, 1 - 0x416), (0xFFFD, 0xFFFD, 1 - 0xFFFD), (0xFFFF, 0xFFFF, 1)]
    count = len(segments)
    power = 1
    while power * 2 <= count:
        power *= 2
    body = struct.pack(">HHHH", count * 2, power * 2, power.bit_length() - 1, count * 2 - power * 2)
    body += b"".join(struct.pack(">H", end) for _, end, _ in segments) + b"\0\0"
    body += b"".join(struct.pack(">H", start) for start, _, _ in segments)
    body += b"".join(struct.pack(">H", delta & 0xFFFF) for _, _, delta in segments)
    body += bytes(2 * count)
    subtable = struct.pack(">HHH", 4, 6 + len(body), 0) + body
    tables["cmap"] = struct.pack(">HHHHI", 0, 1, 3, 1, 12) + subtable
    name = "Fuzz".encode("utf-16-be")
    tables["name"] = struct.pack(">HHHHHHHHH", 0, 1, 18, 3, 1, 0x409, 1, len(name), 0) + name
    pairs = [(1, 2, -80), (2, 1, -40), (3, 3, 30)]
    kern = struct.pack(">HHHH", len(pairs), 12, 1, len(pairs) * 6 - 12)
    kern += b"".join(struct.pack(">HHh", left, right, value) for left, right, value in pairs)
    tables["kern"] = struct.pack(">HH", 0, 1) + struct.pack(">HHH", 0, 6 + len(kern), 0x0001) + kern
    if with_programs:
        # FDEF 0: PUSHB[0] 1, POP, ENDF; the control value program calls it.
        tables["fpgm"] = bytes([0xB0, 0x00, 0x2C, 0xB0, 0x01, 0x21, 0x2D])
        tables["prep"] = bytes([0xB0, 0x00, 0x2B])
        tables["cvt "] = struct.pack(">hh", 700, -200)
    return sfnt(tables)


BDF = b"""STARTFONT 2.1
FONT -misc-fuzz-medium-r-normal--8-80-75-75-c-80-iso10646-1
SIZE 8 75 75
FONTBOUNDINGBOX 8 8 0 -1
STARTPROPERTIES 2
FONT_ASCENT 7
FONT_DESCENT 1
ENDPROPERTIES
CHARS 2
STARTCHAR A
ENCODING 65
SWIDTH 500 0
DWIDTH 8 0
BBX 8 8 0 -1
BITMAP
18
24
42
7E
42
42
42
00
ENDCHAR
STARTCHAR uniFFFD
ENCODING 65533
SWIDTH 500 0
DWIDTH 8 0
BBX 8 8 0 -1
BITMAP
FF
81
81
81
81
81
FF
00
ENDCHAR
ENDFONT
"""


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    seeds = {
        "truetype": b"\x0a\x0e" + truetype(False),
        "truetype-mono": b"\x02\x01" + truetype(False),
        "truetype-programs": b"\x1c\x3e" + truetype(True),
        "bdf": b"\x04\x08" + BDF,
    }
    for name, data in seeds.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
