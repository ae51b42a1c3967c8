// The client binary in a run folder laid out as ./run.sh lays it, under a
// private X server: the login screen, then Play on the sample package.

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "support/ClientProcess.h"
#include "support/TestPictures.h"
#include "support/XServer.h"
#include "support/engine_fixture.h"

namespace {

using namespace orv;
using test::SRgb;
namespace x11 = test::x11;

const int WIDTH = 800;
const int HEIGHT = 600;
// Only ends a broken run: start-up under the sanitizers and a software GL
// stack on a loaded machine takes its time.
const int TIMEOUT_MS = 90000;

// Colours the sample package's pictures are drawn in (scripts/make-sample-pictures.py).
const SRgb SKY = {104, 176, 232};
const SRgb GRASS = {72, 160, 64};
const SRgb DIRT = {128, 84, 48};
const SRgb CRATE = {184, 124, 60};
const SRgb CRATE_EDGE = {112, 68, 28};
const SRgb SHIRT = {200, 48, 48};
const SRgb CLEAR = {255, 0, 0};

// The Offline tab's upper-left corner in the window: the login window at
// (30, 30), its tab control at (10, 30) in it, the tabs below their 32-pixel
// heads.
const int TAB_X = 41;
const int TAB_Y = 94;
const int LOGO_X = TAB_X + 219;
const int LOGO_Y = TAB_Y + 66;
const int PLAY_X = TAB_X + 629;
const int PLAY_Y = TAB_Y + 431;

// The first row from the top, between the two, where the column shows a crate.
int crateTop(const test::SScreenshot& shot, int x, int fromY, int toY)
{
	for (int y = fromY; y < toY; ++y)
		if (test::nearColour(shot.at(x, y), CRATE) || test::nearColour(shot.at(x, y), CRATE_EDGE))
			return y;
	return -1;
}

// The first column from the left, between the two, where the row shows a crate.
int crateLeft(const test::SScreenshot& shot, int y, int fromX, int toX)
{
	for (int x = fromX; x < toX; ++x)
		if (test::nearColour(shot.at(x, y), CRATE) || test::nearColour(shot.at(x, y), CRATE_EDGE))
			return x;
	return -1;
}

std::string describe(SRgb c)
{
	return "(" + std::to_string(c.r) + ", " + std::to_string(c.g) + ", " + std::to_string(c.b) + ")";
}

bool fullWindow(const test::SScreenshot& shot)
{
	return !shot.empty() && shot.width == WIDTH && shot.height == HEIGHT;
}

// The first column of the row, from the left, that shows the hero's shirt; -1 for none.
int shirtColumn(const test::SScreenshot& shot, int y)
{
	for (int x = 0; x < shot.width; ++x)
		if (test::nearColour(shot.at(x, y), SHIRT))
			return x;
	return -1;
}

// The longest run of pixels in a row or a column that shows the red clear
// colour, that is, nothing of the world. What lies beyond the world shows as
// a band along the window's side; the software renderer may leave a lone
// pixel out where two triangles of a picture meet.
int longestClearRun(const test::SScreenshot& shot)
{
	int longest = 0;
	for (int pass = 0; pass < 2; ++pass)
	{
		const int lines = pass == 0 ? shot.height : shot.width;
		const int length = pass == 0 ? shot.width : shot.height;
		for (int line = 0; line < lines; ++line)
		{
			int run = 0;
			for (int i = 0; i < length; ++i)
			{
				const SRgb seen = pass == 0 ? shot.at(i, line) : shot.at(line, i);
				run = test::nearColour(seen, CLEAR) ? run + 1 : 0;
				longest = std::max(longest, run);
			}
		}
	}
	return longest;
}

// The client in a run folder as ./run.sh lays it (with the driver named,
// when one is), its window, and Play pressed on the sample package once the
// login screen shows.
class CSampleRun
{
public:
	explicit CSampleRun(const char* driver = nullptr)
		: Driver(driver ? driver : "default")
		, Prepared(prepare(Folder, driver))
		, Client(Folder.path(), Server.display())
	{
	}

