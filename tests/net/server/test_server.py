#!/usr/bin/env python3
"""A scriptable game server on loopback, for the client's end-to-end tests.

Standard library only; the wire format comes from orv_wire.py beside it, which
is written from the protocol and not from the client's code.

Start
    python3 test_server.py [--host 127.0.0.1] [--port 0] [--script FILE]
                           [--log FILE]

The server listens at once (port 0: the system picks a free one) and prints
the line "port N" on stdout. From then on it reads commands, one a line, first
from the --script file (if any) and then from stdin, and answers every command
with exactly one line on stdout: "ok ..." or "error MESSAGE". It ends on the
command "quit" or at the end of stdin. Lines that are empty or start with "#"
are skipped and get no answer.

Connections are accepted in the background as they arrive; every command
works on the latest one. Each new connection starts clean: both ciphers at
key 0. Everything the client sends is read in the background too: blocks are
cut, descrambled and decompressed, frames are cut into packets, and all of it
is kept for the commands below. When a client packet with id 1 (the login)
arrives, both ciphers switch to its key after its block, as a real server
does ("autokey off" stops that).

Data fields (DATA): one token of fields joined by "+", giving bytes:
    ABCD01       bare hex            hex:ABCD      hex
    u8:N u16:N u24:N u32:N u40:N u48:N u56:N u64:N
                 big-endian integers (decimal, 0x.. hex, or negative)
    f32:X f64:X  IEEE-754 floats, big-endian
    str:TEXT     a wire string (width byte, length, UTF-8 bytes)
    text:TEXT    the UTF-8 bytes alone
                 (TEXT takes %XX escapes: %20 is a space, %25 a percent sign)
    int:N        an attribute integer: width byte, then N in the fewest bytes
    int:W:N      the same with the width forced
    zeros:N      N zero bytes          rep:N:HEX   HEX repeated N times
    rand:N[:S]   N random bytes (seed S, default 1)
    file:PATH    the contents of a file
    seq:W[:A[:D]] in a flood, a big-endian integer of W bytes: A (default 0)
                 in the first round, then D (default 1) more in each round;
                 A anywhere else
    num:A[:D]    the same number as decimal text
    -            nothing
Example: the parser-mode packet "2D" is u16:5+text:2D.

Options (KEY=VALUE tokens before the data):
    kind=auto|none|zlib|bzip2|N   compression type of the block; auto picks
                                  it by size as the client does (default)
    chunk=N delay=MS              write the bytes in pieces of N bytes with a
                                  pause of MS milliseconds between them
    size=N                        stream and flood: decompressed bytes of a
                                  block (default 61440, the most the client
                                  joins)

Commands (writes are queued and done in the background, in order, so that
a test which pumps the client on its own thread is never blocked by them)
    port                      ok PORT
    accept [N] [TIMEOUT]      waits until N connections (default 1) were
                              accepted in all: ok N
    block [opts] DATA...      one block holding one frame per DATA (each DATA
                              one packet): ok BYTES
    frames [opts] DATA        one block whose decompressed content is DATA as
                              given (hand-made frames; width bytes up to 255)
    stream [opts] DATA...     the frames of the packets (one per DATA), cut
                              into as many blocks as they need: a frame
                              longer than a block spans blocks: ok BYTES
    flood [opts] COUNT DATA...
                              COUNT rounds of the packets, numbered by their
                              seq fields, sent as stream sends them: ok BYTES
    corrupt kind=N DATA       a block of type N whose payload is DATA,
                              scrambled but not compressed (a corrupt zlib or
                              bzip2 block, or an unknown type)
    raw [chunk/delay] DATA    DATA on the wire as it is; the ciphers do not run
    encode [key=K] [kind=..] DATA...
                              sends nothing: the block a peer whose cipher
                              was just reset to key K (default 0) writes for
                              these packets, as golden bytes: ok HEX
    key K                     both ciphers start again with key K
    autokey on|off            whether a login switches the ciphers (default on)
    recv [N] [TIMEOUT]        waits until N unread client packets (default 1)
                              arrived and takes all unread ones:
                              ok COUNT HEX... ("-" is an empty packet);
                              error timeout AVAILABLE otherwise (nothing taken)
    recvattrs [N] [TIMEOUT]   like recv, each packet read as an attribute
                              change (id 5 or 4): ok COUNT PACKET... with
                              PACKET = ID:OBJECT:ENTRY,ENTRY... ("-" when no
                              entry) and ENTRY = ATTRIBUTE=TYPE/VALUE (floats
                              with repr, texts %XX-escaped)
    login [TIMEOUT]           takes the next unread client packet, which must
                              be a login: ok KEY USER_HEX PASSWORD_HEX
    recvblock [TIMEOUT]       the next unread client block as it was on the
                              wire, length and type included: ok TYPE HEX
    status                    ok connections=N connected=0|1 peer_closed=0|1
                              packets=N unread=N blocks=N errors=N
    errors                    ok N MESSAGE... (each message %XX-escaped)
    written [TIMEOUT]         waits until every queued byte is written (default
                              10 s): ok
    close                     the server closes the latest connection once
                              what was queued before is written: ok
    closed [TIMEOUT]          waits until the client closed it: ok
    read on|off               whether the latest connection takes what the
                              client sends (default on); off leaves it in the
                              socket, whose window soon fills: ok
    save PATH                 writes every byte queued for the latest connection
                              to PATH (for fuzzing seed corpora): ok BYTES
    sleep MS                  ok
    quit                      ok, then the server ends

TIMEOUT is in seconds (fractions allowed) and 0 unless given, so a test that
drives the client on its own thread can poll without blocking itself.
tests/support/CTestServer.h starts and drives this server from a C++ test.
"""

