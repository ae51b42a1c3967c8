// What script code a server or a package sends may cost the client: failures
// are logged once naming the module, runs end within their budget, and code
// nested past what the compiler survives is refused before it compiles.

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include <angelscript.h>
#include <gtest/gtest.h>

#include "base/packet.h"
#include "script/CScriptManager.h"
#include "script/CScriptModule.h"
#include "script/SScriptBinding.h"
#include "script/ScriptBudget.h"
#include "script/ScriptBuildGroup.h"
#include "script/ScriptCallbacks.h"
#include "script/ScriptSourceGuard.h"
#include "script/ScriptTokens.h"
#include "support/script_world.h"
#include "world/CObjectClass.h"
#include "world/CObjectManager.h"
#include "world/CSceneObject.h"

namespace orv {
namespace {

using test::CScriptWorld;

std::string repeat(const std::string& text, size_t count)
{
	std::string all;
	for (size_t i = 0; i < count; ++i)
		all += text;
	return all;
}

// Functions sum0, sum1 ... each returning a sum of that many terms.
std::string sums(size_t functions, size_t terms)
{
	std::string code;
	for (size_t i = 0; i < functions; ++i)
		code += "int sum" + std::to_string(i) + "(int a) { return a" + repeat("+a", terms) + "; }\n";
	return code;
}

// The pieces made for 0 .. count-1, one after the other.
std::string each(size_t count, const std::function<std::string(const std::string&)>& piece)
{
	std::string all;
	for (size_t i = 0; i < count; ++i)
		all += piece(std::to_string(i));
	return all;
}

std::string next(const std::string& i)
{
	return std::to_string(std::stoul(i) + 1);
}

size_t countOf(const std::vector<std::string>& lines, const std::string& line)
{
	return static_cast<size_t>(std::count(lines.begin(), lines.end(), line));
}

// Loads code that may fail to build, which CScriptWorld::load would count as
// a test failure.
void loadAnyway(script::CScriptModule* module, const std::string& code)
{
	module->load(irr::core::ustring16(code), "main");
}

TEST(ScriptLimits, FailuresAreLoggedOnceNamingModuleSectionAndLine)
{
	CScriptWorld world;
	CSceneObject* object = world.makeObject(5, 0, "five");
	script::CScriptModule* client = world.scripts().getModule("client");
	script::CScriptModule* blank = CObjectManager::getInstance()->findObjectClass("blank")->getModule();
	struct Case
	{
		script::CScriptModule* module;
		std::string code;
		std::string line;
	} cases[] = {
		{object->getModule(), "void Created(SceneObject@+ self)\n{\n  SceneObject@ none;\n  none.get_type();\n}\n",
			"Script of object \"scene_object_5\" (class \"blank\") stopped at main (r 4, c 3) : Null pointer access"},
		{client, "int[] a;\nvoid Created(SceneObject@+ self) { a[3] = 1; }\n",
			"Script of module \"client\" stopped at main (r 2, c 36) : Index out of bounds"},
		{blank, "void Created(SceneObject@+ self) { int x = y; }\n",
			"Script of class \"blank\" did not build: main (r 1, c 44) : No matching symbol 'y'"},
		{client, "int[] a;\nint b = a[1];\nvoid Created(SceneObject@+ self) {}\n",
			"Script of module \"client\" stopped at main (r 2, c 5) : Index out of bounds"},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.line);
		for (int load = 0; load < 2; ++load)
		{
			const std::vector<std::string> before = world.errors();
			loadAnyway(c.module, c.code);
			script::SScriptBinding binding;
			binding.setModule(c.module);
			for (int call = 0; call < 3; ++call)
				binding.callCallback(script::ESC_CREATED, net::packet(), nullptr);
			std::vector<std::string> logged = world.errors();
			logged.erase(logged.begin(), logged.begin() + static_cast<long>(before.size()));
			EXPECT_EQ(countOf(logged, c.line), 1u) << "load " << load << ", logged:\n"
												   << testing::PrintToString(logged);
		}
	}
	// A failed initialiser leaves the module without the code's functions.
	EXPECT_EQ(client->getCallbackId(script::ESC_CREATED), AngelScript::asNO_FUNCTION);
}

// Code of globals alone still holds what its globals are (an array's
// template type): the next code replaces it, it is not refused as a module
// still in use.
TEST(ScriptLimits, CodeOfGlobalsAloneIsReplacedByTheNext)
{
	CScriptWorld world;
	script::CScriptModule* client = world.scripts().getModule("client");
	const char* globalsOnly[] = {"array<array<int>> grid = {{1}, {2, 3}};", "int v = 0;", "enum E { A, B }"};
	for (const char* code : globalsOnly)
	{
		SCOPED_TRACE(code);
		world.load(client, code);
		world.load(client, "void Created(SceneObject@+ self) {}");
		EXPECT_GE(client->getCallbackId(script::ESC_CREATED), 0);
		world.load(client, code);
		EXPECT_EQ(client->getCallbackId(script::ESC_CREATED), AngelScript::asNO_FUNCTION) << "the new code replaced it";
	}
}

// AngelScript's parser looks one character past a type's name for the
// brackets of a template: code that ends inside one had it read a byte past
// its copy of the section (valgrind's replay of the fuzz corpus saw it). The
// code builds, or fails, as written all the same.
TEST(ScriptLimits, CodeThatEndsInsideATokenBuildsOrFailsAsWritten)
{
	CScriptWorld world;
	script::CScriptModule* client = world.scripts().getModule("client");
	struct Case
	{
		std::string code;
		bool builds;
	} cases[] = {
		{"int x = 1;", true},
		{"void Created(SceneObject@+ self) {}", true},
		{"class K { int v; array<i", false},
		{"array<int", false},
		{"array<", false},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.code);
		const std::vector<std::string> before = world.errors();
		loadAnyway(client, c.code);
		std::vector<std::string> logged = world.errors();
		logged.erase(logged.begin(), logged.begin() + static_cast<long>(before.size()));
		EXPECT_EQ(logged.empty(), c.builds) << testing::PrintToString(logged);
	}
}

