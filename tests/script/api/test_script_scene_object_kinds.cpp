#include <sstream>
#include <string>

#include <gtest/gtest.h>
#include <angelscript.h>
#include <irrlicht.h>

#include "engine_fixture.h"
#include "scene/C2DImageSceneNode.h"
#include "scene/CAnimatedSpriteSceneNode.h"
#include "script/api/SceneObjectTypes.h"
#include "script_runner.h"
#include "world/CAnimatedSceneObject.h"
#include "world/CObjectManager.h"
#include "world/CStaticSceneObject.h"
#include "world/CTiledSceneObject.h"

using namespace orv;

namespace {

const test::SandboxFiles ANIMATIONS = {
	{"walk.gani",
		"GANI0001SPRITE 1 a.png 0 0 32 32 x\nANI\n1 0 0\n1 0 0\n1 0 0\n1 0 0\n1 1 0\n1 1 0\n1 1 0\n"
		"1 1 0\nANIEND\n"},
	{"steady.gani", "GANI0001SPRITE 1 a.png 0 0 32 32 x\nSINGLEDIRECTION\nCONTINUOUS\nANI\n1 0 0\n1 1 0\nANIEND\n"},
};

// Scripts see a static object s, an animated object a with a sprite node, an
// animated object bare without one and a tiled object t.
class SceneObjectKindsTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		sandbox = std::make_unique<test::CEngineSandbox>(ANIMATIONS);
		ASSERT_TRUE(sandbox->started());
		CGameEngine& engine = *sandbox->engine();
		engine.getDevice()->getTimer()->stop();

		CObjectManager* objects = CObjectManager::getInstance();
		staticObject = static_cast<CStaticSceneObject*>(objects->createSceneObject(1, ESOT_STATIC, ""));
		animated = static_cast<CAnimatedSceneObject*>(objects->createSceneObject(2, ESOT_ANIMATED, ""));
		bare = static_cast<CAnimatedSceneObject*>(objects->createSceneObject(3, ESOT_ANIMATED, ""));
		tiled = static_cast<CTiledSceneObject*>(objects->createSceneObject(4, ESOT_TILED, ""));
		ASSERT_TRUE(staticObject && animated && bare && tiled);

		// Sprites of an object draw the image its class names for theirs.
		animated->getClassAttributes().setString("a.png", -1, "a.png");

		irr::scene::ISceneManager* scene = engine.getDevice()->getSceneManager();
		node = new CAnimatedSpriteSceneNode(scene->getRootSceneNode(), scene);
		engine.getSceneNodes()[animated] = node;

		AngelScript::asIScriptEngine* script = runner.engine();
		script::registerSceneObjectEnums(script);
		script::registerSceneObjectAPI(script);
		script->RegisterGlobalProperty("StaticSceneObject@ s", &staticObject);
		script->RegisterGlobalProperty("AnimatedSceneObject@ a", &animated);
		script->RegisterGlobalProperty("AnimatedSceneObject@ bare", &bare);
		script->RegisterGlobalProperty("TiledSceneObject@ t", &tiled);
	}
	void TearDown() override
	{
		if (sandbox && sandbox->engine())
		{
			sandbox->engine()->getSceneNodes().erase(animated);
			node->remove();
			node->drop();
		}
		sandbox.reset();
	}

	// The engine-attribute ids marked on all four objects, as "object:id" words.
	std::string marks() const
	{
		std::ostringstream out;
		const CSceneObject* all[] = {staticObject, animated, bare, tiled};
		for (const CSceneObject* object : all)
			for (irr::s32 id : object->getChangedEngineAttributes())
				out << object->getId() << ":" << id << " ";
		return out.str();
	}
	void clearMarks()
	{
		for (CSceneObject* object : {static_cast<CSceneObject*>(staticObject), static_cast<CSceneObject*>(animated),
				 static_cast<CSceneObject*>(bare), static_cast<CSceneObject*>(tiled)})
			object->getChangedEngineAttributes().clear();
	}

	std::unique_ptr<test::CEngineSandbox> sandbox;
	test::CScriptRunner runner;
	CStaticSceneObject* staticObject = nullptr;
	CAnimatedSceneObject* animated = nullptr;
	CAnimatedSceneObject* bare = nullptr;
	CTiledSceneObject* tiled = nullptr;
	CAnimatedSpriteSceneNode* node = nullptr;
};

} // namespace

