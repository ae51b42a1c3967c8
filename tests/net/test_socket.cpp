// The client socket against real loopback peers: result codes, the lines it
// prints, and what a peer that goes away does to it.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <string>
#include <thread>

#include "net/CSocket.h"
#include "support/LoopbackPeer.h"
#include "support/WaitUntil.h"

using orv::net::CSocket;
using orv::net::packet;

namespace {

struct SOutcome
{
	int result;
	std::string printed;
};

template <typename Call> SOutcome captured(Call call)
{
	testing::internal::CaptureStdout();
	const int result = call();
	return {result, testing::internal::GetCapturedStdout()};
}

std::string portText(unsigned port)
{
	return std::to_string(port);
}

// Polls until something arrives or the socket closes.
packet receiveSoon(CSocket& socket)
{
	packet got;
	orv::test::waitUntil([&] {
		got = socket.receive();
		return !got.isEmpty() || socket.getState() == orv::net::ESS_DISCONNECTED;
	});
	return got;
}

} // namespace

TEST(Socket, InitAndConnectFailuresGiveTheirCodeAndLine)
{
	const unsigned closedPort = orv::test::findClosedLoopbackPort();
	struct Case
	{
		const char* name;
		std::string host;
		std::string port;
		int initResult;
		std::string initPrefix;
		int connectResult;
		std::string connectPrinted;
	} cases[] = {
		{"refused port", "127.0.0.1", portText(closedPort), 0, "", 4,
			"[CSocket::connect] connect() returned error: ECONNREFUSED\n"
			"[CSocket::destroy] shutdown returned error: ENOTCONN\n"},
		{"unresolvable host", "no-such-host.invalid", "21800", 2, "[CSocket::init] getaddrinfo() returned error: -", 4,
			"[CSocket::connect] connect() returned error: EAFNOSUPPORT\n"
			"[CSocket::destroy] shutdown returned error: ENOTCONN\n"},
		{"empty host", "", "21800", -1, "[ERROR] Socket net's properties.type is invalid.\n", 4,
			"[CSocket::connect] connect() returned error: EAFNOSUPPORT\n"
			"[CSocket::destroy] shutdown returned error: ENOTCONN\n"},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		CSocket socket;
		socket.setDescription("net");
		const SOutcome init = captured([&] { return socket.init(c.host.c_str(), c.port.c_str()); });
		EXPECT_EQ(c.initResult, init.result);
		if (c.initPrefix.empty())
			EXPECT_EQ("", init.printed);
		else
			EXPECT_EQ(0u, init.printed.rfind(c.initPrefix, 0)) << init.printed;

		const SOutcome connect = captured([&] { return socket.connect(); });
		EXPECT_EQ(c.connectResult, connect.result);
		EXPECT_EQ(c.connectPrinted, connect.printed);
		EXPECT_EQ(orv::net::ESS_DISCONNECTED, socket.getState());
	}
}

TEST(Socket, SecondConnectAndInitOnAConnectedSocketGiveFive)
{
	orv::test::CLoopbackListener listener;
	CSocket socket;
	socket.setDescription("net");
	ASSERT_EQ(0, socket.init("127.0.0.1", portText(listener.getPort()).c_str()));
	const SOutcome first = captured([&] { return socket.connect(); });
	ASSERT_EQ(0, first.result);
	EXPECT_EQ("", first.printed);
	EXPECT_EQ(orv::net::ESS_CONNECTED, socket.getState());

	const SOutcome again = captured([&] { return socket.connect(); });
	EXPECT_EQ(5, again.result);
	EXPECT_EQ("", again.printed);

	const SOutcome reinit = captured([&] { return socket.init("127.0.0.1", "1"); });
	EXPECT_EQ(5, reinit.result);
	EXPECT_EQ("[ERROR] Socket net is already connected.\n", reinit.printed);
	EXPECT_EQ(orv::net::ESS_CONNECTED, socket.getState());
}

TEST(Socket, DisconnectedSocketIsQuiet)
{
	CSocket socket;
	socket.setDescription("net");
	const SOutcome destroyed = captured([&] {
		socket.destroy();
		return 0;
	});
	EXPECT_EQ("", destroyed.printed);
	EXPECT_EQ(orv::net::ESS_DISCONNECTED, socket.getState());

	const SOutcome sent = captured([&] { return socket.send(packet::fromU32(7)); });
	EXPECT_EQ(0, sent.result);
	EXPECT_EQ("", sent.printed);
	testing::internal::CaptureStdout();
	EXPECT_TRUE(socket.receive().isEmpty());
	EXPECT_EQ("", testing::internal::GetCapturedStdout());
}

