#include "engine/CGameEngine.h"

#include <vector>

#include <IGUIEnvironment.h>

#include "base/DeviceClock.h"
#include "engine/CGameEventReceiver.h"
#include "frontend/CLoginEventReceiver.h"
#include "frontend/LoginScreen.h"
#include "frontend/PackageList.h"
#include "frontend/Translated.h"
#include "net/CNetParse_Login.h"
#include "net/CSocket.h"
#include "script/CScriptModule.h"
#include "script/api/CGUIEngine.h"
#include "world/CObjectManager.h"

namespace orv {

void CGameEngine::initLoginScreen()
{
	LoginReceiver = new CLoginEventReceiver(*this);
	buildLoginScreen(Device, *LoginReceiver);
}

void CGameEngine::leaveLoginScreen()
{
	if (LoginReceiver)
		LoginReceiver->leaveScreen();
	Device->getGUIEnvironment()->clear();
}

void CGameEngine::returnToLoginScreen()
{
	irr::gui::IGUIEnvironment* gui = Device->getGUIEnvironment();
	// What the game's scripts put on screen goes with the game, and so does
	// whatever is left of a screen before.
	if (LoginReceiver)
		LoginReceiver->leaveScreen();
	gui->clear();
	buildLoginScreen(Device, *LoginReceiver);
	gui->addMessageBox(translated("Error").c_str(), translated("Lost connection to the server.").c_str(), true,
		irr::gui::EMBF_OK, nullptr, ELSI_CONNECTION_ERROR, nullptr);
	Parsers.replace(new CNetParse_Login(NetHost));
	setGameRunning(false);
	// From here the login screen takes the keys: what is held now is let go
	// unseen.
	clearKeyStates();
}

void CGameEngine::destroyReceivers()
{
	if (Device)
		Device->setEventReceiver(nullptr);
	delete LoginReceiver;
	LoginReceiver = nullptr;
	delete PlayReceiver;
	PlayReceiver = nullptr;
	clearPackageList();
}

void CGameEngine::setLanguageSetting(const irr::core::ustring16& language)
{
	if (CIniSection* section = Settings.getSection("Language"))
		section->set("language", language);
}

void CGameEngine::resetSession()
{
	// The old client script lets go of whatever its globals held.
	if (ClientModule && ScriptManager)
		ClientModule->setManager(ScriptManager);
	dropWaitingCreated();
	if (CObjectManager* objects = CObjectManager::getExistingInstance())
	{
		std::vector<irr::u32> ids;
		for (const auto& entry : objects->getSceneObjects())
			ids.push_back(entry.first);
		// Each leaves the scene as a deleted object does: node, camera, registry.
		for (irr::u32 id : ids)
			removeSceneObject(id);
		objects->clear();
		objects->getObjectClass(ScriptManager, "blank");
	}
	PlayerObject = nullptr;
	ServerAttributes = CAttributeList();
	EventQueue.clear();
	clearKeyStates();
	gui::CGUIEngine::getInstance()->clear();
}

void CGameEngine::startOfflineGame()
{
	Device->setEventReceiver(PlayReceiver);
	setOnline(false);
	setGameRunning(true);
}

int CGameEngine::connect(const irr::core::stringc& host, const irr::core::stringc& port)
{
	if (!Socket)
		return net::ESR_SOCKET_FAILED;
	Socket->init(host, port);
	return Socket->connect();
}

bool CGameEngine::isConnected() const
{
	return Socket && Socket->getState() != net::ESS_DISCONNECTED;
}

void CGameEngine::resetFrameTime()
{
	LastFrameTime = deviceTimeNow(Device);
}

} // namespace orv
