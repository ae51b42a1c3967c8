// XML levels read by the engine: every element kind, includes, refused
// shapes and sizes, versions, and files cut short at every byte.

#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "level/BlockingTiles.h"
#include "scene/C2DImageSceneNode.h"
#include "scene/CAnimatedSpriteSceneNode.h"
#include "level_fixture.h"
#include "script/SScriptBinding.h"
#include "world/CObjectClass.h"
#include "world/CPhysicsManager.h"
#include "world/CTiledSceneObject.h"
#include "world/EngineAttributes.h"

namespace orv {
namespace {

using irr::core::ustring16;
using test::LevelTest;

std::string level(const std::string& objects)
{
	return "<?xml version=\"1.0\"?>\n<orvlevel version=\"1\">\n<sceneobjects>\n" + objects +
		"</sceneobjects>\n</orvlevel>\n";
}

const std::string FULL_LEVEL = level(
	"<object type=\"static\" class=\"crate\">\n"
	"  <property name=\"x\" type=\"float\" value=\"32\"/>\n"
	"  <property name=\"y\" value=\"48\"/>\n"
	"  <property name=\"z\" type=\"int\" value=\"-3\"/>\n"
	"  <property name=\"image\" value=\"crate.png\"/>\n"
	"  <property name=\"rotation\" type=\"float\" value=\"90\"/>\n"
	"  <property name=\"direction\" type=\"byte\" value=\"2\"/>\n"
	"  <attribute name=\"hp\" type=\"int\" value=\"7\"/>\n"
	"  <attribute name=\"tag\" value=\"wood\"/>\n"
	"  <attribute name=\"hp\" type=\"float\" value=\"2.5\"/>\n"
	"  <attribute name=\"odd\" type=\"byte\" value=\"9\"/>\n"
	"  <script><![CDATA[\n int created = 0;\n void Created(SceneObject@+ self) { created += 1; }\n]]></script>\n"
	"  <collision type=\"dynamic\">\n"
	"    <circle radius=\"0.5\" center=\"1,0\"/>\n"
	"    <box radius=\"2 1\" center=\"0 1\" angle=\"0.5\"/>\n"
	"    <polygon><vertex value=\"0,0\"/><vertex value=\"1,0\"/><vertex value=\"0,1\"/></polygon>\n"
	"    <edge v1=\"0,0\" v2=\"1,0\"/>\n"
	"    <unknown/>\n"
	"  </collision>\n"
	"</object>\n"
	"<object type=\"tiled\" class=\"map\">\n"
	"  <tileset tile_w=\"16\" tile_h=\"8\" file=\"tiles.png\"/>\n"
	"  <tiledata width=\"3\" height=\"2\">AAAQ IA\n  // Ba\tAA</tiledata>\n"
	"  <collision type=\"kinematic\"><edge v0=\"-1,0\" v1=\"0,0\" v2=\"1,0\" v3=\"2,0\"/></collision>\n"
	"</object>\n"
	"<object type=\"animated\"/>\n"
	"<object class=\"crate\"><tileset tile_w=\"4\" tile_h=\"4\"/><script file=\"Scripts\\Crate.AS\"/>\n"
	"  <script>void Created(SceneObject@+ self) {}</script></object>\n");

TEST_F(LevelTest, EveryElementKindObjectByObject)
{
	write("level.xml", FULL_LEVEL);
	write("scripts/crate.as", "int created = 10;\nvoid Created(SceneObject@+ self) { created += 1; }\n");
	// A class that exists is used as it is: the callback would give it a fresh module.
	CObjectClass* crateClass = objects().getObjectClass(engine().getScriptManager(), "crate");
	crateClass->getModule()->load("int mark = 5;", "main");
	load("level.xml");
	EXPECT_GE(crateClass->getModule()->getEngineModule()->GetGlobalVarIndexByName("mark"), 0);

	ASSERT_EQ(objectCount(), 4u);
	// The crate: properties, class attributes, its own script, four shapes.
	CSceneObject* crate = object(1);
	ASSERT_NE(crate, nullptr);
	EXPECT_EQ(crate->getType(), ESOT_STATIC);
	EXPECT_TRUE(hasNode(crate));
	EXPECT_TRUE(joined(crate));
	EXPECT_EQ(crate->getEngineAttribute(EP_X)->type, EAT_FLOAT);
	EXPECT_EQ(crate->getEngineAttribute(EP_X)->getFloat(), 32.0f);
	EXPECT_EQ(crate->getEngineAttribute(EP_Y)->type, EAT_STRING);
	EXPECT_EQ(crate->getEngineAttribute(EP_Y)->getString(), ustring16("48"));
	EXPECT_EQ(crate->getEngineAttribute(EP_Z)->type, EAT_INT);
	EXPECT_EQ(crate->getEngineAttribute(EP_Z)->getInt(), -3);
	EXPECT_EQ(crate->getEngineAttribute(EP_IMAGE)->getString(), ustring16("crate.png"));
	EXPECT_EQ(crate->getEngineAttribute(EP_ROTATION)->getFloat(), 0.0f);
	EXPECT_NE(crate->getEngineAttribute(EP_DIRECTION)->type, EAT_STRING);
	EXPECT_TRUE(crate->isEngineAttributeChanged(EP_DIRECTION)); // marked whatever its type text
	const SAttribute* hp = crate->getClassAttributes().findByName("hp");
	ASSERT_NE(hp, nullptr);
	EXPECT_EQ(hp->type, EAT_FLOAT);
	EXPECT_EQ(hp->getFloat(), 2.5f);
	ASSERT_NE(crate->getClassAttributes().findByName("tag"), nullptr);
	EXPECT_EQ(crate->getClassAttributes().findByName("tag")->getString(), ustring16("wood"));
	EXPECT_EQ(crate->getClassAttributes().findByName("odd")->type, EAT_UINT);
	EXPECT_EQ(crate->getClassAttributes().findByName("odd")->getUInt(), 0u);
	EXPECT_EQ(crate->getClassAttributes().findByName("tag")->id, hp->id + 1);
	EXPECT_EQ(global(crate, "created"), 1);
	ASSERT_NE(crate->getBody(), nullptr);
	EXPECT_EQ(crate->getBody()->GetType(), b2_dynamicBody);
	// Pixels over the pixels per unit: the body stands where the attributes say.
	EXPECT_EQ(crate->getBody()->GetPosition(), b2Vec2(2.0f, 3.0f));
	const auto crateShapes = fixtures(crate);
	ASSERT_EQ(crateShapes.size(), 4u);
	const b2Shape::Type kinds[] = {b2Shape::e_circle, b2Shape::e_polygon, b2Shape::e_polygon, b2Shape::e_edge};
	for (size_t i = 0; i < 4; ++i)
	{
		EXPECT_EQ(crateShapes[i]->GetType(), kinds[i]) << i;
		EXPECT_EQ(crateShapes[i]->GetDensity(), 1.0f) << i;
		EXPECT_FLOAT_EQ(crateShapes[i]->GetFriction(), 0.2f) << i;
		EXPECT_EQ(crateShapes[i]->GetRestitution(), 0.0f) << i;
	}
	const auto* circle = static_cast<const b2CircleShape*>(crateShapes[0]->GetShape());
	EXPECT_EQ(circle->m_radius, 0.5f);
	EXPECT_EQ(circle->m_p, b2Vec2(1.0f, 0.0f));
	const auto* box = static_cast<const b2PolygonShape*>(crateShapes[1]->GetShape());
	b2PolygonShape expectedBox;
	expectedBox.SetAsBox(2.0f, 1.0f, b2Vec2(0.0f, 1.0f), 0.5f);
	for (int i = 0; i < 4; ++i)
		EXPECT_EQ(box->m_vertices[i], expectedBox.m_vertices[i]) << i;
	EXPECT_EQ(static_cast<const b2PolygonShape*>(crateShapes[2]->GetShape())->m_count, 3);
	EXPECT_FALSE(static_cast<const b2EdgeShape*>(crateShapes[3]->GetShape())->m_oneSided);

	// The tile map: tiles decoded row by row, a two-sided edge keeping its ghosts.
	ASSERT_EQ(object(2)->getType(), ESOT_TILED);
	auto* map = static_cast<CTiledSceneObject*>(object(2));
	EXPECT_EQ(map->getTileWidth(), 16u);
	EXPECT_EQ(map->getTileHeight(), 8u);
	EXPECT_EQ(map->getTileset(), ustring16("tiles.png"));
	EXPECT_EQ(map->getColumns(), 3u);
	EXPECT_EQ(map->getRows(), 2u);
	EXPECT_EQ(map->getTiles(), (std::vector<irr::u8>{0, 0, 0, 1, 16, 0, 127, 31, 10, 5, 0, 0}));
	EXPECT_EQ(map->getBody()->GetType(), b2_kinematicBody);
	const auto mapShapes = fixtures(map);
	ASSERT_EQ(mapShapes.size(), 1u);
	const auto* edge = static_cast<const b2EdgeShape*>(mapShapes[0]->GetShape());
	EXPECT_FALSE(edge->m_oneSided);
	EXPECT_EQ(edge->m_vertex0, b2Vec2(-1.0f, 0.0f));
	EXPECT_EQ(edge->m_vertex3, b2Vec2(2.0f, 0.0f));

	// An empty element joins the scene too; without a class it is "blank",
	// while the empty class name is made and announced.
	EXPECT_EQ(object(3)->getType(), ESOT_ANIMATED);
	EXPECT_TRUE(hasNode(object(3)));
	EXPECT_EQ(object(3)->getObjectClass()->getName(), ustring16("blank"));
	ASSERT_NE(objects().findObjectClass(""), nullptr);
	ASSERT_NE(objects().findObjectClass("map"), nullptr);
	EXPECT_NE(objects().findObjectClass("map")->getModule()->getEngineModule(), nullptr);
	EXPECT_NE(objects().findObjectClass("map")->getBinding()->getContext(), nullptr);

	// A plain object: tile elements ignored, the script file found whatever
	// its case and separators; a script as plain text loads nothing.
	EXPECT_EQ(object(4)->getType(), ESOT_DEFAULT);
	EXPECT_EQ(global(object(4), "created"), 11);

	EXPECT_EQ(log.count("level: Loaded static object (crate) in "), 1u);
	EXPECT_EQ(log.count("level: Loaded animated object () in "), 1u);
	EXPECT_EQ(log.count("level: Loaded  object (crate) in "), 1u);
	EXPECT_EQ(log.count("level: Level level.xml loaded in "), 1u);
	EXPECT_EQ(log.count("level: Level level.xml, object"), 0u) << "no warnings";

	// A second load continues the ids and announces no class again.
	load("level.xml");
	ASSERT_EQ(objectCount(), 8u);
	EXPECT_EQ(object(5)->getType(), ESOT_STATIC);
	EXPECT_EQ(object(8)->getType(), ESOT_DEFAULT);
	EXPECT_EQ(global(object(5), "created"), 1);
	EXPECT_EQ(global(crate, "created"), 1);
}

TEST_F(LevelTest, IncludesLoadInPlaceAndNeverInsideThemselves)
{
	struct Case
	{
		const char* name;
		std::vector<std::pair<std::string, std::string>> files;
		std::vector<irr::u32> images; // EP_IMAGE of the objects made, in id order, as numbers
		size_t refusals;
	};
	// Includes stand beside the scene objects, not among them.
	const auto obj = [](int n) {
		return "<sceneobjects><object><property name=\"image\" value=\"" + std::to_string(n) +
			"\"/></object></sceneobjects>\n";
	};
	const auto level = [](const std::string& body) { return "<orvlevel version=\"1\">" + body + "</orvlevel>"; };
	const auto include = [](const std::string& file) { return "<include file=\"" + file + "\"/>\n"; };
	std::vector<std::pair<std::string, std::string>> chain;
	for (int i = 0; i < 20; ++i)
		chain.push_back(
			{"c" + std::to_string(i) + ".xml", level(obj(i) + include("c" + std::to_string(i + 1) + ".xml"))});
	const Case cases[] = {
		{"an include in the middle", {{"a.xml", level(obj(1) + include("b.xml") + obj(3))}, {"b.xml", level(obj(2))}},
			{1, 2, 3}, 0},
		{"a level that includes itself", {{"a.xml", level(obj(1) + include("a.xml") + include("./A.XML") + obj(2))}},
			{1, 2}, 2},
		{"two levels that include each other",
			{{"a.xml", level(obj(1) + include("b.xml") + obj(3))}, {"b.xml", level(obj(2) + include("a.xml"))}},
			{1, 2, 3}, 1},
		{"a missing include", {{"a.xml", level(obj(1) + include("none.xml") + include("") + obj(2))}}, {1, 2}, 0},
		{"a chain deeper than sixteen", {chain.begin(), chain.end()},
			{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}, 1},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		clearObjects();
		log.lines.clear();
		for (const auto& file : c.files)
			write(file.first, file.second);
		load(c.files[0].first);
		std::vector<irr::u32> images;
		for (const auto& entry : objects().getSceneObjects())
			images.push_back(static_cast<irr::u32>(entry.second->getEngineAttribute(EP_IMAGE)->getUInt()));
		EXPECT_EQ(images, c.images);
		size_t refusals = 0;
		for (const std::string& line : log.lines)
			refusals += line.find("is already being read") != std::string::npos ||
				line.find("at most 16 inside one another") != std::string::npos;
		EXPECT_EQ(refusals, c.refusals);
	}
	EXPECT_EQ(log.count("level: Failed to open level for loading: c20.xml"), 0u);
}

TEST_F(LevelTest, OneLoadReadsABoundedNumberOfIncludesAndTheRestOfItsFile)
{
	const auto obj = [](int n) {
		return "<sceneobjects><object><property name=\"image\" value=\"" + std::to_string(n) +
			"\"/></object></sceneobjects>\n";
	};
	const auto level = [](const std::string& body) { return "<orvlevel version=\"1\">" + body + "</orvlevel>"; };
	const auto include = [](const std::string& file) { return "<include file=\"" + file + "\"/>\n"; };
	// Sixteen files, each including the next four times: 4^15 reads unbounded.
	for (int i = 0; i < 16; ++i)
	{
		std::string body = obj(i);
		for (int k = 0; k < 4 && i < 15; ++k)
			body += include("f" + std::to_string(i + 1) + ".xml");
		write("f" + std::to_string(i) + ".xml", level(body + (i == 0 ? obj(99) : "")));
	}
	write("repeats.xml", level(include("f15.xml") + include("f15.xml") + include("f15.xml") + obj(99)));
	struct Case
	{
		const char* file;
		size_t objects; // made by the load
		size_t warnings;
	};
	const Case cases[] = {
		// The first file, every included one up to the bound, and the first file's last object.
		{"f0.xml", 1 + CLevelLoader::MAX_INCLUDED_LEVELS + 1, 1},
		{"repeats.xml", 4, 0},
		// The count starts again with every load.
		{"f0.xml", 1 + CLevelLoader::MAX_INCLUDED_LEVELS + 1, 1},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.file);
		clearObjects();
		log.lines.clear();
		load(c.file);
		ASSERT_EQ(objectCount(), c.objects);
		EXPECT_EQ(objects().getSceneObjects().rbegin()->second->getEngineAttribute(EP_IMAGE)->getUInt(), 99u);
		size_t warnings = 0;
		for (const std::string& line : log.lines)
			warnings += line.find("others inside it") != std::string::npos;
		EXPECT_EQ(warnings, c.warnings);
	}
}

// Well-packed files read again and again: what one load reads is bounded in
// bytes as well, the files past the bound refused with one warning, and the
// next load reads again.
TEST_F(LevelTest, OneLoadReadsABoundedNumberOfBytes)
{
	const std::string object = "<sceneobjects><object><property name=\"image\" value=\"7\"/></object></sceneobjects>";
	// A comment is the cheapest text to read.
	const size_t padding = CLevelLoader::MAX_LEVEL_BYTES_PER_LOAD * 3 / 8;
	write("big.xml", "<orvlevel version=\"1\"><!--" + std::string(padding, ' ') + "-->" + object + "</orvlevel>");
	write("top.xml",
		"<orvlevel version=\"1\"><include file=\"big.xml\"/><include file=\"big.xml\"/>"
		"<include file=\"big.xml\"/><include file=\"big.xml\"/></orvlevel>");
	for (int round = 0; round < 2; ++round)
	{
		SCOPED_TRACE(round);
		clearObjects();
		log.lines.clear();
		load("top.xml");
		EXPECT_EQ(objectCount(), 2u);
		EXPECT_EQ(log.count("level: Level big.xml is not read: one level reads at most 64 MiB of level files, those "
							"inside it included."),
			1u);
	}
}

TEST_F(LevelTest, BadShapesAreSkippedWithAWarning)
{
	struct Case
	{
		const char* shape;
		bool made;
	};
	const Case cases[] = {
		{"<circle radius=\"0\"/>", false},
		{"<circle radius=\"-1\" center=\"0 0\"/>", false},
		{"<circle radius=\"1e39\"/>", false},
		{"<circle radius=\"1\" center=\"1e39 0\"/>", false},
		{"<circle radius=\"0.25\" center=\"1 1\"/>", true},
		{"<box radius=\"0\"/>", false},
		{"<box radius=\"1 -1\"/>", false},
		{"<box radius=\"1e39\"/>", false},
		{"<box radius=\"1\" angle=\"1e39\"/>", false},
		{"<box radius=\"1\"/>", true},
		{"<polygon/>", false},
		{"<polygon></polygon>", false},
		{"<polygon><vertex value=\"0 0\"/><vertex value=\"1 0\"/></polygon>", false},
		{"<polygon><vertex value=\"0 0\"/><vertex value=\"1 0\"/><vertex value=\"2 0\"/></polygon>", false},
		{"<polygon><vertex value=\"0 0\"/><vertex value=\"0 0\"/><vertex value=\"0 0.001\"/></polygon>", false},
		{"<polygon><vertex value=\"0 0\"/><vertex value=\"1 0\"/><vertex value=\"1e39 1\"/></polygon>", false},
		{"<polygon><vertex value=\"0 0\"/><vertex value=\"1 0\"/><vertex value=\"1 1\"/><vertex value=\"0 1\"/>"
		 "<vertex value=\"-1 1\"/><vertex value=\"-1 0\"/><vertex value=\"-2 0\"/><vertex value=\"-2 -1\"/>"
		 "<vertex value=\"0 -1\"/></polygon>",
			false},
		{"<polygon><vertex value=\"0 0\"/><vertex value=\"1 0\"/><vertex value=\"0 1\"/></polygon>", true},
		{"<edge v1=\"1 1\" v2=\"1 1\"/>", false},
		{"<edge v1=\"0 0\" v2=\"1e39 0\"/>", false},
		{"<edge v0=\"1e39 0\" v1=\"0 0\" v2=\"1 0\" v3=\"2 0\"/>", false},
		{"<edge v0=\"1e39 0\" v1=\"0 0\" v2=\"1 0\"/>", true}, // a lone ghost is not kept
		{"<edge v1=\"0 0\" v2=\"1 0\"/>", true},
	};
	std::string shapes;
	size_t made = 0;
	for (const Case& c : cases)
	{
		shapes += std::string("    ") + c.shape + "\n";
		made += c.made;
	}
	write("shapes.xml",
		level("<object><collision type=\"dynamic\">\n" + shapes +
			"</collision>\n<property name=\"x\" value=\"5\"/>"
			"</object>\n<object/>\n"));
	load("shapes.xml");

	ASSERT_EQ(objectCount(), 2u) << "the empty polygon took the elements after it";
	EXPECT_TRUE(joined(object(1)));
	EXPECT_EQ(object(1)->getEngineAttribute(EP_X)->getString(), ustring16("5"));
	EXPECT_EQ(fixtures(object(1)).size(), made);
	EXPECT_EQ(log.count("level: Level shapes.xml, object (1): "), sizeof(cases) / sizeof(cases[0]) - made);
	for (const b2Fixture* fixture : fixtures(object(1)))
		EXPECT_EQ(fixture->GetDensity(), 1.0f);
}

TEST_F(LevelTest, TileSizesOutOfRangeAreRefusedBeforeAnythingIsMade)
{
	struct Case
	{
		const char* element;
		irr::u32 columns, rows, tileWidth, tileHeight;
		size_t tileBytes;
		size_t warnings;
	};
	const Case cases[] = {
		{"<tiledata width=\"-1\" height=\"-1\">AA</tiledata>", 0, 0, 0, 0, 0, 1},
		{"<tiledata width=\"4097\" height=\"1\">AA</tiledata>", 0, 0, 0, 0, 0, 1},
		{"<tiledata width=\"65536\" height=\"65536\">AA</tiledata>", 0, 0, 0, 0, 0, 1},
		{"<tiledata width=\"2147483647\" height=\"2\">AA</tiledata>", 0, 0, 0, 0, 0, 1},
		{"<tiledata width=\"99999999999\" height=\"99999999999\">AA</tiledata>", 0, 0, 0, 0, 0, 1},
		{"<tiledata width=\"0\" height=\"1\"></tiledata>", 0, 0, 0, 0, 0, 1},
		{"<tiledata height=\"1\">AA</tiledata>", 0, 0, 0, 0, 0, 1},
		{"<tiledata width=\"1\" height=\"1\">AA</tiledata>", 1, 1, 0, 0, 2, 0},
		{"<tiledata width=\"4096\" height=\"4096\">AA</tiledata>", 0, 0, 0, 0, 0, 0},
		{"<tiledata width=\"1\" height=\"1\">A!</tiledata>", 1, 1, 0, 0, 2, 1},
		{"<tileset tile_w=\"-1\" tile_h=\"8\" file=\"t.png\"/>", 0, 0, 0, 0, 0, 1},
		{"<tileset tile_w=\"8\" tile_h=\"1025\" file=\"t.png\"/>", 0, 0, 0, 0, 0, 1},
		{"<tileset tile_w=\"1024\" tile_h=\"1\" file=\"t.png\"/>", 0, 0, 1024, 1, 0, 0},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.element);
		clearObjects();
		log.lines.clear();
		write("sizes.xml", level(std::string("<object type=\"tiled\">") + c.element + "</object>\n"));
		load("sizes.xml");
		ASSERT_EQ(objectCount(), 1u);
		auto* map = static_cast<CTiledSceneObject*>(objects().getSceneObjects().begin()->second);
		EXPECT_EQ(map->getColumns(), c.columns);
		EXPECT_EQ(map->getRows(), c.rows);
		EXPECT_EQ(map->getTileWidth(), c.tileWidth);
		EXPECT_EQ(map->getTileHeight(), c.tileHeight);
		EXPECT_EQ(map->getTiles().size(), c.tileBytes);
		EXPECT_LE(map->getTiles().capacity(), 16u) << "room was made before the size was checked";
		EXPECT_EQ(log.count("level: Level sizes.xml, object ("), c.warnings);
	}
}

