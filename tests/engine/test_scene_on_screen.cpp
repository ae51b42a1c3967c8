#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include <gtest/gtest.h>
#include <angelscript.h>
#include <irrlicht.h>

#include "engine/CGameEngine.h"
#include "engine/EngineTeardown.h"
#include "scene/CImageBatch.h"
#include "script/CScriptManager.h"
#include "support/TestPictures.h"
#include "support/XServer.h"
#include "support/engine_fixture.h"

using namespace orv;
using namespace AngelScript;
using test::solidTga;
using test::SRgb;

namespace {

const int WIDTH = 320;
const int HEIGHT = 240;

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

size_t differingPixels(const test::SScreenshot& a, const test::SScreenshot& b)
{
	if (a.width != b.width || a.height != b.height || a.rgb.size() != b.rgb.size())
		return static_cast<size_t>(std::max(a.width * a.height, b.width * b.height));
	size_t count = 0;
	for (size_t i = 0; i + 2 < a.rgb.size(); i += 3)
		if (a.rgb.compare(i, 3, b.rgb, i, 3) != 0)
			++count;
	return count;
}

// Only ends a broken run: a loaded machine draws slowly.
const int SETTLE_TIMEOUT_MS = 60000;

// What a screenshot must show before the scene counts as drawn.
typedef std::function<bool(const test::SScreenshot&)> ShotCondition;

// Every scene here shows something over the clear colour; a window that is
// not drawn yet shows one colour.
bool showsMoreThanOneColour(const test::SScreenshot& shot)
{
	for (size_t i = 3; i + 2 < shot.rgb.size(); i += 3)
		if (shot.rgb.compare(i, 3, shot.rgb, 0, 3) != 0)
			return true;
	return false;
}

// Draws frames until two screenshots in a row agree and show what the
// condition asks for: the picture has settled.
test::SScreenshot drawUntilSettled(CGameEngine& engine, const std::string& display, unsigned long window,
	const ShotCondition& ready, const std::string& artifact)
{
	std::string previous;
	return test::x11::waitForScreenshot(
		display, window,
		[&](const test::SScreenshot& shot) {
			const bool settled = shot.rgb == previous && ready(shot);
			previous = shot.rgb;
			EXPECT_TRUE(engine.update());
			engine.render();
			return settled;
		},
		SETTLE_TIMEOUT_MS, artifact);
}

// Starts the engine on the driver in a private X server, with the files in
// its folder, runs the script's main() in a running game, draws frames until
// the picture settles and returns the window's screenshot (kept as an artifact named after the
// shot and the driver). A second screenshot with every image quad drawn by
// itself instead of in batches must match it pixel for pixel.
test::SScreenshot drawScript(const char* driver, const test::SandboxFiles& files, const char* script,
	const std::string& shotName, const ShotCondition& ready = showsMoreThanOneColour)
{
	test::CXvfb server;
	EXPECT_TRUE(server.isRunning());
	if (!server.isRunning())
		return test::SScreenshot();
	::setenv("DISPLAY", server.display().c_str(), 1);

	test::CTempFolder folder;
	folder.write("settings.ini",
		std::string("[Window]\ndriver = ") + driver + "\nwidth = " + std::to_string(WIDTH) +
			"\nheight = " + std::to_string(HEIGHT) + "\n");
	for (const auto& file : files)
		folder.write(file.first, file.second);
	SEngineEnd end;
	SEngineLaunch launch;
	launch.programDirectory = irr::core::ustring16(folder.path().c_str()).toWCHAR_s();
	CGameEngine::setLaunch(launch);
	CGameEngine* engine = CGameEngine::getInstance();
	EXPECT_TRUE(engine && engine->init());
	if (!engine || !engine->getDevice())
		return test::SScreenshot();
	engine->getDevice()->getGUIEnvironment()->clear();
	engine->setGameRunning(true);

	asIScriptEngine* scripts = engine->getScriptManager()->getEngine();
	scripts->RegisterGlobalFunction("bool check(bool, const string &in)", asFUNCTION(scriptCheck), asCALL_CDECL);
	AngelScript::asIScriptModule* module = scripts->GetModule("scene test", AngelScript::asGM_ALWAYS_CREATE);
	module->AddScriptSection("scene", script);
	EXPECT_GE(module->Build(), 0);
	AngelScript::asIScriptContext* context = scripts->CreateContext();
	context->Prepare(module->GetFunctionByDecl("void main()"));
	EXPECT_EQ(context->Execute(), AngelScript::asEXECUTION_FINISHED);
	context->Release();

	// The caption comes with the first frame.
	EXPECT_TRUE(engine->update());
	engine->render();
	const unsigned long window = test::x11::waitForWindow(server.display(), "Orv 0.0.1 [", SETTLE_TIMEOUT_MS);
	EXPECT_NE(window, 0u);
	const test::SScreenshot shot = drawUntilSettled(*engine, server.display(), window, ready, shotName + "_" + driver);
	EXPECT_FALSE(shot.empty()) << "no screenshot";

	CImageBatch::setEnabled(false);
	const test::SScreenshot single = drawUntilSettled(
		*engine, server.display(), window, ready, shotName + "_" + driver + "_unbatched");
	CImageBatch::setEnabled(true);
	EXPECT_EQ(differingPixels(shot, single), 0u)
		<< "batched against each node by itself: see the artifacts " << shotName << "_" << driver << "[_unbatched]";
	return shot;
}

void expectPixels(const test::SScreenshot& shot, const SPixel* begin, const SPixel* end)
{
	if (shot.empty() || shot.width != WIDTH || shot.height != HEIGHT)
		return;
	for (const SPixel* p = begin; p != end; ++p)
	{
		const SRgb seen = shot.at(p->x, p->y);
		EXPECT_TRUE(test::nearColour(seen, p->colour)) << p->what << " at (" << p->x << ", " << p->y << ") is ("
													   << seen.r << ", " << seen.g << ", " << seen.b << ")";
	}
}

// A scene is drawn once it shows every pixel the test looks at: two
// screenshots alike may fall between a node's creation and its first
// drawing, on a loaded machine too. A wrong picture ends at the deadline.
ShotCondition showsPixels(const SPixel* begin, const SPixel* end)
{
	return [begin, end](const test::SScreenshot& shot) {
		if (shot.width != WIDTH || shot.height != HEIGHT)
			return false;
		for (const SPixel* p = begin; p != end; ++p)
			if (!test::nearColour(shot.at(p->x, p->y), p->colour))
				return false;
		return true;
	};
}

const char* const DRIVERS[] = {"software", "opengl"};

} // namespace

