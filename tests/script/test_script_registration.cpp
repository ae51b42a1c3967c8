#include "support/script_runner.h"

#include <gtest/gtest.h>

namespace {

using orv::test::CScriptRunner;

// Every declaration of the whole value-type set must be accepted: the engine
// reports a refusal only as a message, so any message at all is a fault.
TEST(ScriptRegistration, WholeSetRegistersWithoutMessages)
{
	CScriptRunner runner;
	for (const auto &m : runner.messages())
		ADD_FAILURE() << "registration message: " << m.Section << " (" << m.Row << ", " << m.Column << ") " << m.Text;
	EXPECT_TRUE(runner.messages().empty());
	// The engine refuses nothing until it is first used; a build forces it.
	EXPECT_TRUE(runner.runScript("void main() { check(true, \"ok\"); }"));
	EXPECT_TRUE(runner.messages().empty());
}

} // namespace
