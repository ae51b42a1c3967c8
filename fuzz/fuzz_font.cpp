// The GUI's TrueType font under libFuzzer: the input is a font file that two fonts of different
// sizes open, sharing one face of the font store, then measure, lay out and draw texts of many
// scripts, render single glyphs and kern pairs; once both are gone the store must be empty.
//
// Input: [size byte][switch byte][font file]. The size byte picks the first font's pixel size
// (the second's is larger); the switch byte's bits turn monochrome, hinting, auto-hinting and
// transparency on or off, and pick the batch of characters one missing glyph renders.

#include "text/CGUIFreetypeFont.h"
#include "text/SGUIFreetypeFace.h"

#include <irrlicht.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace {

namespace fs = std::filesystem;

struct SWorld
{
	irr::IrrlichtDevice* device = nullptr;
	fs::path file;

	SWorld()
	{
		irr::SIrrlichtCreationParameters params;
		params.DriverType = irr::video::EDT_NULL;
		params.LoggingLevel = irr::ELL_NONE;
		device = irr::createDeviceEx(params);
		if (!device)
		{
			std::fprintf(stderr, "the null device does not start\n");
			std::abort();
		}
		file = fs::temp_directory_path() / ("orv-fuzz-font-" + std::to_string(std::random_device()()) + ".ttf");
	}
	~SWorld()
	{
		std::error_code error;
		fs::remove(file, error);
		device->drop();
	}
};

SWorld& world()
{
	static SWorld instance;
	return instance;
}

// Latin with kerning pairs, line breaks, Latin-1, Greek, Cyrillic, Hebrew, CJK, a code point above
// the two-byte table, a lone surrogate's replacement and the end of Unicode.
const wchar_t* const TEXTS[] = {
	L"AVAWAY To Ty LT\u00e9\u00df\u00e6",
	L"line one\r\nline two\rthree\n\n",
	L"\u03b1\u03b2\u03b3 \u0436\u044b\u0449 \u05e9\u05dc\u05d5\u05dd",
	L"\u6f22\u5b57\u304b\u306a \U0001F600\U0001D11E\uFFFD\U0010FFFF",
	L"",
};

void use(irr::gui::CGUIFreetypeFont& font, irr::video::IVideoDriver* driver)
{
	for (const wchar_t* text : TEXTS)
	{
		const irr::core::dimension2d<irr::u32> size = font.getDimension(text);
		font.getCharacterFromPos(text, static_cast<irr::s32>(size.Width / 2));
		font.getCharacterFromPos(text, -1);
		driver->beginScene(true, false, irr::video::SColor(0));
		font.draw(text, irr::core::recti(0, 0, 200, 60), irr::video::SColor(255, 255, 255, 255), true, true);
		driver->endScene();
	}
	for (const irr::core::uchar32_t c : {irr::core::uchar32_t('A'), irr::core::uchar32_t(0x416),
			 irr::core::uchar32_t(0x6f22), irr::core::uchar32_t(0x1F600)})
	{
		if (irr::video::IImage* image = font.createCharImage(c))
			image->drop();
		font.getKerningWidth(c, irr::core::uchar32_t('V'));
	}
	font.uploadDirtyPages();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const irr::u8* data, std::size_t size)
{
	if (size < 2)
		return 0;
	SWorld& w = world();
	{
		std::ofstream out(w.file, std::ios::binary | std::ios::trunc);
		out.write(reinterpret_cast<const char*>(data + 2), static_cast<std::streamsize>(size - 2));
	}
	const irr::io::path name(w.file.string().c_str());
	const irr::u32 pixelSize = irr::gui::CGUIFreetypeFont::MIN_PIXEL_SIZE + data[0] % 48;
	const irr::u8 switches = data[1];

	irr::gui::CGUIFreetypeFont* first = irr::gui::CGUIFreetypeFont::create(w.device, name, pixelSize);
	irr::gui::CGUIFreetypeFont* second = irr::gui::CGUIFreetypeFont::create(w.device, name, pixelSize + 7);
	for (irr::gui::CGUIFreetypeFont* font : {first, second})
	{
		if (!font)
			continue;
		font->setMonochrome(switches & 1);
		font->setHinting(switches & 2, switches & 4);
		font->setTransparency(switches & 8);
		font->setBatchLoadSize(1 + (switches >> 4));
		font->setInvisibleCharacters(L" \t");
		use(*font, w.device->getVideoDriver());
	}
	if (first)
		first->drop();
	if (second)
		second->drop();
	if (irr::gui::getSharedFaceCount() != 0 || irr::gui::isFreetypeLibraryOpen())
	{
		std::fprintf(stderr, "the font store keeps a face after its last font\n");
		std::abort();
	}
	return 0;
}
