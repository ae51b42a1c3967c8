#include "script/api/ScriptLog.h"

#include <ILogger.h>

#include <algorithm>
#include <string>

#include "base/Refusal.h"

namespace orv::script {

namespace {

struct SLogFrame
{
	irr::u64 Frame = 0;
	irr::u32 Lines = 0;
	irr::u32 Characters = 0;
};

SLogFrame written;

} // namespace

void writeScriptLog(irr::ILogger* logger, const irr::core::ustring16& text, irr::u64 frame)
{
	if (!logger)
		return;
	if (written.Frame != frame)
		written = SLogFrame{frame, 0, 0};
	if (written.Lines >= SCRIPT_LOG_LINES || written.Characters >= SCRIPT_LOG_CHARACTERS)
		return reportRefusalOnce("script", "script: log lines",
			"Engine.log wrote " + std::to_string(written.Lines) + " lines of " + std::to_string(written.Characters) +
				" characters in one frame, the most a frame writes is " + std::to_string(SCRIPT_LOG_LINES) +
				" lines of " + std::to_string(SCRIPT_LOG_CHARACTERS) +
				"; the rest of such a frame's lines are dropped.");
	const irr::u32 room = std::min(SCRIPT_LOG_LINE, SCRIPT_LOG_CHARACTERS - written.Characters);
	// A text of no more units than that has no more characters either.
	irr::core::ustring16 line = text.size_raw() <= room ? text : text.subString(0, room);
	if (line.size_raw() < text.size_raw() && room == SCRIPT_LOG_LINE)
		reportRefusalOnce("script", "script: log line",
			"Engine.log cuts a line of more than " + std::to_string(SCRIPT_LOG_LINE) + " characters there.");
	++written.Lines;
	written.Characters += line.size();
	logger->log(L"script", line.toWCHAR_s().c_str(), irr::ELL_INFORMATION);
}

} // namespace orv::script
