#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include <box2d/box2d.h>

#include "world/CObjectManager.h"
#include "world/CPhysicsManager.h"
#include "world/CSceneObject.h"
#include "world/EngineAttributes.h"

// A real Box2D world, built with its asserts on: a value that slips past the
// guards aborts the whole run.

using namespace orv;
using irr::core::vector2df;
using irr::core::vector3df;

namespace {

const float NaN = std::numeric_limits<float>::quiet_NaN();
const float Inf = std::numeric_limits<float>::infinity();

class SceneObjectPhysicsTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		physics = CPhysicsManager::getInstance();
		CObjectManager::getInstance()->getObjectClass(nullptr, "blank");
	}
	void TearDown() override
	{
		CObjectManager::destroyInstance();
		CPhysicsManager::destroyInstance();
	}

	CSceneObject* make(irr::u32 id, bool owned = true)
	{
		CSceneObject* object = CObjectManager::getInstance()->createSceneObject(id, 0, "");
		object->Physics.owner = owned;
		return object;
	}

	static std::vector<b2Fixture*> fixtures(const CSceneObject* object)
	{
		std::vector<b2Fixture*> out;
		for (b2Fixture* f = object->Physics.body->GetFixtureList(); f; f = f->GetNext())
			out.push_back(f);
		return out;
	}

	static float attribute(const CSceneObject* object, irr::s32 id)
	{
		return object->getEngineAttribute(id)->getFloat();
	}

	CPhysicsManager* physics = nullptr;
};

} // namespace

TEST_F(SceneObjectPhysicsTest, SetTypeMapsEveryValue)
{
	struct Case
	{
		irr::s32 type;
		b2BodyType body;
		EBodyType read;
	};
	const Case cases[] = {
		{EBT_KINETIC, b2_kinematicBody, EBT_KINETIC},
		{EBT_DYNAMIC, b2_dynamicBody, EBT_DYNAMIC},
		{EBT_STATIC, b2_staticBody, EBT_STATIC},
		{EBT_COUNT, b2_staticBody, EBT_STATIC},
		{7, b2_staticBody, EBT_STATIC},
		{-1, b2_staticBody, EBT_STATIC},
	};
	CSceneObject* object = make(1);
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.type);
		object->Physics.setType(EBT_DYNAMIC == c.type ? EBT_KINETIC : EBT_DYNAMIC);
		object->Physics.setType(static_cast<EBodyType>(c.type));
		EXPECT_EQ(object->Physics.body->GetType(), c.body);
		EXPECT_EQ(object->Physics.getType(), c.read);
	}
}

