#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <irrlicht.h>

#include "engine_fixture.h"
#include "scene/C2DImageSceneNode.h"
#include "scene/CAnimatedSpriteSceneNode.h"
#include "scene/CAnimation.h"
#include "scene/CImage.h"
#include "scene/AnimationMemory.h"
#include "scene/ShownSprites.h"
#include "support/CMemoryImage.h"
#include "support/CRecordingLogger.h"
#include "world/CAnimatedSceneObject.h"
#include "world/CObjectManager.h"
#include "base/Log.h"
#include "base/Refusal.h"

using namespace orv;

namespace {

const irr::u32 START_MS = 1000;

// Frames of 50 ms unless a WAIT says otherwise.
const test::SandboxFiles ANIMATIONS = {
	{"three.gani", "GANI0001SPRITE 1 a.png 0 0 32 32 x\nSINGLEDIRECTION\nANI\n1 0 0\n1 1 0\n1 2 0\nANIEND\n"},
	{"loop.gani", "GANI0001SPRITE 1 a.png 0 0 32 32 x\nSINGLEDIRECTION\nLOOP\nANI\n1 0 0\n1 1 0\nANIEND\n"},
	{"back.gani", "GANI0001SPRITE 1 a.png 0 0 32 32 x\nSINGLEDIRECTION\nSETBACKTO idle\nANI\n1 0 0\n1 1 0\nANIEND\n"},
	{"idle.gani", "GANI0001SPRITE 1 a.png 0 0 32 32 x\nSINGLEDIRECTION\nANI\n1 0 0\n1 5 5\nANIEND\n"},
	{"lost.gani",
		"GANI0001SPRITE 1 a.png 0 0 32 32 x\nSINGLEDIRECTION\nSETBACKTO nowhere\nANI\n1 0 0\n1 1 0\nANIEND\n"},
	{"four.gani",
		"GANI0001SPRITE 1 a.png 0 0 32 32 x\nANI\n1 0 0\n1 0 1\n1 0 2\n1 0 3\nWAIT 1\n1 1 0\n1 1 1\n1 1 2\n"
		"1 1 3\nANIEND\n"},
	{"steady.gani", "GANI0001SPRITE 1 a.png 0 0 32 32 x\nSINGLEDIRECTION\nCONTINUOUS\nANI\n1 0 0\n1 1 0\nANIEND\n"},
	{"huge.gani",
		"GANI0001SPRITE 1 a.png 0 0 32 32 x\nSINGLEDIRECTION\nANI\n1 0 0\nWAIT 99999999999\n1 1 0\n1 2 0\n"
		"ANIEND\n"},
	{"empty.gani", "GANI0001LOOP\n"},
	{"emptyend.gani", "GANI0001\n"},
};

class SpriteNodeTest : public test::EngineTest
{
protected:
	void SetUp() override
	{
		sandbox = std::make_unique<test::CEngineSandbox>(ANIMATIONS);
		ASSERT_TRUE(sandbox->started());
		timer = engine().getDevice()->getTimer();
		timer->stop();
		timer->setTime(START_MS);
		irr::scene::ISceneManager* scene = engine().getDevice()->getSceneManager();
		node = new CAnimatedSpriteSceneNode(scene->getRootSceneNode(), scene);
	}
	void TearDown() override
	{
		if (node)
		{
			node->remove();
			node->drop();
		}
		// A test that set a bound of its own may have ended early.
		setAnimationMemoryLimit(DEFAULT_ANIMATION_MEMORY_LIMIT);
		setShownSpriteLimit(DEFAULT_SHOWN_SPRITE_LIMIT);
		setLogger(nullptr);
		test::EngineTest::TearDown();
	}

	bool apply(const char* name, CSceneObject* object = nullptr)
	{
		CAnimation* animation = engine().getAnimation(name);
		if (!animation || !animation->applyToNode(node, object))
			return false;
		node->setStopped(false);
		return true;
	}

	// The frame.direction lists with a shown sprite, then "stopped" when so.
	std::string shown() const
	{
		std::ostringstream out;
		for (irr::scene::ISceneNode* sprite : node->getShownSprites())
			if (sprite->isVisible())
			{
				out << node->getShownFrame() << "." << node->getShownDirection() << " ";
				break;
			}
		if (node->isStopped())
			out << "stopped";
		return out.str();
	}

