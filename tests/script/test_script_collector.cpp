// The close's help to the script engine's collector: once the handles
// between the objects it holds are let go of, one pass over them frees them
// all, in whatever order scripts linked them; without it, a chain frees
// about one link per pass. Counted in the collector's own steps (each looks
// at one object).

#include "script/CScriptManager.h"
#include "script/CScriptModule.h"
#include "script/bindings/ScriptCollector.h"
#include "script/bindings/ScriptMemory.h"

#include <angelscript.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace {

using namespace AngelScript;

const asUINT OBJECTS = 600;

const char* const SHAPES =
	"class Node { Node@ next; array<Node@> kids; Inner inner; }\n"
	"class Inner { Node@ back; }\n"
	"Node@ head;\n"
	"void backward(uint n) { for (uint i = 0; i < n; ++i) { Node k; @k.next = head; @head = k; } }\n"
	"void forward(uint n) { Node@ last = null; for (uint i = 0; i < n; ++i) { Node k; "
	"if (last is null) @head = k; else @last.next = k; @last = k; } }\n"
	"void tree(uint n) { @head = Node(); array<Node@> open = {head}; "
	"for (uint i = 0; i < n; ++i) { Node k; open[i / 2].kids.insertLast(k); open.insertLast(k); } }\n"
	"void backLinks(uint n) { for (uint i = 0; i < n; ++i) { Node k; @k.inner.back = head; "
	"@head = k; } }\n"
	"void letGo() { @head = null; }\n";

asUINT collected(asIScriptEngine* engine)
{
	asUINT count = 0;
	engine->GetGCStatistics(&count);
	return count;
}

void call(asIScriptModule* module, asIScriptContext* context, const char* declaration, asUINT n)
{
	asIScriptFunction* function = module->GetFunctionByDecl(declaration);
	ASSERT_NE(function, nullptr) << declaration;
	context->Prepare(function);
	if (function->GetParamCount() > 0)
		context->SetArgDWord(0, n);
	ASSERT_EQ(context->Execute(), asEXECUTION_FINISHED) << declaration;
}

// The collector's steps of destroying what it knows to be garbage, each
// looking at one object, until it holds nothing or `steps` are taken;
// returns the steps taken.
asUINT destroyInSteps(asIScriptEngine* engine, asUINT steps)
{
	asUINT taken = 0;
	while (collected(engine) > 0 && taken < steps)
	{
		engine->GarbageCollect(asGC_ONE_STEP | asGC_DESTROY_GARBAGE);
		++taken;
	}
	return taken;
}

TEST(ScriptCollector, LettingGoOfTheLinksFreesEveryShapeInOnePass)
{
	struct Case
	{
		const char* name;
		const char* build;
		bool hardWithoutIt; // freeing it takes many passes when the links stay
	} cases[] = {
		{"chain, each release frees an earlier node", "void backward(uint)", true},
		{"chain, each release frees a later node", "void forward(uint)", false},
		{"tree held by arrays", "void tree(uint)", false},
		{"chain through value members", "void backLinks(uint)", true},
	};
	for (const Case& c : cases)
	{
		for (const bool letGoOfLinks : {true, false})
		{
			SCOPED_TRACE(std::string(c.name) + (letGoOfLinks ? ", links let go" : ", links kept"));
			orv::script::CScriptManager manager(nullptr);
			asIScriptEngine* engine = manager.getEngine();
			// Left to itself the collector looks at new objects as they come,
			// and holds each one it is looking at: the objects stay in its list
			// in the order made, and only the steps below touch them.
			engine->SetEngineProperty(asEP_AUTO_GARBAGE_COLLECT, false);
			asIScriptModule* module = engine->GetModule("shapes", asGM_ALWAYS_CREATE);
			ASSERT_GE(module->AddScriptSection("shapes", SHAPES), 0);
			ASSERT_GE(module->Build(), 0);
			asIScriptContext* context = engine->CreateContext();
			call(module, context, c.build, OBJECTS);
			call(module, context, "void letGo()", 0);
			context->Release();
			// What the collector holds besides the shape: the arrays of it.
			ASSERT_GE(collected(engine), OBJECTS);

			if (letGoOfLinks)
				orv::script::releaseScriptObjectLinks(engine);
			// One pass of steps over the objects, and a few to start it over.
			const asUINT onePass = 2 * collected(engine) + 16;
			destroyInSteps(engine, onePass);
			if (letGoOfLinks)
				EXPECT_EQ(collected(engine), 0u);
			else if (c.hardWithoutIt)
				EXPECT_GT(collected(engine), OBJECTS / 2) << "the shape is one the collector frees slowly";
			// Whatever is left goes with the engine.
		}
	}
}

