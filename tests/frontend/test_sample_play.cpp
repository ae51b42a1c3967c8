// The sample package as a player meets it: chosen on the Offline tab and
// started with Play, the hero walked and jumped with the arrow keys through
// the play-time receiver, frame after frame of a game clock the test turns.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <irrlicht.h>

#include "engine/CGameEngine.h"
#include "frontend/CLoginEventReceiver.h"
#include "support/login_screen.h"
#include "world/CObjectClass.h"
#include "world/CObjectManager.h"
#include "world/CSceneObject.h"

namespace {

using namespace orv;
namespace fs = std::filesystem;

std::string readFile(const fs::path& path)
{
	std::ifstream in(path, std::ios::binary);
	std::ostringstream bytes;
	bytes << in.rdbuf();
	return bytes.str();
}

// The package folder as the repository bundles it.
test::SandboxFiles bundledPackages()
{
	test::SandboxFiles files;
	const fs::path content = fs::path(ORV_SOURCE_DIR) / "content";
	for (const auto& entry : fs::recursive_directory_iterator(content / "package"))
		if (entry.is_regular_file())
			files[fs::relative(entry.path(), content).string()] = readFile(entry.path());
	return files;
}

// The sample's world, pixels: the top of the ground, the walls at its sides.
const float GROUND_TOP = 480.0f;
const float LEFT_WALL = 0.0f;
const float RIGHT_WALL = 960.0f;
// Half the hero's height; the highest it can stand is on every crate of the
// level stacked, and a jump takes it about 58 pixels higher.
const float HERO_HALF_HEIGHT = 16.0f;
const float ALL_CRATES_STACKED = 6 * 32.0f;
const float JUMP_HEIGHT = 64.0f;

class SamplePlay : public test::LoginScreenTest
{
protected:
	void SetUp() override
	{
		test::SandboxFiles files = bundledPackages();
		files["package/Plain/package.xml"] = "<orvpackage version=\"1\"><package name=\"Plain\" version=\"1\">"
											 "<description>No logo.</description></package></orvpackage>";
		files["settings.ini"] = readFile(fs::path(ORV_SOURCE_DIR) / "content/settings.ini");
		files["fonts/DejaVuSans.ttf"] = readFile("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
		// One engine at a time: a case's game ends before the next begins.
		sandbox.reset();
		sandbox.reset(new test::CEngineSandbox(files));
		ASSERT_TRUE(sandbox->started());
	}

	void choose(const char* package)
	{
		const SLoginScreen& s = screen();
		for (irr::u32 i = 0; i < s.PackageList->getItemCount(); ++i)
			if (irr::core::stringw(s.PackageList->getListItem(i)) == irr::core::stringw(package))
				return select(s.PackageList, static_cast<irr::s32>(i));
		ADD_FAILURE() << package << " is not listed";
	}

	// The sample starts; from here the game's clock moves only with frame().
	void play()
	{
		choose("Sample");
		click(screen().PlayButton);
		ASSERT_TRUE(engine().isGameRunning());
		timer = device()->getTimer();
		timer->stop();
		clock = timer->getTime();
	}

	// One frame, a sixtieth of a second after the last one.
	void frame()
	{
		clock += 17;
		timer->setTime(clock);
		ASSERT_TRUE(engine().update());
		engine().render();
	}

	void key(irr::EKEY_CODE code, bool down)
	{
		irr::SEvent event{};
		event.EventType = irr::EET_KEY_INPUT_EVENT;
		event.KeyInput.Key = code;
		event.KeyInput.PressedDown = down;
		device()->postEventFromUser(event);
	}

	static CSceneObject* hero()
	{
		for (const auto& entry : CObjectManager::getInstance()->getSceneObjects())
			if (entry.second->getObjectClass() &&
				entry.second->getObjectClass()->getName() == irr::core::ustring16("hero"))
				return entry.second;
		return nullptr;
	}

	irr::ITimer* timer = nullptr;
	irr::u32 clock = 0;
};

TEST_F(SamplePlay, TheHeroJumpsOnlyFromGroundBelowIt)
{
	struct Case
	{
		const char* name;
		// Walked this way first, for a quarter of a minute: far enough to
		// push every crate on the way against the wall. Then Up is held with
		// it for ten seconds.
		irr::EKEY_CODE walk;
		// The hero's centre comes no higher than the first, and at least as
		// high as the second.
		float highestAllowed;
		float risesTo;
	} cases[] = {
		{"standing on open ground", irr::KEY_KEY_X, GROUND_TOP - HERO_HALF_HEIGHT - JUMP_HEIGHT,
			GROUND_TOP - HERO_HALF_HEIGHT - 40.0f},
		{"against the crates and the wall on the right", irr::KEY_RIGHT,
			GROUND_TOP - HERO_HALF_HEIGHT - ALL_CRATES_STACKED - JUMP_HEIGHT, GROUND_TOP},
		{"against the crates and the wall on the left", irr::KEY_LEFT,
			GROUND_TOP - HERO_HALF_HEIGHT - ALL_CRATES_STACKED - JUMP_HEIGHT, GROUND_TOP},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		SetUp();
		play();
		CSceneObject* walker = hero();
		ASSERT_NE(walker, nullptr);
		key(c.walk, true);
		for (int i = 0; i < 15 * 60; ++i)
			frame();
		key(irr::KEY_UP, true);
		float highest = walker->getPosition().Y;
		float left = walker->getPosition().X;
		float right = left;
		for (int i = 0; i < 10 * 60; ++i)
		{
			frame();
			highest = std::min(highest, walker->getPosition().Y);
			left = std::min(left, walker->getPosition().X);
			right = std::max(right, walker->getPosition().X);
		}
		key(irr::KEY_UP, false);
		key(c.walk, false);
		// Only ever a jump above something to stand on, and never out of the world.
		EXPECT_GE(highest, c.highestAllowed);
		EXPECT_LE(highest, c.risesTo) << "the hero did not jump";
		EXPECT_GT(left, LEFT_WALL);
		EXPECT_LT(right, RIGHT_WALL);
	}
}

TEST_F(SamplePlay, TheOfflineTabShowsEachPackagesOwnLogoAndItsWholeDescription)
{
	const SLoginScreen& s = screen();
	struct Case
	{
		const char* package;
		bool logo;
	} cases[] = {{"Sample", true}, {"Plain", false}, {"Sample", true}};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.package);
		choose(c.package);
		EXPECT_EQ(s.PackageLogo->getImage() != nullptr, c.logo);
	}

	// The sample's description is longer than its panel is wide: it goes on
	// below, inside the panel.
	irr::gui::IGUIStaticText* description = s.PackageDescription;
	const irr::core::recti panel = description->getRelativePosition();
	irr::gui::IGUIFont* font = description->getActiveFont();
	ASSERT_NE(font, nullptr);
	ASSERT_GT(font->getDimension(description->getText()).Width, static_cast<irr::u32>(panel.getWidth()))
		<< "the description fits one line";
	EXPECT_TRUE(description->isWordWrapEnabled());
	EXPECT_LE(description->getTextWidth(), panel.getWidth());
	EXPECT_GT(description->getTextHeight(), static_cast<irr::s32>(font->getDimension(L"A").Height));
	EXPECT_LE(description->getTextHeight(), panel.getHeight());
}

} // namespace