TEST_F(LevelTest, TileDataOfAnotherLengthChangesNothing)
{
	write("tiles.xml",
		level("<object type=\"tiled\">\n"
			  "  <tiledata width=\"3\" height=\"2\">AAAQIA//BaAA</tiledata>\n"
			  "  <tiledata width=\"2\" height=\"2\">AAAQIA//B</tiledata>\n"
			  "  <tiledata width=\"3\" height=\"2\">\n AAAQ IA\n // Ba A</tiledata>\n"
			  "  <tiledata width=\"1\" height=\"1\"></tiledata>\n"
			  "  <tiledata width=\"1\" height=\"1\"/>\n"
			  "</object>\n"
			  "<object type=\"static\"><tiledata width=\"1\" height=\"1\">AQ</tiledata></object>\n"));
	write("board.txt", "GLEVNW01\nBOARD 0 0 1 0 AQ\n");
	write("board.xml",
		level("<object type=\"tiled\"><tiledata file=\"board.txt\"/><tiledata file=\"none.txt\"/>"
			  "<tiledata file=\"tiles.xml\"/></object>\n"));
	load("tiles.xml");
	load("board.xml");
	ASSERT_EQ(objectCount(), 3u);
	auto* map = static_cast<CTiledSceneObject*>(object(1));
	EXPECT_EQ(map->getColumns(), 3u);
	EXPECT_EQ(map->getRows(), 2u);
	EXPECT_EQ(map->getTiles(), (std::vector<irr::u8>{0, 0, 0, 1, 16, 0, 127, 31, 10, 5, 0, 0}));
	// A text level gives a 64 x 64 map; files that are none change nothing.
	auto* board = static_cast<CTiledSceneObject*>(object(3));
	EXPECT_EQ(board->getColumns(), 64u);
	EXPECT_EQ(board->getRows(), 64u);
	ASSERT_EQ(board->getTiles().size(), 64u * 64u * 2u);
	EXPECT_EQ(board->getTiles()[1], 1);
}

