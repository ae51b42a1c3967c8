// Every AngelScript example of docs/ builds against the client's own
// registrations, and each one marked to run plays in the sample package
// without a script error and logs what it says it logs.

#include <gtest/gtest.h>

#include "DocGame.h"
#include "DocPages.h"
#include "script/CScriptModule.h"

namespace orv::test {
namespace {

std::vector<SDocExample> allExamples()
{
	std::vector<SDocExample> all;
	for (const std::string& page : docPages())
		for (const SDocExample& example : examplesOf(page))
			all.push_back(example);
	return all;
}

bool scriptsFor(const SDocExample& example, SDocScripts& scripts)
{
	if (example.Role == "client")
		scripts.Client = example.Code;
	else if (example.Role == "object")
		scripts.Hero = example.Code;
	else if (example.Role.rfind("class ", 0) == 0)
		scripts.Classes.push_back({example.Role.substr(6), example.Code});
	else
		return false;
	return true;
}

bool logsAll(const CDocGame& game, const SDocExample& example)
{
	for (const std::string& text : example.Logs)
		if (game.countStarting("script: " + text) == 0)
			return false;
	return true;
}

// The console lines of a script that the game logged from `from` on.
std::vector<std::string> scriptLinesSince(const CDocGame& game, size_t from)
{
	std::vector<std::string> lines = game.lines();
	std::vector<std::string> found;
	for (size_t i = from; i < lines.size(); ++i)
		if (lines[i].rfind("script: ", 0) == 0)
			found.push_back(lines[i]);
	return found;
}

TEST(DocExamples, EveryExampleBuilds)
{
	const std::vector<SDocExample> examples = allExamples();
	ASSERT_FALSE(examples.empty());
	// Collected while the game holds the standard output, reported after.
	std::vector<std::pair<std::string, std::vector<std::string>>> complaints;
	bool played = false;
	{
		CDocGame game({});
		played = game.play();
		for (const SDocExample& example : examples)
		{
			const size_t before = game.lines().size();
			script::CScriptModule* module = new script::CScriptModule(
				"doc example", game.engine().getScriptManager(), script::ESMK_OBJECT);
			module->load(irr::core::ustring16(example.Code.c_str()), irr::core::ustring16(example.where().c_str()));
			module->drop();
			complaints.emplace_back(example.where(), scriptLinesSince(game, before));
		}
	}
	ASSERT_TRUE(played);
	for (const auto& complaint : complaints)
		EXPECT_TRUE(complaint.second.empty()) << complaint.first << ":\n" << testing::PrintToString(complaint.second);
}

TEST(DocExamples, ExamplesMarkedToRunPlayAndLogWhatTheySay)
{
	for (const SDocExample& example : allExamples())
	{
		if (example.Role.empty())
			continue;
		SCOPED_TRACE(example.where());
		SDocScripts scripts;
		ASSERT_TRUE(scriptsFor(example, scripts)) << "unknown example role \"" << example.Role << "\"";
		bool played = false;
		std::vector<std::string> missing;
		std::vector<std::string> failures;
		{
			CDocGame game(scripts);
			played = game.play();
			int frames = 0;
			// Long enough for the sample's crates to land; what an example
			// logs may wait for that.
			if (played)
				game.framesUntil([&] {
					if (++frames == 5)
						game.sendInput();
					return frames >= 60 && logsAll(game, example);
				});
			for (const std::string& text : example.Logs)
				if (game.countStarting("script: " + text) == 0)
					missing.push_back(text);
			failures = game.scriptFailures();
		}
		ASSERT_TRUE(played);
		EXPECT_TRUE(missing.empty()) << "never logged: " << testing::PrintToString(missing);
		EXPECT_TRUE(failures.empty()) << testing::PrintToString(failures);
	}
}

} // namespace
} // namespace orv::test