TEST_F(SceneObjectPhysicsTest, EveryShapeKindWithItsFixtureSettings)
{
	struct Case
	{
		const char* name;
		void (*add)(SSceneObjectPhysics& p);
		b2Shape::Type type;
		std::vector<b2Vec2> points; // circle: centre; polygon and edge: vertices; edge ghosts follow
		float radius;
		bool oneGhostFlag; // edges: which ghosts were given (before, after)
		bool otherGhostFlag;
	};
	const Case cases[] = {
		{"circle", [](SSceneObjectPhysics& p) { p.addCollisionCircle(0.5f, vector2df(1, 2)); }, b2Shape::e_circle,
			{{1, 2}}, 0.5f, false, false},
		{"box of dimension (1, 2) is 2 wide and 4 high",
			[](SSceneObjectPhysics& p) { p.addCollisionBox(vector2df(1, 2), vector2df(0, 0)); }, b2Shape::e_polygon,
			{{-1, -2}, {1, -2}, {1, 2}, {-1, 2}}, b2_polygonRadius, false, false},
		{"polygon in the hull's order",
			[](SSceneObjectPhysics& p) {
				p.addCollisionPolygon({{0, 0}, {0, 2}, {2, 0}});
			},
			b2Shape::e_polygon, {{2, 0}, {0, 2}, {0, 0}}, b2_polygonRadius, false, false},
		{"edge without ghosts",
			[](SSceneObjectPhysics& p) {
				p.addCollisionEdge(vector2df(0, 0), vector2df(3, 0), false, false, vector2df(9, 9), vector2df(9, 9));
			},
			b2Shape::e_edge, {{0, 0}, {3, 0}, {0, 0}, {0, 0}}, b2_polygonRadius, false, false},
		{"edge with the ghost after",
			[](SSceneObjectPhysics& p) {
				p.addCollisionEdge(vector2df(0, 0), vector2df(3, 0), false, true, vector2df(9, 9), vector2df(4, 1));
			},
			b2Shape::e_edge, {{0, 0}, {3, 0}, {0, 0}, {4, 1}}, b2_polygonRadius, false, true},
		{"edge with both ghosts",
			[](SSceneObjectPhysics& p) {
				p.addCollisionEdge(vector2df(0, 0), vector2df(3, 0), true, true, vector2df(-1, 1), vector2df(4, 1));
			},
			b2Shape::e_edge, {{0, 0}, {3, 0}, {-1, 1}, {4, 1}}, b2_polygonRadius, true, true},
	};
	irr::u32 id = 1;
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		CSceneObject* object = make(id++);
		c.add(object->Physics);
		const std::vector<b2Fixture*> made = fixtures(object);
		ASSERT_EQ(made.size(), 1u);
		const b2Fixture* f = made[0];
		EXPECT_EQ(f->GetDensity(), 1.0f);
		EXPECT_EQ(f->GetFriction(), 2.0f);
		EXPECT_EQ(f->GetRestitution(), 0.0f);
		EXPECT_FALSE(f->IsSensor());
		EXPECT_EQ(f->GetFilterData().categoryBits, 1);
		EXPECT_EQ(f->GetFilterData().maskBits, 0xFFFF);
		EXPECT_EQ(f->GetFilterData().groupIndex, 0);
		EXPECT_EQ(const_cast<b2Fixture*>(f)->GetUserData().pointer, 0u);
		ASSERT_EQ(f->GetType(), c.type);
		EXPECT_FLOAT_EQ(f->GetShape()->m_radius, c.radius);
		if (c.type == b2Shape::e_circle)
		{
			EXPECT_EQ(static_cast<const b2CircleShape*>(f->GetShape())->m_p, c.points[0]);
		}
		else if (c.type == b2Shape::e_polygon)
		{
			const b2PolygonShape* polygon = static_cast<const b2PolygonShape*>(f->GetShape());
			ASSERT_EQ(polygon->m_count, static_cast<int>(c.points.size()));
			for (int i = 0; i < polygon->m_count; ++i)
				EXPECT_EQ(polygon->m_vertices[i], c.points[i]) << i;
		}
		else
		{
			const b2EdgeShape* edge = static_cast<const b2EdgeShape*>(f->GetShape());
			EXPECT_FALSE(edge->m_oneSided);
			EXPECT_EQ(edge->m_vertex1, c.points[0]);
			EXPECT_EQ(edge->m_vertex2, c.points[1]);
			EXPECT_EQ(edge->m_vertex0, c.points[2]);
			EXPECT_EQ(edge->m_vertex3, c.points[3]);
		}
	}
}

TEST_F(SceneObjectPhysicsTest, MaterialsAreTheCallersAndAnEmptyPolygonAddsNothing)
{
	CSceneObject* object = make(1);
	object->Physics.addCollisionBox(vector2df(1, 1), vector2df(0, 0), 0.0f, 3.0f, 0.5f, 0.25f);
	object->Physics.addCollisionPolygon({});
	const std::vector<b2Fixture*> made = fixtures(object);
	ASSERT_EQ(made.size(), 1u);
	EXPECT_EQ(made[0]->GetDensity(), 3.0f);
	EXPECT_EQ(made[0]->GetFriction(), 0.5f);
	EXPECT_EQ(made[0]->GetRestitution(), 0.25f);
}

