#include "support/script_runner.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using orv::test::CScriptRunner;

struct Case
{
	const char* Name;
	const char* Body; // statements of void main()
};

void runCases(const Case* begin, const Case* end, const char* helpers = "")
{
	for (const Case* c = begin; c != end; ++c)
	{
		SCOPED_TRACE(c->Name);
		CScriptRunner runner;
		EXPECT_TRUE(runner.runScript(std::string(helpers) + "\nvoid main() {\n" + c->Body + "\n}\n")) << c->Body;
	}
}

template <std::size_t N> void runCases(const Case (&cases)[N], const char* helpers = "")
{
	runCases(cases, cases + N, helpers);
}

const Case literalCases[] = {
	{"empty literal", "string s = \"\"; check(s.size() == 0, \"size\"); check(s.empty(), \"empty\");"},
	{"surrogate pair counts once",
		"check(\"\\U0001F600\".size() == 1, \"pair\"); check(\"a\\u00E9\\u6F22\".size() == 3, \"bmp\");"},
	{"UTF-16 LE mark",
		"string s = \"\\xFF\\xFE\\x41\\x00\\x42\\x00\"; check(s == \"AB\", \"text\"); check(s.size() == 2, \"size\");"},
	{"UTF-16 BE mark", "check(\"\\xFE\\xFF\\x00\\x41\" == \"A\", \"text\");"},
	{"UTF-32 LE mark", "check(\"\\xFF\\xFE\\x00\\x00\\x41\\x00\\x00\\x00\" == \"A\", \"text\");"},
	{"UTF-8 mark dropped", "check(\"\\xEF\\xBB\\xBFA\" == \"A\", \"text\");"},
	{"invalid UTF-8 replaced",
		"check(\"a\\xFFb\" == \"a\\uFFFDb\", \"text\"); check(\"a\\xFFb\".size() == 3, \"size\");"},
	{"from double", "check(string(1.5) == \"1.500000\", \"1.5\"); check(string(-0.25) == \"-0.250000\", \"-0.25\");"},
	{"from huge double",
		"check(string(1e300).size() == 308, \"1e300\"); check(string(-1.7e308).size() == 317, \"-1.7e308\");"},
	{"from int",
		"check(string(-3) == \"-3\", \"-3\"); check(string(-2147483647 - 1) == \"-2147483648\", \"INT_MIN\");"},
	{"from uint", "check(string(uint(4294967295)) == \"4294967295\", \"UINT_MAX\");"},
	{"copy is independent", "string a = \"x\"; string b = a; b += \"y\"; check(a == \"x\" && b == \"xy\", \"copy\");"},
	{"in an array",
		"array<string> a = {\"x\", \"y\"}; a.insertLast(\"z\"); check(a[1] == \"y\" && a[2] == \"z\", \"array\");"},
};

TEST(ScriptString, LiteralsAndConstructors)
{
	runCases(literalCases);
}

const Case concatCases[] = {
	{"string",
		"check(\"s\" + \"t\" == \"st\", \"st\"); string a = \"x\"; string b = a + a; check(a == \"x\", \"unchanged\");"},
	{"int zero", "check(\"a\" + 0 == \"a0\", \"a0\");"},
	{"int16 negative", "check(\"a\" + int16(-5) == \"a-5\", \"a-5\");"},
	{"int16 minimum", "check(\"x\" + int16(-32768) == \"x-32768\", \"x-32768\");"},
	{"uint16", "check(\"u\" + uint16(65535) == \"u65535\", \"u65535\");"},
	{"int minimum", "int m = -2147483647 - 1; check(\"x\" + m == \"x-2147483648\", \"INT_MIN\");"},
	{"uint maximum", "check(\"\" + uint(4294967295) == \"4294967295\", \"UINT_MAX\");"},
	{"float", "check(\"p\" + 0.1f == \"p0.100000\", \"0.1f\");"},
	{"double",
		"check(\"p\" + 2.0 == \"p2.000000\", \"2.0\"); check(\"p\" + 1e10 == \"p10000000000.000000\", \"1e10\");"},
	{"huge double",
		"string s = \"n\" + 1e300; check(s.size() == 309, \"size\"); check(s.findFirst(0x2E) == 302, \"point\");"},
	{"int 65 gives digits", "check(\"\" + 65 == \"65\", \"65\");"},
	{"equality",
		"check(\"ab\" == \"ab\", \"same\"); check(!(\"ab\" == \"aB\"), \"case\"); check(\"ab\" != \"abc\", \"longer\");"},
};