TEST_F(LevelTest, VersionsOtherThanOneStopTheFile)
{
	struct Case
	{
		const char* name;
		std::string text;
		size_t objects;
		bool refused;
	};
	const std::string obj = "<sceneobjects><object/></sceneobjects>";
	const Case cases[] = {
		{"version 1", "<orvlevel version=\"1\">" + obj + "</orvlevel>", 1, false},
		{"version 2", "<orvlevel version=\"2\">" + obj + "</orvlevel>", 0, true},
		{"no version", "<orvlevel>" + obj + "</orvlevel>", 0, true},
		{"a refused version after objects keeps them", obj + "<orvlevel version=\"0\">" + obj + "</orvlevel>", 1, true},
		{"no root at all", obj, 1, false},
		{"an empty sceneobjects element", "<orvlevel version=\"1\"><sceneobjects/>" + obj + "</orvlevel>", 1, false},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		clearObjects();
		log.lines.clear();
		write("v.xml", c.text);
		load("v.xml");
		EXPECT_EQ(objectCount(), c.objects);
		EXPECT_EQ(log.count("level: Level v.xml is of an unknown version."), c.refused ? 1u : 0u);
		EXPECT_EQ(log.count("level: Level v.xml loaded in "), c.refused ? 0u : 1u);
	}
	load("missing.xml");
	EXPECT_EQ(log.count("level: Failed to open level for loading: missing.xml"), 1u);
}

