#include "support/script_runner.h"

#include <angelscript.h>
#include <gtest/gtest.h>
#include <irrlicht.h>

namespace {

using namespace AngelScript;
using irr::core::dimension2d;
using orv::test::CScriptRunner;

TEST(ScriptDimension, Operators)
{
	CScriptRunner runner;
	runner.runChecks({
		"dimension2df().Width == 0 && dimension2df().Height == 0",
		"dimension2di().Width == 0 && dimension2di().Height == 0",
		"dimension2df(3, 4) * 2 == dimension2df(6, 8)",
		"dimension2di(7, 9) / 2 == dimension2di(3, 4)",
		"dimension2di(-7, 9) / 2 == dimension2di(-3, 4)",
		"dimension2df(1, 1) + dimension2df(2, 3) == dimension2df(3, 4)",
		"(dimension2df(1, 1) / 0).Width > 1e38f",
		"dimension2df(1, 1) == dimension2df(1.0000005f, 1)",
		"!(dimension2df(1, 1) == dimension2df(1.00001f, 1))",
		"dimension2df(1, 1) != dimension2df(1, 1.00001f)",
		"dimension2di(1, 1) != dimension2di(1, 2)",
		"dimension2df(3, 4).getArea() == 12",
		"dimension2di(3, -4).getArea() == -12",
		"dimension2df(0, 0).getInterpolated(dimension2df(10, 20), 0.25f) == dimension2df(7.5f, 15)",
		"dimension2di(0, 0).getInterpolated(dimension2di(10, 20), 0.5f) == dimension2di(5, 10)",
		"dimension2di(2147483647, 0) + dimension2di(1, 0) == dimension2di(-2147483648, 0)",
	});
}

TEST(ScriptDimension, OperandsAndAssignments)
{
	CScriptRunner runner;
	runner.runChecks({"scaled(dimension2df(3, 4))", "compound()", "assigned()"}, R"(
		bool scaled(dimension2df a) { dimension2df b = a * 2; return a == dimension2df(3, 4) && b.Width == 6 && b.Height == 8; }
		bool compound()
		{
			dimension2di a(6, 8);
			a *= 2; if (a != dimension2di(12, 16)) return false;
			a /= 4; if (a != dimension2di(3, 4)) return false;
			a += dimension2di(1, 1); if (a != dimension2di(4, 5)) return false;
			dimension2df f(1, 2);
			f /= 2; f.set(f.Width, f.Height * 3);
			return f == dimension2df(0.5f, 3);
		}
		bool assigned()
		{
			dimension2df a(1, 2), b;
			b = a; a.Width = 5;
			dimension2di c(3, 4), d = c;
			return b.Width == 1 && b.Height == 2 && d.Width == 3 && d.Height == 4;
		}
	)");
}

TEST(ScriptDimension, OptimalSizeOfBothScalars)
{
	struct Case
	{
		const char* args;
		int width;
		int height;
	};
	const Case cases[] = {
		{"true, false, true, 0", 128, 64},
		{"true, true, true, 0", 128, 128},
		{"true, false, false, 0", 64, 32},
		{"false, false, true, 0", 100, 50},
		{"true, false, true, 100", 100, 64},
		{"true, true, false, 0", 32, 32},
		{"false, true, true, 0", 100, 100},
	};
	const char* types[] = {"dimension2df", "dimension2di"};
	std::vector<std::string> checks;
	for (const char* type : types)
		for (const Case& c : cases)
			checks.push_back(std::string(type) + "(100, 50).getOptimalSize(" + c.args + ") == " + type + "(" +
				std::to_string(c.width) + ", " + std::to_string(c.height) + ")");
	CScriptRunner runner;
	runner.runChecks(checks);
}

// Each shorter overload fills Irrlicht's defaults (true, false, true, 0).
TEST(ScriptDimension, ShortOptimalSizeOverloadsEqualTheFullCall)
{
	std::vector<std::string> checks;
	const char* sizes[] = {"(100, 50)", "(1, 1)", "(0, 0)", "(3, 300)", "(64, 64)", "(65, 2)"};
	const char* types[] = {"dimension2df", "dimension2di"};
	const char* bools[] = {"false", "true"};
	for (const char* type : types)
		for (const char* size : sizes)
		{
			const std::string d = std::string(type) + size;
			checks.push_back(d + ".getOptimalSize() == " + d + ".getOptimalSize(true, false, true, 0)");
			for (const char* p : bools)
			{
				checks.push_back(
					d + ".getOptimalSize(" + p + ") == " + d + ".getOptimalSize(" + p + ", false, true, 0)");
				for (const char* q : bools)
				{
					const std::string pq = std::string(p) + ", " + q;
					checks.push_back(
						d + ".getOptimalSize(" + pq + ") == " + d + ".getOptimalSize(" + pq + ", true, 0)");
					for (const char* r : bools)
					{
						const std::string pqr = pq + ", " + r;
						checks.push_back(
							d + ".getOptimalSize(" + pqr + ") == " + d + ".getOptimalSize(" + pqr + ", 0)");
					}
				}
			}
		}
	CScriptRunner runner;
	runner.runChecks(checks);
}

// Integer traps, endless power-of-two searches and unconvertible float sides
// become script exceptions and leave the operand as it was.
TEST(ScriptDimension, TrapsBecomeScriptExceptions)
{
	struct Case
	{
		const char* statement;
		const char* exception;
	};
	const Case cases[] = {
		{"g = g / 0;", "Divide by zero"},
		{"g /= 0;", "Divide by zero"},
		{"g = dimension2di(-2147483648, 1) / -1;", "Overflow"},
		{"g = dimension2di(1, -2147483648) / -1;", "Overflow"},
		{"g.Width = -2147483648; g /= -1;", "Overflow"},
		{"g = dimension2di(-5, 3).getOptimalSize();", "Out of range"},
		{"g = dimension2di(3, -1).getOptimalSize(true, false, false, 0);", "Out of range"},
		{"g = dimension2di(3, -2147483647).getOptimalSize(true);", "Out of range"},
		{"gf = dimension2df(-5, 3).getOptimalSize();", "Out of range"},
		{"gf = dimension2df(3e9f, 3).getOptimalSize();", "Out of range"},
		{"gf = dimension2df(5e9f, 3).getOptimalSize(false);", "Out of range"},
		{"gf = dimension2df(sqrt(-1.0f), 3).getOptimalSize(false);", "Out of range"},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.statement);
		CScriptRunner runner;
		ASSERT_TRUE(runner.build(
			std::string("dimension2di g(7, 9); dimension2df gf(7, 9);\nvoid main() { ") + c.statement + " }"));
		EXPECT_EQ(runner.runForException(), c.exception);
	}
	// The operand of a refused compound division keeps its value.
	CScriptRunner runner;
	ASSERT_TRUE(runner.build(
		"dimension2di g(7, 9);\nvoid divide() { g /= 0; }\nvoid read() { check(g == dimension2di(7, 9), \"kept\"); }"));
	EXPECT_EQ(runner.runForException("void divide()"), "Divide by zero");
	EXPECT_TRUE(runner.run("void read()"));
	// Sides that are representable and at most 2^31 still work.
	EXPECT_TRUE(runner.runScript(
		"void main() { check(dimension2di(-5, 3).getOptimalSize(false) == dimension2di(-5, 3), \"no search\");"
		" check(dimension2df(2147483648.0f, 1).getOptimalSize() == dimension2df(2147483648.0f, 1), \"2^31\"); }"));
}

