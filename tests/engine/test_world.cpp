#include <functional>
#include <string>
#include <vector>

#include <angelscript.h>
#include <gtest/gtest.h>
#include <irrlicht.h>

#include "scene/C2DImageSceneNode.h"
#include "scene/CAnimatedSpriteSceneNode.h"
#include "scene/CCameraManager.h"
#include "scene/CStaticImage.h"
#include "scene/CTiledImage.h"
#include "scene/SceneNodeSync.h"
#include "script/CScriptManager.h"
#include "script/CScriptModule.h"
#include "script/ScriptBudget.h"
#include "support/CMemoryImage.h"
#include "support/engine_fixture.h"
#include "world/CObjectManager.h"
#include "world/CPhysicsManager.h"
#include "world/CSceneObject.h"
#include "world/CTiledSceneObject.h"
#include "world/EngineAttributes.h"

namespace orv {
namespace {

using irr::core::ustring16;
using irr::core::vector2df;

const char* const ANIMATION = "GANI0001\nSPRITE 1 pic.png 0 0 8 8 body\nSINGLEDIRECTION\nANI\n1 0 0\nANIEND\n";

const char* const ON_EVENT = "int received = 0; int withoutSender = 0; int fromSelf = 0; string lastEvent;\n"
							 "void OnEvent(SceneObject@+ self, SceneObject@+ sender, string event, string data, "
							 "vector2df origin, float range) {\n"
							 "  received++; if (sender is null) withoutSender++; if (sender is self) fromSelf++;\n"
							 "  lastEvent = event + \"/\" + data; }\n";

class WorldTest : public test::EngineTest
{
protected:
	void SetUp() override
	{
		test::EngineTest::SetUp();
		objects = CObjectManager::getInstance();
		irr::video::IImage* picture = test::createFilledPicture(engine().getVideoDriver(), 32, 16);
		ASSERT_TRUE(
			engine().getVideoDriver()->writeImageToFile(picture, (sandbox->folder().path() + "pic.png").c_str()));
		picture->drop();
		sandbox->folder().write("walk.gani", ANIMATION);
	}

	CSceneObject* make(irr::u32 id, irr::u32 type, const char* image = "")
	{
		CSceneObject* object = objects->createSceneObject(id, type, "");
		object->getEngineAttribute(EP_IMAGE)->setString(image);
		return object;
	}

	irr::scene::ISceneNode* nodeOf(CSceneObject* object)
	{
		const auto found = engine().getSceneNodes().find(object);
		return found == engine().getSceneNodes().end() ? nullptr : found->second;
	}

	// A global of the object's own script; T() when the script has none.
	template <typename T> T global(CSceneObject* object, const char* name)
	{
		AngelScript::asIScriptModule* module = object->getModule()->getEngineModule();
		void* address = module ? module->GetAddressOfGlobalVar(module->GetGlobalVarIndexByName(name)) : nullptr;
		EXPECT_NE(address, nullptr) << name;
		return address ? *static_cast<T*>(address) : T();
	}

