#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "base/packet.h"

using irr::core::ustring16;
using orv::net::packet;
typedef std::vector<irr::u8> Bytes;

namespace {

Bytes bytesOf(const packet& p)
{
	return Bytes(p.getData(), p.getData() + p.getSize());
}

packet packetOf(const Bytes& b)
{
	return packet::fromBytes(b.data(), b.data() + b.size());
}

ustring16 utf8(const std::string& s)
{
	return ustring16(s);
}

} // namespace

TEST(Packet, EncodersWriteBigEndianLowBytes)
{
	struct Case
	{
		const char* name;
		packet actual;
		Bytes expected;
	};
	const Case cases[] = {
		{"u8", packet::fromU8(0xAB), {0xAB}},
		{"u16", packet::fromU16(0x0102), {0x01, 0x02}},
		{"u24 keeps low bits", packet::fromU24(0xFF010203), {0x01, 0x02, 0x03}},
		{"u32", packet::fromU32(0x01020304), {0x01, 0x02, 0x03, 0x04}},
		{"u40", packet::fromU40(0xFFFFFF0102030405ull), {1, 2, 3, 4, 5}},
		{"u48", packet::fromU48(0xFFFF010203040506ull), {1, 2, 3, 4, 5, 6}},
		{"u56", packet::fromU56(0xFF01020304050607ull), {1, 2, 3, 4, 5, 6, 7}},
		{"u64", packet::fromU64(0x0102030405060708ull), {1, 2, 3, 4, 5, 6, 7, 8}},
		{"int width 0", packet::fromInt(0, 5), {}},
		{"int width 1", packet::fromInt(1, 0x1FF), {0xFF}},
		{"int width 3", packet::fromInt(3, 258), {0x00, 0x01, 0x02}},
		{"int width 4", packet::fromInt(4, 0x0A0B0C0D), {0x0A, 0x0B, 0x0C, 0x0D}},
		{"int width 8", packet::fromInt(8, 1), {0, 0, 0, 0, 0, 0, 0, 1}},
		{"int width 9", packet::fromInt(9, 5), {}},
		{"int width 255", packet::fromInt(255, 5), {}},
		{"float 1.0", packet::fromFloat(1.0f), {0x3F, 0x80, 0x00, 0x00}},
		{"float -0.0", packet::fromFloat(-0.0f), {0x80, 0x00, 0x00, 0x00}},
		{"double -2.5", packet::fromDouble(-2.5), {0xC0, 0x04, 0, 0, 0, 0, 0, 0}},
		{"text without length", packet::fromText(utf8("h\xC3\xA9")), {'h', 0xC3, 0xA9}},
		{"empty text", packet::fromText(ustring16()), {}},
		{"string empty", packet::fromString(ustring16()), {0x01, 0x00}},
		{"string two-byte char", packet::fromString(utf8("\xC3\xA9")), {0x01, 0x02, 0xC3, 0xA9}},
		{"string astral char", packet::fromString(utf8("\xF0\x9F\x98\x80")), {0x01, 0x04, 0xF0, 0x9F, 0x98, 0x80}},
		{"bytes", packet::fromBytes(nullptr, nullptr), {}},
	};
	for (const Case& c : cases)
	{
		EXPECT_EQ(bytesOf(c.actual), c.expected) << c.name;
		EXPECT_EQ(c.actual.getReadPosition(), 0u) << c.name;
	}
}

TEST(Packet, StringLengthWidthGrowsAtByteBoundaries)
{
	struct Case
	{
		irr::u32 length;
		Bytes header;
	};
	const Case cases[] = {
		{255, {0x01, 0xFF}},
		{256, {0x02, 0x01, 0x00}},
		{300, {0x02, 0x01, 0x2C}},
		{65535, {0x02, 0xFF, 0xFF}},
		{65536, {0x03, 0x01, 0x00, 0x00}},
	};
	for (const Case& c : cases)
	{
		const std::string text(c.length, 'x');
		Bytes expected = c.header;
		expected.insert(expected.end(), text.begin(), text.end());
		packet p = packet::fromString(utf8(text));
		EXPECT_EQ(bytesOf(p), expected) << c.length;
		EXPECT_EQ(p.readString().toUTF8_std(), text) << c.length;
		EXPECT_EQ(p.getBytesLeft(), 0u) << c.length;
	}
}

