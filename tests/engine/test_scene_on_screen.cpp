#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>

#include <gtest/gtest.h>
#include <angelscript.h>
#include <irrlicht.h>

#include "engine/CGameEngine.h"
#include "engine/EngineTeardown.h"
#include "scene/CCameraManager.h"
#include "scene/CImageBatch.h"
#include "script/CScriptManager.h"
#include "support/XServer.h"
#include "support/engine_fixture.h"
#include "world/CSceneObject.h"

using namespace orv;
using namespace AngelScript;

namespace {

const int WIDTH = 320;
const int HEIGHT = 240;

struct SRgb
{
	int r, g, b;
};

// An uncompressed 32-bit TGA; the function gives each pixel's colour and alpha.
std::string tga(int width, int height, const std::function<SRgb(int x, int y)>& colour,
	const std::function<int(int x, int y)>& alpha)
{
	std::string bytes(18, '\0');
	bytes[2] = 2;
	bytes[12] = static_cast<char>(width & 0xFF);
	bytes[13] = static_cast<char>(width >> 8);
	bytes[14] = static_cast<char>(height & 0xFF);
	bytes[15] = static_cast<char>(height >> 8);
	bytes[16] = 32;
	bytes[17] = 0x28; // top-left origin, 8 alpha bits
	for (int y = 0; y < height; ++y)
		for (int x = 0; x < width; ++x) {
			const SRgb c = colour(x, y);
			bytes += static_cast<char>(c.b);
			bytes += static_cast<char>(c.g);
			bytes += static_cast<char>(c.r);
			bytes += static_cast<char>(alpha(x, y));
		}
	return bytes;
}

// Fully opaque, the left half in one colour and the right half in another.
std::string solidTga(int width, int height, SRgb left, SRgb right)
{
	return tga(
		width, height, [&](int x, int) { return x < width / 2 ? left : right; }, [](int, int) { return 0xFF; });
}

// Draws frames with the image nodes batched or each by itself, then takes the
// window's screenshot from the X server.
std::string drawAndShoot(CGameEngine& engine, const std::string& display, bool batched, const std::string& shot)
{
	CImageBatch::setEnabled(batched);
	for (int frame = 0; frame < 10; ++frame) {
		engine.update();
		engine.render();
		std::this_thread::sleep_for(std::chrono::milliseconds(20));
	}
	CImageBatch::setEnabled(true);
	const unsigned long window = test::x11::waitForWindow(display, "Orv 0.0.1 [", 10000);
	return window ? test::x11::screenshotRgb(display, window, shot) : std::string();
}

size_t differingPixels(const std::string& a, const std::string& b)
{
	if (a.size() != b.size())
		return std::max(a.size(), b.size()) / 3;
	size_t count = 0;
	for (size_t i = 0; i + 2 < a.size(); i += 3)
		if (a.compare(i, 3, b, i, 3) != 0)
			++count;
	return count;
}

std::string artifact(const std::string& name)
{
	const std::string folder = std::string(ORV_BINARY_DIR) + "/tests/artifacts/";
	std::filesystem::create_directories(folder);
	return folder + name;
}

// The scene the script makes, in world pixels. The camera follows the static
// object, so world (x, y) lands on screen (x - 100 + WIDTH / 2, y - 50 + HEIGHT / 2).
const char* const SCENE_SCRIPT = R"(
void main()
{
	StaticSceneObject@ s = cast<StaticSceneObject>(Engine.create_sceneobject("", ESOT_STATIC));
	s.Image = "magenta.tga";
	s.Position = vector3df(100, 50, 10);

	AnimatedSceneObject@ a = cast<AnimatedSceneObject>(Engine.create_sceneobject("", ESOT_ANIMATED));
	a.set_attribute("hero.tga", "hero.tga");
	check(a.set_animation("walk.gani"), "animation");
	a.Position = vector3df(150, 90, 10);

	TiledSceneObject@ m = cast<TiledSceneObject>(Engine.create_sceneobject("", ESOT_TILED));
	m.Tileset = "tiles.tga";
	m.Tileset_Tile_Dimension = dimension2di(16, 16);
	m.Tile_Dimension = dimension2di(2, 1);
	array<uint8> tiles = {0, 0, 1, 0};
	@m.Tiles = tiles;
	m.Position = vector3df(40, 50, 10);

	@Camera.Follow = s;
}
)";

