#pragma once

#include <string>

#include "audio/CAudioAllocator.h"
#include "audio/IPluginManager.h"
#include "platform/SharedLibrary.h"

namespace orv {
namespace audio {

class CPluginManager : public IPluginManager
{
public:
	//! Drops every module that came from a library and unloads the library.
	~CPluginManager() override;

	bool loadPluginLibrary(const char* fileName, const char* name) override;
	bool installPlugin(IPluginModule* module, const char* name) override;
	bool isPluginInstalled(const char* name) override;
	IPluginModule* getPlugin(const char* name) override;
	unsigned getPluginCount() override;
	void uninstallPluginByName(const char* name) override;
	void uninstallPlugin(IPluginModule* module) override;

	AudioVector<IPluginModule*> getPluginList();
	//! Loads every plug-in library of a folder (its path ending in '/').
	void autoLoadPlugins(const std::string& folder);

private:
	AudioMap<AudioWString, IPluginModule*> Modules;
	AudioMap<IPluginModule*, platform::LibraryHandle> Libraries;
};

} // namespace audio
} // namespace orv
