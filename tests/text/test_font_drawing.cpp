// The font on real drivers under a private X server: the pictures in its
// pages, and what reaches the screen.

#include <functional>
#include <string>

#include <gtest/gtest.h>
#include <irrlicht.h>

#include "FontTestSupport.h"
#include "support/TestWindow.h"

using irr::core::dimension2du;
using irr::gui::CGUIFreetypeFont;
using namespace orv::test;

namespace {

struct SDriverCase
{
	const char* name;
	irr::video::E_DRIVER_TYPE type;
};
const SDriverCase DRIVERS[] = {{"opengl", irr::video::EDT_OPENGL}, {"software", irr::video::EDT_BURNINGSVIDEO}};

const irr::video::SColor BLACK(255, 0, 0, 0);

// Alpha as a page of that format keeps it: one bit in A1R5G5B5.
irr::u32 keptAlpha(irr::u8 alpha, irr::video::ECOLOR_FORMAT format)
{
	if (format == irr::video::ECF_A1R5G5B5)
		return alpha >= 128 ? 255 : 0;
	return alpha;
}

// Compares a character's picture from the font's page with FreeType's bitmap.
void expectCharImageIsFreetypes(
	CGUIFreetypeFont& font, const CFreetypeReference& reference, irr::u32 c, FT_Int32 flags = FT_LOAD_RENDER)
{
	SCOPED_TRACE("character " + std::to_string(c));
	const SFreetypeGlyph expected = reference.render(c, flags);
	ASSERT_TRUE(expected.found);
	irr::video::IImage* image = font.createCharImage(c);
	ASSERT_NE(image, nullptr);
	const dimension2du size = image->getDimension();
	const irr::video::ECOLOR_FORMAT format = image->getColorFormat();
	image->drop();
	ASSERT_EQ(size, dimension2du(expected.width, expected.rows));
	image = font.createCharImage(c);
	int wrong = 0;
	for (int y = 0; y < expected.rows; ++y)
		for (int x = 0; x < expected.width; ++x)
		{
			const irr::video::SColor seen = image->getPixel(x, y);
			const irr::u32 alpha = keptAlpha(expected.alpha[y * expected.width + x], format);
			if (seen.getAlpha() != alpha || (alpha && seen.color != irr::video::SColor(alpha, 255, 255, 255).color))
				++wrong;
		}
	image->drop();
	EXPECT_EQ(wrong, 0) << "pixels differ";
}

void drawFrames(irr::IrrlichtDevice* device, const std::function<void()>& draw)
{
	for (int frame = 0; frame < 3; ++frame)
	{
		device->run();
		device->getVideoDriver()->beginScene(true, true, BLACK);
		draw();
		device->getVideoDriver()->endScene();
	}
}

//! The smallest rectangle holding every pixel of the area brighter than the threshold.
irr::core::recti inkBox(const SScreenshot& shot, const irr::core::recti& area, int threshold = 40)
{
	irr::core::recti box(area.LowerRightCorner, area.UpperLeftCorner);
	bool any = false;
	for (int y = area.UpperLeftCorner.Y; y < area.LowerRightCorner.Y; ++y)
		for (int x = area.UpperLeftCorner.X; x < area.LowerRightCorner.X; ++x)
		{
			const SRgb p = shot.at(x, y);
			if (std::max({p.r, p.g, p.b}) <= threshold)
				continue;
			any = true;
			box.UpperLeftCorner.X = std::min(box.UpperLeftCorner.X, x);
			box.UpperLeftCorner.Y = std::min(box.UpperLeftCorner.Y, y);
			box.LowerRightCorner.X = std::max(box.LowerRightCorner.X, x + 1);
			box.LowerRightCorner.Y = std::max(box.LowerRightCorner.Y, y + 1);
		}
	return any ? box : irr::core::recti();
}

int brightest(const SScreenshot& shot, const irr::core::recti& area)
{
	int most = 0;
	for (int y = area.UpperLeftCorner.Y; y < area.LowerRightCorner.Y; ++y)
		for (int x = area.UpperLeftCorner.X; x < area.LowerRightCorner.X; ++x)
		{
			const SRgb p = shot.at(x, y);
			most = std::max({most, p.r, p.g, p.b});
		}
	return most;
}

} // namespace

