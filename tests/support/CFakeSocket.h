#pragma once
// A socket that keeps what it is given, takes at most a set number of bytes
// per call, and is connected or not as the test says.

#include <string>

#include "net/ISocket.h"

namespace orv {
namespace test {

class CFakeSocket : public net::ISocket
{
public:
	net::ESocketState state = net::ESS_CONNECTED;
	irr::u32 takeLimit = ~0u;
	std::string received;

	net::ESocketState getState() const override { return state; }
	irr::s32 send(net::packet data) override
	{
		const irr::u32 taken = data.getSize() < takeLimit ? data.getSize() : takeLimit;
		received.append(reinterpret_cast<const char*>(data.getData()), taken);
		return static_cast<irr::s32>(taken);
	}
	void destroy() override { state = net::ESS_DISCONNECTED; }
};

} // namespace test
} // namespace orv
