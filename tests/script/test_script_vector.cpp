#include "support/script_runner.h"

#include <angelscript.h>
#include <gtest/gtest.h>
#include <irrlicht.h>

namespace {

using namespace AngelScript;
using irr::core::vector2d;
using irr::core::vector3d;
using orv::test::CScriptRunner;

// Vectors compare within the float tolerance, so the tables compare results
// with == and name exact cases with their own components.
TEST(ScriptVector3d, ArithmeticAndComparison)
{
	CScriptRunner runner;
	runner.runChecks({
		"vector3df(1, 2, 3) < vector3df(1, 2, 4)",
		"vector3df(1, 2, 4) > vector3df(1, 2, 3)",
		"vector3df(1, 2, 3).opCmp(vector3df(1.0000005f, 2, 3)) == 0",
		"vector3df(1, 2, 3) <= vector3df(1.0000005f, 2, 3) && vector3df(1, 2, 3) >= vector3df(1.0000005f, 2, 3)",
		"vector3di(1, 2, 3).opCmp(vector3di(1, 2, 3)) == 0",
		"vector3di(2, 0, 0).opCmp(vector3di(1, 9, 9)) == 1",
		"vector3di(1, 9, 9).opCmp(vector3di(2, 0, 0)) == -1",
		"vector3di(1, 2, 3).opCmp(vector3di(1, 3, 0)) == -1",
		"vector3df(1, 1, 1) == vector3df(1.0000005f, 1, 1)",
		"!(vector3df(1, 1, 1) == vector3df(1.00001f, 1, 1))",
		"vector3di(1, 1, 1) != vector3di(1, 1, 2)",
		"vector3df(1, 2, 3) + vector3df(1, 1, 1) == vector3df(2, 3, 4)",
		"vector3df(1, 2, 3) + 1 == vector3df(2, 3, 4)",
		"vector3df(1, 2, 3) - vector3df(1, 1, 1) == vector3df(0, 1, 2)",
		"vector3df(1, 2, 3) - 1 == vector3df(0, 1, 2)",
		"vector3df(1, 2, 3) * vector3df(2, 2, 2) == vector3df(2, 4, 6)",
		"vector3df(1, 2, 3) * 2 == vector3df(2, 4, 6)",
		"vector3df(1, 2, 3) / 2.0 == vector3df(0.5f, 1, 1.5f)",
		"vector3df(1, 2, 3) / 3.0f == vector3df(1 * (1.0f / 3), 2 * (1.0f / 3), 3 * (1.0f / 3))",
		"vector3df(1, 2, 3) / vector3df(2, 4, 8) == vector3df(0.5f, 0.5f, 0.375f)",
		"vector3di(7, -7, 8) / 2 == vector3di(3, -3, 4)",
		"vector3di(7, -7, 8) / vector3di(2, 3, -3) == vector3di(3, -2, -2)",
		"vector3df(5) == vector3df(5, 5, 5)",
		"vector3di(vector3di(1, 2, 3)) == vector3di(1, 2, 3)",
		"vector3df().X == 0 && vector3df().Y == 0 && vector3df().Z == 0",
		"vector3di(2147483647, 0, 0) + 1 == vector3di(-2147483648, 1, 1)",
	});
}

TEST(ScriptVector3d, Members)
{
	CScriptRunner runner;
	runner.runChecks(
		{
			"vector3df(1, 0, 0).crossProduct(vector3df(0, 1, 0)) == vector3df(0, 0, 1)",
			"vector3df(1, 2, 3).dotProduct(vector3df(4, 5, 6)) == 32",
			"vector3df(1, 2, 3).equals(vector3df(1.0000005f, 2, 3))",
			"!vector3df(1, 2, 3).equals(vector3df(1.1f, 2, 3))",
			"vector3df(1, 2, 3).equals(vector3df(1.1f, 2, 3), 0.2f)",
			"vector3di(1, 2, 3).equals(vector3di(2, 2, 3), 1) && !vector3di(1, 2, 3).equals(vector3di(2, 2, 3))",
			"vector3df(3, 4, 0).getLength() == 5 && vector3df(3, 4, 0).getLengthSQ() == 25",
			"vector3di(3, 4, 0).getLength() == 5",
			"vector3df(1, 1, 1).getDistanceFrom(vector3df(4, 5, 1)) == 5",
			"vector3df(1, 1, 1).getDistanceFromSQ(vector3df(4, 5, 1)) == 25",
			"normalized()",
			"vector3df(0, 0, 0).normalize() == vector3df(0, 0, 0)",
			"vector3df(3, 0, 4).setLength(10) == vector3df(6, 0, 8)",
			"vector3df(1, -2, 3).invert() == vector3df(-1, 2, -3)",
			"vector3df(2, 2, 2).isBetweenPoints(vector3df(1, 1, 1), vector3df(3, 3, 3))",
			"!vector3df(5, 5, 5).isBetweenPoints(vector3df(1, 1, 1), vector3df(3, 3, 3))",
			"vector3df(0, 0, 0).getInterpolated(vector3df(10, 10, 10), 0.25) == vector3df(7.5f, 7.5f, 7.5f)",
			"vector3df(0, 0, 0).getInterpolated_quadratic(vector3df(5, 5, 5), vector3df(10, 10, 10), 0.5) == vector3df(5, 5, 5)",
			"interpolated()",
			"vector3df(0, 0, 1).getHorizontalAngle() == vector3df(0, 0, 0)",
			"vector3df(1, 0, 0).getHorizontalAngle() == vector3df(0, 90, 0)",
			"vector3df(1, 0, 0).getSphericalCoordinateAngles() == vector3df(90, 0, 0)",
			"vector3di(1, 0, 0).getSphericalCoordinateAngles() == vector3di(90, 0, 0)",
			"vector3df(0, 90, 0).rotationToDirection() == vector3df(0, 90, 0).rotationToDirection(vector3df(0, 0, 1))",
			"vector3df(0, 90, 0).rotationToDirection().equals(vector3df(1, 0, 0), 0.00001f)",
			"vector3df(0, 90, 0).rotationToDirection(vector3df(0, 1, 0)).equals(vector3df(0, 1, 0), 0.00001f)",
			"setters()",
		},
		R"(
		bool normalized()
		{
			vector3df v(3, 4, 12);
			vector3df r = v.normalize();
			return abs(v.getLength() - 1) < 0.00001f && abs(v.Z - 0.923077f) < 0.00001f && r == v;
		}
		bool interpolated()
		{
			vector3df v;
			v.interpolate(vector3df(10, 0, 0), vector3df(0, 0, 0), 0.1);
			return v == vector3df(1, 0, 0);
		}
		bool setters()
		{
			vector3df v;
			v.set(1, 2, 3);
			vector3df w;
			w.set(v).X = 5;
			return v == vector3df(1, 2, 3) && w == vector3df(5, 2, 3);
		}
	)");
}

TEST(ScriptVector3d, RotationsTurnAboutTheOriginByDefault)
{
	CScriptRunner runner;
	runner.runChecks({"xy()", "xz()", "yz()", "aboutCentre()", "integer()"}, R"(
		bool near(const vector3df &in a, const vector3df &in b) { return a.equals(b, 0.00001f); }
		bool xy() { vector3df v(1, 0, 0); v.rotateXYBy(90); return near(v, vector3df(0, 1, 0)); }
		bool xz() { vector3df v(1, 0, 0); v.rotateXZBy(90); vector3df w(1, 0, 0); w.rotateXZBy(90, vector3df()); return near(v, w) && near(v, vector3df(0, 0, 1)); }
		bool yz() { vector3df v(0, 1, 0); v.rotateYZBy(90); vector3df w(0, 1, 0); w.rotateYZBy(90, vector3df()); return near(v, w) && !near(v, vector3df(0, 1, 0)); }
		bool aboutCentre() { vector3df v(2, 1, 0); v.rotateXYBy(90, vector3df(1, 1, 0)); return near(v, vector3df(1, 2, 0)); }
		bool integer() { vector3di v(10, 0, 0); v.rotateXYBy(90); return v == vector3di(0, 10, 0); }
	)");
}

TEST(ScriptVector2d, ArithmeticComparisonAndMembers)
{
	CScriptRunner runner;
	runner.runChecks(
		{
			"vector2df(1, 2) < vector2df(1, 3) && vector2df(2, 0) > vector2df(1, 9)",
			"vector2df(1, 2).opCmp(vector2df(1.0000005f, 2)) == 0",
			"vector2di(1, 2).opCmp(vector2di(1, 2)) == 0 && vector2di(1, 2).opCmp(vector2di(1, 1)) == 1",
			"vector2df(1, 1) == vector2df(1.0000005f, 1) && !(vector2df(1, 1) == vector2df(1.00001f, 1))",
			"vector2di(1, 1) != vector2di(1, 2)",
			"vector2df(1, 2) + vector2df(3, 4) == vector2df(4, 6) && vector2df(1, 2) + 1 == vector2df(2, 3)",
			"vector2df(1, 2) - vector2df(3, 4) == vector2df(-2, -2) && vector2df(1, 2) - 1 == vector2df(0, 1)",
			"vector2df(1, 2) * vector2df(3, 4) == vector2df(3, 8) && vector2df(1, 2) * 2 == vector2df(2, 4)",
			"vector2df(1, 2) / 3.0f == vector2df(1.0f / 3, 2.0f / 3)",
			"vector2df(1, 2) / vector2df(2, 8) == vector2df(0.5f, 0.25f)",
			"vector2di(7, -7) / 2 == vector2di(3, -3) && vector2di(7, -7) / vector2di(-2, 2) == vector2di(-3, -3)",
			"vector2df(4) == vector2df(4, 4) && vector2di(vector2di(1, 2)) == vector2di(1, 2)",
			"vector2df(1, 2).dotProduct(vector2df(3, 4)) == 11",
			"vector2df(1, 2).equals(vector2df(1.0000005f, 2))",
			"vector2df(0, 1).getAngle() == 270 && vector2df(0, 1).getAngleTrig() == 90",
			"vector2df(-1, 0).getAngleTrig() == 180 && vector2di(0, -3).getAngleTrig() == 270",
			"abs(vector2df(1, 0).getAngleWith(vector2df(1, 1)) - 45) < 0.00001",
			"vector2df(3, 4).getLength() == 5 && vector2df(3, 4).getLengthSQ() == 25",
			"vector2df(0, 0).getDistanceFrom(vector2df(3, 4)) == 5 && vector2df(0, 0).getDistanceFromSQ(vector2df(3, 4)) == 25",
			"vector2df(0, 0).getInterpolated(vector2df(10, 10), 0.25) == vector2df(7.5f, 7.5f)",
			"vector2df(0, 0).getInterpolated_quadratic(vector2df(5, 5), vector2df(10, 10), 0.5) == vector2df(5, 5)",
			"vector2df(2, 2).isBetweenPoints(vector2df(1, 1), vector2df(3, 3))",
			"abs(vector2df(3, 4).normalize().getLength() - 1) < 0.00001f",
			"rotated()",
			"setters()",
		},
		R"(
		bool near(const vector2df &in a, const vector2df &in b) { return abs(a.X - b.X) < 0.00001f && abs(a.Y - b.Y) < 0.00001f; }
		bool rotated()
		{
			vector2df v(1, 0);
			vector2df r = v.rotateBy(90);
			vector2df c(2, 1);
			c.rotateBy(90, vector2df(1, 1));
			vector2di i(10, 0);
			i.rotateBy(90);
			return near(v, vector2df(0, 1)) && near(r, v) && near(c, vector2df(1, 2)) && i == vector2di(0, 10);
		}
		bool setters()
		{
			vector2df v;
			v.set(1, 2);
			vector2df w;
			w.set(v).Y = 7;
			vector2df x;
			x.interpolate(vector2df(10, 0), vector2df(0, 0), 0.1);
			return v == vector2df(1, 2) && w == vector2df(1, 7) && x == vector2df(1, 0);
		}
	)");
}

TEST(ScriptVector, CompoundAssignments)
{
	CScriptRunner runner;
	runner.runChecks({"threeD()", "twoD()"}, R"(
		bool threeD()
		{
			vector3df v(1, 2, 3);
			v += vector3df(1, 1, 1); v += 1; v -= vector3df(1, 0, 0); v -= 1;
			if (v != vector3df(1, 3, 4)) return false;
			v *= vector3df(2, 2, 2); v *= 0.5f; v /= vector3df(1, 2, 3); v /= 2;
			if (v != vector3df(0.5f, 0.75f, 4.0f / 6)) return false;
			vector3di i(8, -8, 9);
			i /= 2; i /= vector3di(1, 2, -4);
			return i == vector3di(4, -2, -1);
		}
		bool twoD()
		{
			vector2di v(9, -9);
			v += 1; v -= vector2di(1, 1); v *= 2; v /= vector2di(2, -2); v /= 2;
			vector2df f(1, 2);
			f /= 4; f /= vector2df(0.25f, 0.5f);
			return v == vector2di(4, 4) && f == vector2df(1, 1);
		}
	)");
}

// Every integer division form raises a script exception instead of a signal,
// and a refused compound division leaves its operand unchanged.
TEST(ScriptVector, IntegerTrapsBecomeScriptExceptions)
{
	struct Case
	{
		const char* statement;
		const char* exception;
	};
	const Case cases[] = {
		{"a = a / 0;", "Divide by zero"},
		{"a = a / vector3di(1, 0, 1);", "Divide by zero"},
		{"a /= 0;", "Divide by zero"},
		{"a /= vector3di(1, 1, 0);", "Divide by zero"},
		{"a = vector3di(1, -2147483648, 1) / -1;", "Overflow"},
		{"a = vector3di(-2147483648, 0, 0) / vector3di(-1, 1, 1);", "Overflow"},
		{"a.Z = -2147483648; a /= -1;", "Overflow"},
		{"a.X = -2147483648; a /= vector3di(-1, 1, 1);", "Overflow"},
		{"b = b / 0;", "Divide by zero"},
		{"b = b / vector2di(0, 1);", "Divide by zero"},
		{"b /= 0;", "Divide by zero"},
		{"b /= vector2di(1, 0);", "Divide by zero"},
		{"b = vector2di(-2147483648, 3) / -1;", "Overflow"},
		{"b.Y = -2147483648; b /= vector2di(1, -1);", "Overflow"},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.statement);
		CScriptRunner runner;
		ASSERT_TRUE(
			runner.build(std::string("vector3di a(6, 7, 8); vector2di b(6, 7);\nvoid main() { ") + c.statement + " }"));
		EXPECT_EQ(runner.runForException(), c.exception);
	}

