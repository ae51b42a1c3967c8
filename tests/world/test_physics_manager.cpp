#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include <irrlicht.h>

#include "world/CObjectManager.h"
#include "world/CPhysicsManager.h"
#include "world/CSceneObject.h"
#include "world/ContactArguments.h"
#include "world/PhysicsDebugView.h"
#include "world/PhysicsGuard.h"

using namespace orv;

namespace {

b2Body* makeBody(CPhysicsManager& physics, b2Body*& slot, b2BodyType type, b2Vec2 position)
{
	b2BodyDef def;
	def.type = type;
	def.position = position;
	physics.createBody(slot, def);
	return slot;
}

void addCircle(CPhysicsManager& physics, b2Body* body, float radius)
{
	b2CircleShape circle;
	circle.m_radius = radius;
	b2FixtureDef def;
	def.shape = &circle;
	def.density = 1.0f;
	physics.createFixture(body, def);
}

} // namespace

TEST(PhysicsManager, StartsEmptyWithSixteenPixelsPerUnit)
{
	CPhysicsManager physics;
	EXPECT_EQ(physics.getPixelsPerUnit(), 16);
	EXPECT_EQ(physics.getAccumulator(), 0.0f);
	EXPECT_EQ(physics.getGravity(), irr::core::vector2df(0.0f, 0.0f));
	EXPECT_EQ(physics.getWorld()->GetBodyCount(), 0);
}

TEST(PhysicsManager, FixedStepsAtMostFivePerUpdateWithTheRemainderKept)
{
	struct Case
	{
		const char* name;
		std::vector<float> updates;
		int steps;
		float remainder;
	};
	const Case cases[] = {
		{"less than a step", {0.010f}, 0, 0.010f},
		{"two small frames make one step", {0.010f, 0.010f}, 1, 0.02f - 1.0f / 60.0f},
		{"exactly one step waits", {1.0f / 60.0f}, 0, 1.0f / 60.0f},
		{"half a second is capped at five", {0.5f}, 5, 0.5f - 5.0f / 60.0f},
		{"the excess is worked off later", {0.5f, 0.0f}, 10, 0.5f - 10.0f / 60.0f},
		{"nothing", {0.0f}, 0, 0.0f},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		CPhysicsManager physics;
		// A kinematic body moving one unit per step counts the steps.
		b2Body* body = nullptr;
		makeBody(physics, body, b2_kinematicBody, b2Vec2(0, 0));
		physics.setLinearVelocity(body, b2Vec2(60.0f, 0.0f));
		for (float seconds : c.updates)
			physics.update(seconds);
		EXPECT_NEAR(body->GetPosition().x, static_cast<float>(c.steps), 1e-3f);
		EXPECT_NEAR(physics.getAccumulator(), c.remainder, 1e-5f);
	}
}

TEST(PhysicsManager, ForcesAreKeptUntilTheNextStep)
{
	CPhysicsManager physics;
	b2Body* body = nullptr;
	makeBody(physics, body, b2_dynamicBody, b2Vec2(0, 0));
	addCircle(physics, body, 0.5f);
	physics.applyForce(body, b2Vec2(2, 0), b2Vec2(0, 1));
	physics.applyForce(body, b2Vec2(1, 0), b2Vec2(0, 0));
	EXPECT_EQ(physics.getAccumulatedForce(body).x, 3.0f);
	EXPECT_EQ(physics.getAccumulatedTorque(body), -2.0f);
	physics.update(0.02f);
	EXPECT_EQ(physics.getAccumulatedForce(body).x, 0.0f);
	EXPECT_EQ(physics.getAccumulatedTorque(body), 0.0f);

	// A static body does not take forces, here as in Box2D.
	b2Body* ground = nullptr;
	makeBody(physics, ground, b2_staticBody, b2Vec2(5, 5));
	physics.applyForce(ground, b2Vec2(2, 0), b2Vec2(0, 0));
	EXPECT_EQ(physics.getAccumulatedForce(ground).x, 0.0f);
}

TEST(PhysicsManager, FixedRotationRecomputesTheMassEvenWhenUnchanged)
{
	CPhysicsManager physics;
	b2Body* body = nullptr;
	makeBody(physics, body, b2_dynamicBody, b2Vec2(0, 0));
	addCircle(physics, body, 0.5f);
	const float inertia = body->GetInertia();
	physics.setFixedRotation(body, true);
	EXPECT_EQ(body->GetInertia(), 0.0f);
	b2MassData odd{5.0f, b2Vec2(0, 0), 9.0f};
	body->SetMassData(&odd);
	physics.setFixedRotation(body, true);
	EXPECT_FLOAT_EQ(body->GetMass(), b2_pi * 0.25f);
	physics.setFixedRotation(body, false);
	EXPECT_FLOAT_EQ(body->GetInertia(), inertia);
}

