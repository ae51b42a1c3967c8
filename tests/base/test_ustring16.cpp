#include <climits>
#include <functional>
#include <new>
#include <string>

#include <gtest/gtest.h>

#include "base/ustring16.h"

using irr::s32;
using irr::u32;
using irr::core::uchar16_t;
using irr::core::uchar32_t;
using irr::core::ustring16;

namespace {

std::string bytes(std::initializer_list<unsigned char> list)
{
	return std::string(list.begin(), list.end());
}

ustring16 load(const std::string& data)
{
	ustring16 s;
	s.loadDataStream(data.data(), data.size());
	return s;
}

// ---- UTF-8 in and out -------------------------------------------------------

struct Utf8Case
{
	const char* name;
	std::string utf8;
	std::u16string units;
	u32 characters;
	std::string backToUtf8;
};

const Utf8Case utf8Cases[] = {
	{"empty", "", u"", 0, ""},
	{"ascii", "abc", u"abc", 3, "abc"},
	{"latin", "\xC3\xA9", u"\u00E9", 1, "\xC3\xA9"},
	{"cjk", "\xE6\xBC\xA2", u"\u6F22", 1, "\xE6\xBC\xA2"},
	{"astral", "\xF0\x9F\x98\x80", u"\xD83D\xDE00", 1, "\xF0\x9F\x98\x80"},
	{"mixed", "a\xC3\xA9\xE6\xBC\xA2\xF0\x9F\x98\x80z", u"a\u00E9\u6F22\xD83D\xDE00z", 5,
		"a\xC3\xA9\xE6\xBC\xA2\xF0\x9F\x98\x80z"},
	{"invalid byte",
		"a\xFF"
		"b",
		u"a\uFFFDb", 3,
		"a\xEF\xBF\xBD"
		"b"},
	{"stray continuation", "\x80", u"\uFFFD", 1, "\xEF\xBF\xBD"},
	{"truncated at end", "ab\xE6\xBC", u"ab\uFFFD", 3, "ab\xEF\xBF\xBD"},
	{"truncated inside", "\xE6\xBCz", u"\uFFFDz", 2, "\xEF\xBF\xBDz"},
	{"overlong", "\xC0\xAF", u"\uFFFD", 1, "\xEF\xBF\xBD"},
	{"encoded surrogate", "\xED\xA0\x80", u"\uFFFD", 1, "\xEF\xBF\xBD"},
	{"above U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD", 1, "\xEF\xBF\xBD"},
};

TEST(UString16, ConvertsUtf8BothWays)
{
	for (const Utf8Case& c : utf8Cases)
	{
		SCOPED_TRACE(c.name);
		const ustring16 fromStd(c.utf8);
		const ustring16 fromBytes(c.utf8.data(), static_cast<u32>(c.utf8.size()));
		const ustring16 fromStringc(irr::core::stringc(c.utf8.c_str()));
		EXPECT_EQ(fromStd.toUTF16_std(), c.units);
		EXPECT_EQ(fromBytes.toUTF16_std(), c.units);
		EXPECT_EQ(fromStringc.toUTF16_std(), c.units);
		EXPECT_EQ(fromStd.size(), c.characters);
		EXPECT_EQ(fromStd.size_raw(), c.units.size());
		EXPECT_EQ(fromStd.empty(), c.units.empty());
		EXPECT_EQ(fromStd.toUTF8_std(), c.backToUtf8);
		EXPECT_EQ(std::string(fromStd.toUTF8_s().c_str()), c.backToUtf8);
		EXPECT_EQ(std::u16string(fromStd.c_str()), c.units);
	}
}

// ---- UTF-16, UTF-32 and wchar_t in and out ----------------------------------

struct WideCase
{
	const char* name;
	std::u16string units;
	std::u32string points;
	std::u16string storedUnits;
	std::u32string storedPoints;
};

const WideCase wideCases[] = {
	{"empty", u"", U"", u"", U""},
	{"bmp", u"a\u00E9\u6F22", U"a\u00E9\u6F22", u"a\u00E9\u6F22", U"a\u00E9\u6F22"},
	{"pair", u"\xD83D\xDE00", U"\U0001F600", u"\xD83D\xDE00", U"\U0001F600"},
	{"highest", u"\xDBFF\xDFFF", U"\U0010FFFF", u"\xDBFF\xDFFF", U"\U0010FFFF"},
};

TEST(UString16, ConvertsWideTextBothWays)
{
	for (const WideCase& c : wideCases)
	{
		SCOPED_TRACE(c.name);
		const std::wstring wide(c.points.begin(), c.points.end());
		const ustring16 all[] = {
			ustring16(c.units.c_str()),
			ustring16(c.units.data(), static_cast<u32>(c.units.size())),
			ustring16(c.points.c_str()),
			ustring16(wide.c_str()),
			ustring16(irr::core::stringw(wide.c_str())),
		};
		for (const ustring16& s : all)
		{
			EXPECT_EQ(s.toUTF16_std(), c.storedUnits);
			EXPECT_EQ(s.toUTF32_s(), c.storedPoints);
			EXPECT_EQ(s.toWCHAR_std(), std::wstring(c.storedPoints.begin(), c.storedPoints.end()));
			EXPECT_EQ(std::wstring(s.toWCHAR_s().c_str()), std::wstring(c.storedPoints.begin(), c.storedPoints.end()));
		}
	}
}

struct RepairCase
{
	const char* name;
	std::u16string units;
	std::u16string expected;
};

const RepairCase unitRepairs[] = {
	{"lone high", std::u16string(1, 0xD800), u"\uFFFD"},
	{"lone low then letter", std::u16string{char16_t(0xDC00), u'a'}, u"\uFFFDa"},
	{"high then letter", std::u16string{char16_t(0xD83D), u'a'}, u"\uFFFDa"},
	{"swapped pair", std::u16string{char16_t(0xDE00), char16_t(0xD83D)}, u"\uFFFD\uFFFD"},
};

TEST(UString16, LoneSurrogatesBecomeReplacement)
{
	for (const RepairCase& c : unitRepairs)
	{
		SCOPED_TRACE(c.name);
		EXPECT_EQ(ustring16(c.units.data(), static_cast<u32>(c.units.size())).toUTF16_std(), c.expected);
	}
	const uchar32_t invalid[] = {0xD800, 0x110000, 0xFFFFFFFF, 'x', 0};
	EXPECT_EQ(ustring16(invalid).toUTF16_std(), u"\uFFFD\uFFFD\uFFFDx");
}

// ---- Byte streams with and without a byte-order mark ------------------------

struct StreamCase
{
	const char* name;
	std::string data;
	std::u16string expected;
};

const StreamCase streamCases[] = {
	{"no mark is UTF-8", "A\xC3\xA9", u"A\u00E9"},
	{"UTF-8 mark dropped", bytes({0xEF, 0xBB, 0xBF, 'A'}), u"A"},
	{"UTF-16 LE", bytes({0xFF, 0xFE, 'A', 0, 0x3D, 0xD8, 0x00, 0xDE}), u"A\xD83D\xDE00"},
	{"UTF-16 BE", bytes({0xFE, 0xFF, 0, 'A', 0xD8, 0x3D, 0xDE, 0x00}), u"A\xD83D\xDE00"},
	{"UTF-32 LE", bytes({0xFF, 0xFE, 0, 0, 'A', 0, 0, 0, 0x00, 0xF6, 0x01, 0x00}), u"A\xD83D\xDE00"},
	{"UTF-32 BE", bytes({0, 0, 0xFE, 0xFF, 0, 0, 0, 'A', 0x00, 0x01, 0xF6, 0x00}), u"A\xD83D\xDE00"},
	{"UTF-16 LE mark only", bytes({0xFF, 0xFE}), u""},
	{"UTF-32 LE mark only", bytes({0xFF, 0xFE, 0, 0}), u""},
	{"UTF-16 LE lone surrogate", bytes({0xFF, 0xFE, 0x00, 0xD8, 'b', 0}), u"\uFFFDb"},
	{"UTF-16 odd trailing byte", bytes({0xFF, 0xFE, 'a', 0, 'b'}), u"a\uFFFD"},
	{"UTF-32 BE above U+10FFFF", bytes({0, 0, 0xFE, 0xFF, 0, 0x11, 0, 0}), u"\uFFFD"},
	{"UTF-32 LE partial unit", bytes({0xFF, 0xFE, 0, 0, 'a', 0, 0, 0, 'b'}), u"a\uFFFD"},
	{"invalid UTF-8", bytes({'a', 0xC3}), u"a\uFFFD"},
	{"empty", "", u""},
};

TEST(UString16, LoadsByteStreamsByTheirMark)
{
	for (const StreamCase& c : streamCases)
	{
		SCOPED_TRACE(c.name);
		EXPECT_EQ(load(c.data).toUTF16_std(), c.expected);
		EXPECT_EQ(ustring16(c.data.data(), static_cast<u32>(c.data.size())).toUTF16_std(), c.expected);
	}
	ustring16 s("old");
	s.loadDataStream(nullptr, 4);
	EXPECT_TRUE(s.empty());
}

// ---- Comparison --------------------------------------------------------------

struct OrderCase
{
	std::u16string a;
	std::u16string b;
	bool less;
};

const OrderCase orderCases[] = {
	{u"a", u"b", true},
	{u"b", u"a", false},
	{u"a", u"ab", true},
	{u"", u"a", true},
	{u"ab", u"ab", false},
	// By code units: a surrogate pair (0xD83D...) sorts before U+FFFF.
	{u"\xD83D\xDE00", u"\uFFFF", true},
};

TEST(UString16, OrdersByCodeUnits)
{
	for (const OrderCase& c : orderCases)
	{
		const ustring16 a(c.a), b(c.b);
		EXPECT_EQ(a < b, c.less) << std::string(a.toUTF8_std()) << " < " << b.toUTF8_std();
		EXPECT_EQ(a == b, c.a == c.b);
		EXPECT_EQ(a != b, c.a != c.b);
	}
}

struct EqualsnCase
{
	const char* a;
	const char* b;
	u32 n;
	bool expected;
};

const EqualsnCase equalsnCases[] = {
	{"abc", "abd", 2, true},
	{"abc", "abd", 3, false},
	{"ab", "ab", 5, true},
	{"ab", "abc", 3, false},
	{"", "", 0, true},
	{"x", "y", 0, true},
	{"\xF0\x9F\x98\x80"
	 "a",
		"\xF0\x9F\x98\x80"
		"b",
		1, true},
};

TEST(UString16, EqualsnComparesLeadingCharacters)
{
	for (const EqualsnCase& c : equalsnCases)
		EXPECT_EQ(ustring16(c.a).equalsn(ustring16(c.b), c.n), c.expected) << c.a << " / " << c.b << " / " << c.n;
}

// ---- Searching ----------------------------------------------------------------

// "a😀b😀" : indices count characters, the pair being one.
const char* const searchText = "a\xF0\x9F\x98\x80"
							   "b\xF0\x9F\x98\x80";

struct SearchCase
{
	const char* name;
	std::function<s32(const ustring16&)> search;
	s32 expected;
};

const SearchCase searchCases[] = {
	{"findFirst", [](const ustring16& s) { return s.findFirst(U'b'); }, 2},
	{"findFirst astral", [](const ustring16& s) { return s.findFirst(U'\U0001F600'); }, 1},
	{"findFirst absent", [](const ustring16& s) { return s.findFirst(U'z'); }, -1},
	{"findNext", [](const ustring16& s) { return s.findNext(U'\U0001F600', 2); }, 3},
	{"findNext at end", [](const ustring16& s) { return s.findNext(U'a', 4); }, -1},
	{"findNext past end", [](const ustring16& s) { return s.findNext(U'a', 400); }, -1},
	{"findLast", [](const ustring16& s) { return s.findLast(U'\U0001F600'); }, 3},
	{"findLast from start", [](const ustring16& s) { return s.findLast(U'\U0001F600', 2); }, 1},
	{"findLast negative start", [](const ustring16& s) { return s.findLast(U'a', -7); }, 0},
	{"findLast start past end", [](const ustring16& s) { return s.findLast(U'b', 99); }, 2},
	{"find", [](const ustring16& s) { return s.find(ustring16("b\xF0\x9F\x98\x80")); }, 2},
	{"find from", [](const ustring16& s) { return s.find(ustring16("\xF0\x9F\x98\x80"), 2); }, 3},
	{"find empty", [](const ustring16& s) { return s.find(ustring16()); }, -1},
	{"find past end", [](const ustring16& s) { return s.find(ustring16("a"), 9); }, -1},
	{"find longer than text",
		[](const ustring16& s) {
			return s.find(ustring16("b\xF0\x9F\x98\x80"
									"c"));
		},
		-1},
	{"find after a partial match", [](const ustring16&) { return ustring16("aaab").find(ustring16("aab")); }, 1},
	{"find where a border restarts", [](const ustring16&) { return ustring16("abaabab").find(ustring16("abab")); }, 3},
	{"count as replace meets them", [](const ustring16&) { return s32(ustring16("aaaaa").count(ustring16("aa"))); }, 2},
	{"count after borders", [](const ustring16&) { return s32(ustring16("abababab").count(ustring16("abab"))); }, 2},
	{"count empty", [](const ustring16& s) { return s32(s.count(ustring16())); }, 0},
	{"find past a pair",
		[](const ustring16&) { return ustring16("\xF0\x9F\x98\x80\xF0\x9F\x98\x80x").find(ustring16("x")); }, 2},
};

TEST(UString16, SearchesByCharacterIndex)
{
	const ustring16 text(searchText);
	for (const SearchCase& c : searchCases)
		EXPECT_EQ(c.search(text), c.expected) << c.name;
	EXPECT_EQ(text.lastChar(), U'\U0001F600');
	EXPECT_EQ(ustring16().lastChar(), 0u);
	EXPECT_EQ(text.charAt(2), U'b');
	EXPECT_EQ(text.charAt(4), 0u);
}

// ---- Editing ------------------------------------------------------------------

struct EditCase
{
	const char* name;
	const char* input;
	std::function<void(ustring16&)> edit;
	const char* expected;
};

const EditCase editCases[] = {
	{"subString", "hello", [](ustring16& s) { s = s.subString(1, 3); }, "ell"},
	{"subString clipped", "hello", [](ustring16& s) { s = s.subString(3, 100); }, "lo"},
	{"subString huge length", "hello", [](ustring16& s) { s = s.subString(1, 0xFFFFFFFFu); }, "ello"},
	{"subString past end", "hello", [](ustring16& s) { s = s.subString(6, 1); }, ""},
	{"subString astral", searchText, [](ustring16& s) { s = s.subString(1, 2); },
		"\xF0\x9F\x98\x80"
		"b"},
	{"append char", "a", [](ustring16& s) { s.append(U'\u00E9'); }, "a\xC3\xA9"},
	{"append invalid", "a", [](ustring16& s) { s.append(0x110000); }, "a\xEF\xBF\xBD"},
	{"append surrogate", "a", [](ustring16& s) { s.append(0xDC00); }, "a\xEF\xBF\xBD"},
	{"append text", "a", [](ustring16& s) { s.append(ustring16("bc")); }, "abc"},
	{"append length", "a", [](ustring16& s) { s.append(ustring16(searchText), 2); }, "aa\xF0\x9F\x98\x80"},
	{"append length past end", "a", [](ustring16& s) { s.append(ustring16("bc"), 50); }, "abc"},
	{"replace char", "banana", [](ustring16& s) { s.replace(U'a', U'o'); }, "bonono"},
	{"replace char by astral", "ab", [](ustring16& s) { s.replace(U'b', U'\U0001F600'); }, "a\xF0\x9F\x98\x80"},
	{"replace invalid char", "ab", [](ustring16& s) { s.replace(0xD800u, U'x'); }, "ab"},
	{"replace text", "aXXbXX", [](ustring16& s) { s.replace(ustring16("XX"), ustring16("-")); }, "a-b-"},
	{"replace no overlap", "aaa", [](ustring16& s) { s.replace(ustring16("aa"), ustring16("b")); }, "ba"},
	{"replace empty text", "ab", [](ustring16& s) { s.replace(ustring16(), ustring16("x")); }, "ab"},
	{"replace after partial matches", "aabaab", [](ustring16& s) { s.replace(ustring16("aab"), ustring16("-")); },
		"--"},
	{"replace overlapping borders", "abababab", [](ustring16& s) { s.replace(ustring16("abab"), ustring16("x")); },
		"xx"},
	{"replace around pairs",
		"\xF0\x9F\x98\x80"
		"a\xF0\x9F\x98\x80",
		[](ustring16& s) { s.replace(ustring16("a"), ustring16("bc")); },
		"\xF0\x9F\x98\x80"
		"bc\xF0\x9F\x98\x80"},
	{"replace a pair",
		"a\xF0\x9F\x98\x80"
		"a",
		[](ustring16& s) { s.replace(ustring16("\xF0\x9F\x98\x80"), ustring16("")); }, "aa"},
	{"remove char", "banana", [](ustring16& s) { s.remove(U'a'); }, "bnn"},
	{"remove text", "banana", [](ustring16& s) { s.remove(ustring16("an")); }, "ba"},
	{"removeChars", "b-a_n", [](ustring16& s) { s.removeChars(ustring16("-_")); }, "ban"},
	{"removeChars unsorted list", "zebra", [](ustring16& s) { s.removeChars(ustring16("zra")); }, "eb"},
	{"trim given several", "yxxaxbyx", [](ustring16& s) { s.trim(ustring16("yx")); }, "axb"},
	{"trim default", " \t\r\nab c\n\t ", [](ustring16& s) { s.trim(); }, "ab c"},
	{"trim all", " \t ", [](ustring16& s) { s.trim(); }, ""},
	{"trim given", "xxaxbxx", [](ustring16& s) { s.trim(ustring16("x")); }, "axb"},
	{"trim an astral list",
		"\xF0\x9F\x98\x80"
		"xa\xF0\x9F\x98\x80",
		[](ustring16& s) { s.trim(ustring16("\xF0\x9F\x98\x80x")); }, "a"},
	{"trim keeps pairs at the ends",
		" \xF0\x9F\x98\x80"
		"a\xF0\x9F\x98\x81 ",
		[](ustring16& s) { s.trim(); },
		"\xF0\x9F\x98\x80"
		"a\xF0\x9F\x98\x81"},
	{"trim with no list", " a ", [](ustring16& s) { s.trim(ustring16()); }, " a "},
	{"trim nothing", "", [](ustring16& s) { s.trim(); }, ""},
	{"erase", searchText, [](ustring16& s) { s.erase(1); }, "ab\xF0\x9F\x98\x80"},
	{"erase past end", "ab", [](ustring16& s) { s.erase(2); }, "ab"},
	{"insert char", "ac", [](ustring16& s) { s.insert(U'b', 1); }, "abc"},
	{"insert at end", "ab", [](ustring16& s) { s.insert(U'c', 2); }, "abc"},
	{"insert past end", "ab", [](ustring16& s) { s.insert(U'c', 3); }, "ab"},
	{"insert text after pair", searchText, [](ustring16& s) { s.insert(ustring16("<>"), 2); },
		"a\xF0\x9F\x98\x80<>b\xF0\x9F\x98\x80"},
	{"validate keeps good text", searchText, [](ustring16& s) { s.validate(); }, searchText},
	{"+= text", "a", [](ustring16& s) { s += ustring16("b"); }, "ab"},
	{"+= char", "a", [](ustring16& s) { s += 'B'; }, "aB"},
	{"+= negative char", "a", [](ustring16& s) { s += static_cast<char>(-1); }, "a\xEF\xBF\xBD"},
	{"+= code point", "", [](ustring16& s) { s += static_cast<uchar32_t>(65); }, "A"},
	{"+= short", "", [](ustring16& s) { s += static_cast<short>(-32768); }, "-32768"},
	{"+= unsigned short", "", [](ustring16& s) { s += static_cast<unsigned short>(65535); }, "65535"},
	{"+= int min", "", [](ustring16& s) { s += INT_MIN; }, "-2147483648"},
	{"+= unsigned max", "", [](ustring16& s) { s += UINT_MAX; }, "4294967295"},
	{"+= long long min", "", [](ustring16& s) { s += LLONG_MIN; }, "-9223372036854775808"},
	{"+= zero", "", [](ustring16& s) { s += 0; }, "0"},
	{"+= double", "", [](ustring16& s) { s += -0.25; }, "-0.250000"},
	{"+ text", "a", [](ustring16& s) { s = s + ustring16("b") + "c"; }, "abc"},
	{"reserve huge", "a", [](ustring16& s) { s.reserve(0xFFFFFFFFu); }, "a"},
};

TEST(UString16, EditsInPlace)
{
	for (const EditCase& c : editCases)
	{
		ustring16 s(c.input);
		c.edit(s);
		EXPECT_EQ(s.toUTF8_std(), std::string(c.expected)) << c.name;
	}
}

TEST(UString16, CopiesAndMovesOwnTheirText)
{
	ustring16 a("abc");
	ustring16 b(a);
	b += "d";
	EXPECT_EQ(a.toUTF8_std(), "abc");
	ustring16 c(std::move(b));
	EXPECT_EQ(c.toUTF8_std(), "abcd");
	EXPECT_TRUE(b.empty());
	EXPECT_EQ(std::u16string(b.c_str()), u"");
	b = c;
	c = ustring16();
	EXPECT_EQ(b.toUTF8_std(), "abcd");
	EXPECT_TRUE(c.empty());
	const ustring16& self = b;
	b = self;
	EXPECT_EQ(b.toUTF8_std(), "abcd");
	ustring16 empty;
	b = empty;
	EXPECT_TRUE(b.empty());
}

// Script engines put values at addresses that are only 4-byte aligned.
TEST(UString16, WorksAtFourByteBoundaries)
{
	alignas(8) unsigned char memory[sizeof(ustring16) + 4];
	ustring16* s = new (memory + 4) ustring16("x");
	*s += ustring16("y");
	EXPECT_EQ(s->toUTF8_std(), "xy");
	s->~ustring16();
}

TEST(UString16, PrintsTheLargestDoubleInFull)
{
	ustring16 s;
	s += 1e300;
	const std::string text = s.toUTF8_std();
	ASSERT_EQ(text.size(), 301u + 7u);
	EXPECT_EQ(text.substr(0, 4), "1000");
	EXPECT_EQ(text.substr(text.size() - 7), ".000000");
}

} // namespace
