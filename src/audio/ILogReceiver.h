#pragma once

#include "audio/ELogLevel.h"

namespace orv {
namespace audio {

//! Where the audio logger delivers its messages; called under the logger's
//! lock, from whichever thread logged.
class ILogReceiver
{
public:
	virtual ~ILogReceiver() = default;
	//! `time` counts seconds since the logger started. The result is not used.
	virtual bool OnLogMessage(const char* sender, const char* message, ELogLevel level, float time) = 0;
};

} // namespace audio
} // namespace orv