// The walk lets go of garbage alone: a list still held keeps every link.
TEST(ScriptCollector, TheWalkFreesGarbageOfEveryShapeInOnePassAndLeavesWhatIsHeld)
{
	const std::string code = std::string(SHAPES) +
		"interface ILink {}\n"
		"class Hop : ILink { ILink@ next; }\n"
		"ILink@ hops;\n"
		"void hopChain(uint n) { for (uint i = 0; i < n; ++i) { Hop k; @k.next = hops; @hops = k; } }\n"
		"void letGoOfHops() { @hops = null; }\n"
		"Node@ kept;\n"
		"void keep(uint n) { backward(n); @kept = head; @head = null; }\n"
		"uint keptLength() { uint k = 0; for (Node@ p = kept; p !is null; @p = p.next) k++; return k; }\n";
	const char* const builds[] = {
		"void backward(uint)", "void forward(uint)", "void tree(uint)", "void backLinks(uint)", "void hopChain(uint)"};
	for (const char* build : builds)
	{
		SCOPED_TRACE(build);
		orv::script::CScriptManager manager(nullptr);
		asIScriptEngine* engine = manager.getEngine();
		asIScriptModule* module = engine->GetModule("shapes", asGM_ALWAYS_CREATE);
		ASSERT_GE(module->AddScriptSection("shapes", code.c_str()), 0);
		ASSERT_GE(module->Build(), 0);
		asIScriptContext* context = engine->CreateContext();
		call(module, context, "void keep(uint)", OBJECTS);
		const asUINT held = collected(engine);
		call(module, context, build, OBJECTS);
		call(module, context, "void letGo()", 0);
		call(module, context, "void letGoOfHops()", 0);
		ASSERT_GE(collected(engine), held + OBJECTS);

		EXPECT_GE(orv::script::releaseGarbageLinks(engine), OBJECTS);
		destroyInSteps(engine, 2 * collected(engine) + 16);
		EXPECT_EQ(collected(engine), held);
		call(module, context, "uint keptLength()", 0);
		EXPECT_EQ(context->GetReturnDWord(), OBJECTS);
		context->Release();
	}
}

} // namespace

namespace {

// The client's collection as the game drives it: a manager, its frames and
// runs that meet the bounds.
struct SGarbage
{
	explicit SGarbage(const char* code) : manager(nullptr)
	{
		// Time is no bound here, whatever the machine.
		manager.setBudgets(600000, 600000);
		module = manager.getModule("garbage");
		module->load(code, "garbage");
		context = engine()->RequestContext();
		held = collected(engine());
	}
	~SGarbage() { engine()->ReturnContext(context); }

	asIScriptEngine* engine() { return manager.getEngine(); }

	// The run's ending, and the exception it met if any.
	int run(const char* declaration, asUINT n = 0)
	{
		asIScriptFunction* function = module->getEngineModule()->GetFunctionByDecl(declaration);
		EXPECT_NE(function, nullptr) << declaration;
		if (!function)
			return asERROR;
		context->Prepare(function);
		if (function->GetParamCount() > 0)
			context->SetArgDWord(0, n);
		const int ending = context->Execute();
		exception = ending == asEXECUTION_EXCEPTION ? context->GetExceptionString() : "";
		return ending;
	}

	int global(const char* name)
	{
		asIScriptModule* code = module->getEngineModule();
		return *static_cast<int*>(code->GetAddressOfGlobalVar(code->GetGlobalVarIndexByName(name)));
	}

	// Frames until the collector holds no more than it did once the code was
	// built, `most` of them at most; the frames it took.
	asUINT framesToFree(asUINT most)
	{
		asUINT frames = 0;
		while (collected(engine()) > held && frames < most)
		{
			manager.beginFrame();
			manager.endFrame();
			++frames;
		}
		return frames;
	}