TEST_F(LevelTest, UnknownElementsAndUnreadScriptFilesAreNamedOncePerFileAndLoad)
{
	write("a.xml",
		"<orvlevel version=\"1\"><colision/><sceneobjects>\n"
		"<object class=\"crate\"><colision type=\"dynamic\"/><colision/><script file=\"missing.as\"/></object>\n"
		"<object class=\"crate\"><script file=\"missing.as\"/><script file=\"empty.as\"/>"
		"<collision><bx radius=\"1\"/><polygon><vertx value=\"0 0\"/></polygon></collision></object>\n"
		"<include file=\"b.xml\"/></sceneobjects><include file=\"b.xml\"/></orvlevel>");
	write("b.xml", "<orvlevel version=\"1\"><sceneobjects><object><colision/></object></sceneobjects></orvlevel>");
	write("empty.as", "");
	const auto unknown = [](const std::string& file, const std::string& element) {
		return "level: Level " + file + ": the element <" + element +
			"> is not one a level reads there; it is ignored.";
	};
	const auto unread = [](irr::u32 id, const std::string& script) {
		return "level: Level a.xml, object (" + std::to_string(id) + "): the script file " + script +
			" could not be read (missing, empty or over 16 MiB); the object has no code from it.";
	};
	const std::vector<std::string> expected = {unknown("a.xml", "colision"), unknown("a.xml", "bx"),
		unknown("a.xml", "vertx"), unknown("a.xml", "include"), unknown("b.xml", "colision"), unread(1, "missing.as")};
	// Each load says it again, once.
	for (int load_ = 0; load_ < 2; ++load_)
	{
		SCOPED_TRACE(load_);
		clearObjects();
		log.lines.clear();
		load("a.xml");
		ASSERT_EQ(objectCount(), 3u);
		for (const std::string& line : expected)
			EXPECT_EQ(log.count(line), 1u) << line << "\n" << testing::PrintToString(log.lines);
		EXPECT_EQ(log.count(unread(2, "empty.as")), 1u);
		EXPECT_EQ(log.count(unread(2, "missing.as")), 0u);
	}

	// A flood of made-up names is named up to the bound, then said once.
	std::string flood = "<orvlevel version=\"1\">";
	for (irr::u32 i = 0; i < CLevelLoader::MAX_NAMED_WARNINGS * 4; ++i)
		flood += "<made_up_" + std::to_string(i) + "/>";
	write("flood.xml", flood + "<sceneobjects><object/></sceneobjects></orvlevel>");
	log.lines.clear();
	load("flood.xml");
	EXPECT_EQ(log.count("level: Level flood.xml: the element <made_up_"), CLevelLoader::MAX_NAMED_WARNINGS);
	EXPECT_EQ(log.count("level: Level flood.xml: more than 64 unknown elements or unread script files; further ones "
						"are not named."),
		1u);
	EXPECT_EQ(log.count("level: Level flood.xml loaded in "), 1u);
}

