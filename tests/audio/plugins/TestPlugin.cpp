// A plug-in for the loader's tests: installs (or refuses) under its own
// name, registers a decoder named after itself with every manager made, and
// logs what it hears.

#include <cctype>
#include <string>

#include "audio/IAudioManager.h"
#include "audio/ILogger.h"
#include "audio/IPluginModule.h"

namespace {

using namespace orv::audio;

class CNoDecoderFactory : public IAudioDecoderFactory
{
public:
	IAudioDecoder* createAudioDecoder(IDataSource*) override { return nullptr; }
};

CNoDecoderFactory noDecoders;

std::string lowerName()
{
	std::string name = ORV_PLUGIN_NAME;
	for (char& c : name)
		c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
	return name;
}

class CTestModule : public IPluginModule
{
public:
	bool install(ILogger* logger) override
	{
		Logger = logger;
		return ORV_PLUGIN_INSTALLS != 0;
	}
	const char* getName() override { return ORV_PLUGIN_NAME; }
	void onManagerCreated(IAudioManager* manager) override
	{
		manager->registerAudioDecoder(&noDecoders, lowerName().c_str());
		Logger->logInfo("Plugin", "%s saw a manager made.", ORV_PLUGIN_NAME);
	}
	void onManagerDestroyed(IAudioManager*) override
	{
		Logger->logInfo("Plugin", "%s saw a manager destroyed.", ORV_PLUGIN_NAME);
	}

private:
	ILogger* Logger = nullptr;
};

} // namespace

extern "C" __attribute__((visibility("default"))) IPluginModule* GetPluginModule(const char* version)
{
	if (std::string(version) != PLUGIN_LIBRARY_VERSION)
		return nullptr;
	return new CTestModule();
}