	//! True when the login screen showed and the level came up after Play.
	bool playSample()
	{
		if (!Prepared || !Server.isRunning() || !Client.start())
			return false;
		Window = x11::waitForWindow(Server.display(), "Orv 0.0.1 [", TIMEOUT_MS);
		if (!Window)
			return false;
		Login = wait(
			[](const test::SScreenshot& shot) { return showsLogin(shot); }, "front_end_login_screen_" + Driver);
		if (!showsLogin(Login) || !x11::click(Server.display(), Window, PLAY_X, PLAY_Y))
			return false;
		return showsLevel(
			wait([](const test::SScreenshot& shot) { return showsLevel(shot); }, "front_end_sample_started_" + Driver));
	}

	test::SScreenshot wait(const std::function<bool(const test::SScreenshot&)>& ready, const std::string& artifact)
	{
		return x11::waitForScreenshot(
			Server.display(), Window, [&](const test::SScreenshot& shot) { return fullWindow(shot) && ready(shot); },
			TIMEOUT_MS, artifact);
	}

	bool key(const char* name, bool down) { return x11::key(Server.display(), Window, name, down); }

	//! Closes the window as a window manager does; the client's exit code.
	int close()
	{
		int exitCode = -1;
		if (!x11::sendDeleteWindow(Server.display(), Window) || !Client.waitForExit(TIMEOUT_MS, exitCode))
			return -1;
		return exitCode;
	}

	std::string log() const { return Client.log(); }
	const test::SScreenshot& login() const { return Login; }

private:
	static bool prepare(const test::CTempFolder& folder, const char* driver)
	{
		if (driver)
			folder.write("settings.ini", std::string("[Window]\ndriver = ") + driver + "\n");
		const std::string command = std::string(ORV_SOURCE_DIR) + "/scripts/prepare-run-folder.sh '" + folder.path() +
			"' >/dev/null 2>&1";
		return std::system(command.c_str()) == 0;
	}

	// The login window over the red clear colour.
	static bool showsLogin(const test::SScreenshot& shot)
	{
		return test::nearColour(shot.at(10, 10), CLEAR) && !test::nearColour(shot.at(400, 300), CLEAR);
	}

	// The tile map's sky where the login window stood.
	static bool showsLevel(const test::SScreenshot& shot)
	{
		return test::nearColour(shot.at(402, 106), SKY) && test::nearColour(shot.at(402, 399), DIRT);
	}

	std::string Driver;
	test::CXvfb Server;
	test::CTempFolder Folder;
	bool Prepared;
	test::CClientProcess Client;
	unsigned long Window = 0;
	test::SScreenshot Login;
};

} // namespace

