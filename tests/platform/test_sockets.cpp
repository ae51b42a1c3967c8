// The socket layer's own promises: error names, which errors mean "later",
// and a connect that gives up instead of hanging.

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>
#include <cstring>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/Sockets.h"

namespace platform = orv::platform;

TEST(Sockets, ErrorNames)
{
	struct Case
	{
		int error;
		const char* name;
		bool later;
	} cases[] = {
		{ECONNREFUSED, "ECONNREFUSED", false},
		{ECONNRESET, "ECONNRESET", false},
		{EPIPE, "EPIPE", false},
		{ETIMEDOUT, "ETIMEDOUT", false},
		{EAFNOSUPPORT, "EAFNOSUPPORT", false},
		{ENOTCONN, "ENOTCONN", false},
		{EOPNOTSUPP, "EOPNOTSUPP", false},
		{EINTR, "EINTR", true},
		{EWOULDBLOCK, "", true},
		{EINPROGRESS, "", true},
		{12345, "12345", false},
		{-7, "-7", false},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.error);
		EXPECT_EQ(c.name, platform::getSocketErrorName(c.error));
		EXPECT_EQ(c.later, platform::isWouldBlockError(c.error));
	}
}

TEST(Sockets, ConnectGivesUpWhenNoOneAnswers)
{
	// A listener with a full backlog drops further handshakes, so the next
	// connect would wait for the system's own minutes-long timeout.
	const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
	ASSERT_GE(listener, 0);
	sockaddr_in address;
	std::memset(&address, 0, sizeof(address));
	address.sin_family = AF_INET;
	address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
	socklen_t length = sizeof(address);
	ASSERT_EQ(0, ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)));
	ASSERT_EQ(0, ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length));
	ASSERT_EQ(0, ::listen(listener, 0));

	platform::SSocketAddress target;
	ASSERT_EQ(
		0, platform::resolveAddress("127.0.0.1", std::to_string(ntohs(address.sin_port)).c_str(), true, false, target));
	int result = 0;
	std::vector<platform::SocketHandle> handles;
	for (int i = 0; i < 8 && result == 0; ++i)
	{
		handles.push_back(platform::openSocket(true));
		result = platform::connectSocket(handles.back(), target, 300);
	}
	EXPECT_EQ(ETIMEDOUT, result);
	for (platform::SocketHandle handle : handles)
		platform::closeSocket(handle);
	::close(listener);
}

TEST(Sockets, NoAddressMeansNoConnect)
{
	platform::SSocketAddress none;
	none.length = 0;
	const platform::SocketHandle handle = platform::openSocket(true);
	EXPECT_EQ(EAFNOSUPPORT, platform::connectSocket(handle, none, 100));
	EXPECT_EQ(EAFNOSUPPORT, platform::bindSocket(handle, none));
	platform::closeSocket(handle);
}

TEST(Sockets, ResolverKeepsTheFirstIPv4Address)
{
	platform::SSocketAddress found;
	ASSERT_EQ(0, platform::resolveAddress("localhost", "21800", true, false, found));
	ASSERT_EQ(sizeof(sockaddr_in), found.length);
	sockaddr_in address;
	std::memcpy(&address, found.storage, sizeof(address));
	EXPECT_EQ(AF_INET, address.sin_family);
	EXPECT_EQ(21800, ntohs(address.sin_port));
	EXPECT_EQ(htonl(INADDR_LOOPBACK), address.sin_addr.s_addr);

	ASSERT_EQ(0, platform::resolveAddress(nullptr, "0", true, true, found));
	std::memcpy(&address, found.storage, sizeof(address));
	EXPECT_EQ(htonl(INADDR_ANY), address.sin_addr.s_addr);
	EXPECT_NE(0, platform::resolveAddress("", "", true, false, found));
	EXPECT_EQ(0u, found.length);
}
