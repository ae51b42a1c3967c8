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


def png_chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))


def png(width, height, colour_type, channels, text=b""):
    rows = b"".join(b"\0" + bytes((x * 7 + y * 13) & 0xFF for x in range(width * channels))
                    for y in range(height))
    ihdr = struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", ihdr) + text + png_chunk(b"IDAT", zlib.compress(rows)) +
            png_chunk(b"IEND", b""))


def progressive_jpeg(side, scans):
    """A grey progressive JPEG whose coefficients are all 0: a DC scan, then
    AC scans that each code the picture as one run of empty blocks."""
    def segment(marker, body):
        return bytes([0xFF, marker]) + struct.pack(">H", len(body) + 2) + body
    blocks = ((side + 7) // 8) ** 2
    one_code = bytes([1]) + bytes(15)
    out = b"\xff\xd8" + segment(0xDB, bytes(1) + bytes([1] * 64))
    out += segment(0xC2, struct.pack(">BHHB", 8, side, side, 1) + b"\x01\x11\x00")
    out += segment(0xC4, b"\x00" + one_code + b"\x00") + segment(0xC4, b"\x10" + one_code + b"\xe0")
    out += segment(0xDA, b"\x01\x01\x00\x00\x00\x00") + bytes((blocks + 7) // 8)
    for _ in range(scans - 1):
        out += segment(0xDA, b"\x01\x01\x00\x01\x3f\x00") + b"\x00\x01"
    return out + b"\xff\xd9"


def bmp(width, height, bits, info=40, compression=0, pixels=None, masks=b"", colours=256):
    palette = b"".join(struct.pack("<BBBB", i, 255 - i, i // 2, 0) for i in range(colours)) if bits <= 8 else b""
    row = (width * bits + 7) // 8
    line = (row + 3) // 4 * 4
    if pixels is None:
        pixels = bytes((i * 5) & (0x0F if bits == 4 else 0xFF) for i in range(line * abs(height)))
    header = struct.pack("<IiiHHIIIIII", info, width, height, 1, bits, compression, len(pixels), 0, 0,
                         len(palette) // 4, 0) + masks
    header += bytes(max(0, info - len(header)))
    offset = 14 + len(header) + len(palette)
    return b"BM" + struct.pack("<III", offset + len(pixels), 0, offset) + header + palette + pixels


def pcx(width, height, planes, data, palette=b""):
    line = (width + 1) // 2 * 2
    header = struct.pack("<BBBBHHHHHH", 10, 5, 1, 8, 0, 0, width - 1, height - 1, 72, 72) + bytes(48)
    header += struct.pack("<BBHH", 0, planes, line, 1)
    header += bytes(128 - len(header))
    return header + data + ((b"\x0c" + palette.ljust(768, b"\0")) if planes == 1 else b"")


def sgi(width, height, channels, runs):
    header = struct.pack(">HBBHHHHII", 474, 1 if runs else 0, 1, 3, width, height, channels, 0, 255)
    header += bytes(512 - len(header))
    rows = [bytes((x * 40 + y * 7 + c * 60) & 0xFF for x in range(width)) for c in range(channels)
            for y in range(height)]
    if not runs:
        return header + b"".join(rows)
    packed = [bytes([0x80 | width]) + row + b"\0" for row in rows]
    starts, at = [], 512 + 8 * len(rows)
    for row in packed:
        starts.append(at)
        at += len(row)
    return (header + b"".join(struct.pack(">I", s) for s in starts) +
            b"".join(struct.pack(">I", len(row)) for row in packed) + b"".join(packed))


def tga(width, height, kind, bits, pixels, colour_map=b"", map_length=0, map_bits=0, descriptor=0x20):
    header = struct.pack("<BBBHHBHHHHBB", 0, 1 if colour_map else 0, kind, 0, map_length, map_bits, 0, 0,
                         width, height, bits, descriptor)
    return header + colour_map + pixels


def seeds():
    yield "rgba.png", 0, png(4, 3, 6, 4)
    yield "rgb.png", 0, png(5, 2, 2, 3)
    yield "grey.png", 0, png(3, 3, 0, 1)
    yield "text.png", 0, png(2, 2, 6, 4, png_chunk(b"tEXt", b"Title\0Orv") +
                             png_chunk(b"zTXt", b"Comment\0\0" + zlib.compress(b" " * 4096)))
    yield "scans.jpg", 0, progressive_jpeg(16, 100)
    for bits in (1, 4, 8, 16, 24, 32):
        yield "%d.bmp" % bits, 0, bmp(5, 3, bits)
        yield "%d-even.bmp" % bits, 0, bmp(4, 2, bits)
    yield "v5-8.bmp", 0, bmp(5, 3, 8, info=124)
    yield "v4-4.bmp", 0, bmp(5, 3, 4, info=108, colours=16)
    yield "inverted-1.bmp", 0, bmp(9, 2, 1, colours=2)
    yield "top-down.bmp", 0, bmp(3, -2, 24)
    yield "no-alpha-32.bmp", 0, bmp(2, 2, 32, pixels=bytes([9, 8, 7, 0] * 4))
    yield "runs-8.bmp", 0, bmp(5, 2, 8, compression=1, colours=4,
                               pixels=bytes([0, 3, 0, 1, 2, 0, 2, 3, 0, 0, 4, 1, 1, 0, 0, 0, 0, 1]))
    yield "fields-16.bmp", 0, bmp(3, 2, 16, compression=3, masks=struct.pack("<III", 0xF800, 0x7E0, 0x1F))
    yield "fields-32.bmp", 0, bmp(2, 2, 32, info=124, compression=3,
                                  masks=struct.pack("<IIII", 0xFF0000, 0xFF00, 0xFF, 0xFF000000))
    yield "map-32.tga", 1, tga(2, 2, 1, 8, bytes([0, 1, 1, 0]), bytes(range(8)), 2, 32)
    yield "right.tga", 1, tga(3, 2, 2, 24, bytes(range(18)), descriptor=0x30)
    yield "runs-right.tga", 1, tga(3, 2, 10, 24, b"\x82" + bytes(3) + b"\x02" + bytes(9), descriptor=0x10)
    yield "no-alpha-16.tga", 1, tga(2, 2, 2, 16, bytes(range(8)), descriptor=0x20)
    yield "palette.pcx", 0, pcx(3, 2, 1, bytes([0, 1, 2, 0, 0xC3, 3, 0]), bytes(range(48)))
    yield "rgb.pcx", 0, pcx(3, 1, 3, bytes([0xC1, 255, 0, 0, 0, 0, 0xC1, 255, 0, 0, 0, 0, 0xC1, 255, 0]))
    yield "runs.sgi", 0, sgi(3, 2, 3, True)
    yield "rgba.sgi", 0, sgi(2, 2, 4, False)
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