	CObjectManager* objects = nullptr;
};

TEST_F(WorldTest, CachesKeepWhatTheyMadeAndWhatFailed)
{
	EXPECT_EQ(engine().getImage(5, "pic.png"), nullptr);
	CImage* picture = engine().findImage("pic.png");
	ASSERT_NE(picture, nullptr);
	EXPECT_EQ(picture->getType(), EIT_STATIC);
	EXPECT_EQ(picture->getSize(), irr::core::dimension2du(32, 16));
	EXPECT_EQ(engine().getImage(2, "pic.png"), picture);
	EXPECT_EQ(engine().findImage("pic.png"), picture);
	EXPECT_EQ(engine().getImage(2, "TiledObject_9")->getType(), EIT_TILED);

	CImage* missing = engine().findImage("missing.png");
	ASSERT_NE(missing, nullptr);
	EXPECT_TRUE(missing->getTextures().empty());

	sandbox->folder().write("bad.gani", "GANI0002\nANI\n");
	EXPECT_EQ(engine().getAnimation("bad.gani"), nullptr);
	// A failure is remembered: the file is not read again.
	sandbox->folder().write("bad.gani", ANIMATION);
	EXPECT_EQ(engine().getAnimation("bad.gani"), nullptr);
	EXPECT_NE(engine().getAnimation("walk.gani"), nullptr);
	EXPECT_EQ(engine().getAnimation("walk.gani"), engine().getAnimation("walk.gani"));

	EXPECT_EQ(engine().getSound("step.wav"), nullptr);
	EXPECT_EQ(engine().getWorkingDirectory(), engine().getProgramDirectory());
}

TEST_F(WorldTest, EachKindGetsItsNodeOnce)
{
	CSceneObject* still = make(1, ESOT_STATIC, "pic.png");
	CSceneObject* walker = make(2, ESOT_ANIMATED, "walk.gani");
	CSceneObject* plain = make(3, ESOT_DEFAULT);
	CTiledSceneObject* map = static_cast<CTiledSceneObject*>(make(12, ESOT_TILED));
	map->setTileset("pic.png");
	map->setTileSize(16, 16);
	map->setMapSize(3, 2);
	map->getTiles() = {0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0};

	irr::scene::ISceneNode* root = engine().getDevice()->getSceneManager()->getRootSceneNode();
	const irr::u32 childrenBefore = root->getChildren().size();
	for (CSceneObject* object : {still, walker, plain, static_cast<CSceneObject*>(map)})
		for (int twice = 0; twice < 2; ++twice)
			EXPECT_EQ(engine().addSceneObject(object), object);
	EXPECT_EQ(root->getChildren().size(), childrenBefore + 3);

	struct Case
	{
		CSceneObject* object;
		irr::scene::ESCENE_NODE_TYPE nodeType;
		SceneObjectCallback sync;
	} cases[] = {
		{still, C2DImageSceneNode::NODE_TYPE, syncImageNode},
		{walker, CAnimatedSpriteSceneNode::NODE_TYPE, syncAnimatedNode},
		{map, C2DImageSceneNode::NODE_TYPE, syncImageNode},
		{plain, irr::scene::ESNT_UNKNOWN, syncNoNode},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.object->getId());
		irr::scene::ISceneNode* node = nodeOf(c.object);
		EXPECT_EQ(node ? node->getType() : irr::scene::ESNT_UNKNOWN, c.nodeType);
		EXPECT_EQ(c.object->getNodeSyncCallback(), c.sync);
		EXPECT_TRUE(c.object->Physics.owner);
	}

