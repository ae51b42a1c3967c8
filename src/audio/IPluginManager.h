#pragma once

#include "audio/CAudioAllocator.h"
#include "audio/IPluginModule.h"

namespace orv {
namespace audio {

//! The installed plug-in modules. Used only by the thread that makes and
//! destroys audio managers; it has no lock.
class IPluginManager
{
public:
	virtual ~IPluginManager() = default;
	//! Loads a library, asks it for its module and installs that under
	//! `name` (the module's own name when null or empty).
	virtual bool loadPluginLibrary(const char* fileName, const char* name) = 0;
	//! Installs a module made by the caller; false when it refused.
	virtual bool installPlugin(IPluginModule* module, const char* name) = 0;
	virtual bool isPluginInstalled(const char* name) = 0;
	virtual IPluginModule* getPlugin(const char* name) = 0;
	virtual unsigned getPluginCount() = 0;
	virtual void uninstallPluginByName(const char* name) = 0;
	//! Forgets the module; one that came from a library is dropped and its
	//! library unloaded.
	virtual void uninstallPlugin(IPluginModule* module) = 0;
};

//! The process's plug-in manager; the first call loads the plug-ins of the
//! program's folder.
IPluginManager* getPluginManager();

//! The installed modules in name order.
AudioVector<IPluginModule*> getPluginList();

//! Whether a folder entry names a plug-in library: "oAp_" ... ".dll",
//! exactly in that case.
bool isPluginFileName(const char* name);

} // namespace audio
} // namespace orv