import argparse
import collections
import os
import random
import socket
import struct
import sys
import threading
import time
import urllib.parse

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import orv_wire as wire  # noqa: E402


class CommandError(Exception):
    pass


# --- data fields -------------------------------------------------------------

INT_FIELDS = {"u8": 1, "u16": 2, "u24": 3, "u32": 4, "u40": 5, "u48": 6, "u56": 7, "u64": 8}


def parse_number(text):
    try:
        return int(text, 0)
    except ValueError:
        raise CommandError("not a number: %s" % text)


def unescape(text):
    return urllib.parse.unquote(text, errors="strict")


def parse_field(field):
    if field == "-":
        return b""
    name, sep, value = field.partition(":")
    if not sep:
        name, value = "hex", field
    try:
        if name == "hex":
            return bytes.fromhex(value)
        if name in INT_FIELDS:
            return wire.uint(INT_FIELDS[name], parse_number(value))
        if name == "f32":
            return struct.pack(">f", float(value))
        if name == "f64":
            return struct.pack(">d", float(value))
        if name == "str":
            return wire.wire_string(unescape(value))
        if name == "text":
            return unescape(value).encode("utf-8")
        if name == "int":
            parts = value.split(":")
            number = parse_number(parts[-1]) & 0xFFFFFFFFFFFFFFFF
            width = parse_number(parts[0]) if len(parts) == 2 else wire.fewest_bytes(number, 8)
            return bytes([width & 0xFF]) + wire.uint(width, number)
        if name == "zeros":
            return bytes(parse_number(value))
        if name == "rep":
            count, _, pattern = value.partition(":")
            return bytes.fromhex(pattern) * parse_number(count)
        if name == "rand":
            count, _, seed = value.partition(":")
            generator = random.Random(parse_number(seed) if seed else 1)
            return bytes(generator.getrandbits(8) for _ in range(parse_number(count)))
        if name == "file":
            with open(unescape(value), "rb") as handle:
                return handle.read()
        if name == "seq":
            width, start, _ = parse_seq(value)
            return wire.uint(width, start)
        if name == "num":
            return str(parse_num(value)[0]).encode("ascii")
    except (ValueError, OSError, wire.WireError) as error:
        raise CommandError("bad field %s: %s" % (field, error))
    raise CommandError("unknown field %s" % field)