// Contact callbacks record what they were given.
namespace {

struct SCall
{
	int kind; // 0 begin, 1 end, 2 solve
	CSceneObject* object;
	CSceneObject* other;
	b2Vec2 normal, first, second;
};
std::vector<SCall> calls;
bool solveAnswer = true;

void recordBegin(CSceneObject* o, CSceneObject* other)
{
	calls.push_back({0, o, other, {}, {}, {}});
}
void recordEnd(CSceneObject* o, CSceneObject* other)
{
	calls.push_back({1, o, other, {}, {}, {}});
}
bool recordSolve(CSceneObject* o, CSceneObject* other, const b2Vec2* n, const b2Vec2* p1, const b2Vec2* p2)
{
	calls.push_back({2, o, other, *n, *p1, *p2});
	return solveAnswer;
}

int count(int kind)
{
	int n = 0;
	for (const SCall& c : calls)
		n += c.kind == kind;
	return n;
}

} // namespace

TEST(PhysicsManager, ContactCallbacksGetTheObjectsTheNormalAndThePoints)
{
	struct Case
	{
		const char* name;
		bool answer;
		bool secondAsked;
		bool passesThrough;
	};
	const Case cases[] = {
		{"both scripts allow the contact", true, true, false},
		{"the first script vetoes it", false, false, true},
	};
	int objects[3];
	CSceneObject* wall = reinterpret_cast<CSceneObject*>(&objects[0]);
	CSceneObject* ball = reinterpret_cast<CSceneObject*>(&objects[1]);
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		calls.clear();
		solveAnswer = c.answer;
		CPhysicsManager physics;
		physics.setContactCallbacks(recordBegin, recordEnd, recordSolve);
		b2Body* wallBody = nullptr;
		b2Body* ballBody = nullptr;
		b2Body* loneBody = nullptr;
		makeBody(physics, wallBody, b2_staticBody, b2Vec2(0, 0));
		makeBody(physics, ballBody, b2_dynamicBody, b2Vec2(2, 0));
		makeBody(physics, loneBody, b2_dynamicBody, b2Vec2(-0.5f, 0)); // no object: never reported
		CPhysicsManager::setBodyObject(wallBody, wall);
		CPhysicsManager::setBodyObject(ballBody, ball);
		addCircle(physics, wallBody, 0.5f);
		addCircle(physics, ballBody, 0.5f);
		addCircle(physics, loneBody, 0.1f);
		physics.setLinearVelocity(ballBody, b2Vec2(-6.0f, 0));
		physics.setLinearVelocity(loneBody, b2Vec2(0, 0));

		for (int frame = 0; frame < 60; ++frame)
			physics.update(1.0f / 60.0f + 0.0001f);

		ASSERT_FALSE(calls.empty());
		EXPECT_EQ(count(0), 1);
		const SCall& begin = calls.front();
		EXPECT_EQ(begin.kind, 0);
		EXPECT_TRUE((begin.object == wall && begin.other == ball) || (begin.object == ball && begin.other == wall));
		int solves = 0;
		for (size_t i = 0; i < calls.size(); ++i)
		{
			const SCall& call = calls[i];
			if (call.kind != 2)
				continue;
			++solves;
			if (solves == 1)
			{
				// Where the circles first meet: the normal points from fixture A
				// (the first call's object) to B, the point lies between the centres.
				EXPECT_NEAR(call.normal.x, call.object == wall ? 1.0f : -1.0f, 1e-4f);
				EXPECT_NEAR(call.normal.y, 0.0f, 1e-4f);
				EXPECT_NEAR(call.first.x, 0.5f, 0.1f);
			}
			EXPECT_EQ(call.second.x, 0.0f); // circles touch in one point only
			EXPECT_EQ(call.second.y, 0.0f);
			if (c.secondAsked)
			{
				ASSERT_LT(i + 1, calls.size());
				const SCall& swapped = calls[++i];
				EXPECT_EQ(swapped.kind, 2);
				EXPECT_EQ(swapped.object, call.other);
				EXPECT_EQ(swapped.other, call.object);
				EXPECT_EQ(swapped.normal, call.normal);
				EXPECT_EQ(swapped.first, call.first);
			}
			else if (i + 1 < calls.size())
			{
				EXPECT_NE(calls[i + 1].kind == 2 && calls[i + 1].object == call.other, true);
			}
		}
		EXPECT_GT(solves, 0);
		if (c.passesThrough)
		{
			EXPECT_LT(ballBody->GetPosition().x, -1.0f);
			EXPECT_EQ(count(1), 1); // ends once it is through
		}
		else
			EXPECT_GT(ballBody->GetPosition().x, 0.9f);
	}
	calls.clear();
}