TEST(Packet, FixedWidthReadsAndShortReads)
{
	enum EOp
	{
		U8,
		U16,
		U24,
		U32,
		U40,
		U48,
		U56,
		U64,
		INT
	};
	struct Case
	{
		const char* name;
		Bytes bytes;
		irr::u32 start;
		EOp op;
		irr::u8 width;
		irr::u64 value;
		irr::u32 after;
	};
	const Bytes nine = {1, 2, 3, 4, 5, 6, 7, 8, 9};
	const Case cases[] = {
		{"u8", nine, 0, U8, 0, 0x01, 1},
		{"u16", nine, 1, U16, 0, 0x0203, 3},
		{"u24", nine, 0, U24, 0, 0x010203, 3},
		{"u32", nine, 5, U32, 0, 0x06070809, 9},
		{"u40", nine, 0, U40, 0, 0x0102030405ull, 5},
		{"u48", nine, 0, U48, 0, 0x010203040506ull, 6},
		{"u56", nine, 0, U56, 0, 0x01020304050607ull, 7},
		{"u64", nine, 1, U64, 0, 0x0203040506070809ull, 9},
		{"u64 high bit", {0xFF, 0, 0, 0, 0, 0, 0, 0xFE}, 0, U64, 0, 0xFF000000000000FEull, 8},
		{"int 1", nine, 0, INT, 1, 0x01, 1},
		{"int 3", nine, 0, INT, 3, 0x010203, 3},
		{"int 8", nine, 0, INT, 8, 0x0102030405060708ull, 8},
		{"int 0 reads nothing", nine, 0, INT, 0, 0, 0},
		{"int 9 reads nothing", nine, 0, INT, 9, 0, 0},
		{"u8 at end", nine, 9, U8, 0, 0, 9},
		{"u8 of empty", {}, 0, U8, 0, 0, 0},
		{"u16 one short", nine, 8, U16, 0, 0, 8},
		{"u24 one short", nine, 7, U24, 0, 0, 7},
		{"u32 one short", nine, 6, U32, 0, 0, 6},
		{"u40 one short", nine, 5, U40, 0, 0, 5},
		{"u48 one short", nine, 4, U48, 0, 0, 4},
		{"u56 one short", nine, 3, U56, 0, 0, 3},
		{"u64 one short", nine, 2, U64, 0, 0, 2},
		{"int 4 one short", nine, 6, INT, 4, 0, 6},
		{"int 8 one short", nine, 2, INT, 8, 0, 2},
	};
	for (const Case& c : cases)
	{
		packet p = packetOf(c.bytes);
		p.setReadPosition(c.start);
		irr::u64 value = 0;
		switch (c.op)
		{
		case U8:
			value = p.readU8();
			break;
		case U16:
			value = p.readU16();
			break;
		case U24:
			value = p.readU24();
			break;
		case U32:
			value = p.readU32();
			break;
		case U40:
			value = p.readU40();
			break;
		case U48:
			value = p.readU48();
			break;
		case U56:
			value = p.readU56();
			break;
		case U64:
			value = p.readU64();
			break;
		case INT:
			value = p.readInt(c.width);
			break;
		}
		EXPECT_EQ(value, c.value) << c.name;
		EXPECT_EQ(p.getReadPosition(), c.after) << c.name;
	}
}

TEST(Packet, ShortReadLeavesBytesForANarrowerRead)
{
	packet p = packetOf({0x01, 0x41});
	EXPECT_EQ(p.readU8(), 0x01);
	EXPECT_EQ(p.readU16(), 0);
	EXPECT_EQ(p.getBytesLeft(), 1u);
	EXPECT_EQ(p.readU8(), 0x41);
	EXPECT_EQ(p.getBytesLeft(), 0u);
}

TEST(Packet, IntegersRoundTripAtEveryWidth)
{
	const irr::u64 value = 0x8877665544332211ull;
	for (irr::u8 width = 1; width <= 8; ++width)
	{
		packet p = packet::fromInt(width, value);
		const irr::u64 mask = width == 8 ? ~0ull : (1ull << (8 * width)) - 1;
		EXPECT_EQ(p.getSize(), width);
		EXPECT_EQ(p.readInt(width), value & mask) << int(width);
	}
}