	irr::ITimer* timer = nullptr;
	CAnimatedSpriteSceneNode* node = nullptr;
};

// 't' animates at a time, 'd' turns to a direction, 'a' applies the same
// animation again; then the shown lists are compared.
struct SStep
{
	char action;
	irr::u32 value;
	const char* shown;
};

} // namespace

TEST_F(SpriteNodeTest, PlaysFramesAtTheirTimes)
{
	struct Case
	{
		const char* animation;
		std::vector<SStep> steps;
	};
	const Case cases[] = {
		{"three.gani",
			{{'t', 1050, "0.0 "}, {'t', 1051, "1.0 "}, {'t', 1101, "1.0 "}, {'t', 1200, "2.0 "},
				{'t', 1300, "2.0 stopped"}, {'t', 9000, "2.0 stopped"}}},
		{"loop.gani", {{'t', 1051, "1.0 "}, {'t', 1102, "0.0 "}, {'t', 1153, "1.0 "}}},
		{"back.gani", {{'t', 1051, "1.0 "}, {'t', 1102, "0.0 stopped"}, {'t', 1200, "0.0 stopped"}}},
		{"lost.gani", {{'t', 1051, "1.0 "}, {'t', 1102, "1.0 stopped"}, {'t', 1200, "1.0 stopped"}}},
		{"four.gani",
			{{'d', 2, "0.2 "}, {'t', 1051, "1.2 "}, {'d', 3, "1.3 "}, {'t', 1152, "1.3 stopped"}, {'d', 7, "stopped"},
				{'d', 0, "1.0 stopped"}}},
		{"steady.gani", {{'t', 1051, "1.0 "}, {'a', 0, "0.0 "}, {'t', 1050, "0.0 "}, {'t', 1051, "1.0 "}}},
		{"three.gani", {{'t', 1051, "1.0 "}, {'a', 0, "1.0 "}}},
		// The longest WAIT lasts until the clock's end instead of wrapping past it.
		{"huge.gani",
			{{'t', 1051, "1.0 "}, {'t', 1102, "1.0 "}, {'t', 4000000000u, "1.0 "}, {'t', 4294967295u, "1.0 "}}},
		{"empty.gani", {{'t', 2000, ""}, {'t', 3000, ""}}},
		{"emptyend.gani", {{'t', 2000, "stopped"}}},
	};
	for (const Case& c : cases)
	{
		timer->setTime(START_MS);
		node->clearFrames();
		node->setDirection(0);
		ASSERT_TRUE(apply(c.animation)) << c.animation;
		for (const SStep& step : c.steps)
		{
			if (step.action == 't')
			{
				timer->setTime(step.value);
				node->OnAnimate(step.value);
			}
			else if (step.action == 'd')
			{
				node->setDirection(step.value);
			}
			else
			{
				timer->setTime(START_MS);
				apply(c.animation);
			}
			EXPECT_EQ(shown(), step.shown) << c.animation << " after " << step.action << " " << step.value;
		}
		// The next case starts from another animation.
		apply("empty.gani");
	}
}

TEST_F(SpriteNodeTest, LatinOneNamesFindTheirFiles)
{
	irr::video::IImage* picture = test::createFilledPicture(engine().getVideoDriver(), 8, 4);
	ASSERT_TRUE(
		engine().getVideoDriver()->writeImageToFile(picture, (sandbox->folder().path() + "caf\u00e9.png").c_str()));
	picture->drop();
	sandbox->folder().write(
		"latin.gani", "GANI0001SPRITE 1 caf\xE9.png 0 0 8 4 x\nSINGLEDIRECTION\nANI\n1 0 0\nANIEND\n");
	CAnimation* animation = engine().getAnimation("latin.gani");
	ASSERT_NE(animation, nullptr);
	const CImage* image = animation->getSprites().at(1).image;
	ASSERT_NE(image, nullptr);
	EXPECT_EQ(image->getSize(), irr::core::dimension2du(8, 4));
	EXPECT_EQ(image->getTextures().size(), 1u);
}

