// Script time across runs: a run nested in another ends without harm to the
// outer one, deliveries that feed each other end with the outermost run's
// budget, and modules whose runs spend the frame's time are set aside one
// after the other until the frame runs its ordinary scripts again. Budgets
// are set so that only the one under test can fire.

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <angelscript.h>
#include <gtest/gtest.h>

#include "base/packet.h"
#include "script/CScriptManager.h"
#include "script/CScriptModule.h"
#include "script/SScriptBinding.h"
#include "script/ScriptBudget.h"
#include "script/ScriptCallbacks.h"
#include "script/bindings/ScriptMemory.h"
#include "support/script_world.h"
#include "world/CObjectManager.h"
#include "world/CSceneObject.h"

namespace orv {
namespace {

using namespace AngelScript;
using test::CScriptWorld;

// Budgets that only a broken run reaches.
const irr::u32 NEVER_MS = 600000;
const irr::u32 SHORT_MS = 20;

// Delivers OnEvent to the object of that id at once, nested in the running
// script when there is one.
void deliverTo(irr::u32 id, const irr::core::ustring16& event)
{
	CSceneObject* target = CObjectManager::getInstance()->getSceneObject(id);
	if (!target || !target->getBinding())
		return;
	net::packet arguments = net::packet::fromU32(id);
	arguments.append(net::packet::fromFloat(0.0f)).append(net::packet::fromFloat(0.0f));
	arguments.append(net::packet::fromFloat(0.0f));
	arguments.append(net::packet::fromString(event)).append(net::packet::fromString(irr::core::ustring16()));
	target->getBinding()->callCallback(script::ESC_EVENT, std::move(arguments), target);
}

void registerDeliverTo(CScriptWorld& world)
{
	world.engine()->RegisterGlobalFunction(
		"void deliverTo(uint, const string &in)", asFUNCTION(deliverTo), asCALL_CDECL);
}

int globalInt(script::CScriptModule* module, const char* name)
{
	asIScriptModule* code = module->getEngineModule();
	return *static_cast<int*>(code->GetAddressOfGlobalVar(code->GetGlobalVarIndexByName(name)));
}

size_t countContaining(const std::vector<std::string>& lines, const std::string& part)
{
	return static_cast<size_t>(std::count_if(
		lines.begin(), lines.end(), [&part](const std::string& line) { return line.find(part) != std::string::npos; }));
}

const char* const ON_EVENT = "void OnEvent(SceneObject@+ self, SceneObject@+ sender, string event, string data, "
							 "vector2df origin, float range)\n";

TEST(ScriptBudget, AnEndedNestedRunLeavesTheOuterRunWhole)
{
	struct Case
	{
		const char* name;
		irr::u32 target; // the object the nested delivery goes to
		const char* onEvent;
		const char* ending;
	} cases[] = {
		{"loop nested in its own run", 1, "{ while (true) {} }", "out of time after 20 ms"},
		{"exception nested in its own run", 1, "{ array<int> a; a[1] = 0; }", "Index out of bounds"},
		{"loop nested in another's run", 2, "{ while (true) {} }", "out of time after 20 ms"},
		{"exception nested in another's run", 2, "{ SceneObject@ none; none.get_type(); }", "Null pointer access"},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		CScriptWorld world;
		registerDeliverTo(world);
		world.scripts().setBudgets(SHORT_MS, NEVER_MS);
		CSceneObject* objects[] = {world.makeObject(1, 0, "a"), world.makeObject(2, 0, "b")};
		const std::string code = std::string("int updates = 0;\n") +
			"void Update(SceneObject@+ self, uint t) {\n"
			"  SceneObject@ held = self; vector2df v(1, 2); string s = \"kept\";\n"
			"  deliverTo(" +
			std::to_string(c.target) +
			", \"spin\");\n"
			"  check(held is self && v.X == 1 && s == \"kept\", \"the outer run's locals\");\n"
			"  updates++;\n}\n" +
			ON_EVENT + c.onEvent + "\n";
		for (CSceneObject* object : objects)
			world.load(object->getModule(), code);
		for (int call = 0; call < 3; ++call)
			objects[0]->getBinding()->callCallback(script::ESC_UPDATE, net::packet(), objects[0]);

		EXPECT_TRUE(world.failedChecks().empty()) << testing::PrintToString(world.failedChecks());
		// The outer run, sharing the budget, may end on it as well.
		const std::vector<std::string> errors = world.errors();
		EXPECT_GE(errors.size(), 1u);
		EXPECT_EQ(countContaining(errors, c.ending), errors.size()) << testing::PrintToString(errors);
		for (CSceneObject* object : objects)
			EXPECT_EQ(object->getReferenceCount(), 1) << "every ended run let go of its handles";
		// The outer run goes on to its end, or is aborted by the budget it shares.
		EXPECT_LE(globalInt(objects[0]->getModule(), "updates"), 3);
		// The contexts are sound: the next run of either goes through.
		const std::string plain = "int updates = 0;\nvoid Update(SceneObject@+ self, uint t) { updates++; }\n";
		for (CSceneObject* object : objects)
		{
			world.load(object->getModule(), plain);
			object->getBinding()->callCallback(script::ESC_UPDATE, net::packet(), object);
			EXPECT_EQ(globalInt(object->getModule(), "updates"), 1);
		}
	}
}

// Two objects that pass every event on to each other twice: only the budget
// ends the deliveries, which the nested runs in the other object's context
// share whether a frame is going on or not.
TEST(ScriptBudget, ObjectsThatReBroadcastToEachOtherEndWithOneBudget)
{
	struct Case
	{
		const char* name;
		bool inFrame;
		irr::u32 runMs;
		irr::u32 frameMs;
		const char* ending;
	} cases[] = {
		{"outside a frame", false, SHORT_MS, NEVER_MS, "out of time after 20 ms"},
		{"in a frame", true, NEVER_MS, SHORT_MS, "out of the frame's script time of 20 ms"},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		CScriptWorld world;
		registerDeliverTo(world);
		world.scripts().setBudgets(c.runMs, c.frameMs);
		CSceneObject* objects[] = {world.makeObject(1, 0, "a"), world.makeObject(2, 0, "b")};
		for (irr::u32 i = 0; i < 2; ++i)
			world.load(objects[i]->getModule(),
				std::string("int received = 0;\n") + ON_EVENT + "{ received++; deliverTo(" + std::to_string(2 - i) +
					", event); deliverTo(" + std::to_string(2 - i) + ", event); }\n");
		if (c.inFrame)
			world.scripts().beginFrame();
		deliverTo(1, "ping");
		if (c.inFrame)
			world.scripts().endFrame();

		const std::vector<std::string> errors = world.errors();
		EXPECT_GE(countContaining(errors, c.ending), 1u) << testing::PrintToString(errors);
		EXPECT_LE(countContaining(errors, "dropped a callback: too many deliveries inside one another"), 2u);
		EXPECT_GT(globalInt(objects[1]->getModule(), "received"), 0);
		for (CSceneObject* object : objects)
			EXPECT_EQ(object->getReferenceCount(), 1);
	}
}

// A sort calls the script back from inside a native call; a comparison that
// never ends is stopped by the run's budget like any other loop, and the
// array and the context come out sound.
TEST(ScriptBudget, ASortWhoseComparisonSpinsEndsWithTheRun)
{
	struct Case
	{
		const char* name;
		const char* sort;
	} cases[] = {
		{"own less", "held.sort(function(x, y) { while (true) {} return x < y; });"},
		{"opCmp", "array<S@> s = {S(), S()}; s.sortAsc();"},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		CScriptWorld world;
		world.scripts().setBudgets(SHORT_MS, NEVER_MS);
		CSceneObject* object = world.makeObject(1, 0, "o");
		world.load(object->getModule(),
			std::string("class S { int opCmp(const S &in) const { while (true) {} return 0; } }\n"
						"array<int> held = {3, 1, 2};\nint updates = 0;\n"
						"void Update(SceneObject@+ self, uint t) { updates++; ") +
				c.sort + " }\n");
		object->getBinding()->callCallback(script::ESC_UPDATE, net::packet(), object);

		EXPECT_EQ(countContaining(world.errors(), "out of time after 20 ms"), 1u)
			<< testing::PrintToString(world.errors());
		EXPECT_EQ(object->getReferenceCount(), 1);
		world.load(object->getModule(), "int updates = 0;\nvoid Update(SceneObject@+ self, uint t) { updates++; }\n");
		object->getBinding()->callCallback(script::ESC_UPDATE, net::packet(), object);
		EXPECT_EQ(globalInt(object->getModule(), "updates"), 1);
	}
}

// Five objects whose Update never ends, and one ordinary one after them:
// each frame the first spinner not yet set aside spends the frame's time,
// the frame's later callbacks are skipped, and after SCRIPT_SET_ASIDE_FRAMES
// such frames the spinner is set aside; then the next one. New code brings
// a module back.
TEST(ScriptBudget, SpinningUpdatesAreSetAsideAndTheFrameRecovers)
{
	const irr::u32 spinners = 5;
	CScriptWorld world;
	world.scripts().setBudgets(NEVER_MS, SHORT_MS);
	std::vector<CSceneObject*> objects;
	for (irr::u32 id = 1; id <= spinners + 1; ++id)
	{
		objects.push_back(world.makeObject(id, 0, "o"));
		world.load(objects.back()->getModule(),
			std::string("int updates = 0;\nvoid Update(SceneObject@+ self, uint t) { updates++; ") +
				(id <= spinners ? "while (true) {} " : "") + "}\n");
	}
	const auto frame = [&] {
		world.scripts().beginFrame();
		for (CSceneObject* object : objects)
			object->getBinding()->callCallback(script::ESC_UPDATE, net::packet(), object);
		world.scripts().endFrame();
	};
	const auto setAside = [&] {
		return static_cast<irr::u32>(std::count_if(objects.begin(), objects.begin() + spinners,
			[](CSceneObject* object) { return object->getModule()->isSetAside(); }));
	};

	std::vector<irr::u32> setAsideByFrame;
	for (irr::u32 f = 0; f < spinners * script::SCRIPT_SET_ASIDE_FRAMES; ++f)
	{
		frame();
		setAsideByFrame.push_back(setAside());
	}
	for (irr::u32 f = 0; f < setAsideByFrame.size(); ++f)
		EXPECT_EQ(setAsideByFrame[f], (f + 1) / script::SCRIPT_SET_ASIDE_FRAMES) << "after frame " << f + 1;
	EXPECT_EQ(globalInt(objects[spinners]->getModule(), "updates"), 0) << "every frame so far was spent";

	// The frames that follow run the ordinary script, and no spinner.
	frame();
	frame();
	EXPECT_EQ(globalInt(objects[spinners]->getModule(), "updates"), 2);
	for (irr::u32 i = 0; i < spinners; ++i)
		EXPECT_EQ(globalInt(objects[i]->getModule(), "updates"), static_cast<int>(script::SCRIPT_SET_ASIDE_FRAMES));
	const std::vector<std::string> errors = world.errors();
	for (irr::u32 id = 1; id <= spinners; ++id)
		EXPECT_EQ(countContaining(errors,
					  "Script of object \"scene_object_" + std::to_string(id) +
						  "\" (class \"blank\") set aside: its runs ran out of time 3 frames in a row"),
			1u)
			<< testing::PrintToString(errors);

	// New code gives the module a new chance.
	world.load(objects[0]->getModule(), "int updates = 0;\nvoid Update(SceneObject@+ self, uint t) { updates++; }\n");
	EXPECT_FALSE(objects[0]->getModule()->isSetAside());
	frame();
	EXPECT_EQ(globalInt(objects[0]->getModule(), "updates"), 1);
}

} // namespace
} // namespace orv