	EXPECT_EQ(static_cast<C2DImageSceneNode*>(nodeOf(still))->getImage(), engine().findImage("pic.png"));
	EXPECT_FALSE(static_cast<CAnimatedSpriteSceneNode*>(nodeOf(walker))->isStopped());
	CImage* tiles = static_cast<C2DImageSceneNode*>(nodeOf(map))->getImage();
	ASSERT_NE(tiles, nullptr);
	EXPECT_EQ(tiles->getName(), ustring16("TiledObject_12"));
	EXPECT_EQ(tiles->getSize(), irr::core::dimension2du(48, 32));
	EXPECT_EQ(tiles->getTextures().size(), 1u);
}

TEST_F(WorldTest, ImageNodesFollowTheMarkedAttributes)
{
	CSceneObject* object = make(1, ESOT_STATIC);
	engine().addSceneObject(object);
	C2DImageSceneNode* node = static_cast<C2DImageSceneNode*>(nodeOf(object));
	ASSERT_NE(node, nullptr);
	EXPECT_EQ(node->getImage(), nullptr);

	object->getChangedEngineAttributes().clear();
	object->setPosition(irr::core::vector3df(10, 20, 3));
	object->setImage("pic.png");
	object->getEngineAttribute(EP_ROTATION)->setFloat(30.0f);
	object->markEngineAttributeChanged(EP_ROTATION);
	syncImageNode(object);
	EXPECT_EQ(node->getPosition(), irr::core::vector3df(10, 20, -3));
	EXPECT_EQ(node->getImage(), engine().findImage("pic.png"));
	EXPECT_EQ(node->getRotation(), irr::core::vector3df(0, 0, -30));
	EXPECT_EQ(node->getScale(), irr::core::vector3df(1, 1, 1));

	// Unmarked changes do not reach the node.
	object->getChangedEngineAttributes().clear();
	object->getEngineAttribute(EP_X)->setFloat(99.0f);
	syncImageNode(object);
	EXPECT_EQ(node->getPosition(), irr::core::vector3df(10, 20, -3));
}

TEST_F(WorldTest, ATiledObjectMadeAgainShowsItsNewTiles)
{
	struct Case
	{
		irr::u32 columns, rows;
		irr::core::dimension2du size;
	} cases[] = {{3, 2, {48, 32}}, {1, 1, {16, 16}}, {2, 1, {32, 16}}};
	irr::u32 textures = 0;
	for (const Case& c : cases)
	{
		CTiledSceneObject* map = static_cast<CTiledSceneObject*>(make(12, ESOT_TILED));
		map->setTileset("pic.png");
		map->setTileSize(16, 16);
		map->setMapSize(c.columns, c.rows);
		map->getTiles().assign(size_t(c.columns) * c.rows * 2, 0);
		engine().addSceneObject(map);
		CImage* shown = static_cast<C2DImageSceneNode*>(nodeOf(map))->getImage();
		EXPECT_EQ(shown->getSize(), c.size);
		EXPECT_EQ(static_cast<C2DImageSceneNode*>(nodeOf(map))->getSourceRect(),
			irr::core::recti(0, 0, c.size.Width, c.size.Height));
		if (textures == 0)
			textures = engine().getVideoDriver()->getTextureCount();
		EXPECT_EQ(engine().getVideoDriver()->getTextureCount(), textures);
		EXPECT_TRUE(engine().removeSceneObject(12));
	}
}

TEST_F(WorldTest, AScriptMadeMapIsComposedAtTheNextFrame)
{
	// Left tile green, right tile blue.
	irr::video::IImage* tileset = test::createFilledPicture(
		engine().getVideoDriver(), 32, 16, irr::video::SColor(255, 0, 255, 0));
	for (irr::u32 y = 0; y < 16; ++y)
		for (irr::u32 x = 16; x < 32; ++x)
			tileset->setPixel(x, y, irr::video::SColor(255, 0, 0, 255));
	ASSERT_TRUE(engine().getVideoDriver()->writeImageToFile(tileset, (sandbox->folder().path() + "tiles.png").c_str()));
	tileset->drop();

	CTiledSceneObject* map = nullptr;
	struct SHandleRelease
	{
		CTiledSceneObject*& held;
		~SHandleRelease()
		{
			if (held)
				held->drop();
		}
	} release{map};
	AngelScript::asIScriptEngine* scripts = engine().getScriptManager()->getEngine();
	ASSERT_GE(scripts->RegisterGlobalProperty("TiledSceneObject@ map", &map), 0);
	AngelScript::asIScriptModule* module = scripts->GetModule("map test", AngelScript::asGM_ALWAYS_CREATE);
	module->AddScriptSection("map", R"AS(
void make() {
	@map = cast<TiledSceneObject>(Engine.create_sceneobject("", ESOT_TILED));
	map.Tileset = "tiles.png";
	map.Tileset_Tile_Dimension = dimension2di(16, 16);
	map.Tile_Dimension = dimension2di(3, 2);
	array<uint8> tiles = {0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0};
	@map.Tiles = tiles;
}
void shrink() {
	map.Tile_Dimension = dimension2di(2, 1);
	array<uint8> tiles = {1, 0, 0, 0};
	@map.Tiles = tiles;
}
void spoil() { array<uint8> tiles = {0, 0, 0}; @map.Tiles = tiles; }
)AS");
	ASSERT_GE(module->Build(), 0);
	engine().setGameRunning(true);

	struct Case
	{
		const char* function;
		irr::core::dimension2du size;
		bool composes;
		irr::video::SColor firstCell;
	};
	// In order; tile bytes that do not fit the map leave the last good textures.
	const Case cases[] = {
		{"void make()", {48, 32}, true, irr::video::SColor(255, 0, 255, 0)},
		{"void shrink()", {32, 16}, true, irr::video::SColor(255, 0, 0, 255)},
		{"void spoil()", {32, 16}, false, irr::video::SColor()},
	};
	irr::u32 textureCount = 0;
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.function);
		AngelScript::asIScriptContext* context = scripts->CreateContext();
		context->Prepare(module->GetFunctionByDecl(c.function));
		EXPECT_EQ(context->Execute(), AngelScript::asEXECUTION_FINISHED);
		context->Release();
		ASSERT_NE(map, nullptr);
		ASSERT_TRUE(engine().update());

