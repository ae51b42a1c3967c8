#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <utility>
#include <vector>

#include "support/CRecordingLogger.h"
#include "world/CPhysicsManager.h"
#include "world/PhysicsGuard.h"
#include "world/SEventQueryCallback.h"
#include "base/Log.h"

// Every case here runs inside the test process on Box2D built with its asserts
// on: a value that slipped through the guard aborts the whole run.

using namespace orv;

namespace {

const float NaN = std::numeric_limits<float>::quiet_NaN();
const float Inf = std::numeric_limits<float>::infinity();

int fixtureCount(const b2Body* body)
{
	int n = 0;
	for (const b2Fixture* f = body->GetFixtureList(); f; f = f->GetNext())
		++n;
	return n;
}

b2BodyDef bodyAt(float x, float y, b2BodyType type = b2_staticBody)
{
	b2BodyDef def;
	def.position.Set(x, y);
	def.type = type;
	return def;
}

b2FixtureDef fixtureOf(const b2Shape& shape, float density = 1.0f)
{
	b2FixtureDef def;
	def.shape = &shape;
	def.density = density;
	def.friction = 2.0f;
	return def;
}

// Runs the world a little with the body dynamic, so mass, contacts and
// solver all see the shape.
void shakeAsDynamic(CPhysicsManager& physics, b2Body* body)
{
	physics.setType(body, b2_dynamicBody);
	physics.setGravity(irr::core::vector2df(0.0f, 10.0f));
	physics.update(0.1f);
}

} // namespace