dimension2d<irr::f32> nativeDimensionF()
{
	return {1.5f, -2.25f};
}
dimension2d<irr::s32> nativeDimensionI()
{
	return {-7, 123456};
}
dimension2d<irr::f32> nativeScaleF(dimension2d<irr::f32> d, irr::f32 s)
{
	return d * s;
}

// x86-64 hands small trivially copyable classes back in registers; the
// engine must agree with the compiler on both forms.
TEST(ScriptDimension, NativesReturningByValue)
{
	CScriptRunner runner;
	asIScriptEngine* engine = runner.engine();
	ASSERT_GE(
		engine->RegisterGlobalFunction("dimension2df nativeDimensionF()", asFUNCTION(nativeDimensionF), asCALL_CDECL),
		0);
	ASSERT_GE(
		engine->RegisterGlobalFunction("dimension2di nativeDimensionI()", asFUNCTION(nativeDimensionI), asCALL_CDECL),
		0);
	ASSERT_GE(engine->RegisterGlobalFunction(
				  "dimension2df nativeScaleF(dimension2df, f32)", asFUNCTION(nativeScaleF), asCALL_CDECL),
		0);
	runner.runChecks({
		"nativeDimensionF().Width == 1.5f && nativeDimensionF().Height == -2.25f",
		"nativeDimensionI().Width == -7 && nativeDimensionI().Height == 123456",
		"nativeScaleF(dimension2df(2, 3), 2) == dimension2df(4, 6)",
	});
}

} // namespace
