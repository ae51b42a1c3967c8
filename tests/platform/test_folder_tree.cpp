// The walk below a mounted folder: links out of it and links back up are
// never followed, and every file inside is listed once with what opens it.

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine_fixture.h"
#include "platform/FolderTree.h"

namespace {

using orv::platform::SFolderTreeEntry;
using orv::test::CTempFolder;

std::vector<std::string> relativeNames(const std::vector<SFolderTreeEntry>& entries)
{
	std::vector<std::string> names;
	for (const SFolderTreeEntry& entry : entries)
		names.push_back(entry.relative + (entry.isFolder ? "/" : ""));
	std::sort(names.begin(), names.end());
	return names;
}

TEST(FolderTree, FollowsNoLinkOutOfTheFolderNorBackUp)
{
	CTempFolder outside;
	outside.write("secret.txt", "not the package's");
	outside.write("folder/deep.txt", "nor this");

	// Both temporary folders lie side by side: a relative way out of the package.
	const std::string outsideName = std::filesystem::path(outside.path()).parent_path().filename().string();
	CTempFolder run;
	run.write("package/X/package.xml", "<orvpackage/>");
	run.write("package/X/sub/inside.txt", "inside");
	struct Case
	{
		const char* link; // below package/X
		std::string target;
		const char* listed; // null: left out
	};
	const Case cases[] = {
		{"loop", ".", nullptr},
		{"sub/up", "..", nullptr},
		{"sub/top", "../../..", nullptr},
		{"secret.txt", outside.path() + "secret.txt", nullptr},
		{"away", outside.path() + "folder", nullptr},
		{"sneaky", "../../../" + outsideName + "/secret.txt", nullptr},
		{"nowhere", "missing.txt", nullptr},
		{"sub/alias.txt", "inside.txt", "sub/alias.txt"},
		{"twin", "sub", nullptr},
	};
	for (const Case& c : cases)
		run.link(std::string("package/X/") + c.link, c.target);
	ASSERT_EQ(::mkfifo((run.path() + "package/X/pipe").c_str(), 0600), 0);

	std::vector<SFolderTreeEntry> entries;
	ASSERT_TRUE(orv::platform::listFolderTree(run.path() + "package/X", entries));
	std::vector<std::string> expected = {"package.xml", "sub/", "sub/inside.txt"};
	for (const Case& c : cases)
		if (c.listed)
			expected.push_back(c.listed);
	std::sort(expected.begin(), expected.end());
	EXPECT_EQ(relativeNames(entries), expected);

	for (const SFolderTreeEntry& entry : entries)
	{
		SCOPED_TRACE(entry.relative);
		EXPECT_EQ(entry.real.rfind(run.path(), 0), 0u) << entry.real;
		if (entry.relative == "sub/alias.txt")
		{
			EXPECT_EQ(entry.real, run.path() + "package/X/sub/inside.txt");
			EXPECT_EQ(entry.bytes, 6u);
		}
	}
}

TEST(FolderTree, TheRunFolderWithItsPackagesAndDownloadsIsWalkedOnce)
{
	CTempFolder outside;
	outside.write("elsewhere.png", "x");
	CTempFolder run;
	run.write("settings.ini", "");
	run.write("package/A/package.xml", "a");
	run.write("images/downloads/tree.png", "png");
	run.write("ani/walk.gani", "gani");
	run.link("package/A/loop", ".");
	run.link("package/B", "A");
	run.link("images/downloads/loop", "../..");
	run.link("images/downloads/out.png", outside.path() + "elsewhere.png");
	run.link("ani/out", outside.path());

	std::vector<SFolderTreeEntry> entries;
	ASSERT_TRUE(orv::platform::listFolderTree(run.path(), entries));
	EXPECT_EQ(relativeNames(entries),
		(std::vector<std::string>{"ani/", "ani/walk.gani", "images/", "images/downloads/", "images/downloads/tree.png",
			"package/", "package/A/", "package/A/package.xml", "settings.ini"}));
}

TEST(FolderTree, TheFolderItselfMayBeALinkAndAFileIsNoFolder)
{
	CTempFolder real;
	real.write("package.xml", "x");
	CTempFolder run;
	run.link("package/Linked", real.path());
	run.write("package/file.txt", "x");

	std::vector<SFolderTreeEntry> entries;
	ASSERT_TRUE(orv::platform::listFolderTree(run.path() + "package/Linked", entries));
	EXPECT_EQ(relativeNames(entries), std::vector<std::string>{"package.xml"});
	EXPECT_FALSE(orv::platform::listFolderTree(run.path() + "package/file.txt", entries));
	EXPECT_FALSE(orv::platform::listFolderTree(run.path() + "package/missing", entries));
	EXPECT_TRUE(entries.empty());
}

} // namespace
