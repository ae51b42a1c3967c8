// A frame of a busy world through the engine's own update: 10,000 scene
// objects with dynamic bodies whose class has an empty Update. The frame
// delivers the callbacks, steps the world once and syncs every object and
// its node; it is set against the floor no client can beat, Box2D's Step of
// the same world alone plus the bare Prepare/Execute of as many script
// calls as the frame made. Prints the figures and their ratio.
//
// The engine runs on the null device in a folder of its own, offline, with
// its virtual timer stopped and moved on by 17 ms before every frame and the
// physics accumulator emptied, so that every frame takes exactly one step.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <angelscript.h>
#include <box2d/box2d.h>
#include <ITimer.h>

#include "engine/CGameEngine.h"
#include "engine/EngineTeardown.h"
#include "script/CScriptManager.h"
#include "script/CScriptModule.h"
#include "script/ScriptCallbacks.h"
#include "world/CObjectClass.h"
#include "world/CObjectManager.h"
#include "world/CPhysicsManager.h"
#include "world/CSceneObject.h"

#include "support/NoAudioDevice.h"

using namespace orv;
using namespace AngelScript;
namespace fs = std::filesystem;

namespace {

const irr::u32 OBJECT_COUNT = 10000;
const int MEASURED_FRAMES = 420;
const double TARGET_RATIO = 1.2;
const irr::u32 FRAME_MS = 17;
const char* const EMPTY_UPDATE = "void Update(SceneObject@+ self, uint timeMS) {}";
const char* const UPDATE_DECL = "void Update(SceneObject@+ self, uint timeMS)";

typedef std::chrono::steady_clock Clock;

double millisecondsSince(Clock::time_point start)
{
	return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values)
{
	std::sort(values.begin(), values.end());
	return values[values.size() / 2];
}

struct SWorldBench
{
	fs::path folder;
	fs::path previousDirectory;
	CGameEngine* engine = nullptr;
	irr::ITimer* timer = nullptr;
	CPhysicsManager* physics = nullptr;
	asIScriptFunction* update = nullptr;
	std::vector<CSceneObject*> objects;
	irr::u32 callsPerFrame = 0;

	bool start()
	{
		std::random_device random;
		folder = fs::temp_directory_path() / ("orv-bench-world-" + std::to_string(random()));
		fs::create_directories(folder);
		previousDirectory = fs::current_path();

		SEngineLaunch launch;
		launch.programDirectory = irr::core::ustring16((folder.string() + "/").c_str()).toWCHAR_s();
		launch.nullDevice = true;
		CGameEngine::setLaunch(launch);
		engine = CGameEngine::getInstance();
		if (!engine || !engine->init())
			return false;
		engine->setGameRunning(true);
		timer = engine->getDevice()->getTimer();
		timer->stop();

		CObjectClass* blank = CObjectManager::getInstance()->findObjectClass("blank");
		if (!blank || !blank->getModule())
			return false;
		blank->getModule()->load(EMPTY_UPDATE, "main");
		update = blank->getModule()->getEngineModule()->GetFunctionByDecl(UPDATE_DECL);
		if (!update)
			return false;

		physics = CPhysicsManager::getInstance();
		physics->setGravity(irr::core::vector2df(0.0f, 10.0f));
		// A loose grid falling under gravity: every body awake, few touching.
		for (irr::u32 i = 0; i < OBJECT_COUNT; ++i)
		{
			CSceneObject* object = engine->createSceneObject(i + 1, 1, "");
			if (!object)
				return false;
			object->Physics.addCollisionCircle(0.4f, irr::core::vector2df(0, 0));
			object->Physics.setType(EBT_DYNAMIC);
			object->setPosition(
				irr::core::vector3df(static_cast<float>(i % 100) * 32.0f, static_cast<float>(i / 100) * 32.0f, 0.0f));
			CSceneObject::syncFromBody(object);
			object->getChangedEngineAttributes().clear();
			objects.push_back(object);
		}
		// As in a game, one of them is the player.
		engine->setPlayerObject(objects.front());

		// The frame's queue holds one Update record and Update is called once
		// more directly, through the class's binding and the object's own.
		for (CSceneObject* object : objects)
		{
			if (object->getObjectClass()->getModule()->getCallbackId(script::ESC_UPDATE) != asNO_FUNCTION)
				callsPerFrame += 2;
			if (object->getModule() && object->getModule()->getCallbackId(script::ESC_UPDATE) != asNO_FUNCTION)
				callsPerFrame += 2;
		}
		return true;
	}

