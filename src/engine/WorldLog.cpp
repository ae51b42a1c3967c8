#include "engine/WorldLog.h"

namespace orv {

namespace {
irr::ILogger* worldLogger = nullptr;
}

void setWorldLogger(irr::ILogger* logger)
{
	worldLogger = logger;
}

irr::ILogger* getWorldLogger()
{
	return worldLogger;
}

void logWorld(const char* channel, const char* message, irr::ELOG_LEVEL level)
{
	if (worldLogger)
		worldLogger->log(channel, message, level);
}

} // namespace orv
