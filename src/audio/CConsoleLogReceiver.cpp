#include "audio/CConsoleLogReceiver.h"

#include <cstdio>

namespace orv {
namespace audio {

bool CConsoleLogReceiver::OnLogMessage(const char*, const char* message, ELogLevel level, float)
{
	std::printf("[%s] %s\n", getLogLevelName(level), message);
	std::fflush(stdout);
	return true;
}

} // namespace audio
} // namespace orv
