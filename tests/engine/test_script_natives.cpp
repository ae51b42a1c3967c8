// Hostile scripts against the engine's natives, each past one bound of what
// a script can make the client spend outside the scripts' own memory and
// time: GUI elements and their texts, the console, collision shapes, the
// names the content caches keep, refused values asked for in a loop. Each
// ends with one line or one script exception, and the next frame runs.

#include "base/Refusal.h"
#include "script/CScriptModule.h"
#include "script/SScriptBinding.h"
#include "script/ScriptCallbacks.h"
#include "script/api/CGUIElement.h"
#include "script/api/CGUIEngine.h"
#include "script/api/CGUIStaticText.h"
#include "script/api/GUIBounds.h"
#include "scene/TiledMapImage.h"
#include "support/CLogLines.h"
#include "support/TestPictures.h"
#include "support/engine_fixture.h"
#include "world/CObjectManager.h"
#include "world/CPhysicsManager.h"
#include "world/CSceneObject.h"
#include "world/ShapeBounds.h"

#include <IGUIStaticText.h>
#include <ITimer.h>
#include <angelscript.h>
#include <box2d/box2d.h>

#include <functional>
#include <string>
#include <vector>

using namespace orv;

namespace {

class ScriptNatives : public test::EngineTest
{
protected:
	void SetUp() override
	{
		test::EngineTest::SetUp();
		engine().getDevice()->getLogger()->setLogLevel(irr::ELL_INFORMATION);
		engine().getDevice()->setEventReceiver(&log);
		engine().setGameRunning(true);
		forgetRefusals();
	}

	void TearDown() override
	{
		if (CGameEngine* running = sandbox->engine())
			running->getDevice()->setEventReceiver(nullptr);
		test::EngineTest::TearDown();
	}

	void frame()
	{
		engine().setLastFrameTime(engine().getDevice()->getTimer()->getTime() - 20);
		ASSERT_TRUE(engine().update());
		engine().render();
	}

	// The client script's Created runs the code.
	void runCreated(const std::string& body)
	{
		script::CScriptModule* client = engine().getClientModule();
		client->load(
			("bool done = false;\nvoid Created(SceneObject@+ self)\n{\n" + body + "\ndone = true;\n}\n").c_str(),
			"main");
		ASSERT_GE(client->getCallbackId(script::ESC_CREATED), 0) << "the hostile code builds";
		engine().getClientBinding()->callCallback(script::ESC_CREATED, net::packet(), nullptr);
	}

	bool global(const char* name)
	{
		AngelScript::asIScriptModule* code = engine().getClientModule()->getEngineModule();
		const int index = code ? code->GetGlobalVarIndexByName(name) : -1;
		return index >= 0 && *static_cast<bool*>(code->GetAddressOfGlobalVar(index));
	}

	std::size_t linesWith(const std::string& text) const
	{
		std::size_t n = 0;
		for (const std::string& line : log.lines)
			n += line.find(text) != std::string::npos;
		return n;
	}

	// Fixtures of any body whose boxes overlap the point, in pixels.
	static std::size_t shapesAt(float x, float y)
	{
		CPhysicsManager* physics = CPhysicsManager::getInstance();
		const float ppu = physics->getPixelsPerUnit();
		b2AABB box;
		box.lowerBound = b2Vec2(x / ppu - 0.01f, y / ppu - 0.01f);
		box.upperBound = b2Vec2(x / ppu + 0.01f, y / ppu + 0.01f);
		return countShapesAt(*physics->getWorld(), box, nullptr, 1000000);
	}