bool scriptCheck(bool ok, const irr::core::ustring16& what)
{
	if (!ok)
		ADD_FAILURE() << "script check failed: " << what.toUTF8_std();
	return ok;
}

// Ends the engine and its world however the test leaves.
struct SEngineEnd
{
	std::filesystem::path previousDirectory = std::filesystem::current_path();
	~SEngineEnd()
	{
		tearDownSingletons();
		CGameEngine::setLaunch(SEngineLaunch());
		std::error_code ignored;
		std::filesystem::current_path(previousDirectory, ignored);
		::unsetenv("DISPLAY");
	}
};

// A private X server, a folder with the window settings for the driver and
// the given files, and the engine started there with its front end cleared
// and a game running. Torn down in reverse: the engine first.
struct SWindowedEngine
{
	test::CXvfb server;
	test::CTempFolder folder;
	std::unique_ptr<SEngineEnd> end;
	CGameEngine* engine = nullptr;

	bool start(const char* driver, const std::map<std::string, std::string>& files)
	{
		if (!server.isRunning())
			return false;
		::setenv("DISPLAY", server.display().c_str(), 1);
		folder.write("settings.ini", std::string("[Window]\ndriver = ") + driver + "\nwidth = " +
			std::to_string(WIDTH) + "\nheight = " + std::to_string(HEIGHT) + "\n");
		for (const auto& file : files)
			folder.write(file.first, file.second);
		end.reset(new SEngineEnd);
		SEngineLaunch launch;
		launch.programDirectory = irr::core::ustring16(folder.path().c_str()).toWCHAR_s();
		CGameEngine::setLaunch(launch);
		engine = CGameEngine::getInstance();
		if (!engine || !engine->init())
			return false;
		engine->getDevice()->getGUIEnvironment()->clear();
		engine->setGameRunning(true);
		return true;
	}

	// The batched picture, after checking that drawing each node by itself
	// gives the same one pixel for pixel. Screenshots are kept as artifacts.
	std::string shootBatchedAndSingle(const std::string& name)
	{
		const std::string shot = artifact(name + ".png");
		const std::string batched = drawAndShoot(*engine, server.display(), true, shot);
		EXPECT_GE(batched.size(), static_cast<size_t>(WIDTH * HEIGHT * 3)) << "no screenshot at " << shot;
		const std::string single = artifact(name + "_unbatched.png");
		EXPECT_EQ(differingPixels(batched, drawAndShoot(*engine, server.display(), false, single)), 0u)
			<< "batched " << shot << " against each node by itself " << single;
		return batched;
	}
};

struct SPixel
{
	const char* what;
	int x, y;
	SRgb colour;
};

} // namespace

TEST(SceneOnScreen, ScriptMadeSceneIsDrawnWhereTheCameraPutsIt)
{
	struct Case
	{
		const char* driver;
	};
	const Case cases[] = {{"software"}, {"opengl"}};
	test::keepGraphicsLibrariesLoaded();
	const SPixel pixels[] = {
		{"clear colour", 5, 5, {255, 0, 0}},
		{"static image at the camera's centre", 160, 120, {255, 0, 255}},
		{"static image's corner", 145, 105, {255, 0, 255}},
		{"tile 0 of the map", 92, 120, {0, 255, 0}},
		{"tile 1 of the map", 108, 120, {0, 0, 255}},
		{"sprite, its (24, 48) on the node", 218, 168, {255, 255, 0}},
		{"outside the sprite", 230, 168, {255, 0, 0}},
	};

	for (const Case& c : cases) {
		SCOPED_TRACE(c.driver);
		SWindowedEngine window;
		ASSERT_TRUE(window.start(c.driver,
			{{"magenta.tga", solidTga(32, 32, {255, 0, 255}, {255, 0, 255})},
				{"tiles.tga", solidTga(32, 16, {0, 255, 0}, {0, 0, 255})},
				{"hero.tga", solidTga(16, 16, {255, 255, 0}, {255, 255, 0})},
				{"walk.gani", "GANI0001SPRITE 1 hero.tga 0 0 16 16 body\nSINGLEDIRECTION\nLOOP\nANI\n1 24 48\n"
							  "ANIEND\n"}}));
		CGameEngine* engine = window.engine;

		asIScriptEngine* scripts = engine->getScriptManager()->getEngine();
		scripts->RegisterGlobalFunction("bool check(bool, const string &in)", asFUNCTION(scriptCheck), asCALL_CDECL);
		AngelScript::asIScriptModule* module = scripts->GetModule("scene test", AngelScript::asGM_ALWAYS_CREATE);
		module->AddScriptSection("scene", SCENE_SCRIPT);
		ASSERT_GE(module->Build(), 0);
		AngelScript::asIScriptContext* context = scripts->CreateContext();
		context->Prepare(module->GetFunctionByDecl("void main()"));
		EXPECT_EQ(context->Execute(), AngelScript::asEXECUTION_FINISHED);
		context->Release();

		for (int frame = 0; frame < 10; ++frame) {
			ASSERT_TRUE(engine->update());
			engine->render();
			std::this_thread::sleep_for(std::chrono::milliseconds(20));
		}

		const std::string rgb = window.shootBatchedAndSingle(std::string("scene_on_screen_") + c.driver);
		ASSERT_GE(rgb.size(), static_cast<size_t>(WIDTH * HEIGHT * 3));

		for (const SPixel& p : pixels) {
			const size_t at = (static_cast<size_t>(p.y) * WIDTH + p.x) * 3;
			const SRgb seen = {static_cast<unsigned char>(rgb[at]), static_cast<unsigned char>(rgb[at + 1]),
				static_cast<unsigned char>(rgb[at + 2])};
			// The software renderer may keep fewer bits a channel.
			const bool near = std::abs(seen.r - p.colour.r) < 16 && std::abs(seen.g - p.colour.g) < 16 &&
				std::abs(seen.b - p.colour.b) < 16;
			EXPECT_TRUE(near) << p.what << " at (" << p.x << ", " << p.y << ") is (" << seen.r << ", " << seen.g
			                  << ", " << seen.b << ")";
		}
	}
}

