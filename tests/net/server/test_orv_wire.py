"""The test server's wire module against the protocol's own examples.

    python3 -m unittest -v test_orv_wire      (from tests/net/server)
"""

import unittest

import orv_wire as wire


class CipherTest(unittest.TestCase):
    def test_words_and_changed_bytes(self):
        # (words armed, payload length, bytes changed at most, steps, words after)
        cases = [
            (12, 5, 5, 2, 10),
            (6, 100, 24, 6, 0),
            (7, 28, 28, 7, 0),
            (12, 0, 0, 0, 12),
            (0, 9, 0, 0, 0),
        ]
        for words, length, changed, steps, after in cases:
            with self.subTest(words=words, length=length):
                cipher = wire.Cipher(0x33)
                cipher.words_left = words
                data = bytes(range(1, length + 1))
                out = cipher.apply(data)
                self.assertEqual(out[changed:], data[changed:])
                self.assertEqual(cipher.words_left, after)
                expected = wire.CIPHER_START
                for _ in range(steps):
                    expected = (expected * wire.CIPHER_FACTOR + 0x33) & 0xFFFFFFFF
                self.assertEqual(cipher.iterator, expected)

    def test_first_step_after_reset(self):
        for key in (0, 1, 0x80, 0xFF):
            with self.subTest(key=key):
                cipher = wire.Cipher(7)
                cipher.reset(key)
                cipher.set_words(wire.NONE)
                first = (wire.CIPHER_START * wire.CIPHER_FACTOR + key) & 0xFFFFFFFF
                self.assertEqual(cipher.apply(b"\0"), bytes([first & 0xFF]))

    def test_twice_restores(self):
        for kind in (wire.NONE, wire.ZLIB, wire.BZIP2):
            a, b = wire.Cipher(9), wire.Cipher(9)
            a.set_words(kind)
            b.set_words(kind)
            data = bytes(range(60))
            self.assertEqual(b.apply(a.apply(data)), data)

    def test_unknown_type_keeps_leftover_words(self):
        cipher = wire.Cipher(0)
        cipher.set_words(wire.ZLIB)
        cipher.apply(b"abcd")
        self.assertFalse(cipher.set_words(3))
        self.assertEqual(cipher.words_left, 5)


class FieldTest(unittest.TestCase):
    def test_wire_string_widths(self):
        cases = [(0, b"\x01\x00"), (255, b"\x01\xff"), (256, b"\x02\x01\x00"),
                 (300, b"\x02\x01\x2c"), (65535, b"\x02\xff\xff"), (65536, b"\x03\x01\x00\x00")]
        for length, header in cases:
            with self.subTest(length=length):
                self.assertEqual(wire.wire_string("x" * length), header + b"x" * length)

    def test_reader_short_reads(self):
        reader = wire.PacketReader(b"\x01\x41")
        self.assertEqual(reader.u8(), 1)
        self.assertEqual(reader.u16(), 0)
        self.assertEqual(reader.u8(), 0x41)
        cases = [(b"\x00\x41", "", 1), (b"\x09\x41", "", 1), (b"\x01\x05ab", "ab", 4), (b"\x01\x03a\0b", "a", 5)]
        for data, text, pos in cases:
            with self.subTest(data=data):
                reader = wire.PacketReader(data)
                self.assertEqual(reader.string(), text)
                self.assertEqual(reader.pos, pos)

    def test_login_packet(self):
        self.assertEqual(wire.login_packet(0x5A, "ab", ""),
                         b"\x00\x01\x00\x5a" + b"CL00000000" + b"\x02ab\x00")
        self.assertEqual(wire.read_login(wire.login_packet(3, "user", "pw")),
                         {"key": 3, "user": "user", "password": "pw"})


