// What the script engine's collector costs for what scripts leave it: shapes
// of script objects let go of at once, as a module given new code does.
// The collector frees an object whose only holder is itself, then looks at
// the next one in its list: a chain whose every release frees an object
// earlier in that list (each node holding the one made before it, the way
// a script pushes onto a list) takes one pass over all objects per node.
// For each shape and size it prints the time of the engine's full cycle
// alone (what the client did before its links were let go of first) and of
// the client's collection (script/bindings/ScriptCollector.h); then what a
// frame's share of the collector costs at most while it frees such garbage,
// and in how many frames; then the cost of a collection over that many live
// objects, which every discarded module pays however little it held.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include <angelscript.h>

#include "script/CScriptManager.h"
#include "script/CScriptModule.h"
#include "script/bindings/ScriptCollector.h"
#include "script/bindings/ScriptMemory.h"

using namespace orv;
using namespace AngelScript;

namespace {

typedef std::chrono::steady_clock Clock;

// A size past which the engine's cycle alone is not measured: it grows with
// the square of the length.
const double SKIP_AFTER_MS = 3000.0;
const irr::u32 SIZES[] = {4096, 16384, 65536};
// Frames given to the frames' shares before a shape counts as not freed.
const irr::u32 MAX_FRAMES = 1000;

const char* const SHAPES =
	"class Node { Node@ next; }\n"
	"class Twin { Twin@ next; Twin@ prev; }\n"
	"class Cell { array<Cell@> near; }\n"
	"class Kept { Kept@ next; ~Kept() { kept++; } }\n"
	"uint kept = 0;\n"
	"Node@ head;\n"
	"Twin@ twins;\n"
	"Kept@ keptHead;\n"
	"array<Cell@> grid;\n"
	"array<Node@> live;\n"
	// Each node holds the one made before it.
	"void prepended(uint n) { for (uint i = 0; i < n; ++i) { Node k; @k.next = head; @head = k; } }\n"
	// Each node holds the one made after it.
	"void appended(uint n) { Node@ last = null; for (uint i = 0; i < n; ++i) { Node k; "
	"if (last is null) @head = k; else @last.next = k; @last = k; } }\n"
	// A list linked both ways, prepended: every link a circle.
	"void cycles(uint n) { for (uint i = 0; i < n; ++i) { Twin k; @k.next = twins; "
	"if (twins !is null) @twins.prev = k; @twins = k; } }\n"
	// A square grid, each cell with an array of its neighbours: n objects
	// are n / 2 cells and their arrays.
	"void graph(uint n) { uint side = 1; while ((side + 1) * (side + 1) * 2 <= n) side++; "
	"grid.resize(side * side); for (uint i = 0; i < grid.length(); ++i) @grid[i] = Cell(); "
	"for (uint y = 0; y < side; ++y) for (uint x = 0; x < side; ++x) { Cell@ c = grid[y * side + x]; "
	"if (x > 0) c.near.insertLast(grid[y * side + x - 1]); if (x + 1 < side) c.near.insertLast(grid[y * side + x + "
	"1]); "
	"if (y > 0) c.near.insertLast(grid[(y - 1) * side + x]); if (y + 1 < side) c.near.insertLast(grid[(y + 1) * side + "
	"x]); } }\n"
	// Prepended objects with a destructor, whose links are not let go of early.
	"void destructed(uint n) { for (uint i = 0; i < n; ++i) { Kept k; @k.next = keptHead; @keptHead = k; } }\n"
	"void keep(uint n) { live.resize(n); for (uint i = 0; i < n; ++i) @live[i] = Node(); }\n"
	"void letGo() { @head = null; @twins = null; @keptHead = null; grid.resize(0); }\n";

double millisecondsSince(Clock::time_point start)
{
	return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct SShapes
{
	SShapes() : scripts(nullptr)
	{
		// The bounds scripts meet in the client are what is measured here.
		scripts.setBudgets(600000, 600000);
		script::setScriptMemoryBound(1ull << 40);
		script::setCollectedScriptObjectsBound(1u << 30);
		module = scripts.getModule("shapes");
		module->load(SHAPES, "shapes");
		context = scripts.getEngine()->CreateContext();
		before = gcObjects();
	}
	~SShapes()
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

	bool allFreed() const { return gcObjects() <= before; }

	// Objects kept a while have met a search for circles, which moves them
	// to the list the collector passes over one object at a time; objects
	// let go of as soon as made are freed from its list of new ones, which
	// is kinder to chains.
	void age(bool aged)
	{
		if (aged)
			scripts.getEngine()->GarbageCollect(asGC_FULL_CYCLE | asGC_DETECT_GARBAGE);
	}

	script::CScriptManager scripts;
	script::CScriptModule* module = nullptr;
	asIScriptContext* context = nullptr;
	// What the collector holds of the module itself (its arrays).
	asUINT before = 0;
};

enum ECollection
{
	EC_ENGINE_FULL_CYCLE,
	EC_CLIENT
};

// Frees a shape of n objects; the milliseconds it took, negative when objects
// were left.
double freeShape(const char* build, bool aged, irr::u32 n, ECollection how)
{
	SShapes shapes;
	shapes.call(build, n);
	shapes.age(aged);
	shapes.call("void letGo()", 0);
	asIScriptEngine* engine = shapes.scripts.getEngine();
	const Clock::time_point start = Clock::now();
	if (how == EC_ENGINE_FULL_CYCLE)
		engine->GarbageCollect(asGC_FULL_CYCLE);
	else
		script::collectScriptGarbage(engine, Clock::time_point::max());
	const double ms = millisecondsSince(start);
	return shapes.allFreed() ? ms : -ms;
}

struct SFrames
{
	irr::u32 Frames = 0;
	double WorstMs = 0;
	bool Freed = false;
};

// Frees a shape of n objects with the frames' shares alone.
SFrames freeShapeInFrames(const char* build, bool aged, irr::u32 n)
{
	SShapes shapes;
	shapes.call(build, n);
	shapes.age(aged);
	shapes.call("void letGo()", 0);
	script::SFrameCollection state;
	SFrames frames;
	while (!frames.Freed && frames.Frames < MAX_FRAMES)
	{
		const Clock::time_point start = Clock::now();
		script::collectScriptGarbageInFrame(shapes.scripts.getEngine(), state);
		frames.WorstMs = std::max(frames.WorstMs, millisecondsSince(start));
		++frames.Frames;
		frames.Freed = shapes.allFreed();
	}
	return frames;
}

double collectOverLive(irr::u32 n, ECollection how)
{
	SShapes shapes;
	shapes.call("void keep(uint)", n);
	asIScriptEngine* engine = shapes.scripts.getEngine();
	engine->GarbageCollect(asGC_FULL_CYCLE);
	const Clock::time_point start = Clock::now();
	if (how == EC_ENGINE_FULL_CYCLE)
		engine->GarbageCollect(asGC_FULL_CYCLE);
	else
		script::collectScriptGarbage(engine, Clock::time_point::max());
	return millisecondsSince(start);
}

std::string figure(double ms)
{
	char text[64];
	std::snprintf(text, sizeof text, "%9.1f ms%s", ms < 0 ? -ms : ms, ms < 0 ? " (left some)" : "");
	return text;
}

} // namespace

int main(int argc, char** argv)
{
	// A word of a shape's name measures only the shapes that have it.
	const char* only = argc > 1 ? argv[1] : "";
	struct SShape
	{
		const char* what;
		const char* build;
		bool aged;
	} shapes[] = {
		{"prepended list", "void prepended(uint)", true},
		{"appended list", "void appended(uint)", true},
		{"list linked both ways (cycles)", "void cycles(uint)", true},
		{"grid graph, arrays of neighbours", "void graph(uint)", true},
		{"prepended list, destructors, new", "void destructed(uint)", false},
		{"prepended list, destructors, kept", "void destructed(uint)", true},
	};
	std::printf("freeing a shape let go of at once (Release build, this machine)\n");
	std::printf(
		"%-40s %8s %22s %18s %24s\n", "shape", "objects", "engine full cycle", "client", "frames (worst frame)");
	for (const SShape& shape : shapes)
	{
		if (!std::strstr(shape.what, only))
			continue;
		bool skipEngine = false;
		bool skipClient = false;
		for (const irr::u32 n : SIZES)
		{
			std::string engineFigure = "skipped (n * n)";
			if (!skipEngine)
			{
				const double ms = freeShape(shape.build, shape.aged, n, EC_ENGINE_FULL_CYCLE);
				engineFigure = figure(ms);
				skipEngine = std::abs(ms) > SKIP_AFTER_MS;
			}
			std::string clientFigure = "skipped (n * n)";
			if (!skipClient)
			{
				const double ms = freeShape(shape.build, shape.aged, n, EC_CLIENT);
				clientFigure = figure(ms);
				skipClient = std::abs(ms) > SKIP_AFTER_MS;
			}
			const SFrames frames = freeShapeInFrames(shape.build, shape.aged, n);
			std::printf("%-40s %8u %22s %18s %10u%s (%6.2f ms)\n", shape.what, n, engineFigure.c_str(),
				clientFigure.c_str(), frames.Frames, frames.Freed ? "" : "+", frames.WorstMs);
			std::fflush(stdout);
		}
	}
	for (const irr::u32 n : SIZES)
		std::printf("%-40s %8u %22s %18s\n", "collection over live objects", n,
			figure(collectOverLive(n, EC_ENGINE_FULL_CYCLE)).c_str(), figure(collectOverLive(n, EC_CLIENT)).c_str());
	return 0;
}
