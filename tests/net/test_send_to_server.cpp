// The outgoing half against the independent test server: what the client's
// socket, send queue and login write is what a server reads.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "net/CPacketCipher.h"
#include "net/CSendQueue.h"
#include "net/CSocket.h"
#include "net/LoginPacket.h"
#include "support/CTestServer.h"
#include "support/WaitUntil.h"

using orv::net::packet;
using orv::test::CTestServer;

namespace {

int keyOf0xC3()
{
	return 0x1C3;
}

struct SConnected
{
	CTestServer server;
	orv::net::CSocket socket;
	orv::net::CSendQueue queue;
	orv::net::CPacketCipher incoming;

	bool open()
	{
		if (!server.start())
			return false;
		socket.setDescription("net");
		if (socket.init("127.0.0.1", server.getPortText().c_str()) != 0 || socket.connect() != 0)
			return false;
		queue.setSocket(&socket);
		return server.command("accept 1 5") == "ok 1";
	}
};

packet payloadOf(irr::u16 id, irr::u32 size, irr::u8 seed)
{
	packet p = packet::fromU16(id);
	for (irr::u32 i = 2; i < size; ++i)
		p.append(packet::fromU8(static_cast<irr::u8>((i * 31 + seed) % 251)));
	return p;
}

std::string bytesOf(const packet& p)
{
	return std::string(reinterpret_cast<const char*>(p.getData()), p.getSize());
}

} // namespace

TEST(SendToServer, LoginAndLaterBlocksUnderTheNewKey)
{
	orv::net::setLoginKeySource(keyOf0xC3);
	SConnected c;
	ASSERT_TRUE(c.open());
	orv::net::sendLogin(c.queue, c.incoming, L"G\u00FCnter", L"pw");
	orv::net::setLoginKeySource(nullptr);

	EXPECT_EQ("195 47fc6e746572 7077", c.server.ok("login 5"));
	const std::vector<std::string> block = CTestServer::words(c.server.ok("recvblock 5"));
	ASSERT_EQ(2u, block.size());
	EXPECT_EQ("0", block[0]) << "the login is not compressed";
	EXPECT_EQ(
		c.server.ok("encode key=0 u16:1+u8:0+u8:0xC3+text:CL00000000+u8:6+hex:47fc6e746572+u8:2+text:pw"), block[1]);

	// Sizes that give each compression type, all read under key 0xC3.
	const irr::u32 sizes[] = {20, 400, 9000, 30000, 30000, 30000};
	std::string expected;
	for (irr::u32 i = 0; i < sizeof(sizes) / sizeof(sizes[0]); ++i)
	{
		const packet p = payloadOf(5, sizes[i], static_cast<irr::u8>(i));
		expected += " " + CTestServer::toHex(bytesOf(p));
		c.queue.push(orv::net::makeFrame(p));
		if (i < 3)
			c.queue.flush();
	}
	for (int i = 0; i < 4 && c.queue.hasPending(); ++i)
		c.queue.flush();
	EXPECT_FALSE(c.queue.hasPending());
	EXPECT_EQ("6" + expected, c.server.ok("recv 6 10"));
	EXPECT_EQ("0", c.server.ok("errors"));
}

TEST(SendToServer, ServerBytesArriveAndAServerCloseIsSeen)
{
	SConnected c;
	ASSERT_TRUE(c.open());
	c.server.ok("raw 0003000102");
	std::string got;
	orv::test::waitUntil([&] {
		got += bytesOf(c.socket.receive());
		return got.size() >= 5;
	});
	EXPECT_EQ(std::string("\x00\x03\x00\x01\x02", 5), got);

	c.server.ok("close");
	orv::test::waitUntil([&] {
		c.socket.receive();
		return c.socket.getState() == orv::net::ESS_DISCONNECTED;
	});
	EXPECT_EQ(orv::net::ESS_DISCONNECTED, c.socket.getState());
}