		C2DImageSceneNode* node = static_cast<C2DImageSceneNode*>(nodeOf(map));
		CImage* shown = node ? node->getImage() : nullptr;
		ASSERT_NE(shown, nullptr);
		EXPECT_EQ(shown->getName(), ustring16("TiledObject_") + ustring16(irr::core::stringc(map->getId())));
		EXPECT_EQ(shown->getTextures().size(), 1u);
		EXPECT_EQ(node->getMeshBufferCount(), 1u);
		EXPECT_EQ(shown->getSize(), c.size);
		EXPECT_EQ(node->getBoundingBox().MaxEdge.X, c.size.Width / 2.0f);
		irr::video::IImage* picture = shown->compose();
		EXPECT_EQ(picture != nullptr, c.composes);
		if (picture)
		{
			EXPECT_EQ(picture->getPixel(0, 0), c.firstCell);
			picture->drop();
		}
		if (textureCount == 0)
			textureCount = engine().getVideoDriver()->getTextureCount();
		EXPECT_EQ(engine().getVideoDriver()->getTextureCount(), textureCount) << "old textures replaced";
	}
}

TEST_F(WorldTest, RemovalTakesTheObjectOutOfEverything)
{
	CSceneObject* object = engine().createSceneObject(4, ESOT_STATIC, "");
	ASSERT_NE(object, nullptr);
	EXPECT_EQ(engine().createSceneObject(5, ESOT_STATIC, "no such class"), nullptr);
	irr::scene::ISceneNode* node = nodeOf(object);
	ASSERT_NE(node, nullptr);
	engine().setPlayerObject(object);
	CCameraManager::getExistingInstance()->setFollowed(object);
	object->grab();

	EXPECT_FALSE(engine().removeSceneObject(0));
	EXPECT_FALSE(engine().removeSceneObject(99));
	EXPECT_TRUE(engine().removeSceneObject(4));
	EXPECT_FALSE(engine().removeSceneObject(4));

	EXPECT_EQ(nodeOf(object), nullptr);
	EXPECT_EQ(objects->getSceneObject(4), nullptr);
	EXPECT_EQ(engine().getPlayerObject(), nullptr);
	EXPECT_EQ(CCameraManager::getExistingInstance()->getFollowed(), nullptr);
	// The reference held here keeps the object.
	EXPECT_EQ(object->getId(), 4u);
	object->drop();
}

TEST_F(WorldTest, EventsReachTheTouchingFixturesOfObjectsThatListen)
{
	// Pixels per unit 16: the event at the origin with range 32 px is a
	// circle of radius 2 units.
	struct SObject
	{
		irr::u32 id;
		bool listens;
		std::vector<vector2df> circles; // centres of circles of radius 0.5
		irr::s32 expected;
	} layout[] = {
		{1, true, {{0, 0}, {1, 0}}, 2},
		{2, true, {{10, 0}}, 0},
		{3, false, {{0, 1}}, 0},
		// Its bounding box overlaps the circle's square, the circle itself does not reach it.
		{4, true, {{2.3f, 2.3f}}, 0},
		{5, true, {}, 1},
	};
	std::vector<CSceneObject*> made;
	for (const SObject& o : layout)
	{
		CSceneObject* object = engine().createSceneObject(o.id, ESOT_DEFAULT, "");
		if (o.listens)
			object->getModule()->load(ON_EVENT, "main");
		for (const vector2df& centre : o.circles)
			object->Physics.addCollisionCircle(0.5f, centre, 0.0f);
		made.push_back(object);
	}
	// A chain of two edges, only the first passing near the origin.
	b2ChainShape chain;
	const b2Vec2 points[3] = {{-10, 1}, {10, 1}, {10, 20}};
	chain.CreateChain(points, 3, b2Vec2(-11, 1), b2Vec2(10, 21));
	b2FixtureDef def;
	def.shape = &chain;
	ASSERT_NE(CPhysicsManager::getInstance()->createFixture(made[4]->Physics.body, def), nullptr);

	EXPECT_EQ(engine().sendEvent(nullptr, "hello", "data", vector2df(0, 0), 32.0f), 3u);
	for (size_t i = 0; i < made.size(); ++i)
		if (layout[i].listens)
		{
			EXPECT_EQ(global<int>(made[i], "received"), layout[i].expected) << layout[i].id;
			EXPECT_EQ(global<int>(made[i], "withoutSender"), layout[i].expected) << layout[i].id;
		}
	EXPECT_EQ(global<ustring16>(made[0], "lastEvent"), ustring16("hello/data"));

	// From object 1, near object 2 only.
	EXPECT_EQ(engine().sendEvent(made[0], "ping", "", vector2df(160, -16), 16.0f), 1u);
	EXPECT_EQ(global<int>(made[1], "received"), 1);
	EXPECT_EQ(global<int>(made[1], "withoutSender"), 0);
	// Ranges that make no circle reach nobody.
	EXPECT_EQ(engine().sendEvent(made[0], "ping", "", vector2df(0, 0), -5.0f), 0u);
}

