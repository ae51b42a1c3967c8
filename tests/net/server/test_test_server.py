"""The test server itself: its data fields, and one scripted exchange with a
client written here from orv_wire, so that end-to-end failures point at the
client and not at the server."""

import os
import socket
import subprocess
import sys
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import orv_wire as wire  # noqa: E402
import test_server  # noqa: E402


class DataFields(unittest.TestCase):
    def test_fields(self):
        cases = [
            ("0a0B", b"\x0a\x0b"),
            ("hex:ff", b"\xff"),
            ("-", b""),
            ("u8:255+u16:0x102+u24:-1", b"\xff\x01\x02\xff\xff\xff"),
            ("u32:1+u64:2", b"\0\0\0\x01" + b"\0" * 7 + b"\x02"),
            ("f32:1", b"\x3f\x80\x00\x00"),
            ("f64:-2", b"\xc0" + b"\0" * 7),
            ("str:2D", b"\x01\x02" b"2D"),
            ("str:a%20b", b"\x01\x03a b"),
            ("str:", b"\x01\x00"),
            ("text:%C3%A9", "é".encode("utf-8")),
            ("int:0+int:256", b"\x01\x00\x02\x01\x00"),
            ("int:3:1", b"\x03\x00\x00\x01"),
            ("int:-1", b"\x08" + b"\xff" * 8),
            ("zeros:3+rep:2:ab01", b"\0\0\0\xab\x01\xab\x01"),
        ]
        for data_token, expected in cases:
            with self.subTest(data_token=data_token):
                self.assertEqual(expected, test_server.parse_fields(data_token))

    def test_random_bytes_follow_their_seed(self):
        self.assertEqual(test_server.parse_fields("rand:50:7"), test_server.parse_fields("rand:50:7"))
        self.assertNotEqual(test_server.parse_fields("rand:50:7"), test_server.parse_fields("rand:50:8"))
        self.assertEqual(300, len(test_server.parse_fields("rand:300")))

    def test_a_flood_numbers_its_rounds(self):
        self.assertEqual(b"\x00\x07", test_server.parse_fields("seq:2:7:3"))
        self.assertEqual([b"\x0c\x00\x05", b"\x0d", b"\x0c\x00\x08", b"\x0d", b"\x0c\x00\x0b", b"\x0d"],
                         test_server.flood_packets(3, ["0c+seq:2:5:3", "0d"]))
        self.assertEqual([b"\xff", b"\x00"], test_server.flood_packets(2, ["seq:1:255"]))
        self.assertEqual([b"c9x", b"c19x"], test_server.flood_packets(2, ["text:c+num:9:10+text:x"]))
        self.assertEqual(b"42", test_server.parse_fields("num:42"))

    def test_bad_fields_are_refused(self):
        for data_token in ["u9:1", "hex:zz", "u8:x", "file:/no/such/file", "int:9:1", "seq:9", "seq:1:2:3:4"]:
            with self.subTest(data_token=data_token):
                with self.assertRaises(test_server.CommandError):
                    test_server.parse_fields(data_token)


