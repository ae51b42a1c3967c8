#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <irrlicht.h>

#include "FontTestSupport.h"
#include "support/engine_fixture.h"
#include "text/CGUIFreetypeGlyphPage.h"
#include "text/GlyphPageShelves.h"
#include "text/SGUIFreetypeFace.h"

using irr::core::dimension2du;
using irr::gui::CGUIFreetypeFont;
using namespace orv::test;

namespace {

std::string fileBytes(const char* path)
{
	std::ifstream in(path, std::ios::binary);
	return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

typedef NullDeviceFontTest FontStoreTest;

} // namespace

TEST_F(FontStoreTest, NewFontLogsAndRendersTheFirstCharacters)
{
	SFontHolder font(create(DEJAVU_SANS, 14));
	ASSERT_TRUE(font);
	EXPECT_TRUE(
		log.has(std::string("CGUIFreetypeFont: Creating new font: ") + DEJAVU_SANS + " 14pt +antialias +transparency"));
	EXPECT_EQ(font->getPixelSize(), 14u);
	EXPECT_EQ(font->getType(), irr::gui::EGFT_CUSTOM);
	EXPECT_GE(font->getPageCount(), 1u);
	CFreetypeReference reference(DEJAVU_SANS, 14);
	for (irr::u32 c = 32; c < CGUIFreetypeFont::PRELOAD_CHARACTERS; ++c)
	{
		const irr::gui::SGUIFreetypeGlyph* glyph = font->getGlyph(FT_Get_Char_Index(reference.face(), c));
		ASSERT_NE(glyph, nullptr);
		EXPECT_TRUE(glyph->Loaded) << "character " << c;
		// Still waiting: the null driver's page does not lock.
		EXPECT_NE(glyph->Surface, nullptr) << "character " << c;
	}
	// Drawing and measuring on a driver that draws nothing are harmless.
	font->draw(L"Hello\nworld \xFFFD\x1F600", irr::core::recti(0, 0, 100, 40), irr::video::SColor(255, 255, 255, 255),
		true, true);
	EXPECT_GT(font->getDimension(L"Hello").Width, 0u);
	EXPECT_EQ(font->createCharImage('A'), nullptr);
	EXPECT_EQ(font->getPageTextureByIndex(font->getPageCount()), nullptr);
}

TEST_F(FontStoreTest, FontsOfOneFileNameShareOneFace)
{
	CTempFolder folder;
	folder.write("font.ttf", fileBytes(DEJAVU_SANS));
	const std::string path = folder.path() + "font.ttf";

	CGUIFreetypeFont* first = create(path, 14);
	ASSERT_NE(first, nullptr);
	const dimension2du firstHello = first->getDimension(L"Hello");
	// The second font opens nothing: with the file gone it still loads.
	std::filesystem::remove(path);
	log.lines.clear();
	CGUIFreetypeFont* second = create(path, 22);
	ASSERT_NE(second, nullptr);
	EXPECT_TRUE(log.has("CGUIFreetypeFont: Creating new font: " + path + " 22pt +antialias +transparency"));
	EXPECT_EQ(irr::gui::getSharedFaceCount(), 1u);
	// Each keeps its own size on the shared face.
	EXPECT_GT(second->getDimension(L"Hello").Width, firstHello.Width);
	EXPECT_EQ(first->getDimension(L"Hello"), firstHello);

	first->drop();
	EXPECT_EQ(irr::gui::getSharedFaceCount(), 1u);
	EXPECT_TRUE(irr::gui::isFreetypeLibraryOpen());
	EXPECT_GT(second->getDimension(L"still there").Width, 0u);
	second->drop();
	EXPECT_EQ(irr::gui::getSharedFaceCount(), 0u);
	EXPECT_FALSE(irr::gui::isFreetypeLibraryOpen());

	// Another text for the same file is another face.
	SFontHolder direct(create(DEJAVU_SANS, 14));
	const std::string detour = std::string(DEJAVU_SANS).replace(std::string(DEJAVU_SANS).rfind('/'), 1, "/../dejavu/");
	SFontHolder indirect(create(detour, 14));
	ASSERT_TRUE(direct && indirect);
	EXPECT_EQ(irr::gui::getSharedFaceCount(), 2u);
}

TEST_F(FontStoreTest, FailedLoadsGiveNoFontAndSayWhy)
{
	CTempFolder folder;
	folder.write("notafont.ttf", "This is plain text, not a font.");
	// Sparse: it says it is larger than any font read, and holds nothing.
	folder.write("huge.ttf", "");
	std::filesystem::resize_file(folder.path() + "huge.ttf", CGUIFreetypeFont::MAX_FONT_FILE_SIZE + 1);
	struct Case
	{
		std::string path;
		irr::u32 size;
		const char* line;
	};
	const Case cases[] = {
		{folder.path() + "missing.ttf", 14, "CGUIFreetypeFont: Failed to open the file."},
		{DEJAVU_SANS, 0, "CGUIFreetypeFont: Font size 0 is not valid."},
		{folder.path() + "notafont.ttf", 14, "CGUIFreetypeFont: FT_New_Memory_Face failed."},
		{folder.path() + "huge.ttf", 14, "CGUIFreetypeFont: Failed to open the file."},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.line);
		log.lines.clear();
		log.levels.clear();
		EXPECT_EQ(create(c.path, c.size), nullptr);
		ASSERT_TRUE(log.has(c.line));
		EXPECT_EQ(log.levels.back(), irr::ELL_INFORMATION);
		EXPECT_EQ(irr::gui::getSharedFaceCount(), 0u);
	}
	EXPECT_EQ(create("", 14), nullptr);
	EXPECT_EQ(CGUIFreetypeFont::create(nullptr, DEJAVU_SANS, 14), nullptr);
}