class FrameTest(unittest.TestCase):
    def test_frame_widths(self):
        cases = [(0, b"\x01\x00"), (2, b"\x01\x02"), (255, b"\x01\xff"), (256, b"\x02\x01\x00"), (300, b"\x02\x01\x2c")]
        for length, header in cases:
            with self.subTest(length=length):
                self.assertEqual(wire.frame(b"p" * length), header + b"p" * length)
        self.assertEqual(wire.frame(b"", 0), b"\x00")
        self.assertEqual(wire.frame(b"ab", 3), b"\x03\x00\x00\x02ab")

    def test_reader_waits_for_whole_frames(self):
        stream = wire.frames(b"\x00\x05hi", b"", b"x" * 300) + wire.frame(b"", 0)
        for cut in range(len(stream) + 1):
            with self.subTest(cut=cut):
                reader = wire.FrameReader()
                got = reader.feed(stream[:cut]) + reader.feed(stream[cut:])
                self.assertEqual(got, [b"\x00\x05hi", b"", b"x" * 300, b""])
                self.assertEqual(reader.pending, b"")

    def test_width_above_four(self):
        with self.assertRaises(wire.WireError):
            wire.FrameReader().feed(wire.frame(b"ab", 5))


class BlockTest(unittest.TestCase):
    def roundtrip(self, data, kind=None):
        server = wire.Connection()
        client = wire.BlockReader(wire.Cipher(0))
        return client.feed(server.encode_raw(data, kind))

    def test_kind_by_size(self):
        cases = [(0, wire.NONE), (55, wire.NONE), (56, wire.ZLIB), (8192, wire.ZLIB), (8193, wire.BZIP2)]
        for size, kind in cases:
            with self.subTest(size=size):
                self.assertEqual(wire.kind_for_size(size), kind)
                block = wire.encode_block(b"\x07" * size, wire.Cipher(0))
                self.assertEqual(block[2], kind)
                self.assertEqual(int.from_bytes(block[:2], "big"), len(block) - 2)

    def test_roundtrip_every_kind_and_cut(self):
        packets = [b"\x00\x11" + bytes(range(200)), b"\x00\x05\x01\x00\x02\x32\x44"]
        for kind in (wire.NONE, wire.ZLIB, wire.BZIP2):
            server = wire.Connection()
            stream = server.encode(packets, kind) + server.encode(packets[:1], kind)
            for cut in (0, 1, 2, 3, 10, len(stream) - 1):
                with self.subTest(kind=kind, cut=cut):
                    client = wire.BlockReader(wire.Cipher(0))
                    got = client.feed(stream[:cut]) + client.feed(stream[cut:])
                    self.assertEqual(got, packets + packets[:1])

    def test_short_blocks(self):
        cases = [(b"\x00\x00", []), (b"\x00\x01\x00", []), (b"\x00", []), (b"\x00\x05\x02\x00", [])]
        for stream, packets in cases:
            with self.subTest(stream=stream):
                self.assertEqual(wire.BlockReader(wire.Cipher(0)).feed(stream), packets)

    def test_bad_block_keeps_cipher_in_step(self):
        good = [b"\x00\x01ok"]
        junk = b"\x01\x02\x00\x09" * 20
        cases = [("corrupt zlib", wire.ZLIB, False), ("unknown type", 7, None), ("corrupt bzip2", wire.BZIP2, False)]
        for name, kind, compressed in cases:
            with self.subTest(name):
                server = wire.Connection()
                bad = server.encode_raw(junk, kind, compressed)
                client = wire.BlockReader(wire.Cipher(0))
                with self.assertRaises(wire.WireError):
                    client.feed(bad)
                self.assertEqual(client.feed(server.encode(good)), good)

    def test_inflating_beyond_the_client_buffer(self):
        with self.assertRaises(wire.WireError):
            wire.decompress(wire.ZLIB, wire.compress(wire.ZLIB, bytes(65536)))
        with self.assertRaises(wire.WireError):
            wire.decompress(wire.BZIP2, wire.compress(wire.BZIP2, bytes(65536)))
        self.assertEqual(wire.decompress(wire.BZIP2, wire.compress(wire.BZIP2, bytes(65535))), bytes(65535))


if __name__ == "__main__":
    unittest.main()