TEST(ScriptString, Concatenation)
{
	runCases(concatCases);
}

TEST(ScriptString, ConcatenatingInt64IsAmbiguous)
{
	CScriptRunner runner;
	EXPECT_TRUE(runner.buildFails("void main() { int64 n = 5; string s = \"a\" + n; }"));
}

const Case assignCases[] = {
	{"uint appends the character", "string s; s += uint(65); check(s == \"A\", \"A\");"},
	{"uint astral", "string s; s += uint(0x1F600); check(s == \"\\U0001F600\" && s.size() == 1, \"pair\");"},
	{"uint invalid", "string s; s += uint(0x110000); s += uint(0xD800); check(s == \"\\uFFFD\\uFFFD\", \"FFFD\");"},
	{"int16 appends digits",
		"string s; s += int16(65); check(s == \"65\", \"65\"); s += int16(-32768); check(s == \"65-32768\", \"min\");"},
	{"uint16 appends digits", "string s; s += uint16(65535); check(s == \"65535\", \"65535\");"},
	{"int8 appends the character",
		"string s; s += int8(66); check(s == \"B\", \"B\"); s += int8(-1); check(s == \"B\\uFFFD\", \"negative\");"},
	{"double", "string s = \"v\"; s += 0.5; check(s == \"v0.500000\", \"0.5\");"},
	{"string", "string s = \"a\"; s += \"b\"; s += s; check(s == \"abab\", \"self\");"},
	{"assign", "string s = \"a\"; string t; t = s; s = \"z\"; check(t == \"a\", \"t\");"},
};

TEST(ScriptString, CompoundAssignment)
{
	runCases(assignCases);
}

const Case orderCases[] = {
	{"less", "check(\"a\" < \"b\", \"a<b\"); check(\"a\" < \"ab\", \"prefix\"); check(!(\"b\" < \"a\"), \"b<a\");"},
	{"greater", "check(\"b\" > \"a\", \"b>a\"); check(\"a\" >= \"a\" && \"a\" <= \"a\", \"equal\");"},
	{"by code units", "check(\"\\U0001F600\" < \"\\uFFFF\", \"pair before U+FFFF\");"},
	{"opCmp by name", "check(\"a\".opCmp(\"b\") < 0 && \"b\".opCmp(\"a\") > 0 && \"a\".opCmp(\"a\") == 0, \"cmp\");"},
};

TEST(ScriptString, Ordering)
{
	runCases(orderCases);
}

const char* const trimHelpers = "string trimmedLiteral() { return \"  ab  \".trim(); }\n";

const Case trimCases[] = {
	{"literal trimmed twice",
		"check(\"  ab  \".trim() == \"ab\", \"first\"); check(\"  ab  \".trim() == \"ab\", \"second\");"},
	{"shared constant unchanged",
		"check(trimmedLiteral() == \"ab\", \"first\"); check(trimmedLiteral() == \"ab\", \"second\");"},
	{"in place", "string s = \" \\t a b \\r\\n\"; s.trim(); check(s == \"a b\", \"trimmed\");"},
	{"default set",
		"string a = \"\\t x \\n\"; string b = a; a.trim(); b.trim(\" \\t\\n\\r\"); check(a == b, \"same\");"},
	{"const copy leaves the original",
		"const string c = \" q \"; check(c.trim() == \"q\" && c == \" q \", \"const\");"},
	{"only white space", "string s = \" \\t \"; s.trim(); check(s.empty(), \"empty\");"},
	{"given set", "string s = \"xxaxbxx\"; check(s.trim(\"x\") == \"axb\", \"x\");"},
};

TEST(ScriptString, Trim)
{
	runCases(trimCases, trimHelpers);
}

