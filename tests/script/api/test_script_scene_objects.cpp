#include <angelscript.h>
#include <box2d/box2d.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "script/CScriptManager.h"
#include "script/CScriptModule.h"
#include "support/script_world.h"
#include "world/CAnimatedSceneObject.h"
#include "world/CObjectManager.h"
#include "world/CPhysicsManager.h"
#include "world/CSceneObject.h"
#include "world/CStaticSceneObject.h"
#include "world/CTiledSceneObject.h"
#include "world/ContactCallbacks.h"
#include "world/EngineAttributes.h"

namespace {

using namespace orv;
using orv::test::CScriptWorld;

// Objects 1 static, 2 animated, 3 tiled, 4 plain; `main` of the code runs
// with them in place.
class ScriptSceneObjects : public ::testing::Test
{
protected:
	void SetUp() override
	{
		world.makeObject(1, ESOT_STATIC, "s");
		world.makeObject(2, ESOT_ANIMATED, "an");
		world.makeObject(3, ESOT_TILED, "t");
		world.makeObject(4, ESOT_DEFAULT, "p");
		module = world.scripts().getModule("test");
	}

	void runMain(const std::string& code)
	{
		world.load(module, code);
		world.call(module, "void main()");
		EXPECT_EQ(world.failedChecks(), std::vector<std::string>());
		EXPECT_TRUE(world.errors().empty());
	}

	CSceneObject* object(irr::u32 id) { return CObjectManager::getInstance()->getSceneObject(id); }