TEST_F(SceneObjectPhysicsTest, ImpulsesAndForcesActAtPointsInPixels)
{
	struct Case
	{
		const char* name;
		EBodyType type;
		irr::u8 ppu;
		vector2df push, pointPixels;
		b2Vec2 velocity; // after an impulse of `push`
		float spin;      // angular velocity after the impulse
		b2Vec2 force;    // accumulated after a force of `push`
		float torque;
	};
	// A unit-density circle of radius 1 at the body origin: mass pi, inertia pi / 2.
	const float pi = b2_pi;
	const Case cases[] = {
		{"16 pixels a unit", EBT_DYNAMIC, 16, {1, 0}, {0, 16}, {1 / pi, 0}, -2 / pi, {1, 0}, -1},
		{"32 pixels a unit", EBT_DYNAMIC, 32, {0, 2}, {64, 0}, {0, 2 / pi}, 8 / pi, {0, 2}, 4},
		{"static bodies do not react", EBT_STATIC, 16, {1, 0}, {0, 16}, {0, 0}, 0, {0, 0}, 0},
		{"kinematic bodies do not react", EBT_KINETIC, 16, {1, 0}, {0, 16}, {0, 0}, 0, {0, 0}, 0},
	};
	irr::u32 id = 1;
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		physics->setPixelsPerUnit(c.ppu);
		CSceneObject* object = make(id++);
		object->Physics.addCollisionCircle(1.0f, vector2df(0, 0));
		object->Physics.setType(c.type);
		object->Physics.body->SetAwake(false);
		object->Physics.applyImpulse(c.push, c.pointPixels);
		EXPECT_NEAR(object->Physics.getVelocity().X, c.velocity.x, 1e-5f);
		EXPECT_NEAR(object->Physics.getVelocity().Y, c.velocity.y, 1e-5f);
		EXPECT_NEAR(object->Physics.body->GetAngularVelocity(), c.spin, 1e-5f);
		EXPECT_EQ(object->Physics.body->IsAwake(), c.type == EBT_DYNAMIC);

		object->Physics.applyForce(c.push, c.pointPixels);
		const b2Vec2 force = physics->getAccumulatedForce(object->Physics.body);
		EXPECT_NEAR(force.x, c.force.x, 1e-5f);
		EXPECT_NEAR(force.y, c.force.y, 1e-5f);
		EXPECT_NEAR(physics->getAccumulatedTorque(object->Physics.body), c.torque, 1e-5f);
	}
}

TEST_F(SceneObjectPhysicsTest, DampingVelocityAndRotationReadBack)
{
	CSceneObject* object = make(1);
	object->Physics.addCollisionCircle(1.0f, vector2df(0, 0));
	object->Physics.setType(EBT_DYNAMIC);
	object->Physics.setLinearDampening(0.5f);
	object->Physics.setAngularDampening(0.25f);
	EXPECT_EQ(object->Physics.getLinearDampening(), 0.5f);
	EXPECT_EQ(object->Physics.getAngularDampening(), 0.25f);
	object->Physics.setLinearDampening(-1.0f);
	object->Physics.setAngularDampening(NaN);
	EXPECT_EQ(object->Physics.getLinearDampening(), 0.5f);
	EXPECT_EQ(object->Physics.getAngularDampening(), 0.25f);

	object->Physics.setVelocity(vector2df(3, -4));
	EXPECT_EQ(object->Physics.getVelocity(), vector2df(3, -4));
	object->Physics.body->SetAwake(false);
	object->Physics.setVelocity(vector2df(0, 0));
	EXPECT_FALSE(object->Physics.body->IsAwake());
	object->Physics.setVelocity(vector2df(Inf, 0));
	EXPECT_EQ(object->Physics.getVelocity(), vector2df(0, 0));

	struct Case
	{
		float degrees;
		float radians;
	};
	const Case cases[] = {{90, 90 * 0.017453292f}, {-45, -45 * 0.017453292f}, {0, 0}};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.degrees);
		object->setRotation(c.degrees);
		EXPECT_EQ(object->Physics.body->GetAngle(), c.radians);
		EXPECT_EQ(object->getRotation(), c.radians * 57.29578f);
		EXPECT_EQ(object->Physics.getRotation(), object->getRotation());
	}
	object->setRotation(NaN);
	EXPECT_EQ(object->Physics.body->GetAngle(), 0.0f);
}