class Exchange(unittest.TestCase):
    def setUp(self):
        self.server = subprocess.Popen([sys.executable, "-u", os.path.join(HERE, "test_server.py")],
                                       stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        first = self.server.stdout.readline().split()
        self.assertEqual("port", first[0])
        self.port = int(first[1])

    def tearDown(self):
        self.server.stdin.close()
        self.server.wait(5)
        self.server.stdout.close()

    def command(self, line):
        self.server.stdin.write(line + "\n")
        self.server.stdin.flush()
        return self.server.stdout.readline().rstrip("\n")

    def read_blocks(self, client, reader, count):
        packets = []
        client.settimeout(5)
        while len(packets) < count:
            packets.extend(reader.feed(client.recv(1 << 16)))
        return packets

    def test_login_switches_both_keys_and_blocks_carry_packets(self):
        client = socket.create_connection(("127.0.0.1", self.port))
        self.addCleanup(client.close)
        self.assertEqual("ok 1", self.command("accept 1 5"))
        self.assertEqual("error timeout 0", self.command("recv"))

        mine_out = wire.Cipher(0)
        client.sendall(wire.encode_block(wire.frames(wire.login_packet(0x5D, "ab", "")), mine_out))
        self.assertEqual("ok 93 6162 -", self.command("login 5"))
        mine_out.reset(0x5D)
        client.sendall(wire.encode_block(wire.frames(b"\x00\x05x", b""), mine_out, wire.ZLIB))
        self.assertEqual("ok 2 000578 -", self.command("recv 2 5"))
        kind, whole = self.command("recvblock").split()[1:]
        self.assertEqual("0", kind)
        login = "u16:1+u8:0+u8:0x5D+text:CL00000000+u8:2+text:ab+u8:0"
        self.assertEqual("ok " + whole, self.command("encode " + login))
        self.assertEqual("ok " + whole, self.command("encode key=0 kind=none " + login))
        self.assertNotEqual("ok " + whole, self.command("encode key=1 " + login))

        reader = wire.BlockReader(wire.Cipher(0x5D))
        for line in ["block u16:5+str:2D u16:0", "block kind=bzip2 u16:3+rand:100",
                     "frames 0102+0001+00", "block chunk=3 delay=1 u16:17+u32:9"]:
            self.assertTrue(self.command(line).startswith("ok "), line)
        self.assertEqual([b"\x00\x05\x01\x022D", b"\x00\x00", b"\x00\x03" + test_server.parse_fields("rand:100"),
                          b"\x00\x01", b"", b"\x00\x11\x00\x00\x00\x09"],
                         self.read_blocks(client, reader, 6))

        # A frame longer than a block spans blocks; every block of a stream decodes on its own.
        self.command("key 5")
        reader = wire.BlockReader(wire.Cipher(5))
        self.assertTrue(self.command("stream size=100 kind=bzip2 u16:1+rep:150:41 u16:0").startswith("ok "))
        self.assertEqual([b"\x00\x01" + b"A" * 150, b"\x00\x00"], self.read_blocks(client, reader, 2))
        self.assertEqual(2, len(reader.blocks))
        self.assertTrue(self.command("flood kind=zlib 3 u16:12+seq:4:1+u8:0").startswith("ok "))
        self.assertEqual([b"\x00\x0c\x00\x00\x00" + bytes([n]) + b"\x00" for n in (1, 2, 3)],
                         self.read_blocks(client, reader, 3))
        self.assertTrue(self.command("flood size=0 1 u16:0").startswith("error "))

        self.assertEqual("ok", self.command("key 7"))
        self.command("corrupt kind=2 rep:8:ff")
        self.command("block u16:0")
        reader = wire.BlockReader(wire.Cipher(7))
        with self.assertRaises(wire.WireError):
            self.read_blocks(client, reader, 1)
        # The good block may have come with the corrupt one or after it.
        self.assertEqual([b"\x00\x00"], reader.feed(b"") or self.read_blocks(client, reader, 1))

        self.assertEqual("ok 0", self.command("errors"))
        client.sendall(b"\x00\x02\x09\x00")
        time.sleep(0.2)
        self.assertEqual("ok 1 block%20of%20unknown%20type%209", self.command("errors"))

    def test_attribute_changes_are_read_back(self):
        client = socket.create_connection(("127.0.0.1", self.port))
        self.addCleanup(client.close)
        self.assertEqual("ok 1", self.command("accept 1 5"))
        mine_out = wire.Cipher(0)
        engine = (wire.u16(5) + wire.u32(7) + wire.u8(2) + wire.u8(3) + wire.f32(1.5) +
                  wire.u8(14) + wire.u8(5) + wire.wire_string("a b") + wire.u8(13) + wire.u8(1) + wire.u8(1) +
                  wire.u8(0xFF))
        changes = wire.u16(4) + wire.u32(7) + wire.u16(300) + wire.u8(4) + wire.f64(0.25)
        client.sendall(wire.encode_block(wire.frames(engine, changes, wire.u16(4) + wire.u32(8)), mine_out))
        self.assertEqual("ok 3 5:7:2=3/1.5,14=5/a%20b,13=1/-1 4:7:300=4/0.25 4:8:-",
                         self.command("recvattrs 3 5"))
        client.sendall(wire.encode_block(wire.frames(wire.u16(5) + wire.u32(1) + wire.u8(2) + wire.u8(9)), mine_out))
        self.assertEqual("error value of type 9", self.command("recvattrs 1 5"))

    def test_closing_either_way_is_reported(self):
        client = socket.create_connection(("127.0.0.1", self.port))
        self.assertEqual("ok 1", self.command("accept 1 5"))
        self.assertEqual("ok", self.command("close"))
        self.assertTrue(self.command("raw 00").startswith("error "))
        client.settimeout(5)
        self.assertEqual(b"", client.recv(10))
        client.close()

        second = socket.create_connection(("127.0.0.1", self.port))
        self.assertEqual("ok 2", self.command("accept 2 5"))
        self.assertEqual("error timeout", self.command("closed"))
        second.close()
        self.assertEqual("ok", self.command("closed 5"))
        self.assertIn("peer_closed=1", self.command("status"))

    def test_writes_wait_for_a_client_that_is_not_reading(self):
        client = socket.create_connection(("127.0.0.1", self.port))
        self.addCleanup(client.close)
        self.assertEqual("ok 1", self.command("accept 1 5"))
        self.assertEqual("ok 16000000", self.command("raw zeros:16000000"))
        self.assertEqual("ok 3", self.command("raw 010203"))
        self.assertEqual("error timeout", self.command("written 0.1"))
        self.command("close")
        got = bytearray()
        client.settimeout(10)
        while True:
            chunk = client.recv(1 << 20)
            if not chunk:
                break
            got += chunk
        self.assertEqual(16000003, len(got))
        self.assertEqual(b"\x01\x02\x03", bytes(got[-3:]))
        self.assertEqual("ok", self.command("written"))

    def test_a_link_that_does_not_read_leaves_the_bytes_in_its_socket(self):
        client = socket.create_connection(("127.0.0.1", self.port))
        self.addCleanup(client.close)
        self.assertEqual("ok 1", self.command("accept 1 5"))
        self.assertEqual("ok", self.command("read off"))
        client.sendall(wire.encode_block(wire.frames(b"\x00\x05x"), wire.Cipher(0)))
        time.sleep(0.2)
        self.assertIn("blocks=0", self.command("status"))
        self.assertEqual("ok", self.command("read on"))
        self.assertEqual("ok 1 000578", self.command("recv 1 5"))
        self.assertTrue(self.command("read maybe").startswith("error "))

    def test_unknown_commands_and_blank_lines(self):
        self.assertEqual("error unknown command nope", self.command("nope"))
        self.server.stdin.write("\n# a comment\n")
        self.assertEqual("ok %d" % self.port, self.command("port"))
        self.assertEqual("error no connection", self.command("block u16:0"))


if __name__ == "__main__":
    unittest.main()
