// "array<T>" as scripts see it: the sorts give the add-on's orders for every
// element kind in O(n log n) comparisons whatever the input, and no single
// call can make an array larger than its bounds.

#include <string>

#include <angelscript.h>
#include <gtest/gtest.h>
#include <scriptarray.h>

#include "script/RegistrationSwap.h"
#include "script/ScriptArray.h"
#include "script/bindings/ScriptReferenceCounts.h"
#include "support/script_runner.h"

namespace {

using orv::test::CScriptRunner;

const char* const PRELUDE = R"(
string joined(const array<int> &in a)
{
	string s;
	for (uint i = 0; i < a.length(); ++i)
		s = s + (i > 0 ? "," : "") + a[i];
	return s;
}
class K
{
	int v; int tag;
	K() { v = 0; tag = 0; }
	K(int value, int t = 0) { v = value; tag = t; }
	int opCmp(const K &in other) const { comparisons++; return v - other.v; }
}
int comparisons = 0;
string keys(const array<K@> &in a)
{
	string s;
	for (uint i = 0; i < a.length(); ++i)
		s = s + (i > 0 ? "," : "") + (a[i] is null ? "null" : "" + a[i].v + (a[i].tag > 0 ? ":" + a[i].tag : ""));
	return s;
}
enum E { LOW = -5, MID = 0, HIGH = 7 }
string t(bool b) { return b ? "t" : "f"; }
int calls = 0;
)";

struct SCase
{
	const char* name;
	const char* body; // of a function that returns what it sorted, as text
	const char* expected;
};

TEST(ScriptArray, SortsGiveTheAddOnsOrderForEveryElementKind)
{
	const SCase cases[] = {
		{"ints up", "array<int> a = {3, -1, 2, 2}; a.sortAsc(); return joined(a);", "-1,2,2,3"},
		{"ints down", "array<int> a = {3, -1, 2, 2}; a.sortDesc(); return joined(a);", "3,2,2,-1"},
		{"range up", "array<int> a = {5, 4, 3, 2, 1}; a.sortAsc(1, 3); return joined(a);", "5,2,3,4,1"},
		{"range down to the end", "array<int> a = {1, 2, 3}; a.sortDesc(1, 2); return joined(a);", "1,3,2"},
		{"too short to sort", "array<int> a = {2, 1}; a.sortAsc(0, 1); a.sortAsc(1, 0); return joined(a);", "2,1"},
		{"int8", "array<int8> a = {5, -128, 127, -1}; a.sortAsc(); return joined({a[0], a[1], a[2], a[3]});",
			"-128,-1,5,127"},
		{"uint64",
			"array<uint64> a = {0xFFFFFFFFFFFFFFFF, 0, 1}; a.sortAsc(); return t(a[0] == 0) + t(a[1] == 1) + t(a[2] == 0xFFFFFFFFFFFFFFFF);",
			"ttt"},
		{"doubles",
			"array<double> a = {1.5, -2.25, 0}; a.sortDesc(); return joined({int(a[0] * 4), int(a[1] * 4), int(a[2] * 4)});",
			"6,0,-9"},
		{"bools", "array<bool> a = {true, false, true}; a.sortAsc(); return t(a[0]) + t(a[1]) + t(a[2]);", "ftt"},
		{"enums by value", "array<E> a = {HIGH, LOW, MID}; a.sortAsc(); return joined({a[0], a[1], a[2]});", "-5,0,7"},
		{"strings by opCmp",
			"array<string> a = {'pear', 'apple', 'fig'}; a.sortAsc(); return a[0] + '/' + a[1] + '/' + a[2];",
			"apple/fig/pear"},
		{"handles, null first", "array<K@> a = {K(3), null, K(1)}; a.sortAsc(); return keys(a);", "null,1,3"},
		{"handles down, null last", "array<K@> a = {K(3), null, K(1)}; a.sortDesc(); return keys(a);", "3,1,null"},
		{"objects", "array<K> a = {K(2), K(9), K(-4)}; a.sortAsc(); return joined({a[0].v, a[1].v, a[2].v});",
			"-4,2,9"},
		{"own less on ints", "array<int> a = {3, 1, 2}; a.sort(function(x, y) { return x > y; }); return joined(a);",
			"3,2,1"},
		{"own less keeps ties in order",
			"array<K@> a = {K(2, 1), K(1, 2), K(2, 3), K(1, 4)}; a.sort(function(x, y) { return x.v < y.v; }); return keys(a);",
			"1:2,1:4,2:1,2:3"},
		{"own less from a start, count to the end",
			"array<int> a = {9, 3, 1, 2}; a.sort(function(x, y) { return x < y; }, 1); return joined(a);", "9,1,2,3"},
		{"own less on objects",
			"array<K> a = {K(2), K(9), K(-4)}; a.sort(function(x, y) { return x.v > y.v; }); return joined({a[0].v, a[1].v, a[2].v});",
			"9,2,-4"},
		{"own less past the end",
			"array<int> a = {2, 1}; a.sort(function(x, y) { return x < y; }, 5); return joined(a);", "2,1"},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.name);
		CScriptRunner runner;
		const std::string code = std::string(PRELUDE) + "string sorted() { " + c.body +
			" }\nvoid main() { string s = sorted(); check(s == \"" + c.expected + "\", s); }\n";
		EXPECT_TRUE(runner.runScript(code));
	}
}

