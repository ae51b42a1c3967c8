#include "platform/ThreadName.h"

#include <pthread.h>

#include <cstring>

namespace orv {
namespace platform {

void setCurrentThreadName(const char* name)
{
	// Longer names are refused outright, so cut them.
	char shortName[16] = {};
	std::strncpy(shortName, name, sizeof shortName - 1);
	pthread_setname_np(pthread_self(), shortName);
}

} // namespace platform
} // namespace orv