TEST(FontDrawing, PagesHoldFreetypesOwnBitmaps)
{
	struct SFontCase
	{
		const char* path;
		irr::u32 wide; // a glyph wider or taller than the pixel size
	};
	// Cyrillic millions sign, Serif 'W', Sans 'j': larger than the pixel size.
	const SFontCase fonts[] = {{DEJAVU_SANS, 0x489}, {DEJAVU_SERIF, 'W'}, {FREE_SANS, 'j'}};
	for (const SDriverCase& driver : DRIVERS)
	{
		SCOPED_TRACE(driver.name);
		CTestWindow window(driver.type, 160, 120);
		ASSERT_TRUE(window.isOpen());
		for (const SFontCase& f : fonts)
		{
			SCOPED_TRACE(f.path);
			SFontHolder font(CGUIFreetypeFont::create(window.device(), f.path, 14));
			ASSERT_TRUE(font);
			CFreetypeReference reference(f.path, 14);
			const SFreetypeGlyph wide = reference.render(f.wide);
			EXPECT_TRUE(wide.width > 14 || wide.rows > 14);
			for (irr::u32 c = 33; c < CGUIFreetypeFont::PRELOAD_CHARACTERS; ++c)
				expectCharImageIsFreetypes(*font.font, reference, c);
			expectCharImageIsFreetypes(*font.font, reference, 0xFFFD);
			expectCharImageIsFreetypes(*font.font, reference, f.wide);
		}
	}
}

TEST(FontDrawing, SwitchingRenderingRedrawsEveryGlyph)
{
	struct Case
	{
		const char* what;
		std::function<void(CGUIFreetypeFont&)> change;
		FT_Int32 flags;
	};
	const Case cases[] = {
		{"monochrome", [](CGUIFreetypeFont& f) { f.setMonochrome(true); },
			FT_LOAD_RENDER | FT_LOAD_MONOCHROME | FT_LOAD_TARGET_MONO | FT_LOAD_NO_HINTING},
		{"grey again", [](CGUIFreetypeFont& f) { f.setMonochrome(false); }, FT_LOAD_RENDER},
		{"no hinting", [](CGUIFreetypeFont& f) { f.setHinting(false, true); }, FT_LOAD_RENDER | FT_LOAD_NO_HINTING},
		{"no auto-hinting", [](CGUIFreetypeFont& f) { f.setHinting(true, false); },
			FT_LOAD_RENDER | FT_LOAD_NO_AUTOHINT},
		{"opaque", [](CGUIFreetypeFont& f) { f.setTransparency(false); }, FT_LOAD_RENDER | FT_LOAD_NO_AUTOHINT},
	};
	CTestWindow window(irr::video::EDT_OPENGL, 160, 120);
	ASSERT_TRUE(window.isOpen());
	SFontHolder font(CGUIFreetypeFont::create(window.device(), DEJAVU_SANS, 14));
	ASSERT_TRUE(font);
	CFreetypeReference reference(DEJAVU_SANS, 14);
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.what);
		drawFrames(window.device(),
			[&] { font->draw(L"Wave", irr::core::recti(0, 0, 100, 40), irr::video::SColor(255, 255, 255, 255)); });
		ASSERT_GT(font->getPageCount(), 0u);
		c.change(*font.font);
		EXPECT_EQ(font->getPageCount(), 0u);
		EXPECT_EQ(font->getPageTextureByIndex(0), nullptr);
		for (irr::u32 ch : {U'W', U'a', U'g', U'@'})
			expectCharImageIsFreetypes(*font.font, reference, ch, c.flags);
	}
	EXPECT_FALSE(font->isTransparent());
	EXPECT_FALSE(font->isAutoHinting());
}

