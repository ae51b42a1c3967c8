#include "world/WorldLog.h"

namespace orv {

namespace {
irr::ILogger* worldLogger = nullptr;
WorldLoggerSource loggerSource = nullptr;
} // namespace

void setWorldLogger(irr::ILogger* logger)
{
	worldLogger = logger;
}

void setWorldLoggerSource(WorldLoggerSource source)
{
	loggerSource = source;
}

irr::ILogger* getWorldLogger()
{
	if (worldLogger)
		return worldLogger;
	// Asked afresh each time: the device comes and goes with the engine, and
	// objects a script still holds may be torn down after both.
	return loggerSource ? loggerSource() : nullptr;
}

void logWorld(const char* channel, const char* message, irr::ELOG_LEVEL level)
{
	if (irr::ILogger* logger = getWorldLogger())
		logger->log(channel, message, level);
}

} // namespace orv
