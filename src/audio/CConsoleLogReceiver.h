#pragma once

#include "audio/ILogReceiver.h"

namespace orv {
namespace audio {

//! Prints "[" + level name + "] " + message as one line on standard output.
class CConsoleLogReceiver : public ILogReceiver
{
public:
	bool OnLogMessage(const char* sender, const char* message, ELogLevel level, float time) override;
};

} // namespace audio
} // namespace orv
