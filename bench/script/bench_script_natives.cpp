// What a hostile script can make the client spend through the engine's
// natives, at the most the bounds let it and, where the bounds stand in the
// way, at what it cost before them:
// - the GUI drawn in one frame: one text of 4M characters (as before the
//   bounds, made through Irrlicht as the wrapper made it) against 1,024 texts
//   that hold the 65,536 characters all texts may hold;
// - one physics step after objects each put a circle on one spot: 8,000 as
//   Box2D alone steps them, and 16,000 through the engine, which keeps the
//   last 1,025 of the pile;
// - one frame of 1,000 animated objects that come to one frame sound;
// - 20,000 animation names that are nowhere, asked for one after another;
// - composing the largest tile map there is, which any change of its tiles
//   or tileset starts again.
// The engine runs on the null device (the GUI with the run folder's font);
// sound through OpenAL Soft's null output.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <IGUIEnvironment.h>
#include <IGUIStaticText.h>
#include <box2d/box2d.h>

#include "audio/IAudioSource.h"
#include "audio/ISourceEventHandler.h"
#include "scene/CAnimatedSpriteSceneNode.h"
#include "scene/CTiledImage.h"
#include "scene/FrameSound.h"
#include "script/api/CGUIEngine.h"
#include "script/api/CGUIStaticText.h"
#include "script/api/GUIBounds.h"
#include "support/FreshEngine.h"
#include "world/CObjectManager.h"
#include "world/CPhysicsManager.h"
#include "world/CSceneObject.h"
#include "world/EngineAttributes.h"
#include "world/ShapeBounds.h"

using namespace orv;

