// What the script engine's collector costs for what scripts leave it: a
// chain of script objects, each holding the next by a handle, let go of at
// once and collected in one full cycle, as a module given new code does.
// The collector frees an object whose only holder is itself, then looks at
// the next one in its list: a chain whose every release frees an object
// earlier in that list (each node holding the one made before it, the
// way a script pushes onto a list) takes one pass over all objects per
// node, a chain the other way round one pass in all. Prints, for growing
// lengths, the time to free each order, and the time when the handles are
// let go of first (what the close does once no script can run any more);
// then the time of a full cycle over that many live objects, which every
// discarded module pays however little it held.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cmath>
#include <string>

#include <angelscript.h>

#include "script/CScriptManager.h"
#include "script/CScriptModule.h"
#include "script/ScriptBudget.h"
#include "script/ScriptCollector.h"
#include "script/bindings/ScriptMemory.h"

using namespace orv;
using namespace AngelScript;

namespace {

typedef std::chrono::steady_clock Clock;

// A length past which a measure stops growing: the slow order grows with its
// square.
const double STOP_AFTER_MS = 4000.0;
const irr::u32 FIRST_LENGTH = 1000;
const irr::u32 LAST_LENGTH = 512000;

const char* const CHAINS = "class Node { Node@ next; }\n"
						   "Node@ head;\n"
						   "array<Node@> live;\n"
						   // Each node holds the one made before it.
						   "void buildBackward(uint n) { for (uint i = 0; i < n; ++i) { Node k; @k.next = head; "
						   "@head = k; } }\n"
						   // Each node holds the one made after it.
						   "void buildForward(uint n) { Node@ last = null; for (uint i = 0; i < n; ++i) { Node k; "
						   "if (last is null) @head = k; else @last.next = k; @last = k; } }\n"
						   "void keep(uint n) { live.resize(n); for (uint i = 0; i < n; ++i) @live[i] = Node(); }\n"
						   "void letGo() { @head = null; live.resize(0); }\n";

double millisecondsSince(Clock::time_point start)
{
	return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct SChains
{
	SChains() : scripts(nullptr)
	{
		// The bounds scripts meet in the client are what is measured here.
		scripts.setBudgets(600000, 600000);
		script::setScriptMemoryBound(1ull << 40);
		script::setCollectedScriptObjectsBound(1u << 30);
		module = scripts.getModule("chains");
		module->load(CHAINS, "chains");
		context = scripts.getEngine()->CreateContext();
		before = gcObjects();
	}
	~SChains()
	{
		context->Release();
		script::setScriptMemoryBound(0);
		script::setCollectedScriptObjectsBound(0);
	}

	void call(const char* declaration, irr::u32 n)
	{
		asIScriptFunction* function = module->getEngineModule()->GetFunctionByDecl(declaration);
		context->Prepare(function);
		if (function->GetParamCount() > 0)
			context->SetArgDWord(0, n);
		context->Execute();
	}

	asUINT gcObjects() const
	{
		asUINT size = 0;
		scripts.getEngine()->GetGCStatistics(&size);
		return size;
	}

	script::CScriptManager scripts;
	script::CScriptModule* module = nullptr;
	asIScriptContext* context = nullptr;
	// What the collector holds of the module itself (its array).
	asUINT before = 0;
};

// Frees a chain of n nodes built by `build`; the milliseconds it took, or a
// negative figure when objects were left.
double freeChain(const char* build, irr::u32 n, bool breakLinksFirst)
{
	SChains chains;
	chains.call(build, n);
	chains.call("void letGo()", 0);
	const Clock::time_point start = Clock::now();
	if (breakLinksFirst)
		script::releaseScriptObjectLinks(chains.scripts.getEngine());
	chains.scripts.getEngine()->GarbageCollect(asGC_FULL_CYCLE);
	const double ms = millisecondsSince(start);
	return chains.gcObjects() <= chains.before ? ms : -ms;
}

double fullCycleOverLive(irr::u32 n)
{
	SChains chains;
	chains.call("void keep(uint)", n);
	chains.scripts.getEngine()->GarbageCollect(asGC_FULL_CYCLE);
	const Clock::time_point start = Clock::now();
	chains.scripts.getEngine()->GarbageCollect(asGC_FULL_CYCLE);
	return millisecondsSince(start);
}

void printRow(const char* what, irr::u32 n, double ms)
{
	std::printf("%-44s %8u objects %10.1f ms%s\n", what, n, ms < 0 ? -ms : ms, ms < 0 ? "  (objects left)" : "");
	std::fflush(stdout);
}

} // namespace

int main()
{
	struct SMeasure
	{
		const char* what;
		const char* build;
		bool breakLinksFirst;
	} measures[] = {
		{"chain, each release frees an earlier node", "void buildBackward(uint)", false},
		{"chain, each release frees a later node", "void buildForward(uint)", false},
		{"chain freeing earlier nodes, links let go", "void buildBackward(uint)", true},
	};
	std::printf("full-cycle collection of a chain let go of at once (Release build, this machine)\n");
	for (const SMeasure& measure : measures)
		for (irr::u32 n = FIRST_LENGTH; n <= LAST_LENGTH; n *= 2)
		{
			const double ms = freeChain(measure.build, n, measure.breakLinksFirst);
			printRow(measure.what, n, ms);
			if (std::abs(ms) > STOP_AFTER_MS)
				break;
		}
	for (irr::u32 n = FIRST_LENGTH; n <= LAST_LENGTH; n *= 2)
	{
		const double ms = fullCycleOverLive(n);
		printRow("full cycle over live objects", n, ms);
		if (ms > STOP_AFTER_MS)
			break;
	}
	const irr::u32 bound = script::SCRIPT_MAX_COLLECTED_OBJECTS;
	const double worst = std::max(
		std::abs(freeChain(measures[0].build, bound, false)), std::abs(freeChain(measures[1].build, bound, false)));
	std::printf("at the bound of %u collected objects the slower order takes %.1f ms\n", bound, worst);
	return 0;
}
