#include "support/script_cases.h"

#include "support/script_runner.h"

#include <gtest/gtest.h>

#include <string>

namespace orv::test {

const char* const ScriptCaseHelpers = R"(
bool near(double a, double b) { return a - b <= 1e-5 && b - a <= 1e-5; }
bool at(const vector2df &in v, double x, double y) { return near(v.X, x) && near(v.Y, y); }
bool at(const vector2di &in v, int x, int y) { return v.X == x && v.Y == y; }
bool at(const vector3df &in v, double x, double y, double z) { return near(v.X, x) && near(v.Y, y) && near(v.Z, z); }
bool at(const vector3di &in v, int x, int y, int z) { return v.X == x && v.Y == y && v.Z == z; }
)";

namespace {

std::string mainOf(const char* body)
{
	return std::string(ScriptCaseHelpers) + "void main() {\n" + body + "\n}\n";
}

} // namespace

void runScriptCases(const SScriptCase* cases, std::size_t count)
{
	for (std::size_t i = 0; i < count; ++i)
	{
		SCOPED_TRACE(cases[i].Name);
		CScriptRunner runner;
		runner.runScript(mainOf(cases[i].Body));
	}
}

void runScriptExceptionCases(const SScriptExceptionCase* cases, std::size_t count)
{
	for (std::size_t i = 0; i < count; ++i)
	{
		SCOPED_TRACE(cases[i].Body);
		CScriptRunner runner;
		if (runner.build(mainOf(cases[i].Body)))
			EXPECT_EQ(runner.runForException(), cases[i].Exception);
	}
}

} // namespace orv::test
