#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/packet.h"
#include "net/CPacketCipher.h"
#include "wire_vectors.h"

using orv::net::CPacketCipher;
using orv::net::packet;
typedef std::vector<irr::u8> Bytes;

namespace {

Bytes fromHex(const std::string& hex)
{
	Bytes out;
	for (size_t i = 0; i + 1 < hex.size(); i += 2)
		out.push_back(static_cast<irr::u8>(std::stoul(hex.substr(i, 2), nullptr, 16)));
	return out;
}

packet pattern(irr::u32 length, irr::u32 salt = 0)
{
	Bytes b(length);
	for (irr::u32 i = 0; i < length; ++i)
		b[i] = wire_vectors::patternByte(i, salt);
	return packet::fromBytes(b.data(), b.data() + b.size());
}

Bytes bytesOf(const packet& p)
{
	return Bytes(p.getData(), p.getData() + p.getSize());
}

const irr::u32 START = 0x5C17E2A9;
const irr::u32 FACTOR = 0x02D6B4F3;

} // namespace

// The keystream must match the test server's step for step across blocks,
// leftover words and unknown types included, or the connection desyncs.
TEST(PacketCipher, MatchesTheServersKeystream)
{
	CPacketCipher cipher;
	int step = 0;
	for (const wire_vectors::SCipherStep& s : wire_vectors::CIPHER_STEPS)
	{
		++step;
		if (s.reset)
		{
			cipher.reset(s.key);
			continue;
		}
		packet p = pattern(s.length);
		cipher.setWordsForCompression(s.kind);
		cipher.apply(p);
		EXPECT_EQ(bytesOf(p), fromHex(s.output)) << "step " << step;
		EXPECT_EQ(cipher.wordsLeft, s.wordsLeft) << "step " << step;
		EXPECT_EQ(cipher.iterator, s.iterator) << "step " << step;
	}
}

TEST(PacketCipher, InitialStateAndReset)
{
	CPacketCipher cipher;
	EXPECT_EQ(cipher.key, 0);
	EXPECT_EQ(cipher.iterator, START);
	EXPECT_EQ(cipher.factor, FACTOR);
	EXPECT_EQ(cipher.wordsLeft, 0u);
	EXPECT_EQ(cipher.generation, 0u);

	const irr::u8 keys[] = {0x00, 0x01, 0x80, 0xFF};
	for (irr::u8 key : keys)
	{
		CPacketCipher c;
		c.iterator = 1;
		c.factor = 2;
		c.wordsLeft = 3;
		c.generation = 4;
		c.reset(key);
		EXPECT_EQ(c.key, key);
		EXPECT_EQ(c.iterator, START);
		EXPECT_EQ(c.factor, FACTOR);
		EXPECT_EQ(c.wordsLeft, 0u);
		EXPECT_EQ(c.generation, 4u) << "reset keeps the generation";

		c.generation = 0;
		c.setWordsForCompression(0);
		packet one = packet::fromU8(0x00);
		c.apply(one);
		const irr::u32 first = START * FACTOR + key;
		EXPECT_EQ(c.iterator, first) << int(key);
		EXPECT_EQ(one.getData()[0], static_cast<irr::u8>(first)) << int(key);
	}
}

TEST(PacketCipher, WordsByCompressionType)
{
	struct Case
	{
		irr::u8 type;
		bool known;
		irr::u32 words;
	};
	const Case cases[] = {
		{0, true, 12},
		{2, true, 6},
		{4, true, 7},
		{1, false, 99},
		{3, false, 99},
		{5, false, 99},
		{255, false, 99},
	};
	for (const Case& c : cases)
	{
		CPacketCipher cipher;
		cipher.wordsLeft = 99;
		EXPECT_EQ(cipher.setWordsForCompression(c.type), c.known) << int(c.type);
		EXPECT_EQ(cipher.wordsLeft, c.words) << int(c.type);
	}
}

TEST(PacketCipher, ScramblesOnlyTheArmedHead)
{
	struct Case
	{
		const char* name;
		irr::u32 wordsBefore;
		irr::u32 length;
		irr::u32 steps;
		irr::u32 wordsAfter;
	};
	const Case cases[] = {
		{"5 bytes of 12 words", 12, 5, 2, 10},
		{"100 bytes of 6 words", 6, 100, 6, 0},
		{"48 bytes of 12 words", 12, 48, 12, 0},
		{"empty payload", 12, 0, 0, 12},
		{"no words left", 0, 10, 0, 0},
	};
	for (const Case& c : cases)
	{
		CPacketCipher cipher;
		cipher.reset(0x42);
		cipher.wordsLeft = c.wordsBefore;
		const packet plain = pattern(c.length);
		packet p = plain;
		cipher.apply(p);

		irr::u32 iterator = START;
		Bytes expected = bytesOf(plain);
		for (irr::u32 w = 0; w < c.steps; ++w)
		{
			iterator = iterator * FACTOR + 0x42;
			for (irr::u32 j = 0; j < 4 && 4 * w + j < c.length; ++j)
				expected[4 * w + j] ^= static_cast<irr::u8>(iterator >> (8 * j));
		}
		EXPECT_EQ(bytesOf(p), expected) << c.name;
		EXPECT_EQ(cipher.iterator, iterator) << c.name;
		EXPECT_EQ(cipher.wordsLeft, c.wordsAfter) << c.name;
	}
}

TEST(PacketCipher, ApplyingTwiceRestoresTheBytes)
{
	const irr::u8 types[] = {0, 2, 4};
	for (irr::u8 type : types)
	{
		CPacketCipher scrambler;
		scrambler.reset(0x9D);
		CPacketCipher descrambler = scrambler;
		const packet plain = pattern(70, type);
		scrambler.setWordsForCompression(type);
		packet scrambled = scrambler.applyCopy(plain);
		EXPECT_NE(scrambled, plain);
		descrambler.setWordsForCompression(type);
		descrambler.apply(scrambled);
		EXPECT_EQ(scrambled, plain) << int(type);
	}
}

TEST(PacketCipher, ApplyCopyStartsAtTheFirstByte)
{
	CPacketCipher a, b;
	a.setWordsForCompression(0);
	b.setWordsForCompression(0);
	packet in = pattern(9);
	in.setReadPosition(4);
	packet out = a.applyCopy(in);
	b.apply(in);
	EXPECT_EQ(out, in);
	EXPECT_EQ(out.getReadPosition(), 0u);
}

TEST(PacketCipher, NonZeroGenerationLeavesEverything)
{
	CPacketCipher cipher;
	cipher.generation = 1;
	cipher.setWordsForCompression(0);
	const packet plain = pattern(16);
	packet p = plain;
	cipher.apply(p);
	EXPECT_EQ(p, plain);
	EXPECT_EQ(cipher.iterator, START);
	EXPECT_EQ(cipher.wordsLeft, 12u);
}
