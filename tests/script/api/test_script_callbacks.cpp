#include <angelscript.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/packet.h"
#include "script/CScriptManager.h"
#include "script/CScriptModule.h"
#include "script/SScriptBinding.h"
#include "script/ScriptCallbacks.h"
#include "support/script_world.h"
#include "world/CObjectClass.h"
#include "world/CObjectManager.h"
#include "world/CSceneObject.h"

namespace {

using namespace orv;
using AngelScript::asIScriptModule;
using orv::test::CScriptWorld;

typedef std::vector<irr::u8> Bytes;

net::packet toPacket(const Bytes& bytes)
{
	return net::packet::fromBytes(bytes.data(), bytes.data() + bytes.size());
}

// Every callback appends its name and arguments to `log`; objects by their
// "name" attribute, floats in thousandths.
const char* RECORDER = R"AS(
string trace;
string n(SceneObject@ o) { if (o is null) return "null"; return o.get_attribute_string("name"); }
string f(float x) { return "" + int(x * 1000); }
string v(vector2df p) { return f(p.X) + "/" + f(p.Y); }
void Update(SceneObject@+ self, uint timeMS) { trace += "Update " + n(self) + " " + timeMS + ";"; }
void Created(SceneObject@+ self) { trace += "Created " + n(self) + ";"; }
void OnBeginContact(SceneObject@+ self, SceneObject@+ other) { trace += "Begin " + n(self) + " " + n(other) + ";"; }
void OnEndContact(SceneObject@+ self, SceneObject@+ other) { trace += "End " + n(self) + " " + n(other) + ";"; }
bool OnSolveContact(SceneObject@+ self, SceneObject@+ other, vector2df normal, vector2df self_point, vector2df other_point)
{
	trace += "Solve " + n(self) + " " + n(other) + " " + v(normal) + " " + v(self_point) + " " + v(other_point) + ";";
	return other !is null;
}
void OnPlayerEntersLevel(SceneObject@+ self, SceneObject@+ other) { trace += "Enters " + n(self) + " " + n(other) + ";"; }
void OnKeyPress(SceneObject@+ self, EKEY_CODE key) { trace += "Key " + n(self) + " " + int(key) + ";"; }
void OnMouseMove(SceneObject@+ self, int x, int y) { trace += "Move " + n(self) + " " + x + " " + y + ";"; }
void OnMouseDown(SceneObject@+ self, int x, int y, int button) { trace += "Down " + n(self) + " " + x + " " + y + " " + button + ";"; }
void OnMouseUp(SceneObject@+ self, int x, int y, int button) { trace += "Up " + n(self) + " " + x + " " + y + " " + button + ";"; }
void OnMouseWheel(SceneObject@+ self, int x, int y, float delta) { trace += "Wheel " + n(self) + " " + x + " " + y + " " + f(delta) + ";"; }
void OnEvent(SceneObject@+ self, SceneObject@+ sender, string event, string data, vector2df origin, float range)
{
	trace += "Event " + n(self) + " " + n(sender) + " " + event + " " + data + " " + v(origin) + " " + f(range) + ";";
}
)AS";

class ScriptCallbacks : public ::testing::Test
{
protected:
	void SetUp() override
	{
		self = world.makeObject(1, 0, "a");
		world.makeObject(2, 0, "b");
		world.load(self->getModule(), RECORDER);
	}

	std::string takeLog()
	{
		std::string log = world.globalString(self->getModule(), "trace");
		world.load(self->getModule(), RECORDER); // a fresh, empty log
		return log;
	}

	CScriptWorld world;
	CSceneObject* self = nullptr;
};

TEST_F(ScriptCallbacks, TableDeclaresTwelveInOrder)
{
	const script::CScriptManager& scripts = world.scripts();
	ASSERT_EQ(scripts.callbackCount(), 12u);
	EXPECT_STREQ(scripts.findCallback(0)->Declaration.c_str(), "void Update(SceneObject@+ self, uint timeMS)");
	EXPECT_STREQ(scripts.findCallback(6)->Declaration.c_str(), "void OnKeyPress(SceneObject@+ self, EKEY_CODE key)");
	for (irr::u32 id = 0; id < 12; ++id)
		EXPECT_GE(self->getModule()->getCallbackId(id), 0) << "callback " << id << " did not resolve";
}

