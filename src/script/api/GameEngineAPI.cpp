#include "script/api/GameEngineAPI.h"

#include <ILogger.h>
#include <IrrlichtDevice.h>

#include "base/DeviceClock.h"
#include "base/Refusal.h"
#include "level/CLevelLoader.h"
#include "script/ScriptBudget.h"
#include "script/api/IGameHost.h"
#include "script/api/ScriptLog.h"
#include "world/CObjectManager.h"
#include "world/CPhysicsManager.h"
#include "world/CSceneObject.h"

#include <angelscript.h>

#include <memory>
#include <string>

namespace orv::script {

using namespace AngelScript;
using irr::core::ustring16;

namespace {

asIScriptEngine* activeScriptEngine()
{
	asIScriptContext* context = asGetActiveContext();
	return context ? context->GetEngine() : nullptr;
}

// A script may ask for the same refused thing in a loop: one line a kind.
void warn(const char* kind, const char* message)
{
	reportRefusalOnce("script", kind, message);
}

bool keydown(irr::u32 keyCode, IGameHost* engine)
{
	return engine->isKeyDown(keyCode);
}

void log(const ustring16& text, IGameHost* engine)
{
	if (!engine->getDevice())
		return;
	const asIScriptContext* context = asGetActiveContext();
	const SScriptBudget* budget = context ? getScriptBudget(context->GetEngine()) : nullptr;
	writeScriptLog(engine->getDevice()->getLogger(), text, budget ? budget->Frame : 0);
}

irr::u32 sendEvent(CSceneObject* sender, const ustring16& event, const ustring16& data,
	const irr::core::vector2df& origin, irr::f32 range, IGameHost* engine)
{
	// The deliveries are the sending run's time.
	const CScriptEngineWork work(activeScriptEngine());
	return engine->sendEvent(sender, event, data, origin, range);
}

// Levels asked for inside a step wait for its end and load outside any run,
// where no script time bounds them: a contact callback that asks in a loop
// gets at most as many as levels read inside one another.
const int MAX_WAITING_LEVELS = 16;
int levelsWaiting = 0;

struct SWaitingLevel
{
	SWaitingLevel() { ++levelsWaiting; }
	~SWaitingLevel() { --levelsWaiting; }
	SWaitingLevel(const SWaitingLevel&) = delete;
	SWaitingLevel& operator=(const SWaitingLevel&) = delete;
};

void loadLevel(const ustring16& name, IGameHost* engine)
{
	const auto load = [engine, name] {
		// Loading counts as the run's time; what the level keeps is the engine's.
		const CScriptEngineWork work(activeScriptEngine());
		if (CLevelLoader* levels = CLevelLoader::getInstance())
			levels->loadLevel(engine->getDevice(), name);
		// The time spent loading is not simulated.
		if (irr::IrrlichtDevice* device = engine->getDevice())
			engine->setLastFrameTime(deviceTimeNow(device));
		if (CPhysicsManager* physics = CPhysicsManager::getExistingInstance())
			physics->setAccumulator(0.0f);
	};
	// A contact callback runs inside the step, where no body may be made:
	// the level comes once the step is over.
	CPhysicsManager* physics = CPhysicsManager::getInstance();
	if (!physics || !physics->isLocked())
		return load();
	if (levelsWaiting >= MAX_WAITING_LEVELS)
		return warn("script: levels waiting",
			("load_level is refused: " + std::to_string(MAX_WAITING_LEVELS) +
				" levels wait for the physics step to end already.")
				.c_str());
	// Counted until the load has run, or was dropped unrun.
	const std::shared_ptr<SWaitingLevel> waiting = std::make_shared<SWaitingLevel>();
	physics->runWhenUnlocked([load, waiting] { load(); });
}

CSceneObject* createSceneObject(const ustring16& className, irr::s32 type, IGameHost* engine)
{
	// Online the server alone makes objects.
	if (engine->isOnline())
		return nullptr;
	CPhysicsManager* physics = CPhysicsManager::getInstance();
	if (physics && physics->isLocked())
	{
		warn("script: create_sceneobject while stepping",
			"create_sceneobject is refused while the physics world steps.");
		return nullptr;
	}
	CObjectManager* objects = CObjectManager::getInstance();
	if (!objects)
		return nullptr;
	const irr::u32 id = objects->getNextFreeId();
	if (id == 0)
		return nullptr;
	const CScriptEngineWork work(activeScriptEngine());
	CSceneObject* object = engine->createSceneObject(id, static_cast<irr::u32>(type), className);
	if (object)
		object->grab(); // the script's own reference
	return object;
}

CSceneObject* getPlayer(IGameHost* engine)
{
	CSceneObject* player = engine->getPlayerObject();
	if (player)
		player->grab();
	return player;
}

// The engine does not own its player: only an object the object manager
// holds may be it (its removal clears the player), or none.
void setPlayer(CSceneObject* object, IGameHost* engine)
{
	CObjectManager* objects = CObjectManager::getExistingInstance();
	if (!object)
		engine->setPlayerObject(nullptr);
	else if (objects && object->getId() != 0 && objects->getSceneObject(object->getId()) == object)
		engine->setPlayerObject(object);
	else
		warn("script: player", "Player must be an object of the world; it is left unchanged.");
	// The handle's reference was the script's, given to this call.
	if (object)
		object->drop();
}

} // namespace

void registerGameEngineAPI(asIScriptEngine* engine, IGameHost* host)
{
	engine->RegisterObjectMethod("GameEngine", "bool keydown(uint)", asFUNCTION(keydown), asCALL_CDECL_OBJLAST);
	engine->RegisterObjectMethod("GameEngine", "void log(const string &in)", asFUNCTION(log), asCALL_CDECL_OBJLAST);
	engine->RegisterObjectMethod("GameEngine",
		"u32 send_event(SceneObject@+, const string &in, const string &in, const vector2df &in, float)",
		asFUNCTION(sendEvent), asCALL_CDECL_OBJLAST);
	engine->RegisterObjectMethod(
		"GameEngine", "void load_level(const string& in)", asFUNCTION(loadLevel), asCALL_CDECL_OBJLAST);
	engine->RegisterObjectMethod("GameEngine", "SceneObject@ create_sceneobject(const string& in, ESceneObjectType)",
		asFUNCTION(createSceneObject), asCALL_CDECL_OBJLAST);
	// The Player property through accessors, so that references are counted.
	engine->RegisterObjectMethod(
		"GameEngine", "SceneObject@ get_Player()", asFUNCTION(getPlayer), asCALL_CDECL_OBJLAST);
	engine->RegisterObjectMethod(
		"GameEngine", "void set_Player(SceneObject@)", asFUNCTION(setPlayer), asCALL_CDECL_OBJLAST);
	engine->RegisterGlobalProperty("GameEngine Engine", host);
}

} // namespace orv::script