TEST_F(SpriteNodeTest, SetBackSwitchesToTheFollowUpAnimation)
{
	ASSERT_TRUE(apply("back.gani"));
	node->OnAnimate(1051);
	node->OnAnimate(1102);
	EXPECT_EQ(node->getAnimation(), engine().getAnimation("idle.gani"));
	EXPECT_EQ(engine().getAnimation("nowhere.gani"), nullptr);
}

TEST_F(SpriteNodeTest, PlacesSpritesAroundTheNodeOrigin)
{
	sandbox->folder().write("place.gani",
		"GANI0001SPRITE 1 a.png 0 0 32 32 x\nSPRITE 2 a.png 10 20 8 4 y\nSINGLEDIRECTION\nANI\n"
		"1 0 0 9 0 0 2 100 -10\nANIEND\n");
	ASSERT_TRUE(apply("place.gani"));
	const auto& sprites = node->getShownSprites();
	ASSERT_EQ(sprites.size(), 2u) << "the undefined sprite 9 makes no node";

	struct Case
	{
		size_t index;
		irr::core::vector3df position;
		irr::core::recti source;
	};
	const Case cases[] = {
		{0, {-8.0f, -32.0f, 0.0f}, {0, 0, 32, 32}},
		{1, {80.0f, -56.0f, 1.0f}, {10, 20, 18, 24}},
	};
	for (const Case& c : cases)
	{
		C2DImageSceneNode* sprite = sprites[c.index];
		EXPECT_EQ(sprite->getParent(), node);
		EXPECT_EQ(sprite->getPosition(), c.position) << c.index;
		EXPECT_EQ(sprite->getSourceRect(), c.source) << c.index;
		EXPECT_EQ(sprite->getImage(), engine().findImage("a.png"));
	}
	EXPECT_EQ(node->getChildren().size(), 2u);
	node->clearFrames();
	EXPECT_TRUE(node->getChildren().empty());
}

TEST_F(SpriteNodeTest, ObjectClassAttributesChooseSpritesPositionsAndImages)
{
	sandbox->folder().write("body.gani",
		"GANI0001SPRITE 0 head.png 0 0 16 16 y\nSPRITE 1 body.png 0 0 32 32 x\nSINGLEDIRECTION\nANI\n"
		"BODY LEFT 0 0 0 0\nANIEND\n");
	CSceneObject* object = CObjectManager::getInstance()->createSceneObject(40, ESOT_ANIMATED, "");
	ASSERT_NE(object, nullptr);
	CAttributeList& attributes = object->getClassAttributes();
	attributes.setString("BODY", -1, "1");
	attributes.setString("LEFT", -1, "16");
	attributes.setString("body.png", -1, "skins/red.png");

	ASSERT_TRUE(apply("body.gani", object));
	const auto& sprites = node->getShownSprites();
	ASSERT_EQ(sprites.size(), 1u) << "head.png has no attribute on the object, so sprite 0 is not shown";
	C2DImageSceneNode* sprite = sprites[0];
	EXPECT_EQ(sprite->getPosition(), irr::core::vector3df(8.0f, -32.0f, 0.0f));
	EXPECT_EQ(sprite->getImage(), engine().findImage("skins/red.png"));
	EXPECT_EQ(sprite->getSceneObject(), object);
	EXPECT_EQ(node->getSceneObject(), object);
	node->clearFrames();
	CObjectManager::getInstance()->remove(40);
}

namespace {

// An animation of one sprite placed once in each direction of every frame:
// `frames` frames of four directions.
std::string oneSpriteEachDirection(int frames)
{
	std::string text = "GANI0001SPRITE 1 a.png 0 0 32 32 x\nLOOP\nANI\n";
	for (int line = 0; line < 4 * frames; ++line)
		text += "1 0 0\n";
	return text + "ANIEND\n";
}

} // namespace