TEST(Packet, FloatsAndDoublesKeepTheirBits)
{
	const irr::u32 floatBits[] = {
		0x00000000, 0x80000000, 0x3F800000, 0x00000001, 0x7F800000, 0xFF800000, 0x7FC00001, 0xC2F6E979};
	for (irr::u32 bits : floatBits)
	{
		packet p = packet::fromU32(bits);
		const irr::f32 f = p.readFloat();
		irr::u32 read;
		std::memcpy(&read, &f, sizeof read);
		EXPECT_EQ(read, bits) << std::hex << bits;
		EXPECT_EQ(p.getBytesLeft(), 0u);
	}
	const irr::u64 doubleBits[] = {0x0000000000000000ull, 0x8000000000000000ull, 0x3FF0000000000000ull,
		0x0000000000000001ull, 0x7FF0000000000000ull, 0x7FF8000000000001ull, 0x400921FB54442D18ull};
	for (irr::u64 bits : doubleBits)
	{
		packet p = packet::fromU64(bits);
		const irr::f64 d = p.readDouble();
		irr::u64 read;
		std::memcpy(&read, &d, sizeof read);
		EXPECT_EQ(read, bits) << std::hex << bits;
	}

	packet shortFloat = packetOf({0x3F, 0x80, 0x00});
	const irr::f32 f = shortFloat.readFloat();
	EXPECT_EQ(f, 0.0f);
	EXPECT_FALSE(std::signbit(f));
	EXPECT_EQ(shortFloat.getReadPosition(), 0u);
	packet shortDouble = packet::fromU56(1);
	EXPECT_EQ(shortDouble.readDouble(), 0.0);
	EXPECT_EQ(shortDouble.getReadPosition(), 0u);
}

TEST(Packet, WireStringReads)
{
	struct Case
	{
		const char* name;
		Bytes bytes;
		std::string text;
		irr::u32 after;
	};
	const Case cases[] = {
		{"nothing left", {}, "", 0},
		{"width 0", {0x00, 0x41}, "", 1},
		{"width 9", {0x09, 0x41}, "", 1},
		{"width 255", {0xFF, 0x41, 0x42}, "", 1},
		{"width 1", {0x01, 0x05, 0x61, 0x62}, "ab", 4},
		{"width 2", {0x02, 0x00, 0x02, 0x61, 0x62, 0x63}, "ab", 5},
		{"width 4", {0x04, 0x00, 0x00, 0x00, 0x01, 0x41}, "A", 6},
		{"width 8", {0x08, 0, 0, 0, 0, 0, 0, 0, 0x01, 0x41}, "A", 10},
		{"length field short", {0x02, 0x01}, "", 1},
		{"length 0", {0x01, 0x00, 0x41}, "", 2},
		{"stops at NUL", {0x01, 0x03, 0x61, 0x00, 0x62}, "a", 5},
		{"UTF-8", {0x01, 0x03, 0xE6, 0xBC, 0xA2}, "\xE6\xBC\xA2", 5},
		{"no byte-order guess", {0x01, 0x02, 0xFF, 0xFE}, "\xEF\xBF\xBD\xEF\xBF\xBD", 4},
	};
	for (const Case& c : cases)
	{
		packet p = packetOf(c.bytes);
		EXPECT_EQ(p.readString().toUTF8_std(), c.text) << c.name;
		EXPECT_EQ(p.getReadPosition(), c.after) << c.name;
	}
}

