// Hostile scripts on the real engine, each past one bound of what scripts
// may spend in total: memory, time with the engine work a run asks for, and
// the close. Each ends with one line, and the next script builds and the
// next frame runs.

#include "net/CNetParse.h"
#include "net/CParserSlot.h"
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

	AngelScript::asUINT collected()
	{
		AngelScript::asUINT objects = 0;
		engine().getScriptManager()->getEngine()->GetGCStatistics(&objects);
		return objects;
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
			"class Node { Node@ next; array<int> pad(8000); }\nNode@ head;\n" + std::string(UPDATE) +
				" { while (true) { Node n; @n.next = head; @head = n; } }\n",
			"Out of script memory", false},
		{"small objects in a chain",
			"class Node { Node@ next; }\nNode@ head;\n" + std::string(UPDATE) +
				" { while (true) { Node n; @n.next = head; @head = n; } }\n",
			"Out of script objects", false},
		{"objects made at once",
			"class Node { Node@ next; }\narray<Node> kept;\n" + std::string(UPDATE) + " { kept.resize(" +
				std::to_string(script::SCRIPT_MAX_COLLECTED_OBJECTS + 1) + "); }\n",
			"Out of script objects", false},
		{"a chain made in nested calls",
			"class Node { Node@ next; }\nNode@ grow(Node@ tail, int n) { Node k; @k.next = tail; "
			"return n == 0 ? k : grow(k, n - 1); }\narray<Node@> kept;\n" +
				std::string(UPDATE) + " { while (true) kept.insertLast(grow(null, 1000)); }\n",
			"Out of script objects", false},
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
		EXPECT_LE(collected(), script::SCRIPT_MAX_COLLECTED_OBJECTS) << "and collected";

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

namespace {

// The processor clock is a system call, as dear as a short callback: a
// frame reads it at the two ends of its walk over the objects' callbacks
// and at a look every SCRIPT_LINES_BETWEEN_LOOKS line callbacks of all runs
// together, not in each run; engine work a run asks for reads it around it.
TEST_F(ScriptGovernor, AFrameReadsTheClockAtItsEndsAndAtItsLooks)
{
	const irr::u32 objects = 1000;
	const irr::u32 rounds = 25600;
	const irr::u32 loads = 10;
	// Each object's own Update runs twice a frame (the queue's record and the
	// call), the client's once; each run has a line callback as it enters
	// and one as it leaves.
	const irr::u64 shortLines = 4 * objects + 2;
	const irr::u64 looksAtMost = 2 + shortLines / script::SCRIPT_LINES_BETWEEN_LOOKS + 1;
	struct Case
	{
		const char* name;
		std::string client; // the client module's code
		irr::u64 fewest;
		irr::u64 most;
	} cases[] = {
		{"short callbacks only", "void Update(SceneObject@+ self, uint t) {}", 2, looksAtMost},
		{"a loop",
			"void Update(SceneObject@+ self, uint t) { for (uint i = 0; i < " + std::to_string(rounds) + "; ++i) {} }",
			rounds / script::SCRIPT_LINES_BETWEEN_LOOKS, looksAtMost + rounds / script::SCRIPT_LINES_BETWEEN_LOOKS + 1},
		{"engine work",
			"void Update(SceneObject@+ self, uint t) { for (uint i = 0; i < " + std::to_string(loads) +
				"; ++i) Engine.load_level(\"one.xml\"); }",
			loads, looksAtMost + 2 * loads + 1},
	};
	engine().setGameRunning(true);
	for (irr::u32 id = 1000; id < 1000 + objects; ++id)
		engine()
			.createSceneObject(id, ESOT_DEFAULT, "")
			->getModule()
			->load("void Update(SceneObject@+ self, uint t) {}\n", "main");
	const script::SScriptBudget& budget = *script::getScriptBudget(engine().getScriptManager()->getEngine());
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		engine().getClientModule()->load(c.client.c_str(), "main");
		frame();
		const irr::u64 before = budget.ClockReads;
		frame();
		const irr::u64 reads = budget.ClockReads - before;
		EXPECT_GE(reads, c.fewest);
		EXPECT_LE(reads, c.most);
		EXPECT_TRUE(scriptLines().empty()) << testing::PrintToString(scriptLines());
	}
}

} // namespace

