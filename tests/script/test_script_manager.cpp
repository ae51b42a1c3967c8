#include "script/CScriptManager.h"

#include <angelscript.h>
#include <gtest/gtest.h>
#include <irrlicht.h>

#include <string>
#include <vector>

namespace {

using namespace AngelScript;

struct SLogLine
{
	std::string Text;
	std::string Hint;
	irr::ELOG_LEVEL Level;

	bool operator==(const SLogLine& o) const { return Text == o.Text && Hint == o.Hint && Level == o.Level; }
};

std::ostream& operator<<(std::ostream& out, const SLogLine& line)
{
	return out << "[" << line.Text << "] [" << line.Hint << "] level " << line.Level;
}

class CCaptureLogger : public irr::ILogger
{
public:
	irr::ELOG_LEVEL getLogLevel() const override { return irr::ELL_DEBUG; }
	void setLogLevel(irr::ELOG_LEVEL) override {}
	void log(const irr::c8* text, irr::ELOG_LEVEL level) override { Lines.push_back({text, "", level}); }
	void log(const irr::c8* text, const irr::c8* hint, irr::ELOG_LEVEL level) override
	{
		Lines.push_back({text, hint, level});
	}
	void log(const irr::c8* text, const wchar_t*, irr::ELOG_LEVEL level) override
	{
		Lines.push_back({text, "?", level});
	}
	void log(const wchar_t*, const wchar_t*, irr::ELOG_LEVEL level) override { Lines.push_back({"?", "?", level}); }
	void log(const wchar_t*, irr::ELOG_LEVEL level) override { Lines.push_back({"?", "", level}); }

	std::vector<SLogLine> Lines;
};

std::vector<SLogLine> buildAndCollect(const char* code)
{
	CCaptureLogger logger;
	{
		orv::script::CScriptManager manager(&logger);
		logger.Lines.clear();
		asIScriptModule* module = manager.getEngine()->GetModule("m", asGM_ALWAYS_CREATE);
		module->AddScriptSection("main", code);
		module->Build();
	}
	return logger.Lines;
}

TEST(ScriptManager, SetUpLogsNothing)
{
	CCaptureLogger logger;
	orv::script::CScriptManager manager(&logger);
	EXPECT_TRUE(logger.Lines.empty());
	ASSERT_NE(manager.getEngine(), nullptr);
	EXPECT_EQ(manager.getEngine()->GetEngineProperty(asEP_PROPERTY_ACCESSOR_MODE), 2u);
	EXPECT_NE(manager.getEngine()->GetTypeInfoByDecl("array<int>"), nullptr);
	EXPECT_GE(manager.getEngine()->GetGlobalFunctionCount(), 1u); // the math add-on
}

TEST(ScriptManager, CompilerMessagesBecomeLogLines)
{
	struct Case
	{
		const char* code;
		std::vector<SLogLine> expected;
	};
	const Case cases[] = {
		{"void main()\n{\n  int x = y;\n}\n",
			{{"script", "main (r 1, c 1) : INFO : Compiling void main()", irr::ELL_INFORMATION},
				{"script", "main (r 3, c 11) : ERR  : No matching symbol 'y'", irr::ELL_ERROR}}},
		{"void main()\n{\n    int x = 1.5f;\n}\n",
			{{"script", "main (r 1, c 1) : INFO : Compiling void main()", irr::ELL_INFORMATION},
				{"script", "main (r 3, c 13) : WARN : Implicit conversion of value is not exact", irr::ELL_WARNING}}},
	};
	for (const Case& c : cases)
		EXPECT_EQ(buildAndCollect(c.code), c.expected) << c.code;
}

// Message kinds the compiler rarely produces, fed straight into the sink.
TEST(ScriptManager, EveryMessageTypeHasItsKindAndLevel)
{
	struct Case
	{
		asEMsgType type;
		SLogLine expected;
	};
	const Case cases[] = {
		{asMSGTYPE_ERROR, {"script", "sec (r 12, c 345) : ERR  : text", irr::ELL_ERROR}},
		{asMSGTYPE_WARNING, {"script", "sec (r 12, c 345) : WARN : text", irr::ELL_WARNING}},
		{asMSGTYPE_INFORMATION, {"script", "sec (r 12, c 345) : INFO : text", irr::ELL_INFORMATION}},
	};
	for (const Case& c : cases)
	{
		CCaptureLogger logger;
		orv::script::CScriptManager manager(&logger);
		logger.Lines.clear();
		manager.getEngine()->WriteMessage("sec", 12, 345, c.type, "text");
		ASSERT_EQ(logger.Lines.size(), 1u);
		EXPECT_EQ(logger.Lines[0], c.expected);
	}
}

} // namespace
