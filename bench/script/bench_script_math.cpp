// One million vector3df additions and string concatenations in a script loop,
// against the same loop over plain doubles (the math add-on's own type; there
// is no add-on string to compare with). Prints milliseconds per million
// operations and the ratios.
#include "script/CScriptManager.h"

#include <angelscript.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace {

using namespace AngelScript;

const char* Script = R"(
	void vectorAdd()
	{
		vector3df v;
		const vector3df d(1, 2, 3);
		for (int i = 0; i < 1000000; i++)
			v = v + d;
	}
	void doubleAdd()
	{
		double x = 0, y = 0, z = 0;
		for (int i = 0; i < 1000000; i++)
		{
			x = x + 1.0; y = y + 2.0; z = z + 3.0;
		}
	}
	void singleDoubleAdd()
	{
		double x = 0;
		for (int i = 0; i < 1000000; i++)
			x = x + 1.0;
	}
	void stringConcat()
	{
		const string a = "score: ";
		string t;
		for (int i = 0; i < 1000000; i++)
			t = a + "x";
	}
)";

void printMessage(const asSMessageInfo* msg, void*)
{
	std::printf("%s (%d, %d): %s\n", msg->section, msg->row, msg->col, msg->message);
}

// Best of several runs, in milliseconds.
double timeFunction(asIScriptContext* context, asIScriptFunction* function)
{
	double best = 1e300;
	for (int run = 0; run < 5; ++run)
	{
		context->Prepare(function);
		const auto start = std::chrono::steady_clock::now();
		const int result = context->Execute();
		const auto end = std::chrono::steady_clock::now();
		if (result != asEXECUTION_FINISHED)
		{
			std::printf("%s did not finish (%d)\n", function->GetName(), result);
			return -1;
		}
		best = std::min(best, std::chrono::duration<double, std::milli>(end - start).count());
	}
	return best;
}

} // namespace

int main()
{
	asIScriptEngine* engine = asCreateScriptEngine(ANGELSCRIPT_VERSION);
	engine->SetEngineProperty(asEP_PROPERTY_ACCESSOR_MODE, 2);
	engine->SetMessageCallback(asFUNCTION(printMessage), nullptr, asCALL_CDECL);
	orv::script::registerAddOnsAndValueTypes(engine);

	asIScriptModule* module = engine->GetModule("bench", asGM_ALWAYS_CREATE);
	module->AddScriptSection("bench", Script);
	if (module->Build() < 0)
	{
		std::printf("benchmark script did not build\n");
		engine->ShutDownAndRelease();
		return 1;
	}

	asIScriptContext* context = engine->CreateContext();
	const char* names[] = {"void vectorAdd()", "void doubleAdd()", "void singleDoubleAdd()", "void stringConcat()"};
	double ms[4];
	for (int i = 0; i < 4; ++i)
	{
		ms[i] = timeFunction(context, module->GetFunctionByDecl(names[i]));
		std::printf("%-24s %9.2f ms per million (%.1f ns each)\n", names[i], ms[i], ms[i]);
	}
	std::printf("vector3df addition / three double additions: %.2fx\n", ms[0] / ms[1]);
	std::printf("vector3df addition / one double addition:    %.2fx\n", ms[0] / ms[2]);
	std::printf("string concatenation / one double addition:  %.2fx\n", ms[3] / ms[2]);

	context->Release();
	engine->ShutDownAndRelease();
	return 0;
}
