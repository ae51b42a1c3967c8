// The table of docs/script-api.md that says which scripts hear each callback
// is what the client does: one game with a client script, a class script and
// an object script that each log every callback they hear.

#include <map>
#include <set>

#include <gtest/gtest.h>

#include "DocGame.h"
#include "DocPages.h"

namespace orv::test {
namespace {

const char* const CALLBACKS[][2] = {
	{"Update", "void Update(SceneObject@+ self, uint timeMS)"},
	{"Created", "void Created(SceneObject@+ self)"},
	{"OnBeginContact", "void OnBeginContact(SceneObject@+ self, SceneObject@+ other)"},
	{"OnEndContact", "void OnEndContact(SceneObject@+ self, SceneObject@+ other)"},
	{"OnSolveContact",
		"bool OnSolveContact(SceneObject@+ self, SceneObject@+ other, vector2df normal, "
		"vector2df self_point, vector2df other_point)"},
	{"OnPlayerEntersLevel", "void OnPlayerEntersLevel(SceneObject@+ self, SceneObject@+ other)"},
	{"OnKeyPress", "void OnKeyPress(SceneObject@+ self, EKEY_CODE key)"},
	{"OnMouseMove", "void OnMouseMove(SceneObject@+ self, int x, int y)"},
	{"OnMouseDown", "void OnMouseDown(SceneObject@+ self, int x, int y, int button)"},
	{"OnMouseUp", "void OnMouseUp(SceneObject@+ self, int x, int y, int button)"},
	{"OnMouseWheel", "void OnMouseWheel(SceneObject@+ self, int x, int y, float delta)"},
	{"OnEvent",
		"void OnEvent(SceneObject@+ self, SceneObject@+ sender, string event, string data, "
		"vector2df origin, float range)"},
};

const char* const SCRIPTS[] = {"client", "class", "object"};

// Every callback, each logging "<who> <callback>" the first time it is heard;
// `extra` is added to the body of the callbacks it names.
std::string listener(const std::string& who, const std::map<std::string, std::string>& extra)
{
	std::string code = "bool[] heard(12);\n";
	int i = 0;
	for (const auto& callback : CALLBACKS)
	{
		const std::string name = callback[0];
		const std::string declaration = callback[1];
		code += declaration + "\n{\n\tif (!heard[" + std::to_string(i) + "]) Engine.log(\"" + who + " " + name +
			"\");\n\theard[" + std::to_string(i) + "] = true;\n";
		if (extra.count(name))
			code += "\t" + extra.at(name) + "\n";
		if (declaration.rfind("bool", 0) == 0)
			code += "\treturn true;\n";
		code += "}\n";
		++i;
	}
	return code;
}

// A crate of class "crate" falls on the ground, whose shape was made first:
// the ground's own script is the one the contact's begin and end reach. It
// sends the crate back up, so that the two part again.
std::string level()
{
	const std::string ground = listener("object", {{"OnBeginContact", "other.Physics.Velocity = vector2df(0, -30);"}});
	return "<?xml version=\"1.0\"?>\n<orvlevel version=\"1\"><sceneobjects>\n"
		   "<object type=\"static\" class=\"ground\"><property name=\"x\" type=\"float\" value=\"400\"/>"
		   "<property name=\"y\" type=\"float\" value=\"400\"/><script><![CDATA[\n" +
		ground +
		"]]></script><collision type=\"static\"><box radius=\"10 1\" center=\"0 0\"/></collision></object>\n"
		"<object type=\"static\" class=\"crate\"><property name=\"x\" type=\"float\" value=\"400\"/>"
		"<property name=\"y\" type=\"float\" value=\"340\"/>"
		"<collision type=\"dynamic\"><box radius=\"1\" center=\"0 0\"/></collision></object>\n"
		"</sceneobjects></orvlevel>\n";
}

TEST(CallbackTable, SaysWhichScriptsHearEachCallback)
{
	const std::vector<std::vector<std::string>> rows = tableBelow("docs/script-api.md", "### Who hears which callback");
	ASSERT_GT(rows.size(), 1u) << "docs/script-api.md has no table under \"### Who hears which callback\"";
	ASSERT_GE(rows[0].size(), 4u);
	std::map<std::string, std::vector<bool>> documented;
	for (size_t r = 1; r < rows.size(); ++r)
	{
		ASSERT_GE(rows[r].size(), 4u) << rows[r][0];
		for (size_t column = 1; column <= 3; ++column)
			documented[rows[r][0]].push_back(rows[r][column].rfind("yes", 0) == 0);
	}
	for (const auto& callback : CALLBACKS)
		EXPECT_EQ(documented.count(callback[0]), 1u) << callback[0] << " is not in the table";

	SDocScripts scripts;
	scripts.Client = listener("client",
		{{"Created",
			 "Physics.Gravity = vector2df(0, 20); "
			 "Engine.load_level(\"callbacks.xml\");"},
			{"Update", "Engine.send_event(null, \"ping\", \"\", vector2df(400, 400), 40);"}});
	scripts.Classes.push_back({"crate", listener("class", {})});
	scripts.Files["callbacks.xml"] = level();
	// Collected while the game holds the standard output, compared after.
	std::map<std::string, std::vector<bool>> observed;
	std::vector<std::string> failures;
	bool played = false;
	{
		CDocGame game(scripts);
		played = game.play();
		auto heard = [&](const std::string& who, const std::string& callback) {
			return game.count("script: " + who + " " + callback) > 0;
		};
		auto allExpectedHeard = [&] {
			for (const auto& entry : documented)
				for (size_t s = 0; s < 3; ++s)
					if (entry.second[s] && !heard(SCRIPTS[s], entry.first))
						return false;
			return true;
		};
		int frames = 0;
		if (played)
			game.framesUntil([&] {
				if (++frames == 5)
					game.sendInput();
				return frames > 10 && allExpectedHeard();
			});
		// What the table says no script hears gets as many frames again.
		for (int i = 0; played && i < frames; ++i)
			game.frame();
		for (const auto& callback : CALLBACKS)
			for (const char* who : SCRIPTS)
				observed[callback[0]].push_back(heard(who, callback[0]));
		failures = game.scriptFailures();
	}
	ASSERT_TRUE(played);
	EXPECT_TRUE(failures.empty()) << testing::PrintToString(failures);
	for (const auto& entry : documented)
		for (size_t s = 0; s < 3 && observed.count(entry.first); ++s)
			EXPECT_EQ(observed[entry.first][s], entry.second[s])
				<< "the " << SCRIPTS[s] << " script and " << entry.first << ": the table says "
				<< (entry.second[s] ? "yes" : "no");
}

} // namespace
} // namespace orv::test
