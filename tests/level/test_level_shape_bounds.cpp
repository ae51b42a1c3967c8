// A level's collision shapes keep to the world's bound on shapes: shapes past
// it are skipped with one line, and the rest of the level loads. A level of
// many objects keeps them all: they take their places as the world syncs them.

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/Refusal.h"
#include "level_fixture.h"
#include "world/CPhysicsManager.h"
#include "world/ShapeBounds.h"

namespace orv {
namespace {

using test::LevelTest;

std::string objectsWithCircles(int objects, int circles, const char* center)
{
	std::string circle = "<circle radius=\"0.25\" center=\"" + std::string(center) + "\"/>";
	std::string shapes;
	for (int i = 0; i < circles; ++i)
		shapes += circle;
	std::string level = "<orvlevel version=\"1\"><sceneobjects>\n";
	for (int i = 0; i < objects; ++i)
		level += "<object><collision>" + shapes + "</collision></object>\n";
	return level + "</sceneobjects></orvlevel>\n";
}

// Each at its own place, as a level puts them: they take it as the world
// syncs them, after their shapes joined them at the origin.
std::string objectsInARow(int objects)
{
	std::string level = "<orvlevel version=\"1\"><sceneobjects>\n";
	for (int i = 0; i < objects; ++i)
		level += "<object><property name=\"x\" type=\"float\" value=\"" + std::to_string(i * 16) +
			"\"/><collision><circle radius=\"0.25\"/></collision></object>\n";
	return level + "</sceneobjects></orvlevel>\n";
}

std::size_t allFixtures()
{
	return static_cast<std::size_t>(CPhysicsManager::getInstance()->getWorld()->GetProxyCount());
}

TEST_F(LevelTest, ShapesPastTheWorldsBoundsAreSkippedWithOneLine)
{
	b2Body* filler = nullptr;
	struct Case
	{
		const char* name;
		std::function<void()> before;
		std::string level;
		std::size_t fixtures;
		const char* line;
	};
	const Case cases[] = {
		{"many objects in their places", [] {}, objectsInARow(1100), 1100, nullptr},
		{"one object of many shapes on one spot", [] {}, objectsWithCircles(1, 2000, "0 0"), 2000, nullptr},
		{"a world nearly full",
			[&filler] {
				CPhysicsManager* physics = CPhysicsManager::getInstance();
				b2BodyDef def;
				def.position.Set(-500.0f, 0.0f);
				physics->createBody(filler, def);
				b2CircleShape circle;
				circle.m_radius = 0.25f;
				b2FixtureDef fixture;
				fixture.shape = &circle;
				for (std::size_t i = 0; i < MAX_WORLD_SHAPES - 4; ++i)
					physics->createFixture(filler, fixture);
			},
			objectsWithCircles(2, 5, "40 0"), MAX_WORLD_SHAPES, "collision shapes past the world's 65536 are skipped."},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		clearObjects();
		if (filler)
			CPhysicsManager::getInstance()->destroyBody(filler);
		forgetRefusals();
		log.lines.clear();
		c.before();
		write("shapes.xml", c.level);
		load("shapes.xml");
		EXPECT_EQ(allFixtures(), c.fixtures);
		std::vector<std::string> refusals;
		for (const std::string& line : log.lines)
			if (line.rfind("level: Level shapes.xml, object (", 0) == 0)
				refusals.push_back(line);
		ASSERT_EQ(refusals.size(), c.line ? 1u : 0u) << testing::PrintToString(log.lines);
		if (c.line)
			EXPECT_NE(refusals[0].find(c.line), std::string::npos) << refusals[0];
	}
	if (filler)
		CPhysicsManager::getInstance()->destroyBody(filler);
}

} // namespace
} // namespace orv
