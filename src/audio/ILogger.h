#pragma once

#include "audio/ELogLevel.h"
#include "audio/ILogReceiver.h"

#define ORV_AUDIO_PRINTF(f, a) __attribute__((format(printf, f, a)))

namespace orv {
namespace audio {

//! The audio library's one logger: formats messages at or above its minimum
//! level and hands them to every registered receiver, in name order.
class ILogger
{
public:
	virtual ~ILogger() = default;
	virtual void logCritical(const char* sender, const char* format, ...) ORV_AUDIO_PRINTF(3, 4) = 0;
	virtual void logError(const char* sender, const char* format, ...) ORV_AUDIO_PRINTF(3, 4) = 0;
	virtual void logWarning(const char* sender, const char* format, ...) ORV_AUDIO_PRINTF(3, 4) = 0;
	virtual void logInfo(const char* sender, const char* format, ...) ORV_AUDIO_PRINTF(3, 4) = 0;
	virtual void logDebug(const char* sender, const char* format, ...) ORV_AUDIO_PRINTF(3, 4) = 0;
	//! The minimum level that is delivered.
	virtual ELogLevel getLogLevel() const = 0;
	virtual void setLogLevel(const ELogLevel& level) = 0;
	//! Registers a receiver under a UTF-8 name, replacing an older one; the
	//! logger does not own it. Always true.
	virtual bool registerLogReceiver(ILogReceiver* receiver, const char* name) = 0;
	virtual void unregisterLogReceiver(const char* name) = 0;
	virtual bool isLogReceiverRegistered(const char* name) = 0;
	//! The receiver of that name, or null.
	virtual ILogReceiver* getLogReceiver(const char* name) = 0;
};

//! The process's logger; the first call registers the console receiver under
//! "Console".
ILogger* getLogger();

} // namespace audio
} // namespace orv
