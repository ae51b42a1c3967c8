// What script code of each shape costs the compiler: every shape is made at
// growing sizes and built, guard or no guard, in a process of its own (a
// crash or a runaway build ends only that process), on a thread whose stack
// is large enough to see how deep the compiler goes. Each line gives the
// guard's answer, how the build ended, its CPU time (the guard's check
// included), its peak stack, how far it raised the peak memory and the
// longest text the compiler formatted (a declaration or a message: the
// compiler's formatting breaks at 1,023 characters). Then, per shape, the
// largest size the guard accepts and its build; the last line is the worst
// of all accepted builds (goal: 0.5 s and 64 MiB, no crash).

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

#include <pthread.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <angelscript.h>

#include "net/PacketIds.h"
#include "net/ReceiveWork.h"
#include "script/CScriptManager.h"
#include "script/CScriptModule.h"
#include "script/ScriptSourceGuard.h"
#include "script/api/ScriptCallbackTable.h"
#include "script/api/WorldAPI.h"
#include "support/InChild.h"

using namespace orv;
using namespace AngelScript;

namespace {

const double SECONDS_GOAL = 0.5;
const double MIB_GOAL = 64.0;
// A ladder stops once a build takes this long, crashes or runs away.
const double LADDER_STOP_SECONDS = 1.0;
const rlim_t CHILD_CPU_SECONDS = 8;
const rlim_t CHILD_MEMORY = rlim_t(2) << 30;
const size_t BUILD_STACK = size_t(256) << 20;
// The search for the guard's bound gives up on sources larger than this.
const size_t LARGEST_SOURCE = size_t(16) << 20;

std::string repeat(const std::string& text, size_t count)
{
	std::string all;
	all.reserve(text.size() * count);
	for (size_t i = 0; i < count; ++i)
		all += text;
	return all;
}

// The pieces made for 0 .. count-1, one after the other.
std::string each(size_t count, const std::function<std::string(const std::string&)>& piece)
{
	std::string all;
	for (size_t i = 0; i < count; ++i)
		all += piece(std::to_string(i));
	return all;
}

std::string longName(size_t length)
{
	return "n" + std::string(length > 1 ? length - 1 : 0, 'a');
}

// Functions of the kinds game code is made of, twelve lines each, as the
// build benchmark makes them.
std::string ordinaryScript(size_t lines)
{
	std::string code = "int total = 0;\n";
	for (size_t i = 0; i * 12 < lines; ++i)
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

struct SShape
{
	const char* Name;
	std::function<std::string(size_t)> Make;
	size_t First;
	size_t Last;
	size_t Factor;
	//! Namespaces earlier modules declared, which the engine holds as this
	//! code builds: held0, held1 ...
	size_t Held = 0;
	//! Functions of earlier modules the engine holds as this code builds.
	size_t HeldFunctions = 0;
};

const size_t NAMESPACES_A_MODULE = 256;

// Builds the modules that leave the shape's namespaces in the engine, as
// the client builds code, and the guard's record of them.
void holdNamespaces(script::CScriptManager& scripts, size_t held)
{
	script::CScriptModule* earlier = scripts.getModule("earlier");
	for (size_t first = 0; first < held; first += NAMESPACES_A_MODULE)
	{
		std::string code;
		for (size_t i = first; i < std::min(held, first + NAMESPACES_A_MODULE); ++i)
			code += "namespace held" + std::to_string(i) + " { int v; }\n";
		earlier->load(irr::core::ustring16(code.c_str()), "main");
	}
}

// Builds modules of 4000 small functions each, as many objects' code.
void holdFunctions(script::CScriptManager& scripts, size_t held)
{
	const size_t perModule = 4000;
	for (size_t first = 0; first < held; first += perModule)
	{
		std::string code;
		for (size_t i = first; i < std::min(held, first + perModule); ++i)
			code += "void held" + std::to_string(i) + "() {}\n";
		scripts.getModule(("held " + std::to_string(first)).c_str())->load(irr::core::ustring16(code.c_str()), "main");
	}
}

// What the guard would say in a host whose engine holds the shape's
// namespaces.
std::string guardAnswer(script::CScriptManager& scripts, const SShape& shape, const std::string& code)
{
	std::unordered_set<std::string> held;
	for (size_t i = 0; i < shape.Held; ++i)
		held.insert("held" + std::to_string(i));
	return script::checkScriptSource(scripts.getEngine(), code.data(), code.size(), &held);
}

// Methods and initialised members of the mixin that every class takes in.
const size_t MIXIN_MEMBERS = 50;

std::vector<SShape> shapes()
{
	using S = std::string;
	return {
		// What game code is made of, for comparison: lines of ordinary functions.
		{"ordinary lines", ordinaryScript, 1000, 409600, 4},
		// Names and declarations.
		{"function name",
			[](size_t n) { return "void " + longName(n) + "() {}\nvoid g() { " + longName(n) + "(); }\n"; }, 16, 4096,
			2},
		{"variable name",
			[](size_t n) { return "int " + longName(n) + " = 1;\nvoid g() { " + longName(n) + "++; }\n"; }, 16, 4096,
			2},
		{"class name",
			[](size_t n) {
				return "class " + longName(n) + " { " + longName(n) + "() {} }\nvoid g() { " + longName(n) + " x; }\n";
			},
			16, 4096, 2},
		{"namespace name",
			[](size_t n) {
				return "namespace " + longName(n) + " { class T {} }\nvoid f(" + longName(n) + "::T@ t) {}\n";
			},
			16, 4096, 2},
		{"undeclared name", [](size_t n) { return "void g() { " + longName(n) + " = 1; }\n"; }, 16, 4096, 2},
		{"parameters",
			[](size_t n) { return "void f(" + each(n, [](const S& i) { return "int a" + i + ", "; }) + "int z) {}\n"; },
			4, 4096, 2},
		{"handle parameters",
			[](size_t n) {
				return "void f(" + each(n, [](const S& i) { return "array<string>@ a" + i + ", "; }) + "int z) {}\n";
			},
			4, 4096, 2},
		{"call arguments", [](size_t n) { return "void h(int a) {}\nvoid g() { h(" + repeat("1, ", n) + "1); }\n"; }, 4,
			16384, 2},
		{"default argument text",
			[](size_t n) {
				return "int xxxxxxxxxxxxxxx = 1;\nvoid f(int a = xxxxxxxxxxxxxxx" + repeat(" + xxxxxxxxxxxxxxx", n) +
					") {}\nvoid g() { f(); }\n";
			},
			4, 4096, 2},
		{"calls of 16 defaults",
			[](size_t n) {
				return "void f(" + each(15, [](const S& i) { return "int a" + i + " = 1 + 2, "; }) +
					"int z = 1 + 2) {}\nvoid g() {\n" + repeat("f();\n", n) + "}\n";
			},
			100, 1638400, 4},
		{"default argument chain",
			[](size_t n) {
				return each(n,
						   [](const S& i) {
							   return "int g" + i + "(int a = g" + std::to_string(std::stoul(i) + 1) +
								   "()) { return a; }\n";
						   }) +
					"int g" + std::to_string(n) + "(int a = 0) { return a; }\nvoid h() { g0(); }\n";
			},
			2, 16384, 2},
		{"default argument fan",
			[](size_t n) {
				return each(n,
						   [](const S& i) {
							   const S next = "g" + std::to_string(std::stoul(i) + 1) + "()";
							   return "int g" + i + "(int a = " + next + ", int b = " + next + ") { return a + b; }\n";
						   }) +
					"int g" + std::to_string(n) + "(int a = 0) { return a; }\nvoid h() { g0(); }\n";
			},
			2, 64, 2},
		{"default argument recursion",
			[](size_t) { return S("int f(int a = f()) { return a; }\nvoid g() { f(); }\n"); }, 1, 1, 2},
		{"lambda nesting",
			[](size_t n) {
				return "funcdef void F(int, float, const string &in);\nvoid g() {\n" +
					repeat("F@ f = function(a, b, c) {\n", n) + repeat("};\n", n) + "}\n";
			},
			1, 256, 2},
		{"lambdas",
			[](size_t n) {
				return "funcdef void F();\nvoid g() {\n" +
					each(n, [](const S& i) { return "F@ lam" + i + " = function() {};\n"; }) + "}\n";
			},
			100, 1638400, 4},
		{"template nesting",
			[](size_t n) { return "void g() { " + repeat("array<", n) + "int" + repeat(">", n) + " a; }\n"; }, 2, 1024,
			2},
		{"array suffixes", [](size_t n) { return "void g() { int" + repeat("[]", n) + " a; }\n"; }, 2, 16384, 2},
		{"namespace nesting",
			[](size_t n) {
				return "namespace ns { class T {}\n" + repeat("namespace ns {\n", n) + "void f(T@ t) {}\n" +
					repeat("}\n", n) + "}\n";
			},
			2, 1024, 2},
		// Strings and numbers.
		{"string literal", [](size_t n) { return "string s = \"" + std::string(n, 'a') + "\";\n"; }, 1024, 16777216, 4},
		{"heredoc literal", [](size_t n) { return "string s = \"\"\"" + std::string(n, 'a') + "\"\"\";\n"; }, 1024,
			16777216, 4},
		{"adjacent literals", [](size_t n) { return "string s = " + repeat("\"ab\" ", n) + ";\n"; }, 100, 1638400, 4},
		{"distinct literals",
			[](size_t n) { return each(n, [](const S& i) { return "string str" + i + " = \"t" + i + "\";\n"; }); }, 100,
			1638400, 4},
		{"number digits", [](size_t n) { return "double d = " + std::string(n, '1') + ".0;\n"; }, 1024, 16777216, 4},
		// Counts in a module.
		{"functions",
			[](size_t n) {
				return each(n, [](const S& i) { return "int fn" + i + "(int x) { return x + " + i + "; }\n"; });
			},
			100, 1638400, 4},
		{"global variables",
			[](size_t n) { return each(n, [](const S& i) { return "int g" + i + " = " + i + ";\n"; }); }, 100, 1638400,
			4},
		{"global initialiser chain",
			[](size_t n) {
				return each(n,
						   [](const S& i) {
							   return "int g" + i + " = g" + std::to_string(std::stoul(i) + 1) + " + 1;\n";
						   }) +
					"int g" + std::to_string(n) + " = 0;\n";
			},
			100, 1638400, 4},
		{"global initialisers in order",
			[](size_t n) {
				return "int g0 = 0;\n" + each(n, [](const S& i) {
					return "int g" + std::to_string(std::stoul(i) + 1) + " = g" + i + " + 1;\n";
				});
			},
			100, 1638400, 4},
		{"failing initialisers and a chain",
			[](size_t n) {
				return each(n, [](const S& i) {
					return "int e" + i + " = nothing + " + i + ";\n";
				}) + each(16, [](const S& i) {
					return "int g" + i + " = g" + std::to_string(std::stoul(i) + 1) + " + 1;\n";
				}) + "int g16 = 0;\n";
			},
			16, 163840, 4},
		{"namespaces",
			[](size_t n) {
				return each(n, [](const S& i) { return "namespace ns" + i + " { int v = " + i + "; }\n"; });
			},
			100, 1638400, 4},
		{"nested namespace code, 3840 held",
			[](size_t n) {
				return "namespace zz { int v; int w; }\nnamespace zz { namespace yy {\n" + each(n, [](const S& i) {
					return "void f" + i + "() { v++; w++; v++; w++; v++; w++; v++; w++; }\n";
				}) + "} }\n";
			},
			1, 4096, 4, 3840},
		{"scoped names, 3840 held",
			[](size_t n) { return "namespace zz { int v; }\nvoid g() {\n" + repeat("zz::v++;\n", n) + "}\n"; }, 1,
			65536, 4, 3840},
		{"scoped names, 255 held",
			[](size_t n) { return "namespace zz { int v; }\nvoid g() {\n" + repeat("zz::v++;\n", n) + "}\n"; }, 16,
			65536, 4, 255},
		{"classes", [](size_t n) { return each(n, [](const S& i) { return "class C" + i + " { int v; }\n"; }); }, 100,
			1638400, 4},
		{"methods",
			[](size_t n) {
				return "class C {\n" + each(n, [](const S& i) { return "int m" + i + "() { return " + i + "; }\n"; }) +
					"}\n";
			},
			100, 1638400, 4},
		{"members",
			[](size_t n) { return "class C {\n" + each(n, [](const S& i) { return "int p" + i + ";\n"; }) + "}\n"; },
			100, 1638400, 4},
		{"initialised members x constructors",
			[](size_t n) {
				return each(n, [](const S& i) { return "class T" + i + " {}\n"; }) + "class C {\n" +
					each(n, [](const S& i) { return "int p" + i + " = " + i + ";\nC(T" + i + "@ t) {}\n"; }) + "}\n";
			},
			10, 40960, 2},
		{"classes taking a mixin",
			[](size_t n) {
				return "mixin class M {\n" +
					each(MIXIN_MEMBERS,
						[](const S& i) {
							return "int p" + i + " = " + i + ";\nint m" + i + "() { return p" + i + "; }\n";
						}) +
					"}\n" + each(n, [](const S& i) { return "class C" + i + " : M {}\n"; });
			},
			10, 655360, 4},
		{"inheritance chain",
			[](size_t n) {
				return "class C0 { int m() { return 0; } }\n" + each(n, [](const S& i) {
					return "class C" + std::to_string(std::stoul(i) + 1) + " : C" + i +
						" { int m() override { return " + i + "; } }\n";
				});
			},
			10, 163840, 4},
		{"interface chain",
			[](size_t n) {
				return "interface I0 { void m(); }\n" +
					each(n,
						[](const S& i) {
							return "interface I" + std::to_string(std::stoul(i) + 1) + " : I" + i + " {}\n";
						}) +
					"class C : I" + std::to_string(n) + " { void m() {} }\n";
			},
			10, 163840, 4},
		{"overloads",
			[](size_t n) {
				return each(n, [](const S& i) { return "class T" + i + " {}\nvoid f(T" + i + "@ t) {}\n"; }) +
					"void g() {\n" + each(n, [](const S& i) { return "f(T" + i + "());\n"; }) + "}\n";
			},
			10, 163840, 4},
		{"template instances",
			[](size_t n) {
				return each(n, [](const S& i) { return "class C" + i + " {}\narray<C" + i + "@> a" + i + ";\n"; });
			},
			100, 409600, 4},
		{"enum values",
			[](size_t n) { return "enum E {\n" + each(n, [](const S& i) { return "e" + i + ",\n"; }) + "z }\n"; }, 100,
			1638400, 4},
		{"enum chain",
			[](size_t n) {
				return "enum E {\n" +
					each(n,
						[](const S& i) { return "e" + i + " = e" + std::to_string(std::stoul(i) + 1) + " + 1,\n"; }) +
					"e" + std::to_string(n) + " = 0 }\n";
			},
			100, 1638400, 4},
		{"funcdefs", [](size_t n) { return each(n, [](const S& i) { return "funcdef void F" + i + "(int);\n"; }); },
			100, 1638400, 4},
		{"imports",
			[](size_t n) {
				return each(n, [](const S& i) { return "import void im" + i + "(int) from \"other\";\n"; });
			},
			100, 1638400, 4},
		{"virtual properties",
			[](size_t n) {
				return "class C {\n" +
					each(n, [](const S& i) { return "int p" + i + " { get { return " + i + "; } set {} }\n"; }) + "}\n";
			},
			100, 409600, 4},
		// One function.
		{"locals",
			[](size_t n) {
				return "void g() {\n" + each(n, [](const S& i) { return "int v" + i + " = 1;\n"; }) + "}\n";
			},
			100, 1638400, 4},
		{"matrix locals",
			[](size_t n) {
				return "void g() {\n" + each(n, [](const S& i) { return "matrix4 m" + i + ";\n"; }) + "}\n";
			},
			100, 1638400, 4},
		{"string locals",
			[](size_t n) {
				return "void g() {\n" + each(n, [](const S& i) { return "string str" + i + ";\n"; }) + "}\n";
			},
			100, 1638400, 4},
		{"declarators",
			[](size_t n) { return "void g() { int " + each(n, [](const S& i) { return "v" + i + ", "; }) + "z; }\n"; },
			100, 1638400, 4},
		{"statements",
			[](size_t n) {
				return "void g() { int x = 0;\n" + each(n, [](const S& i) { return "x += " + i + ";\n"; }) + "}\n";
			},
			100, 1638400, 4},
		{"switch cases",
			[](size_t n) {
				return "void g(int x) {\nswitch (x) {\n" +
					each(n, [](const S& i) { return "case " + i + ": x++; break;\n"; }) + "}\n}\n";
			},
			100, 1638400, 4},
		{"error statements", [](size_t n) { return "void g() {\n" + repeat("x;\n", n) + "}\n"; }, 100, 1638400, 4},
		{"initialiser list", [](size_t n) { return "void g() { int[] a = {" + repeat("1, ", n) + "1}; }\n"; }, 100,
			6553600, 4},
		{"initialiser list rows",
			[](size_t n) { return "void g() { array<array<int>> a = {" + repeat("{1}, ", n) + "{1}}; }\n"; }, 100,
			1638400, 4},
		{"string list", [](size_t n) { return "void g() { string[] a = {" + repeat("\"a\", ", n) + "\"a\"}; }\n"; },
			100, 1638400, 4},
		{"method chain",
			[](size_t n) { return "void g() { string s = \"a\"; s = s" + repeat(".substr(0)", n) + "; }\n"; }, 16,
			262144, 4},
		{"indexed accessors in one another",
			[](size_t n) {
				return "class C { int get_opIndex(int i) const { return i; } void set_opIndex(int i, int v) {} }\n"
					   "void g() { C c; " +
					repeat("c[", n) + "0" + repeat("]", n) + " += 1; }\n";
			},
			1, 256, 2},
		{"property chain",
			[](size_t n) {
				return "class C { C@ get_p() { return this; } int v { get { return 1; } set {} } }\n"
					   "void g() { C c; c" +
					repeat(".p", n) + ".v += 1; }\n";
			},
			1, 16384, 2},
		{"casts in one another",
			[](size_t n) {
				return "class C {}\nvoid g() { C c; C@ d = " + repeat("cast<C>(", n) + "c" + repeat(")", n) + "; }\n";
			},
			1, 256, 2},
		// One function's code is held whole while it compiles: the costliest
		// statements for their tokens, and several long functions in a module.
		{"statements in one function", [](size_t n) { return "void g() {" + repeat("x;", n) + "}\n"; }, 100, 1638400,
			4},
		{"string sums in one function",
			[](size_t n) { return "void g() { string s;\n" + repeat("s=s+s+s+s+s+s+s+s;\n", n) + "}\n"; }, 100, 1638400,
			4},
		{"string arguments in one function",
			[](size_t n) {
				return "void h(string a, string b, string c) {}\nvoid g() { string s;\n" +
					repeat("h(s+s,s+s,s+s);\n", n) + "}\n";
			},
			100, 1638400, 4},
		{"matrix products in one function",
			[](size_t n) { return "void g() { matrix4 m;\n" + repeat("m=m*m;\n", n) + "}\n"; }, 100, 1638400, 4},
		{"array copies in one function", [](size_t n) { return "void g() { int[] a;\n" + repeat("a=a;\n", n) + "}\n"; },
			100, 1638400, 4},
		{"accessor uses in one function",
			[](size_t n) {
				return "int get_p() property { return 1; }\nvoid set_p(int v) property {}\nvoid g() {\n" +
					repeat("p+=1;\n", n) + "}\n";
			},
			100, 1638400, 4},
		{"list arguments in one function",
			[](size_t n) { return "void h(int[] a) {}\nvoid g() {\n" + repeat("h({1});\n", n) + "}\n"; }, 100, 1638400,
			4},
		{"long functions of string sums",
			[](size_t n) {
				return each(n, [](const S& i) {
					return "void g" + i + "() { string s;\n" + repeat("s=s+s+s+s+s+s+s+s;\n", 1800) + "}\n";
				});
			},
			1, 64, 2},
		{"member initialisers of one constructor",
			[](size_t n) {
				return "class C {\n" + each(n, [](const S& i) {
					return "string p" + i + " = \"\"" + repeat("+\"\"", 250) + ";\n";
				}) + "}\n";
			},
			1, 1024, 2},
		// The compiler looks for each jump's target through the function:
		// from loops, `return`, `break` and `continue` through all of it, from
		// an `if` or a loop through what it holds.
		{"loops in one function", [](size_t n) { return "void g(bool c) {\n" + repeat("while(c){}\n", n) + "}\n"; },
			100, 1638400, 4},
		{"for loops in one function", [](size_t n) { return "void g(bool c) {\n" + repeat("for(;c;){}\n", n) + "}\n"; },
			100, 1638400, 4},
		{"do loops in one function",
			[](size_t n) { return "void g(bool c) {\n" + repeat("do{}while(c);\n", n) + "}\n"; }, 100, 1638400, 4},
		{"returns in one function", [](size_t n) { return "void g(bool c) {\n" + repeat("if(c)return;\n", n) + "}\n"; },
			100, 1638400, 4},
		{"breaks in one loop",
			[](size_t n) { return "void g(bool c) { while(c) {\n" + repeat("if(c)break;\n", n) + "} }\n"; }, 100,
			1638400, 4},
		{"continues in one loop",
			[](size_t n) { return "void g(bool c) { while(c) {\n" + repeat("if(c)continue;\n", n) + "} }\n"; }, 100,
			1638400, 4},
		{"ifs around a long body",
			[](size_t n) {
				return "void g(bool c) { int x = 0;\n" + repeat("if(c)", 1000) + "{\n" + repeat("x++;\n", n) + "}}\n";
			},
			100, 1638400, 4},
		{"loops around a long body",
			[](size_t n) {
				return "void g(bool c) { int x = 0;\n" + repeat("while(c)", 1000) + "{\n" + repeat("x++;\n", n) +
					"}}\n";
			},
			100, 1638400, 4},
		// A derived class copies what it inherits and looks through it for
		// each of its own members.
		{"members down an inheritance chain",
			[](size_t n) {
				std::string code;
				for (size_t c = 0; c < 64; ++c)
					code += "class C" + std::to_string(c) + (c ? " : C" + std::to_string(c - 1) : "") + " {\n" +
						each(n, [&](const S& i) { return "int p" + std::to_string(c) + "_" + i + ";\n"; }) + "}\n";
				return code;
			},
			1, 16384, 2},
		{"methods down an inheritance chain",
			[](size_t n) {
				std::string code;
				for (size_t c = 0; c < 64; ++c)
					code += "class C" + std::to_string(c) + (c ? " : C" + std::to_string(c - 1) : "") + " {\n" +
						each(n, [&](const S& i) { return "void m" + std::to_string(c) + "_" + i + "() {}\n"; }) + "}\n";
				return code;
			},
			1, 16384, 2},
		{"methods of a wide base, 999 derived",
			[](size_t n) {
				return "class C0 {\n" + each(n, [](const S& i) { return "void m" + i + "() {}\n"; }) + "}\n" +
					each(999, [](const S& i) { return "class D" + i + " : C0 {}\n"; });
			},
			2, 16384, 2},
		{"members of a wide base, 999 derived",
			[](size_t n) {
				return "class C0 {\n" + each(n, [](const S& i) { return "int p" + i + ";\n"; }) + "}\n" +
					each(999, [](const S& i) { return "class D" + i + " : C0 {}\n"; });
			},
			2, 16384, 2},
		{"members down a short chain",
			[](size_t n) {
				std::string code;
				for (size_t c = 0; c < 4; ++c)
					code += "class C" + std::to_string(c) + (c ? " : C" + std::to_string(c - 1) : "") + " {\n" +
						each(n, [&](const S& i) { return "int p" + std::to_string(c) + "_" + i + ";\n"; }) + "}\n";
				return code;
			},
			16, 65536, 2},
		{"interfaces of one class",
			[](size_t n) {
				return each(n, [](const S& i) { return "interface I" + i + " { void m" + i + "(); }\n"; }) +
					"class C : I0" + each(n, [](const S& i) { return ", I" + i; }) + " {\n" +
					each(n, [](const S& i) { return "void m" + i + "() {}\n"; }) + "}\n";
			},
			10, 163840, 4},
		// What the compiler registers, each compared with those it has.
		{"accessors among functions",
			[](size_t n) {
				return each(n, [](const S& i) { return "int get_p" + i + "() property { return 1; }\n"; }) +
					each(4096 - n, [](const S& i) { return "int fn" + i + "() { return 1; }\n"; });
			},
			64, 4096, 2},
		{"overloads of one name",
			[](size_t n) {
				std::string code = each(16, [](const S& i) { return "class T" + i + " {}\n"; });
				for (size_t k = 0; k < n; ++k)
					code += "void f(T" + std::to_string(k % 16) + "@, T" + std::to_string(k / 16 % 16) + "@, T" +
						std::to_string(k / 256 % 16) + "@) {}\n";
				return code;
			},
			16, 4096, 2},
		{"overloads without calls",
			[](size_t n) {
				return each(n, [](const S& i) { return "class T" + i + " {}\nvoid f(T" + i + "@ t) {}\n"; });
			},
			10, 163840, 4},
		{"failed calls among candidates",
			[](size_t n) {
				return each(16, [](const S& i) { return "class T" + i + " {}\nvoid h(T" + i + "@ t) {}\n"; }) +
					"void g() {\n" + repeat("h(1);\n", n) + "}\n";
			},
			100, 1638400, 4},
		{"duplicate functions", [](size_t n) { return repeat("void f() {}\n", n); }, 100, 1638400, 4},
		{"shared functions",
			[](size_t n) { return each(n, [](const S& i) { return "shared void sh" + i + "() {}\n"; }); }, 100, 1638400,
			4},
		{"shared functions, 32000 held",
			[](size_t n) { return each(n, [](const S& i) { return "shared void sh" + i + "() {}\n"; }); }, 16, 16384, 2,
			0, 32000},
		{"shared classes", [](size_t n) { return each(n, [](const S& i) { return "shared class S" + i + " {}\n"; }); },
			100, 1638400, 4},
		{"lists in one another",
			[](size_t n) {
				return "void g() { int[][][][][][][][] a = {" + repeat("{{{{{{{1}}}}}}}, ", n) + "{}}; }\n";
			},
			10, 1638400, 4},
	};
}

struct SFigures
{
	bool Answered = false;
	bool Accepted = false;
	int Result = 0;
	double Seconds = 0.0;
	double StackKiB = 0.0;
	double PeakMiB = 0.0;
	size_t LongestText = 0;
	size_t Bytes = 0;
	char Why[96] = {};
};

double threadSeconds()
{
	timespec now{};
	clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
	return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The kB a line of /proc/self/status gives ("VmHWM:").
double statusKiB(const char* key)
{
	std::ifstream status("/proc/self/status");
	std::string line;
	while (std::getline(status, line))
		if (line.compare(0, std::strlen(key), key) == 0)
			return std::stod(line.substr(std::strlen(key)));
	return 0.0;
}

struct SBuild
{
	script::CScriptManager* Scripts;
	script::CScriptModule* Owner;
	asIScriptModule* Module;
	const std::string* Code;
	int Result = 0;
	double Seconds = 0.0;
};

void* runBuild(void* argument)
{
	SBuild& build = *static_cast<SBuild*>(argument);
	const double start = threadSeconds();
	// As the client builds, but for the guard: its messages and its globals'
	// initialisers are the module's.
	build.Scripts->beginBuild(build.Owner);
	build.Module->AddScriptSection("main", build.Code->data(), build.Code->size());
	build.Result = build.Module->Build();
	build.Scripts->endBuild();
	build.Seconds = threadSeconds() - start;
	return nullptr;
}

size_t longestText = 0;
size_t messages = 0;
// ORV_SHAPE_MESSAGES=N prints the first N messages of each build.
int messagesToShow = 0;

// Writes every line as the device's logger does, to nowhere: the cost of the
// client's log is the build's.
class CNullLogger : public irr::ILogger
{
public:
	irr::ELOG_LEVEL getLogLevel() const override { return irr::ELL_INFORMATION; }
	void setLogLevel(irr::ELOG_LEVEL) override {}
	void log(const irr::c8* text, irr::ELOG_LEVEL) override { std::fprintf(sink(), "%s\n", text); }
	void log(const irr::c8* text, const irr::c8* hint, irr::ELOG_LEVEL) override
	{
		std::fprintf(sink(), "%s: %s\n", text, hint);
	}
	void log(const irr::c8* text, const wchar_t* hint, irr::ELOG_LEVEL) override
	{
		std::fprintf(sink(), "%s: %ls\n", text, hint);
	}
	void log(const wchar_t* text, const wchar_t* hint, irr::ELOG_LEVEL) override
	{
		std::fprintf(sink(), "%ls: %ls\n", text, hint);
	}
	void log(const wchar_t* text, irr::ELOG_LEVEL) override { std::fprintf(sink(), "%ls\n", text); }

private:
	static FILE* sink()
	{
		static FILE* file = std::fopen("/dev/null", "w");
		return file;
	}
};

// The client's own message sink, after the longest text is kept.
void keepLongest(const asSMessageInfo* message, void* manager)
{
	static_cast<script::CScriptManager*>(manager)->messageCallback(*message);
	++messages;
	if (!message->message)
		return;
	longestText = std::max(longestText, std::strlen(message->message));
	if (messagesToShow > 0 && messagesToShow--)
		std::fprintf(stderr, "  (r %d, c %d) %.200s\n", message->row, message->col, message->message);
}

size_t longestDeclaration(asIScriptModule* module)
{
	size_t longest = 0;
	const auto keep = [&](asIScriptFunction* function) {
		if (function)
			longest = std::max(longest, std::strlen(function->GetDeclaration(true, true, true)));
	};
	for (asUINT i = 0; i < module->GetFunctionCount(); ++i)
		keep(module->GetFunctionByIndex(i));
	for (asUINT t = 0; t < module->GetObjectTypeCount(); ++t)
	{
		asITypeInfo* type = module->GetObjectTypeByIndex(t);
		for (asUINT m = 0; m < type->GetMethodCount(); ++m)
			keep(type->GetMethodByIndex(m));
		for (asUINT f = 0; f < type->GetFactoryCount(); ++f)
			keep(type->GetFactoryByIndex(f));
	}
	return longest;
}

// Builds in the child: a fresh script host, the code made there, the guard
// asked and the code built whatever the guard says.
SFigures measure(const SShape& shape, size_t n)
{
	const rlimit memory{CHILD_MEMORY, CHILD_MEMORY};
	setrlimit(RLIMIT_AS, &memory);
	const rlimit cpu{CHILD_CPU_SECONDS, CHILD_CPU_SECONDS};
	setrlimit(RLIMIT_CPU, &cpu);
	alarm(static_cast<unsigned>(CHILD_CPU_SECONDS * 3));

	SFigures figures;
	CNullLogger logger;
	script::CScriptManager scripts(&logger, script::registerWorldAPI);
	script::registerScriptCallbacks(scripts, nullptr);
	asIScriptEngine* engine = scripts.getEngine();
	engine->SetMessageCallback(asFUNCTION(keepLongest), &scripts, asCALL_CDECL);
	const std::string code = shape.Make(n);
	figures.Bytes = code.size();

	holdFunctions(scripts, shape.HeldFunctions);
	void* stack = mmap(
		nullptr, BUILD_STACK, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
	if (stack == MAP_FAILED)
		return figures;
	std::ofstream("/proc/self/clear_refs") << "5";
	const double rssBefore = statusKiB("VmRSS:");

	holdNamespaces(scripts, shape.Held);
	const double guardStart = threadSeconds();
	const std::string why = guardAnswer(scripts, shape, code);
	const double guardSeconds = threadSeconds() - guardStart;
	figures.Accepted = why.empty();
	std::snprintf(figures.Why, sizeof figures.Why, "%s", why.c_str());

	script::CScriptModule* owner = scripts.getModule("shape");
	SBuild build{&scripts, owner, owner->getEngineModule(), &code};
	pthread_attr_t attributes;
	pthread_attr_init(&attributes);
	pthread_attr_setstack(&attributes, stack, BUILD_STACK);
	pthread_t thread;
	if (pthread_create(&thread, &attributes, runBuild, &build) != 0)
		return figures;
	pthread_join(thread, nullptr);

	const long page = sysconf(_SC_PAGESIZE);
	std::vector<unsigned char> resident(BUILD_STACK / static_cast<size_t>(page));
	mincore(stack, BUILD_STACK, resident.data());
	const auto deepest = std::find_if(resident.begin(), resident.end(), [](unsigned char r) { return r & 1; });
	figures.StackKiB = static_cast<double>(resident.end() - deepest) * static_cast<double>(page) / 1024.0;
	figures.PeakMiB = (statusKiB("VmHWM:") - rssBefore) / 1024.0;
	figures.Seconds = build.Seconds + guardSeconds;
	figures.Result = build.Result;
	figures.LongestText = std::max(longestText, longestDeclaration(build.Module));
	figures.Answered = true;
	return figures;
}

std::string ending(const SFigures& figures, int status)
{
	if (!figures.Answered)
	{
		if (WIFSIGNALED(status))
		{
			const int signal = WTERMSIG(status);
			if (signal == SIGXCPU || signal == SIGALRM)
				return "ran away";
			return std::string("crash ") + sigabbrev_np(signal);
		}
		return "no answer";
	}
	if (figures.Result == asINIT_GLOBAL_VARS_FAILED)
		return "init failed";
	return figures.Result >= 0 ? "built" : "errors";
}

bool bad(const SFigures& figures)
{
	return !figures.Answered || figures.Seconds > SECONDS_GOAL || figures.PeakMiB > MIB_GOAL ||
		figures.LongestText >= 1023;
}

SFigures measureInChild(const SShape& shape, size_t n, std::string& end)
{
	int status = 0;
	const SFigures figures = bench::inChild([&] { return measure(shape, n); }, SFigures(), &status);
	end = ending(figures, status);
	return figures;
}

// The build's time over what the net layer weighs a server's script packet
// of that code at before it takes it on (its work unit is about a
// microsecond): past 1, the frame that takes it in spends more than its
// budget says.
double overWeight(const SFigures& figures)
{
	std::vector<irr::u8> packet(2 + figures.Bytes, ' ');
	packet[0] = 0;
	packet[1] = net::ESPI_MAIN_SCRIPT;
	return figures.Seconds * 1e6 / net::packetWork(packet.data(), packet.size());
}

void print(const SShape& shape, size_t n, const SFigures& figures, const std::string& end, const char* mark)
{
	std::printf("%-34s %9zu %9zu  %-8s %-12s %8.3f %9.0f %8.1f %6zu %7.2f %s\n", shape.Name, n, figures.Bytes,
		figures.Answered ? (figures.Accepted ? "accepts" : "refuses") : "?", end.c_str(), figures.Seconds,
		figures.StackKiB, figures.PeakMiB, figures.LongestText, overWeight(figures), mark);
	std::fflush(stdout);
}

// The host the guard reads the code for in the search of its bounds.
script::CScriptManager* guardHost = nullptr;

bool accepted(const SShape& shape, size_t n)
{
	const std::string code = shape.Make(n);
	return guardAnswer(*guardHost, shape, code).empty();
}

// The largest size of the shape the guard accepts (0: none; the size it
// stopped at when the guard still accepts a source of LARGEST_SOURCE bytes,
// or one far past the shape's ladder).
size_t largestAccepted(const SShape& shape, bool& unbounded)
{
	unbounded = false;
	if (!accepted(shape, 1))
		return 0;
	size_t low = 1;
	size_t high = 2;
	while (accepted(shape, high))
	{
		low = high;
		if (shape.Make(high).size() > LARGEST_SOURCE || high > shape.Last * 1024)
		{
			unbounded = true;
			return low;
		}
		high *= 2;
	}
	while (high - low > 1)
	{
		const size_t middle = low + (high - low) / 2;
		(accepted(shape, middle) ? low : high) = middle;
	}
	return low;
}

struct SWorst
{
	double Seconds = 0.0;
	double StackKiB = 0.0;
	double PeakMiB = 0.0;
	size_t LongestText = 0;
	double OverWeight = 0.0;
	std::string SlowestShape, DeepestShape, LargestShape, LongestShape, HeaviestShape;
	std::vector<std::string> Faults;

	void take(const SShape& shape, size_t n, const SFigures& figures, const std::string& end)
	{
		const std::string what = std::string(shape.Name) + " " + std::to_string(n);
		if (!figures.Answered)
		{
			Faults.push_back(what + ": " + end);
			return;
		}
		if (figures.Seconds > Seconds)
			Seconds = figures.Seconds, SlowestShape = what;
		if (figures.StackKiB > StackKiB)
			StackKiB = figures.StackKiB, DeepestShape = what;
		if (figures.PeakMiB > PeakMiB)
			PeakMiB = figures.PeakMiB, LargestShape = what;
		if (figures.LongestText > LongestText)
			LongestText = figures.LongestText, LongestShape = what;
		if (overWeight(figures) > OverWeight)
			OverWeight = overWeight(figures), HeaviestShape = what;
		if (bad(figures))
			Faults.push_back(what + ": over the goal");
	}
};

} // namespace

int main(int argc, char** argv)
{
	// An argument picks the shapes whose names contain it.
	const char* only = argc > 1 ? argv[1] : nullptr;
	if (const char* show = std::getenv("ORV_SHAPE_MESSAGES"))
		messagesToShow = std::atoi(show);
	std::printf("%-34s %9s %9s  %-8s %-12s %8s %9s %8s %6s %7s\n", "shape", "size", "bytes", "guard", "build", "cpu s",
		"stack KiB", "peak MiB", "text", "/weight");
	script::CScriptManager host(nullptr, script::registerWorldAPI);
	guardHost = &host;
	SWorst worst;
	for (const SShape& shape : shapes())
	{
		if (only && !std::strstr(shape.Name, only))
			continue;
		for (size_t n = shape.First; n <= shape.Last; n *= shape.Factor)
		{
			std::string end;
			const SFigures figures = measureInChild(shape, n, end);
			print(shape, n, figures, end, "");
			if (figures.Accepted)
				worst.take(shape, n, figures, end);
			if (!figures.Answered || figures.Seconds > LADDER_STOP_SECONDS)
				break;
		}
		// The guard reads which functions the engine holds from the engine.
		script::CScriptManager heldHost(nullptr, script::registerWorldAPI);
		guardHost = &host;
		if (shape.HeldFunctions > 0)
		{
			holdFunctions(heldHost, shape.HeldFunctions);
			guardHost = &heldHost;
		}
		bool unbounded = false;
		const size_t largest = largestAccepted(shape, unbounded);
		if (largest == 0)
		{
			const std::string smallest = shape.Make(1);
			std::printf("%-34s accepts no size: %s\n", shape.Name, guardAnswer(*guardHost, shape, smallest).c_str());
			continue;
		}
		if (unbounded)
		{
			std::printf("%-34s %9zu  the guard accepts it unbounded\n", shape.Name, largest);
			worst.Faults.push_back(std::string(shape.Name) + ": unbounded");
			continue;
		}
		std::string end;
		const SFigures figures = measureInChild(shape, largest, end);
		print(shape, largest, figures, end, "<- largest accepted");
		if (figures.Answered && !figures.Accepted)
			std::printf("    the guard refuses what it accepted in the search\n");
		worst.take(shape, largest, figures, end);
		const std::string past = shape.Make(largest + 1);
		std::printf("    past it: %s\n", guardAnswer(*guardHost, shape, past).c_str());
	}
	for (const std::string& fault : worst.Faults)
		std::printf("fault: %s\n", fault.c_str());
	std::printf("worst accepted build: %.3f s (%s), stack %.0f KiB (%s), peak %.1f MiB (%s), text %zu (%s), "
				"%.2f times its weight (%s); %s\n",
		worst.Seconds, worst.SlowestShape.c_str(), worst.StackKiB, worst.DeepestShape.c_str(), worst.PeakMiB,
		worst.LargestShape.c_str(), worst.LongestText, worst.LongestShape.c_str(), worst.OverWeight,
		worst.HeaviestShape.c_str(), worst.Faults.empty() ? "within the goal" : "FAULTS above");
	return worst.Faults.empty() ? 0 : 1;
}