TEST(PhysicsGuard, PolygonsAreWeldedAndHulledOrFallBackToTheUnitBox)
{
	struct Case
	{
		const char* name;
		std::vector<b2Vec2> points;
		EShapeFit fit;
		int vertexCount; // of the resulting polygon
	};
	const Case cases[] = {
		{"one point", {{0, 0}}, ESF_FALLBACK_BOX, 4},
		{"two points", {{0, 0}, {1, 0}}, ESF_FALLBACK_BOX, 4},
		{"three collinear", {{0, 0}, {1, 0}, {2, 0}}, ESF_FALLBACK_BOX, 4},
		{"collinear with repeats", {{0, 0}, {2, 2}, {1, 1}, {0, 0}, {3, 3}}, ESF_FALLBACK_BOX, 4},
		{"three welded", {{0, 0}, {0.001f, 0}, {0, 0.001f}}, ESF_FALLBACK_BOX, 4},
		{"sliver without area", {{0, 0}, {1, 0}, {0.5f, 1e-7f}}, ESF_FALLBACK_BOX, 4},
		{"tiny but welded apart", {{0, 0}, {0.003f, 0}, {0, 0.003f}}, ESF_EXACT, 3},
		{"triangle", {{0, 0}, {1, 0}, {0, 1}}, ESF_EXACT, 3},
		{"clockwise square", {{0, 0}, {0, 1}, {1, 1}, {1, 0}}, ESF_EXACT, 4},
		{"square with inner point", {{0, 0}, {1, 0}, {0.5f, 0.5f}, {1, 1}, {0, 1}}, ESF_EXACT, 4},
		{"nine points keep the first eight",
			{{1, 0}, {0.7f, 0.7f}, {0, 1}, {-0.7f, 0.7f}, {-1, 0}, {-0.7f, -0.7f}, {0, -1}, {0.7f, -0.7f}, {5, 5}},
			ESF_EXACT, 8},
		{"bad ninth point is never looked at",
			{{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {NaN, Inf}}, ESF_EXACT, 4},
		{"NaN point", {{0, 0}, {1, 0}, {NaN, 1}}, ESF_REFUSED, 0},
		{"infinite point", {{0, 0}, {Inf, 0}, {0, 1}}, ESF_REFUSED, 0},
		{"huge point", {{0, 0}, {1e20f, 0}, {0, 1}}, ESF_REFUSED, 0},
		{"no points", {}, ESF_FALLBACK_BOX, 4},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		b2PolygonShape shape;
		const EShapeFit fit = fitPolygon(shape, c.points.data(), static_cast<irr::u32>(c.points.size()));
		EXPECT_EQ(fit, c.fit);
		if (fit == ESF_REFUSED)
			continue;
		EXPECT_EQ(shape.m_count, c.vertexCount);
		if (fit == ESF_FALLBACK_BOX)
		{
			EXPECT_FLOAT_EQ(shape.m_vertices[2].x, 1.0f);
		}

		CPhysicsManager physics;
		b2Body* body = nullptr;
		physics.createBody(body, bodyAt(0, 0));
		EXPECT_NE(physics.createFixture(body, fixtureOf(shape)), nullptr);
		shakeAsDynamic(physics, body);
		EXPECT_TRUE(body->GetMass() > 0.0f);
	}
}

TEST(PhysicsGuard, HostileSizesAreRefusedBeforeTheyReachBox2D)
{
	struct Case
	{
		const char* name;
		std::function<EShapeFit(b2Shape*&)> build;
		EShapeFit fit;
		bool fixtureWithDensity; // whether a density-1 fixture of it is accepted
	};
	static b2CircleShape circle;
	static b2PolygonShape box;
	static b2EdgeShape edge;
	const b2Vec2 origin(0, 0);
	const Case cases[] = {
		{"circle",
			[&](b2Shape*& s) {
				s = &circle;
				return fitCircle(circle, 0.5f, b2Vec2(1, 0));
			},
			ESF_EXACT, true},
		{"circle of radius 0",
			[&](b2Shape*& s) {
				s = &circle;
				return fitCircle(circle, 0.0f, origin);
			},
			ESF_EXACT, true},
		{"NaN circle",
			[&](b2Shape*& s) {
				s = &circle;
				return fitCircle(circle, NaN, origin);
			},
			ESF_REFUSED, false},
		{"infinite circle",
			[&](b2Shape*& s) {
				s = &circle;
				return fitCircle(circle, Inf, origin);
			},
			ESF_REFUSED, false},
		{"negative circle",
			[&](b2Shape*& s) {
				s = &circle;
				return fitCircle(circle, -1.0f, origin);
			},
			ESF_REFUSED, false},
		{"circle at NaN",
			[&](b2Shape*& s) {
				s = &circle;
				return fitCircle(circle, 1.0f, b2Vec2(NaN, 0));
			},
			ESF_REFUSED, false},
		{"box",
			[&](b2Shape*& s) {
				s = &box;
				return fitBox(box, 1.0f, 2.0f, origin, 0.3f);
			},
			ESF_EXACT, true},
		{"zero box",
			[&](b2Shape*& s) {
				s = &box;
				return fitBox(box, 0.0f, 0.0f, origin, 0.0f);
			},
			ESF_EXACT, false},
		{"flat box",
			[&](b2Shape*& s) {
				s = &box;
				return fitBox(box, 1.0f, 0.0f, origin, 0.0f);
			},
			ESF_EXACT, false},
		{"NaN box",
			[&](b2Shape*& s) {
				s = &box;
				return fitBox(box, NaN, 1.0f, origin, 0.0f);
			},
			ESF_REFUSED, false},
		{"infinite box",
			[&](b2Shape*& s) {
				s = &box;
				return fitBox(box, 1.0f, Inf, origin, 0.0f);
			},
			ESF_REFUSED, false},
		{"negative box",
			[&](b2Shape*& s) {
				s = &box;
				return fitBox(box, -1.0f, 1.0f, origin, 0.0f);
			},
			ESF_REFUSED, false},
		{"box at NaN angle",
			[&](b2Shape*& s) {
				s = &box;
				return fitBox(box, 1.0f, 1.0f, origin, NaN);
			},
			ESF_REFUSED, false},
		{"edge",
			[&](b2Shape*& s) {
				s = &edge;
				return fitEdge(edge, b2Vec2(0, 0), b2Vec2(1, 0), nullptr, nullptr);
			},
			ESF_EXACT, true},
		{"zero edge",
			[&](b2Shape*& s) {
				s = &edge;
				return fitEdge(edge, b2Vec2(1, 1), b2Vec2(1, 1), nullptr, nullptr);
			},
			ESF_REFUSED, false},
		{"NaN edge",
			[&](b2Shape*& s) {
				s = &edge;
				return fitEdge(edge, b2Vec2(0, NaN), b2Vec2(1, 0), nullptr, nullptr);
			},
			ESF_REFUSED, false},
		{"edge with NaN ghost",
			[&](b2Shape*& s) {
				const b2Vec2 g(NaN, 0);
				s = &edge;
				return fitEdge(edge, b2Vec2(0, 0), b2Vec2(1, 0), &g, nullptr);
			},
			ESF_REFUSED, false},
		// Content shapes: nothing without size, nothing stood in for.
		{"content circle",
			[&](b2Shape*& s) {
				s = &circle;
				return fitContentCircle(circle, 0.5f, b2Vec2(1, 0));
			},
			ESF_EXACT, true},
		{"content circle of radius 0",
			[&](b2Shape*& s) {
				s = &circle;
				return fitContentCircle(circle, 0.0f, origin);
			},
			ESF_REFUSED, false},
		{"content NaN circle",
			[&](b2Shape*& s) {
				s = &circle;
				return fitContentCircle(circle, NaN, origin);
			},
			ESF_REFUSED, false},
		{"content circle at infinity",
			[&](b2Shape*& s) {
				s = &circle;
				return fitContentCircle(circle, 1.0f, b2Vec2(Inf, 0));
			},
			ESF_REFUSED, false},
		{"content box",
			[&](b2Shape*& s) {
				s = &box;
				return fitContentBox(box, 1.0f, 2.0f, origin, 0.3f);
			},
			ESF_EXACT, true},
		{"content flat box",
			[&](b2Shape*& s) {
				s = &box;
				return fitContentBox(box, 1.0f, 0.0f, origin, 0.0f);
			},
			ESF_REFUSED, false},
		{"content NaN box",
			[&](b2Shape*& s) {
				s = &box;
				return fitContentBox(box, NaN, 1.0f, origin, 0.0f);
			},
			ESF_REFUSED, false},
		{"content triangle",
			[&](b2Shape*& s) {
				const b2Vec2 p[] = {{0, 0}, {1, 0}, {0, 1}};
				s = &box;
				return fitContentPolygon(box, p, 3);
			},
			ESF_EXACT, true},
		{"content polygon of two points",
			[&](b2Shape*& s) {
				const b2Vec2 p[] = {{0, 0}, {1, 0}};
				s = &box;
				return fitContentPolygon(box, p, 2);
			},
			ESF_REFUSED, false},
		{"content collinear polygon",
			[&](b2Shape*& s) {
				const b2Vec2 p[] = {{0, 0}, {1, 0}, {2, 0}};
				s = &box;
				return fitContentPolygon(box, p, 3);
			},
			ESF_REFUSED, false},
		{"content polygon of nine points",
			[&](b2Shape*& s) {
				const b2Vec2 p[] = {{0, 0}, {1, 0}, {2, 1}, {2, 2}, {1, 3}, {0, 3}, {-1, 2}, {-1, 1}, {0, 0.5f}};
				s = &box;
				return fitContentPolygon(box, p, 9);
			},
			ESF_REFUSED, false},
		{"one-sided edge",
			[&](b2Shape*& s) {
				s = &edge;
				return fitOneSidedEdge(edge, b2Vec2(-1, 0), b2Vec2(0, 0), b2Vec2(1, 0), b2Vec2(2, 0));
			},
			ESF_EXACT, true},
		{"one-sided zero edge",
			[&](b2Shape*& s) {
				s = &edge;
				return fitOneSidedEdge(edge, b2Vec2(-1, 0), b2Vec2(1, 1), b2Vec2(1, 1), b2Vec2(2, 0));
			},
			ESF_REFUSED, false},
		{"one-sided edge with NaN ghost",
			[&](b2Shape*& s) {
				s = &edge;
				return fitOneSidedEdge(edge, b2Vec2(-1, 0), b2Vec2(0, 0), b2Vec2(1, 0), b2Vec2(NaN, 0));
			},
			ESF_REFUSED, false},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		b2Shape* shape = nullptr;
		const EShapeFit fit = c.build(shape);
		EXPECT_EQ(fit, c.fit);
		if (fit == ESF_REFUSED)
			continue;
		CPhysicsManager physics;
		b2Body* body = nullptr;
		physics.createBody(body, bodyAt(0, 0));
		EXPECT_EQ(physics.createFixture(body, fixtureOf(*shape, 1.0f)) != nullptr, c.fixtureWithDensity);
		// Without density nothing needs its mass: every shape that fits is taken.
		EXPECT_NE(physics.createFixture(body, fixtureOf(*shape, 0.0f)), nullptr);
		shakeAsDynamic(physics, body);
		EXPECT_EQ(body->GetType(), b2_dynamicBody);
	}
}

TEST(PhysicsGuard, BodyTypeNumbers)
{
	struct Case
	{
		irr::s32 number;
		b2BodyType type;
	};
	const Case cases[] = {{0, b2_staticBody}, {1, b2_kinematicBody}, {2, b2_dynamicBody}, {3, b2_staticBody},
		{7, b2_staticBody}, {-1, b2_staticBody}};
	for (const Case& c : cases)
		EXPECT_EQ(bodyTypeFromNumber(c.number), c.type) << c.number;
}

TEST(PhysicsGuard, EdgesAreTwoSidedAndKeepTheirGhosts)
{
	b2EdgeShape edge;
	const b2Vec2 before(-1, 0), after(2, 1);
	ASSERT_EQ(fitEdge(edge, b2Vec2(0, 0), b2Vec2(1, 0), &before, &after), ESF_EXACT);
	EXPECT_FALSE(edge.m_oneSided);
	EXPECT_EQ(edge.m_vertex0.x, -1.0f);
	EXPECT_EQ(edge.m_vertex3.y, 1.0f);
	EXPECT_FLOAT_EQ(edge.m_radius, b2_polygonRadius);
}

TEST(PhysicsGuard, OneSidedEdgesKeepBothGhosts)
{
	b2EdgeShape edge;
	ASSERT_EQ(fitOneSidedEdge(edge, b2Vec2(-1, 0), b2Vec2(0, 0), b2Vec2(1, 0), b2Vec2(2, 1)), ESF_EXACT);
	EXPECT_TRUE(edge.m_oneSided);
	EXPECT_EQ(edge.m_vertex0, b2Vec2(-1, 0));
	EXPECT_EQ(edge.m_vertex1, b2Vec2(0, 0));
	EXPECT_EQ(edge.m_vertex2, b2Vec2(1, 0));
	EXPECT_EQ(edge.m_vertex3, b2Vec2(2, 1));
}

TEST(PhysicsGuard, HostileCallsOnABody)
{
	struct Case
	{
		const char* name;
		std::function<void(CPhysicsManager&, b2Body*&)> run;
		int fixtures;
		b2BodyType type;
	};
	static b2PolygonShape zeroBox;
	zeroBox.SetAsBox(0.0f, 0.0f);
	static b2PolygonShape farBox;
	farBox.SetAsBox(0.01f, 0.01f, b2Vec2(5000, 0), 0.0f);
	static b2PolygonShape unitBox;
	unitBox.SetAsBox(1.0f, 1.0f);
	static b2CircleShape infiniteCircle;
	infiniteCircle.m_radius = Inf;
	const Case cases[] = {
		{"zero box on a body made dynamic later",
			[](CPhysicsManager& p, b2Body*& b) {
				p.createFixture(b, fixtureOf(zeroBox, 1.0f));
				p.setType(b, b2_dynamicBody);
			},
			0, b2_dynamicBody},
		{"massless zero box on a body made dynamic later",
			[](CPhysicsManager& p, b2Body*& b) {
				p.createFixture(b, fixtureOf(zeroBox, 0.0f));
				p.setType(b, b2_dynamicBody);
			},
			1, b2_dynamicBody},
		{"infinite circle on a dynamic body",
			[](CPhysicsManager& p, b2Body*& b) {
				p.setType(b, b2_dynamicBody);
				p.createFixture(b, fixtureOf(infiniteCircle));
			},
			0, b2_dynamicBody},
		{"small box far from the origin of a dynamic body",
			[](CPhysicsManager& p, b2Body*& b) {
				p.setType(b, b2_dynamicBody);
				p.createFixture(b, fixtureOf(farBox));
			},
			0, b2_dynamicBody},
		{"body with a far box cannot turn dynamic",
			[](CPhysicsManager& p, b2Body*& b) {
				p.createFixture(b, fixtureOf(farBox));
				p.setType(b, b2_dynamicBody);
			},
			1, b2_staticBody},
		{"far box is fine while rotation is fixed",
			[](CPhysicsManager& p, b2Body*& b) {
				p.setFixedRotation(b, true);
				p.createFixture(b, fixtureOf(farBox));
				p.setType(b, b2_dynamicBody);
				p.setFixedRotation(b, false); // would make the inertia collapse
			},
			1, b2_dynamicBody},
		{"NaN and negative material",
			[](CPhysicsManager& p, b2Body*& b) {
				b2FixtureDef def = fixtureOf(unitBox, NaN);
				p.createFixture(b, def);
				def = fixtureOf(unitBox, -1.0f);
				p.createFixture(b, def);
				def = fixtureOf(unitBox);
				def.friction = -2.0f;
				p.createFixture(b, def);
				def.friction = 2.0f;
				def.restitution = Inf;
				p.createFixture(b, def);
			},
			0, b2_staticBody},
		{"no shape", [](CPhysicsManager& p, b2Body*& b) { p.createFixture(b, b2FixtureDef()); }, 0, b2_staticBody},
		{"clockwise polygon made by hand",
			[](CPhysicsManager& p, b2Body*& b) {
				b2PolygonShape inverted;
				inverted.SetAsBox(1.0f, 1.0f);
				std::swap(inverted.m_vertices[1], inverted.m_vertices[3]);
				p.createFixture(b, fixtureOf(inverted, 0.0f));
			},
			0, b2_staticBody},
		{"NaN and infinite transforms",
			[](CPhysicsManager& p, b2Body*& b) {
				p.setTransform(b, b2Vec2(NaN, 0), 0.0f);
				p.setTransform(b, b2Vec2(0, Inf), 0.0f);
				p.setTransform(b, b2Vec2(0, 0), NaN);
				p.setTransform(b, b2Vec2(1e30f, 0), 0.0f);
			},
			0, b2_staticBody},
		{"hostile motion on a dynamic body",
			[](CPhysicsManager& p, b2Body*& b) {
				p.createFixture(b, fixtureOf(unitBox));
				p.setType(b, b2_dynamicBody);
				p.applyForce(b, b2Vec2(NaN, 0), b2Vec2(0, 0));
				p.applyForce(b, b2Vec2(1, 0), b2Vec2(Inf, 0));
				p.applyLinearImpulse(b, b2Vec2(0, Inf), b2Vec2(0, 0));
				p.setLinearVelocity(b, b2Vec2(NaN, NaN));
				p.setLinearDamping(b, -1.0f);
				p.setAngularDamping(b, NaN);
				p.update(0.1f);
				EXPECT_TRUE(isFiniteVector(b->GetPosition()));
			},
			1, b2_dynamicBody},
		{"calls on a destroyed body",
			[](CPhysicsManager& p, b2Body*& b) {
				b2Body* stale = b;
				p.destroyBody(b);
				p.createFixture(stale, fixtureOf(unitBox));
				p.setType(stale, b2_dynamicBody);
				p.setTransform(stale, b2Vec2(1, 1), 0.0f);
				p.destroyBody(b); // twice
				p.createBody(b, bodyAt(0, 0));
			},
			0, b2_staticBody},
		{"foreign fixture",
			[](CPhysicsManager& p, b2Body*& b) {
				b2Body* other = nullptr;
				p.createBody(other, bodyAt(5, 5));
				b2Fixture* theirs = p.createFixture(other, fixtureOf(unitBox));
				p.destroyFixture(b, theirs);
				EXPECT_EQ(fixtureCount(other), 1);
				p.destroyBody(other);
			},
			0, b2_staticBody},
		{"body made at a NaN position",
			[](CPhysicsManager& p, b2Body*& b) {
				p.destroyBody(b);
				p.createBody(b, bodyAt(NaN, 0));
				EXPECT_EQ(b, nullptr);
				p.createBody(b, bodyAt(0, 0));
			},
			0, b2_staticBody},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		CPhysicsManager physics;
		b2Body* body = nullptr;
		physics.createBody(body, bodyAt(0, 0));
		c.run(physics, body);
		physics.update(0.05f);
		ASSERT_NE(body, nullptr);
		EXPECT_EQ(fixtureCount(body), c.fixtures);
		EXPECT_EQ(body->GetType(), c.type);
		EXPECT_TRUE(isFiniteVector(body->GetPosition()));
	}
}

TEST(PhysicsGuard, PixelsPerUnitZeroAndNaNGravityAreRefused)
{
	test::CRecordingLogger logger;
	setLogger(&logger);
	CPhysicsManager physics;
	physics.setPixelsPerUnit(0);
	EXPECT_EQ(physics.getPixelsPerUnit(), 16);
	ASSERT_EQ(logger.lines.size(), 1u);
	EXPECT_EQ(logger.lines[0].text, "script");
	EXPECT_EQ(logger.lines[0].level, irr::ELL_WARNING);
	setLogger(nullptr);
	physics.setPixelsPerUnit(32);
	EXPECT_EQ(physics.getPixelsPerUnit(), 32);
	physics.setGravity(irr::core::vector2df(0.0f, 9.0f));
	physics.setGravity(irr::core::vector2df(NaN, 1.0f));
	physics.setGravity(irr::core::vector2df(0.0f, Inf));
	EXPECT_EQ(physics.getGravity(), irr::core::vector2df(0.0f, 9.0f));
	physics.update(NaN);
	EXPECT_EQ(physics.getAccumulator(), 0.0f);

	struct Case
	{
		const char* name;
		b2Vec2 lower, upper;
		bool queried;
	};
	const Case boxes[] = {
		{"a box", {-1, -1}, {1, 1}, true},
		{"a point", {0, 0}, {0, 0}, true},
		{"NaN corner", {NaN, 0}, {1, 1}, false},
		{"infinite corner", {0, 0}, {Inf, 1}, false},
		{"inside out", {1, 1}, {-1, -1}, false},
	};
	b2Body* body = nullptr;
	physics.createBody(body, bodyAt(0, 0));
	b2CircleShape circle;
	fitCircle(circle, 0.5f, b2Vec2(0, 0));
	physics.createFixture(body, fixtureOf(circle));
	for (const Case& c : boxes)
	{
		SCOPED_TRACE(c.name);
		SEventQueryCallback found;
		EXPECT_EQ(physics.queryBox(found, c.lower, c.upper), c.queried);
		EXPECT_EQ(found.Fixtures.size(), c.queried ? 1u : 0u);
	}
}

// World changes from inside a BeginContact, where Box2D is locked: each is made
// once the step is over.
namespace {

std::function<void()> onContact;

void runContactAction(CSceneObject*, CSceneObject*)
{
	if (onContact)
	{
		std::function<void()> action;
		action.swap(onContact); // once
		action();
	}
}

} // namespace

TEST(PhysicsGuard, WorldChangesInsideBeginContactWaitForTheStep)
{
	struct Case
	{
		const char* name;
		std::function<void(CPhysicsManager&, b2Body*& a, b2Body*& b, b2Body*& extra)> act;
		std::function<void(CPhysicsManager&, b2Body* a, b2Body* b, b2Body* extra)> check;
	};
	static b2PolygonShape unitBox;
	unitBox.SetAsBox(0.5f, 0.5f);
	static b2CircleShape circle;
	circle.m_radius = 0.25f;
	const Case cases[] = {
		{"add a collision box",
			[](CPhysicsManager& p, b2Body*& a, b2Body*&, b2Body*&) {
				EXPECT_EQ(p.createFixture(a, fixtureOf(unitBox)), nullptr);
			},
			[](CPhysicsManager&, b2Body* a, b2Body*, b2Body*) { EXPECT_EQ(fixtureCount(a), 2); }},
		{"set the type", [](CPhysicsManager& p, b2Body*& a, b2Body*&, b2Body*&) { p.setType(a, b2_staticBody); },
			[](CPhysicsManager&, b2Body* a, b2Body*, b2Body*) { EXPECT_EQ(a->GetType(), b2_staticBody); }},
		{"set the rotation and position",
			[](CPhysicsManager& p, b2Body*& a, b2Body*&, b2Body*&) { p.setTransform(a, b2Vec2(20, 0), 1.0f); },
			[](CPhysicsManager&, b2Body* a, b2Body*, b2Body*) {
				EXPECT_FLOAT_EQ(a->GetPosition().x, 20.0f);
				EXPECT_FLOAT_EQ(a->GetAngle(), 1.0f);
			}},
		{"fixed rotation", [](CPhysicsManager& p, b2Body*& a, b2Body*&, b2Body*&) { p.setFixedRotation(a, true); },
			[](CPhysicsManager&, b2Body* a, b2Body*, b2Body*) { EXPECT_TRUE(a->IsFixedRotation()); }},
		{"remove a fixture",
			[](CPhysicsManager& p, b2Body*& a, b2Body*&, b2Body*&) { p.destroyFixture(a, a->GetFixtureList()); },
			[](CPhysicsManager&, b2Body* a, b2Body*, b2Body*) { EXPECT_EQ(fixtureCount(a), 0); }},
		{"destroy the other body",
			[](CPhysicsManager& p, b2Body*&, b2Body*& b, b2Body*&) {
				b2Body* body = b;
				p.destroyBody(b);
				EXPECT_EQ(b, nullptr);
				EXPECT_EQ(CPhysicsManager::getBodyObject(body), nullptr);
			},
			[](CPhysicsManager& p, b2Body*, b2Body* b, b2Body*) {
				EXPECT_EQ(b, nullptr);
				EXPECT_EQ(p.getWorld()->GetBodyCount(), 1);
			}},
		{"create a body with a shape",
			[](CPhysicsManager& p, b2Body*&, b2Body*&, b2Body*& extra) {
				p.createBody(extra, bodyAt(50, 50, b2_dynamicBody));
				EXPECT_EQ(extra, nullptr);
				EXPECT_TRUE(p.isBodyPending(&extra));
				// A later step of the same queue finds the body made.
				p.runWhenUnlocked([&p, &extra] { p.createFixture(extra, fixtureOf(circle)); });
			},
			[](CPhysicsManager& p, b2Body*, b2Body*, b2Body* extra) {
				ASSERT_NE(extra, nullptr);
				EXPECT_FALSE(p.isBodyPending(&extra));
				EXPECT_EQ(fixtureCount(extra), 1);
			}},
		{"create a body and give it up before it exists",
			[](CPhysicsManager& p, b2Body*&, b2Body*&, b2Body*& extra) {
				p.createBody(extra, bodyAt(50, 50));
				p.destroyBody(extra);
			},
			[](CPhysicsManager& p, b2Body*, b2Body*, b2Body* extra) {
				EXPECT_EQ(extra, nullptr);
				EXPECT_EQ(p.getWorld()->GetBodyCount(), 2);
			}},
		{"shape change and destruction of the same body",
			[](CPhysicsManager& p, b2Body*& a, b2Body*&, b2Body*&) {
				b2Body* body = a;
				p.createFixture(body, fixtureOf(unitBox));
				p.setType(body, b2_kinematicBody);
				p.destroyBody(a);
			},
			[](CPhysicsManager& p, b2Body* a, b2Body*, b2Body*) {
				EXPECT_EQ(a, nullptr);
				EXPECT_EQ(p.getWorld()->GetBodyCount(), 1);
			}},
	};
	int objects[2];
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		CPhysicsManager physics;
		physics.setContactCallbacks(runContactAction, nullptr, nullptr);
		b2Body* a = nullptr;
		b2Body* b = nullptr;
		b2Body* extra = nullptr;
		physics.createBody(a, bodyAt(0, 0, b2_dynamicBody));
		physics.createBody(b, bodyAt(0.3f, 0, b2_dynamicBody));
		CPhysicsManager::setBodyObject(a, reinterpret_cast<CSceneObject*>(&objects[0]));
		CPhysicsManager::setBodyObject(b, reinterpret_cast<CSceneObject*>(&objects[1]));
		physics.createFixture(a, fixtureOf(circle));
		physics.createFixture(b, fixtureOf(circle));

		bool ran = false;
		onContact = [&] {
			ran = true;
			EXPECT_TRUE(physics.isLocked());
			c.act(physics, a, b, extra);
		};
		physics.update(1.0f / 60.0f + 0.001f);
		EXPECT_TRUE(ran);
		EXPECT_FALSE(physics.isLocked());
		c.check(physics, a, b, extra);
		physics.update(0.1f);
		physics.destroyBody(extra);
	}
	onContact = nullptr;
}