// FreeType gives a bitmap font's glyph that has a box but no bitmap lines a
// size and no pixels; it stands for every character the font lacks, so the
// font's first batch of glyphs renders it at once.
TEST_F(FontStoreTest, AGlyphWithASizeButNoPixelsIsDrawnEmpty)
{
	CTempFolder folder;
	folder.write("empty-glyph.bdf",
		"STARTFONT 2.1\nFONT -misc-test-medium-r-normal--8-80-75-75-c-80-iso10646-1\nSIZE 8 75 75\n"
		"FONTBOUNDINGBOX 8 8 0 -1\nSTARTPROPERTIES 2\nFONT_ASCENT 7\nFONT_DESCENT 1\nENDPROPERTIES\nCHARS 1\n"
		"STARTCHAR uniFFFD\nENCODING 65533\nSWIDTH 500 0\nDWIDTH 8 0\nBBX 8 8 0 -1\nENDCHAR\nENDFONT\n");
	SFontHolder font(create(folder.path() + "empty-glyph.bdf", 8));
	ASSERT_TRUE(font);
	EXPECT_EQ(font->getDimension(L"AB").Width, 16u);
}

TEST_F(FontStoreTest, SizesOutsideTheRangeAreClampedWithAWarning)
{
	struct Case
	{
		irr::u32 asked;
		irr::u32 used;
	};
	const Case cases[] = {{1, CGUIFreetypeFont::MIN_PIXEL_SIZE}, {3, 4}, {4, 4}, {256, 256}, {1000, 256}};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.asked);
		log.lines.clear();
		log.levels.clear();
		SFontHolder font(create(DEJAVU_SANS, c.asked));
		ASSERT_TRUE(font);
		EXPECT_EQ(font->getPixelSize(), c.used);
		const bool warned = log.levels.front() == irr::ELL_WARNING;
		EXPECT_EQ(warned, c.asked != c.used);
	}
}