TEST(FrontEndWindow, LoginScreenShowsAndPlayShowsTheSampleLevelFalling)
{
	CSampleRun run;
	ASSERT_TRUE(run.playSample()) << run.log();
	// The sample's logo in the Offline tab: its grass band 95 pixels down the picture.
	EXPECT_TRUE(test::nearColour(run.login().at(LOGO_X + 20, LOGO_Y + 95), GRASS))
		<< describe(run.login().at(LOGO_X + 20, LOGO_Y + 95));

	// The camera follows the hero at world (400, 464), the centre of the
	// window. The crate the level places at world (680, 380), its top at row
	// 200 of the window, falls onto the ground.
	const int crateRestTop = 284;
	const test::SScreenshot later = run.wait(
		[&](const test::SScreenshot& shot) { return std::abs(crateTop(shot, 672, 150, 320) - crateRestTop) <= 2; },
		"front_end_sample_crate_landed");
	ASSERT_TRUE(fullWindow(later)) << run.log();
	EXPECT_NEAR(crateTop(later, 672, 150, 320), crateRestTop, 2);

	struct Case
	{
		const char* what;
		int x, y;
		SRgb colour;
	};
	const Case cases[] = {
		{"sky of the tile map", 402, 106, SKY},
		{"ground of the tile map", 402, 399, DIRT},
		{"grass on the ground", 402, 318, GRASS},
		{"the crate that rests on the ground", 292, 300, CRATE},
		{"the hero's shirt", 400, 300, SHIRT},
	};
	for (const Case& c : cases)
		EXPECT_TRUE(test::nearColour(later.at(c.x, c.y), c.colour)) << c.what << " is " << describe(later.at(c.x, c.y));

	// The right arrow walks the hero right; the camera keeps it in the
	// middle, so the crate resting on the ground goes left.
	const int crateLeftBefore = crateLeft(later, 300, 100, 400);
	ASSERT_TRUE(run.key("Right", true));
	const test::SScreenshot walked = run.wait(
		[&](const test::SScreenshot& shot) { return crateLeft(shot, 300, 0, 400) + 20 < crateLeftBefore; },
		"front_end_sample_walked");
	ASSERT_TRUE(run.key("Right", false));
	EXPECT_LT(crateLeft(walked, 300, 0, 400) + 20, crateLeftBefore);
	EXPECT_NE(shirtColumn(walked, 300), -1) << "the hero left the middle row";

	// Up jumps from the ground: the camera keeps the hero in the middle, so
	// the sky shows under its feet, more than a tile below where the grass
	// was, until it lands.
	const auto airborne = [](const test::SScreenshot& shot) { return test::nearColour(shot.at(402, 340), SKY); };
	const auto landed = [](const test::SScreenshot& shot) { return test::nearColour(shot.at(402, 318), GRASS); };
	ASSERT_TRUE(run.key("Up", true));
	EXPECT_TRUE(airborne(run.wait(airborne, "front_end_sample_jumped"))) << "the hero did not jump";
	ASSERT_TRUE(run.key("Up", false));
	EXPECT_TRUE(landed(run.wait(landed, "front_end_sample_landed"))) << "the hero did not land";

	EXPECT_EQ(run.close(), 0) << run.log();
}

// The hero walks to the world's left edge and then to its right edge; the
// walls hold it and the camera never shows what lies beyond the world, and
// every driver draws the hero over the map wherever the camera has it.
TEST(FrontEndWindow, TheSampleHeroStaysInTheWorldAndTheCameraShowsNothingBeyond)
{
	struct Case
	{
		const char* key;
		// The hero's shirt reaches this far to the side of the window: the
		// camera, held at the world's edge, no longer keeps the hero in the middle.
		std::function<bool(int shirtX)> atEdge;
		const char* artifact;
	};
	const Case cases[] = {
		{"Left", [](int x) { return x >= 0 && x < 120; }, "front_end_sample_left_edge"},
		{"Right", [](int x) { return x > 560; }, "front_end_sample_right_edge"},
	};
	for (const char* driver : {"opengl", "software"})
	{
		SCOPED_TRACE(driver);
		CSampleRun run(driver);
		ASSERT_TRUE(run.playSample()) << run.log();
		for (const Case& c : cases)
		{
			SCOPED_TRACE(c.key);
			const std::string artifact = std::string(c.artifact) + "_" + driver;
			ASSERT_TRUE(run.key(c.key, true));
			int worstClear = 0;
			const test::SScreenshot edge = run.wait(
				[&](const test::SScreenshot& shot) {
					worstClear = std::max(worstClear, longestClearRun(shot));
					return c.atEdge(shirtColumn(shot, 300));
				},
				artifact);
			ASSERT_TRUE(run.key(c.key, false));
			EXPECT_TRUE(c.atEdge(shirtColumn(edge, 300))) << "the hero did not reach the edge: see " << artifact;
			EXPECT_LE(worstClear, 1) << "the window showed the clear colour: see " << artifact;
		}
		EXPECT_EQ(run.close(), 0) << run.log();
	}
}