TEST_F(LevelTest, BlockingTilesGiveTheMapOneSidedEdgesAndBoxes)
{
	// The L-shape and a run of three; tileset cell (1, 0) blocks. Tiles of 32
	// pixels at 16 pixels a unit measure two units.
	write("block.txt", "1,0\n");
	const std::string tiles = "AAAAAAAAAA"
							  "ABABAAAAAA"
							  "ABAAABABAB"
							  "AAAAAAAAAA";
	write("map.xml",
		level("<object type=\"tiled\"><tileset tile_w=\"32\" tile_h=\"32\" file=\"t.png\"/>"
			  "<tiledata width=\"5\" height=\"4\">" +
			tiles +
			"</tiledata>"
			"<collision><blocking_tiles file=\"BLOCK.txt\"/></collision></object>\n"
			"<object type=\"tiled\"><collision><blocking_tiles file=\"block.txt\"/></collision></object>\n"
			"<object type=\"tiled\"><tiledata width=\"1\" height=\"1\">AB</tiledata>"
			"<collision><blocking_tiles file=\"block.txt\"/></collision></object>\n"
			"<object type=\"static\"><tiledata width=\"1\" height=\"1\">AB</tiledata>"
			"<collision><blocking_tiles file=\"block.txt\"/></collision></object>\n"));
	load("map.xml");
	ASSERT_EQ(objectCount(), 4u);
	const auto shapes = fixtures(object(1));
	size_t boxes = 0, edges = 0;
	for (const b2Fixture* fixture : shapes)
	{
		EXPECT_EQ(fixture->GetDensity(), 0.0f);
		EXPECT_FLOAT_EQ(fixture->GetFriction(), 0.2f);
		if (fixture->GetType() == b2Shape::e_polygon)
		{
			++boxes;
			// The run (2..4, 2): 3 x 1 tiles of 2 units, the 10 x 8 unit map centred.
			const b2PolygonShape* box = static_cast<const b2PolygonShape*>(fixture->GetShape());
			EXPECT_FLOAT_EQ(box->m_centroid.x, 2.0f * 3.5f - 5.0f);
			EXPECT_FLOAT_EQ(box->m_centroid.y, 2.0f * 2.5f - 4.0f);
			EXPECT_FLOAT_EQ(box->m_vertices[2].x - box->m_vertices[0].x, 6.0f);
			continue;
		}
		ASSERT_EQ(fixture->GetType(), b2Shape::e_edge);
		++edges;
		const b2EdgeShape* edge = static_cast<const b2EdgeShape*>(fixture->GetShape());
		EXPECT_TRUE(edge->m_oneSided);
		// The normal faces the open cell: one unit out from the edge's middle
		// lies in no blocking cell.
		const b2Vec2 e = edge->m_vertex2 - edge->m_vertex1;
		EXPECT_FLOAT_EQ(e.Length(), 2.0f);
		b2Vec2 normal(e.y, -e.x);
		normal.Normalize();
		const b2Vec2 outside = 0.5f * (edge->m_vertex1 + edge->m_vertex2) + normal;
		const int column = static_cast<int>(std::floor((outside.x + 5.0f) / 2.0f));
		const int row = static_cast<int>(std::floor((outside.y + 4.0f) / 2.0f));
		const bool blocking = (row == 1 && column == 0) || (row == 1 && column == 1) || (row == 2 && column == 0);
		EXPECT_FALSE(blocking) << "edge faces cell " << column << "," << row;
	}
	EXPECT_EQ(boxes, 1u);
	EXPECT_EQ(edges, 8u);

	EXPECT_EQ(log.count("xml: Error loading blocking_tiles: Scene object has no tile data."), 1u);
	EXPECT_EQ(log.count("xml: Error loading blocking_tiles: The tile size has a value of 0."), 1u);
	EXPECT_TRUE(fixtures(object(2)).empty());
	EXPECT_TRUE(fixtures(object(3)).empty());
	EXPECT_TRUE(fixtures(object(4)).empty());
}

