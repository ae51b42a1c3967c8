#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include <gtest/gtest.h>
#include <irrlicht.h>

#include "FontTestSupport.h"
#include "support/engine_fixture.h"
#include "text/CGUIFreetypeGlyphPage.h"
#include "text/GlyphPageGrid.h"
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
	EXPECT_TRUE(log.has(std::string("CGUIFreetypeFont: Creating new font: ") + DEJAVU_SANS +
		" 14pt +antialias +transparency"));
	EXPECT_EQ(font->getPixelSize(), 14u);
	EXPECT_EQ(font->getType(), irr::gui::EGFT_CUSTOM);
	EXPECT_GE(font->getPageCount(), 1u);
	CFreetypeReference reference(DEJAVU_SANS, 14);
	for (irr::u32 c = 32; c < CGUIFreetypeFont::PRELOAD_CHARACTERS; ++c) {
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
	};
	for (const Case& c : cases) {
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

TEST_F(FontStoreTest, SizesOutsideTheRangeAreClampedWithAWarning)
{
	struct Case
	{
		irr::u32 asked;
		irr::u32 used;
	};
	const Case cases[] = {{1, CGUIFreetypeFont::MIN_PIXEL_SIZE}, {3, 4}, {4, 4}, {256, 256}, {1000, 256}};
	for (const Case& c : cases) {
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
		dimension2du cell;
		dimension2du fontLimit;
		dimension2du driverLimit;
		dimension2du page;
		irr::u32 cells;
	};
	const dimension2du none(0, 0);
	const Case cases[] = {
		{14, {14, 14}, none, {16384, 16384}, {256, 256}, 18 * 18},
		// Cells larger than the pixel size: the page doubles until 128 fit.
		{21, {22, 30}, none, {16384, 16384}, {512, 512}, 23 * 17},
		{14, {41, 25}, none, {16384, 16384}, {512, 512}, 12 * 20},
		{14, {41, 25}, {256, 256}, {16384, 16384}, {256, 256}, 6 * 10},
		{43, {122, 74}, none, {16384, 16384}, {2048, 2048}, 16 * 27},
		{22, {22, 22}, none, {16384, 16384}, {512, 512}, 23 * 23},
		{43, {43, 43}, none, {16384, 16384}, {1024, 1024}, 23 * 23},
		{85, {85, 85}, none, {16384, 16384}, {2048, 2048}, 24 * 24},
		{169, {169, 169}, none, {16384, 16384}, {4096, 4096}, 24 * 24},
		// A driver that names no limit: 1024 x 1024.
		{169, {169, 169}, none, none, {1024, 1024}, 6 * 6},
		// The font's own limit wins, its own width and height kept.
		{43, {43, 43}, {512, 256}, {16384, 16384}, {512, 256}, 11 * 5},
		{14, {14, 14}, {512, 256}, {16384, 16384}, {256, 256}, 18 * 18},
		{22, {22, 22}, {0, 256}, {128, 128}, {128, 128}, 5 * 5},
		// A cell larger than the page: no page at all.
		{200, {300, 200}, none, {256, 256}, {256, 256}, 0},
	};
	for (const Case& c : cases) {
		SCOPED_TRACE(c.pixelSize);
		const irr::gui::SGlyphPageGrid grid = irr::gui::planGlyphPage(c.pixelSize, c.cell, c.fontLimit, c.driverLimit);
		EXPECT_EQ(grid.PageSize, c.page);
		EXPECT_EQ(grid.getCellCount(), c.cells);
	}
}

TEST_F(FontStoreTest, EveryGlyphFitsItsOwnCell)
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
		// Their widest glyphs make cells wider than the pixel size, so the
		// pages are larger than 256 x 256 at 14 px.
		{DEJAVU_SANS, 14, none, {512, 512}},
		{DEJAVU_SERIF, 14, none, {512, 512}},
		{FREE_SANS, 14, none, {512, 512}},
		{DEJAVU_SANS, 22, none, {1024, 1024}},
		{DEJAVU_SANS, 43, none, {2048, 2048}},
		{DEJAVU_SANS, 14, {128, 192}, {128, 192}},
	};
	for (const Case& c : cases) {
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
		const dimension2du cell = font->getCellSize();
		std::set<std::pair<irr::u32, irr::u32>> usedCells;
		irr::u32 loaded = 0;
		for (irr::u32 index = 1; font->getGlyph(index); ++index) {
			const irr::gui::SGUIFreetypeGlyph& glyph = *font->getGlyph(index);
			if (!glyph.Loaded)
				continue;
			++loaded;
			const irr::gui::SGlyphPageGrid* grid = font->getPageGrid(glyph.PageIndex);
			ASSERT_NE(grid, nullptr);
			EXPECT_EQ(grid->PageSize, c.page);
			const irr::core::vector2di corner = glyph.SourceRect.UpperLeftCorner;
			const irr::u32 column = static_cast<irr::u32>(corner.X) / cell.Width;
			const irr::u32 row = static_cast<irr::u32>(corner.Y) / cell.Height;
			ASSERT_EQ(irr::core::vector2di(column * cell.Width, row * cell.Height), corner);
			EXPECT_TRUE(usedCells.insert({glyph.PageIndex, row * grid->Columns + column}).second)
				<< "glyph " << index << " shares a cell";
			EXPECT_LE(glyph.SourceRect.LowerRightCorner.X, static_cast<irr::s32>(corner.X + cell.Width));
			EXPECT_LE(glyph.SourceRect.LowerRightCorner.Y, static_cast<irr::s32>(corner.Y + cell.Height));
			EXPECT_LE(static_cast<irr::u32>(glyph.SourceRect.LowerRightCorner.X), grid->PageSize.Width);
			EXPECT_LE(static_cast<irr::u32>(glyph.SourceRect.LowerRightCorner.Y), grid->PageSize.Height);
			// Nothing of FreeType's picture is cut off.
			const SFreetypeGlyph expected = reference.renderGlyphIndex(index);
			EXPECT_EQ(glyph.SourceRect.getWidth(), expected.width) << "glyph " << index;
			EXPECT_EQ(glyph.SourceRect.getHeight(), expected.rows) << "glyph " << index;
			EXPECT_EQ(glyph.Offset, irr::core::vector2di(expected.left, expected.top)) << "glyph " << index;
		}
		EXPECT_GT(loaded, 300u);
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

TEST_F(FontStoreTest, TextSceneNodesCutTheirGlyphsFromThePlannedPage)
{
	SFontHolder font(create(DEJAVU_SANS, 14));
	ASSERT_TRUE(font);
	irr::scene::ISceneManager* scene = device->getSceneManager();
	const irr::core::array<irr::scene::ISceneNode*> nodes =
		font->createTextSceneNode(L"Ab\ncd", scene, nullptr, irr::video::SColor(255, 255, 255, 255), true);
	ASSERT_EQ(nodes.size(), 4u);
	irr::scene::ISceneNode* parent = nodes[0]->getParent();
	ASSERT_NE(parent, nullptr);
	EXPECT_EQ(parent->getParent(), scene->getRootSceneNode());
	for (irr::u32 i = 0; i < nodes.size(); ++i) {
		EXPECT_EQ(nodes[i]->getParent(), parent);
		irr::scene::IMeshSceneNode* node = static_cast<irr::scene::IMeshSceneNode*>(nodes[i]);
		const irr::video::S3DVertex* vertices =
			static_cast<const irr::video::S3DVertex*>(node->getMesh()->getMeshBuffer(0)->getVertices());
		// The null driver's page textures report no size; nothing divides by it.
		for (int v = 0; v < 4; ++v) {
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
