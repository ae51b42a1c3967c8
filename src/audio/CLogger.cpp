#include "audio/CLogger.h"

#include <cstdio>

#include "audio/AudioText.h"
#include "audio/CConsoleLogReceiver.h"

namespace orv {
namespace audio {

const char* getLogLevelName(ELogLevel level)
{
	switch (level)
	{
	case ELL_DEBUG:
		return "Debug";
	case ELL_INFO:
		return "Information";
	case ELL_WARNING:
		return "Warning";
	case ELL_ERROR:
		return "Error";
	case ELL_CRITICAL:
		return "Critical";
	}
	return "";
}

CLogger::CLogger() : StartTime(std::chrono::steady_clock::now()), Message(), MinimumLevel(ELL_INFO)
{
}

CLogger::~CLogger()
{
	CAudioLock lock(Mutex);
	Receivers.clear();
}

void CLogger::deliver(ELogLevel level, const char* sender, const char* format, va_list arguments)
{
	if (level < MinimumLevel.load(std::memory_order_relaxed))
		return;
	CAudioLock lock(Mutex);
	const float elapsed = std::chrono::duration<float>(std::chrono::steady_clock::now() - StartTime).count();
	// vsnprintf cuts at MESSAGE_SIZE - 1 characters and always terminates.
	std::vsnprintf(Message, MESSAGE_SIZE, format ? format : "", arguments);
	// A receiver may unregister itself or another one: the walk goes over a
	// copy, and skips a receiver that is no longer under its name.
	const AudioVector<std::pair<AudioWString, ILogReceiver*>> receivers(Receivers.begin(), Receivers.end());
	for (const auto& entry : receivers)
		if (entry.second && findOrNull(Receivers, entry.first) == entry.second)
			entry.second->OnLogMessage(sender ? sender : "", Message, level, elapsed);
}

#define ORV_AUDIO_LOG_AT(level)                                                                                        \
	va_list arguments;                                                                                                 \
	va_start(arguments, format);                                                                                       \
	deliver(level, sender, format, arguments);                                                                         \
	va_end(arguments)

void CLogger::logCritical(const char* sender, const char* format, ...)
{
	ORV_AUDIO_LOG_AT(ELL_CRITICAL);
}
void CLogger::logError(const char* sender, const char* format, ...)
{
	ORV_AUDIO_LOG_AT(ELL_ERROR);
}
void CLogger::logWarning(const char* sender, const char* format, ...)
{
	ORV_AUDIO_LOG_AT(ELL_WARNING);
}
void CLogger::logInfo(const char* sender, const char* format, ...)
{
	ORV_AUDIO_LOG_AT(ELL_INFO);
}
void CLogger::logDebug(const char* sender, const char* format, ...)
{
	ORV_AUDIO_LOG_AT(ELL_DEBUG);
}

#undef ORV_AUDIO_LOG_AT

ELogLevel CLogger::getLogLevel() const
{
	return MinimumLevel.load(std::memory_order_relaxed);
}

void CLogger::setLogLevel(const ELogLevel& level)
{
	CAudioLock lock(Mutex);
	MinimumLevel.store(level, std::memory_order_relaxed);
}

bool CLogger::registerLogReceiver(ILogReceiver* receiver, const char* name)
{
	CAudioLock lock(Mutex);
	Receivers[utf8ToWide(name)] = receiver;
	return true;
}

void CLogger::unregisterLogReceiver(const char* name)
{
	CAudioLock lock(Mutex);
	Receivers.erase(utf8ToWide(name));
}

bool CLogger::isLogReceiverRegistered(const char* name)
{
	CAudioLock lock(Mutex);
	return Receivers.count(utf8ToWide(name)) != 0;
}

ILogReceiver* CLogger::getLogReceiver(const char* name)
{
	CAudioLock lock(Mutex);
	return findOrNull(Receivers, utf8ToWide(name));
}

ILogger* getLogger()
{
	static CConsoleLogReceiver console;
	static CLogger logger;
	static const bool consoleRegistered = logger.registerLogReceiver(&console, "Console");
	(void)consoleRegistered;
	return &logger;
}

} // namespace audio
} // namespace orv
