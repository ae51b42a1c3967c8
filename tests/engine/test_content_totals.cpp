// A package that holds more than the bound of all pictures, of all sounds,
// of the world's objects and tile maps or of all animations: what is past
// the bound is refused with one line, the game plays on, and a new game
// starts with nothing held. Each test sets a small bound to reach it with
// a small package.

#include <functional>
#include <string>

#include <angelscript.h>
#include <gtest/gtest.h>
#include <irrlicht.h>

#include "AudioTestSupport.h"
#include "base/Log.h"
#include "base/Refusal.h"
#include "engine/CGameEngine.h"
#include "engine/SoundMemory.h"
#include "frontend/PackageList.h"
#include "scene/AnimationMemory.h"
#include "scene/ImageMemory.h"
#include "script/CScriptModule.h"
#include "support/CRecordingLogger.h"
#include "support/TestPictures.h"
#include "support/login_screen.h"
#include "world/CObjectManager.h"
#include "world/CSceneObject.h"
#include "world/CTiledSceneObject.h"
#include "world/WorldMemory.h"

namespace orv {
namespace {

const size_t PICTURE_BYTES = 64 * 64 * 4;

// The client script loads the package's level and counts the frames it sees.
const char* const CLIENT_SCRIPT = "int frames = 0;\n"
								  "void Created(SceneObject@+ self) { Engine.load_level(\"level.xml\"); }\n"
								  "void Update(SceneObject@+ self, uint timeMS) { frames++; }\n";

std::string level(const std::string& objects)
{
	return "<?xml version=\"1.0\"?><orvlevel version=\"1\"><sceneobjects>" + objects + "</sceneobjects></orvlevel>";
}

//! n objects of the kind, each its own file when `file` holds a '#'.
std::string objects(int n, const char* type, const std::string& file)
{
	std::string text;
	for (int i = 0; i < n; ++i)
	{
		std::string name = file;
		const size_t mark = name.find('#');
		if (mark != std::string::npos)
			name.replace(mark, 1, std::to_string(i));
		text += std::string("<object type=\"") + type + "\"><property name=\"image\" value=\"" + name + "\"/></object>";
	}
	return text;
}

std::string wave()
{
	test::SWavSpec spec;
	spec.frames = 512;
	const test::Bytes bytes = test::makeWav(spec);
	return std::string(bytes.begin(), bytes.end());
}

class ContentTotalsTest : public test::LoginScreenTest
{
protected:
	void SetUp() override
	{
		setLogger(&logger);
		forgetRefusals();
	}
	void TearDown() override
	{
		test::LoginScreenTest::TearDown();
		setLogger(nullptr);
		getImageMemory().setLimit(DEFAULT_IMAGE_MEMORY_LIMIT);
		getSoundMemory().setLimit(DEFAULT_SOUND_MEMORY_LIMIT);
		getWorldMemory().setLimit(DEFAULT_WORLD_MEMORY_LIMIT);
		setAnimationMemoryLimit(DEFAULT_ANIMATION_MEMORY_LIMIT);
	}

	//! Starts the engine on a folder with the package "Heavy" of those files
	//! besides its description, classes and client script, and plays it.
	void play(const test::SandboxFiles& packageFiles)
	{
		test::SandboxFiles files = {
			{"package/Heavy/package.xml",
				"<orvpackage version=\"1\"><package name=\"Heavy\" version=\"1\"><objectclass file=\"classes.xml\"/>"
				"<clientscript file=\"client.as\"/></package></orvpackage>"},
			{"package/Heavy/classes.xml", "<orvclasses version=\"1\"><objectclasses/></orvclasses>"},
			{"package/Heavy/client.as", CLIENT_SCRIPT},
		};
		for (const auto& file : packageFiles)
			files["package/Heavy/" + file.first] = file.second;
		sandbox.reset(new test::CEngineSandbox(files));
		ASSERT_TRUE(sandbox->started());
		select(screen().PackageList, 0);
		click(screen().PlayButton);
		ASSERT_TRUE(engine().isGameRunning());
	}

	size_t lines(const std::string& start) const
	{
		size_t n = 0;
		for (const test::SLoggedLine& line : logger.lines)
			n += (line.text + ": " + line.hint).rfind(start, 0) == 0;
		return n;
	}

