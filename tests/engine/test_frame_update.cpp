// The game part of the frame update on the real engine: scripts in their order, the physics step,
// the write-back of moved bodies and what becomes of changed attributes.

#include "frontend/CLoginEventReceiver.h"
#include "net/CNetParse.h"
#include "world/CObjectClass.h"
#include "script/CScriptManager.h"
#include "script/CScriptModule.h"
#include "script/ScriptBudget.h"
#include "support/CLogLines.h"
#include "support/engine_fixture.h"
#include "support/login_screen.h"
#include "world/CObjectManager.h"
#include "world/CPhysicsManager.h"
#include "world/CSceneObject.h"
#include "world/EngineAttributes.h"

#include <ITimer.h>
#include <angelscript.h>
#include <box2d/box2d.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

using namespace orv;

namespace {

class FrameUpdate : public test::EngineTest
{
protected:
	static CObjectManager& objects() { return *CObjectManager::getInstance(); }

	CSceneObject* make(irr::u32 id, const char* className = "")
	{
		return engine().createSceneObject(id, ESOT_DEFAULT, className);
	}

	//! A frame that is 100 ms after the last one: the physics manager steps its limit of 5.
	void frame()
	{
		engine().setLastFrameTime(engine().getDevice()->getTimer()->getTime() - 100);
		ASSERT_TRUE(engine().update());
	}

