#include "platform/ThreadCpuClock.h"

#include <time.h>

namespace orv {
namespace platform {

std::chrono::nanoseconds threadCpuTime()
{
	timespec now{};
	clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
	return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

} // namespace platform
} // namespace orv
