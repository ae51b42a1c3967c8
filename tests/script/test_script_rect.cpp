#include "support/script_cases.h"

#include <gtest/gtest.h>

namespace {

using orv::test::runScriptCases;
using orv::test::SScriptCase;

const SScriptCase ConstructionCases[] = {
	{"a default rectangle is an empty valid point at the origin", R"(
		rectf f; recti i;
		check(at(f.UpperLeftCorner, 0, 0) && at(f.LowerRightCorner, 0, 0), "float corners");
		check(at(i.UpperLeftCorner, 0, 0) && at(i.LowerRightCorner, 0, 0), "integer corners");
		check(f.getArea() == 0 && i.getArea() == 0 && f.isValid() && i.isValid(), "area, valid");
	)"},
	{"coordinates, corners, and position with size", R"(
		recti a(1, 2, 3, 4);
		check(at(a.UpperLeftCorner, 1, 2) && at(a.LowerRightCorner, 3, 4), "coordinates");
		recti b(vector2di(1, 2), dimension2di(3, 4));
		check(at(b.UpperLeftCorner, 1, 2) && at(b.LowerRightCorner, 4, 6), "position and size");
		rectf c(vector2df(0.5f, 1), vector2df(2, 3));
		check(at(c.UpperLeftCorner, 0.5, 1) && at(c.LowerRightCorner, 2, 3), "corners");
	)"},
	{"assignment copies both corners", R"(
		rectf a(1, 2, 3, 4);
		rectf b;
		b = a;
		check(at(b.UpperLeftCorner, 1, 2) && at(b.LowerRightCorner, 3, 4), "float");
		recti c(5, 6, 7, 8);
		recti d = c;
		check(at(d.UpperLeftCorner, 5, 6) && at(d.LowerRightCorner, 7, 8), "integer");
	)"},
	{"corner properties write in place, lower right first", R"(
		recti r;
		r.LowerRightCorner.X = 10;
		r.UpperLeftCorner = vector2di(-1, -2);
		check(at(r.UpperLeftCorner, -1, -2) && at(r.LowerRightCorner, 10, 0), "written");
		check(r.getWidth() == 11 && r.getHeight() == 2, "size follows");
	)"},
};

const SScriptCase OperatorCases[] = {
	{"adding a vector moves a copy; subtracting it returns", R"(
		recti a(0, 0, 10, 10);
		recti b = a + vector2di(1, 2);
		check(at(b.UpperLeftCorner, 1, 2) && at(b.LowerRightCorner, 11, 12), "moved");
		check(at(a.UpperLeftCorner, 0, 0) && at(a.LowerRightCorner, 10, 10), "operand kept");
		check(b - vector2di(1, 2) == a, "back");
	)"},
	{"compound moves change the rectangle itself", R"(
		rectf a(0, 0, 1, 1);
		a += vector2df(2, 3);
		check(at(a.UpperLeftCorner, 2, 3) && at(a.LowerRightCorner, 3, 4), "added");
		a -= vector2df(1, 1);
		check(at(a.UpperLeftCorner, 1, 2) && at(a.LowerRightCorner, 2, 3), "subtracted");
	)"},
	{"float corners match within the rounding error; integer ones exactly", R"(
		check(rectf(0, 0, 1, 1) == rectf(0, 0, 1.0000005f, 1), "float within");
		check(!(rectf(0, 0, 1, 1) == rectf(0, 0, 1.00001f, 1)), "float beyond");
		check(!(recti(0, 0, 1, 1) == recti(0, 0, 2, 1)), "integer");
	)"},
	{"order follows the area", R"(
		rectf small(0, 0, 1, 1);
		rectf large(0, 0, 2, 3);
		check(small < large && large > small, "float");
		check(small.opCmp(large) == -1 && large.opCmp(small) == 1 && small.opCmp(rectf(5, 5, 6, 6)) == 0, "opCmp");
		check(recti(0, 0, 4, 1) > recti(0, 0, 1, 3), "integer");
		check(rectf(0, 0, sqrt(-1.0f), 1).opCmp(large) == 0, "not a number orders as equal");
	)"},
	{"integer sums wrap around", R"(
		recti r(0, 0, 2147483647, 1);
		r += vector2di(1, 0);
		check(r.LowerRightCorner.X == -2147483647 - 1, "wrapped");
	)"},
};

const SScriptCase MemberCases[] = {
	{"centres: integer truncates toward zero", R"(
		check(at(recti(0, 0, 3, 3).getCenter(), 1, 1), "positive");
		check(at(recti(-3, -3, 0, 0).getCenter(), -1, -1), "negative");
		check(at(rectf(0, 0, 3, 3).getCenter(), 1.5, 1.5), "float");
	)"},
	{"sizes and area", R"(
		rectf r(1, 2, 4, 7);
		dimension2df s = r.getSize();
		check(near(s.Width, 3) && near(s.Height, 5), "size");
		check(near(r.getWidth(), 3) && near(r.getHeight(), 5) && near(r.getArea(), 15), "width, height, area");
		dimension2di t = recti(1, 2, 4, 7).getSize();
		check(t.Width == 3 && t.Height == 5, "integer size");
	)"},
	{"points inside include the border; touching rectangles do not collide", R"(
		recti r(0, 0, 10, 10);
		check(r.isPointInside(vector2di(10, 0)) && !r.isPointInside(vector2di(11, 5)), "points");
		check(!r.isRectCollided(recti(10, 0, 20, 10)) && r.isRectCollided(recti(9, 9, 20, 20)), "rectangles");
	)"},
	{"growing, clipping and constraining", R"(
		recti r(0, 0, 1, 1);
		r.addInternalPoint(vector2di(5, -2));
		r.addInternalPoint(-3, 4);
		check(at(r.UpperLeftCorner, -3, -2) && at(r.LowerRightCorner, 5, 4), "grown");
		r.clipAgainst(recti(0, 0, 2, 2));
		check(at(r.UpperLeftCorner, 0, 0) && at(r.LowerRightCorner, 2, 2), "clipped");
		recti m(8, 8, 12, 12);
		check(m.constrainTo(recti(0, 0, 10, 10)), "fits");
		check(at(m.UpperLeftCorner, 6, 6) && at(m.LowerRightCorner, 10, 10), "moved inside");
		check(!m.constrainTo(recti(0, 0, 2, 2)), "too large");
	)"},
	{"inverted corners are invalid until repaired", R"(
		rectf r(5, 5, 1, 1);
		check(!r.isValid(), "invalid");
		r.repair();
		check(r.isValid() && at(r.UpperLeftCorner, 1, 1) && at(r.LowerRightCorner, 5, 5), "repaired");
	)"},
};

TEST(ScriptRect, Construction)
{
	runScriptCases(ConstructionCases);
}
TEST(ScriptRect, Operators)
{
	runScriptCases(OperatorCases);
}
TEST(ScriptRect, Members)
{
	runScriptCases(MemberCases);
}

} // namespace