	static std::string text(CSceneObject* object, const char* name)
	{
		const SAttribute* a = object->getClassAttributes().findByName(name);
		return a ? a->getString().toUTF8_std() : "";
	}
};

TEST_F(FrameUpdate, WorldStandsStillWhileNoGameRuns)
{
	CSceneObject* ball = make(5);
	ball->Physics.setType(EBT_DYNAMIC);
	CPhysicsManager::getInstance()->setGravity({0.0f, 10.0f});
	SScriptEvent key;
	key.callbackId = script::ESC_KEY_PRESS;
	engine().queueEvent(key);
	const irr::u32 last = engine().getLastFrameTime();

	engine().setGameRunning(false);
	ASSERT_TRUE(engine().update());
	EXPECT_EQ(engine().getEventQueue().size(), 1u) << "input waits for the game";
	EXPECT_EQ(ball->Physics.getLiveBody()->GetPosition().y, 0.0f);
	EXPECT_EQ(engine().getLastFrameTime(), last);
}

TEST_F(FrameUpdate, FallingBodyIsWrittenBackAndOfflineChangesAreForgotten)
{
	CSceneObject* ball = make(5);
	CSceneObject* loose = make(6);
	loose->Physics.owner = false;
	for (CSceneObject* o : {ball, loose})
	{
		o->Physics.setType(EBT_DYNAMIC);
		o->Physics.addCollisionCircle(1.0f, {0.0f, 0.0f});
	}
	CPhysicsManager::getInstance()->setGravity({0.0f, 10.0f});
	loose->markEngineAttributeChanged(EP_IMAGE);
	engine().setGameRunning(true);

	float lastY = 0.0f;
	for (int i = 0; i < 3; ++i)
	{
		frame();
		const float y = ball->getEngineAttribute(EP_Y)->getFloat();
		EXPECT_GT(y, lastY) << "frame " << i;
		EXPECT_FLOAT_EQ(y, ball->Physics.getLiveBody()->GetPosition().y * 16.0f);
		lastY = y;
		EXPECT_TRUE(ball->getChangedEngineAttributes().empty()) << "forgotten offline";
		EXPECT_TRUE(engine().getSendQueue().getFrames().empty());
	}
	EXPECT_GT(loose->Physics.getLiveBody()->GetPosition().y, 0.0f) << "its body falls all the same";
	EXPECT_EQ(loose->getEngineAttribute(EP_Y)->getFloat(), 0.0f) << "but is never written back";
	EXPECT_EQ(loose->getChangedEngineAttributes(), (orv::AttributeIdSet<irr::s32>{EP_IMAGE}));
}

TEST_F(FrameUpdate, ScriptsRunInTheirOrder)
{
	// Every module writes into one attribute of object 1, which all of them can reach.
	const char* recorder = "void note(const string &in what) { SceneObject@ r = Objects.get_scene_object(1);"
						   " r.set_attribute(\"log\", r.get_attribute_string(\"log\") + what + \" \"); }\n";
	engine().getClientModule()->load(irr::core::ustring16((std::string(recorder) +
										 "void Update(SceneObject@+ self, uint t) { note(\"client\"); }\n"
										 "void OnKeyPress(SceneObject@+ self, EKEY_CODE k) { note(\"key\"); }")
															  .c_str()),
		"main");
	CObjectClass* rec = objects().getObjectClass(engine().getScriptManager(), "rec");
	rec->getAttributes().setString("log", -1, "");
	rec->getModule()->load(
		irr::core::ustring16((std::string(recorder) +
			"void Update(SceneObject@+ self, uint t) { note(\"c\" + self.get_attribute_string(\"n\")); }")
								 .c_str()),
		"main");
	rec->getAttributes().setString("n", -1, "");
	for (irr::u32 id : {3u, 1u, 2u})
	{
		CSceneObject* o = make(id, "rec");
		ASSERT_NE(o, nullptr);
		o->getClassAttributes().findByName("n")->setString(irr::core::ustring16(std::to_string(id).c_str()));
		o->getModule()->load(
			irr::core::ustring16((std::string(recorder) +
				"void Update(SceneObject@+ self, uint t) { note(\"o\" + self.get_attribute_string(\"n\")); }")
									 .c_str()),
			"main");
	}
	SScriptEvent key;
	key.callbackId = script::ESC_KEY_PRESS;
	key.arguments = net::packet::fromU8(65);
	engine().queueEvent(key);
	engine().setGameRunning(true);
	frame();
	EXPECT_EQ(text(objects().getSceneObject(1), "log"), "key client c1 o1 c1 o1 c2 o2 c2 o2 c3 o3 c3 o3 ");
	EXPECT_TRUE(engine().getEventQueue().empty());
}

TEST_F(FrameUpdate, AStuckUpdateEndsWithinItsBudgetAndTheGameGoesOn)
{
	test::CLogLines log;
	engine().getDevice()->getLogger()->setLogLevel(irr::ELL_ERROR);
	engine().getDevice()->setEventReceiver(&log);
	// The run's budget alone: the frame's, which would end the frame's
	// other callbacks too, cannot come first.
	engine().getScriptManager()->setBudgets(1000, 600000);
	engine().getClientModule()->load("int updates = 0; void Update(SceneObject@+ self, uint t) { updates++; }", "main");
	CSceneObject* stuck = make(5);
	stuck->getModule()->load(
		"int updates = 0;\nvoid Update(SceneObject@+ self, uint t) { if (updates++ == 0) while (true) {} }", "main");
	engine().setGameRunning(true);
	frame();
	frame();
	engine().getDevice()->setEventReceiver(nullptr);
	engine().getScriptManager()->setBudgets(script::SCRIPT_RUN_BUDGET_MS, script::SCRIPT_FRAME_BUDGET_MS);

	const auto updates = [](script::CScriptModule* module) {
		AngelScript::asIScriptModule* m = module->getEngineModule();
		return *static_cast<int*>(m->GetAddressOfGlobalVar(m->GetGlobalVarIndexByName("updates")));
	};
	EXPECT_EQ(updates(engine().getClientModule()), 2);
	EXPECT_EQ(updates(stuck->getModule()), 4);
	ASSERT_EQ(log.lines.size(), 1u) << testing::PrintToString(log.lines);
	EXPECT_EQ(
		log.lines[0].find("script: Script of object \"scene_object_5\" (class \"blank\") stopped at main (r 2, c "), 0u)
		<< log.lines[0];
	EXPECT_NE(log.lines[0].find("out of time after 1000 ms"), std::string::npos) << log.lines[0];
}

TEST_F(FrameUpdate, TheFirstFrameOfAGameSimulatesOnlyTheTimeSinceItBegan)
{
	struct Case
	{
		const char* name;
		std::function<void(CGameEngine&)> begin;
	} cases[] = {
		{"the 2D switch",
			[](CGameEngine& e) {
				const irr::u8 bytes[] = {0, 5, '2', 'D'};
				net::packet mode = net::packet::fromBytes(bytes, bytes + sizeof(bytes));
				e.getParsers().dispatch(mode);
				// No server behind it: the frames run offline.
				e.setOnline(false);
			}},
		{"offline play", [](CGameEngine& e) { e.setGameRunning(true); }},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		sandbox.reset();
		sandbox.reset(new test::CEngineSandbox());
		ASSERT_TRUE(sandbox->started());
		irr::ITimer* timer = engine().getDevice()->getTimer();
		timer->stop();
		engine().getClientModule()->load(
			"uint first = 0; void Update(SceneObject@+ self, uint t) { if (first == 0) first = t; }", "main");
		// 700 ms on the login screen.
		timer->setTime(engine().getLastFrameTime() + 700);
		ASSERT_TRUE(engine().update());
		c.begin(engine());
		ASSERT_TRUE(engine().isGameRunning());
		timer->setTime(timer->getTime() + 20);
		ASSERT_TRUE(engine().update());

		AngelScript::asIScriptModule* m = engine().getClientModule()->getEngineModule();
		EXPECT_EQ(*static_cast<irr::u32*>(m->GetAddressOfGlobalVar(m->GetGlobalVarIndexByName("first"))), 20u);
		EXPECT_NEAR(CPhysicsManager::getInstance()->getAccumulator(), 0.020f - CPhysicsManager::STEP_SECONDS, 1e-4f)
			<< "one step, not five";
	}
}

// A stretch of work that takes the real time given, however fast the
// machine: what a large level or a slow disk costs a player.
irr::u32 stalledUntil = 0;

void stall(irr::u32 ms)
{
	irr::ITimer* timer = CGameEngine::peekInstance()->getDevice()->getTimer();
	const irr::u32 start = timer->getRealTime();
	while (timer->getRealTime() - start < ms)
		std::this_thread::sleep_for(std::chrono::milliseconds(1));
	stalledUntil = timer->getRealTime();
}

// A level whose one object takes 200 ms to be made.
const char* const SLOW_LEVEL = "<orvlevel version=\"1\"><sceneobjects><object><script><![CDATA["
							   "void Created(SceneObject@+ self) { stall(200); }"
							   "]]></script></object></sceneobjects></orvlevel>";

TEST_F(FrameUpdate, NoTimeSpentLoadingIsSimulated)
{
	struct Case
	{
		const char* name;
		std::function<void(CGameEngine&)> load;
	};
	// The engine's own clock is not asked how long the load took: the real
	// time after it bounds what the frames may simulate.
	const Case cases[] = {
		{"a level a script loads",
			[](CGameEngine& e) {
				e.getClientModule()->load("bool loaded = false;\n"
										  "void Update(SceneObject@+ self, uint t) {"
										  " if (!loaded) { loaded = true; Engine.load_level(\"slow.xml\"); } }",
					"main");
				e.setGameRunning(true);
				ASSERT_TRUE(e.update());
			}},
		{"offline play of a package slow to start",
			[](CGameEngine& e) {
				const SLoginScreen& s = e.getLoginReceiver()->getScreen();
				ASSERT_EQ(s.PackageList->getItemCount(), 1u);
				test::selectIn(e.getDevice(), s.PackageList, 0);
				test::clickOn(e.getDevice(), s.PlayButton);
				ASSERT_TRUE(e.isGameRunning());
			}},
		{"the 2D switch after a slow stretch of its frame",
			[](CGameEngine& e) {
				ASSERT_TRUE(e.update());
				stall(200);
				const irr::u8 bytes[] = {0, 5, '2', 'D'};
				net::packet mode = net::packet::fromBytes(bytes, bytes + sizeof(bytes));
				e.getParsers().dispatch(mode);
				// No server behind it: the frames run offline.
				e.setOnline(false);
				ASSERT_TRUE(e.isGameRunning());
			}},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		sandbox.reset();
		sandbox.reset(new test::CEngineSandbox({{"slow.xml", SLOW_LEVEL},
			{"package/Slow/package.xml",
				"<orvpackage version=\"1\"><package name=\"Slow\" version=\"1\">"
				"<clientscript file=\"client.as\"/></package></orvpackage>"},
			{"package/Slow/client.as", "void Created(SceneObject@+ self) { stall(200); }"}}));
		ASSERT_TRUE(sandbox->started());
		AngelScript::asIScriptEngine* scripts = engine().getScriptManager()->getEngine();
		ASSERT_GE(scripts->RegisterGlobalFunction(
					  "void stall(uint ms)", AngelScript::asFUNCTION(stall), AngelScript::asCALL_CDECL),
			0);
		// The stall is no script that runs away.
		engine().getScriptManager()->setBudgets(600000, 600000);
		stalledUntil = 0;
		c.load(engine());
		ASSERT_NE(stalledUntil, 0u) << "nothing was slow";

		// One physics unit a step, from the first frame after the load.
		CSceneObject* mover = make(90);
		mover->Physics.setType(EBT_DYNAMIC);
		mover->Physics.addCollisionCircle(0.5f, {0.0f, 0.0f});
		mover->Physics.getLiveBody()->SetLinearVelocity(b2Vec2(1.0f / CPhysicsManager::STEP_SECONDS, 0.0f));
		for (int i = 0; i < 10; ++i)
			ASSERT_TRUE(engine().update());
		const irr::u32 realSince = engine().getDevice()->getTimer()->getRealTime() - stalledUntil;
		const float steps = mover->Physics.getLiveBody()->GetPosition().x;
		EXPECT_LE(steps * CPhysicsManager::STEP_SECONDS * 1000.0f, realSince + 1.0f)
			<< steps << " steps in " << realSince << " ms since the load";
	}
}

TEST_F(FrameUpdate, ObjectsMadeDuringTheLoopWaitForTheNextFrame)
{
	CObjectClass* counted = objects().getObjectClass(engine().getScriptManager(), "counted");
	counted->getModule()->load("int visits = 0; void Update(SceneObject@+ self, uint t) { visits++; }", "main");
	CObjectClass* spawner = objects().getObjectClass(engine().getScriptManager(), "spawner");
	spawner->getModule()->load(
		"void Update(SceneObject@+ self, uint t) { Engine.create_sceneobject(\"counted\", ESOT_DEFAULT); }", "main");
	make(1, "spawner");
	engine().setGameRunning(true);

	const int expected[] = {0, 4, 12};
	for (int visits : expected)
	{
		frame();
		AngelScript::asIScriptModule* m = counted->getModule()->getEngineModule();
		EXPECT_EQ(*static_cast<int*>(m->GetAddressOfGlobalVar(m->GetGlobalVarIndexByName("visits"))), visits);
	}
	EXPECT_EQ(objects().getSceneObjects().size(), 7u);
}

void removeObject(irr::u32 id)
{
	CObjectManager::getInstance()->remove(id);
}

TEST_F(FrameUpdate, ObjectsRemovedDuringTheLoopAreNotVisited)
{
	ASSERT_GE(engine().getScriptManager()->getEngine()->RegisterGlobalFunction(
				  "void removeObject(uint id)", AngelScript::asFUNCTION(removeObject), AngelScript::asCALL_CDECL),
		0);
	CObjectClass* counted = objects().getObjectClass(engine().getScriptManager(), "counted");
	counted->getModule()->load("int visits = 0; void Update(SceneObject@+ self, uint t) { visits++; }", "main");
	CObjectClass* remover = objects().getObjectClass(engine().getScriptManager(), "remover");
	// Object 3 leaves before its turn, object 1 (already visited) at the same time.
	remover->getModule()->load("void Update(SceneObject@+ self, uint t) { removeObject(3); removeObject(1); }", "main");
	make(1, "counted");
	make(2, "remover");
	make(3, "counted");
	make(4, "counted");
	engine().setGameRunning(true);

	// Two Update calls an object and frame: the queue's and the direct one.
	const int expected[] = {4, 6, 8};
	for (int visits : expected)
	{
		frame();
		AngelScript::asIScriptModule* m = counted->getModule()->getEngineModule();
		EXPECT_EQ(*static_cast<int*>(m->GetAddressOfGlobalVar(m->GetGlobalVarIndexByName("visits"))), visits);
	}
	EXPECT_EQ(objects().getSceneObject(1), nullptr);
	EXPECT_EQ(objects().getSceneObjects().size(), 2u);
}

TEST_F(FrameUpdate, RemovedPlayerIsNeverHandedToAScript)
{
	engine().getClientModule()->load(
		"int seen = 0; void Update(SceneObject@+ self, uint t) { if (self !is null) seen++; }", "main");
	CSceneObject* player = make(5);
	engine().setPlayerObject(player);
	engine().setGameRunning(true);
	frame();
	// Gone from the registry by a way that does not know about the player.
	objects().remove(5);
	frame();
	frame();
	EXPECT_EQ(engine().getPlayerObject(), nullptr);
	AngelScript::asIScriptModule* m = engine().getClientModule()->getEngineModule();
	ASSERT_NE(m, nullptr);
	const int index = m->GetGlobalVarIndexByName("seen");
	ASSERT_GE(index, 0);
	EXPECT_EQ(*static_cast<int*>(m->GetAddressOfGlobalVar(index)), 1);
}

} // namespace