TEST(ScriptLimits, HangingAndRecursingRunsEndAndTheNextRunGoesOn)
{
	// The recursion's time budget only ends a broken run: the nesting cap
	// comes first whatever the machine's speed.
	struct Case
	{
		const char* name;
		const char* body;
		const char* ending;
		irr::u32 runMs;
	} cases[] = {
		{"endless loop", "while (true) {}", "out of time after 1000 ms", 1000},
		{"loop in a call", "spin();", "out of time after 1000 ms", 1000},
		{"endless recursion", "dive(0);", "Stack overflow", 600000},
		{"branching recursion", "fan(64);", "out of time after 1000 ms", 1000},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		CScriptWorld world;
		world.scripts().setBudgets(c.runMs, script::SCRIPT_FRAME_BUDGET_MS);
		CSceneObject* object = world.makeObject(1, 0, "a");
		world.load(object->getModule(),
			std::string("int updates = 0; bool stuck = false;\n"
						"void spin() { for (;;) {} }\n"
						"int dive(int n) { return dive(n + 1) + 1; }\n"
						"int fan(int n) { return n == 0 ? 1 : fan(n - 1) + fan(n - 1); }\n"
						"void Update(SceneObject@+ self, uint t) {\n"
						"  if (!stuck) { stuck = true; ") +
				c.body + " }\n  updates++; }\n");
		script::SScriptBinding* binding = object->getBinding();
		for (int call = 0; call < 3; ++call)
			binding->callCallback(script::ESC_UPDATE, net::packet(), object);

		AngelScript::asIScriptModule* module = object->getModule()->getEngineModule();
		EXPECT_EQ(*static_cast<int*>(module->GetAddressOfGlobalVar(module->GetGlobalVarIndexByName("updates"))), 2);
		const std::vector<std::string> errors = world.errors();
		ASSERT_EQ(errors.size(), 1u) << testing::PrintToString(errors);
		EXPECT_EQ(errors[0].find("Script of object \"scene_object_1\" (class \"blank\") stopped at main (r "), 0u)
			<< errors[0];
		EXPECT_NE(errors[0].find(c.ending), std::string::npos) << errors[0];
		EXPECT_EQ(object->getReferenceCount(), 1) << "the ended run let go of its handles";
	}
}

TEST(ScriptLimits, HangingInitialiserEndsTheLoad)
{
	CScriptWorld world;
	script::CScriptModule* client = world.scripts().getModule("client");
	loadAnyway(client,
		"int forever() { while (true) {} return 0; }\n"
		"int x = forever();\n"
		"void Created(SceneObject@+ self) {}\n");
	EXPECT_EQ(client->getCallbackId(script::ESC_CREATED), AngelScript::asNO_FUNCTION);
	const std::vector<std::string> errors = world.errors();
	EXPECT_EQ(std::count_if(errors.begin(), errors.end(),
				  [](const std::string& e) {
					  return e.find("Script of module \"client\" stopped at main (r 1, c ") == 0 &&
						  e.find("out of time after 1000 ms") != std::string::npos;
				  }),
		1)
		<< testing::PrintToString(errors);

	// The module takes code again as usual.
	world.load(client, "int created = 0; void Created(SceneObject@+ self) { created++; }");
	EXPECT_GE(client->getCallbackId(script::ESC_CREATED), 0);
}

TEST(ScriptLimits, DeepNestingIsRefusedBeforeItCompiles)
{
	const std::string head = "void Created(SceneObject@+ self) { ";
	struct Case
	{
		const char* name;
		std::string code;
		bool builds;
	} cases[] = {
		{"10,000 parentheses", head + "int x = " + repeat("(", 10000) + "1" + repeat(")", 10000) + "; }", false},
		{"10,000 blocks", head + repeat("{", 10000) + repeat("}", 10000) + " }", false},
		{"mixed brackets", head + "int[] a = {1}; int x = " + repeat("a[(", 200) + "0" + repeat(")]", 200) + "; }",
			false},
		{"unclosed", head + repeat("(", 300), false},
		{"at the limit", head + "int x = " + repeat("(", 255) + "1" + repeat(")", 255) + "; }", true},
		{"in strings and comments",
			head + "string s = \"" + repeat("(", 1000) + "\"; s = '" + repeat("[", 1000) + "'; /* " +
				repeat("{", 1000) + " */ // " + repeat("(", 1000) + "\n }",
			true},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		CScriptWorld world;
		script::CScriptModule* client = world.scripts().getModule("client");
		world.load(client, "void Created(SceneObject@+ self) {}");
		loadAnyway(client, c.code);
		EXPECT_EQ(client->getCallbackId(script::ESC_CREATED) >= 0, c.builds);
		const std::vector<std::string> refusals = world.refusals();
		const std::string refused = "Script of module \"client\" refused: brackets nested deeper than 256";
		EXPECT_EQ(countOf(refusals, refused), c.builds ? 0u : 1u) << testing::PrintToString(refusals);
	}
}

