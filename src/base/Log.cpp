#include "base/Log.h"

namespace orv {

namespace {
irr::ILogger* setLoggerValue = nullptr;
LoggerSource loggerSource = nullptr;
} // namespace

void setLogger(irr::ILogger* logger)
{
	setLoggerValue = logger;
}

void setLoggerSource(LoggerSource source)
{
	loggerSource = source;
}

irr::ILogger* getLogger()
{
	if (setLoggerValue)
		return setLoggerValue;
	// Asked afresh each time: the device comes and goes with the engine, and
	// objects a script still holds may be torn down after both.
	return loggerSource ? loggerSource() : nullptr;
}

void logLine(const char* channel, const char* message, irr::ELOG_LEVEL level)
{
	if (irr::ILogger* logger = getLogger())
		logger->log(channel, message, level);
}

} // namespace orv