// Reverse-sorted input is the add-on's worst case: quadratic, minutes at
// this length. A merge sort needs at most n log2 n comparisons.
TEST(ScriptArray, SortedInputSortsWithFewComparisons)
{
	CScriptRunner runner;
	EXPECT_TRUE(runner.runScript(std::string(PRELUDE) + R"(
void main()
{
	array<int> ints(200000);
	for (uint i = 0; i < ints.length(); ++i)
		ints[i] = i;
	ints.sortDesc();
	bool ordered = true;
	for (uint i = 0; i < ints.length(); ++i)
		ordered = ordered && ints[i] == int(ints.length() - 1 - i);
	check(ordered, "200000 ascending ints sorted down");

	array<K@> objects(4096);
	for (uint i = 0; i < objects.length(); ++i)
		@objects[i] = K(i);
	comparisons = 0;
	objects.sortDesc();
	check(objects[0].v == 4095 && objects[4095].v == 0, "objects sorted down");
	check(comparisons <= 4096 * 12, "opCmp calls: " + comparisons);

	calls = 0;
	objects.sort(function(x, y) { calls++; return x.v < y.v; });
	check(objects[0].v == 0 && objects[4095].v == 4095, "objects sorted up");
	check(calls <= 4096 * 12, "less calls: " + calls);
}
)"));
}

TEST(ScriptArray, FailuresRaiseScriptExceptions)
{
	const SCase cases[] = {
		{"range past the end", "array<int> a = {1, 2}; a.sortAsc(1, 5);", "Index out of bounds"},
		{"start past the end", "array<int> a = {1, 2}; a.sortDesc(2, 2);", "Index out of bounds"},
		{"no opCmp", "array<N@> a = {N(), N()}; a.sortAsc();", "Type 'N' does not have a matching opCmp method"},
		{"opCmp raises", "array<R@> a = {R(), R()}; a.sortAsc();", "Divide by zero"},
		{"less raises", "array<int> a = {1, 2}; a.sort(function(x, y) { int z = 0; return x / z < y; });",
			"Divide by zero"},
		{"resize", "array<int> a; a.resize(0x7FFFFFFF);", "Too large array size"},
		{"length at construction", "array<int> a(0x20000000);", "Too large array size"},
		{"filled at construction", "array<double> a(0x10000000, 1.0);", "Too large array size"},
		{"reserve", "array<double> a; a.reserve(0xFFFFFFFF);", "Too large array size"},
		{"many objects", "array<string> a(2000000);", "Too large array size"},
		{"one handle many times", "N n; array<N@> a(1100000, @n);", "Too large array size"},
		{"handles grown", "array<N@> a; a.resize(524289);", "Too large array size"},
		{"arrays of one type", "array<array<int>> a(1000001);", "Too large array size"},
		{"function handles", "array<F@> a(1100000, @g);", "Too large array size"},
		{"doubling", "array<int> a = {1}; for (int i = 0; i < 40; ++i) a.insertAt(0, a);", "Too large array size"},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.name);
		CScriptRunner runner;
		ASSERT_TRUE(runner.build(
			std::string(
				"class N {}\nfuncdef void F();\nvoid g() {}\nclass R { int opCmp(const R &in) const { int z = 0; return 1 / z; } }\n"
				"void main() { ") +
			c.body + " }\n"));
		EXPECT_EQ(runner.runForException(), c.expected);
	}
}

// The engine's debug build ends the process once a reference count passes a
// million; the client's counter has no such check, so what passes it within
// the memory bound is ordinary: handles to one object, objects and arrays of
// one type, handles to one function, spread over arrays below their bound.
TEST(ScriptArray, AMillionReferencesToOneThingAreOrdinary)
{
	const SCase cases[] = {
		{"handles to one object", "N n; array<N@> a(400000, @n), b(400000, @n), c(400000, @n);", ""},
		{"objects of one class", "array<N> a(400000), b(400000), c(400000);", ""},
		{"arrays of one type", "array<array<int>> a(400000), b(400000), c(400000);", ""},
		{"handles to one function", "array<F@> a(400000, @g), b(400000, @g), c(400000, @g);", ""},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.name);
		CScriptRunner runner;
		EXPECT_TRUE(runner.runScript(std::string("class N {}\nfuncdef void F();\nvoid g() {}\nvoid main() { ") +
			c.body + " check(a.length() + b.length() + c.length() == 1200000, \"all made\"); }\n"));
	}
	EXPECT_TRUE(orv::script::scriptReferenceCountsAreUnchecked());
}

