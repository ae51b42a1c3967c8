// The class, attribute, script, object and shape packets on the real engine: its script host, its
// Box2D world and the null device, each packet dispatched as the server's frame would be.

#include "base/Refusal.h"
#include "world/CObjectClass.h"
#include "net/CNetParse.h"
#include "script/CScriptModule.h"
#include "support/engine_fixture.h"
#include "world/CObjectManager.h"
#include "world/CPhysicsManager.h"
#include "world/CSceneObject.h"
#include "world/EngineAttributes.h"

#include <angelscript.h>
#include <box2d/box2d.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

using namespace orv;

namespace {

//! Packet bytes behind the id, big-endian as the server writes them.
struct P
{
	std::vector<irr::u8> bytes;

	explicit P(irr::u16 id) { u16(id); }
	P& u8(irr::u32 v)
	{
		bytes.push_back(static_cast<irr::u8>(v));
		return *this;
	}
	P& u16(irr::u32 v) { return u8(v >> 8).u8(v); }
	P& u32(irr::u32 v) { return u16(v >> 16).u16(v); }
	P& f32(float v)
	{
		irr::u32 bits;
		std::memcpy(&bits, &v, 4);
		return u32(bits);
	}
	P& text(const std::string& t)
	{
		bytes.insert(bytes.end(), t.begin(), t.end());
		return *this;
	}
	//! A name with its length byte in front.
	P& name(const std::string& t) { return u8(static_cast<irr::u32>(t.size())).text(t); }
	//! Typed values as readValue takes them.
	P& uintValue(irr::u32 v) { return u8(EAT_UINT).u8(4).u32(v); }
	P& floatValue(float v) { return u8(EAT_FLOAT).f32(v); }
	P& stringValue(const std::string& t) { return u8(EAT_STRING).u8(1).u8(static_cast<irr::u32>(t.size())).text(t); }
};

const float NaN = std::numeric_limits<float>::quiet_NaN();

//! Keeps the device's log lines as Irrlicht hands them on ("channel: message").
struct CLogReceiver : irr::IEventReceiver
{
	std::vector<std::string> lines;
	bool keepScriptLines = false;
	bool OnEvent(const irr::SEvent& event) override
	{
		if (event.EventType != irr::EET_LOG_TEXT_EVENT)
			return false;
		const std::string line = event.LogEvent.Text;
		// Build messages of the script engine are not what most tests look at.
		if (keepScriptLines || line.rfind("script:", 0) != 0)
			lines.push_back(line);
		return true;
	}
};

class WorldPackets : public test::EngineTest
{
protected:
	void SetUp() override
	{
		EngineTest::SetUp();
		engine().getDevice()->getLogger()->setLogLevel(irr::ELL_INFORMATION);
		engine().getDevice()->setEventReceiver(&log);
		log.lines.clear();
	}
	void TearDown() override
	{
		engine().getDevice()->setEventReceiver(nullptr);
		EngineTest::TearDown();
	}

	void send(const P& p)
	{
		net::packet packet = net::packet::fromBytes(p.bytes.data(), p.bytes.data() + p.bytes.size());
		engine().getParsers().get()->parse(packet);
	}
	void send(const std::vector<P>& packets)
	{
		for (const P& p : packets)
			send(p);
	}

	static CObjectManager& objects() { return *CObjectManager::getInstance(); }
	static CSceneObject* object(irr::u32 id) { return objects().getSceneObject(id); }
	static CObjectClass* findClass(const char* name) { return objects().findObjectClass(name); }

	//! An int global of a module's code; -1 when the code has none.
	static int global(script::CScriptModule* module, const char* name)
	{
		if (!module || !module->getEngineModule())
			return -1;
		AngelScript::asIScriptModule* m = module->getEngineModule();
		const int index = m->GetGlobalVarIndexByName(name);
		return index < 0 ? -1 : *static_cast<int*>(m->GetAddressOfGlobalVar(index));
	}

	std::vector<b2Fixture*> fixtures(irr::u32 id)
	{
		std::vector<b2Fixture*> all;
		CSceneObject* o = object(id);
		if (o && o->Physics.getLiveBody())
			for (b2Fixture* f = o->Physics.getLiveBody()->GetFixtureList(); f; f = f->GetNext())
				all.push_back(f);
		return all;
	}

