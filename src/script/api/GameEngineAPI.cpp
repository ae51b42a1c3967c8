#include "script/api/GameEngineAPI.h"

#include <ILogger.h>
#include <IrrlichtDevice.h>

#include "script/api/IGameHost.h"
#include "world/CObjectManager.h"
#include "world/CPhysicsManager.h"
#include "world/CSceneObject.h"

#include <angelscript.h>

namespace orv::script {

using namespace AngelScript;
using irr::core::ustring16;

namespace {

void warn(IGameHost *engine, const char *message)
{
	if (engine->getDevice() && engine->getDevice()->getLogger())
		engine->getDevice()->getLogger()->log("script", message, irr::ELL_WARNING);
}

bool keydown(irr::u32 keyCode, IGameHost *engine)
{
	return engine->isKeyDown(keyCode);
}

void log(const ustring16 &text, IGameHost *engine)
{
	if (engine->getDevice() && engine->getDevice()->getLogger())
		engine->getDevice()->getLogger()->log(L"script", text.toWCHAR_s().c_str(), irr::ELL_INFORMATION);
}

irr::u32 sendEvent(CSceneObject *sender, const ustring16 &event, const ustring16 &data,
	const irr::core::vector2df &origin, irr::f32 range, IGameHost *engine)
{
	return engine->sendEvent(sender, event, data, origin, range);
}

// One above the largest id in use; when that would wrap to 0, the lowest
// free id. 0 when every id is taken.
irr::u32 nextFreeId(const CObjectManager::ObjectMap &objects)
{
	if (objects.empty())
		return 1;
	const irr::u32 largest = objects.rbegin()->first;
	if (largest != 0xFFFFFFFFu)
		return largest + 1;
	irr::u32 candidate = 1;
	for (const auto &entry : objects) {
		if (entry.first > candidate)
			return candidate;
		if (entry.first == candidate) {
			if (candidate == 0xFFFFFFFFu)
				return 0;
			++candidate;
		}
	}
	return candidate;
}

CSceneObject *createSceneObject(const ustring16 &className, irr::s32 type, IGameHost *engine)
{
	// Online the server alone makes objects.
	if (engine->isOnline())
		return nullptr;
	CPhysicsManager *physics = CPhysicsManager::getInstance();
	if (physics && physics->isLocked()) {
		warn(engine, "create_sceneobject is refused while the physics world steps.");
		return nullptr;
	}
	CObjectManager *objects = CObjectManager::getInstance();
	if (!objects)
		return nullptr;
	const irr::u32 id = nextFreeId(objects->getSceneObjects());
	if (id == 0)
		return nullptr;
	CSceneObject *object = engine->createSceneObject(id, static_cast<irr::u32>(type), className);
	if (object)
		object->grab(); // the script's own reference
	return object;
}

CSceneObject *getPlayer(IGameHost *engine)
{
	CSceneObject *player = engine->getPlayerObject();
	if (player)
		player->grab();
	return player;
}

// The engine does not own its player: only an object the object manager
// holds may be it (its removal clears the player), or none.
void setPlayer(CSceneObject *object, IGameHost *engine)
{
	CObjectManager *objects = CObjectManager::getExistingInstance();
	if (!object)
		engine->setPlayerObject(nullptr);
	else if (objects && object->getId() != 0 && objects->getSceneObject(object->getId()) == object)
		engine->setPlayerObject(object);
	else
		warn(engine, "Player must be an object of the world; it is left unchanged.");
	// The handle's reference was the script's, given to this call.
	if (object)
		object->drop();
}

} // namespace

void registerGameEngineAPI(asIScriptEngine *engine, IGameHost *host)
{
	engine->RegisterObjectMethod("GameEngine", "bool keydown(uint)", asFUNCTION(keydown), asCALL_CDECL_OBJLAST);
	engine->RegisterObjectMethod("GameEngine", "void log(const string &in)", asFUNCTION(log), asCALL_CDECL_OBJLAST);
	engine->RegisterObjectMethod("GameEngine",
		"u32 send_event(SceneObject@+, const string &in, const string &in, const vector2df &in, float)",
		asFUNCTION(sendEvent), asCALL_CDECL_OBJLAST);
	engine->RegisterObjectMethod("GameEngine", "SceneObject@ create_sceneobject(const string& in, ESceneObjectType)",
		asFUNCTION(createSceneObject), asCALL_CDECL_OBJLAST);
	// The Player property through accessors, so that references are counted.
	engine->RegisterObjectMethod("GameEngine", "SceneObject@ get_Player()", asFUNCTION(getPlayer),
		asCALL_CDECL_OBJLAST);
	engine->RegisterObjectMethod("GameEngine", "void set_Player(SceneObject@)", asFUNCTION(setPlayer),
		asCALL_CDECL_OBJLAST);
	engine->RegisterGlobalProperty("GameEngine Engine", host);
}

} // namespace orv::script