TEST_F(ScriptCallbacks, DecodersPassTheirArguments)
{
	struct Case
	{
		irr::u32 id;
		Bytes packet;
		std::string expected;
	};
	const Case cases[] = {
		{0, {}, "Update a 0;"}, // no engine: no time has passed
		{0, {1, 2, 3, 4}, "Update a 0;"},
		{1, {}, "Created a;"},
		{2, {0, 0, 0, 2}, "Begin a b;"},
		{3, {0, 0, 0, 0}, "End a null;"},
		{5, {0, 0, 0, 99}, "Enters a null;"},
		{2, {0, 0, 2}, "Begin a null;"},
		{4,
			{0, 0, 0, 2, 0x3F, 0xC0, 0, 0, 0xBF, 0x80, 0, 0, 0x3E, 0x80, 0, 0, 0x40, 0, 0, 0, 0x40, 0, 0, 0, 0x3E, 0x80,
				0, 0},
			"Solve a b 1500/-1000 250/2000 2000/250;"},
		{4, {0, 0, 0, 2, 0x3F, 0xC0, 0, 0}, "Solve a b 1500/0 0/0 0/0;"},
		{6, {65}, "Key a 65;"},
		{6, {200}, "Key a 200;"},
		{6, {}, "Key a 0;"},
		{7, {0, 0, 0, 10, 0, 0, 1, 0}, "Move a 10 256;"},
		{7, {0xFF, 0xFF, 0xFF, 0xFF, 0, 0}, "Move a -1 0;"},
		{8, {0, 0, 0, 1, 0, 0, 0, 2, 1}, "Down a 1 2 1;"},
		{8, {0, 0, 0, 1, 0, 0, 0, 2}, "Down a 1 2 0;"},
		{9, {0, 0, 0, 3, 0, 0, 0, 4, 2}, "Up a 3 4 2;"},
		{10, {0, 0, 0, 1, 0, 0, 0, 2, 0xBF, 0x80, 0, 0}, "Wheel a 1 2 -1000;"},
		{10, {0, 0, 0, 1, 0, 0, 0, 2, 0x3E, 0x80}, "Wheel a 1 2 0;"},
		{11, {0, 0, 0, 2, 0x3F, 0xC0, 0, 0, 0x40, 0, 0, 0, 0x3E, 0x80, 0, 0, 1, 3, 'h', 'i', 't', 1, 3, 'x', '=', '1'},
			"Event a b hit x=1 1500/2000 250;"},
		{11, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 'g', 'o', 1, 0}, "Event a null go  0/0 0;"},
		{11, {0, 0, 0, 2}, "Event a b   0/0 0;"},
	};
	const size_t objects = CObjectManager::getInstance()->getSceneObjects().size();
	for (const Case& c : cases)
	{
		self->getBinding()->callCallback(c.id, toPacket(c.packet), self);
		EXPECT_EQ(takeLog(), c.expected) << "callback " << c.id;
	}
	EXPECT_EQ(CObjectManager::getInstance()->getSceneObjects().size(), objects) << "a lookup added an entry";
	EXPECT_TRUE(world.errors().empty());
}

TEST_F(ScriptCallbacks, SolveContactAnswers)
{
	net::packet withOther = net::packet::fromU32(2);
	net::packet withoutOther = net::packet::fromU32(0);
	EXPECT_TRUE(self->getBinding()->callOnSolveContact(withOther, self));
	EXPECT_FALSE(self->getBinding()->callOnSolveContact(withoutOther, self));

	script::SScriptBinding unbound;
	EXPECT_FALSE(unbound.callOnSolveContact(withOther, self));

	// Code without OnSolveContact answers false and runs nothing.
	world.load(self->getModule(), "void Update(SceneObject@+ self, uint timeMS) {}");
	EXPECT_FALSE(self->getBinding()->callOnSolveContact(withOther, self));
	EXPECT_EQ(self->getModule()->getCallbackId(4), -6);
	EXPECT_GE(self->getModule()->getCallbackId(0), 0);
}

