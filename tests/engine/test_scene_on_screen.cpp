#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include <gtest/gtest.h>
#include <angelscript.h>
#include <irrlicht.h>

#include "engine/CGameEngine.h"
#include "engine/EngineTeardown.h"
#include "script/CScriptManager.h"
#include "support/XServer.h"
#include "support/engine_fixture.h"

using namespace orv;
using namespace AngelScript;

namespace {

const int WIDTH = 320;
const int HEIGHT = 240;

struct SRgb
{
	int r, g, b;
};

// An uncompressed 32-bit TGA of one colour, fully opaque.
std::string solidTga(int width, int height, SRgb left, SRgb right)
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
			const SRgb& c = x < width / 2 ? left : right;
			bytes += static_cast<char>(c.b);
			bytes += static_cast<char>(c.g);
			bytes += static_cast<char>(c.r);
			bytes += static_cast<char>(0xFF);
		}
	return bytes;
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
		test::CXvfb server;
		ASSERT_TRUE(server.isRunning());
		::setenv("DISPLAY", server.display().c_str(), 1);

		test::CTempFolder folder;
		folder.write("settings.ini", std::string("[Window]\ndriver = ") + c.driver + "\nwidth = " +
			std::to_string(WIDTH) + "\nheight = " + std::to_string(HEIGHT) + "\n");
		folder.write("magenta.tga", solidTga(32, 32, {255, 0, 255}, {255, 0, 255}));
		folder.write("tiles.tga", solidTga(32, 16, {0, 255, 0}, {0, 0, 255}));
		folder.write("hero.tga", solidTga(16, 16, {255, 255, 0}, {255, 255, 0}));
		folder.write("walk.gani", "GANI0001SPRITE 1 hero.tga 0 0 16 16 body\nSINGLEDIRECTION\nLOOP\nANI\n1 24 48\n"
		                          "ANIEND\n");
		SEngineEnd end;
		SEngineLaunch launch;
		launch.programDirectory = irr::core::ustring16(folder.path().c_str()).toWCHAR_s();
		CGameEngine::setLaunch(launch);
		CGameEngine* engine = CGameEngine::getInstance();
		ASSERT_TRUE(engine && engine->init());
		engine->getDevice()->getGUIEnvironment()->clear();
		engine->setGameRunning(true);

		asIScriptEngine* scripts = engine->getScriptManager()->getEngine();
		scripts->RegisterGlobalFunction("bool check(bool, const string &in)", asFUNCTION(scriptCheck), asCALL_CDECL);
		AngelScript::asIScriptModule* module = scripts->GetModule("scene test", AngelScript::asGM_ALWAYS_CREATE);
		module->AddScriptSection("scene", SCENE_SCRIPT);
		ASSERT_GE(module->Build(), 0);
		AngelScript::asIScriptContext* context = scripts->CreateContext();
		context->Prepare(module->GetFunctionByDecl("void main()"));
		EXPECT_EQ(context->Execute(), AngelScript::asEXECUTION_FINISHED);
		context->Release();

		for (int frame = 0; frame < 20; ++frame) {
			ASSERT_TRUE(engine->update());
			engine->render();
			std::this_thread::sleep_for(std::chrono::milliseconds(20));
		}

		const unsigned long window = test::x11::waitForWindow(server.display(), "Orv 0.0.1 [", 10000);
		ASSERT_NE(window, 0u);
		const std::string artifacts = std::string(ORV_BINARY_DIR) + "/tests/artifacts/";
		std::filesystem::create_directories(artifacts);
		const std::string shot = artifacts + "scene_on_screen_" + c.driver + ".png";
		test::runCommand("xwd -display " + server.display() + " -id " + std::to_string(window) +
			" -silent | convert xwd:- " + shot);
		const std::string rgb = test::runCommand("convert " + shot + " -depth 8 rgb:-");
		ASSERT_GE(rgb.size(), static_cast<size_t>(WIDTH * HEIGHT * 3)) << "no screenshot at " << shot;

		for (const SPixel& p : pixels) {
			const size_t at = (static_cast<size_t>(p.y) * WIDTH + p.x) * 3;
			const SRgb seen = {static_cast<unsigned char>(rgb[at]), static_cast<unsigned char>(rgb[at + 1]),
				static_cast<unsigned char>(rgb[at + 2])};
			// The software renderer may keep fewer bits a channel.
			const bool near = std::abs(seen.r - p.colour.r) < 16 && std::abs(seen.g - p.colour.g) < 16 &&
				std::abs(seen.b - p.colour.b) < 16;
			EXPECT_TRUE(near) << p.what << " at (" << p.x << ", " << p.y << ") is (" << seen.r << ", " << seen.g
			                  << ", " << seen.b << "); screenshot " << shot;
		}
	}
}