TEST_F(LevelTest, BlockingTilesRefuseTileBytesThatDoNotMatchTheMap)
{
	// Levels always set both together; a script may not.
	write("block.txt", "0,0");
	auto* map = static_cast<CTiledSceneObject*>(objects().createSceneObject(1, ESOT_TILED, ""));
	ASSERT_NE(map, nullptr);
	map->setTileSize(16, 16);
	map->setMapSize(3, 3);
	map->setTiles(std::vector<irr::u8>(2, 0));
	buildBlockingTiles(*map, engine().getDevice()->getFileSystem(), "block.txt");
	EXPECT_TRUE(fixtures(map).empty());
	EXPECT_EQ(log.count("xml: Error loading blocking_tiles: The tile data does not match the map size."), 1u);
	map->setTiles(std::vector<irr::u8>(18, 0));
	buildBlockingTiles(*map, engine().getDevice()->getFileSystem(), "block.txt");
	EXPECT_EQ(fixtures(map).size(), 1u) << "the whole map is one box";
}

TEST_F(LevelTest, EveryPrefixOfALevelLoadsTheObjectsBeforeTheCut)
{
	const std::string text = "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<!-- two crates -->\n<orvlevel version=\"1\">\n"
							 "<sceneobjects>\n"
							 "<object type=\"static\" class=\"crate\"><property name=\"x\" type=\"float\" value=\"1\"/>"
							 "<script><![CDATA[void Created(SceneObject@+ s) {}]]></script>"
							 "<collision type=\"dynamic\"><box radius=\"1\"/><polygon><vertex value=\"0 0\"/>"
							 "<vertex value=\"1 0\"/><vertex value=\"0 1\"/></polygon></collision></object>\n"
							 "<object type=\"tiled\"><tiledata width=\"2\" height=\"1\">AAAQ</tiledata>"
							 "<tiledata file=\"b.txt\"/></object>\n"
							 "<object type='animated'/>\n"
							 "</sceneobjects>\n</orvlevel>\n";
	write("b.txt", "GLEVNW01\n");
	std::vector<size_t> closings; // offsets just past each object's end
	for (size_t at = text.find("</object>"); at != std::string::npos; at = text.find("</object>", at + 1))
		closings.push_back(at + 9);
	closings.push_back(text.find("'animated'/>") + 12);

	engine().getDevice()->getLogger()->setLogLevel(irr::ELL_NONE);
	for (size_t cut = 0; cut <= text.size(); ++cut)
	{
		clearObjects();
		write("cut.xml", text.substr(0, cut));
		load("cut.xml");
		size_t complete = 0;
		for (size_t closing : closings)
			complete += closing <= cut;
		size_t inWorld = 0;
		for (const auto& entry : objects().getSceneObjects())
			inWorld += joined(entry.second);
		ASSERT_GE(inWorld, complete) << "cut at " << cut;
		ASSERT_LE(objectCount(), 3u) << "cut at " << cut;
	}
}

