// What scene objects add to a frame of the world: 10,000 owned objects with
// dynamic bodies, each synchronised from its body before the step and its
// position written back after it, against Box2D's step of the same world
// alone. The scripts' share of a frame is measured with the script host.

#include <benchmark/benchmark.h>

#include <vector>

#include <box2d/box2d.h>

#include "world/CObjectManager.h"
#include "world/CPhysicsManager.h"
#include "world/CSceneObject.h"

using namespace orv;

namespace {

const irr::u32 OBJECT_COUNT = 10000;

// Objects in a loose grid falling under gravity; few touch, as in a level.
std::vector<CSceneObject*> populate()
{
	CObjectManager* objects = CObjectManager::getInstance();
	objects->getObjectClass(nullptr, "blank");
	CPhysicsManager::getInstance()->setGravity(irr::core::vector2df(0.0f, 10.0f));
	std::vector<CSceneObject*> made;
	for (irr::u32 i = 0; i < OBJECT_COUNT; ++i)
	{
		CSceneObject* object = objects->createSceneObject(i + 1, 1, "");
		object->Physics.owner = true;
		object->Physics.addCollisionCircle(0.4f, irr::core::vector2df(0, 0));
		object->Physics.setType(EBT_DYNAMIC);
		object->setPosition(
			irr::core::vector3df(static_cast<float>(i % 100) * 32.0f, static_cast<float>(i / 100) * 32.0f, 0.0f));
		CSceneObject::syncFromBody(object);
		object->getChangedEngineAttributes().clear();
		made.push_back(object);
	}
	return made;
}

void tearDown()
{
	CObjectManager::destroyInstance();
	CPhysicsManager::destroyInstance();
}

void BM_FrameOfSyncStepAndWriteBack(benchmark::State& state)
{
	const std::vector<CSceneObject*> objects = populate();
	CPhysicsManager* physics = CPhysicsManager::getInstance();
	for (auto _ : state)
	{
		for (CSceneObject* object : objects)
			CSceneObject::syncFromBody(object);
		physics->update(CPhysicsManager::STEP_SECONDS + 0.0001f);
		for (CSceneObject* object : objects)
		{
			CSceneObject::syncPositionFromBody(object);
			object->getChangedEngineAttributes().clear();
		}
	}
	state.SetItemsProcessed(state.iterations() * OBJECT_COUNT);
	tearDown();
}
BENCHMARK(BM_FrameOfSyncStepAndWriteBack)->Unit(benchmark::kMillisecond);

void BM_Box2DStepOfTheSameWorld(benchmark::State& state)
{
	populate();
	b2World* world = CPhysicsManager::getInstance()->getWorld();
	for (auto _ : state)
		world->Step(CPhysicsManager::STEP_SECONDS, 10, 10);
	state.SetItemsProcessed(state.iterations() * OBJECT_COUNT);
	tearDown();
}
BENCHMARK(BM_Box2DStepOfTheSameWorld)->Unit(benchmark::kMillisecond);

// The synchronisations alone, without a step between them.
void BM_SynchronisationsAlone(benchmark::State& state)
{
	const std::vector<CSceneObject*> objects = populate();
	for (auto _ : state)
	{
		for (CSceneObject* object : objects)
			CSceneObject::syncFromBody(object);
		for (CSceneObject* object : objects)
		{
			CSceneObject::syncPositionFromBody(object);
			object->getChangedEngineAttributes().clear();
		}
	}
	state.SetItemsProcessed(state.iterations() * OBJECT_COUNT);
	tearDown();
}
BENCHMARK(BM_SynchronisationsAlone)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