TEST_F(ScriptCallbacks, NullSelfReachesTheScript)
{
	self->getBinding()->callCallback(1, net::packet(), nullptr);
	EXPECT_EQ(takeLog(), "Created null;");
}

TEST_F(ScriptCallbacks, EventToItselfRunsNested)
{
	world.load(self->getModule(), R"AS(
string trace;
void OnEvent(SceneObject@+ self, SceneObject@+ sender, string event, string data, vector2df origin, float range)
{
	trace += event + "(";
	if (event == "outer")
		sendToSelf(self, "inner");
	trace += ")";
}
)AS");
	net::packet arguments = net::packet::fromU32(1);
	arguments.append(net::packet::fromFloat(0)).append(net::packet::fromFloat(0)).append(net::packet::fromFloat(0));
	arguments.append(net::packet::fromString("outer")).append(net::packet::fromString(""));
	self->getBinding()->callCallback(11, std::move(arguments), self);
	EXPECT_EQ(world.globalString(self->getModule(), "trace"), "outer(inner())");
	EXPECT_TRUE(world.errors().empty());
}

TEST_F(ScriptCallbacks, EndlessSelfEventsStopAtADepth)
{
	world.load(self->getModule(), R"AS(
int depth = 0;
int deepest = 0;
void OnEvent(SceneObject@+ self, SceneObject@+ sender, string event, string data, vector2df origin, float range)
{
	++depth;
	if (depth > deepest)
		deepest = depth;
	sendToSelf(self, "again");
	--depth;
}
)AS");
	self->getBinding()->callCallback(11, net::packet::fromU32(1), self);
	asIScriptModule* module = self->getModule()->getEngineModule();
	const int deepest = *static_cast<int*>(module->GetAddressOfGlobalVar(module->GetGlobalVarIndexByName("deepest")));
	EXPECT_GT(deepest, 1);
	EXPECT_LE(deepest, 64);
	EXPECT_EQ(self->getReferenceCount(), 1);
}

TEST_F(ScriptCallbacks, OneQueueServesEveryBinding)
{
	script::CScriptModule* client = world.scripts().getModule("client");
	script::SScriptBinding clientBinding;
	clientBinding.setModule(client);
	CObjectClass* blank = CObjectManager::getInstance()->findObjectClass("blank");
	world.load(client, RECORDER);
	world.load(blank->getModule(), RECORDER);

	ScriptEventQueue queue;
	queue.push_back({6, toPacket({65})});
	queue.push_back({8, toPacket({0, 0, 0, 1, 0, 0, 0, 2, 1})});
	queue.push_back({10, toPacket({0, 0, 0, 1, 0, 0, 0, 2, 0xBF, 0x80, 0, 0})});
	queue.push_back({0, net::packet()});
	const ScriptEventQueue original = queue;

	clientBinding.runQueuedEvents(queue, self);
	blank->getBinding()->runQueuedEvents(queue, self);
	self->getBinding()->runQueuedEvents(queue, self);

	const std::string expected = "Key a 65;Down a 1 2 1;Wheel a 1 2 -1000;Update a 0;";
	EXPECT_EQ(world.globalString(client, "trace"), expected);
	EXPECT_EQ(world.globalString(blank->getModule(), "trace"), expected);
	EXPECT_EQ(world.globalString(self->getModule(), "trace"), expected);
	ASSERT_EQ(queue.size(), original.size());
	for (size_t i = 0; i < queue.size(); ++i)
	{
		EXPECT_EQ(queue[i].callbackId, original[i].callbackId);
		EXPECT_EQ(queue[i].arguments, original[i].arguments);
	}
}

