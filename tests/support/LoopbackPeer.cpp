#include "support/LoopbackPeer.h"

#include <cerrno>
#include <cstring>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace orv {
namespace test {

namespace {

const int waitMs = 2000;

int openLoopbackListener(unsigned& port)
{
	const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
	if (fd < 0)
		return -1;
	sockaddr_in address;
	std::memset(&address, 0, sizeof(address));
	address.sin_family = AF_INET;
	address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
	address.sin_port = 0;
	socklen_t length = sizeof(address);
	if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
		::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
	{
		::close(fd);
		return -1;
	}
	port = ntohs(address.sin_port);
	return fd;
}

bool waitFor(int fd, short events)
{
	pollfd entry = {fd, events, 0};
	return ::poll(&entry, 1, waitMs) > 0;
}

} // namespace

unsigned findClosedLoopbackPort()
{
	unsigned port = 0;
	const int fd = openLoopbackListener(port);
	if (fd >= 0)
		::close(fd);
	return port;
}

CLoopbackListener::CLoopbackListener() : listenFd(-1), connectionFd(-1), port(0)
{
	listenFd = openLoopbackListener(port);
	if (listenFd >= 0 && ::listen(listenFd, 8) != 0)
	{
		::close(listenFd);
		listenFd = -1;
	}
}

CLoopbackListener::~CLoopbackListener()
{
	closeConnection();
	stopListening();
}

bool CLoopbackListener::accept()
{
	if (listenFd < 0 || !waitFor(listenFd, POLLIN))
		return false;
	connectionFd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
	return connectionFd >= 0;
}

std::string CLoopbackListener::readExactly(size_t count)
{
	std::string got;
	char chunk[4096];
	while (got.size() < count && connectionFd >= 0 && waitFor(connectionFd, POLLIN))
	{
		const size_t want = count - got.size() < sizeof(chunk) ? count - got.size() : sizeof(chunk);
		const ssize_t n = ::recv(connectionFd, chunk, want, 0);
		if (n <= 0)
			break;
		got.append(chunk, static_cast<size_t>(n));
	}
	return got;
}

void CLoopbackListener::write(const std::string& bytes)
{
	size_t done = 0;
	while (connectionFd >= 0 && done < bytes.size())
	{
		const ssize_t n = ::send(connectionFd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
		if (n <= 0)
			return;
		done += static_cast<size_t>(n);
	}
}

void CLoopbackListener::closeConnection()
{
	if (connectionFd >= 0)
		::close(connectionFd);
	connectionFd = -1;
}

void CLoopbackListener::stopListening()
{
	if (listenFd >= 0)
		::close(listenFd);
	listenFd = -1;
}

} // namespace test
} // namespace orv