TEST_F(LevelTest, AnAnimatedObjectFacesItsDirectionFromItsFirstFrame)
{
	// One sprite a direction, each of its own part of the picture: up, left,
	// down, right.
	write("face.gani",
		"GANI0001\n"
		"SPRITE 1 pic.png 0 0 8 8 up\nSPRITE 2 pic.png 8 0 8 8 left\n"
		"SPRITE 3 pic.png 16 0 8 8 down\nSPRITE 4 pic.png 24 0 8 8 right\n"
		"ANI\n1 0 0\n2 0 0\n3 0 0\n4 0 0\nANIEND\n");
	struct Case
	{
		const char* property;
		irr::u32 direction;
		irr::s32 spriteLeft; // -1: nothing shows
	} cases[] = {
		{"", 0, 0},
		{"<property name=\"direction\" type=\"int\" value=\"1\"/>", 1, 8},
		{"<property name=\"direction\" type=\"int\" value=\"2\"/>", 2, 16},
		{"<property name=\"direction\" type=\"float\" value=\"3\"/>", 3, 24},
		{"<property name=\"direction\" value=\"2\"/>", 2, 16},
		{"<property name=\"direction\" type=\"int\" value=\"9\"/>", 9, -1},
		{"<property name=\"direction\" type=\"int\" value=\"-1\"/>", 0xFFFFFFFFu, -1},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.property);
		clearObjects();
		write("facing.xml",
			level(std::string("<object type=\"animated\">") + c.property +
				"<property name=\"image\" value=\"face.gani\"/>"
				"<attribute name=\"pic.png\" value=\"pic.png\"/></object>\n"));
		load("facing.xml");
		ASSERT_EQ(objectCount(), 1u);
		CSceneObject* o = objects().getSceneObjects().begin()->second;
		auto* node = static_cast<CAnimatedSpriteSceneNode*>(engine().getSceneNodes()[o]);
		ASSERT_NE(node, nullptr);
		EXPECT_EQ(node->getDirection(), c.direction);
		const std::vector<C2DImageSceneNode*>& shown = node->getShownSprites();
		if (c.spriteLeft < 0)
		{
			EXPECT_TRUE(shown.empty());
			continue;
		}
		ASSERT_EQ(shown.size(), 1u);
		EXPECT_EQ(node->getShownDirection(), c.direction);
		EXPECT_EQ(shown[0]->getSourceRect().UpperLeftCorner.X, c.spriteLeft);
	}
}

} // namespace
} // namespace orv