TEST_F(WorldTest, EventsCountOnlyTheDeliveriesThatRan)
{
	script::SScriptBudget* budget = script::getScriptBudget(engine().getScriptManager()->getEngine());
	ASSERT_NE(budget, nullptr);
	struct Case
	{
		const char* name;
		std::function<void(CSceneObject*)> before;
		std::function<void()> after;
		irr::u32 delivered;
	};
	const Case cases[] = {
		{"a listener", [](CSceneObject*) {}, [] {}, 1},
		{"a module set aside",
			[](CSceneObject* o) {
				// Out of time three frames in a row.
				for (irr::u64 frame = 1; frame <= script::SCRIPT_SET_ASIDE_FRAMES; ++frame)
					o->getModule()->noteOutOfTime(frame);
				ASSERT_TRUE(o->getModule()->isSetAside());
			},
			[] {}, 0},
		{"the frame's script time gone",
			[this, budget](CSceneObject*) {
				engine().getScriptManager()->beginFrame();
				budget->FrameSpent = true;
			},
			[this] { engine().getScriptManager()->endFrame(); }, 0},
		{"no script time to begin with", [this](CSceneObject*) { engine().getScriptManager()->setBudgets(0, 0); },
			[this] {
				engine().getScriptManager()->setBudgets(script::SCRIPT_RUN_BUDGET_MS, script::SCRIPT_FRAME_BUDGET_MS);
			},
			0},
	};
	irr::u32 id = 1;
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		CSceneObject* listener = engine().createSceneObject(id++, ESOT_DEFAULT, "");
		listener->getModule()->load(ON_EVENT, "main");
		listener->Physics.addCollisionCircle(0.5f, vector2df(0, 0), 0.0f);
		c.before(listener);
		EXPECT_EQ(engine().sendEvent(nullptr, "e", "", vector2df(0, 0), 8.0f), c.delivered);
		c.after();
		EXPECT_EQ(global<int>(listener, "received"), static_cast<int>(c.delivered));
		engine().removeSceneObject(listener->getId());
	}

	// An object that answers every event with the same event to itself: the
	// deliveries nest until one is too deep, which runs nothing.
	CSceneObject* echo = engine().createSceneObject(id++, ESOT_DEFAULT, "");
	echo->getModule()->load("int received = 0; int reachedNone = 0; int reachedOne = 0; int first = -1;\n"
							"void OnEvent(SceneObject@+ self, SceneObject@+ sender, string event, string data, "
							"vector2df origin, float range) {\n"
							"  received++;\n"
							"  uint n = Engine.send_event(self, event, data, origin, range);\n"
							"  if (first < 0) first = int(n);\n"
							"  if (n == 0) reachedNone++; else if (n == 1) reachedOne++; }\n",
		"main");
	echo->Physics.addCollisionCircle(0.5f, vector2df(0, 0), 0.0f);
	EXPECT_EQ(engine().sendEvent(nullptr, "echo", "", vector2df(0, 0), 8.0f), 1u);
	const int received = global<int>(echo, "received");
	EXPECT_GT(received, 1);
	// The innermost send, the first to return, reached no one; every other
	// one reached the next.
	EXPECT_EQ(global<int>(echo, "first"), 0);
	EXPECT_EQ(global<int>(echo, "reachedNone"), 1);
	EXPECT_EQ(global<int>(echo, "reachedOne"), received - 1);
}

} // namespace
} // namespace orv