// A failed comparison leaves the array as it was, not half sorted.
TEST(ScriptArray, AFailedSortLeavesTheArrayAsItWas)
{
	CScriptRunner runner;
	ASSERT_TRUE(runner.build(R"(
array<int> a = {5, 1, 4, 2, 3};
int calls = 0;
void main() { a.sort(function(x, y) { if (++calls == 6) { int z = 0; z = 1 / z; } return x < y; }); }
)"));
	EXPECT_EQ(runner.runForException(), "Divide by zero");
	AngelScript::asIScriptModule* module = runner.engine()->GetModule("test");
	ASSERT_NE(module, nullptr);
	const auto* a = static_cast<AngelScript::CScriptArray*>(
		module->GetAddressOfGlobalVar(module->GetGlobalVarIndexByName("a")));
	ASSERT_NE(a, nullptr);
	const int expected[] = {5, 1, 4, 2, 3};
	for (AngelScript::asUINT i = 0; i < 5; ++i)
		EXPECT_EQ(*static_cast<const int*>(a->At(i)), expected[i]);
}

// Natives that call a script back while they work on an array (sorts,
// searches, comparisons, an element's own opAssign or destructor) keep it
// as it is until they return: a callback that would grow, shrink or
// replace it raises an exception, the native ends with it and the array is
// left whole, each element where it was. The arrays are large enough that a
// buffer kept across a reallocation would be read after it is freed.
TEST(ScriptArray, ACallbackCannotChangeTheArrayItsNativeWorksOn)
{
	const SCase cases[] = {
		{"less grows it", "a.sort(function(x, y) { a.insertLast(x); return x < y; });", ""},
		{"less shrinks it", "a.sort(function(x, y) { a.removeLast(); return x < y; });", ""},
		{"less replaces it", "a.sort(function(x, y) { a = array<int>(5000, 7); return x < y; });", ""},
		{"less resizes it", "a.sort(function(x, y) { a.resize(0); return x < y; });", ""},
		{"less sorts it again", "a.sort(function(x, y) { a.sortAsc(); return x < y; });", ""},
		{"opCmp grows it", "g.sortAsc();", ""},
		{"opCmp clears it", "clearing = true; g.sortDesc();", ""},
		{"opEquals in find shrinks it", "g.find(G(-1));", ""},
		{"opEquals in a comparison shrinks it", "bool same = g == g2;", ""},
	};
	const std::string prelude = R"(
array<int> a;
array<G@> g;
array<G@> g2;
bool clearing = false;
class G
{
	int v;
	G(int value) { v = value; }
	int opCmp(const G &in o) const
	{
		if (clearing) g.removeRange(0, g.length()); else g.insertLast(G(0));
		return v - o.v;
	}
	bool opEquals(const G &in o) const { g.removeAt(0); g2.removeAt(0); return v == o.v; }
}
void fill()
{
	for (int i = 0; i < 3000; ++i)
	{
		a.insertLast((i * 7919) % 3000);
		g.insertLast(G((i * 7919) % 3000));
		g2.insertLast(G((i * 7919) % 3000));
	}
}
bool whole()
{
	if (a.length() != 3000 || g.length() != 3000) return false;
	for (int i = 0; i < 3000; ++i)
		if (a[i] != (i * 7919) % 3000 || g[i].v != (i * 7919) % 3000) return false;
	return true;
}
)";
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.name);
		CScriptRunner runner;
		ASSERT_TRUE(runner.build(prelude + "void main() { " + c.body + " }\n"));
		ASSERT_TRUE(runner.run("void fill()"));
		EXPECT_EQ(runner.runForException(), "The array cannot change while a call on it runs a script");
		AngelScript::asIScriptModule* module = runner.engine()->GetModule("test");
		AngelScript::asIScriptContext* context = runner.engine()->CreateContext();
		ASSERT_GE(context->Prepare(module->GetFunctionByDecl("bool whole()")), 0);
		ASSERT_EQ(context->Execute(), AngelScript::asEXECUTION_FINISHED);
		EXPECT_TRUE(context->GetReturnByte() != 0) << "the arrays are as they were";
		context->Release();
	}
}

TEST(ScriptArray, EveryDeclarationToSwapIsTheAddOnsOwn)
{
	AngelScript::asIScriptEngine* engine = AngelScript::asCreateScriptEngine();
	ASSERT_NE(engine, nullptr);
	EXPECT_EQ(orv::script::registerScriptArray(engine), 0);
	engine->ShutDownAndRelease();

	struct Case
	{
		const char* declaration;
		int parameters;
	} cases[] = {
		{"void sortAsc()", 0},
		{"void sortAsc( )", 0},
		{"void resize(uint length)", 1},
		{"void insertAt(uint index, const array<T>&inout arr)", 2},
		{"void sort(const less &in, uint startAt = 0, uint count = uint(-1))", 3},
		{"array<T>@ f(int&in type, int&in list) {repeat T}", 2},
	};
	for (const Case& c : cases)
		EXPECT_EQ(orv::script::countParameters(c.declaration), c.parameters) << c.declaration;
}

} // namespace