TEST(SceneOnScreen, ScriptMadeSceneIsDrawnWhereTheCameraPutsIt)
{
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
	const test::SandboxFiles files = {
		{"magenta.tga", solidTga(32, 32, {255, 0, 255}, {255, 0, 255})},
		{"tiles.tga", solidTga(32, 16, {0, 255, 0}, {0, 0, 255})},
		{"hero.tga", solidTga(16, 16, {255, 255, 0}, {255, 255, 0})},
		{"walk.gani", "GANI0001SPRITE 1 hero.tga 0 0 16 16 body\nSINGLEDIRECTION\nLOOP\nANI\n1 24 48\nANIEND\n"},
	};
	for (const char* driver : DRIVERS)
	{
		SCOPED_TRACE(driver);
		expectPixels(drawScript(driver, files, SCENE_SCRIPT, "scene_on_screen",
						 showsPixels(std::begin(pixels), std::end(pixels))),
			std::begin(pixels), std::end(pixels));
	}
}

// A picture whose left half is green and right half blue, shown whole and,
// beside it, only its right half; a text over it.
TEST(SceneOnScreen, ScriptGUIImagesDrawTheirSourceRectangle)
{
	test::keepGraphicsLibrariesLoaded();
	const char* const script = R"(
void main()
{
	GUI.create_image("halves.tga", vector2di(20, 30));
	GUIImage@ part = GUI.create_image("halves.tga", vector2di(120, 30));
	part.SourceRect = recti(32, 0, 64, 32);
	check(part.SourceRect == recti(32, 0, 64, 32), "source rectangle");
	GUIImage@ outside = GUI.create_image("halves.tga", vector2di(220, 30));
	outside.SourceRect = recti(100, 100, 200, 200);
}
)";
	const SPixel pixels[] = {
		{"whole picture, left half", 30, 40, {0, 255, 0}},
		{"whole picture, right half", 70, 40, {0, 0, 255}},
		{"right half only, its first column", 122, 40, {0, 0, 255}},
		{"right half only, its last column", 150, 40, {0, 0, 255}},
		{"right half only, nothing behind it", 156, 40, {255, 0, 0}},
		{"a rectangle outside the picture draws nothing", 230, 40, {255, 0, 0}},
	};
	const test::SandboxFiles files = {{"halves.tga", solidTga(64, 32, {0, 255, 0}, {0, 0, 255})}};
	for (const char* driver : DRIVERS)
	{
		SCOPED_TRACE(driver);
		expectPixels(
			drawScript(driver, files, script, "gui_source_rect", showsPixels(std::begin(pixels), std::end(pixels))),
			std::begin(pixels), std::end(pixels));
	}
}