namespace {

std::vector<std::string> notes;

void note(const irr::core::ustring16& text)
{
	notes.push_back(text.toUTF8_s().c_str());
}

// The server's packets 12 (an object) and 16 (its own code), as if they
// arrived now.
void serverSends(irr::u32 id, const irr::core::ustring16& code)
{
	const std::string utf8 = code.toUTF8_s().c_str();
	CParserSlot& parsers = CGameEngine::peekInstance()->getParsers();
	net::packet object = net::packet::fromU16(12);
	object.append(net::packet::fromU32(id)).append(net::packet::fromU8(0));
	parsers.get()->parse(object);
	net::packet script = net::packet::fromU16(16);
	script.append(net::packet::fromU32(id));
	script.append(net::packet::fromBytes(
		reinterpret_cast<const irr::u8*>(utf8.data()), reinterpret_cast<const irr::u8*>(utf8.data()) + utf8.size()));
	parsers.get()->parse(script);
}

std::string levelOf(const std::vector<std::string>& scripts)
{
	std::string objects;
	for (const std::string& script : scripts)
		objects += "<object><script><![CDATA[" + script + "]]></script></object>\n";
	return "<orvlevel version=\"1\"><sceneobjects>\n" + objects + "</sceneobjects></orvlevel>\n";
}

std::string created(const std::string& name, bool spins = false)
{
	return "void Created(SceneObject@+ self) { note(\"" + name + "\");" + (spins ? " while (true) {}" : "") + " }";
}

// Created sets an object up, so it is never lost to other scripts' time: it
// runs with a run budget of its own, and when the frame's script time is
// spent it waits for the following frames, in order. A frame runs at most
// one Created past the frame's time, so a level of spinning ones cannot
// stall the game.
TEST_F(ScriptGovernor, CreatedCallsWaitForScriptTimeAndRunInOrder)
{
	using namespace AngelScript;
	const irr::u32 ownMs = 200;
	const irr::u32 frameMs = 50;
	const irr::u32 nestedLevels = script::SCRIPT_MAX_NESTED_OWN_RUNS + 2;
	for (irr::u32 level = 0; level < nestedLevels; ++level)
	{
		const std::string next = level + 1 < nestedLevels
			? " Engine.load_level(\"nest" + std::to_string(level + 1) + ".xml\");"
			: "";
		sandbox->folder().write("nest" + std::to_string(level) + ".xml",
			levelOf({"void Created(SceneObject@+ self) { note(\"n" + std::to_string(level) + "\");" + next + " }"}));
	}
	sandbox->folder().write("spin.xml", levelOf({created("a"), created("b", true), created("c"), created("d")}));
	sandbox->folder().write(
		"spinners.xml", levelOf({created("s1", true), created("s2", true), created("s3", true), created("p")}));
	std::vector<std::string> nested;
	for (irr::u32 level = 0; level < nestedLevels; ++level)
		nested.push_back("n" + std::to_string(level));
	const std::vector<std::string> deepest(nested.begin(), nested.begin() + script::SCRIPT_MAX_NESTED_OWN_RUNS);

	struct Case
	{
		const char* name;
		std::string firstUpdate; // the client's Update in the first frame
		std::vector<std::vector<std::string>> notesAfterFrame;
	} cases[] = {
		{"a level with a spinning Created", "Engine.load_level(\"spin.xml\");",
			{{"a", "b"}, {"a", "b", "c", "d"}, {"a", "b", "c", "d"}}},
		{"a level of spinning Created calls", "Engine.load_level(\"spinners.xml\");",
			{{"s1"}, {"s1", "s2"}, {"s1", "s2", "s3"}, {"s1", "s2", "s3", "p"}}},
		{"objects the server sends",
			"serverSends(50, '" + created("s", true) + "'); serverSends(51, '" + created("c") + "');",
			{{"s"}, {"s", "c"}}},
		{"levels loaded from Created, deeper than the bound", "Engine.load_level(\"nest0.xml\");", {deepest, nested}},
	};
	asIScriptEngine* scripts = engine().getScriptManager()->getEngine();
	ASSERT_GE(scripts->RegisterGlobalFunction("void note(const string &in)", asFUNCTION(note), asCALL_CDECL), 0);
	ASSERT_GE(scripts->RegisterGlobalFunction(
				  "void serverSends(uint, const string &in)", asFUNCTION(serverSends), asCALL_CDECL),
		0);
	engine().getScriptManager()->setBudgets(ownMs, frameMs);
	engine().setGameRunning(true);
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		notes.clear();
		engine().getClientModule()->load(
			("bool first = true;\nvoid Update(SceneObject@+ self, uint t) { if (!first) return; first = false; " +
				c.firstUpdate + " }\n")
				.c_str(),
			"main");
		for (size_t f = 0; f < c.notesAfterFrame.size(); ++f)
		{
			frame();
			EXPECT_EQ(notes, c.notesAfterFrame[f]) << "after frame " << f + 1;
		}
		EXPECT_EQ(log.count("script: Created of"), 0u) << testing::PrintToString(log.lines);
	}
}

} // namespace