TEST_F(SceneObjectPhysicsTest, FixedRotationRecomputesTheMassEvenWhenTheFlagStays)
{
	CSceneObject* object = make(1);
	object->Physics.addCollisionCircle(1.0f, vector2df(0, 0));
	object->Physics.setType(EBT_DYNAMIC);
	b2Body* body = object->Physics.body;
	const float mass = body->GetMass();

	object->Physics.setFixedRotation(true);
	EXPECT_TRUE(object->Physics.getFixedRotation());
	EXPECT_EQ(body->GetInertia(), 0.0f);

	// Box2D does not recompute the mass on a density change by itself.
	body->GetFixtureList()->SetDensity(2.0f);
	EXPECT_EQ(body->GetMass(), mass);
	object->Physics.setFixedRotation(true);
	EXPECT_FLOAT_EQ(body->GetMass(), 2.0f * mass);

	object->Physics.setFixedRotation(false);
	EXPECT_FALSE(object->Physics.getFixedRotation());
	EXPECT_GT(body->GetInertia(), 0.0f);
}

TEST_F(SceneObjectPhysicsTest, SyncFromBodyMovesMarkedPositionsAndMirrorsMotion)
{
	static int synced = 0;
	synced = 0;
	CSceneObject* object = make(1);
	object->setSyncCallback([](CSceneObject*) { ++synced; });
	object->Physics.addCollisionCircle(1.0f, vector2df(0, 0));
	object->Physics.setType(EBT_DYNAMIC);
	b2Body* body = object->Physics.body;

	// At rest, with the attributes at 0, nothing is marked.
	CSceneObject::syncFromBody(object);
	EXPECT_TRUE(object->getChangedEngineAttributes().empty());
	EXPECT_EQ(synced, 1);

	object->setPosition(vector3df(160, 0, 0));
	EXPECT_EQ(object->getChangedEngineAttributes(), orv::AttributeIdSet<irr::s32>({EP_X}));
	body->SetLinearVelocity(b2Vec2(0, -2));
	body->SetTransform(body->GetPosition(), b2_pi / 2);
	physics->applyForce(body, b2Vec2(1, 0), b2Vec2(0, 1));
	CSceneObject::syncFromBody(object);
	EXPECT_EQ(body->GetPosition(), b2Vec2(10, 0));
	EXPECT_EQ(attribute(object, EP_VELOCITY_X), 0.0f);
	EXPECT_EQ(attribute(object, EP_VELOCITY_Y), -2.0f);
	EXPECT_EQ(attribute(object, EP_FORCE_X), 1.0f);
	EXPECT_FLOAT_EQ(attribute(object, EP_TORQUE), -1.0f); // applied while the centre was at the origin
	EXPECT_FLOAT_EQ(attribute(object, EP_ROTATION), -90.0f);
	EXPECT_FLOAT_EQ(object->getRotation(), 90.0f);
	EXPECT_EQ(object->getChangedEngineAttributes(),
		orv::AttributeIdSet<irr::s32>({EP_X, EP_VELOCITY_Y, EP_FORCE_X, EP_TORQUE, EP_ROTATION}));

	// A position attribute changed without a mark leaves the body alone.
	object->getChangedEngineAttributes().clear();
	object->getEngineAttribute(EP_X)->setFloat(320);
	CSceneObject::syncFromBody(object);
	EXPECT_EQ(body->GetPosition(), b2Vec2(10, 0));
	EXPECT_TRUE(object->getChangedEngineAttributes().empty());
	EXPECT_EQ(synced, 3);

	// Unowned objects only call the hook.
	object->Physics.owner = false;
	object->setPosition(vector3df(0, 0, 0));
	body->SetLinearVelocity(b2Vec2(5, 5));
	CSceneObject::syncFromBody(object);
	EXPECT_TRUE(object->getChangedEngineAttributes().empty());
	EXPECT_EQ(attribute(object, EP_VELOCITY_X), 0.0f);
	EXPECT_EQ(synced, 4);
}

