#pragma once
// One TCP or UDP socket, client or server: blocking while it connects and
// non-blocking afterwards. Operations answer with small result codes and
// print what went wrong; a hard error while sending or receiving closes the
// socket, which the engine sees as a lost connection.

#include <irrString.h>
#include <irrTypes.h>

#include "base/packet.h"
#include "net/ISocket.h"
#include "platform/Sockets.h"

namespace orv {
namespace net {

enum ESocketProtocol
{
	ESP_UDP = 0,
	ESP_TCP = 1
};

enum ESocketType
{
	EST_CLIENT = 0,
	EST_SERVER = 1
};

// Result codes of init and connect.
enum ESocketResult
{
	ESR_INVALID_TYPE = -1,
	ESR_OK = 0,
	ESR_SOCKET_FAILED = 1,
	ESR_RESOLVE_FAILED = 2,
	ESR_BIND_FAILED = 3,
	ESR_CONNECT_FAILED = 4,
	ESR_NOT_DISCONNECTED = 5
};

class CSocket : public ISocket
{
public:
	CSocket();
	~CSocket() override;

	CSocket(const CSocket&) = delete;
	CSocket& operator=(const CSocket&) = delete;

	// Resolves where connect() goes (a client) or what it binds (a server).
	irr::s32 init(const irr::core::stringc& host, const irr::core::stringc& port);
	irr::s32 connect();
	void destroy() override;

	irr::s32 send(packet data) override;
	packet receive();

	ESocketState getState() const override { return state; }
	ESocketProtocol getProtocol() const { return protocol; }
	ESocketType getType() const { return type; }
	const irr::core::stringc& getDescription() const { return description; }

	// Protocol and type only change while the socket is disconnected.
	void setProtocol(ESocketProtocol value);
	void setType(ESocketType value);
	void setDescription(const irr::core::stringc& value) { description = value; }

private:
	platform::SocketHandle handle;
	ESocketProtocol protocol;
	ESocketType type;
	ESocketState state;
	platform::SSocketAddress address;
	irr::core::stringc description;
};

// Starts the system's socket layer once per process; 0 on success.
irr::s32 initWinsock();

} // namespace net
} // namespace orv