TEST(GlyphPagePlan, PageSidesFollowThePixelSizeWithinTheLimit)
{
	struct Case
	{
		irr::u32 pixelSize;
		dimension2du fontLimit;
		dimension2du driverLimit;
		dimension2du page;
	};
	const dimension2du none(0, 0);
	const dimension2du large(16384, 16384);
	const Case cases[] = {
		{14, none, large, {256, 256}},
		{21, none, large, {256, 256}},
		{22, none, large, {512, 512}},
		{43, none, large, {1024, 1024}},
		{85, none, large, {2048, 2048}},
		{256, none, large, {2048, 2048}},
		// A driver that names no limit: 1024 x 1024.
		{169, none, none, {1024, 1024}},
		// The font's own limit wins, its own width and height kept.
		{43, {512, 256}, large, {512, 256}},
		{14, {512, 256}, large, {256, 256}},
		{22, {0, 256}, {128, 128}, {128, 128}},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.pixelSize);
		EXPECT_EQ(irr::gui::planGlyphPageSize(c.pixelSize, c.fontLimit, c.driverLimit), c.page);
	}
}

TEST(GlyphPageShelves, PicturesTakeTheShortestShelfWithRoomAndKeepAGap)
{
	struct Case
	{
		dimension2du picture;
		bool placed;
		irr::core::vector2di corner;
	};
	// One page of 10 x 10, filled in this order.
	const Case cases[] = {
		{{4, 4}, true, {0, 0}},
		// A shelf 5 high (picture and gap) takes a lower picture beside the first.
		{{4, 2}, true, {5, 0}},
		// Full row: a new shelf below.
		{{3, 3}, true, {0, 5}},
		// The 4-high shelf is the shortest with room.
		{{2, 2}, true, {4, 5}},
		{{2, 3}, true, {7, 5}},
		// Nothing is left that is 3 high.
		{{1, 3}, false, {0, 0}},
		// Larger than the page with its gap.
		{{10, 1}, false, {0, 0}},
		// Empty pictures take nothing.
		{{0, 5}, true, {0, 0}},
		// Both shelves are full, and one row below is too little for a picture and its gap.
		{{1, 1}, false, {0, 0}},
	};
	irr::gui::CGlyphPageShelves shelves(dimension2du(10, 10));
	int step = 0;
	for (const Case& c : cases)
	{
		SCOPED_TRACE(step++);
		irr::core::vector2di corner(-1, -1);
		ASSERT_EQ(shelves.place(c.picture, corner), c.placed);
		if (c.placed)
		{
			EXPECT_EQ(corner, c.corner);
		}
	}
}

namespace {

// The glyph's rectangle with the gap right of and below it.
irr::core::recti withGap(const irr::core::recti& source)
{
	return irr::core::recti(source.UpperLeftCorner,
		source.LowerRightCorner + irr::core::vector2di(irr::gui::GLYPH_GAP, irr::gui::GLYPH_GAP));
}

bool overlap(const irr::core::recti& a, const irr::core::recti& b)
{
	return a.UpperLeftCorner.X < b.LowerRightCorner.X && b.UpperLeftCorner.X < a.LowerRightCorner.X &&
		a.UpperLeftCorner.Y < b.LowerRightCorner.Y && b.UpperLeftCorner.Y < a.LowerRightCorner.Y;
}

// Bytes of every page texture of a grey font.
size_t pageBytes(const CGUIFreetypeFont& font)
{
	size_t bytes = 0;
	for (irr::u32 i = 0; i < font.getPageCount(); ++i)
		bytes += static_cast<size_t>(font.getPageSize(i).getArea()) * 4;
	return bytes;
}

} // namespace

