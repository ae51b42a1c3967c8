// The level reader under libFuzzer: XML levels, text levels and blocking-tiles files read by the
// real engine, started on the null device in a folder of its own, every object made joining the
// scene and running its Created; then the physics world steps with what the level made, contacts
// calling the objects' scripts. Fixed levels beside the input include one another deeper and
// more often than the loader's bounds allow, and one drops a crate onto a floor, for an input to
// include them.
//
// Input: [kind byte][file]. Kind % 3 picks what the file is: 0 an XML level, loaded itself; 1 a
// text level, the map of a tiled object whose blocking tiles are fixed; 2 a blocking-tiles file,
// laid over a fixed text level's map.

#include "FuzzEngine.h"
#include "level/CLevelLoader.h"
#include "world/CPhysicsManager.h"

#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

const char* const TEXT_LEVEL_HOST =
	"<orvlevel version=\"1\"><sceneobjects><object type=\"tiled\"><tileset tile_w=\"16\" tile_h=\"16\" "
	"file=\"tiles.png\"/><tiledata file=\"fuzzed.txt\"/><collision><blocking_tiles file=\"block.txt\"/>"
	"</collision></object></sceneobjects></orvlevel>\n";

const char* const BLOCKING_TILES_HOST =
	"<orvlevel version=\"1\"><sceneobjects><object type=\"tiled\"><tileset tile_w=\"8\" tile_h=\"16\" "
	"file=\"tiles.png\"/><tiledata file=\"board.txt\"/><collision type=\"dynamic\"><blocking_tiles "
	"file=\"fuzzed.txt\"/></collision></object></sceneobjects></orvlevel>\n";

//! A board that shows many tiles: each row a run of its own.
std::string fixedBoard()
{
	const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
	std::string board = "GLEVNW01\n";
	for (int y = 0; y < 64; ++y)
	{
		std::string code;
		for (int x = 0; x < 64; ++x)
		{
			code += alphabet[(x * 7 + y) % 4];
			code += alphabet[(x * y + y) % 64];
		}
		board += "BOARD 0 " + std::to_string(y) + " 64 0 " + code + "\n";
	}
	return board;
}

using orv::fuzz::writeFile;

//! A level whose crate falls onto a floor, its script counting contacts.
const char* const FALL =
	"<orvlevel version=\"1\"><sceneobjects><object type=\"static\"><property name=\"y\" value=\"40\"/>"
	"<collision type=\"dynamic\"><box radius=\"1 1\"/></collision><script><![CDATA[int hits = 0; void "
	"OnBeginContact(SceneObject@+ self, SceneObject@+ other) { hits++; }]]></script></object><object "
	"type=\"static\"><property name=\"y\" value=\"64\"/><collision><edge v0=\"-50,0\" v1=\"50,0\"/>"
	"</collision></object></sceneobjects></orvlevel>\n";

//! "deep0.xml" includes "deep1.xml" and so on, past the nesting bound; "wide.xml" includes
//! "fan.xml" 24 times, which includes "leaf.xml" (one bare object) 24 times each, past the bound
//! on included files.
void writeIncludes(const fs::path& root)
{
	const irr::u32 depth = orv::CLevelLoader::MAX_NESTING + 4;
	for (irr::u32 i = 0; i < depth; ++i)
	{
		const std::string next = i + 1 < depth ? "deep" + std::to_string(i + 1) + ".xml" : "leaf.xml";
		writeFile(root / ("deep" + std::to_string(i) + ".xml"),
			"<orvlevel version=\"1\"><include file=\"" + next + "\"/></orvlevel>\n");
	}
	std::string fan = "<orvlevel version=\"1\">";
	std::string wide = fan;
	for (int i = 0; i < 24; ++i)
	{
		fan += "<include file=\"leaf.xml\"/>";
		wide += "<include file=\"fan.xml\"/>";
	}
	writeFile(root / "fan.xml", fan + "</orvlevel>\n");
	writeFile(root / "wide.xml", wide + "</orvlevel>\n");
	writeFile(root / "leaf.xml",
		std::string("<orvlevel version=\"1\"><sceneobjects><object type=\"static\"/></sceneobjects></orvlevel>\n"));
	writeFile(root / "fall.xml", FALL);
}

//! Steps the world as frames would: contacts begin and end, scripts run.
void stepPhysics()
{
	orv::CPhysicsManager* physics = orv::CPhysicsManager::getInstance();
	for (int frame = 0; frame < 8; ++frame)
		physics->update(orv::CPhysicsManager::STEP_SECONDS * orv::CPhysicsManager::MAX_STEPS_PER_UPDATE);
}

struct SWorld
{
	fs::path root;
	orv::CGameEngine* engine = nullptr;

	SWorld()
	{
		root = orv::fuzz::makeFolder("orv-fuzz-level-");
		writeFile(root / "text.xml", TEXT_LEVEL_HOST);
		writeFile(root / "blocking.xml", BLOCKING_TILES_HOST);
		writeFile(root / "board.txt", fixedBoard());
		writeFile(root / "block.txt", std::string("0,0,1,0\n2,1,3,3,0,2,1,1"));
		writeFile(root / "script.as", std::string("int n = 0;\nvoid Created(SceneObject@+ self) { n++; }\n"));
		writeIncludes(root);
		engine = &orv::fuzz::startEngine(root);
		orv::CPhysicsManager::getInstance()->setGravity(irr::core::vector2df(0, 10));
	}
	~SWorld() { orv::fuzz::stopEngine(root); }
};

SWorld& world()
{
	static SWorld instance;
	return instance;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const irr::u8* data, std::size_t size)
{
	if (size < 1)
		return 0;
	SWorld& w = world();
	orv::CGameEngine& engine = *w.engine;
	const char* file = reinterpret_cast<const char*>(data + 1);
	const std::size_t fileSize = size - 1;

	const char* level = "level.xml";
	switch (data[0] % 3)
	{
	case 0:
		writeFile(w.root / "level.xml", file, fileSize);
		break;
	case 1:
		writeFile(w.root / "fuzzed.txt", file, fileSize);
		level = "text.xml";
		break;
	default:
		writeFile(w.root / "fuzzed.txt", file, fileSize);
		level = "blocking.xml";
		break;
	}
	orv::CLevelLoader::getInstance()->loadLevel(engine.getDevice(), level);
	stepPhysics();

	orv::fuzz::clearWorld(engine);
	return 0;
}
