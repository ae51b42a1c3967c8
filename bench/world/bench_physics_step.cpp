// The cost the physics manager adds over Box2D: a frame of 10,000 dynamic
// bodies stepped through CPhysicsManager::update (fixed step, forces cleared,
// the queue of deferred changes run) against b2World::Step of the same world,
// and the guarded world changes a frame's synchronisation makes.

#include <benchmark/benchmark.h>

#include <vector>

#include <box2d/box2d.h>

#include "world/CPhysicsManager.h"
#include "world/PhysicsGuard.h"

using namespace orv;

namespace {

const int BODY_COUNT = 10000;

// Bodies in a loose grid falling under gravity; few touch, as in a level.
void populate(CPhysicsManager& physics, std::vector<b2Body*>& bodies)
{
	bodies.assign(BODY_COUNT, nullptr);
	physics.setGravity(irr::core::vector2df(0.0f, 10.0f));
	b2CircleShape circle;
	fitCircle(circle, 0.4f, b2Vec2(0, 0));
	b2FixtureDef fixture;
	fixture.shape = &circle;
	fixture.density = 1.0f;
	for (int i = 0; i < BODY_COUNT; ++i)
	{
		b2BodyDef def;
		def.type = b2_dynamicBody;
		def.position.Set(static_cast<float>(i % 100) * 2.0f, static_cast<float>(i / 100) * 2.0f);
		physics.createBody(bodies[i], def);
		physics.createFixture(bodies[i], fixture);
	}
}

void BM_ManagerUpdateOneStep(benchmark::State& state)
{
	CPhysicsManager physics;
	std::vector<b2Body*> bodies;
	populate(physics, bodies);
	for (auto _ : state)
		physics.update(CPhysicsManager::STEP_SECONDS + 0.0001f);
	state.SetItemsProcessed(state.iterations() * BODY_COUNT);
}
BENCHMARK(BM_ManagerUpdateOneStep)->Unit(benchmark::kMillisecond);

void BM_Box2DStepAlone(benchmark::State& state)
{
	CPhysicsManager physics;
	std::vector<b2Body*> bodies;
	populate(physics, bodies);
	for (auto _ : state)
		physics.getWorld()->Step(CPhysicsManager::STEP_SECONDS, 10, 10);
	state.SetItemsProcessed(state.iterations() * BODY_COUNT);
}
BENCHMARK(BM_Box2DStepAlone)->Unit(benchmark::kMillisecond);

// What a frame's synchronisation asks of the guard when every object moved.
void BM_GuardedTransforms(benchmark::State& state)
{
	CPhysicsManager physics;
	std::vector<b2Body*> bodies;
	populate(physics, bodies);
	float x = 0.0f;
	for (auto _ : state)
	{
		x += 0.01f;
		for (b2Body* body : bodies)
			physics.setTransform(body, b2Vec2(x, body->GetPosition().y), 0.0f);
	}
	state.SetItemsProcessed(state.iterations() * BODY_COUNT);
}
BENCHMARK(BM_GuardedTransforms)->Unit(benchmark::kMillisecond);

void BM_RawTransforms(benchmark::State& state)
{
	CPhysicsManager physics;
	std::vector<b2Body*> bodies;
	populate(physics, bodies);
	float x = 0.0f;
	for (auto _ : state)
	{
		x += 0.01f;
		for (b2Body* body : bodies)
			body->SetTransform(b2Vec2(x, body->GetPosition().y), 0.0f);
	}
	state.SetItemsProcessed(state.iterations() * BODY_COUNT);
}
BENCHMARK(BM_RawTransforms)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
