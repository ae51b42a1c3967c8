// The world's bounds on collision shapes, which the server's, the levels'
// and the scripts' paths all ask, and the physics world's bound on what
// waits for a step to end.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Log.h"
#include "base/Refusal.h"
#include "support/CRecordingLogger.h"
#include "world/CPhysicsManager.h"
#include "world/ShapeBounds.h"

using namespace orv;

namespace {

// Bodies with circles of radius 0.25, the world made afresh for each case.
class ShapeBounds : public ::testing::Test
{
protected:
	void SetUp() override
	{
		forgetRefusals();
		setLogger(&logger);
	}
	void TearDown() override
	{
		setLogger(nullptr);
		forgetRefusals();
	}

	b2Body* body(b2Vec2 position)
	{
		bodies.emplace_back(new b2Body*(nullptr));
		b2BodyDef def;
		def.position = position;
		physics->createBody(*bodies.back(), def);
		return *bodies.back();
	}

	static b2CircleShape circle()
	{
		b2CircleShape shape;
		shape.m_radius = 0.25f;
		return shape;
	}

	void addCircles(b2Body* to, std::size_t count)
	{
		const b2CircleShape shape = circle();
		b2FixtureDef def;
		def.shape = &shape;
		for (std::size_t i = 0; i < count; ++i)
			physics->createFixture(to, def);
	}

	// `count` bodies with one circle each, all at the position.
	void pile(b2Vec2 at, std::size_t count)
	{
		for (std::size_t i = 0; i < count; ++i)
			addCircles(body(at), 1);
	}

	std::size_t linesWith(const std::string& text) const
	{
		std::size_t n = 0;
		for (const test::SLoggedLine& line : logger.lines)
			n += (line.text + ": " + line.hint).find(text) != std::string::npos;
		return n;
	}

	test::CRecordingLogger logger;
	std::unique_ptr<CPhysicsManager> physics{new CPhysicsManager()};
	std::vector<std::unique_ptr<b2Body*>> bodies;
};

TEST_F(ShapeBounds, EachBoundRefusesTheShapePastIt)
{
	struct Case
	{
		const char* name;
		std::function<void()> build;
		std::size_t perObject;
		EShapeRoom room;
	};
	const Case cases[] = {
		{"an object's last shape",
			[this] {
				addCircles(body({0, 0}), MAX_SHAPES_PER_OBJECT - 1);
			},
			MAX_SHAPES_PER_OBJECT, ESR_FITS},
		{"one past an object's shapes",
			[this] {
				addCircles(body({0, 0}), MAX_SHAPES_PER_OBJECT);
			},
			MAX_SHAPES_PER_OBJECT, ESR_OBJECT_FULL},
		{"a level's object of many shapes",
			[this] {
				addCircles(body({0, 0}), 2 * MAX_SHAPES_PER_OBJECT);
			},
			MAX_WORLD_SHAPES, ESR_FITS},
		{"the world's last shape",
			[this] {
				for (std::size_t i = 0; i < MAX_WORLD_SHAPES / MAX_SHAPES_PER_OBJECT; ++i)
					addCircles(body({static_cast<float>(i) * 4.0f, 0}), MAX_SHAPES_PER_OBJECT - (i == 0));
				body({-100, 0});
			},
			MAX_SHAPES_PER_OBJECT, ESR_FITS},
		{"a full world",
			[this] {
				for (std::size_t i = 0; i < MAX_WORLD_SHAPES / MAX_SHAPES_PER_OBJECT; ++i)
					addCircles(body({static_cast<float>(i) * 4.0f, 0}), MAX_SHAPES_PER_OBJECT);
				body({-100, 0});
			},
			MAX_SHAPES_PER_OBJECT, ESR_WORLD_FULL},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		bodies.clear();
		physics.reset(new CPhysicsManager());
		c.build();
		EXPECT_EQ(findShapeRoom(**bodies.back(), circle(), c.perObject), c.room);
	}
}

// Objects start at the origin and take their places as the world syncs
// them: a pile is looked for as the world steps, among the shapes made or
// moved since the step before, and what lies on more than the bound of
// others goes, the shapes placed last staying.
TEST_F(ShapeBounds, ShapesPiledInOnePlaceAreTakenAwayAsTheWorldSteps)
{
	const std::size_t many = MAX_STACKED_SHAPES + 100;
	struct Case
	{
		const char* name;
		std::function<void()> build;
		std::size_t atOrigin;
		bool line;
	};
	const Case cases[] = {
		{"bodies piled on one spot",
			[this] {
				pile({0, 0}, many);
			},
			MAX_STACKED_SHAPES + 1, true},
		{"as many as a place takes",
			[this] {
				pile({0, 0}, MAX_STACKED_SHAPES + 1);
			},
			MAX_STACKED_SHAPES + 1, false},
		{"one body's own shapes",
			[this] {
				addCircles(body({0, 0}), many);
			},
			many, false},
		{"bodies made on one spot and moved apart before the step",
			[this] {
				pile({0, 0}, many);
				for (std::size_t i = 1; i < bodies.size(); ++i)
					physics->setTransform(*bodies[i], b2Vec2(static_cast<float>(i), 0), 0.0f);
			},
			1, false},
		{"bodies moved onto a pile",
			[this] {
				pile({0, 0}, MAX_STACKED_SHAPES);
				physics->update(0.02f);
				pile({50, 0}, 100);
				for (std::size_t i = MAX_STACKED_SHAPES; i < bodies.size(); ++i)
					physics->setTransform(*bodies[i], b2Vec2(0, 0), 0.0f);
			},
			MAX_STACKED_SHAPES + 1, true},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		bodies.clear();
		physics.reset(new CPhysicsManager());
		logger.lines.clear();
		forgetRefusals();
		c.build();
		physics->update(0.02f);
		b2AABB origin;
		origin.lowerBound = b2Vec2(-0.01f, -0.01f);
		origin.upperBound = b2Vec2(0.01f, 0.01f);
		EXPECT_EQ(countShapesAt(*physics->getWorld(), origin, nullptr, 100000), c.atOrigin);
		EXPECT_EQ(linesWith("Collision shapes that lie on more than 1024 shapes of other objects in one place are "
							"taken away as the world steps."),
			c.line ? 1u : 0u);
	}
}

// A script inside a contact callback may ask for changes in a loop: what
// waits for the step is bounded, and the rest is refused with one line.
TEST_F(ShapeBounds, ChangesThatWaitForTheWorldAreBounded)
{
	std::size_t ran = 0;
	physics->runWhenUnlocked([&] {
		ASSERT_TRUE(physics->isLocked());
		for (std::size_t i = 0; i < CPhysicsManager::MAX_QUEUED_CHANGES + 1000; ++i)
			physics->runWhenUnlocked([&ran] { ++ran; });
	});
	EXPECT_EQ(ran, CPhysicsManager::MAX_QUEUED_CHANGES);
	EXPECT_EQ(linesWith("A change to the physics world is refused: 65536 wait for the step to end already."), 1u);

	// Once the world is free, changes are made again.
	physics->runWhenUnlocked([&ran] { ++ran; });
	EXPECT_EQ(ran, CPhysicsManager::MAX_QUEUED_CHANGES + 1);
}

} // namespace
