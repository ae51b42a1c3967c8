// Text layout as relations between measures, so that no pixel number of a
// particular font version is written down here.

#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <irrlicht.h>

#include "FontTestSupport.h"
#include "text/CKerningCache.h"

using irr::core::dimension2du;
using irr::gui::CGUIFreetypeFont;
using namespace orv::test;

namespace {

typedef NullDeviceFontTest FontLayoutTest;

irr::s32 widthOf(const CGUIFreetypeFont& font, const wchar_t* text)
{
	return static_cast<irr::s32>(font.getDimension(text).Width);
}

} // namespace

TEST_F(FontLayoutTest, LineBreaksAddOneLineHeightEach)
{
	SFontHolder font(create(DEJAVU_SANS, 14));
	ASSERT_TRUE(font);
	const irr::u32 line = font->getDimension(L"a").Height;
	// The tallest of 'g', 'j' and '_', plus one.
	const irr::u32 tallest = std::max({font->getCharDimension(L'g').Height, font->getCharDimension(L'j').Height,
		font->getCharDimension(L'_').Height});
	EXPECT_EQ(line, tallest + 1);
	struct Case
	{
		const wchar_t* text;
		irr::u32 lines;
		const wchar_t* widestLine;
	};
	const Case cases[] = {
		{L"", 1, L""},
		{L"ab", 1, L"ab"},
		{L"a\nbb", 2, L"bb"},
		{L"aa\rb", 2, L"aa"},
		{L"a\r\nbb", 2, L"bb"},
		{L"a\n\rbb", 3, L"bb"},
		{L"a\n", 2, L"a"},
		{L"\n\n", 3, L""},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(std::wstring(c.text).size());
		const dimension2du extent = font->getDimension(c.text);
		EXPECT_EQ(extent.Height, c.lines * line);
		EXPECT_EQ(extent.Width, font->getDimension(c.widestLine).Width);
		EXPECT_EQ(font->getDimension(irr::core::ustring16(c.text)), extent);
	}
}

TEST_F(FontLayoutTest, WidthIsTheCharactersPlusTheirKerning)
{
	SFontHolder font(create(DEJAVU_SANS, 22));
	ASSERT_TRUE(font);
	CFreetypeReference reference(DEJAVU_SANS, 22);
	const irr::s32 parts = static_cast<irr::s32>(
		font->getCharDimension(L'a').Width + font->getCharDimension(L' ').Width + font->getCharDimension(L'b').Width);
	EXPECT_EQ(
		widthOf(*font.font, L"a b"), parts + font->getKerningWidth(L" ", L"a") + font->getKerningWidth(L"b", L" "));

	// DejaVu Sans kerns "AV" at this size; the font says what FreeType says.
	const int av = reference.kerning('A', 'V');
	ASSERT_NE(av, 0);
	EXPECT_EQ(font->getKerningWidth(L"V", L"A"), av);
	EXPECT_EQ(font->getKerningWidth(U'V', U'A'), av);
	EXPECT_EQ(widthOf(*font.font, L"AV"), widthOf(*font.font, L"A") + widthOf(*font.font, L"V") + av);

	// The font's own kerning width comes on top of every pair, not before
	// the first character.
	font->setKerningWidth(3);
	EXPECT_EQ(font->getKerningWidth(L"V", L"A"), av + 3);
	EXPECT_EQ(widthOf(*font.font, L"AVA"),
		widthOf(*font.font, L"A") * 2 + widthOf(*font.font, L"V") + av + reference.kerning('V', 'A') + 2 * 3);
	// With a letter missing there is no pair.
	EXPECT_EQ(font->getKerningWidth(nullptr, L"A"), 0);
	EXPECT_EQ(font->getKerningWidth(L"V"), 0);
}

