"""The game's wire format as the server speaks it, for the test server.

Standard library only. Everything here is written from the protocol as the
server sees it, not from the client's code, so that a test that passes shows
the two agree and not that one was copied from the other.

Layers, outermost first:
  block   u16 big-endian L (type byte + payload), type byte, payload
          (payload head scrambled by the direction's cipher, then for types
          2 and 4 the compressed frames)
  frame   width byte W, length N in W big-endian bytes, N packet bytes
  packet  u16 big-endian id, then its fields (big-endian integers, wire
          strings)
"""

import bz2
import struct
import zlib

# Block compression types.
NONE = 0
ZLIB = 2
BZIP2 = 4

KIND_NAMES = {NONE: "none", ZLIB: "zlib", BZIP2: "bzip2"}

# Scrambled 4-byte groups at the head of a payload, per type.
SCRAMBLED_WORDS = {NONE: 12, ZLIB: 6, BZIP2: 7}

CIPHER_START = 0x5C17E2A9
CIPHER_FACTOR = 0x02D6B4F3

# The client decompresses into a buffer of this size and refuses more.
MAX_DECOMPRESSED = 0xFFFF
# L is 16 bits and counts the type byte.
MAX_PAYLOAD = 0xFFFE
# The client's flush: above this it compresses with zlib, above the next with bzip2.
UNCOMPRESSED_UP_TO = 55
ZLIB_UP_TO = 8192


class WireError(Exception):
    """Bytes that break the format."""


# --- packet fields ----------------------------------------------------------

def uint(width, value):
    """The low `width` bytes of value, most significant first (width 0..8)."""
    if not 0 <= width <= 8:
        raise ValueError("integer width %d" % width)
    return (value & ((1 << (8 * width)) - 1)).to_bytes(width, "big")


def u8(value):
    return uint(1, value)


def u16(value):
    return uint(2, value)


def u24(value):
    return uint(3, value)


def u32(value):
    return uint(4, value)


def u64(value):
    return uint(8, value)


def f32(value):
    return struct.pack(">f", value)


def f64(value):
    return struct.pack(">d", value)


def fewest_bytes(value, largest):
    """Fewest big-endian bytes (at least one) that hold value."""
    width = 1
    while value >> (8 * width):
        width += 1
    if width > largest:
        raise WireError("%d does not fit %d bytes" % (value, largest))
    return width


def wire_string(text):
    """Width byte, UTF-8 length in that many bytes, the UTF-8 bytes."""
    data = text.encode("utf-8") if isinstance(text, str) else bytes(text)
    width = fewest_bytes(len(data), 4)
    return bytes([width]) + uint(width, len(data)) + data


class PacketReader:
    """Reads packet fields the way the client does: a fixed-width read that
    finds too few bytes gives 0 and does not move; counted reads take what is
    left."""

    def __init__(self, data):
        self.data = bytes(data)
        self.pos = 0

    def left(self):
        return len(self.data) - self.pos

    def uint(self, width):
        if width < 1 or width > 8 or self.left() < width:
            return 0
        value = int.from_bytes(self.data[self.pos:self.pos + width], "big")
        self.pos += width
        return value

    def u8(self):
        return self.uint(1)

    def u16(self):
        return self.uint(2)

    def u32(self):
        return self.uint(4)

    def f32(self):
        if self.left() < 4:
            return 0.0
        return struct.unpack(">f", struct.pack(">I", self.uint(4)))[0]

    def f64(self):
        if self.left() < 8:
            return 0.0
        return struct.unpack(">d", struct.pack(">Q", self.uint(8)))[0]

    def take(self, count):
        count = max(0, min(count, self.left()))
        chunk = self.data[self.pos:self.pos + count]
        self.pos += count
        return chunk

    def chars(self, count):
        raw = self.take(count).split(b"\0", 1)[0]
        return raw.decode("utf-8", errors="replace")

    def string(self):
        return self.chars(self.uint(self.u8()))

    def rest(self):
        return self.take(self.left())


# --- cipher ----------------------------------------------------------------

class Cipher:
    """One direction's keystream. Every block of the connection runs through
    the same state, in order, in both peers."""

    def __init__(self, key=0):
        self.reset(key)

    def reset(self, key):
        self.key = key & 0xFF
        self.iterator = CIPHER_START
        self.factor = CIPHER_FACTOR
        self.words_left = 0

    def set_words(self, kind):
        """Arms the cipher for one block; an unknown type keeps what was left
        over from the block before, exactly as the client does."""
        if kind not in SCRAMBLED_WORDS:
            return False
        self.words_left = SCRAMBLED_WORDS[kind]
        return True

    def step(self):
        self.iterator = (self.iterator * self.factor + self.key) & 0xFFFFFFFF
        self.words_left -= 1
        return self.iterator

    def apply(self, data):
        """The payload with its head scrambled (or descrambled: the same)."""
        out = bytearray(data)
        for start in range(0, len(out), 4):
            if self.words_left == 0:
                break
            pad = self.step().to_bytes(4, "little")
            for offset, k in enumerate(pad[:len(out) - start]):
                out[start + offset] ^= k
        return bytes(out)


