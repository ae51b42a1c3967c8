#include "engine/CGameEngine.h"

#include <angelscript.h>

#include "script/CScriptManager.h"
#include "script/CScriptModule.h"
#include "script/SScriptBinding.h"
#include "script/api/CGUIEngine.h"
#include "script/api/CameraManagerAPI.h"
#include "script/api/GUIAPI.h"
#include "script/api/GameEngineAPI.h"
#include "script/api/ScriptCallbackTable.h"
#include "script/api/WorldAPI.h"

namespace orv {

using namespace AngelScript;

void CGameEngine::initScripts()
{
	// 22. The host, logging into the device's logger, with the world's types.
	ScriptManager = new script::CScriptManager(Device->getLogger(), script::registerWorldAPI);

	// 23. The engine's own single objects, reached through their globals.
	if (asIScriptEngine* engine = ScriptManager->getEngine())
	{
		engine->RegisterObjectType("GameEngine", 0, asOBJ_REF | asOBJ_NOHANDLE);
		engine->RegisterObjectType("CameraManager", 0, asOBJ_REF | asOBJ_NOHANDLE);
		engine->RegisterObjectType("GUIEngine", 0, asOBJ_REF | asOBJ_NOHANDLE);
		engine->RegisterObjectType("GUICollection", 0, asOBJ_REF);

		// 24. The script faces of the GUI, the engine and the camera.
		script::registerGUITypes(engine);
		script::registerGameEngineAPI(engine, this);
		script::registerCameraManagerAPI(engine);
		script::registerGUIEngineAPI(engine);
		script::registerGUIMethods(engine);
	}

	// 25. The "client" module exists before the callback table is filled, so
	// it resolves no callback until code is loaded into it.
	ClientModule = ScriptManager->getModule("client");
	ClientBinding = new script::SScriptBinding();
	ClientBinding->setModule(ClientModule);

	// 26. The twelve callbacks.
	script::registerScriptCallbacks(*ScriptManager, this);
}

void CGameEngine::destroyScripts()
{
	// 6. The "client" binding lets go of its context and module.
	delete ClientBinding;
	ClientBinding = nullptr;
	ClientModule = nullptr;

	// 7. The host, with every module it still holds and the script engine.
	delete ScriptManager;
	ScriptManager = nullptr;

	// No script holds a GUI element any more; the list lets go of its own
	// while their GUI environment still exists.
	gui::CGUIEngine::getInstance()->clear();
}

} // namespace orv