TEST_F(SceneObjectPhysicsTest, SyncPositionFromBodyWritesMovesAndAlwaysSyncsTheNode)
{
	static int nodeSyncs = 0;
	nodeSyncs = 0;
	CSceneObject* object = make(1);
	object->setNodeSyncCallback([](CSceneObject*) { ++nodeSyncs; });
	object->getEngineAttribute(EP_X)->setFloat(48);
	b2Body* body = object->Physics.body;

	struct Case
	{
		const char* name;
		b2Vec2 body;
		orv::AttributeIdSet<irr::s32> marked;
		float x, y;
	};
	const Case cases[] = {
		{"an unmoved body keeps the attributes", {0, 0}, {}, 48, 0},
		{"x only", {2, 0}, {EP_X}, 32, 0},
		{"y only", {2, -1}, {EP_Y}, 32, -16},
		{"still", {2, -1}, {}, 32, -16},
	};
	int expectedSyncs = 0;
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		object->getChangedEngineAttributes().clear();
		body->SetTransform(c.body, 0);
		CSceneObject::syncPositionFromBody(object);
		EXPECT_EQ(object->getChangedEngineAttributes(), c.marked);
		EXPECT_EQ(attribute(object, EP_X), c.x);
		EXPECT_EQ(attribute(object, EP_Y), c.y);
		EXPECT_EQ(nodeSyncs, ++expectedSyncs);
	}
}

TEST_F(SceneObjectPhysicsTest, PositionAndScaleAttributes)
{
	CSceneObject* object = make(1, false);
	object->setPosition(vector3df(1, 2, 3));
	EXPECT_EQ(object->getPosition(), vector3df(0, 0, 0));
	EXPECT_TRUE(object->getChangedEngineAttributes().empty());

	object->Physics.owner = true;
	object->setPosition(vector3df(0, 5, 0));
	EXPECT_EQ(object->getChangedEngineAttributes(), orv::AttributeIdSet<irr::s32>({EP_Y}));
	object->getChangedEngineAttributes().clear();
	object->setPosition(vector3df(0, 5, 0));
	EXPECT_TRUE(object->getChangedEngineAttributes().empty());
	EXPECT_EQ(object->getEngineAttribute(EP_Y)->type, EAT_FLOAT);

	EXPECT_EQ(object->getScale(), vector2df(1, 1));
	object->setScale(vector2df(1, 1));
	EXPECT_TRUE(object->getChangedEngineAttributes().empty());
	object->setScale(vector2df(1, 3)); // a body without fixtures takes only the attributes
	EXPECT_EQ(object->getScale(), vector2df(1, 3));
	EXPECT_EQ(object->getChangedEngineAttributes(), orv::AttributeIdSet<irr::s32>({EP_SCALE_Y}));
}