TEST_F(FontStoreTest, GlyphsLieWholeOnTheirPagesApartFromEachOther)
{
	struct Case
	{
		const char* path;
		irr::u32 pixelSize;
		dimension2du maxPage;
		dimension2du page;
	};
	const dimension2du none(0, 0);
	const Case cases[] = {
		{DEJAVU_SANS, 14, none, {256, 256}},
		{DEJAVU_SERIF, 14, none, {256, 256}},
		{FREE_SANS, 14, none, {256, 256}},
		{DEJAVU_SANS, 22, none, {512, 512}},
		{DEJAVU_SANS, 43, none, {1024, 1024}},
		// Small pages: the glyphs spread over several.
		{DEJAVU_SANS, 14, {128, 64}, {128, 64}},
		{DEJAVU_SANS, 60, {256, 256}, {256, 256}},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(std::string(c.path) + " " + std::to_string(c.pixelSize));
		SFontHolder font(create(c.path, c.pixelSize));
		ASSERT_TRUE(font);
		font->setMaxPageTextureSize(c.maxPage);
		font->resetGlyphs();
		font->setBatchLoadSize(256);
		// Latin, Greek and Cyrillic: tall capitals, wide ligatures, deep descenders.
		for (irr::u32 c = 0; c < 0x500; c += 256)
			font->getGlyphIndexByChar(c + 128);

		CFreetypeReference reference(c.path, c.pixelSize);
		std::vector<std::vector<irr::core::recti>> placed(font->getPageCount());
		irr::u32 loaded = 0;
		for (irr::u32 index = 1; font->getGlyph(index); ++index)
		{
			const irr::gui::SGUIFreetypeGlyph& glyph = *font->getGlyph(index);
			if (!glyph.Loaded)
				continue;
			++loaded;
			ASSERT_LT(glyph.PageIndex, font->getPageCount());
			const dimension2du page = font->getPageSize(glyph.PageIndex);
			EXPECT_EQ(page, c.page);
			const irr::core::recti room = withGap(glyph.SourceRect);
			EXPECT_GE(room.UpperLeftCorner.X, 0);
			EXPECT_GE(room.UpperLeftCorner.Y, 0);
			EXPECT_LE(room.LowerRightCorner.X, static_cast<irr::s32>(page.Width));
			EXPECT_LE(room.LowerRightCorner.Y, static_cast<irr::s32>(page.Height));
			// Nothing of FreeType's picture is cut off.
			const SFreetypeGlyph expected = reference.renderGlyphIndex(index);
			EXPECT_EQ(glyph.SourceRect.getWidth(), expected.width) << "glyph " << index;
			EXPECT_EQ(glyph.SourceRect.getHeight(), expected.rows) << "glyph " << index;
			EXPECT_EQ(glyph.Offset, irr::core::vector2di(expected.left, expected.top)) << "glyph " << index;
			if (glyph.SourceRect.getArea() == 0)
				continue;
			for (const irr::core::recti& other : placed[glyph.PageIndex])
				ASSERT_FALSE(overlap(room, other)) << "glyph " << index << " touches another";
			placed[glyph.PageIndex].push_back(room);
		}
		EXPECT_GT(loaded, 300u);
	}
}

TEST_F(FontStoreTest, PagesHoldWhatTheirTextNeedsAndLittleMore)
{
	struct Case
	{
		irr::u32 pixelSize;
		irr::u32 lastCharacter;
		irr::u32 pages;
		size_t maxBytes;
	};
	const size_t MiB = 1024 * 1024;
	const Case cases[] = {
		// ASCII.
		{14, 127, 1, 256 * 256 * 4},
		// Latin-1.
		{14, 256, 1, 256 * 256 * 4},
		{256, 256, 2, 32 * MiB},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(std::to_string(c.pixelSize) + " px to " + std::to_string(c.lastCharacter));
		SFontHolder font(create(DEJAVU_SANS, c.pixelSize));
		ASSERT_TRUE(font);
		// One at a time, as text asks for them, after the first batch.
		for (irr::u32 ch = 0; ch < c.lastCharacter; ++ch)
			font->getGlyphIndexByChar(ch);
		EXPECT_EQ(font->getPageCount(), c.pages);
		EXPECT_LE(pageBytes(*font.font), c.maxBytes);
	}
}

