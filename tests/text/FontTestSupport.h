#pragma once
// What the font tests share: the system fonts they use, a device whose log
// lines are kept, and FreeType's own answers to compare the font with.

#include <string>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <gtest/gtest.h>
#include <irrlicht.h>

#include "base/Log.h"
#include "text/CGUIFreetypeFont.h"
#include "text/SGUIFreetypeFace.h"

namespace orv {
namespace test {

const char* const DEJAVU_SANS = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const char* const DEJAVU_SERIF = "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf";
// Has no U+FFFD.
const char* const DEJAVU_MATH = "/usr/share/fonts/truetype/dejavu/DejaVuMathTeXGyre.ttf";
const char* const FREE_SANS = "/usr/share/fonts/truetype/freefont/FreeSans.ttf";

//! Keeps the log lines a device's logger passes to its event receiver.
class CLogKeeper : public irr::IEventReceiver
{
public:
	std::vector<std::string> lines;
	std::vector<irr::ELOG_LEVEL> levels;

	bool OnEvent(const irr::SEvent& event) override
	{
		if (event.EventType != irr::EET_LOG_TEXT_EVENT)
			return false;
		lines.push_back(event.LogEvent.Text);
		levels.push_back(event.LogEvent.Level);
		return true;
	}
	bool has(const std::string& line) const
	{
		for (const std::string& kept : lines)
			if (kept == line)
				return true;
		return false;
	}
};

//! Fonts on the null driver: textures report 0 x 0 and do not lock, so glyph
//! pictures never leave their pages' waiting lists. Every font a test makes
//! must be gone at its end, and FreeType closed with the last.
class NullDeviceFontTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		device = irr::createDevice(
			irr::video::EDT_NULL, irr::core::dimension2du(640, 480), 16, false, false, false, &log);
		ASSERT_NE(device, nullptr);
		orv::setLogger(device->getLogger());
	}
	void TearDown() override
	{
		orv::setLogger(nullptr);
		EXPECT_EQ(irr::gui::getSharedFaceCount(), 0u) << "a font was not dropped";
		EXPECT_FALSE(irr::gui::isFreetypeLibraryOpen());
		if (device)
			device->drop();
	}

	irr::gui::CGUIFreetypeFont* create(const std::string& path, irr::u32 size)
	{
		return irr::gui::CGUIFreetypeFont::create(device, path.c_str(), size);
	}

	CLogKeeper log;
	irr::IrrlichtDevice* device = nullptr;
};

//! Fonts are dropped however a test leaves.
struct SFontHolder
{
	irr::gui::CGUIFreetypeFont* font = nullptr;
	explicit SFontHolder(irr::gui::CGUIFreetypeFont* created) : font(created) {}
	~SFontHolder()
	{
		if (font)
			font->drop();
	}
	SFontHolder(const SFontHolder&) = delete;
	SFontHolder& operator=(const SFontHolder&) = delete;
	irr::gui::CGUIFreetypeFont* operator->() const { return font; }
	explicit operator bool() const { return font != nullptr; }
};

//! FreeType's rendering of one character, as the font's page should hold it.
struct SFreetypeGlyph
{
	bool found = false;
	irr::u32 glyphIndex = 0;
	int width = 0;
	int rows = 0;
	int left = 0;
	int top = 0;
	long advanceX = 0; // 26.6
	//! Coverage as the font turns it into alpha, row by row.
	std::vector<irr::u8> alpha;
};

//! A FreeType face of its own, apart from the font's shared ones.
class CFreetypeReference
{
public:
	CFreetypeReference(const char* path, irr::u32 pixelSize)
	{
		if (FT_Init_FreeType(&Library) != 0)
			return;
		if (FT_New_Face(Library, path, 0, &Face) != 0)
		{
			Face = nullptr;
			return;
		}
		FT_Set_Pixel_Sizes(Face, pixelSize, pixelSize);
	}
	~CFreetypeReference()
	{
		if (Face)
			FT_Done_Face(Face);
		if (Library)
			FT_Done_FreeType(Library);
	}
	CFreetypeReference(const CFreetypeReference&) = delete;
	CFreetypeReference& operator=(const CFreetypeReference&) = delete;

	bool isOpen() const { return Face != nullptr; }
	FT_Face face() const { return Face; }

	SFreetypeGlyph renderGlyphIndex(irr::u32 index, FT_Int32 flags = FT_LOAD_RENDER) const
	{
		SFreetypeGlyph glyph;
		if (!Face || FT_Load_Glyph(Face, index, flags) != 0)
			return glyph;
		const FT_Bitmap& bitmap = Face->glyph->bitmap;
		glyph.found = true;
		glyph.glyphIndex = index;
		glyph.width = static_cast<int>(bitmap.width);
		glyph.rows = static_cast<int>(bitmap.rows);
		glyph.left = Face->glyph->bitmap_left;
		glyph.top = Face->glyph->bitmap_top;
		glyph.advanceX = Face->glyph->advance.x;
		for (int y = 0; y < glyph.rows; ++y)
		{
			const unsigned char* row = bitmap.buffer + y * bitmap.pitch;
			for (int x = 0; x < glyph.width; ++x)
			{
				if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO)
					glyph.alpha.push_back((row[x / 8] & (0x80 >> (x % 8))) ? 255 : 0);
				else
					glyph.alpha.push_back(static_cast<irr::u8>(row[x] * 255u / bitmap.num_grays));
			}
		}
		return glyph;
	}
	SFreetypeGlyph render(irr::u32 c, FT_Int32 flags = FT_LOAD_RENDER) const
	{
		return Face ? renderGlyphIndex(FT_Get_Char_Index(Face, c), flags) : SFreetypeGlyph();
	}
	//! FreeType's horizontal kerning of a pair in whole pixels.
	int kerning(irr::u32 left, irr::u32 right) const
	{
		FT_Vector pair = {0, 0};
		FT_Get_Kerning(Face, FT_Get_Char_Index(Face, left), FT_Get_Char_Index(Face, right), FT_KERNING_DEFAULT, &pair);
		return static_cast<int>(pair.x / 64);
	}

private:
	FT_Library Library = nullptr;
	FT_Face Face = nullptr;
};

} // namespace test
} // namespace orv