TEST_F(SceneObjectPhysicsTest, ScaleRebuildsEveryFixtureScaled)
{
	CSceneObject* object = make(1);
	SSceneObjectPhysics& p = object->Physics;
	p.addCollisionCircle(0.5f, vector2df(1, 0), 3.0f, 0.5f, 0.25f);
	p.addCollisionBox(vector2df(1, 1), vector2df(0, 0));
	p.addCollisionEdge(vector2df(0, 0), vector2df(1, 1), true, true, vector2df(-1, 0), vector2df(2, 1));
	b2Filter filter;
	filter.categoryBits = 4;
	filter.groupIndex = -2;
	for (b2Fixture* f : fixtures(object))
		f->SetFilterData(filter);

	object->setScale(vector2df(2, 3));
	std::vector<b2Fixture*> made = fixtures(object);
	ASSERT_EQ(made.size(), 3u);
	for (const b2Fixture* f : made)
	{
		SCOPED_TRACE(f->GetType());
		EXPECT_EQ(f->GetFilterData().categoryBits, 4);
		EXPECT_EQ(f->GetFilterData().groupIndex, -2);
		switch (f->GetType())
		{
		case b2Shape::e_circle:
		{
			const b2CircleShape* circle = static_cast<const b2CircleShape*>(f->GetShape());
			EXPECT_EQ(circle->m_radius, 1.0f);
			EXPECT_EQ(circle->m_p, b2Vec2(2, 0));
			EXPECT_EQ(f->GetDensity(), 3.0f);
			EXPECT_EQ(f->GetFriction(), 0.5f);
			EXPECT_EQ(f->GetRestitution(), 0.25f);
			break;
		}
		case b2Shape::e_polygon:
		{
			const b2PolygonShape* box = static_cast<const b2PolygonShape*>(f->GetShape());
			ASSERT_EQ(box->m_count, 4);
			for (int i = 0; i < 4; ++i)
			{
				EXPECT_EQ(std::fabs(box->m_vertices[i].x), 2.0f);
				EXPECT_EQ(std::fabs(box->m_vertices[i].y), 3.0f);
				EXPECT_NEAR(box->m_normals[i].Length(), 1.0f, 1e-6f);
			}
			break;
		}
		case b2Shape::e_edge:
		{
			const b2EdgeShape* edge = static_cast<const b2EdgeShape*>(f->GetShape());
			EXPECT_EQ(edge->m_vertex2, b2Vec2(2, 3));
			EXPECT_EQ(edge->m_vertex0, b2Vec2(-2, 0));
			EXPECT_EQ(edge->m_vertex3, b2Vec2(4, 3));
			break;
		}
		default:
			ADD_FAILURE();
		}
	}

	// Back to (1, 1) by the ratio of the new scale to the old one.
	object->setScale(vector2df(1, 1));
	for (const b2Fixture* f : fixtures(object))
		if (f->GetType() == b2Shape::e_circle)
		{
			EXPECT_EQ(static_cast<const b2CircleShape*>(f->GetShape())->m_radius, 0.5f);
		}
}

TEST_F(SceneObjectPhysicsTest, ChainsScaleToo)
{
	CSceneObject* object = make(1);
	const b2Vec2 loop[] = {{0, 0}, {1, 0}, {1, 1}};
	b2ChainShape chain;
	chain.CreateLoop(loop, 3);
	b2FixtureDef def;
	def.shape = &chain;
	physics->createFixture(object->Physics.body, def);
	object->setScale(vector2df(2, 2));
	const std::vector<b2Fixture*> made = fixtures(object);
	ASSERT_EQ(made.size(), 1u);
	const b2ChainShape* scaled = static_cast<const b2ChainShape*>(made[0]->GetShape());
	ASSERT_EQ(scaled->m_count, 4);
	EXPECT_EQ(scaled->m_vertices[2], b2Vec2(2, 2));
	EXPECT_EQ(scaled->m_vertices[3], b2Vec2(0, 0));
}

