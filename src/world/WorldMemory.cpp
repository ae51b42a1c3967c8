#include "world/WorldMemory.h"

#include <string>

#include "base/Refusal.h"

namespace orv {

CMemoryBound& getWorldMemory()
{
	static CMemoryBound bound(DEFAULT_WORLD_MEMORY_LIMIT);
	return bound;
}

void reportWorldMemoryFull(const char* what)
{
	reportRefusalOnce("core", "content: objects",
		"Objects and tile maps hold all the memory they may (" + std::to_string(getWorldMemory().getLimit() >> 20) +
			" MiB); " + what + " and what comes after are refused.");
}

} // namespace orv
