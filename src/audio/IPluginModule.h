#pragma once

#include "audio/IRefCounted.h"

namespace orv {
namespace audio {

class IAudioManager;
class ILogger;

//! What a plug-in library's "GetPluginModule" returns: told of every audio
//! manager made and destroyed, so that it can register its decoders, data
//! sources and handlers with each.
class IPluginModule : public IRefCounted
{
public:
	//! False keeps the module from being installed.
	virtual bool install(ILogger* logger) = 0;
	//! The name a module is installed under when the loader gives none (UTF-8).
	virtual const char* getName() = 0;
	virtual void onManagerCreated(IAudioManager* manager) = 0;
	virtual void onManagerDestroyed(IAudioManager* manager) = 0;
};

//! The entry every plug-in library exports, called with the library version.
typedef IPluginModule* (*GetPluginModuleFunction)(const char* version);

//! The exported name of that entry.
const char* const PLUGIN_ENTRY_NAME = "GetPluginModule";
//! The version text handed to it.
const char* const PLUGIN_LIBRARY_VERSION = "2.1.0";

} // namespace audio
} // namespace orv
