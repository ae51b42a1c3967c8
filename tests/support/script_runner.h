#pragma once
// Builds scripts against the client's value types and runs them under
// GoogleTest: a native `check(bool, const string &in)` marks failures, and any
// build error, error message or script exception fails the running test.

#include <string>
#include <vector>

namespace AngelScript {
class asIScriptEngine;
class asIScriptModule;
} // namespace AngelScript

namespace orv::test {

struct SScriptMessage
{
	int Type; // asEMsgType
	std::string Section;
	int Row;
	int Column;
	std::string Text;
};

class CScriptRunner
{
public:
	CScriptRunner();
	~CScriptRunner();

	CScriptRunner(const CScriptRunner&) = delete;
	CScriptRunner& operator=(const CScriptRunner&) = delete;

	AngelScript::asIScriptEngine* engine() const { return Engine; }

	// Builds `code` as the one section "test" of a fresh module; a build
	// failure fails the test.
	bool build(const std::string& code);
	// The same, for code that must not compile: true when the build failed.
	// Its error messages are recorded but fail nothing.
	bool buildFails(const std::string& code);

	// Runs a function of the last built module ("void main()" by default).
	// A failed check, an exception or an error message fails the test.
	bool run(const std::string& declaration = "void main()");
	// build() then run().
	bool runScript(const std::string& code, const std::string& declaration = "void main()");

	// One script whose main() checks each boolean expression in turn, the
	// expression's own text naming the check; `prelude` goes before main().
	// Expressions may not hold double quotes.
	bool runChecks(const std::vector<std::string>& expressions, const std::string& prelude = "");

	// Runs a function that must raise a script exception; returns its text
	// (empty when it returned normally, which fails the test).
	std::string runForException(const std::string& declaration = "void main()");

	// Every engine message since construction, in order.
	const std::vector<SScriptMessage>& messages() const { return Messages; }
	int failedChecks() const { return FailedChecks; }

	// Called by the natives; not for tests.
	void onMessage(const SScriptMessage& message);
	void onCheckFailed(const std::string& where, const std::string& text);

private:
	bool execute(const std::string& declaration, std::string* exception);

	AngelScript::asIScriptEngine* Engine = nullptr;
	AngelScript::asIScriptModule* Module = nullptr;
	std::vector<SScriptMessage> Messages;
	int FailedChecks = 0;
	bool ErrorsExpected = false;
};

} // namespace orv::test
