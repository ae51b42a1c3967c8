#include "platform/Sockets.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>

namespace orv {
namespace platform {

namespace {

int resultOf(int rc)
{
	return rc == 0 ? 0 : errno;
}

struct SErrorName
{
	int error;
	const char* name;
};

// EAGAIN is EWOULDBLOCK and ENOTSUP is EOPNOTSUPP here, so neither appears twice.
const SErrorName errorNames[] = {
	{EINTR, "EINTR"},
	{EACCES, "EACCES"},
	{EFAULT, "EFAULT"},
	{EINVAL, "EINVAL"},
	{EADDRINUSE, "EADDRINUSE"},
	{EADDRNOTAVAIL, "EADDRNOTAVAIL"},
	{EAFNOSUPPORT, "EAFNOSUPPORT"},
	{EALREADY, "EALREADY"},
	{ECONNABORTED, "ECONNABORTED"},
	{ECONNREFUSED, "ECONNREFUSED"},
	{ECONNRESET, "ECONNRESET"},
	{EHOSTUNREACH, "EHOSTUNREACH"},
	{EISCONN, "EISCONN"},
	{EMSGSIZE, "EMSGSIZE"},
	{ENETDOWN, "ENETDOWN"},
	{ENETRESET, "ENETRESET"},
	{ENETUNREACH, "ENETUNREACH"},
	{ENOBUFS, "ENOBUFS"},
	{ENOTCONN, "ENOTCONN"},
	{ENOTSOCK, "ENOTSOCK"},
	{EOPNOTSUPP, "EOPNOTSUPP"},
	{ETIMEDOUT, "ETIMEDOUT"},
	{ESHUTDOWN, "ESHUTDOWN"},
	{EPIPE, "EPIPE"},
	{EBADF, "EBADF"},
};

} // namespace

int resolveAddress(const char* host, const char* port, bool stream, bool passive, SSocketAddress& out)
{
	std::memset(&out, 0, sizeof(out));
	addrinfo hints;
	std::memset(&hints, 0, sizeof(hints));
	hints.ai_family = AF_INET;
	hints.ai_socktype = stream ? SOCK_STREAM : SOCK_DGRAM;
	hints.ai_flags = passive ? AI_PASSIVE : 0;

	addrinfo* found = nullptr;
	const int rc = getaddrinfo(host, port, &hints, &found);
	if (rc != 0)
		return rc;
	if (!found || found->ai_addrlen > sizeof(out.storage))
	{
		if (found)
			freeaddrinfo(found);
		return EAI_FAIL;
	}
	std::memcpy(out.storage, found->ai_addr, found->ai_addrlen);
	out.length = static_cast<uint32_t>(found->ai_addrlen);
	freeaddrinfo(found);
	return 0;
}

SocketHandle openSocket(bool stream)
{
	const int fd = ::socket(AF_INET, (stream ? SOCK_STREAM : SOCK_DGRAM) | SOCK_CLOEXEC, 0);
	return fd < 0 ? InvalidSocket : fd;
}

int lastSocketError()
{
	return errno;
}

int setReuseAddress(SocketHandle handle)
{
	const int on = 1;
	return resultOf(setsockopt(handle, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on)));
}

int setNoDelay(SocketHandle handle)
{
	const int on = 1;
	return resultOf(setsockopt(handle, IPPROTO_TCP, TCP_NODELAY, &on, sizeof(on)));
}

int setNonBlocking(SocketHandle handle)
{
	const int flags = fcntl(handle, F_GETFL, 0);
	if (flags < 0)
		return errno;
	return resultOf(fcntl(handle, F_SETFL, flags | O_NONBLOCK));
}

int bindSocket(SocketHandle handle, const SSocketAddress& address)
{
	if (address.length == 0)
		return EAFNOSUPPORT;
	return resultOf(::bind(handle, reinterpret_cast<const sockaddr*>(address.storage), address.length));
}

int listenSocket(SocketHandle handle, int backlog)
{
	return resultOf(::listen(handle, backlog));
}

int shutdownSocket(SocketHandle handle)
{
	return resultOf(::shutdown(handle, SHUT_RDWR));
}

int closeSocket(SocketHandle handle)
{
	return resultOf(::close(handle));
}

int connectSocket(SocketHandle handle, const SSocketAddress& address, int timeoutMs)
{
	// Without an address there is nothing to reach; a zeroed one would be
	// refused by the kernel for its family anyway.
	if (address.length == 0)
		return EAFNOSUPPORT;

	const int flags = fcntl(handle, F_GETFL, 0);
	if (flags < 0)
		return errno;
	// The connect itself runs non-blocking so that a silent host cannot hold
	// the caller for the system's own (minutes long) timeout.
	if (fcntl(handle, F_SETFL, flags | O_NONBLOCK) < 0)
		return errno;

	int error = 0;
	if (::connect(handle, reinterpret_cast<const sockaddr*>(address.storage), address.length) != 0)
	{
		error = errno;
		if (error == EINPROGRESS || error == EINTR)
		{
			pollfd waiting;
			waiting.fd = handle;
			waiting.events = POLLOUT;
			waiting.revents = 0;
			int ready;
			do
				ready = ::poll(&waiting, 1, timeoutMs);
			while (ready < 0 && errno == EINTR);
			if (ready < 0)
				error = errno;
			else if (ready == 0)
				error = ETIMEDOUT;
			else
			{
				socklen_t length = sizeof(error);
				if (getsockopt(handle, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
					error = errno;
			}
		}
	}

	if (fcntl(handle, F_SETFL, flags) < 0 && error == 0)
		error = errno;
	return error;
}

long sendBytes(SocketHandle handle, const unsigned char* data, size_t size)
{
	return static_cast<long>(::send(handle, data, size, MSG_NOSIGNAL));
}

long receiveBytes(SocketHandle handle, unsigned char* buffer, size_t size, bool datagram)
{
	if (datagram)
		return static_cast<long>(::recvfrom(handle, buffer, size, 0, nullptr, nullptr));
	return static_cast<long>(::recv(handle, buffer, size, 0));
}

size_t pendingBytes(SocketHandle handle)
{
	int pending = 0;
	if (ioctl(handle, FIONREAD, &pending) != 0 || pending < 0)
		return 0;
	return static_cast<size_t>(pending);
}

bool isWouldBlockError(int error)
{
	return error == EWOULDBLOCK || error == EAGAIN || error == EINPROGRESS || error == EINTR;
}

bool isNotSocketError(int error)
{
	// A handle that was never opened (or is already closed) is EBADF here.
	return error == ENOTSOCK || error == EBADF;
}

std::string getSocketErrorName(int error)
{
	if (error == EWOULDBLOCK || error == EAGAIN || error == EINPROGRESS)
		return std::string();
	for (const SErrorName& entry : errorNames)
		if (entry.error == error)
			return entry.name;
	char number[32];
	std::snprintf(number, sizeof(number), "%d", error);
	return number;
}

} // namespace platform
} // namespace orv