TEST_F(SpriteNodeTest, ObjectsShareTheAnimationAndHoldOnlyTheFrameTheyShow)
{
	// 65,536 placements: every object once held an image node for each.
	sandbox->folder().write("many.gani", oneSpriteEachDirection(16384));
	CAnimation* animation = engine().getAnimation("many.gani");
	ASSERT_NE(animation, nullptr);
	const size_t parsed = getAnimationMemoryHeld();
	irr::scene::ISceneManager* scene = engine().getDevice()->getSceneManager();
	std::vector<CAnimatedSpriteSceneNode*> nodes;
	for (int i = 0; i < 10; ++i)
	{
		nodes.push_back(new CAnimatedSpriteSceneNode(scene->getRootSceneNode(), scene));
		ASSERT_TRUE(animation->applyToNode(nodes.back(), nullptr));
		nodes.back()->setStopped(false);
	}
	// Each plays on its own: the first steps twice, the second turns.
	nodes[0]->OnAnimate(1051);
	nodes[0]->OnAnimate(1102);
	nodes[1]->setDirection(3);

	struct Case
	{
		size_t node;
		irr::u32 frame;
		irr::u32 direction;
	};
	const Case cases[] = {{0, 2, 0}, {1, 0, 3}, {2, 0, 0}, {9, 0, 0}};
	for (const Case& c : cases)
	{
		const CAnimatedSpriteSceneNode* node = nodes[c.node];
		EXPECT_EQ(node->getCurrentFrame(), c.frame) << c.node;
		EXPECT_EQ(node->getShownFrame(), c.frame) << c.node;
		EXPECT_EQ(node->getShownDirection(), c.direction) << c.node;
		EXPECT_EQ(node->getChildren().size(), 1u) << c.node;
	}
	const size_t sprites = getAnimationMemoryHeld() - parsed;
	EXPECT_GT(sprites, 0u);
	EXPECT_LE(sprites, 10 * 4096u) << "ten objects hold ten sprite nodes";
	for (CAnimatedSpriteSceneNode* node : nodes)
	{
		node->remove();
		node->drop();
	}
	EXPECT_EQ(getAnimationMemoryHeld(), parsed);
}

TEST_F(SpriteNodeTest, AllAnimationsTogetherStayWithinTheirBound)
{
	test::CRecordingLogger logger;
	setLogger(&logger);
	sandbox->folder().write("wide.gani",
		"GANI0001SPRITE 1 a.png 0 0 32 32 x\nSINGLEDIRECTION\nANI\n"
		"1 0 0 1 1 0 1 2 0 1 3 0 1 4 0 1 5 0 1 6 0 1 7 0 1 8 0 1 9 0\nANIEND\n");
	ASSERT_TRUE(apply("wide.gani"));
	ASSERT_EQ(node->getShownSprites().size(), 10u);
	const size_t tenSprites = getAnimationMemoryHeld();
	node->clearFrames();
	const size_t parsed = getAnimationMemoryHeld();
	const size_t sprite = (tenSprites - parsed) / 10;
	ASSERT_GT(sprite, 0u);
	// Room for 25 sprite nodes, and for no animation file more.
	setAnimationMemoryLimit(parsed + 25 * sprite);

	irr::scene::ISceneManager* scene = engine().getDevice()->getSceneManager();
	CAnimation* animation = engine().getAnimation("wide.gani");
	const size_t expected[] = {10, 10, 5, 0};
	std::vector<CAnimatedSpriteSceneNode*> nodes;
	for (size_t shown : expected)
	{
		nodes.push_back(new CAnimatedSpriteSceneNode(scene->getRootSceneNode(), scene));
		animation->applyToNode(nodes.back(), nullptr);
		EXPECT_EQ(nodes.back()->getShownSprites().size(), shown);
	}
	sandbox->folder().write("more.gani", "GANI0001SPRITE 1 a.png 0 0 32 32 x\nSINGLEDIRECTION\nANI\n1 0 0\nANIEND\n");
	ASSERT_NE(engine().getAnimation("more.gani"), nullptr);
	EXPECT_TRUE(engine().getAnimation("more.gani")->getFrames().empty()) << "its frame does not fit";
	EXPECT_LE(getAnimationMemoryHeld(), getAnimationMemoryLimit());
	size_t warnings = 0;
	for (const test::SLoggedLine& line : logger.lines)
		warnings += line.text == "core" && line.level == irr::ELL_WARNING;
	EXPECT_EQ(warnings, 1u);

	for (CAnimatedSpriteSceneNode* created : nodes)
	{
		created->remove();
		created->drop();
	}
	EXPECT_EQ(getAnimationMemoryHeld(), parsed + engine().getAnimation("more.gani")->getHeldBytes());
	setLogger(nullptr);
}

