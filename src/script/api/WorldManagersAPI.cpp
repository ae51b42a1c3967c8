#include "script/api/WorldManagersAPI.h"

#include "world/CObjectManager.h"
#include "world/CPhysicsManager.h"

#include <angelscript.h>

namespace orv::script {

using namespace AngelScript;

void registerObjectManagerAPI(asIScriptEngine* engine)
{
	// The manager's lookup adds no entry for an unknown id.
	engine->RegisterObjectMethod("ObjectManager", "SceneObject@+ get_scene_object(const uint32)",
		asMETHOD(CObjectManager, getSceneObject), asCALL_THISCALL);
	engine->RegisterGlobalProperty("ObjectManager Objects", CObjectManager::getInstance());
}

void registerPhysicsManagerAPI(asIScriptEngine* engine)
{
	engine->RegisterObjectMethod(
		"PhysicsManager", "vector2df get_Gravity() const", asMETHOD(CPhysicsManager, getGravity), asCALL_THISCALL);
	engine->RegisterObjectMethod("PhysicsManager", "void set_Gravity(const vector2df &in)",
		asMETHOD(CPhysicsManager, setGravity), asCALL_THISCALL);
	engine->RegisterObjectMethod(
		"PhysicsManager", "u8 get_PixelsPerUnit() const", asMETHOD(CPhysicsManager, getPixelsPerUnit), asCALL_THISCALL);
	// The manager refuses 0, which every conversion would divide by.
	engine->RegisterObjectMethod(
		"PhysicsManager", "void set_PixelsPerUnit(u8)", asMETHOD(CPhysicsManager, setPixelsPerUnit), asCALL_THISCALL);
	engine->RegisterGlobalProperty("PhysicsManager Physics", CPhysicsManager::getInstance());
}

} // namespace orv::script