# --- compression -----------------------------------------------------------

def compress(kind, data):
    """The same library calls the client makes: zlib at level 6, bzip2 with
    100k blocks and the default work factor."""
    if kind == ZLIB:
        return zlib.compress(bytes(data), 6)
    if kind == BZIP2:
        return bz2.compress(bytes(data), 1)
    if kind == NONE:
        return bytes(data)
    raise WireError("no compression of type %r" % kind)


def decompress(kind, data, limit=MAX_DECOMPRESSED):
    """Inflates a payload; more than `limit` bytes is refused like the client
    refuses it."""
    if kind == NONE:
        out = bytes(data)
    elif kind == ZLIB:
        try:
            inflater = zlib.decompressobj()
            out = inflater.decompress(bytes(data), limit + 1)
        except zlib.error as error:
            raise WireError("zlib: %s" % error)
        if not inflater.eof:
            raise WireError("zlib: stream incomplete or longer than %d" % limit)
    elif kind == BZIP2:
        try:
            inflater = bz2.BZ2Decompressor()
            out = inflater.decompress(bytes(data), limit + 1)
        except (OSError, ValueError) as error:
            raise WireError("bzip2: %s" % error)
        if not inflater.eof:
            raise WireError("bzip2: stream incomplete or longer than %d" % limit)
    else:
        raise WireError("unknown compression type %r" % kind)
    if len(out) > limit:
        raise WireError("payload inflates beyond %d bytes" % limit)
    return out


def kind_for_size(size):
    """The type the client's flush picks for a joined payload of that size."""
    if size > ZLIB_UP_TO:
        return BZIP2
    if size > UNCOMPRESSED_UP_TO:
        return ZLIB
    return NONE


# --- frames ----------------------------------------------------------------

def frame(packet, width=None):
    """One frame. `width` forces the length field's width (0 to 8; 0 sends
    no length and means an empty packet to the reader, whatever follows)."""
    packet = bytes(packet)
    if width is None:
        width = fewest_bytes(len(packet), 4)
    if width == 0:
        return b"\0"
    return bytes([width]) + uint(width, len(packet)) + packet


def frames(*packets):
    return b"".join(frame(p) for p in packets)


class FrameReader:
    """Cuts decoded bytes into packets; an incomplete frame waits, from its
    width byte on, for the bytes of the next block."""

    def __init__(self, max_width=4):
        self.pending = b""
        self.max_width = max_width

    def feed(self, data):
        buf = self.pending + bytes(data)
        pos = 0
        packets = []
        while pos < len(buf):
            width = buf[pos]
            if width > self.max_width:
                self.pending = b""
                raise WireError("frame width %d" % width)
            if len(buf) - pos - 1 < width:
                break
            length = int.from_bytes(buf[pos + 1:pos + 1 + width], "big")
            body = pos + 1 + width
            if len(buf) - body < length:
                break
            packets.append(buf[body:body + length])
            pos = body + length
        self.pending = buf[pos:]
        return packets


# --- blocks ----------------------------------------------------------------

def block_header(payload_length, kind):
    length = payload_length + 1
    if length > 0xFFFF:
        raise WireError("block payload of %d bytes" % payload_length)
    return struct.pack(">HB", length, kind & 0xFF)


def encode_block(data, cipher, kind=None, compressed=None):
    """One block carrying `data` (joined frames).

    kind None picks the type by size as the client's flush does. By default
    types 2 and 4 compress the data; compressed=False sends it as it is under
    that type (a corrupt block), and any other type is sent as given. The
    cipher runs over the payload in every case, as the client's reader will."""
    if kind is None:
        kind = kind_for_size(len(data))
    if compressed is None:
        compressed = kind in (ZLIB, BZIP2)
    payload = compress(kind, data) if compressed else bytes(data)
    cipher.set_words(kind)
    payload = cipher.apply(payload)
    return block_header(len(payload), kind) + payload