	CScriptWorld world;
	script::CScriptModule* module = nullptr;
};

TEST_F(ScriptSceneObjects, KindsShareTheBasePointer)
{
	// The kinds' handles serve the base's functions only because the base
	// part starts where the object does.
	for (irr::u32 id = 1; id <= 4; ++id)
		EXPECT_EQ(static_cast<void*>(object(id)), dynamic_cast<void*>(object(id)));
}

TEST_F(ScriptSceneObjects, Casts)
{
	runMain(R"AS(
void main()
{
	SceneObject@ s = Objects.get_scene_object(1);
	SceneObject@ an = Objects.get_scene_object(2);
	SceneObject@ t = Objects.get_scene_object(3);
	SceneObject@ p = Objects.get_scene_object(4);
	check(cast<StaticSceneObject>(an) is null, "animated to static gives null");
	check(cast<AnimatedSceneObject>(s) is null, "static to animated gives null");
	check(cast<StaticSceneObject>(p) is null, "a plain object is no static one");
	check(cast<TiledSceneObject>(p) is null, "a plain object is no tiled one");
	check(cast<AnimatedSceneObject>(an) !is null, "animated to animated");

	int before = refs(s);
	StaticSceneObject@ st = cast<StaticSceneObject>(s);
	check(st !is null, "static to static");
	check(refs(s) == before + 1, "the cast handle holds a reference");
	SceneObject@ back = st;
	check(back is s, "the implicit cast gives the same object");
	check(refs(s) == before + 2, "and holds a reference of its own");
	@back = null;
	@st = null;
	check(refs(s) == before, "both let go");

	TiledSceneObject@ tiled = cast<TiledSceneObject>(t);
	TiledSceneObject@ none;
	SceneObject@ fromNone = none;
	check(fromNone is null, "a null kind converts to null");
	tiled.set_attribute("k", int64(5));
	check(t.get_attribute_int("k") == 5, "a kind's handle reaches the same attributes");
	check(tiled.get_type() == ESOT_TILED && t.get_type() == ESOT_TILED, "the same type through both");
	check(s.get_type() == ESOT_STATIC && an.get_type() == ESOT_ANIMATED && p.get_type() == ESOT_DEFAULT, "types");
}
)AS");
	for (irr::u32 id = 1; id <= 4; ++id)
		EXPECT_EQ(object(id)->getReferenceCount(), 1) << "object " << id;
}

TEST_F(ScriptSceneObjects, Attributes)
{
	runMain(R"AS(
void main()
{
	SceneObject@ o = Objects.get_scene_object(4);
	check(o.get_class() == "blank", "the class name");
	check(o.get_attribute_type("missing") == EAT_INVALID, "missing type");
	check(o.get_attribute_int("missing") == 0 && o.get_attribute_float("missing") == 0, "missing numbers");
	check(o.get_attribute_string("missing") == "", "missing text");

	o.set_attribute("n", int64(-5));
	check(o.get_attribute_type("n") == EAT_INT && o.get_attribute_int("n") == -5, "int64");
	check(o.get_attribute_string("n") == "-5", "an int read as text");
	o.set_attribute("n", "12");
	check(o.get_attribute_type("n") == EAT_STRING && o.get_attribute_uint("n") == 12, "text parsed as a number");
	o.set_attribute("d", 0.1);
	check(o.get_attribute_type("d") == EAT_DOUBLE && o.get_attribute_double("d") == 0.1, "double precision");
	o.set_attribute("f", 1.5f);
	check(o.get_attribute_type("f") == EAT_FLOAT && o.get_attribute_int("f") == 1, "float truncates to int");
	o.set_attribute("u", uint64(7));
	check(o.get_attribute_type("u") == EAT_UINT && o.get_attribute_double("u") == 7, "uint64");
	check(EPT_COUNT == 6, "the last attribute type");
}
)AS");
	CSceneObject* plain = object(4);
	const CAttributeList& list = plain->getClassAttributes();
	// "name" came first (id 0); script attributes follow in order, and a
	// change of type keeps the id.
	EXPECT_EQ(list.findByName("n")->id, 1);
	EXPECT_EQ(list.findByName("d")->id, 2);
	EXPECT_EQ(list.findByName("f")->id, 3);
	EXPECT_TRUE(plain->getChangedClassAttributes().empty());
	EXPECT_TRUE(plain->getChangedEngineAttributes().empty());
}

TEST_F(ScriptSceneObjects, PositionRotationScale)
{
	runMain(R"AS(
void main()
{
	SceneObject@ o = Objects.get_scene_object(1);
	o.Position = vector3df(10, 20, 30);
	check(o.Position == vector3df(0, 0, 0), "an object outside the scene stays put");
	o.Physics.Owner = true;
	o.Position = vector3df(10, 20, 30);
	check(o.Position == vector3df(10, 20, 30), "an owned object moves");
	o.Rotation = 90;
	check(abs(o.Rotation - 90) < 0.001, "rotation in degrees");
	check(abs(o.Physics.Rotation - 90) < 0.001, "the same body through Physics");
	check(o.Scale == vector2df(1, 1), "default scale");
	o.Scale = vector2df(2, 3);
	check(o.Scale == vector2df(2, 3), "new scale");
}
)AS");
	CSceneObject* image = object(1);
	EXPECT_TRUE(image->Physics.owner);
	EXPECT_EQ(
		image->getChangedEngineAttributes(), (orv::AttributeIdSet<irr::s32>{EP_X, EP_Y, EP_Z, EP_SCALE_X, EP_SCALE_Y}));
	EXPECT_NEAR(image->Physics.body->GetAngle(), 1.5707964f, 1e-5f);
}

TEST_F(ScriptSceneObjects, RotationReadsBackInTheServersDegrees)
{
	// Degrees become radians and back by the server's two factors, the
	// floats 0x3C8EFA35 and 0x42652EE0: what reads back is exactly what the
	// server reads, and 30 stays 30.
	struct Case
	{
		float degrees;
		irr::u32 readBits;
	} cases[] = {
		{30, 0x41F00000},
		{60, 0x42700000},
		{-90, 0xC2B40000},
		{1, 0x3F7FFFFF},
		{1000, 0x4479FFFF},
	};
	CSceneObject* o = object(4);
	o->Physics.owner = true;
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.degrees);
		for (const char* turn : {"o.Rotation", "o.Physics.Rotation"})
		{
			world.load(module,
				"uint own = 0; uint physics = 0;\n"
				"void main() { SceneObject@ o = Objects.get_scene_object(4);\n" +
					std::string(turn) + " = " + std::to_string(c.degrees) +
					";\n own = fpToIEEE(o.Rotation); physics = fpToIEEE(o.Physics.Rotation); }\n");
			world.call(module, "void main()");
			AngelScript::asIScriptModule* m = module->getEngineModule();
			for (const char* read : {"own", "physics"})
				EXPECT_EQ(
					*static_cast<irr::u32*>(m->GetAddressOfGlobalVar(m->GetGlobalVarIndexByName(read))), c.readBits)
					<< turn << ", read as " << read;
		}
		// The attribute the server is sent turns the other way.
		CSceneObject::syncFromBody(o);
		const float sent = o->getEngineAttribute(EP_ROTATION)->getFloat();
		irr::u32 bits;
		std::memcpy(&bits, &sent, sizeof(bits));
		EXPECT_EQ(bits, c.readBits ^ 0x80000000u);
	}
}

