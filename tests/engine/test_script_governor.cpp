// Hostile scripts on the real engine, each past one bound of what scripts
// may spend in total: memory, time with the engine work a run asks for, and
// the close. Each ends with one line, and the next script builds and the
// next frame runs.

#include "script/CScriptManager.h"
#include "script/CScriptModule.h"
#include "script/SScriptBinding.h"
#include "script/ScriptBudget.h"
#include "script/bindings/ScriptMemory.h"
#include "support/CLogLines.h"
#include "support/engine_fixture.h"
#include "world/CObjectManager.h"
#include "world/CSceneObject.h"

#include <ITimer.h>
#include <angelscript.h>

#include <string>
#include <vector>

using namespace orv;

namespace {

// Budgets small enough that a run past them ends soon under the sanitizers.
const irr::u32 RUN_MS = 100;
const irr::u32 FRAME_MS = 600000;
// Room above what the engine's scripts hold at start for the memory cases.
const irr::u64 MEMORY_ROOM = 48ull << 20;
const irr::u32 RECEIVERS = 20;

const char* const UPDATE = "void Update(SceneObject@+ self, uint t)";

class ScriptGovernor : public test::EngineTest
{
protected:
	void SetUp() override
	{
		test::EngineTest::SetUp();
		engine().getDevice()->getLogger()->setLogLevel(irr::ELL_WARNING);
		engine().getDevice()->setEventReceiver(&log);
		engine().getScriptManager()->setBudgets(RUN_MS, FRAME_MS);
		sandbox->folder().write("one.xml", "<orvlevel version=\"1\"><sceneobjects><object/></sceneobjects></orvlevel>");
	}

	void TearDown() override
	{
		if (CGameEngine* running = sandbox->engine())
		{
			running->getScriptManager()->setBudgets(script::SCRIPT_RUN_BUDGET_MS, script::SCRIPT_FRAME_BUDGET_MS);
			running->getDevice()->setEventReceiver(nullptr);
		}
		script::setScriptMemoryBound(0);
		test::EngineTest::TearDown();
	}

	void frame()
	{
		engine().setLastFrameTime(engine().getDevice()->getTimer()->getTime() - 20);
		ASSERT_TRUE(engine().update());
	}

	static int global(script::CScriptModule* module, const char* name)
	{
		AngelScript::asIScriptModule* code = module->getEngineModule();
		const int index = code ? code->GetGlobalVarIndexByName(name) : -1;
		return index < 0 ? -1 : *static_cast<int*>(code->GetAddressOfGlobalVar(index));
	}

	std::vector<std::string> scriptLines() const
	{
		std::vector<std::string> lines;
		for (const std::string& line : log.lines)
			if (line.rfind("script: Script of ", 0) == 0)
				lines.push_back(line);
		return lines;
	}