TEST_F(FontStoreTest, MissingCharactersFallBackToTheReplacementGlyph)
{
	SFontHolder sans(create(DEJAVU_SANS, 14));
	ASSERT_TRUE(sans);
	CFreetypeReference reference(DEJAVU_SANS, 14);
	const irr::u32 replacement = FT_Get_Char_Index(reference.face(), 0xFFFD);
	ASSERT_NE(replacement, 0u);
	// U+0378 is unassigned; the batch around it does not reach U+FFFD.
	EXPECT_EQ(sans->getGlyphIndexByChar(0x378), replacement);
	EXPECT_TRUE(sans->getGlyph(replacement)->Loaded);

	SFontHolder math(create(DEJAVU_MATH, 14));
	ASSERT_TRUE(math);
	EXPECT_EQ(math->getGlyphIndexByChar(0x378), 0u);
	const irr::u32 pages = math->getPageCount();
	math->draw(L"\x378\x1F600", irr::core::recti(0, 0, 50, 50), irr::video::SColor(255, 255, 255, 255));
	EXPECT_EQ(math->getPageCount(), pages);
	EXPECT_EQ(math->createCharImage(0x378), nullptr);
}

TEST_F(FontStoreTest, GlyphIndexIsFreetypesAsOftenAsItIsAsked)
{
	SFontHolder font(create(DEJAVU_SANS, 14));
	ASSERT_TRUE(font);
	CFreetypeReference reference(DEJAVU_SANS, 14);
	const irr::u32 replacement = FT_Get_Char_Index(reference.face(), 0xFFFD);
	struct Case
	{
		const char* name;
		irr::u32 c;
		bool missing;
	};
	const Case cases[] = {
		{"the first character", 0, true},
		{"a letter", 'g', false},
		{"an unassigned code point among the letters", 0x378, true},
		{"the last of two-byte UTF-8", 0x7FF, true},
		{"past two-byte UTF-8", 0x800, true},
		{"an en dash", 0x2013, false},
		{"a ligature", 0xFB01, false},
		{"the last code point", 0x10FFFF, true},
	};
	for (int pass = 0; pass < 2; ++pass)
		for (const Case& c : cases)
		{
			SCOPED_TRACE(c.name);
			const irr::u32 own = FT_Get_Char_Index(reference.face(), c.c);
			ASSERT_EQ(own == 0, c.missing);
			EXPECT_EQ(font->getGlyphIndexByChar(c.c), c.missing ? replacement : own);
		}
}

TEST_F(FontStoreTest, TextSceneNodesCutTheirGlyphsFromThePlannedPage)
{
	SFontHolder font(create(DEJAVU_SANS, 14));
	ASSERT_TRUE(font);
	irr::scene::ISceneManager* scene = device->getSceneManager();
	const irr::core::array<irr::scene::ISceneNode*> nodes = font->createTextSceneNode(
		L"Ab\ncd", scene, nullptr, irr::video::SColor(255, 255, 255, 255), true);
	ASSERT_EQ(nodes.size(), 4u);
	irr::scene::ISceneNode* parent = nodes[0]->getParent();
	ASSERT_NE(parent, nullptr);
	EXPECT_EQ(parent->getParent(), scene->getRootSceneNode());
	for (irr::u32 i = 0; i < nodes.size(); ++i)
	{
		EXPECT_EQ(nodes[i]->getParent(), parent);
		irr::scene::IMeshSceneNode* node = static_cast<irr::scene::IMeshSceneNode*>(nodes[i]);
		const irr::video::S3DVertex* vertices = static_cast<const irr::video::S3DVertex*>(
			node->getMesh()->getMeshBuffer(0)->getVertices());
		// The null driver's page textures report no size; nothing divides by it.
		for (int v = 0; v < 4; ++v)
		{
			EXPECT_TRUE(vertices[v].TCoords.X >= 0.f && vertices[v].TCoords.X <= 1.f);
			EXPECT_TRUE(vertices[v].TCoords.Y >= 0.f && vertices[v].TCoords.Y <= 1.f);
		}
		EXPECT_LT(vertices[2].TCoords.Y, vertices[0].TCoords.Y);
		EXPECT_EQ(node->getMaterial(0).MaterialType, irr::video::EMT_TRANSPARENT_ALPHA_CHANNEL);
	}
	// The second line lies below the first.
	EXPECT_LT(nodes[2]->getPosition().Y, nodes[0]->getPosition().Y);
	scene->clear();
}