TEST_F(SceneObjectKindsTest, AccessorsMarkWhatTheyChange)
{
	struct Case
	{
		const char* statements;
		const char* marks;
		const char* check;
	};
	// In order: each case sees what the ones before it left.
	const Case cases[] = {
		{"s.Image = \"a.png\";", "1:14 ", "s.Image == \"a.png\""},
		{"s.Image = \"a.png\";", "", "s.Image == \"a.png\""},
		{"a.Direction = 0;", "", "a.Direction == 0"},
		{"a.Direction = 3;", "2:13 ", "a.Direction == 3"},
		{"bare.Direction = 1;", "3:13 ", "bare.Direction == 1"},
		{"check(!a.set_animation(\"\"), \"empty name\");", "", "a.Animation == \"\""},
		{"check(!bare.set_animation(\"walk.gani\"), \"no node\");", "", "bare.Animation == \"\""},
		{"check(a.set_animation(\"walk.gani\"), \"first\");", "2:14 ", "a.Animation == \"walk.gani\""},
		{"check(a.set_animation(\"walk.gani\"), \"again\");", "2:14 ", "a.Animation == \"walk.gani\""},
		{"check(!a.set_animation(\"missing.gani\"), \"missing\");", "", "a.Animation == \"walk.gani\""},
		{"a.Animation = \"steady.gani\";", "2:14 ", "a.Animation == \"steady.gani\""},
		{"check(a.set_animation(\"steady.gani\"), \"continuous again\");", "", "a.Animation == \"steady.gani\""},
		{"t.Tileset = \"tiles.png\";", "4:14 ", "t.Tileset == \"tiles.png\""},
		{"t.Tileset = \"tiles.png\";", "4:14 ", "t.Tileset == \"tiles.png\""},
		{"t.Tileset_Tile_Dimension = dimension2di(16, 8);", "4:14 ", "t.Tileset_Tile_Dimension == dimension2di(16, 8)"},
		{"t.Tile_Dimension = dimension2di(-1, 2);", "4:14 ", "t.Tile_Dimension == dimension2di(-1, 2)"},
		{"", "", "t.Tiles !is null && t.Tiles.length() == 0"},
		{"array<uint8> b = {1, 2, 3}; @t.Tiles = b;", "4:14 ", "t.Tiles.length() == 3 && t.Tiles[2] == 3"},
		{"array<uint8> e; @t.Tiles = e;", "", "t.Tiles.length() == 3"},
		{"@t.Tiles = null;", "", "t.Tiles.length() == 3"},
	};
	for (const Case& c : cases)
	{
		clearMarks();
		const std::string code = std::string("void main() { ") + c.statements + " check(" + c.check + ", \"after\"); }";
		EXPECT_TRUE(runner.runScript(code)) << c.statements;
		EXPECT_EQ(marks(), c.marks) << c.statements;
	}
	EXPECT_EQ(tiled->getColumns(), 0xFFFFFFFFu) << "signed sizes move bit for bit";
	EXPECT_EQ(tiled->getTileWidth(), 16u);
}

TEST_F(SceneObjectKindsTest, AnimationAndDirectionDriveTheSpriteNode)
{
	irr::ITimer* timer = sandbox->engine()->getDevice()->getTimer();
	timer->setTime(1000);
	ASSERT_TRUE(runner.runScript("void main() { check(a.set_animation(\"walk.gani\"), \"set\"); }"));
	EXPECT_FALSE(node->isStopped());
	EXPECT_EQ(node->getAnimation(), sandbox->engine()->getAnimation("walk.gani"));
	node->OnAnimate(1051);
	EXPECT_EQ(node->getCurrentFrame(), 1u);

	timer->setTime(2000);
	ASSERT_TRUE(runner.runScript("void main() { check(a.set_animation(\"walk.gani\"), \"restart\"); }"));
	EXPECT_EQ(node->getCurrentFrame(), 0u) << "the animation that plays starts over";
	EXPECT_EQ(node->getNextFrameTime(), 2050u);

	ASSERT_TRUE(runner.runScript("void main() { a.Direction = 2; }"));
	EXPECT_EQ(node->getDirection(), 2u);
	ASSERT_EQ(node->getShownSprites().size(), 1u);
	EXPECT_EQ(node->getShownFrame(), 0u);
	EXPECT_EQ(node->getShownDirection(), 2u);
	EXPECT_TRUE(node->getShownSprites()[0]->isVisible());
}
