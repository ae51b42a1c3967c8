// Frames per second of GUI text on OpenGL: 1,000 strings of 40 glyphs a
// frame through the TrueType font, against the same strings through
// Irrlicht's built-in bitmap font; how long a new font takes until its first
// page is in its texture; and how much page texture the glyphs take. Needs an X display with 24-bit colour: run it
// as `xvfb-run -a -s "-screen 0 1024x768x24" bench/bench_text [font.ttf]`.

#include <algorithm>
#include <chrono>
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
	for (SLine& line : lines) {
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

// Bytes of every page texture, as the driver holds them.
double pageMebibytes(const irr::gui::CGUIFreetypeFont& font)
{
	double bytes = 0;
	for (irr::u32 i = 0; i < font.getPageCount(); ++i) {
		const irr::video::ITexture* texture = font.getPageTextureByIndex(i);
		const irr::u32 bits = texture ? irr::video::IImage::getBitsPerPixelFromFormat(texture->getColorFormat()) : 32;
		bytes += static_cast<double>(font.getPageSize(i).getArea()) * bits / 8;
	}
	return bytes / (1024.0 * 1024.0);
}

std::string pageSizes(const irr::gui::CGUIFreetypeFont& font)
{
	std::string sizes = std::to_string(font.getPageCount());
	for (irr::u32 i = 0; i < font.getPageCount(); ++i) {
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
	if (!device) {
		std::fprintf(stderr, "no OpenGL window: run under xvfb-run with a 24-bit screen\n");
		return 1;
	}

	// Creating the font renders characters 0 to 126; the first draw uploads them.
	double creating = 0;
	double uploading = 0;
	for (int i = 0; i < FONT_CREATIONS; ++i) {
		const auto start = std::chrono::steady_clock::now();
		irr::gui::CGUIFreetypeFont* font = irr::gui::CGUIFreetypeFont::create(device, fontFile, PIXEL_SIZE);
		const auto created = std::chrono::steady_clock::now();
		if (!font) {
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
	irr::gui::CGUIFreetypeFont* font = irr::gui::CGUIFreetypeFont::create(device, fontFile, PIXEL_SIZE);
	irr::gui::IGUIFont* builtIn = device->getGUIEnvironment()->getBuiltInFont();
	double trueType = 0;
	double bitmap = 0;
	for (int round = 0; round < ROUNDS; ++round) {
		trueType = std::max(trueType, framesPerSecond(device, font, lines));
		bitmap = std::max(bitmap, framesPerSecond(device, builtIn, lines));
	}
	const std::string pages = pageSizes(*font);
	font->drop();

	// Latin-1 as text asks for it, one character after the other.
	irr::gui::CGUIFreetypeFont* largest = irr::gui::CGUIFreetypeFont::create(device, fontFile, LARGEST_PIXEL_SIZE);
	double largestMebibytes = 0;
	std::string largestPages = "none";
	if (largest) {
		for (irr::u32 c = 0; c < LATIN_1_END; ++c)
			largest->getGlyphIndexByChar(c);
		largest->uploadDirtyPages();
		largestMebibytes = pageMebibytes(*largest);
		largestPages = pageSizes(*largest);
		largest->drop();
	}

	std::printf("%d strings of %d glyphs a frame, %u x %u, OpenGL (%s at %u px), best of %d rounds\n", STRINGS, GLYPHS,
		SCREEN_WIDTH, SCREEN_HEIGHT, fontFile, PIXEL_SIZE, ROUNDS);
	std::printf("TrueType font: %.1f frames/s, %.2f ms/frame\n", trueType, 1000.0 / trueType);
	std::printf("built-in bitmap font: %.1f frames/s, %.2f ms/frame\n", bitmap, 1000.0 / bitmap);
	std::printf("time ratio TrueType / bitmap font: %.2f (goal: at most 1.1)\n", bitmap / trueType);
	std::printf("pages at %u px: %s\n", PIXEL_SIZE, pages.c_str());
	std::printf("page memory at %u px (MiB): %.1f for Latin-1 in %s (goal: at most 32)\n", LARGEST_PIXEL_SIZE,
		largestMebibytes, largestPages.c_str());
	std::printf("new font, characters 0-126 rendered: %.2f ms; first pages uploaded: %.2f ms more\n",
		creating / FONT_CREATIONS, uploading / FONT_CREATIONS);
	device->drop();
	return 0;
}
