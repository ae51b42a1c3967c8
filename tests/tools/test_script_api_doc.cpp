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

// The page is committed; the tool writes it from the registrations the
// client makes, so a registration added without regenerating shows here.
TEST(ScriptApiDoc, CommittedPageIsWhatTheToolWrites)
{
	orv::test::CTempFolder folder;
	const std::string written = folder.path() + "script-api.md";
	const std::string command = std::string("\"") + ORV_API_DOC_TOOL + "\" \"" + written + "\" > /dev/null";
	ASSERT_EQ(std::system(command.c_str()), 0) << "orv_api_doc failed; its reasons are above";

	const std::string committed = readFile(std::string(ORV_SOURCE_DIR) + "/docs/script-api.md");
	const std::string generated = readFile(written);
	ASSERT_FALSE(generated.empty());
	EXPECT_TRUE(committed == generated)
		<< "docs/script-api.md is out of date; regenerate it with scripts/make-script-api-doc.sh";
}

} // namespace