	CLogReceiver log;
};

// --- classes, attributes, script code -------------------------------------------------------

struct SSequenceCase
{
	const char* name;
	std::vector<P> packets;
	std::vector<std::string> lines;
	std::function<void(CGameEngine&)> check;
};

TEST_F(WorldPackets, ClassesAndAttributes)
{
	const P addBall = P(7).text("ball");
	const SSequenceCase cases[] = {
		{"a class added twice exists once and is logged twice", {addBall, addBall},
			{"class: Adding class: ball", "class: Adding class: ball"},
			[](CGameEngine&) {
				ASSERT_NE(findClass("ball"), nullptr);
				EXPECT_NE(findClass("ball")->getModule(), nullptr);
			}},
		{"a class attribute keeps the id of the name it already has, and still logs the packet's id",
			{addBall, P(8).name("ball").u16(3).text("hp"), P(8).name("ball").u16(7).text("hp")},
			{"class: Adding class: ball", "attributes: Adding attribute hp (3), to class: ball",
				"attributes: Adding attribute hp (7), to class: ball"},
			[](CGameEngine&) {
				const CAttributeList& list = findClass("ball")->getAttributes();
				ASSERT_NE(list.findByName("hp"), nullptr);
				EXPECT_EQ(list.findByName("hp")->id, 3);
				EXPECT_EQ(list.findById(7), nullptr);
			}},
		{"an attribute id another name holds is refused",
			{addBall, P(8).name("ball").u16(3).text("hp"), P(8).name("ball").u16(3).text("mp")},
			{"class: Adding class: ball", "attributes: Adding attribute hp (3), to class: ball",
				"attributes: Attribute mp refused: id 3 belongs to hp."},
			[](CGameEngine&) {
				EXPECT_EQ(findClass("ball")->getAttributes().findByName("mp"), nullptr);
				EXPECT_EQ(findClass("ball")->getAttributes().findById(3)->name, irr::core::ustring16("hp"));
			}},
		{"attributes and code for a class never added change nothing and create nothing",
			{P(8).name("ghost").u16(1).text("hp"), P(9).name("ghost").text("void Created(SceneObject@+ s) {}")}, {},
			[](CGameEngine&) { EXPECT_EQ(findClass("ghost"), nullptr); }},
		{"a class name cut short by the packet's end takes what is there; id and name are empty",
			{addBall, P(8).u8(200).text("ball")},
			{"class: Adding class: ball", "attributes: Adding attribute  (0), to class: ball"},
			[](CGameEngine&) { EXPECT_EQ(findClass("ball")->getAttributes().findById(0)->name.size(), 0u); }},
		{"server attributes: two values applied, the third id unknown ends the packet",
			{P(10).u16(1).text("round"), P(10).u16(2).text("motd"),
				P(11).u16(1).uintValue(7).u16(2).stringValue("hi").u16(9).uintValue(1)},
			{"attributes: Adding server attribute round (1)", "attributes: Adding server attribute motd (2)",
				"attributes: Changing server prop round(1): type (2)",
				"attributes: Changing server prop motd(2): type (5)"},
			[](CGameEngine& e) {
				EXPECT_EQ(e.getServerAttributes().findById(1)->getUInt(), 7u);
				EXPECT_EQ(e.getServerAttributes().findById(2)->getString(), irr::core::ustring16("hi"));
				EXPECT_EQ(e.getServerAttributes().size(), 2u);
			}},
		{"a type byte above 5 stops the packet and leaves the attribute as it was",
			{P(10).u16(1).text("round"), P(11).u16(1).uintValue(7), P(11).u16(1).u8(9).u16(1).uintValue(8)},
			{"attributes: Adding server attribute round (1)", "attributes: Changing server prop round(1): type (2)",
				"attributes: Refused server prop round(1): type (9); the rest of the packet is ignored."},
			[](CGameEngine& e) {
				EXPECT_EQ(e.getServerAttributes().findById(1)->type, EAT_UINT);
				EXPECT_EQ(e.getServerAttributes().findById(1)->getUInt(), 7u);
			}},
		{"an empty change packet and a lone byte change nothing", {P(10).u16(0).text("zero"), P(11), P(11).u8(0)},
			{"attributes: Adding server attribute zero (0)"},
			[](CGameEngine& e) { EXPECT_EQ(e.getServerAttributes().findById(0)->getUInt(), 0u); }},
		{"type 0 leaves the value and is logged with the type the attribute keeps",
			{P(10).u16(4).text("t"), P(11).u16(4).floatValue(1.5f).u16(4).u8(0)},
			{"attributes: Adding server attribute t (4)", "attributes: Changing server prop t(4): type (3)",
				"attributes: Changing server prop t(4): type (3)"},
			[](CGameEngine& e) { EXPECT_EQ(e.getServerAttributes().findById(4)->getFloat(), 1.5f); }},
		{"an explicit server attribute id another name holds is refused, with one line for every clash",
			{P(10).u16(1).text("round"), P(10).u16(1).text("other"), P(10).u16(1).text("third"),
				P(10).u16(1).text("other")},
			{"attributes: Adding server attribute round (1)",
				"attributes: Attribute other refused: id 1 belongs to round."},
			[](CGameEngine& e) {
				EXPECT_EQ(e.getServerAttributes().size(), 1u);
				EXPECT_EQ(countRefusals("attributes: taken ids"), 3u);
			}},
	};
	for (const SSequenceCase& c : cases)
	{
		SCOPED_TRACE(c.name);
		TearDown();
		SetUp();
		// Each case is a game of its own, which reports each kind of refusal anew.
		forgetRefusals();
		send(c.packets);
		EXPECT_EQ(log.lines, c.lines);
		c.check(engine());
	}
}

TEST_F(WorldPackets, ClientCodeIsReplacedByTheNextLoad)
{
	send(P(6).text("int n = 1; void Update(SceneObject@+ self, uint t) { n++; }"));
	script::CScriptModule* client = engine().getClientModule();
	EXPECT_EQ(global(client, "n"), 1);
	EXPECT_NE(client->getCallbackId(0), AngelScript::asNO_FUNCTION);

	send(P(6).text("int m = 2; void Created(SceneObject@+ self) {}"));
	EXPECT_EQ(global(client, "n"), -1);
	EXPECT_EQ(global(client, "m"), 2);
	EXPECT_EQ(client->getCallbackId(0), AngelScript::asNO_FUNCTION) << "the old Update is no longer called";
	EXPECT_NE(client->getCallbackId(1), AngelScript::asNO_FUNCTION);

	send(P(6).text("this does not build"));
	EXPECT_EQ(client->getCallbackId(1), AngelScript::asNO_FUNCTION);
}

TEST_F(WorldPackets, ClassCodeReachesObjectsAlreadyMade)
{
	send({P(7).text("ball"), P(12).u32(5).u8(0).text("ball"),
		P(9).name("ball").text("int hits = 0; void Update(SceneObject@+ self, uint t) { hits++; }")});
	engine().setGameRunning(true);
	engine().update();
	EXPECT_EQ(global(findClass("ball")->getModule(), "hits"), 2) << "from the queue and once directly";
}

TEST_F(WorldPackets, DeeplyNestedCodeIsRefusedInEveryScriptPacket)
{
	const std::string good = "void Created(SceneObject@+ self) {}";
	const std::string nested = "void Created(SceneObject@+ self) { int x = " + std::string(10000, '(') + "1" +
		std::string(10000, ')') + "; }";
	send({P(7).text("ball"), P(12).u32(5).u8(0).text("ball")});
	struct Case
	{
		const char* name;
		std::function<P(const std::string&)> packet;
		script::CScriptModule* module;
		const char* line;
	} cases[] = {
		{"client", [](const std::string& code) { return P(6).text(code); }, engine().getClientModule(),
			"script: Script of module \"client\" refused: brackets nested deeper than 256"},
		{"class", [](const std::string& code) { return P(9).name("ball").text(code); }, findClass("ball")->getModule(),
			"script: Script of class \"ball\" refused: brackets nested deeper than 256"},
		{"object", [](const std::string& code) { return P(16).u32(5).text(code); }, object(5)->getModule(),
			"script: Script of object \"scene_object_5\" (class \"ball\") refused: brackets nested deeper than 256"},
	};
	CLogReceiver all;
	all.keepScriptLines = true;
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		send(c.packet(good));
		ASSERT_NE(c.module->getCallbackId(1), AngelScript::asNO_FUNCTION);
		engine().getDevice()->setEventReceiver(&all);
		all.lines.clear();
		send(c.packet(nested));
		engine().getDevice()->setEventReceiver(&log);
		EXPECT_EQ(c.module->getCallbackId(1), AngelScript::asNO_FUNCTION) << "the old code is gone, the new refused";
		EXPECT_EQ(std::count(all.lines.begin(), all.lines.end(), c.line), 1) << testing::PrintToString(all.lines);
	}
}