namespace {

// One sprite node as it draws: where, which part of which picture.
struct SShownSprite
{
	irr::core::vector3df position;
	irr::core::recti source;
	const char* image;
};

std::vector<SShownSprite> describeShown(CGameEngine& engine, const CAnimatedSpriteSceneNode& node)
{
	std::vector<SShownSprite> shown;
	for (C2DImageSceneNode* sprite : node.getShownSprites())
	{
		const char* image = sprite->getImage() == engine.findImage("a.png") ? "a.png"
			: sprite->getImage() == engine.findImage("b.png")               ? "b.png"
																			: "?";
		shown.push_back({sprite->getPosition(), sprite->getSourceRect(), image});
	}
	return shown;
}

// The sprite children in the order Irrlicht draws and animates them.
std::vector<irr::scene::ISceneNode*> childrenOf(const CAnimatedSpriteSceneNode& node)
{
	std::vector<irr::scene::ISceneNode*> children;
	for (irr::scene::ISceneNode* child : node.getChildren())
		children.push_back(child);
	return children;
}

std::vector<irr::scene::ISceneNode*> asSceneNodes(const std::vector<C2DImageSceneNode*>& sprites)
{
	return std::vector<irr::scene::ISceneNode*>(sprites.begin(), sprites.end());
}

} // namespace

TEST_F(SpriteNodeTest, StepsPlaceTheSpriteNodesTheyHaveAnew)
{
	// 64 placements a frame, each frame moving them, switching between two
	// rectangles of one picture and a second picture.
	std::string text = "GANI0001SPRITE 1 a.png 0 0 32 32 x\nSPRITE 2 a.png 10 20 8 4 y\nSPRITE 3 b.png 0 0 16 16 z\n"
					   "SINGLEDIRECTION\nLOOP\nANI\n";
	for (int frame = 0; frame < 3; ++frame)
	{
		for (int i = 0; i < 64; ++i)
			text += std::to_string(1 + (i + frame) % 3) + " " + std::to_string(i + frame) + " 0 ";
		text += "\n";
	}
	sandbox->folder().write("moving.gani", text + "ANIEND\n");
	ASSERT_NE(engine().getAnimation("moving.gani"), nullptr);
	const size_t parsed = getAnimationMemoryHeld();
	const size_t none = getShownSpriteCount();
	ASSERT_TRUE(apply("moving.gani"));
	const std::vector<C2DImageSceneNode*> first = node->getShownSprites();
	ASSERT_EQ(first.size(), 64u);
	const size_t held = getAnimationMemoryHeld();
	const size_t count = getShownSpriteCount();

	irr::u32 time = START_MS;
	for (int step = 1; step <= 300; ++step)
	{
		time += 51;
		node->OnAnimate(time);
		ASSERT_EQ(node->getCurrentFrame(), static_cast<irr::u32>(step % 3)) << step;
		ASSERT_EQ(node->getShownSprites(), first) << "step " << step << " made nodes anew";
		ASSERT_EQ(childrenOf(*node), asSceneNodes(first)) << step;
		ASSERT_EQ(getAnimationMemoryHeld(), held) << step;
		ASSERT_EQ(getShownSpriteCount(), count) << step;
	}
	// The last step came to frame 0 again: it shows as the first did.
	const std::vector<SShownSprite> shown = describeShown(engine(), *node);
	for (size_t i = 0; i < shown.size(); ++i)
	{
		static const irr::core::recti RECTS[] = {{0, 0, 32, 32}, {10, 20, 18, 24}, {0, 0, 16, 16}};
		static const irr::core::vector3df OFFSETS[] = {{-8, -32, 0}, {-20, -46, 0}, {-16, -40, 0}};
		EXPECT_EQ(shown[i].source, RECTS[i % 3]) << i;
		EXPECT_EQ(shown[i].position,
			irr::core::vector3df(static_cast<irr::f32>(i), 0, static_cast<irr::f32>(i)) + OFFSETS[i % 3])
			<< i;
		EXPECT_STREQ(shown[i].image, i % 3 == 2 ? "b.png" : "a.png") << i;
	}
	node->clearFrames();
	EXPECT_TRUE(node->getChildren().empty());
	EXPECT_EQ(getShownSpriteCount(), none);
	EXPECT_EQ(getAnimationMemoryHeld(), parsed) << "every node gave back what it took";
}