def parse_fields(token):
    return b"".join(parse_field(field) for field in token.split("+"))


def parse_seq(value):
    parts = [parse_number(part) for part in value.split(":")]
    if not 1 <= len(parts) <= 3 or not 1 <= parts[0] <= 8:
        raise CommandError("bad seq field seq:%s" % value)
    return parts[0], parts[1] if len(parts) > 1 else 0, parts[2] if len(parts) > 2 else 1


def parse_num(value):
    parts = [parse_number(part) for part in value.split(":")]
    if not 1 <= len(parts) <= 2:
        raise CommandError("bad num field num:%s" % value)
    return parts[0], parts[1] if len(parts) > 1 else 1


def flood_packets(count, tokens):
    """COUNT rounds of the packets of the tokens, their seq fields numbered by
    the round; the other fields are read once."""
    templates = []
    for token in tokens:
        parts = []
        for field in token.split("+"):
            if field.startswith("seq:"):
                parts.append(parse_seq(field[4:]))
            elif field.startswith("num:"):
                parts.append((0,) + parse_num(field[4:]))
            else:
                parts.append(parse_field(field))
        templates.append(parts)
    def field_of_round(part, index):
        if isinstance(part, bytes):
            return part
        width, start, step = part
        value = start + index * step
        # Width 0 is the decimal text of a num field.
        return str(value).encode("ascii") if width == 0 else wire.uint(width, value % (1 << (8 * width)))

    packets = []
    for index in range(count):
        for parts in templates:
            packets.append(b"".join(field_of_round(part, index) for part in parts))
    return packets


KINDS = {"none": wire.NONE, "zlib": wire.ZLIB, "bzip2": wire.BZIP2}

# Decompressed bytes of a block that stream and flood cut: the most the client's own flush joins.
STREAM_BLOCK = 0xF000


def split_options(args):
    options = {}
    rest = []
    for arg in args:
        key, sep, value = arg.partition("=")
        if sep and not rest and key in ("kind", "chunk", "delay", "key", "size"):
            options[key] = value
        else:
            rest.append(arg)
    kind = options.get("kind", "auto")
    if kind == "auto":
        options["kind"] = None
    elif kind in KINDS:
        options["kind"] = KINDS[kind]
    else:
        options["kind"] = parse_number(kind) & 0xFF
    options["key"] = parse_number(options.get("key", "0")) & 0xFF
    options["chunk"] = parse_number(options.get("chunk", "0"))
    options["delay"] = parse_number(options.get("delay", "0")) / 1000.0
    options["size"] = parse_number(options.get("size", str(STREAM_BLOCK)))
    if not 1 <= options["size"] <= wire.MAX_DECOMPRESSED:
        raise CommandError("size=%d: a block holds 1 to %d bytes" % (options["size"], wire.MAX_DECOMPRESSED))
    return options, rest


def hex_or_dash(data):
    return data.hex() if data else "-"


def seconds(args, index, default=0.0):
    if len(args) > index:
        try:
            return float(args[index])
        except ValueError:
            raise CommandError("not a time: %s" % args[index])
    return default


# --- one client connection --------------------------------------------------

