#!/usr/bin/env python3
"""Writes the receive fuzzer's seed corpus: streams as the test server sends
them, each prefixed with the fuzzer's two control bytes (key, chunk size).

Usage: make_seeds.py OUTPUT_FOLDER
"""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "net", "server"))
import orv_wire as w  # noqa: E402


def pkt(packet_id, *fields):
    return w.u16(packet_id) + b"".join(fields)


def text(s):
    return s.encode("utf-8")


def file_packets(transfer, kind, name, content, piece=7):
    out = [pkt(2, w.u16(transfer), w.u8(kind), text(name))]
    for i in range(0, len(content), piece):
        out.append(pkt(3, w.u16(transfer), content[i:i + piece]))
    out.append(pkt(4, w.u16(transfer)))
    return out


def login_and_game(conn):
    yield conn.encode(file_packets(1, 0, "tree.png", bytes(range(200))), w.ZLIB)
    yield conn.encode(file_packets(2, 1, "walk.gani", b"GANI0001\n" * 40), w.BZIP2)
    yield conn.encode([pkt(5, text("2D")), pkt(1, text("game error")), pkt(0)], w.NONE)
    yield conn.encode([pkt(i, w.u32(7), text("x")) for i in range(6, 19)], w.ZLIB)


def hostile(conn):
    names = ["../x", "a/../../x", "/etc/x", "..", "", "a//b", "a\\..\\x", "sub/ok.png"]
    packets = []
    for i, name in enumerate(names):
        packets += file_packets(i, 0, name, b"evil")
    packets += file_packets(99, 5, "x.png", b"kind")
    yield conn.encode(packets, w.ZLIB)


def broken(conn):
    whole = w.frame(pkt(1, text("spans two blocks")))
    yield conn.encode_raw(whole[:5], w.NONE)
    yield conn.encode_raw(whole[5:] + b"\0", w.NONE)
    yield conn.encode_raw(w.frames(pkt(0)), 3)
    yield conn.encode_raw(w.frames(pkt(1, text("not compressed"))), w.ZLIB, compressed=False)
    yield conn.encode_raw(b"\x05\0\0\0\0\x02\0\0", w.NONE)
    yield conn.encode([pkt(1, text("after the bad ones"))], w.NONE)
    yield b"\x00\x00" + b"\x00\x01\x00"


def large(conn):
    packets = [pkt(3, w.u16(1), bytes([i & 0xFF]) * 100) for i in range(400)]
    yield conn.encode([pkt(2, w.u16(1), w.u8(1), text("big.gani"))] + packets + [pkt(4, w.u16(1))], w.BZIP2)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, source in [("login_and_game", login_and_game), ("hostile", hostile), ("broken", broken),
                         ("large", large)]:
        stream = b"".join(source(w.Connection()))
        for chunk in (0, 3, 63):
            with open(os.path.join(out, "%s_%d" % (name, chunk)), "wb") as f:
                f.write(bytes([0, chunk]) + stream)


if __name__ == "__main__":
    main()
