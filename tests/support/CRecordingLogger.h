#pragma once
// An irr::ILogger that keeps every line for a test to look at.

#include <string>
#include <vector>

#include <ILogger.h>

#include "base/ustring16.h"

namespace orv {
namespace test {

struct SLoggedLine
{
	std::string text;
	std::string hint;
	irr::ELOG_LEVEL level;
};

class CRecordingLogger : public irr::ILogger
{
public:
	std::vector<SLoggedLine> lines;

	irr::ELOG_LEVEL getLogLevel() const override { return irr::ELL_DEBUG; }
	void setLogLevel(irr::ELOG_LEVEL) override {}
	void log(const irr::c8* text, irr::ELOG_LEVEL level) override { keep(text, "", level); }
	void log(const irr::c8* text, const irr::c8* hint, irr::ELOG_LEVEL level) override { keep(text, hint, level); }
	void log(const irr::c8* text, const wchar_t* hint, irr::ELOG_LEVEL level) override
	{
		keep(text, irr::core::ustring16(hint).toUTF8_std(), level);
	}
	void log(const wchar_t* text, const wchar_t* hint, irr::ELOG_LEVEL level) override
	{
		keep(irr::core::ustring16(text).toUTF8_std(), irr::core::ustring16(hint).toUTF8_std(), level);
	}
	void log(const wchar_t* text, irr::ELOG_LEVEL level) override
	{
		keep(irr::core::ustring16(text).toUTF8_std(), "", level);
	}

private:
	void keep(const std::string& text, const std::string& hint, irr::ELOG_LEVEL level)
	{
		lines.push_back({text, hint, level});
	}
};

} // namespace test
} // namespace orv
