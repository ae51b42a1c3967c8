#include "net/CSocket.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace orv {
namespace net {

namespace {

bool socketLayerStarted = false;

// A silent host must not freeze the window for the system's own timeout.
const int connectTimeoutMs = 10000;

// Asked for when the system cannot say how much is waiting.
const size_t defaultReadSize = 0x8000;
// One read never takes more than this, whatever the system reports.
const size_t maxReadSize = 1024 * 1024;

const int maxBacklog = 0x7FFFFFFF;

std::string errorName(int error)
{
	return platform::getSocketErrorName(error);
}

} // namespace

irr::s32 initWinsock()
{
	// The system's sockets need no start-up; only remember that it ran.
	socketLayerStarted = true;
	return 0;
}

CSocket::CSocket() : handle(platform::InvalidSocket), protocol(ESP_TCP), type(EST_CLIENT), state(ESS_DISCONNECTED)
{
	address.length = 0;
	if (!socketLayerStarted)
		initWinsock();
}

CSocket::~CSocket()
{
	// The handle must not outlive its owner, whoever forgot to close it.
	if (handle != platform::InvalidSocket)
		platform::closeSocket(handle);
}

void CSocket::setProtocol(ESocketProtocol value)
{
	if (state == ESS_DISCONNECTED)
		protocol = value;
}

void CSocket::setType(ESocketType value)
{
	if (state == ESS_DISCONNECTED)
		type = value;
}

irr::s32 CSocket::init(const irr::core::stringc& host, const irr::core::stringc& port)
{
	if (protocol == ESP_TCP && state != ESS_DISCONNECTED)
	{
		std::printf("[ERROR] Socket %s is already connected.\n", description.c_str());
		return ESR_NOT_DISCONNECTED;
	}

	address.length = 0;
	const bool stream = protocol == ESP_TCP;
	int rc;
	if (type == EST_CLIENT && host.size() > 0)
		rc = platform::resolveAddress(host.c_str(), port.c_str(), stream, false, address);
	else if (type == EST_SERVER)
		rc = platform::resolveAddress(nullptr, port.c_str(), stream, true, address);
	else
	{
		std::printf("[ERROR] Socket %s's properties.type is invalid.\n", description.c_str());
		return ESR_INVALID_TYPE;
	}

	if (rc != 0)
	{
		address.length = 0;
		std::printf("[CSocket::init] getaddrinfo() returned error: %d\n", rc);
		return ESR_RESOLVE_FAILED;
	}
	return ESR_OK;
}

irr::s32 CSocket::connect()
{
	if (state != ESS_DISCONNECTED)
		return ESR_NOT_DISCONNECTED;

	state = ESS_CONNECTING;
	handle = platform::openSocket(protocol == ESP_TCP);
	if (handle == platform::InvalidSocket)
	{
		std::printf("[CSocket::connect] socket() returned INVALID_SOCKET.\n");
		state = ESS_DISCONNECTED;
		return ESR_SOCKET_FAILED;
	}

	if (type == EST_SERVER)
	{
		platform::setReuseAddress(handle);
		const int error = platform::bindSocket(handle, address);
		if (error != 0)
		{
			std::printf("[CSocket::connect] bind() returned error: %s\n", errorName(error).c_str());
			destroy();
			return ESR_BIND_FAILED;
		}
	}
	else
	{
		const int error = platform::connectSocket(handle, address, connectTimeoutMs);
		if (error != 0)
		{
			std::printf("[CSocket::connect] connect() returned error: %s\n", errorName(error).c_str());
			destroy();
			return ESR_CONNECT_FAILED;
		}
	}

	if (protocol == ESP_TCP)
		platform::setNoDelay(handle);
	platform::setNonBlocking(handle);
	state = ESS_CONNECTED;

	if (type == EST_SERVER)
	{
		if (protocol == ESP_TCP)
		{
			const int error = platform::listenSocket(handle, maxBacklog);
			if (error != 0)
			{
				std::printf("[CSocket::connect] listen() returned error: %s\n", errorName(error).c_str());
				destroy();
				return ESR_CONNECT_FAILED;
			}
		}
		state = ESS_LISTENING;
	}
	return ESR_OK;
}

void CSocket::destroy()
{
	const int shutdownError = platform::shutdownSocket(handle);
	if (!platform::isNotSocketError(shutdownError))
	{
		if (shutdownError != 0)
			std::printf("[CSocket::destroy] shutdown returned error: %s\n", errorName(shutdownError).c_str());
		state = ESS_CLOSING;
		const int closeError = platform::closeSocket(handle);
		if (closeError != 0)
		{
			std::printf("[CSocket::destroy] closesocket ");
			std::printf("returned error: %s\n", errorName(closeError).c_str());
		}
	}
	state = ESS_DISCONNECTED;
	handle = platform::InvalidSocket;
}

irr::s32 CSocket::send(packet data)
{
	if (state == ESS_DISCONNECTED || handle == platform::InvalidSocket)
		return 0;

	const long sent = platform::sendBytes(handle, data.getData(), data.getSize());
	if (sent < 0)
	{
		const int error = platform::lastSocketError();
		if (platform::isWouldBlockError(error))
			return 0;
		std::printf("%s - Connection lost!  Reason: %s\n", description.c_str(), errorName(error).c_str());
		destroy();
		return 0;
	}
	return static_cast<irr::s32>(sent);
}

packet CSocket::receive()
{
	if (state == ESS_DISCONNECTED || handle == platform::InvalidSocket)
		return packet();

	size_t wanted = platform::pendingBytes(handle);
	if (wanted == 0)
		wanted = defaultReadSize;
	wanted = std::min(wanted, maxReadSize);
	std::vector<unsigned char> buffer(wanted, 0);

	const long got = platform::receiveBytes(handle, buffer.data(), buffer.size(), protocol == ESP_UDP);
	if (got < 0)
	{
		const int error = platform::lastSocketError();
		if (!platform::isWouldBlockError(error))
		{
			std::printf("%s - Connection lost!  Reason: %s\n", description.c_str(), errorName(error).c_str());
			destroy();
		}
		return packet();
	}
	if (got == 0)
	{
		destroy();
		return packet();
	}
	return packet::fromBytes(buffer.data(), buffer.data() + got);
}

} // namespace net
} // namespace orv