TEST_F(SpriteNodeTest, FramesOfOtherSizesKeepTheFirstNodesAndTrimOrAddTheRest)
{
	// Sprite 9 is not defined: the file's placements of it are dropped, so
	// they take neither a node nor a place in the order.
	sandbox->folder().write("sizes.gani",
		"GANI0001SPRITE 1 a.png 0 0 32 32 x\nSPRITE 2 a.png 10 20 8 4 y\nSPRITE 3 b.png 0 0 16 16 z\n"
		"SINGLEDIRECTION\nANI\n"
		"1 0 0 2 10 0 3 20 0\n"
		"3 0 5 9 0 0 1 1 5 2 2 5 1 3 5 2 4 5\n"
		"2 7 7\n"
		"9 0 0\n"
		"1 0 0 1 0 1 3 0 2 3 0 3\n"
		"ANIEND\n");
	const size_t before = getShownSpriteCount();
	ASSERT_TRUE(apply("sizes.gani"));

	struct Case
	{
		irr::u32 frame;
		std::vector<SShownSprite> sprites;
	};
	const Case cases[] = {
		{0,
			{{{-8, -32, 0}, {0, 0, 32, 32}, "a.png"}, {{-10, -46, 1}, {10, 20, 18, 24}, "a.png"},
				{{4, -40, 2}, {0, 0, 16, 16}, "b.png"}}},
		{1,
			{{{-16, -35, 0}, {0, 0, 16, 16}, "b.png"}, {{-7, -27, 1}, {0, 0, 32, 32}, "a.png"},
				{{-18, -41, 2}, {10, 20, 18, 24}, "a.png"}, {{-5, -27, 3}, {0, 0, 32, 32}, "a.png"},
				{{-16, -41, 4}, {10, 20, 18, 24}, "a.png"}}},
		{2, {{{-13, -39, 0}, {10, 20, 18, 24}, "a.png"}}},
		{3, {}},
		{4,
			{{{-8, -32, 0}, {0, 0, 32, 32}, "a.png"}, {{-8, -31, 1}, {0, 0, 32, 32}, "a.png"},
				{{-16, -38, 2}, {0, 0, 16, 16}, "b.png"}, {{-16, -37, 3}, {0, 0, 16, 16}, "b.png"}}},
	};
	irr::u32 time = START_MS;
	std::vector<C2DImageSceneNode*> previous;
	for (const Case& c : cases)
	{
		if (c.frame > 0)
		{
			time += 51;
			node->OnAnimate(time);
		}
		ASSERT_EQ(node->getCurrentFrame(), c.frame);
		const std::vector<SShownSprite> shown = describeShown(engine(), *node);
		ASSERT_EQ(shown.size(), c.sprites.size()) << "frame " << c.frame;
		for (size_t i = 0; i < shown.size(); ++i)
		{
			EXPECT_EQ(shown[i].position, c.sprites[i].position) << "frame " << c.frame << " sprite " << i;
			EXPECT_EQ(shown[i].source, c.sprites[i].source) << "frame " << c.frame << " sprite " << i;
			EXPECT_STREQ(shown[i].image, c.sprites[i].image) << "frame " << c.frame << " sprite " << i;
		}
		const std::vector<C2DImageSceneNode*>& sprites = node->getShownSprites();
		EXPECT_EQ(childrenOf(*node), asSceneNodes(sprites)) << "frame " << c.frame << ": children in placement order";
		for (size_t i = 0; i < std::min(previous.size(), sprites.size()); ++i)
			EXPECT_EQ(sprites[i], previous[i]) << "frame " << c.frame << " made sprite " << i << " anew";
		EXPECT_EQ(getShownSpriteCount(), before + sprites.size()) << "frame " << c.frame;
		previous = sprites;
	}
}