	//! The game goes on after what was refused: frames run and reach the script.
	void expectThePlayGoesOn()
	{
		for (int i = 0; i < 3; ++i)
		{
			ASSERT_TRUE(engine().update());
			engine().render();
		}
		AngelScript::asIScriptModule* client = engine().getClientModule()->getEngineModule();
		ASSERT_NE(client, nullptr);
		const int index = client->GetGlobalVarIndexByName("frames");
		ASSERT_GE(index, 0);
		EXPECT_GE(*static_cast<int*>(client->GetAddressOfGlobalVar(index)), 3);
	}

	size_t objectCount() const { return CObjectManager::getInstance()->getSceneObjects().size(); }

	test::CRecordingLogger logger;
};

TEST_F(ContentTotalsTest, PicturesPastTheirTotalGetNoTextures)
{
	getImageMemory().setLimit(3 * PICTURE_BYTES);
	test::SandboxFiles files = {{"level.xml", level(objects(5, "static", "p#.tga"))}};
	for (int i = 0; i < 5; ++i)
		files["p" + std::to_string(i) + ".tga"] = test::solidTga(64, 64, {255, 0, 0}, {0, 0, 255});
	play(files);

	EXPECT_EQ(objectCount(), 5u);
	EXPECT_EQ(getImageMemory().getHeld(), 3 * PICTURE_BYTES);
	EXPECT_EQ(countRefusals("content: pictures"), 2u);
	EXPECT_EQ(lines("core: Pictures hold all the memory they may"), 1u);
	expectThePlayGoesOn();

	// A new game lets go of what the last one read.
	engine().resetSession();
	EXPECT_EQ(getImageMemory().getHeld(), 0u);
}

TEST_F(ContentTotalsTest, SoundsPastTheirTotalAreNotPlayed)
{
	const std::string sound = wave();
	const size_t soundBytes = sound.size() + SOUND_BLOCK_BYTES;
	getSoundMemory().setLimit(3 * soundBytes);
	std::string animation = "GANI0001\nSPRITE 1 none.png 0 0 8 8 body\nSINGLEDIRECTION\nLOOP\nANI\n";
	test::SandboxFiles files;
	for (int i = 0; i < 5; ++i)
	{
		animation += "PLAYSOUND s" + std::to_string(i) + ".wav 0 0\n";
		files["s" + std::to_string(i) + ".wav"] = sound;
	}
	files["a.gani"] = animation + "1 0 0\nANIEND\n";
	files["level.xml"] = level(objects(1, "animated", "a.gani"));
	play(files);

	ASSERT_NE(engine().getAudioManager(), nullptr);
	EXPECT_EQ(getSoundMemory().getHeld(), 3 * soundBytes);
	EXPECT_NE(engine().getSound("s2.wav"), nullptr);
	EXPECT_EQ(engine().getSound("s3.wav"), nullptr);
	EXPECT_EQ(countRefusals("content: sounds"), 2u);
	EXPECT_EQ(lines("core: Sounds hold all the memory they may"), 1u);
	expectThePlayGoesOn();

	engine().resetSession();
	EXPECT_EQ(getSoundMemory().getHeld(), 0u);
}

TEST_F(ContentTotalsTest, ObjectsAndTilesPastTheirTotalAreNotMade)
{
	// Room for the classes "blank" and "", three plain objects and a little
	// more: not for a 256 x 64 map.
	getWorldMemory().setLimit(2 * WORLD_CLASS_BYTES + 3 * WORLD_OBJECT_BYTES + 1000);
	const std::string map = "<object type=\"tiled\"><tileset tile_w=\"8\" tile_h=\"8\" file=\"none.png\"/>"
							"<tiledata width=\"256\" height=\"64\">" +
		std::string(256 * 64 * 2, 'A') + "</tiledata></object>";
	play({{"level.xml", level(map + objects(5, "static", "none.png"))}});

	EXPECT_EQ(objectCount(), 3u);
	const CObjectManager::ObjectMap& made = CObjectManager::getInstance()->getSceneObjects();
	const CTiledSceneObject* tiled = static_cast<const CTiledSceneObject*>(made.begin()->second);
	ASSERT_EQ(tiled->getType(), ESOT_TILED);
	EXPECT_TRUE(tiled->getTiles().empty());
	EXPECT_EQ(tiled->getColumns(), 0u);
	EXPECT_EQ(getWorldMemory().getHeld(), 2 * WORLD_CLASS_BYTES + 3 * WORLD_OBJECT_BYTES);
	EXPECT_EQ(countRefusals("content: objects"), 4u) << "the tiles and three objects";
	EXPECT_EQ(lines("core: Objects and tile maps hold all the memory they may"), 1u);
	expectThePlayGoesOn();

	// A new game holds only its class "blank".
	engine().resetSession();
	EXPECT_EQ(getWorldMemory().getHeld(), WORLD_CLASS_BYTES);
}

TEST_F(ContentTotalsTest, AnObjectCountsTheAttributesItCopiesFromItsClass)
{
	std::string attributes;
	for (int i = 0; i < 100; ++i)
		attributes += "<attribute name=\"a" + std::to_string(i) + "\" type=\"int\" value=\"1\"/>";
	play({{"classes.xml",
			  "<orvclasses version=\"1\"><objectclasses><class name=\"wide\">" + attributes +
				  "</class></objectclasses></orvclasses>"},
		{"level.xml", level("<object class=\"wide\"/>")}});
	EXPECT_EQ(objectCount(), 1u);
	// The classes "blank" and "wide" and the object with its copies.
	size_t copies = 0;
	for (int i = 0; i < 100; ++i)
		copies += attributeHeldBytes(irr::core::ustring16(("a" + std::to_string(i)).c_str()), irr::core::ustring16());
	EXPECT_EQ(copies, 100 * WORLD_ATTRIBUTE_BYTES + 2 * (10 * 2 + 90 * 3)) << "the record and the name's characters";
	EXPECT_EQ(getWorldMemory().getHeld(), 2 * WORLD_CLASS_BYTES + WORLD_OBJECT_BYTES + copies);
}

TEST_F(ContentTotalsTest, AClassTextIsChargedToEveryObjectThatCopiesIt)
{
	// Each object of the class holds its own copy of the text: without it the
	// total would let 65536 objects copy a text of megabytes each.
	const std::string text(60000, 'x');
	const size_t copy = WORLD_OBJECT_BYTES +
		attributeHeldBytes(irr::core::ustring16("t"), irr::core::ustring16(text.c_str()));
	getWorldMemory().setLimit(2 * WORLD_CLASS_BYTES + 3 * copy + 1000);
	std::string objectsOfIt;
	for (int i = 0; i < 5; ++i)
		objectsOfIt += "<object class=\"texty\"/>";
	play({{"classes.xml",
			  "<orvclasses version=\"1\"><objectclasses><class name=\"texty\"><attribute name=\"t\" type=\"string\" "
			  "value=\"" +
				  text + "\"/></class></objectclasses></orvclasses>"},
		{"level.xml", level(objectsOfIt)}});

	EXPECT_EQ(objectCount(), 3u);
	EXPECT_EQ(getWorldMemory().getHeld(), 2 * WORLD_CLASS_BYTES + 3 * copy);
	EXPECT_EQ(lines("core: Objects and tile maps hold all the memory they may"), 1u);
	expectThePlayGoesOn();
}

// What scripts make counts in the world's one total, as a level's objects do.
const char* const MAKING_SCRIPT =
	"int frames = 0; int made = 0; SceneObject@ kept;\n"
	"void Created(SceneObject@+ self) {}\n"
	"void Update(SceneObject@+ self, uint timeMS) { frames++; }\n"
	"string xs(int n) { string s; for (int i = 0; i < n; ++i) s += 'x'; return s; }\n"
	"void makeObjects() { for (int i = 0; i < 4; ++i) if (Engine.create_sceneobject('', ESOT_DEFAULT) !is null) "
	"made++; }\n"
	"void keepOne() { @kept = Engine.create_sceneobject('', ESOT_DEFAULT); }\n"
	"void setText(int n) { kept.set_attribute('a', xs(n)); }\n"
	"void setNumber(const string &in name) { kept.set_attribute(name, 5); }\n";

class ScriptContentTotalsTest : public ContentTotalsTest
{
protected:
	void playTheScript() { play({{"client.as", MAKING_SCRIPT}}); }

