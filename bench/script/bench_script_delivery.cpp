// The scripts' share of a frame: 10,000 objects whose class has an empty
// Update, each receiving the frame's queue (one Update record) and Update
// once more directly through its class and its own binding, as the frame
// update delivers them; against the bare Prepare/Execute of the same
// 20,000 calls that run script code on one context.

#include <benchmark/benchmark.h>

#include <vector>

#include <angelscript.h>

#include "script/CScriptManager.h"
#include "script/CScriptModule.h"
#include "script/SScriptBinding.h"
#include "script/SScriptEvent.h"
#include "script/ScriptCallbacks.h"
#include "script/api/ScriptCallbackTable.h"
#include "script/api/WorldAPI.h"
#include "world/CObjectClass.h"
#include "world/CObjectManager.h"
#include "world/CPhysicsManager.h"
#include "world/CSceneObject.h"

using namespace orv;
using namespace AngelScript;

namespace {

const irr::u32 OBJECT_COUNT = 10000;
const char* const EMPTY_UPDATE = "void Update(SceneObject@+ self, uint timeMS) {}";

struct SWorld
{
	SWorld()
	{
		scripts = new script::CScriptManager(nullptr, script::registerWorldAPI);
		script::registerScriptCallbacks(*scripts, nullptr);
		blank = CObjectManager::getInstance()->getObjectClass(scripts, "blank");
		blank->getModule()->load(EMPTY_UPDATE, "main");
		for (irr::u32 i = 0; i < OBJECT_COUNT; ++i)
			objects.push_back(CObjectManager::getInstance()->createSceneObject(i + 1, 1, ""));
	}
	~SWorld()
	{
		scripts->releaseScripts();
		CObjectManager::destroyInstance();
		CPhysicsManager::destroyInstance();
		delete scripts;
	}

	script::CScriptManager* scripts;
	CObjectClass* blank;
	std::vector<CSceneObject*> objects;
};

void BM_DeliverFrameToObjects(benchmark::State& state)
{
	SWorld world;
	ScriptEventQueue queue;
	queue.push_back({script::ESC_UPDATE, net::packet()});
	for (auto _ : state)
	{
		for (CSceneObject* object : world.objects)
		{
			script::SScriptBinding* classBinding = object->getObjectClass()->getBinding();
			script::SScriptBinding* ownBinding = object->getBinding();
			classBinding->runQueuedEvents(queue, object);
			ownBinding->runQueuedEvents(queue, object);
			classBinding->callCallback(script::ESC_UPDATE, net::packet(), object);
			ownBinding->callCallback(script::ESC_UPDATE, net::packet(), object);
		}
	}
	state.counters["objects"] = OBJECT_COUNT;
}
BENCHMARK(BM_DeliverFrameToObjects)->Unit(benchmark::kMillisecond);

void BM_BarePrepareExecute(benchmark::State& state)
{
	SWorld world;
	asIScriptFunction* update = world.blank->getModule()->getEngineModule()->GetFunctionByDecl(
		"void Update(SceneObject@+ self, uint timeMS)");
	asIScriptContext* context = world.scripts->getEngine()->CreateContext();
	for (auto _ : state)
	{
		for (CSceneObject* object : world.objects)
		{
			for (int call = 0; call < 2; ++call)
			{
				context->Prepare(update);
				context->SetArgObject(0, object);
				context->SetArgDWord(1, 0);
				context->Execute();
			}
		}
	}
	context->Release();
	state.counters["calls"] = 2 * OBJECT_COUNT;
}
BENCHMARK(BM_BarePrepareExecute)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
