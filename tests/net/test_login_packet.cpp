// The bytes the client writes itself: frames around outgoing packets, the
// login packet, and the key exchange around the login block.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "net/CPacketCipher.h"
#include "net/CSendQueue.h"
#include "net/LoginPacket.h"
#include "support/CFakeSocket.h"
#include "support/SentBlocks.h"

using orv::net::CPacketCipher;
using orv::net::CSendQueue;
using orv::net::packet;

namespace {

std::string bytesOf(const packet& p)
{
	return std::string(reinterpret_cast<const char*>(p.getData()), p.getSize());
}

std::string loginHead(irr::u8 key)
{
	return std::string("\x00\x01\x00", 3) + char(key) + "CL00000000";
}

int fixedKey()
{
	return 0x1234;
}

struct SKeySourceGuard
{
	explicit SKeySourceGuard(orv::net::LoginKeySource source) { orv::net::setLoginKeySource(source); }
	~SKeySourceGuard() { orv::net::setLoginKeySource(nullptr); }
};

void expectFreshCipher(const CPacketCipher& cipher, irr::u8 key)
{
	EXPECT_EQ(key, cipher.key);
	const irr::u32 start = CPacketCipher::START_ITERATOR;
	const irr::u32 factor = CPacketCipher::FACTOR;
	EXPECT_EQ(start, cipher.iterator);
	EXPECT_EQ(factor, cipher.factor);
	EXPECT_EQ(0u, cipher.wordsLeft);
	EXPECT_EQ(0u, cipher.generation);
}

} // namespace

TEST(OutgoingPackets, FrameHeaderHoldsTheFewestLengthBytes)
{
	struct Case
	{
		irr::u32 size;
		std::string header;
	} cases[] = {
		{2, std::string("\x01\x02", 2)},
		{255, std::string("\x01\xFF", 2)},
		{256, std::string("\x02\x01\x00", 3)},
		{300, std::string("\x02\x01\x2C", 3)},
		{65535, std::string("\x02\xFF\xFF", 3)},
		{65536, std::string("\x03\x01\x00\x00", 4)},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.size);
		const std::vector<irr::u8> body(c.size, 0xAB);
		const packet frame = orv::net::makeFrame(packet::fromBytes(body.data(), body.data() + body.size()));
		EXPECT_EQ(c.header + std::string(body.begin(), body.end()), bytesOf(frame));
	}
}

TEST(OutgoingPackets, LoginPacketBytes)
{
	const std::wstring longName(300, L'a');
	const std::wstring astralAtTheCut = std::wstring(254, L'b') + L"\U0001F600";
	struct Case
	{
		const char* name;
		std::wstring user;
		std::wstring password;
		std::string tail; // after "CL00000000"
	} cases[] = {
		{"user name and empty password", L"ab", L"",
			std::string("\x02"
						"ab"
						"\x00",
				4)},
		{"both empty", L"", L"", std::string("\x00\x00", 2)},
		{"low bytes of each code unit", L"\u00E9\u6F22", L"x", std::string("\x02\xE9\x22\x01x", 5)},
		{"an astral character is two units", L"\U0001F600", L"", std::string("\x02\x3D\x00\x00", 4)},
		{"cut to 255 units", longName, L"pw", std::string("\xFF", 1) + std::string(255, 'a') + "\x02pw"},
		{"a pair across the cut keeps its first unit", L"u", astralAtTheCut,
			std::string("\x01u\xFF", 3) + std::string(254, 'b') + "\x3D"},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		const packet login = orv::net::buildLoginPacket(c.user.c_str(), c.password.c_str(), 0x5A);
		EXPECT_EQ(loginHead(0x5A) + c.tail, bytesOf(login));
	}
}

TEST(OutgoingPackets, LoginKeyIsTheLowByteOfTheUnseededGenerator)
{
	std::srand(1);
	const int first = std::rand() & 0xFF;
	const int second = std::rand() & 0xFF;
	std::srand(1);
	EXPECT_EQ(first, orv::net::nextLoginKey());
	EXPECT_EQ(second, orv::net::nextLoginKey());

	SKeySourceGuard guard(fixedKey);
	EXPECT_EQ(0x34, orv::net::nextLoginKey());
}

TEST(OutgoingPackets, LoginGoesOutAloneUnderKeyZeroThenBothCiphersTakeTheKey)
{
	SKeySourceGuard guard(fixedKey);
	orv::test::CFakeSocket socket;
	CSendQueue queue;
	queue.setSocket(&socket);
	queue.getCipher().generation = 3; // a new login switches the cipher back on
	queue.getCipher().iterator = 99;
	CPacketCipher incoming;
	incoming.reset(0x77);
	incoming.iterator = 12345;

	orv::net::sendLogin(queue, incoming, L"ab", L"");

	expectFreshCipher(incoming, 0x34);
	expectFreshCipher(queue.getCipher(), 0x34);
	EXPECT_FALSE(queue.hasPending());

	CPacketCipher server;
	const std::vector<orv::test::SSentBlock> blocks = orv::test::decodeSentBlocks(socket.received, server);
	ASSERT_EQ(1u, blocks.size());
	EXPECT_EQ(0, blocks[0].type);
	EXPECT_EQ(std::string("\x01\x12", 2) + loginHead(0x34) +
			std::string("\x02"
						"ab"
						"\x00",
				4),
		blocks[0].bytes);
	EXPECT_EQ(std::string("\x00\x15\x00", 3), socket.received.substr(0, 3));
}

TEST(OutgoingPackets, LoginOnADisconnectedSocketWaitsInTheQueue)
{
	SKeySourceGuard guard(fixedKey);
	orv::test::CFakeSocket socket;
	socket.state = orv::net::ESS_DISCONNECTED;
	CSendQueue queue;
	queue.setSocket(&socket);
	CPacketCipher incoming;

	orv::net::sendLogin(queue, incoming, L"ab", L"");

	EXPECT_EQ("", socket.received);
	ASSERT_EQ(1u, queue.getFrames().size());
	EXPECT_EQ(std::string("\x01\x12", 2) + loginHead(0x34) +
			std::string("\x02"
						"ab"
						"\x00",
				4),
		bytesOf(queue.getFrames().front()));
	expectFreshCipher(queue.getCipher(), 0x34);
}