	template <typename... Arguments> void call(const char* declaration, Arguments... arguments)
	{
		AngelScript::asIScriptModule* client = engine().getClientModule()->getEngineModule();
		AngelScript::asIScriptFunction* function = client->GetFunctionByDecl(declaration);
		ASSERT_NE(function, nullptr) << declaration;
		AngelScript::asIScriptContext* context = client->GetEngine()->CreateContext();
		context->Prepare(function);
		setArguments(context, 0, arguments...);
		EXPECT_EQ(context->Execute(), AngelScript::asEXECUTION_FINISHED) << declaration;
		context->Release();
	}

	int global(const char* name)
	{
		AngelScript::asIScriptModule* client = engine().getClientModule()->getEngineModule();
		return *static_cast<int*>(client->GetAddressOfGlobalVar(client->GetGlobalVarIndexByName(name)));
	}

	const CSceneObject* lastObject() const { return CObjectManager::getInstance()->getSceneObjects().rbegin()->second; }

private:
	void setArguments(AngelScript::asIScriptContext*, int) {}
	void setArguments(AngelScript::asIScriptContext* context, int at, int value) { context->SetArgDWord(at, value); }
	void setArguments(AngelScript::asIScriptContext* context, int at, irr::core::ustring16* value)
	{
		context->SetArgObject(at, value);
	}
};

TEST_F(ScriptContentTotalsTest, ObjectsAScriptMakesPastTheWorldsTotalAreRefused)
{
	playTheScript();
	const size_t objectsBefore = objectCount();
	getWorldMemory().setLimit(getWorldMemory().getHeld() + 2 * WORLD_OBJECT_BYTES + 1000);
	call("void makeObjects()");

	EXPECT_EQ(global("made"), 2);
	EXPECT_EQ(objectCount(), objectsBefore + 2);
	EXPECT_EQ(countRefusals("content: objects"), 2u);
	EXPECT_EQ(lines("core: Objects and tile maps hold all the memory they may"), 1u);
	expectThePlayGoesOn();
}

TEST_F(ScriptContentTotalsTest, AttributesAScriptSetsAreChargedToTheWorldsTotal)
{
	playTheScript();
	call("void keepOne()");
	const size_t held = getWorldMemory().getHeld();
	const size_t text100 = attributeHeldBytes(
		irr::core::ustring16("a"), irr::core::ustring16(std::string(100, 'x').c_str()));
	getWorldMemory().setLimit(held + text100 + 100);

	struct Case
	{
		const char* step;
		std::function<void()> run;
		size_t textLength; // of attribute "a"; 0 for the number
		bool hasB;
		size_t refusals;
	} cases[] = {
		{"a text that fits", [&] { call("void setText(int)", 100); }, 100, false, 0},
		{"one 100 characters longer does not", [&] { call("void setText(int)", 200); }, 100, false, 1},
		{"nor a new attribute",
			[&] {
				irr::core::ustring16 b("b");
				call("void setNumber(const string &in)", &b);
			},
			100, false, 2},
		{"a number gives the text back",
			[&] {
				irr::core::ustring16 a("a");
				call("void setNumber(const string &in)", &a);
			},
			0, false, 2},
		{"so that the new attribute fits",
			[&] {
				irr::core::ustring16 b("b");
				call("void setNumber(const string &in)", &b);
			},
			0, true, 2},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.step);
		c.run();
		const CAttributeList& attributes = lastObject()->getClassAttributes();
		const SAttribute* a = attributes.findByName(irr::core::ustring16("a"));
		ASSERT_NE(a, nullptr);
		EXPECT_EQ(a->textValue.size(), c.textLength);
		EXPECT_EQ(attributes.findByName(irr::core::ustring16("b")) != nullptr, c.hasB);
		EXPECT_LE(getWorldMemory().getHeld(), getWorldMemory().getLimit());
		EXPECT_EQ(countRefusals("content: objects"), c.refusals);
	}
	EXPECT_EQ(lines("core: Objects and tile maps hold all the memory they may"), 1u);
	expectThePlayGoesOn();

	// The object gives back all it took when it goes: a new game holds only
	// its class "blank".
	engine().resetSession();
	EXPECT_EQ(getWorldMemory().getHeld(), WORLD_CLASS_BYTES);
}

TEST_F(ContentTotalsTest, AnimationsPastTheirTotalDropFrames)
{
	setAnimationMemoryLimit(64 << 10);
	std::string animation = "GANI0001\nSPRITE 1 none.png 0 0 8 8 body\nSINGLEDIRECTION\nANI\n";
	for (int i = 0; i < 5000; ++i)
		animation += "1 0 0 1 2 2 1 4 4\n";
	play({{"a.gani", animation + "ANIEND\n"}, {"level.xml", level(objects(2, "animated", "a.gani"))}});

	EXPECT_EQ(objectCount(), 2u);
	EXPECT_LE(getAnimationMemoryHeld(), getAnimationMemoryLimit());
	EXPECT_EQ(lines("core: Animations hold all the memory they may"), 1u);
	expectThePlayGoesOn();

	engine().resetSession();
	EXPECT_EQ(getAnimationMemoryHeld(), 0u);
}

} // namespace
} // namespace orv