TEST(FontDrawing, TextLandsInsideItsMeasuredBox)
{
	const wchar_t* text = L"Hello, Wj_g!";
	for (const SDriverCase& driver : DRIVERS)
	{
		SCOPED_TRACE(driver.name);
		CTestWindow window(driver.type, 320, 160);
		ASSERT_TRUE(window.isOpen());
		SFontHolder font(CGUIFreetypeFont::create(window.device(), DEJAVU_SANS, 14));
		ASSERT_TRUE(font);
		const dimension2du extent = font->getDimension(text);
		const irr::core::vector2di at(20, 30);
		// Centred in a rectangle narrower than the text: it starts left of it.
		const irr::core::recti narrow(150, 100, 160, 140);
		drawFrames(window.device(), [&] {
			font->draw(text, irr::core::recti(at, dimension2du(300, 50)), irr::video::SColor(255, 255, 255, 255));
			font->draw(text, narrow, irr::video::SColor(255, 255, 255, 255), true, true);
		});
		const SScreenshot shot = window.screenshot(std::string("font_box_") + driver.name);
		ASSERT_FALSE(shot.empty());

		const irr::core::recti measured(at, extent);
		const irr::core::recti ink = inkBox(shot, irr::core::recti(0, 0, 320, 80));
		ASSERT_FALSE(ink.getArea() == 0);
		EXPECT_GE(ink.UpperLeftCorner.X, measured.UpperLeftCorner.X - 1);
		EXPECT_GE(ink.UpperLeftCorner.Y, measured.UpperLeftCorner.Y - 1);
		EXPECT_LE(ink.LowerRightCorner.X, measured.LowerRightCorner.X + 1);
		EXPECT_LE(ink.LowerRightCorner.Y, measured.LowerRightCorner.Y + 1);
		// The descenders reach the box's last rows, and the first glyph its left edge.
		EXPECT_GE(ink.LowerRightCorner.Y, measured.LowerRightCorner.Y - 2);
		EXPECT_LE(ink.UpperLeftCorner.X, measured.UpperLeftCorner.X + 2);

		const irr::core::recti centred = inkBox(shot, irr::core::recti(0, 80, 320, 160));
		const irr::s32 left = narrow.UpperLeftCorner.X +
			((narrow.getWidth() - static_cast<irr::s32>(extent.Width)) >> 1);
		const irr::s32 top = narrow.UpperLeftCorner.Y +
			((narrow.getHeight() - static_cast<irr::s32>(extent.Height)) >> 1);
		EXPECT_LT(centred.UpperLeftCorner.X, narrow.UpperLeftCorner.X);
		EXPECT_NEAR(centred.UpperLeftCorner.X, left + ink.UpperLeftCorner.X - at.X, 1);
		EXPECT_NEAR(centred.UpperLeftCorner.Y, top + ink.UpperLeftCorner.Y - at.Y, 1);
	}
}

TEST(FontDrawing, OpaqueFontIgnoresTheColoursAlpha)
{
	const irr::video::SColor faint(100, 255, 255, 255);
	for (const SDriverCase& driver : DRIVERS)
	{
		SCOPED_TRACE(driver.name);
		CTestWindow window(driver.type, 240, 100);
		ASSERT_TRUE(window.isOpen());
		SFontHolder blended(CGUIFreetypeFont::create(window.device(), DEJAVU_SANS, 22));
		SFontHolder opaque(CGUIFreetypeFont::create(window.device(), DEJAVU_SANS, 22));
		ASSERT_TRUE(blended && opaque);
		opaque->setTransparency(false);
		drawFrames(window.device(), [&] {
			blended->draw(L"IIII", irr::core::recti(10, 10, 230, 45), faint);
			opaque->draw(L"IIII", irr::core::recti(10, 55, 230, 90), faint);
		});
		const SScreenshot shot = window.screenshot(std::string("font_opaque_") + driver.name);
		ASSERT_FALSE(shot.empty());
		EXPECT_NEAR(brightest(shot, irr::core::recti(0, 0, 240, 50)), 100, 16);
		EXPECT_GE(brightest(shot, irr::core::recti(0, 50, 240, 100)), 240);
	}
}
