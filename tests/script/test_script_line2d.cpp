#include "support/script_cases.h"

#include <gtest/gtest.h>

namespace {

using orv::test::runScriptCases;
using orv::test::SScriptCase;

const SScriptCase ConstructionCases[] = {
	{"a default line runs from (0, 0) to (1, 1)", R"(
		line2df f; line2di i;
		check(at(f.start, 0, 0) && at(f.end, 1, 1), "float");
		check(at(i.start, 0, 0) && at(i.end, 1, 1), "integer");
	)"},
	{"coordinates, points, copies and assignment", R"(
		line2di a(1, 2, 3, 4);
		check(at(a.start, 1, 2) && at(a.end, 3, 4), "coordinates");
		line2df b(vector2df(0.5f, 1), vector2df(2, 3));
		check(at(b.start, 0.5, 1) && at(b.end, 2, 3), "points");
		line2di c(a);
		line2di d;
		d = c;
		check(at(d.start, 1, 2) && at(d.end, 3, 4), "copied");
	)"},
	{"setLine from a line, two points and four scalars", R"(
		line2df l;
		l.setLine(line2df(1, 2, 3, 4));
		check(at(l.start, 1, 2) && at(l.end, 3, 4), "line");
		l.setLine(vector2df(5, 6), vector2df(7, 8));
		check(at(l.start, 5, 6) && at(l.end, 7, 8), "points");
		l.setLine(9, 10, 11, 12);
		check(at(l.start, 9, 10) && at(l.end, 11, 12), "scalars");
	)"},
};

const SScriptCase OperatorCases[] = {
	{"a line equals its reverse", R"(
		check(line2df(1, 2, 3, 4) == line2df(3, 4, 1, 2), "float");
		check(line2di(1, 2, 3, 4) == line2di(3, 4, 1, 2), "integer");
		check(!(line2di(1, 2, 3, 4) == line2di(1, 2, 4, 3)), "other line");
	)"},
	{"float ends match within the rounding error; integer ends exactly", R"(
		check(line2df(0, 0, 1, 1) == line2df(0, 0, 1.000001f, 1), "float within");
		check(!(line2df(0, 0, 1, 1) == line2df(0, 0, 1.00001f, 1)), "float beyond");
		check(!(line2di(0, 0, 1, 1) == line2di(0, 1, 1, 1)), "integer");
	)"},
	{"adding a vector moves a copy; compound forms move the line", R"(
		line2df l(0, 0, 1, 1);
		line2df m = l + vector2df(10, 20);
		check(at(m.start, 10, 20) && at(m.end, 11, 21) && at(l.start, 0, 0) && at(l.end, 1, 1), "opAdd");
		check(at((m - vector2df(10, 20)).end, 1, 1), "opSub");
		line2df n = (l += vector2df(1, 1));
		check(at(l.start, 1, 1) && at(n.end, 2, 2), "opAddAssign");
		l -= vector2df(1, 1);
		check(at(l.start, 0, 0) && at(l.end, 1, 1), "opSubAssign");
	)"},
};

const SScriptCase MeasureCases[] = {
	{"lengths: the integer line truncates", R"(
		check(line2di(0, 0, 1, 1).getLength() == 1.0 && line2di(0, 0, 1, 1).getLengthSQ() == 2, "integer");
		check(near(line2df(0, 0, 1, 1).getLength(), 1.414214) && near(line2df(0, 0, 1, 1).getLengthSQ(), 2), "float");
		check(line2di(0, 0, 3, 4).getLength() == 5.0, "whole");
	)"},
	{"middles and vectors", R"(
		check(at(line2di(0, 0, 4, 6).getMiddle(), 2, 3), "integer middle");
		check(at(line2di(0, 0, -3, 3).getMiddle(), -1, 1), "odd sums truncate toward zero");
		check(at(line2df(0, 0, 1, 1).getMiddle(), 0.5, 0.5), "float middle");
		check(at(line2di(1, 2, 4, 0).getVector(), 3, -2), "vector");
	)"},
	{"unit vectors; a point has none", R"(
		check(at(line2df(0, 0, 3, 4).getUnitVector(), 0.6, 0.8), "float");
		check(at(line2di(0, 0, 1, 1).getUnitVector(), 1, 1), "integer of length one");
		check(at(line2di(2, 2, 2, 2).getUnitVector(), 0, 0), "integer point");
	)"},
	{"angles and orientation", R"(
		check(near(line2df(0, 0, 1, 0).getAngleWith(line2df(0, 0, 0, 1)), 90), "right angle");
		check(near(line2di(0, 0, 2, 0).getAngleWith(line2di(0, 0, 1, 1)), 45), "integer");
		line2df l(0, 0, 2, 0);
		check(l.getPointOrientation(vector2df(1, 0)) == 0, "on");
		check(l.getPointOrientation(vector2df(1, 1)) > 0 && l.getPointOrientation(vector2df(1, -1)) < 0, "sides");
	)"},
};

const SScriptCase PointCases[] = {
	{"points on the segment, not on its extension", R"(
		line2df l(0, 0, 2, 2);
		check(l.isPointOnLine(vector2df(1, 1)), "middle");
		check(!l.isPointOnLine(vector2df(3, 3)), "beyond end");
		check(l.isPointBetweenStartAndEnd(vector2df(1, 1)) && !l.isPointBetweenStartAndEnd(vector2df(3, 3)), "between");
		check(line2di(0, 0, 4, 4).isPointOnLine(vector2di(2, 2)), "integer");
	)"},
	{"closest points stay on the segment", R"(
		line2df l(0, 0, 10, 0);
		check(at(l.getClosestPoint(vector2df(3, 7)), 3, 0), "inside");
		check(at(l.getClosestPoint(vector2df(20, 1)), 10, 0), "past end");
		check(at(l.getClosestPoint(vector2df(-5, 1)), 0, 0), "before start");
		check(at(line2di(0, 0, 10, 0).getClosestPoint(vector2di(20, 1)), 10, 0), "integer past end");
		check(at(line2di(3, 4, 3, 4).getClosestPoint(vector2di(9, 9)), 3, 4), "integer point");
	)"},
	{"segments intersect only within both", R"(
		vector2df p;
		check(line2df(0, 0, 2, 2).intersectWith(line2df(0, 2, 2, 0), p) && at(p, 1, 1), "crossing");
		check(!line2df(0, 0, 2, 2).intersectWith(line2df(3, 0, 3, 5), p), "outside a segment");
		check(!line2df(0, 0, 1, 0).intersectWith(line2df(0, 1, 1, 1), p), "parallel");
		vector2di q;
		check(line2di(0, 0, 4, 4).intersectWith(line2di(0, 4, 4, 0), q) && at(q, 2, 2), "integer");
		check(line2df(0, 0, 4, 0).intersectWith(line2df(4, 0, 6, 0), p) && at(p, 4, 0), "shared end");
	)"},
};

// Results at the ends of the integer range are Irrlicht's; they must only
// not fault.
const SScriptCase ExtremeCases[] = {
	{"integer coordinates at the ends of the range", R"(
		line2di l(-2147483647 - 1, -2147483647 - 1, 2147483647, 2147483647);
		double length = l.getLength();
		int square = l.getLengthSQ();
		vector2di u = l.getUnitVector();
		vector2di m = l.getMiddle();
		vector2di c = l.getClosestPoint(vector2di(5, 5));
		vector2di p;
		bool crossed = l.intersectWith(line2di(2147483647, -2147483647 - 1, -2147483647 - 1, 2147483647), p);
		double angle = l.getAngleWith(line2di(0, 0, 2147483647, 0));
		int side = l.getPointOrientation(vector2di(2147483647, -2147483647 - 1));
		check(true, "ran");
	)"},
	{"squared lengths that wrap negative", R"(
		line2di l(0, 0, 40000, 40000);
		double length = l.getLength();
		vector2di u = l.getUnitVector();
		vector2di c = l.getClosestPoint(vector2di(5, 5));
		check(true, "ran");
	)"},
};

TEST(ScriptLine2d, Construction)
{
	runScriptCases(ConstructionCases);
}
TEST(ScriptLine2d, Operators)
{
	runScriptCases(OperatorCases);
}
TEST(ScriptLine2d, Measures)
{
	runScriptCases(MeasureCases);
}
TEST(ScriptLine2d, Points)
{
	runScriptCases(PointCases);
}
TEST(ScriptLine2d, ExtremeIntegers)
{
	runScriptCases(ExtremeCases);
}

} // namespace