// --- objects ---------------------------------------------------------------------------------

TEST_F(WorldPackets, Objects)
{
	const P addBall = P(7).text("ball");
	const P hp = P(8).name("ball").u16(3).text("hp");
	const SSequenceCase cases[] = {
		{"type 4 creates nothing and logs nothing", {P(12).u32(5).u8(4).text("")}, {},
			[](CGameEngine&) { EXPECT_EQ(object(5), nullptr); }},
		{"an unknown class creates nothing but is logged", {P(12).u32(5).u8(2).text("nope")},
			{"object: Adding type 2 object (5) of class: nope"}, [](CGameEngine&) { EXPECT_EQ(object(5), nullptr); }},
		{"id 0 creates nothing", {P(12).u32(0).u8(1).text("")}, {"object: Adding type 1 object (0) of class: "},
			[](CGameEngine&) { EXPECT_EQ(objects().getSceneObjects().size(), 0u); }},
		{"an empty class name is the blank class; the object is in the scene", {P(12).u32(5).u8(1).text("")},
			{"object: Adding type 1 object (5) of class: "},
			[](CGameEngine&) {
				ASSERT_NE(object(5), nullptr);
				EXPECT_EQ(object(5)->getType(), ESOT_STATIC);
				EXPECT_EQ(object(5)->getObjectClass()->getName(), irr::core::ustring16("blank"));
				EXPECT_TRUE(object(5)->Physics.owner);
			}},
		{"an id that has an object adds nothing the second time",
			{P(12).u32(5).u8(1).text(""), P(12).u32(5).u8(2).text("")},
			{"object: Adding type 1 object (5) of class: ", "object: Adding type 2 object (5) of class: "},
			[](CGameEngine&) {
				EXPECT_EQ(object(5)->getType(), ESOT_STATIC);
				EXPECT_EQ(objects().getSceneObjects().size(), 1u);
			}},
		{"deleting an unknown id logs the failure", {P(13).u32(9)},
			{"object: Deleting object (9) - Failure, invalid ID."}, [](CGameEngine&) {}},
		{"deleting the player's object clears the player", {P(12).u32(5).u8(0).text(""), P(17).u32(5), P(13).u32(5)},
			{"object: Adding type 0 object (5) of class: ", "object: Deleting object (5)"},
			[](CGameEngine& e) {
				EXPECT_EQ(object(5), nullptr);
				EXPECT_EQ(e.getPlayerObject(), nullptr);
			}},
		{"player: id 0 and unknown ids keep the player",
			{P(12).u32(5).u8(0).text(""), P(17).u32(5), P(17).u32(0), P(17).u32(6)},
			{"object: Adding type 0 object (5) of class: "},
			[](CGameEngine& e) { EXPECT_EQ(e.getPlayerObject(), object(5)); }},
		{"class attribute values are applied, logged, and not marked for sending",
			{addBall, hp, P(12).u32(5).u8(0).text("ball"), P(14).u32(5).u16(3).floatValue(2.5f).u16(8).uintValue(1)},
			{"class: Adding class: ball", "attributes: Adding attribute hp (3), to class: ball",
				"object: Adding type 0 object (5) of class: ball",
				"attributes: Changing object (5) attribute hp (3): type (3)"},
			[](CGameEngine&) {
				EXPECT_EQ(object(5)->getClassAttributes().findById(3)->getFloat(), 2.5f);
				EXPECT_TRUE(object(5)->getChangedClassAttributes().empty());
			}},
		{"a class attribute value of type 9 stops the packet",
			{addBall, hp, P(12).u32(5).u8(0).text("ball"), P(14).u32(5).u16(3).u8(9).u16(3).uintValue(4)},
			{"class: Adding class: ball", "attributes: Adding attribute hp (3), to class: ball",
				"object: Adding type 0 object (5) of class: ball",
				"attributes: Refused object (5) attribute hp (3): type (9); the rest of the packet is ignored."},
			[](CGameEngine&) { EXPECT_EQ(object(5)->getClassAttributes().findById(3)->getUInt(), 0u); }},
		{"engine attributes up to an unknown id are applied; a position that marks nothing leaves the body",
			{P(12).u32(5).u8(0).text(""),
				P(15).u32(5).u8(EP_X).floatValue(160.0f).u8(EP_IMAGE).stringValue("a.png").u8(99).floatValue(1.0f)},
			{"object: Adding type 0 object (5) of class: "},
			[](CGameEngine&) {
				EXPECT_EQ(object(5)->getEngineAttribute(EP_X)->getFloat(), 160.0f);
				EXPECT_EQ(object(5)->getEngineAttribute(EP_IMAGE)->getString(), irr::core::ustring16("a.png"));
				EXPECT_EQ(object(5)->Physics.getLiveBody()->GetPosition().x, 0.0f);
			}},
		{"an engine attribute value of type 9 stops the packet",
			{P(12).u32(5).u8(0).text(""), P(15).u32(5).u8(EP_Y).u8(9).u8(EP_X).floatValue(3.0f)},
			{"object: Adding type 0 object (5) of class: ",
				"attributes: Refused object (5) engine attribute EP_Y (3): type (9); the rest of the packet is ignored."},
			[](CGameEngine&) { EXPECT_EQ(object(5)->getEngineAttribute(EP_X)->getFloat(), 0.0f); }},
		{"packets for objects that do not exist do nothing",
			{P(14).u32(5).u16(3).uintValue(1), P(15).u32(0).u8(EP_X).floatValue(1.0f), P(16).u32(5).text("x"),
				P(18).u32(5).u8(0).f32(1.0f)},
			{}, [](CGameEngine&) { EXPECT_EQ(objects().getSceneObjects().size(), 0u); }},
	};
	for (const SSequenceCase& c : cases)
	{
		SCOPED_TRACE(c.name);
		TearDown();
		SetUp();
		// Each case is a game of its own, which reports each kind of refusal anew.
		forgetRefusals();
		send(c.packets);
		EXPECT_EQ(log.lines, c.lines);
		c.check(engine());
	}
}

