#include "engine/EngineTeardown.h"

#include "engine/CGameEngine.h"
#include "level/CLevelLoader.h"
#include "scene/CCameraManager.h"
#include "script/CScriptManager.h"
#include "world/CObjectManager.h"
#include "world/CPhysicsManager.h"

namespace orv {

void tearDownSingletons()
{
	// Scripts let go of the objects they hold first, so the object manager's
	// references are the last ones and its objects go with it, while the
	// world their bodies live in still stands. All script work from here on
	// (destructors of what scripts held) shares the close's one budget.
	if (CGameEngine* engine = CGameEngine::peekInstance())
	{
		engine->dropWaitingCreated();
		if (script::CScriptManager* scripts = engine->getScriptManager())
		{
			scripts->beginClose();
			scripts->releaseScripts();
		}
	}
	CObjectManager::destroyInstance();
	CPhysicsManager::destroyInstance();
	CCameraManager::destroyInstance();
	CLevelLoader::destroyInstance();
	CGameEngine::destroyInstance();
}

} // namespace orv