const Case methodCases[] = {
	{"equalsn",
		"check(\"abc\".equalsn(\"abd\", 2), \"2\"); check(!\"abc\".equalsn(\"abd\", 3), \"3\"); check(\"ab\".equalsn(\"ab\", 9), \"9\");"},
	{"append",
		"string s = \"a\"; s.append(uint(0x62)).append(\"cd\").append(\"efg\", 2); check(s == \"abcdef\", \"chain\");"},
	{"append length past end", "string s; s.append(\"xy\", 100); check(s == \"xy\", \"xy\");"},
	{"append invalid code point", "string s; s.append(uint(0xFFFFFFFF)); check(s == \"\\uFFFD\", \"FFFD\");"},
	{"reserve is capped", "string s = \"a\"; s.reserve(uint(4294967295)); check(s == \"a\", \"kept\");"},
	{"findFirst and findNext",
		"string s = \"a\\U0001F600b\\U0001F600\"; check(s.findFirst(0x1F600) == 1, \"first\"); check(s.findNext(0x1F600, 2) == 3, \"next\"); check(s.findNext(0x61, 1000) == -1, \"past end\");"},
	{"findLast",
		"string s = \"abab\"; check(s.findLast(0x61) == 2, \"last\"); check(s.findLast(0x61, 1) == 0, \"from 1\"); check(s.findLast(0x62, -5) == 3, \"negative\"); check(s.findLast(0x7A) == -1, \"absent\");"},
	{"find",
		"string s = \"abcabc\"; check(s.find(\"ca\") == 2, \"ca\"); check(s.find(\"bc\", 2) == 4, \"from\"); check(s.find(\"a\", 99) == -1, \"past end\"); check(s.find(\"\") == -1, \"empty\");"},
	{"subString",
		"string s = \"hello\"; check(s.subString(1, 3) == \"ell\", \"mid\"); check(s.subString(3, uint(4294967295)) == \"lo\", \"clipped\"); check(s.subString(9, 2).empty(), \"past end\");"},
	{"subString astral", "check(\"a\\U0001F600b\".subString(1, 1) == \"\\U0001F600\", \"pair\");"},
	{"replace",
		"string s = \"banana\"; s.replace(0x61, 0x6F); check(s == \"bonono\", \"char\"); s.replace(\"on\", \"\"); check(s == \"bo\", \"text\"); s.replace(\"\", \"x\"); check(s == \"bo\", \"empty\");"},
	{"remove",
		"string s = \"banana\"; s.remove(0x6E); check(s == \"baaa\", \"char\"); s.remove(\"aa\"); check(s == \"ba\", \"text\");"},
	{"removeChars", "string s = \"a-b_c\"; s.removeChars(\"-_\"); check(s == \"abc\", \"abc\");"},
	{"erase",
		"string s = \"a\\U0001F600b\"; s.erase(1); check(s == \"ab\", \"pair\"); s.erase(7); check(s == \"ab\", \"past end\");"},
	{"insert",
		"string s = \"ac\"; s.insert(0x62, 1); check(s == \"abc\", \"char\"); s.insert(\"<>\", 3); check(s == \"abc<>\", \"end\"); s.insert(\"!\", 99); check(s == \"abc<>\", \"past end\");"},
	{"validate", "string s = \"a\\U0001F600\"; s.validate(); check(s == \"a\\U0001F600\", \"kept\");"},
	{"lastChar",
		"check(\"a\\U0001F600\".lastChar() == 0x1F600, \"pair\"); string e; check(e.lastChar() == 0, \"empty\");"},
};

TEST(ScriptString, Methods)
{
	runCases(methodCases);
}

// Joining a string to itself doubles it: each way of doing so stops at the
// length bound with an exception, the string as it was; growth below the
// bound is untouched.
TEST(ScriptString, GrowthStopsAtTheLengthBound)
{
	struct GrowthCase
	{
		const char* name;
		const char* grow; // one step, repeated until it raises
	} cases[] = {
		{"+=", "s += s;"},
		{"+", "s = s + s;"},
		{"append", "s.append(s);"},
		{"append part", "s.append(s, s.size());"},
		{"insert", "s.insert(s, 1);"},
		{"replace", "s.replace(\"a\", s);"},
	};
	for (const GrowthCase& c : cases)
	{
		SCOPED_TRACE(c.name);
		CScriptRunner runner;
		ASSERT_TRUE(runner.build(std::string("string s = \"ab\"; uint before = 0;\n"
											 "void main() { for (int i = 0; i < 64; ++i) { before = s.size(); ") +
			c.grow + " } }\nvoid kept() { check(s.size() == before && before > 1000000, \"kept: \" + before); }\n"));
		EXPECT_EQ(runner.runForException(), "Too large string size");
		EXPECT_TRUE(runner.run("void kept()"));
	}
}

} // namespace