// Box2D also reports EndContact from inside SetType, DestroyFixture and
// DestroyBody, while it walks the very contact list a second change would
// free: such changes wait until the outer one returns.
TEST(PhysicsGuard, WorldChangesInsideAnEndContactOfAnotherChangeWait)
{
	struct Case
	{
		const char* name;
		std::function<void(CPhysicsManager&, b2Body*& a, b2Body*& b)> outer;
		std::function<void(CPhysicsManager&, b2Body*& a, b2Body*& b)> inner;
		int bodies;
	};
	static b2CircleShape circle;
	circle.m_radius = 0.25f;
	const Case cases[] = {
		{"type change ends a contact whose script destroys the other body",
			[](CPhysicsManager& p, b2Body*& a, b2Body*&) { p.setType(a, b2_staticBody); },
			[](CPhysicsManager& p, b2Body*&, b2Body*& b) { p.destroyBody(b); }, 1},
		{"fixture removal ends a contact whose script changes both types",
			[](CPhysicsManager& p, b2Body*& a, b2Body*&) { p.destroyFixture(a, a->GetFixtureList()); },
			[](CPhysicsManager& p, b2Body*& a, b2Body*& b) {
				p.setType(b, b2_staticBody);
				p.setType(a, b2_kinematicBody);
			},
			2},
		{"fixture removal ends a contact whose script destroys the same body",
			[](CPhysicsManager& p, b2Body*& a, b2Body*&) { p.destroyFixture(a, a->GetFixtureList()); },
			[](CPhysicsManager& p, b2Body*& a, b2Body*&) { p.destroyBody(a); }, 1},
	};
	int objects[2];
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		CPhysicsManager physics;
		physics.setContactCallbacks(nullptr, runContactAction, nullptr);
		b2Body* a = nullptr;
		b2Body* b = nullptr;
		physics.createBody(a, bodyAt(0, 0, b2_dynamicBody));
		physics.createBody(b, bodyAt(0.3f, 0, b2_dynamicBody));
		CPhysicsManager::setBodyObject(a, reinterpret_cast<CSceneObject*>(&objects[0]));
		CPhysicsManager::setBodyObject(b, reinterpret_cast<CSceneObject*>(&objects[1]));
		physics.createFixture(a, fixtureOf(circle));
		physics.createFixture(b, fixtureOf(circle));
		physics.update(1.0f / 60.0f + 0.001f); // now touching

		bool ran = false;
		onContact = [&] {
			ran = true;
			EXPECT_TRUE(physics.isLocked());
			c.inner(physics, a, b);
		};
		c.outer(physics, a, b);
		EXPECT_TRUE(ran);
		EXPECT_FALSE(physics.isLocked());
		EXPECT_EQ(physics.getWorld()->GetBodyCount(), c.bodies);
		physics.update(0.1f);
	}
	onContact = nullptr;
}