TEST(Packet, CountedReadsTakeWhatRemains)
{
	struct Case
	{
		const char* name;
		Bytes bytes;
		irr::u32 start;
		irr::u64 count;
		Bytes taken;
	};
	const Case cases[] = {
		{"exact", {1, 2, 3, 4}, 1, 2, {2, 3}},
		{"more than remains", {1, 2, 3, 4}, 1, 100, {2, 3, 4}},
		{"huge count", {1, 2}, 0, ~0ull, {1, 2}},
		{"count above 32 bits", {1, 2}, 0, 0x100000001ull, {1, 2}},
		{"zero", {1, 2}, 0, 0, {}},
		{"at end", {1, 2}, 2, 5, {}},
	};
	for (const Case& c : cases)
	{
		packet p = packetOf(c.bytes);
		p.setReadPosition(c.start);
		packet taken = p.readPacket(c.count);
		EXPECT_EQ(bytesOf(taken), c.taken) << c.name;
		EXPECT_EQ(taken.getReadPosition(), 0u) << c.name;
		EXPECT_EQ(p.getReadPosition(), c.start + c.taken.size()) << c.name;

		packet again = packetOf(c.bytes);
		again.setReadPosition(c.start);
		const std::string text = again.readChars(c.count).toUTF8_std();
		EXPECT_EQ(text, std::string(c.taken.begin(), c.taken.end())) << c.name;
		EXPECT_EQ(again.getReadPosition(), p.getReadPosition()) << c.name;
	}

	packet nul = packetOf({0x61, 0x62, 0x00, 0x63, 0x64});
	EXPECT_EQ(nul.readChars(5).toUTF8_std(), "ab");
	EXPECT_EQ(nul.getReadPosition(), 5u);
}

TEST(Packet, CopiesAndMovesReadFromTheFirstByte)
{
	packet source = packetOf({1, 2, 3, 4, 5, 6, 7});
	source.setReadPosition(5);

	packet copy(source);
	EXPECT_EQ(copy.readU8(), 1);
	packet assigned;
	assigned = source;
	EXPECT_EQ(assigned.readU8(), 1);
	EXPECT_EQ(source.getReadPosition(), 5u);

	packet big = packet::fromText(utf8(std::string(100, 'z')));
	big.setReadPosition(50);
	packet moved(std::move(big));
	EXPECT_EQ(moved.getReadPosition(), 0u);
	EXPECT_EQ(moved.getSize(), 100u);
	packet moveAssigned;
	moveAssigned = std::move(moved);
	EXPECT_EQ(moveAssigned.getSize(), 100u);
	EXPECT_EQ(moveAssigned.readU8(), 'z');

	EXPECT_EQ(packet(source).toText().toUTF8_std(), std::string("\x01\x02\x03\x04\x05\x06\x07"));
}

TEST(Packet, AppendKeepsPositionAndChains)
{
	packet p = packet::fromU8(0x10);
	EXPECT_EQ(p.readU8(), 0x10);
	p.append(packet::fromU16(0x2030)).append(packet::fromText(utf8("ab"))).appendText(ustring16());
	EXPECT_EQ(bytesOf(p), (Bytes{0x10, 0x20, 0x30, 'a', 'b'}));
	EXPECT_EQ(p.getReadPosition(), 1u);
	EXPECT_EQ(p.readU16(), 0x2030);

	// Appending a packet to itself, across the growth of its room.
	packet self = packet::fromText(utf8(std::string(20, 'q')));
	self.append(self).append(self);
	EXPECT_EQ(self.toText().toUTF8_std(), std::string(80, 'q'));

	packet text = packet::fromText(utf8("x"));
	text.setReadPosition(1);
	EXPECT_EQ(text.appendText(utf8("\xE6\xBC\xA2")).toText().toUTF8_std(), "x\xE6\xBC\xA2");
	EXPECT_EQ(text.getReadPosition(), 1u);
}

TEST(Packet, ToTextIgnoresTheReadPosition)
{
	packet p = packet::fromText(utf8("hello"));
	p.readU16();
	EXPECT_EQ(p.toText().toUTF8_std(), "hello");
	EXPECT_EQ(p.getReadPosition(), 2u);
	EXPECT_EQ(packetOf({'a', 0, 'b'}).toText().toUTF8_std(), "a");
}

TEST(Packet, RemoveFrontDropsConsumedBytes)
{
	struct Case
	{
		irr::u32 count;
		Bytes left;
	};
	const Case cases[] = {{0, {1, 2, 3}}, {2, {3}}, {3, {}}, {9, {}}};
	for (const Case& c : cases)
	{
		packet p = packetOf({1, 2, 3});
		p.setReadPosition(1);
		p.removeFront(c.count);
		EXPECT_EQ(bytesOf(p), c.left) << c.count;
		EXPECT_EQ(p.getReadPosition(), 0u) << c.count;
	}
	packet p = packetOf({1, 2, 3});
	p.setReadPosition(10);
	EXPECT_EQ(p.getReadPosition(), 3u);
}
