#pragma once
// What the login screen asks of the application: its device and folder, the
// string tables, the "client" script, and the two ways into a game.

#include <irrString.h>

#include "base/ustring16.h"
#include "text/CStringTable.h"

namespace irr {
class IrrlichtDevice;
}

namespace orv {

class CSceneObject;

namespace script {
class CScriptManager;
struct SScriptBinding;
} // namespace script

//! The engine answers in the program.
class IFrontendHost
{
public:
	virtual ~IFrontendHost() = default;

	virtual irr::IrrlichtDevice* getDevice() const = 0;
	//! The executable's folder, ending in '/'.
	virtual const irr::core::stringw& getProgramDirectory() const = 0;
	//! Every loaded table by language.
	virtual const irr::stringtable::StringTableMap& getStringTables() const = 0;
	//! Kept in the settings, written at exit.
	virtual void setLanguageSetting(const irr::core::ustring16& language) = 0;

	//! Null before the script host exists.
	virtual script::CScriptManager* getScriptManager() const = 0;
	virtual script::SScriptBinding* getClientBinding() const = 0;

	//! Runs Created on the object's own script (null: the client's), at once
	//! or, when scripts spent the frame's time, in a later frame.
	virtual void runCreated(CSceneObject* object) = 0;

	//! Forgets whatever an earlier game left: its objects, classes, server
	//! attributes, player and client script.
	virtual void resetSession() = 0;
	//! Offline play begins: the play-time receiver takes the events, the
	//! network is left alone and the game runs.
	virtual void startOfflineGame() = 0;
	//! Connects the socket to the server; 0 when it connected.
	virtual int connect(const irr::core::stringc& host, const irr::core::stringc& port) = 0;
	//! A connection to a server is open: a login is on its way or a game runs.
	virtual bool isConnected() const = 0;
	//! Enters online mode and queues the login packet.
	virtual void sendLogin(const irr::core::stringw& userName, const irr::core::stringw& password) = 0;
	//! The first game frame does not count the time spent on the screen.
	virtual void resetFrameTime() = 0;
};

} // namespace orv