TEST_F(ScriptSceneObjects, PhysicsValue)
{
	runMain(R"AS(
void main()
{
	SceneObject_Physics own;
	check(!own.Owner, "a script's own value is not owned");
	check(own.Type == EBT_STATIC, "and has no body to be anything but static");
	SceneObject@ o = Objects.get_scene_object(4);
	check(o.Physics.Type == EBT_STATIC, "bodies start static");
	o.Physics.Type = EBT_DYNAMIC;
	check(o.Physics.Type == EBT_DYNAMIC, "dynamic");
	o.Physics.Type = EBT_KINETIC;
	check(o.Physics.Type == EBT_KINETIC, "kinematic");
	o.Physics.Type = EBT_COUNT;
	check(o.Physics.Type == EBT_STATIC, "anything else is static");

	o.Physics.add_collision_circle(0.5, vector2df(1, 0));
	o.Physics.add_collision_box(vector2df(1, 2), vector2df(0, 0));
	array<vector2df> empty;
	o.Physics.add_collision_polygon(empty);
	o.Physics.add_collision_polygon(array<vector2df> = {vector2df(0, 0), vector2df(1, 0), vector2df(0, 1)}, 3, 0.5, 0.25);
	o.Physics.add_collision_edge(vector2df(0, 0), vector2df(1, 0));
	o.Physics.add_collision_edge(vector2df(0, 0), vector2df(1, 0), false, vector2df(2, 0));
	o.Physics.add_collision_edge(vector2df(-1, 0), vector2df(0, 0), vector2df(1, 0), vector2df(2, 0));

	o.Physics.Type = EBT_DYNAMIC;
	o.Physics.LinearDampening = 0.5;
	o.Physics.AngularDampening = 0.25;
	check(o.Physics.LinearDampening == 0.5 && o.Physics.AngularDampening == 0.25, "damping");
	o.Physics.FixedRotation = true;
	check(o.Physics.FixedRotation, "fixed rotation");
	o.Physics.Velocity = vector2df(1, -2);
	check(o.Physics.Velocity == vector2df(1, -2), "velocity");

	Physics.Gravity = vector2df(0, 10);
	check(Physics.Gravity == vector2df(0, 10), "gravity");
	Physics.PixelsPerUnit = 0;
	check(Physics.PixelsPerUnit == 16, "zero pixels per unit is refused");
	Physics.PixelsPerUnit = 32;
	check(Physics.PixelsPerUnit == 32, "pixels per unit");
}
)AS");
	b2Body* body = object(4)->Physics.body;
	ASSERT_NE(body, nullptr);
	std::vector<b2Fixture*> fixtures;
	for (b2Fixture* f = body->GetFixtureList(); f; f = f->GetNext())
		fixtures.insert(fixtures.begin(), f); // Box2D lists the newest first
	ASSERT_EQ(fixtures.size(), 6u) << "the empty polygon adds nothing";

	EXPECT_EQ(fixtures[0]->GetType(), b2Shape::e_circle);
	EXPECT_FLOAT_EQ(fixtures[0]->GetShape()->m_radius, 0.5f);
	EXPECT_FLOAT_EQ(fixtures[0]->GetFriction(), 2.0f);
	EXPECT_FLOAT_EQ(fixtures[0]->GetDensity(), 1.0f);
	EXPECT_FLOAT_EQ(fixtures[0]->GetRestitution(), 0.0f);
	EXPECT_EQ(fixtures[0]->GetFilterData().categoryBits, 1);
	EXPECT_EQ(fixtures[0]->GetFilterData().maskBits, 0xFFFF);

	const b2PolygonShape* box = static_cast<const b2PolygonShape*>(fixtures[1]->GetShape());
	ASSERT_EQ(box->m_count, 4);
	b2Vec2 upper(-100, -100), lower(100, 100);
	for (int i = 0; i < box->m_count; ++i)
	{
		upper = b2Max(upper, box->m_vertices[i]);
		lower = b2Min(lower, box->m_vertices[i]);
	}
	EXPECT_EQ(upper - lower, b2Vec2(2, 4)) << "dimension (1, 2) is a box 2 wide and 4 high";

	EXPECT_EQ(fixtures[2]->GetType(), b2Shape::e_polygon);
	EXPECT_FLOAT_EQ(fixtures[2]->GetDensity(), 3.0f);
	EXPECT_FLOAT_EQ(fixtures[2]->GetFriction(), 0.5f);
	EXPECT_FLOAT_EQ(fixtures[2]->GetRestitution(), 0.25f);

	struct EdgeCase
	{
		b2Vec2 v0, v1, v2, v3;
	};
	const EdgeCase edges[] = {
		{{0, 0}, {0, 0}, {1, 0}, {0, 0}},
		{{0, 0}, {0, 0}, {1, 0}, {2, 0}},
		{{-1, 0}, {0, 0}, {1, 0}, {2, 0}},
	};
	for (int i = 0; i < 3; ++i)
	{
		ASSERT_EQ(fixtures[3 + i]->GetType(), b2Shape::e_edge);
		const b2EdgeShape* edge = static_cast<const b2EdgeShape*>(fixtures[3 + i]->GetShape());
		EXPECT_EQ(edge->m_vertex1, edges[i].v1) << "edge " << i;
		EXPECT_EQ(edge->m_vertex2, edges[i].v2) << "edge " << i;
		if (i > 0)
		{
			EXPECT_EQ(edge->m_vertex3, edges[i].v3) << "edge " << i;
		}
		if (i == 2)
		{
			EXPECT_EQ(edge->m_vertex0, edges[i].v0) << "edge " << i;
		}
	}

	EXPECT_EQ(body->GetType(), b2_dynamicBody);
	EXPECT_TRUE(body->IsFixedRotation());
	EXPECT_FLOAT_EQ(body->GetLinearDamping(), 0.5f);
	EXPECT_EQ(CPhysicsManager::getInstance()->getPixelsPerUnit(), 32);
}

