// The close's help to the script engine's collector: once the handles
// between the objects it holds are let go of, one pass over them frees them
// all, in whatever order scripts linked them; without it, a chain frees
// about one link per pass. Counted in the collector's own steps (each looks
// at one object).

#include "script/CScriptManager.h"
#include "script/ScriptCollector.h"
#include "script/bindings/ScriptMemory.h"

#include <angelscript.h>
#include <gtest/gtest.h>

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

} // namespace
