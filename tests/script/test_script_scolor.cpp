#include "support/script_cases.h"

#include <gtest/gtest.h>

namespace {

using orv::test::runScriptCases;
using orv::test::SScriptCase;

const SScriptCase ConstructionCases[] = {
	{"a default colour is transparent black", R"(
		SColor c;
		check(c.color == 0, "packed");
	)"},
	{"channels keep their low eight bits", R"(
		SColor c(255, 300, 0, 0);
		check(c.getAlpha() == 255 && c.getRed() == 44, "alpha, red");
		check(c.color == 0xFF2C0000, "packed");
	)"},
	{"a packed value reads back byte by byte", R"(
		SColor c(0x11223344);
		check(c.getAlpha() == 0x11 && c.getRed() == 0x22 && c.getGreen() == 0x33 && c.getBlue() == 0x44, "bytes");
	)"},
	{"assignment and copies keep the packed value", R"(
		SColor a(0x80402010);
		SColor b;
		b = a;
		SColor c = b;
		check(b.color == 0x80402010 && c.color == 0x80402010, "copied");
	)"},
};

const SScriptCase OperatorCases[] = {
	{"addition limits each channel and leaves both operands", R"(
		SColor a(200, 100, 50, 25);
		SColor b(100, 100, 100, 100);
		SColor c = a + b;
		check(c.getAlpha() == 255 && c.getRed() == 200 && c.getGreen() == 150 && c.getBlue() == 125, "sum");
		check(a.color == SColor(200, 100, 50, 25).color && b.color == 0x64646464, "operands");
	)"},
	{"equality is the packed value", R"(
		SColor a(1, 2, 3, 4);
		check(a == SColor(0x01020304), "same value");
		check(!(a == SColor(0x01020305)), "other value");
		a.color = 0xFFFFFFFF;
		check(a.getAlpha() == 255 && a.getRed() == 255 && a.getGreen() == 255 && a.getBlue() == 255, "property");
	)"},
	{"order is the packed value unsigned", R"(
		SColor low(0x7FFFFFFF);
		SColor high(0x80000000);
		check(low < high && high > low, "relational");
		check(low.opCmp(high) == -1 && high.opCmp(low) == 1 && low.opCmp(low) == 0, "opCmp");
	)"},
};

// Members returning a colour come back in a register on this platform.
const SScriptCase MemberCases[] = {
	{"interpolation returns a colour by value", R"(
		SColor a(255, 200, 100, 0);
		SColor b(55, 0, 100, 200);
		SColor half = a.getInterpolated(b, 0.5f);
		check(half.getAlpha() == 155 && half.getRed() == 100 && half.getGreen() == 100 && half.getBlue() == 100, "half");
		check(a.getInterpolated(b, 1.0f) == a && a.getInterpolated(b, 0.0f) == b, "ends");
		check(a.getInterpolated(b, 7.0f) == a, "factor clamped");
	)"},
	{"quadratic interpolation runs from this colour to the last", R"(
		SColor a(255, 0, 0, 0);
		SColor b(255, 128, 128, 128);
		SColor c(255, 255, 255, 255);
		check(a.getInterpolated_quadratic(b, c, 0.0f) == a, "start");
		check(a.getInterpolated_quadratic(b, c, 1.0f) == c, "end");
		check(a.getInterpolated_quadratic(b, c, 0.5f).getRed() == 127, "middle rounds down");
	)"},
	{"brightness measures", R"(
		SColor c(255, 30, 60, 90);
		check(c.getAverage() == 60, "average");
		check(near(c.getLightness(), 60), "lightness");
		check(near(c.getLuminance(), 54.3), "luminance");
	)"},
	{"setters touch one channel and keep eight bits", R"(
		SColor c(0x11223344);
		c.setRed(0x1FF);
		check(c.color == 0x11FF3344, "red");
		c.setAlpha(0); c.setGreen(1); c.setBlue(2);
		check(c.color == 0x00FF0102, "others");
		c.set(0xDEADBEEF);
		check(c.color == 0xDEADBEEF, "packed");
		c.set(256, 1, 2, 3);
		check(c.color == 0x00010203, "channels");
	)"},
	{"sixteen-bit form keeps the top bits", R"(
		check(SColor(0xFFFFFFFF).toA1R5G5B5() == 0xFFFF, "white");
		check(SColor(0xFFFF0000).toA1R5G5B5() == 0xFC00, "red");
		check(SColor(0x7F0000FF).toA1R5G5B5() == 0x001F, "translucent blue");
	)"},
};

TEST(ScriptSColor, Construction)
{
	runScriptCases(ConstructionCases);
}
TEST(ScriptSColor, Operators)
{
	runScriptCases(OperatorCases);
}
TEST(ScriptSColor, Members)
{
	runScriptCases(MemberCases);
}

} // namespace
