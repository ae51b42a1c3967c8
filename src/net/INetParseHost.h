#pragma once

#include <IGUIEnvironment.h>
#include <IrrlichtDevice.h>
#include <irrString.h>

#include "base/ustring16.h"

namespace orv {

class CNetParse;
class CFileTransfers;
class CServerHoldings;
class CAttributeList;
class CSceneObject;
namespace script {
class CScriptManager;
class CScriptModule;
} // namespace script

//! What the packet handlers act on beyond the packet itself.
/** The engine answers in the program; tests, the fuzzer and the benchmark bring hosts of their own,
    so the parsers run without a window or a connection. */
class INetParseHost
{
public:
	virtual ~INetParseHost() = default;

	//! GUI environment, logger and file system; may be null where nothing is shown.
	virtual irr::IrrlichtDevice* getDevice() = 0;

	//! The program directory as UTF-8, ending with a separator: the root of downloaded files.
	virtual irr::core::stringc getDownloadRoot() = 0;

	virtual CFileTransfers& getFileTransfers() = 0;

	//! What the server made the client hold in this connection, beyond what the world counts.
	virtual CServerHoldings& getHoldings() = 0;

	//! Closes the connection to the server at once.
	virtual void closeConnection() = 0;

	//! The login phase is over: the login screen and what it holds leave with every GUI element.
	virtual void leaveLoginScreen()
	{
		if (irr::IrrlichtDevice* device = getDevice())
			if (device->getGUIEnvironment())
				device->getGUIEnvironment()->clear();
	}

	//! Makes the play-time receiver the device's event receiver.
	virtual void installPlayReceiver() = 0;

	virtual void setOnline(bool online) = 0;

	virtual void setGameRunning(bool running) = 0;

	//! Takes ownership of the parser that serves from the next frame on.
	/** Called from a handler, the parser running it stays alive until that handler returned. */
	virtual void replaceParser(CNetParse* next) = 0;

	// The world the class, attribute, script and object packets build. A host without one (the
	// receive-path doubles) answers null and changes nothing.

	//! Classes and objects get their modules from it; null without scripts.
	virtual script::CScriptManager* getScriptManager() { return nullptr; }

	//! The module of the client's own script code.
	virtual script::CScriptModule* getClientModule() { return nullptr; }

	virtual CAttributeList* getServerAttributes() { return nullptr; }

	//! Makes the object and puts it into the scene; nothing for id 0 or an unknown class.
	virtual void createSceneObject(irr::u32 id, irr::u8 type, const irr::core::ustring16& className) {}

	//! Takes the object out of the scene and the registry; false when no object has the id.
	virtual bool removeSceneObject(irr::u32 id) { return false; }

	//! Runs Created on the object's own script; the engine may keep it for a
	//! later frame when scripts spent this one's time.
	virtual void runCreated(CSceneObject* object);

	virtual CSceneObject* getPlayerObject() { return nullptr; }
	virtual void setPlayerObject(CSceneObject* object) {}
};

} // namespace orv
