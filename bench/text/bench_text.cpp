// Frames per second of GUI text on OpenGL: 1,000 strings of 40 glyphs a
// frame through the TrueType font, against the same strings through
// Irrlicht's built-in bitmap font; how long a new font takes until its first
// page is in its texture; and how much page texture the glyphs take. Needs an
// X display with 24-bit colour: run it as
// `xvfb-run -a -s "-screen 0 1024x768x24" bench/bench_text [font.ttf]`.
//
// The built-in font is small, and the rasteriser's time follows the pixels
// the glyph quads cover, so the ratio compares it with the TrueType size
// whose quads cover about as many pixels for these strings; the GUI's own
// size is measured beside it.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include <irrlicht.h>

#include "text/CGUIFreetypeFont.h"

namespace {

const irr::u32 SCREEN_WIDTH = 800;
const irr::u32 SCREEN_HEIGHT = 600;
const int STRINGS = 1000;
const int GLYPHS = 40;
const int WARM_UP_FRAMES = 5;
const int MEASURED_FRAMES = 20;
// Rounds alternate the two fonts; the best round of each counts, since other
// work on a shared machine only ever slows a round down.
const int ROUNDS = 7;
const int FONT_CREATIONS = 20;
const irr::u32 PIXEL_SIZE = 14;
// The sizes searched for the one that matches the bitmap font.
const irr::u32 SMALLEST_MATCHED_SIZE = 6;
const irr::u32 LARGEST_PIXEL_SIZE = 256;
const irr::u32 LATIN_1_END = 256;
const char* const DEFAULT_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

struct SLine
{
	irr::core::stringw text;
	irr::core::recti where;
};

std::vector<SLine> makeLines()
{
	const wchar_t alphabet[] = L"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.,;:!?()-";
	std::mt19937 random(7);
	std::uniform_int_distribution<int> letter(0, sizeof(alphabet) / sizeof(wchar_t) - 2);
	std::uniform_int_distribution<int> x(0, SCREEN_WIDTH - 300);
	std::uniform_int_distribution<int> y(0, SCREEN_HEIGHT - 20);
	std::vector<SLine> lines(STRINGS);
	for (SLine& line : lines)
	{
		for (int i = 0; i < GLYPHS; ++i)
			line.text.append(alphabet[letter(random)]);
		const irr::core::vector2di corner(x(random), y(random));
		line.where = irr::core::recti(corner, irr::core::dimension2du(400, 20));
	}
	return lines;
}

double framesPerSecond(irr::IrrlichtDevice* device, irr::gui::IGUIFont* font, const std::vector<SLine>& lines)
{
	irr::video::IVideoDriver* driver = device->getVideoDriver();
	const irr::video::SColor white(255, 255, 255, 255);
	auto frame = [&] {
		device->run();
		driver->beginScene(true, true, irr::video::SColor(255, 0, 0, 0));
		for (const SLine& line : lines)
			font->draw(line.text, line.where, white);
		driver->endScene();
	};
	for (int i = 0; i < WARM_UP_FRAMES; ++i)
		frame();
	const auto start = std::chrono::steady_clock::now();
	for (int i = 0; i < MEASURED_FRAMES; ++i)
		frame();
	const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
	return MEASURED_FRAMES / elapsed.count();
}

// What the strings take through one font: pixels of glyph quads a frame and
// the average extent of a string.
struct SCoverage
{
	double quadPixels = 0;
	double width = 0;
	double height = 0;
};

template <typename QuadArea>
SCoverage coverageOf(irr::gui::IGUIFont* font, const std::vector<SLine>& lines, QuadArea quadArea)
{
	SCoverage coverage;
	for (const SLine& line : lines)
	{
		for (irr::u32 i = 0; i < line.text.size(); ++i)
			coverage.quadPixels += quadArea(line.text[i]);
		const irr::core::dimension2du extent = font->getDimension(line.text.c_str());
		coverage.width += extent.Width;
		coverage.height += extent.Height;
	}
	coverage.width /= lines.size();
	coverage.height /= lines.size();
	return coverage;
}

SCoverage coverageOf(irr::gui::CGUIFreetypeFont* font, const std::vector<SLine>& lines)
{
	return coverageOf(font, lines, [font](wchar_t c) {
		const irr::gui::SGUIFreetypeGlyph* glyph = font->getGlyph(font->getGlyphIndexByChar(c));
		return glyph && glyph->Loaded ? glyph->SourceRect.getArea() : 0;
	});
}

// Zero pixels when the font is no bitmap font.
SCoverage coverageOf(irr::gui::IGUIFont* font, const std::vector<SLine>& lines)
{
	irr::gui::IGUIFontBitmap* bitmap = font->getType() == irr::gui::EGFT_BITMAP
		? static_cast<irr::gui::IGUIFontBitmap*>(font)
		: 0;
	return coverageOf(font, lines, [bitmap](wchar_t c) {
		if (!bitmap || !bitmap->getSpriteBank())
			return 0;
		irr::gui::IGUISpriteBank* bank = bitmap->getSpriteBank();
		const irr::u32 sprite = bitmap->getSpriteNoFromChar(&c);
		if (sprite >= bank->getSprites().size() || bank->getSprites()[sprite].Frames.empty())
			return 0;
		const irr::u32 rect = bank->getSprites()[sprite].Frames[0].rectNumber;
		return rect < bank->getPositions().size() ? bank->getPositions()[rect].getArea() : 0;
	});
}

// The TrueType size whose glyph quads for the strings cover the pixel count
// closest to `quadPixels`; 0 when no font of those sizes loads.
irr::u32 matchingPixelSize(
	irr::IrrlichtDevice* device, const char* fontFile, const std::vector<SLine>& lines, double quadPixels)
{
	irr::u32 best = 0;
	double bestDifference = 0;
	for (irr::u32 size = SMALLEST_MATCHED_SIZE; size <= PIXEL_SIZE; ++size)
	{
		irr::gui::CGUIFreetypeFont* font = irr::gui::CGUIFreetypeFont::create(device, fontFile, size);
		if (!font)
			continue;
		const double difference = std::abs(coverageOf(font, lines).quadPixels - quadPixels);
		font->drop();
		if (best == 0 || difference < bestDifference)
		{
			best = size;
			bestDifference = difference;
		}
	}
	return best;
}

const char* formatName(irr::video::ECOLOR_FORMAT format)
{
	switch (format)
	{
	case irr::video::ECF_A1R5G5B5:
		return "A1R5G5B5";
	case irr::video::ECF_R5G6B5:
		return "R5G6B5";
	case irr::video::ECF_R8G8B8:
		return "R8G8B8";
	case irr::video::ECF_A8R8G8B8:
		return "A8R8G8B8";
	default:
		return "another format";
	}
}

std::string describe(const SCoverage& coverage, const irr::video::ITexture* texture)
{
	char text[192];
	std::snprintf(text, sizeof text,
		"%.2f million px of glyph quads a frame, strings %.0f x %.0f px on average, glyphs from a %u x %u %s texture",
		coverage.quadPixels / 1e6, coverage.width, coverage.height, texture ? texture->getSize().Width : 0,
		texture ? texture->getSize().Height : 0, texture ? formatName(texture->getColorFormat()) : "no");
	return text;
}

const irr::video::ITexture* bitmapTexture(irr::gui::IGUIFont* font)
{
	if (font->getType() != irr::gui::EGFT_BITMAP)
		return 0;
	irr::gui::IGUISpriteBank* bank = static_cast<irr::gui::IGUIFontBitmap*>(font)->getSpriteBank();
	return bank && bank->getTextureCount() ? bank->getTexture(0) : 0;
}

// Bytes of every page texture, as the driver holds them.
double pageMebibytes(const irr::gui::CGUIFreetypeFont& font)
{
	double bytes = 0;
	for (irr::u32 i = 0; i < font.getPageCount(); ++i)
	{
		const irr::video::ITexture* texture = font.getPageTextureByIndex(i);
		const irr::u32 bits = texture ? irr::video::IImage::getBitsPerPixelFromFormat(texture->getColorFormat()) : 32;
		bytes += static_cast<double>(font.getPageSize(i).getArea()) * bits / 8;
	}
	return bytes / (1024.0 * 1024.0);
}

std::string pageSizes(const irr::gui::CGUIFreetypeFont& font)
{
	std::string sizes = std::to_string(font.getPageCount());
	for (irr::u32 i = 0; i < font.getPageCount(); ++i)
	{
		const irr::core::dimension2du size = font.getPageSize(i);
		sizes += (i == 0 ? " (" : ", ") + std::to_string(size.Width) + " x " + std::to_string(size.Height);
	}
	return font.getPageCount() ? sizes + ")" : sizes;
}

} // namespace

