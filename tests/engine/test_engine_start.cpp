#include <filesystem>
#include <string>

#include <gtest/gtest.h>
#include <irrlicht.h>

#include "engine/CGameEngine.h"
#include "engine/CGameEventReceiver.h"
#include "engine/EngineTeardown.h"
#include "level/CLevelLoader.h"
#include "support/engine_fixture.h"

using orv::test::CEngineSandbox;

namespace {

const std::string BOM = "\xEF\xBB\xBF";
const std::string FONT_DEFAULTS = "[Font]\r\ndefault = code2001.ttf\r\ndefault_size = 14\r\n";
const std::string LANGUAGE_DEFAULTS = "[Language]\r\nlanguage = English\r\n";
const std::string WINDOW_DEFAULTS = "[Window]\r\ndriver = opengl\r\nheight = 600\r\nwidth = 800\r\n";

} // namespace

TEST(EngineStart, SettingsWrittenAtExitHoldTheDefaults)
{
	struct Case
	{
		const char* name;
		const char* file; // null: no settings.ini
		std::string expected;
	};
	const Case cases[] = {
		{"fresh install", nullptr, FONT_DEFAULTS + LANGUAGE_DEFAULTS + WINDOW_DEFAULTS},
		{"only dx9", "[Window]\ndriver = dx9\n",
			"[Window]\r\ndriver = dx9\r\nheight = 600\r\nwidth = 800\r\n" + FONT_DEFAULTS + LANGUAGE_DEFAULTS},
		{"own font size stays", "[Font]\r\ndefault_size = 20\r\n",
			"[Font]\r\ndefault_size = 20\r\ndefault = code2001.ttf\r\n" + LANGUAGE_DEFAULTS + WINDOW_DEFAULTS},
		{"unknown sections and keys kept", "[Physics]\ndebug_draw = on\n[Window]\nvsync = yes\n",
			"[Physics]\r\ndebug_draw = on\r\n[Window]\r\nvsync = yes\r\ndriver = opengl\r\nheight = 600\r\nwidth = "
			"800\r\n" +
				FONT_DEFAULTS + LANGUAGE_DEFAULTS},
		{"unusable size kept as written", "[Window]\nwidth = -3\nheight = 99999\n",
			"[Window]\r\nwidth = -3\r\nheight = 99999\r\ndriver = opengl\r\n" + FONT_DEFAULTS + LANGUAGE_DEFAULTS},
		{"empty file", "", FONT_DEFAULTS + LANGUAGE_DEFAULTS + WINDOW_DEFAULTS},
	};
	for (const Case& c : cases)
	{
		orv::test::SandboxFiles files;
		if (c.file)
			files["settings.ini"] = c.file;
		CEngineSandbox sandbox(files);
		ASSERT_TRUE(sandbox.started()) << c.name;
		sandbox.tearDown();
		EXPECT_EQ(sandbox.folder().read("settings.ini"), BOM + c.expected) << c.name;
	}
}

TEST(EngineStart, StartedEngineIsReadyForTheFrameLoop)
{
	CEngineSandbox sandbox(orv::test::SandboxFiles{{"settings.ini", "[Window]\nwidth = 1024\nheight = 0\n"}});
	ASSERT_TRUE(sandbox.started());
	orv::CGameEngine& engine = *sandbox.engine();

	ASSERT_NE(engine.getDevice(), nullptr);
	ASSERT_NE(engine.getVideoDriver(), nullptr);
	EXPECT_EQ(engine.getVideoDriver()->getDriverType(), irr::video::EDT_NULL);
	EXPECT_EQ(engine.getVideoDriver()->getScreenSize(), irr::core::dimension2du(800, 600))
		<< "an unusable side opens the default window";
	EXPECT_EQ(engine.getProgramDirectory(), irr::core::ustring16(sandbox.folder().path().c_str()).toWCHAR_s());
	std::error_code noDirectory;
	EXPECT_EQ(std::filesystem::current_path(noDirectory).string() + "/", sandbox.folder().path());
	EXPECT_FALSE(engine.isOnline());
	EXPECT_FALSE(engine.isGameRunning());
	EXPECT_EQ(engine.getPlayerObject(), nullptr);
	ASSERT_NE(engine.getPlayReceiver(), nullptr);
	EXPECT_NE(engine.getDevice()->getEventReceiver(), engine.getPlayReceiver()) << "installed only when a game starts";
	for (irr::u32 key = 0; key < 256; ++key)
		EXPECT_FALSE(engine.isKeyDown(key)) << key;
	EXPECT_TRUE(engine.getEventQueue().empty());
	ASSERT_NE(orv::CLevelLoader::peekInstance(), nullptr);
	EXPECT_NE(orv::CLevelLoader::peekInstance()->onObjectLoaded, nullptr);
	EXPECT_NE(orv::CLevelLoader::peekInstance()->onClassCreated, nullptr);
	EXPECT_EQ(engine.getDevice()->getSceneManager()->getParameters()->getAttributeAsBool("Allow_ZWrite_On_Transparent"),
		true);
	EXPECT_FALSE(engine.isDebugDrawOn());

	EXPECT_TRUE(engine.update());
	engine.render();
	engine.getDevice()->closeDevice();
	EXPECT_FALSE(engine.update()) << "a closed device ends the frame loop";

	sandbox.tearDown();
	EXPECT_EQ(orv::CGameEngine::peekInstance(), nullptr);
	EXPECT_EQ(orv::CLevelLoader::peekInstance(), nullptr);
}

