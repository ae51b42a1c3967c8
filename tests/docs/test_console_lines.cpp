// The console lines an author meets say where: a script error names the
// package file the code came from and the class of its object.

#include <algorithm>

#include <gtest/gtest.h>

#include "DocGame.h"

namespace orv::test {
namespace {

bool hasLineStarting(const std::vector<std::string>& lines, const std::string& start)
{
	for (const std::string& line : lines)
		if (line.rfind(start, 0) == 0)
			return true;
	return false;
}

TEST(ConsoleLines, AScriptErrorNamesItsFileAndItsObjectsClass)
{
	const std::string broken = "void Created(SceneObject@+ self) { int x = y; }\n";
	SDocScripts scripts;
	scripts.Hero = broken;
	scripts.Classes.push_back({"crate", broken});
	scripts.Client = "void Created(SceneObject@+ self) { Engine.load_level(\"sample_level.xml\"); }\n"
					 "void Update(SceneObject@+ self, uint timeMS) { int[] a; a[1] = 0; }\n";
	std::vector<std::string> lines;
	bool played = false;
	{
		CDocGame game(scripts);
		played = game.play();
		for (int i = 0; played && i < 3; ++i)
			game.frame();
		lines = game.lines();
	}
	ASSERT_TRUE(played);
	const char* const expected[] = {
		"script: Script of class \"crate\" (file \"classes.xml\") did not build: main (r 1, c 44) : No matching "
		"symbol 'y'",
		"script: Script of module \"client\" (file \"client.as\") stopped at main (r 2, c 57) : Index out of bounds",
	};
	for (const char* line : expected)
		EXPECT_TRUE(hasLineStarting(lines, line)) << line << "\n" << testing::PrintToString(lines);
	EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
		return line.find("(class \"hero\", file \"hero.as\") did not build: main (r 1, c 44) : No matching "
						 "symbol 'y'") != std::string::npos;
	})) << testing::PrintToString(lines);
}

} // namespace
} // namespace orv::test