TEST_F(SpriteNodeTest, AllObjectsTogetherShowAtMostTheBoundOfSprites)
{
	test::CRecordingLogger logger;
	setLogger(&logger);
	forgetRefusals();
	sandbox->folder().write("ten.gani",
		"GANI0001SPRITE 1 a.png 0 0 32 32 x\nSINGLEDIRECTION\nLOOP\nANI\n"
		"1 0 0 1 1 0 1 2 0 1 3 0 1 4 0 1 5 0 1 6 0 1 7 0 1 8 0 1 9 0\n"
		"1 0 1 1 1 1 1 2 1 1 3 1 1 4 1 1 5 1 1 6 1 1 7 1 1 8 1 1 9 1\nANIEND\n");
	CAnimation* animation = engine().getAnimation("ten.gani");
	ASSERT_NE(animation, nullptr);
	// Its class names no picture for a.png: it shows nothing, yet its
	// placements are looked at on every step.
	CSceneObject* unpictured = CObjectManager::getInstance()->createSceneObject(41, ESOT_ANIMATED, "");
	ASSERT_NE(unpictured, nullptr);
	const size_t parsed = getAnimationMemoryHeld();
	const size_t before = getShownSpriteCount();
	setShownSpriteLimit(before + 25);

	irr::scene::ISceneManager* scene = engine().getDevice()->getSceneManager();
	struct Case
	{
		CSceneObject* object;
		size_t shown;
	};
	const Case cases[] = {{unpictured, 0}, {nullptr, 10}, {nullptr, 5}, {nullptr, 0}, {nullptr, 0}};
	std::vector<CAnimatedSpriteSceneNode*> nodes;
	for (const Case& c : cases)
	{
		nodes.push_back(new CAnimatedSpriteSceneNode(scene->getRootSceneNode(), scene));
		animation->applyToNode(nodes.back(), c.object);
		nodes.back()->setStopped(false);
		EXPECT_EQ(nodes.back()->getShownSprites().size(), c.shown) << nodes.size();
	}
	// Every object steps many times: none shows more than it had room for.
	irr::u32 time = START_MS;
	for (int step = 0; step < 50; ++step)
	{
		time += 51;
		for (CAnimatedSpriteSceneNode* played : nodes)
			played->OnAnimate(time);
		ASSERT_EQ(getShownSpriteCount(), before + 25) << step;
		for (size_t i = 0; i < nodes.size(); ++i)
			ASSERT_EQ(nodes[i]->getChildren().size(), cases[i].shown) << "object " << i << " step " << step;
	}
	std::vector<std::string> refusals;
	for (const test::SLoggedLine& line : logger.lines)
		if (line.text == "core" && line.level == irr::ELL_WARNING)
			refusals.push_back(line.hint);
	ASSERT_EQ(refusals.size(), 1u) << "one line for all that was left out";
	EXPECT_NE(refusals[0].find("further sprites of their frames are left out"), std::string::npos) << refusals[0];
	EXPECT_GT(countRefusals("content: shown sprites"), 50u);

	// An object that goes leaves room: the next to step takes it.
	nodes[0]->remove();
	nodes[0]->drop();
	nodes.erase(nodes.begin());
	CObjectManager::getInstance()->remove(41);
	time += 51;
	for (CAnimatedSpriteSceneNode* played : nodes)
		played->OnAnimate(time);
	const size_t after[] = {10, 10, 5, 0};
	for (size_t i = 0; i < nodes.size(); ++i)
		EXPECT_EQ(nodes[i]->getChildren().size(), after[i]) << "object " << i;
	EXPECT_EQ(getShownSpriteCount(), before + 25);

	for (CAnimatedSpriteSceneNode* created : nodes)
	{
		created->remove();
		created->drop();
	}
	EXPECT_EQ(getShownSpriteCount(), before);
	EXPECT_EQ(getAnimationMemoryHeld(), parsed);
	setLogger(nullptr);
}
