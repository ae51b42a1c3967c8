#include "engine/CGameEngine.h"

#include "net/CFrameDispatcher.h"
#include "net/CNetParse_Login.h"
#include "net/CReceiveStream.h"
#include "net/CSocket.h"
#include "net/LoginPacket.h"
#include "net/decodeBlock.h"

#include "base/Refusal.h"

#include <ILogger.h>
#include <ITimer.h>

namespace orv {

void CGameEngine::initNetwork()
{
	// 13. The login phase comes first.
	Parsers.replace(new CNetParse_Login(NetHost));

	// 14. One TCP client socket for the whole run; it connects from the login screen.
	Socket = new net::CSocket();
	Socket->setDescription("net");
	if (Socket->getState() == net::ESS_DISCONNECTED)
	{
		Socket->setProtocol(net::ESP_TCP);
		Socket->setType(net::EST_CLIENT);
	}
	SendQueue.setSocket(Socket);
	SendQueue.setLogger(Device ? Device->getLogger() : nullptr);

	// 15. Both keystreams from their start.
	IncomingCipher.reset(0);
	SendQueue.resetCipher(0);
}

void CGameEngine::destroyNetwork()
{
	// The error boxes it holds go before the GUI does.
	Holdings.clear();
	if (!Socket)
		return;
	if (Socket->getState() != net::ESS_DISCONNECTED)
		Socket->destroy();
	SendQueue.setSocket(nullptr);
	delete Socket;
	Socket = nullptr;
}

bool CGameEngine::updateNetwork()
{
	net::CReceiveStream stream(ReceiveBuffer, DecodedBytes);
	LastReceiveWork = net::SReceiveWork();
	const bool connected = Socket && Socket->getState() != net::ESS_DISCONNECTED;
	// What arrived before the connection ended is handled, in order, before the end is.
	if (!connected && !stream.hasWork() && !FileTransfers.isWriting())
	{
		LastFrameTime = Device->getTimer()->getTime();
		// Once: the game stops, so later frames only keep the clock.
		if (GameRunning)
			returnToLoginScreen();
		return false;
	}

	if (connected)
	{
		if (SendQueue.hasPending())
			SendQueue.flush();
		// While earlier bytes wait their turn the socket keeps the server's next ones: the client
		// holds little, and the connection slows the server down.
		if (stream.getReceivedSize() < ReceiveBudget.waitingBytes)
		{
			const net::packet received = Socket->receive();
			stream.append(received.getData(), received.getSize());
		}
	}
	// Each frame meets the parser that is current when it comes up, so a switch serves the next one.
	net::CFrameDispatcher dispatcher(IncomingCipher, Parsers, Device->getLogger(), &Holdings, &FileTransfers);
	LastReceiveWork = stream.process(dispatcher, ReceiveBudget);
	return true;
}

bool CGameEngine::decompressBlock(net::packet& block)
{
	return net::decodeBlock(IncomingCipher, block, Device ? Device->getLogger() : nullptr);
}

void CGameEngine::sendPacket(net::packet packet)
{
	if (!Online || packet.isEmpty())
		return;
	SendQueue.pushPayload(packet);
}

void CGameEngine::sendLogin(const irr::core::stringw& userName, const irr::core::stringw& password)
{
	Online = 1;
	// Nothing of an earlier connection may leak into this one, before the keystreams start anew.
	SendQueue.clear();
	ReceiveBuffer.clear();
	DecodedBytes.clear();
	FileTransfers.clear();
	Holdings.clear();
	// A new server says again what it had refused.
	forgetRefusals();
	Parsers.replace(new CNetParse_Login(NetHost));
	net::sendLogin(SendQueue, IncomingCipher, userName, password);
}

} // namespace orv
