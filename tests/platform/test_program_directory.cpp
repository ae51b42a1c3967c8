#include <filesystem>

#include <gtest/gtest.h>

#include "platform/ProgramDirectory.h"

TEST(ProgramDirectory, FolderOfPathKeepsTheLastSlash)
{
	struct Case
	{
		const char* path;
		const char* expected;
	};
	const Case cases[] = {
		{"/usr/bin/orv", "/usr/bin/"},
		{"/orv", "/"},
		{"/a/b/", "/a/b/"},
		{"orv", ""},
		{"", ""},
		{"/x y/ü/orv", "/x y/ü/"},
	};
	for (const Case& c : cases)
		EXPECT_EQ(orv::platform::folderOfPath(c.path), c.expected) << c.path;
}

TEST(ProgramDirectory, IsTheFolderOfTheRunningExecutable)
{
	const std::string folder = orv::platform::getProgramDirectory();
	ASSERT_FALSE(folder.empty());
	EXPECT_EQ(folder.front(), '/');
	EXPECT_EQ(folder.back(), '/');
	EXPECT_TRUE(std::filesystem::exists(folder + "orv_tests_platform"));
}