	orv::script::CScriptManager manager;
	orv::script::CScriptModule* module = nullptr;
	asIScriptContext* context = nullptr;
	asUINT held = 0;
	std::string exception;
};

const char* const LISTS =
	"class Node { Node@ next; }\n"
	"class Twin { Twin@ next; Twin@ prev; }\n"
	"Node@ head;\n"
	"Twin@ twins;\n"
	"void prepended(uint n) { for (uint i = 0; i < n; ++i) { Node k; @k.next = head; @head = k; } }\n"
	"void appended(uint n) { Node@ last = null; for (uint i = 0; i < n; ++i) { Node k; "
	"if (last is null) @head = k; else @last.next = k; @last = k; } }\n"
	"void linkedBothWays(uint n) { for (uint i = 0; i < n; ++i) { Twin k; @k.next = twins; "
	"if (twins !is null) @twins.prev = k; @twins = k; } }\n"
	"void letGo() { @head = null; @twins = null; }\n"
	"array<Node> kept;\n"
	"void keepTooMany(uint n) { kept.resize(n); }\n";

TEST(ScriptCollector, AListOfTheBoundsSizeLetGoOfAtOnceGoesInAFewFrames)
{
	struct Case
	{
		const char* build;
		asUINT frames; // the frames it may take: steps, not time, so on any machine
	} cases[] = {
		{"void prepended(uint)", 32},
		{"void appended(uint)", 32},
		// Circles wait for the search, some frames more.
		{"void linkedBothWays(uint)", 400},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.build);
		SGarbage garbage(LISTS);
		const asUINT length = orv::script::SCRIPT_MAX_COLLECTED_OBJECTS - garbage.held;
		for (int round = 0; round < 2; ++round)
		{
			ASSERT_EQ(garbage.run(c.build, length), asEXECUTION_FINISHED) << garbage.exception;
			ASSERT_EQ(garbage.run("void letGo()"), asEXECUTION_FINISHED);
			EXPECT_LE(garbage.framesToFree(1000), c.frames) << "round " << round;
			EXPECT_EQ(collected(garbage.engine()), garbage.held);
		}
	}
}

TEST(ScriptCollector, PastTheBoundARunMeetsItsExceptionAndTheNextRuns)
{
	SGarbage garbage(LISTS);
	ASSERT_EQ(
		garbage.run("void keepTooMany(uint)", orv::script::SCRIPT_MAX_COLLECTED_OBJECTS + 1), asEXECUTION_EXCEPTION);
	EXPECT_EQ(garbage.exception, orv::script::SCRIPT_OBJECTS_EXCEPTION);
	// A list let go of, then the bound's worth made again: the collection at
	// the bound frees the first without a frame in between.
	const asUINT length = orv::script::SCRIPT_MAX_COLLECTED_OBJECTS - garbage.held;
	ASSERT_EQ(garbage.run("void prepended(uint)", length), asEXECUTION_FINISHED) << garbage.exception;
	ASSERT_EQ(garbage.run("void letGo()"), asEXECUTION_FINISHED);
	ASSERT_EQ(garbage.run("void prepended(uint)", length), asEXECUTION_FINISHED) << garbage.exception;
	garbage.manager.beginFrame();
	garbage.manager.endFrame();
	EXPECT_LE(collected(garbage.engine()), orv::script::SCRIPT_MAX_COLLECTED_OBJECTS);
}

