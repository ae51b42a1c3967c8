#include "support/script_cases.h"

#include <gtest/gtest.h>

namespace {

using orv::test::runScriptCases;
using orv::test::SScriptCase;

const SScriptCase ConstructionCases[] = {
	{"a default box spans (-1, -1, -1) to (1, 1, 1)", R"(
		aabbox3df f; aabbox3di i;
		check(at(f.MinEdge, -1, -1, -1) && at(f.MaxEdge, 1, 1, 1), "float");
		check(at(i.MinEdge, -1, -1, -1) && at(i.MaxEdge, 1, 1, 1), "integer");
		check(!f.isEmpty() && near(f.getVolume(), 8) && near(f.getArea(), 24), "float measures");
		check(!i.isEmpty() && i.getVolume() == 8 && i.getArea() == 24, "integer measures");
	)"},
	{"a box of one point is empty until it grows", R"(
		aabbox3df b(vector3df(1, 2, 3));
		check(b.isEmpty(), "from point");
		b.addInternalPoint(vector3df(4, 0, 3));
		check(!b.isEmpty() && at(b.MinEdge, 1, 0, 3) && at(b.MaxEdge, 4, 2, 3), "grown");
		b.reset(vector3df(7, 7, 7));
		check(b.isEmpty(), "reset to point");
		b.addInternalPoint(8, 6, 7);
		check(at(b.MinEdge, 7, 6, 7) && at(b.MaxEdge, 8, 7, 7), "grown by coordinates");
	)"},
	{"edges are kept as given until repaired", R"(
		aabbox3df b(vector3df(1, 1, 1), vector3df(0, 0, 0));
		check(at(b.MinEdge, 1, 1, 1) && at(b.MaxEdge, 0, 0, 0), "as given");
		b.repair();
		check(at(b.MinEdge, 0, 0, 0) && at(b.MaxEdge, 1, 1, 1), "repaired");
	)"},
	{"assignment, copies and resets copy both edges", R"(
		aabbox3di a(1, 2, 3, 4, 5, 6);
		aabbox3di b;
		b = a;
		aabbox3di c = b;
		check(at(c.MinEdge, 1, 2, 3) && at(c.MaxEdge, 4, 5, 6), "copied");
		aabbox3di d;
		d.reset(a);
		check(d == a, "reset to box");
		d.reset(9, 9, 9);
		check(at(d.MinEdge, 9, 9, 9) && at(d.MaxEdge, 9, 9, 9), "reset to coordinates");
		d.MaxEdge.Z = 12;
		check(at(d.MaxEdge, 9, 9, 12), "edge written in place");
	)"},
};

const SScriptCase MeasureCases[] = {
	{"centre and extent in both forms", R"(
		aabbox3df f(0, 0, 0, 2, 4, 6);
		check(at(f.getCenter(), 1, 2, 3) && at(f.getExtent(), 2, 4, 6), "float");
		aabbox3di i(0, 0, 0, 2, 4, 6);
		check(at(i.getCenter(), 1, 2, 3) && at(i.getExtent(), 2, 4, 6), "integer");
	)"},
	{"interpolation returns a box by value", R"(
		aabbox3df a(0, 0, 0, 2, 2, 2);
		aabbox3df b(2, 2, 2, 4, 4, 4);
		aabbox3df m = a.getInterpolated(b, 0.5f);
		check(at(m.MinEdge, 1, 1, 1) && at(m.MaxEdge, 3, 3, 3), "half");
		check(a.getInterpolated(b, 1) == a && a.getInterpolated(b, 0) == b, "ends");
	)"},
	{"equality: float within the rounding error, integer exact", R"(
		check(aabbox3df(0, 0, 0, 1, 1, 1) == aabbox3df(0.0000005f, 0, 0, 1, 1, 1.0000005f), "float within");
		check(!(aabbox3df(0, 0, 0, 1, 1, 1) == aabbox3df(0, 0, 0, 1, 1, 1.00001f)), "float beyond");
		check(!(aabbox3di(0, 0, 0, 1, 1, 1) == aabbox3di(0, 0, 0, 1, 1, 2)), "integer");
	)"},
};

const SScriptCase ContainmentCases[] = {
	{"the border is inside but not totally inside", R"(
		aabbox3df b;
		check(b.isPointInside(vector3df(1, 0, 0)) && !b.isPointTotalInside(vector3df(1, 0, 0)), "border");
		check(b.isPointTotalInside(vector3df(0, 0, 0)) && !b.isPointInside(vector3df(2, 0, 0)), "centre, outside");
		aabbox3di i;
		check(i.isPointInside(vector3di(-1, 1, 0)) && !i.isPointTotalInside(vector3di(-1, 1, 0)), "integer");
	)"},
	{"boxes inside, touching and apart", R"(
		aabbox3df b;
		check(aabbox3df(0, 0, 0, 1, 1, 1).isFullInside(b) && !b.isFullInside(aabbox3df(0, 0, 0, 1, 1, 1)), "inside");
		check(b.intersectsWithBox(aabbox3df(1, 1, 1, 3, 3, 3)), "touching");
		check(!b.intersectsWithBox(aabbox3df(2, 2, 2, 3, 3, 3)), "apart");
		aabbox3di i;
		i.addInternalBox(aabbox3di(5, 5, 5, 6, 6, 6));
		check(at(i.MinEdge, -1, -1, -1) && at(i.MaxEdge, 6, 6, 6), "grown by a box");
	)"},
	{"lines through the box and beside it", R"(
		aabbox3df f;
		line3df through(-5, 0, 0, 5, 0, 0);
		line3df beside(-5, 3, 0, 5, 3, 0);
		check(f.intersectsWithLine(through) && !f.intersectsWithLine(beside), "float");
		aabbox3di i;
		line3di throughI(-5, 0, 0, 5, 0, 0);
		line3di besideI(-5, 3, 0, 5, 3, 0);
		check(i.intersectsWithLine(throughI) && !i.intersectsWithLine(besideI), "integer");
	)"},
};

TEST(ScriptAabbox3d, Construction)
{
	runScriptCases(ConstructionCases);
}
TEST(ScriptAabbox3d, Measures)
{
	runScriptCases(MeasureCases);
}
TEST(ScriptAabbox3d, Containment)
{
	runScriptCases(ContainmentCases);
}

} // namespace