	test::CLogLines log;
};

// Objects round the origin that each receive every event of the loop.
void makeReceivers(CGameEngine& engine)
{
	for (irr::u32 id = 100; id < 100 + RECEIVERS; ++id)
	{
		CSceneObject* object = engine.createSceneObject(id, ESOT_DEFAULT, "");
		object->Physics.addCollisionCircle(1.0f, irr::core::vector2df(0, 0));
		CSceneObject::syncFromBody(object);
		object->getModule()->load("int received = 0;\nvoid OnEvent(SceneObject@+ self, SceneObject@+ sender, string "
								  "event, string data, vector2df origin, float range) { received++; }",
			"main");
	}
}

TEST_F(ScriptGovernor, EachHostileScriptEndsWithOneLineAndTheGameGoesOn)
{
	const auto arrayOf = [](irr::u64 bytes) { return std::to_string(bytes / 4); };
	struct Case
	{
		const char* name;
		std::string code; // of the client module; its Update is the hostile run
		const char* ending;
		bool receivers;
	} cases[] = {
		{"arrays in an array",
			"array<array<int>> kept;\n" + std::string(UPDATE) + " { while (true) kept.insertLast(array<int>(" +
				arrayOf(MEMORY_ROOM / 16) + ")); }\n",
			"Out of script memory", false},
		{"one line of nested arrays",
			std::string(UPDATE) + " { array<array<int>> a(48, array<int>(" + arrayOf(MEMORY_ROOM / 3) + ")); }\n",
			"Out of script memory", false},
		{"strings at the string bound",
			"array<string> kept;\n" + std::string(UPDATE) + " { string s = \"x\"; while (s.size() < " +
				std::to_string(1u << 24) + ") s += s; while (true) kept.insertLast(s); }\n",
			"Out of script memory", false},
		{"objects in a chain",
			"class Node { Node@ next; array<int> pad(1000); }\nNode@ head;\n" + std::string(UPDATE) +
				" { while (true) { Node n; @n.next = head; @head = n; } }\n",
			"Out of script memory", false},
		{"load_level in a loop", std::string(UPDATE) + " { while (true) Engine.load_level(\"one.xml\"); }\n",
			"out of time after 100 ms", false},
		{"create_sceneobject in a loop",
			std::string(UPDATE) + " { while (true) Engine.create_sceneobject(\"\", ESOT_DEFAULT); }\n",
			"out of time after 100 ms", false},
		{"send_event storm",
			std::string(UPDATE) + " { while (true) Engine.send_event(null, \"e\", \"\", vector2df(0, 0), 100); }\n",
			"out of time after 100 ms", true},
	};
	engine().setGameRunning(true);
	irr::u32 nextId = 1000;
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		log.lines.clear();
		script::setScriptMemoryBound(script::scriptMemoryInUse() + MEMORY_ROOM);
		if (c.receivers)
			makeReceivers(engine());
		script::CScriptModule* client = engine().getClientModule();
		client->load(c.code.c_str(), "main");
		ASSERT_GE(client->getCallbackId(0), 0) << "the hostile code builds";
		frame();
		const std::vector<std::string> lines = scriptLines();
		ASSERT_EQ(lines.size(), 1u) << testing::PrintToString(log.lines);
		EXPECT_EQ(lines[0].find("script: Script of module \"client\" stopped at main (r "), 0u) << lines[0];
		EXPECT_NE(lines[0].find(c.ending), std::string::npos) << lines[0];
		EXPECT_LE(script::scriptMemoryInUse(), script::scriptMemoryBound()) << "what the script held is let go";

		// The next script builds and the next frame runs it.
		CSceneObject* next = engine().createSceneObject(nextId++, ESOT_DEFAULT, "");
		ASSERT_NE(next, nullptr);
		next->getModule()->load("int updates = 0;\nvoid Update(SceneObject@+ self, uint t) { updates++; }\n", "main");
		client->load("void Update(SceneObject@+ self, uint t) {}\n", "main");
		frame();
		EXPECT_EQ(global(next->getModule(), "updates"), 2) << "Update runs twice a frame";
	}
}

// A hundred objects whose destructor never ends, held by the client
// script: the close runs them until its one budget is spent, drops the rest
// and finishes.
TEST_F(ScriptGovernor, TheCloseEndsWhateverTheScriptsHold)
{
	int entered = 0;
	engine().getScriptManager()->getEngine()->RegisterGlobalProperty("int entered", &entered);
	engine().getClientModule()->load("class Stuck { ~Stuck() { entered++; while (true) {} } }\n"
									 "array<Stuck@> held;\n"
									 "void Created(SceneObject@+ self) { for (int i = 0; i < 100; ++i) "
									 "held.insertLast(Stuck()); }\n",
		"main");
	engine().getClientBinding()->callCallback(1, net::packet(), nullptr);
	sandbox->tearDown();

	// The run budget ends the first destructor, the close's what is left of
	// its 2000 ms; none after that runs.
	EXPECT_GE(entered, 1);
	EXPECT_LE(entered, static_cast<int>(script::SCRIPT_CLOSE_BUDGET_MS / RUN_MS) + 2);
	EXPECT_EQ(log.count("script: The close spent its 2000 ms of script time"), 1u) << testing::PrintToString(log.lines);
}

} // namespace
