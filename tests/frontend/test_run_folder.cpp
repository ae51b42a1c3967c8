// scripts/prepare-run-folder.sh lays the bundled content into a run folder;
// laid a second time, it brings what the content changed and keeps what the
// author changed there.

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "support/engine_fixture.h"

namespace {

using orv::test::CTempFolder;

bool layOut(const CTempFolder& content, const CTempFolder& run)
{
	const std::string command = std::string(ORV_SOURCE_DIR) + "/scripts/prepare-run-folder.sh '" + run.path() + "' '" +
		content.path() + "' >/dev/null 2>&1";
	return std::system(command.c_str()) == 0;
}

TEST(RunFolder, ASecondLayOutKeepsTheAuthorsFilesAndBringsTheContentsNewOnes)
{
	struct Case
	{
		const char* what;
		const char* name;
		// Null where the content or the author has no such file or leaves it alone.
		const char* bundledFirst;
		const char* authorWrites;
		const char* bundledSecond;
		const char* expected;
	};
	const Case cases[] = {
		{"an edited sample file", "package/Sample/client.as", "void Created() {}", "void Created() { mine(); }",
			nullptr, "void Created() { mine(); }"},
		{"an edited string table the content changed too", "translations/English.irrst", "Play=Play", "Play=Go",
			"Play=Play!", "Play=Go"},
		{"an untouched file the content changed", "package/Sample/hero.as", "// one", nullptr, "// two", "// two"},
		{"an untouched file", "package/Sample/tiles.png", "tiles", nullptr, nullptr, "tiles"},
		{"a file new in the content", "package/Sample/step.ogg", nullptr, nullptr, "step", "step"},
		{"one's own package", "package/Mine/package.xml", nullptr, "<orvpackage/>", nullptr, "<orvpackage/>"},
		{"the settings the client wrote", "settings.ini", "[Window]\n", "[Window]\nwidth = 1024\n", "[Font]\n",
			"[Window]\nwidth = 1024\n"},
	};

	CTempFolder content;
	CTempFolder run;
	content.write("settings.ini", "");
	for (const Case& c : cases)
		if (c.bundledFirst)
			content.write(c.name, c.bundledFirst);
	ASSERT_TRUE(layOut(content, run));
	for (const Case& c : cases)
	{
		if (c.bundledFirst)
		{
			EXPECT_EQ(run.read(c.name), c.bundledFirst) << c.what;
		}
		if (c.authorWrites)
			run.write(c.name, c.authorWrites);
		if (c.bundledSecond)
			content.write(c.name, c.bundledSecond);
	}

	ASSERT_TRUE(layOut(content, run));
	for (const Case& c : cases)
		EXPECT_EQ(run.read(c.name), c.expected) << c.what;
}

} // namespace
