#!/usr/bin/env python3
"""Writes the package-list fuzzer's seed corpus: zip packages as zip writers
make them (stored, deflated, streamed into a pipe), named ".zip" or found by
their first bytes alone, zips whose deflated entry is corrupt or cut short, a
gzip file, the bundled sample's description and class definitions, each
behind its kind byte.

Usage: make_package_seeds.py OUTPUT_FOLDER
"""

import io
import os
import struct
import sys
import zipfile

SAMPLE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "content", "package", "Sample")


class Pipe(io.RawIOBase):
    """A stream that cannot seek, as a pipe: zipfile then writes data descriptors."""

    def __init__(self):
        self.data = bytearray()

    def writable(self):
        return True

    def write(self, b):
        self.data += b
        return len(b)


def sample(name):
    with open(os.path.join(SAMPLE, name), "rb") as f:
        return f.read()


def package_zip(method, streamed):
    files = {"package.xml": sample("package.xml"), "classes.xml": sample("classes.xml"),
             "scripts/hero.as": sample("hero.as"), "logo.png": b"not really a picture" * 8}
    out = Pipe() if streamed else io.BytesIO()
    with zipfile.ZipFile(out, "w", method) as z:
        for name, data in files.items():
            z.writestr(name, data)
    return bytes(out.data if streamed else out.getvalue())


def damaged(zip_bytes, cut):
    """The archive with its largest entry's deflated data flipped in the middle,
    or with that data's second half gone while its headers still claim it."""
    data = bytearray(zip_bytes)
    end = len(data) - 22
    count, directory_bytes, directory = struct.unpack_from("<HII", data, end + 10)
    at, largest = directory, None
    for _ in range(count):
        packed, name_bytes, extra_bytes, comment_bytes = (struct.unpack_from("<I", data, at + 20)[0],
                                                          *struct.unpack_from("<HHH", data, at + 28))
        local = struct.unpack_from("<I", data, at + 42)[0]
        if largest is None or packed > largest[0]:
            largest = (packed, local)
        at += 46 + name_bytes + extra_bytes + comment_bytes
    packed, local = largest
    start = local + 30 + sum(struct.unpack_from("<HH", data, local + 26))
    if not cut:
        data[start + packed // 2] ^= 0x55
        return bytes(data)
    # Zeros where the second half was: the stream ends early, the archive's other bytes stay put.
    data[start + packed // 2:start + packed] = bytes(packed - packed // 2)
    return bytes(data)


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    seeds = {
        "zip-stored": b"\x00" + package_zip(zipfile.ZIP_STORED, False),
        "zip-deflated": b"\x00" + package_zip(zipfile.ZIP_DEFLATED, False),
        "zip-streamed": b"\x00" + package_zip(zipfile.ZIP_DEFLATED, True),
        "by-first-bytes": b"\x03" + package_zip(zipfile.ZIP_DEFLATED, False),
        "by-first-bytes-streamed": b"\x03" + package_zip(zipfile.ZIP_DEFLATED, True),
        "zip-corrupt-entry": b"\x00" + damaged(package_zip(zipfile.ZIP_DEFLATED, False), False),
        "zip-cut-entry": b"\x03" + damaged(package_zip(zipfile.ZIP_DEFLATED, True), True),
        "gzip": b"\x03\x1f\x8b\x08\x00" + bytes(16),
        "description": b"\x01" + sample("package.xml"),
        "classes": b"\x02" + sample("classes.xml"),
    }
    for name, data in seeds.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
