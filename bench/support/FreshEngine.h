#pragma once
// An engine of a benchmark's own: started on the null device in a new folder
// under the system's temporary folder, with its log silent; torn down, the
// folder removed and the working directory restored when it goes.

#include <filesystem>
#include <random>
#include <string>

#include <ILogger.h>

#include "engine/CGameEngine.h"
#include "engine/EngineTeardown.h"

namespace orv {
namespace bench {

class CFreshEngine
{
public:
	//! Makes the folder; `name` goes into its name.
	explicit CFreshEngine(const std::string& name)
		: Folder(std::filesystem::temp_directory_path() /
			  ("orv-bench-" + name + "-" + std::to_string(std::random_device()())))
		, PreviousDirectory(std::filesystem::current_path())
	{
		std::filesystem::create_directories(Folder);
	}
	~CFreshEngine()
	{
		tearDownSingletons();
		CGameEngine::setLaunch(SEngineLaunch());
		std::error_code ignored;
		std::filesystem::current_path(PreviousDirectory, ignored);
		std::filesystem::remove_all(Folder, ignored);
	}
	CFreshEngine(const CFreshEngine&) = delete;
	CFreshEngine& operator=(const CFreshEngine&) = delete;

	//! Where files for the engine go before it starts.
	const std::filesystem::path& folder() const { return Folder; }

	//! The started engine; null when it does not start.
	CGameEngine* start()
	{
		SEngineLaunch launch;
		launch.programDirectory = irr::core::ustring16((Folder.string() + "/").c_str()).toWCHAR_s();
		launch.nullDevice = true;
		CGameEngine::setLaunch(launch);
		CGameEngine* engine = CGameEngine::getInstance();
		if (!engine || !engine->init())
			return nullptr;
		engine->getDevice()->getLogger()->setLogLevel(irr::ELL_NONE);
		return engine;
	}

private:
	std::filesystem::path Folder;
	std::filesystem::path PreviousDirectory;
};

} // namespace bench
} // namespace orv
