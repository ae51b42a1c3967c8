#!/usr/bin/env python3
"""Writes the image fuzzer's seed corpus: small pictures of every format the
client reads, in the variants its loaders take apart (palettes, run lengths,
grey, alpha). JPEGs come from ImageMagick's convert when it is installed.

Each seed is the fuzzer's name byte (1 names the file ".tga") followed by the
file.

Usage: make_image_seeds.py OUTPUT_FOLDER
"""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib


def png(width, height, colour_type, channels):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    rows = b"".join(b"\0" + bytes((x * 7 + y * 13) & 0xFF for x in range(width * channels))
                    for y in range(height))
    ihdr = struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(rows)) +
            chunk(b"IEND", b""))


def bmp(width, height, bits):
    palette = b"".join(struct.pack("<BBBB", i, 255 - i, i // 2, 0) for i in range(256)) if bits <= 8 else b""
    row = (width * bits + 7) // 8
    line = (row + 3) // 4 * 4
    pixels = bytes((i * 5) & (0x0F if bits == 4 else 0xFF) for i in range(line * height))
    offset = 54 + len(palette)
    return (b"BM" + struct.pack("<IIII", offset + len(pixels), 0, offset, 40) +
            struct.pack("<IIHHIIIIII", width, height, 1, bits, 0, len(pixels), 0, 0, 0, 0) + palette + pixels)


def tga(width, height, kind, bits, pixels, colour_map=b"", map_length=0, map_bits=0):
    header = struct.pack("<BBBHHBHHHHBB", 0, 1 if colour_map else 0, kind, 0, map_length, map_bits, 0, 0,
                         width, height, bits, 0x20)
    return header + colour_map + pixels


def seeds():
    yield "rgba.png", 0, png(4, 3, 6, 4)
    yield "rgb.png", 0, png(5, 2, 2, 3)
    yield "grey.png", 0, png(3, 3, 0, 1)
    for bits in (1, 4, 8, 16, 24, 32):
        yield "%d.bmp" % bits, 0, bmp(5, 3, bits)
        yield "%d-even.bmp" % bits, 0, bmp(4, 2, bits)
    yield "rgb.tga", 1, tga(3, 2, 2, 24, bytes(range(18)))
    yield "rgba.tga", 1, tga(2, 2, 2, 32, bytes(range(16)))
    yield "grey.tga", 1, tga(4, 2, 3, 8, bytes(range(8)))
    yield "mapped.tga", 1, tga(2, 2, 1, 8, bytes([0, 1, 2, 3]), bytes(range(12)), 4, 24)
    yield "runs.tga", 1, tga(3, 2, 10, 32, b"\x83" + bytes(4) + b"\x01" + bytes(8))
    footer = struct.pack("<II", 0, 0) + b"TRUEVISION-XFILE.\0"
    yield "footer.tga", 0, tga(2, 1, 2, 16, bytes(4)) + footer


def jpegs(folder):
    convert = shutil.which("convert")
    if not convert:
        return
    with tempfile.TemporaryDirectory() as work:
        for name, args in (("rgb.jpg", ["-size", "9x7", "gradient:red-blue"]),
                           ("grey.jpg", ["-size", "8x8", "gradient:", "-colorspace", "Gray"]),
                           ("progressive.jpg", ["-size", "17x5", "plasma:", "-interlace", "JPEG"]),
                           ("cmyk.jpg", ["-size", "6x6", "xc:orange", "-colorspace", "CMYK"])):
            path = os.path.join(work, name)
            if subprocess.run([convert] + args + [path], capture_output=True).returncode == 0:
                with open(path, "rb") as made, open(os.path.join(folder, name), "wb") as seed:
                    seed.write(b"\0" + made.read())


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, named_tga, data in seeds():
        with open(os.path.join(folder, name), "wb") as seed:
            seed.write(bytes([named_tga]) + data)
    jpegs(folder)


if __name__ == "__main__":
    main()
