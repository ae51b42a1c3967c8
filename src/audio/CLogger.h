#pragma once

#include <atomic>
#include <chrono>
#include <cstdarg>

#include "audio/CAudioAllocator.h"
#include "audio/CAudioMutex.h"
#include "audio/ILogger.h"

namespace orv {
namespace audio {

class CLogger : public ILogger
{
public:
	//! Longest message delivered, terminator included; longer ones are cut.
	static const size_t MESSAGE_SIZE = 2048;

	CLogger();
	~CLogger() override;

	void logCritical(const char* sender, const char* format, ...) override ORV_AUDIO_PRINTF(3, 4);
	void logError(const char* sender, const char* format, ...) override ORV_AUDIO_PRINTF(3, 4);
	void logWarning(const char* sender, const char* format, ...) override ORV_AUDIO_PRINTF(3, 4);
	void logInfo(const char* sender, const char* format, ...) override ORV_AUDIO_PRINTF(3, 4);
	void logDebug(const char* sender, const char* format, ...) override ORV_AUDIO_PRINTF(3, 4);
	ELogLevel getLogLevel() const override;
	void setLogLevel(const ELogLevel& level) override;
	bool registerLogReceiver(ILogReceiver* receiver, const char* name) override;
	void unregisterLogReceiver(const char* name) override;
	bool isLogReceiverRegistered(const char* name) override;
	ILogReceiver* getLogReceiver(const char* name) override;

private:
	void deliver(ELogLevel level, const char* sender, const char* format, va_list arguments);

	CAudioMutex Mutex;
	// Wall time, not processor time: the stamps count seconds of the run.
	std::chrono::steady_clock::time_point StartTime;
	char Message[MESSAGE_SIZE];
	// Read without the lock before every message, from both threads.
	std::atomic<ELogLevel> MinimumLevel;
	AudioMap<AudioWString, ILogReceiver*> Receivers;
};

} // namespace audio
} // namespace orv
