// What building script code costs: the sample package's scripts and a
// 5,000-line script of ordinary functions, each built into a fresh module
// through the client's one build path; and sortDesc on ascending ints, the
// input that made a quadratic sort take minutes.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <angelscript.h>

#include "script/CScriptManager.h"
#include "script/CScriptModule.h"
#include "support/FreshEngine.h"

using namespace orv;
using namespace AngelScript;

namespace {

std::string readFile(const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	std::stringstream text;
	text << in.rdbuf();
	return text.str();
}

// Every CDATA section of the level: the scripts of its objects.
std::vector<std::string> levelScripts(const std::string& level)
{
	std::vector<std::string> scripts;
	for (size_t at = level.find("<![CDATA["); at != std::string::npos; at = level.find("<![CDATA[", at))
	{
		at += 9;
		const size_t end = level.find("]]>", at);
		if (end == std::string::npos)
			break;
		scripts.push_back(level.substr(at, end - at));
		at = end;
	}
	return scripts;
}

// Functions of the kinds game code is made of: locals, loops, branches,
// arithmetic, strings and arrays; twelve lines each.
std::string ordinaryScript(int lines)
{
	std::string code = "int total = 0;\n";
	for (int i = 0; i * 12 < lines; ++i)
	{
		const std::string n = std::to_string(i);
		code += "int step" + n + "(int x, const string &in name)\n{\n";
		code += "\tint[] values = {1, 2, 3, x};\n";
		code += "\tfor (uint k = 0; k < values.length(); ++k)\n\t\ttotal += values[k] * " + n + " - x / 3;\n";
		code += "\tif (name == \"a" + n + "\" || x > " + n + ")\n\t\treturn x + 1;\n";
		code += "\telse if (x < 0)\n\t\treturn -x;\n";
		code += "\tstring s = name + \"-\" + x;\n\treturn total + int(s.size());\n}\n";
	}
	return code;
}

// The program's script host, with every part of the script API.
struct SHost
{
	SHost() : fresh("script-build")
	{
		CGameEngine* engine = fresh.start();
		scripts = engine ? engine->getScriptManager() : nullptr;
		if (!scripts)
		{
			std::fprintf(stderr, "the engine does not start on the null device\n");
			std::exit(1);
		}
	}
	bench::CFreshEngine fresh;
	script::CScriptManager* scripts = nullptr;
};

void buildEach(benchmark::State& state, const std::vector<std::string>& sources)
{
	SHost host;
	script::CScriptModule* module = host.scripts->getModule("bench");
	for (auto _ : state)
		for (const std::string& source : sources)
			module->load(irr::core::ustring16(source.c_str()), "main");
	if (module->getEngineModule()->GetFunctionCount() == 0)
		state.SkipWithError("the script did not build");
}

void BM_BuildSampleScripts(benchmark::State& state)
{
	const std::string folder = std::string(ORV_SOURCE_DIR) + "/content/package/Sample/";
	std::vector<std::string> sources = levelScripts(readFile(folder + "sample_level.xml"));
	sources.push_back(readFile(folder + "client.as"));
	sources.push_back(readFile(folder + "hero.as"));
	buildEach(state, sources);
}
BENCHMARK(BM_BuildSampleScripts)->Unit(benchmark::kMillisecond);

void BM_BuildOrdinaryScript(benchmark::State& state)
{
	buildEach(state, {ordinaryScript(static_cast<int>(state.range(0)))});
}
BENCHMARK(BM_BuildOrdinaryScript)->Arg(5000)->Unit(benchmark::kMillisecond);

// The fill runs untimed before each sort.
void BM_SortDescAscendingInts(benchmark::State& state)
{
	SHost host;
	script::CScriptModule* module = host.scripts->getModule("bench");
	module->load(irr::core::ustring16("array<int> a;\n"
									  "void fill(uint n) { a.resize(n); for (uint i = 0; i < n; ++i) a[i] = int(i); }\n"
									  "void sort() { a.sortDesc(); }\n"
									  "bool sorted() { for (uint i = 1; i < a.length(); ++i) if (a[i - 1] < a[i]) "
									  "return false; return true; }\n"),
		"main");
	asIScriptModule* code = module->getEngineModule();
	asIScriptContext* context = host.scripts->getEngine()->CreateContext();
	const auto call = [&](const char* declaration, asUINT argument, bool hasArgument) {
		context->Prepare(code->GetFunctionByDecl(declaration));
		if (hasArgument)
			context->SetArgDWord(0, argument);
		return context->Execute() == asEXECUTION_FINISHED;
	};
	for (auto _ : state)
	{
		state.PauseTiming();
		call("void fill(uint)", static_cast<asUINT>(state.range(0)), true);
		state.ResumeTiming();
		if (!call("void sort()", 0, false))
			state.SkipWithError("the sort did not finish");
	}
	call("bool sorted()", 0, false);
	if (!context->GetReturnByte())
		state.SkipWithError("the array is not in descending order");
	context->Release();
}
// One sort each: the add-on's sort takes minutes on the larger input.
BENCHMARK(BM_SortDescAscendingInts)->Arg(20000)->Arg(200000)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
