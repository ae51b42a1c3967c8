// The client binary in a run folder laid out as ./run.sh lays it, under a
// private X server: the login screen, then Play on the sample package.

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

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
// Start-up under the sanitizers and a software GL stack takes its time.
const int START_TIMEOUT_MS = 60000;

// Colours the sample package's pictures are drawn in (scripts/make-sample-pictures.py).
const SRgb SKY = {104, 176, 232};
const SRgb GRASS = {72, 160, 64};
const SRgb DIRT = {128, 84, 48};
const SRgb CRATE = {184, 124, 60};
const SRgb CRATE_EDGE = {112, 68, 28};
const SRgb SHIRT = {200, 48, 48};

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

} // namespace

TEST(FrontEndWindow, LoginScreenShowsAndPlayShowsTheSampleLevelFalling)
{
	test::CXvfb server;
	ASSERT_TRUE(server.isRunning());
	test::CTempFolder folder;
	const std::string prepare =
		std::string(ORV_SOURCE_DIR) + "/scripts/prepare-run-folder.sh '" + folder.path() + "' >/dev/null 2>&1";
	ASSERT_EQ(std::system(prepare.c_str()), 0);

	test::CClientProcess client(folder.path(), server.display());
	ASSERT_TRUE(client.start());
	const unsigned long window = x11::waitForWindow(server.display(), "Orv 0.0.1 [", START_TIMEOUT_MS);
	ASSERT_NE(window, 0u) << client.log();
	std::this_thread::sleep_for(std::chrono::milliseconds(1000));

	// The login window over the red clear colour, the sample's logo in the
	// Offline tab (its grass band 95 pixels down the picture).
	const test::SScreenshot login = x11::screenshot(server.display(), window, "front_end_login_screen");
	ASSERT_TRUE(fullWindow(login));
	EXPECT_TRUE(test::nearColour(login.at(10, 10), {255, 0, 0})) << describe(login.at(10, 10));
	EXPECT_FALSE(test::nearColour(login.at(400, 300), {255, 0, 0}));
	EXPECT_TRUE(test::nearColour(login.at(LOGO_X + 20, LOGO_Y + 95), GRASS))
		<< describe(login.at(LOGO_X + 20, LOGO_Y + 95));

	ASSERT_TRUE(x11::click(server.display(), window, PLAY_X, PLAY_Y));
	std::this_thread::sleep_for(std::chrono::milliseconds(300));
	const test::SScreenshot started = x11::screenshot(server.display(), window, "front_end_sample_started");
	std::this_thread::sleep_for(std::chrono::milliseconds(2000));
	const test::SScreenshot later =
		x11::screenshot(server.display(), window, "front_end_sample_two_seconds_later");
	ASSERT_TRUE(fullWindow(started) && fullWindow(later)) << client.log();

	// The camera follows the hero at world (400, 464), the centre of the window.
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

	// The crate dropped from world (680, 380) has fallen onto the ground.
	const int before = crateTop(started, 672, 150, 320);
	const int after = crateTop(later, 672, 150, 320);
	EXPECT_GT(after, before);
	EXPECT_NEAR(after, 284, 2);

	// The right arrow walks the hero right; the camera keeps it in the
	// middle, so the crate resting on the ground goes left.
	ASSERT_TRUE(x11::key(server.display(), window, "Right", true));
	std::this_thread::sleep_for(std::chrono::milliseconds(600));
	ASSERT_TRUE(x11::key(server.display(), window, "Right", false));
	std::this_thread::sleep_for(std::chrono::milliseconds(300));
	const test::SScreenshot walked = x11::screenshot(server.display(), window, "front_end_sample_walked");
	ASSERT_TRUE(fullWindow(walked));
	EXPECT_LT(crateLeft(walked, 300, 100, 400) + 20, crateLeft(later, 300, 100, 400));
	EXPECT_TRUE(test::nearColour(walked.at(400, 300), SHIRT)) << describe(walked.at(400, 300));

	ASSERT_TRUE(x11::sendDeleteWindow(server.display(), window));
	int exitCode = -1;
	ASSERT_TRUE(client.waitForExit(START_TIMEOUT_MS, exitCode)) << client.log();
	EXPECT_EQ(exitCode, 0) << client.log();
}