// Code that would overflow the compiler's native stack or keep it busy for
// seconds, against ordinary code of the same kinds at the bounds. Refused
// code leaves one line, and the module takes its next code as usual.
TEST(ScriptLimits, CodeTheCompilerCannotSurviveIsRefusedAndTheNextBuilds)
{
	const std::string head = "void Created(SceneObject@+ self) { ";
	const std::string nesting = "statements nested deeper than 1024";
	const std::string operators = "a statement with more than 256 operators";
	const std::string conditionals = "a statement with more than 64 conditional operators";
	struct Case
	{
		const char* name;
		std::string code;
		std::string refusal; // empty: builds
	} cases[] = {
		{"5,000 else ifs", head + "int c = 0; if (c == 0) {}" + repeat(" else if (c == 1) {}", 5000) + " }", nesting},
		{"else ifs without blocks",
			head + "int c = 0; if (c == 0) c = 1;" + repeat(" else if (c == 1) c = 2;", 2000) + " }", nesting},
		{"11,700 nested ifs", head + "bool c = false; " + repeat("if (c) ", 11700) + "{} }", nesting},
		{"15,000 nested whiles", head + "bool c = false; " + repeat("while (c) ", 15000) + "{} }", nesting},
		{"nested ifs in blocks",
			head + "bool c = false; " + repeat("{ if (c) if (c) if (c) if (c) ", 250) + "{}" + repeat(" }", 250) + " }",
			nesting},
		{"12,700 chained assignments", head + "int a; a" + repeat(" = a", 12700) + " = 1; }", operators},
		{"5,000 terms", "int a = 1;\nint b = a" + repeat(" + a", 5000) + ";\n" + head + "}", operators},
		{"50,000 signs", head + "int a = " + repeat("-", 50000) + "1; }", operators},
		{"4,000 conditionals", "bool c = true;\nint b = " + repeat("c ? 1 : ", 4000) + "2;\n" + head + "}",
			conditionals},
		{"nested conditionals",
			head + "bool c = true; int b = " + repeat("c ? (", 100) + "2" + repeat(") : 1", 100) + "; }", conditionals},
		{"&+ in a parameter", "void OnEvent(SceneObject&+ self) {}\n" + head + "}", "'+' after '&'"},
		{"& + in an expression", head + "int a = 1 & + 1; }", "'+' after '&'"},
		{"a constructor marked override", "class l { l() override {} }\n" + head + "}",
			"a constructor marked 'override'"},
		{"a function without a type marked final", "class l{a()final;}\n" + head + "}", "a constructor marked 'final'"},
		{"a method marked override",
			"class B { void a() {} }\nclass l : B { void a() override {} ~l() {} }\n" + head + "}", ""},
		{"1,000 else ifs", head + "int c = 0; if (c == 0) {}" + repeat(" else if (c == 1) {}", 1000) + " }", ""},
		{"1,000 nested ifs", head + "bool c = false; " + repeat("if (c) ", 1000) + "{} }", ""},
		{"250 terms", "int a = 1;\nint b = a" + repeat(" + a", 250) + ";\n" + head + "}", ""},
		{"250 chained assignments", head + "int a; a" + repeat(" = a", 250) + " = 1; }", ""},
		{"60 conditionals", "bool c = true;\nint b = " + repeat("c ? 1 : ", 60) + "2;\n" + head + "}", ""},
		{"10,000 negative numbers", "int[] a = {" + repeat("-1, ", 10000) + "-1};\n" + head + "}", ""},
		{"100 statements of 200 operators", sums(100, 200) + head + "}", ""},
		{"deep brackets and statements",
			head + "int a = 0; " + repeat("{ if (a == 0) ", 250) + "a = 1;" + repeat(" }", 250) + " }", ""},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		CScriptWorld world;
		CSceneObject* object = world.makeObject(1, 0, "a");
		script::CScriptModule* modules[] = {world.scripts().getModule("client"),
			CObjectManager::getInstance()->findObjectClass("blank")->getModule(), object->getModule()};
		for (script::CScriptModule* module : modules)
		{
			const size_t before = world.errors().size();
			const size_t refusedBefore = world.refusals().size();
			loadAnyway(module, c.code);
			std::vector<std::string> logged = world.errors();
			logged.erase(logged.begin(), logged.begin() + static_cast<long>(before));
			std::vector<std::string> refused = world.refusals();
			refused.erase(refused.begin(), refused.begin() + static_cast<long>(refusedBefore));
			EXPECT_TRUE(logged.empty()) << testing::PrintToString(logged);
			if (c.refusal.empty())
			{
				EXPECT_TRUE(refused.empty()) << testing::PrintToString(refused);
				EXPECT_GE(module->getCallbackId(script::ESC_CREATED), 0);
				continue;
			}
			EXPECT_EQ(refused, std::vector<std::string>{"Script of " + module->describe() + " refused: " + c.refusal});
			EXPECT_EQ(module->getCallbackId(script::ESC_CREATED), AngelScript::asNO_FUNCTION);
			world.load(module, "void Created(SceneObject@+ self) {}");
			EXPECT_GE(module->getCallbackId(script::ESC_CREATED), 0);
		}
	}
}

