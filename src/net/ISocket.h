#pragma once
// What the send queue needs of a socket: whether it is up, a place to put
// bytes, and a way to give it up. CSocket is the real one; tests put a
// scripted one in its place.

#include <irrTypes.h>

#include "base/packet.h"

namespace orv {
namespace net {

enum ESocketState
{
	ESS_DISCONNECTED = 0,
	ESS_CONNECTING = 1,
	ESS_CONNECTED = 2,
	ESS_LISTENING = 3,
	ESS_CLOSING = 4
};

class ISocket
{
public:
	virtual ~ISocket() {}

	virtual ESocketState getState() const = 0;

	// Offers the bytes; answers how many were taken (0 on any failure).
	virtual irr::s32 send(packet data) = 0;

	// Closes the connection: the state is ESS_DISCONNECTED afterwards.
	virtual void destroy() = 0;
};

} // namespace net
} // namespace orv
