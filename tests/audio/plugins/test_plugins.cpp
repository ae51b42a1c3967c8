// Plug-ins found beside this program: oAp_good.dll and oAp_refuses.dll
// follow the name rule (the second refuses to install); oAp_upper.DLL,
// oap_lower.dll and xoAp_inner.dll do not. Each test runs in a process of
// its own, so every one starts from the loader's first scan.

#include <gtest/gtest.h>

#include "AudioTestSupport.h"
#include "audio/IAudioManager.h"
#include "audio/IPluginManager.h"

using namespace orv::audio;
using orv::test::CAudioLogCapture;

namespace {

class CDirectModule : public IPluginModule
{
public:
	explicit CDirectModule(bool installs) : Installs(installs) {}
	bool install(ILogger*) override { return Installs; }
	const char* getName() override { return "Direct"; }
	void onManagerCreated(IAudioManager*) override { ++Created; }
	void onManagerDestroyed(IAudioManager*) override { ++Destroyed; }

	bool Installs;
	int Created = 0;
	int Destroyed = 0;
};

} // namespace

TEST(AudioPlugins, OnlyExactNamesLoad)
{
	IPluginManager* plugins = getPluginManager();
	EXPECT_EQ(plugins->getPluginCount(), 1u);
	EXPECT_TRUE(plugins->isPluginInstalled("Good"));
	for (const char* name : {"Refuses", "Upper", "Lower", "Inner"})
		EXPECT_FALSE(plugins->isPluginInstalled(name)) << name;
}

TEST(AudioPlugins, NameRule)
{
	struct Case
	{
		const char* name;
		bool plugin;
	} cases[] = {
		{"oAp_x.dll", true},
		{"oAp_.dll", true},
		{"oAp_x.DLL", false},
		{"oap_x.dll", false},
		{"oAp_x.dll.bak", false},
		{"oAp", false},
		{"", false},
		{"x.dll", false},
	};
	for (const Case& c : cases)
		EXPECT_EQ(isPluginFileName(c.name), c.plugin) << c.name;
	EXPECT_FALSE(isPluginFileName(nullptr));
}

TEST(AudioPlugins, InstalledModulesHearOfEveryManager)
{
	CAudioLogCapture log;
	IAudioManager* manager = createAudioManager();
	ASSERT_NE(manager, nullptr);
	EXPECT_TRUE(manager->isAudioDecoderRegistered("good"));
	EXPECT_FALSE(manager->isAudioDecoderRegistered("refuses"));
	destroyAudioManager(manager);
	EXPECT_TRUE(log.has(ELL_INFO, "Good saw a manager made."));
	EXPECT_TRUE(log.has(ELL_INFO, "Good saw a manager destroyed."));
	EXPECT_EQ(log.countStartingWith("Refuses"), 0u);
}

TEST(AudioPlugins, UninstallForgetsAndUnloads)
{
	IPluginManager* plugins = getPluginManager();
	plugins->uninstallPluginByName("Good");
	EXPECT_EQ(plugins->getPluginCount(), 0u);
	EXPECT_EQ(plugins->getPlugin("Good"), nullptr);
	plugins->uninstallPluginByName("Good");
	plugins->uninstallPlugin(nullptr);

	IAudioManager* manager = createAudioManager();
	EXPECT_FALSE(manager->isAudioDecoderRegistered("good"));
	destroyAudioManager(manager);
}

TEST(AudioPlugins, DirectModulesInstallByNameOrTheirOwn)
{
	IPluginManager* plugins = getPluginManager();
	CDirectModule* module = new CDirectModule(true);
	EXPECT_TRUE(plugins->installPlugin(module, nullptr));
	EXPECT_EQ(plugins->getPlugin("Direct"), module);
	EXPECT_TRUE(plugins->installPlugin(module, "Other"));
	EXPECT_EQ(plugins->getPluginCount(), 3u);

	IAudioManager* manager = createAudioManager();
	destroyAudioManager(manager);
	// Installed twice, told twice.
	EXPECT_EQ(module->Created, 2);
	EXPECT_EQ(module->Destroyed, 2);

	// Made by the caller, not by a library: only forgotten, never dropped.
	plugins->uninstallPlugin(module);
	plugins->uninstallPlugin(module);
	EXPECT_EQ(plugins->getPluginCount(), 1u);
	EXPECT_EQ(module->getReferenceCount(), 1);
	module->drop();

	CDirectModule* refusing = new CDirectModule(false);
	EXPECT_FALSE(plugins->installPlugin(refusing, "Refusing"));
	EXPECT_FALSE(plugins->isPluginInstalled("Refusing"));
	EXPECT_FALSE(plugins->installPlugin(nullptr, "Null"));
	refusing->drop();
}

TEST(AudioPlugins, LibrariesThatAreNoPlugins)
{
	IPluginManager* plugins = getPluginManager();
	EXPECT_FALSE(plugins->loadPluginLibrary("./no_such_library.dll", nullptr));
	// Loads, but has no entry.
	EXPECT_FALSE(plugins->loadPluginLibrary("libopenal.so.1", nullptr));
	// A plug-in loaded once more under a name of the caller's.
	EXPECT_TRUE(plugins->loadPluginLibrary("./oAp_good.dll", "Again"));
	EXPECT_TRUE(plugins->isPluginInstalled("Again"));
	EXPECT_EQ(plugins->getPluginCount(), 2u);
}
