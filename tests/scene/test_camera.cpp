#include <cmath>
#include <limits>

#include <angelscript.h>
#include <gtest/gtest.h>
#include <irrlicht.h>

#include "base/packet.h"
#include "script/CScriptManager.h"
#include "script/CScriptModule.h"
#include "scene/CCameraManager.h"
#include "support/engine_fixture.h"
#include "world/CSceneObject.h"

namespace orv {
namespace {

using irr::core::rectf;
using irr::core::vector3df;

class CameraTest : public test::EngineTest
{
protected:
	void SetUp() override
	{
		test::EngineTest::SetUp();
		camera = CCameraManager::getExistingInstance();
		ASSERT_NE(camera, nullptr);
		ASSERT_TRUE(camera->hasCamera());
		scene = engine().getDevice()->getSceneManager();
		scene->drawAll();
	}
	void TearDown() override
	{
		for (auto& entry : engine().getSceneNodes())
		{
			entry.second->remove();
			entry.first->drop();
		}
		engine().getSceneNodes().clear();
		test::EngineTest::TearDown();
	}

	// An object with a node in the engine's map, at the position in pixels.
	CSceneObject* placed(irr::u32 id, const vector3df& position)
	{
		CSceneObject* object = new CSceneObject(id, nullptr);
		irr::scene::ISceneNode* node = scene->addEmptySceneNode(nullptr, -1);
		node->setPosition(position);
		engine().getSceneNodes()[object] = node;
		return object;
	}

	// As the program does it: the camera moves, then the frame is drawn,
	// which gives the camera its absolute position and its view area.
	void frame()
	{
		camera->update();
		scene->drawAll();
	}

