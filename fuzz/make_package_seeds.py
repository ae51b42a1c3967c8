#!/usr/bin/env python3
"""Writes the package-list fuzzer's seed corpus: zip packages as zip writers
make them (stored, deflated, streamed into a pipe), the bundled sample's
description and class definitions, each behind its kind byte.

Usage: make_package_seeds.py OUTPUT_FOLDER
"""

import io
import os
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


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    seeds = {
        "zip-stored": b"\x00" + package_zip(zipfile.ZIP_STORED, False),
        "zip-deflated": b"\x00" + package_zip(zipfile.ZIP_DEFLATED, False),
        "zip-streamed": b"\x00" + package_zip(zipfile.ZIP_DEFLATED, True),
        "description": b"\x01" + sample("package.xml"),
        "classes": b"\x02" + sample("classes.xml"),
    }
    for name, data in seeds.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