int main(int argc, char** argv)
{
	const char* fontFile = argc > 1 ? argv[1] : DEFAULT_FONT;
	irr::SIrrlichtCreationParameters parameters;
	parameters.DriverType = irr::video::EDT_OPENGL;
	parameters.WindowSize = irr::core::dimension2du(SCREEN_WIDTH, SCREEN_HEIGHT);
	parameters.Bits = 32;
	parameters.LoggingLevel = irr::ELL_WARNING;
	irr::IrrlichtDevice* device = irr::createDeviceEx(parameters);
	if (!device)
	{
		std::fprintf(stderr, "no OpenGL window: run under xvfb-run with a 24-bit screen\n");
		return 1;
	}

	// Creating the font renders characters 0 to 126; the first draw uploads them.
	double creating = 0;
	double uploading = 0;
	for (int i = 0; i < FONT_CREATIONS; ++i)
	{
		const auto start = std::chrono::steady_clock::now();
		irr::gui::CGUIFreetypeFont* font = irr::gui::CGUIFreetypeFont::create(device, fontFile, PIXEL_SIZE);
		const auto created = std::chrono::steady_clock::now();
		if (!font)
		{
			std::fprintf(stderr, "cannot load %s\n", fontFile);
			device->drop();
			return 1;
		}
		font->uploadDirtyPages();
		const auto uploaded = std::chrono::steady_clock::now();
		creating += std::chrono::duration<double, std::milli>(created - start).count();
		uploading += std::chrono::duration<double, std::milli>(uploaded - created).count();
		font->drop();
	}

	const std::vector<SLine> lines = makeLines();
	irr::gui::IGUIFont* builtIn = device->getGUIEnvironment()->getBuiltInFont();
	const SCoverage bitmapCoverage = coverageOf(builtIn, lines);
	const irr::u32 matchedSize = matchingPixelSize(device, fontFile, lines, bitmapCoverage.quadPixels);
	irr::gui::CGUIFreetypeFont* matched = irr::gui::CGUIFreetypeFont::create(device, fontFile, matchedSize);
	irr::gui::CGUIFreetypeFont* font = irr::gui::CGUIFreetypeFont::create(device, fontFile, PIXEL_SIZE);
	if (!matched || !font)
	{
		std::fprintf(stderr, "cannot load %s at %u and %u px\n", fontFile, matchedSize, PIXEL_SIZE);
		if (matched)
			matched->drop();
		if (font)
			font->drop();
		device->drop();
		return 1;
	}
	const SCoverage matchedCoverage = coverageOf(matched, lines);
	const SCoverage guiCoverage = coverageOf(font, lines);
	double trueType = 0;
	double bitmap = 0;
	double guiSize = 0;
	for (int round = 0; round < ROUNDS; ++round)
	{
		trueType = std::max(trueType, framesPerSecond(device, matched, lines));
		bitmap = std::max(bitmap, framesPerSecond(device, builtIn, lines));
		guiSize = std::max(guiSize, framesPerSecond(device, font, lines));
	}
	const std::string pages = pageSizes(*font);
	const std::string bitmapDrawn = describe(bitmapCoverage, bitmapTexture(builtIn));
	const std::string matchedDrawn = describe(matchedCoverage, matched->getPageTextureByIndex(0));
	const std::string guiDrawn = describe(guiCoverage, font->getPageTextureByIndex(0));
	matched->drop();
	font->drop();

	// Latin-1 as text asks for it, one character after the other.
	irr::gui::CGUIFreetypeFont* largest = irr::gui::CGUIFreetypeFont::create(device, fontFile, LARGEST_PIXEL_SIZE);
	double largestMebibytes = 0;
	std::string largestPages = "none";
	if (largest)
	{
		for (irr::u32 c = 0; c < LATIN_1_END; ++c)
			largest->getGlyphIndexByChar(c);
		largest->uploadDirtyPages();
		largestMebibytes = pageMebibytes(*largest);
		largestPages = pageSizes(*largest);
		largest->drop();
	}

	std::printf("%d strings of %d glyphs a frame, %u x %u, OpenGL, best of %d rounds; both fonts draw the same "
				"strings, one glyph quad a character, one image batch a string\n",
		STRINGS, GLYPHS, SCREEN_WIDTH, SCREEN_HEIGHT, ROUNDS);
	std::printf("built-in bitmap font: %s\n", bitmapDrawn.c_str());
	std::printf("TrueType font: %s at %u px, the size whose quads cover about as many pixels: %s\n", fontFile,
		matchedSize, matchedDrawn.c_str());
	std::printf("TrueType font: %.1f frames/s, %.2f ms/frame\n", trueType, 1000.0 / trueType);
	std::printf("built-in bitmap font: %.1f frames/s, %.2f ms/frame\n", bitmap, 1000.0 / bitmap);
	std::printf("time ratio TrueType / bitmap font: %.2f (goal: at most 1.1)\n", bitmap / trueType);
	std::printf("TrueType font at the GUI's %u px (%s): %.1f frames/s, %.2f ms/frame, "
				"time ratio to the bitmap font %.2f\n",
		PIXEL_SIZE, guiDrawn.c_str(), guiSize, 1000.0 / guiSize, bitmap / guiSize);
	std::printf("pages at %u px: %s\n", PIXEL_SIZE, pages.c_str());
	std::printf("page memory at %u px (MiB): %.1f for Latin-1 in %s (goal: at most 32)\n", LARGEST_PIXEL_SIZE,
		largestMebibytes, largestPages.c_str());
	std::printf("new font, characters 0-126 rendered: %.2f ms; first pages uploaded: %.2f ms more\n",
		creating / FONT_CREATIONS, uploading / FONT_CREATIONS);
	device->drop();
	return 0;
}