	CCameraManager* camera = nullptr;
	irr::scene::ISceneManager* scene = nullptr;
};

TEST(CameraBeforeInit, AnswersDefaultsAndChangesNothing)
{
	CCameraManager manager;
	EXPECT_FLOAT_EQ(manager.getFarZ(), 5000.0f);
	manager.setFarZ(10.0f);
	EXPECT_FLOAT_EQ(manager.getFarZ(), 5000.0f);
	manager.setPosition(vector3df(1, 2, 3));
	EXPECT_EQ(manager.getPosition(), vector3df(0, 0, 0));
	EXPECT_EQ(manager.getFollowed(), nullptr);
	manager.update();
}

TEST_F(CameraTest, OrthographicProjectionOfTheScreen)
{
	irr::scene::ICameraSceneNode* node = camera->getCamera();
	EXPECT_EQ(scene->getActiveCamera(), node);
	EXPECT_TRUE(node->isOrthogonal());
	EXPECT_EQ(node->getTarget(), vector3df(0, 0, -100));
	EXPECT_EQ(node->getUpVector(), vector3df(0, -1, 0));

	const irr::f32 nan = std::numeric_limits<irr::f32>::quiet_NaN();
	const irr::f32 infinity = std::numeric_limits<irr::f32>::infinity();
	struct Case
	{
		irr::f32 farZ;
		irr::f32 storedFarZ;
	} cases[] = {{5000, 5000}, {1000, 1000}, {0, 1000}, {infinity, 1000}, {nan, 1000}, {-200, -200}};
	for (const Case& c : cases)
	{
		camera->setFarZ(c.farZ);
		EXPECT_FLOAT_EQ(camera->getFarZ(), c.storedFarZ) << c.farZ;
		const irr::core::matrix4& m = node->getProjectionMatrix();
		for (int i = 0; i < 16; ++i)
		{
			irr::f32 expected = 0.0f;
			if (i == 0)
				expected = 2.0f / 800.0f;
			else if (i == 5)
				expected = 2.0f / 600.0f;
			else if (i == 10)
				expected = 1.0f / c.storedFarZ;
			else if (i == 15)
				expected = 1.0f;
			EXPECT_FLOAT_EQ(m[i], expected) << "element " << i << " far " << c.farZ;
		}
	}

	// Without the orthographic rebuild the far value goes to the camera itself.
	camera->KeepOrthographic = false;
	camera->setFarZ(750.0f);
	EXPECT_FLOAT_EQ(node->getFarValue(), 750.0f);
	EXPECT_FLOAT_EQ(camera->getFarZ(), 750.0f);
}

TEST_F(CameraTest, FollowsWithinTheViewLimit)
{
	struct Case
	{
		bool useLimit;
		rectf limit;
		vector3df object;
		vector3df expected;
	} cases[] = {
		{false, {0, 0, 0, 0}, {120, 80, 7}, {120, 80, 0}},
		{true, {0, 0, 2000, 1000}, {100, 100, 0}, {400, 300, 0}},
		{true, {0, 0, 2000, 1000}, {1900, 950, 0}, {1600, 700, 0}},
		{true, {0, 0, 2000, 1000}, {1000, 500, 0}, {1000, 500, 0}},
		// Narrower than the view: the middle of the limit, wherever the object is.
		{true, {0, 0, 500, 1000}, {1900, 100, 0}, {250, 300, 0}},
		{true, {0, 0, 500, 1000}, {-40, 950, 0}, {250, 700, 0}},
	};
	CSceneObject* object = placed(5, vector3df(0, 0, 0));
	camera->setFollowed(object);
	ASSERT_EQ(camera->getFollowed(), object);
	for (const Case& c : cases)
	{
		camera->UseViewLimit = c.useLimit;
		camera->setViewLimit(c.limit);
		engine().getSceneNodes()[object]->setPosition(c.object);
		frame();
		EXPECT_EQ(camera->getPosition(), c.expected) << c.object.X << "," << c.object.Y;
		EXPECT_EQ(camera->getCamera()->getTarget(), c.expected + vector3df(0, 0, -100));
	}
	const irr::core::aabbox3df& view = camera->getCamera()->getBoundingBox();
	EXPECT_FLOAT_EQ(view.MaxEdge.X - view.MinEdge.X, 800.0f);
	EXPECT_FLOAT_EQ(view.MaxEdge.Y - view.MinEdge.Y, 600.0f);
}

TEST_F(CameraTest, PositionReadsBackWhatWasSetBeforeTheSceneDraws)
{
	const vector3df positions[] = {{10, 20, 0}, {-5, 3, 7}, {0, 0, 0}, {1e6f, -1e6f, 0}};
	for (const vector3df& position : positions)
	{
		camera->setPosition(position);
		EXPECT_EQ(camera->getPosition(), position);
	}
	// A followed node's place reads back right after the camera's update.
	CSceneObject* followed = placed(7, vector3df(120, 80, 0));
	camera->setFollowed(followed);
	camera->update();
	EXPECT_EQ(camera->getPosition(), vector3df(120, 80, 0));
}

TEST_F(CameraTest, AScriptPlacingTheCameraMovesItsViewAlong)
{
	engine().getClientModule()->load(
		"void place(float x, float y, float z) { Camera.Position = vector3df(x, y, z); }", "main");
	AngelScript::asIScriptContext* context = engine().getScriptManager()->getEngine()->CreateContext();
	const auto place = [&](const vector3df& at) {
		context->Prepare(
			engine().getClientModule()->getEngineModule()->GetFunctionByDecl("void place(float, float, float)"));
		context->SetArgFloat(0, at.X);
		context->SetArgFloat(1, at.Y);
		context->SetArgFloat(2, at.Z);
		return context->Execute() == AngelScript::asEXECUTION_FINISHED;
	};
	CSceneObject* followed = placed(7, vector3df(120, 80, 0));
	struct Case
	{
		const char* name;
		bool followingBefore;
		vector3df position;
	} cases[] = {
		{"from where it starts", false, {300, 200, 0}},
		{"again", false, {-40, 1000, 0}},
		{"while following", true, {5, -7, 0}},
		{"nearer the scene", false, {10, 20, 30}},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		if (c.followingBefore)
		{
			camera->setFollowed(followed);
			frame();
		}
		ASSERT_TRUE(place(c.position));
		EXPECT_EQ(camera->getFollowed(), nullptr);
		EXPECT_EQ(camera->getCamera()->getTarget(), c.position + vector3df(0, 0, -100));
		frame();
		// Straight down onto the scene: the camera's point is the middle of
		// the view, and a step along X or Y is the same step on screen.
		const irr::core::matrix4& view = camera->getCamera()->getViewMatrix();
		struct Point
		{
			vector3df offset;
			irr::f32 x, y;
		} points[] = {{{0, 0, 0}, 0, 0}, {{100, 0, 0}, 100, 0}, {{0, 50, 0}, 0, 50}};
		for (const Point& p : points)
		{
			vector3df seen = c.position + p.offset - vector3df(0, 0, c.position.Z);
			view.transformVect(seen);
			EXPECT_NEAR(std::fabs(seen.X), p.x, 1e-3f) << p.offset.X << "," << p.offset.Y;
			EXPECT_NEAR(std::fabs(seen.Y), p.y, 1e-3f) << p.offset.X << "," << p.offset.Y;
		}
	}
	context->Release();
}

TEST_F(CameraTest, StopsFollowingARemovedObjectOrANewPosition)
{
	CSceneObject* followed = placed(7, vector3df(120, 80, 0));
	CSceneObject* other = placed(8, vector3df(500, 500, 0));
	CSceneObject* unplaced = new CSceneObject(9, nullptr);

	camera->setFollowed(followed);
	camera->setFollowed(unplaced);
	camera->setFollowed(nullptr);
	EXPECT_EQ(camera->getFollowed(), followed);
	frame();
	EXPECT_EQ(camera->getPosition(), vector3df(120, 80, 0));

	struct Case
	{
		irr::s32 kind;
		irr::u32 id;
		bool stillFollowing;
	} cases[] = {{2, 8, true}, {1, 7, true}, {2, 7, false}};
	for (const Case& c : cases)
	{
		net::packet id = net::packet::fromU32(c.id);
		engine().notifyConsumers(c.kind, id);
		EXPECT_EQ(camera->getFollowed() == followed, c.stillFollowing) << c.kind << " " << c.id;
	}
	engine().getSceneNodes()[followed]->setPosition(vector3df(300, 300, 0));
	frame();
	EXPECT_EQ(camera->getPosition(), vector3df(120, 80, 0));

	camera->setFollowed(other);
	frame();
	EXPECT_EQ(camera->getPosition(), vector3df(500, 500, 0));
	camera->setPosition(vector3df(1, 2, 0));
	EXPECT_EQ(camera->getFollowed(), nullptr);
	frame();
	EXPECT_EQ(camera->getPosition(), vector3df(1, 2, 0));
	unplaced->drop();
}

} // namespace
} // namespace orv