// Images of two textures taking turns, each nearer the camera than the one
// before and overlapping it; alpha steps from opaque through just under it and
// half to none, odd and even sizes, whole and fractional positions.
TEST(SceneOnScreen, OverlappingSemiTransparentImagesOfTwoTexturesLookTheSameBatched)
{
	test::keepGraphicsLibrariesLoaded();
	const int alphas[] = {255, 254, 253, 200, 128, 0};
	const auto alphaAt = [&](int x, int y) { return alphas[(x / 3 + y / 4) % 6]; };
	const test::SandboxFiles files = {
		{"warm.tga",
			test::tga(
				24, 24,
				[](int x, int y) {
					return SRgb{255, 8 * x, 8 * y};
				},
				alphaAt)},
		{"cold.tga",
			test::tga(
				31, 17,
				[](int x, int y) {
					return SRgb{4 * y, 6 * x, 255};
				},
				alphaAt)},
	};
	const char* const script = R"(
void main()
{
	array<float> xs = {100, 110, 121.5, 130, 139.25, 150, 158, 167, 176.5, 186, 100, 112};
	array<float> ys = {100, 104, 97, 110.5, 101, 106, 99.75, 103, 108.5, 100, 140, 146};
	SceneObject@ first;
	for (uint i = 0; i < xs.length(); ++i)
	{
		StaticSceneObject@ s = cast<StaticSceneObject>(Engine.create_sceneobject("", ESOT_STATIC));
		s.Image = i % 2 == 0 ? "warm.tga" : "cold.tga";
		s.Position = vector3df(xs[i], ys[i], 20 - float(i));
		if (i == 0)
			@first = s;
	}
	@Camera.Follow = first;
}
)";
	// The first image at the camera's centre, or what covers it: not the clear colour.
	const SPixel pixels[] = {{"the images are drawn", 160, 120, {255, 0, 0}}};
	for (const char* driver : DRIVERS)
	{
		SCOPED_TRACE(driver);
		const test::SScreenshot shot = drawScript(driver, files, script, "overlapping_images");
		ASSERT_FALSE(shot.empty());
		EXPECT_FALSE(test::nearColour(shot.at(pixels[0].x, pixels[0].y), pixels[0].colour)) << pixels[0].what;
	}
}

