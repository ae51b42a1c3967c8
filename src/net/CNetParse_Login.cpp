#include "net/CNetParse_Login.h"

#include "net/CNetParse_2D.h"
#include "net/INetParseHost.h"

#include <IGUIEnvironment.h>
#include <ILogger.h>

namespace orv {

bool CNetParse_Login::onServerError(net::packet& packet)
{
	Host.closeConnection();
	return CNetParse::onServerError(packet);
}

bool CNetParse_Login::onSwitchParser(net::packet& packet)
{
	const irr::core::ustring16 mode = readRest(packet);
	if (mode == getName() || !(mode == irr::core::ustring16("2D")))
		return true;

	irr::IrrlichtDevice* device = Host.getDevice();
	if (device && device->getLogger())
		device->getLogger()->log("net", "Switching parser to 2D mode.", irr::ELL_INFORMATION);
	Host.leaveLoginScreen();
	Host.installPlayReceiver();
	Host.setOnline(true);
	// The host keeps this parser alive until the handler returned; nothing of it is touched after.
	Host.replaceParser(new CNetParse_2D(Host));
	Host.setGameRunning(true);
	return true;
}

} // namespace orv