	void stop()
	{
		objects.clear();
		tearDownSingletons();
		CGameEngine::setLaunch(SEngineLaunch());
		std::error_code ignored;
		fs::current_path(previousDirectory, ignored);
		fs::remove_all(folder, ignored);
	}

	void prepareFrame()
	{
		timer->setTime(timer->getTime() + FRAME_MS);
		physics->setAccumulator(0.0f);
	}

	double engineFrame()
	{
		prepareFrame();
		const Clock::time_point start = Clock::now();
		engine->update();
		return millisecondsSince(start);
	}

	double box2dStep()
	{
		const Clock::time_point start = Clock::now();
		physics->getWorld()->Step(CPhysicsManager::STEP_SECONDS, 10, 10);
		return millisecondsSince(start);
	}

	double barePrepareExecute(asIScriptContext* context)
	{
		const Clock::time_point start = Clock::now();
		const irr::u32 perObject = callsPerFrame / OBJECT_COUNT;
		for (CSceneObject* object : objects)
			for (irr::u32 call = 0; call < perObject; ++call)
			{
				context->Prepare(update);
				context->SetArgObject(0, object);
				context->SetArgDWord(1, FRAME_MS);
				context->Execute();
			}
		return millisecondsSince(start);
	}
};

} // namespace

int main()
{
	bench::withoutAudioDevice();
	SWorldBench bench;
	if (!bench.start())
	{
		std::fprintf(stderr, "the world could not be set up\n");
		bench.stop();
		return 1;
	}
	asIScriptContext* context = bench.engine->getScriptManager()->getEngine()->CreateContext();

	// Untimed first: caches and allocators settle, and the bodies fall fast
	// enough to leave their fat boxes at every step, as they will in every
	// measured one.
	for (int i = 0; i < 40; ++i)
	{
		bench.engineFrame();
		bench.box2dStep();
		bench.barePrepareExecute(context);
	}

	// Side by side, frame after frame: a busy moment of the machine and a
	// world that changes as it falls affect all three alike.
	std::vector<double> frames, steps, calls;
	for (int i = 0; i < MEASURED_FRAMES; ++i)
	{
		frames.push_back(bench.engineFrame());
		steps.push_back(bench.box2dStep());
		calls.push_back(bench.barePrepareExecute(context));
	}
	context->Release();

	const double frame = median(frames);
	const double step = median(steps);
	const double bare = median(calls);
	const double floor = step + bare;
	const double ratio = frame / floor;
	std::printf("world of %u scene objects with dynamic bodies, empty Update in their class\n", OBJECT_COUNT);
	std::printf("script calls per frame:                   %u\n", bench.callsPerFrame);
	std::printf("engine frame (deliver, step, sync):       %8.3f ms  (median of %zu)\n", frame, frames.size());
	std::printf("Box2D Step of the same world alone:       %8.3f ms\n", step);
	std::printf("bare Prepare/Execute of the same calls:   %8.3f ms\n", bare);
	std::printf("floor (step + bare calls):                %8.3f ms\n", floor);
	std::printf("ratio frame / floor:                      %8.3f   (target <= %.3f: %s)\n", ratio, TARGET_RATIO,
		ratio <= TARGET_RATIO ? "met" : "missed");

	bench.stop();
	return 0;
}
