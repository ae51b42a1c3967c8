// Loading a large level through the engine's own loader: objects with
// properties, a class attribute and three shapes each, plus one tiled object
// of 1024 x 1024 tiles given in the tile code. Prints the seconds for 5,000
// and for 10,000 objects and their ratio (2.0 is linear), then the tile map
// alone, and the same map with collision from a blocking-tiles file.
//
// Each object has a script module of its own, and the script engine finds
// modules by name one after another: the same loads are also measured with
// the level's classes left without scripts, which shows the loader's own
// growth apart from the script engine's.
//
// Every load runs in a fresh engine on the null device in a folder of its
// own, with the log switched off: the figures are the loader's, not the
// console's.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "engine/CGameEngine.h"
#include "level/CLevelLoader.h"
#include "world/CObjectManager.h"

#include "support/FreshEngine.h"

using namespace orv;

namespace {

const int ROUNDS = 3;
const int MAP_SIZE = 1024;

typedef std::chrono::steady_clock Clock;

double median(std::vector<double> values)
{
	std::sort(values.begin(), values.end());
	return values[values.size() / 2];
}

std::string objectsText(int count)
{
	static const char* const classes[] = {"crate", "barrel", "rock", "tree"};
	std::string text;
	for (int i = 0; i < count; ++i)
	{
		text += "<object type=\"static\" class=\"";
		text += classes[i % 4];
		text += "\"><property name=\"x\" type=\"float\" value=\"" + std::to_string((i % 100) * 40) +
			"\"/><property name=\"y\" type=\"float\" value=\"" + std::to_string((i / 100) * 40) +
			"\"/><attribute name=\"hp\" type=\"int\" value=\"" + std::to_string(i % 17) +
			"\"/><collision type=\"dynamic\"><box radius=\"0.5 0.25\" center=\"0 0.25\"/>"
			"<circle radius=\"0.25\" center=\"0,-0.5\"/><polygon><vertex value=\"-0.5 0\"/>"
			"<vertex value=\"0.5 0\"/><vertex value=\"0 0.5\"/></polygon></collision></object>\n";
	}
	return text;
}

std::string tileMapText(bool blockingTiles)
{
	static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
	std::mt19937 random(7);
	std::string text = "<object type=\"tiled\" class=\"map\"><tileset tile_w=\"16\" tile_h=\"16\" file=\"tiles.png\"/>"
					   "<tiledata width=\"" +
		std::to_string(MAP_SIZE) + "\" height=\"" + std::to_string(MAP_SIZE) + "\">\n";
	for (int row = 0; row < MAP_SIZE; ++row)
	{
		for (int column = 0; column < MAP_SIZE; ++column)
		{
			// Mostly open ground (tile "AA") with blocking walls ("AB") in runs and patches.
			const bool wall = (row % 32 == 0 && column % 64 < 48) || (random() % 16 == 0);
			text += 'A';
			text += wall ? 'B' : alphabet[random() % 64];
			if (!wall && text.back() == 'B')
				text.back() = 'C';
		}
		text += '\n';
	}
	text += "</tiledata>";
	if (blockingTiles)
		text += "<collision><blocking_tiles file=\"block.txt\"/></collision>";
	return text + "</object>\n";
}

std::string levelText(const std::string& objects)
{
	return "<?xml version=\"1.0\"?>\n<orvlevel version=\"1\">\n<sceneobjects>\n" + objects +
		"</sceneobjects>\n</orvlevel>\n";
}

//! Seconds to load the level in a fresh engine; negative when the engine does not start.
double secondsToLoad(const std::string& level, bool withScripts, size_t& objectCount)
{
	bench::CFreshEngine fresh("level");
	std::ofstream(fresh.folder() / "level.xml", std::ios::binary) << level;
	std::ofstream(fresh.folder() / "block.txt", std::ios::binary) << "1,0\n";
	CGameEngine* engine = fresh.start();
	if (!engine)
		return -1.0;
	// Classes the level names then stay without a module, and so do their objects.
	if (!withScripts)
		CLevelLoader::getInstance()->onClassCreated = nullptr;
	const Clock::time_point start = Clock::now();
	CLevelLoader::getInstance()->loadLevel(engine->getDevice(), "level.xml");
	const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
	objectCount = CObjectManager::getInstance()->getSceneObjects().size();
	return seconds;
}

double medianSeconds(const std::string& level, const char* what, bool withScripts = true)
{
	std::vector<double> runs;
	size_t objects = 0;
	for (int round = 0; round < ROUNDS; ++round)
	{
		const double seconds = secondsToLoad(level, withScripts, objects);
		if (seconds < 0)
		{
			std::fprintf(stderr, "the engine does not start on the null device\n");
			std::exit(1);
		}
		runs.push_back(seconds);
	}
	const double result = median(runs);
	std::printf("%-44s %8.3f s  (%zu objects, median of %d)\n", what, result, objects, ROUNDS);
	return result;
}

} // namespace

int main()
{
	const std::string map = tileMapText(false);
	const double half = medianSeconds(levelText(objectsText(5000) + map), "5,000 objects and a 1024 x 1024 map");
	const double full = medianSeconds(levelText(objectsText(10000) + map), "10,000 objects and a 1024 x 1024 map");
	std::printf("%-44s %8.2f   (2.00 is linear)\n", "growth from 5,000 to 10,000 objects", full / half);
	const double halfBare = medianSeconds(
		levelText(objectsText(5000) + map), "5,000 objects and the map, no scripts", false);
	const double fullBare = medianSeconds(
		levelText(objectsText(10000) + map), "10,000 objects and the map, no scripts", false);
	std::printf("%-44s %8.2f   (2.00 is linear)\n", "growth without scripts", fullBare / halfBare);
	medianSeconds(levelText(map), "the 1024 x 1024 map alone");
	medianSeconds(levelText(tileMapText(true)), "the map with blocking tiles");
	return 0;
}
