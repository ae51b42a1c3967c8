#include "engine/SoundMemory.h"

namespace orv {

CMemoryBound& getSoundMemory()
{
	static CMemoryBound bound(DEFAULT_SOUND_MEMORY_LIMIT);
	return bound;
}

} // namespace orv