class BlockReader:
    """Reads a peer's stream: blocks, cipher, decompression, frames.

    A block of unknown type or that does not decompress raises WireError
    after the cipher has run over it, so the stream stays in step."""

    def __init__(self, cipher):
        self.cipher = cipher
        self.received = b""
        self.frames = FrameReader()
        self.blocks = []  # (kind, payload as received) of every block cut

    def feed(self, data):
        self.received += bytes(data)
        packets = []
        while len(self.received) >= 2:
            length = struct.unpack(">H", self.received[:2])[0]
            if len(self.received) - 2 < length:
                break
            body = self.received[2:2 + length]
            self.received = self.received[2 + length:]
            # An empty block reads as type 0 with no payload: it still arms the cipher.
            kind, payload = (body[0], body[1:]) if body else (NONE, b"")
            self.blocks.append((kind, payload))
            self.cipher.set_words(kind)
            plain = self.cipher.apply(payload)
            packets.extend(self.frames.feed(decompress(kind, plain)))
        return packets


# --- one connection --------------------------------------------------------

class Connection:
    """The server's half of one connection: its own sending cipher and its
    reading of the client's blocks. Both start at key 0; after the login
    both switch to the key the login carries."""

    def __init__(self):
        self.outgoing = Cipher(0)
        self.incoming = Cipher(0)
        self.reader = BlockReader(self.incoming)

    def reset(self, key):
        self.outgoing.reset(key)
        self.incoming.reset(key)

    def encode(self, packets, kind=None, compressed=None):
        """One block holding the frames of all packets."""
        return encode_block(frames(*packets), self.outgoing, kind, compressed)

    def encode_raw(self, data, kind=None, compressed=None):
        """One block holding `data` as given (hand-made frames)."""
        return encode_block(data, self.outgoing, kind, compressed)

    def decode(self, data):
        """Packets of the client completed by these bytes."""
        return self.reader.feed(data)


LOGIN_ID = 1
LOGIN_VERSION = b"CL00000000"


def read_login(packet):
    """The client's login packet: id 1, 0, key byte, "CL00000000", user name
    and password each as a length byte and one byte per character."""
    reader = PacketReader(packet)
    packet_id = reader.u16()
    zero = reader.u8()
    key = reader.u8()
    version = reader.take(10)
    user = reader.take(reader.u8())
    password = reader.take(reader.u8())
    if packet_id != LOGIN_ID or zero != 0 or version != LOGIN_VERSION or reader.left():
        raise WireError("not a login packet: %s" % bytes(packet).hex())
    return {"key": key, "user": user.decode("latin-1"), "password": password.decode("latin-1")}


ENGINE_ATTRIBUTES_ID = 5
CLASS_ATTRIBUTES_ID = 4


def read_value(reader):
    """One typed attribute value: a type byte, then 1 int and 2 uint as a
    width byte and that many big-endian bytes, 3 f32, 4 f64, 5 a wire string;
    type 0 carries nothing. Gives (type, value)."""
    kind = reader.u8()
    if kind in (1, 2):
        width = reader.u8()
        if width < 1 or width > 8 or reader.left() < width:
            raise WireError("integer value of width %d" % width)
        value = reader.uint(width)
        if kind == 1 and value >= 1 << (8 * width - 1):
            value -= 1 << (8 * width)
        return kind, value
    if kind == 3:
        if reader.left() < 4:
            raise WireError("float value cut short")
        return kind, reader.f32()
    if kind == 4:
        if reader.left() < 8:
            raise WireError("double value cut short")
        return kind, reader.f64()
    if kind == 5:
        return kind, reader.string()
    if kind == 0:
        return kind, None
    raise WireError("value of type %d" % kind)


def read_attribute_changes(packet):
    """A client's attribute-change packet: id 5 (engine attributes, u8 ids) or
    4 (class attributes, u16 ids), the u32 object id, then (id, value) to the
    end. Gives (packet id, object id, [(attribute id, type, value), ...])."""
    reader = PacketReader(packet)
    packet_id = reader.u16()
    if packet_id not in (ENGINE_ATTRIBUTES_ID, CLASS_ATTRIBUTES_ID) or reader.left() < 4:
        raise WireError("not an attribute-change packet: %s" % bytes(packet).hex())
    object_id = reader.u32()
    entries = []
    while reader.left():
        attribute = reader.u8() if packet_id == ENGINE_ATTRIBUTES_ID else reader.u16()
        kind, value = read_value(reader)
        entries.append((attribute, kind, value))
    return packet_id, object_id, entries


def login_packet(key, user, password):
    """The login packet a client with that key sends (for checking it byte by byte)."""
    def text(s):
        units = s.encode("utf-16-le")
        low = bytes(units[i] for i in range(0, len(units), 2))
        return bytes([len(low) & 0xFF]) + low
    return u16(LOGIN_ID) + b"\0" + u8(key) + LOGIN_VERSION + text(user) + text(password)