TEST(EngineStart, DebugDrawOnlyForExactlyOn)
{
	struct Case
	{
		const char* file;
		bool expected;
	};
	const Case cases[] = {
		{"[Physics]\ndebug_draw = on\n", true},
		{"[Physics]\ndebug_draw = On\n", false},
		{"[Physics]\n", false},
		{"[Window]\n", false},
	};
	for (const Case& c : cases)
	{
		CEngineSandbox sandbox(orv::test::SandboxFiles{{"settings.ini", c.file}});
		ASSERT_TRUE(sandbox.started());
		EXPECT_EQ(sandbox.engine()->isDebugDrawOn(), c.expected) << c.file;
		sandbox.engine()->render();
	}
}

TEST(EngineStart, QueuedInputWaitsWhileNoGameRuns)
{
	CEngineSandbox sandbox;
	ASSERT_TRUE(sandbox.started());
	orv::CGameEngine& engine = *sandbox.engine();
	irr::SEvent press{};
	press.EventType = irr::EET_KEY_INPUT_EVENT;
	press.KeyInput.Key = irr::KEY_KEY_A;
	press.KeyInput.PressedDown = true;
	// Queued while the game ran, then the game stopped.
	engine.setGameRunning(true);
	engine.getPlayReceiver()->OnEvent(press);
	engine.setGameRunning(false);
	const irr::u32 before = engine.getLastFrameTime();
	EXPECT_TRUE(engine.update());
	EXPECT_EQ(engine.getEventQueue().size(), 1u);
	EXPECT_EQ(engine.getLastFrameTime(), before);
}

namespace {

// Irrlicht hands every log line to the device's receiver as well.
struct SLogCollector : irr::IEventReceiver
{
	std::vector<std::string> lines;
	bool OnEvent(const irr::SEvent& event) override
	{
		if (event.EventType == irr::EET_LOG_TEXT_EVENT)
			lines.push_back(event.LogEvent.Text);
		return false;
	}
};

} // namespace

TEST(EngineStart, SettingsThatCannotBeReadOrWrittenAreSurvivedAndLogged)
{
	// A folder in the settings file's place: it opens, but cannot be read
	// as a file nor replaced by one.
	orv::test::CTempFolder folder;
	std::filesystem::create_directory(folder.path() + "settings.ini");
	orv::SEngineLaunch launch;
	launch.programDirectory = irr::core::ustring16(folder.path().c_str()).toWCHAR_s();
	launch.nullDevice = true;
	orv::CGameEngine::setLaunch(launch);
	std::error_code noDirectory;
	std::filesystem::path previous = std::filesystem::current_path(noDirectory);
	if (noDirectory)
		previous = std::filesystem::temp_directory_path();
	orv::CGameEngine* engine = orv::CGameEngine::getInstance();
	ASSERT_TRUE(engine->init());
	EXPECT_EQ(engine->getSettings().findSection("Window")->get("driver"), irr::core::ustring16("opengl"));

	SLogCollector log;
	engine->getDevice()->setEventReceiver(&log);
	orv::tearDownSingletons();
	orv::CGameEngine::setLaunch(orv::SEngineLaunch());
	std::filesystem::current_path(previous);

	bool logged = false;
	for (const std::string& line : log.lines)
		logged = logged || line.find("Could not write settings.ini") != std::string::npos;
	EXPECT_TRUE(logged);
	EXPECT_TRUE(std::filesystem::is_directory(folder.path() + "settings.ini"));
}
