#include <chrono>
#include <regex>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "support/ClientProcess.h"
#include "support/XServer.h"
#include "support/engine_fixture.h"

using orv::test::CClientProcess;
using orv::test::CTempFolder;
using orv::test::CXvfb;
namespace x11 = orv::test::x11;

namespace {

const std::string BOM = "\xEF\xBB\xBF";
const std::string FONT_DEFAULTS = "[Font]\r\ndefault = code2001.ttf\r\ndefault_size = 14\r\n";
const std::string LANGUAGE_DEFAULTS = "[Language]\r\nlanguage = English\r\n";

// Start-up under the sanitizers and a software GL stack takes its time.
const int START_TIMEOUT_MS = 60000;
const int EXIT_TIMEOUT_MS = 60000;

} // namespace

TEST(ProgramWindow, DrawsRedShowsTheRateAndClosesLikeAWindowManagerAsks)
{
	struct Case
	{
		const char* name;
		const char* settings; // null: no settings.ini
		const char* driverWord;
		std::string expectedSettings;
	};
	const Case cases[] = {
		{"OpenGL, fresh install", nullptr, "OpenGL",
			FONT_DEFAULTS + LANGUAGE_DEFAULTS + "[Window]\r\ndriver = opengl\r\nheight = 600\r\nwidth = 800\r\n"},
		{"software renderer", "[Window]\ndriver = software\n", "Burning",
			"[Window]\r\ndriver = software\r\nheight = 600\r\nwidth = 800\r\n" + FONT_DEFAULTS + LANGUAGE_DEFAULTS},
		{"dx9 draws with OpenGL", "[Window]\ndriver = dx9\n", "OpenGL",
			"[Window]\r\ndriver = dx9\r\nheight = 600\r\nwidth = 800\r\n" + FONT_DEFAULTS + LANGUAGE_DEFAULTS},
	};
	const std::regex caption("Orv 0\\.0\\.1 \\[(.+)\\] FPS: [0-9]+");

	for (const Case& c : cases) {
		SCOPED_TRACE(c.name);
		CXvfb server;
		ASSERT_TRUE(server.isRunning()) << "Xvfb did not start";
		CTempFolder folder;
		if (c.settings)
			folder.write("settings.ini", c.settings);

		CClientProcess client(folder.path(), server.display());
		ASSERT_TRUE(client.start());
		const unsigned long window = x11::waitForWindow(server.display(), "Orv 0.0.1 [", START_TIMEOUT_MS);
		ASSERT_NE(window, 0u) << client.log();

		// A few frames later the picture is there.
		std::this_thread::sleep_for(std::chrono::milliseconds(500));
		std::smatch match;
		const std::string name = x11::windowName(server.display(), window);
		ASSERT_TRUE(std::regex_match(name, match, caption)) << name;
		EXPECT_NE(match[1].str().find(c.driverWord), std::string::npos) << name;
		EXPECT_EQ(x11::centrePixel(server.display(), window), "#FF0000");

		ASSERT_TRUE(x11::sendDeleteWindow(server.display(), window));
		int exitCode = -1;
		ASSERT_TRUE(client.waitForExit(EXIT_TIMEOUT_MS, exitCode)) << client.log();
		EXPECT_EQ(exitCode, 0) << client.log();
		EXPECT_EQ(folder.read("settings.ini"), BOM + c.expectedSettings);
	}
}

TEST(ProgramWindow, WithoutADisplayEndsWithCodeOneAndWritesNothing)
{
	CTempFolder folder;
	CClientProcess client(folder.path(), "");
	ASSERT_TRUE(client.start());
	int exitCode = -1;
	ASSERT_TRUE(client.waitForExit(EXIT_TIMEOUT_MS, exitCode)) << client.log();
	EXPECT_EQ(exitCode, 1) << client.log();
	EXPECT_FALSE(folder.exists("settings.ini"));
}