	CScriptRunner runner;
	ASSERT_TRUE(runner.build(R"(
		vector3di a(6, -2147483648, 8); vector2di b(6, 7);
		void divideA() { a /= vector3di(2, -1, 2); }
		void divideB() { b /= vector2di(2, 0); }
		void read() { check(a == vector3di(6, -2147483648, 8), "a kept"); check(b == vector2di(6, 7), "b kept"); }
	)"));
	EXPECT_EQ(runner.runForException("void divideA()"), "Overflow");
	EXPECT_EQ(runner.runForException("void divideB()"), "Divide by zero");
	EXPECT_TRUE(runner.run("void read()"));
}

vector3d<irr::f32> nativeVector3f()
{
	return {1.5f, -2.5f, 3.25f};
}
vector3d<irr::s32> nativeVector3i()
{
	return {-1, 2, -3};
}
vector2d<irr::f32> nativeVector2f()
{
	return {0.5f, 8.0f};
}
vector2d<irr::s32> nativeVector2i()
{
	return {-100, 200};
}
vector3d<irr::f32> nativeSum3f(vector3d<irr::f32> a, const vector3d<irr::f32>& b)
{
	return a + b;
}

TEST(ScriptVector, NativesReturningByValue)
{
	CScriptRunner runner;
	asIScriptEngine* engine = runner.engine();
	ASSERT_GE(
		engine->RegisterGlobalFunction("vector3df nativeVector3f()", asFUNCTION(nativeVector3f), asCALL_CDECL), 0);
	ASSERT_GE(
		engine->RegisterGlobalFunction("vector3di nativeVector3i()", asFUNCTION(nativeVector3i), asCALL_CDECL), 0);
	ASSERT_GE(
		engine->RegisterGlobalFunction("vector2df nativeVector2f()", asFUNCTION(nativeVector2f), asCALL_CDECL), 0);
	ASSERT_GE(
		engine->RegisterGlobalFunction("vector2di nativeVector2i()", asFUNCTION(nativeVector2i), asCALL_CDECL), 0);
	ASSERT_GE(engine->RegisterGlobalFunction(
				  "vector3df nativeSum3f(vector3df, const vector3df &in)", asFUNCTION(nativeSum3f), asCALL_CDECL),
		0);
	runner.runChecks({
		"nativeVector3f().X == 1.5f && nativeVector3f().Y == -2.5f && nativeVector3f().Z == 3.25f",
		"nativeVector3i().X == -1 && nativeVector3i().Y == 2 && nativeVector3i().Z == -3",
		"nativeVector2f().X == 0.5f && nativeVector2f().Y == 8",
		"nativeVector2i().X == -100 && nativeVector2i().Y == 200",
		"nativeSum3f(vector3df(1, 2, 3), vector3df(1, 1, 1)) == vector3df(2, 3, 4)",
	});
}

} // namespace
