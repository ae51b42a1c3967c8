#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "engine_fixture.h"
#include "platform/PathCase.h"

TEST(PathCase, FindsTheSpellingOnDiskComponentByComponent)
{
	orv::test::CTempFolder folder;
	folder.write("Levels/Town/Map.TXT", "x");
	folder.write("levels2/a.txt", "x");
	std::filesystem::create_directories(folder.path() + "Empty");

	struct Case
	{
		std::string asked;
		bool found;
		std::string expected; // below the folder
	};
	const Case cases[] = {
		{"Levels/Town/Map.TXT", true, "Levels/Town/Map.TXT"},
		{"levels/town/map.txt", true, "Levels/Town/Map.TXT"},
		{"LEVELS/TOWN/MAP.txt", true, "Levels/Town/Map.TXT"},
		{"levels/./town/map.txt", true, "Levels/./Town/Map.TXT"},
		{"levels/town/", true, "Levels/Town/"},
		{"empty", true, "Empty"},
		{"levels/town/map.txt/x", false, ""},
		{"levels/village/map.txt", false, ""},
		{"levels/town/map.tx", false, ""},
	};
	for (const Case& c : cases)
	{
		std::string found = "untouched";
		EXPECT_EQ(orv::platform::findPathIgnoringCase(folder.path() + c.asked, found), c.found) << c.asked;
		EXPECT_EQ(found, c.found ? folder.path() + c.expected : "untouched") << c.asked;
	}
	std::string found;
	EXPECT_FALSE(orv::platform::findPathIgnoringCase("", found));
}

TEST(PathCase, RelativePathsStartAtTheCurrentDirectory)
{
	orv::test::CTempFolder folder;
	folder.write("Sub/File.png", "x");
	const std::filesystem::path previous = std::filesystem::current_path();
	std::filesystem::current_path(folder.path());
	std::string found;
	EXPECT_TRUE(orv::platform::findPathIgnoringCase("sub/file.PNG", found));
	EXPECT_EQ(found, "Sub/File.png");
	EXPECT_TRUE(orv::platform::pathExists("Sub/File.png"));
	EXPECT_FALSE(orv::platform::pathExists("sub/file.png"));
	std::filesystem::current_path(previous);
}
