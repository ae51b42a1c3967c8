#include "engine/CEngineNetHost.h"

#include "engine/CGameEngine.h"
#include "engine/CGameEventReceiver.h"
#include "net/CSocket.h"

namespace orv {

irr::IrrlichtDevice* CEngineNetHost::getDevice()
{
	return Engine.getDevice();
}

irr::core::stringc CEngineNetHost::getDownloadRoot()
{
	return irr::core::ustring16(Engine.getProgramDirectory()).toUTF8_s();
}

CFileTransfers& CEngineNetHost::getFileTransfers()
{
	return Engine.getFileTransfers();
}

CServerHoldings& CEngineNetHost::getHoldings()
{
	return Engine.getHoldings();
}

void CEngineNetHost::closeConnection()
{
	if (net::CSocket* socket = Engine.getSocket())
		socket->destroy();
}

void CEngineNetHost::leaveLoginScreen()
{
	Engine.leaveLoginScreen();
}

void CEngineNetHost::installPlayReceiver()
{
	if (Engine.getDevice())
		Engine.getDevice()->setEventReceiver(Engine.getPlayReceiver());
}

void CEngineNetHost::setOnline(bool online)
{
	Engine.setOnline(online);
}

void CEngineNetHost::setGameRunning(bool running)
{
	Engine.setGameRunning(running);
}

void CEngineNetHost::replaceParser(CNetParse* next)
{
	Engine.getParsers().replace(next);
}

script::CScriptManager* CEngineNetHost::getScriptManager()
{
	return Engine.getScriptManager();
}

script::CScriptModule* CEngineNetHost::getClientModule()
{
	return Engine.getClientModule();
}

CAttributeList* CEngineNetHost::getServerAttributes()
{
	return &Engine.getServerAttributes();
}

void CEngineNetHost::createSceneObject(irr::u32 id, irr::u8 type, const irr::core::ustring16& className)
{
	Engine.createSceneObject(id, type, className);
}

bool CEngineNetHost::removeSceneObject(irr::u32 id)
{
	return Engine.removeSceneObject(id);
}

CSceneObject* CEngineNetHost::getPlayerObject()
{
	return Engine.getPlayerObject();
}

void CEngineNetHost::setPlayerObject(CSceneObject* object)
{
	Engine.setPlayerObject(object);
}

void CEngineNetHost::runCreated(CSceneObject* object)
{
	Engine.runCreated(object);
}

} // namespace orv
