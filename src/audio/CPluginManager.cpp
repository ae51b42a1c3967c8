#include "audio/CPluginManager.h"

#include <cstring>

#include "audio/AudioText.h"
#include "audio/ILogger.h"
#include "platform/FolderListing.h"
#include "platform/ProgramDirectory.h"

namespace orv {
namespace audio {

namespace {

const char PLUGIN_PREFIX[] = "oAp_";
const char PLUGIN_SUFFIX[] = ".dll";
const size_t AFFIX_LENGTH = 4;

} // namespace

bool isPluginFileName(const char* name)
{
	const size_t length = name ? std::strlen(name) : 0;
	return length >= AFFIX_LENGTH && std::strncmp(name, PLUGIN_PREFIX, AFFIX_LENGTH) == 0 &&
		std::strncmp(name + length - AFFIX_LENGTH, PLUGIN_SUFFIX, AFFIX_LENGTH) == 0;
}

CPluginManager::~CPluginManager()
{
	for (const auto& entry : Libraries)
	{
		entry.first->drop();
		platform::freeSharedLibrary(entry.second);
	}
	Libraries.clear();
	Modules.clear();
}

void CPluginManager::autoLoadPlugins(const std::string& folder)
{
	for (const std::string& name : platform::listFolder(folder))
		if (isPluginFileName(name.c_str()))
			loadPluginLibrary((folder + name).c_str(), nullptr);
}

bool CPluginManager::loadPluginLibrary(const char* fileName, const char* name)
{
	const AudioWString wide = utf8ToWide(fileName);
	const platform::LibraryHandle library = platform::loadSharedLibrary(wideToUtf8Plugins(wide));
	if (!library)
		return false;
	const GetPluginModuleFunction entry = reinterpret_cast<GetPluginModuleFunction>(
		platform::findLibrarySymbol(library, PLUGIN_ENTRY_NAME));
	if (!entry)
		return false;
	IPluginModule* module = entry(PLUGIN_LIBRARY_VERSION);
	if (!module)
		return false;
	Libraries[module] = library;
	return installPlugin(module, name);
}

bool CPluginManager::installPlugin(IPluginModule* module, const char* name)
{
	if (!module)
		return false;
	const AudioWString key = utf8ToWide(name && *name ? name : module->getName());
	if (!module->install(getLogger()))
		return false;
	Modules[key] = module;
	return true;
}

bool CPluginManager::isPluginInstalled(const char* name)
{
	return Modules.count(utf8ToWide(name)) != 0;
}

IPluginModule* CPluginManager::getPlugin(const char* name)
{
	return findOrNull(Modules, utf8ToWide(name));
}

unsigned CPluginManager::getPluginCount()
{
	return static_cast<unsigned>(Modules.size());
}

void CPluginManager::uninstallPluginByName(const char* name)
{
	if (IPluginModule* module = getPlugin(name))
		uninstallPlugin(module);
}

void CPluginManager::uninstallPlugin(IPluginModule* module)
{
	if (!module)
		return;
	for (auto it = Modules.begin(); it != Modules.end(); ++it)
	{
		if (it->second == module)
		{
			Modules.erase(it);
			break;
		}
	}
	const auto library = Libraries.find(module);
	if (library != Libraries.end())
	{
		const platform::LibraryHandle handle = library->second;
		Libraries.erase(library);
		module->drop();
		platform::freeSharedLibrary(handle);
	}
}

AudioVector<IPluginModule*> CPluginManager::getPluginList()
{
	AudioVector<IPluginModule*> modules;
	for (const auto& entry : Modules)
		modules.push_back(entry.second);
	return modules;
}

namespace {

CPluginManager& pluginManager()
{
	// Plug-ins come only from the program's own folder, whatever the
	// current directory is.
	static CPluginManager manager;
	static const bool loaded = (manager.autoLoadPlugins(platform::getProgramDirectory()), true);
	(void)loaded;
	return manager;
}

} // namespace

IPluginManager* getPluginManager()
{
	return &pluginManager();
}

AudioVector<IPluginModule*> getPluginList()
{
	return pluginManager().getPluginList();
}

} // namespace audio
} // namespace orv