// Code whose cost to the compiler grows faster than its text, each shape
// just past its bound, made here at its size: each is refused with one line
// naming the bound, the module builds its next code and that code runs in
// the next frame. The same shapes at their bounds build.
TEST(ScriptLimits, CodeThatCostsTheCompilerMoreThanItsTextIsRefused)
{
	const std::string created = "void Created(SceneObject@+ self) {}\n";
	const auto classes = [](size_t n, const std::string& body) {
		return each(n, [&](const std::string& i) { return "class T" + i + " {" + body + "}\n"; });
	};
	const auto locals = [](size_t n) {
		return "void g() {\n" + each(n, [](const std::string& i) { return "int v" + i + " = 1;\n"; }) + "}\n";
	};
	const auto parameters = [](size_t n) {
		return "void g(" + each(n, [](const std::string& i) { return "int a" + i + ", "; }) + "int z) {}\n";
	};
	const auto call = [](size_t n) {
		return "void h(" + each(n, [](const std::string& i) { return "int a" + i + ", "; }) +
			"int z) {}\nvoid g() { h(" + repeat("1, ", n) + "1); }\n";
	};
	const auto nested = [](size_t n) {
		return "void g() { " + repeat("array<", n) + "int" + repeat(">", n) + " a; }\n";
	};
	const auto lambdas = [](size_t n) {
		return "funcdef void F(int, float, const string &in);\nvoid g() {\n" +
			repeat("F@ f = function(a, b, c) {\n", n) + repeat("};\n", n) + "}\n";
	};
	const auto chain = [](size_t n) {
		return each(n,
				   [](const std::string& i) { return "int g" + i + "(int a = g" + next(i) + "()) { return a; }\n"; }) +
			"int g" + std::to_string(n) + "(int a = 0) { return a; }\nvoid h() { g0(); }\n";
	};
	const auto fan = [](size_t n) {
		return each(n,
				   [](const std::string& i) {
					   return "int g" + i + "(int a = g" + next(i) + "(), int b = g" + next(i) +
						   "()) { return a + b; }\n";
				   }) +
			"int g" + std::to_string(n) + "(int a = 0) { return a; }\nvoid h() { g0(); }\n";
	};
	const auto globals = [](size_t n) {
		return each(n, [](const std::string& i) { return "int g" + i + " = g" + next(i) + " + 1;\n"; }) + "int g" +
			std::to_string(n) + " = 0;\n";
	};
	const auto enums = [](size_t n) {
		return "enum E {\n" + each(n, [](const std::string& i) { return "e" + i + " = e" + next(i) + " + 1,\n"; }) +
			"e" + std::to_string(n) + " = 0 }\n";
	};
	const auto switchCases = [](size_t n) {
		return "void g(int x) { switch (x) {\n" +
			each(n, [](const std::string& i) { return "case " + i + ": x++; break;\n"; }) + "} }\n";
	};
	const auto mixin = [](size_t n) {
		return "mixin class M {\n" +
			each(50,
				[](const std::string& i) {
					return "int p" + i + " = " + i + ";\nint m" + i + "() { return p" + i + "; }\n";
				}) +
			"}\n" + each(n, [](const std::string& i) { return "class C" + i + " : M {}\n"; });
	};
	const auto constructors = [&](size_t n) {
		return classes(n, "") + "class C {\n" +
			each(n, [](const std::string& i) { return "int p" + i + " = " + i + ";\nC(T" + i + "@ t) {}\n"; }) + "}\n";
	};
	const auto interfaces = [](size_t n) {
		return "interface I0 { void m(); }\n" +
			each(n, [](const std::string& i) { return "interface I" + next(i) + " : I" + i + " {}\n"; }) +
			"class C : I" + std::to_string(n) + " { void m() {} }\n";
	};
	const auto overloads = [](size_t n) {
		return each(n, [](const std::string& i) { return "class T" + i + " {}\nvoid f(T" + i + "@ t) {}\n"; }) +
			"void g() {\n" + each(n, [](const std::string& i) { return "f(T" + i + "());\n"; }) + "}\n";
	};
	const auto instances = [](size_t n) {
		return each(n, [](const std::string& i) { return "class C" + i + " {}\narray<C" + i + "@> a" + i + ";\n"; });
	};
	const auto manyLambdas = [](size_t n) {
		return "funcdef void F();\n" +
			each(n, [](const std::string& i) { return "void g" + i + "() { F@ l = function() {}; }\n"; });
	};
	const auto functions = [](size_t n) {
		return each(n, [](const std::string& i) { return "void fn" + i + "() {}\n"; });
	};
	const auto members = [](size_t n) {
		return "class C {\n" + each(n, [](const std::string& i) { return "int p" + i + ";\n"; }) + "}\n";
	};
	const auto properties = [](size_t n) {
		return "class C {\n" + each(n, [](const std::string& i) {
			return "int p" + i + " { get { return " + i + "; } set {} }\n";
		}) + "}\n";
	};
	const auto list = [](size_t n) { return "int[] a = {" + repeat("1, ", n) + "1};\n"; };
	const auto namespaces = [](size_t n) {
		return "namespace ns { class T {}\n" + repeat("namespace ns {\n", n) + "void f(T@ t) {}\n" + repeat("}\n", n) +
			"}\n";
	};
	const auto scope = [](size_t n) {
		return repeat("namespace a {\n", 40) + "int b = 0;\n" + repeat("}\n", 40) + "void g() { " + repeat("a::", n) +
			"b = 1; }\n";
	};
	const auto suffixes = [](size_t n) { return "void g() { int" + repeat("[]", n) + " a; }\n"; };
	const auto name = [](size_t n) { return "void f" + std::string(n - 1, 'a') + "() {}\n"; };
	const auto defaultText = [](size_t n) {
		return "int xxxxxxxxxxxxxxx = 1;\nvoid f(int a = xxxxxxxxxxxxxxx" + repeat(" + xxxxxxxxxxxxxxx", n) +
			") {}\nvoid g() { f(); }\n";
	};
	const auto forward = [](size_t n) {
		return "int g0 = 0;\n" +
			each(n, [](const std::string& i) { return "int g" + next(i) + " = g" + i + " + 1;\n"; });
	};
	// Initialisers that fail on their own errors are tried again in every
	// round the chain after them takes.
	const auto failing = [&](size_t n) {
		return each(n, [](const std::string& i) { return "int e" + i + " = nothing + " + i + ";\n"; }) + globals(16);
	};
	// Calls of a function of sixteen defaults in a module long enough that
	// only the whole bound on defaults holds.
	const auto longModule = [](size_t n) {
		return "void pad() { int x = 0;\n" + repeat("x += 1;\n", 1000) + "}\nvoid f(" +
			each(15, [](const std::string& i) { return "int a" + i + " = 1 + 2, "; }) + "int z = 1 + 2) {}\n" +
			"void g() {\n" + repeat("f();\n", n) + "}\n";
	};
	// One function's code is held whole while it compiles, and the compiler
	// looks for each jump's target through it.
	const auto longFunction = [](size_t n) {
		return "void h(int a, int b, int c) {}\nvoid g() {\n" + repeat("h(1, 2, 3);\n", n) + "}\n";
	};
	const auto loops = [](size_t n) { return "void g(bool c) {\n" + repeat("while (c) {}\n", n) + "}\n"; };
	const auto continues = [](size_t n) {
		return "void g(bool c) { while (c) {\n" + repeat("if (c) continue;\n", n) + "} }\n";
	};
	const auto ifsAround = [](size_t n) {
		return "void g(bool c) { int x = 0;\n" + repeat("if (c) ", 500) + "{\n" + repeat("x++;\n", n) + "} }\n";
	};
	const auto initialisers = [](size_t n) {
		return "class C {\n" +
			each(n, [](const std::string& i) { return "int p" + i + " = 1" + repeat(" + 1", 63) + ";\n"; }) + "}\n";
	};
	// A class derives what its base has and checks its own against it.
	const auto wideBase = [](size_t n) {
		return "class C0 {\n" + each(n, [](const std::string& i) { return "void m" + i + "() {}\n"; }) + "}\n" +
			each(100, [](const std::string& i) { return "class D" + i + " : C0 {}\n"; });
	};
	const auto membersDown = [](size_t n) {
		std::string code;
		for (size_t c = 0; c < 64; ++c)
			code += "class C" + std::to_string(c) + (c ? " : C" + std::to_string(c - 1) : "") + " {\n" +
				each(n, [&](const std::string& i) { return "int p" + std::to_string(c) + "_" + i + ";\n"; }) + "}\n";
		return code;
	};
	const auto accessors = [](size_t n) {
		return each(n, [](const std::string& i) { return "int get_p" + i + "() property { return 1; }\n"; });
	};
	const auto flatNamespaces = [](size_t n) {
		return each(n, [](const std::string& i) { return "namespace ns" + i + " { int v; }\n"; });
	};
	const auto scoped = [&](size_t n) {
		return flatNamespaces(255) + "namespace zz { int v; }\nvoid g() {\n" + repeat("zz::v++;\n", n) + "}\n";
	};
	// Small code may cost the compiler beyond its text 16 times its tokens
	// and 4096 more.
	const auto beyondText = [&](const std::string& code) {
		CScriptWorld counting;
		size_t tokens = 0;
		script::forEachScriptToken(counting.engine(), code.data(), code.size(), [&](const script::SScriptToken&) {
			++tokens;
			return true;
		});
		return std::to_string(4096 + 16 * tokens);
	};
	// And take in from mixins and compile for each constructor 16 times its
	// bytes and 16 KiB more, within the whole bound.
	const auto beyondBytes = [&](const std::string& code) {
		return std::to_string(std::min<size_t>(163840, 16384 + 16 * code.size()));
	};
	struct Case
	{
		const char* name;
		std::function<std::string(size_t)> make;
		size_t within;
		size_t past;
		std::string refusal;
	} cases[] = {
		{"a long function name", name, 64, 2000, "a name longer than 64 characters"},
		{"small functions", functions, 4000, 100000, "more than 163840 bytes of code"},
		{"tiny functions", functions, 4000, 4200, "more than 4096 functions"},
		{"locals in one function", locals, 1000, 1100, "more than 1024 variables in one function"},
		{"parameters", parameters, 40, 300,
			"a declaration or call the compiler would write in more than 960 characters"},
		{"arguments of a call", call, 20, 200,
			"a declaration or call the compiler would write in more than 960 characters"},
		{"a long default argument", defaultText, 8, 60,
			"a declaration or call the compiler would write in more than 960 characters"},
		{"lambdas in one another", lambdas, 3, 40,
			"a declaration or call the compiler would write in more than 960 characters"},
		{"templates in one another", nested, 8, 32, "a type nested deeper than 8"},
		{"array suffixes", suffixes, 8, 20, "a type nested deeper than 8"},
		{"default arguments calling on", chain, 16, 17,
			"default arguments that call functions with default arguments deeper than 16"},
		{"default arguments calling two", fan, 8, 12,
			"calls that compile more than " + beyondText(fan(12) + created) + " tokens of default arguments"},
		{"defaults of many calls in a long module", longModule, 1000, 1025,
			"calls that compile more than 65536 tokens of default arguments"},
		{"global initialisers in their order", forward, 6500, 7300, "more than 163840 bytes of code"},
		{"initialisers failing while a chain waits", failing, 0, 1100,
			"global variables whose initialisers name one another, more than the compiler can order"},
		{"global initialisers in reverse", globals, 30, 100,
			"global variables whose initialisers name one another, more than the compiler can order"},
		{"enum values in reverse", enums, 30, 100,
			"global variables whose initialisers name one another, more than the compiler can order"},
		{"switch cases", switchCases, 500, 600, "more than 512 cases in one switch"},
		{"classes taking a mixin", mixin, 20, 200,
			"more than " + beyondBytes(mixin(200) + created) +
				" bytes of code with what classes take in from mixins and compile for each constructor"},
		{"a mixin in a long module",
			[&](size_t n) { return mixin(n) + each(8000, [](const std::string& i) { return "int v" + i + ";\n"; }); },
			25, 40,
			"more than 163840 bytes of code with what classes take in from mixins and compile for each constructor"},
		{"initialisers and constructors", constructors, 40, 200,
			"more than " + beyondBytes(constructors(200) + created) +
				" bytes of code with what classes take in from mixins and compile for each constructor"},
		{"an interface chain", interfaces, 60, 100, "classes derived from one another deeper than 64"},
		{"overloads and calls", overloads, 400, 600,
			"calls that the compiler matches against more than 262144 overloads in all"},
		{"template types", instances, 250, 300, "more than 256 template types"},
		{"lambdas", manyLambdas, 1000, 1100, "more than 1024 lambdas"},
		{"members of a class", members, 500, 600, "more than 512 members in one class"},
		{"virtual properties", properties, 250, 300, "more than 512 members in one class"},
		{"classes", [&](size_t n) { return classes(n, ""); }, 1000, 1100, "more than 1024 types"},
		{"list items", list, 16000, 17000, "more than 16384 items of initialiser lists"},
		{"namespaces in one another", namespaces, 30, 40,
			"namespaces whose names together are longer than 128 characters"},
		{"a long scope", scope, 40, 50, "a name with its scope longer than 128 characters"},
		{"namespaces", flatNamespaces, 256, 257, "more than 256 namespaces"},
		{"scoped names among namespaces", scoped, 2048, 2049,
			"2049 names looked up among 256 namespaces, more than 524288 in all"},
		{"statements in small functions",
			[](size_t n) {
				return each(n, [](const std::string& i) {
					return "void fn" + i + "() { string s; s = s + s; s = s + s; s = s + s; }\n";
				});
			},
			2000, 2100, "more than 20480 statements and operators"},
		{"statements in one function", longFunction, 3000, 4000, "more than 32768 tokens in one function"},
		{"loops in one function", loops, 1100, 1300,
			"jumps in one function the compiler would look for through more than 8388608 tokens"},
		{"continues in one loop", continues, 900, 1300,
			"jumps in one function the compiler would look for through more than 8388608 tokens"},
		{"ifs around a long body", ifsAround, 4500, 6000,
			"jumps in one function the compiler would look for through more than 8388608 tokens"},
		{"member initialisers of one constructor", initialisers, 200, 300,
			"more than 32768 tokens in one constructor with the member initialisers it compiles"},
		{"a wide base of many derived classes", wideBase, 190, 220,
			"classes whose members with those they inherit, squared, add up to more than 4194304"},
		{"members down an inheritance chain", membersDown, 4, 8,
			"classes whose members with those they inherit, squared, add up to more than 4194304"},
		{"property accessors", accessors, 500, 520, "more than 512 global property accessors"},
		{"the default argument that calls itself",
			[](size_t) { return std::string("int f(int a = f()) { return a; }\nvoid g() { f(); }\n"); }, 0, 0,
			"default arguments that call their own function"},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		CScriptWorld world;
		script::CScriptModule* client = world.scripts().getModule("client");
		if (c.within > 0)
		{
			loadAnyway(client, c.make(c.within) + created);
			EXPECT_TRUE(world.refusals().empty()) << testing::PrintToString(world.refusals());
			EXPECT_TRUE(world.errors().empty()) << testing::PrintToString(world.errors());
			EXPECT_GE(client->getCallbackId(script::ESC_CREATED), 0) << "within the bounds it builds";
		}
		loadAnyway(client, c.make(c.past) + created);
		EXPECT_EQ(world.refusals(), std::vector<std::string>{"Script of module \"client\" refused: " + c.refusal});
		EXPECT_EQ(client->getCallbackId(script::ESC_CREATED), AngelScript::asNO_FUNCTION);

		CSceneObject* object = world.makeObject(1, 0, "a");
		world.load(object->getModule(), "int updates = 0; void Update(SceneObject@+ self, uint t) { updates++; }");
		world.scripts().beginFrame();
		object->getBinding()->callCallback(script::ESC_UPDATE, net::packet(), object);
		world.scripts().endFrame();
		AngelScript::asIScriptModule* module = object->getModule()->getEngineModule();
		EXPECT_EQ(*static_cast<int*>(module->GetAddressOfGlobalVar(module->GetGlobalVarIndexByName("updates"))), 1);
	}
}

