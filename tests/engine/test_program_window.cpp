#include <string>

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

// The driver name inside "Orv 0.0.1 [<driver>] FPS: <digits>"; empty when
// the caption has another shape.
std::string driverOfCaption(const std::string& caption)
{
	const std::string head = "Orv 0.0.1 [";
	const std::string middle = "] FPS: ";
	const std::string::size_type end = caption.rfind(middle);
	if (caption.compare(0, head.size(), head) != 0 || end == std::string::npos || end <= head.size())
		return std::string();
	const std::string rate = caption.substr(end + middle.size());
	if (rate.empty() || rate.find_first_not_of("0123456789") != std::string::npos)
		return std::string();
	return caption.substr(head.size(), end - head.size());
}

} // namespace

TEST(ProgramWindow, DrawsRedShowsTheRateAndClosesLikeAWindowManagerAsks)
{
	struct Case
	{
		const char* name;
		const char* settings; // null: no settings.ini
		const char* driverWord;
		std::string expectedSettings;
		bool warnsOfDx9;
	};
	const Case cases[] = {
		{"OpenGL, fresh install", nullptr, "OpenGL",
			FONT_DEFAULTS + LANGUAGE_DEFAULTS + "[Window]\r\ndriver = opengl\r\nheight = 600\r\nwidth = 800\r\n",
			false},
		{"software renderer", "[Window]\ndriver = software\n", "Burning",
			"[Window]\r\ndriver = software\r\nheight = 600\r\nwidth = 800\r\n" + FONT_DEFAULTS + LANGUAGE_DEFAULTS,
			false},
		{"dx9 draws with OpenGL", "[Window]\ndriver = dx9\n", "OpenGL",
			"[Window]\r\ndriver = dx9\r\nheight = 600\r\nwidth = 800\r\n" + FONT_DEFAULTS + LANGUAGE_DEFAULTS, true},
	};

	for (const Case& c : cases)
	{
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

		// A few frames later the picture is there; the console's lines reach
		// the log file while the client runs, not only at its exit.
		EXPECT_TRUE(orv::test::waitUntil(
			[&] {
				return x11::pixel(server.display(), window, 10, 10) == "#FF0000" &&
					!driverOfCaption(x11::windowName(server.display(), window)).empty();
			},
			START_TIMEOUT_MS));
		EXPECT_TRUE(orv::test::waitUntil(
			[&] { return client.log().find("Irrlicht Engine version") != std::string::npos; }, START_TIMEOUT_MS))
			<< "nothing in the log while the client runs";
		const std::string name = x11::windowName(server.display(), window);
		const std::string driver = driverOfCaption(name);
		ASSERT_FALSE(driver.empty()) << name;
		EXPECT_NE(driver.find(c.driverWord), std::string::npos) << name;
		// Beside the login window.
		EXPECT_EQ(x11::pixel(server.display(), window, 10, 10), "#FF0000");

		ASSERT_TRUE(x11::sendDeleteWindow(server.display(), window));
		int exitCode = -1;
		ASSERT_TRUE(client.waitForExit(EXIT_TIMEOUT_MS, exitCode)) << client.log();
		EXPECT_EQ(exitCode, 0) << client.log();
		EXPECT_EQ(folder.read("settings.ini"), BOM + c.expectedSettings);
		EXPECT_EQ(client.log().find("Direct3D 9 is not available") != std::string::npos, c.warnsOfDx9) << client.log();
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