TEST_F(WorldPackets, ObjectCodeRunsCreatedOnce)
{
	send(P(12).u32(5).u8(0).text(""));
	send(P(16).u32(5).text(""));
	EXPECT_EQ(global(object(5)->getModule(), "created"), -1) << "empty code loads nothing";

	send(P(16).u32(5).text("int created = 0; void Created(SceneObject@+ self) { created++; }"));
	EXPECT_EQ(global(object(5)->getModule(), "created"), 1);
}

// --- collision shapes -----------------------------------------------------------------------

struct SShapeCase
{
	const char* name;
	P shape; // kind and fields behind the object id
	int fixtures;
	b2Shape::Type type;
	int vertices; // polygons
	float extent; // circle radius, or the largest |x| of a polygon
	bool refusedLog;
};

//! Bytes behind the object id.
P fields()
{
	P p(0);
	p.bytes.clear();
	return p;
}
P shape(irr::u8 kind)
{
	return fields().u8(kind);
}

TEST_F(WorldPackets, CollisionShapes)
{
	const SShapeCase cases[] = {
		{"circle", shape(0).f32(2.0f), 1, b2Shape::e_circle, 0, 2.0f, false},
		{"circle without its radius has radius 0", shape(0), 1, b2Shape::e_circle, 0, 0.0f, false},
		{"no kind byte is a circle", fields(), 1, b2Shape::e_circle, 0, 0.0f, false},
		{"negative radius refused", shape(0).f32(-1.0f), 0, b2Shape::e_circle, 0, 0.0f, true},
		{"NaN radius refused", shape(0).f32(NaN), 0, b2Shape::e_circle, 0, 0.0f, true},
		{"box of half-extents 1 by 2", shape(1).f32(1.0f).f32(2.0f), 1, b2Shape::e_polygon, 4, 1.0f, false},
		{"box with infinite half-height refused", shape(1).f32(1.0f).f32(INFINITY), 0, b2Shape::e_polygon, 0, 0, true},
		{"triangle", shape(2).f32(0).f32(0).f32(2).f32(0).f32(0).f32(2), 1, b2Shape::e_polygon, 3, 2.0f, false},
		{"one point gives the box of half-extents 1", shape(2).f32(3).f32(3), 1, b2Shape::e_polygon, 4, 1.0f, false},
		{"a lone final x is the point (x, 0)", shape(2).f32(0).f32(0).f32(3).f32(3).f32(3), 1, b2Shape::e_polygon, 3,
			3.0f, false},
		{"collinear points give the box", shape(2).f32(0).f32(0).f32(1).f32(1).f32(2).f32(2), 1, b2Shape::e_polygon, 4,
			1.0f, false},
		{"nine points: the hull of the first eight",
			[] {
				P p = shape(2);
				for (int i = 0; i < 9; ++i)
					p.f32(4.0f * std::cos(i * 0.6981f)).f32(4.0f * std::sin(i * 0.6981f));
				return p;
			}(),
			1, b2Shape::e_polygon, 8, 4.0f, false},
		{"a NaN point refuses the polygon", shape(2).f32(0).f32(0).f32(NaN).f32(0).f32(0).f32(2), 0, b2Shape::e_polygon,
			0, 0, true},
		{"no point, no shape", shape(2), 0, b2Shape::e_polygon, 0, 0, false},
		{"bytes short of a coordinate end the list", shape(2).u8(1).u8(2), 0, b2Shape::e_polygon, 0, 0, false},
		{"kind 3 is ignored", shape(3).f32(1.0f), 0, b2Shape::e_circle, 0, 0, false},
	};
	for (const SShapeCase& c : cases)
	{
		SCOPED_TRACE(c.name);
		TearDown();
		SetUp();
		forgetRefusals();
		send(P(12).u32(5).u8(0).text(""));
		log.lines.clear();
		P packet(18);
		packet.u32(5).bytes.insert(packet.bytes.end(), c.shape.bytes.begin(), c.shape.bytes.end());
		send(packet);

		const std::vector<b2Fixture*> all = fixtures(5);
		ASSERT_EQ(all.size(), static_cast<size_t>(c.fixtures));
		EXPECT_EQ(!log.lines.empty(), c.refusedLog) << (log.lines.empty() ? "" : log.lines[0]);
		if (all.empty())
			continue;
		const b2Fixture* f = all[0];
		EXPECT_EQ(f->GetDensity(), 0.0f);
		EXPECT_FLOAT_EQ(f->GetFriction(), 0.2f);
		EXPECT_EQ(f->GetRestitution(), 0.0f);
		EXPECT_FALSE(f->IsSensor());
		EXPECT_EQ(f->GetFilterData().categoryBits, 1);
		ASSERT_EQ(f->GetType(), c.type);
		if (c.type == b2Shape::e_circle)
		{
			EXPECT_EQ(f->GetShape()->m_radius, c.extent);
			continue;
		}
		const b2PolygonShape* polygon = static_cast<const b2PolygonShape*>(f->GetShape());
		EXPECT_EQ(polygon->m_count, c.vertices);
		EXPECT_FLOAT_EQ(polygon->m_radius, b2_polygonRadius);
		float largest = 0.0f;
		for (int i = 0; i < polygon->m_count; ++i)
			largest = std::max(largest, std::fabs(polygon->m_vertices[i].x));
		EXPECT_NEAR(largest, c.extent, 1e-4f);
	}
}

TEST_F(WorldPackets, HostileEngineValuesNeverReachTheBody)
{
	send(P(12).u32(5).u8(0).text(""));
	send(P(18).u32(5).u8(1).f32(1.0f).f32(1.0f));
	send(P(15).u32(5).u8(EP_X).floatValue(NaN).u8(EP_Y).floatValue(INFINITY).u8(EP_SCALE_X).floatValue(0.0f));
	CSceneObject* o = object(5);
	o->markEngineAttributeChanged(EP_X);
	o->markEngineAttributeChanged(EP_Y);
	engine().setGameRunning(true);
	for (int i = 0; i < 3; ++i)
		engine().update();
	const b2Vec2 p = o->Physics.getLiveBody()->GetPosition();
	EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
}

} // namespace