// The engine keeps every namespace code declared until it ends: code that
// would bring it past the bound is refused, while namespaces it holds
// already may be declared again.
TEST(ScriptLimits, NamespacesOfEarlierCodeCountAgainstTheWholeBound)
{
	CScriptWorld world;
	script::CScriptModule* client = world.scripts().getModule("client");
	const std::string created = "void Created(SceneObject@+ self) {}\n";
	for (size_t first = 0; first < script::SCRIPT_MAX_HELD_NAMESPACES; first += script::SCRIPT_MAX_NAMESPACES)
	{
		std::string code;
		for (size_t i = first; i < first + script::SCRIPT_MAX_NAMESPACES; ++i)
			code += "namespace held" + std::to_string(i) + " { int v; }\n";
		world.load(client, code + created);
	}
	world.load(client, "namespace held7 { int w; }\n" + created);
	EXPECT_GE(client->getCallbackId(script::ESC_CREATED), 0);

	loadAnyway(client, "namespace fresh { int v; }\n" + created);
	EXPECT_EQ(world.refusals(),
		std::vector<std::string>{"Script of module \"client\" refused: namespaces past the 4096 "
								 "that scripts may declare while the client runs"});
	EXPECT_EQ(client->getCallbackId(script::ESC_CREATED), AngelScript::asNO_FUNCTION);
	world.load(client, created);
	EXPECT_GE(client->getCallbackId(script::ESC_CREATED), 0);
}