// Runs the scene script's asleep(), which says whether its bodies are at rest.
bool scriptSaysAsleep()
{
	asIScriptEngine* scripts = CGameEngine::getInstance()->getScriptManager()->getEngine();
	AngelScript::asIScriptModule* module = scripts->GetModule("scene test", AngelScript::asGM_ONLY_IF_EXISTS);
	AngelScript::asIScriptFunction* asleep = module ? module->GetFunctionByDecl("bool asleep()") : nullptr;
	if (!asleep)
		return false;
	AngelScript::asIScriptContext* context = scripts->CreateContext();
	const bool result = context->Prepare(asleep) >= 0 && context->Execute() == AngelScript::asEXECUTION_FINISHED &&
		context->GetReturnByte() != 0;
	context->Release();
	return result;
}

// Pictures whose bodies fall onto a floor, in front of a large picture the
// camera follows: every driver draws them in their own colour. The scene
// manager puts the falling ones, off to the side, before the large one.
TEST(SceneOnScreen, MovingImagesInFrontOfALargeOneShowOnEveryDriver)
{
	test::keepGraphicsLibrariesLoaded();
	const SRgb sky = {104, 176, 232};
	const SRgb crate = {184, 124, 60};
	const int columns[] = {60, 140, 220};
	const test::SandboxFiles files = {
		{"sky.tga", solidTga(32, 32, sky, sky)},
		{"crate.tga", solidTga(32, 32, crate, crate)},
	};
	const char* const script = R"(
void main()
{
	Physics.Gravity = vector2df(0, 20);
	StaticSceneObject@ back = cast<StaticSceneObject>(Engine.create_sceneobject("", ESOT_STATIC));
	back.Image = "sky.tga";
	back.Position = vector3df(160, 120, 30);
	back.Scale = vector2df(12, 8);
	SceneObject@ floor = Engine.create_sceneobject("", ESOT_STATIC);
	floor.Position = vector3df(160, 200, 10);
	floor.Physics.add_collision_box(vector2df(12, 0.5f), vector2df(0, 0));
	array<float> xs = {60, 140, 220};
	for (uint i = 0; i < xs.length(); ++i)
	{
		StaticSceneObject@ s = cast<StaticSceneObject>(Engine.create_sceneobject("", ESOT_STATIC));
		s.Image = "crate.tga";
		s.Position = vector3df(xs[i], 20 + 30 * float(i), 10);
		s.Physics.Type = EBT_DYNAMIC;
		s.Physics.add_collision_box(vector2df(1, 1), vector2df(0, 0));
		crates.insertLast(s);
	}
	@Camera.Follow = back;
}

// A body that has come to rest sleeps, and a sleeping body's velocity is zero.
array<SceneObject@> crates;
bool asleep()
{
	for (uint i = 0; i < crates.length(); ++i)
		if (crates[i].Physics.Velocity.X != 0 || crates[i].Physics.Velocity.Y != 0)
			return false;
	return true;
}
)";
	for (const char* driver : DRIVERS)
	{
		SCOPED_TRACE(driver);
		// Each comes to rest on the floor, rows 160 to 192 of the window. Two
		// screenshots alike do not say so: no physics step may fall between
		// them while a crate still sinks into place.
		const auto resting = [&](const test::SScreenshot& shot) {
			if (!scriptSaysAsleep())
				return false;
			for (int x : columns)
				if (!test::nearColour(shot.at(x, 176), crate) || !test::nearColour(shot.at(x, 150), sky))
					return false;
			return true;
		};
		const test::SScreenshot shot = drawScript(driver, files, script, "moving_images", resting);
		ASSERT_FALSE(shot.empty());
		EXPECT_TRUE(test::nearColour(shot.at(300, 120), sky));
		for (int x : columns)
		{
			EXPECT_TRUE(test::nearColour(shot.at(x, 176), crate)) << "the picture that fell at column " << x;
			EXPECT_TRUE(test::nearColour(shot.at(x, 150), sky)) << "above the picture at column " << x;
		}
	}
}