	test::CLogLines log;
};

const char* const LONG_TEXT = "string s = \"x\"; while (s.size() < 4194304) s += s;";

TEST_F(ScriptNatives, EachHostileCallEndsAtItsBoundWithOneLine)
{
	struct Case
	{
		const char* name;
		std::string body; // of Created
		//! The one line it ends with, and whether the run ends there with an exception.
		const char* line;
		bool exception;
		std::function<void()> check;
	};
	const Case cases[] = {
		{"GUI elements", "for (int i = 0; i < 1100; ++i) GUI.create_statictext(\"x\", recti(0, 0, 10, 10));",
			"1024 GUI elements are alive, the most scripts may have; remove some first", true,
			[] { EXPECT_EQ(gui::countGUIElements(), gui::GUI_MAX_ELEMENTS); }},
		{"GUI collections",
			"array<GUICollection@> kept; for (int i = 0; i < 1100; ++i) kept.insertLast(GUI.create_collection());",
			"1024 GUI collections are alive, the most scripts may have; remove some first", true,
			[] { EXPECT_EQ(gui::countGUICollections(), 0u) << "the script let go of them"; }},
		{"a long GUI text",
			std::string(LONG_TEXT) +
				"GUIStaticText@ t = GUI.create_statictext(s, recti(0, 0, 100, 100));"
				"if (t.Text.size() != 4096) return;",
			"script: A GUI text of more than 4096 characters keeps its first 4096.", false,
			[] {
				const gui::CGUIElement* text = gui::CGUIEngine::getInstance()->getElements().back();
				const auto* element = static_cast<const irr::gui::IGUIStaticText*>(text->getElement());
				ASSERT_NE(element, nullptr);
				EXPECT_EQ(irr::core::stringw(element->getText()).size(), gui::GUI_MAX_TEXT);
			}},
		{"GUI texts together",
			std::string(LONG_TEXT) +
				"s = s.subString(0, 4096); for (int i = 0; i < 20; ++i) "
				"GUI.create_statictext(s, recti(0, 0, 100, 100));",
			"script: GUI texts hold 65536 characters together, the most they may; a new text keeps what fits.", false,
			[] { EXPECT_EQ(gui::countGUITextCharacters(), gui::GUI_MAX_TEXTS); }},
		{"a long log line", std::string(LONG_TEXT) + "Engine.log(s);",
			"script: Engine.log cuts a line of more than 4096 characters there.", false,
			[this] { EXPECT_EQ(linesWith("script: " + std::string(4096, 'x')), 1u); }},
		{"log lines", "for (int i = 0; i < 1000; ++i) Engine.log(\"again\");",
			"script: Engine.log wrote 256 lines of 1280 characters in one frame, the most a frame writes is 256 lines "
			"of 65536; the rest of such a frame's lines are dropped.",
			false, [this] { EXPECT_EQ(linesWith("script: again"), 256u); }},
		{"shapes on one object",
			"SceneObject@ o = Engine.create_sceneobject(\"\", ESOT_DEFAULT);"
			"for (int i = 0; i < 300; ++i) o.Physics.add_collision_circle(0.25, vector2df(1000, 100));",
			"has 256 collision shapes, the most one object takes.", false,
			[] { EXPECT_EQ(shapesAt(16000, 1600), MAX_SHAPES_PER_OBJECT); }},
		{"shapes piled in one place",
			"for (int i = 0; i < 1100; ++i) "
			"Engine.create_sceneobject(\"\", ESOT_DEFAULT).Physics.add_collision_circle(0.25, vector2df(-1000, 0));",
			"core: Collision shapes that lie on more than 1024 shapes of other objects in one place are taken away "
			"as the world steps.",
			false, [] { EXPECT_EQ(shapesAt(-16000, 0), MAX_STACKED_SHAPES + 1); }},
		{"shapes made in one place and moved apart",
			"for (int i = 0; i < 1100; ++i) { SceneObject@ o = Engine.create_sceneobject(\"\", ESOT_DEFAULT);"
			"o.Physics.add_collision_circle(0.25, vector2df(-2000, 0)); o.Position = vector3df(i * 16, 0, 0); }",
			nullptr, false, [] { EXPECT_EQ(shapesAt(-32000 + 16 * 1099, 0), 1u); }},
		{"a refused camera depth", "for (int i = 0; i < 1000; ++i) Camera.FarZ = 0;",
			"script: Camera FarZ must be finite and not 0; it is left unchanged.", false, nullptr},
		{"a refused velocity",
			"SceneObject@ o = Engine.create_sceneobject(\"\", ESOT_DEFAULT);"
			"for (int i = 0; i < 1000; ++i) o.Physics.Velocity = vector2df(1e30, 0);",
			"script: Velocity refused by the physics world.", false, nullptr},
		{"missing animations",
			"AnimatedSceneObject@ a = cast<AnimatedSceneObject>(Engine.create_sceneobject(\"\", ESOT_ANIMATED));"
			"for (int i = 0; i < 5000; ++i) a.set_animation(\"missing\" + i + \".gani\");",
			"core: More than 4096 animations could not be had; names of further ones are not looked for.", false,
			[this] {
				sandbox->folder().write("late.gani", "GANI0001\nSINGLEDIRECTION\nANI\n0 0 0\nANIEND\n");
				EXPECT_EQ(engine().getAnimation("late.gani"), nullptr) << "past the bound no new name is looked for";
			}},
		{"missing pictures",
			"GUIImage@ image = GUI.create_image(\"none.png\");"
			"for (int i = 0; i < 5000; ++i) image.Image = \"missing\" + i + \".png\";",
			"core: More than 4096 pictures could not be had; names of further ones are not looked for.", false,
			nullptr},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		log.lines.clear();
		runCreated(c.body);
		EXPECT_EQ(global("done"), !c.exception);
		// The world steps and draws what the script made.
		frame();
		if (c.line)
			EXPECT_EQ(linesWith(c.line), 1u) << testing::PrintToString(log.lines);
		EXPECT_EQ(linesWith(": Script of module \"client\" stopped at main (r "), c.exception ? 1u : 0u);
		if (c.check)
			c.check();

		// The game goes on: the next frame runs the next script.
		engine().getClientModule()->load(
			"bool done = false;\nvoid Update(SceneObject@+ self, uint t) { done = true; }\n", "main");
		frame();
		EXPECT_TRUE(global("done"));
		gui::CGUIEngine::getInstance()->clear();
	}
}

// A level asked for inside a step loads after it, outside any run: a
// contact callback that asks in a loop gets 16 of them.
TEST_F(ScriptNatives, LevelsAskedForInsideAStepWaitSixteenAtMost)
{
	sandbox->folder().write("room.xml", "<orvlevel version=\"1\"><sceneobjects><object/></sceneobjects></orvlevel>");
	// Box2D tells the object of the contact's first fixture: both ask.
	for (irr::u32 id = 1; id <= 2; ++id)
	{
		CSceneObject* object = engine().createSceneObject(id, ESOT_DEFAULT, "");
		object->Physics.addCollisionCircle(1.0f, irr::core::vector2df(0, 0));
		object->Physics.setType(EBT_DYNAMIC);
		object->getModule()->load("void OnBeginContact(SceneObject@+ self, SceneObject@+ other)"
								  "{ for (int i = 0; i < 100; ++i) Engine.load_level(\"room.xml\"); }",
			"main");
	}
	const std::size_t before = CObjectManager::getInstance()->getSceneObjects().size();
	frame();
	EXPECT_EQ(CObjectManager::getInstance()->getSceneObjects().size(), before + 16);
	EXPECT_EQ(linesWith("script: load_level is refused: 16 levels wait for the physics step to end already."), 1u)
		<< testing::PrintToString(log.lines);
	frame();
	EXPECT_EQ(CObjectManager::getInstance()->getSceneObjects().size(), before + 16) << "nothing more waits";
}

// A call that costs the script nothing starts the composition of a whole
// tile map: a map changed every frame is composed again within the frames'
// budget of pixels, and the last change is shown once the changes stop.
TEST_F(ScriptNatives, AMapChangedEveryFrameIsComposedWithinTheBudget)
{
	const irr::u64 aFrame = 4096;
	const irr::u64 kept = 16384;
	// 16 x 32 tiles of 4 pixels.
	const irr::u64 mapPixels = 64 * 128;
	setTiledMapBudget(aFrame, kept);
	sandbox->folder().write("tiles.tga", test::solidTga(16, 16, {255, 0, 0}, {0, 0, 255}));
	engine().getClientModule()->load(R"AS(
TiledSceneObject@ map;
bool changing = true;
void Created(SceneObject@+ self)
{
	@map = cast<TiledSceneObject>(Engine.create_sceneobject("", ESOT_TILED));
	map.Tileset_Tile_Dimension = dimension2di(4, 4);
	map.Tile_Dimension = dimension2di(16, 32);
	map.Tiles = array<uint8>(16 * 32 * 2, 1);
	map.Tileset = "tiles.tga";
}
void Update(SceneObject@+ self, uint t)
{
	if (changing)
		map.Tileset_Tile_Dimension = dimension2di(4, 4);
}
)AS",
		"main");
	engine().getClientBinding()->callCallback(script::ESC_CREATED, net::packet(), nullptr);
	const irr::u64 before = countTiledMapRebuilds();
	const int frames = 20;
	for (int i = 0; i < frames; ++i)
		frame();
	const irr::u64 rebuilds = countTiledMapRebuilds() - before;
	EXPECT_LE(rebuilds * mapPixels, kept + frames * aFrame) << rebuilds;
	EXPECT_GE(rebuilds * mapPixels, frames * aFrame - mapPixels) << "the map keeps being composed";

	// Once the changes stop, what waits is composed, and then nothing more.
	AngelScript::asIScriptModule* code = engine().getClientModule()->getEngineModule();
	*static_cast<bool*>(code->GetAddressOfGlobalVar(code->GetGlobalVarIndexByName("changing"))) = false;
	for (int i = 0; i < 4; ++i)
		frame();
	const irr::u64 settled = countTiledMapRebuilds();
	for (int i = 0; i < 4; ++i)
		frame();
	EXPECT_EQ(countTiledMapRebuilds(), settled);
	setTiledMapBudget(0, 0);
}

} // namespace