TEST(SceneOnScreen, OverlappingSemiTransparentImagesOfTwoTexturesLookTheSameBatched)
{
	struct Case
	{
		const char* driver;
	};
	const Case cases[] = {{"software"}, {"opengl"}};
	test::keepGraphicsLibrariesLoaded();
	// Alpha steps across the images: fully opaque, just under it, half, none.
	const int alphas[] = {255, 254, 253, 200, 128, 0};
	const auto alphaAt = [&](int x, int y) { return alphas[(x / 3 + y / 4) % 6]; };

	for (const Case& c : cases) {
		SCOPED_TRACE(c.driver);
		// Odd and even sizes, so some edges fall on pixel centres.
		SWindowedEngine window;
		ASSERT_TRUE(window.start(c.driver,
			{{"warm.tga", tga(
							  24, 24, [](int x, int y) { return SRgb{255, 8 * x, 8 * y}; }, alphaAt)},
				{"cold.tga", tga(
								 31, 17, [](int x, int y) { return SRgb{4 * y, 6 * x, 255}; }, alphaAt)}}));
		CGameEngine* engine = window.engine;

		// A row of images, the two textures taking turns, each nearer the
		// camera than the one before it and overlapping it.
		struct SPlaced
		{
			float x, y;
		};
		const SPlaced places[] = {{100, 100}, {110, 104}, {121.5f, 97}, {130, 110.5f}, {139.25f, 101}, {150, 106},
			{158, 99.75f}, {167, 103}, {176.5f, 108.5f}, {186, 100}, {100, 140}, {112, 146}};
		CSceneObject* first = nullptr;
		for (size_t i = 0; i < std::size(places); ++i) {
			CSceneObject* object = engine->createSceneObject(static_cast<irr::u32>(i + 1), ESOT_STATIC, "");
			ASSERT_NE(object, nullptr);
			object->setImage(i % 2 ? "cold.tga" : "warm.tga");
			object->setPosition(irr::core::vector3df(places[i].x, places[i].y, 20.0f - static_cast<float>(i)));
			if (!first)
				first = object;
		}
		CCameraManager::getInstance()->setFollowed(first);

		const std::string batched = window.shootBatchedAndSingle(std::string("overlapping_") + c.driver);
		ASSERT_GE(batched.size(), static_cast<size_t>(WIDTH * HEIGHT * 3));
		// The images are there at all: the camera's centre shows the first one
		// or what covers it, not the clear colour.
		const size_t centre = (static_cast<size_t>(HEIGHT / 2) * WIDTH + WIDTH / 2) * 3;
		EXPECT_FALSE(batched[centre] == '\xFF' && batched[centre + 1] == 0 && batched[centre + 2] == 0);
	}
}