TEST_F(ScriptSceneObjects, ImpulseAtAPointInPixels)
{
	runMain(R"AS(
void main()
{
	SceneObject@ o = Objects.get_scene_object(4);
	o.Physics.add_collision_box(vector2df(1, 1), vector2df(0, 0));
	o.Physics.apply_impulse(vector2df(1, 0), vector2df(0, 0));
	check(o.Physics.Velocity == vector2df(0, 0), "a static body does not react");
	o.Physics.Type = EBT_DYNAMIC;
	o.Physics.apply_impulse(vector2df(4, 0), vector2df(0, 16));
	check(o.Physics.Velocity == vector2df(1, 0), "linear part: impulse times inverse mass 1/4");
}
)AS");
	b2Body* body = object(4)->Physics.body;
	// The point (0, 16) px is (0, 1) units: cross((0, 1), (4, 0)) = -4.
	EXPECT_NEAR(body->GetAngularVelocity(), -4.0f / body->GetInertia(), 1e-5f);
}

TEST_F(ScriptSceneObjects, HostileCallsFromBeginContact)
{
	// Box2D is locked while contacts run scripts; none of this may abort.
	const char* code = R"AS(
string trace;
void OnBeginContact(SceneObject@+ self, SceneObject@+ other)
{
	trace += "begin;";
	self.Physics.add_collision_circle(0.25, vector2df(0, 0));
	float huge = 1e38f;
	huge *= 10;
	self.Physics.add_collision_circle(sqrt(-1.0f), vector2df(0, 0));
	self.Physics.add_collision_box(vector2df(huge, 1), vector2df(0, 0));
	self.Physics.add_collision_polygon(array<vector2df> = {vector2df(0, 0)});
	self.Physics.add_collision_polygon(array<vector2df> = {vector2df(0, 0), vector2df(1, 0)});
	self.Physics.add_collision_polygon(array<vector2df> = {vector2df(0, 0), vector2df(1, 0), vector2df(2, 0)});
	array<vector2df> many;
	for (int i = 0; i < 9; ++i)
		many.insertLast(vector2df(cos(i * 0.7), sin(i * 0.7)));
	self.Physics.add_collision_polygon(many);
	self.Physics.add_collision_edge(vector2df(0, 0), vector2df(0, 0));
	self.Physics.Type = EBT_STATIC;
	self.Physics.Rotation = 30;
	self.Rotation = 45;
	self.Position = vector3df(64, 0, 0);
	self.Scale = vector2df(0, 1);
	self.Physics.apply_force(vector2df(1, 0), vector2df(0, 0));
	Physics.PixelsPerUnit = 0;
}
bool OnSolveContact(SceneObject@+ self, SceneObject@+ other, vector2df normal, vector2df self_point, vector2df other_point)
{
	trace += "solve;";
	self.Physics.add_collision_box(vector2df(0, 0), vector2df(0, 0));
	return true;
}
)AS";
	CSceneObject* a = object(4);
	CSceneObject* b = world.makeObject(5, ESOT_DEFAULT, "q");
	for (CSceneObject* o : {a, b})
	{
		o->Physics.owner = true;
		o->Physics.addCollisionCircle(1.0f, irr::core::vector2df(0, 0));
		o->Physics.setType(EBT_DYNAMIC);
		world.load(o->getModule(), code);
	}
	CPhysicsManager::getInstance()->setContactCallbacks(onBeginContact, onEndContact, onSolveContact);
	for (int i = 0; i < 4; ++i)
		CPhysicsManager::getInstance()->update(1.0f / 30.0f);
	const std::string traces = world.globalString(a->getModule(), "trace") +
		world.globalString(b->getModule(), "trace");
	EXPECT_NE(traces.find("begin;"), std::string::npos);
	EXPECT_NE(traces.find("solve;"), std::string::npos);
	EXPECT_TRUE(world.errors().empty());
	EXPECT_EQ(CPhysicsManager::getInstance()->getPixelsPerUnit(), 16);
}

} // namespace