namespace orv {
namespace {

// Burns processor time on this thread until its clock has moved by `span`:
// however loaded the machine, the clock moves only while the thread works.
void burn(std::chrono::nanoseconds span)
{
	const script::ScriptClock::time_point until = script::ScriptClock::now() + span;
	while (script::ScriptClock::now() < until)
	{
	}
}

// The script clock is the thread's processor time while a span of script
// work is open: it stands still outside one, however long the thread works
// there, counts nested spans once, and hardly moves while the thread waits.
TEST(ScriptClock, CountsProcessorTimeWhileASpanIsOpen)
{
	const std::chrono::milliseconds work(5);
	script::SScriptBudget budget;
	const auto advance = [&](const std::function<void()>& what) {
		const script::ScriptClock::time_point before = budget.now();
		what();
		return budget.now() - before;
	};
	EXPECT_EQ(advance([&] { burn(work); }), std::chrono::nanoseconds(0)) << "no span";
	budget.openSpan();
	EXPECT_GE(advance([&] { burn(work); }), work) << "a span";
	budget.openSpan();
	EXPECT_GE(advance([&] { burn(work); }), work) << "a span inside it";
	budget.closeSpan();
	EXPECT_LT(
		advance([] { std::this_thread::sleep_for(std::chrono::milliseconds(50)); }), std::chrono::milliseconds(25))
		<< "a span that waits";
	budget.closeSpan();
	EXPECT_EQ(advance([&] { burn(work); }), std::chrono::nanoseconds(0)) << "all closed";
	budget.closeSpan();
	EXPECT_EQ(advance([&] { burn(work); }), std::chrono::nanoseconds(0)) << "a close too many";
}

void block(irr::u32 ms)
{
	std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// A run that waits in a native for five times its budget spends little
// processor time and finishes; a run that spins is aborted.
TEST(ScriptClock, ARunThatWaitsIsNotAbortedWhileOneThatSpinsIs)
{
	struct Case
	{
		const char* name;
		const char* body;
		int updates;
		size_t errors;
	} cases[] = {
		{"waits", "block(100);", 1, 0},
		{"spins", "while (true) {}", 0, 1},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		CScriptWorld world;
		world.engine()->RegisterGlobalFunction("void block(uint)", asFUNCTION(block), asCALL_CDECL);
		world.scripts().setBudgets(SHORT_MS, NEVER_MS);
		CSceneObject* object = world.makeObject(1, 0, "o");
		world.load(object->getModule(),
			std::string("int updates = 0;\nvoid Update(SceneObject@+ self, uint t) { ") + c.body + " updates++; }\n");
		object->getBinding()->callCallback(script::ESC_UPDATE, net::packet(), object);
		EXPECT_EQ(globalInt(object->getModule(), "updates"), c.updates);
		EXPECT_EQ(countContaining(world.errors(), "out of time after 20 ms"), c.errors)
			<< testing::PrintToString(world.errors());
	}
}

} // namespace
} // namespace orv

namespace orv {
namespace {

// A spinning Update spends the frame's time; the modules built after it in
// the same frame, each with a global its initialiser sets, all build: a
// build has a budget of its own.
TEST(ScriptBudget, ModulesBuiltAfterASpinningRunInTheSameFrameAllBuild)
{
	const irr::u32 modules = 500;
	CScriptWorld world;
	world.scripts().setBudgets(NEVER_MS, SHORT_MS);
	CSceneObject* spinner = world.makeObject(1, 0, "spinner");
	world.load(spinner->getModule(), "void Update(SceneObject@+ self, uint t) { while (true) {} }\n");
	std::vector<CSceneObject*> objects;
	for (irr::u32 id = 2; id < 2 + modules; ++id)
		objects.push_back(world.makeObject(id, 0, "o"));

	world.scripts().beginFrame();
	spinner->getBinding()->callCallback(script::ESC_UPDATE, net::packet(), spinner);
	for (CSceneObject* object : objects)
		object->getModule()->load(
			irr::core::ustring16(
				"int one() { return 1; }\nint v = one();\nvoid Update(SceneObject@+ self, uint t) {}\n"),
			"main");
	world.scripts().endFrame();

	const std::vector<std::string> errors = world.errors();
	EXPECT_EQ(countContaining(errors, "out of the frame's script time of 20 ms"), 1u) << testing::PrintToString(errors);
	EXPECT_EQ(errors.size(), 1u) << testing::PrintToString(errors);
	size_t built = 0;
	for (CSceneObject* object : objects)
		built += object->getModule()->getCallbackId(script::ESC_UPDATE) >= 0 &&
			globalInt(object->getModule(), "v") == 1;
	EXPECT_EQ(built, objects.size());
}

} // namespace
} // namespace orv

namespace orv {
namespace {

// A module that meets the scripts' memory bound in a run nested in another
// module's is set aside, and what it held is freed as soon as no run has
// its code on the stack: the outer, innocent run goes on and builds more.
// When the module's own code asked for the run (nested again, further up),
// the runs it asked for end with it, without a line or a set aside of
// their own, and the memory is freed as that code ends.
TEST(ScriptBudget, AModuleSetAsideInANestedRunLetsGoBeforeOthersMeetTheBound)
{
	struct Case
	{
		const char* name;
		irr::u32 first; // whose Update runs: 1 the innocent one, 2 the greedy one
		int innocentDone;
	} cases[] = {
		{"asked for by another module's code", 1, 1},
		{"asked for by its own code, through another module", 2, 0},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		CScriptWorld world;
		registerDeliverTo(world);
		world.scripts().setBudgets(NEVER_MS, NEVER_MS);
		script::setScriptMemoryBound(script::scriptMemoryInUse() + (32u << 20));
		CSceneObject* innocent = world.makeObject(1, 0, "innocent");
		CSceneObject* greedy = world.makeObject(2, 0, "greedy");
		// It asks for the greedy run, then takes more than the greedy one's
		// last step left free.
		const std::string builds =
			"{ deliverTo(2, \"grow\"); for (int i = 0; i < 4; ++i) mine.insertLast(array<int>(200000)); done++; }\n";
		world.load(innocent->getModule(),
			std::string("int done = 0;\narray<array<int>> mine;\n") + "void Update(SceneObject@+ self, uint t) " +
				builds + ON_EVENT + builds);
		world.load(greedy->getModule(),
			std::string(
				"array<array<int>> kept;\nvoid Update(SceneObject@+ self, uint t) { deliverTo(1, \"back\"); }\n") +
				ON_EVENT + "{ while (true) kept.insertLast(array<int>(100000)); }\n");
		CSceneObject* first = c.first == 1 ? innocent : greedy;
		first->getBinding()->callCallback(script::ESC_UPDATE, net::packet(), first);

		const std::vector<std::string> errors = world.errors();
		ASSERT_EQ(errors.size(), 1u) << testing::PrintToString(errors);
		EXPECT_EQ(errors[0].find("Script of object \"scene_object_2\""), 0u) << errors[0];
		EXPECT_NE(errors[0].find("stopped at main"), std::string::npos) << errors[0];
		EXPECT_NE(errors[0].find("Out of script memory"), std::string::npos) << errors[0];
		EXPECT_TRUE(greedy->getModule()->isSetAside());
		EXPECT_FALSE(innocent->getModule()->isSetAside());
		EXPECT_EQ(globalInt(innocent->getModule(), "done"), c.innocentDone);
		EXPECT_LE(script::scriptMemoryInUse(), script::scriptMemoryBound()) << "the greedy code's memory is freed";
		// The innocent module runs on.
		innocent->getBinding()->callCallback(script::ESC_UPDATE, net::packet(), innocent);
		EXPECT_EQ(globalInt(innocent->getModule(), "done"), c.innocentDone + 1);
		EXPECT_EQ(world.errors().size(), 1u) << testing::PrintToString(world.errors());
		script::setScriptMemoryBound(0);
	}
}

} // namespace
} // namespace orv