// Each type a build declares looks through all the engine holds: once the
// code of all modules declares the bound's worth, no module builds until
// code that holds some goes.
TEST(ScriptLimits, TypesOfAllModulesCountAgainstOneBound)
{
	CScriptWorld world;
	const std::string created = "void Created(SceneObject@+ self) {}\n";
	const auto classes = [](size_t module) {
		std::string code;
		for (size_t i = 0; i < 1000; ++i)
			code += "class T" + std::to_string(module) + "_" + std::to_string(i) + " {}\n";
		return code;
	};
	const size_t modules = script::SCRIPT_MAX_HELD_TYPES / 1000 + 1;
	for (size_t m = 0; m < modules; ++m)
		world.load(world.scripts().getModule(("m" + std::to_string(m)).c_str()), classes(m) + created);

	script::CScriptModule* client = world.scripts().getModule("client");
	loadAnyway(client, created);
	EXPECT_EQ(world.refusals(),
		std::vector<std::string>{"Script of module \"client\" refused: the code of all "
								 "scripts declares " +
			std::to_string(modules * 1000) + " types, 4096 at most"});
	EXPECT_EQ(client->getCallbackId(script::ESC_CREATED), AngelScript::asNO_FUNCTION);

	world.load(world.scripts().getModule("m0"), created);
	world.load(client, created);
	EXPECT_GE(client->getCallbackId(script::ESC_CREATED), 0);
}