TEST(PhysicsManager, WithoutCallbacksContactsStayAsBox2DMadeThem)
{
	CPhysicsManager physics;
	b2Body* wall = nullptr;
	b2Body* ball = nullptr;
	int objects[2];
	makeBody(physics, wall, b2_staticBody, b2Vec2(0, 0));
	makeBody(physics, ball, b2_dynamicBody, b2Vec2(2, 0));
	CPhysicsManager::setBodyObject(wall, reinterpret_cast<CSceneObject*>(&objects[0]));
	CPhysicsManager::setBodyObject(ball, reinterpret_cast<CSceneObject*>(&objects[1]));
	addCircle(physics, wall, 0.5f);
	addCircle(physics, ball, 0.5f);
	physics.setLinearVelocity(ball, b2Vec2(-6.0f, 0));
	for (int frame = 0; frame < 60; ++frame)
		physics.update(1.0f / 60.0f + 0.0001f);
	EXPECT_GT(ball->GetPosition().x, 0.9f);
}

TEST(PhysicsManager, DebugViewVertices)
{
	struct SPoint
	{
		float x, y;
	};
	struct Case
	{
		const char* name;
		std::function<void(b2Body*)> shape;
		irr::core::vector3df position;
		float angle;
		bool drawn;
		irr::u32 colour;
		std::vector<SPoint> vertices;
		std::vector<irr::u16> indices;
	};
	const Case cases[] = {
		{"box of half-extents 1 at 16 pixels per unit",
			[](b2Body* b) {
				b2PolygonShape box;
				box.SetAsBox(1.0f, 1.0f);
				b->CreateFixture(&box, 0.0f);
			},
			{100, 100, 0}, 0.0f, true, 0xFFFF0000, {{84, 84}, {116, 84}, {116, 116}, {84, 116}},
			{0, 1, 1, 2, 2, 3, 3, 0}},
		{"turned a quarter",
			[](b2Body* b) {
				b2EdgeShape edge;
				edge.SetTwoSided(b2Vec2(1, 0), b2Vec2(2, 0));
				b->CreateFixture(&edge, 0.0f);
			},
			{0, 0, 5}, b2_pi / 2, true, 0xFFFFFFFF, {{0, 16}, {0, 32}}, {0, 1}},
		{"chain closes back over its repeated first vertex",
			[](b2Body* b) {
				const b2Vec2 points[3] = {b2Vec2(0, 0), b2Vec2(1, 0), b2Vec2(1, 1)};
				b2ChainShape chain;
				chain.CreateChain(points, 3, b2Vec2(-1, 0), b2Vec2(1, 2));
				b->CreateFixture(&chain, 0.0f);
			},
			{10, 20, 0}, 0.0f, true, 0xFFFFFFFF, {{10, 20}, {26, 20}, {26, 36}, {10, 20}}, {0, 1, 1, 2, 2, 3, 3, 0}},
		{"circle is not drawn",
			[](b2Body* b) {
				b2CircleShape circle;
				circle.m_radius = 1.0f;
				b->CreateFixture(&circle, 0.0f);
			},
			{0, 0, 0}, 0.0f, false, 0, {}, {}},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		b2World world(b2Vec2(0, 0));
		b2BodyDef def;
		b2Body* body = world.CreateBody(&def);
		c.shape(body);
		SPhysicsDebugLines lines;
		EXPECT_EQ(buildFixtureDebugLines(*body->GetFixtureList(), c.position, c.angle, 16.0f, lines), c.drawn);
		ASSERT_EQ(lines.vertices.size(), c.vertices.size());
		for (irr::u32 i = 0; i < lines.vertices.size(); ++i)
		{
			const irr::video::S3DVertex& v = lines.vertices[i];
			EXPECT_NEAR(v.Pos.X, c.vertices[i].x, 1e-3f);
			EXPECT_NEAR(v.Pos.Y, c.vertices[i].y, 1e-3f);
			EXPECT_EQ(v.Pos.Z, c.position.Z);
			EXPECT_EQ(v.Normal, irr::core::vector3df(0, 0, -1));
			EXPECT_EQ(v.Color.color, c.colour);
			EXPECT_EQ(v.TCoords, irr::core::vector2df(0, 0));
		}
		std::vector<irr::u16> indices(
			lines.indices.const_pointer(), lines.indices.const_pointer() + lines.indices.size());
		EXPECT_EQ(indices, c.indices);
	}
}

