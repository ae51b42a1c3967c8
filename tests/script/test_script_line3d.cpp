#include "support/script_cases.h"

#include <gtest/gtest.h>

namespace {

using orv::test::runScriptCases;
using orv::test::runScriptExceptionCases;
using orv::test::SScriptCase;
using orv::test::SScriptExceptionCase;

const SScriptCase ConstructionCases[] = {
	{"a default line runs from the origin to (1, 1, 1)", R"(
		line3df f; line3di i;
		check(at(f.start, 0, 0, 0) && at(f.end, 1, 1, 1), "float");
		check(at(i.start, 0, 0, 0) && at(i.end, 1, 1, 1), "integer");
	)"},
	{"coordinates, points, copies and assignment", R"(
		line3di a(1, 2, 3, 4, 5, 6);
		check(at(a.start, 1, 2, 3) && at(a.end, 4, 5, 6), "coordinates");
		line3df b(vector3df(0.5f, 1, 2), vector3df(3, 4, 5));
		check(at(b.start, 0.5, 1, 2) && at(b.end, 3, 4, 5), "points");
		line3di c(a);
		line3di d;
		d = c;
		check(at(d.start, 1, 2, 3) && at(d.end, 4, 5, 6), "copied");
	)"},
	{"setLine from a line, two points and six scalars", R"(
		line3di l;
		l.setLine(line3di(1, 2, 3, 4, 5, 6));
		check(at(l.start, 1, 2, 3) && at(l.end, 4, 5, 6), "line");
		l.setLine(vector3di(7, 8, 9), vector3di(10, 11, 12));
		check(at(l.start, 7, 8, 9) && at(l.end, 10, 11, 12), "points");
		l.setLine(-1, -2, -3, -4, -5, -6);
		check(at(l.start, -1, -2, -3) && at(l.end, -4, -5, -6), "scalars");
	)"},
};

const SScriptCase OperatorCases[] = {
	{"a line equals its reverse", R"(
		check(line3df(1, 2, 3, 4, 5, 6) == line3df(4, 5, 6, 1, 2, 3), "float");
		check(line3di(1, 2, 3, 4, 5, 6) == line3di(4, 5, 6, 1, 2, 3), "integer");
	)"},
	{"float ends match within the rounding error; integer ends exactly", R"(
		check(line3df(0, 0, 0, 1, 1, 1) == line3df(0, 0, 0, 1, 1, 1.000001f), "float within");
		check(!(line3df(0, 0, 0, 1, 1, 1) == line3df(0, 0, 0, 1, 1, 1.00001f)), "float beyond");
		check(!(line3di(0, 0, 0, 1, 1, 1) == line3di(0, 0, 1, 1, 1, 1)), "integer");
	)"},
	{"adding a vector moves a copy; compound forms move the line", R"(
		line3di l(0, 0, 0, 1, 1, 1);
		line3di m = l + vector3di(10, 20, 30);
		check(at(m.start, 10, 20, 30) && at(m.end, 11, 21, 31) && at(l.end, 1, 1, 1), "opAdd");
		check(at((m - vector3di(10, 20, 30)).start, 0, 0, 0), "opSub");
		l += vector3di(1, 2, 3);
		check(at(l.start, 1, 2, 3), "opAddAssign");
		l -= vector3di(1, 2, 3);
		check(at(l.start, 0, 0, 0) && at(l.end, 1, 1, 1), "opSubAssign");
	)"},
};

const SScriptCase MeasureCases[] = {
	{"lengths: the integer line truncates", R"(
		check(line3di(0, 0, 0, 1, 1, 1).getLength() == 1 && line3di(0, 0, 0, 1, 1, 1).getLengthSQ() == 3, "integer");
		check(near(line3df(0, 0, 0, 1, 1, 1).getLength(), 1.732051), "float length");
		check(near(line3df(0, 0, 0, 1, 1, 1).getLengthSQ(), 3), "float square");
	)"},
	{"middles and vectors", R"(
		check(at(line3di(0, 0, 0, 4, 6, 8).getMiddle(), 2, 3, 4), "integer middle");
		check(at(line3di(0, 0, 0, -3, 3, 1).getMiddle(), -1, 1, 0), "odd sums truncate toward zero");
		check(at(line3df(0, 0, 0, 1, 1, 1).getMiddle(), 0.5, 0.5, 0.5), "float middle");
		check(at(line3di(1, 2, 3, 0, 0, 0).getVector(), -1, -2, -3), "vector");
		check(line3df(0, 0, 0, 2, 2, 2).isPointBetweenStartAndEnd(vector3df(1, 1, 1)), "between");
	)"},
	{"sphere crossings give the distance to the first one", R"(
		line3df l(0, 0, 0, 10, 0, 0);
		double d = -1;
		check(l.getIntersectionWithSphere(vector3df(5, 0, 0), 1, d) && near(d, 4), "hit");
		check(!l.getIntersectionWithSphere(vector3df(5, 3, 0), 1, d) && d == 0, "miss");
		check(line3di(0, 0, 0, 10, 0, 0).getIntersectionWithSphere(vector3di(5, 0, 0), 1, d) && d == 4, "integer");
	)"},
	{"closest points stay on the segment", R"(
		line3df l(0, 0, 0, 10, 0, 0);
		check(at(l.getClosestPoint(vector3df(-5, 1, 0)), 0, 0, 0), "before start");
		check(at(l.getClosestPoint(vector3df(20, 1, 0)), 10, 0, 0), "past end");
		check(at(l.getClosestPoint(vector3df(3, 7, 0)), 3, 0, 0), "inside");
		line3di i(0, 0, 0, 10, 0, 0);
		check(at(i.getClosestPoint(vector3di(3, 7, 0)), 3, 0, 0) && at(i.getClosestPoint(vector3di(20, 1, 0)), 10, 0, 0), "integer");
	)"},
};

// The integer line divides by its whole-number length.
const SScriptExceptionCase ExceptionCases[] = {
	{"line3di p(2, 3, 4, 2, 3, 4); vector3di c = p.getClosestPoint(vector3di(1, 1, 1));", "Divide by zero"},
	{"line3di w(0, 0, 0, 65536, 0, 0); vector3di c = w.getClosestPoint(vector3di(1, 1, 1));", "Divide by zero"},
};

// Results at the ends of the integer range are Irrlicht's; they must only
// not fault.
const SScriptCase ExtremeCases[] = {
	{"integer coordinates at the ends of the range", R"(
		line3di l(-2147483647 - 1, 0, 5, 2147483647, 2147483647, -5);
		int length = l.getLength();
		int square = l.getLengthSQ();
		vector3di m = l.getMiddle();
		vector3di c = l.getClosestPoint(vector3di(5, 5, 5));
		double d;
		bool hit = l.getIntersectionWithSphere(vector3di(2147483647, 0, 0), 2147483647, d);
		aabbox3di b(-2147483647 - 1, -2147483647 - 1, -2147483647 - 1, 2147483647, 2147483647, 2147483647);
		bool crossed = b.intersectsWithLine(l);
		check(true, "ran");
	)"},
	{"squared lengths that wrap negative", R"(
		line3di l(0, 0, 0, 40000, 40000, 0);
		int length = l.getLength();
		vector3di c = l.getClosestPoint(vector3di(5, 5, 5));
		double d;
		bool hit = l.getIntersectionWithSphere(vector3di(40000, 0, 0), 40000, d);
		bool crossed = aabbox3di().intersectsWithLine(l);
		check(true, "ran");
	)"},
};

TEST(ScriptLine3d, Construction)
{
	runScriptCases(ConstructionCases);
}
TEST(ScriptLine3d, Operators)
{
	runScriptCases(OperatorCases);
}
TEST(ScriptLine3d, Measures)
{
	runScriptCases(MeasureCases);
}
TEST(ScriptLine3d, ZeroLengthIntegerLineRaises)
{
	runScriptExceptionCases(ExceptionCases);
}
TEST(ScriptLine3d, ExtremeIntegers)
{
	runScriptCases(ExtremeCases);
}

} // namespace