// Each call here reaches a Box2D assert unless the guards catch it.
TEST_F(SceneObjectPhysicsTest, HostileCallsLeaveTheProcessStanding)
{
	struct Case
	{
		const char* name;
		void (*call)(CSceneObject& o);
		size_t fixtures;
		int polygonVertices; // of the one polygon made, 0: none
	};
	const Case cases[] = {
		{"polygon of 1 point",
			[](CSceneObject& o) {
				o.Physics.addCollisionPolygon({{1, 1}});
			},
			1, 4},
		{"polygon of 2 points",
			[](CSceneObject& o) {
				o.Physics.addCollisionPolygon({{0, 0}, {1, 1}});
			},
			1, 4},
		{"polygon of 9 points keeps the first 8",
			[](CSceneObject& o) {
				std::vector<vector2df> points;
				for (int i = 0; i < 9; ++i)
					points.push_back(vector2df(std::cos(i * 0.6f), std::sin(i * 0.6f)));
				o.Physics.addCollisionPolygon(points);
			},
			1, 8},
		{"collinear points",
			[](CSceneObject& o) {
				o.Physics.addCollisionPolygon({{0, 0}, {1, 1}, {2, 2}, {3, 3}});
			},
			1, 4},
		{"welded points",
			[](CSceneObject& o) {
				o.Physics.addCollisionPolygon({{0, 0}, {0, 0}, {0, 0}});
			},
			1, 4},
		{"NaN polygon point",
			[](CSceneObject& o) {
				o.Physics.addCollisionPolygon({{0, 0}, {1, 0}, {NaN, 1}});
			},
			0, 0},
		{"NaN and infinite circles",
			[](CSceneObject& o) {
				o.Physics.addCollisionCircle(NaN, vector2df(0, 0));
				o.Physics.addCollisionCircle(Inf, vector2df(0, 0));
				o.Physics.addCollisionCircle(1, vector2df(Inf, 0));
				o.Physics.addCollisionCircle(-1, vector2df(0, 0));
			},
			0, 0},
		{"NaN and infinite boxes",
			[](CSceneObject& o) {
				o.Physics.addCollisionBox(vector2df(NaN, 1), vector2df(0, 0));
				o.Physics.addCollisionBox(vector2df(1, Inf), vector2df(0, 0));
				o.Physics.addCollisionBox(vector2df(1, 1), vector2df(0, NaN));
				o.Physics.addCollisionBox(vector2df(1, 1), vector2df(0, 0), Inf);
			},
			0, 0},
		{"degenerate and infinite edges",
			[](CSceneObject& o) {
				o.Physics.addCollisionEdge(vector2df(1, 1), vector2df(1, 1), false, false, {}, {});
				o.Physics.addCollisionEdge(vector2df(0, 0), vector2df(Inf, 1), false, false, {}, {});
				o.Physics.addCollisionEdge(vector2df(0, 0), vector2df(1, 1), true, false, vector2df(NaN, 0), {});
			},
			0, 0},
		{"NaN materials",
			[](CSceneObject& o) {
				o.Physics.addCollisionCircle(1, vector2df(0, 0), NaN);
				o.Physics.addCollisionCircle(1, vector2df(0, 0), 1, Inf);
			},
			0, 0},
		{"a zero box on a body made dynamic later",
			[](CSceneObject& o) {
				o.Physics.addCollisionBox(vector2df(0, 0), vector2df(0, 0));
				o.Physics.addCollisionBox(vector2df(0, 0), vector2df(0, 0), 0.0f, 0.0f);
				o.Physics.setType(EBT_DYNAMIC);
				CPhysicsManager::getInstance()->update(0.1f);
			},
			1, 4},
		{"scale (0, 1) and not finite",
			[](CSceneObject& o) {
				o.Physics.addCollisionBox(vector2df(1, 1), vector2df(0, 0));
				o.setScale(vector2df(0, 1));
				o.setScale(vector2df(NaN, 1));
				o.setScale(vector2df(1, Inf));
			},
			1, 4},
		{"a scale that welds the polygon keeps its size",
			[](CSceneObject& o) {
				o.Physics.addCollisionPolygon({{0, 0}, {1, 0}, {0, 1}});
				o.setScale(vector2df(1e-30f, 1e-30f));
			},
			1, 3},
	};
	irr::u32 id = 1;
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		CSceneObject* object = make(id++);
		c.call(*object);
		const std::vector<b2Fixture*> made = fixtures(object);
		EXPECT_EQ(made.size(), c.fixtures);
		if (c.polygonVertices)
		{
			ASSERT_FALSE(made.empty());
			ASSERT_EQ(made[0]->GetType(), b2Shape::e_polygon);
			EXPECT_EQ(static_cast<const b2PolygonShape*>(made[0]->GetShape())->m_count, c.polygonVertices);
		}
		if (c.call == cases[11].call)
		{
			EXPECT_EQ(object->getScale(), vector2df(1, 1));
		}
	}
}

