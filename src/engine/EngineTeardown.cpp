#include "engine/EngineTeardown.h"

#include "engine/CCameraManager.h"
#include "engine/CGameEngine.h"
#include "engine/CLevelLoader.h"
#include "engine/CObjectManager.h"
#include "engine/CPhysicsManager.h"
#include "script/CScriptManager.h"

namespace orv {

void tearDownSingletons()
{
	// Scripts let go of the objects they hold first, so the object manager's
	// references are the last ones and its objects go with it, while the
	// world their bodies live in still stands.
	if (CGameEngine* engine = CGameEngine::peekInstance())
		if (script::CScriptManager* scripts = engine->getScriptManager())
			scripts->releaseScripts();
	CObjectManager::destroyInstance();
	CPhysicsManager::destroyInstance();
	CCameraManager::destroyInstance();
	CLevelLoader::destroyInstance();
	CGameEngine::destroyInstance();
}

} // namespace orv