TEST(PhysicsManager, DebugDrawOfABodyDrawsOnlyItsLines)
{
	irr::IrrlichtDevice* device = irr::createDevice(irr::video::EDT_NULL);
	ASSERT_NE(device, nullptr);
	irr::video::IVideoDriver* driver = device->getVideoDriver();
	CPhysicsManager physics;
	b2Body* body = nullptr;
	makeBody(physics, body, b2_dynamicBody, b2Vec2(0, 0));
	addCircle(physics, body, 1.0f);
	b2PolygonShape box;
	fitBox(box, 1.0f, 1.0f, b2Vec2(0, 0), 0.0f);
	b2FixtureDef def;
	def.shape = &box;
	physics.createFixture(body, def);

	driver->beginScene();
	physics.debugDrawBody(driver, body, irr::core::vector3df(100, 100, 0));
	physics.debugDrawBody(nullptr, body, irr::core::vector3df(100, 100, 0));
	driver->endScene();
	EXPECT_EQ(driver->getPrimitiveCountDrawn(0), 4u);
	device->drop();
}

TEST(PhysicsManager, ContactArgumentPackets)
{
	struct Case
	{
		const char* name;
		net::packet built;
		std::vector<irr::u8> bytes;
	};
	const Case cases[] = {
		{"begin or end", makeContactArguments(0x01020304), {1, 2, 3, 4}},
		{"solve", makeSolveContactArguments(7, b2Vec2(1.0f, 0.0f), b2Vec2(-2.0f, 0.5f), b2Vec2(0.0f, 0.0f)),
			{0, 0, 0, 7, 0x3F, 0x80, 0, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0x3F, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		EXPECT_EQ(c.built, net::packet::fromBytes(c.bytes.data(), c.bytes.data() + c.bytes.size()));
	}
}

TEST(PhysicsManager, SingletonIsMadeOnFirstUseAndGoneAfterDestroy)
{
	CPhysicsManager::destroyInstance(); // whatever an earlier test left
	EXPECT_EQ(CPhysicsManager::getExistingInstance(), nullptr);
	CPhysicsManager* physics = CPhysicsManager::getInstance();
	ASSERT_NE(physics, nullptr);
	EXPECT_EQ(CPhysicsManager::getInstance(), physics);
	EXPECT_EQ(CPhysicsManager::getExistingInstance(), physics);

	b2Body* body = nullptr;
	b2BodyDef def;
	physics->createBody(body, def);
	EXPECT_TRUE(physics->isLiveBody(body));
	CPhysicsManager::destroyInstance();
	// What is torn down later (an object a script still holds) finds no
	// manager and makes none.
	EXPECT_EQ(CPhysicsManager::getExistingInstance(), nullptr);
	CPhysicsManager::destroyInstance();
	EXPECT_EQ(CPhysicsManager::getExistingInstance(), nullptr);
}

TEST(PhysicsManager, DebugViewShowsDrawnObjectsWithBodiesOnly)
{
	CObjectManager::destroyInstance();
	CPhysicsManager::destroyInstance();
	CObjectManager* objects = CObjectManager::getInstance();
	ASSERT_NE(objects->getObjectClass(nullptr, irr::core::ustring16("blank")), nullptr);
	CPhysicsManager* physics = CPhysicsManager::getInstance();
	b2PolygonShape box;
	fitBox(box, 1.0f, 1.0f, b2Vec2(0, 0), 0.0f);
	b2FixtureDef def;
	def.shape = &box;
	struct Case
	{
		irr::u32 id;
		bool drawn;
	};
	const Case cases[] = {{1, true}, {2, false}, {3, true}};
	for (const Case& c : cases)
	{
		CSceneObject* object = objects->createSceneObject(c.id, 0, irr::core::ustring16());
		ASSERT_NE(object, nullptr);
		object->setDrawnThisFrame(c.drawn);
		physics->createFixture(object->Physics.body, def);
	}
	physics->destroyBody(objects->getSceneObject(3)->Physics.body); // drawn, but without a body

	irr::IrrlichtDevice* device = irr::createDevice(irr::video::EDT_NULL);
	ASSERT_NE(device, nullptr);
	irr::video::IVideoDriver* driver = device->getVideoDriver();
	driver->beginScene();
	physics->debugDraw(driver);
	physics->debugDraw(nullptr);
	driver->endScene();
	EXPECT_EQ(driver->getPrimitiveCountDrawn(0), 4u); // object 1's box alone
	device->drop();
	CObjectManager::destroyInstance();
	CPhysicsManager::destroyInstance();
}