class ClientLink:
    """The server's side of one accepted connection."""

    def __init__(self, sock, changed, autokey):
        self.sock = sock
        self.changed = changed  # the server's condition, shared by all links
        self.autokey = autokey
        self.connection = wire.Connection()
        self.frames = wire.FrameReader()
        self.pending = b""
        self.packets = []
        self.read_packets = 0
        self.blocks = []
        self.read_blocks = 0
        self.errors = []
        self.sent = bytearray()
        self.reading = True
        self.peer_closed = False
        self.closed_here = False
        self.outbox = collections.deque()
        threading.Thread(target=self.read_loop, daemon=True).start()
        threading.Thread(target=self.write_loop, daemon=True).start()

    def read_loop(self):
        while True:
            try:
                data = self.sock.recv(1 << 16)
            except OSError:
                data = b""
            with self.changed:
                # A piece read before reading stopped waits here, and nothing more is taken.
                while not self.reading:
                    self.changed.wait()
                if not data:
                    self.peer_closed = True
                    self.changed.notify_all()
                    return
                self.ingest(data)
                self.changed.notify_all()

    def ingest(self, data):
        self.pending += data
        while len(self.pending) >= 2:
            length = struct.unpack(">H", self.pending[:2])[0]
            if len(self.pending) - 2 < length:
                return
            whole = self.pending[:2 + length]
            self.pending = self.pending[2 + length:]
            self.blocks.append(whole)
            self.ingest_block(whole[2:])

    def ingest_block(self, body):
        kind, payload = (body[0], body[1:]) if body else (wire.NONE, b"")
        cipher = self.connection.incoming
        known = cipher.set_words(kind)
        # The cipher runs over every block so that it stays in step with the client's.
        plain = cipher.apply(payload)
        if not known:
            self.errors.append("block of unknown type %d" % kind)
            return
        try:
            packets = self.frames.feed(wire.decompress(kind, plain))
        except wire.WireError as error:
            self.errors.append(str(error))
            return
        login_key = None
        for packet in packets:
            self.packets.append(packet)
            if self.autokey and packet[:2] == wire.u16(wire.LOGIN_ID):
                try:
                    login_key = wire.read_login(packet)["key"]
                except wire.WireError as error:
                    self.errors.append(str(error))
        # The client switches keys right after its login block, both ways.
        if login_key is not None:
            self.connection.reset(login_key)

    def write(self, data, chunk, delay):
        """Queues bytes for the writer thread, so that a client which is not
        reading (its test thread waits for this answer) cannot stall the
        server; the order of everything queued is kept."""
        if self.closed_here:
            raise CommandError("connection closed by the server")
        self.sent += data
        self.outbox.append((data, chunk, delay))
        self.changed.notify_all()
        return len(data)

    def close(self):
        """Closes once everything queued before has been written."""
        if not self.closed_here:
            self.closed_here = True
            self.outbox.append(None)
            self.changed.notify_all()

    def write_loop(self):
        while True:
            with self.changed:
                while not self.outbox:
                    self.changed.wait()
                item = self.outbox[0]
            if item is None:
                try:
                    self.sock.shutdown(socket.SHUT_RDWR)
                except OSError:
                    pass
                self.sock.close()
                with self.changed:
                    self.outbox.clear()
                    self.changed.notify_all()
                return
            data, chunk, delay = item
            pieces = [data] if chunk <= 0 else [data[i:i + chunk] for i in range(0, len(data), chunk)]
            for index, piece in enumerate(pieces):
                if index and delay:
                    time.sleep(delay)
                try:
                    self.sock.sendall(piece)
                except OSError as error:
                    with self.changed:
                        self.errors.append("write failed: %s" % error)
                    break
            with self.changed:
                self.outbox.popleft()
                self.changed.notify_all()


# --- the server -------------------------------------------------------------