TEST_F(FontLayoutTest, PairKerningIsFreetypesForEveryPairAndSize)
{
	// Two sizes of one file share a face; each font keeps the kerning of its own size.
	SFontHolder small(create(DEJAVU_SANS, 14));
	SFontHolder large(create(DEJAVU_SANS, 22));
	ASSERT_TRUE(small && large);
	const CFreetypeReference smallReference(DEJAVU_SANS, 14);
	const CFreetypeReference largeReference(DEJAVU_SANS, 22);
	// More pairs than the font keeps, so kept pairs give way to others; the
	// letters beyond U+07FF are looked up apart from the rest.
	std::vector<irr::u32> letters;
	for (irr::u32 c = 0x21; c < 0x180; ++c)
		if (FT_Get_Char_Index(smallReference.face(), c) != 0)
			letters.push_back(c);
	for (irr::u32 c : {0x2013u, 0x201Cu, 0x20ACu, 0xFB01u})
		letters.push_back(c);
	ASSERT_GT(letters.size() * letters.size(), 2 * irr::gui::CKerningCache::SLOTS);
	int kerned = 0;
	int wrong = 0;
	for (int pass = 0; pass < 2; ++pass)
		for (irr::u32 left : letters)
			for (irr::u32 right : letters)
			{
				const int smallPair = smallReference.kerning(left, right);
				kerned += pass == 0 && smallPair != 0;
				if (small->getKerningWidth(right, left) != smallPair ||
					large->getKerningWidth(right, left) != largeReference.kerning(left, right))
					++wrong;
			}
	EXPECT_GT(kerned, 100) << "the face kerns few of these pairs: the test proves little";
	EXPECT_EQ(wrong, 0);
}

TEST_F(FontLayoutTest, CharacterFromPositionCountsRightEdges)
{
	SFontHolder font(create(DEJAVU_SANS, 14));
	ASSERT_TRUE(font);
	const wchar_t* text = L"Hello";
	const irr::s32 width = widthOf(*font.font, text);
	struct Case
	{
		irr::s32 x;
		irr::s32 index;
	};
	const Case cases[] = {
		{1, 0},
		{widthOf(*font.font, L"H"), 0},
		{widthOf(*font.font, L"H") + 1, 1},
		{widthOf(*font.font, L"He"), 1},
		{width, 4},
		{width + 1, -1},
	};
	for (const Case& c : cases)
	{
		EXPECT_EQ(font->getCharacterFromPos(text, c.x), c.index) << "x = " << c.x;
		EXPECT_EQ(font->getCharacterFromPos(irr::core::ustring16(text), c.x), c.index) << "x = " << c.x;
	}
	// Code points, not UTF-16 units: the emoji is one character.
	const irr::core::ustring16 emoji(L"\x1F600"
									 L"a");
	EXPECT_EQ(font->getCharacterFromPos(emoji, widthOf(*font.font, L"\x1F600") + 1), 1);
}

TEST_F(FontLayoutTest, MissingCharactersTakeTheFallbackWidth)
{
	SFontHolder sans(create(DEJAVU_SANS, 14));
	SFontHolder math(create(DEJAVU_MATH, 14)); // no U+FFFD
	ASSERT_TRUE(sans && math);
	const irr::s32 ascender = math->getAscender();
	ASSERT_GT(ascender, 1);
	struct Case
	{
		const CGUIFreetypeFont* font;
		wchar_t c;
		irr::u32 width;
	};
	const Case cases[] = {
		{sans.font, 0x378, sans->getCharDimension(0xFFFD).Width},
		{sans.font, 0x1F600, sans->getCharDimension(0x1F600).Width},
		// Without U+FFFD: half the ascender below U+2000, the whole above.
		{math.font, 0x378, static_cast<irr::u32>(ascender / 2)},
		{math.font, 0x1F600, static_cast<irr::u32>(ascender)},
		// Lone surrogates are no characters.
		{sans.font, 0xD800, sans->getCharDimension(0xFFFD).Width},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(static_cast<unsigned>(c.c));
		EXPECT_EQ(c.font->getCharDimension(c.c).Width, c.width);
		const wchar_t text[] = {c.c, 0};
		EXPECT_EQ(c.font->getDimension(text).Width, c.width);
	}
	EXPECT_GT(sans->getCharDimension(0xFFFD).Width, 0u);
}
