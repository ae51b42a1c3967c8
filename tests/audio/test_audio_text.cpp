#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

#include "audio/AudioText.h"

using namespace orv::audio;

namespace {

std::string repeat(const std::string& text, size_t times)
{
	std::string out;
	for (size_t i = 0; i < times; ++i)
		out += text;
	return out;
}

} // namespace

TEST(AudioText, RoundTrips)
{
	struct Case
	{
		const char* name;
		std::string utf8;
		size_t units;
	} cases[] = {
		{"ascii", "boom.ogg", 8},
		{"two-byte", "caf\xC3\xA9", 4},
		{"three-byte", "\xE2\x82\xAC", 1},
		{"astral as a surrogate pair", "\xF0\x9F\x8E\xB5.wav", 6},
		{"empty", "", 0},
	};
	for (const Case& c : cases)
	{
		const AudioWString wide = utf8ToWide(c.utf8.c_str());
		EXPECT_EQ(wide.size(), c.units) << c.name;
		EXPECT_EQ(std::string(wideToUtf8(wide)), c.utf8) << c.name;
	}
	EXPECT_TRUE(utf8ToWide(nullptr).empty());
}

TEST(AudioText, InvalidInputBecomesReplacementCharacters)
{
	struct Case
	{
		const char* name;
		std::string utf8;
		std::u16string wide;
	} cases[] = {
		{"stray continuation",
			"a\x80"
			"b",
			u"a\uFFFDb"},
		{"cut sequence at the end", "a\xE2\x82", u"a\uFFFD"},
		{"lead without continuation",
			"\xC3"
			"b",
			u"\uFFFDb"},
		{"byte never used", "\xFF", u"\uFFFD"},
	};
	for (const Case& c : cases)
	{
		const AudioWString wide = utf8ToWide(c.utf8.c_str());
		EXPECT_EQ(std::u16string(wide.begin(), wide.end()), c.wide) << c.name;
	}
	AudioWString lone;
	lone.push_back(u'x');
	lone.push_back(static_cast<char16_t>(0xD800));
	EXPECT_STREQ(wideToUtf8(lone), "x\xEF\xBF\xBD");
}

TEST(AudioText, LongTextsKeepWholeCharactersWithin1023Bytes)
{
	struct Case
	{
		const char* name;
		std::string character;
		size_t expectedBytes;
	} cases[] = {
		{"ascii", "a", 1023},
		{"two-byte", "\xC3\xA9", 1022},
		{"three-byte", "\xE2\x82\xAC", 1023},
		{"astral", "\xF0\x9F\x8E\xB5", 1020},
	};
	for (const Case& c : cases)
	{
		const std::string text = repeat(c.character, 2000);
		const char* out = wideToUtf8(utf8ToWide(text.c_str()));
		EXPECT_EQ(std::strlen(out), c.expectedBytes) << c.name;
		EXPECT_EQ(std::string(out), text.substr(0, c.expectedBytes)) << c.name;
	}
}

TEST(AudioText, EightTextsStayValidPerThread)
{
	const char* first = wideToUtf8(utf8ToWide("first"));
	std::string otherThreadText;
	std::thread other([&otherThreadText] {
		for (int i = 0; i < 20; ++i)
			otherThreadText = wideToUtf8(utf8ToWide("other"));
	});
	other.join();
	for (int i = 0; i < 7; ++i)
		wideToUtf8(utf8ToWide("filler"));
	EXPECT_STREQ(first, "first");
	EXPECT_EQ(otherThreadText, "other");
	wideToUtf8(utf8ToWide("ninth"));
	EXPECT_STREQ(first, "ninth");
	// The plug-in manager's set turns on its own.
	const char* plugin = wideToUtf8Plugins(utf8ToWide("plugin"));
	for (int i = 0; i < 8; ++i)
		wideToUtf8(utf8ToWide("manager"));
	EXPECT_STREQ(plugin, "plugin");
}

TEST(AudioText, Extension)
{
	struct Case
	{
		const char* fileName;
		const char* extension;
	} cases[] = {
		{"sound.ogg", "ogg"},
		{"a.b.WAV", "WAV"},
		{"noext", ""},
		{"dir.d/file", "d/file"},
		{"end.", ""},
	};
	for (const Case& c : cases)
		EXPECT_STREQ(wideToUtf8(getExtension(utf8ToWide(c.fileName))), c.extension) << c.fileName;
}
