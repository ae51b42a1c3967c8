#include "script/api/WorldAPI.h"

#include "script/api/SceneObjectTypes.h"
#include "script/api/WorldManagersAPI.h"

#include <angelscript.h>

namespace orv::script {

using namespace AngelScript;

void registerWorldAPI(asIScriptEngine* engine)
{
	registerSceneObjectEnums(engine);
	// Each a single object of the application, reached through its global.
	engine->RegisterObjectType("ObjectManager", 0, asOBJ_REF | asOBJ_NOHANDLE);
	engine->RegisterObjectType("PhysicsManager", 0, asOBJ_REF | asOBJ_NOHANDLE);
	registerSceneObjectAPI(engine);
	registerObjectManagerAPI(engine);
	registerPhysicsManagerAPI(engine);
}

} // namespace orv::script