// What destructors find of their objects is what the engine's own full
// cycle lets them find, however the client collects.
TEST(ScriptCollector, DestructorsFindTheirMembersAsTheEngineLeftThem)
{
	const char* const common = "class Node { Node@ next; }\n"
							   "int intact = 0;\n"
							   "Node@ list(uint n) { Node@ h = null; for (uint i = 0; i < n; ++i) { Node k; "
							   "@k.next = h; @h = k; } return h; }\n"
							   "uint length(Node@ p) { uint k = 0; for (; p !is null; @p = p.next) k++; return k; }\n";
	struct Case
	{
		const char* name;
		std::string code; // with void build(uint n) and void letGo()
	} cases[] = {
		{"a chain of objects with destructors",
			"class D { D@ next; ~D() { if (next !is null) intact++; } }\nD@ top;\n"
			"void build(uint n) { for (uint i = 0; i < n; ++i) { D k; @k.next = top; @top = k; } }\n"
			"void letGo() { @top = null; }\n"},
		{"a list held by an object with a destructor",
			"class Owner { Node@ head; uint made; ~Owner() { if (length(head) == made) intact++; } }\n"
			"array<Owner@> owners;\n"
			"void build(uint n) { for (uint i = 0; i < 8; ++i) { Owner o; @o.head = list(n); o.made = n; "
			"owners.insertLast(o); } }\n"
			"void letGo() { owners.resize(0); }\n"},
		{"objects with destructors held by value in a chain",
			"class Guard { int id = 7; array<int> a = {1, 2, 3}; ~Guard() { if (id == 7 && a.length() == 3) "
			"intact++; } }\n"
			"class Link { Link@ next; Guard g; }\nLink@ first;\n"
			"void build(uint n) { for (uint i = 0; i < n; ++i) { Link k; @k.next = first; @first = k; } }\n"
			"void letGo() { @first = null; }\n"},
		// What a circle's objects hold themselves goes after their destructors;
		// the engine frees the rest of the circle in the order of addresses.
		{"circles of objects with destructors holding lists",
			"class C { C@ other; Node@ head; ~C() { if (other !is null && head !is null) intact++; } }\n"
			"array<C@> pairs;\n"
			"void build(uint n) { for (uint i = 0; i < n / 16; ++i) { C a; C b; @a.other = b; @b.other = a; "
			"@a.head = list(16); @b.head = list(16); pairs.insertLast(a); } }\n"
			"void letGo() { pairs.resize(0); }\n"},
	};
	enum EHow
	{
		ENGINE_FULL_CYCLE,
		CLIENT_COLLECTION,
		FRAMES
	};
	const asUINT n = 400;
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		int found[3] = {};
		for (const EHow how : {ENGINE_FULL_CYCLE, CLIENT_COLLECTION, FRAMES})
		{
			SCOPED_TRACE(how);
			const std::string code = common + c.code;
			SGarbage garbage(code.c_str());
			ASSERT_EQ(garbage.run("void build(uint)", n), asEXECUTION_FINISHED) << garbage.exception;
			ASSERT_EQ(garbage.run("void letGo()"), asEXECUTION_FINISHED);
			if (how == ENGINE_FULL_CYCLE)
				garbage.engine()->GarbageCollect(asGC_FULL_CYCLE);
			else if (how == CLIENT_COLLECTION)
				EXPECT_TRUE(orv::script::collectScriptGarbage(
					garbage.engine(), std::chrono::steady_clock::now() + std::chrono::hours(1)));
			else
				garbage.framesToFree(4000);
			EXPECT_EQ(collected(garbage.engine()), garbage.held);
			found[how] = garbage.global("intact");
		}
		EXPECT_GT(found[ENGINE_FULL_CYCLE], 0);
		EXPECT_EQ(found[CLIENT_COLLECTION], found[ENGINE_FULL_CYCLE]);
		EXPECT_EQ(found[FRAMES], found[ENGINE_FULL_CYCLE]);
	}
}

// A destructor the collector runs as it frees an object may meet the bound
// while that object is half gone (its handle to the rest of the chain still
// held): the collection it asks for waits for the one running, which frees
// it all.
TEST(ScriptCollector, ADestructorThatMeetsTheBoundDuringACollectionLeavesItToTheCollectionRunning)
{
	SGarbage garbage("final class Guard { ~Guard() { for (uint i = 0; i < 64; ++i) { array<int> a(256); "
					 "Link spare; } } }\n"
					 "class Link { Guard@ g; Link@ next; }\nLink@ first;\n"
					 "void build(uint n) { for (uint i = 0; i < n; ++i) { Link k; @k.next = first; @k.g = Guard(); "
					 "@first = k; } }\n"
					 "void letGo() { @first = null; }\n");
	ASSERT_EQ(garbage.run("void build(uint)", 64), asEXECUTION_FINISHED) << garbage.exception;
	ASSERT_EQ(garbage.run("void letGo()"), asEXECUTION_FINISHED);
	orv::script::setCollectedScriptObjectsBound(garbage.held + 16);
	garbage.framesToFree(4000);
	orv::script::setCollectedScriptObjectsBound(0);
	EXPECT_EQ(collected(garbage.engine()), garbage.held);
}

} // namespace
