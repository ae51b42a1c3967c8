// A game of two levels written from the package author's guide and the
// script page alone: the hero walks through the first level, takes a pickup
// on the way moves into the second level when it reaches the first one's
// edge, and reaches the goal there.

#include <gtest/gtest.h>

#include "DocGame.h"
#include "world/CObjectManager.h"

namespace orv::test {
namespace {

// The ground of one level: an object without a picture, one static box of
// 30 x 1 units (960 x 32 pixels) whose top is at y = 480.
std::string ground(int centreX)
{
	return "<object type=\"none\" class=\"ground\">"
		   "<property name=\"x\" type=\"float\" value=\"" +
		std::to_string(centreX) +
		"\"/><property name=\"y\" type=\"float\" value=\"496\"/>"
		"<collision type=\"static\"><box radius=\"30 1\"/></collision></object>\n";
}

// An object of a class classes.xml lacks, with code of its own that the
// hero passes through.
std::string touchable(const char* className, int x, const std::string& code)
{
	return std::string("<object type=\"none\" class=\"") + className +
		"\"><property name=\"x\" type=\"float\" value=\"" + std::to_string(x) +
		"\"/><property name=\"y\" type=\"float\" value=\"464\"/>"
		"<script><![CDATA[\n" +
		code + "]]></script><collision type=\"static\"><box radius=\"0.5\"/></collision></object>\n";
}

std::string level(const std::string& objects)
{
	return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<orvlevel version=\"1\"><sceneobjects>\n" + objects +
		"</sceneobjects></orvlevel>\n";
}

const char* const CLIENT = R"(
void Created(SceneObject@+ self)
{
	Physics.Gravity = vector2df(0, 20);
	Engine.load_level("first_level.xml");
	GUI.create_statictext("Walk to the right", recti(12, 10, 300, 30));
}
)";

// The hero walks by its velocity: a body moved only by its Position falls
// asleep once it rests and then hears no contact with a static object.
const char* const HERO = R"(
bool secondLoaded = false;

void Created(SceneObject@+ self)
{
	@Engine.Player = self;
	@Camera.Follow = self;
	Camera.ViewLimit = rectf(0, 0, 959, 767);
	Camera.UseViewLimit = true;
	self.Physics.add_collision_box(vector2df(0.75f, 1), vector2df(0, 0), 0.0f, 1.0f, 0.0f);
	self.Physics.FixedRotation = true;
}

void Update(SceneObject@+ self, uint timeMS)
{
	// A velocity keeps the body awake, so it hears the pickup and the goal.
	self.Physics.Velocity = vector2df(10, self.Physics.Velocity.Y);
	if (!secondLoaded && self.Position.X >= 940)
	{
		secondLoaded = true;
		Engine.load_level("second_level.xml");
		self.Position = vector3df(1000, 460, self.Position.Z);
		Camera.ViewLimit = rectf(960, 0, 1919, 767);
		Engine.log("second level, score " + int(self.get_attribute_int("score")));
	}
}
)";

const char* const PICKUP = R"(
bool taken = false;
bool moved = false;

bool OnSolveContact(SceneObject@+ self, SceneObject@+ other, vector2df normal, vector2df self_point,
	vector2df other_point)
{
	if (other !is Engine.Player)
		return true;
	if (!taken)
		other.set_attribute("score", other.get_attribute_int("score") + 1);
	taken = true;
	return false;
}

void Update(SceneObject@+ self, uint timeMS)
{
	if (taken && !moved)
	{
		moved = true;
		self.Position = vector3df(-10000, -10000, self.Position.Z);
	}
}
)";

const char* const GOAL = R"(
bool reached = false;

bool OnSolveContact(SceneObject@+ self, SceneObject@+ other, vector2df normal, vector2df self_point,
	vector2df other_point)
{
	if (other !is Engine.Player)
		return true;
	if (!reached)
		Engine.log("goal reached, score " + int(other.get_attribute_int("score")));
	reached = true;
	return false;
}
)";

TEST(DocTwoLevels, AGameOfTwoLevelsWrittenFromTheDocsPlaysThrough)
{
	SDocScripts scripts;
	scripts.Client = CLIENT;
	scripts.Files["walker.as"] = HERO;
	scripts.Files["first_level.xml"] = level(ground(480) +
		"<object type=\"animated\" class=\"hero\"><property name=\"x\" type=\"float\" value=\"100\"/>"
		"<property name=\"y\" type=\"float\" value=\"460\"/><property name=\"image\" value=\"hero_idle.gani\"/>"
		"<script file=\"walker.as\"/><collision type=\"dynamic\"/></object>\n" +
		touchable("pickup", 500, PICKUP));
	scripts.Files["second_level.xml"] = level(ground(1440) + touchable("goal", 1400, GOAL));

	bool played = false;
	bool reached = false;
	size_t objects = 0;
	std::vector<std::string> failures;
	std::vector<std::string> lines;
	{
		CDocGame game(scripts);
		played = game.play();
		if (played)
			reached = game.framesUntil([&] { return game.countStarting("script: goal reached") > 0; });
		if (CObjectManager* manager = CObjectManager::getInstance())
			objects = manager->getSceneObjects().size();
		failures = game.scriptFailures();
		lines = game.lines();
	}
	ASSERT_TRUE(played);
	EXPECT_TRUE(reached) << testing::PrintToString(lines);
	EXPECT_TRUE(failures.empty()) << testing::PrintToString(failures);
	struct Case
	{
		const char* start;
		size_t count;
	};
	const Case cases[] = {
		{"level: Level first_level.xml loaded in ", 1},
		{"level: Level second_level.xml loaded in ", 1},
		{"script: second level, score 1", 1},
		{"script: goal reached, score 1", 1},
		// Nothing the guide writes is warned of.
		{"level: Level first_level.xml:", 0},
		{"level: Level second_level.xml:", 0},
		{"level: Level first_level.xml, object", 0},
		{"level: Level second_level.xml, object", 0},
	};
	for (const Case& c : cases)
	{
		size_t found = 0;
		for (const std::string& line : lines)
			found += line.rfind(c.start, 0) == 0;
		EXPECT_EQ(found, c.count) << c.start << "\n" << testing::PrintToString(lines);
	}
	// The second level adds to the first: nothing took the first's objects out.
	EXPECT_EQ(objects, 5u);
}

} // namespace
} // namespace orv::test
