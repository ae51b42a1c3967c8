#pragma once

#include "net/INetParseHost.h"

namespace orv {

class CGameEngine;

//! The engine as the packet handlers see it.
class CEngineNetHost : public INetParseHost
{
public:
	explicit CEngineNetHost(CGameEngine& engine) : Engine(engine) {}

	irr::IrrlichtDevice* getDevice() override;
	irr::core::stringc getDownloadRoot() override;
	CFileTransfers& getFileTransfers() override;
	CServerHoldings& getHoldings() override;
	void closeConnection() override;
	void leaveLoginScreen() override;
	void installPlayReceiver() override;
	void setOnline(bool online) override;
	void setGameRunning(bool running) override;
	void replaceParser(CNetParse* next) override;
	script::CScriptManager* getScriptManager() override;
	script::CScriptModule* getClientModule() override;
	CAttributeList* getServerAttributes() override;
	void createSceneObject(irr::u32 id, irr::u8 type, const irr::core::ustring16& className) override;
	bool removeSceneObject(irr::u32 id) override;
	void runCreated(CSceneObject* object) override;
	CSceneObject* getPlayerObject() override;
	void setPlayerObject(CSceneObject* object) override;

private:
	CGameEngine& Engine;
};

} // namespace orv