// The builds one level load asks for share one budget: once it is spent the
// rest of the load's code is refused in one line, and code asked for after
// the load builds again. Groups made inside one join it.
TEST(ScriptLimits, TheBuildsOfOneLoadShareOneBudget)
{
	CScriptWorld world;
	const std::string created = "void Created(SceneObject@+ self) {}\n";
	script::CScriptModule* first = world.scripts().getModule("first");
	script::CScriptModule* second = world.scripts().getModule("second");
	{
		const script::CScriptBuildGroup load;
		world.load(first, created);
		EXPECT_GE(first->getCallbackId(script::ESC_CREATED), 0);
		{
			const script::CScriptBuildGroup included;
			script::CScriptBuildGroup::add(std::chrono::milliseconds(script::SCRIPT_LOAD_BUILD_BUDGET_MS));
		}
		EXPECT_TRUE(script::CScriptBuildGroup::spent());
		loadAnyway(first, created);
		loadAnyway(second, created);
		EXPECT_EQ(first->getCallbackId(script::ESC_CREATED), AngelScript::asNO_FUNCTION);
		EXPECT_EQ(second->getCallbackId(script::ESC_CREATED), AngelScript::asNO_FUNCTION);
	}
	EXPECT_EQ(world.refusals(),
		std::vector<std::string>{"Script of module \"first\" refused: the scripts of this load took 5000 ms to build, "
								 "and its further code is not built"});
	EXPECT_FALSE(script::CScriptBuildGroup::spent());
	world.load(second, created);
	EXPECT_GE(second->getCallbackId(script::ESC_CREATED), 0);
}