TEST_F(ScriptCallbacks, HandlesKeepCountsBalanced)
{
	world.load(self->getModule(), R"AS(
void OnBeginContact(SceneObject@+ self, SceneObject@+ other)
{
	int before = refs(other);
	{
		SceneObject@ held = other;
		check(refs(other) == before + 1, "a held handle counts");
	}
	check(refs(other) == before, "a handle let go no longer counts");
	SceneObject@ looked = Objects.get_scene_object(2);
	check(looked is other, "the lookup finds the same object");
	check(refs(other) == before + 1, "a looked-up handle counts");
	check(Objects.get_scene_object(999) is null, "an unknown id gives null");
	check(Objects.get_scene_object(0) is null, "id 0 gives null");
}
)AS");
	CSceneObject* other = CObjectManager::getInstance()->getSceneObject(2);
	const size_t objects = CObjectManager::getInstance()->getSceneObjects().size();
	for (int i = 0; i < 50; ++i)
		self->getBinding()->callCallback(2, net::packet::fromU32(2), self);
	EXPECT_EQ(world.failedChecks(), std::vector<std::string>());
	EXPECT_EQ(self->getReferenceCount(), 1);
	EXPECT_EQ(other->getReferenceCount(), 1);
	EXPECT_EQ(CObjectManager::getInstance()->getSceneObjects().size(), objects);
}

TEST_F(ScriptCallbacks, ScriptExceptionEndsOnlyThatCall)
{
	world.load(self->getModule(), R"AS(
string trace;
void OnKeyPress(SceneObject@+ self, EKEY_CODE key)
{
	SceneObject@ kept = self;
	if (key == 1) { SceneObject@ none; none.get_type(); }
	trace += "" + int(key);
}
)AS");
	self->getBinding()->callCallback(6, net::packet::fromU8(1), self);
	EXPECT_EQ(self->getReferenceCount(), 1) << "the failed call still holds a handle";
	self->getBinding()->callCallback(6, net::packet::fromU8(2), self);
	EXPECT_EQ(world.globalString(self->getModule(), "trace"), "2");
}

TEST(ScriptModules, LoadAndResolve)
{
	CScriptWorld world;
	script::CScriptManager& scripts = world.scripts();
	script::CScriptModule* module = scripts.getModule("m");
	EXPECT_EQ(scripts.getModule("m"), module);

	world.load(module, "void Created(SceneObject@+ self) {}");
	EXPECT_GE(module->getCallbackId(1), 0);
	world.load(module, "void Update(SceneObject@+ self, uint timeMS) {}");
	EXPECT_EQ(module->getCallbackId(1), -6) << "the first code is gone";
	EXPECT_GE(module->getCallbackId(0), 0);
	EXPECT_EQ(module->getCallbackId(12), -6);

	// A new entry reaches modules only when they resolve again.
	scripts.addCallback(12, nullptr, false, "void Extra()");
	EXPECT_EQ(module->getCallbackIds().size(), 12u);
	scripts.addCallback(12, nullptr, true, "void Update(SceneObject@+ self, uint timeMS)");
	EXPECT_EQ(module->getCallbackIds().size(), 13u);
	EXPECT_EQ(module->getCallbackId(12), module->getCallbackId(0));
}

TEST(ScriptModules, NamesOfOtherKindsDoNotCollide)
{
	CScriptWorld world;
	CSceneObject* object = world.makeObject(5, 0, "five");
	script::CScriptModule* client = world.scripts().getModule("client");
	world.load(client, "void Created(SceneObject@+ self) {}");
	world.load(object->getModule(), "void Created(SceneObject@+ self) {}");

	// Classes named like the others' modules.
	CObjectManager::getInstance()->getObjectClass(&world.scripts(), "client");
	CObjectManager::getInstance()->getObjectClass(&world.scripts(), "scene_object_5");
	EXPECT_EQ(object->getModule()->getName(), irr::core::stringc("scene_object_5"));
	EXPECT_NE(client->getEngineModule()->GetFunctionCount(), 0u);
	EXPECT_NE(object->getModule()->getEngineModule()->GetFunctionCount(), 0u);
}

TEST(ScriptModules, ReleaseScriptsLetsObjectsGo)
{
	CScriptWorld world;
	CSceneObject* object = world.makeObject(1, 0, "a");
	script::CScriptModule* client = world.scripts().getModule("client");
	world.load(client, "SceneObject@ kept = Objects.get_scene_object(1);");
	EXPECT_EQ(object->getReferenceCount(), 2);
	world.scripts().releaseScripts();
	EXPECT_EQ(object->getReferenceCount(), 1);
	EXPECT_EQ(client->getEngineModule(), nullptr);
}

} // namespace
