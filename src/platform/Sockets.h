#pragma once
// The client's only door to the operating system's sockets. Everything above
// this header speaks handles, opaque addresses and error numbers; the calls
// themselves and the meaning of the numbers stay behind it.

#include <cstddef>
#include <cstdint>
#include <string>

namespace orv {
namespace platform {

typedef int SocketHandle;
const SocketHandle InvalidSocket = -1;

// Room for any address the resolver hands back; `length` 0 means "none".
struct SSocketAddress
{
	unsigned char storage[128];
	uint32_t length;
};

// Fills `out` with the first IPv4 address for host and port (a null host with
// `passive` asks for the wildcard address of a server). Returns the resolver's
// own result: 0 on success, otherwise its (non-zero) error code.
int resolveAddress(const char* host, const char* port, bool stream, bool passive, SSocketAddress& out);

// A new IPv4 socket, or InvalidSocket with the cause in lastSocketError().
SocketHandle openSocket(bool stream);

// The error of the last socket call on this thread.
int lastSocketError();

// Each returns 0 on success or the error number of the failure.
int setReuseAddress(SocketHandle handle);
int setNoDelay(SocketHandle handle);
int setNonBlocking(SocketHandle handle);
int bindSocket(SocketHandle handle, const SSocketAddress& address);
int listenSocket(SocketHandle handle, int backlog);
int shutdownSocket(SocketHandle handle);
int closeSocket(SocketHandle handle);

// Connects and waits for the outcome, giving up with ETIMEDOUT after
// `timeoutMs`; the socket's blocking mode is as it was afterwards.
int connectSocket(SocketHandle handle, const SSocketAddress& address, int timeoutMs);

// Bytes taken by the system, or -1 with the cause in lastSocketError(). A peer
// that went away never raises a signal.
long sendBytes(SocketHandle handle, const unsigned char* data, size_t size);

// Bytes read (0: the peer closed), or -1 with the cause in lastSocketError().
long receiveBytes(SocketHandle handle, unsigned char* buffer, size_t size, bool datagram);

// Bytes waiting to be read; 0 when none or unknown.
size_t pendingBytes(SocketHandle handle);

// "Try again later" conditions: would block, in progress, interrupted.
bool isWouldBlockError(int error);
bool isNotSocketError(int error);

// The error constant's name ("ECONNREFUSED"); errors without a name of their
// own come back as their decimal number. Would-block conditions give "".
std::string getSocketErrorName(int error);

} // namespace platform
} // namespace orv
