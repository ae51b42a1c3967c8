#include "support/script_runner.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace {

using orv::test::CScriptRunner;

// The runner is what every script test trusts: each way a script can go wrong
// must reach GoogleTest.
TEST(ScriptRunner, ReportsEveryKindOfFailure)
{
	struct Case
	{
		const char* code;
		const char* expectedFailure;
	};
	const Case cases[] = {
		{"void main() { check(1 == 2, \"one is two\"); }", "one is two"},
		{"void main() { check(false, \"x\"); }", "test:1:"},
		{"void main() { int x = ; }", "script engine error"},
		{"void main() { int a = 0; int b = 1 / a; }", "Divide by zero"},
		{"void other() {}", "no function void main()"},
	};
	for (const Case& c : cases)
	{
		::testing::TestPartResultArray failures;
		{
			::testing::ScopedFakeTestPartResultReporter reporter(
				::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &failures);
			CScriptRunner runner;
			runner.runScript(c.code);
		}
		bool found = false;
		for (int i = 0; i < failures.size(); ++i)
			found = found ||
				std::string(failures.GetTestPartResult(i).message()).find(c.expectedFailure) != std::string::npos;
		EXPECT_TRUE(found) << c.code << " did not report " << c.expectedFailure;
	}
}

TEST(ScriptRunner, ExceptionTextAndPassingScripts)
{
	CScriptRunner runner;
	EXPECT_TRUE(runner.runScript("void main() { check(true, \"fine\"); }"));
	ASSERT_TRUE(runner.build("void main() { int a = 0; a = 5 / a; }"));
	EXPECT_EQ(runner.runForException(), "Divide by zero");
	EXPECT_EQ(runner.failedChecks(), 0);
}

} // namespace
