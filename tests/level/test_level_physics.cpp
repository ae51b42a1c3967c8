// A level in motion: bodies, shapes and pixels per unit agree once the world
// steps, and a level that a script loads from inside the step waits for it.

#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "level_fixture.h"
#include "world/CPhysicsManager.h"
#include "world/EngineAttributes.h"

namespace orv {
namespace {

using test::LevelTest;

// Box2D reports a contact to the object of its first fixture only: both
// objects carry the script.
#define CONTACT_SCRIPT                                                                                                 \
	"<script><![CDATA[\n"                                                                                              \
	"int contacts = 0;\n"                                                                                              \
	"void OnBeginContact(SceneObject@+ self, SceneObject@+ other) {\n"                                                 \
	"  if (++contacts == 1) Engine.load_level(\"extra.xml\");\n"                                                       \
	"}\n"                                                                                                              \
	"]]></script>\n"

const char* const FALLING_BOX =
	"<orvlevel version=\"1\"><sceneobjects>\n"
	"<object type=\"static\" class=\"floor\"><property name=\"x\" type=\"float\" value=\"0\"/>"
	"<property name=\"y\" type=\"float\" value=\"160\"/>" CONTACT_SCRIPT
	"<collision><box radius=\"10 0.5\"/></collision></object>\n"
	"<object type=\"static\" class=\"crate\"><property name=\"y\" type=\"float\" value=\"96\"/>\n" CONTACT_SCRIPT
	"<collision type=\"dynamic\"><box radius=\"0.5\"/></collision></object>\n"
	"</sceneobjects></orvlevel>\n";

// Its object loads its own level again from Created: refused, not endless.
const char* const EXTRA =
	"<orvlevel version=\"1\"><sceneobjects><object class=\"extra\"><property name=\"x\" type=\"float\" value=\"320\"/>"
	"<script><![CDATA[void Created(SceneObject@+ self) { Engine.load_level(\"extra.xml\"); }]]></script>"
	"<collision type=\"dynamic\"><circle radius=\"0.5\"/></collision></object></sceneobjects></orvlevel>\n";

TEST_F(LevelTest, ABoxFallsOntoTheFloorAndAContactLoadsALevelAfterTheStep)
{
	write("fall.xml", FALLING_BOX);
	write("extra.xml", EXTRA);
	load("fall.xml");
	ASSERT_EQ(objectCount(), 2u);
	CSceneObject* crate = object(2);
	ASSERT_NE(crate->getBody(), nullptr);
	const float pixelsPerUnit = CPhysicsManager::getInstance()->getPixelsPerUnit();
	EXPECT_EQ(crate->getBody()->GetPosition(), b2Vec2(0.0f, 96.0f / pixelsPerUnit));

	CPhysicsManager* physics = CPhysicsManager::getInstance();
	physics->setGravity(irr::core::vector2df(0.0f, 10.0f));
	size_t stepsBeforeExtra = 0;
	for (int frame = 0; frame < 60; ++frame)
	{
		physics->update(CPhysicsManager::STEP_SECONDS * 1.01f);
		if (objectCount() == 2)
			++stepsBeforeExtra;
	}
	CSceneObject::syncPositionFromBody(crate);

	// The floor's top is at 160 / 16 - 0.5 units; the box rests half a unit
	// above it, less the two shapes' skins.
	const float restingPixels = (160.0f / pixelsPerUnit - 0.5f - 0.5f) * pixelsPerUnit;
	const float y = crate->getEngineAttribute(EP_Y)->getFloat();
	EXPECT_NEAR(y, restingPixels, 1.0f);
	EXPECT_FLOAT_EQ(y, crate->getBody()->GetPosition().y * pixelsPerUnit);
	EXPECT_NEAR(crate->getBody()->GetLinearVelocity().y, 0.0f, 0.05f);
	EXPECT_EQ(global(crate, "contacts") + global(object(1), "contacts"), 1);

	// The level came after the step it was asked for in: its object has its
	// body and shape, and it joined the scene.
	ASSERT_EQ(objectCount(), 3u);
	EXPECT_GT(stepsBeforeExtra, 10u);
	CSceneObject* extra = object(3);
	EXPECT_TRUE(joined(extra));
	ASSERT_NE(extra->getBody(), nullptr);
	EXPECT_EQ(fixtures(extra).size(), 1u);
	EXPECT_EQ(log.count("level: Level extra.xml loaded in "), 1u);
	EXPECT_EQ(log.count("level: Level extra.xml is already being read"), 1u);
}

} // namespace
} // namespace orv

namespace orv {
namespace {

// A dynamic body works its mass out anew over all its shapes each time one
// joins it: the level's shapes join first, and the body takes its type once.
TEST_F(LevelTest, ManyShapesOfADynamicBodyAllCountInItsMass)
{
	const int circles = 1000;
	std::string shapes;
	for (int i = 0; i < circles; ++i)
		shapes += "<circle radius=\"0.1\" center=\"" + std::to_string(i % 40) + " " + std::to_string(i / 40) + "\"/>";
	write("shapes.xml",
		"<orvlevel version=\"1\"><sceneobjects><object class=\"heap\"><collision type=\"dynamic\">" + shapes +
			"</collision></object></sceneobjects></orvlevel>");
	load("shapes.xml");
	const CSceneObject* heap = object(1);
	ASSERT_NE(heap, nullptr);
	ASSERT_NE(heap->getBody(), nullptr);
	EXPECT_EQ(heap->getBody()->GetType(), b2_dynamicBody);
	EXPECT_EQ(fixtures(heap).size(), size_t(circles));
	EXPECT_NEAR(heap->getBody()->GetMass(), circles * 3.14159265f * 0.01f, 0.01f);
}

} // namespace
} // namespace orv