namespace {

CSceneObject* touched = nullptr;

// Everything a script may do from OnBeginContact, where Box2D is locked.
void changeEverythingOnContact(CSceneObject* object, CSceneObject*)
{
	if (object != touched)
		return;
	object->Physics.addCollisionCircle(0.25f, vector2df(0, 0));
	object->Physics.addCollisionBox(vector2df(0.5f, 0.5f), vector2df(0, 0));
	object->Physics.addCollisionPolygon({{0, 0}, {1, 0}, {0, 1}});
	object->Physics.addCollisionEdge(vector2df(0, 0), vector2df(1, 0), false, false, {}, {});
	object->Physics.setType(EBT_KINETIC);
	object->Physics.setFixedRotation(true);
	object->setRotation(45);
	object->setPosition(vector3df(320, 0, 0));
	CSceneObject::syncFromBody(object);
	object->setScale(vector2df(2, 2));
	CObjectManager::getInstance()->createSceneObject(99, 0, "");
	CObjectManager::getInstance()->remove(2);
}

} // namespace

TEST_F(SceneObjectPhysicsTest, WorldChangesInsideBeginContactWaitForTheStep)
{
	CSceneObject* a = make(1);
	CSceneObject* b = make(2);
	for (CSceneObject* o : {a, b})
	{
		o->Physics.addCollisionCircle(1.0f, vector2df(0, 0));
		o->Physics.setType(EBT_DYNAMIC);
	}
	touched = a;
	physics->setContactCallbacks(changeEverythingOnContact, changeEverythingOnContact, nullptr);
	physics->update(1.0f / 30.0f);

	EXPECT_EQ(a->Physics.body->GetType(), b2_kinematicBody);
	EXPECT_TRUE(a->Physics.body->IsFixedRotation());
	EXPECT_NEAR(a->Physics.body->GetAngle(), 45 * 0.017453292f, 1e-6f);
	EXPECT_NEAR(a->Physics.body->GetPosition().x, 20.0f, 1e-3f);
	EXPECT_EQ(fixtures(a).size(), 5u);
	EXPECT_EQ(CObjectManager::getInstance()->getSceneObject(2), nullptr);
	CSceneObject* late = CObjectManager::getInstance()->getSceneObject(99);
	ASSERT_NE(late, nullptr);
	// Its body came after the step; the record shows it from the next synchronisation.
	ASSERT_NE(late->getBody(), nullptr);
	CSceneObject::syncFromBody(late);
	EXPECT_EQ(late->Physics.getLiveBody(), late->getBody());
	EXPECT_EQ(physics->getWorld()->GetBodyCount(), 2);
	touched = nullptr;
}

TEST_F(SceneObjectPhysicsTest, AnOverwrittenRecordGetsTheObjectsOwnBodyBack)
{
	CSceneObject* object = make(1);
	CSceneObject* other = make(2);
	b2Body* own = object->getBody();
	struct Case
	{
		const char* name;
		b2Body* written;
	};
	const Case cases[] = {{"a script's own empty record", nullptr}, {"another object's record", other->getBody()}};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		object->Physics.body = c.written;
		CSceneObject::syncFromBody(object);
		EXPECT_EQ(object->Physics.body, own);
	}
	object->Physics.body = other->getBody();
	CObjectManager::getInstance()->remove(1);
	EXPECT_EQ(physics->getWorld()->GetBodyCount(), 1);
	EXPECT_EQ(physics->getWorld()->GetBodyList(), other->getBody());
}