TEST(Socket, ProtocolAndTypeChangeOnlyWhileDisconnected)
{
	orv::test::CLoopbackListener listener;
	CSocket socket;
	socket.setProtocol(orv::net::ESP_UDP);
	socket.setType(orv::net::EST_SERVER);
	EXPECT_EQ(orv::net::ESP_UDP, socket.getProtocol());
	EXPECT_EQ(orv::net::EST_SERVER, socket.getType());
	socket.setProtocol(orv::net::ESP_TCP);
	socket.setType(orv::net::EST_CLIENT);
	ASSERT_EQ(0, socket.init("127.0.0.1", portText(listener.getPort()).c_str()));
	ASSERT_EQ(0, socket.connect());
	socket.setProtocol(orv::net::ESP_UDP);
	socket.setType(orv::net::EST_SERVER);
	EXPECT_EQ(orv::net::ESP_TCP, socket.getProtocol());
	EXPECT_EQ(orv::net::EST_CLIENT, socket.getType());
}

TEST(Socket, BytesTravelBothWays)
{
	orv::test::CLoopbackListener listener;
	CSocket socket;
	ASSERT_EQ(0, socket.init("localhost", portText(listener.getPort()).c_str()));
	ASSERT_EQ(0, socket.connect());
	ASSERT_TRUE(listener.accept());

	EXPECT_TRUE(socket.receive().isEmpty()) << "nothing pending yet";
	EXPECT_EQ(orv::net::ESS_CONNECTED, socket.getState());

	EXPECT_EQ(4, socket.send(packet::fromU32(0x01020304)));
	EXPECT_EQ(std::string("\x01\x02\x03\x04", 4), listener.readExactly(4));

	listener.write(std::string("\x00\x05hello", 7));
	const packet got = receiveSoon(socket);
	EXPECT_EQ(
		std::string("\x00\x05hello", 7), std::string(reinterpret_cast<const char*>(got.getData()), got.getSize()));
}

TEST(Socket, PeerClosingDestroysTheSocketSilently)
{
	orv::test::CLoopbackListener listener;
	CSocket socket;
	socket.setDescription("net");
	ASSERT_EQ(0, socket.init("127.0.0.1", portText(listener.getPort()).c_str()));
	ASSERT_EQ(0, socket.connect());
	ASSERT_TRUE(listener.accept());
	listener.closeConnection();

	testing::internal::CaptureStdout();
	const packet got = receiveSoon(socket);
	const std::string printed = testing::internal::GetCapturedStdout();
	EXPECT_TRUE(got.isEmpty());
	EXPECT_EQ(orv::net::ESS_DISCONNECTED, socket.getState());
	EXPECT_EQ("", printed);
}

TEST(Socket, SendingToAClosedPeerReportsAndDoesNotKillTheProcess)
{
	// With the default action in place a SIGPIPE would end the test program.
	std::signal(SIGPIPE, SIG_DFL);
	orv::test::CLoopbackListener listener;
	CSocket socket;
	socket.setDescription("net");
	ASSERT_EQ(0, socket.init("127.0.0.1", portText(listener.getPort()).c_str()));
	ASSERT_EQ(0, socket.connect());
	ASSERT_TRUE(listener.accept());
	listener.closeConnection();
	listener.stopListening();

	// The first write may still be taken; the peer's reset then fails a later one.
	testing::internal::CaptureStdout();
	const packet chunk = packet::fromBytes(nullptr, nullptr).append(packet::fromU64(~0ull));
	orv::test::waitUntil([&] {
		socket.send(chunk);
		return socket.getState() == orv::net::ESS_DISCONNECTED;
	});
	const std::string printed = testing::internal::GetCapturedStdout();
	EXPECT_EQ(orv::net::ESS_DISCONNECTED, socket.getState());
	const bool pipe = printed.rfind("net - Connection lost!  Reason: EPIPE\n", 0) == 0;
	const bool reset = printed.rfind("net - Connection lost!  Reason: ECONNRESET\n", 0) == 0;
	EXPECT_TRUE(pipe || reset) << printed;
	EXPECT_EQ(0, socket.send(chunk));
}