namespace {

typedef std::chrono::steady_clock Clock;

double msSince(Clock::time_point start)
{
	return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void writeFile(const std::filesystem::path& path, const std::string& bytes)
{
	std::filesystem::create_directories(path.parent_path());
	std::ofstream(path, std::ios::binary) << bytes;
}

// Median of a few draws of the whole GUI.
double guiFrameMs(irr::gui::IGUIEnvironment* gui)
{
	std::vector<double> times;
	for (int i = 0; i < 5; ++i)
	{
		const Clock::time_point start = Clock::now();
		gui->drawAll();
		times.push_back(msSince(start));
	}
	std::sort(times.begin(), times.end());
	return times[times.size() / 2];
}

void benchGUI(CGameEngine& engine)
{
	irr::gui::IGUIEnvironment* gui = engine.getDevice()->getGUIEnvironment();
	gui->clear();
	const irr::core::recti box(0, 0, 780, 580);

	std::wstring huge(4u << 20, L'x');
	for (std::size_t i = 80; i < huge.size(); i += 81)
		huge[i] = L' ';
	Clock::time_point start = Clock::now();
	irr::gui::IGUIStaticText* unbounded = gui->addStaticText(huge.c_str(), box, false, true, nullptr, -1, false);
	const double made = msSince(start);
	std::printf("GUI, one text of %zu characters (before the bounds): made in %.1f ms, a frame draws it in %.1f ms\n",
		huge.size(), made, guiFrameMs(gui));
	unbounded->remove();

	gui::CGUIEngine* guiEngine = gui::CGUIEngine::getInstance();
	const std::size_t each = gui::GUI_MAX_TEXTS / gui::GUI_MAX_ELEMENTS;
	std::string words;
	while (words.size() < each)
		words += "word ";
	words.resize(each);
	start = Clock::now();
	for (std::size_t i = 0; i < gui::GUI_MAX_ELEMENTS; ++i)
		guiEngine->createStaticText(irr::core::ustring16(words.c_str()), box)->drop();
	const double madeAll = msSince(start);
	std::printf("GUI, %zu texts of %zu characters (the most the bounds allow): made in %.1f ms, a frame draws them "
				"in %.1f ms\n",
		gui::GUI_MAX_ELEMENTS, each, madeAll, guiFrameMs(gui));
	guiEngine->clear();

	std::string one(gui::GUI_MAX_TEXT, 'x');
	for (std::size_t i = 80; i < one.size(); i += 81)
		one[i] = ' ';
	guiEngine->createStaticText(irr::core::ustring16(one.c_str()), box)->drop();
	std::printf("GUI, one text of %zu characters (the longest a text shows): a frame draws it in %.2f ms\n",
		gui::GUI_MAX_TEXT, guiFrameMs(gui));
	guiEngine->clear();
}

void benchPile(CGameEngine& engine)
{
	const int circles = 16000;
	// Box2D alone takes the square of the pile: half of it is shown.
	const int alone = circles / 2;
	{
		// Box2D alone, as a script's circles met it before the bounds.
		b2World world(b2Vec2(0.0f, 0.0f));
		b2CircleShape circle;
		circle.m_radius = 0.25f;
		for (int i = 0; i < alone; ++i)
		{
			b2BodyDef def;
			world.CreateBody(&def)->CreateFixture(&circle, 0.0f);
		}
		const Clock::time_point start = Clock::now();
		world.Step(1.0f / 60.0f, 10, 10);
		std::printf("physics, %d circles of as many static bodies on one spot, Box2D alone: one step %.0f ms\n", alone,
			msSince(start));
	}
	CObjectManager* objects = CObjectManager::getInstance();
	for (int i = 0; i < circles; ++i)
		objects->getSceneObject(engine.createSceneObject(static_cast<irr::u32>(1000 + i), ESOT_DEFAULT, "")->getId())
			->Physics.addCollisionCircle(0.25f, irr::core::vector2df(0.0f, 0.0f));
	CPhysicsManager* physics = CPhysicsManager::getInstance();
	const Clock::time_point start = Clock::now();
	physics->update(CPhysicsManager::STEP_SECONDS * 1.5f);
	const double first = msSince(start);
	const Clock::time_point next = Clock::now();
	physics->update(CPhysicsManager::STEP_SECONDS);
	std::printf("physics, the same through the engine: the step that takes the pile away %.0f ms, the next %.1f ms, "
				"%d shapes kept\n",
		first, msSince(next), physics->getWorld()->GetProxyCount());
	for (int i = 0; i < circles; ++i)
		engine.removeSceneObject(static_cast<irr::u32>(1000 + i));
}

class CPlayCount : public audio::ISourceEventHandler
{
public:
	void onUpdate() override {}
	void onRelease() override {}
	void onPlay() override { ++Plays; }
	void onStop() override {}
	void onPause() override {}
	int Plays = 0;
};

void benchFrameSounds(CGameEngine& engine, const std::filesystem::path& folder)
{
	// A second of a 22,050 Hz tone, and an animation whose second frame plays it.
	std::string wav = "RIFF";
	const irr::u32 samples = 22050;
	const auto u32 = [&wav](irr::u32 v) {
		for (int i = 0; i < 4; ++i)
			wav += static_cast<char>((v >> (8 * i)) & 0xFF);
	};
	const auto u16 = [&wav](irr::u32 v) {
		wav += static_cast<char>(v & 0xFF);
		wav += static_cast<char>((v >> 8) & 0xFF);
	};
	u32(36 + samples * 2);
	wav += "WAVEfmt ";
	u32(16);
	u16(1);
	u16(1);
	u32(22050);
	u32(44100);
	u16(2);
	u16(16);
	wav += "data";
	u32(samples * 2);
	for (irr::u32 i = 0; i < samples; ++i)
		u16((i * 97) & 0x7FFF);
	writeFile(folder / "step.wav", wav);
	writeFile(folder / "walk.gani",
		"GANI0001\nSPRITE 1 pic.png 0 0 8 8 body\nSINGLEDIRECTION\nLOOP\nANI\n1 0 0\nPLAYSOUND step.wav 0 0\n1 0 "
		"0\nANIEND\n");
	audio::IAudioSource* sound = engine.getSound("step.wav");
	if (!sound)
	{
		std::printf("frame sounds: no sound device, not measured\n");
		return;
	}
	const int walkers = 1000;
	std::vector<CAnimatedSpriteSceneNode*> nodes;
	for (int i = 0; i < walkers; ++i)
	{
		CSceneObject* object = CObjectManager::getInstance()->createSceneObject(
			static_cast<irr::u32>(50000 + i), ESOT_ANIMATED, "");
		object->getEngineAttribute(EP_IMAGE)->setString("walk.gani");
		engine.addSceneObject(object);
		nodes.push_back(static_cast<CAnimatedSpriteSceneNode*>(engine.getSceneNodes()[object]));
	}
	CPlayCount plays;
	sound->registerEventHandler(&plays);
	Clock::time_point start = Clock::now();
	for (int i = 0; i < walkers; ++i)
		sound->play3d(audio::CVector3(0, 0, 0), 20.0f, false);
	std::printf("frame sounds, %d starts of one sound (before the bound): %.1f ms\n", walkers, msSince(start));
	const irr::u32 now = engine.getDevice()->getTimer()->getTime() + 100000;
	plays.Plays = 0;
	beginFrameSounds();
	start = Clock::now();
	for (CAnimatedSpriteSceneNode* node : nodes)
		node->OnAnimate(now);
	std::printf("frame sounds, %d objects come to one sound in a frame: %d start, the frame's animation %.1f ms\n",
		walkers, plays.Plays, msSince(start));
	sound->unregisterEventHandler(&plays);
	for (int i = 0; i < walkers; ++i)
		engine.removeSceneObject(static_cast<irr::u32>(50000 + i));
}

void benchMissingNames(CGameEngine& engine)
{
	const int names = 20000;
	const Clock::time_point start = Clock::now();
	std::vector<double> at;
	for (int i = 0; i < names; ++i)
	{
		engine.getAnimation(irr::core::ustring16(("folder/missing" + std::to_string(i) + ".gani").c_str()));
		if (i + 1 == 4096 || i + 1 == names)
			at.push_back(msSince(start));
	}
	std::printf("missing names, %d animations that are nowhere: the first 4096 looked for in %.0f ms, the other "
				"%d in %.1f ms\n",
		names, at[0], names - 4096, at[1] - at[0]);
}

void benchTileMap(CGameEngine& engine)
{
	// The largest picture a tile map may compose: 256 MiB, 8192 pixels an edge
	// of 4-pixel tiles.
	irr::video::IVideoDriver* driver = engine.getDevice()->getVideoDriver();
	irr::video::IImage* tileset = driver->createImage(irr::video::ECF_A8R8G8B8, irr::core::dimension2du(64, 64));
	tileset->fill(irr::video::SColor(255, 90, 120, 200));
	driver->writeImageToFile(tileset, "tileset.bmp");
	tileset->drop();
	CImage* tiles = engine.findImage("tileset.bmp");
	CTiledImage map(engine.getDevice(), "TiledObject_bench");
	const irr::u32 cells = 2048;
	map.setMap(tiles, 4, 4, cells, cells, std::vector<irr::u8>(std::size_t(cells) * cells * 2, 1));
	const Clock::time_point start = Clock::now();
	irr::video::IImage* picture = map.compose();
	std::printf("tile map of %u x %u tiles of 4 pixels: %s in %.0f ms\n", cells, cells,
		picture ? "composed" : "NOT composed", msSince(start));
	if (picture)
		picture->drop();
}

} // namespace

int main()
{
	setenv("ALSOFT_DRIVERS", "null", 0);
	bench::CFreshEngine fresh("natives");
	writeFile(fresh.folder() / "settings.ini", "[Font]\ndefault=DejaVuSans.ttf\ndefault_size=14\n");
	std::filesystem::create_directories(fresh.folder() / "fonts");
	std::filesystem::copy_file("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
		fresh.folder() / "fonts" / "DejaVuSans.ttf", std::filesystem::copy_options::overwrite_existing);
	CGameEngine* engine = fresh.start();
	if (!engine)
	{
		std::fprintf(stderr, "bench_script_natives: the engine did not start\n");
		return 1;
	}
	benchGUI(*engine);
	benchPile(*engine);
	benchFrameSounds(*engine, fresh.folder());
	benchMissingNames(*engine);
	benchTileMap(*engine);
	return 0;
}
