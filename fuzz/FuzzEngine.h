#pragma once
// What the fuzzers of the engine share: the real engine, started once for the whole run on the
// null device in a temporary folder of its own, and the clean-up between inputs.

#include "engine/CGameEngine.h"
#include "world/CObjectManager.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace orv::fuzz {

//! A new empty folder below the system's temporary folder, named from the prefix.
inline std::filesystem::path makeFolder(const char* prefix)
{
	const std::filesystem::path folder = std::filesystem::temp_directory_path() /
		(prefix + std::to_string(std::random_device()()));
	std::filesystem::remove_all(folder);
	std::filesystem::create_directories(folder);
	return folder;
}

//! Replaces the file with the bytes.
inline void writeFile(const std::filesystem::path& path, const char* data, std::size_t size)
{
	std::ofstream out(path, std::ios::binary | std::ios::trunc);
	out.write(data, static_cast<std::streamsize>(size));
}

inline void writeFile(const std::filesystem::path& path, const std::string& text)
{
	writeFile(path, text.data(), text.size());
}

//! The engine started in the folder, which becomes its working directory, with its log off. A
//! fuzzer without its engine finds nothing: it stops the run.
inline CGameEngine& startEngine(const std::filesystem::path& folder)
{
	SEngineLaunch launch;
	launch.programDirectory = irr::core::stringw((folder.string() + "/").c_str());
	launch.nullDevice = true;
	CGameEngine::setLaunch(launch);
	CGameEngine* engine = CGameEngine::getInstance();
	if (!engine || !engine->init())
	{
		std::fprintf(stderr, "the engine does not start on the null device\n");
		std::abort();
	}
	engine->getDevice()->getLogger()->setLogLevel(irr::ELL_NONE);
	return *engine;
}

//! Ends the engine and removes its folder.
inline void stopEngine(const std::filesystem::path& folder)
{
	CGameEngine::destroyInstance();
	std::error_code error;
	std::filesystem::remove_all(folder, error);
}

//! Takes every object out of the scene and the object manager, and forgets the player.
inline void removeObjects(CGameEngine& engine)
{
	std::vector<irr::u32> ids;
	if (CObjectManager* objects = CObjectManager::getExistingInstance())
		for (const auto& entry : objects->getSceneObjects())
			ids.push_back(entry.first);
	for (const irr::u32 id : ids)
		engine.removeSceneObject(id);
	engine.setPlayerObject(nullptr);
}

//! Takes out what one input built, the classes it named included, so that every input starts
//! from the world the engine's start-up left.
inline void clearWorld(CGameEngine& engine)
{
	removeObjects(engine);
	CObjectManager::destroyInstance();
	if (CObjectManager* objects = CObjectManager::getInstance())
		objects->getObjectClass(engine.getScriptManager(), "blank");
}

} // namespace orv::fuzz
