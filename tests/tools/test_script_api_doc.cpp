#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "engine_fixture.h"

namespace {

std::string readFile(const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	std::ostringstream bytes;
	bytes << in.rdbuf();
	return bytes.str();
}

std::string quoted(const std::string& path)
{
	return "\"" + path + "\"";
}

// The page is committed; the tool writes it from the registrations the
// client makes, so a registration added without regenerating shows here.
TEST(ScriptApiDoc, CommittedPageIsWhatTheToolWrites)
{
	orv::test::CTempFolder folder;
	const std::string written = folder.path() + "script-api.md";
	const std::string command = quoted(ORV_API_DOC_TOOL) + " " + quoted(written) + " > /dev/null";
	ASSERT_EQ(std::system(command.c_str()), 0) << "orv_api_doc failed; its reasons are above";

	const std::string committed = readFile(std::string(ORV_SOURCE_DIR) + "/docs/script-api.md");
	const std::string generated = readFile(written);
	ASSERT_FALSE(generated.empty());
	EXPECT_TRUE(committed == generated)
		<< "docs/script-api.md is out of date; regenerate it with scripts/make-script-api-doc.sh";
}

// The hand-written text cannot fall behind the callbacks either: a template
// that leaves one out, or names one the client lacks, writes no page.
TEST(ScriptApiDoc, TemplateThatDisagreesWithTheCallbacksWritesNoPage)
{
	struct Case
	{
		const char* name;
		const char* pageTemplate;
		const char* complaint;
	};
	const Case cases[] = {
		{"callbacks left out", "@reference\n", "The callback OnEvent has no @declaration"},
		{"unknown callback", "@declaration Update\n@declaration Nope\n", "The client registers no callback Nope."},
		{"unknown global", "@global Nobody\n", "The client registers no global Nobody."},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		orv::test::CTempFolder folder;
		folder.write("page.md.in", c.pageTemplate);
		const std::string command = quoted(ORV_API_DOC_TOOL) + " " + quoted(folder.path() + "page.md") + " " +
			quoted(folder.path() + "page.md.in") + " > /dev/null 2> " + quoted(folder.path() + "complaints");
		EXPECT_NE(std::system(command.c_str()), 0);
		EXPECT_FALSE(folder.exists("page.md"));
		EXPECT_NE(folder.read("complaints").find(c.complaint), std::string::npos) << folder.read("complaints");
	}
}

} // namespace