// A shared function is looked for among the functions of all code the
// engine holds: code that builds alone is refused once other code holds as
// many functions, and the module builds its next code.
TEST(ScriptLimits, SharedFunctionsCountTheFunctionsOfAllCode)
{
	CScriptWorld world;
	const std::string created = "void Created(SceneObject@+ self) {}\n";
	const std::string shared = each(2500, [](const std::string& i) { return "shared void sh" + i + "() {}\n"; }) +
		created;
	script::CScriptModule* first = world.scripts().getModule("first");
	world.load(first, shared);
	EXPECT_GE(first->getCallbackId(script::ESC_CREATED), 0);

	script::CScriptModule* second = world.scripts().getModule("second");
	loadAnyway(second, shared);
	ASSERT_EQ(world.refusals().size(), 1u);
	const std::string refusal = world.refusals().front();
	EXPECT_EQ(refusal.rfind("Script of module \"second\" refused: 2500 shared functions looked for among ", 0), 0u)
		<< refusal;
	const std::string end = " script functions, more than 8388608 in all";
	EXPECT_EQ(refusal.substr(refusal.size() - std::min(refusal.size(), end.size())), end) << refusal;
	EXPECT_EQ(second->getCallbackId(script::ESC_CREATED), AngelScript::asNO_FUNCTION);
	world.load(second, created);
	EXPECT_GE(second->getCallbackId(script::ESC_CREATED), 0);
}

// Code of nothing but errors has a message for each statement: a build
// logs its first ones and counts the rest in one line, and the next build
// logs its own again.
TEST(ScriptLimits, ABuildLogsItsFirstMessagesAndCountsTheRest)
{
	CScriptWorld world;
	script::CScriptModule* client = world.scripts().getModule("client");
	const std::string errors = "void g() {\n" + repeat("x;\n", 1000) + "}\n";
	for (int build = 0; build < 2; ++build)
	{
		const size_t before = world.scriptLines().size();
		loadAnyway(client, errors);
		std::vector<std::string> lines = world.scriptLines();
		lines.erase(lines.begin(), lines.begin() + static_cast<long>(before));
		const auto compilerLines = std::count_if(
			lines.begin(), lines.end(), [](const std::string& line) { return line.rfind("main (r ", 0) == 0; });
		EXPECT_EQ(compilerLines, static_cast<long>(script::SCRIPT_MAX_BUILD_MESSAGES));
		const std::string counted = " more messages of the compiler are not shown";
		ASSERT_FALSE(lines.empty());
		EXPECT_EQ(lines.back().rfind("Script of module \"client\": ", 0), 0u) << lines.back();
		EXPECT_NE(lines.back().find(counted), std::string::npos) << lines.back();
		EXPECT_LE(lines.size(), 2 * script::SCRIPT_MAX_BUILD_MESSAGES + 1);
	}
	world.load(client, "void Created(SceneObject@+ self) {}\n");
	EXPECT_GE(client->getCallbackId(script::ESC_CREATED), 0);
}

// The guard reads code as the engine's tokenizer does: a number with an
// exponent is one token, so a statement of 256 such numbers is within the
// bound on operators, which a reading that took `+` apart would pass.
TEST(ScriptSourceGuard, ReadsTokensAsTheEngineDoes)
{
	CScriptWorld world;
	struct Case
	{
		std::string code;
		std::vector<std::string> tokens;
	} cases[] = {
		{"1.5e+3", {"1.5e+3"}},
		{"a>>=b", {"a", ">>=", "b"}},
		{"x/*c*/+ // d\n\"s\" 'c'", {"x", "+", "\"s\"", "'c'"}},
		{"\"\"\"a\nb\"\"\"", {"\"\"\"a\nb\"\"\""}},
	};
	for (const Case& c : cases)
	{
		std::vector<std::string> tokens;
		script::forEachScriptToken(world.engine(), c.code.data(), c.code.size(), [&](const script::SScriptToken& t) {
			tokens.emplace_back(t.Text);
			return true;
		});
		EXPECT_EQ(tokens, c.tokens) << c.code;
	}
	script::CScriptModule* client = world.scripts().getModule("client");
	world.load(client, "double b = 1.5e+3" + repeat(" - 1.5e+3", 255) + ";\nvoid Created(SceneObject@+ self) {}\n");
	EXPECT_GE(client->getCallbackId(script::ESC_CREATED), 0);
}

TEST(ScriptSourceGuard, CountsBracketsOutsideStringsAndComments)
{
	struct Case
	{
		std::string code;
		irr::u32 nesting;
	} cases[] = {
		{"", 0},
		{"f(a[1], {2})", 2},
		{"((()))", 3},
		{")))(((", 3},
		{"\"(((\" ()", 1},
		{"'[[[' ()", 1},
		{"\"a\\\"(((\" ()", 1},
		{"\"\"\"(( \" ((\"\"\" ()", 1},
		{"// (((\n()", 1},
		{"/* ((( */ ()", 1},
		{"/* ((( ", 0},
		{"\"((( ", 0},
		{"({[({[", 6},
	};
	CScriptWorld world;
	for (const Case& c : cases)
		EXPECT_EQ(script::measureBracketNesting(world.engine(), c.code.data(), c.code.size()), c.nesting) << c.code;
}

} // namespace
} // namespace orv