class TestServer:
    def __init__(self, host, port, log):
        self.listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self.listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.listener.bind((host, port))
        self.listener.listen(8)
        self.port = self.listener.getsockname()[1]
        self.changed = threading.Condition()
        self.links = []
        self.autokey = True
        self.log = log
        threading.Thread(target=self.accept_loop, daemon=True).start()

    def accept_loop(self):
        while True:
            try:
                sock, _ = self.listener.accept()
            except OSError:
                return
            sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
            with self.changed:
                self.links.append(ClientLink(sock, self.changed, self.autokey))
                self.changed.notify_all()

    def wait(self, condition, timeout):
        """Waits (holding the lock) until condition() holds or time runs out."""
        deadline = time.monotonic() + timeout
        while not condition():
            left = deadline - time.monotonic()
            if left <= 0:
                return False
            self.changed.wait(left)
        return True

    def link(self):
        if not self.links:
            raise CommandError("no connection")
        return self.links[-1]

    # Every handler holds the lock except where it writes to the socket.

    def cmd_port(self, args):
        return str(self.port)

    def cmd_accept(self, args):
        count = parse_number(args[0]) if args else 1
        if not self.wait(lambda: len(self.links) >= count, seconds(args, 1, 10.0)):
            raise CommandError("timeout %d" % len(self.links))
        return str(len(self.links))

    def send_block(self, args, make):
        options, parts = split_options(args)
        link = self.link()
        data = make(link, options, [parse_fields(data_token) for data_token in parts])
        return str(link.write(data, options["chunk"], options["delay"]))

    def cmd_block(self, args):
        return self.send_block(args, lambda link, o, packets: link.connection.encode(packets, o["kind"]))

    def cmd_frames(self, args):
        return self.send_block(args, lambda link, o, parts: link.connection.encode_raw(b"".join(parts), o["kind"]))

    def send_stream(self, args, packets_of):
        options, parts = split_options(args)
        link = self.link()
        data = wire.frames(*packets_of(parts))
        size = options["size"]
        blocks = [link.connection.encode_raw(data[i:i + size], options["kind"]) for i in range(0, len(data), size)]
        return str(link.write(b"".join(blocks), options["chunk"], options["delay"]))

    def cmd_stream(self, args):
        return self.send_stream(args, lambda parts: [parse_fields(token) for token in parts])

    def cmd_flood(self, args):
        def packets_of(parts):
            if not parts:
                raise CommandError("flood takes a count")
            return flood_packets(parse_number(parts[0]), parts[1:])
        return self.send_stream(args, packets_of)

    def cmd_corrupt(self, args):
        def make(link, options, parts):
            if options["kind"] is None:
                raise CommandError("corrupt needs kind=")
            return link.connection.encode_raw(b"".join(parts), options["kind"], compressed=False)
        return self.send_block(args, make)

    def cmd_raw(self, args):
        return self.send_block(args, lambda link, o, parts: b"".join(parts))

    def cmd_encode(self, args):
        options, parts = split_options(args)
        packets = [parse_fields(data_token) for data_token in parts]
        return wire.encode_block(wire.frames(*packets), wire.Cipher(options["key"]), options["kind"]).hex()

    def cmd_key(self, args):
        if len(args) != 1:
            raise CommandError("key takes one number")
        self.link().connection.reset(parse_number(args[0]))
        return ""

    def cmd_autokey(self, args):
        if args not in (["on"], ["off"]):
            raise CommandError("autokey on|off")
        self.autokey = args[0] == "on"
        for link in self.links:
            link.autokey = self.autokey
        return ""

    def cmd_recv(self, args):
        count = parse_number(args[0]) if args else 1
        link = self.link()
        if not self.wait(lambda: len(link.packets) - link.read_packets >= count, seconds(args, 1)):
            raise CommandError("timeout %d" % (len(link.packets) - link.read_packets))
        taken = link.packets[link.read_packets:]
        link.read_packets = len(link.packets)
        return " ".join([str(len(taken))] + [hex_or_dash(p) for p in taken])

    def cmd_recvattrs(self, args):
        taken = self.cmd_recv(args).split()[1:]
        out = []
        for packet_hex in taken:
            try:
                packet_id, object_id, entries = wire.read_attribute_changes(
                    b"" if packet_hex == "-" else bytes.fromhex(packet_hex))
            except wire.WireError as error:
                raise CommandError(str(error))
            shown = []
            for attribute, kind, value in entries:
                if kind == 5:
                    value = urllib.parse.quote(value, safe="")
                elif kind in (3, 4):
                    value = repr(value)
                shown.append("%d=%d/%s" % (attribute, kind, value))
            out.append("%d:%d:%s" % (packet_id, object_id, ",".join(shown) or "-"))
        return " ".join([str(len(out))] + out)

    def cmd_login(self, args):
        link = self.link()
        if not self.wait(lambda: len(link.packets) > link.read_packets, seconds(args, 0)):
            raise CommandError("timeout 0")
        packet = link.packets[link.read_packets]
        link.read_packets += 1
        try:
            login = wire.read_login(packet)
        except wire.WireError as error:
            raise CommandError(str(error))
        user = login["user"].encode("latin-1")
        password = login["password"].encode("latin-1")
        return "%d %s %s" % (login["key"], hex_or_dash(user), hex_or_dash(password))

    def cmd_recvblock(self, args):
        link = self.link()
        if not self.wait(lambda: len(link.blocks) > link.read_blocks, seconds(args, 0)):
            raise CommandError("timeout 0")
        whole = link.blocks[link.read_blocks]
        link.read_blocks += 1
        kind = whole[2] if len(whole) > 2 else wire.NONE
        return "%d %s" % (kind, whole.hex())

    def cmd_status(self, args):
        if not self.links:
            return "connections=0 connected=0 peer_closed=0 packets=0 unread=0 blocks=0 errors=0"
        link = self.links[-1]
        connected = not link.peer_closed and not link.closed_here
        return "connections=%d connected=%d peer_closed=%d packets=%d unread=%d blocks=%d errors=%d" % (
            len(self.links), int(connected), int(link.peer_closed), len(link.packets),
            len(link.packets) - link.read_packets, len(link.blocks), len(link.errors))

    def cmd_errors(self, args):
        link = self.link()
        return " ".join([str(len(link.errors))] + [urllib.parse.quote(e, safe="") for e in link.errors])

    def cmd_written(self, args):
        link = self.link()
        if not self.wait(lambda: not link.outbox, seconds(args, 0, 10.0)):
            raise CommandError("timeout")
        return ""

    def cmd_close(self, args):
        self.link().close()
        return ""

    def cmd_read(self, args):
        if args not in (["on"], ["off"]):
            raise CommandError("read on|off")
        link = self.link()
        link.reading = args[0] == "on"
        if not link.reading:
            # A small window fills at once; the system's own may take tens of megabytes.
            link.sock.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 1 << 16)
        self.changed.notify_all()
        return ""

    def cmd_closed(self, args):
        link = self.link()
        if not self.wait(lambda: link.peer_closed, seconds(args, 0)):
            raise CommandError("timeout")
        return ""

    def cmd_save(self, args):
        if len(args) != 1:
            raise CommandError("save takes one path")
        link = self.link()
        try:
            with open(args[0], "wb") as handle:
                handle.write(link.sent)
        except OSError as error:
            raise CommandError(str(error))
        return str(len(link.sent))

    def cmd_sleep(self, args):
        self.changed.release()
        try:
            time.sleep(parse_number(args[0]) / 1000.0 if args else 0)
        finally:
            self.changed.acquire()
        return ""

    def cmd_quit(self, args):
        return ""

    def run(self, line):
        """Runs one command line; None for lines without an answer."""
        words = line.split()
        if not words or words[0].startswith("#"):
            return None
        handler = getattr(self, "cmd_" + words[0], None)
        if handler is None:
            return "error unknown command %s" % words[0]
        try:
            with self.changed:
                result = handler(words[1:])
        except CommandError as error:
            return "error %s" % error
        return ("ok " + result) if result else "ok"


def answer(server, line):
    reply = server.run(line)
    if reply is None:
        return True
    if server.log:
        server.log.write("> %s\n< %s\n" % (line.rstrip("\n"), reply))
        server.log.flush()
    sys.stdout.write(reply + "\n")
    sys.stdout.flush()
    return line.split()[0] != "quit"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--script", help="commands to run before those on stdin")
    parser.add_argument("--log", help="file that records every command and answer")
    args = parser.parse_args()

    log = open(args.log, "a") if args.log else None
    server = TestServer(args.host, args.port, log)
    sys.stdout.write("port %d\n" % server.port)
    sys.stdout.flush()

    if args.script:
        with open(args.script) as handle:
            for line in handle:
                if not answer(server, line):
                    return 0
    for line in sys.stdin:
        if not answer(server, line):
            return 0
    return 0


if __name__ == "__main__":
    sys.exit(main())
