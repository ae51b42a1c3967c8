#include "engine/WorldLog.h"

#include "engine/CGameEngine.h"

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
	if (worldLogger)
		return worldLogger;
	// Asked afresh each time: the device comes and goes with the engine, and
	// objects a script still holds may be torn down after both.
	const CGameEngine* engine = CGameEngine::peekInstance();
	irr::IrrlichtDevice* device = engine ? engine->getDevice() : nullptr;
	return device ? device->getLogger() : nullptr;
}

void logWorld(const char* channel, const char* message, irr::ELOG_LEVEL level)
{
	if (irr::ILogger* logger = getWorldLogger())
		logger->log(channel, message, level);
}

} // namespace orv
